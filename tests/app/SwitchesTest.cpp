// The one switch parser: which switch each command line turns on, whatever stands beside it.
#include <gtest/gtest.h>

#include "app/Switches.h"

namespace korvane::app {
namespace {

TEST(Switches, EachCommandLineReadsAsItsSwitchesSay) {
    struct Row {
        const char* line;
        bool skipSettings;
        bool consoleLog;
    };
    const Row rows[] = {
        // -s: the command line begins with it, in any case, as a word's start too.
        {"-s", true, true},
        {"-S", true, true},
        {"-settings", true, true},
        {"/s", false, true},
        {"", false, true},
        {"-", false, true},
        {" -s", false, true},
        {"--no-console-log -s", false, false},
        // Flags are whole arguments.
        {"-s --no-console-log", true, false},
        {"--no-console-log\t-x", false, false},
        {"--no-console-logs", false, true},
        {"-x--no-console-log", false, true},
    };
    for (const Row& row : rows) {
        const Switches switches = ParseSwitches(row.line);
        EXPECT_EQ(switches.skipSettings, row.skipSettings) << row.line;
        EXPECT_EQ(switches.consoleLog, row.consoleLog) << row.line;
    }
}

}  // namespace
}  // namespace korvane::app
