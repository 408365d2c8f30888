// The Web Administration dialog.
#include "web/WebAdminDialog.h"

#include <algorithm>
#include <cctype>
#include <cstring>

#include "ui/Handles.h"
#include "ui/Text.h"
#include "web/Crypto.h"
#include "web/MetricsToken.h"
#include "web/TextCodec.h"
#include "web/WebResource.h"

namespace korvane::web {

namespace {

constexpr int kMaxPasswordField = 256;

// The password field's text exactly as typed, as UTF-8; wiped from memory with its owner.
struct TypedPassword {
    explicit TypedPassword(HWND field) {
        std::wstring wide(static_cast<size_t>(GetWindowTextLengthW(field)) + 1, L'\0');
        wide.resize(
            static_cast<size_t>(GetWindowTextW(field, wide.data(), static_cast<int>(wide.size()))));
        if (auto converted = WideToUtf8(wide)) {
            utf8 = std::move(*converted);
            valid = true;
        }
        std::fill(wide.begin(), wide.end(), L'\0');
    }
    ~TypedPassword() { std::fill(utf8.begin(), utf8.end(), '\0'); }
    TypedPassword(const TypedPassword&) = delete;
    TypedPassword& operator=(const TypedPassword&) = delete;

    std::string utf8;
    bool valid = false;  // false: a lone surrogate, which no keyboard types
};

}  // namespace

WebAdminDialog::WebAdminDialog(HWND parent, WebConfig current, Apply apply, WebConfig rcon,
                               Apply applyRcon)
    : Dialog(IDD_WEBADMIN, parent),
      config_(std::move(current)),
      apply_(std::move(apply)),
      rcon_(std::move(rcon)),
      applyRcon_(std::move(applyRcon)) {}

bool WebAdminDialog::OnInitDialog() {
    CheckDlgButton(Window(), IDC_WEB_ENABLE, config_.enabled ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(Window(), IDC_WEB_ADDRESS, config_.address.c_str());
    SetDlgItemInt(Window(), IDC_WEB_PORT, static_cast<UINT>(config_.port), FALSE);
    SetDlgItemTextA(Window(), IDC_WEB_HOST, config_.hostName.c_str());
    SetDlgItemTextA(Window(), IDC_WEB_WARNING, kNetworkWarning);
    SendDlgItemMessageA(Window(), IDC_WEB_ADDRESS, EM_LIMITTEXT, 15, 0);
    SendDlgItemMessageA(Window(), IDC_WEB_PORT, EM_LIMITTEXT, 5, 0);
    SendDlgItemMessageA(Window(), IDC_WEB_HOST, EM_LIMITTEXT, 253, 0);
    // The password field takes what is typed as UTF-16: as an ANSI window (the dialog's are) it
    // would turn every letter the code page lacks into '?' or a look-alike.
    HWND field = Item(IDC_WEB_PASSWORD);
    SetWindowLongPtrW(field, GWLP_WNDPROC, GetWindowLongPtrW(field, GWLP_WNDPROC));
    SendMessageW(field, EM_LIMITTEXT, kMaxPasswordField, 0);
    ShowPasswordState();
    SetDlgItemTextA(Window(), IDC_WEB_TOKEN_STATE,
                    ui::ProgramString(config_.metricsTokenHash.empty() ? IDS_WEB_TOKEN_UNSET
                                                                       : IDS_WEB_TOKEN_SET)
                        .c_str());
    UpdateWarning();
    InitRcon();
    return true;
}

void WebAdminDialog::MakeMetricsToken() {
    std::string token = NewMetricsToken();
    std::vector<uint8_t> hash = token.empty() ? std::vector<uint8_t>() : MetricsTokenHash(token);
    if (hash.empty()) {
        SetDlgItemTextA(Window(), IDC_WEB_TOKEN_STATE,
                        ui::ProgramString(IDS_WEB_TOKEN_FAILED).c_str());
        return;
    }
    newTokenHash_ = std::move(hash);
    SetDlgItemTextA(Window(), IDC_WEB_TOKEN, token.c_str());
    std::fill(token.begin(), token.end(), '\0');
    SetDlgItemTextA(Window(), IDC_WEB_TOKEN_STATE, ui::ProgramString(IDS_WEB_TOKEN_NEW).c_str());
    EnableWindow(Item(IDC_WEB_COPY_TOKEN), TRUE);
}

void WebAdminDialog::CopyMetricsToken() {
    const std::string token = ui::WindowText(Item(IDC_WEB_TOKEN));
    if (token.empty() || !OpenClipboard(Window())) return;
    struct Clipboard {  // closed whatever happens
        ~Clipboard() { CloseClipboard(); }
    } open;
    EmptyClipboard();
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, token.size() + 1);
    if (!memory) return;
    if (void* bytes = GlobalLock(memory)) {
        std::memcpy(bytes, token.c_str(), token.size() + 1);
        GlobalUnlock(memory);
        // The clipboard owns the memory once it takes it.
        if (SetClipboardData(CF_TEXT, memory)) return;
    }
    GlobalFree(memory);
}

void WebAdminDialog::ShowPasswordState() {
    const UINT state = config_.password.IsSet()   ? IDS_WEB_PASSWORD_SET
                       : config_.passwordUnusable ? IDS_WEB_PASSWORD_OUTDATED
                                                  : IDS_WEB_PASSWORD_UNSET;
    SetDlgItemTextA(Window(), IDC_WEB_PASSWORD_STATE, ui::ProgramString(state).c_str());
}

bool WebAdminDialog::OnCommand(int id, int code, HWND /*control*/) {
    if ((id == IDC_WEB_ADDRESS || id == IDC_RCON_ADDRESS) && code == EN_CHANGE) {
        UpdateWarning();
        return true;
    }
    if (id == IDC_WEB_NEW_TOKEN && code == BN_CLICKED) {
        MakeMetricsToken();
        return true;
    }
    if (id == IDC_WEB_COPY_TOKEN && code == BN_CLICKED) {
        CopyMetricsToken();
        return true;
    }
    return false;
}

void WebAdminDialog::UpdateWarning() {
    const bool loopback = IsLoopbackAddress(ui::WindowText(Item(IDC_WEB_ADDRESS)));
    ShowWindow(Item(IDC_WEB_WARNING), loopback ? SW_HIDE : SW_SHOW);
    const bool rconLoopback = IsLoopbackAddress(ui::WindowText(Item(IDC_RCON_ADDRESS)));
    ShowWindow(Item(IDC_RCON_WARNING), rconLoopback ? SW_HIDE : SW_SHOW);
}

void WebAdminDialog::ShowMessage(const std::string& text) {
    SetDlgItemTextA(Window(), IDC_WEB_MESSAGE, text.c_str());
}

void WebAdminDialog::OnOK() {
    WebConfig next = config_;
    next.enabled = IsDlgButtonChecked(Window(), IDC_WEB_ENABLE) == BST_CHECKED;
    next.address = ui::WindowText(Item(IDC_WEB_ADDRESS));
    next.hostName = ui::WindowText(Item(IDC_WEB_HOST));
    std::transform(next.hostName.begin(), next.hostName.end(), next.hostName.begin(), [](char c) {
        return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    });
    BOOL portOk = FALSE;
    const UINT port = GetDlgItemInt(Window(), IDC_WEB_PORT, &portOk, FALSE);
    const TypedPassword password(Item(IDC_WEB_PASSWORD));
    const std::string& typed = password.utf8;

    UINT problem = 0;
    if (!IsValidAddress(next.address))
        problem = IDS_WEB_BAD_ADDRESS;
    else if (!portOk || !IsValidPort(port))
        problem = IDS_WEB_BAD_PORT;
    else if (!next.hostName.empty() && !IsValidHostName(next.hostName))
        problem = IDS_WEB_BAD_HOST;
    else if (!password.valid || typed.size() > kMaxPasswordBytes)
        problem = IDS_WEB_LONG_PASSWORD;
    else if (!typed.empty() && Utf8Length(typed) < kMinPasswordLength)
        problem = IDS_WEB_SHORT_PASSWORD;
    else if (typed.empty() && next.enabled && !next.password.IsSet())
        problem = IDS_WEB_NEED_PASSWORD;
    if (problem) {
        ShowMessage(ui::ProgramString(problem));
        return;
    }
    WebConfig nextRcon = rcon_;
    if (!ReadRcon(nextRcon)) return;
    next.port = static_cast<int>(port);
    if (!newTokenHash_.empty()) next.metricsTokenHash = newTokenHash_;
    if (!typed.empty()) {
        ui::WaitCursor wait;  // the hash is slow on purpose
        next.password = HashPassword(typed);
        next.passwordUnusable = false;
        if (!next.password.IsSet()) {
            ShowMessage(ui::ProgramString(IDS_WEB_HASH_FAILED));
            return;
        }
    }
    ApplyResult result = apply_ ? apply_(next) : ApplyResult();
    if (result.saved) {
        // Saved even if not all in force: the dialog now shows what the file holds, so the
        // password is no longer "not set", and a second OK need not hash it again.
        config_ = std::move(next);
        SetDlgItemTextW(Window(), IDC_WEB_PASSWORD, L"");
        ShowPasswordState();
        newTokenHash_.clear();
    }
    const ApplyResult rconResult = applyRcon_ ? applyRcon_(nextRcon) : ApplyResult();
    if (rconResult.saved) {
        rcon_ = std::move(nextRcon);
        SetDlgItemTextW(Window(), IDC_RCON_PASSWORD, L"");
        ShowRconState();
    }
    if (result.problem.empty()) result.problem = rconResult.problem;
    if (!result.problem.empty()) {
        ShowMessage(result.problem);
        return;
    }
    End(IDOK);
}

void WebAdminDialog::InitRcon() {
    CheckDlgButton(Window(), IDC_RCON_ENABLE, rcon_.enabled ? BST_CHECKED : BST_UNCHECKED);
    SetDlgItemTextA(Window(), IDC_RCON_ADDRESS, rcon_.address.c_str());
    SetDlgItemInt(Window(), IDC_RCON_PORT, static_cast<UINT>(rcon_.port), FALSE);
    SetDlgItemTextA(Window(), IDC_RCON_WARNING, kNetworkWarning);
    SendDlgItemMessageA(Window(), IDC_RCON_ADDRESS, EM_LIMITTEXT, 15, 0);
    SendDlgItemMessageA(Window(), IDC_RCON_PORT, EM_LIMITTEXT, 5, 0);
    // Typed as UTF-16, as the web's password: RCON clients send UTF-8.
    HWND field = Item(IDC_RCON_PASSWORD);
    SetWindowLongPtrW(field, GWLP_WNDPROC, GetWindowLongPtrW(field, GWLP_WNDPROC));
    SendMessageW(field, EM_LIMITTEXT, kMaxPasswordField, 0);
    ShowRconState();
    UpdateWarning();
}

void WebAdminDialog::ShowRconState() {
    const UINT state = rcon_.password.IsSet()   ? IDS_WEB_PASSWORD_SET
                       : rcon_.passwordUnusable ? IDS_WEB_PASSWORD_OUTDATED
                                                : IDS_WEB_PASSWORD_UNSET;
    SetDlgItemTextA(Window(), IDC_RCON_PASSWORD_STATE, ui::ProgramString(state).c_str());
}

bool WebAdminDialog::ReadRcon(WebConfig& next) {
    next.enabled = IsDlgButtonChecked(Window(), IDC_RCON_ENABLE) == BST_CHECKED;
    next.address = ui::WindowText(Item(IDC_RCON_ADDRESS));
    BOOL portOk = FALSE;
    const UINT port = GetDlgItemInt(Window(), IDC_RCON_PORT, &portOk, FALSE);
    const TypedPassword password(Item(IDC_RCON_PASSWORD));
    const std::string& typed = password.utf8;
    UINT problem = 0;
    if (!IsValidAddress(next.address))
        problem = IDS_WEB_BAD_ADDRESS;
    else if (!portOk || !IsValidPort(port))
        problem = IDS_WEB_BAD_PORT;
    else if (!password.valid || typed.size() > kMaxPasswordBytes)
        problem = IDS_WEB_LONG_PASSWORD;
    else if (!typed.empty() && Utf8Length(typed) < kMinPasswordLength)
        problem = IDS_WEB_SHORT_PASSWORD;
    else if (typed.empty() && next.enabled && !next.password.IsSet())
        problem = IDS_WEB_NEED_PASSWORD;
    if (problem) {
        ShowMessage("Source RCON: " + ui::ProgramString(problem));
        return false;
    }
    next.port = static_cast<int>(port);
    if (typed.empty()) return true;
    ui::WaitCursor wait;
    next.password = HashPassword(typed);
    next.passwordUnusable = false;
    if (next.password.IsSet()) return true;
    ShowMessage(ui::ProgramString(IDS_WEB_HASH_FAILED));
    return false;
}

}  // namespace korvane::web
