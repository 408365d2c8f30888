// The console commands that try the front end out: a flood of console lines.
#include "CommandGroups.h"
#include "CommandLine.h"

namespace korvane {

void TestCommands::AddTo(CommandTable& table) {
    table.push_back(
        {"floodtest", [this](std::string_view arguments) { Flood(arguments); },
         "floodtest <lines per second> <seconds>: numbered console lines; floodtest 0 stops"});
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
