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

OperatorTools::OperatorTools(EngineHost& host) : host_(host), keys_(history_, VariableNames()) {}

void OperatorTools::Start(HWND window) {
    window_ = window;
    startedMs_ = seams_.clockMs();
    if (instance_) instance_->MarkWindow(window);
    history_.Load(seams_.historyFile);
    keys_.Attach(GetDlgItem(window, IDC_COMMAND_LINE));
    log_.emplace(seams_.logFolder);
    if (logging_) log_->RemoveOldFiles();
    tray_.emplace(seams_.notify, seams_.track);
    // The small icon, so the shell does not shrink the large one.
    auto* icon = static_cast<HICON>(
        LoadImageA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME), IMAGE_ICON,
                   GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON), LR_SHARED));
    tray_->Add(window, icon);
    host_.AddConsoleListener(*this);
}

void OperatorTools::Refreshed(const EngineHost::HandOver& handOver) {
    WriteLog(pending_);
    pending_.clear();
    UpdateTray(handOver);
    ShowNotResponding();
    // The history counts its few minutes from the start.
    const uint64_t now = seams_.clockMs() - startedMs_;
    if (history_.SaveDue(now)) history_.Save(seams_.historyFile, now);
    // One line scrolls away in seconds on a busy server; a log that stays stopped says so
    // again (the tooltip and the web status show it all along).
    if (!logFailure_.empty() && now - logFailureSaidMs_ >= kLogStoppedRepeatMs) {
        logFailureSaidMs_ = now;
        host_.Note(logFailure_);
    }
}

void OperatorTools::WriteLog(const std::vector<std::string>& lines) {
    if (!logging_ || !log_) return;
    // The reason goes to the console like any other line, at the next refresh; the log has
    // stopped by then, so it is not written there.
    if (std::optional<std::string> failure = log_->Append(lines)) {
        logFailure_ = *failure;
        logFailureSaidMs_ = seams_.clockMs() - startedMs_;
        host_.Note(*failure);
    }
}

void OperatorTools::Sent(const std::string& command) {
    keys_.Sent(command);
}

void OperatorTools::ConsoleLines(const std::vector<std::string>& lines) {
    if (logging_) pending_.insert(pending_.end(), lines.begin(), lines.end());
}

const char* OperatorTools::LogState() const {
    if (!logging_) return "off";
    return log_ && log_->Stopped() ? "stopped" : "writing";
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
    status_.updateRate = TruncateToInt(host_.UpdateRate());
    status_.logStopped = logging_ && log_ && log_->Stopped();
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
    if (id != IDM_OPEN_LOG_FOLDER || !log_) return false;
    log_->OpenFolder(window_, seams_.openFolder);
    return true;
}

void OperatorTools::EngineStopped() {
    status_.engineStopped = true;
    // Shown only while the window is minimised; otherwise the window itself tells.
    if (tray_) tray_->NotifyIfMinimised(ui::ProgramString(IDS_TRAY_ENGINE_STOPPED));
}

OperatorTools::~OperatorTools() {
    host_.RemoveConsoleListener(*this);
}

void OperatorTools::End() {
    host_.RemoveConsoleListener(*this);
    if (!pending_.empty()) WriteLog(pending_);
    pending_.clear();
    if (history_.Changed()) history_.Save(seams_.historyFile, seams_.clockMs() - startedMs_);
    log_.reset();
    keys_.Detach();
    tray_.reset();  // removes the icon while its window still exists
}

}  // namespace korvane
