// Defining the options in the engine, loading the configuration file through it and reading
// the loaded values back; saving is the engine's own file writer.
#include "settings/ServerSettings.h"

namespace korvane {

namespace {

const char kConfigFile[] = "korvane/server.cfg";

void MarkForSaving(EngineInterface& engine, const char* name) {
    int flags = 0;
    if (engine.GetVariableFlags(name, &flags) == 0) engine.SetVariableFlags(name, kHostOptionFlags);
}

// "nummaps" as the file left it: negative counts give 0 and huge ones are bounded.
uint32_t BoundedMapCount(float value) {
    const int32_t count = TruncateToInt(value);
    if (count < 0) return 0;
    if (static_cast<uint32_t>(count) > kMaxMapCount) return kMaxMapCount;
    return static_cast<uint32_t>(count);
}

}  // namespace

std::vector<RotationEntry> ReadEngineRotation(EngineGate& gate) {
    return ReadRotationEntries(
        gate, BoundedMapCount(ReadVariableValue(gate, kMapCountReadKey).value_or(0)));
}

void ServerSettings::PushDefaults() {
    for (const SettingEntry& row : SettingTable) {
        if (row.type == String)
            Send("+%s %s", row.name, row.text);
        else
            Send("%s %f", row.name, static_cast<double>(row.number));
    }
    for (int i = 0; i < kDefaultMapCount; ++i) {
        char key[kCommandSize];
        FormatBounded(key, sizeof key, kMapEntryKey, i);
        Send("%s %s", key, DefaultMapRotation[i]);
    }
}

void ServerSettings::LoadSettings() {
    PushDefaults();
    // One hold of the lock for the whole exchange: the file's values and the read-back belong
    // together.
    gate_.WithEngine([this](EngineInterface& engine) {
        engine.ExecuteConfigFile(kConfigFile);

        void* handle = nullptr;
        engine.FindVariable(kMapCountReadKey, &handle, 0);
        if (handle) {
            float value = 0;
            engine.GetVariableValue(handle, &value);
            mapCount = BoundedMapCount(value);
        }

        for (const SettingEntry& row : SettingTable) MarkForSaving(engine, row.name);
        for (uint32_t i = 0; i < mapCount; ++i) {
            char key[kCommandSize];
            FormatBounded(key, sizeof key, kMapEntryKey, static_cast<int>(i));
            MarkForSaving(engine, key);
        }

        for (const SettingEntry& row : SettingTable) {
            handle = nullptr;
            engine.FindVariable(row.name, &handle, 0);
            if (!handle || (!row.intField && !row.floatField)) continue;
            float value = 0;
            engine.GetVariableValue(handle, &value);
            if (row.floatField)
                this->*row.floatField = value;
            else
                this->*row.intField = TruncateToInt(value);
        }
    });
    PushSendBandwidth();
}

int ServerSettings::SaveSettings() {
    int written = 0;
    gate_.WithEngine([&](EngineInterface& engine) {
        written = engine.WriteConfigFile(kConfigFile, kVariableSaved);
    });
    return written;
}

}  // namespace korvane
