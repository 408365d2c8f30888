// Console pane rules on plain text.
#include "console/ConsoleBuffer.h"

#include <algorithm>

namespace korvane {

int CountConsoleLines(std::string_view text) {
    int lines = 1;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos;
         at = text.find("\r\n", at + 2))
        ++lines;
    return lines;
}

size_t ConsoleLineStart(std::string_view text, int line) {
    size_t start = 0;
    for (int i = 0; i < line; ++i) {
        const size_t end = text.find("\r\n", start);
        if (end == std::string_view::npos) return text.size();
        start = end + 2;
    }
    return start;
}

ConsoleBuffer::ConsoleBuffer(std::string text, size_t limit)
    : text_(std::move(text)),
      limit_(limit),
      keptFromOriginal_(text_.size()),
      lines_(CountConsoleLines(text_)) {}

void ConsoleBuffer::TrimOldest() {
    const int keepFrom = lines_ * 75 / 100;
    const size_t cut = ConsoleLineStart(text_, keepFrom);
    if (cut == 0) return;
    text_.erase(0, cut);
    lines_ -= keepFrom;
    const size_t fromOriginal = std::min(cut, keptFromOriginal_);
    removedFromOriginal_ += fromOriginal;
    keptFromOriginal_ -= fromOriginal;
}

void ConsoleBuffer::Append(std::string_view line) {
    if (lines_ > kPaneMaxLines) TrimOldest();
    if (text_.size() >= limit_) TrimOldest();
    std::string formatted = FormatConsoleLine(line);
    if (formatted.empty()) return;
    // The control takes no more than its limit; the rest of the line is lost, as it would be.
    const size_t room = limit_ > text_.size() ? limit_ - text_.size() : 0;
    const size_t before = text_.size();
    text_.append(formatted, 0, std::min(room, formatted.size()));
    // Only line ends that finish inside the appended part are new (one may start on the
    // old text's last character).
    lines_ += CountConsoleLines(std::string_view(text_).substr(before > 0 ? before - 1 : 0)) - 1;
}

}  // namespace korvane
