// The table of the simulated players: who is on the server, under which id, on which side,
// and the look-ups the simulation makes over it. Reserved for a full server, so a player
// joining never moves the others in memory.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "Events.h"
#include "Random.h"
#include "StringIds.h"

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

class PlayerList {
  public:
    static constexpr int kMaxPlayers = 64;
    static constexpr int kLargestId = 65535;  // the host tells players apart by 16 bits

    PlayerList() { players_.reserve(kMaxPlayers); }

    int Count() const { return static_cast<int>(players_.size()); }
    const std::vector<Player>& All() const { return players_; }
    std::vector<Player>& All() { return players_; }
    const Player* Find(int id) const;
    Player* Find(int id);
    // A new player with the next free id and nothing else set; nullptr when no id is free.
    Player* Add();
    void Erase(const Player& player);

    bool NameInUse(std::string_view name) const;
    int TeamSize(int team) const;
    // The side a newcomer joins: the smaller one, blue when they are even.
    int SmallerTeam() const;
    int AutomaticCount() const;
    // One of the players the simulation brought, drawn at random; 0 when there is none.
    int RandomAutomatic(Random& random) const;
    // On one of the two sides and announced, so able to fight and score.
    static bool Fighting(const Player& player);

  private:
    int NewId() const;

    std::vector<Player> players_;
    int nextId_ = 1;
};

}  // namespace korvane
