// Behaviour of the simulated players. Every decision draws from one seeded generator, and
// nothing here allocates per tick: the player list is reserved for a full server and lines
// are formatted into fixed buffers.
#include "Roster.h"

#include <cstdio>
#include <iterator>

namespace korvane {

namespace {

const char* const kNames[] = {
    "Alice",        "Bravo_Six",   "Ghost",        "Mara",       "Kestrel",  "Dutch",
    "Nikolai",      "Sgt. Pepper", "Hana",         "Longshot",   "Viper",    "Okonkwo",
    "Tess",         "Ironside",    "Lupe",         "Rook",       "Jansen",   "Wildcard",
    "Priya",        "Copperhead",  "Old Man Finn", "Sparrow",    "Dmitri",   "Quinn",
    "Bulldozer",    "Akira",       "Moose",        "Selene",     "Hatchet",  "Ravi",
    "Juniper",      "Tank",        "Brannigan",    "Yusuf",      "Nightjar", "Magpie",
    "Corporal Kim", "Sofia",       "Stonewall",    "Pixel",      "Havoc",    "Ingrid",
    "Razorback",    "Tomasz",      "Duchess",      "Bishop",     "Amara",    "Crowbar",
    "Felix",        "Mirage",      "Sundance",     "Lt. Okafor", "Boomer",   "Zhenya",
    "Echo",         "Paladin",     "Wren",         "Mustang",    "Cobb",     "Frostbite",
    "Reaper",       "Imogen",      "Sledge",       "Valkyrie",   "Nomad"};

const char* const kChat[] = {"gg",
                             "nice shot",
                             "need a medic at the bridge!",
                             "lag?",
                             "brb",
                             "lol",
                             "cover me, moving up",
                             "who has the flag?",
                             "thx",
                             "ok",
                             "go go go",
                             "sniper on the ridge, watch it",
                             "one more round?",
                             "gl hf",
                             "anyone on comms?",
                             "push left",
                             "hold the bunker",
                             "engineer, the gate needs fixing",
                             "where is everybody",
                             "that was close",
                             "wp",
                             "rush the north tower",
                             "I'm out of ammo",
                             "sorry, teamkill, my bad",
                             "they're flanking east",
                             "good round all",
                             "anyone want to swap sides?",
                             "map vote after this one?",
                             "heads up, heavy weapons at the depot",
                             "np"};

const char* Weapon(int specialty) {
    switch (specialty) {
        case KORVANE_SPECIALTY_RIFLEMAN:
            return "an assault rifle";
        case KORVANE_SPECIALTY_SNIPER:
            return "a sniper rifle";
        case KORVANE_SPECIALTY_MEDIC:
            return "a pistol";
        case KORVANE_SPECIALTY_ENGINEER:
            return "a shotgun";
        case KORVANE_SPECIALTY_HEAVY_WEAPONS:
            return "a machine gun";
        case KORVANE_SPECIALTY_DEMOLITIONS:
            return "a satchel charge";
        case KORVANE_SPECIALTY_SIGNALS:
            return "a carbine";
        default:
            return "a knife";
    }
}

bool Fighting(const Player& player) {
    return player.announced &&
           (player.team == KORVANE_TEAM_BLUE || player.team == KORVANE_TEAM_RED);
}

float Clamp(float value, float low, float high) {
    if (!(value >= low)) return low;
    return value > high ? high : value;
}

// Control characters would break the event's line structure; outer blanks would be
// invisible in the player list.
std::string CleanName(std::string_view wanted) {
    std::string name;
    for (char c : wanted) {
        unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F) continue;
        if (c == ' ' && (name.empty() || name.back() == ' ')) continue;
        if (name.size() == EventChannel::kMaxNameLength) break;
        name.push_back(c);
    }
    while (!name.empty() && name.back() == ' ') name.pop_back();
    return name;
}

}  // namespace

Roster::Roster(VariableStore& variables, Console& console, EventChannel& events, uint64_t seed)
    : console_(console),
      events_(events),
      random_(seed),
      botCount_(&variables.Ensure("botcount", "4")),
      botChat_(&variables.Ensure("botchat", "1")),
      botChurn_(&variables.Ensure("botchurn", "0")) {
    players_.reserve(kMaxPlayers);
}

const char* Roster::TeamName(int team) {
    switch (team) {
        case KORVANE_TEAM_BLUE:
            return "Blue Force";
        case KORVANE_TEAM_RED:
            return "Red Force";
        case KORVANE_TEAM_SPECTATORS:
            return "Spectators";
        default:
            return "Unassigned";
    }
}

