// korvane-console.exe's entry point: the switches, the console's stop events, the run.
#include <windows.h>

#include <exception>

#include "app/ConsoleProgram.h"
#include "app/ExitCodes.h"
#include "app/Service.h"
#include "app/Switches.h"

namespace {

// Manual-reset: set by the console's stop events; `g_ended` once the run has ended cleanly.
HANDLE g_stop = nullptr;
HANDLE g_ended = nullptr;

// Runs on a thread the system starts for the event. After a close, log-off or shutdown event
// the process ends as soon as this returns, so it waits for the clean end (the system allows
// a few seconds); Ctrl+C and Ctrl+Break only ask.
BOOL WINAPI OnConsoleControl(DWORD event) {
    SetEvent(g_stop);
    if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT)
        WaitForSingleObject(g_ended, 20000);
    return TRUE;
}

// The command line after the program's name, as WinMain would get it.
const char* ArgumentsOf(const char* line) {
    if (!line) return "";
    if (*line == '"') {
        ++line;
        while (*line && *line != '"') ++line;
        if (*line) ++line;
    } else {
        while (*line && *line != ' ' && *line != '\t') ++line;
    }
    while (*line == ' ' || *line == '\t') ++line;
    return line;
}

}  // namespace

int main() {
    try {
        // Read first: a file a switch names is relative to the folder the program started in.
        const korvane::app::Switches switches =
            korvane::app::ParseSwitches(ArgumentsOf(GetCommandLineA()));
        // --install-service, --uninstall-service, --service: the Windows service's commands.
        if (const int code = korvane::app::RunServiceCommand(switches); code >= 0) return code;
        g_stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        g_ended = CreateEventA(nullptr, TRUE, FALSE, nullptr);
        if (!g_stop || !g_ended) return korvane::app::kExitSocketsFailed;
        SetConsoleCtrlHandler(&OnConsoleControl, TRUE);
        const int code = korvane::app::RunUnattended(switches, g_stop, {}, {});
        SetEvent(g_ended);
        return code;
    } catch (...) {
        return korvane::app::kExitSocketsFailed;
    }
}
