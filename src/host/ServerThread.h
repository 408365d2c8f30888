// The server thread: one step per 33 ms frame under EngineLock, with 1 ms timer resolution
// while it runs; started suspended, ended by a stop flag and a wait.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>

#include "ui/Handles.h"

namespace korvane {

class ServerThread {
  public:
    ServerThread() = default;
    ~ServerThread() { Stop(); }
    ServerThread(const ServerThread&) = delete;
    ServerThread& operator=(const ServerThread&) = delete;

    // Runs `step` with `lock` held once per frame until Stop; false when no thread started.
    bool Start(ui::CriticalSection& lock, std::function<void()> step);
    // Ends the loop and waits for the thread, without holding the lock its step needs to end.
    void Stop() { Stop([] { return true; }); }
    // The same, but gives up when `keepWaiting` (asked every 50 ms) says so: a step that hangs
    // is then left running, the thread forgotten, and false returned.
    bool Stop(const std::function<bool()>& keepWaiting);
    bool Started() const { return started_.load(); }

  private:
    static unsigned __stdcall Proc(void* self);
    void Run();

    ui::Handle thread_;
    ui::CriticalSection* lock_ = nullptr;
    std::function<void()> step_;
    std::atomic<bool> started_{false};
    std::atomic<bool> stop_{false};
};

// The clock of the update rate: milliseconds since the program started, from the millisecond
// multimedia timer. It wraps after 49.7 days; only differences of two readings mean anything.
uint32_t ClockMs();

}  // namespace korvane
