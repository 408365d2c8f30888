// The simulated players: they connect, choose a side and a specialty, talk, score, lag and
// leave. The host hears of them through join, leave and update events; everything else
// reaches its console. The population drifts around "botcount" within "maxplayers".
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Console.h"
#include "Events.h"
#include "Random.h"
#include "StringIds.h"
#include "VariableStore.h"

// The string library's ids and the contract's must agree on "unassigned".
static_assert(KORVANE_UNASSIGNED == korvane::kUnassignedText);
static_assert(KORVANE_SPECIALTY_UNCHOSEN == korvane::kUnassignedSpecialty);

namespace korvane {

struct Player {
    int id = 0;
    std::string name;
    int team = static_cast<int>(kUnassignedText);  // text id in korvane/cres.dll
    int specialty = KORVANE_SPECIALTY_NONE;        // text id; kUnassignedSpecialty for none yet
    float pingSeconds = 0.0f;
    float typicalPingSeconds = 0.0f;  // the ping drifts around this
    uint64_t joinedMs = 0;
    uint64_t announceAtMs = 0;  // when name, side and specialty go out
    uint64_t chooseAtMs = 0;    // when an unchosen specialty gets chosen
    uint64_t nextPingMs = 0;
    uint64_t nextActionMs = 0;
    bool announced = false;
    bool changed = false;    // goes out in the next players-updated event
    bool automatic = false;  // brought by the simulation, so it may also leave by itself
    int kills = 0;
    int deaths = 0;
    int captures = 0;
};

enum class Departure { Left, TimedOut, Kicked, ServerFull };

class Roster {
  public:
    static constexpr int kMaxPlayers = 64;
    static constexpr int kLargestId = 65535;  // the host tells players apart by 16 bits
    static constexpr float kLowestPing = 0.020f;
    static constexpr float kHighestPing = 0.250f;

    // Creates "botcount" (players the simulation keeps on the server), "botchat" (pace of
    // chat and score lines, 0 = silent) and "botchurn" (the simulation's players who leave a
    // minute, each replaced within a second; 0 = only the natural coming and going) when they
    // do not exist.
    Roster(VariableStore& variables, Console& console, EventChannel& events, uint64_t seed);

    int Count() const { return static_cast<int>(players_.size()); }
    const std::vector<Player>& All() const { return players_; }
    const Player* Find(int id) const;
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
    void NewMap();
    void ReportRound(int round);

    static const char* TeamName(int team);
    static const char* SpecialtyName(int specialty);

  private:
    Player* FindMutable(int id);
    int NewId() const;
    std::string NewName(std::string_view wanted);
    int TeamSize(int team) const;
    int ChooseTeam() const;
    void Announce(Player& player);
    void DriftPing(Player& player);
    void Act(Player& player, uint64_t nowMs);
    void Chat(const Player& player);
    void Fight(Player& player);
    void SendChanges();
    void ManagePopulation(uint64_t nowMs, int maxPlayers);
    int AutomaticCount() const;
    int RandomAutomatic();
    float Pace() const;

    Console& console_;
    EventChannel& events_;
    Random random_;
    Variable* botCount_;
    Variable* botChat_;
    Variable* botChurn_;
    std::vector<Player> players_;
    bool running_ = false;
    bool announceAgain_ = false;
    bool filling_ = false;  // the first players are still arriving
    int nextId_ = 1;
    uint64_t lastAdvanceMs_ = 0;
    uint64_t nextArrivalMs_ = 0;
    uint64_t nextChurnMs_ = 0;
    uint64_t nextForcedChurnMs_ = 0;
    uint64_t nextSurplusMs_ = 0;
    uint64_t nextTrafficMs_ = 0;
    float lineBudget_ = 0.0f;  // chat and score lines that may go out now
    float traffic_ = 1.0f;     // slow swing of the bandwidth figures
    int blueCaptures_ = 0;
    int redCaptures_ = 0;
};

}  // namespace korvane
