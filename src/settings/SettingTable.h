// The server options the front end manages: key, type, default and the field that mirrors
// the engine's value; the bandwidth presets and the default map rotation.
#pragma once

#include <cstdint>

namespace korvane {

enum SettingType : int32_t {
    String = 0,
    Float = 1,
    Integer = 2,
    Boolean = 3,
};

struct SettingEntry {
    const char* name;
    int32_t type;
    char text[60];  // default of a String row, with its own double quotes
    float number;   // default of any other row
    void* target;   // 32-bit field of serverSettings that receives the loaded value, or null
};

inline constexpr int kSettingCount = 37;
extern const SettingEntry SettingTable[kSettingCount];

inline constexpr int kBandwidthPresetCount = 6;
inline constexpr int kCustomBandwidthPreset = 5;
inline constexpr int kDefaultBandwidthPreset = 2;
extern const char* const BandwidthPresetNames[kBandwidthPresetCount];
extern const uint32_t BandwidthPresetValues[kBandwidthPresetCount];

inline constexpr int kDefaultMapCount = 13;
extern const char* const DefaultMapRotation[kDefaultMapCount];

}  // namespace korvane
