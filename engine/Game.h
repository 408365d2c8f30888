// The simulated game behind the engine: the running map, its rounds against the time limit,
// the map rotation (engine/MapRotation.h) and the players on it.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Console.h"
#include "EngineEnvironment.h"
#include "Events.h"
#include "MapRotation.h"
#include "Roster.h"
#include "VariableStore.h"

namespace korvane {

class Game {
  public:
    static constexpr uint64_t kHeartbeatMs = 5 * 60 * 1000;

    // Creates the variables the game reads ("timelimit", "numrounds", "maxplayers", "nummaps")
    // with defaults when they do not exist yet.
    Game(VariableStore& variables, Console& console, EventChannel& events,
         EngineEnvironment& environment);

    bool Running() const { return running_; }
    const std::string& Map() const { return map_; }
    int Round() const { return round_; }
    int RoundCount() const;
    int MaxPlayers() const;
    // Seconds left in the round; -1 without a time limit or a running game.
    int64_t SecondsLeft(uint64_t nowMs) const;

    // Loads the map and starts its first round.
    void Start(std::string_view map, uint64_t nowMs);
    // Moves the game clock on: ends rounds, rotates maps, prints the heartbeat.
    void Advance(uint64_t nowMs);
    // Switches at once to rotation entry index; false (with a console line) if there is none.
    bool ChangeMap(int index, uint64_t nowMs);

    int PlayerCount() const { return roster_.Count(); }
    Roster& Players() { return roster_; }
    const Roster& Players() const { return roster_; }
    // A player joins now if the game runs and has room; the new id, or 0 with a console line.
    int AddPlayer(std::string_view name, uint64_t nowMs);
    bool RemovePlayer(int id, Departure how);

  private:
    uint64_t RoundLengthMs() const;
    void Load(std::string_view map, int rotationIndex, uint64_t atMs);
    void EndRound(uint64_t atMs);
    void PrintHeartbeat(uint64_t nowMs);

    Console& console_;
    EngineEnvironment& environment_;
    // Cached once: variables are never removed, so Advance needs no look-up per tick.
    Variable* timeLimit_;
    Variable* numRounds_;
    Variable* maxPlayers_;
    MapRotation rotation_;

    bool running_ = false;
    std::string map_;
    int rotationIndex_ = -1;  // position of map_ in the rotation, -1 when it is not in it
    int round_ = 0;
    uint64_t roundStartMs_ = 0;
    uint64_t lastHeartbeatMs_ = 0;
    Roster roster_;
};

}  // namespace korvane
