// The watchdog's thread looks four times a second; a hang is reported once, by its start.
#include "host/HangWatchdog.h"

#include <windows.h>
#include <process.h>

#include <algorithm>
#include <cstdio>

#include "ui/Dialog.h"

namespace korvane {

namespace {

// What hung, for the operator's line.
const char* CallName(RunningCall::Kind kind) {
    switch (kind) {
        case RunningCall::Tick:
            return "its Tick";
        case RunningCall::StartUp:
            return "a start-up step";
        default:
            return "a call";
    }
}

}  // namespace

bool IsHang(const RunningCall& call, uint64_t nowMs, const HangBounds& bounds) {
    if (bounds.seconds == 0 || call.sinceMs == 0 || nowMs < call.sinceMs) return false;
    const bool longCall = call.kind == RunningCall::StartUp ||
                          call.length == EngineGate::CallLength::Long;
    const uint64_t seconds =
        longCall ? std::max(bounds.seconds, HangBounds::kLongCallSeconds) : bounds.seconds;
    return nowMs - call.sinceMs >= seconds * 1000;
}

std::string HangLine(const RunningCall& call, uint64_t nowMs) {
    // The local time the call began: now, less how long it has run.
    FILETIME nowFile;
    GetSystemTimeAsFileTime(&nowFile);
    ULARGE_INTEGER began;
    began.LowPart = nowFile.dwLowDateTime;
    began.HighPart = nowFile.dwHighDateTime;
    const uint64_t elapsedMs = nowMs - call.sinceMs;
    began.QuadPart -= elapsedMs * 10000;
    FILETIME beganFile = {began.LowPart, began.HighPart}, local;
    SYSTEMTIME at = {};
    FileTimeToLocalFileTime(&beganFile, &local);
    FileTimeToSystemTime(&local, &at);
    char line[160];
    std::snprintf(line, sizeof line,
                  "The engine has not returned from %s since %02u:%02u:%02u (%llu s): it hangs.",
                  CallName(call.kind), at.wHour, at.wMinute, at.wSecond,
                  static_cast<unsigned long long>(elapsedMs / 1000));
    return line;
}

HangWatchdog::HangWatchdog(const EngineHost& host, HangBounds bounds, Report report)
    : host_(host), bounds_(bounds), report_(std::move(report)) {
    if (bounds_.seconds == 0) return;
    stop_.Reset(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    if (!stop_) return;
    const uintptr_t thread = _beginthreadex(nullptr, 0, &HangWatchdog::Proc, this, 0, nullptr);
    if (thread != 0 && thread != static_cast<uintptr_t>(-1))
        thread_.Reset(reinterpret_cast<HANDLE>(thread));
}

HangWatchdog::~HangWatchdog() {
    if (!thread_) return;
    SetEvent(stop_.Get());
    WaitForSingleObject(thread_.Get(), INFINITE);
}

unsigned __stdcall HangWatchdog::Proc(void* self) {
    try {
        static_cast<HangWatchdog*>(self)->Run();
    } catch (...) {
        ui::ReportCallbackFailure("hang watchdog");
    }
    return 0;
}

void HangWatchdog::Run() {
    uint64_t reported = 0;  // the start of the hang already reported
    while (WaitForSingleObject(stop_.Get(), 250) == WAIT_TIMEOUT) {
        const RunningCall call = host_.Calls().Current();
        const uint64_t now = GetTickCount64();
        if (call.sinceMs == reported || !IsHang(call, now, bounds_)) continue;
        reported = call.sinceMs;
        report_(call, now);
    }
}

}  // namespace korvane
