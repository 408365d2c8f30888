// How the simulated players behave once connected: they pick a side and a specialty, their
// ping drifts, and they talk, fight, capture flags and switch sides at the "botchat" pace.
// Each draw comes from the roster's one seeded generator, in a fixed order, so a test's
// fixed clock sees the same game every time.
#pragma once

#include <cstdint>

#include "Console.h"
#include "Events.h"
#include "PlayerList.h"
#include "Random.h"
#include "VariableStore.h"

namespace korvane {

class Behaviour {
  public:
    static constexpr float kLowestPing = 0.020f;
    static constexpr float kHighestPing = 0.250f;

    Behaviour(Console& console, EventChannel& events, Random& random, const Variable& botChat);

    // Lines a second at "botchat" 1 and above; 0 keeps the players silent.
    float Pace() const;
    // Time has passed: more chat and score lines may go out, a few a second at most.
    void Refill(uint64_t elapsedMs);
    // One player's turn in a tick: the announcement, a late specialty, the ping, an action.
    void Advance(Player& player, PlayerList& players, uint64_t nowMs);
    void NewMap(PlayerList& players);
    // The round's captures and best player, then a new count.
    void ReportRound(int round, const PlayerList& players);

  private:
    void Announce(Player& player, const PlayerList& players);
    void DriftPing(Player& player);
    void Act(Player& player, PlayerList& players, uint64_t nowMs);
    void Chat(const Player& player);
    void Fight(Player& player, PlayerList& players);

    Console& console_;
    EventChannel& events_;
    Random& random_;
    const Variable& botChat_;
    float lineBudget_ = 0.0f;  // chat and score lines that may go out now
    int blueCaptures_ = 0;
    int redCaptures_ = 0;
};

}  // namespace korvane
