// The web administration's way to the engine: every request becomes calls on the engine host,
// each engine call (or short group of them) in one hold of EngineLock, never a window.
#pragma once

#include <atomic>
#include <functional>
#include <mutex>
#include <string>

#include "host/EngineHost.h"
#include "web/AdminBackend.h"
#include "web/Metrics.h"

namespace korvane::web {

class HostAdminBackend final : public AdminBackend {
  public:
    // `history`, when given, must outlive the backend.
    explicit HostAdminBackend(EngineHost& host, const HistoryRing* history = nullptr)
        : host_(host), history_(history) {}

    // The server name and the maximum from the engine's own variables, not the settings
    // object, whose fields belong to the window thread.
    std::optional<ServerStatus> Status() override;
    std::optional<std::vector<PlayerRow>> Players() override;
    std::optional<std::vector<RotationEntry>> Rotation() override;
    std::string ConsoleLogState() override { return consoleLog_.load(); }
    long long NotRespondingSeconds() override { return host_.Calls().NotRespondingSeconds(); }
    // From the window thread, as the window reports it; `state` is a string literal.
    void SetConsoleLogState(const char* state) { consoleLog_.store(state); }
    bool Execute(const std::string& command) override;
    bool Kick(int id) override;
    bool ChangeMap(int index) override;
    void Notice(const std::string& line) override;
    std::vector<HistorySample> History(size_t count) override {
        return history_ ? history_->Newest(count) : std::vector<HistorySample>();
    }

    // The program's restarts, set before the listener starts (none: the web cannot restart).
    struct RestartHooks {
        std::function<void()> request;
        std::function<std::string()> notice;
    };
    void SetRestartHooks(RestartHooks hooks) { restart_ = std::move(hooks); }
    bool RequestRestart() override;
    std::string RestartNotice() override { return restart_.notice ? restart_.notice() : ""; }
    // What a scrape shows of the game: the Ticks' histograms and the players without the
    // engine, its name and maximum from the engine's variables (nothing while it is stuck).
    GameFigures Figures();

  private:
    static constexpr DWORD kStatusWaitMs = 100;  // for EngineLock, all of a status's calls

    EngineHost& host_;
    std::mutex lastMutex_;
    std::string lastName_;  // the last name and maximum read, for a status while the engine is busy
    int lastMaxPlayers_ = 0;
    const HistoryRing* history_;
    std::atomic<const char*> consoleLog_{"writing"};
    RestartHooks restart_;
};

}  // namespace korvane::web
