// The console commands that try the front end out: a flood of console lines, a Tick that
// hangs, one that crashes and a game that ends by itself.
#include "CommandGroups.h"
#include "CommandLine.h"

namespace korvane {

void TestCommands::AddTo(CommandTable& table) {
    table.push_back(
        {"floodtest", [this](std::string_view arguments) { Flood(arguments); },
         "floodtest <lines per second> <seconds>: numbered console lines; floodtest 0 stops"});
    table.push_back(
        {"hangtick", [this](std::string_view arguments) { HangTick(arguments); },
         "hangtick <seconds>: the next Tick does not return for that long (at most 3600)"});
    table.push_back({"crashtick", [this](std::string_view) { CrashTick(); },
                     "crashtick: the next Tick fails with an access violation"});
    table.push_back({"endtick",
                     [this](std::string_view) {
                         state_.console.Print("The game ends at the next Tick");
                         state_.quit = true;
                     },
                     "endtick: the game ends by itself, as after a fault the engine noticed"});
}

void TestCommands::HangTick(std::string_view arguments) {
    int seconds = 0;
    if (!ParseInt(arguments, seconds) || seconds < 1 || seconds > 3600) {
        state_.console.Print("Usage: hangtick <seconds>, 1 to 3600");
        return;
    }
    state_.console.Print("The next Tick hangs for %d s", seconds);
    state_.hangNextTickMs = static_cast<uint32_t>(seconds) * 1000;
}

void TestCommands::CrashTick() {
    state_.console.Print("The next Tick crashes");
    state_.faultNextTick = true;
}

void TestCommands::Flood(std::string_view arguments) {
    Console& console = state_.console;
    std::string_view text = TrimSpace(arguments);
    size_t split = text.find_first_of(" \t");
    int rate = 0;
    int seconds = 10;
    bool valid = ParseInt(text.substr(0, split), rate) &&
                 (split == std::string_view::npos || ParseInt(text.substr(split), seconds));
    if (!valid) {
        console.Print("Usage: floodtest <lines per second> <seconds>, at most %d and %d",
                      FloodTest::kMaxLinesPerSecond, FloodTest::kMaxSeconds);
        return;
    }
    if (rate <= 0) {
        state_.flood.Stop(console);
        return;
    }
    state_.flood.Start(rate, seconds, state_.environment.NowMs(), console);
}

}  // namespace korvane
