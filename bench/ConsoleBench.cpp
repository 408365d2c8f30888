// Prints what the main window's refresh costs: its time per 100 ms period and its longest
// hold of EngineLock with 16, 64 and 256 players; and how it copes with an engine printing
// 5,000 console lines a second for 30 s: batched without and with the console log file (in
// the same run), and line by line.
// Run: console_bench [flood seconds, default 30]
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "console/ConsoleLogFile.h"
#include "console/ConsolePane.h"
#include "host/ServerMainDialog.h"
#include "resources/resource.h"
#include "support/ModalDriver.h"
#include "support/RecordingEngine.h"
#include "support/TestWindow.h"

namespace {

using korvane::test::RecordingEngine;

double Ms(LONGLONG ticks) {
    static const double perMs = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return static_cast<double>(f.QuadPart) / 1000.0;
    }();
    return static_cast<double>(ticks) / perMs;
}

LONGLONG Now() {
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return now.QuadPart;
}

double Percentile(std::vector<double> values, double p) {
    if (values.empty()) return 0;
    std::sort(values.begin(), values.end());
    return values[std::min(values.size() - 1,
                           static_cast<size_t>(p * static_cast<double>(values.size())))];
}

size_t PrivateBytes() {
    PROCESS_MEMORY_COUNTERS_EX counters = {};
    counters.cb = sizeof counters;
    GetProcessMemoryInfo(GetCurrentProcess(), reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                         sizeof counters);
    // Wine does not fill in PrivateUsage; the commit charge is the same figure there.
    return counters.PrivateUsage ? counters.PrivateUsage : counters.PagefileUsage;
}

constexpr UINT kProbe = WM_APP + 50;
// When the probe now waiting in the window's queue was posted; 0 when none is waiting.
std::atomic<LONGLONG> probePostedAt{0};

// The main window with its refresh timed, its lock holds measured and, on request, the
// console lines appended one by one.
class BenchWindow : public korvane::test::TestWindow {
  public:
    using TestWindow::TestWindow;
    bool lineByLine = false;
    korvane::ConsoleLogFile* log = nullptr;  // the refresh's lines also go to the log file
    std::vector<double> logMs;
    std::vector<double> refreshMs;
    std::vector<double> probeMs;
    size_t linesShown = 0;
    korvane::ui::LockHoldStats holds;

    void Measure() {
        holds = {};
        holds.thread = GetCurrentThreadId();
        EngineLock().MeasureHolds(&holds);
        refreshMs.clear();
        probeMs.clear();
        linesShown = 0;
    }

  protected:
    void UpdateStatus() override {
        const LONGLONG start = Now();
        TestWindow::UpdateStatus();
        refreshMs.push_back(Ms(Now() - start));
    }
    void AppendConsoleLines(HWND pane, const std::vector<std::string>& lines) override {
        if (log) {
            const LONGLONG start = Now();
            if (auto stopped = log->Append(lines)) std::printf("  %s\n", stopped->c_str());
            logMs.push_back(Ms(Now() - start));
        }
        if (!lineByLine)
            TestWindow::AppendConsoleLines(pane, lines);
        else
            for (const std::string& line : lines) korvane::ConsoleLog(pane, line.c_str());
        if (!lines.empty()) {
            linesShown += lines.size();
            lastAppend = Now();
        }
    }

  public:
    LONGLONG lastAppend = 0;
    bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) override {
        if (message == kProbe) {
            const LONGLONG posted = probePostedAt.exchange(0);
            if (posted) probeMs.push_back(Ms(Now() - posted));
            return true;
        }
        return TestWindow::OnMessage(message, wParam, lParam, result);
    }
};

