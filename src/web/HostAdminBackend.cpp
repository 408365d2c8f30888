// Status, players, rotation and commands of the web administration, read from and sent to the
// engine through its host.
#include "web/HostAdminBackend.h"

#include <ctime>

#include "host/EngineCalls.h"
#include "host/EngineVersion.h"
#include "settings/ServerSettings.h"
#include "web/TextCodec.h"

namespace korvane::web {

std::optional<ServerStatus> HostAdminBackend::Status() {
    if (!host_.EngineLoaded()) return std::nullopt;
    ServerStatus status;
    // The status is what monitors poll: an engine busy in a long Tick costs it the fresh name
    // and maximum (the last ones read stand in) and version (the one read at start-up), never
    // its time.
    CallClock::ShortWaits quick(kStatusWaitMs);
    {
        const auto name = ReadVariableText(host_, TextOptionKey(TextOption::ServerName));
        const auto maxPlayers = ReadVariableValue(host_, SettingKey(&ServerSettings::maxPlayers));
        std::lock_guard lock(lastMutex_);
        if (name) lastName_ = *name;
        if (maxPlayers) lastMaxPlayers_ = TruncateToInt(*maxPlayers);
        status.serverName = lastName_;
        status.maxPlayers = lastMaxPlayers_;
    }
    status.version = VersionText(host_.Version());
    status.updateRate = host_.Game().UpdateRate();
    status.players = static_cast<int>(host_.PlayerSnapshot().size());
    status.uptimeSeconds = host_.Game().Seconds();
    return status;
}

std::optional<std::vector<PlayerRow>> HostAdminBackend::Players() {
    if (!host_.EngineLoaded()) return std::nullopt;
    const int64_t now = static_cast<int64_t>(std::time(nullptr));
    std::vector<PlayerRow> rows;
    for (const PlayerRecord& player : host_.PlayerSnapshot()) {
        PlayerRow row;
        row.id = player.id;
        row.name = player.name;
        row.team = host_.ResourceText(static_cast<int>(player.team));
        row.specialty = host_.ResourceText(player.specialty);
        // The window's list shows the same figure: the engine's seconds, truncated to ms.
        row.pingMs = TruncateToInt(PlayerPing(host_, player.id) * 1000.0f);
        row.connectedSeconds = now > player.joinTime ? now - player.joinTime : 0;
        rows.push_back(std::move(row));
    }
    return rows;
}

std::optional<std::vector<RotationEntry>> HostAdminBackend::Rotation() {
    if (!host_.EngineLoaded()) return std::nullopt;
    return ReadEngineRotation(host_);
}

bool HostAdminBackend::Execute(const std::string& command) {
    return host_.EchoAndExecute(command);
}

bool HostAdminBackend::Kick(int id) {
    return KickPlayer(host_, id);
}

bool HostAdminBackend::ChangeMap(int index) {
    // The command the Change Map dialog sends, for the rotation entry's own number.
    return ExecuteCommand(host_, ChangeMapCommand(index));
}

void HostAdminBackend::Notice(const std::string& line) {
    host_.Note(line);
}

bool HostAdminBackend::RequestRestart() {
    if (!restart_.request) return false;
    restart_.request();
    return true;
}

}  // namespace korvane::web

namespace korvane::web {

namespace {

HistogramFigures FiguresOf(const TickHistogram::Snapshot& snapshot) {
    HistogramFigures figures;
    figures.bounds.assign(kTickBucketBounds.begin(), kTickBucketBounds.end());
    figures.buckets.assign(snapshot.buckets.begin(), snapshot.buckets.end());
    figures.count = snapshot.count;
    figures.sumSeconds = static_cast<double>(snapshot.sumMicros) / 1e6;
    return figures;
}

}  // namespace

GameFigures HostAdminBackend::Figures() {
    GameFigures figures;
    const HostedGame& game = host_.Game();
    figures.tickDurations = FiguresOf(game.Ticks().Durations());
    figures.tickIntervals = FiguresOf(game.Ticks().Intervals());
    figures.ticks = figures.tickDurations.count;
    figures.updateRate = game.UpdateRate();
    figures.map = AnsiToUtf8(game.Map());
    figures.notRespondingSeconds = NotRespondingSeconds();
    figures.engineRunning = host_.EngineLoaded();
    if (!figures.engineRunning) return figures;
    figures.playersOnline = static_cast<int>(host_.PlayerSnapshot().size());
    if (figures.notRespondingSeconds > 0) return figures;
    figures.serverName =
        AnsiToUtf8(ReadVariableText(host_, TextOptionKey(TextOption::ServerName)).value_or(""));
    figures.playersMax = TruncateToInt(
        ReadVariableValue(host_, SettingKey(&ServerSettings::maxPlayers)).value_or(0));
    return figures;
}

}  // namespace korvane::web
