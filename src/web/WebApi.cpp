// Requests of the page and of the JSON API: the routes, session and CSRF checks, logging in
// and out. What asks the engine is in EngineRequests.cpp.
#include "web/WebApi.h"

#include <algorithm>

#include "web/AuditLine.h"
#include "web/Crypto.h"
#include "web/JsonAnswers.h"
#include "web/RequestParts.h"
#include "web/TextCodec.h"
#include "web/WebPage.h"

namespace korvane::web {

namespace {

// "1st", "2nd", "3rd", "4th", ..., "11th", "21st".
std::string Ordinal(int n) {
    const int tens = n % 100, ones = n % 10;
    const char* suffix = (tens >= 11 && tens <= 13) ? "th"
                         : ones == 1                ? "st"
                         : ones == 2                ? "nd"
                         : ones == 3                ? "rd"
                                                    : "th";
    return std::to_string(n) + suffix;
}

}  // namespace

ApiResponse JsonResponse(const json& value, int status) {
    ApiResponse response;
    response.status = status;
    response.body = value.dump(-1, ' ', false, json::error_handler_t::replace);
    return response;
}

ApiResponse ErrorResponse(int status, const std::string& message) {
    return JsonResponse({{"error", message}}, status);
}

WebApi::WebApi(AdminBackend& backend, const ConsoleRing& console, PasswordRecord password,
               Clock clock, RandomSource random, SiteNames site, PasswordRehashed rehashed)
    : backend_(backend),
      console_(console),
      site_(std::move(site)),
      rehashed_(std::move(rehashed)),
      password_(std::move(password)),
      sessions_(clock, std::move(random)),
      throttle_(clock) {}

// Every path served, by whom: the page's files (no handler) and the API.
const WebApi::Route WebApi::kRoutes[] = {
    {"/", "GET", Route::Page, nullptr},
    {"/app.css", "GET", Route::Page, nullptr},
    {"/app.js", "GET", Route::Page, nullptr},
    {"/chart.min.js", "GET", Route::Page, nullptr},
    {"/api/login", "POST", Route::Open,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.Login(request);
     }},
    {"/api/logout", "POST", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string& token) {
         return api.Logout(request, token);
     }},
    {"/api/status", "GET", Route::Session,
     [](WebApi& api, const ApiRequest&, const std::string&) { return api.requests_.Status(); }},
    {"/api/players", "GET", Route::Session,
     [](WebApi& api, const ApiRequest&, const std::string&) { return api.requests_.Players(); }},
    {"/api/console", "GET", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.requests_.Console(request);
     }},
    {"/api/rotation", "GET", Route::Session,
     [](WebApi& api, const ApiRequest&, const std::string&) { return api.requests_.Rotation(); }},
    {"/api/history", "GET", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.requests_.History(request);
     }},
    {"/api/command", "POST", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.requests_.Command(request);
     }},
    {"/api/kick", "POST", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string&) { return api.requests_.Kick(request); }},
    {"/api/changemap", "POST", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.requests_.ChangeMap(request);
     }},
    {"/api/restart", "POST", Route::Session,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.requests_.Restart(request);
     }},
    // Guarded by its own bearer token, not a session.
    {"/metrics", "GET", Route::Open,
     [](WebApi& api, const ApiRequest& request, const std::string&) {
         return api.Metrics(request);
     }},
};

const WebApi::Route* WebApi::FindRoute(const std::string& path) {
    for (const Route& route : kRoutes)
        if (path == route.path) return &route;
    return nullptr;
}

const char* WebApi::MethodFor(const std::string& path) {
    const Route* route = FindRoute(path);
    return route ? route->method : nullptr;
}

std::vector<std::string> WebApi::Paths() {
    std::vector<std::string> paths;
    for (const Route& route : kRoutes) paths.emplace_back(route.path);
    return paths;
}

bool WebApi::KnownHost(const ApiRequest& request) const {
    const std::string name = HostOf(request.host);
    if (name.empty()) return false;
    return name == "localhost" || name == "[::1]" || IsLoopbackAddress(name) ||
           name == site_.address || name == request.localAddress ||
           (!site_.hostName.empty() && name == site_.hostName);
}

// A browser names the page a request comes from in Origin (or, failing that, Referer): it must
// be one of this server's own. Without either the request does not come from a page, and the
// session and its token decide.
bool WebApi::SameOrigin(const ApiRequest& request) const {
    std::string_view source = request.origin.empty() ? request.referer : request.origin;
    if (source.empty()) return true;
    const bool plain = source.substr(0, 7) == "http://";
    if (!plain && source.substr(0, 8) != "https://") return false;  // "null" among others
    source.remove_prefix(plain ? 7 : 8);
    const std::string_view authority = source.substr(0, source.find_first_of("/?#"));
    if (plain && Lower(authority) == Lower(request.host)) return true;
    // Behind a reverse proxy the page's origin is the proxy's, under the operator's name.
    return !site_.hostName.empty() && HostOf(authority) == site_.hostName;
}

