// Decoding of the engine's event messages into the player table, and connection times.
#include <gtest/gtest.h>

#include <string>

#include "host/PlayerTable.h"

namespace korvane {
namespace {

constexpr int64_t kNow = 1000000;

std::string Message(char type, const std::string& payload) {
    return std::string(1, type) + payload;
}

EngineEventOutcome Apply(PlayerTable& table, const std::string& message, int64_t now = kNow) {
    return ApplyEngineEvent(table, message, now, "NEWPLAYER");
}

TEST(EngineEvent, JoinLeaveAndUpdate) {
    PlayerTable table;
    EXPECT_TRUE(Apply(table, Message(1, " 7")).playersChanged);
    ASSERT_NE(table.Find(7), nullptr);
    EXPECT_STREQ(table.Find(7)->name, "NEWPLAYER");
    EXPECT_EQ(table.Find(7)->team, 1073u);
    EXPECT_EQ(table.Find(7)->specialty, 0);
    EXPECT_EQ(table.Find(7)->joinTime, kNow);

    Apply(table, Message(3, "7 Alice\n2 8 -1"));
    EXPECT_STREQ(table.Find(7)->name, "Alice");
    EXPECT_EQ(table.Find(7)->team, 2u);
    EXPECT_EQ(table.Find(7)->specialty, 1073);

    // A second join resets the name and the connection time.
    Apply(table, Message(1, "7"), kNow + 50);
    EXPECT_STREQ(table.Find(7)->name, "NEWPLAYER");
    EXPECT_EQ(table.Find(7)->joinTime, kNow + 50);

    EXPECT_TRUE(Apply(table, Message(2, " 7")).playersChanged);
    EXPECT_EQ(table.Size(), 0u);
    // Leaving or updating an unknown player still marks the table changed.
    EXPECT_TRUE(Apply(table, Message(2, "99")).playersChanged);
    EXPECT_TRUE(Apply(table, Message(3, "99 Bob\n1 1 -1")).playersChanged);
    EXPECT_EQ(table.Size(), 0u);
}

TEST(EngineEvent, IdsThatAgreeInTheLow16BitsAreOnePlayer) {
    PlayerTable table;
    Apply(table, Message(1, "3"));
    Apply(table, Message(3, "3 Carol\n1 1 -1"));
    Apply(table, Message(1, "65539"));
    ASSERT_EQ(table.Size(), 1u);
    EXPECT_EQ(table.Find(3)->id, 65539);
    EXPECT_STREQ(table.Find(3)->name, "NEWPLAYER");
}

TEST(EngineEvent, UpdatesStopAtTheEndMarkerABrokenGroupOrTheEnd) {
    PlayerTable table;
    for (int id : {1, 2, 3}) Apply(table, Message(1, std::to_string(id)));
    // No -1: the list ends where the text ends.
    Apply(table, Message(3, "1 Ann\n1070 1 2 Ben\n1071 2"));
    EXPECT_STREQ(table.Find(1)->name, "Ann");
    EXPECT_STREQ(table.Find(2)->name, "Ben");
    EXPECT_EQ(table.Find(2)->specialty, 2);
    // A group cut short keeps what it stored: the name, not the team.
    Apply(table, Message(3, "3 Cid\nxyz"));
    EXPECT_STREQ(table.Find(3)->name, "Cid");
    EXPECT_EQ(table.Find(3)->team, 1073u);
    // Groups after an unknown id are not read.
    Apply(table, Message(3, "9 Zed\n1 1 1 Dan\n1 1 -1"));
    EXPECT_STREQ(table.Find(1)->name, "Ann");
    // Exactly one separator: a second blank belongs to the name.
    Apply(table, Message(3, "1  Eve\n1 1 -1"));
    EXPECT_STREQ(table.Find(1)->name, " Eve");
}

TEST(EngineEvent, LongNamesAreCutAndTheirLineSkipped) {
    PlayerTable table;
    Apply(table, Message(1, "4"));
    Apply(table, Message(3, "4 " + std::string(45, 'n') + "\n1071 3 -1"));
    EXPECT_EQ(std::string(table.Find(4)->name), std::string(30, 'n'));
    EXPECT_EQ(table.Find(4)->team, 1071u);
    EXPECT_EQ(table.Find(4)->specialty, 3);
}

TEST(EngineEvent, NumbersFollowTheCLiteralRules) {
    PlayerTable table;
    Apply(table, Message(1, " \t\n0x1F"));
    EXPECT_NE(table.Find(31), nullptr);
    Apply(table, Message(1, "010"));
    EXPECT_NE(table.Find(8), nullptr);
    Apply(table, Message(1, "+12"));
    EXPECT_NE(table.Find(12), nullptr);
    // At most 15 characters are one number; the rest is not part of it.
    Apply(table, Message(1, "0000000000000042"));
    EXPECT_NE(table.Find(4), nullptr);  // "000000000000004" in octal, then "2" is left
    // No number: the id is 0.
    Apply(table, Message(1, "abc"));
    EXPECT_NE(table.Find(0), nullptr);
    // Huge values wrap instead of overflowing.
    Apply(table, Message(1, "999999999999999"));
    EXPECT_EQ(table.Size(), 6u);
}

TEST(EngineEvent, ConsoleTextCloseAndIgnoredTypes) {
    PlayerTable table;
    auto text = Apply(table, Message(6, "hello\nignored"));
    ASSERT_TRUE(text.consoleText);
    EXPECT_EQ(*text.consoleText, "hello");
    EXPECT_FALSE(text.playersChanged);

    auto whole = Apply(table, Message(6, std::string(2000, 'w')));
    ASSERT_TRUE(whole.consoleText);
    EXPECT_EQ(whole.consoleText->size(), 1023u);
    EXPECT_EQ(*Apply(table, Message(6, "")).consoleText, "");

    EXPECT_TRUE(Apply(table, Message(7, "")).close);
    for (const std::string& ignored : {Message(4, "1"), Message(5, "1"), Message('1', " 7"),
                                       std::string(), std::string("   "), Message(8, "")}) {
        const auto outcome = Apply(table, ignored);
        EXPECT_FALSE(outcome.playersChanged || outcome.close || outcome.consoleText);
    }
    EXPECT_EQ(table.Size(), 0u);
}

TEST(EngineEvent, EveryTruncationOfAMessageIsSafe) {
    // Every prefix of a busy message decodes without reading past it.
    const std::string message = Message(3, "1 Ann\n1070 1 0x2 Ben\n1071 017 -1");
    for (size_t length = 0; length <= message.size(); ++length) {
        PlayerTable table;
        table.Join(1, kNow, "NEWPLAYER");
        table.Join(2, kNow, "NEWPLAYER");
        const std::string cut = message.substr(0, length);
        Apply(table, cut);  // the string is exactly `length` bytes: tools catch a read past it
    }
}

TEST(FormatDuration, Patterns) {
    EXPECT_EQ(FormatDuration(0), "00m:00s");
    EXPECT_EQ(FormatDuration(75), "01m:15s");
    EXPECT_EQ(FormatDuration(3599), "59m:59s");
    EXPECT_EQ(FormatDuration(3600), "01h:00m:00s");
    EXPECT_EQ(FormatDuration(3725), "01h:02m:05s");
    EXPECT_EQ(FormatDuration(86400), "1d:00h:00m:00s");
    EXPECT_EQ(FormatDuration(90061), "1d:01h:01m:01s");
    EXPECT_EQ(FormatDuration(-30), "00m:00s");
    EXPECT_EQ(FormatDuration(4294968), "49d:17h:02m:48s");  // past the 32-bit millisecond wrap
    EXPECT_EQ(FormatDuration(8640000), "100d:00h:00m:00s");
}

}  // namespace
}  // namespace korvane
