// The console half of the main window: engine text handed over through ConsoleQueue, the
// console pane, the 100 ms refresh and closing the window.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "host/ServerMainDialog.h"
#include "resources/resource.h"

namespace korvane {

int ServerMainDialog::HandleConsoleText(const char* text) {
    consoleQueue_.emplace_back(text);
    return 0;
}

int ServerMainDialog::HandleEngineEvent(const char* /*message*/) {
    // Player events are decoded by the player list, which this window does not have yet.
    return 0;
}

std::vector<std::string> ServerMainDialog::TakeConsoleLines() {
    std::vector<std::string> lines;
    if (!engineLock_.Ready()) return lines;
    ui::ScopedLock lock(engineLock_);
    lines.swap(consoleQueue_);
    return lines;
}

bool ServerMainDialog::OnTimer(UINT_PTR /*id*/) {
    UpdateStatus();
    return false;  // the timer message keeps its default processing
}

namespace {

// Appends one line to the console pane, trimming the oldest three quarters first when the
// pane has grown past 250 lines or its text limit.
void ConsoleLog(HWND pane, const char* text) {
    auto trim = [pane] {
        const int lines = static_cast<int>(SendMessageA(pane, EM_GETLINECOUNT, 0, 0));
        const int keepFrom = lines * 75 / 100;
        const LRESULT cut = SendMessageA(pane, EM_LINEINDEX, keepFrom, 0);
        if (cut <= 0) return;
        ui::RedrawOff redraw(pane);
        SendMessageA(pane, EM_SETSEL, 0, cut);
        SendMessageA(pane, EM_SCROLLCARET, 0, 0);
        SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    };
    if (SendMessageA(pane, EM_GETLINECOUNT, 0, 0) > 250) trim();
    const LRESULT limit = SendMessageA(pane, EM_GETLIMITTEXT, 0, 0);
    if (GetWindowTextLengthA(pane) >= limit) trim();

    char line[502];
    std::snprintf(line, 500, "%s", text);
    size_t length = std::strlen(line);
    if (length == 0) return;
    if (static_cast<unsigned char>(line[length - 1]) < 32) line[--length] = '\0';
    std::memcpy(line + length, "\r\n", 3);
    SendMessageA(pane, EM_SETSEL, limit, limit);
    SendMessageA(pane, EM_SCROLLCARET, 0, 0);
    SendMessageA(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line));
}

}  // namespace

void ServerMainDialog::UpdateStatus() {
    if (shutdownRequested_.load() == 1) ShutdownEngine();
    HWND pane = Item(IDC_CONSOLE);
    for (const std::string& line : TakeConsoleLines()) ConsoleLog(pane, line.c_str());

    char rate[32];
    std::snprintf(rate, sizeof rate, "%d", static_cast<int>(UpdateRate()));
    char shown[32] = {};
    GetDlgItemTextA(Window(), IDC_UPDATE_RATE, shown, sizeof shown);
    if (std::strcmp(shown, rate) != 0) SetDlgItemTextA(Window(), IDC_UPDATE_RATE, rate);
}

bool ServerMainDialog::ConfirmQuit() {
    if (!engine_) return true;
    char text[128] = {};
    char caption[64] = {};
    LoadStringA(GetModuleHandleA(nullptr), IDS_CONFIRM_QUIT, text, sizeof text);
    LoadStringA(GetModuleHandleA(nullptr), IDS_QUIT_CAPTION, caption, sizeof caption);
    return MessageBoxA(Window(), text, caption, MB_YESNO | MB_ICONQUESTION) == IDYES;
}

void ServerMainDialog::OnCancel() {
    if (!confirmOnClose_ || ConfirmQuit()) End(IDCANCEL);
}

}  // namespace korvane
