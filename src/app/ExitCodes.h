// The program's exit codes, for the scripts and service wrappers that run it.
#pragma once

namespace korvane::app {

inline constexpr int kExitOk = 0;              // Quit, a confirmed close, the engine's close
inline constexpr int kExitSocketsFailed = 1;   // also any unexpected failure at start
inline constexpr int kExitStartupFailed = 2;   // no engine, sheet cancelled, a step failed
inline constexpr int kExitAlreadyRunning = 3;  // another copy runs on this installation folder
// A restart was asked for (Game > Restart Server, the web, the schedule, the engine's own
// stop when set to restart then): the window program has started its successor; for the
// console program and the service, the supervisor starts the program again.
inline constexpr int kExitRestartRequested = 4;
inline constexpr int kExitEngineHung = 5;      // the engine hung; a dump was written

// korvane-console.exe's service commands (--install-service, --uninstall-service, --service).
inline constexpr int kExitServiceFailed = 6;       // the service command could not be done
inline constexpr int kExitNeedsAdministrator = 7;  // the service manager refused: not elevated

}  // namespace korvane::app
