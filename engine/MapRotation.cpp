#include "MapRotation.h"

#include <cstdio>

#include "CommandLine.h"

namespace korvane {

int MapRotation::Count() const {
    const float value = count_->value;
    if (!(value >= 0.0f)) return 0;  // NaN lands here too
    if (value >= static_cast<float>(kMaxEntries)) return kMaxEntries;
    return static_cast<int>(value);
}

const Variable* MapRotation::Entry(int index) const {
    if (index < 0 || index >= Count()) return nullptr;
    char name[32];
    std::snprintf(name, sizeof name, "map%d", index);
    const Variable* entry = variables_.Find(name);
    return entry != nullptr && !TrimSpace(entry->text).empty() ? entry : nullptr;
}

int MapRotation::IndexOf(std::string_view map) const {
    for (int i = 0, count = Count(); i < count; ++i)
        if (const Variable* entry = Entry(i); entry && EqualsIgnoreCase(entry->text, map)) return i;
    return -1;
}

int MapRotation::Next(int after) const {
    int count = Count();
    for (int step = 1; step <= count; ++step) {
        int index = (after + step) % count;
        if (index < 0) index += count;
        if (Entry(index) != nullptr) return index;
    }
    return -1;
}

}  // namespace korvane
