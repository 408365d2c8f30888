// The map rotation as the variables hold it: "nummaps" entries, "map0".."map<nummaps-1>", of
// which an empty or missing one is skipped.
#pragma once

#include <string_view>

#include "VariableStore.h"

namespace korvane {

class MapRotation {
  public:
    static constexpr int kMaxEntries = 1000;  // bounds a hand-edited "nummaps"

    // Creates "nummaps" (0) when it does not exist yet.
    explicit MapRotation(VariableStore& variables)
        : variables_(variables), count_(&variables.Ensure("nummaps", "0")) {}

    int Count() const;
    // Entry `index`, or null when it is outside the rotation or empty.
    const Variable* Entry(int index) const;
    // The position of `map` (any case) in the rotation; -1 when it is not in it.
    int IndexOf(std::string_view map) const;
    // The next entry after position `after` (-1: from the start), wrapping round; -1 when the
    // rotation has none.
    int Next(int after) const;

  private:
    VariableStore& variables_;
    Variable* count_;  // cached: variables are never removed
};

}  // namespace korvane
