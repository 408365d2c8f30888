// The process-wide engine reference and the one place that applies the lock rule: every
// window-thread call into the engine holds EngineLock, so it never overlaps a Tick.
#pragma once

#include <functional>
#include <string>

#include "host/EngineInterface.h"
#include "ui/Handles.h"

namespace korvane {

class EngineAccess {
  public:
    // Set by the main window when it loads the engine and when it creates EngineLock; cleared
    // by ShutdownEngine (engine first, then the lock) on the window thread.
    static void SetEngine(EngineInterface* engine) { engine_ = engine; }
    static void SetLock(ui::CriticalSection* lock) { lock_ = lock; }
    static EngineInterface* Engine() { return engine_; }
    static ui::CriticalSection* Lock() { return lock_; }

    // Where a line for the operator's console goes (the main window's queue); none in tests.
    static void SetConsoleSink(std::function<void(const std::string&)> sink) {
        sink_ = std::move(sink);
    }
    static void Note(const std::string& line) {
        if (sink_) sink_(line);
    }

  private:
    static inline std::function<void(const std::string&)> sink_;
    static inline EngineInterface* engine_ = nullptr;
    static inline ui::CriticalSection* lock_ = nullptr;
};

// One engine call (or a short group of them) from the window thread:
//   if (EngineCall engine; engine) engine->ExecuteCommand(text);
// Holds EngineLock for its lifetime whenever the lock exists; taking it before the server
// thread starts costs nothing and keeps the rule free of special cases.
class EngineCall {
  public:
    EngineCall()
        : engine_(EngineAccess::Engine()), lock_(engine_ ? EngineAccess::Lock() : nullptr) {
        if (lock_ && lock_->Ready())
            lock_->Enter();
        else
            lock_ = nullptr;
    }
    ~EngineCall() {
        if (lock_) lock_->Leave();
    }
    EngineCall(const EngineCall&) = delete;
    EngineCall& operator=(const EngineCall&) = delete;

    explicit operator bool() const { return engine_ != nullptr; }
    EngineInterface* operator->() const { return engine_; }
    EngineInterface* Get() const { return engine_; }

  private:
    EngineInterface* engine_;
    ui::CriticalSection* lock_;
};

// A line of the front end's own for the console pane, shown at the next refresh.
inline void NoteOnConsole(const std::string& line) {
    EngineAccess::Note(line);
}

}  // namespace korvane
