// Prints what web administration costs the server: 16 browser-like clients poll status,
// players and console once a second (each one request after the other, as the page does)
// while the real server thread ticks the recording engine with 24 players and the main window
// refreshes. Figures: the tick rate against 1000/33 per second, the window's refresh median
// against the same run without clients, and the requests' latency median and p99; and the
// process's CPU time in each run and in one with 30 idle keep-alive connections; then the same
// clients asking only for the status while one Tick hangs for the whole run, with the window's
// refresh and the status's latency (the answer: the status, or "Engine not responding").
// Run: web_bench [seconds per run, default 30]
#include <httplib.h>

#include <windows.h>
#include <commctrl.h>

#include <nlohmann/json.hpp>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "BenchClock.h"
#include "app/WebAddOn.h"
#include "support/ModalDriver.h"
#include "support/RecordingEngine.h"
#include "support/TestWindow.h"
#include "ui/Handles.h"
#include "web/Crypto.h"
#include "web/WebAdmin.h"

namespace {

using korvane::bench::Ms;
using korvane::bench::Now;
using korvane::bench::Percentile;

constexpr int kClients = 16;
constexpr int kIdleClients = 30;
constexpr int kPlayers = 24;
constexpr double kIdealRate = 1000.0 / 33.0;
constexpr DWORD kSettleMs = 3000;

// The window's refreshes (its timer messages), timed through a subclass.
std::vector<double> refreshMs;
LRESULT CALLBACK TimeRefresh(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
    if (message != WM_TIMER) return DefSubclassProc(window, message, wParam, lParam);
    const LONGLONG start = Now();
    const LRESULT result = DefSubclassProc(window, message, wParam, lParam);
    refreshMs.push_back(Ms(Now() - start));
    return result;
}

struct Latencies {
    std::mutex mutex;
    std::vector<double> ms;
    int failures = 0;
    std::atomic<bool> measuring{false};
    void Add(double value, bool ok) {
        if (!measuring) return;
        std::lock_guard lock(mutex);
        ms.push_back(value);
        if (!ok) ++failures;
    }
};

// One browser tab: logs in, then every second asks for status, players and the new console
// lines on its one kept-alive connection.
void Client(int port, const std::atomic<bool>& stop, Latencies& latencies, bool statusOnly) {
    httplib::Client http("127.0.0.1", port);
    http.set_keep_alive(true);
    http.set_read_timeout(10);
    // Logins beyond those the server checks at once are told to come back (429 or 503).
    auto login = http.Post("/api/login", R"({"password": "bench-password"})", "application/json");
    for (int retry = 0; login && (login->status == 429 || login->status == 503) && retry < 50;
         ++retry) {
        Sleep(100);
        login = http.Post("/api/login", R"({"password": "bench-password"})", "application/json");
    }
    if (!login || login->status != 200) return;
    const std::string cookie = login->get_header_value("Set-Cookie");
    const httplib::Headers session = {{"Cookie", cookie.substr(0, cookie.find(';'))}};
    unsigned long long after = 0;
    while (!stop) {
        const LONGLONG cycle = Now();
        const std::string console = "/api/console?after=" + std::to_string(after);
        std::vector<std::string> paths = {"/api/status", "/api/players", console};
        if (statusOnly) paths.resize(1);
        for (const std::string& path : paths) {
            const LONGLONG start = Now();
            const auto answer = http.Get(path, session);
            // While the engine hangs the status's 503 that says so is an answer too.
            const bool ok = answer && (answer->status == 200 || (statusOnly && answer->status == 503));
            latencies.Add(Ms(Now() - start), ok);
            if (ok && path == console)
                after = nlohmann::json::parse(answer->body, nullptr, false).value("next", after);
        }
        const double left = 1000.0 - Ms(Now() - cycle);
        if (left > 0 && !stop) Sleep(static_cast<DWORD>(left));
    }
}

// A connection kept alive and unused: one request every 9 s, inside the listener's 10 s bound.
void IdleClient(int port, HANDLE stop) {
    httplib::Client http("127.0.0.1", port);
    http.set_keep_alive(true);
    do {
        http.Get("/app.css");
    } while (WaitForSingleObject(stop, 9000) == WAIT_TIMEOUT);
}

// The process's user and kernel time so far.
double CpuMs() {
    FILETIME created, exited, kernel, user;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    const auto ms = [](FILETIME time) {
        return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32 | time.dwLowDateTime) / 1e4;
    };
    return ms(kernel) + ms(user);
}

struct Run {
    double cpuPercent = 0;  // of one core
    double tickRate = 0;
    std::vector<double> refreshMs;
};

