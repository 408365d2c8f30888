// The window program's composition: process start-up (Windows Sockets), then the switches,
// the installation folder, the one-copy check, the engine host, the web administration and
// the main window, in that order.
#pragma once

#include <winsock2.h>
#include <windows.h>

namespace korvane {

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
    // Runs the main window modally; returns the exit code (app/ExitCodes.h).
    int Run(const char* arguments);

  private:
    SocketStartup startup_;
    bool socketsStarted_ = false;
};

}  // namespace korvane
