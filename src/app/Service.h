// korvane-console.exe as a Windows service: registering and removing it (ServiceSetup.cpp)
// and running under the service manager (ServiceRun.cpp).
#pragma once

#include <windows.h>

#include <string>
#include <string_view>

#include "app/Switches.h"

namespace korvane::app {

inline constexpr char kDefaultServiceName[] = "KorvaneServer";

// What the service manager is told while the server starts and stops: how long to wait before
// it may think the service hung.
inline constexpr DWORD kServiceStopWaitHintMs = 20000;

// Carries out --install-service, --uninstall-service or --service and returns the program's
// exit code (app/ExitCodes.h); -1 when the switches name none of them, and the program runs
// as a console program.
int RunServiceCommand(const Switches& switches);

// The service's name as the switches give it (the default when none is given); empty with
// the reason in `error` when the service manager could not take it.
std::string ServiceName(const ServiceSwitches& service, std::string& error);

// The security identifier of the virtual account "NT SERVICE\<name>" in its text form
// (S-1-5-80-...), which Windows derives from the name alone: the SHA-1 of the name in upper
// case, as UTF-16. Empty when it cannot be computed.
std::string ServiceSidText(std::string_view name);

// The command line the service manager starts: the program quoted, --service and the name,
// then the switches given with the install command that hold for every run.
std::string ServiceCommandLine(const std::string& program, const std::string& name,
                               const Switches& switches);

// Runs the server under the service manager (--service): returns once the service stopped.
int RunAsService(const std::string& name, const Switches& switches);

// Where the program is: its own file, and the folder holding it (the installation folder).
std::string ProgramFile();
std::string ProgramFolder();

}  // namespace korvane::app
