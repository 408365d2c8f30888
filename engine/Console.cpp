// Formats console lines into a fixed buffer, so printing costs no allocation.
#include "Console.h"

#include <cstdarg>
#include <cstdio>

namespace korvane {

void Console::Print(const char* format, ...) {
    if (sink_ == nullptr || format == nullptr) return;
    char line[kMaxLineLength + 2];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(line, kMaxLineLength + 1, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > kMaxLineLength) length = kMaxLineLength;
    // Each call delivers exactly one line, whatever the printed texts contained.
    for (int i = 0; i < length; ++i)
        if (line[i] == '\r' || line[i] == '\n') line[i] = ' ';
    line[length] = '\n';
    line[length + 1] = '\0';
    sink_->WriteLine(line);
}

void FormatClock(uint64_t seconds, char* buffer, int size) {
    if (buffer == nullptr || size <= 0) return;
    unsigned days = static_cast<unsigned>(seconds / 86400);
    unsigned hours = static_cast<unsigned>(seconds / 3600 % 24);
    unsigned minutes = static_cast<unsigned>(seconds / 60 % 60);
    unsigned secs = static_cast<unsigned>(seconds % 60);
    if (days > 0)
        std::snprintf(buffer, static_cast<size_t>(size), "%ud %02u:%02u:%02u", days, hours, minutes,
                      secs);
    else
        std::snprintf(buffer, static_cast<size_t>(size), "%02u:%02u:%02u", hours, minutes, secs);
}

}  // namespace korvane
