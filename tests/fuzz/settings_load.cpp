// The front end's load of a configuration file through the simulated engine: any bytes as
// korvane/server.cfg, then the read-back the settings sheet and the map dialogs rely on. Texts
// stay inside their fields, the rotation inside its bounds, and nothing crashes.
#include <cctype>
#include <string>

#include "EngineTestSupport.h"
#include "FuzzInput.h"
#include "ServerEngine.h"
#include "settings/ServerSettings.h"
#include "support/TestGate.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    test::FakeEnvironment environment;
    environment.files["korvane/server.cfg"].assign(reinterpret_cast<const char*>(data), size);
    ServerEngine engine{environment};
    test::DirectGate gate{&engine};
    ServerSettings settings{gate};
    settings.LoadSettings();

    KORVANE_FUZZ_CHECK(settings.mapCount <= kMaxMapCount);
    for (int option = 0; option < kTextOptionCount; ++option) {
        bool cut = false;
        const auto which = static_cast<TextOption>(option);
        const std::string text = settings.GetText(which, &cut);
        KORVANE_FUZZ_CHECK(text.size() <= ServerSettings::TextRoom(which));
        // A text said to be cut fills its field.
        KORVANE_FUZZ_CHECK(!cut || text.size() == ServerSettings::TextRoom(which));
    }
    int last = -1;
    for (const RotationEntry& entry : settings.ReadRotation()) {
        KORVANE_FUZZ_CHECK(entry.index > last && entry.index < static_cast<int>(settings.mapCount));
        last = entry.index;
        for (char c : entry.name) KORVANE_FUZZ_CHECK(c < 'A' || c > 'Z');
    }
    KORVANE_FUZZ_CHECK(settings.SaveSettings() == 1);
    return 0;
}
