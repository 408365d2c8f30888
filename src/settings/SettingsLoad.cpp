// Defining the options in the engine, loading the configuration file through it and reading
// the loaded values back; saving is the engine's own file writer.
#include <cstring>

#include "host/EngineAccess.h"
#include "settings/RotationCount.h"
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

// The rotation length the file leaves, from "nummaps" and, when that does not fit, from the
// entries themselves. Entries from map13 on have no default, so one that exists came from the
// file; below that, only a name other than the default sent before the file ran proves it.
RotationCount ReadRotationCount(EngineInterface* engine, void* countHandle) {
    float value = 0;
    engine->GetVariableValue(countHandle, &value);
    char text[kMapNameSize] = {};
    engine->GetVariableString(countHandle, text, sizeof text);
    text[sizeof text - 1] = '\0';
    return DecideRotationCount(TruncateToInt(value), text, kMaxMapCount, [engine](uint32_t i) {
        char name[kCommandSize];
        FormatBounded(name, sizeof name, "map%u", static_cast<unsigned>(i));
        void* entry = nullptr;
        engine->FindVariable(name, &entry, 0);
        if (!entry) return RotationEntry::Missing;
        if (i >= static_cast<uint32_t>(kDefaultMapCount)) return RotationEntry::FromFile;
        char held[kMapNameSize] = {};
        engine->GetVariableString(entry, held, sizeof held);
        held[sizeof held - 1] = '\0';
        return std::strcmp(held, DefaultMapRotation[i]) == 0 ? RotationEntry::DefaultName
                                                             : RotationEntry::FromFile;
    });
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

std::string ServerSettings::LoadSettings() {
    PushDefaults();

    EngineCall engine;
    if (!engine) return {};
    engine->ExecuteConfigFile(kConfigFile);

    std::string notice;
    void* handle = nullptr;
    engine->FindVariable("NumMaps", &handle, 0);
    if (handle) {
        RotationCount rotation = ReadRotationCount(engine.Get(), handle);
        mapCount = rotation.count;
        notice = std::move(rotation.notice);
        // The engine gets the count used, so the file written next agrees with its entries.
        if (!notice.empty()) SetMapCount(static_cast<int>(mapCount));
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
    return notice;
}

int ServerSettings::SaveSettings() {
    EngineCall engine;
    if (!engine) return 0;
    return engine->WriteConfigFile(kConfigFile, kSaveFlag);
}

}  // namespace korvane