ApiResponse WebApi::Handle(const ApiRequest& request) {
    if (!KnownHost(request))
        return ErrorResponse(421, "this server does not answer for that host name");
    const Route* route = FindRoute(request.path);
    if (!route) return ErrorResponse(404, "no such page");
    const char* method = route->method;
    const bool isGet = request.method == "GET" || request.method == "HEAD";
    if (isGet != (std::string_view(method) == "GET") || (!isGet && request.method != "POST"))
        return ErrorResponse(405, std::string("use ") + method);
    if (!isGet && !SameOrigin(request))
        return ErrorResponse(403, "requests from other sites are refused");

    if (const auto file = FindPageFile(request.path)) {
        ApiResponse response;
        response.contentType = file->contentType;
        response.body = std::string(file->bytes);
        return response;
    }
    if (route->access == Route::Open) return route->handle(*this, request, std::string());

    const std::string token = CookieValue(request.cookie, kSessionCookie);
    const auto session = sessions_.Touch(token);
    if (!session) return ErrorResponse(401, "log in first");
    if (!isGet && !ConstantTimeEqual(request.csrf, session->csrf))
        return ErrorResponse(403, "missing or wrong X-CSRF-Token");

    if (!route->handle) return ErrorResponse(404, "no such page");
    return route->handle(*this, request, token);
}

ApiResponse WebApi::Login(const ApiRequest& request) {
    // A form or a no-cors fetch from another site cannot send this type.
    if (!IsJsonType(request.contentType))
        return ErrorResponse(415, "send the password as application/json");
    const auto password = StringMember(request.body, "password");
    if (!password) return ErrorResponse(400, "send {\"password\": \"...\"}");
    // Refused before any hashing, and not a try: a long key makes every iteration dearer.
    if (password->size() > kMaxPasswordBytes)
        return ErrorResponse(
            400, "a password has at most " + std::to_string(kMaxPasswordBytes) + " bytes");

    const std::string& address = request.remoteAddress;
    if (const uint64_t wait = throttle_.Begin(address))
        return RetryAfter(429, "too many failed logins; try again later", wait);
    struct Try {  // a try that ends without a verdict frees its place
        LoginThrottle& throttle;
        const std::string& address;
        bool judged = false;
        ~Try() {
            if (!judged) throttle.Abandon(address);
        }
    } attempt{throttle_, address};
    struct Slot {  // a place among the hashes that may run at once, held while it runs
        std::atomic<int>& count;
        const bool granted = ++count <= kMaxLoginsAtOnce;
        ~Slot() { --count; }
    } slot{loginsAtOnce_};
    if (!slot.granted) return RetryAfter(503, "too many logins at once; try again", 1000);

    const bool right = CheckPassword(*password);
    attempt.judged = true;
    if (!right) {
        LoginFailed(request, "web", "login refused");
        return ErrorResponse(401, "wrong password");
    }
    throttle_.Succeeded(address);
    const auto session = sessions_.Create();
    if (!session) return ErrorResponse(500, "no session could be made");
    requests_.Audit(request, "login");
    ApiResponse response = JsonResponse({{"csrf", session->csrf}});
    response.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + session->token +
                                                    "; Path=/; HttpOnly; SameSite=Strict");
    return response;
}

ApiResponse RetryAfter(int status, const std::string& message, uint64_t waitMs) {
    ApiResponse response = ErrorResponse(status, message);
    response.headers.emplace_back("Retry-After", std::to_string((waitMs + 999) / 1000));
    return response;
}

void WebApi::LoginFailed(const ApiRequest& request, std::string_view front,
                         const std::string& what) {
    const std::string& address = request.remoteAddress;
    int failures = 0;
    const bool locked = throttle_.Failed(address, &failures);
    backend_.Notice(AuditLine(front, address, what + " (" + Ordinal(failures) + " in a minute)"));
    if (!locked) return;
    const std::string prefix = LoginThrottle::PrefixOf(address);
    backend_.Notice(AuditLine(front, address,
                              "locked out: " + std::to_string(LoginThrottle::kMaxFailures) +
                                  " failed logins from " + address + " (counted for " +
                                  (prefix == "loopback" ? "every loopback address" : prefix) +
                                  "); they must wait a minute."));
}

bool WebApi::CheckPassword(const std::string& password) {
    PasswordRecord record;
    {
        std::lock_guard lock(passwordMutex_);
        record = password_;
    }
    if (!VerifyPassword(password, record)) return false;
    // Stored with fewer iterations than today's, within the range a stored count may have:
    // the right password, at hand only now, gets a new hash in place of the old.
    if (record.iterations >= kMinPasswordIterations && record.iterations < kPasswordIterations) {
        const PasswordRecord stronger = HashPassword(password);
        if (!stronger.IsSet()) return true;
        {
            std::lock_guard lock(passwordMutex_);
            if (!(password_ == record)) return true;  // another login did it first
            password_ = stronger;
        }
        if (rehashed_) rehashed_(record, stronger);
    }
    return true;
}

ApiResponse WebApi::Logout(const ApiRequest& request, const std::string& token) {
    sessions_.End(token);
    requests_.Audit(request, "logout");
    ApiResponse response = Ok();
    response.headers.emplace_back(
        "Set-Cookie",
        std::string(kSessionCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    return response;
}

}  // namespace korvane::web
