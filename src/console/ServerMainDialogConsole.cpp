// The console half of the main window: engine text and events handed over under EngineLock,
// and the 100 ms refresh that brings the player list, the console pane and the figures up to
// date on the window thread.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <cstring>
#include <ctime>

#include "console/ConsolePane.h"
#include "host/EngineAccess.h"
#include "host/ServerMainDialog.h"
#include "resources/resource.h"
#include "ui/ListView.h"

namespace korvane {

namespace {

constexpr UINT kEngineCloseMessage = WM_APP + 1;

LRESULT List(HWND list, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(list, message, wParam, lParam);
}

// Writes a cell only when its text changes, so a steady list does not flicker.
void SetCell(HWND list, int row, int column, const char* text) {
    char shown[300] = {};
    LVITEMA item = {};
    item.iSubItem = column;
    item.pszText = shown;
    item.cchTextMax = sizeof shown;
    List(list, LVM_GETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
    if (std::strcmp(shown, text) == 0) return;
    item.pszText = const_cast<char*>(text);
    List(list, LVM_SETITEMTEXTA, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&item));
}

int32_t RowPlayerId(HWND list, int row) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    List(list, LVM_GETITEMA, 0, reinterpret_cast<LPARAM>(&item));
    return static_cast<int32_t>(item.lParam);
}

void SetRowPlayerId(HWND list, int row, int32_t id) {
    LVITEMA item = {};
    item.mask = LVIF_PARAM;
    item.iItem = row;
    item.lParam = id;
    List(list, LVM_SETITEMA, 0, reinterpret_cast<LPARAM>(&item));
}

void SetStatic(HWND window, int id, const char* text) {
    char shown[64] = {};
    GetDlgItemTextA(window, id, shown, sizeof shown);
    if (std::strcmp(shown, text) != 0) SetDlgItemTextA(window, id, text);
}

// Float to int, toward zero, without the undefined conversion of NaN or huge values.
int Truncate(float value) {
    if (!(value == value)) return 0;
    if (value >= 2147483520.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int>(value);
}

// The ID column grows to show the widest id in full (ids are what `kick` takes); it never
// gets narrower than it is, so it does not jump as players come and go.
void FitIdColumn(HWND list) {
    const LRESULT before = List(list, LVM_GETCOLUMNWIDTH, 0);
    List(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(LVSCW_AUTOSIZE_USEHEADER, 0));
    if (List(list, LVM_GETCOLUMNWIDTH, 0) < before)
        List(list, LVM_SETCOLUMNWIDTH, 0, MAKELPARAM(static_cast<int>(before), 0));
}

}  // namespace

int ServerMainDialog::HandleConsoleText(const char* text) {
    consoleQueue_.emplace_back(text);
    return 0;
}

int ServerMainDialog::HandleEngineEvent(const char* message) {
    const EngineEventOutcome outcome = ApplyEngineEvent(
        playerTable_, message, static_cast<int64_t>(std::time(nullptr)), newPlayerName_);
    if (outcome.playersChanged) playersChanged_ = true;
    if (outcome.consoleText) consoleQueue_.push_back(*outcome.consoleText);
    // The window is closed on its own thread: this may be the server thread, inside Tick.
    if (outcome.close && Window()) PostMessageA(Window(), kEngineCloseMessage, 0, 0);
    return 0;
}

bool ServerMainDialog::OnTimer(UINT_PTR /*id*/) {
    UpdateStatus();
    return false;  // the timer message keeps its default processing
}

void ServerMainDialog::UpdateStatus() {
    if (UpdatePlayerList()) {
        float send = 0, receive = 0;
        if (EngineCall engine; engine) engine->GetBandwidth(&send, &receive);
        char text[32];
        std::snprintf(text, sizeof text, "%d", Truncate(send));
        SetStatic(Window(), IDC_SEND_BPS, text);
        std::snprintf(text, sizeof text, "%d", Truncate(receive));
        SetStatic(Window(), IDC_RECV_BPS, text);
    }
    char rate[32];
    std::snprintf(rate, sizeof rate, "%d", Truncate(UpdateRate()));
    SetStatic(Window(), IDC_UPDATE_RATE, rate);
}

bool ServerMainDialog::UpdatePlayerList() {
    if (shutdownRequested_.load() == 1) ShutdownEngine();
    HWND list = Item(IDC_PLAYER_LIST);
    HWND pane = Item(IDC_CONSOLE);
    if (!engine_) {
        // ShutdownEngine emptied the table: the rows go, and the lines it left are shown.
        if (List(list, LVM_GETITEMCOUNT) > 0) List(list, LVM_DELETEALLITEMS);
        ShowLeftoverLines();
        return false;
    }

    // One short hold of the lock for everything handed over, so the flag, the lines and the
    // records always belong together.
    bool changed = false;
    std::vector<std::string> lines;
    std::vector<PlayerRecord> players;
    {
        ui::ScopedLock lock(engineLock_);
        changed = playersChanged_;
        playersChanged_ = false;
        lines.swap(consoleQueue_);
        players = playerTable_.Snapshot();
    }

    int rows = static_cast<int>(List(list, LVM_GETITEMCOUNT));
    const int wanted = static_cast<int>(players.size());
    while (rows < wanted) {
        LVITEMA item = {};
        item.mask = LVIF_TEXT | LVIF_PARAM;
        item.iItem = rows;
        item.pszText = const_cast<char*>("");
        if (List(list, LVM_INSERTITEMA, 0, reinterpret_cast<LPARAM>(&item)) < 0) break;
        ++rows;
    }
    while (rows > wanted) {
        if (!List(list, LVM_DELETEITEM, static_cast<WPARAM>(rows - 1))) break;
        --rows;
    }

    // The selection follows the player, not the row: a rewrite may move players between rows.
    const int selectedRow = ui::ListNextSelected(list);
    const bool hadSelection = selectedRow >= 0;
    const int32_t selectedId = hadSelection ? RowPlayerId(list, selectedRow) : 0;

    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    for (int row = 0; row < rows && row < wanted; ++row) {
        const PlayerRecord& player = players[static_cast<size_t>(row)];
        PlayerInfo info = {};
        if (EngineCall engine; engine) engine->GetPlayerInfo(RowPlayerId(list, row), &info);
        if (changed) {
            SetRowPlayerId(list, row, player.id);
            char text[32];
            std::snprintf(text, sizeof text, "%d", player.id);
            SetCell(list, row, 0, text);
            SetCell(list, row, 1, player.name);
            SetCell(list, row, 2, LoadResourceText(static_cast<int>(player.team)).c_str());
            SetCell(list, row, 3, LoadResourceText(player.specialty).c_str());
        }
        float ping = 0;
        static_assert(sizeof ping == sizeof info.pingSeed);
        std::memcpy(&ping, &info.pingSeed, sizeof ping);
        if (EngineCall engine; engine) engine->GetPlayerPing(RowPlayerId(list, row), &ping);
        char text[32];
        std::snprintf(text, sizeof text, "%d", Truncate(ping * 1000.0f));
        SetCell(list, row, 4, text);
        SetCell(list, row, 5, FormatDuration(now - player.joinTime).c_str());
    }

    if (changed) FitIdColumn(list);

    if (changed && hadSelection) {
        int follow = -1;
        for (int row = 0; row < rows; ++row)
            if (RowPlayerId(list, row) == selectedId) follow = row;
        LVITEMA state = {};
        state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
        for (int row = 0; row < rows; ++row) {
            state.state = row == follow ? (LVIS_SELECTED | LVIS_FOCUSED) : 0;
            List(list, LVM_SETITEMSTATE, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&state));
        }
    }

