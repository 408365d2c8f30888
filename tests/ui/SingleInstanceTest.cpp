// One copy per installation folder, with a real second process: this test program started
// again as the second copy.
#include "ui/SingleInstance.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "support/ModalDriver.h"
#include "support/TempFolder.h"

namespace korvane {
namespace {

constexpr char kSecondCopy[] = "--second-copy=";

// Started with kSecondCopy, this program is the second copy: it ends at once, saying by its
// exit code whether it was first (10), found and activated the first copy (20) or not (21).
const int secondCopy = [] {
    const char* flag = std::strstr(GetCommandLineA(), kSecondCopy);
    if (!flag) return 0;
    ui::SingleInstance instance(flag + sizeof kSecondCopy - 1);
    ExitProcess(instance.IsFirst() ? 10 : instance.ActivateFirst(5000) ? 20 : 21);
}();

// Runs the second copy on `folder` while this thread keeps pumping its messages; its exit code.
DWORD RunSecondCopy(const std::string& folder) {
    char self[MAX_PATH];
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string command = "\"" + std::string(self) + "\" " + kSecondCopy + folder;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &process))
        return 0;
    test::PumpUntil([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; },
                    20000);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return code;
}

TEST(SingleInstance, SecondCopyOnTheSameFolderBringsTheFirstToTheFrontOthersRun) {
    test::TempFolder a("instance-a"), b("instance-b");
    HWND window = CreateWindowExA(0, "STATIC", "first copy", WS_POPUP | WS_CAPTION | WS_VISIBLE, 0,
                                  0, 200, 100, nullptr, nullptr, nullptr, nullptr);
    {
        ui::SingleInstance first(a.Path());
        ASSERT_TRUE(first.IsFirst());
        first.MarkWindow(window);
        ShowWindow(window, SW_MINIMIZE);

        // The same folder spelt otherwise is the same folder.
        std::string other = a.Path();
        for (char& c : other) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
        EXPECT_EQ(RunSecondCopy(other + "\\.\\"), 20u);
        EXPECT_TRUE(test::PumpUntil([&] { return !IsIconic(window); }, 5000));

        EXPECT_EQ(RunSecondCopy(b.Path()), 10u);
        EXPECT_FALSE(ui::SingleInstance(a.Path()).IsFirst());
    }
    // The first copy has ended: the folder is free again, and its window is no longer marked.
    EXPECT_EQ(RunSecondCopy(a.Path()), 10u);
    DestroyWindow(window);
}

TEST(SingleInstance, EverySpellingOfAFolderIsOneName) {
    test::TempFolder a("instance-names");
    const std::string name = ui::NormalisedFolder(a.Path());
    EXPECT_EQ(ui::NormalisedFolder(a.Path() + "\\"), name);
    EXPECT_EQ(ui::NormalisedFolder(a.Path() + "\\sub\\.."), name);
    EXPECT_NE(ui::NormalisedFolder(a.Path() + "x"), name);
    EXPECT_EQ(ui::SingleInstance(a.Path() + "/").Name(), ui::SingleInstance(a.Path()).Name());
}

}  // namespace
}  // namespace korvane
