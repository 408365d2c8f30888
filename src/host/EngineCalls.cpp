#include "host/EngineCalls.h"

#include <cstring>

namespace korvane {

bool ExecuteCommand(EngineGate& gate, const std::string& command) {
    return gate.ExecuteCommand(command.c_str());
}

bool KickPlayer(EngineGate& gate, int id) {
    return gate.WithEngine([id](EngineInterface& engine) { engine.KickPlayer(id); });
}

float PlayerPing(EngineGate& gate, int id) {
    PlayerInfo info = {};
    gate.WithEngine([&](EngineInterface& engine) { engine.GetPlayerInfo(id, &info); });
    float ping = 0;
    static_assert(sizeof ping == sizeof info.pingSeed);
    std::memcpy(&ping, &info.pingSeed, sizeof ping);
    gate.WithEngine([&](EngineInterface& engine) { engine.GetPlayerPing(id, &ping); });
    return ping;
}

bool ReadBandwidth(EngineGate& gate, float& send, float& receive) {
    return gate.WithEngine([&](EngineInterface& engine) { engine.GetBandwidth(&send, &receive); });
}

}  // namespace korvane
