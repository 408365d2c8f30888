// Small text files read with a bound and written whole.
#pragma once

#include <cstddef>
#include <string>

namespace korvane::ui {

// At most `maxBytes` of the file; empty when it cannot be read.
std::string ReadTextFile(const std::string& path, size_t maxBytes);
// Writes a new file beside `path` and puts it in place, so that a crash never leaves half a
// file behind. False when the file could not be written.
bool WriteTextFile(const std::string& path, const std::string& text);

}  // namespace korvane::ui
