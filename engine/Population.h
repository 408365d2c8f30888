// How many simulated players are on the server: the first ones arrive within seconds of the
// start, the number then drifts around "botcount" within the player limit, and "botchurn"
// makes the simulation's own players leave at a set pace, each place taken again at once.
#pragma once

#include <cstdint>

#include "Random.h"
#include "VariableStore.h"

namespace korvane {

class Roster;

class Population {
  public:
    Population(Random& random, const Variable& botCount, const Variable& botChurn);

    // The game has started: the first players arrive within a second.
    void Begin(uint64_t nowMs);
    // Arrivals and departures due by nowMs.
    void Manage(Roster& roster, uint64_t nowMs, int maxPlayers);

  private:
    Random& random_;
    const Variable& botCount_;
    const Variable& botChurn_;
    bool filling_ = false;  // the first players are still arriving
    uint64_t nextArrivalMs_ = 0;
    uint64_t nextChurnMs_ = 0;
    uint64_t nextForcedChurnMs_ = 0;
    uint64_t nextSurplusMs_ = 0;
};

}  // namespace korvane
