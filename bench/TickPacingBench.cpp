// Prints how well the real server thread keeps its pace: the achieved tick rate against the
// ideal 1000/33 per second, the median and 99th percentile of the interval between ticks, and
// the time from process start to the first Tick; with the hang watchdog on.
// Run: tick_pacing_bench [seconds].
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "BenchClock.h"
#include "host/HangWatchdog.h"
#include "support/TestWindow.h"
#include "support/ModalDriver.h"
#include "support/RecordingEngine.h"

namespace {

using korvane::test::RecordingEngine;

using korvane::bench::Now;

double Seconds(LONGLONG ticks) {
    return korvane::bench::Ms(ticks) / 1000.0;
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 60;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    // The build's installation folder, as the program works in its own.
    if (const char* dir = std::getenv("KORVANE_INSTALL_DIR")) SetCurrentDirectoryA(dir);
    RecordingEngine engine;
    std::vector<LONGLONG> ticks;
    ticks.reserve(static_cast<size_t>(seconds) * 40 + 100);
    engine.onTick = [&ticks] { ticks.push_back(Now()); };

    // Process start, as the system recorded it, on the performance counter's time line.
    FILETIME created, exited, kernel, user, nowFile;
    GetProcessTimes(GetCurrentProcess(), &created, &exited, &kernel, &user);
    GetSystemTimeAsFileTime(&nowFile);
    const LONGLONG nowCounter = Now();
    auto toInt = [](FILETIME f) {
        return (static_cast<LONGLONG>(f.dwHighDateTime) << 32) | f.dwLowDateTime;
    };
    const double sinceStart = static_cast<double>(toInt(nowFile) - toInt(created)) * 1e-7;

    korvane::test::TestWindow window(engine);
    // As the programs run: the hang watchdog on, at its default bound.
    const korvane::HangWatchdog watchdog(window.Host(), {}, [](const korvane::RunningCall&, uint64_t) {
        std::printf("tick pacing: the watchdog saw a hang\n");
    });
    int shownRate = 0;
    const DWORD begin = GetTickCount();
    korvane::test::RunModal(
        window,
        [&] {
            if (GetTickCount() - begin < static_cast<DWORD>(seconds) * 1000) return false;
            // Read while the engine still runs: a stopped engine's rate reads 0.
            shownRate = static_cast<int>(window.Host().Game().UpdateRate());
            window.End(IDCANCEL);
            return true;
        },
        static_cast<DWORD>(seconds) * 1000 + 30000);

    if (ticks.size() < 3) {
        std::printf("tick pacing: too few ticks (%zu)\n", ticks.size());
        return 1;
    }
    std::vector<double> intervals;
    for (size_t i = 1; i < ticks.size(); ++i)
        intervals.push_back(Seconds(ticks[i] - ticks[i - 1]) * 1000.0);
    std::sort(intervals.begin(), intervals.end());
    const double span = Seconds(ticks.back() - ticks.front());
    const double rate = static_cast<double>(ticks.size() - 1) / span;
    const double firstTick = sinceStart + Seconds(ticks.front() - nowCounter);
    std::printf("tick pacing over %.1f s: %zu ticks\n", span, ticks.size());
    std::printf("  achieved rate     %.2f per second (ideal %.2f, ratio %.4f)\n", rate,
                1000.0 / 33.0, rate / (1000.0 / 33.0));
    std::printf("  interval median   %.2f ms\n", intervals[intervals.size() / 2]);
    std::printf("  interval p99      %.2f ms\n", intervals[intervals.size() * 99 / 100]);
    std::printf("  interval max      %.2f ms\n", intervals.back());
    std::printf("  process start to first Tick  %.0f ms\n", firstTick * 1000.0);
    std::printf("  window's update rate figure  %d\n", shownRate);
    return 0;
}
