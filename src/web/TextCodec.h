// The program's texts are in the ANSI code page; the browser speaks UTF-8.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane::web {

// Never fails: every ANSI byte has a character.
std::string AnsiToUtf8(std::string_view text);
// Empty when the text is not valid UTF-8; characters the code page lacks become '?'.
std::optional<std::string> Utf8ToAnsi(std::string_view text);

}  // namespace korvane::web