    AppendConsoleLines(pane, lines);
    return true;
}

void ServerMainDialog::ShowLeftoverLines() {
    // Only the window thread is left to touch the queue once the engine is gone.
    if (consoleQueue_.empty()) return;
    std::vector<std::string> lines;
    lines.swap(consoleQueue_);
    AppendConsoleLines(Item(IDC_CONSOLE), lines);
}

void ServerMainDialog::AppendConsoleLines(HWND pane, const std::vector<std::string>& lines) {
    ConsoleLogBatch(pane, lines);
}

void ServerMainDialog::SendCommandLine() {
    if (!engine_) return;
    char command[kCommandLineLimit + 1] = {};
    GetDlgItemTextA(Window(), IDC_COMMAND_LINE, command, sizeof command);
    if (!command[0]) return;
    ConsoleLog(Item(IDC_CONSOLE), command);
    SetDlgItemTextA(Window(), IDC_COMMAND_LINE, "");
    if (EngineCall engine; engine) engine->ExecuteCommand(command);
}

bool ServerMainDialog::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case kEngineCloseMessage:
            CloseForEngine();
            return true;
        case WM_SYSCOMMAND:
            return OnSysCommand(wParam);
        case WM_GETMINMAXINFO: {
            // The window keeps the size its template gives it: no sizing, no maximising.
            RECT frame = {};
            GetWindowRect(Window(), &frame);
            const POINT size = {frame.right - frame.left, frame.bottom - frame.top};
            auto* info = reinterpret_cast<MINMAXINFO*>(lParam);
            info->ptMaxSize = size;
            info->ptMinTrackSize = size;
            info->ptMaxTrackSize = size;
            info->ptMaxPosition = {frame.left, frame.top};
            return false;
        }
        case WM_PAINT:
            if (!IsIconic(Window())) return false;
            PaintMinimised();
            return true;
        case WM_QUERYDRAGICON:
            result = reinterpret_cast<LRESULT>(icon_);
            return true;
        default:
            return ui::Dialog::OnMessage(message, wParam, lParam, result);
    }
}

}  // namespace korvane
