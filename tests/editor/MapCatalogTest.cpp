// The map catalog's trip to the engine: listed once, handed back once.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "editor/MapCatalog.h"
#include "support/RecordingEngine.h"
#include "support/TestGate.h"

namespace korvane {
namespace {

class MapCatalogTest : public ::testing::Test {
  protected:
    test::RecordingEngine engine;
    test::DirectGate gate{&engine};
};

TEST_F(MapCatalogTest, ListsTheFolderOnceKeepsListingOrderAndGivesTheListBack) {
    engine.directory = {{1, "usa.dat"}, {1, "notes.txt"}, {2, "old.dat"}, {1, "Lima.DAT"}};
    std::vector<std::string> names = {"kept"};
    EXPECT_TRUE(MapCatalog(gate, "worlds", true, names));
    EXPECT_EQ(names, (std::vector<std::string>{"kept", "worlds/usa", "worlds/lima"}));
    EXPECT_EQ(engine.Calls(),
              (std::vector<std::string>{"ListDirectory worlds", "FreeDirectoryList"}));
    EXPECT_EQ(engine.LiveDirectoryLists(), 0);
}

TEST_F(MapCatalogTest, AnEmptyListingIsTrueAndNoFolderIsFalse) {
    std::vector<std::string> names;
    EXPECT_TRUE(MapCatalog(gate, "worlds", true, names));
    EXPECT_TRUE(names.empty());
    // A null list has nothing to give back.
    EXPECT_EQ(engine.Calls(), (std::vector<std::string>{"ListDirectory worlds"}));

    engine.ClearCalls();
    engine.directory = {{1, "usa.dat"}};
    EXPECT_FALSE(MapCatalog(gate, nullptr, true, names));
    EXPECT_TRUE(names.empty());
    EXPECT_TRUE(engine.Calls().empty());
}

}  // namespace
}  // namespace korvane
