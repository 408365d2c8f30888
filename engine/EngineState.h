// What every part of the simulated engine shares: the operating system, the console, the
// event channel, the variables and the game. EngineCore builds it before its parts, which
// each hold on to it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "Console.h"
#include "EngineEnvironment.h"
#include "Events.h"
#include "FloodTest.h"
#include "Game.h"
#include "VariableStore.h"

namespace korvane {

inline constexpr int kEngineVersionMajor = 1;
inline constexpr int kEngineVersionMinor = 0;
inline constexpr int kEngineVersionBuild = 5;

// The longest path the engine takes from the host, as Windows' MAX_PATH without its end.
inline constexpr size_t kMaxPathLength = 259;

// Length of a text the host should have terminated within limit bytes; limit when it did not.
inline size_t BoundedLength(const char* text, size_t limit) {
    const void* end = std::memchr(text, '\0', limit);
    return end == nullptr ? limit : static_cast<size_t>(static_cast<const char*>(end) - text);
}

struct EngineState {
    explicit EngineState(EngineEnvironment& environmentIn)
        : environment(environmentIn),
          game(variables, console, events, environmentIn),
          serverName(&variables.Ensure("servername", "Korvane Server")),
          sendBandwidth(&variables.Ensure("sendbandwidth", "32000")),
          startMs(environmentIn.NowMs()) {}
    EngineState(const EngineState&) = delete;
    EngineState& operator=(const EngineState&) = delete;

    EngineEnvironment& environment;
    Console console;
    EventChannel events;
    VariableStore variables;
    Game game;
    FloodTest flood;
    Variable* serverName;
    Variable* sendBandwidth;
    uint64_t startMs;
    bool quit = false;
    // Set by `hangtick` and `crashtick`, taken by the next Tick.
    uint32_t hangNextTickMs = 0;
    bool faultNextTick = false;
};

}  // namespace korvane
