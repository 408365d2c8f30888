// Tab completion of the command line's first word from known names (console variables, the
// history's first words): the common prefix first, then each match in turn.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane {

class CommandCompletion {
  public:
    // The line after one Tab, or nothing when there is nothing to complete. Names match the
    // first word without regard to case and are shown in their own case. When `line` is what
    // the previous Tab gave, this Tab shows the next match (wrapping round); any other line
    // starts afresh.
    std::optional<std::string> Complete(std::string_view line,
                                        const std::vector<std::string>& names);

  private:
    std::vector<std::string> matches_;
    size_t next_ = 0;
    std::string rest_;   // the line after its first word, kept as it was
    std::string shown_;  // the line the last Tab gave
};

}  // namespace korvane
