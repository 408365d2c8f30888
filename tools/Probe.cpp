// Drives the real program from outside for scripts/soak and scripts/cycles and prints the
// figures it does not print itself: working set, commit charge, handle and GDI/USER object
// counts, the longest time the window takes to answer a message, and how each run ended.
// It starts korvane-server.exe -s itself, reads the window's controls (update rate, player
// rows) and types console commands into its command line, as an operator would.
//   probe soak <installation folder> <minutes> [minutes between floods]
//   probe cycles <installation folder> <runs>
#include <windows.h>
#include <commctrl.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

constexpr int kConsole = 1000;
constexpr int kPlayerList = 1001;
constexpr int kUpdateRate = 1036;
constexpr int kCommandLine = 1040;
constexpr int kSend = 1041;
constexpr int kQuit = 32773;
const char kProgram[] = "korvane-server.exe";
const char kQuestionCaption[] = "Korvane Server";

double NowMs() {
    static LARGE_INTEGER frequency = [] {
        LARGE_INTEGER f;
        QueryPerformanceFrequency(&f);
        return f;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// A small fixed-seed generator, so a run's choices can be repeated.
unsigned Random(unsigned below) {
    static unsigned state = 12345;
    state = state * 1103515245u + 12345u;
    return (state >> 16) % below;
}

struct WindowSearch {
    DWORD process;
    bool question;  // the quit question rather than the main window
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<WindowSearch*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (process != search->process || lstrcmpA(cls, "#32770") != 0) return TRUE;
    const bool main = GetDlgItem(window, kCommandLine) != nullptr;
    char caption[64] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (search->question ? !main && lstrcmpA(caption, kQuestionCaption) == 0 : main) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

// One run of the program, started by the probe; the handles are closed with it.
class Program {
  public:
    Program() = default;
    Program(const Program&) = delete;
    Program& operator=(const Program&) = delete;
    ~Program() {
        if (info_.hThread) CloseHandle(info_.hThread);
        if (info_.hProcess) CloseHandle(info_.hProcess);
    }

    bool Start(const std::string& folder) {
        std::string command = "\"" + folder + "\\" + kProgram + "\" -s";
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        return CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                              folder.c_str(), &startup, &info_) != FALSE;
    }
    HANDLE Handle() const { return info_.hProcess; }
    HWND Find(bool question) const {
        WindowSearch search = {info_.dwProcessId, question, nullptr};
        EnumWindows(&MatchWindow, reinterpret_cast<LPARAM>(&search));
        return search.found;
    }
    // Polls for the window every few milliseconds; null when the time is up or the program
    // has ended.
    HWND WaitFor(bool question, DWORD timeoutMs) const {
        const double start = NowMs();
        while (NowMs() - start < timeoutMs) {
            if (HWND window = Find(question)) return window;
            if (WaitForSingleObject(info_.hProcess, 2) == WAIT_OBJECT_0) return nullptr;
        }
        return nullptr;
    }
    // True with the exit code once the program has ended within the time.
    bool WaitForExit(DWORD timeoutMs, DWORD& code) const {
        if (WaitForSingleObject(info_.hProcess, timeoutMs) != WAIT_OBJECT_0) return false;
        GetExitCodeProcess(info_.hProcess, &code);
        return true;
    }
    void Terminate() const {
        TerminateProcess(info_.hProcess, 0xDEAD);
        WaitForSingleObject(info_.hProcess, 10000);
    }

  private:
    PROCESS_INFORMATION info_ = {};
};

// The window's answer to a message it must handle itself: milliseconds, or -1 after 10 s.
double RoundTripMs(HWND window) {
    DWORD_PTR result = 0;
    const double start = NowMs();
    if (!SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &result)) return -1;
    return NowMs() - start;
}

// Types a console command into the command line and presses the hidden Send button.
bool Type(HWND main, const char* command) {
    DWORD_PTR result = 0;
    HWND edit = GetDlgItem(main, kCommandLine);
    return SendMessageTimeoutA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(command), SMTO_NORMAL,
                               10000, &result) &&
           SendMessageTimeoutA(main, WM_COMMAND, MAKEWPARAM(kSend, BN_CLICKED),
                               reinterpret_cast<LPARAM>(GetDlgItem(main, kSend)), SMTO_NORMAL,
                               10000, &result);
}

