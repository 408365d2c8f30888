// The simulated players' turns. Lines are formatted into fixed buffers, so a tick allocates
// nothing.
#include "Behaviour.h"

#include "NameTables.h"

namespace korvane {

Behaviour::Behaviour(Console& console, EventChannel& events, Random& random,
                     const Variable& botChat)
    : console_(console), events_(events), random_(random), botChat_(botChat) {}

float Behaviour::Pace() const {
    return Clamped(botChat_.value, 0.0f, 10.0f);
}

void Behaviour::Refill(uint64_t elapsedMs) {
    float pace = Pace();
    lineBudget_ =
        Clamped(lineBudget_ + static_cast<float>(elapsedMs) * 0.0015f * pace, 0.0f, 3.0f * pace);
}

void Behaviour::Advance(Player& player, PlayerList& players, uint64_t nowMs) {
    if (!player.announced && nowMs >= player.announceAtMs) Announce(player, players);
    if (player.chooseAtMs != 0 && nowMs >= player.chooseAtMs) {
        player.chooseAtMs = 0;
        player.specialty = random_.Between(KORVANE_SPECIALTY_RIFLEMAN, KORVANE_SPECIALTY_SIGNALS);
        player.changed = true;
    }
    if (nowMs >= player.nextPingMs) {
        DriftPing(player);
        player.nextPingMs = nowMs + random_.Millis(800, 1200);
    }
    if (player.announced && Pace() > 0.0f && nowMs >= player.nextActionMs)
        Act(player, players, nowMs);
}

void Behaviour::Announce(Player& player, const PlayerList& players) {
    player.announced = true;
    player.changed = true;
    if (random_.Chance(6)) {
        player.team = KORVANE_TEAM_SPECTATORS;
        player.specialty = KORVANE_SPECIALTY_NONE;
        console_.Print("%s joined the Spectators", player.name.c_str());
        return;
    }
    player.team = players.SmallerTeam();
    if (random_.Chance(15)) {
        // Still in the specialty menu; picks one a little later.
        player.specialty = kUnassignedSpecialty;
        player.chooseAtMs = player.announceAtMs + random_.Millis(5000, 30000);
        console_.Print("%s joined %s", player.name.c_str(), TeamName(player.team));
        return;
    }
    player.specialty = random_.Between(KORVANE_SPECIALTY_RIFLEMAN, KORVANE_SPECIALTY_SIGNALS);
    console_.Print("%s joined %s as %s", player.name.c_str(), TeamName(player.team),
                   SpecialtyName(player.specialty));
}

void Behaviour::DriftPing(Player& player) {
    // Pulled back toward the player's usual ping, with jitter and the odd spike.
    float ping = player.pingSeconds;
    ping += (player.typicalPingSeconds - ping) * 0.25f + random_.Uniform(-0.006f, 0.006f);
    if (random_.Chance(3)) ping += random_.Uniform(0.030f, 0.090f);
    player.pingSeconds = Clamped(ping, kLowestPing, kHighestPing);
    // The line itself wanders slowly too.
    player.typicalPingSeconds =
        Clamped(player.typicalPingSeconds + random_.Uniform(-0.002f, 0.002f), kLowestPing, 0.220f);
}

void Behaviour::Chat(const Player& player) {
    const char* text =
        ChatLine(static_cast<size_t>(random_.Between(0, static_cast<int>(ChatLineCount()) - 1)));
    events_.ConsoleText("[%s] %s", player.name.c_str(), text);
}

void Behaviour::Fight(Player& player, PlayerList& players) {
    int enemies = 0;
    for (const Player& other : players.All())
        if (PlayerList::Fighting(other) && other.team != player.team) ++enemies;
    if (random_.Chance(12)) {
        ++player.captures;
        (player.team == KORVANE_TEAM_BLUE ? blueCaptures_ : redCaptures_)++;
        console_.Print("%s captured the flag for %s (%d this map)", player.name.c_str(),
                       TeamName(player.team), player.captures);
        return;
    }
    if (enemies == 0) {
        Chat(player);
        return;
    }
    int pick = random_.Between(0, enemies - 1);
    for (Player& other : players.All()) {
        if (!PlayerList::Fighting(other) || other.team == player.team || pick-- != 0) continue;
        ++player.kills;
        ++other.deaths;
        console_.Print("%s killed %s with %s (%d kill%s)", player.name.c_str(), other.name.c_str(),
                       WeaponName(player.specialty), player.kills, player.kills == 1 ? "" : "s");
        return;
    }
}

void Behaviour::Act(Player& player, PlayerList& players, uint64_t nowMs) {
    float pace = Pace();
    // Each player speaks up every half minute or so at pace 1.
    auto interval = [&](uint64_t low, uint64_t high) {
        return static_cast<uint64_t>(static_cast<float>(random_.Millis(low, high)) / pace);
    };
    if (lineBudget_ < 1.0f) {
        player.nextActionMs = nowMs + random_.Millis(1000, 4000);
        return;
    }
    lineBudget_ -= 1.0f;
    if (!PlayerList::Fighting(player)) {
        Chat(player);
        player.nextActionMs = nowMs + interval(30000, 90000);
        return;
    }
    int roll = random_.Between(0, 99);
    int otherTeam = player.team == KORVANE_TEAM_BLUE ? KORVANE_TEAM_RED : KORVANE_TEAM_BLUE;
    if (roll < 45) {
        Chat(player);
    } else if (roll < 96 || players.TeamSize(player.team) <= players.TeamSize(otherTeam) + 1) {
        Fight(player, players);
    } else {
        // Only ever toward the smaller side, as an auto-balancing server would allow.
        player.team = otherTeam;
        player.changed = true;
        console_.Print("%s switched to %s", player.name.c_str(), TeamName(player.team));
    }
    player.nextActionMs = nowMs + interval(12000, 45000);
}

void Behaviour::NewMap(PlayerList& players) {
    for (Player& player : players.All()) player.kills = player.deaths = player.captures = 0;
    blueCaptures_ = redCaptures_ = 0;
}

void Behaviour::ReportRound(int round, const PlayerList& players) {
    if (players.Count() == 0) {
        blueCaptures_ = redCaptures_ = 0;
        return;
    }
    const Player* best = nullptr;
    for (const Player& player : players.All())
        if (best == nullptr || player.kills > best->kills) best = &player;
    if (best->kills > 0)
        console_.Print("Round %d: Blue Force %d captures, Red Force %d; best: %s with %d kills",
                       round, blueCaptures_, redCaptures_, best->name.c_str(), best->kills);
    else
        console_.Print("Round %d: Blue Force %d captures, Red Force %d", round, blueCaptures_,
                       redCaptures_);
    blueCaptures_ = redCaptures_ = 0;
}

}  // namespace korvane
