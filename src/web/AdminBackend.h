// What the web administration asks of the program that hosts the engine. The web side never
// touches the engine, its lock or a window itself: everything goes through this interface.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "settings/MapName.h"
#include "web/History.h"

namespace korvane::web {

struct ServerStatus {
    std::string serverName;
    std::string version;   // the engine's version, "major.minor.build"
    float updateRate = 0;  // measured ticks per second
    int players = 0;
    int maxPlayers = 0;
    long long uptimeSeconds = 0;  // since the game started
};

struct PlayerRow {
    int id = 0;
    std::string name;
    std::string team;  // the texts the window's list shows
    std::string specialty;
    int pingMs = 0;
    long long connectedSeconds = 0;
};

// Implemented by the engine host. Texts go both ways in the program's ANSI code page.
//
// Threads: every call may come from any listener thread, several at the same time, and never
// from the window thread or the server thread. The host takes EngineLock around each single
// engine call it makes (one call per hold, as the window's commands do), so the server thread
// never waits longer than one engine call, and it never touches a window from these calls.
// Results that depend on the engine are empty (or false) when no engine is running; the web
// side then answers 503.
class AdminBackend {
  public:
    virtual ~AdminBackend() = default;

    virtual std::optional<ServerStatus> Status() = 0;
    virtual std::optional<std::vector<PlayerRow>> Players() = 0;
    virtual std::optional<std::vector<RotationEntry>> Rotation() = 0;
    // The program's console log: "writing", "off" or "stopped" (the folder cannot be
    // written); known with or without an engine.
    virtual std::string ConsoleLogState() = 0;
    // How long the engine has been stuck in one call (0: it answers); the calls above that
    // need it then fail at once, and the web side answers 503 saying so.
    virtual long long NotRespondingSeconds() = 0;

    // The same as a command typed into the window's command line: the command is echoed into
    // the console first, then the engine executes it (its answer follows in the console).
    virtual bool Execute(const std::string& command) = 0;
    // The engine's KickPlayer for that id, as Game > Kick Player does.
    virtual bool Kick(int id) = 0;
    // Sends "changemap <index>", as the Change Map dialog's OK does.
    virtual bool ChangeMap(int index) = 0;

    // Asks the program to restart the server (a clean shutdown, then a fresh start); the
    // front carries it out within its next refresh. False when this program cannot.
    virtual bool RequestRestart() { return false; }
    // Why the program no longer restarts on its own (a crash loop), for the status; empty
    // while it does.
    virtual std::string RestartNotice() { return {}; }
    // The newest `count` samples of the history (web/History.h), oldest first; kept with or
    // without an engine, and never an engine call.
    virtual std::vector<HistorySample> History(size_t count) = 0;

    // A line for the operator's console (listener started or stopped, an address locked out);
    // the host queues it like engine text, so it reaches the pane and the console ring. Besides
    // the listener threads, it also comes from the thread that calls WebServer::Start or Stop.
    virtual void Notice(const std::string& line) = 0;
};

}  // namespace korvane::web
