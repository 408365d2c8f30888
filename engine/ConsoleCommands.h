// The simulated engine's console: a typed line runs an engine command, shows a variable or
// sets one. Command names are matched without regard to case and take precedence over
// variables of the same name. The commands come in groups (engine/CommandGroups.h), listed
// by help in the order they are added.
#pragma once

#include <string_view>

#include "CommandGroups.h"
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
    const ConsoleCommand* FindCommand(std::string_view name) const;
    void Help() const;
    // "name value": the variable is created or changed; 1 when it was.
    int SetVariable(std::string_view name, std::string_view rest);

    Console& console_;
    VariableStore& variables_;
    ConfigFiles& config_;
    GameCommands game_;
    ServerCommands server_;
    TestCommands tests_;
    CommandTable commands_;  // the groups' entries, help first
};

}  // namespace korvane