// True when the command line is empty again: the window took what was typed.
bool CommandTaken(HWND main) {
    DWORD_PTR length = 1;
    return SendMessageTimeoutA(GetDlgItem(main, kCommandLine), WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL,
                               5000, &length) &&
           length == 0;
}

int UpdateRate(HWND main) {
    char text[32] = {};
    DWORD_PTR result = 0;
    SendMessageTimeoutA(GetDlgItem(main, kUpdateRate), WM_GETTEXT, sizeof text,
                        reinterpret_cast<LPARAM>(text), SMTO_NORMAL, 5000, &result);
    return std::atoi(text);
}

int Rows(HWND main) {
    DWORD_PTR rows = 0;
    SendMessageTimeoutA(GetDlgItem(main, kPlayerList), LVM_GETITEMCOUNT, 0, 0, SMTO_NORMAL, 5000,
                        &rows);
    return static_cast<int>(rows);
}

// Processes of the program still running in this Wine prefix (or on this Windows session).
int RunningCopies(std::vector<DWORD>* ids = nullptr) {
    HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) return -1;
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int count = 0;
    for (BOOL more = Process32First(snapshot, &entry); more;
         more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, kProgram) != 0) continue;
        ++count;
        if (ids) ids->push_back(entry.th32ProcessID);
    }
    CloseHandle(snapshot);
    return count;
}

struct Sample {
    double minutes;
    int rate;  // lowest seen since the previous sample
    int rows;
    double workingSetKb;
    double commitKb;
    DWORD handles;
    DWORD gdi;
    DWORD user;
    double longestAnswerMs;  // since the previous sample
};

// The program's open handles. Wine answers GetProcessHandleCount for another process with 0,
// but lists every handle of the system with its owner, as Windows does.
DWORD HandleCount(const Program& program) {
    DWORD handles = 0;
    if (GetProcessHandleCount(program.Handle(), &handles) && handles != 0) return handles;
    struct HandleEntry {
        ULONG owner;
        BYTE type;
        BYTE flags;
        USHORT value;
        void* object;
        ACCESS_MASK access;
    };
    using QueryFn = LONG(WINAPI*)(ULONG, void*, ULONG, ULONG*);
    static const auto query = reinterpret_cast<QueryFn>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleA("ntdll.dll"), "NtQuerySystemInformation")));
    constexpr ULONG kSystemHandleInformation = 16;
    static std::vector<unsigned char> list(1 << 22);
    ULONG length = 0;
    if (!query ||
        query(kSystemHandleInformation, list.data(), static_cast<ULONG>(list.size()), &length) < 0)
        return 0;
    ULONG count = 0;
    std::memcpy(&count, list.data(), sizeof count);
    const auto* entries = reinterpret_cast<const HandleEntry*>(list.data() + sizeof(ULONG_PTR));
    const size_t room = (list.size() - sizeof(ULONG_PTR)) / sizeof(HandleEntry);
    const DWORD id = GetProcessId(program.Handle());
    for (size_t i = 0; i < count && i < room; ++i) handles += entries[i].owner == id ? 1 : 0;
    return handles;
}

Sample Measure(const Program& program, double minutes, int rate, int rows, double longest) {
    // PagefileUsage is the commit charge (Windows gives PrivateUsage the same value; Wine
    // fills in only the first).
    PROCESS_MEMORY_COUNTERS memory = {};
    memory.cb = sizeof memory;
    GetProcessMemoryInfo(program.Handle(), &memory, sizeof memory);
    return {minutes,
            rate,
            rows,
            memory.WorkingSetSize / 1024.0,
            memory.PagefileUsage / 1024.0,
            HandleCount(program),
            GetGuiResources(program.Handle(), GR_GDIOBJECTS),
            GetGuiResources(program.Handle(), GR_USEROBJECTS),
            longest};
}

