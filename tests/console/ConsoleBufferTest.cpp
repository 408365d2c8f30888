// The console pane's line rules on plain text, without the edit control.
#include <gtest/gtest.h>

#include "console/ConsoleBuffer.h"

namespace korvane {
namespace {

TEST(ConsoleBuffer, CountsLinesAsTheControlDoes) {
    EXPECT_EQ(CountConsoleLines(""), 1);
    EXPECT_EQ(CountConsoleLines("a\r\n"), 2);
    EXPECT_EQ(CountConsoleLines("a\nb\r\r\nc"), 2);
    EXPECT_EQ(ConsoleLineStart("a\r\nbb\r\nc", 2), 7u);
    EXPECT_EQ(ConsoleLineStart("a\r\n", 5), 3u);
    EXPECT_EQ(FormatConsoleLine("\x01"), "\r\n");
    EXPECT_EQ(FormatConsoleLine(""), "");
}

}  // namespace
}  // namespace korvane
