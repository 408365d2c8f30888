// The engine's console output: formatted, bounded lines handed to whoever listens.
#pragma once

#include <cstddef>
#include <cstdint>

// MinGW's plain "printf" checks against the Microsoft runtime's formats; the engine formats
// with the standard ones. Clang knows only "printf", which means the standard ones there.
#if defined(__clang__)
#define KORVANE_PRINTF_FORMAT(fmt, args) __attribute__((format(printf, fmt, args)))
#elif defined(__GNUC__)
#define KORVANE_PRINTF_FORMAT(fmt, args) __attribute__((format(gnu_printf, fmt, args)))
#else
#define KORVANE_PRINTF_FORMAT(fmt, args)
#endif

namespace korvane {

class ConsoleSink {
  public:
    // One line, ending in "\n" and holding no other line break.
    virtual void WriteLine(const char* line) = 0;

  protected:
    ~ConsoleSink() = default;
};

// Copies length bytes of text into out (room bytes, at least 1) as one printable line: CR and
// LF become blanks and any other control byte but the tab is shown as "\xNN", so a damaged
// file or a hostile name cannot put raw control bytes on the operator's console. Cut to fit,
// never inside an escape; returns the length written, without the terminator.
size_t CleanLine(const char* text, size_t length, char* out, size_t room);

class Console {
  public:
    static constexpr int kMaxLineLength = 1022;  // longer lines are cut

    void SetSink(ConsoleSink* sink) { sink_ = sink; }

    // Untrusted texts go in as "%s" arguments, never as the format.
    void Print(const char* format, ...) KORVANE_PRINTF_FORMAT(2, 3);
    // Lines printed so far, whether or not anyone listened: a measure of work done.
    uint64_t LinesPrinted() const { return printed_; }

  private:
    ConsoleSink* sink_ = nullptr;
    uint64_t printed_ = 0;
};

// "hh:mm:ss", with a leading "Nd " once a day has passed.
void FormatClock(uint64_t seconds, char* buffer, int size);

}  // namespace korvane
