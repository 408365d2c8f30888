// The main window: start-up, refresh and the operator's commands.
#include "console/ServerMainDialog.h"

#include <commctrl.h>

#include <cstdio>
#include <cstring>

#include "editor/SettingsPropSheet.h"
#include "host/EngineCalls.h"
#include "host/EngineVersion.h"
#include "resources/resource.h"
#include "ui/Text.h"

namespace korvane {

namespace {

constexpr UINT_PTR kRefreshTimer = 0;

void SetStatic(HWND window, int id, const char* text) {
    char shown[32] = {};
    GetDlgItemTextA(window, id, shown, sizeof shown);
    if (std::strcmp(shown, text) != 0) SetDlgItemTextA(window, id, text);
}

void SetStatic(HWND window, int id, int value) {
    char text[32];
    std::snprintf(text, sizeof text, "%d", value);
    SetStatic(window, id, text);
}

}  // namespace

ServerMainDialog::ServerMainDialog(EngineHost& host, bool showSettings, HWND parent)
    : ui::Dialog(IDD_SERVER, parent),
      host_(host),
      showSettings_(showSettings),
      tools_(host),
      icon_(ui::ProgramIcon(IDR_MAINFRAME)) {
    SetDragIcon(icon_);
}

ServerMainDialog::~ServerMainDialog() {
    host_.RemoveConsoleListener(pane_);
    if (addOn_) addOn_->WindowClosing();
    host_.Shutdown();
    host_.SetListener(nullptr);
}

bool ServerMainDialog::OnInitDialog() {
    if (HMENU menu = GetSystemMenu(Window(), FALSE)) {
        const std::string about = ui::ProgramString(IDS_ABOUTBOX);
        if (!about.empty()) {
            AppendMenuA(menu, MF_SEPARATOR, 0, nullptr);
            AppendMenuA(menu, MF_STRING, IDM_ABOUTBOX_SYS, about.c_str());
        }
    }
    SendMessageA(Window(), WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(icon_));
    SendMessageA(Window(), WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(icon_));
    // Only what is sent whole can be typed: the command is read back into 120 bytes.
    SendMessageA(Item(IDC_COMMAND_LINE), EM_LIMITTEXT, kCommandLineLimit, 0);
    players_.Attach(Item(IDC_PLAYER_LIST));
    pane_.Attach(Item(IDC_CONSOLE));
    host_.AddConsoleListener(pane_);
    tools_.Start(Window());
    if (startupPending_) {
        startupPending_ = false;
        Start();
    }
    return true;
}

void ServerMainDialog::Start() {
    // The host may speak from the server thread: it only posts, and the window acts.
    HWND window = Window();
    host_.SetListener([window](EngineHost::Notice notice) {
        PostMessageA(
            window,
            notice == EngineHost::Notice::Stopped ? kEngineStoppedMessage : kEngineCloseMessage, 0,
            0);
    });
    EngineHost::StartHooks hooks;
    hooks.engineLoaded = [this](const std::array<int, 3>& version) {
        char caption[254] = {};
        GetWindowTextA(Window(), caption, sizeof caption);
        SetWindowTextA(Window(), (std::string(caption) + " " + VersionText(version)).c_str());
    };
    if (showSettings_) hooks.settings = [this] { return RunStartupSettings() == IDOK; };

    switch (host_.Start(hooks)) {
        case EngineHost::StartResult::Running:
            SetTimer(Window(), kRefreshTimer, 100, nullptr);
            if (addOn_) addOn_->HostingStarted();
            return;
        case EngineHost::StartResult::NoEngine: {
            const std::string text =
                "Korvane Server could not start the game's engine.\n\n" + host_.StartFailure();
            MessageBoxA(Window(), text.c_str(), ui::ProgramString(IDS_QUIT_CAPTION).c_str(),
                        MB_OK | MB_ICONSTOP);
            startupFailed_ = true;
            OnCancel();  // no engine: no question
            PostQuitMessage(0);
            return;
        }
        case EngineHost::StartResult::SettingsDeclined:
            startupFailed_ = true;
            confirmOnClose_ = false;
            OnCancel();
            PostQuitMessage(0);
            return;
        case EngineHost::StartResult::StepFailed:
            // The window stays open without an engine; what the engine said about it shows.
            startupFailed_ = true;
            ShowEngineStopped();
            Refresh();
            return;
    }
}

INT_PTR ServerMainDialog::RunStartupSettings() {
    SettingsPropSheet sheet(Window(), host_.Settings());
    return sheet.DoModal();
}

bool ServerMainDialog::OnTimer(UINT_PTR) {
    Refresh();
    if (addOn_) addOn_->Refreshed(Window());
    return false;  // the timer message keeps its default processing
}

void ServerMainDialog::Refresh() {
    // An engine busy in a long call costs this refresh its engine figures, never its time.
    CallClock::ShortWaits quick(kRefreshWaitMs);
    const EngineHost::HandOver handOver = host_.TakeHandOver();
    players_.Show(handOver, host_);
    tools_.Refreshed(handOver);
    if (addOn_) addOn_->ConsoleLogState(tools_.LogState());
    float send = 0, receive = 0;
    if (handOver.engineLoaded && ReadBandwidth(host_, send, receive)) {
        SetStatic(Window(), IDC_SEND_BPS, TruncateToInt(send));
        SetStatic(Window(), IDC_RECV_BPS, TruncateToInt(receive));
    }
    if (engineStopped_)
        SetStatic(Window(), IDC_UPDATE_RATE, "stopped");
    else if (host_.Calls().Stuck())
        SetStatic(Window(), IDC_UPDATE_RATE, "hung");
    else
        SetStatic(Window(), IDC_UPDATE_RATE, TruncateToInt(host_.Game().UpdateRate()));
}

void ServerMainDialog::OnEngineStopped() {
    host_.Shutdown();
    ShowEngineStopped();
    Refresh();
    ShowLine(ui::ProgramString(IDS_TRAY_ENGINE_STOPPED));
    if (addOn_) addOn_->EngineStopped(Window());
}

void ServerMainDialog::ShowEngineStopped() {
    engineStopped_ = true;
    // The window stays for its console and the log; what needs an engine is greyed.
    menu_.EngineStopped(Window());
    tools_.EngineStopped();
}

void ServerMainDialog::ShowLine(const std::string& line) {
    host_.Note(line);
    Refresh();
}

void ServerMainDialog::OnDestroy() {
    host_.RemoveConsoleListener(pane_);
    tools_.End();
    if (addOn_) addOn_->WindowClosing();
    host_.Shutdown();
}

}  // namespace korvane
