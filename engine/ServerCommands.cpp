// The console commands about the server itself.
#include <string>

#include "CommandGroups.h"
#include "CommandLine.h"

namespace korvane {

namespace {

bool StartsWithIgnoreCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() && EqualsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

}  // namespace

void ServerCommands::AddTo(CommandTable& table) {
    table.insert(table.end(),
                 {
                     {"echo", [this](std::string_view arguments) { Echo(arguments); },
                      "echo <text>: prints the text"},
                     {"cvarlist", [this](std::string_view arguments) { VariableList(arguments); },
                      "cvarlist [prefix]: lists the variables with their texts and flags"},
                     {"exec", [this](std::string_view arguments) { Exec(arguments); },
                      "exec <file>: executes a configuration file"},
                     {"closehost", [this](std::string_view) { CloseHost(); },
                      "closes the host and its window"},
                     {"quit", [this](std::string_view) { Quit(); }, "stops the server"},
                     {"exit", [this](std::string_view) { Quit(); }, "stops the server"},
                 });
}

void ServerCommands::Echo(std::string_view arguments) {
    state_.console.Print("%s", CommandValue(arguments).c_str());
}

void ServerCommands::VariableList(std::string_view arguments) {
    std::string_view prefix = TrimSpace(arguments);
    unsigned listed = 0;
    for (const Variable& variable : state_.variables.InCreationOrder()) {
        if (!StartsWithIgnoreCase(variable.name, prefix)) continue;
        if (variable.flags != 0)
            state_.console.Print("  %s \"%s\" (flags %d)", variable.name.c_str(),
                                 variable.text.c_str(), variable.flags);
        else
            state_.console.Print("  %s \"%s\"", variable.name.c_str(), variable.text.c_str());
        ++listed;
    }
    state_.console.Print("%u variables", listed);
}

void ServerCommands::Exec(std::string_view arguments) {
    std::string path = CommandValue(arguments);
    if (path.empty()) {
        state_.console.Print("Usage: exec <file>");
        return;
    }
    config_.ExecuteConfigFile(path.c_str());
}

void ServerCommands::CloseHost() {
    state_.console.Print("Closing the host");
    state_.events.Close();
    state_.quit = true;
}

void ServerCommands::Quit() {
    state_.console.Print("Server shutting down");
    state_.quit = true;
}

}  // namespace korvane
