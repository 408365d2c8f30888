// Requests of the page and of the JSON API: session and CSRF checks, input checks, answers.
#include "web/WebApi.h"

#include <nlohmann/json.hpp>

#include <charconv>
#include <climits>

#include "web/Crypto.h"
#include "web/TextCodec.h"
#include "web/WebPage.h"

namespace korvane::web {

namespace {

using nlohmann::json;

constexpr size_t kMaxPasswordBytes = 1024;

struct Route {
    const char* path;
    const char* method;
};
constexpr Route kRoutes[] = {
    {"/", "GET"},
    {"/app.css", "GET"},
    {"/app.js", "GET"},
    {"/api/login", "POST"},
    {"/api/logout", "POST"},
    {"/api/status", "GET"},
    {"/api/players", "GET"},
    {"/api/console", "GET"},
    {"/api/rotation", "GET"},
    {"/api/command", "POST"},
    {"/api/kick", "POST"},
    {"/api/changemap", "POST"},
};

ApiResponse JsonResponse(const json& value, int status = 200) {
    ApiResponse response;
    response.status = status;
    response.body = value.dump(-1, ' ', false, json::error_handler_t::replace);
    return response;
}

ApiResponse Ok() {
    return JsonResponse({{"ok", true}});
}

ApiResponse NoEngine() {
    return ErrorResponse(503, "the engine is not running");
}

// The value of cookie `name` in a Cookie header ("a=1; b=2"), or empty.
std::string CookieValue(const std::string& header, const std::string& name) {
    size_t at = 0;
    while (at < header.size()) {
        while (at < header.size() && (header[at] == ' ' || header[at] == ';')) ++at;
        const size_t end = std::min(header.find(';', at), header.size());
        const std::string_view pair(header.data() + at, end - at);
        if (pair.size() > name.size() && pair.compare(0, name.size(), name) == 0 &&
            pair[name.size()] == '=')
            return std::string(pair.substr(name.size() + 1));
        at = end;
    }
    return {};
}

// The body as a JSON object, or empty.
std::optional<json> ParseObject(const std::string& body) {
    json value = json::parse(body, nullptr, false);
    if (value.is_discarded() || !value.is_object()) return std::nullopt;
    return value;
}

// The integer member `key` within int's range, or empty.
std::optional<int> IntMember(const std::string& body, const char* key) {
    const auto object = ParseObject(body);
    if (!object) return std::nullopt;
    const auto found = object->find(key);
    if (found == object->end() || !found->is_number_integer()) return std::nullopt;
    const auto value = found->get<long long>();
    if (value < INT_MIN || value > INT_MAX) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<std::string> StringMember(const std::string& body, const char* key) {
    const auto object = ParseObject(body);
    if (!object) return std::nullopt;
    const auto found = object->find(key);
    if (found == object->end() || !found->is_string()) return std::nullopt;
    return found->get<std::string>();
}

}  // namespace

ApiResponse ErrorResponse(int status, const std::string& message) {
    return JsonResponse({{"error", message}}, status);
}

WebApi::WebApi(AdminBackend& backend, const ConsoleRing& console, PasswordRecord password,
               Clock clock, RandomSource random)
    : backend_(backend),
      console_(console),
      password_(std::move(password)),
      sessions_(clock, std::move(random)),
      throttle_(clock) {}

const char* WebApi::MethodFor(const std::string& path) {
    for (const Route& route : kRoutes)
        if (path == route.path) return route.method;
    return nullptr;
}

std::vector<std::string> WebApi::Paths() {
    std::vector<std::string> paths;
    for (const Route& route : kRoutes) paths.emplace_back(route.path);
    return paths;
}

ApiResponse WebApi::Handle(const ApiRequest& request) {
    const char* method = MethodFor(request.path);
    if (!method) return ErrorResponse(404, "no such page");
    const bool isGet = request.method == "GET" || request.method == "HEAD";
    if (isGet != (std::string_view(method) == "GET") || (!isGet && request.method != "POST"))
        return ErrorResponse(405, std::string("use ") + method);

    if (const auto file = FindPageFile(request.path)) {
        ApiResponse response;
        response.contentType = file->contentType;
        response.body = std::string(file->bytes);
        return response;
    }
    if (request.path == "/api/login") return Login(request);

    const std::string token = CookieValue(request.cookie, kSessionCookie);
    const auto session = sessions_.Touch(token);
    if (!session) return ErrorResponse(401, "log in first");
    if (!isGet && !ConstantTimeEqual(request.csrf, session->csrf))
        return ErrorResponse(403, "missing or wrong X-CSRF-Token");

    if (request.path == "/api/logout") return Logout(token);
    if (request.path == "/api/status") return Status();
    if (request.path == "/api/players") return Players();
    if (request.path == "/api/console") return Console(request);
    if (request.path == "/api/rotation") return Rotation();
    if (request.path == "/api/command") return Command(request.body);
    if (request.path == "/api/kick") return Kick(request.body);
    if (request.path == "/api/changemap") return ChangeMap(request.body);
    return ErrorResponse(404, "no such page");
}

ApiResponse WebApi::Login(const ApiRequest& request) {
    auto password = StringMember(request.body, "password");
    if (!password || password->size() > kMaxPasswordBytes)
        return ErrorResponse(400, "send {\"password\": \"...\"}");
    const auto ansi = Utf8ToAnsi(*password);
    if (!ansi) return ErrorResponse(400, "the password is not UTF-8");

    std::lock_guard lock(loginMutex_);
    const std::string& address = request.remoteAddress;
    if (const uint64_t wait = throttle_.LockedFor(address)) {
        ApiResponse response = ErrorResponse(429, "too many failed logins; try again later");
        response.headers.emplace_back("Retry-After", std::to_string((wait + 999) / 1000));
        return response;
    }
    if (!VerifyPassword(*ansi, password_)) {
        if (throttle_.Failed(address))
            backend_.Notice("Web administration: " + std::to_string(LoginThrottle::kMaxFailures) +
                            " failed logins from " + address + "; it must wait a minute.");
        return ErrorResponse(401, "wrong password");
    }
    throttle_.Succeeded(address);
    const auto session = sessions_.Create();
    if (!session) return ErrorResponse(500, "no session could be made");
    ApiResponse response = JsonResponse({{"csrf", session->csrf}});
    response.headers.emplace_back("Set-Cookie", std::string(kSessionCookie) + "=" + session->token +
                                                    "; Path=/; HttpOnly; SameSite=Strict");
    return response;
}

ApiResponse WebApi::Logout(const std::string& token) {
    sessions_.End(token);
    ApiResponse response = Ok();
    response.headers.emplace_back(
        "Set-Cookie",
        std::string(kSessionCookie) + "=; Path=/; HttpOnly; SameSite=Strict; Max-Age=0");
    return response;
}

ApiResponse WebApi::Status() {
    const auto status = backend_.Status();
    const std::string consoleLog = backend_.ConsoleLogState();
    // Without an engine the answer is still an error, for clients that go by the status
    // code, but it tells what the program knows: the engine has stopped, the log's state.
    if (!status)
        return JsonResponse({{"error", "the engine is not running"},
                             {"engine_running", false},
                             {"update_rate", 0},
                             {"console_log", consoleLog}},
                            503);
    return JsonResponse({{"server_name", AnsiToUtf8(status->serverName)},
                         {"version", AnsiToUtf8(status->version)},
                         {"engine_running", true},
                         {"update_rate", status->updateRate},
                         {"players", status->players},
                         {"max_players", status->maxPlayers},
                         {"uptime_seconds", status->uptimeSeconds},
                         {"console_log", consoleLog}});
}

ApiResponse WebApi::Players() {
    const auto players = backend_.Players();
    if (!players) return NoEngine();
    json rows = json::array();
    for (const PlayerRow& player : *players) {
        rows.push_back({{"id", player.id},
                        {"name", AnsiToUtf8(player.name)},
                        {"team", AnsiToUtf8(player.team)},
                        {"specialty", AnsiToUtf8(player.specialty)},
                        {"ping_ms", player.pingMs},
                        {"connected_seconds", player.connectedSeconds}});
    }
    return JsonResponse({{"players", std::move(rows)}});
}

ApiResponse WebApi::Console(const ApiRequest& request) {
    uint64_t after = 0;
    if (const auto found = request.params.find("after"); found != request.params.end()) {
        const std::string& text = found->second;
        const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), after);
        if (error != std::errc() || end != text.data() + text.size())
            return ErrorResponse(400, "after must be a line number");
    }
    const ConsolePage page = console_.Read(after, kConsoleMaxLines, kConsoleMaxBytes);
    json lines = json::array();
    for (const ConsoleLine& line : page.lines)
        lines.push_back({{"seq", line.seq}, {"text", AnsiToUtf8(line.text)}});
    return JsonResponse({{"lines", std::move(lines)},
                         {"next", page.next},
                         {"first", page.first},
                         {"more", page.more}});
}

