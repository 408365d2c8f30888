// The main window wired to a recording engine, with scripted steps for the modal driver.
#pragma once

#include <windows.h>

#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "host/ServerMainDialog.h"
#include "support/ModalDriver.h"
#include "support/RecordingEngine.h"

namespace korvane::test {

class TestWindow : public ServerMainDialog {
  public:
    explicit TestWindow(RecordingEngine& engine)
        : ServerMainDialog(nullptr, std::make_unique<RecordingLibrary>(engine)) {
        // Construction may change the working folder (registry); the build's installation
        // folder has korvane/cres.dll.
        if (const char* dir = std::getenv("KORVANE_INSTALL_DIR")) SetCurrentDirectoryA(dir);
    }
    INT_PTR sheetResult = IDOK;
    int sheetRuns = 0;

  protected:
    INT_PTR RunStartupSettings() override {
        ++sheetRuns;
        return sheetResult;
    }
};

// Runs the steps in order from inside the window's modal loop; each is repeated until it
// returns true. The last step must end the window. Returns false on a time-out.
inline bool RunScript(ui::Dialog& dialog, std::vector<std::function<bool()>> steps,
                      DWORD timeoutMs = 15000, INT_PTR* result = nullptr) {
    size_t next = 0;
    bool timedOut = false;
    const INT_PTR ended = RunModal(
        dialog,
        [&] {
            if (next < steps.size() && steps[next]()) ++next;
            return next >= steps.size();
        },
        timeoutMs, &timedOut);
    if (result) *result = ended;
    return !timedOut;
}

inline std::string WindowText(HWND window) {
    std::string text(static_cast<size_t>(GetWindowTextLengthA(window)) + 1, '\0');
    text.resize(
        static_cast<size_t>(GetWindowTextA(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace korvane::test
