// What every front keeps of the console, with or without a window: the console log file (the
// hand-over's lines, password values hidden, one write per refresh) and the command history
// (read at start, saved every few minutes while commands come, and at the end).
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "console/CommandHistory.h"
#include "console/ConsoleLogFile.h"
#include "host/EngineHost.h"

namespace korvane {

class ConsoleKeeper final : private EngineHost::ConsoleListener {
  public:
    // Where the files are and the clock that paces the saving; tests put their own.
    struct Places {
        std::string logFolder = "logs";  // relative ones are under the installation folder
        std::string historyFile = kHistoryFile;
        // Milliseconds on a steady clock, for saving the history every few minutes and
        // repeating that the log has stopped.
        std::function<uint64_t()> clockMs = GetTickCount64;
    };

    // While the log cannot be written, the console says so again this often.
    static constexpr uint64_t kLogStoppedRepeatMs = 60 * 60 * 1000;

    explicit ConsoleKeeper(EngineHost& host) : host_(host) {}
    ~ConsoleKeeper();
    ConsoleKeeper(const ConsoleKeeper&) = delete;
    ConsoleKeeper& operator=(const ConsoleKeeper&) = delete;

    // The operator's switch --no-console-log turns the log file off for the run; before Start.
    void SetConsoleLog(bool on) { logging_ = on; }
    // Before the engine's start-up: the history is read, old log files go, the lines come.
    void Start(Places places);
    // After each hand-over: its lines are written, the history saved when due, and a log that
    // stays stopped says so again.
    void Refreshed();
    // "writing", "off" (switched off for the run) or "stopped" (it could not be written); a
    // string literal.
    const char* LogState() const;
    bool LogStopped() const { return logging_ && log_ && log_->Stopped(); }
    const ConsoleLogFile* Log() const { return log_ ? &*log_ : nullptr; }
    CommandHistory& History() { return history_; }
    // The front is going: pending lines and the history are written.
    void End();

  private:
    void ConsoleLines(const std::vector<std::string>& lines) override;
    void WriteLog(const std::vector<std::string>& lines);
    uint64_t Now() const { return places_.clockMs() - startedMs_; }

    EngineHost& host_;
    Places places_;
    bool logging_ = true;
    bool listening_ = false;
    std::optional<ConsoleLogFile> log_;
    // Lines since the last refresh (echoes, then the refresh's own), written in one write.
    std::vector<std::string> pending_;
    CommandHistory history_;
    uint64_t startedMs_ = 0;
    std::string logFailure_;  // why the log stopped, said again every hour
    uint64_t logFailureSaidMs_ = 0;
};

}  // namespace korvane