ApiResponse WebApi::Rotation() {
    const auto rotation = backend_.Rotation();
    if (!rotation) return NoEngine();
    json maps = json::array();
    for (const RotationEntry& entry : *rotation)
        maps.push_back({{"index", entry.index}, {"map", AnsiToUtf8(entry.map)}});
    return JsonResponse({{"maps", std::move(maps)}});
}

ApiResponse WebApi::Command(const std::string& body) {
    const auto command = StringMember(body, "command");
    if (!command) return ErrorResponse(400, "send {\"command\": \"...\"}");
    const auto ansi = Utf8ToAnsi(*command);
    if (!ansi) return ErrorResponse(400, "the command is not UTF-8");
    if (ansi->empty() || ansi->size() > kMaxCommandLength)
        return ErrorResponse(
            400, "a command has 1 to " + std::to_string(kMaxCommandLength) + " characters");
    for (unsigned char c : *ansi)
        if (c < 32 || c == 127) return ErrorResponse(400, "a command is one line of text");
    return backend_.Execute(*ansi) ? Ok() : NoEngine();
}

ApiResponse WebApi::Kick(const std::string& body) {
    const auto id = IntMember(body, "id");
    if (!id) return ErrorResponse(400, "send {\"id\": <player id>}");
    const auto players = backend_.Players();
    if (!players) return NoEngine();
    const bool known = std::any_of(players->begin(), players->end(),
                                   [&](const PlayerRow& player) { return player.id == *id; });
    if (!known) return ErrorResponse(400, "no player has that id");
    return backend_.Kick(*id) ? Ok() : NoEngine();
}

ApiResponse WebApi::ChangeMap(const std::string& body) {
    const auto index = IntMember(body, "index");
    if (!index) return ErrorResponse(400, "send {\"index\": <rotation index>}");
    const auto rotation = backend_.Rotation();
    if (!rotation) return NoEngine();
    const bool known =
        std::any_of(rotation->begin(), rotation->end(),
                    [&](const RotationEntry& entry) { return entry.index == *index; });
    if (!known) return ErrorResponse(400, "the rotation has no such index");
    return backend_.ChangeMap(*index) ? Ok() : NoEngine();
}

}  // namespace korvane::web
