// The player list of the main window: rows brought up to the host's hand-over, cells written
// only when their text changes, the selection following its player.
#pragma once

#include <windows.h>

#include <optional>

#include "host/EngineHost.h"

namespace korvane {

class PlayerListView {
  public:
    // Gives the list its six columns (ID, Name, Team, Specialty, Ping, Time).
    void Attach(HWND list);
    // One refresh: rows for the hand-over's records (rewritten when players changed), ping
    // and connection time for every row. Without an engine the rows go.
    void Show(const EngineHost::HandOver& handOver, EngineHost& host);
    // The id of the player on the selected row, if a row is selected.
    std::optional<int32_t> SelectedPlayer() const;

  private:
    void MatchRowCount(int wanted);
    void WritePlayer(int row, const PlayerRecord& player, EngineHost& host);
    void SelectPlayer(int32_t id);
    void FitIdColumn();

    HWND list_ = nullptr;
};

}  // namespace korvane
