// Splitting of console command lines and configuration text into their parts. Pure text
// handling: nothing here ever uses a command's text as a format string.
#pragma once

#include <string>
#include <string_view>

namespace korvane {

struct CommandParts {
    std::string_view name;  // without the optional leading '+'
    std::string_view rest;  // everything after the name, outer blanks removed
};

// Blanks, tabs, CR, LF, VT and FF.
bool IsSpace(char c);
std::string_view TrimSpace(std::string_view text);

CommandParts SplitCommand(std::string_view line);

// The value a "name value" command assigns. When the rest begins with a double quote, the value
// is everything between that quote and the last double quote of the line, so a value inserted
// verbatim between quotes keeps any quotes of its own; otherwise it is the rest as it stands.
// CR and LF never survive into a value.
std::string CommandValue(std::string_view rest);

// A whole decimal number and nothing else ("4", "-1"); false for "4x", "" or out of range.
bool ParseInt(std::string_view text, int& value);

// Blank lines and lines beginning with "//" or "#" carry no command.
bool IsCommentOrBlank(std::string_view line);

// Calls visit(line) for each line of text (LF or CRLF separated, a UTF-8 byte-order mark
// at the start skipped).
template <typename Visit>
void ForEachLine(std::string_view text, Visit&& visit) {
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    while (!text.empty()) {
        size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        visit(line);
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
}

}  // namespace korvane
