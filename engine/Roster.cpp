// The roster's own part: players joining and leaving, the tick that hands each its turn, and
// the events that tell the host. Nothing here allocates per tick.
#include "Roster.h"

#include <cstdio>

#include "NameTables.h"

namespace korvane {

namespace {

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
      botChurn_(&variables.Ensure("botchurn", "0")),
      behaviour_(console, events, random_, *botChat_),
      population_(random_, *botCount_, *botChurn_) {}

float Roster::SendRate() const {
    // Snapshots to each player, more while fighting than while spectating or joining.
    float rate = 0.0f;
    for (const Player& player : players_.All())
        rate += PlayerList::Fighting(player) ? 2600.0f : 900.0f;
    return 150.0f + rate * traffic_;
}

float Roster::ReceiveRate() const {
    return 60.0f + static_cast<float>(players_.Count()) * 640.0f * traffic_;
}

std::string Roster::NewName(std::string_view wanted) {
    std::string name = CleanName(wanted);
    if (!name.empty()) return name;
    int count = static_cast<int>(BuiltInNameCount());
    int start = random_.Between(0, count - 1);
    for (int i = 0; i < count; ++i) {
        const char* candidate = BuiltInName(static_cast<size_t>((start + i) % count));
        if (!players_.NameInUse(candidate)) return candidate;
    }
    char numbered[32];
    std::snprintf(numbered, sizeof numbered, "%s%d", BuiltInName(static_cast<size_t>(start)),
                  random_.Between(2, 99));
    return numbered;
}

int Roster::Join(std::string_view name, uint64_t nowMs, int maxPlayers, bool automatic) {
    if (Count() >= maxPlayers || Count() >= kMaxPlayers) return 0;
    Player* added = players_.Add();
    if (added == nullptr) return 0;
    Player& player = *added;
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
    console_.Print("Player %d connecting from 203.0.113.%d", player.id, random_.Between(2, 254));
    events_.PlayerJoined(player.id);
    return player.id;
}

bool Roster::Remove(int id, Departure how) {
    const Player* player = players_.Find(id);
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
    players_.Erase(*player);
    events_.PlayerLeft(id);
    return true;
}

void Roster::SendChanges() {
    bool any = false;
    for (const Player& player : players_.All()) any = any || player.changed;
    if (!any) return;
    events_.BeginUpdate();
    for (Player& player : players_.All()) {
        if (!player.changed) continue;
        events_.AddToUpdate(player.id, player.name, player.team, player.specialty);
        player.changed = false;
    }
    events_.SendUpdate();
}

void Roster::Begin(uint64_t nowMs) {
    running_ = true;
    population_.Begin(nowMs);
    lastAdvanceMs_ = nowMs;
}

void Roster::Advance(uint64_t nowMs, int maxPlayers) {
    if (announceAgain_) {
        announceAgain_ = false;
        for (Player& player : players_.All()) {
            events_.PlayerJoined(player.id);
            player.changed = player.announced;
        }
    }
    // A lowered limit drops the latest arrivals first.
    while (Count() > 0 && Count() > maxPlayers)
        Remove(players_.All().back().id, Departure::ServerFull);
    if (!running_) return;

    uint64_t elapsed = nowMs > lastAdvanceMs_ ? nowMs - lastAdvanceMs_ : 0;
    lastAdvanceMs_ = nowMs;
    behaviour_.Refill(elapsed);
    population_.Manage(*this, nowMs, maxPlayers);
    if (nowMs >= nextTrafficMs_) {
        nextTrafficMs_ = nowMs + 1000;
        traffic_ = Clamped(traffic_ + random_.Uniform(-0.05f, 0.05f), 0.8f, 1.2f);
    }
    for (size_t i = 0; i < players_.All().size(); ++i)
        behaviour_.Advance(players_.All()[i], players_, nowMs);
    SendChanges();
}

}  // namespace korvane
