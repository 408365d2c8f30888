// Completion of the command line's first word.
#include "console/CommandCompletion.h"

#include <algorithm>
#include <cctype>

namespace korvane {

namespace {

char Lower(char c) {
    return static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
}

bool LessIgnoringCase(const std::string& a, const std::string& b) {
    return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(),
                                        [](char x, char y) { return Lower(x) < Lower(y); });
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(),
                                              [](char x, char y) { return Lower(x) == Lower(y); });
}

}  // namespace

std::optional<std::string> CommandCompletion::Complete(std::string_view line,
                                                       const std::vector<std::string>& names) {
    if (!shown_.empty() && line == shown_ && matches_.size() > 1) {
        shown_ = matches_[next_] + rest_;
        next_ = (next_ + 1) % matches_.size();
        return shown_;
    }
    matches_.clear();
    shown_.clear();
    next_ = 0;
    const size_t space = line.find(' ');
    const std::string_view word = line.substr(0, space);
    if (word.empty()) return std::nullopt;
    rest_ = space == std::string_view::npos ? std::string() : std::string(line.substr(space));
    for (const std::string& name : names) {
        if (name.size() < word.size() || !SameIgnoringCase(name.substr(0, word.size()), word))
            continue;
        if (std::none_of(matches_.begin(), matches_.end(),
                         [&](const std::string& m) { return SameIgnoringCase(m, name); }))
            matches_.push_back(name);
    }
    if (matches_.empty()) return std::nullopt;
    std::sort(matches_.begin(), matches_.end(), LessIgnoringCase);

    // The longest prefix all matches share, in the first match's case.
    size_t common = matches_.front().size();
    for (const std::string& match : matches_) {
        size_t i = 0;
        while (i < common && i < match.size() && Lower(match[i]) == Lower(matches_.front()[i])) ++i;
        common = i;
    }
    std::string completed = matches_.front().substr(0, common);
    if (matches_.size() > 1 && completed.size() == word.size()) {
        // Nothing to add before the choice: this Tab already shows the first match that
        // changes the line.
        const size_t first = matches_.front() == word ? 1 : 0;
        completed = matches_[first];
        next_ = (first + 1) % matches_.size();
    }
    shown_ = completed + rest_;
    if (shown_ == line) {
        shown_.clear();
        return std::nullopt;
    }
    return shown_;
}

}  // namespace korvane
