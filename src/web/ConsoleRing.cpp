// The numbered ring of console lines for the web page.
#include "web/ConsoleRing.h"

#include <algorithm>

namespace korvane::web {

ConsoleRing::ConsoleRing(size_t capacity) : capacity_(capacity > 0 ? capacity : 1) {}

void ConsoleRing::Append(std::string_view line) {
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r')) line.remove_suffix(1);
    if (line.size() > kMaxLineLength) line = line.substr(0, kMaxLineLength);
    std::lock_guard lock(mutex_);
    if (lines_.size() == capacity_) lines_.pop_front();
    lines_.emplace_back(line);
    ++nextSeq_;
}

ConsolePage ConsoleRing::Read(uint64_t after, size_t maxLines, size_t maxBytes) const {
    std::lock_guard lock(mutex_);
    ConsolePage page;
    const uint64_t last = nextSeq_ - 1;
    page.first = lines_.empty() ? 0 : nextSeq_ - lines_.size();
    if (after > last) after = 0;
    page.next = after;
    if (lines_.empty()) return page;

    const uint64_t from = std::max(after + 1, page.first);
    size_t bytes = 0;
    for (uint64_t seq = from; seq <= last; ++seq) {
        const std::string& text = lines_[static_cast<size_t>(seq - page.first)];
        if (!page.lines.empty() &&
            (page.lines.size() >= maxLines || bytes + text.size() > maxBytes)) {
            page.more = true;
            break;
        }
        bytes += text.size();
        page.lines.push_back({seq, text});
        page.next = seq;
    }
    return page;
}

}  // namespace korvane::web
