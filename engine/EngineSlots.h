// The interface's plain look-ups: variables by name or handle, and players by id. They read
// and change only what they are given, so they have no state of their own.
#pragma once

#include "Console.h"
#include "Game.h"
#include "VariableStore.h"
#include "contract/EngineInterface.h"

namespace korvane {

class VariableSlots {
  public:
    explicit VariableSlots(VariableStore& variables) : variables_(variables) {}

    int FindVariable(const char* name, void** handle);
    int GetVariableValue(void* handle, float* value);
    int GetVariableString(void* handle, char* buffer, int size);
    int GetVariableFlags(const char* name, int* flags);
    int SetVariableFlags(const char* name, int flags);

  private:
    VariableStore& variables_;
};

class PlayerSlots {
  public:
    PlayerSlots(Game& game, Console& console) : game_(game), console_(console) {}

    int GetPlayerInfo(int id, PlayerInfo* info);
    int KickPlayer(int id);
    int GetPlayerPing(int id, float* ping);

  private:
    Game& game_;
    Console& console_;
};

}  // namespace korvane
