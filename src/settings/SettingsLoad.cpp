// Defining the options in the engine, loading the configuration file through it and reading
// the loaded values back; saving is the engine's own file writer.
#include <cstring>

#include "settings/RotationCount.h"
#include "settings/ServerSettings.h"

namespace korvane {

namespace {

const char kConfigFile[] = "korvane/server.cfg";

void MarkForSaving(EngineInterface& engine, const char* name) {
    int flags = 0;
    if (engine.GetVariableFlags(name, &flags) == 0) engine.SetVariableFlags(name, kHostOptionFlags);
}

// The rotation length the file leaves, from "nummaps" and, when that does not fit, from the
// entries themselves. Entries from map13 on have no default, so one that exists came from the
// file; below that, only a name other than the default sent before the file ran proves it.
RotationCount ReadRotationCount(EngineInterface& engine, float count) {
    char text[kMapNameSize] = {};
    ReadHeldText(engine, kMapCountReadKey, text, sizeof text);
    return DecideRotationCount(TruncateToInt(count), text, kMaxMapCount, [&engine](uint32_t i) {
        char name[kCommandSize];
        FormatBounded(name, sizeof name, kMapEntryKey, static_cast<int>(i));
        char held[kMapNameSize] = {};
        if (!ReadHeldText(engine, name, held, sizeof held)) return RotationSlot::Missing;
        if (i >= static_cast<uint32_t>(kDefaultMapCount)) return RotationSlot::FromFile;
        return std::strcmp(held, DefaultMapRotation[i]) == 0 ? RotationSlot::DefaultName
                                                             : RotationSlot::FromFile;
    });
}

// "nummaps" as the running engine holds it: the load has made it agree with the entries, but a
// typed command can still set anything, so negative counts give 0 and huge ones are bounded.
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

        if (const std::optional<float> count = ReadHeldValue(engine, kMapCountReadKey)) {
            RotationCount rotation = ReadRotationCount(engine, *count);
            mapCount = rotation.count;
            if (!rotation.notice.empty()) {
                // What the load had to correct in the file is the operator's to know, and the
                // engine gets the count used, so the file written next agrees with its entries.
                gate_.Note(rotation.notice);
                SetMapCount(static_cast<int>(mapCount));
            }
        }

        for (const SettingEntry& row : SettingTable) MarkForSaving(engine, row.name);
        for (uint32_t i = 0; i < mapCount; ++i) {
            char key[kCommandSize];
            FormatBounded(key, sizeof key, kMapEntryKey, static_cast<int>(i));
            MarkForSaving(engine, key);
        }

        for (const SettingEntry& row : SettingTable) {
            if (!row.intField && !row.floatField) continue;
            const std::optional<float> value = ReadHeldValue(engine, row.name);
            if (!value) continue;
            if (row.floatField)
                this->*row.floatField = *value;
            else
                this->*row.intField = TruncateToInt(*value);
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
