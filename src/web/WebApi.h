// The web administration's answers: the page, login and logout, and the JSON API. Free of any
// HTTP library: the listener hands over the few parts of a request that matter here.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "settings/SettingValues.h"
#include "web/AdminBackend.h"
#include "web/ConsoleRing.h"
#include "web/Sessions.h"
#include "web/WebConfig.h"

namespace korvane::web {

inline constexpr const char* kSessionCookie = "korvane_session";

struct ApiRequest {
    std::string method;
    std::string path;
    std::map<std::string, std::string> params;  // decoded query parameters
    std::string body;
    std::string cookie;       // the Cookie header
    std::string csrf;         // the X-CSRF-Token header
    std::string host;         // the Host header
    std::string origin;       // the Origin header
    std::string referer;      // the Referer header
    std::string contentType;  // the Content-Type header
    std::string authorization;  // the Authorization header
    std::string remoteAddress;
    std::string localAddress;  // the address the connection came in on
};

struct ApiResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// A JSON error answer: {"error": message}.
ApiResponse ErrorResponse(int status, const std::string& message);
// The same, with a Retry-After header for `waitMs` (in whole seconds, rounded up).
ApiResponse RetryAfter(int status, const std::string& message, uint64_t waitMs);

// The largest console answer: a page polling once a second gets every line of a busy server
// in a few reads.
inline constexpr size_t kConsoleAnswerMaxLines = 500;
inline constexpr size_t kConsoleAnswerMaxBytes = 64 * 1024;

// Told, on a listener thread, that a login re-hashed the password `before` with today's
// iteration count: `after` replaces it wherever it is kept.
using PasswordRehashed =
    std::function<void(const PasswordRecord& before, const PasswordRecord& after)>;

// Where the server is reached: only requests naming one of these hosts are answered, so that a
// page whose own name was made to resolve to this machine cannot read it.
struct SiteNames {
    std::string address = kDefaultAddress;  // the listen address
    std::string hostName;                   // the operator's own name for it, or empty
};

// Logins whose hashes may run at once (each a slow PBKDF2 on a listener thread); more are
// turned away with 503 at once rather than queued.
inline constexpr int kMaxLoginsAtOnce = 4;

// The API's requests that ask the engine, through the backend (web/EngineRequests.cpp): status,
// players, console, rotation, history, command, kick, map change and restart; a stopped or
// stuck engine answers 503. Each action leaves its line in the audit trail.
class EngineRequests {
  public:
    EngineRequests(AdminBackend& backend, const ConsoleRing& console)
        : backend_(backend), console_(console) {}

    ApiResponse Status();
    // 503: the engine is not running, or is stuck in a call (and for how long).
    ApiResponse Unavailable();
    ApiResponse Players();
    ApiResponse Console(const ApiRequest& request);
    ApiResponse Rotation();
    ApiResponse History(const ApiRequest& request);
    ApiResponse Command(const ApiRequest& request);
    ApiResponse Kick(const ApiRequest& request);
    ApiResponse ChangeMap(const ApiRequest& request);
    ApiResponse Restart(const ApiRequest& request);
    // The audit trail: "[web <peer address>] <what>" to the console and the log.
    void Audit(const ApiRequest& request, const std::string& what);

  private:
    ApiResponse Undone(const ApiRequest& request, const std::string& what);

    AdminBackend& backend_;
    const ConsoleRing& console_;
};

class WebApi {
  public:
    WebApi(AdminBackend& backend, const ConsoleRing& console, PasswordRecord password, Clock clock,
           RandomSource random, SiteNames site = {}, PasswordRehashed rehashed = {});

    // Whether `path` is served here, and by which method ("GET" or "POST").
    static const char* MethodFor(const std::string& path);
    static std::vector<std::string> Paths();

    ApiResponse Handle(const ApiRequest& request);

    // GET /metrics: answered with `scrape`'s text to a bearer token whose SHA-256 is
    // `tokenHash`; 404 while no token is set. May be called again while serving (a new token
    // leaves everyone's session alone); an empty `scrape` keeps the one given before.
    void ServeMetrics(std::vector<uint8_t> tokenHash, std::function<std::string()> scrape = {});

  private:
    // One served path: its method, who may ask, and its answer (none for the page's files,
    // which come from the embedded page). `token` is the session's, for a Session route.
    struct Route {
        enum Access { Page, Open, Session };
        const char* path;
        const char* method;
        Access access;
        ApiResponse (*handle)(WebApi& api, const ApiRequest& request, const std::string& token);
    };
    static const Route kRoutes[];
    static const Route* FindRoute(const std::string& path);

    bool KnownHost(const ApiRequest& request) const;
    bool SameOrigin(const ApiRequest& request) const;
    ApiResponse Login(const ApiRequest& request);
    // The password check of a login that may try: the hash, and a new one when due.
    bool CheckPassword(const std::string& password);
    ApiResponse Logout(const ApiRequest& request, const std::string& token);
    // A refused password or token: counted, said as "[<front> <address>] <what> (Nth in a
    // minute)", and the operator told when it locks the address.
    void LoginFailed(const ApiRequest& request, std::string_view front, const std::string& what);
    ApiResponse Metrics(const ApiRequest& request);

    AdminBackend& backend_;
    const ConsoleRing& console_;
    SiteNames site_;
    PasswordRehashed rehashed_;
    // Only copied and replaced under the lock; the slow hash runs on a copy, outside any lock.
    std::mutex passwordMutex_;
    PasswordRecord password_;
    SessionStore sessions_;
    LoginThrottle throttle_;
    std::atomic<int> loginsAtOnce_{0};
    EngineRequests requests_{backend_, console_};
    std::mutex metricsMutex_;
    std::vector<uint8_t> metricsToken_;  // SHA-256 of the metrics token; empty: none
    std::function<std::string()> scrape_;
};

}  // namespace korvane::web
