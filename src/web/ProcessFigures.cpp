// The process's standard figures, from the system.
#include <windows.h>
#include <psapi.h>

#include "web/Metrics.h"

namespace korvane::web {

namespace {

// 100-nanosecond units.
double Seconds(const FILETIME& time) {
    const ULARGE_INTEGER ticks = {{time.dwLowDateTime, time.dwHighDateTime}};
    return static_cast<double>(ticks.QuadPart) / 1e7;
}

}  // namespace

ProcessFigures ReadProcessFigures() {
    ProcessFigures figures;
    HANDLE self = GetCurrentProcess();  // a pseudo handle: nothing to close
    FILETIME created, exited, kernel, user;
    if (GetProcessTimes(self, &created, &exited, &kernel, &user)) {
        // FILETIME counts from 1601; Unix time from 1970, 11644473600 s later.
        figures.startTimeSeconds = Seconds(created) - 11644473600.0;
        figures.cpuSeconds = Seconds(kernel) + Seconds(user);
    }
    PROCESS_MEMORY_COUNTERS_EX memory = {};
    memory.cb = sizeof memory;
    if (GetProcessMemoryInfo(self, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory),
                             sizeof memory)) {
        figures.residentBytes = static_cast<double>(memory.WorkingSetSize);
        // Windows gives both the same figure; Wine fills only the older field.
        figures.virtualBytes =
            static_cast<double>(memory.PrivateUsage ? memory.PrivateUsage : memory.PagefileUsage);
    }
    DWORD handles = 0;
    if (GetProcessHandleCount(self, &handles)) figures.openHandles = handles;
    return figures;
}

}  // namespace korvane::web
