// The console pane with the real edit control: the trimming and line rules, and that a
// batched refresh shows exactly what appending line by line shows.
#include <windows.h>

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "console/ConsolePane.h"
#include "ui/Text.h"

namespace korvane {
namespace {

class ConsolePaneTest : public ::testing::Test {
  protected:
    void SetUp() override {
        parent = CreateWindowExA(0, "STATIC", "", WS_POPUP, 0, 0, 600, 200, nullptr, nullptr,
                                 nullptr, nullptr);
        a = MakePane();
        b = MakePane();
    }
    void TearDown() override { DestroyWindow(parent); }
    HWND MakePane() {
        return CreateWindowExA(WS_EX_CLIENTEDGE, "EDIT", "",
                               WS_CHILD | WS_VISIBLE | ES_MULTILINE | ES_READONLY | ES_AUTOHSCROLL |
                                   WS_VSCROLL | WS_HSCROLL,
                               0, 0, 580, 100, parent, nullptr, nullptr, nullptr);
    }
    static std::string Text(HWND pane) { return ui::WindowText(pane); }
    static int Lines(HWND pane) {
        return static_cast<int>(SendMessageA(pane, EM_GETLINECOUNT, 0, 0));
    }

    HWND parent = nullptr, a = nullptr, b = nullptr;
};

TEST_F(ConsolePaneTest, The251stLineTrimsTheOldestThreeQuarters) {
    for (int i = 0; i < 250; ++i) ConsoleLog(a, ("line " + std::to_string(i)).c_str());
    ASSERT_EQ(Lines(a), 251);
    ConsoleLog(a, "newest");
    const std::string text = Text(a);
    EXPECT_EQ(text.substr(0, 10), "line 188\r\n");
    EXPECT_EQ(Lines(a), 64);  // lines 188 to 249, the new one, the empty last line
    EXPECT_EQ(text.substr(text.size() - 8), "newest\r\n");
}

TEST_F(ConsolePaneTest, LineRules) {
    ConsoleLog(a, std::string(600, 'x').c_str());
    EXPECT_EQ(Text(a), std::string(499, 'x') + "\r\n");
    SetWindowTextA(a, "");
    ConsoleLog(a, "ends in lf\n");
    ConsoleLog(a, "ends in crlf\r\n");
    ConsoleLog(a, "");
    ConsoleLog(a, "100% %s %d %n");
    EXPECT_EQ(Text(a), "ends in lf\r\nends in crlf\r\r\n100% %s %d %n\r\n");
}

TEST_F(ConsolePaneTest, FollowsTheEndOnlyWhileTheViewIsThere) {
    const auto first = [&] { return SendMessageA(a, EM_GETFIRSTVISIBLELINE, 0, 0); };
    ConsoleLogBatch(a, std::vector<std::string>(240, "l"));
    SendMessageA(a, WM_VSCROLL, SB_TOP, 0);  // the operator scrolls back to line 220
    SendMessageA(a, EM_LINESCROLL, 0, 220);
    ConsoleLog(a, "one line");
    // The oldest 188 lines go at the 251st; line 220 stays in view.
    ConsoleLogBatch(a, std::vector<std::string>(19, "l"));
    EXPECT_EQ(first(), 220 - 188);
    SendMessageA(a, WM_VSCROLL, SB_BOTTOM, 0);  // back at the end, the pane follows again
    ConsoleLogBatch(a, std::vector<std::string>(20, "l"));
    EXPECT_GT(first(), Lines(a) - 12);
}

TEST_F(ConsolePaneTest, BatchShowsExactlyWhatLineByLineShows) {
    std::mt19937 random(12345);
    auto randomLine = [&] {
        const int kind = static_cast<int>(random() % 10);
        if (kind == 0) return std::string();
        std::string line(random() % (kind == 1 ? 700 : 90), 'a');
        for (char& c : line) c = static_cast<char>('a' + random() % 26);
        if (kind == 2) line += '\n';
        if (kind == 3) line += "\r\n";
        if (kind == 4 && !line.empty()) line[line.size() / 2] = '%';
        return line;
    };
    for (size_t limit : {size_t{0}, size_t{3000}}) {
        SetWindowTextA(a, "");
        SetWindowTextA(b, "");
        if (limit) {
            SendMessageA(a, EM_SETLIMITTEXT, limit, 0);
            SendMessageA(b, EM_SETLIMITTEXT, limit, 0);
        }
        for (int refresh = 0; refresh < 60; ++refresh) {
            std::vector<std::string> batch(random() % (refresh % 5 == 0 ? 400 : 30));
            for (std::string& line : batch) line = randomLine();
            for (const std::string& line : batch) ConsoleLog(a, line.c_str());
            ConsoleLogBatch(b, batch);
            ASSERT_EQ(Text(a), Text(b)) << "limit " << limit << ", refresh " << refresh;
            ASSERT_EQ(Lines(a), Lines(b));
            // Drawing was held off for the batch only.
            ASSERT_TRUE(GetWindowLongA(b, GWL_STYLE) & WS_VISIBLE);
        }
    }
}

}  // namespace
}  // namespace korvane
