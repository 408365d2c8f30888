// The resource archives handed to the engine: two fixed names, then one per line of the
// optional "resource.txt".
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace korvane {

inline constexpr int kMaxResourceArchives = 32;
inline constexpr size_t kMaxResourceNameLength = 1023;

// Every non-empty line of `text`, each cut to 1023 characters (the rest of a longer line is
// dropped, not taken as another name). A final line without a line feed counts too.
std::vector<std::string> ParseResourceLines(std::string_view text);

// "korvane", "korvane.rez", then the lines; at most 32 names in all.
std::vector<std::string> ResourceArchiveNames(std::string_view resourceText);

}  // namespace korvane
