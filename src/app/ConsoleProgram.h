// The program without a window (korvane-console.exe): the same host, settings, console log,
// history and web administration as the window program, with the console lines on standard
// output and commands read from standard input. A service wrapper runs the same sequence with
// its own stop event and without the standard handles.
#pragma once

#include <windows.h>

#include <functional>

#include "app/Switches.h"

namespace korvane::app {

// What a front without a window hears of while it starts, for a service wrapper.
struct UnattendedHooks {
    std::function<void(unsigned waitHintMs)> starting;  // before each start-up step
    std::function<void()> ready;  // hosting runs and the first Tick returned (ready line)
};

struct UnattendedOptions {
    bool toStandardOutput = true;   // false as a service: output only to the log and web
    bool readStandardInput = true;  // false as a service
};

// Everything korvane-console.exe does after parsing its switches: Windows Sockets, entering
// the installation folder, the one-copy check, the host, web administration, start-up,
// ticking until `stopEvent` (a manual-reset event, any thread may set it) is set or the engine
// quits / asks to close; then a clean shutdown (web listener stopped, AttachHost(null),
// ReleaseEngine, history and log written). Returns an app/ExitCodes.h code. Safe to call from
// a service's ServiceMain thread.
int RunUnattended(const Switches& switches, HANDLE stopEvent, const UnattendedHooks& hooks,
                  const UnattendedOptions& options);

}  // namespace korvane::app
