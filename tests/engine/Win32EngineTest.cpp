// The engine against the real file system: directory listings and configuration files
// replaced on disk, in a scratch folder made the working folder for the test.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "ServerEngine.h"
#include "Win32Environment.h"
#include "support/TempFolder.h"

namespace korvane::test {
namespace {

// Makes a fresh folder under %TEMP% the working folder and restores the old one afterwards.
class ScratchFolder : public ::testing::Test {
  protected:
    void SetUp() override {
        GetCurrentDirectoryA(sizeof previous_, previous_);
        ASSERT_TRUE(SetCurrentDirectoryA(folder_.Path().c_str()));
        CreateDirectoryA("worlds", nullptr);
        CreateDirectoryA("worlds\\archive", nullptr);
        CreateDirectoryA("korvane", nullptr);
        ASSERT_TRUE(TempFolder::WriteFile("worlds\\uganda.dat", "name Uganda\n"));
        ASSERT_TRUE(TempFolder::WriteFile("worlds\\Lima.dat", "name Lima\n"));
        engine_.AttachHost(nullptr);
    }
    void TearDown() override { SetCurrentDirectoryA(previous_); }

    TempFolder folder_{"engine"};
    Win32Environment environment_;
    ServerEngine engine_{environment_};
    char previous_[MAX_PATH] = {};
};

TEST_F(ScratchFolder, ListDirectoryReturnsFilesAndFoldersSorted) {
    DirectoryEntry* head = engine_.ListDirectory("worlds");
    ASSERT_NE(head, nullptr);
    ASSERT_NE(head->next, nullptr);
    ASSERT_NE(head->next->next, nullptr);
    EXPECT_EQ(head->next->next->next, nullptr);
    EXPECT_STREQ(head->name, "archive");
    EXPECT_EQ(head->kind, 2);
    EXPECT_STREQ(head->next->name, "Lima.dat");
    EXPECT_STREQ(head->next->alternativeName, "worlds/Lima.dat");
    EXPECT_EQ(head->next->kind, kDirectoryEntryFile);
    EXPECT_STREQ(head->next->next->alternativeName, "worlds/uganda.dat");
    EXPECT_EQ(engine_.FreeDirectoryList(head), 1);
    EXPECT_EQ(engine_.FreeDirectoryList(head), 0);  // already given back
    EXPECT_EQ(engine_.FreeDirectoryList(nullptr), 0);

    EXPECT_EQ(engine_.ListDirectory("nosuchfolder"), nullptr);
    EXPECT_EQ(engine_.ListDirectory("worlds/archive"), nullptr);  // empty
    EXPECT_EQ(engine_.ListDirectory("..\\"), nullptr);
    EXPECT_EQ(engine_.ListDirectory("C:\\windows"), nullptr);
    EXPECT_EQ(engine_.ListDirectory(nullptr), nullptr);
    DirectoryEntry* slash = engine_.ListDirectory("worlds/");
    ASSERT_NE(slash, nullptr);
    EXPECT_STREQ(slash->alternativeName, "worlds/archive");
    engine_.FreeDirectoryList(slash);
}

TEST_F(ScratchFolder, ConfigurationIsReplacedWholeAndReadBack) {
    engine_.ExecuteCommand("+servername \"First\"");
    engine_.SetVariableFlags("servername", 5);
    ASSERT_EQ(engine_.WriteConfigFile("korvane/server.cfg", 4), 1);
    engine_.ExecuteCommand("+servername \"Second \"quoted\"\"");
    ASSERT_EQ(engine_.WriteConfigFile("korvane/server.cfg", 4), 1);  // over an existing file
    EXPECT_EQ(GetFileAttributesA("korvane\\server.cfg.tmp"), INVALID_FILE_ATTRIBUTES);
    EXPECT_EQ(engine_.WriteConfigFile("nosuchfolder/server.cfg", 4), 0);

    engine_.ExecuteCommand("+servername \"changed\"");
    EXPECT_EQ(engine_.ExecuteConfigFile("korvane/server.cfg"), 1);
    void* handle = nullptr;
    char text[64] = {};
    engine_.FindVariable("servername", &handle, 0);
    engine_.GetVariableString(handle, text, sizeof text);
    EXPECT_STREQ(text, "Second \"quoted\"");
    EXPECT_EQ(engine_.ExecuteConfigFile("korvane/missing.cfg"), 0);

    // What a read that fails says is wrong.
    std::string contents;
    EXPECT_EQ(environment_.ReadFile("korvane/server.cfg", contents, 1 << 20), ReadResult::Read);
    EXPECT_EQ(environment_.ReadFile("korvane/server.cfg", contents, 8), ReadResult::TooLarge);
    EXPECT_EQ(environment_.ReadFile("korvane", contents, 1 << 20), ReadResult::Folder);
    EXPECT_EQ(environment_.ReadFile("korvane/missing.cfg", contents, 1 << 20), ReadResult::Missing);
    EXPECT_EQ(environment_.ReadFile("nosuchfolder/x.cfg", contents, 1 << 20), ReadResult::Missing);
}

}  // namespace
}  // namespace korvane::test
