// The interface's look-ups over variables and players.
#include "EngineSlots.h"

#include <algorithm>
#include <cstring>

namespace korvane {

int VariableSlots::FindVariable(const char* name, void** handle) {
    Variable* variable = name == nullptr ? nullptr : variables_.Find(name);
    if (handle != nullptr) *handle = variable;
    return variable != nullptr ? 1 : 0;
}

int VariableSlots::GetVariableValue(void* handle, float* value) {
    const Variable* variable = variables_.FromHandle(handle);
    if (value != nullptr) *value = variable != nullptr ? variable->value : 0.0f;
    return variable != nullptr ? 1 : 0;
}

int VariableSlots::GetVariableString(void* handle, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return 0;
    const Variable* variable = variables_.FromHandle(handle);
    if (variable == nullptr) {
        buffer[0] = '\0';
        return 0;
    }
    size_t length = std::min(variable->text.size(), static_cast<size_t>(size) - 1);
    std::memcpy(buffer, variable->text.data(), length);
    buffer[length] = '\0';
    return 1;
}

int VariableSlots::GetVariableFlags(const char* name, int* flags) {
    const Variable* variable = name == nullptr ? nullptr : variables_.Find(name);
    int result = variable != nullptr ? variable->flags : 0;
    if (flags != nullptr) *flags = result;
    return result;
}

int VariableSlots::SetVariableFlags(const char* name, int flags) {
    Variable* variable = name == nullptr ? nullptr : variables_.Find(name);
    if (variable == nullptr) return 0;  // flags never create a variable
    variable->flags = flags;
    return 1;
}

int PlayerSlots::GetPlayerInfo(int id, PlayerInfo* info) {
    if (info == nullptr) return 0;
    std::memset(info, 0, sizeof *info);
    const Player* player = game_.Players().Find(id);
    if (player == nullptr) return 0;
    // The engine's part of the record: id, team, specialty, then the name.
    int32_t numbers[3] = {player->id, player->team, player->specialty};
    std::memcpy(info->engineData, numbers, sizeof numbers);
    size_t nameRoom = sizeof info->engineData - sizeof numbers - 1;
    std::memcpy(info->engineData + sizeof numbers, player->name.data(),
                std::min(player->name.size(), nameRoom));
    std::memcpy(&info->pingSeed, &player->pingSeconds, sizeof info->pingSeed);
    return 1;
}

int PlayerSlots::KickPlayer(int id) {
    if (game_.Players().Remove(id, Departure::Kicked)) return 1;
    console_.Print("kick: no player with id %d", id);
    return 0;
}

int PlayerSlots::GetPlayerPing(int id, float* ping) {
    // The host seeds the float with the last ping it was given for the row; a player who has
    // gone keeps showing that rather than a jump to zero until the row disappears.
    const Player* player = game_.Players().Find(id);
    if (ping == nullptr || player == nullptr) return 0;
    *ping = player->pingSeconds;
    return 1;
}

}  // namespace korvane
