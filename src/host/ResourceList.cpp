// Parsing of "resource.txt".
#include "host/ResourceList.h"

namespace korvane {

std::vector<std::string> ParseResourceLines(std::string_view text) {
    std::vector<std::string> lines;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        // A file saved with Windows line ends may reach us with its carriage returns.
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        lines.emplace_back(line.substr(0, kMaxResourceNameLength));
    }
    return lines;
}

std::vector<std::string> ResourceArchiveNames(std::string_view resourceText) {
    std::vector<std::string> names = {"korvane", "korvane.rez"};
    for (std::string& line : ParseResourceLines(resourceText)) {
        if (names.size() >= kMaxResourceArchives) break;
        names.push_back(std::move(line));
    }
    return names;
}

}  // namespace korvane
