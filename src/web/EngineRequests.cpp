// The API's requests that ask the engine, through the backend: status, players, console,
// rotation, command, kick and map change; a stopped or stuck engine answers 503.
#include "web/WebApi.h"

#include <charconv>

#include "host/CallClock.h"
#include "web/JsonAnswers.h"
#include "web/RequestParts.h"
#include "web/TextCodec.h"

namespace korvane::web {

namespace {

ApiResponse NoEngine() {
    return ErrorResponse(503, "the engine is not running");
}

}  // namespace

ApiResponse WebApi::Unavailable() {
    const long long stuck = backend_.NotRespondingSeconds();
    if (stuck <= 0) return NoEngine();
    return JsonResponse({{"error", NotRespondingText(stuck)},
                         {"engine_running", true},
                         {"engine_not_responding_seconds", stuck}},
                        503);
}

ApiResponse WebApi::Status() {
    // A stuck engine answers nothing; the page hears so at once rather than after a wait.
    if (backend_.NotRespondingSeconds() > 0) return Unavailable();
    const auto status = backend_.Status();
    const std::string consoleLog = backend_.ConsoleLogState();
    // Without an engine the answer is still an error, for clients that go by the status
    // code, but it tells what the program knows: the engine has stopped, the log's state.
    const std::string restartNotice = backend_.RestartNotice();
    if (!status) {
        json answer = {{"error", "the engine is not running"},
                       {"engine_running", false},
                       {"update_rate", 0},
                       {"console_log", consoleLog}};
        if (!restartNotice.empty()) answer["restart_notice"] = AnsiToUtf8(restartNotice);
        return JsonResponse(answer, 503);
    }
    json answer = {{"server_name", AnsiToUtf8(status->serverName)},
                   {"version", AnsiToUtf8(status->version)},
                   {"engine_running", true},
                   {"update_rate", status->updateRate},
                   {"players", status->players},
                   {"max_players", status->maxPlayers},
                   {"uptime_seconds", status->uptimeSeconds},
                   {"console_log", consoleLog}};
    if (!restartNotice.empty()) answer["restart_notice"] = AnsiToUtf8(restartNotice);
    return JsonResponse(answer);
}

ApiResponse WebApi::Players() {
    const auto players = backend_.Players();
    if (!players) return Unavailable();
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
    const ConsolePage page = console_.Read(after, kConsoleAnswerMaxLines, kConsoleAnswerMaxBytes);
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
    if (!rotation) return Unavailable();
    json maps = json::array();
    for (const RotationEntry& entry : *rotation)
        maps.push_back({{"index", entry.index}, {"map", AnsiToUtf8(entry.name)}});
    return JsonResponse({{"maps", std::move(maps)}});
}

ApiResponse WebApi::Command(const std::string& body) {
    const auto command = StringMember(body, "command");
    if (!command) return ErrorResponse(400, "send {\"command\": \"...\"}");
    const auto ansi = Utf8ToAnsi(*command);
    if (!ansi) return ErrorResponse(400, "the command is not UTF-8");
    if (ansi->empty() || ansi->size() > kMaxTypedCommandLength)
        return ErrorResponse(
            400, "a command has 1 to " + std::to_string(kMaxTypedCommandLength) + " characters");
    for (unsigned char c : *ansi)
        if (c < 32 || c == 127) return ErrorResponse(400, "a command is one line of text");
    return backend_.Execute(*ansi) ? Ok() : Unavailable();
}

ApiResponse WebApi::Kick(const std::string& body) {
    const auto id = IntMember(body, "id");
    if (!id) return ErrorResponse(400, "send {\"id\": <player id>}");
    const auto players = backend_.Players();
    if (!players) return Unavailable();
    const bool known = std::any_of(players->begin(), players->end(),
                                   [&](const PlayerRow& player) { return player.id == *id; });
    if (!known) return ErrorResponse(400, "no player has that id");
    return backend_.Kick(*id) ? Ok() : Unavailable();
}

ApiResponse WebApi::ChangeMap(const std::string& body) {
    const auto index = IntMember(body, "index");
    if (!index) return ErrorResponse(400, "send {\"index\": <rotation index>}");
    const auto rotation = backend_.Rotation();
    if (!rotation) return Unavailable();
    const bool known =
        std::any_of(rotation->begin(), rotation->end(),
                    [&](const RotationEntry& entry) { return entry.index == *index; });
    if (!known) return ErrorResponse(400, "the rotation has no such index");
    return backend_.ChangeMap(*index) ? Ok() : Unavailable();
}

ApiResponse WebApi::Restart(const ApiRequest& request) {
    // Who asked is in the console and the log: several people may hold the password.
    backend_.Notice("[web " + request.remoteAddress + "] restart");
    if (!backend_.RequestRestart())
        return JsonResponse({{"error", "this program cannot restart the server"}}, 503);
    return JsonResponse({{"ok", true}, {"restarting", true}}, 202);
}

}  // namespace korvane::web
