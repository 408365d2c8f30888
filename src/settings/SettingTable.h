// The server options the front end manages: key, type, default and the field of
// ServerSettings that mirrors the engine's value; the bandwidth presets and the default map
// rotation. The table is the one owner of the options' console names.
#pragma once

#include <cstdint>

namespace korvane {

class ServerSettings;

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
    // The field that receives the loaded value and that Set changes; none for the texts,
    // the rotation rows and the map count.
    int32_t ServerSettings::*intField;
    float ServerSettings::*floatField;
};

inline constexpr int kSettingCount = 37;
extern const SettingEntry SettingTable[kSettingCount];

// The rotation's names: entry i is the variable "map<i>", the count is "nummaps" (which the
// engine also knows as "NumMaps", the spelling it is read back under).
inline constexpr char kMapEntryKey[] = "map%d";
inline constexpr char kMapCountKey[] = "nummaps";
inline constexpr char kMapCountReadKey[] = "NumMaps";

// The text options, in the table's first six rows.
enum class TextOption {
    ServerName,
    AdminName,
    AdminEmail,
    ServerWebsite,
    ServerPassword,
    RemoteAdminPassword
};
inline constexpr int kTextOptionCount = 6;
inline const char* TextOptionKey(TextOption option) {
    return SettingTable[static_cast<int>(option)].name;
}

inline constexpr int kBandwidthPresetCount = 6;
inline constexpr int kCustomBandwidthPreset = 5;
inline constexpr int kDefaultBandwidthPreset = 2;
extern const char* const BandwidthPresetNames[kBandwidthPresetCount];
extern const uint32_t BandwidthPresetValues[kBandwidthPresetCount];

inline constexpr int kDefaultMapCount = 13;
extern const char* const DefaultMapRotation[kDefaultMapCount];

}  // namespace korvane
