// The Web Administration dialog.
#include "web/WebAdminDialog.h"

#include <algorithm>

#include "ui/Handles.h"
#include "ui/Text.h"
#include "web/Crypto.h"
#include "web/WebResource.h"

namespace korvane::web {

namespace {
constexpr int kMaxPasswordField = 256;
}

WebAdminDialog::WebAdminDialog(HWND parent, WebConfig current, Apply apply)
    : Dialog(IDD_WEBADMIN, parent), config_(std::move(current)), apply_(std::move(apply)) {}

bool WebAdminDialog::OnInitDialog() {
    CheckDlgButton(Window(), IDC_WEB_ENABLE, config_.enabled ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(Window(), IDC_WEB_ADDRESS, config_.address.c_str());
    SetDlgItemInt(Window(), IDC_WEB_PORT, static_cast<UINT>(config_.port), FALSE);
    SendDlgItemMessageA(Window(), IDC_WEB_ADDRESS, EM_LIMITTEXT, 15, 0);
    SendDlgItemMessageA(Window(), IDC_WEB_PORT, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageA(Window(), IDC_WEB_PASSWORD, EM_LIMITTEXT, kMaxPasswordField, 0);
    SetDlgItemTextA(
        Window(), IDC_WEB_PASSWORD_STATE,
        ui::ProgramString(config_.password.IsSet() ? IDS_WEB_PASSWORD_SET : IDS_WEB_PASSWORD_UNSET)
            .c_str());
    UpdateWarning();
    return true;
}

bool WebAdminDialog::OnCommand(int id, int code, HWND /*control*/) {
    if (id == IDC_WEB_ADDRESS && code == EN_CHANGE) {
        UpdateWarning();
        return true;
    }
    return false;
}

void WebAdminDialog::UpdateWarning() {
    const bool loopback = IsLoopbackAddress(ui::WindowText(Item(IDC_WEB_ADDRESS)));
    ShowWindow(Item(IDC_WEB_WARNING), loopback ? SW_HIDE : SW_SHOW);
}

void WebAdminDialog::ShowMessage(const std::string& text) {
    SetDlgItemTextA(Window(), IDC_WEB_MESSAGE, text.c_str());
}

void WebAdminDialog::OnOK() {
    WebConfig next = config_;
    next.enabled = IsDlgButtonChecked(Window(), IDC_WEB_ENABLE) == BST_CHECKED;
    next.address = ui::WindowText(Item(IDC_WEB_ADDRESS));
    BOOL portOk = FALSE;
    const UINT port = GetDlgItemInt(Window(), IDC_WEB_PORT, &portOk, FALSE);
    std::string password = ui::WindowText(Item(IDC_WEB_PASSWORD));
    struct Wipe {  // the clear password leaves memory with the dialog's answer
        std::string& text;
        ~Wipe() { std::fill(text.begin(), text.end(), '\0'); }
    } wipe{password};

    UINT problem = 0;
    if (!IsValidAddress(next.address))
        problem = IDS_WEB_BAD_ADDRESS;
    else if (!portOk || !IsValidPort(port))
        problem = IDS_WEB_BAD_PORT;
    else if (!password.empty() && password.size() < kMinPasswordLength)
        problem = IDS_WEB_SHORT_PASSWORD;
    else if (password.empty() && next.enabled && !next.password.IsSet())
        problem = IDS_WEB_NEED_PASSWORD;
    if (problem) {
        ShowMessage(ui::ProgramString(problem));
        return;
    }
    next.port = static_cast<int>(port);
    if (!password.empty()) {
        ui::WaitCursor wait;  // the hash is slow on purpose
        next.password = HashPassword(password);
        if (!next.password.IsSet()) {
            ShowMessage(ui::ProgramString(IDS_WEB_HASH_FAILED));
            return;
        }
    }
    const std::string failure = apply_ ? apply_(next) : std::string();
    if (!failure.empty()) {
        ShowMessage(failure);
        return;
    }
    config_ = std::move(next);
    End(IDOK);
}

}  // namespace korvane::web
