// The engine's version (GetVersion's three numbers) as every front end shows it.
#pragma once

#include <array>
#include <string>

namespace korvane {

// "major.minor.build", e.g. "1.0.3".
inline std::string VersionText(const std::array<int, 3>& version) {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." +
           std::to_string(version[2]);
}

}  // namespace korvane