void PrintSample(const Sample& s) {
    std::printf("%6.1f  %4d  %4d  %9.0f  %9.0f  %7lu  %4lu  %4lu  %9.1f\n", s.minutes, s.rate,
                s.rows, s.workingSetKb, s.commitKb, static_cast<unsigned long>(s.handles),
                static_cast<unsigned long>(s.gdi), static_cast<unsigned long>(s.user),
                s.longestAnswerMs);
    std::fflush(stdout);
}

// Least-squares slope of a figure against time, per hour.
double GrowthPerHour(const std::vector<Sample>& samples, double Sample::*figure) {
    double n = 0, sx = 0, sy = 0, sxx = 0, sxy = 0;
    for (const Sample& s : samples) {
        const double x = s.minutes / 60.0, y = s.*figure;
        n += 1, sx += x, sy += y, sxx += x * x, sxy += x * y;
    }
    const double d = n * sxx - sx * sx;
    return n < 2 || d == 0 ? 0 : (n * sxy - sx * sy) / d;
}

int Soak(const std::string& folder, double minutes, double floodEvery) {
    Program program;
    if (!program.Start(folder)) {
        std::fprintf(stderr, "probe: cannot start %s\\%s\n", folder.c_str(), kProgram);
        return 1;
    }
    HWND main = program.WaitFor(false, 60000);
    if (!main) {
        std::fprintf(stderr, "probe: no main window within 60 s\n");
        program.Terminate();
        return 1;
    }
    for (const double start = NowMs(); UpdateRate(main) == 0 && NowMs() - start < 30000;)
        Sleep(100);
    // 63 simulated players of 64, one of them replaced every two seconds, chatting briskly.
    for (const char* command : {"maxplayers 64", "botcount 63", "botchurn 30", "botchat 3"})
        Type(main, command);
    std::printf(
        "soak: %.0f minutes, 63 players with churn, a flood of 2000 lines/s for 20 s "
        "every %.0f minutes\n",
        minutes, floodEvery);
    std::printf("%6s  %4s  %4s  %9s  %9s  %7s  %4s  %4s  %9s\n", "min", "rate", "rows", "ws KB",
                "commit KB", "handles", "gdi", "user", "answer ms");

    std::vector<Sample> samples;
    const double start = NowMs();
    double nextSample = 0.5, nextFlood = floodEvery / 2, nextRate = 0;
    int lowestRate = 1000, lowestSinceSample = 1000, fewestRows = 1000, mostRows = 0;
    double longest = 0, longestSinceSample = 0;
    for (;;) {
        const double elapsed = (NowMs() - start) / 60000.0;
        if (elapsed >= minutes) break;
        if (WaitForSingleObject(program.Handle(), 0) == WAIT_OBJECT_0) {
            std::printf("soak: the program ended by itself after %.1f minutes\n", elapsed);
            return 1;
        }
        const double answer = RoundTripMs(main);
        longestSinceSample = std::max(longestSinceSample, answer < 0 ? 10000.0 : answer);
        if (elapsed >= nextRate) {
            nextRate = elapsed + 1.0 / 60;
            // The first half minute lets the players arrive and the rate settle.
            if (elapsed >= 0.5) lowestSinceSample = std::min(lowestSinceSample, UpdateRate(main));
        }
        if (elapsed >= nextFlood) {
            nextFlood += floodEvery;
            Type(main, "floodtest 2000 20");
        }
        if (elapsed >= nextSample) {
            nextSample += 0.5;
            const int rows = Rows(main);
            samples.push_back(Measure(
                program, elapsed, lowestSinceSample == 1000 ? UpdateRate(main) : lowestSinceSample,
                rows, longestSinceSample));
            PrintSample(samples.back());
            lowestRate = std::min(lowestRate, samples.back().rate);
            fewestRows = std::min(fewestRows, rows);
            mostRows = std::max(mostRows, rows);
            longest = std::max(longest, longestSinceSample);
            lowestSinceSample = 1000;
            longestSinceSample = 0;
        }
        Sleep(50);
    }
    Type(main, "closehost");
    DWORD code = 0;
    const bool ended = program.WaitForExit(30000, code);
    if (!ended) program.Terminate();

    // Growth is judged after the first five minutes, once the players, the console pane and
    // the allocator have reached their working size.
    std::vector<Sample> settled;
    for (const Sample& s : samples)
        if (s.minutes >= 5 || minutes < 10) settled.push_back(s);
    if (samples.empty() || settled.empty()) return 1;
    const Sample& first = settled.front();
    const Sample& last = samples.back();
    const double commitGrowth = GrowthPerHour(settled, &Sample::commitKb);
    DWORD fewestHandles = first.handles, mostHandles = first.handles;
    for (const Sample& s : settled) {
        fewestHandles = std::min(fewestHandles, s.handles);
        mostHandles = std::max(mostHandles, s.handles);
    }
    std::printf("\nsoak figures over %.1f minutes (%zu samples; growth from minute %.1f on):\n",
                last.minutes, samples.size(), first.minutes);
    std::printf("  update rate:     lowest %d\n", lowestRate);
    std::printf("  player rows:     %d to %d\n", fewestRows, mostRows);
    std::printf("  working set:     %.0f KB to %.0f KB, %+.0f KB per hour\n", first.workingSetKb,
                last.workingSetKb, GrowthPerHour(settled, &Sample::workingSetKb));
    std::printf("  commit charge:   %.0f KB to %.0f KB, %+.0f KB per hour\n", first.commitKb,
                last.commitKb, commitGrowth);
    std::printf("  handles:         %lu to %lu (lowest %lu, highest %lu)\n",
                static_cast<unsigned long>(first.handles), static_cast<unsigned long>(last.handles),
                static_cast<unsigned long>(fewestHandles), static_cast<unsigned long>(mostHandles));
    std::printf("  GDI/USER objects: %lu/%lu to %lu/%lu\n", static_cast<unsigned long>(first.gdi),
                static_cast<unsigned long>(first.user), static_cast<unsigned long>(last.gdi),
                static_cast<unsigned long>(last.user));
    std::printf("  longest answer:  %.1f ms\n", longest);
    std::printf("  ended by closehost: %s, exit code %lu\n", ended ? "yes" : "no (terminated)",
                static_cast<unsigned long>(code));
    std::printf(
        "  targets: rate never below 29: %s; commit growth under 1 MB/hour: %s; "
        "handles flat: %s\n",
        lowestRate >= 29 ? "met" : "MISSED", commitGrowth < 1024 ? "met" : "MISSED",
        mostHandles - fewestHandles <= 2 ? "met" : "MISSED");
    return 0;
}

