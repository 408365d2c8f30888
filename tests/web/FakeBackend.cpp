// The web administration's stand-in host.
#include "FakeBackend.h"

namespace korvane::test {

FakeBackend::FakeBackend(web::ConsoleRing& console) : console_(console) {
    players_ = {{nextId_++, "Alice", "Red", "Sniper", 42, 75},
                {nextId_++, "<script>alert(1)</script>", "Blue", "Medic", 87, 3700}};
}

void FakeBackend::Record(const std::string& call) {
    calls_.push_back(call);
    lastThread_ = GetCurrentThreadId();
}

std::optional<web::ServerStatus> FakeBackend::Status() {
    std::lock_guard lock(lock_);
    if (!running_) return std::nullopt;
    return web::ServerStatus{"Test \xE9t\xE9 Server",           "1.0.5", updateRate_,
                             static_cast<int>(players_.size()), 16,      125};
}

std::optional<std::vector<web::PlayerRow>> FakeBackend::Players() {
    std::lock_guard lock(lock_);
    if (!running_) return std::nullopt;
    return players_;
}

std::optional<std::vector<RotationEntry>> FakeBackend::Rotation() {
    std::lock_guard lock(lock_);
    if (!running_) return std::nullopt;
    // map2 is missing: the rows after it move up, as in the Change Map dialog.
    return std::vector<RotationEntry>{
        {0, "worlds/antarctica"}, {1, "worlds/lima"}, {2, "worlds/usa"}};
}

bool FakeBackend::Execute(const std::string& command) {
    std::lock_guard lock(lock_);
    if (!running_) return false;
    Record("execute " + command);
    console_.Append(command);
    if (command == "quit") {
        running_ = false;
        console_.Append("Engine stopped.");
    } else if (command.rfind("addplayer ", 0) == 0) {
        players_.push_back({nextId_++, command.substr(10), "Red", "Scout", 10, 0});
    } else {
        console_.Append("Unknown command: " + command);
    }
    return true;
}

bool FakeBackend::Kick(int id) {
    std::lock_guard lock(lock_);
    if (!running_) return false;
    Record("kick " + std::to_string(id));
    std::erase_if(players_, [&](const web::PlayerRow& p) { return p.id == id; });
    return true;
}

bool FakeBackend::ChangeMap(int index) {
    std::lock_guard lock(lock_);
    if (!running_) return false;
    Record("changemap " + std::to_string(index));
    return true;
}

void FakeBackend::Notice(const std::string& line) {
    std::lock_guard lock(lock_);
    Record("notice " + line);
    console_.Append(line);
}

bool FakeBackend::RequestRestart() {
    std::lock_guard lock(lock_);
    Record("restart");
    return true;
}

std::vector<std::string> FakeBackend::Notices() {
    std::vector<std::string> lines;
    for (const std::string& call : Calls())
        if (call.rfind("notice ", 0) == 0) lines.push_back(call.substr(7));
    return lines;
}

void FakeBackend::SetUpdateRate(float rate) {
    std::lock_guard lock(lock_);
    updateRate_ = rate;
}

std::vector<std::string> FakeBackend::Calls() {
    std::lock_guard lock(lock_);
    return calls_;
}

DWORD FakeBackend::LastCallThread() {
    std::lock_guard lock(lock_);
    return lastThread_;
}

}  // namespace korvane::test