void RefreshCost(int players) {
    RecordingEngine engine;
    BenchWindow window(engine);
    DWORD phaseStart = 0;
    int phase = 0;
    korvane::test::RunModal(
        window,
        [&] {
            if (phase == 0 && engine.ticks > 0) {
                std::string update = "\x03";
                for (int id = 1; id <= players; ++id) {
                    engine.QueueEvent("\x01 " + std::to_string(id));
                    update += std::to_string(id) + " Player " + std::to_string(id) + "\n1070 3 ";
                }
                engine.QueueEvent(update + "-1");
                phase = 1;
                phaseStart = GetTickCount();
            } else if (phase == 1 && GetTickCount() - phaseStart > 1000) {
                window.Measure();
                phase = 2;
                phaseStart = GetTickCount();
            } else if (phase == 2 && GetTickCount() - phaseStart > 6000) {
                window.EngineLock().MeasureHolds(nullptr);
                window.SetConfirmOnClose(false);
                window.End(IDCANCEL);
                return true;
            }
            return false;
        },
        60000);
    std::printf(
        "  %3d players: refresh median %.2f ms, p99 %.2f ms, max %.2f ms over %zu refreshes; "
        "longest EngineLock hold %.3f ms (mean %.4f ms over %lld holds)\n",
        players, Percentile(window.refreshMs, 0.5), Percentile(window.refreshMs, 0.99),
        Percentile(window.refreshMs, 1.0), window.refreshMs.size(), Ms(window.holds.longest),
        window.holds.holds ? Ms(window.holds.total) / static_cast<double>(window.holds.holds) : 0.0,
        window.holds.holds);
}

// The lines of a log file that are the flood's, in the order printed; -1 when one is missing
// or out of place.
long FloodLinesInOrder(const std::string& path) {
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return -1;
    long expected = 0;
    char line[256];
    while (std::fgets(line, sizeof line, file)) {
        const char* flood = std::strstr(line, "flood line ");
        if (!flood) continue;
        if (std::atol(flood + 11) != expected) {
            expected = -1;
            break;
        }
        ++expected;
    }
    std::fclose(file);
    return expected;
}

enum class Show { Batched, BatchedAndLogged, LineByLine };

void Flood(Show show, int seconds) {
    constexpr int kLinesPerSecond = 5000;
    RecordingEngine engine;
    BenchWindow window(engine);
    window.lineByLine = show == Show::LineByLine;
    char temp[MAX_PATH];
    GetTempPathA(sizeof temp, temp);
    const std::string folder =
        std::string(temp) + "korvane-bench-logs-" + std::to_string(GetCurrentProcessId());
    korvane::ConsoleLogFile log(folder);
    if (show == Show::BatchedAndLogged) window.log = &log;
    std::atomic<long> printed{0};
    std::atomic<bool> flooding{false};
    LONGLONG floodStart = 0;
    LONGLONG floodEnd = 0;
    engine.onTick = [&] {
        if (!flooding || Now() >= floodEnd) return;
        // Lines due by now at the flood's rate, printed from inside Tick as an engine would.
        const long due = static_cast<long>(Ms(Now() - floodStart) * kLinesPerSecond / 1000.0);
        while (printed < due) {
            char line[96];
            std::snprintf(line, sizeof line, "flood line %07ld of the console benchmark\n",
                          printed.load());
            engine.callbacks->OnConsoleText(line);
            ++printed;
        }
    };
    size_t memoryBefore = 0, memoryAfter = 0;
    std::atomic<bool> probing{true};
    std::thread prober;
    DWORD start = 0;
    int phase = 0;
    korvane::test::RunModal(
        window,
        [&] {
            if (phase == 0 && engine.ticks > 5) {
                memoryBefore = PrivateBytes();
                window.Measure();
                floodStart = Now();
                LARGE_INTEGER frequency;
                QueryPerformanceFrequency(&frequency);
                floodEnd = floodStart + frequency.QuadPart * seconds;
                flooding = true;
                HWND target = window.Window();
                prober = std::thread([&probing, target] {
                    while (probing) {
                        LONGLONG none = 0;
                        if (probePostedAt.compare_exchange_strong(none, Now()))
                            PostMessageA(target, kProbe, 0, 0);
                        Sleep(50);
                    }
                });
                start = GetTickCount();
                phase = 1;
            } else if (phase == 1 && GetTickCount() - start > static_cast<DWORD>(seconds) * 1000) {
                flooding = false;
                probing = false;
                memoryAfter = PrivateBytes();
                phase = 2;
            }
            // Batched, the lines still queued are shown (and logged) by the next refresh; line
            // by line would take minutes over its backlog.
            if (phase == 2 && (show == Show::LineByLine ||
                               window.linesShown >= static_cast<size_t>(printed.load()))) {
                window.SetConfirmOnClose(false);
                window.End(IDCANCEL);
                return true;
            }
            return false;
        },
        static_cast<DWORD>(seconds) * 1000 + 600000);
    probing = false;
    if (prober.joinable()) prober.join();
    const char* name = show == Show::LineByLine ? "line by line"
                       : show == Show::Batched  ? "batched, log off"
                                                : "batched, log on ";
    std::printf(
        "  %s: %ld lines printed, shown at %.0f lines per second, refresh median %.1f ms, "
        "p99 %.1f ms, longest %.1f ms; posted message handled after median %.1f ms, p99 %.1f ms, "
        "max %.1f ms; "
        "private memory %.1f MB before, %.1f MB after\n",
        name, printed.load(),
        static_cast<double>(window.linesShown) * 1000.0 /
            std::max(1.0, Ms(window.lastAppend - floodStart)),
        Percentile(window.refreshMs, 0.5), Percentile(window.refreshMs, 0.99),
        Percentile(window.refreshMs, 1.0), Percentile(window.probeMs, 0.5),
        Percentile(window.probeMs, 0.99), Percentile(window.probeMs, 1.0), memoryBefore / 1048576.0,
        memoryAfter / 1048576.0);
    if (window.log) {
        // Every file the run wrote (a flood across midnight writes two).
        long inFiles = 0;
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((folder + "\\console-*.log").c_str(), &found);
        for (bool more = search != INVALID_HANDLE_VALUE; more;
             more = FindNextFileA(search, &found)) {
            const long lines = FloodLinesInOrder(folder + "\\" + found.cFileName);
            inFiles = lines < 0 || inFiles < 0 ? -1 : inFiles + lines;
            DeleteFileA((folder + "\\" + found.cFileName).c_str());
        }
        if (search != INVALID_HANDLE_VALUE) FindClose(search);
        RemoveDirectoryA(folder.c_str());
        std::printf(
            "    log: %.0f bytes written per second; write per refresh median %.2f ms, longest "
            "%.2f ms; %s\n",
            static_cast<double>(log.BytesWritten()) * 1000.0 /
                std::max(1.0, Ms(window.lastAppend - floodStart)),
            Percentile(window.logMs, 0.5), Percentile(window.logMs, 1.0),
            inFiles == printed.load() ? "every line in the file, in order"
                                      : "LINES MISSING OR OUT OF ORDER");
    }
}

