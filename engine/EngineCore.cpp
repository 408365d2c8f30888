// The simulated engine put together from its parts, and its clock.
#include "EngineCore.h"

#include <utility>

namespace korvane {

EngineCore::EngineCore(EngineEnvironment& platform)
    : EngineState(platform),
      VariableSlots(variables),
      PlayerSlots(game, console),
      Hosting(static_cast<EngineState&>(*this)),
      ConfigFiles(static_cast<EngineState&>(*this),
                  [this](std::string_view line) { return ExecuteLine(line); }),
      ConsoleCommands(static_cast<EngineState&>(*this), static_cast<ConfigFiles&>(*this),
                      static_cast<PlayerSlots&>(*this)) {}

void EngineCore::SetEventSink(EventSink* sink) {
    events.SetSink(sink);
    if (sink != nullptr) game.Players().AnnounceAgain();
}

int EngineCore::Tick() {
    if (quit) return 0;
    if (faultNextTick) {
        faultNextTick = false;
        environment.Fault();
    }
    if (const uint32_t hang = std::exchange(hangNextTickMs, 0)) environment.SleepMs(hang);
    uint64_t now = environment.NowMs();
    game.Advance(now);
    flood.Advance(now, console);
    return quit ? 0 : 1;
}

}  // namespace korvane
