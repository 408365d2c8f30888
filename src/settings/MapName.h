// Rules for the text of a rotation entry, shared by the map dialogs, the catalog and the
// start-up; free of windows.h so they can be checked anywhere.
#pragma once

#include <cstdio>
#include <string>

#include "settings/SettingValues.h"

namespace korvane {

// One entry of the rotation as the map dialogs and the web page list it: `index`, the entry's
// own number (the variable "map<index>"), which is what "changemap" takes, and its name in
// lower case. Gaps in the rotation leave numbers out; they never shift them.
struct RotationEntry {
    int index = 0;
    std::string name;
};

// Map names are compared and stored in lower case; only A to Z are changed, so names in other
// letters of the ANSI code page pass through as they are.
inline void LowerMapName(char* name) {
    for (; *name; ++name)
        if (*name >= 'A' && *name <= 'Z') *name = static_cast<char>(*name - 'A' + 'a');
}

inline std::string LowerMapName(std::string name) {
    LowerMapName(name.data());
    return name;
}

// Whether "map<index> <name>" fits the command buffer, i.e. whether SetMapEntry can send the
// name whole at that position.
inline bool MapEntryFits(int index, const std::string& name) {
    const int prefix = std::snprintf(nullptr, 0, "map%d ", index);
    return prefix >= 0 &&
           static_cast<size_t>(prefix) + name.size() < static_cast<size_t>(kCommandSize);
}

// Whether a map name can go into the rotation at all: "map<i> <name>" must fit the command
// buffer at every position the rotation can have.
inline bool FitsAnyRotationEntry(const std::string& name) {
    return MapEntryFits(static_cast<int>(kMaxMapCount) - 1, name);
}

}  // namespace korvane
