// The simulated engine's logic behind the EngineInterface table, made of its parts: the
// variable and player look-ups, hosting and service providers, configuration files and the
// console commands, over the state they share. Free of windows.h; the operating system is
// reached through EngineEnvironment and text goes out through Console. The interface's
// operations are the parts' own, so ServerEngine and the tests reach each by its slot's name.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "ConfigFiles.h"
#include "Console.h"
#include "ConsoleCommands.h"
#include "EngineEnvironment.h"
#include "EngineSlots.h"
#include "EngineState.h"
#include "Events.h"
#include "Game.h"
#include "Hosting.h"
#include "VariableStore.h"

namespace korvane {

// EngineState comes first among the bases, so it is built before the parts that use it.
class EngineCore : private EngineState,
                   public VariableSlots,
                   public PlayerSlots,
                   public Hosting,
                   public ConfigFiles,
                   public ConsoleCommands {
  public:
    explicit EngineCore(EngineEnvironment& platform);
    EngineCore(const EngineCore&) = delete;
    EngineCore& operator=(const EngineCore&) = delete;

    void SetConsoleSink(ConsoleSink* sink) { console.SetSink(sink); }
    // A newly attached host hears of the players already present at the next Tick.
    void SetEventSink(EventSink* sink);
    VariableStore& Variables() { return variables; }
    const Game& CurrentGame() const { return game; }
    bool QuitRequested() const { return quit; }

    // The game clock: 0 once the engine has been asked to stop.
    int Tick();
};

}  // namespace korvane
