// Which listing entries the map catalog takes and what it calls them.
#include <gtest/gtest.h>

#include <optional>
#include <string>

#include "editor/MapCatalog.h"

namespace korvane {
namespace {

struct CatalogCase {
    int32_t kind;
    const char* name;
    const char* alternativeName;
    bool useAlternative;
    std::optional<std::string> expected;
};

TEST(MapCatalogFilter, TakesDatFilesByTheirNameAndKeepsTheChosenNameLessFourCharacters) {
    const std::string longest = "worlds/" + std::string(kMaxCatalogName - 7 - 4, 'm') + ".dat";
    const std::string tooLong = longest + "x";
    const CatalogCase cases[] = {
        {1, "lima.dat", "worlds/lima.dat", true, "worlds/lima"},
        {1, "Lima.DAT", "Worlds/Lima.DAT", true, "worlds/lima"},
        {1, "usa.DaT", "worlds/USA.dAt", true, "worlds/usa"},
        {1, "Lima.DAT", "ignored", false, "lima"},
        // The extension is judged on the name; the four dropped characters are not compared.
        {1, "lima.dat", "worlds/lima.txt", true, "worlds/lima"},
        {1, "lima.txt", "worlds/lima.dat", true, std::nullopt},
        {1, "lima.dat.bak", "worlds/lima.dat.bak", true, std::nullopt},
        {1, "lima", "worlds/lima", true, std::nullopt},
        {1, "lima.da", "worlds/lima.da", true, std::nullopt},
        {1, "v1.dat/lima", "worlds/v1.dat/lima", true, std::nullopt},
        {2, "archive.dat", "worlds/archive.dat", true, std::nullopt},
        {0, "lima.dat", "worlds/lima.dat", true, std::nullopt},
        // Four characters or fewer are kept whole.
        {1, "abcd.dat", "ABCD", true, "abcd"},
        {1, "x.dat", "Ab", true, "ab"},
        {1, "x.dat", "ABCDE", true, "a"},
        // Only A to Z change case.
        {1, "\xC4gypten.dat", "worlds/\xC4GYPTEN.dat", true, "worlds/\xC4gypten"},
        // Entries without the chosen name, and names too long for the catalog, are left out
        // rather than cut.
        {1, "x.dat", nullptr, true, std::nullopt},
        {1, nullptr, "worlds/x.dat", true, std::nullopt},
        {1, "m.dat", longest.c_str(), true, longest.substr(0, longest.size() - 4)},
        {1, "m.dat", tooLong.c_str(), true, std::nullopt},
    };
    for (const CatalogCase& c : cases) {
        DirectoryEntry entry = {c.kind, const_cast<char*>(c.name),
                                const_cast<char*>(c.alternativeName), nullptr};
        EXPECT_EQ(CatalogMapName(entry, c.useAlternative), c.expected)
            << c.kind << " " << (c.name ? c.name : "(null)") << " "
            << (c.alternativeName ? c.alternativeName : "(null)");
    }
}

}  // namespace
}  // namespace korvane
