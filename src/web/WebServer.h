// The web administration's listener: serves the page and the JSON API on one address and
// port, on threads of its own, within fixed bounds (connections, sizes, idle time).
#pragma once

#include <memory>
#include <string>

#include "web/AdminBackend.h"
#include "web/ConsoleRing.h"
#include "web/Metrics.h"
#include "web/WebApi.h"
#include "web/WebConfig.h"

namespace korvane::web {

// The bounds every connection lives within.
inline constexpr int kMaxConnections = 32;
inline constexpr size_t kMaxHeaderBytes = 8 * 1024;  // request line and headers
inline constexpr size_t kMaxBodyBytes = 16 * 1024;
inline constexpr int kIdleSeconds = 10;  // a silent connection is closed after this
// A request must arrive whole, be answered and sent within this time of its first byte.
inline constexpr int kRequestSeconds = 10;

struct StartResult {
    bool listening = false;
    std::string message;  // the console line: where it listens, or why it does not
};

class WebServer {
  public:
    // `rehashed` hears of a password a login re-hashed (on a listener thread).
    WebServer(AdminBackend& backend, const ConsoleRing& console, PasswordRehashed rehashed = {});
    ~WebServer();
    WebServer(const WebServer&) = delete;
    WebServer& operator=(const WebServer&) = delete;

    // Stops a running listener, then listens on `config`'s address and port (0: any free
    // port) with its password and host name. The result's message also goes to the backend's
    // Notice, with a warning when the address is not loopback. Refuses without a password,
    // since then nobody could log in.
    StartResult Start(const WebConfig& config);
    // Ends every connection and the listener; safe to call any number of times.
    void Stop();

    // What GET /metrics answers with and who hears of every answer, from the next Start on.
    void UseMetrics(MetricsHooks hooks) { metrics_ = std::move(hooks); }
    // Puts a new metrics token (its hash) in force at once, the listener and sessions left as
    // they are; the next Start takes the configuration's again.
    void SetMetricsToken(const std::vector<uint8_t>& tokenHash);

    bool Listening() const;
    int Port() const;  // the port listened on, 0 when not listening

  private:
    struct Impl;
    // Stops without telling the console (the destructor's way); true when it was listening.
    bool StopListening();
    AdminBackend& backend_;
    const ConsoleRing& console_;
    PasswordRehashed rehashed_;
    MetricsHooks metrics_;
    std::unique_ptr<Impl> impl_;
};

}  // namespace korvane::web
