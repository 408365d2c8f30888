// The simulated engine's console: a typed line runs an engine command, shows a variable or
// sets one. Command names are matched without regard to case and take precedence over
// variables of the same name.
#pragma once

#include <cstdint>
#include <string_view>

#include "ConfigFiles.h"
#include "EngineSlots.h"
#include "EngineState.h"

namespace korvane {

class ConsoleCommands {
  public:
    ConsoleCommands(EngineState& state, ConfigFiles& config, PlayerSlots& players);
    ConsoleCommands(const ConsoleCommands&) = delete;
    ConsoleCommands& operator=(const ConsoleCommands&) = delete;

    int ExecuteCommand(const char* command);
    // One line, typed or from a configuration file; 1 when it did something.
    int ExecuteLine(std::string_view line);

  private:
    struct CommandEntry {
        const char* name;
        void (ConsoleCommands::*run)(std::string_view arguments);
        const char* help;
    };
    static const CommandEntry* FindCommand(std::string_view name);
    static const CommandEntry* Commands(size_t& count);

    uint64_t UptimeSeconds();
    void PrintPlayers();
    void CommandHelp(std::string_view arguments);
    void CommandQuit(std::string_view arguments);
    void CommandStatus(std::string_view arguments);
    void CommandEcho(std::string_view arguments);
    void CommandVariableList(std::string_view arguments);
    void CommandChangeMap(std::string_view arguments);
    void CommandKick(std::string_view arguments);
    void CommandExec(std::string_view arguments);
    void CommandAddPlayer(std::string_view arguments);
    void CommandRemovePlayer(std::string_view arguments);
    void CommandPlayers(std::string_view arguments);
    void CommandSay(std::string_view arguments);
    void CommandCloseHost(std::string_view arguments);
    void CommandFloodTest(std::string_view arguments);
    void CommandHangTick(std::string_view arguments);
    void CommandCrashTick(std::string_view arguments);

    EngineState& state_;
    EngineEnvironment& environment_;
    Console& console_;
    EventChannel& events_;
    VariableStore& variables_;
    Game& game_;
    FloodTest& flood_;
    ConfigFiles& config_;
    PlayerSlots& players_;
};

}  // namespace korvane
