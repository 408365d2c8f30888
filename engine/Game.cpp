// Rounds, time limit and map rotation of the simulated game.
#include "Game.h"

#include <cstdio>
#include <cstring>

#include "CommandLine.h"

namespace korvane {

namespace {

constexpr size_t kMaxMapFileBytes = 64 * 1024;
constexpr uint64_t kLongestRoundMs = 30ull * 24 * 60 * 60 * 1000;
// A clock jump (a suspended machine) could owe thousands of rounds; a few per tick suffice.
constexpr int kMaxRoundEndsPerAdvance = 8;

int Bounded(float value, int low, int high) {
    if (!(value >= static_cast<float>(low))) return low;  // NaN lands here too
    if (value >= static_cast<float>(high)) return high;
    return static_cast<int>(value);
}

// The "name" line of a map file: "name Antarctica".
std::string MapTitle(std::string_view contents) {
    std::string title;
    ForEachLine(contents, [&](std::string_view line) {
        if (!title.empty()) return;
        CommandParts parts = SplitCommand(line);
        if (EqualsIgnoreCase(parts.name, "name")) title = CommandValue(parts.rest);
    });
    return title;
}

}  // namespace

Game::Game(VariableStore& variables, Console& console, EventChannel& events,
           EngineEnvironment& environment)
    : console_(console),
      environment_(environment),
      timeLimit_(&variables.Ensure("timelimit", "30")),
      numRounds_(&variables.Ensure("numrounds", "5")),
      maxPlayers_(&variables.Ensure("maxplayers", "16")),
      rotation_(variables),
      roster_(variables, console, events, environment.NowMs()) {}

int Game::RoundCount() const {
    return Bounded(numRounds_->value, 1, 1000);
}

int Game::MaxPlayers() const {
    return Bounded(maxPlayers_->value, 0, 64);
}

uint64_t Game::RoundLengthMs() const {
    float minutes = timeLimit_->value;
    if (!(minutes > 0.0f)) return 0;
    double ms = static_cast<double>(minutes) * 60000.0;
    return ms >= static_cast<double>(kLongestRoundMs) ? kLongestRoundMs : static_cast<uint64_t>(ms);
}

int64_t Game::SecondsLeft(uint64_t nowMs) const {
    uint64_t length = RoundLengthMs();
    if (!running_ || length == 0) return -1;
    uint64_t end = roundStartMs_ + length;
    return nowMs >= end ? 0 : static_cast<int64_t>((end - nowMs + 999) / 1000);
}

void Game::Start(std::string_view map, uint64_t nowMs) {
    Load(map, rotation_.IndexOf(map), nowMs);
    roster_.Begin(nowMs);
}

void Game::Load(std::string_view map, int rotationIndex, uint64_t atMs) {
    std::string name(map);  // map may view the current map_
    std::string dataFile = name + ".dat";
    std::string contents;
    if (environment_.ReadFile(dataFile, contents, kMaxMapFileBytes) == ReadResult::Read) {
        std::string title = MapTitle(contents);
        if (title.empty())
            console_.Print("Loading map %s", name.c_str());
        else
            console_.Print("Loading map %s (%s)", name.c_str(), title.c_str());
    } else {
        console_.Print("Loading map %s", name.c_str());
        console_.Print("Warning: %s not found; the map starts without its data", dataFile.c_str());
    }
    map_ = std::move(name);
    roster_.NewMap();
    rotationIndex_ = rotationIndex;
    running_ = true;
    round_ = 1;
    roundStartMs_ = atMs;
    lastHeartbeatMs_ = atMs;
    console_.Print("Game started on %s", map_.c_str());
    if (RoundLengthMs() == 0)
        console_.Print("Round 1 of %d started, no time limit", RoundCount());
    else
        console_.Print("Round 1 of %d started, time limit %g minutes", RoundCount(),
                       static_cast<double>(timeLimit_->value));
}

void Game::EndRound(uint64_t atMs) {
    int rounds = RoundCount();
    console_.Print("Round %d of %d ended: time limit reached", round_, rounds);
    roster_.ReportRound(round_);
    if (round_ < rounds) {
        ++round_;
        roundStartMs_ = atMs;
        console_.Print("Round %d of %d started on %s", round_, rounds, map_.c_str());
        return;
    }
    int next = rotation_.Next(rotationIndex_);
    if (next < 0) {
        console_.Print("No map rotation: restarting %s", map_.c_str());
        Load(map_, rotationIndex_, atMs);
        return;
    }
    const Variable* entry = rotation_.Entry(next);
    console_.Print("Switching to map %s", entry->text.c_str());
    Load(entry->text, next, atMs);
}

void Game::Advance(uint64_t nowMs) {
    roster_.Advance(nowMs, MaxPlayers());
    if (!running_) return;
    for (int ended = 0;; ++ended) {
        uint64_t length = RoundLengthMs();
        if (length == 0 || nowMs < roundStartMs_ || nowMs - roundStartMs_ < length) break;
        if (ended == kMaxRoundEndsPerAdvance) {
            roundStartMs_ = nowMs;  // drop the backlog rather than replay it
            break;
        }
        EndRound(roundStartMs_ + length);
    }
    if (nowMs >= lastHeartbeatMs_ && nowMs - lastHeartbeatMs_ >= kHeartbeatMs)
        PrintHeartbeat(nowMs);
}

void Game::PrintHeartbeat(uint64_t nowMs) {
    lastHeartbeatMs_ = nowMs;
    int64_t left = SecondsLeft(nowMs);
    char clock[32] = "no time limit";
    if (left >= 0) {
        FormatClock(static_cast<uint64_t>(left), clock, sizeof clock - 5);
        std::snprintf(clock + std::strlen(clock), 6, " left");
    }
    console_.Print("Heartbeat: %s, round %d of %d, %s, %d/%d players", map_.c_str(), round_,
                   RoundCount(), clock, PlayerCount(), MaxPlayers());
}

bool Game::ChangeMap(int index, uint64_t nowMs) {
    if (!running_) {
        console_.Print("changemap: no game is running");
        return false;
    }
    const Variable* entry = rotation_.Entry(index);
    if (entry == nullptr) {
        console_.Print("changemap: the rotation has no map %d", index);
        return false;
    }
    console_.Print("Switching to map %s", entry->text.c_str());
    Load(entry->text, index, nowMs);
    return true;
}

int Game::AddPlayer(std::string_view name, uint64_t nowMs) {
    if (!running_) {
        console_.Print("No game is running: players cannot join yet");
        return 0;
    }
    int id = roster_.Join(name, nowMs, MaxPlayers(), false);
    if (id == 0) console_.Print("The server is full (%d/%d players)", PlayerCount(), MaxPlayers());
    return id;
}

bool Game::RemovePlayer(int id, Departure how) {
    if (roster_.Remove(id, how)) return true;
    console_.Print("No player with id %d", id);
    return false;
}

}  // namespace korvane
