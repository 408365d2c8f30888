// The application object: process start-up (Windows Sockets) and the run of the main window.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace korvane {

// True when the command line (the part after the program name) begins with "-s" in any case.
bool CommandLineSkipsSettings(const char* arguments);
// True when `name` stands among the command line's blank-separated arguments.
bool CommandLineHasSwitch(const char* arguments, const char* name);

class ServerApp {
  public:
    // Windows Sockets start-up; a seam so its failure can be tested.
    using SocketStartup = int(WSAAPI*)(WORD version, LPWSADATA data);

    explicit ServerApp(SocketStartup startup = &WSAStartup) : startup_(startup) {}
    ~ServerApp();
    ServerApp(const ServerApp&) = delete;
    ServerApp& operator=(const ServerApp&) = delete;

    // False ends the program (after telling the operator why).
    bool InitInstance();
    // Runs the main window modally; returns the exit code.
    int Run(const char* arguments);

  private:
    SocketStartup startup_;
    bool socketsStarted_ = false;
};

}  // namespace korvane
