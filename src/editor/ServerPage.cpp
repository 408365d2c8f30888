// The "Server" page.
#include "editor/ServerPage.h"

#include "host/EngineAccess.h"
#include "resources/resource.h"
#include "ui/Text.h"

namespace korvane {

ServerPage::ServerPage()
    : ui::PropertyPage(IDD_SERVER_PAGE),
      fields_{{{IDC_SERVER_NAME, "servername", &ServerSettings::GetServerName,
                &ServerSettings::SetServerName, sizeof ServerSettings::serverName},
               {IDC_ADMIN_NAME, "adminname", &ServerSettings::GetAdminName,
                &ServerSettings::SetAdminName, sizeof ServerSettings::adminName},
               {IDC_ADMIN_EMAIL, "adminemail", &ServerSettings::GetAdminEmail,
                &ServerSettings::SetAdminEmail, sizeof ServerSettings::adminEmail},
               {IDC_SERVER_WEBSITE, "serverwebsite", &ServerSettings::GetServerWebsite,
                &ServerSettings::SetServerWebsite, sizeof ServerSettings::serverWebsite},
               {IDC_SERVER_PASSWORD, "serverpassword", &ServerSettings::GetServerPassword,
                &ServerSettings::SetServerPassword, sizeof ServerSettings::serverPassword},
               {IDC_REMOTE_ADMIN_PASSWORD, "remoteadminpassword",
                &ServerSettings::GetRemoteAdminPassword, &ServerSettings::SetRemoteAdminPassword,
                sizeof ServerSettings::remoteAdminPassword}}} {
    // Each edit takes no more than its getter reads back and its command carries: a longer
    // text would come back cut the next time the sheet opens, and be sent cut from then on.
    for (TextField& field : fields_) {
        const size_t limit = std::min(field.fieldSize - 1, MaxQuotedTextLength(field.key));
        BindText(field.id, &field.value, static_cast<int>(limit));
    }
}

void ServerPage::OnInitPage() {
    for (TextField& field : fields_) {
        field.value = (serverSettings.*field.get)(&field.storedLonger);
        field.shown = field.value;
        if (!field.storedLonger) continue;
        NoteOnConsole("Stored " + std::string(field.key) + " is longer than the " +
                      std::to_string(field.fieldSize - 1) +
                      " characters the Server page can show; it is kept unless you edit it.");
    }
    Push();
}

bool ServerPage::OnCommand(int id, int code) {
    if (code != EN_CHANGE) return false;
    for (const TextField& field : fields_) {
        if (field.id != id) continue;
        SetModified(true);
        return true;
    }
    return false;
}

bool ServerPage::Commit() {
    if (!Pull()) return false;
    // An empty password means none; a short one is refused before anything is written.
    auto tooShort = [](const std::string& password) {
        return !password.empty() && password.size() < kMinPasswordLength;
    };
    if (tooShort(fields_[4].value) || tooShort(fields_[5].value)) {
        MessageBoxA(Window(), ui::ProgramString(IDS_PASSWORD_TOO_SHORT).c_str(),
                    ui::ProgramString(IDS_ERROR_CAPTION).c_str(), MB_OK | MB_ICONSTOP);
        return false;
    }
    for (const TextField& field : fields_) {
        if (field.storedLonger && field.value == field.shown) continue;
        (serverSettings.*field.set)(field.value.c_str());
    }
    return true;
}

}  // namespace korvane
