// The simulated players: they connect, choose a side and a specialty, talk, score, lag and
// leave. The host hears of them through join, leave and update events; everything else
// reaches its console. The roster owns the player table and the one seeded generator, and
// leaves the players' conduct to Behaviour and their number to Population.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Behaviour.h"
#include "Console.h"
#include "Events.h"
#include "PlayerList.h"
#include "Population.h"
#include "Random.h"
#include "StringIds.h"
#include "VariableStore.h"

// The string library's ids and the contract's must agree on "unassigned".
static_assert(KORVANE_UNASSIGNED == korvane::kUnassignedText);
static_assert(KORVANE_SPECIALTY_UNCHOSEN == korvane::kUnassignedSpecialty);

namespace korvane {

enum class Departure { Left, TimedOut, Kicked, ServerFull };

class Roster {
  public:
    static constexpr int kMaxPlayers = PlayerList::kMaxPlayers;
    static constexpr int kLargestId = PlayerList::kLargestId;
    static constexpr float kLowestPing = Behaviour::kLowestPing;
    static constexpr float kHighestPing = Behaviour::kHighestPing;

    // Creates "botcount" (players the simulation keeps on the server), "botchat" (pace of
    // chat and score lines, 0 = silent) and "botchurn" (the simulation's players who leave a
    // minute, each replaced within a second; 0 = only the natural coming and going) when they
    // do not exist.
    Roster(VariableStore& variables, Console& console, EventChannel& events, uint64_t seed);
    Roster(const Roster&) = delete;
    Roster& operator=(const Roster&) = delete;

    int Count() const { return players_.Count(); }
    const std::vector<Player>& All() const { return players_.All(); }
    const Player* Find(int id) const { return players_.Find(id); }
    const PlayerList& Table() const { return players_; }
    // Send and receive rates in bytes per second, before any budget.
    float SendRate() const;
    float ReceiveRate() const;

    // The game has started: the first players arrive within seconds.
    void Begin(uint64_t nowMs);
    void Advance(uint64_t nowMs, int maxPlayers);
    // A player connects now, named name or, when it is empty, from the built-in list.
    // Returns the new id, 0 when the server is full.
    int Join(std::string_view name, uint64_t nowMs, int maxPlayers, bool automatic);
    bool Remove(int id, Departure how);
    // A host has attached: it learns of the players present at the next Advance.
    void AnnounceAgain() { announceAgain_ = true; }
    void NewMap() { behaviour_.NewMap(players_); }
    void ReportRound(int round) { behaviour_.ReportRound(round, players_); }

  private:
    std::string NewName(std::string_view wanted);
    void SendChanges();

    Console& console_;
    EventChannel& events_;
    Random random_;
    Variable* botCount_;
    Variable* botChat_;
    Variable* botChurn_;
    PlayerList players_;
    Behaviour behaviour_;
    Population population_;
    bool running_ = false;
    bool announceAgain_ = false;
    uint64_t lastAdvanceMs_ = 0;
    uint64_t nextTrafficMs_ = 0;
    float traffic_ = 1.0f;  // slow swing of the bandwidth figures
};

}  // namespace korvane
