// Formats console lines into a fixed buffer, so printing costs no allocation.
#include "Console.h"

#include <cstdarg>
#include <cstdio>

namespace korvane {

size_t CleanLine(const char* text, size_t length, char* out, size_t room) {
    static const char kHex[] = "0123456789ABCDEF";
    size_t written = 0;
    for (size_t i = 0; i < length; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '\r' || c == '\n' || c == '\t' || (c >= 0x20 && c != 0x7F)) {
            if (written + 1 >= room) break;
            out[written++] = c == '\r' || c == '\n' ? ' ' : static_cast<char>(c);
        } else {
            if (written + 4 >= room) break;
            out[written++] = '\\';
            out[written++] = 'x';
            out[written++] = kHex[c >> 4];
            out[written++] = kHex[c & 0xF];
        }
    }
    out[written] = '\0';
    return written;
}

void Console::Print(const char* format, ...) {
    if (format == nullptr) return;
    ++printed_;
    if (sink_ == nullptr) return;
    char text[kMaxLineLength + 1];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > kMaxLineLength) length = kMaxLineLength;
    // Each call delivers exactly one line, whatever the printed texts contained.
    char line[kMaxLineLength + 2];
    size_t cleaned = CleanLine(text, static_cast<size_t>(length), line, kMaxLineLength + 1);
    line[cleaned] = '\n';
    line[cleaned + 1] = '\0';
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
