// The Map Rotation dialog run modally against the recording engine: the two lists it opens
// with, adding, removing and dragging, and what OK and Cancel write.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "editor/MapRotationDialog.h"
#include "resources/resource.h"
#include "support/Lists.h"
#include "support/MapDialogFixture.h"

namespace korvane {
namespace {

using test::DoubleClick;
using test::Rows;
using test::SelectRow;
using test::Press;
using Texts = std::vector<std::string>;

class MapRotationDialogTest : public test::MapDialogFixture {
  protected:
    void SetUp() override {
        DefaultRotation();
        engine.directory = {
            {1, "usa.dat"}, {1, "Lima.DAT"}, {1, "readme.txt"}, {1, "antarctica.dat"}};
    }

    // Runs the dialog: `act` runs once inside it, with the disk list and the rotation list,
    // and must close it.
    INT_PTR Run(const std::function<void(HWND dialog, HWND disk, HWND rotation)>& act) {
        MapRotationDialog dialog(nullptr, settings);
        return RunDialog(dialog, [&] {
            act(dialog.Window(), dialog.Item(IDC_DISK_MAP_LIST), dialog.Item(IDC_MAP_LIST));
        });
    }
    // The engine traffic of OK, one text per call: "map3 worlds/usa", "flags map3 5", ...
    Texts Written() {
        Texts texts;
        for (const std::string& call : engine.Calls()) {
            if (call.rfind("ExecuteCommand ", 0) == 0)
                texts.push_back(call.substr(15));
            else if (call.rfind("SetVariableFlags ", 0) == 0)
                texts.push_back("flags " + call.substr(17));
        }
        return texts;
    }
    static Texts Entries(const Texts& names) {
        Texts texts;
        for (size_t i = 0; i < names.size(); ++i) {
            const std::string key = "map" + std::to_string(i);
            texts.push_back(key + " " + names[i]);
            texts.push_back("flags " + key + " 5");
        }
        texts.push_back("nummaps " + std::to_string(names.size()));
        return texts;
    }
};

TEST_F(MapRotationDialogTest, OpensWithTheMapsOnDiskSortedAndTheRotationInOrder) {
    const INT_PTR result = Run([&](HWND dialog, HWND disk, HWND rotation) {
        EXPECT_EQ(Rows(disk), (Texts{"worlds/antarctica", "worlds/lima", "worlds/usa"}));
        EXPECT_EQ(Rows(rotation), Texts(DefaultMapRotation, DefaultMapRotation + kDefaultMapCount));
        EXPECT_EQ(SendMessageA(dialog, WM_QUERYDRAGICON, 0, 0),
                  reinterpret_cast<LRESULT>(
                      LoadIconA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(IDR_MAINFRAME))));
        // Reordered, then cancelled: nothing reaches the engine.
        test::DragRow(rotation, 0, {1, 2});
        EXPECT_EQ(Rows(rotation)[2], "worlds/antarctica");
        Press(dialog, IDCANCEL);
    });
    EXPECT_EQ(result, IDCANCEL);
    EXPECT_EQ(std::count(opening.begin(), opening.end(), "ListDirectory worlds"), 1);
    EXPECT_EQ(std::count(opening.begin(), opening.end(), "FreeDirectoryList"), 1);
    EXPECT_EQ(engine.LiveDirectoryLists(), 0);
    EXPECT_TRUE(engine.Calls().empty());
    EXPECT_EQ(engine.VariableText("map0"), "worlds/antarctica");
}

TEST_F(MapRotationDialogTest, RemovingThreeOfThirteenWritesTenEntriesThenTheCount) {
    Run([&](HWND dialog, HWND, HWND rotation) {
        for (int row : {0, 4, 10}) {  // antarctica, then mexico, then usa as the rows close up
            SelectRow(rotation, row);
            DoubleClick(rotation);
        }
        Press(dialog, IDOK);
    });
    const Texts kept = {"worlds/argentina", "worlds/chechnya", "worlds/colombia",
                        "worlds/lima",      "worlds/nafrica",  "worlds/quebec",
                        "worlds/schinasea", "worlds/srilanka", "worlds/tunnel",
                        "worlds/uganda"};
    EXPECT_EQ(Written(), Entries(kept));
    EXPECT_EQ(settings.mapCount, 10u);
    // Entries past the count keep their old texts.
    EXPECT_EQ(engine.VariableText("map10"), "worlds/tunnel");
    EXPECT_EQ(engine.VariableText("map12"), "worlds/usa");
}

TEST_F(MapRotationDialogTest, AMapAddedTwiceAndCapitalsAreWrittenLowerCase) {
    settings.mapCount = 2;
    engine.SetVariable("map1", "Worlds/Chechnya");
    Run([&](HWND dialog, HWND disk, HWND rotation) {
        EXPECT_EQ(Rows(rotation), (Texts{"worlds/antarctica", "worlds/chechnya"}));
        SelectRow(disk, 1);
        DoubleClick(disk);
        DoubleClick(disk);
        EXPECT_EQ(Rows(disk).size(), 3u);  // the map stays on the left
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Written(),
              Entries({"worlds/antarctica", "worlds/chechnya", "worlds/lima", "worlds/lima"}));
}

TEST_F(MapRotationDialogTest, ADraggedRotationIsWrittenInItsNewOrder) {
    settings.mapCount = 4;
    Run([&](HWND dialog, HWND, HWND rotation) {
        test::DragRow(rotation, 3, {2, 1});
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Written(), Entries({"worlds/antarctica", "worlds/colombia", "worlds/argentina",
                                  "worlds/chechnya"}));
}

// OK with nothing in the list says why and stays open: only Cancel closes it, nothing written.
TEST_F(MapRotationDialogTest, AnEmptyRotationIsRefusedAndTheDialogStays) {
    settings.mapCount = 0;
    engine.directory.clear();
    MapRotationDialog dialog(nullptr, settings);
    HWND box = nullptr;
    std::string said;
    ASSERT_TRUE(test::RunScript(
        dialog,
        {test::Do([&] {
             EXPECT_EQ(ui::ListCount(dialog.Item(IDC_DISK_MAP_LIST)), 0);
             EXPECT_EQ(ui::ListCount(dialog.Item(IDC_MAP_LIST)), 0);
             DoubleClick(dialog.Item(IDC_MAP_LIST));  // nothing selected: nothing happens
             engine.ClearCalls();
             PostMessageA(dialog.Window(), WM_COMMAND, IDOK, 0);
         }),
         [&] { return (box = test::FindMessageBox(dialog.Window())) != nullptr; }, test::Do([&] {
             said = ui::WindowText(GetDlgItem(box, 0xFFFF));
             PostMessageA(box, WM_COMMAND, IDOK, 0);
         }),
         [&] { return !IsWindow(box); }, test::Do([&] { Press(dialog.Window(), IDCANCEL); })}));
    EXPECT_EQ(said, "The map rotation needs at least one map.");
    EXPECT_EQ(Written(), Texts{});
    EXPECT_EQ(settings.mapCount, 0u);
}

TEST_F(MapRotationDialogTest, NamesTooLongForTheCommandAreNeverWrittenCut) {
    // A catalog name that no rotation entry can carry, and an entry read back from the engine
    // that cannot be sent whole at its position.
    const std::string longMap(250, 'm');
    engine.directory = {{1, longMap + ".dat"}};
    engine.SetVariable("map0", "worlds/" + std::string(247, 'k'));
    settings.mapCount = 2;
    Run([&](HWND dialog, HWND disk, HWND rotation) {
        ASSERT_EQ(ui::ListCount(disk), 1);
        SelectRow(disk, 0);
        DoubleClick(disk);
        EXPECT_EQ(ui::ListCount(rotation), 2);
        Press(dialog, IDOK);
    });
    EXPECT_EQ(Written(), Entries({"worlds/argentina"}));
}

}  // namespace
}  // namespace korvane
