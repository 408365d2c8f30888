// What the two map dialogs' tests share: the recording engine holding the installed rotation,
// the settings over it, and one modal run of a dialog with what its opening asked the engine.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "settings/ServerSettings.h"
#include "settings/SettingTable.h"
#include "support/ModalDriver.h"
#include "support/RecordingEngine.h"
#include "support/TestGate.h"

namespace korvane::test {

class MapDialogFixture : public ::testing::Test {
  protected:
    using Texts = std::vector<std::string>;

    // map0..map12 and "nummaps 13", as a new installation has them.
    void DefaultRotation() {
        for (int i = 0; i < kDefaultMapCount; ++i)
            engine.SetVariable("map" + std::to_string(i), DefaultMapRotation[i]);
        engine.SetVariable("nummaps", std::to_string(kDefaultMapCount));
        settings.mapCount = kDefaultMapCount;
    }

    // Runs `dialog` modally: `act` runs once when it shows and must close it. The engine calls
    // made while it opened are kept in `opening`, then cleared.
    INT_PTR RunDialog(ui::Dialog& dialog, const std::function<void()>& act) {
        bool timedOut = false;
        const INT_PTR result = RunModal(
            dialog,
            [&] {
                if (!dialog.Window() || !IsWindowVisible(dialog.Window())) return false;
                opening = engine.Calls();
                engine.ClearCalls();
                act();
                return true;
            },
            10000, &timedOut);
        EXPECT_FALSE(timedOut);
        return result;
    }

    RecordingEngine engine;
    DirectGate gate{&engine};
    ServerSettings settings{gate};
    Texts opening;
};

}  // namespace korvane::test
