// One console line as every front shows it.
#include "host/ConsoleLine.h"

#include <algorithm>

namespace korvane {

std::string FormatConsoleLine(std::string_view text) {
    text = text.substr(0, std::min(text.size(), text.find('\0')));
    text = text.substr(0, std::min(text.size(), kConsoleLineChars));
    if (text.empty()) return {};
    if (static_cast<unsigned char>(text.back()) < 32) text.remove_suffix(1);
    std::string line(text);
    line += "\r\n";
    return line;
}

}  // namespace korvane