// The pane alone: one refresh's 500 lines appended both ways to the same kind of control.
void PaneCost() {
    HWND parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 800, 300, nullptr, nullptr,
                                  nullptr, nullptr);
    auto makePane = [parent] {
        return CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                                   WS_VSCROLL | WS_HSCROLL,
                               0, 0, 780, 120, parent, nullptr, nullptr, nullptr);
    };
    HWND one = makePane(), batch = makePane();
    std::vector<double> oneMs, batchMs;
    long n = 0;
    for (int refresh = 0; refresh < 20; ++refresh) {
        std::vector<std::string> lines(500);
        for (auto& line : lines)
            line = "flood line " + std::to_string(n++) + " of the console benchmark\n";
        LONGLONG t = Now();
        for (const auto& line : lines) korvane::ConsoleLog(one, line.c_str());
        oneMs.push_back(Ms(Now() - t));
        t = Now();
        korvane::ConsoleLogBatch(batch, lines);
        batchMs.push_back(Ms(Now() - t));
    }
    const double a = Percentile(oneMs, 0.5), b = Percentile(batchMs, 0.5);
    std::printf(
        "  pane alone, 500 lines per refresh: line by line median %.1f ms, batched median %.2f ms, "
        "ratio %.0f : 1\n",
        a, b, b > 0 ? a / b : 0.0);
    DestroyWindow(parent);
}

}  // namespace

int main(int argc, char** argv) {
    const int seconds = argc > 1 ? std::max(1, std::atoi(argv[1])) : 30;
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_LISTVIEW_CLASSES};
    InitCommonControlsEx(&controls);
    korvane::ShowSettingsAtStartup = false;

    std::printf("refresh cost per 100 ms period:\n");
    for (int players : {16, 64, 256}) RefreshCost(players);
    std::printf("console flood, 5000 lines per second for %d s:\n", seconds);
    PaneCost();
    Flood(Show::Batched, seconds);
    Flood(Show::BatchedAndLogged, seconds);
    // Line by line falls behind at once; a short run keeps the backlog it leaves finite.
    Flood(Show::LineByLine, std::min(seconds, 3));
    return 0;
}
