// A stand-in for the engine host behind the web administration: a few players (one with a
// name that is HTML), a rotation with a gap, a console that echoes commands, and a lock that
// every call takes, as EngineLock would be. It records each call and the thread it came from.
#pragma once

#include <windows.h>

#include <mutex>
#include <string>
#include <vector>

#include "web/AdminBackend.h"
#include "web/ConsoleRing.h"

namespace korvane::test {

class FakeBackend : public web::AdminBackend {
  public:
    explicit FakeBackend(web::ConsoleRing& console);

    std::optional<web::ServerStatus> Status() override;
    std::optional<std::vector<web::PlayerRow>> Players() override;
    std::optional<std::vector<RotationEntry>> Rotation() override;
    std::string ConsoleLogState() override { return consoleLog; }
    long long NotRespondingSeconds() override { return notResponding; }
    // Echoes the command; "quit" stops the engine, "addplayer <name>" adds a player.
    bool Execute(const std::string& command) override;
    bool Kick(int id) override;
    bool ChangeMap(int index) override;
    void Notice(const std::string& line) override;
    bool RequestRestart() override;
    std::string RestartNotice() override { return restartNotice; }
    std::vector<web::HistorySample> History(size_t count) override { return history.Newest(count); }

    void SetUpdateRate(float rate);
    std::vector<std::string> Calls();
    std::vector<std::string> Notices();  // the lines of the "notice" calls
    DWORD LastCallThread();

    std::string consoleLog = "writing";
    long long notResponding = 0;
    std::string restartNotice;
    web::HistoryRing history;

  private:
    void Record(const std::string& call);

    std::mutex lock_;  // the engine lock's stand-in
    web::ConsoleRing& console_;
    bool running_ = true;
    float updateRate_ = 30.3f;
    int nextId_ = 1;
    std::vector<web::PlayerRow> players_;
    std::vector<std::string> calls_;
    DWORD lastThread_ = 0;
};

}  // namespace korvane::test
