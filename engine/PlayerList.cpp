// Look-ups over the simulated players; none allocates, the list is reserved up front.
#include "PlayerList.h"

namespace korvane {

const Player* PlayerList::Find(int id) const {
    for (const Player& player : players_)
        if (player.id == id) return &player;
    return nullptr;
}

Player* PlayerList::Find(int id) {
    for (Player& player : players_)
        if (player.id == id) return &player;
    return nullptr;
}

int PlayerList::NewId() const {
    // Ids count up through a run; only a run that has seen every 16-bit id reuses free ones.
    if (nextId_ <= kLargestId) return nextId_;
    for (int id = 1; id <= kLargestId; ++id)
        if (Find(id) == nullptr) return id;
    return 0;
}

Player* PlayerList::Add() {
    int id = NewId();
    if (id == 0) return nullptr;
    if (id == nextId_) ++nextId_;
    Player& player = players_.emplace_back();
    player.id = id;
    return &player;
}

void PlayerList::Erase(const Player& player) {
    players_.erase(players_.begin() + (&player - players_.data()));
}

bool PlayerList::NameInUse(std::string_view name) const {
    for (const Player& player : players_)
        if (player.name == name) return true;
    return false;
}

int PlayerList::TeamSize(int team) const {
    int size = 0;
    for (const Player& player : players_) size += player.team == team ? 1 : 0;
    return size;
}

int PlayerList::SmallerTeam() const {
    return TeamSize(KORVANE_TEAM_BLUE) <= TeamSize(KORVANE_TEAM_RED) ? KORVANE_TEAM_BLUE
                                                                     : KORVANE_TEAM_RED;
}

int PlayerList::AutomaticCount() const {
    int count = 0;
    for (const Player& player : players_) count += player.automatic ? 1 : 0;
    return count;
}

int PlayerList::RandomAutomatic(Random& random) const {
    int count = AutomaticCount();
    if (count == 0) return 0;
    int pick = random.Between(0, count - 1);
    for (const Player& player : players_)
        if (player.automatic && pick-- == 0) return player.id;
    return 0;
}

bool PlayerList::Fighting(const Player& player) {
    return player.announced &&
           (player.team == KORVANE_TEAM_BLUE || player.team == KORVANE_TEAM_RED);
}

}  // namespace korvane
