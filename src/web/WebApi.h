// The web administration's answers: the page, login and logout, and the JSON API. Free of any
// HTTP library: the listener hands over the few parts of a request that matter here.
#pragma once

#include <map>
#include <string>
#include <utility>
#include <vector>

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
    std::string cookie;  // the Cookie header
    std::string csrf;    // the X-CSRF-Token header
    std::string remoteAddress;
};

struct ApiResponse {
    int status = 200;
    std::string contentType = "application/json";
    std::string body;
    std::vector<std::pair<std::string, std::string>> headers;
};

// A JSON error answer: {"error": message}.
ApiResponse ErrorResponse(int status, const std::string& message);

// The largest console answer: a page polling once a second gets every line of a busy server
// in a few reads.
inline constexpr size_t kConsoleMaxLines = 500;
inline constexpr size_t kConsoleMaxBytes = 64 * 1024;
// The window's command line takes at most this many characters.
inline constexpr size_t kMaxCommandLength = 119;

class WebApi {
  public:
    WebApi(AdminBackend& backend, const ConsoleRing& console, PasswordRecord password, Clock clock,
           RandomSource random);

    // Whether `path` is served here, and by which method ("GET" or "POST").
    static const char* MethodFor(const std::string& path);
    static std::vector<std::string> Paths();

    ApiResponse Handle(const ApiRequest& request);

  private:
    ApiResponse Login(const ApiRequest& request);
    ApiResponse Logout(const std::string& token);
    ApiResponse Status();
    ApiResponse Players();
    ApiResponse Console(const ApiRequest& request);
    ApiResponse Rotation();
    ApiResponse Command(const std::string& body);
    ApiResponse Kick(const std::string& body);
    ApiResponse ChangeMap(const std::string& body);

    AdminBackend& backend_;
    const ConsoleRing& console_;
    PasswordRecord password_;
    SessionStore sessions_;
    LoginThrottle throttle_;
    // Logins are checked one at a time: the hash is deliberately slow, and a burst of parallel
    // guesses must not slip past the lockout before their failures are counted.
    std::mutex loginMutex_;
};

}  // namespace korvane::web
