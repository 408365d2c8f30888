// What the host tests share: the recording engine, the build's installation folder and a
// search in the recorded calls.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "host/EngineHost.h"
#include "support/RecordingEngine.h"

namespace korvane::test {

class HostFixture : public ::testing::Test {
  protected:
    // Each test starts in the build's installation folder, which has korvane/cres.dll and
    // resource.txt, as the program starts in its own.
    void SetUp() override { SetCurrentDirectoryA(folder.c_str()); }
    std::unique_ptr<EngineHost> MakeHost(RecordingEngine& with) {
        return std::make_unique<EngineHost>(std::make_unique<RecordingLibrary>(with));
    }
    // Index of the first call equal to `call` at or after `from`; -1 when absent.
    static int Find(const std::vector<std::string>& calls, const std::string& call, int from = 0) {
        for (int i = from; i < static_cast<int>(calls.size()); ++i)
            if (calls[i] == call) return i;
        return -1;
    }

    RecordingEngine engine;
    std::string folder = [] {
        const char* dir = std::getenv("KORVANE_INSTALL_DIR");
        return std::string(dir ? dir : ".");
    }();
};

}  // namespace korvane::test
