// Console lines to standard output for korvane-console.exe, written by a thread of their own:
// whoever reads the other end of a pipe may stop reading, and then only that thread waits.
// The server thread and the hand-over never do: the backlog is bounded, the oldest lines go
// first, and once the reader is back one line says how many went.
#pragma once

#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "console/ConsoleLogFile.h"
#include "host/EngineHost.h"

namespace korvane::app {

class StandardOutput final : public EngineHost::ConsoleListener {
  public:
    // At most this many console lines wait for a reader that has stopped reading.
    static constexpr size_t kMaxBacklog = 10000;

    // `timestamps`: each line begins with the local time, as in the console log.
    StandardOutput(HANDLE output, bool timestamps, LocalClock clock = SystemLocalTime);
    // Waits a little for the backlog to be written; a reader that never comes back does not
    // hold the program's end (the thread, blocked in its write, ends with the process).
    ~StandardOutput();
    StandardOutput(const StandardOutput&) = delete;
    StandardOutput& operator=(const StandardOutput&) = delete;

    // The hand-over's lines (password values hidden): queued, never written here.
    void ConsoleLines(const std::vector<std::string>& lines) override;
    // Waits up to `timeoutMs` until everything queued has been written; false if not.
    bool Drain(DWORD timeoutMs);

  private:
    struct Shared;
    static void Write(const std::shared_ptr<Shared>& shared);

    bool timestamps_;
    LocalClock clock_;
    std::shared_ptr<Shared> shared_;  // also the writer thread's, which may outlive this
};

}  // namespace korvane::app