enum class Ending { CloseHost, Quit };

struct RunResult {
    bool window = false;
    bool ended = false;  // the ending was delivered (a Yes pressed, a command typed)
    bool exited = false;
    DWORD code = 0;
    int leftovers = 0;
};

RunResult RunOnce(const std::string& folder, Ending ending, bool early, int run) {
    RunResult result;
    Program program;
    const double start = NowMs();
    if (!program.Start(folder)) return result;
    HWND main = program.WaitFor(false, 30000);
    const double windowAt = NowMs() - start;
    result.window = main != nullptr;
    if (main) {
        if (early) {
            Sleep(Random(150));
        } else {
            for (const double t = NowMs(); UpdateRate(main) == 0 && NowMs() - t < 20000;) Sleep(20);
            Sleep(300 + Random(1200));
        }
        double endAt = NowMs() - start;
        if (ending == Ending::CloseHost) {
            // Until the engine is loaded the window leaves a command in the command line
            // instead of taking it: typed that early, it is sent again until it is taken.
            for (const double t = NowMs(); NowMs() - t < 20000; Sleep(10)) {
                endAt = NowMs() - start;
                if (!Type(main, "closehost")) break;
                if (CommandTaken(main)) {
                    result.ended = true;
                    break;
                }
            }
        } else {
            PostMessageA(main, WM_COMMAND, kQuit, 0);
            if (HWND question = program.WaitFor(true, 10000)) {
                PostMessageA(question, WM_COMMAND, MAKEWPARAM(IDYES, BN_CLICKED),
                             reinterpret_cast<LPARAM>(GetDlgItem(question, IDYES)));
                result.ended = true;
            }
        }
        std::printf("run %3d  %-9s %-5s  window at %5.0f ms  ending sent at %5.0f ms (+%3.0f)", run,
                    ending == Ending::CloseHost ? "closehost" : "quit", early ? "early" : "late",
                    windowAt, endAt, endAt - windowAt);
    } else {
        std::printf("run %3d  no main window within 30 s", run);
    }
    result.exited = program.WaitForExit(15000, result.code);
    if (!result.exited) {
        // What a hang looks like from outside, before it is ended: a window that no longer
        // answers, or one that answers but never got (or never acted on) the ending.
        if (main) {
            const double answer = RoundTripMs(main);
            HWND console = GetDlgItem(main, kConsole);
            DWORD_PTR length = 0, copied = 0;
            SendMessageTimeoutA(console, WM_GETTEXTLENGTH, 0, 0, SMTO_NORMAL, 2000, &length);
            std::string text(length + 1, '\0');
            SendMessageTimeoutA(console, WM_GETTEXT, text.size(),
                                reinterpret_cast<LPARAM>(text.data()), SMTO_NORMAL, 2000, &copied);
            const char* pane = text.c_str();
            const char* typed = std::strstr(pane, "closehost");
            std::printf("\n  window %s; update rate %d; %s; pane begins: \"%.300s\"",
                        answer < 0 ? "does not answer" : "answers", UpdateRate(main),
                        typed ? "the command's echo is in the pane" : "no echo of the command",
                        pane);
        }
        program.Terminate();
    }
    // Anything of the program still running now (none should) is counted and ended.
    std::vector<DWORD> ids;
    result.leftovers = RunningCopies(&ids);
    for (DWORD id : ids) {
        if (HANDLE left = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id)) {
            TerminateProcess(left, 0xDEAD);
            WaitForSingleObject(left, 10000);
            CloseHandle(left);
        }
    }
    if (result.exited)
        std::printf("  exit %s0x%lX\n", result.code >= 0xC0000000 ? "CRASH " : "",
                    static_cast<unsigned long>(result.code));
    else
        std::printf("  HANG: still running 15 s after the ending\n");
    std::fflush(stdout);
    return result;
}

