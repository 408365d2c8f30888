// The console commands of the simulated engine. Their names are matched without regard to
// case and take precedence over variables of the same name.
#include <cerrno>
#include <climits>
#include <cstdlib>
#include <iterator>
#include <string>

#include "CommandLine.h"
#include "EngineCore.h"

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

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

const EngineCore::CommandEntry* EngineCore::Commands(size_t& count) {
    static const CommandEntry kCommands[] = {
        {"help", &EngineCore::CommandHelp, "lists the commands"},
        {"status", &EngineCore::CommandStatus, "shows map, round, uptime, players and version"},
        {"echo", &EngineCore::CommandEcho, "echo <text>: prints the text"},
        {"cvarlist", &EngineCore::CommandVariableList,
         "cvarlist [prefix]: lists the variables with their texts and flags"},
        {"changemap", &EngineCore::CommandChangeMap,
         "changemap <n>: switches to map n of the rotation (map0, map1, ...)"},
        {"kick", &EngineCore::CommandKick, "kick <id>: removes a player"},
        {"exec", &EngineCore::CommandExec, "exec <file>: executes a configuration file"},
        {"quit", &EngineCore::CommandQuit, "stops the server"},
        {"exit", &EngineCore::CommandQuit, "stops the server"},
    };
    count = std::size(kCommands);
    return kCommands;
}

const EngineCore::CommandEntry* EngineCore::FindCommand(std::string_view name) {
    size_t count = 0;
    const CommandEntry* commands = Commands(count);
    for (size_t i = 0; i < count; ++i)
        if (EqualsIgnoreCase(name, commands[i].name)) return &commands[i];
    return nullptr;
}

void EngineCore::CommandHelp(std::string_view) {
    size_t count = 0;
    const CommandEntry* commands = Commands(count);
    console_.Print("Commands:");
    for (size_t i = 0; i < count; ++i)
        console_.Print("  %-10s %s", commands[i].name, commands[i].help);
    console_.Print("  <name> <value> sets a variable; <name> alone shows it");
}

void EngineCore::CommandQuit(std::string_view) {
    console_.Print("Server shutting down");
    quit_ = true;
}

void EngineCore::CommandStatus(std::string_view) {
    uint64_t now = environment_.NowMs();
    console_.Print("Server: %s", serverName_->text.c_str());
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
    console_.Print("Players: %d/%d", game_.PlayerCount(), game_.MaxPlayers());
    console_.Print("Version: %d.%d.%d", kEngineVersionMajor, kEngineVersionMinor,
                   kEngineVersionBuild);
}

void EngineCore::CommandEcho(std::string_view arguments) {
    console_.Print("%s", CommandValue(arguments).c_str());
}

void EngineCore::CommandVariableList(std::string_view arguments) {
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

void EngineCore::CommandChangeMap(std::string_view arguments) {
    int index = 0;
    if (!ParseInt(arguments, index)) {
        console_.Print("Usage: changemap <n>, n a position in the map rotation");
        return;
    }
    game_.ChangeMap(index, environment_.NowMs());
}

void EngineCore::CommandKick(std::string_view arguments) {
    int id = 0;
    if (!ParseInt(arguments, id)) {
        console_.Print("Usage: kick <player id>");
        return;
    }
    KickPlayer(id);
}

void EngineCore::CommandExec(std::string_view arguments) {
    std::string path = CommandValue(arguments);
    if (path.empty()) {
        console_.Print("Usage: exec <file>");
        return;
    }
    ExecuteConfigFile(path.c_str());
}

}  // namespace korvane
