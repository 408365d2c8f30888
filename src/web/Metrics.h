// What a monitoring system scrapes from GET /metrics, in Prometheus's text format: what the
// listener counts itself (requests by route and status and their durations, console lines),
// and what each scrape reads from the hosted game and from the process. The text is written
// by the Prometheus client library's own serializer, which escapes label values.
#pragma once

#include <atomic>
#include <cstdint>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::web {

// A histogram as read: samples per bucket (not cumulative) for `bounds` in seconds, with one
// more bucket past every bound.
struct HistogramFigures {
    std::vector<double> bounds;
    std::vector<uint64_t> buckets;
    uint64_t count = 0;
    double sumSeconds = 0;
};

// The process as the system sees it.
struct ProcessFigures {
    double startTimeSeconds = 0;  // Unix time
    double cpuSeconds = 0;        // user and kernel time
    double residentBytes = 0;     // the working set
    // The private commit charge (PROCESS_MEMORY_COUNTERS_EX.PrivateUsage): what the process
    // holds of the machine's memory and page file, as Prometheus's own Windows collectors give
    // it; the address space a 32-bit process reserves would say little.
    double virtualBytes = 0;
    double openHandles = 0;
};
ProcessFigures ReadProcessFigures();

// What one scrape reads from the hosted game; the texts are UTF-8.
struct GameFigures {
    bool engineRunning = false;
    std::string serverName;
    std::string map;
    int playersOnline = 0;
    int playersMax = 0;
    double updateRate = 0;
    uint64_t ticks = 0;
    HistogramFigures tickDurations;
    HistogramFigures tickIntervals;
    long long notRespondingSeconds = 0;
};

// Restarts of the engine by reason, from whoever restarts it.
using RestartCounts = std::function<std::map<std::string, uint64_t>()>;
// Always written, at 0 until one happens, so that a rate over them never lacks a series.
inline constexpr const char* kRestartReasons[] = {"requested", "schedule", "crash", "hang",
                                                  "engine_stopped"};

// What the listener needs for /metrics: the text of a scrape, and a word after every answer.
struct MetricsHooks {
    std::function<std::string()> scrape;
    std::function<void(std::string_view path, int status, double seconds)> served;
};

class WebMetrics {
  public:
    WebMetrics();
    ~WebMetrics();
    WebMetrics(const WebMetrics&) = delete;
    WebMetrics& operator=(const WebMetrics&) = delete;

    // The route label of a request's path: a path the listener serves, or "other", so that
    // no request can add a label value.
    static std::string RouteLabel(std::string_view path);

    // From the listener threads, after each answer.
    void RequestServed(std::string_view path, int status, double seconds);
    // From whoever takes the console's hand-over (never the server thread).
    void ConsoleLines(size_t count) { consoleLines_.fetch_add(count, std::memory_order_relaxed); }
    void SetRestartCounts(RestartCounts counts);

    // The whole text of a scrape.
    std::string Text(const GameFigures& game, const ProcessFigures& process) const;

  private:
    struct Families;
    std::unique_ptr<Families> families_;
    std::atomic<uint64_t> consoleLines_{0};
    mutable std::mutex restartsMutex_;
    RestartCounts restarts_;
};

}  // namespace korvane::web
