// The "Server" page.
#include "editor/ServerPage.h"

#include "resources/resource.h"
#include "ui/Text.h"

namespace korvane {

ServerPage::ServerPage(ServerSettings& settings)
    : ui::PropertyPage(IDD_SERVER_PAGE), settings_(settings) {
    static constexpr int kIds[kTextOptionCount] = {IDC_SERVER_NAME,     IDC_ADMIN_NAME,
                                                   IDC_ADMIN_EMAIL,     IDC_SERVER_WEBSITE,
                                                   IDC_SERVER_PASSWORD, IDC_REMOTE_ADMIN_PASSWORD};
    for (int i = 0; i < kTextOptionCount; ++i) {
        TextField& field = fields_[static_cast<size_t>(i)];
        field.id = kIds[i];
        field.option = static_cast<TextOption>(i);
        // Each edit takes no more than its getter reads back and its command carries: a
        // longer text would come back cut the next time the sheet opens, and be sent cut.
        Fields().BindText(field.id, &field.value,
                          static_cast<int>(ServerSettings::TextRoom(field.option)));
    }
}

void ServerPage::OnInitPage() {
    for (TextField& field : fields_) {
        field.value = settings_.GetText(field.option, &field.storedLonger);
        field.shown = field.value;
        if (!field.storedLonger) continue;
        settings_.Gate().Note("Stored " + std::string(TextOptionKey(field.option)) +
                              " is longer than the " + std::to_string(field.value.size()) +
                              " characters the Server page can show; it is kept unless you edit "
                              "it.");
    }
    Fields().Push();
}

bool ServerPage::OnCommand(int id, int code, HWND) {
    if (code != EN_CHANGE) return false;
    for (const TextField& field : fields_) {
        if (field.id != id) continue;
        SetModified(true);
        return true;
    }
    return false;
}

bool ServerPage::Commit() {
    // An empty password means none; a short one is refused before anything is written.
    auto tooShort = [](const TextField& field) {
        return !field.value.empty() && field.value.size() < kMinPasswordLength;
    };
    if (tooShort(fields_[static_cast<size_t>(TextOption::ServerPassword)]) ||
        tooShort(fields_[static_cast<size_t>(TextOption::RemoteAdminPassword)])) {
        MessageBoxA(Window(), ui::ProgramString(IDS_PASSWORD_TOO_SHORT).c_str(),
                    ui::ProgramString(IDS_ERROR_CAPTION).c_str(), MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const TextField& field : fields_) {
        if (field.storedLonger && field.value == field.shown) continue;
        settings_.SetText(field.option, field.value.c_str());
    }
    return true;
}

}  // namespace korvane
