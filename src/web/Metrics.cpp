// The metrics' families and the text of a scrape.
#include "web/Metrics.h"

#include <prometheus/counter.h>
#include <prometheus/histogram.h>
#include <prometheus/registry.h>
#include <prometheus/text_serializer.h>

#include <sstream>

#include "web/WebApi.h"

namespace korvane::web {

namespace {

using prometheus::ClientMetric;
using prometheus::MetricFamily;
using prometheus::MetricType;

// Bounds of the web answers' durations: a scrape or a status read takes well under 10 ms, a
// login's hash about a second.
const prometheus::Histogram::BucketBoundaries kRequestBounds = {
    0.0005, 0.001, 0.0025, 0.005, 0.01, 0.025, 0.05, 0.1, 0.25, 0.5, 1, 2.5, 5, 10};

// The families a scrape adds to the registry's, one sample each unless labelled.
class FamilyList {
  public:
    void Gauge(const char* name, const char* help, double value,
               std::vector<ClientMetric::Label> labels = {}) {
        ClientMetric metric;
        metric.label = std::move(labels);
        metric.gauge.value = value;
        Add(name, help, MetricType::Gauge, std::move(metric));
    }
    void Counter(const char* name, const char* help, double value,
                 std::vector<ClientMetric::Label> labels = {}) {
        ClientMetric metric;
        metric.label = std::move(labels);
        metric.counter.value = value;
        Add(name, help, MetricType::Counter, std::move(metric));
    }
    void Histogram(const char* name, const char* help, const HistogramFigures& figures) {
        ClientMetric metric;
        metric.histogram.sample_count = figures.count;
        metric.histogram.sample_sum = figures.sumSeconds;
        uint64_t cumulative = 0;
        for (size_t i = 0; i < figures.bounds.size() && i < figures.buckets.size(); ++i) {
            cumulative += figures.buckets[i];
            metric.histogram.bucket.push_back({cumulative, figures.bounds[i]});
        }
        Add(name, help, MetricType::Histogram, std::move(metric));
    }
    std::vector<MetricFamily>& Families() { return families_; }

  private:
    // A sample of the family named as the last one goes with it.
    void Add(const char* name, const char* help, MetricType type, ClientMetric metric) {
        if (families_.empty() || families_.back().name != name)
            families_.push_back({name, help, type, {}});
        families_.back().metric.push_back(std::move(metric));
    }
    std::vector<MetricFamily> families_;
};

}  // namespace

struct WebMetrics::Families {
    std::shared_ptr<prometheus::Registry> registry = std::make_shared<prometheus::Registry>();
    prometheus::Family<prometheus::Counter>& requests =
        prometheus::BuildCounter()
            .Name("korvane_web_requests_total")
            .Help("Answers of the web administration by route and HTTP status.")
            .Register(*registry);
    prometheus::Family<prometheus::Histogram>& durations =
        prometheus::BuildHistogram()
            .Name("korvane_web_request_duration_seconds")
            .Help("Time from a web request's first byte to the end of its answer, by route.")
            .Register(*registry);
};

WebMetrics::WebMetrics() : families_(std::make_unique<Families>()) {}

WebMetrics::~WebMetrics() = default;

std::string WebMetrics::RouteLabel(std::string_view path) {
    const std::string known(path);
    return WebApi::MethodFor(known) ? known : "other";
}

void WebMetrics::RequestServed(std::string_view path, int status, double seconds) {
    const std::string route = RouteLabel(path);
    // A status is one the listener or its routes chose: a bounded set of three-digit codes.
    families_->requests.Add({{"route", route}, {"code", std::to_string(status)}}).Increment();
    families_->durations.Add({{"route", route}}, kRequestBounds).Observe(seconds);
}

void WebMetrics::SetRestartCounts(RestartCounts counts) {
    std::lock_guard lock(restartsMutex_);
    restarts_ = std::move(counts);
}

std::string WebMetrics::Text(const GameFigures& game, const ProcessFigures& process) const {
    FamilyList list;
    list.Gauge("korvane_build_info", "The program's version; always 1.", 1,
               {{"version", KORVANE_PROGRAM_VERSION}});
    list.Gauge("korvane_server_info", "The server's name and map; always 1.", 1,
               {{"map", game.map}, {"name", game.serverName}});
    list.Gauge("korvane_engine_running", "1 while the engine is loaded, 0 once it has stopped.",
               game.engineRunning ? 1 : 0);
    list.Gauge("korvane_engine_not_responding_seconds",
               "How long the engine has been stuck in one call; 0 while it answers.",
               static_cast<double>(game.notRespondingSeconds));
    list.Gauge("korvane_players_online", "Players in the game, as the player list shows them.",
               game.playersOnline);
    list.Gauge("korvane_players_max", "The most players the server takes.", game.playersMax);
    list.Gauge("korvane_update_rate", "Ticks per second, as the window shows the update rate.",
               game.updateRate);
    list.Counter("korvane_ticks_total", "Ticks of the engine since the program started.",
                 static_cast<double>(game.ticks));
    list.Histogram("korvane_tick_duration_seconds", "How long each Tick of the engine ran.",
                   game.tickDurations);
    list.Histogram("korvane_tick_interval_seconds",
                   "Time from the start of one Tick to the start of the next.", game.tickIntervals);
    list.Counter("korvane_console_lines_total", "Lines the console has shown.",
                 static_cast<double>(consoleLines_.load(std::memory_order_relaxed)));

    std::map<std::string, uint64_t> restarts;
    for (const char* reason : kRestartReasons) restarts[reason] = 0;
    {
        std::lock_guard lock(restartsMutex_);
        if (restarts_)
            for (const auto& [reason, count] : restarts_()) restarts[reason] = count;
    }
    for (const auto& [reason, count] : restarts)
        list.Counter("korvane_restarts_total", "Restarts of the engine by reason.",
                     static_cast<double>(count), {{"reason", reason}});

    list.Gauge("process_start_time_seconds", "When the process started, in Unix time.",
               process.startTimeSeconds);
    list.Counter("process_cpu_seconds_total", "User and system CPU time of the process.",
                 process.cpuSeconds);
    list.Gauge("process_resident_memory_bytes", "The process's working set.",
               process.residentBytes);
    list.Gauge("process_virtual_memory_bytes", "The process's private commit charge.",
               process.virtualBytes);
    list.Gauge("process_open_handles", "Handles the process holds open.", process.openHandles);

    std::vector<MetricFamily> families = families_->registry->Collect();
    for (MetricFamily& family : list.Families()) families.push_back(std::move(family));
    std::ostringstream text;
    prometheus::TextSerializer().Serialize(text, families);
    return text.str();
}

}  // namespace korvane::web
