// Arrivals and departures of the simulated players.
#include "Population.h"

#include "Roster.h"

namespace korvane {

Population::Population(Random& random, const Variable& botCount, const Variable& botChurn)
    : random_(random), botCount_(botCount), botChurn_(botChurn) {}

void Population::Begin(uint64_t nowMs) {
    filling_ = true;
    nextArrivalMs_ = nowMs + random_.Millis(300, 900);
    nextChurnMs_ = nowMs + random_.Millis(60000, 150000);
}

void Population::Manage(Roster& roster, uint64_t nowMs, int maxPlayers) {
    const PlayerList& players = roster.Table();
    float wanted = Clamped(botCount_.value, 0.0f, static_cast<float>(PlayerList::kMaxPlayers));
    int target = static_cast<int>(wanted);
    if (target > maxPlayers) target = maxPlayers;
    if (players.Count() >= target) filling_ = false;
    // Soak runs ask for more than the natural coming and going: departures at a set pace, and
    // each place taken again within a second or so.
    const float churn = Clamped(botChurn_.value, 0.0f, 600.0f);
    if (players.Count() < target && nowMs >= nextArrivalMs_) {
        roster.Join({}, nowMs, maxPlayers, true);
        nextArrivalMs_ = nowMs + (churn > 0.0f ? random_.Millis(100, 400)
                                  : filling_   ? random_.Millis(500, 1400)
                                               : random_.Millis(4000, 20000));
    }
    // Above the target by more than the usual swing, the simulation's own players drift off.
    int swing = target > 0 ? 3 : 0;
    if (players.Count() > target + swing && players.AutomaticCount() > 0 &&
        nowMs >= nextSurplusMs_) {
        roster.Remove(players.RandomAutomatic(random_), Departure::Left);
        nextSurplusMs_ = nowMs + random_.Millis(3000, 10000);
    }
    if (churn > 0.0f && nowMs >= nextForcedChurnMs_) {
        nextForcedChurnMs_ = nowMs + static_cast<uint64_t>(60000.0f / churn);
        if (int id = players.RandomAutomatic(random_); id != 0) {
            roster.Remove(id, Departure::Left);
            if (nextArrivalMs_ > nowMs + 400) nextArrivalMs_ = nowMs + random_.Millis(100, 400);
        }
    }
    // Every minute or two someone arrives on top of the target, or someone goes.
    if (target > 0 && nowMs >= nextChurnMs_) {
        nextChurnMs_ = nowMs + random_.Millis(45000, 150000);
        if (players.Count() < target + swing && players.Count() < maxPlayers &&
            random_.Chance(50)) {
            roster.Join({}, nowMs, maxPlayers, true);
        } else if (int id = players.RandomAutomatic(random_); id != 0) {
            roster.Remove(id, random_.Chance(20) ? Departure::TimedOut : Departure::Left);
            if (nextArrivalMs_ < nowMs + 5000) nextArrivalMs_ = nowMs + random_.Millis(5000, 25000);
        }
    }
}

}  // namespace korvane
