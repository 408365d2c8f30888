// The main window over a host of the recording engine, with the start-up sheet stood in for
// and the operator's tools kept inside the test.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "app/InstallFolder.h"
#include "console/ServerMainDialog.h"
#include "host/EngineHost.h"
#include "support/RecordingEngine.h"
#include "support/TempFolder.h"

namespace korvane::test {

// Constructed before the window, which needs the host; told, as the program's is, where the
// installation folder comes from.
struct RecordingHost {
    explicit RecordingHost(RecordingEngine& engine)
        : host(std::make_unique<RecordingLibrary>(engine), DescribeInstallFolder({})) {}
    EngineHost host;
};

struct TrayCall {
    DWORD message;
    NOTIFYICONDATAA data;
};

class TestWindow : private RecordingHost, public ServerMainDialog {
  public:
    explicit TestWindow(RecordingEngine& engine, bool showSettings = false)
        : RecordingHost(engine), ServerMainDialog(host, showSettings) {
        // The notification-area icon is recorded, shortcut menus choose `menuChoice`, the
        // log and the history live in a folder of the test's own, and no Explorer opens.
        OperatorTools::Seams seams;
        seams.notify = [this](DWORD message, NOTIFYICONDATAA* data) {
            trayCalls.push_back({message, *data});
            return TRUE;
        };
        seams.track = [this](HMENU, HWND, POINT) { return menuChoice; };
        seams.openFolder = [this](HWND, const std::string& folder) {
            openedFolders.push_back(folder);
            return true;
        };
        seams.logFolder = files / "logs";
        seams.historyFile = files / "history.txt";
        seams.clockMs = [this] { return clockMs; };
        Tools().UseSeams(std::move(seams));
    }
    EngineHost& Host() { return host; }

    INT_PTR sheetResult = IDOK;
    int sheetRuns = 0;

    TempFolder files{"window-" + std::to_string(++count)};
    std::vector<TrayCall> trayCalls;
    int menuChoice = 0;
    std::vector<std::string> openedFolders;
    uint64_t clockMs = 0;  // the tools' clock

  protected:
    INT_PTR RunStartupSettings() override {
        ++sheetRuns;
        return sheetResult;
    }

  private:
    static inline int count = 0;
};

}  // namespace korvane::test
