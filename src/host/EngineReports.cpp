// What the engine reported, held for the hand-over.
#include "host/EngineReports.h"

#include <ctime>
#include <utility>

namespace korvane {

bool EngineReports::ApplyEvent(const char* message) {
    const EngineEventOutcome outcome = ApplyEngineEvent(
        players_, message, static_cast<int64_t>(std::time(nullptr)), newPlayerName_);
    if (outcome.playersChanged) playersChanged_ = true;
    if (outcome.consoleText) lines_.push_back(*outcome.consoleText);
    return outcome.close;
}

void EngineReports::ClearPlayers() {
    players_.Clear();
    playersChanged_ = false;
}

std::vector<std::string> EngineReports::TakeLines() {
    std::vector<std::string> lines;
    lines.swap(lines_);
    return lines;
}

bool EngineReports::TakePlayersChanged() {
    return std::exchange(playersChanged_, false);
}

}  // namespace korvane
