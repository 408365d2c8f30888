// The console pane's rules applied to plain text: the trimming when the pane is too long and
// the line rules of each appended line. Lets a whole refresh's batch of lines be applied to
// the edit control in one replacement while showing exactly what appending them one by one
// would show.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "host/ConsoleLine.h"

namespace korvane {

// The window's console pane keeps this many lines, the oldest going first.
inline constexpr int kPaneMaxLines = 250;

// Lines as the edit control counts them: every "\r\n" ends one, and the text after the last
// one (possibly empty) is one more.
int CountConsoleLines(std::string_view text);
// Character index where line `line` begins (the text's length when there are fewer lines).
size_t ConsoleLineStart(std::string_view text, int line);

class ConsoleBuffer {
  public:
    // `text` is what the pane holds now; `limit` is the control's text limit.
    ConsoleBuffer(std::string text, size_t limit);

    // Exactly what appending `line` to the control does, trimming first where needed.
    void Append(std::string_view line);

    const std::string& Text() const { return text_; }
    // How the control gets from its old text to Text(): delete this many characters at the
    // front, then append Text().substr(KeptFromOriginal()). When nothing of the old text is
    // left, KeptFromOriginal() is 0 and the whole text is replaced.
    size_t RemovedFromOriginal() const { return removedFromOriginal_; }
    size_t KeptFromOriginal() const { return keptFromOriginal_; }
    bool OriginalGone() const { return keptFromOriginal_ == 0 && removedFromOriginal_ > 0; }

  private:
    void TrimOldest();

    std::string text_;
    size_t limit_;
    size_t removedFromOriginal_ = 0;
    size_t keptFromOriginal_;
    int lines_;  // CountConsoleLines(text_), kept up to date
};

}  // namespace korvane
