// Which listing entries are maps and what they are called; no windows here, so the rules can
// be checked as a table.
#include <cstring>
#include <string_view>

#include "editor/MapCatalog.h"
#include "settings/MapName.h"

namespace korvane {

namespace {

// The extension as the platform's path splitting sees it: from the last dot of the file-name
// part (after the last slash, backslash or drive colon), dot included; empty without one.
std::string_view Extension(std::string_view path) {
    const size_t folder = path.find_last_of("/\\:");
    const std::string_view file = folder == std::string_view::npos ? path : path.substr(folder + 1);
    const size_t dot = file.rfind('.');
    return dot == std::string_view::npos ? std::string_view() : file.substr(dot);
}

bool IsDatExtension(std::string_view extension) {
    if (extension.size() != 4) return false;
    const char* dat = ".dat";
    for (size_t i = 0; i < 4; ++i) {
        char c = extension[i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != dat[i]) return false;
    }
    return true;
}

// A broken listing that loops must not hang the dialog.
constexpr int kMaxListingEntries = 1 << 16;

}  // namespace

std::optional<std::string> CatalogMapName(const DirectoryEntry& entry, bool useAlternativeName) {
    if (entry.kind != kDirectoryEntryFile || !entry.name) return std::nullopt;
    if (!IsDatExtension(Extension(entry.name))) return std::nullopt;
    const char* source = useAlternativeName ? entry.alternativeName : entry.name;
    if (!source) return std::nullopt;
    std::string name(source, strnlen(source, kMaxCatalogName + 1));
    if (name.size() > kMaxCatalogName) return std::nullopt;
    // The four characters are taken to be the ".dat" of the name; they are not compared again.
    if (name.size() > 4) name.resize(name.size() - 4);
    return LowerMapName(std::move(name));
}

void AppendCatalogNames(const DirectoryEntry* head, bool useAlternativeName,
                        std::vector<std::string>& names) {
    int seen = 0;
    for (const DirectoryEntry* entry = head; entry && seen < kMaxListingEntries;
         entry = entry->next, ++seen) {
        if (auto name = CatalogMapName(*entry, useAlternativeName))
            names.push_back(std::move(*name));
    }
}

}  // namespace korvane
