// Splitting of console command lines into name and value.
#include "CommandLine.h"

#include <cerrno>
#include <climits>
#include <cstdlib>

namespace korvane {

bool ParseInt(std::string_view text, int& value) {
    std::string digits(TrimSpace(text).substr(0, 32));
    if (digits.empty()) return false;
    char* end = nullptr;
    errno = 0;
    long number = std::strtol(digits.c_str(), &end, 10);
    if (errno != 0 || *end != '\0' || number < INT_MIN || number > INT_MAX) return false;
    value = static_cast<int>(number);
    return true;
}

bool IsSpace(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

std::string_view TrimSpace(std::string_view text) {
    while (!text.empty() && IsSpace(text.front())) text.remove_prefix(1);
    while (!text.empty() && IsSpace(text.back())) text.remove_suffix(1);
    return text;
}

CommandParts SplitCommand(std::string_view line) {
    line = TrimSpace(line);
    if (!line.empty() && line.front() == '+') line = TrimSpace(line.substr(1));
    size_t end = 0;
    while (end < line.size() && !IsSpace(line[end])) ++end;
    return {line.substr(0, end), TrimSpace(line.substr(end))};
}

std::string CommandValue(std::string_view rest) {
    rest = TrimSpace(rest);
    if (!rest.empty() && rest.front() == '"') {
        size_t last = rest.rfind('"');
        // A lone opening quote: take what follows it rather than dropping the value.
        rest = last == 0 ? rest.substr(1) : rest.substr(1, last - 1);
    }
    std::string value;
    value.reserve(rest.size());
    for (char c : rest)
        if (c != '\r' && c != '\n') value.push_back(c);
    return value;
}

bool IsCommentOrBlank(std::string_view line) {
    line = TrimSpace(line);
    return line.empty() || line.front() == '#' || line.substr(0, 2) == "//";
}

}  // namespace korvane
