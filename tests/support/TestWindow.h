// The main window over a host of the recording engine, with the start-up sheet stood in for.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <memory>

#include "console/ServerMainDialog.h"
#include "host/EngineHost.h"
#include "support/RecordingEngine.h"

namespace korvane::test {

// Constructed before the window, which needs the host.
struct RecordingHost {
    explicit RecordingHost(RecordingEngine& engine)
        : host(std::make_unique<RecordingLibrary>(engine)) {}
    EngineHost host;
};

class TestWindow : private RecordingHost, public ServerMainDialog {
  public:
    explicit TestWindow(RecordingEngine& engine, bool showSettings = false)
        : RecordingHost(engine), ServerMainDialog(host, showSettings) {
        // Construction may change the working folder (registry); the build's installation
        // folder has korvane/cres.dll.
        if (const char* dir = std::getenv("KORVANE_INSTALL_DIR")) SetCurrentDirectoryA(dir);
    }
    EngineHost& Host() { return host; }

    INT_PTR sheetResult = IDOK;
    int sheetRuns = 0;

  protected:
    INT_PTR RunStartupSettings() override {
        ++sheetRuns;
        return sheetResult;
    }
};

}  // namespace korvane::test
