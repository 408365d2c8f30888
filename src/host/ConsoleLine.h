// One console line as every front shows it, the window's pane and the web's console alike.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace korvane {

inline constexpr size_t kConsoleLineChars = 499;

// At most 499 characters (up to a NUL), one trailing control character dropped, then "\r\n".
// Empty when nothing is to be added.
std::string FormatConsoleLine(std::string_view text);

}  // namespace korvane