const char* Roster::SpecialtyName(int specialty) {
    switch (specialty) {
        case KORVANE_SPECIALTY_NONE:
            return "None";
        case KORVANE_SPECIALTY_RIFLEMAN:
            return "Rifleman";
        case KORVANE_SPECIALTY_SNIPER:
            return "Sniper";
        case KORVANE_SPECIALTY_MEDIC:
            return "Medic";
        case KORVANE_SPECIALTY_ENGINEER:
            return "Engineer";
        case KORVANE_SPECIALTY_HEAVY_WEAPONS:
            return "Heavy Weapons";
        case KORVANE_SPECIALTY_DEMOLITIONS:
            return "Demolitions";
        case KORVANE_SPECIALTY_SIGNALS:
            return "Signals";
        default:
            return "Unassigned";
    }
}

const Player* Roster::Find(int id) const {
    for (const Player& player : players_)
        if (player.id == id) return &player;
    return nullptr;
}

Player* Roster::FindMutable(int id) {
    for (Player& player : players_)
        if (player.id == id) return &player;
    return nullptr;
}

float Roster::SendRate() const {
    // Snapshots to each player, more while fighting than while spectating or joining.
    float rate = 0.0f;
    for (const Player& player : players_) rate += Fighting(player) ? 2600.0f : 900.0f;
    return 150.0f + rate * traffic_;
}

float Roster::ReceiveRate() const {
    return 60.0f + static_cast<float>(players_.size()) * 640.0f * traffic_;
}

float Roster::Pace() const {
    return Clamp(botChat_->value, 0.0f, 10.0f);
}

int Roster::NewId() const {
    // Ids count up through a run; only a run that has seen every 16-bit id reuses free ones.
    if (nextId_ <= kLargestId) return nextId_;
    for (int id = 1; id <= kLargestId; ++id)
        if (Find(id) == nullptr) return id;
    return 0;
}

std::string Roster::NewName(std::string_view wanted) {
    std::string name = CleanName(wanted);
    if (!name.empty()) return name;
    auto inUse = [this](const char* candidate) {
        for (const Player& player : players_)
            if (player.name == candidate) return true;
        return false;
    };
    int count = static_cast<int>(std::size(kNames));
    int start = random_.Between(0, count - 1);
    for (int i = 0; i < count; ++i) {
        const char* candidate = kNames[(start + i) % count];
        if (!inUse(candidate)) return candidate;
    }
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "%s%d", kNames[start], random_.Between(2, 99));
    return numbered;
}

int Roster::TeamSize(int team) const {
    int size = 0;
    for (const Player& player : players_) size += player.team == team ? 1 : 0;
    return size;
}

int Roster::ChooseTeam() const {
    return TeamSize(KORVANE_TEAM_BLUE) <= TeamSize(KORVANE_TEAM_RED) ? KORVANE_TEAM_BLUE
                                                                     : KORVANE_TEAM_RED;
}

int Roster::Join(std::string_view name, uint64_t nowMs, int maxPlayers, bool automatic) {
    if (Count() >= maxPlayers || Count() >= kMaxPlayers) return 0;
    int id = NewId();
    if (id == 0) return 0;
    if (id == nextId_) ++nextId_;
    Player& player = players_.emplace_back();
    player.id = id;
    player.name = NewName(name);
    player.automatic = automatic;
    player.joinedMs = nowMs;
    // Most players sit on a decent line; a few come from far away.
    player.typicalPingSeconds =
        random_.Chance(15) ? random_.Uniform(0.120f, 0.220f) : random_.Uniform(0.028f, 0.110f);
    player.pingSeconds = player.typicalPingSeconds;
    player.announceAtMs = nowMs + random_.Millis(600, 2500);
    player.nextPingMs = nowMs + random_.Millis(500, 1500);
    player.nextActionMs = player.announceAtMs + random_.Millis(4000, 20000);
    console_.Print("Player %d connecting from 203.0.113.%d", id, random_.Between(2, 254));
    events_.PlayerJoined(id);
    return id;
}

