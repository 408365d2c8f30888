// What the engine has reported and the window has not yet taken: its console lines (with the
// front end's own notes among them), the player table its events keep, and whether that table
// changed since it was last taken. No lock of its own and no windows: the host calls every
// member with EngineLock held, from the engine's callbacks and from the window's hand-over.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "host/PlayerTable.h"

namespace korvane {

class EngineReports {
  public:
    // `newPlayerName`: what a joining player is called until the engine names them.
    explicit EngineReports(std::string newPlayerName) : newPlayerName_(std::move(newPlayerName)) {}

    void AddLine(std::string line) { lines_.push_back(std::move(line)); }
    // Decodes one event message into the table and the lines; true when the engine asks the
    // front end to close.
    bool ApplyEvent(const char* message);
    // The engine is gone: no players, nothing changed. The lines stay, since they often say
    // why it stopped.
    void ClearPlayers();

    std::vector<std::string> TakeLines();
    // Whether the table changed since the last call.
    bool TakePlayersChanged();
    std::vector<PlayerRecord> Players() const { return players_.Snapshot(); }

  private:
    std::string newPlayerName_;
    std::vector<std::string> lines_;
    PlayerTable players_;
    bool playersChanged_ = false;
};

}  // namespace korvane
