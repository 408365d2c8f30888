// The Source RCON console: a TCP listener of its own, off unless turned on, that lets the
// tools fleets already use (bots, panels, scripts) log in with their own password and run
// console commands through the same "echo, then execute" as every other front. Bounded like
// the web administration: few connections, a short wait for the login, sizes checked before
// anything is read, and the same lockout after failed logins.
#pragma once

#include <memory>
#include <string>

#include "host/EngineHost.h"
#include "web/WebConfig.h"
#include "web/WebServer.h"

namespace korvane::web {

class RconServer {
  public:
    // More connections than this are closed as they arrive.
    static constexpr int kMaxConnections = 8;
    // A connection that has not logged in within this time is closed.
    static constexpr int kLoginSeconds = 10;
    // A logged-in connection may wait this long between commands (a bot keeps its own open).
    static constexpr int kIdleSeconds = 30 * 60;
    // Once a packet has begun, the rest of it must come within this time, and an answer must
    // be taken by the client within it too.
    static constexpr int kPacketSeconds = 10;
    // The most console text one command's answer carries; the rest is left out and said so.
    static constexpr size_t kMaxAnswerBytes = 256 * 1024;

    explicit RconServer(EngineHost& host);
    ~RconServer();
    RconServer(const RconServer&) = delete;
    RconServer& operator=(const RconServer&) = delete;

    // Stops a running listener, then listens on `config`'s address and port (0: any free one)
    // with its password; says where (or why not) on the console, with the warning when the
    // address is not loopback. `config.hostName` is not used.
    StartResult Start(const WebConfig& config);
    // Closes every connection and the listener, and waits for their threads.
    void Stop();
    bool Listening() const { return impl_ != nullptr; }
    int Port() const;

  private:
    struct Impl;
    bool StopListening();

    EngineHost& host_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korvane::web
