// The "Server" page.
#include "editor/ServerPage.h"

#include "resources/resource.h"
#include "settings/ServerSettings.h"
#include "ui/Text.h"

namespace korvane {

ServerPage::ServerPage() : ui::PropertyPage(IDD_SERVER_PAGE) {
    BindText(IDC_SERVER_NAME, &serverName_, kTextLimit);
    BindText(IDC_ADMIN_NAME, &adminName_, kTextLimit);
    BindText(IDC_ADMIN_EMAIL, &adminEmail_, kTextLimit);
    BindText(IDC_SERVER_WEBSITE, &serverWebsite_, kTextLimit);
    BindText(IDC_SERVER_PASSWORD, &serverPassword_, kTextLimit);
    BindText(IDC_REMOTE_ADMIN_PASSWORD, &remoteAdminPassword_, kTextLimit);
}

void ServerPage::OnInitPage() {
    serverName_ = serverSettings.GetServerName();
    adminName_ = serverSettings.GetAdminName();
    adminEmail_ = serverSettings.GetAdminEmail();
    serverWebsite_ = serverSettings.GetServerWebsite();
    serverPassword_ = serverSettings.GetServerPassword();
    remoteAdminPassword_ = serverSettings.GetRemoteAdminPassword();
    Push();
}

bool ServerPage::OnCommand(int id, int code) {
    if (code != EN_CHANGE) return false;
    switch (id) {
        case IDC_SERVER_NAME:
        case IDC_ADMIN_NAME:
        case IDC_ADMIN_EMAIL:
        case IDC_SERVER_WEBSITE:
        case IDC_SERVER_PASSWORD:
        case IDC_REMOTE_ADMIN_PASSWORD:
            SetModified(true);
            return true;
        default:
            return false;
    }
}

bool ServerPage::Commit() {
    if (!Pull()) return false;
    // An empty password means none; a short one is refused before anything is written.
    auto tooShort = [](const std::string& password) {
        return !password.empty() && password.size() < kMinPasswordLength;
    };
    if (tooShort(serverPassword_) || tooShort(remoteAdminPassword_)) {
        MessageBoxA(Window(), ui::ProgramString(IDS_PASSWORD_TOO_SHORT).c_str(),
                    ui::ProgramString(IDS_ERROR_CAPTION).c_str(), MB_OK | MB_ICONSTOP);
        return false;
    }
    // A text too long for its console command would be refused by the setter without a word:
    // say so here, where the operator can shorten it.
    const struct {
        int id;
        const char* key;
        const std::string& value;
    } fields[] = {{IDC_SERVER_NAME, "servername", serverName_},
                  {IDC_ADMIN_NAME, "adminname", adminName_},
                  {IDC_ADMIN_EMAIL, "adminemail", adminEmail_},
                  {IDC_SERVER_WEBSITE, "serverwebsite", serverWebsite_},
                  {IDC_SERVER_PASSWORD, "serverpassword", serverPassword_},
                  {IDC_REMOTE_ADMIN_PASSWORD, "remoteadminpassword", remoteAdminPassword_}};
    for (const auto& field : fields) {
        const size_t room = MaxQuotedTextLength(field.key);
        if (field.value.size() <= room) continue;
        const std::string text =
            "Please enter no more than " + std::to_string(room) + " characters.";
        MessageBoxA(Window(), text.c_str(), ui::WindowText(GetParent(Window())).c_str(),
                    MB_OK | MB_ICONEXCLAMATION);
        SetFocus(Item(field.id));
        SendMessageA(Item(field.id), EM_SETSEL, 0, -1);
        return false;
    }
    serverSettings.SetServerName(serverName_.c_str());
    serverSettings.SetAdminName(adminName_.c_str());
    serverSettings.SetAdminEmail(adminEmail_.c_str());
    serverSettings.SetServerWebsite(serverWebsite_.c_str());
    serverSettings.SetServerPassword(serverPassword_.c_str());
    serverSettings.SetRemoteAdminPassword(remoteAdminPassword_.c_str());
    return true;
}

}  // namespace korvane
