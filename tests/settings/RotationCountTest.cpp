// The rotation length a hand-edited "nummaps" leaves, decided from the entries the file holds.
#include <gtest/gtest.h>

#include <string>

#include "settings/RotationCount.h"

namespace korvane {
namespace {

// Entries as a string, one letter each from map0 on: 'f' set by the file, 'd' the default
// name, '-' missing; everything after the string is missing.
RotationCount Decide(int32_t count, const std::string& entries) {
    return DecideRotationCount(count, std::to_string(count), 256, [&](uint32_t i) {
        const char kind = i < entries.size() ? entries[i] : '-';
        return kind == 'f'   ? RotationSlot::FromFile
               : kind == 'd' ? RotationSlot::DefaultName
                             : RotationSlot::Missing;
    });
}

TEST(RotationCount, ACountThatFitsStandsAndOneThatDoesNotFollowsTheFileEntries) {
    const std::string threeOfTheFile = "fffdddddddddd";
    struct Case {
        int32_t count;
        std::string entries;
        uint32_t expected;
        bool notice;
    } cases[] = {
        {5, "ddddddddddddd", 5, false},
        {0, threeOfTheFile, 0, false},  // a shortened rotation keeps entries past its end
        {13, threeOfTheFile, 13, false},
        {256, std::string(256, 'f'), 256, false},
        // Nothing the file holds is dropped, no default it never held is added.
        {-5, threeOfTheFile, 3, true},
        {100000000, threeOfTheFile, 3, true},
        {20, threeOfTheFile, 3, true},  // map19 does not exist
        {257, std::string(300, 'f'), 256, true},
        // Default-named or missing entries before a file entry stay: a rotation has no holes.
        {-1, "fdddd-fddddddff", 15, true},
        // Nothing differs from the defaults: the default rotation, as without a file.
        {-5, "ddddddddddddd", 13, true},
        {-5, "", 0, true},
    };
    for (const Case& c : cases) {
        const RotationCount result = Decide(c.count, c.entries);
        EXPECT_EQ(result.count, c.expected) << c.count << " " << c.entries;
        EXPECT_EQ(!result.notice.empty(), c.notice) << c.count << " " << c.entries;
    }
    const std::string notice = Decide(-5, threeOfTheFile).notice;
    EXPECT_NE(notice.find("nummaps \"-5\""), std::string::npos) << notice;
    EXPECT_NE(notice.find("3 entries the file holds (map0 to map2)"), std::string::npos) << notice;
    EXPECT_NE(Decide(-5, "ddd").notice.find("default rotation of 3 maps"), std::string::npos);
}

}  // namespace
}  // namespace korvane
