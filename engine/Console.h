// The engine's console output: formatted, bounded lines handed to whoever listens.
#pragma once

#include <cstdint>

#if defined(__GNUC__)
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

class Console {
  public:
    static constexpr int kMaxLineLength = 1022;  // longer lines are cut

    void SetSink(ConsoleSink* sink) { sink_ = sink; }

    // Untrusted texts go in as "%s" arguments, never as the format.
    void Print(const char* format, ...) KORVANE_PRINTF_FORMAT(2, 3);

  private:
    ConsoleSink* sink_ = nullptr;
};

// "hh:mm:ss", with a leading "Nd " once a day has passed.
void FormatClock(uint64_t seconds, char* buffer, int size);

}  // namespace korvane
