// The console commands of the simulated engine, and the line that runs one or a variable.
#include "ConsoleCommands.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <string>

#include "CommandLine.h"
#include "NameTables.h"

namespace korvane {

namespace {

// A whole decimal number and nothing else ("4", "-1"); false for "4x", "" or out of range.
bool ParseInt(std::string_view text, int& value) {
    std::string digits(TrimSpace(text).substr(0, 32));
    if (digits.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(digits.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

// For printing a name of any length within "%.*s".
int PrintLength(std::string_view text) {
    return static_cast<int>(std::min<size_t>(text.size(), 200));
}

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

ConsoleCommands::ConsoleCommands(EngineState& state, ConfigFiles& config, PlayerSlots& players)
    : state_(state),
      environment_(state.environment),
      console_(state.console),
      events_(state.events),
      variables_(state.variables),
      game_(state.game),
      flood_(state.flood),
      config_(config),
      players_(players) {}

int ConsoleCommands::ExecuteCommand(const char* command) {
    return command == nullptr ? 0 : ExecuteLine(command);
}

int ConsoleCommands::ExecuteLine(std::string_view line) {
    CommandParts parts = SplitCommand(line);
    if (parts.name.empty()) return 0;
    // Engine commands come first, so a variable can never hide one.
    if (const CommandEntry* command = FindCommand(parts.name)) {
        (this->*command->run)(parts.rest);
        return 1;
    }
    if (parts.rest.empty()) {
        if (const Variable* variable = variables_.Find(parts.name)) {
            console_.Print("%s is \"%s\"", variable->name.c_str(), variable->text.c_str());
            return 1;
        }
        console_.Print("Unknown command: %.*s", PrintLength(parts.name), parts.name.data());
        return 0;
    }
    if (!VariableStore::IsValidName(parts.name)) {
        console_.Print("Invalid or overlong variable name: %.*s", PrintLength(parts.name),
                       parts.name.data());
        return 0;
    }
    const Variable* existing = variables_.Find(parts.name);
    const bool existed = existing != nullptr;
    const std::string oldText = existed ? existing->text : std::string();
    const float oldValue = existed ? existing->value : 0.0f;
    const Variable* variable = variables_.Set(parts.name, CommandValue(parts.rest));
    if (variable == nullptr) {
        console_.Print("Too many variables: %.*s not created", PrintLength(parts.name),
                       parts.name.data());
        return 0;
    }
    // The operator sees every option that changes, but not the defaults being defined nor a
    // configuration file being read, and not "16" becoming "16.000000".
    const bool sameNumber = oldValue == variable->value && oldValue != 0.0f;
    if (existed && !config_.Executing() && oldText != variable->text && !sameNumber)
        console_.Print("%s changed to \"%s\"", variable->name.c_str(), variable->text.c_str());
    return 1;
}

uint64_t ConsoleCommands::UptimeSeconds() {
    uint64_t now = environment_.NowMs();
    return now >= state_.startMs ? (now - state_.startMs) / 1000 : 0;
}

const ConsoleCommands::CommandEntry* ConsoleCommands::Commands(size_t& count) {
    static const CommandEntry kCommands[] = {
        {"help", &ConsoleCommands::CommandHelp, "lists the commands"},
        {"status", &ConsoleCommands::CommandStatus,
         "shows map, round, uptime, players and version"},
        {"echo", &ConsoleCommands::CommandEcho, "echo <text>: prints the text"},
        {"cvarlist", &ConsoleCommands::CommandVariableList,
         "cvarlist [prefix]: lists the variables with their texts and flags"},
        {"changemap", &ConsoleCommands::CommandChangeMap,
         "changemap <n>: switches to map n of the rotation (map0, map1, ...)"},
        {"kick", &ConsoleCommands::CommandKick, "kick <id>: removes a player"},
        {"players", &ConsoleCommands::CommandPlayers, "lists the players with side and ping"},
        {"addbot", &ConsoleCommands::CommandAddPlayer, "addbot [name]: a simulated player joins"},
        {"addplayer", &ConsoleCommands::CommandAddPlayer, "addplayer [name]: same as addbot"},
        {"removeplayer", &ConsoleCommands::CommandRemovePlayer,
         "removeplayer <id>: the player leaves the game"},
        {"say", &ConsoleCommands::CommandSay, "say <text>: a message to every player"},
        {"floodtest", &ConsoleCommands::CommandFloodTest,
         "floodtest <lines per second> <seconds>: numbered console lines; floodtest 0 stops"},
        {"closehost", &ConsoleCommands::CommandCloseHost, "closes the host and its window"},
        {"hangtick", &ConsoleCommands::CommandHangTick,
         "hangtick <seconds>: the next Tick does not return for that long (at most 3600)"},
        {"crashtick", &ConsoleCommands::CommandCrashTick,
         "crashtick: the next Tick fails with an access violation"},
        {"exec", &ConsoleCommands::CommandExec, "exec <file>: executes a configuration file"},
        {"quit", &ConsoleCommands::CommandQuit, "stops the server"},
        {"exit", &ConsoleCommands::CommandQuit, "stops the server"},
    };
    count = std::size(kCommands);
    return kCommands;
}

const ConsoleCommands::CommandEntry* ConsoleCommands::FindCommand(std::string_view name) {
    size_t count = 0;
    const CommandEntry* commands = Commands(count);
    for (size_t i = 0; i < count; ++i)
        if (EqualsIgnoreCase(name, commands[i].name)) return &commands[i];
    return nullptr;
}

void ConsoleCommands::CommandHelp(std::string_view) {
    size_t count = 0;
    const CommandEntry* commands = Commands(count);
    console_.Print("Commands:");
    for (size_t i = 0; i < count; ++i)
        console_.Print("  %-12s %s", commands[i].name, commands[i].help);
    console_.Print("  <name> <value> sets a variable; <name> alone shows it");
}

void ConsoleCommands::CommandQuit(std::string_view) {
    console_.Print("Server shutting down");
    state_.quit = true;
}

void ConsoleCommands::CommandStatus(std::string_view) {
    uint64_t now = environment_.NowMs();
    console_.Print("Server: %s", state_.serverName->text.c_str());
    if (game_.Running()) {
        char left[32] = "no time limit";
        if (int64_t seconds = game_.SecondsLeft(now); seconds >= 0)
            FormatClock(static_cast<uint64_t>(seconds), left, sizeof left);
        console_.Print("Map: %s, round %d of %d, %s%s", game_.Map().c_str(), game_.Round(),
                       game_.RoundCount(), left, game_.SecondsLeft(now) >= 0 ? " left" : "");
    } else {
        console_.Print("Map: none, no game running");
    }
    char uptime[32];
    FormatClock(UptimeSeconds(), uptime, sizeof uptime);
    console_.Print("Uptime: %s", uptime);
    PrintPlayers();
    console_.Print("Version: %d.%d.%d", kEngineVersionMajor, kEngineVersionMinor,
                   kEngineVersionBuild);
}

void ConsoleCommands::CommandEcho(std::string_view arguments) {
    console_.Print("%s", CommandValue(arguments).c_str());
}

void ConsoleCommands::CommandVariableList(std::string_view arguments) {
    std::string_view prefix = TrimSpace(arguments);
    unsigned listed = 0;
    for (const Variable& variable : variables_.InCreationOrder()) {
        if (!StartsWithIgnoreCase(variable.name, prefix)) continue;
        if (variable.flags != 0)
            console_.Print("  %s \"%s\" (flags %d)", variable.name.c_str(), variable.text.c_str(),
                           variable.flags);
        else
            console_.Print("  %s \"%s\"", variable.name.c_str(), variable.text.c_str());
        ++listed;
    }
    console_.Print("%u variables", listed);
}

void ConsoleCommands::CommandChangeMap(std::string_view arguments) {
    int index = 0;
    if (!ParseInt(arguments, index)) {
        console_.Print("Usage: changemap <n>, n a position in the map rotation");
        return;
    }
    game_.ChangeMap(index, environment_.NowMs());
}

void ConsoleCommands::CommandKick(std::string_view arguments) {
    int id = 0;
    if (!ParseInt(arguments, id)) {
        console_.Print("Usage: kick <player id>");
        return;
    }
    players_.KickPlayer(id);
}

void ConsoleCommands::CommandExec(std::string_view arguments) {
    std::string path = CommandValue(arguments);
    if (path.empty()) {
        console_.Print("Usage: exec <file>");
        return;
    }
    config_.ExecuteConfigFile(path.c_str());
}

}  // namespace korvane

namespace korvane {

void ConsoleCommands::PrintPlayers() {
    const Roster& roster = game_.Players();
    console_.Print("Players: %d/%d", roster.Count(), game_.MaxPlayers());
    if (roster.Count() == 0) return;
    console_.Print("  %5s  %-30s  %-10s  %-13s  %4s  %s", "id", "name", "team", "specialty", "ping",
                   "score");
    for (const Player& player : roster.All())
        console_.Print("  %5d  %-30s  %-10s  %-13s  %4d  %d/%d/%d", player.id, player.name.c_str(),
                       TeamName(player.team), SpecialtyName(player.specialty),
                       static_cast<int>(player.pingSeconds * 1000.0f), player.kills, player.deaths,
                       player.captures);
}

void ConsoleCommands::CommandPlayers(std::string_view) {
    PrintPlayers();
}

void ConsoleCommands::CommandAddPlayer(std::string_view arguments) {
    game_.AddPlayer(CommandValue(arguments), environment_.NowMs());
}

void ConsoleCommands::CommandRemovePlayer(std::string_view arguments) {
    int id = 0;
    if (!ParseInt(arguments, id)) {
        console_.Print("Usage: removeplayer <player id>");
        return;
    }
    game_.RemovePlayer(id, Departure::Left);
}

void ConsoleCommands::CommandSay(std::string_view arguments) {
    std::string text = CommandValue(arguments);
    if (text.empty()) {
        console_.Print("Usage: say <text>");
        return;
    }
    events_.ConsoleText("[Server] %.1000s", text.c_str());
}

void ConsoleCommands::CommandCloseHost(std::string_view) {
    console_.Print("Closing the host");
    events_.Close();
    state_.quit = true;
}

void ConsoleCommands::CommandHangTick(std::string_view arguments) {
    int seconds = 0;
    if (!ParseInt(arguments, seconds) || seconds < 1 || seconds > 3600) {
        console_.Print("Usage: hangtick <seconds>, 1 to 3600");
        return;
    }
    console_.Print("The next Tick hangs for %d s", seconds);
    state_.hangNextTickMs = static_cast<uint32_t>(seconds) * 1000;
}

void ConsoleCommands::CommandCrashTick(std::string_view) {
    console_.Print("The next Tick crashes");
    state_.faultNextTick = true;
}

void ConsoleCommands::CommandFloodTest(std::string_view arguments) {
    std::string_view text = TrimSpace(arguments);
    size_t split = text.find_first_of(" \t");
    int rate = 0;
    int seconds = 10;
    bool valid = ParseInt(text.substr(0, split), rate) &&
                 (split == std::string_view::npos || ParseInt(text.substr(split), seconds));
    if (!valid) {
        console_.Print("Usage: floodtest <lines per second> <seconds>, at most %d and %d",
                       FloodTest::kMaxLinesPerSecond, FloodTest::kMaxSeconds);
        return;
    }
    if (rate <= 0) {
        flood_.Stop(console_);
        return;
    }
    flood_.Start(rate, seconds, environment_.NowMs(), console_);
}

}  // namespace korvane
