// The line that runs an engine command, shows a variable or sets one; help over every group.
#include "ConsoleCommands.h"

#include <algorithm>
#include <string>

#include "CommandLine.h"

namespace korvane {

namespace {

// For printing a name of any length within "%.*s".
int PrintLength(std::string_view text) {
    return static_cast<int>(std::min<size_t>(text.size(), 200));
}

}  // namespace

ConsoleCommands::ConsoleCommands(EngineState& state, ConfigFiles& config, PlayerSlots& players)
    : console_(state.console),
      variables_(state.variables),
      config_(config),
      game_(state, players),
      server_(state, config),
      tests_(state) {
    commands_.push_back({"help", [this](std::string_view) { Help(); }, "lists the commands"});
    game_.AddTo(commands_);
    server_.AddTo(commands_);
    tests_.AddTo(commands_);
}

int ConsoleCommands::ExecuteCommand(const char* command) {
    return command == nullptr ? 0 : ExecuteLine(command);
}

int ConsoleCommands::ExecuteLine(std::string_view line) {
    CommandParts parts = SplitCommand(line);
    if (parts.name.empty()) return 0;
    // Engine commands come first, so a variable can never hide one.
    if (const ConsoleCommand* command = FindCommand(parts.name)) {
        command->run(parts.rest);
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
    return SetVariable(parts.name, parts.rest);
}

int ConsoleCommands::SetVariable(std::string_view name, std::string_view rest) {
    if (!VariableStore::IsValidName(name)) {
        console_.Print("Invalid or overlong variable name: %.*s", PrintLength(name), name.data());
        return 0;
    }
    const Variable* existing = variables_.Find(name);
    const bool existed = existing != nullptr;
    const std::string oldText = existed ? existing->text : std::string();
    const float oldValue = existed ? existing->value : 0.0f;
    const Variable* variable = variables_.Set(name, CommandValue(rest));
    if (variable == nullptr) {
        console_.Print("Too many variables: %.*s not created", PrintLength(name), name.data());
        return 0;
    }
    // The operator sees every option that changes, but not the defaults being defined nor a
    // configuration file being read, and not "16" becoming "16.000000".
    const bool sameNumber = oldValue == variable->value && oldValue != 0.0f;
    if (existed && !config_.Executing() && oldText != variable->text && !sameNumber)
        console_.Print("%s changed to \"%s\"", variable->name.c_str(), variable->text.c_str());
    return 1;
}

const ConsoleCommand* ConsoleCommands::FindCommand(std::string_view name) const {
    for (const ConsoleCommand& command : commands_)
        if (EqualsIgnoreCase(name, command.name)) return &command;
    return nullptr;
}

void ConsoleCommands::Help() const {
    console_.Print("Commands:");
    for (const ConsoleCommand& command : commands_)
        console_.Print("  %-12s %s", command.name, command.help);
    console_.Print("  <name> <value> sets a variable; <name> alone shows it");
}

}  // namespace korvane
