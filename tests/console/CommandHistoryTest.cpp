// The command history's walk and file, and Tab completion.
#include "console/CommandHistory.h"

#include <gtest/gtest.h>

#include <string>

#include "console/CommandCompletion.h"
#include "support/TempFolder.h"

namespace korvane {
namespace {

using test::TempFolder;

TEST(CommandHistory, WalksLikeAShellKeepingTheLineBeingTyped) {
    CommandHistory history;
    EXPECT_FALSE(history.Older("typed"));
    for (const char* command : {"status", "say hi", "say hi", "", "kick 3"}) history.Add(command);
    ASSERT_EQ(history.Entries().size(), 3u);  // no repeat of the newest, nothing empty

    EXPECT_FALSE(history.Newer());  // not walking
    EXPECT_EQ(history.Older("maxpl"), "kick 3");
    EXPECT_EQ(history.Older("kick 3"), "say hi");
    EXPECT_EQ(history.Older("say hi"), "status");
    EXPECT_FALSE(history.Older("status"));  // stays at the oldest
    EXPECT_EQ(history.Newer(), "say hi");
    EXPECT_EQ(history.Newer(), "kick 3");
    EXPECT_EQ(history.Newer(), "maxpl");  // the line that was being typed comes back
    EXPECT_FALSE(history.Newer());

    // Sending ends a walk: the next Up starts from the newest again.
    EXPECT_EQ(history.Older(""), "kick 3");
    history.Add("status");
    EXPECT_EQ(history.Older(""), "status");
    EXPECT_EQ(history.Older(""), "kick 3");

    EXPECT_EQ(history.FirstWords(), (std::vector<std::string>{"status", "kick", "say"}));

    for (int i = 0; i < 250; ++i) history.Add("echo " + std::to_string(i));
    ASSERT_EQ(history.Entries().size(), CommandHistory::kMaxEntries);
    EXPECT_EQ(history.Entries().front(), "echo 50");
}

TEST(CommandHistory, FileKeepsTheHistoryAndADamagedOneIsReadOnlyAsFarAsItIsGood) {
    TempFolder temp("history");
    const std::string path = temp / "history.txt";
    CommandHistory saved;
    saved.Add("status");
    saved.Add("say 100% ready");
    EXPECT_FALSE(saved.SaveDue(0));  // changed, but not saved a while ago
    EXPECT_TRUE(saved.SaveDue(CommandHistory::kSaveIntervalMs));
    ASSERT_TRUE(saved.Save(path, CommandHistory::kSaveIntervalMs));
    EXPECT_FALSE(saved.SaveDue(10 * CommandHistory::kSaveIntervalMs));  // nothing new
    CommandHistory loaded;
    loaded.Load(path);
    EXPECT_EQ(loaded.Entries(), saved.Entries());
    EXPECT_EQ(loaded.Older(""), "say 100% ready");

    std::string damaged = "good 1\r\n\x01\x02 binary\r\n" + std::string(500, 'x') + "\r\n\r\n";
    damaged += std::string("with\0nul\n", 9) + "good 2\n";
    for (int i = 3; i <= 300; ++i) damaged += "good " + std::to_string(i) + "\n";
    TempFolder::WriteFile(path, damaged);
    loaded.Load(path);
    ASSERT_EQ(loaded.Entries().size(), CommandHistory::kMaxEntries);
    EXPECT_EQ(loaded.Entries().front(), "good 1");
    EXPECT_EQ(loaded.Entries().back(), "good 200");

    // A huge file is read no further than its bound.
    TempFolder::WriteFile(path, std::string(10 << 20, 'y') + "\nlate\n");
    loaded.Load(path);
    EXPECT_TRUE(loaded.Entries().empty());
    loaded.Load(temp / "missing.txt");
    EXPECT_TRUE(loaded.Entries().empty());
}

TEST(CommandCompletion, CommonPrefixFirstThenEachMatchInTurn) {
    const std::vector<std::string> names = {"maxplayers", "mapratio", "IncapacitatedTime",
                                            "maxpings",   "status",   "MaxPlayers"};
    CommandCompletion completion;
    EXPECT_EQ(completion.Complete("m", names), "ma");  // the prefix the matches share
    EXPECT_EQ(completion.Complete("ma", names), "mapratio");
    EXPECT_EQ(completion.Complete("mapratio", names), "maxpings");
    EXPECT_EQ(completion.Complete("maxpings", names), "maxplayers");  // one of the two cases
    EXPECT_EQ(completion.Complete("maxplayers", names), "mapratio");  // round again

    EXPECT_EQ(completion.Complete("INCAP 30", names), "IncapacitatedTime 30");
    // With no prefix to add, the first Tab already shows the first match.
    EXPECT_EQ(completion.Complete("maxp 20", names), "maxpings 20");
    EXPECT_EQ(completion.Complete("maxpings 20", names), "maxplayers 20");
    EXPECT_FALSE(completion.Complete("zz", names));
    EXPECT_FALSE(completion.Complete("", names));
    EXPECT_FALSE(completion.Complete(" status", names));
    EXPECT_FALSE(completion.Complete("status", names));  // complete already
    EXPECT_FALSE(completion.Complete("status", names));

    // A typed line that is itself a name still cycles to the longer ones.
    EXPECT_EQ(completion.Complete("say", {"say", "sayteam"}), "sayteam");
    EXPECT_EQ(completion.Complete("sayteam", {"say", "sayteam"}), "say");
}

}  // namespace
}  // namespace korvane
