// Password values taken out of console lines.
#include "host/SecretValues.h"

#include <cctype>

namespace korvane {

bool IsSecretVariable(std::string_view name) {
    constexpr std::string_view kWord = "password";
    if (name.size() < kWord.size()) return false;
    for (size_t at = 0; at + kWord.size() <= name.size(); ++at) {
        size_t i = 0;
        while (i < kWord.size() &&
               std::tolower(static_cast<unsigned char>(name[at + i])) == kWord[i])
            ++i;
        if (i == kWord.size()) return true;
    }
    return false;
}

namespace {

// The blanks the engine splits a command at.
bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f';
}

size_t SkipBlanks(std::string_view text, size_t at) {
    while (at < text.size() && IsBlank(text[at])) ++at;
    return at;
}

bool StartsWith(std::string_view text, std::string_view prefix) {
    return text.substr(0, prefix.size()) == prefix;
}

// " (flags 5)" at the end of a cvarlist line, after the value's closing quote: its length, or
// 0 when the line does not end so.
size_t FlagsSuffix(std::string_view value) {
    constexpr std::string_view kOpen = "\" (flags ";
    if (value.size() < 2 || value.front() != '"' || value.back() != ')') return 0;
    size_t digits = value.size() - 1;
    while (digits > 0 && std::isdigit(static_cast<unsigned char>(value[digits - 1]))) --digits;
    if (digits == value.size() - 1 || digits < kOpen.size() ||
        value.substr(digits - kOpen.size(), kOpen.size()) != kOpen || digits - kOpen.size() == 0)
        return 0;
    return value.size() - (digits - kOpen.size()) - 1;  // from the blank after the quote
}

std::string HideInLine(std::string_view line) {
    // The name as the engine reads it: after blanks and an optional '+', up to a blank.
    size_t start = SkipBlanks(line, 0);
    if (start < line.size() && line[start] == '+') start = SkipBlanks(line, start + 1);
    size_t end = start;
    while (end < line.size() && !IsBlank(line[end])) ++end;
    if (!IsSecretVariable(line.substr(start, end - start))) return std::string(line);
    const size_t valueAt = SkipBlanks(line, end);
    if (valueAt == line.size()) return std::string(line);  // the name alone asks for the value

    std::string hidden(line.substr(0, valueAt));
    std::string_view value = line.substr(valueAt);
    // The engine's reports quote the value after words of their own.
    for (std::string_view words : {"changed to ", "is "}) {
        if (StartsWith(value, words) && value.size() > words.size() && value[words.size()] == '"') {
            hidden.append(words);
            value.remove_prefix(words.size());
            break;
        }
    }
    if (value.front() != '"') return hidden + kHiddenValue;
    const size_t flags = FlagsSuffix(value);
    return hidden + '"' + kHiddenValue + '"' + std::string(value.substr(value.size() - flags));
}

}  // namespace

std::string HideSecretValue(std::string_view text) {
    // An engine's text may hold several lines (the log writes each as its own): each is read
    // as a line of its own.
    std::string hidden;
    for (;;) {
        const size_t end = text.find('\n');
        hidden += HideInLine(text.substr(0, end));
        if (end == std::string_view::npos) return hidden;
        hidden += '\n';
        text.remove_prefix(end + 1);
    }
}

void HideSecretValues(std::vector<std::string>& lines) {
    // Only a line with the word anywhere can name such a variable: the rest (nearly all, in a
    // flood) is left untouched and uncopied.
    for (std::string& line : lines)
        if (IsSecretVariable(line)) line = HideSecretValue(line);
}

}  // namespace korvane
