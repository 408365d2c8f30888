// Texts (and the icon) from the program's own resources, and window texts as std::string.
#pragma once

#include <windows.h>

#include <string>

namespace korvane::ui {

// A string of the program's own string table; empty when it has none with that id.
inline std::string ProgramString(UINT id) {
    char text[256] = {};
    LoadStringA(GetModuleHandleA(nullptr), id, text, sizeof text);
    return text;
}

// An icon of the program's own resources; shared, so it is never destroyed.
inline HICON ProgramIcon(UINT id) {
    return LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(id));
}

// A window's whole text, whatever its length.
inline std::string WindowText(HWND window) {
    const int length = GetWindowTextLengthA(window);
    std::string text(static_cast<size_t>(length > 0 ? length : 0) + 1, '\0');
    const int got = GetWindowTextA(window, text.data(), static_cast<int>(text.size()));
    text.resize(got > 0 ? static_cast<size_t>(got) : 0);
    return text;
}

}  // namespace korvane::ui