int Cycles(const std::string& folder, int runs) {
    int clean = 0, crashes = 0, hangs = 0, leftovers = 0, noWindow = 0, undelivered = 0;
    std::vector<std::pair<DWORD, int>> otherCodes;
    for (int run = 1; run <= runs; ++run) {
        // Half end by the engine's close event, half by Quit answered Yes; a third of each
        // right after the window appears, while the program may still be starting.
        const Ending ending = run % 2 == 1 ? Ending::CloseHost : Ending::Quit;
        const bool early = (run - 1) / 2 % 3 == 0;
        const RunResult r = RunOnce(folder, ending, early, run);
        noWindow += r.window ? 0 : 1;
        undelivered += r.window && !r.ended ? 1 : 0;
        leftovers += r.leftovers > 0 ? r.leftovers : 0;
        if (!r.exited) {
            ++hangs;
        } else if (r.code >= 0xC0000000) {
            ++crashes;
        } else if (r.code == 0) {
            ++clean;
        } else {
            auto found = std::find_if(otherCodes.begin(), otherCodes.end(),
                                      [&](const auto& c) { return c.first == r.code; });
            if (found == otherCodes.end())
                otherCodes.emplace_back(r.code, 1);
            else
                ++found->second;
        }
    }
    std::printf(
        "\ncycles: %d runs: %d clean exits (code 0), %d crashes, %d hangs, %d leftover "
        "processes, %d without a window, %d endings not delivered\n",
        runs, clean, crashes, hangs, leftovers, noWindow, undelivered);
    for (const auto& [code, count] : otherCodes)
        std::printf("  exit code %lu: %d runs\n", static_cast<unsigned long>(code), count);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (argc >= 4 && mode == "soak")
        return Soak(argv[2], std::atof(argv[3]), argc > 4 ? std::atof(argv[4]) : 5.0);
    if (argc >= 4 && mode == "cycles") return Cycles(argv[2], std::atoi(argv[3]));
    std::fprintf(stderr,
                 "usage: probe soak <installation folder> <minutes> [minutes between floods]\n"
                 "       probe cycles <installation folder> <runs>\n");
    return 2;
}
