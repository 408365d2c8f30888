// The engine's players-updated message read by the host's own decoder: what one sends, the
// other must get, for any 32-bit team and specialty.
#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "EngineTestSupport.h"
#include "host/PlayerTable.h"

namespace korvane::test {
namespace {

TEST(EventRoundTrip, WidestNumbersReachTheHostWholeAndTheNextGroupToo) {
    EventCollector sent;
    EventChannel channel;
    channel.SetSink(&sent);
    channel.BeginUpdate();
    channel.AddToUpdate(1, "Ann", INT_MIN, -2147483647);
    channel.AddToUpdate(2, "Ben", 1071, 1702);
    channel.SendUpdate();
    ASSERT_EQ(sent.messages.size(), 1u);

    PlayerTable table;
    table.Join(1, 0, "NEWPLAYER");
    table.Join(2, 0, "NEWPLAYER");
    ApplyEngineEvent(table, sent.messages[0], 0, "NEWPLAYER");
    EXPECT_EQ(table.Find(1)->team, static_cast<uint32_t>(INT_MIN));
    EXPECT_EQ(table.Find(1)->specialty, -2147483647);
    EXPECT_STREQ(table.Find(2)->name, "Ben");
    EXPECT_EQ(table.Find(2)->team, 1071u);
    EXPECT_EQ(table.Find(2)->specialty, 1702);
}

}  // namespace
}  // namespace korvane::test
