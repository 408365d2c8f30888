// The system's own text for a Win32 error code, for messages to the operator.
#pragma once

#include <windows.h>

#include <cstdio>
#include <string>

namespace korvane::ui {

// One line without the trailing period and line end; "error N" when the system has no text.
inline std::string SystemErrorText(DWORD error) {
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                                  nullptr, error, 0, text, sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\r' || text[length - 1] == '\n' ||
                          text[length - 1] == '.' || text[length - 1] == ' '))
        text[--length] = '\0';
    if (length == 0) std::snprintf(text, sizeof text, "error %lu", error);
    return text;
}

}  // namespace korvane::ui
