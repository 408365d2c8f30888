// The console's commands in groups, each a part of its own that adds its entries to the
// console's table: the game and its players, the server itself, and the aids for trying the
// front end out. A new group is one more class here, one more member of ConsoleCommands and
// its AddTo call there.
#pragma once

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

#include "ConfigFiles.h"
#include "EngineSlots.h"
#include "EngineState.h"

namespace korvane {

// One console command: the name it is typed as (in any case), what it does with the rest of
// the line, and its line in help.
struct ConsoleCommand {
    const char* name;
    std::function<void(std::string_view arguments)> run;
    const char* help;
};
using CommandTable = std::vector<ConsoleCommand>;

// status, changemap, kick, players, addbot/addplayer, removeplayer, say.
class GameCommands {
  public:
    GameCommands(EngineState& state, PlayerSlots& players) : state_(state), players_(players) {}
    void AddTo(CommandTable& table);

  private:
    void Status();
    void PrintPlayers();
    void ChangeMap(std::string_view arguments);
    void Kick(std::string_view arguments);
    void AddPlayer(std::string_view arguments);
    void RemovePlayer(std::string_view arguments);
    void Say(std::string_view arguments);
    uint64_t UptimeSeconds() const;

    EngineState& state_;
    PlayerSlots& players_;
};

// echo, cvarlist, exec, closehost, quit/exit.
class ServerCommands {
  public:
    ServerCommands(EngineState& state, ConfigFiles& config) : state_(state), config_(config) {}
    void AddTo(CommandTable& table);

  private:
    void Echo(std::string_view arguments);
    void VariableList(std::string_view arguments);
    void Exec(std::string_view arguments);
    void CloseHost();
    void Quit();

    EngineState& state_;
    ConfigFiles& config_;
};

// Commands that put the front end under load or failure on purpose: floodtest.
class TestCommands {
  public:
    explicit TestCommands(EngineState& state) : state_(state) {}
    void AddTo(CommandTable& table);

  private:
    void Flood(std::string_view arguments);
    void HangTick(std::string_view arguments);
    void CrashTick();

    EngineState& state_;
};

}  // namespace korvane
