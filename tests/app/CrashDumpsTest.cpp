// Which old dumps go: the newest ten stay within 1 GB, and nothing the handler did not write.
#include <gtest/gtest.h>

#include "app/CrashDumps.h"

namespace korvane::app {
namespace {

TEST(CrashDumps, TrimmingKeepsTheNewestWithinCountAndSize) {
    const uint64_t mb = 1 << 20;
    struct Row {
        const char* what;
        std::vector<DumpFile> dumps;
        size_t keep;
        uint64_t maxBytes;
        std::vector<std::string> removed;
    };
    const Row rows[] = {
        {"under both bounds", {{"korvane-1.0.5-1.dmp", mb, 1}, {"korvane-1.0.5-2.dmp", mb, 2}},
         10, kMaxDumpBytes, {}},
        {"count: the oldest go",
         {{"korvane-a.dmp", mb, 3}, {"korvane-b.dmp", mb, 1}, {"korvane-c.dmp", mb, 2}},
         2, kMaxDumpBytes, {"korvane-b.dmp"}},
        {"size: older ones past the limit go",
         {{"korvane-new.dmp", 600 * mb, 9}, {"korvane-mid.dmp", 500 * mb, 8},
          {"korvane-old.dmp", 10 * mb, 7}},
         10, kMaxDumpBytes, {"korvane-mid.dmp", "korvane-old.dmp"}},
        {"the newest stays even alone over the limit", {{"korvane-big.dmp", 2048 * mb, 5}}, 10,
         kMaxDumpBytes, {}},
        {"other files are never touched",
         {{"notes.dmp", mb, 1}, {"KORVANE-X.DMP", mb, 2}, {"korvane-y.dmp", mb, 3},
          {"korvane-.txt", mb, 0}},
         1, kMaxDumpBytes, {"KORVANE-X.DMP"}},
        {"equal times: the later name is newer",
         {{"korvane-1.0.5-20261208-120000.dmp", mb, 4}, {"korvane-1.0.5-20261208-120001.dmp", mb, 4}},
         1, kMaxDumpBytes, {"korvane-1.0.5-20261208-120000.dmp"}},
    };
    for (const Row& row : rows)
        EXPECT_EQ(DumpsToRemove(row.dumps, row.keep, row.maxBytes), row.removed) << row.what;
}

}  // namespace
}  // namespace korvane::app
