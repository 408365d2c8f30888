// The console half of the main window: engine text handed over through ConsoleQueue, the
// console pane, the 100 ms refresh and closing the window.
#include <windows.h>

#include <cstdio>
#include <cstring>

#include "console/ConsolePane.h"
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

void ServerMainDialog::UpdateStatus() {
    if (shutdownRequested_.load() == 1) ShutdownEngine();
    HWND pane = Item(IDC_CONSOLE);
    ConsoleLogBatch(pane, TakeConsoleLines());

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
