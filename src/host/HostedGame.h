// The hosted game as the fronts see it: since when it runs, on which map, whether its first
// Tick has returned, and the measured update rate. The host writes it; any thread reads it.
#pragma once

#include <atomic>
#include <cstdint>
#include <string>

#include "host/TickStats.h"
#include "host/UpdateRate.h"
#include "ui/Handles.h"

namespace korvane {

class HostedGame {
  public:
    // Whole seconds since the game started (the server thread began ticking); 0 without one.
    long long Seconds() const;
    // The first Tick since hosting began has returned (and the engine went on); false again
    // once the engine is shut down.
    bool Ticked() const { return ticked_.load(); }
    // The map hosting began on, as the engine was given it.
    std::string Map() const;
    float UpdateRate() const { return rate_.load(std::memory_order_relaxed); }
    // A front gave the engine its quit command, so an engine stop that follows is the
    // operator's, not the engine's own.
    bool QuitGiven() const { return quitGiven_.load(); }
    // How many Ticks ran and what they cost, over the program's life (host/TickStats.h).
    const TickStats& Ticks() const { return ticks_; }

  private:
    friend class EngineHost;
    void Hosting(const std::string& map);  // the session runs; the server thread starts next
    void Stepped(uint32_t nowMs, uint32_t againMs);  // the server thread, before each Tick
    void TickReturned() { ticked_.store(true); }
    void TickEnded();  // after every Tick, returned or not
    void Ended();
    void CommandGiven(const std::string& command);

    mutable ui::CriticalSection lock_;  // the map's
    std::string map_;
    std::atomic<uint64_t> sinceMs_{0};  // GetTickCount64 when hosting began; 0 when not
    std::atomic<bool> ticked_{false};
    std::atomic<bool> quitGiven_{false};
    UpdateRateMeter meter_;  // the server thread's
    std::atomic<float> rate_{0};
    TickStats ticks_;  // written by the server thread only
};

}  // namespace korvane
