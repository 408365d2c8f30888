// The program's texts are in the ANSI code page; the browser speaks UTF-8. Passwords never go
// through the code page: they are hashed as UTF-8, converted exactly from what was typed.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace korvane::web {

// Never fails: every ANSI byte has a character.
std::string AnsiToUtf8(std::string_view text);
// Empty when the text is not valid UTF-8; characters the code page lacks become '?'.
std::optional<std::string> Utf8ToAnsi(std::string_view text);

bool IsUtf8(std::string_view text);
// Characters (code points) of valid UTF-8 text.
size_t Utf8Length(std::string_view text);
// Exact UTF-16 to UTF-8; empty when the text holds a lone surrogate.
std::optional<std::string> WideToUtf8(std::wstring_view text);

}  // namespace korvane::web