// Runs the window with 24 players for `seconds` after a settling time, with `clients` polling
// (or `idleClients` connected and idle); with `hang`, one Tick lasts the whole measured run.
Run Measure(int seconds, int clients, Latencies& latencies, int idleClients = 0,
            bool hang = false) {
    korvane::test::RecordingEngine engine;
    std::atomic<bool> hangNow{false};
    // A few console lines a second, as a game in progress prints.
    engine.onTick = [&engine, &hangNow, seconds] {
        if (hangNow.exchange(false)) Sleep(static_cast<DWORD>(seconds) * 1000 + 500);
        if (engine.ticks % 10 == 0 && engine.callbacks)
            engine.callbacks->OnConsoleText("Heartbeat of the web benchmark\n");
    };
    korvane::test::TestWindow window(engine);
    char temp[MAX_PATH] = {};
    GetTempPathA(sizeof temp, temp);
    const std::string configPath = std::string(temp) + "korvane-web-bench.cfg";
    korvane::web::WebAdmin web(window.Host(), {}, configPath);
    korvane::app::WebAddOn addOn(web);
    window.SetAddOn(&addOn);
    std::atomic<bool> stop{false};
    const korvane::ui::Handle idleStop(CreateEventW(nullptr, TRUE, FALSE, nullptr));
    std::vector<std::thread> threads;
    Run run;
    double cpuAtStart = 0;
    int phase = 0;
    DWORD phaseStart = 0;
    int ticksAtStart = 0;
    LONGLONG measureStart = 0;
    korvane::test::RunModal(
        window,
        [&] {
            if (phase == 0 && engine.ticks > 0) {
                engine.QueuePlayers(kPlayers);
                korvane::web::WebConfig config;
                config.enabled = true;
                config.port = 0;
                config.password = korvane::web::HashPassword("bench-password", 1000);
                web.Apply(config);
                for (int i = 0; i < clients; ++i)
                    threads.emplace_back(Client, web.Port(), std::cref(stop), std::ref(latencies),
                                         hang);
                for (int i = 0; i < idleClients; ++i)
                    threads.emplace_back(IdleClient, web.Port(), idleStop.Get());
                SetWindowSubclass(window.Window(), &TimeRefresh, 1, 0);
                phase = 1;
                phaseStart = GetTickCount();
            } else if (phase == 1 && GetTickCount() - phaseStart > kSettleMs) {
                refreshMs.clear();
                latencies.measuring = true;
                ticksAtStart = engine.ticks;
                measureStart = Now();
                cpuAtStart = CpuMs();
                hangNow = hang;
                phase = 2;
                phaseStart = GetTickCount();
            } else if (phase == 2 &&
                       GetTickCount() - phaseStart > static_cast<DWORD>(seconds) * 1000) {
                latencies.measuring = false;
                run.tickRate = (engine.ticks - ticksAtStart) * 1000.0 / Ms(Now() - measureStart);
                run.cpuPercent = (CpuMs() - cpuAtStart) * 100 / Ms(Now() - measureStart);
                run.refreshMs = refreshMs;
                stop = true;
                SetEvent(idleStop.Get());
                phase = 3;
                ticksAtStart = engine.ticks;
            } else if (phase == 3 && (!hang || engine.ticks > ticksAtStart)) {
                // A hung Tick has returned: the engine can be shut down cleanly.
                window.SetConfirmOnClose(false);
                window.End(IDCANCEL);
                return true;
            }
            return false;
        },
        static_cast<DWORD>(seconds) * 1000 + 120000);
    for (std::thread& thread : threads) thread.join();
    RemoveWindowSubclass(window.Window(), &TimeRefresh, 1);
    std::remove(configPath.c_str());
    if (engine.overlappingCalls != 0)
        std::printf("  (the recording engine saw %d overlapping calls)\n",
                    engine.overlappingCalls.load());
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // The build's installation folder, as the program works in its own.
    if (const char* dir = std::getenv("KORVANE_INSTALL_DIR")) SetCurrentDirectoryA(dir);
    std::printf("web administration, %d players, %d s per run:\n", kPlayers, seconds);
    Latencies none, polled, hung;
    const Run quiet = Measure(seconds, 0, none);
    const Run busy = Measure(seconds, kClients, polled);
    const Run idle = Measure(seconds, 0, none, kIdleClients);
    const Run hanging = Measure(seconds, kClients, hung, 0, true);
    for (const auto& [name, run] : {std::pair{"no clients", &quiet}, {"16 clients", &busy}})
        std::printf(
            "  %-10s: tick rate %.3f per second (ideal %.2f, ratio %.4f); window refresh "
            "median %.2f ms, p99 %.2f ms over %zu refreshes\n",
            name, run->tickRate, kIdealRate, run->tickRate / kIdealRate,
            Percentile(run->refreshMs, 0.5), Percentile(run->refreshMs, 0.99),
            run->refreshMs.size());
    std::printf(
        "  CPU, %% of a core: %.1f without clients, %.1f with 16 polling, %.1f with %d "
        "idle keep-alive connections\n",
        quiet.cpuPercent, busy.cpuPercent, idle.cpuPercent, kIdleClients);
    std::printf("  refresh median with clients / without: %.2f\n",
                Percentile(busy.refreshMs, 0.5) / std::max(1e-6, Percentile(quiet.refreshMs, 0.5)));
    std::printf("  %zu requests (%d failed): latency median %.2f ms, p99 %.2f ms, max %.2f ms\n",
                polled.ms.size(), polled.failures, Percentile(polled.ms, 0.5),
                Percentile(polled.ms, 0.99), Percentile(polled.ms, 1.0));
    std::printf(
        "  while one Tick hangs for %d s: window refresh median %.2f ms, p99 %.2f ms over %zu "
        "refreshes; %zu status requests (%d unanswered): median %.2f ms, p99 %.2f ms, max "
        "%.2f ms\n",
        seconds, Percentile(hanging.refreshMs, 0.5), Percentile(hanging.refreshMs, 0.99),
        hanging.refreshMs.size(), hung.ms.size(), hung.failures, Percentile(hung.ms, 0.5),
        Percentile(hung.ms, 0.99), Percentile(hung.ms, 1.0));
    return 0;
}
