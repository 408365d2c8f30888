// The console lines the web page shows: the last lines the console pane received, numbered, so
// that a browser polling with "after=N" gets each line once. Safe to use from any thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::web {

struct ConsoleLine {
    uint64_t seq = 0;  // 1 for the first line ever appended
    std::string text;
};

struct ConsolePage {
    std::vector<ConsoleLine> lines;
    uint64_t next = 0;   // the "after" for the next read
    uint64_t first = 0;  // oldest line still held (0 when empty); lines before it are gone
    bool more = false;   // the page was cut by its bounds; read again at once
};

class ConsoleRing {
  public:
    static constexpr size_t kDefaultCapacity = 2000;
    static constexpr size_t kMaxLineLength = 1024;

    explicit ConsoleRing(size_t capacity = kDefaultCapacity);

    // Keeps the newest `capacity` lines; a line is cut to kMaxLineLength characters and loses
    // its trailing line break.
    void Append(std::string_view line);

    // Lines with a number above `after`, oldest first, at most `maxLines` of them and about
    // `maxBytes` of text (always at least one line when there is one). An `after` beyond the
    // newest line (the ring was made anew) reads from the oldest line.
    ConsolePage Read(uint64_t after, size_t maxLines, size_t maxBytes) const;

  private:
    mutable std::mutex mutex_;
    size_t capacity_;
    std::deque<std::string> lines_;
    uint64_t nextSeq_ = 1;  // number of the next appended line
};

}  // namespace korvane::web
