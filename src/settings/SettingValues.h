// The bounds of a console command and of the rotation, and the conversions between the
// engine's floats, the pages' integers and command texts. No windows and no engine here, so
// these rules can be checked anywhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace korvane {

// A command, with its terminator, fits this buffer; a longer one is refused, never cut.
inline constexpr int kCommandSize = 256;
// The longest command an operator types, in the window's command line or through the web.
inline constexpr size_t kMaxTypedCommandLength = 119;
// Rotation entries beyond this are never read, marked or written: a hand-edited "nummaps" of
// billions (or a negative one) must not turn into a loop of billions.
inline constexpr uint32_t kMaxMapCount = 256;
// Readers of a rotation entry pass at least this much.
inline constexpr int kMapNameSize = 255;

// The engine's float, truncated toward zero; NaN gives 0 and values beyond the int range
// saturate, since the plain conversion is undefined there.
int32_t TruncateToInt(float value);

// snprintf into `buffer`; false when the result was cut to fit.
bool FormatBounded(char* buffer, int size, const char* format, ...)
    __attribute__((format(printf, 3, 4)));

// The command that switches the running game to rotation entry `index` (the variable
// "map<index>"), whoever asks for it.
std::string ChangeMapCommand(int index);

// The longest text that "+<key> \"<text>\"" can carry within a command.
size_t MaxQuotedTextLength(const char* key);

// A fraction as a slider position, rounded: 0.01 has no exact float, so a committed 60 is
// stored just below 0.6 and would otherwise open as 59.
int FractionToPosition(float fraction);
float PositionToFraction(int position);

}  // namespace korvane
