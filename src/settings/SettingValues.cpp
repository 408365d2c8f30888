// Command bounds and value conversions.
#include "settings/SettingValues.h"

#include <cmath>
#include <cstdarg>
#include <cstdio>
#include <cstring>

namespace korvane {

int32_t TruncateToInt(float value) {
    if (std::isnan(value)) return 0;
    if (value >= 2147483648.0f) return INT32_MAX;
    if (value <= -2147483648.0f) return INT32_MIN;
    return static_cast<int32_t>(value);
}

bool FormatBounded(char* buffer, int size, const char* format, ...) {
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(buffer, static_cast<size_t>(size), format, args);
    va_end(args);
    return length >= 0 && length < size;
}

std::string ChangeMapCommand(int index) {
    return "changemap " + std::to_string(index);
}

size_t MaxQuotedTextLength(const char* key) {
    const size_t overhead = std::strlen(key) + 4;  // '+', the blank and the two quotes
    return overhead < kCommandSize - 1 ? kCommandSize - 1 - overhead : 0;
}

int FractionToPosition(float fraction) {
    const double scaled = static_cast<double>(fraction * 100.0f);
    if (!(scaled == scaled)) return 0;
    if (scaled > 1e6) return 1000000;
    if (scaled < -1e6) return -1000000;
    return static_cast<int>(std::lround(scaled));
}

float PositionToFraction(int position) {
    return static_cast<float>(position) * 0.01f;
}

}  // namespace korvane
