// The thread that feeds the history ring: a sample every 10 s from the moment hosting begins,
// read from the host's figures for any thread (never an engine call, never EngineLock). It
// belongs to the web administration, which both programs have, and runs whether or not the
// listener does, so the charts have the whole day behind them once it is turned on.
#pragma once

#include <condition_variable>
#include <mutex>
#include <thread>

#include "host/EngineHost.h"
#include "web/History.h"

namespace korvane::web {

class HistorySampler {
  public:
    HistorySampler(EngineHost& host, HistoryRing& ring);
    ~HistorySampler() { Stop(); }
    HistorySampler(const HistorySampler&) = delete;
    HistorySampler& operator=(const HistorySampler&) = delete;

    // Starts sampling unless it already runs.
    void Start();
    // Safe to call any number of times.
    void Stop();

  private:
    void Run();

    HistoryRecorder recorder_;
    std::mutex mutex_;
    std::condition_variable wake_;
    bool stopping_ = false;
    std::thread thread_;
};

}  // namespace korvane::web
