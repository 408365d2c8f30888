// The web administration's way to the engine: every request becomes calls on the engine host,
// each engine call (or short group of them) in one hold of EngineLock, never a window.
#pragma once

#include <atomic>

#include "host/EngineHost.h"
#include "web/AdminBackend.h"
#include "web/Metrics.h"

namespace korvane::web {

class HostAdminBackend final : public AdminBackend {
  public:
    explicit HostAdminBackend(EngineHost& host) : host_(host) {}

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
    // What a scrape shows of the game: the Ticks' histograms and the players without the
    // engine, its name and maximum from the engine's variables (nothing while it is stuck).
    GameFigures Figures();

  private:
    EngineHost& host_;
    std::atomic<const char*> consoleLog_{"writing"};
};

}  // namespace korvane::web
