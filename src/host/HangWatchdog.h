// The hang watchdog: an engine call (a Tick above all) that has not returned within its bound
// is a hang. The watchdog only notices and tells its owner, once per hang, on its own thread;
// what then happens (a line, a dump, the end of the process) is the owner's to decide.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "host/EngineHost.h"
#include "ui/Handles.h"

namespace korvane {

struct HangBounds {
    unsigned seconds = 60;  // --hang-seconds; 0 turns the watchdog off
    // Start-up steps, the engine's release and a map change load things and may take long:
    // they get at least this.
    static constexpr unsigned kLongCallSeconds = 300;
};

// Whether `call` has overrun its bound at `nowMs` (GetTickCount64's clock).
bool IsHang(const RunningCall& call, uint64_t nowMs, const HangBounds& bounds);
// "The engine has not returned from its Tick since 12:00:00 (60 s): it hangs."
std::string HangLine(const RunningCall& call, uint64_t nowMs);

class HangWatchdog {
  public:
    using Report = std::function<void(const RunningCall& call, uint64_t nowMs)>;
    // Starts watching `host` unless the bound is 0; `report` runs on the watchdog's thread.
    HangWatchdog(const EngineHost& host, HangBounds bounds, Report report);
    ~HangWatchdog();
    HangWatchdog(const HangWatchdog&) = delete;
    HangWatchdog& operator=(const HangWatchdog&) = delete;

  private:
    static unsigned __stdcall Proc(void* self);
    void Run();

    const EngineHost& host_;
    HangBounds bounds_;
    Report report_;
    ui::Handle stop_;
    ui::Handle thread_;
};

}  // namespace korvane
