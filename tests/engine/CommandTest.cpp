// Console variables and the command interpreter: names, quoting, precedence and hostile input.
#include <gtest/gtest.h>

#include <cfloat>
#include <string>

#include "EngineTestSupport.h"

namespace korvane::test {
namespace {

TEST(VariableStore, NamesMatchWithoutCaseAndHandlesStayPut) {
    CoreFixture f;
    f.core.ExecuteCommand("nummaps 13.000000");
    void* lower = nullptr;
    void* upper = nullptr;
    EXPECT_EQ(f.core.FindVariable("nummaps", &lower), 1);
    EXPECT_EQ(f.core.FindVariable("NumMaps", &upper), 1);
    EXPECT_EQ(lower, upper);
    // Creating many more variables must not move the first one.
    for (int i = 0; i < 500; ++i) f.core.ExecuteCommand(("v" + std::to_string(i) + " 1").c_str());
    f.core.ExecuteCommand("NUMMAPS 5");
    float value = 0;
    EXPECT_EQ(f.core.GetVariableValue(lower, &value), 1);
    EXPECT_EQ(value, 5.0f);

    void* missing = &value;
    EXPECT_EQ(f.core.FindVariable("nosuchvariable", &missing), 0);
    EXPECT_EQ(missing, nullptr);
    EXPECT_EQ(f.core.FindVariable(nullptr, &missing), 0);
}

TEST(VariableStore, FlagsAreReturnedAndNeverCreateVariables) {
    CoreFixture f;
    f.core.ExecuteCommand("timelimit 30");
    int flags = -1;
    EXPECT_EQ(f.core.GetVariableFlags("TimeLimit", &flags), 0);
    EXPECT_EQ(flags, 0);
    EXPECT_EQ(f.core.SetVariableFlags("TIMELIMIT", 5), 1);
    EXPECT_EQ(f.core.GetVariableFlags("timelimit", &flags), 5);
    EXPECT_EQ(flags, 5);
    EXPECT_EQ(f.core.GetVariableFlags("timelimit", nullptr), 5);

    EXPECT_EQ(f.core.SetVariableFlags("ghost", 5), 0);
    EXPECT_EQ(f.core.GetVariableFlags("ghost", &flags), 0);
    EXPECT_EQ(flags, 0);
    void* handle = nullptr;
    EXPECT_EQ(f.core.FindVariable("ghost", &handle), 0);
}

TEST(VariableStore, StringCopiesAreCutToFitAndForeignHandlesRefused) {
    CoreFixture f;
    f.core.ExecuteCommand("+adminemail \"0123456789\"");
    void* handle = nullptr;
    f.core.FindVariable("adminemail", &handle);
    char buffer[8];
    std::memset(buffer, 'x', sizeof buffer);
    EXPECT_EQ(f.core.GetVariableString(handle, buffer, 5), 1);
    EXPECT_STREQ(buffer, "0123");
    EXPECT_EQ(buffer[5], 'x');
    EXPECT_EQ(f.core.GetVariableString(handle, buffer, 1), 1);
    EXPECT_STREQ(buffer, "");
    buffer[0] = 'x';
    EXPECT_EQ(f.core.GetVariableString(handle, buffer, 0), 0);
    EXPECT_EQ(f.core.GetVariableString(handle, buffer, -3), 0);
    EXPECT_EQ(buffer[0], 'x');

    int notAVariable = 0;
    EXPECT_EQ(f.core.GetVariableString(&notAVariable, buffer, sizeof buffer), 0);
    EXPECT_STREQ(buffer, "");
    float value = 7.0f;
    EXPECT_EQ(f.core.GetVariableValue(&notAVariable, &value), 0);
    EXPECT_EQ(f.core.GetVariableString(nullptr, buffer, sizeof buffer), 0);
}

TEST(Commands, QuotedValuesRunToTheLastQuote) {
    CoreFixture f;
    f.core.ExecuteCommand("+serverwebsite \"a\"b\"");
    EXPECT_EQ(f.Text("serverwebsite"), "a\"b");
    f.core.ExecuteCommand("+adminname \" \"");
    EXPECT_EQ(f.Text("adminname"), " ");
    f.core.ExecuteCommand("+servername \"Korvane Server\"");
    EXPECT_EQ(f.Text("servername"), "Korvane Server");
    f.core.ExecuteCommand("+serverpassword \"\"");
    EXPECT_EQ(f.Text("serverpassword"), "");
    f.core.ExecuteCommand("+remoteadminpassword \"open");  // no closing quote
    EXPECT_EQ(f.Text("remoteadminpassword"), "open");
    f.core.ExecuteCommand("+adminemail \"two\r\nlines\"\r\n");
    EXPECT_EQ(f.Text("adminemail"), "twolines");
}

TEST(Commands, PlainValuesAreTheTrimmedRestWithTheirNumber) {
    CoreFixture f;
    EXPECT_EQ(f.core.ExecuteCommand("maxplayers 16.000000"), 1);
    EXPECT_EQ(f.Text("maxplayers"), "16.000000");
    EXPECT_EQ(f.Value("maxplayers"), 16.0f);
    f.core.ExecuteCommand("  \tffteam   0.500000  \r\n");
    EXPECT_EQ(f.Text("ffteam"), "0.500000");
    EXPECT_EQ(f.Value("ffteam"), 0.5f);
    f.core.ExecuteCommand("map0 worlds/antarctica");
    EXPECT_EQ(f.Text("map0"), "worlds/antarctica");
    EXPECT_EQ(f.Value("map0"), 0.0f);
    f.core.ExecuteCommand("timelimit -2.5");
    EXPECT_EQ(f.Value("timelimit"), -2.5f);
    f.core.ExecuteCommand("custombandwidth 1e400");  // beyond float: clamped, not infinite
    EXPECT_EQ(f.Value("custombandwidth"), FLT_MAX);
}

TEST(Commands, NamesAreLiteralNeverFormats) {
    CoreFixture f;
    EXPECT_EQ(f.core.ExecuteCommand("map%d 0.000000"), 1);
    EXPECT_EQ(f.Text("map%d"), "0.000000");
    void* handle = nullptr;
    EXPECT_EQ(f.core.FindVariable("map0", &handle), 0);
    f.console.lines.clear();
    EXPECT_EQ(f.core.ExecuteCommand("%s%s%s%n%n"), 0);
    ASSERT_EQ(f.console.lines.size(), 1u);
    EXPECT_EQ(f.console.lines[0], "Unknown command: %s%s%s%n%n\n");
    f.core.ExecuteCommand("map%d");
    EXPECT_TRUE(f.console.Saw("map%d is \"0.000000\""));
    f.core.ExecuteCommand("echo %x %s %n");
    EXPECT_TRUE(f.console.Saw("%x %s %n\n"));
}

TEST(Commands, EngineCommandsWinOverVariablesAndIgnoreCase) {
    CoreFixture f;
    f.core.ExecuteCommand("+status \"shadow\"");
    void* handle = nullptr;
    EXPECT_EQ(f.core.FindVariable("status", &handle), 0);
    EXPECT_TRUE(f.console.Saw("Version: 1.0.5"));
    f.console.lines.clear();
    f.core.ExecuteCommand("STATUS");
    EXPECT_TRUE(f.console.Saw("Players: 0/16"));
    EXPECT_TRUE(f.console.Saw("Map: none"));
    f.core.ExecuteCommand("cvarlist max");
    EXPECT_TRUE(f.console.Saw("maxplayers \"16\""));
    EXPECT_TRUE(f.console.Saw("1 variables"));
    EXPECT_EQ(f.core.ExecuteCommand("nosuch"), 0);
    EXPECT_TRUE(f.console.Saw("Unknown command: nosuch"));
    EXPECT_EQ(f.core.ExecuteCommand(""), 0);
    EXPECT_EQ(f.core.ExecuteCommand("  + "), 0);
    EXPECT_EQ(f.core.ExecuteCommand(nullptr), 0);
}

TEST(Commands, OverlongInputIsBoundedAndSafe) {
    CoreFixture f;
    std::string huge(1 << 20, 'x');
    f.core.ExecuteCommand(("echo " + huge).c_str());
    ASSERT_FALSE(f.console.lines.empty());
    EXPECT_LE(f.console.lines.back().size(), 1023u);
    EXPECT_EQ(f.console.lines.back().back(), '\n');

    EXPECT_EQ(f.core.ExecuteCommand(("+" + huge + " 1").c_str()), 0);
    EXPECT_TRUE(f.console.Saw("Invalid or overlong variable name"));
    EXPECT_EQ(f.core.ExecuteCommand(huge.c_str()), 0);  // a bare unknown word

    f.core.ExecuteCommand(("+servername \"" + huge + "\"").c_str());
    EXPECT_EQ(f.Text("servername"), std::string(255, 'x'));  // cut by the 256-byte buffer
    void* handle = nullptr;
    f.core.FindVariable("servername", &handle);
    std::string whole(8192, '\0');
    f.core.GetVariableString(handle, whole.data(), static_cast<int>(whole.size()));
    EXPECT_EQ(std::strlen(whole.c_str()), VariableStore::kMaxTextLength);
}

TEST(Commands, StoreStopsGrowingAtItsLimit) {
    CoreFixture f;
    size_t before = f.core.Variables().Count();
    for (size_t i = 0; i < VariableStore::kMaxVariables + 10; ++i)
        f.core.ExecuteCommand(("x" + std::to_string(i) + " 1").c_str());
    EXPECT_EQ(f.core.Variables().Count(), VariableStore::kMaxVariables);
    EXPECT_GT(VariableStore::kMaxVariables, before);
    EXPECT_TRUE(f.console.Saw("Too many variables"));
    f.core.ExecuteCommand("x0 2");  // existing variables still change
    EXPECT_EQ(f.Value("x0"), 2.0f);
}

}  // namespace
}  // namespace korvane::test
