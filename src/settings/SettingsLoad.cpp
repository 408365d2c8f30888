// Defining the options in the engine, loading the configuration file through it and reading
// the loaded values back; saving is the engine's own file writer.
#include <cstring>

#include "host/EngineAccess.h"
#include "settings/ServerSettings.h"
#include "settings/SettingTable.h"

namespace korvane {

namespace {

const char kConfigFile[] = "korvane/server.cfg";
// Variables with this flag are written by the engine; the options get 5 (which includes it).
constexpr int kSaveFlag = 4;
constexpr int kSettingFlags = 5;

void MarkForSaving(EngineInterface* engine, const char* name) {
    int flags = 0;
    if (engine->GetVariableFlags(name, &flags) == 0) engine->SetVariableFlags(name, kSettingFlags);
}

// "nummaps" as the file left it: negative counts give 0 and huge ones are bounded.
uint32_t BoundedMapCount(float value) {
    const int32_t count = TruncateToInt(value);
    if (count < 0) return 0;
    if (static_cast<uint32_t>(count) > kMaxMapCount) return kMaxMapCount;
    return static_cast<uint32_t>(count);
}

}  // namespace

void ServerSettings::PushDefaults() {
    for (const SettingEntry& row : SettingTable) {
        if (row.type == String)
            SendCommand("+%s %s", row.name, row.text);
        else
            SendCommand("%s %f", row.name, static_cast<double>(row.number));
    }
    for (int i = 0; i < kDefaultMapCount; ++i) SendCommand("map%d %s", i, DefaultMapRotation[i]);
}

void ServerSettings::LoadSettings() {
    PushDefaults();

    EngineCall engine;
    if (!engine) return;
    engine->ExecuteConfigFile(kConfigFile);

    void* handle = nullptr;
    engine->FindVariable("NumMaps", &handle, 0);
    if (handle) {
        float value = 0;
        engine->GetVariableValue(handle, &value);
        mapCount = BoundedMapCount(value);
    }

    for (const SettingEntry& row : SettingTable) MarkForSaving(engine.Get(), row.name);
    for (uint32_t i = 0; i < mapCount; ++i) {
        char name[kCommandSize];
        FormatBounded(name, sizeof name, "map%u", static_cast<unsigned>(i));
        MarkForSaving(engine.Get(), name);
    }

    for (const SettingEntry& row : SettingTable) {
        handle = nullptr;
        engine->FindVariable(row.name, &handle, 0);
        if (!handle || !row.target) continue;
        float value = 0;
        engine->GetVariableValue(handle, &value);
        if (row.type == Float)
            *static_cast<float*>(row.target) = value;
        else
            *static_cast<int32_t*>(row.target) = TruncateToInt(value);
    }

    PushSendBandwidth();
}

int ServerSettings::SaveSettings() {
    EngineCall engine;
    if (!engine) return 0;
    return engine->WriteConfigFile(kConfigFile, kSaveFlag);
}

}  // namespace korvane
