// How long the map rotation is after the configuration file has run, when its "nummaps" does
// not fit the entries it holds (only a hand-edited file gives that). No engine here: the
// caller says what it finds at each entry, so the rule can be checked as a table.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

namespace korvane {

// What the load finds at rotation entry i once the file has run.
enum class RotationSlot {
    Missing,      // the engine has no such variable
    DefaultName,  // it still holds exactly the default name sent before the file ran
    FromFile,     // a name the file must have set
};

struct RotationCount {
    uint32_t count = 0;
    // What was wrong and what is used instead, for the console; empty when the file's count
    // stands.
    std::string notice;
};

// `fileCount` is "nummaps" truncated toward zero and `fileText` its text, both as the engine
// holds them after the file ran; entries are looked at below `maxCount` only.
RotationCount DecideRotationCount(int32_t fileCount, std::string_view fileText, uint32_t maxCount,
                                  const std::function<RotationSlot(uint32_t index)>& entryAt);

}  // namespace korvane
