// The texts the simulated players are made of: their built-in names, their chat, the sides'
// and specialties' names as the console prints them, and the weapon each specialty carries.
#pragma once

#include <cstddef>

namespace korvane {

const char* TeamName(int team);
const char* SpecialtyName(int specialty);
const char* WeaponName(int specialty);

// The built-in player names and chat lines; index below the count.
size_t BuiltInNameCount();
const char* BuiltInName(size_t index);
size_t ChatLineCount();
const char* ChatLine(size_t index);

}  // namespace korvane