void Roster::Announce(Player& player) {
    player.announced = true;
    player.changed = true;
    if (random_.Chance(6)) {
        player.team = KORVANE_TEAM_SPECTATORS;
        player.specialty = KORVANE_SPECIALTY_NONE;
        console_.Print("%s joined the Spectators", player.name.c_str());
        return;
    }
    player.team = ChooseTeam();
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

bool Roster::Remove(int id, Departure how) {
    Player* player = FindMutable(id);
    if (player == nullptr) return false;
    switch (how) {
        case Departure::Left:
            console_.Print("Player %s left the game", player->name.c_str());
            break;
        case Departure::TimedOut:
            console_.Print("Player %s timed out", player->name.c_str());
            break;
        case Departure::Kicked:
            console_.Print("Player %s was kicked", player->name.c_str());
            break;
        case Departure::ServerFull:
            console_.Print("Player %s was dropped: the server is full", player->name.c_str());
            break;
    }
    players_.erase(players_.begin() + (player - players_.data()));
    events_.PlayerLeft(id);
    return true;
}

void Roster::DriftPing(Player& player) {
    // Pulled back toward the player's usual ping, with jitter and the odd spike.
    float ping = player.pingSeconds;
    ping += (player.typicalPingSeconds - ping) * 0.25f + random_.Uniform(-0.006f, 0.006f);
    if (random_.Chance(3)) ping += random_.Uniform(0.030f, 0.090f);
    player.pingSeconds = Clamp(ping, kLowestPing, kHighestPing);
    // The line itself wanders slowly too.
    player.typicalPingSeconds =
        Clamp(player.typicalPingSeconds + random_.Uniform(-0.002f, 0.002f), kLowestPing, 0.220f);
}

void Roster::Chat(const Player& player) {
    const char* text = kChat[random_.Between(0, static_cast<int>(std::size(kChat)) - 1)];
    events_.ConsoleText("[%s] %s", player.name.c_str(), text);
}

void Roster::Fight(Player& player) {
    int enemies = 0;
    for (const Player& other : players_)
        if (Fighting(other) && other.team != player.team) ++enemies;
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
    for (Player& other : players_) {
        if (!Fighting(other) || other.team == player.team || pick-- != 0) continue;
        ++player.kills;
        ++other.deaths;
        console_.Print("%s killed %s with %s (%d kill%s)", player.name.c_str(), other.name.c_str(),
                       Weapon(player.specialty), player.kills, player.kills == 1 ? "" : "s");
        return;
    }
}

void Roster::Act(Player& player, uint64_t nowMs) {
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
    if (!Fighting(player)) {
        Chat(player);
        player.nextActionMs = nowMs + interval(30000, 90000);
        return;
    }
    int roll = random_.Between(0, 99);
    int otherTeam = player.team == KORVANE_TEAM_BLUE ? KORVANE_TEAM_RED : KORVANE_TEAM_BLUE;
    if (roll < 45) {
        Chat(player);
    } else if (roll < 96 || TeamSize(player.team) <= TeamSize(otherTeam) + 1) {
        Fight(player);
    } else {
        // Only ever toward the smaller side, as an auto-balancing server would allow.
        player.team = otherTeam;
        player.changed = true;
        console_.Print("%s switched to %s", player.name.c_str(), TeamName(player.team));
    }
    player.nextActionMs = nowMs + interval(12000, 45000);
}

void Roster::SendChanges() {
    bool any = false;
    for (const Player& player : players_) any = any || player.changed;
    if (!any) return;
    events_.BeginUpdate();
    for (Player& player : players_) {
        if (!player.changed) continue;
        events_.AddToUpdate(player.id, player.name, player.team, player.specialty);
        player.changed = false;
    }
    events_.SendUpdate();
}

int Roster::AutomaticCount() const {
    int count = 0;
    for (const Player& player : players_) count += player.automatic ? 1 : 0;
    return count;
}

int Roster::RandomAutomatic() {
    int count = AutomaticCount();
    if (count == 0) return 0;
    int pick = random_.Between(0, count - 1);
    for (const Player& player : players_)
        if (player.automatic && pick-- == 0) return player.id;
    return 0;
}

void Roster::Begin(uint64_t nowMs) {
    running_ = true;
    filling_ = true;
    nextArrivalMs_ = nowMs + random_.Millis(300, 900);
    nextChurnMs_ = nowMs + random_.Millis(60000, 150000);
    lastAdvanceMs_ = nowMs;
}

void Roster::ManagePopulation(uint64_t nowMs, int maxPlayers) {
    float wanted = Clamp(botCount_->value, 0.0f, static_cast<float>(kMaxPlayers));
    int target = static_cast<int>(wanted);
    if (target > maxPlayers) target = maxPlayers;
    if (Count() >= target) filling_ = false;
    // Soak runs ask for more than the natural coming and going: departures at a set pace, and
    // each place taken again within a second or so.
    const float churn = Clamp(botChurn_->value, 0.0f, 600.0f);
    if (Count() < target && nowMs >= nextArrivalMs_) {
        Join({}, nowMs, maxPlayers, true);
        nextArrivalMs_ = nowMs + (churn > 0.0f ? random_.Millis(100, 400)
                                  : filling_   ? random_.Millis(500, 1400)
                                               : random_.Millis(4000, 20000));
    }
    // Above the target by more than the usual swing, the simulation's own players drift off.
    int swing = target > 0 ? 3 : 0;
    if (Count() > target + swing && AutomaticCount() > 0 && nowMs >= nextSurplusMs_) {
        Remove(RandomAutomatic(), Departure::Left);
        nextSurplusMs_ = nowMs + random_.Millis(3000, 10000);
    }
    if (churn > 0.0f && nowMs >= nextForcedChurnMs_) {
        nextForcedChurnMs_ = nowMs + static_cast<uint64_t>(60000.0f / churn);
        if (int id = RandomAutomatic(); id != 0) {
            Remove(id, Departure::Left);
            if (nextArrivalMs_ > nowMs + 400) nextArrivalMs_ = nowMs + random_.Millis(100, 400);
        }
    }
    // Every minute or two someone arrives on top of the target, or someone goes.
    if (target > 0 && nowMs >= nextChurnMs_) {
        nextChurnMs_ = nowMs + random_.Millis(45000, 150000);
        if (Count() < target + swing && Count() < maxPlayers && random_.Chance(50)) {
            Join({}, nowMs, maxPlayers, true);
        } else if (int id = RandomAutomatic(); id != 0) {
            Remove(id, random_.Chance(20) ? Departure::TimedOut : Departure::Left);
            if (nextArrivalMs_ < nowMs + 5000) nextArrivalMs_ = nowMs + random_.Millis(5000, 25000);
        }
    }
}

void Roster::Advance(uint64_t nowMs, int maxPlayers) {
    if (announceAgain_) {
        announceAgain_ = false;
        for (Player& player : players_) {
            events_.PlayerJoined(player.id);
            player.changed = player.announced;
        }
    }
    // A lowered limit drops the latest arrivals first.
    while (Count() > 0 && Count() > maxPlayers) Remove(players_.back().id, Departure::ServerFull);
    if (!running_) return;

    uint64_t elapsed = nowMs > lastAdvanceMs_ ? nowMs - lastAdvanceMs_ : 0;
    lastAdvanceMs_ = nowMs;
    // A few lines a second at most, whatever the number of players.
    float pace = Pace();
    lineBudget_ =
        Clamp(lineBudget_ + static_cast<float>(elapsed) * 0.0015f * pace, 0.0f, 3.0f * pace);

    ManagePopulation(nowMs, maxPlayers);
    if (nowMs >= nextTrafficMs_) {
        nextTrafficMs_ = nowMs + 1000;
        traffic_ = Clamp(traffic_ + random_.Uniform(-0.05f, 0.05f), 0.8f, 1.2f);
    }
    for (size_t i = 0; i < players_.size(); ++i) {
        Player& player = players_[i];
        if (!player.announced && nowMs >= player.announceAtMs) Announce(player);
        if (player.chooseAtMs != 0 && nowMs >= player.chooseAtMs) {
            player.chooseAtMs = 0;
            player.specialty =
                random_.Between(KORVANE_SPECIALTY_RIFLEMAN, KORVANE_SPECIALTY_SIGNALS);
            player.changed = true;
        }
        if (nowMs >= player.nextPingMs) {
            DriftPing(player);
            player.nextPingMs = nowMs + random_.Millis(800, 1200);
        }
        if (player.announced && pace > 0.0f && nowMs >= player.nextActionMs) Act(player, nowMs);
    }
    SendChanges();
}

void Roster::NewMap() {
    for (Player& player : players_) player.kills = player.deaths = player.captures = 0;
    blueCaptures_ = redCaptures_ = 0;
}

void Roster::ReportRound(int round) {
    if (players_.empty()) {
        blueCaptures_ = redCaptures_ = 0;
        return;
    }
    const Player* best = nullptr;
    for (const Player& player : players_)
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
