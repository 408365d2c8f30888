// The single calls a front makes on the running engine (a command, a kick, a player's ping,
// the traffic), each through EngineGate and so under EngineLock from any thread. False (or
// nothing) without an engine.
#pragma once

#include <string>

#include "contract/EngineGate.h"

namespace korvane {

bool ExecuteCommand(EngineGate& gate, const std::string& command);
bool KickPlayer(EngineGate& gate, int id);
// The player's ping in seconds: GetPlayerInfo seeds GetPlayerPing, each under the lock.
float PlayerPing(EngineGate& gate, int id);
bool ReadBandwidth(EngineGate& gate, float& send, float& receive);

}  // namespace korvane
