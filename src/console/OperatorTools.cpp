// The operator's tools wired to the main window's events.
#include "console/OperatorTools.h"

#include <commctrl.h>

#include <cstring>

#include "console/PlayerMenu.h"
#include "host/EngineCalls.h"
#include "resources/resource.h"
#include "settings/SettingTable.h"
#include "ui/Text.h"

namespace korvane {

namespace {

// The console variables Tab completes besides the history: the settings table's keys (the
// rotation's "map%d" is a pattern, not a name).
std::vector<std::string> VariableNames() {
    std::vector<std::string> names;
    for (const SettingEntry& row : SettingTable)
        if (!std::strchr(row.name, '%')) names.emplace_back(row.name);
    return names;
}

}  // namespace

OperatorTools::OperatorTools(EngineHost& host)
    : host_(host), keeper_(host), keys_(keeper_.History(), VariableNames()) {}

void OperatorTools::Start(HWND window) {
    window_ = window;
    if (instance_) instance_->MarkWindow(window);
    keeper_.Start({seams_.logFolder, seams_.historyFile, seams_.clockMs});
    keys_.Attach(GetDlgItem(window, IDC_COMMAND_LINE));
    tray_.emplace(seams_.notify, seams_.track);
    // The small icon, so the shell does not shrink the large one.
    auto* icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    tray_->Add(window, icon);
}

void OperatorTools::Refreshed(const EngineHost::HandOver& handOver) {
    keeper_.Refreshed();
    UpdateTray(handOver);
    ShowNotResponding();
}

void OperatorTools::Sent(const std::string& command) {
    keys_.Sent(command);
}

void OperatorTools::UpdateTray(const EngineHost::HandOver& handOver) {
    if (!tray_) return;
    const DWORD now = GetTickCount();
    // The tooltip changes at most once a second, so the name is read from the engine as often.
    if (!nameRead_ || now - nameReadAt_ >= TrayIcon::kTooltipIntervalMs) {
        nameRead_ = true;
        nameReadAt_ = now;
        status_.serverName = host_.Settings().GetText(TextOption::ServerName);
    }
    status_.players = handOver.engineLoaded ? static_cast<int>(handOver.players.size()) : 0;
    status_.maxPlayers = host_.Settings().maxPlayers;
    status_.updateRate = TruncateToInt(host_.Game().UpdateRate());
    status_.logStopped = keeper_.LogStopped();
    status_.notRespondingSeconds = host_.Calls().NotRespondingSeconds();
    tray_->Update(status_, now);
}

void OperatorTools::ShowNotResponding() {
    const long long seconds = host_.Calls().NotRespondingSeconds();
    if (!window_ || seconds == notRespondingShown_) return;
    if (notRespondingShown_ == 0) {
        char caption[256] = {};
        GetWindowTextA(window_, caption, sizeof caption);
        caption_ = caption;
    }
    notRespondingShown_ = seconds;
    const std::string text = seconds > 0 ? caption_ + " - " + NotRespondingText(seconds) : caption_;
    SetWindowTextA(window_, text.c_str());
}

bool OperatorTools::OnMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    TrayIcon::Action action = TrayIcon::Action::None;
    if (tray_ && tray_->HandleMessage(message, wParam, lParam, action)) {
        // The same command, and so the same question and exit code, as File > Quit.
        if (action == TrayIcon::Action::Quit) PostMessageA(window_, WM_COMMAND, IDM_QUIT, 0);
        return true;
    }
    HWND list = GetDlgItem(window_, IDC_PLAYER_LIST);
    switch (message) {
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) != list) return false;
            // Kick acts as Game > Kick Player does, on the row the menu was opened for.
            if (std::optional<int32_t> id = RunPlayerMenu(window_, list, lParam, seams_.track))
                KickPlayer(host_, *id);
            return true;
        case WM_NOTIFY:
            return OnPlayerListKey(*reinterpret_cast<const NMHDR*>(lParam));
        default:
            return false;
    }
}

bool OperatorTools::OnPlayerListKey(const NMHDR& header) {
    if (header.idFrom != IDC_PLAYER_LIST || header.code != LVN_KEYDOWN) return false;
    if (reinterpret_cast<const NMLVKEYDOWN&>(header).wVKey != VK_DELETE) return false;
    if (std::optional<int32_t> id = ConfirmKickSelected(window_, header.hwndFrom))
        KickPlayer(host_, *id);
    return true;
}

bool OperatorTools::OnCommand(int id) {
    if (id != IDM_OPEN_LOG_FOLDER || !keeper_.Log()) return false;
    keeper_.Log()->OpenFolder(window_, seams_.openFolder);
    return true;
}

void OperatorTools::EngineStopped() {
    status_.engineStopped = true;
    // Shown only while the window is minimised; otherwise the window itself tells.
    if (tray_) tray_->NotifyIfMinimised(ui::ProgramString(IDS_TRAY_ENGINE_STOPPED));
}

void OperatorTools::Notify(const std::string& text) {
    if (tray_) tray_->NotifyIfMinimised(text);
}

void OperatorTools::End() {
    keeper_.End();
    keys_.Detach();
    tray_.reset();  // removes the icon while its window still exists
}

}  // namespace korvane
