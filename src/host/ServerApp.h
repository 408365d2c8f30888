// The application object: process start-up (Windows Sockets) and the run of the main window.
#pragma once

#include <windows.h>

namespace korvane {

// True when the command line (the part after the program name) begins with "-s" in any case.
bool CommandLineSkipsSettings(const char* arguments);

class ServerApp {
public:
    ServerApp() = default;
    ~ServerApp();
    ServerApp(const ServerApp&) = delete;
    ServerApp& operator=(const ServerApp&) = delete;

    // False ends the program (after telling the operator why).
    bool InitInstance();
    // Runs the main window modally; returns the exit code.
    int Run(const char* arguments);

private:
    bool socketsStarted_ = false;
};

}  // namespace korvane
