// What korvane-console.exe needs of the process around it: Windows Sockets for its run, its
// standard handles, the folder it was started in, and standard error for what concerns the
// program itself.
#pragma once

#include <winsock2.h>
#include <windows.h>

#include <string>

namespace korvane::app {

// Messages about the program itself, not the game: standard error, whole lines.
inline void SayOnStandardError(const std::string& text) {
    const HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    if (!error || error == INVALID_HANDLE_VALUE) return;
    const std::string line = text + "\r\n";
    DWORD written = 0;
    WriteFile(error, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
}

// A standard handle worth a thread: none when the program was started without one.
inline HANDLE StandardHandle(DWORD which) {
    const HANDLE handle = GetStdHandle(which);
    return handle == INVALID_HANDLE_VALUE ? nullptr : handle;
}

class Sockets {
  public:
    Sockets() {
        WSADATA data = {};
        started_ = WSAStartup(MAKEWORD(1, 1), &data) == 0;
        // Any other version than the one asked for counts as failure, as in the window.
        usable_ = started_ && data.wVersion == MAKEWORD(1, 1);
    }
    ~Sockets() {
        if (started_) WSACleanup();
    }
    Sockets(const Sockets&) = delete;
    Sockets& operator=(const Sockets&) = delete;
    bool Usable() const { return usable_; }

  private:
    bool started_ = false;
    bool usable_ = false;
};

inline std::string WorkingFolder() {
    char folder[MAX_PATH * 2] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string(".");
}

}  // namespace korvane::app
