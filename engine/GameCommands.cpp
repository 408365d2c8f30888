// The console commands about the game and its players.
#include <string>

#include "CommandGroups.h"
#include "CommandLine.h"
#include "NameTables.h"

namespace korvane {

void GameCommands::AddTo(CommandTable& table) {
    table.insert(
        table.end(),
        {
            {"status", [this](std::string_view) { Status(); },
             "shows map, round, uptime, players and version"},
            {"changemap", [this](std::string_view arguments) { ChangeMap(arguments); },
             "changemap <n>: switches to map n of the rotation (map0, map1, ...)"},
            {"kick", [this](std::string_view arguments) { Kick(arguments); },
             "kick <id>: removes a player"},
            {"players", [this](std::string_view) { PrintPlayers(); },
             "lists the players with side and ping"},
            {"addbot", [this](std::string_view arguments) { AddPlayer(arguments); },
             "addbot [name]: a simulated player joins"},
            {"addplayer", [this](std::string_view arguments) { AddPlayer(arguments); },
             "addplayer [name]: same as addbot"},
            {"removeplayer", [this](std::string_view arguments) { RemovePlayer(arguments); },
             "removeplayer <id>: the player leaves the game"},
            {"say", [this](std::string_view arguments) { Say(arguments); },
             "say <text>: a message to every player"},
        });
}

uint64_t GameCommands::UptimeSeconds() const {
    uint64_t now = state_.environment.NowMs();
    return now >= state_.startMs ? (now - state_.startMs) / 1000 : 0;
}

void GameCommands::Status() {
    const Game& game = state_.game;
    Console& console = state_.console;
    uint64_t now = state_.environment.NowMs();
    console.Print("Server: %s", state_.serverName->text.c_str());
    if (game.Running()) {
        char left[32] = "no time limit";
        if (int64_t seconds = game.SecondsLeft(now); seconds >= 0)
            FormatClock(static_cast<uint64_t>(seconds), left, sizeof left);
        console.Print("Map: %s, round %d of %d, %s%s", game.Map().c_str(), game.Round(),
                      game.RoundCount(), left, game.SecondsLeft(now) >= 0 ? " left" : "");
    } else {
        console.Print("Map: none, no game running");
    }
    char uptime[32];
    FormatClock(UptimeSeconds(), uptime, sizeof uptime);
    console.Print("Uptime: %s", uptime);
    PrintPlayers();
    console.Print("Version: %d.%d.%d", kEngineVersionMajor, kEngineVersionMinor,
                  kEngineVersionBuild);
}

void GameCommands::PrintPlayers() {
    const Roster& roster = state_.game.Players();
    Console& console = state_.console;
    console.Print("Players: %d/%d", roster.Count(), state_.game.MaxPlayers());
    if (roster.Count() == 0) return;
    console.Print("  %5s  %-30s  %-10s  %-13s  %4s  %s", "id", "name", "team", "specialty", "ping",
                  "score");
    for (const Player& player : roster.All())
        console.Print("  %5d  %-30s  %-10s  %-13s  %4d  %d/%d/%d", player.id, player.name.c_str(),
                      TeamName(player.team), SpecialtyName(player.specialty),
                      static_cast<int>(player.pingSeconds * 1000.0f), player.kills, player.deaths,
                      player.captures);
}

void GameCommands::ChangeMap(std::string_view arguments) {
    int index = 0;
    if (!ParseInt(arguments, index)) {
        state_.console.Print("Usage: changemap <n>, n a position in the map rotation");
        return;
    }
    state_.game.ChangeMap(index, state_.environment.NowMs());
}

void GameCommands::Kick(std::string_view arguments) {
    int id = 0;
    if (!ParseInt(arguments, id)) {
        state_.console.Print("Usage: kick <player id>");
        return;
    }
    players_.KickPlayer(id);
}

void GameCommands::AddPlayer(std::string_view arguments) {
    state_.game.AddPlayer(CommandValue(arguments), state_.environment.NowMs());
}

void GameCommands::RemovePlayer(std::string_view arguments) {
    int id = 0;
    if (!ParseInt(arguments, id)) {
        state_.console.Print("Usage: removeplayer <player id>");
        return;
    }
    state_.game.RemovePlayer(id, Departure::Left);
}

void GameCommands::Say(std::string_view arguments) {
    std::string text = CommandValue(arguments);
    if (text.empty()) {
        state_.console.Print("Usage: say <text>");
        return;
    }
    state_.events.ConsoleText("[Server] %.1000s", text.c_str());
}

}  // namespace korvane
