// The API's requests that ask the engine, through the backend: status, players, console,
// rotation, history, command, kick and map change; a stopped or stuck engine answers 503. Each
// action leaves its line in the audit trail.
#include "web/WebApi.h"

#include <charconv>
#include <cmath>

#include "host/CallClock.h"
#include "host/SecretValues.h"
#include "web/AuditLine.h"
#include "web/JsonAnswers.h"
#include "web/RequestParts.h"
#include "web/TextCodec.h"

namespace korvane::web {

namespace {

ApiResponse NoEngine() {
    return ErrorResponse(503, "the engine is not running");
}

}  // namespace

ApiResponse EngineRequests::Unavailable() {
    const long long stuck = backend_.NotRespondingSeconds();
    if (stuck <= 0) return NoEngine();
    return JsonResponse({{"error", NotRespondingText(stuck)},
                         {"engine_running", true},
                         {"engine_not_responding_seconds", stuck}},
                        503);
}

ApiResponse EngineRequests::Status() {
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

ApiResponse EngineRequests::Players() {
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

ApiResponse EngineRequests::Console(const ApiRequest& request) {
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

ApiResponse EngineRequests::Rotation() {
    const auto rotation = backend_.Rotation();
    if (!rotation) return Unavailable();
    json maps = json::array();
    for (const RotationEntry& entry : *rotation)
        maps.push_back({{"index", entry.index}, {"map", AnsiToUtf8(entry.name)}});
    return JsonResponse({{"maps", std::move(maps)}});
}

ApiResponse EngineRequests::History(const ApiRequest& request) {
    const auto hours = request.params.find("hours");
    const std::string asked = hours == request.params.end() ? std::string() : hours->second;
    if (asked != "1" && asked != "24") return ErrorResponse(400, "hours must be 1 or 24");
    const auto samples = backend_.History((asked == "1" ? 1 : 24) * 60 * 60 /
                                          static_cast<size_t>(kHistoryIntervalSeconds));
    // Columns rather than rows: the charts take them as they are, and the answer is smaller.
    json time = json::array(), players = json::array(), rate = json::array(), p50 = json::array(),
         p99 = json::array(), resident = json::array();
    // Two decimals are all a chart shows; a float's full expansion would treble the answer.
    const auto rounded = [](float value) { return std::round(value * 100.0) / 100.0; };
    for (const HistorySample& sample : samples) {
        time.push_back(sample.unixTime);
        players.push_back(sample.players);
        rate.push_back(rounded(sample.updateRate));
        p50.push_back(rounded(sample.tickP50Ms));
        p99.push_back(rounded(sample.tickP99Ms));
        resident.push_back(sample.residentBytes);
    }
    return JsonResponse({{"interval_seconds", kHistoryIntervalSeconds},
                         {"time", std::move(time)},
                         {"players", std::move(players)},
                         {"update_rate", std::move(rate)},
                         {"tick_p50_ms", std::move(p50)},
                         {"tick_p99_ms", std::move(p99)},
                         {"resident_bytes", std::move(resident)}});
}

ApiResponse EngineRequests::Command(const ApiRequest& request) {
    const auto command = StringMember(request.body, "command");
    if (!command) return ErrorResponse(400, "send {\"command\": \"...\"}");
    const auto ansi = Utf8ToAnsi(*command);
    if (!ansi) return ErrorResponse(400, "the command is not UTF-8");
    if (ansi->empty() || ansi->size() > kMaxTypedCommandLength)
        return ErrorResponse(
            400, "a command has 1 to " + std::to_string(kMaxTypedCommandLength) + " characters");
    for (unsigned char c : *ansi)
        if (c < 32 || c == 127) return ErrorResponse(400, "a command is one line of text");
    // Before the command runs, so that the line comes ahead of its echo and its answer; a
    // password's value stays on the operator's screen.
    const std::string what = HideSecretValue(*ansi);
    Audit(request, what);
    return backend_.Execute(*ansi) ? Ok() : Undone(request, what);
}

ApiResponse EngineRequests::Kick(const ApiRequest& request) {
    const auto id = IntMember(request.body, "id");
    if (!id) return ErrorResponse(400, "send {\"id\": <player id>}");
    const auto players = backend_.Players();
    if (!players) return Unavailable();
    const auto player = std::find_if(players->begin(), players->end(),
                                     [&](const PlayerRow& row) { return row.id == *id; });
    if (player == players->end()) return ErrorResponse(400, "no player has that id");
    const std::string what = "kick " + std::to_string(*id) + " (" + player->name + ")";
    Audit(request, what);
    return backend_.Kick(*id) ? Ok() : Undone(request, what);
}

ApiResponse EngineRequests::ChangeMap(const ApiRequest& request) {
    const auto index = IntMember(request.body, "index");
    if (!index) return ErrorResponse(400, "send {\"index\": <rotation index>}");
    const auto rotation = backend_.Rotation();
    if (!rotation) return Unavailable();
    const auto entry = std::find_if(rotation->begin(), rotation->end(),
                                    [&](const RotationEntry& row) { return row.index == *index; });
    if (entry == rotation->end()) return ErrorResponse(400, "the rotation has no such index");
    const std::string what = "change map " + std::to_string(*index) + " (" + entry->name + ")";
    Audit(request, what);
    return backend_.ChangeMap(*index) ? Ok() : Undone(request, what);
}

// An audited action the engine did not take (stopped, or stuck in a call): the trail says so.
ApiResponse EngineRequests::Undone(const ApiRequest& request, const std::string& what) {
    const long long stuck = backend_.NotRespondingSeconds();
    Audit(request, what + ": not done, " +
                       (stuck > 0 ? NotRespondingText(stuck) : "the engine is not running"));
    return Unavailable();
}

ApiResponse EngineRequests::Restart(const ApiRequest& request) {
    // Who asked is in the console and the log: several people may hold the password.
    Audit(request, "restart");
    if (!backend_.RequestRestart())
        return JsonResponse({{"error", "this program cannot restart the server"}}, 503);
    return JsonResponse({{"ok", true}, {"restarting", true}}, 202);
}

void EngineRequests::Audit(const ApiRequest& request, const std::string& what) {
    backend_.Notice(AuditLine("web", request.remoteAddress, what));
}

}  // namespace korvane::web
