// Setting options, reading texts back, the bandwidth and the rotation.
#include "settings/ServerSettings.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>
#include <type_traits>

#include "settings/MapName.h"

namespace korvane {

namespace {

template <typename Field>
const char* KeyOfField(Field ServerSettings::*field) {
    for (const SettingEntry& row : SettingTable) {
        if constexpr (std::is_same_v<Field, float>) {
            if (row.floatField == field) return row.name;
        } else {
            if (row.intField == field) return row.name;
        }
    }
    return nullptr;
}

}  // namespace

const char* SettingKey(int32_t ServerSettings::*field) {
    return KeyOfField(field);
}

const char* SettingKey(float ServerSettings::*field) {
    return KeyOfField(field);
}

bool ServerSettings::Send(const char* format, ...) {
    char command[kCommandSize];
    va_list args;
    va_start(args, format);
    const int length = std::vsnprintf(command, sizeof command, format, args);
    va_end(args);
    if (length < 0 || length >= kCommandSize) return false;
    return gate_.ExecuteCommand(command);
}

void ServerSettings::Set(int32_t ServerSettings::*field, int value) {
    this->*field = value;
    if (const char* key = SettingKey(field)) Send("%s %d", key, value);
}

void ServerSettings::Set(float ServerSettings::*field, float value) {
    this->*field = value;
    if (const char* key = SettingKey(field)) Send("%s %f", key, static_cast<double>(value));
}

std::pair<char*, size_t> ServerSettings::TextField(TextOption option) {
    switch (option) {
        case TextOption::ServerName:
            return {serverName, sizeof serverName};
        case TextOption::AdminName:
            return {adminName, sizeof adminName};
        case TextOption::AdminEmail:
            return {adminEmail, sizeof adminEmail};
        case TextOption::ServerWebsite:
            return {serverWebsite, sizeof serverWebsite};
        case TextOption::ServerPassword:
            return {serverPassword, sizeof serverPassword};
        case TextOption::RemoteAdminPassword:
        default:
            return {remoteAdminPassword, sizeof remoteAdminPassword};
    }
}

size_t ServerSettings::TextRoom(TextOption option) {
    static constexpr size_t kFieldSizes[kTextOptionCount] = {
        sizeof(ServerSettings::serverName),     sizeof(ServerSettings::adminName),
        sizeof(ServerSettings::adminEmail),     sizeof(ServerSettings::serverWebsite),
        sizeof(ServerSettings::serverPassword), sizeof(ServerSettings::remoteAdminPassword)};
    const size_t field = kFieldSizes[static_cast<int>(option)] - 1;
    const size_t command = MaxQuotedTextLength(TextOptionKey(option));
    return field < command ? field : command;
}

void ServerSettings::SetText(TextOption option, const char* value) {
    // The server name is never sent empty; the others send one blank for "none", which the
    // getters turn back into an empty text.
    if (!value || !*value) {
        if (option == TextOption::ServerName) return;
        value = " ";
    }
    Send("+%s \"%s\"", TextOptionKey(option), value);
}

const char* ServerSettings::GetText(TextOption option, bool* cut) {
    const std::pair<char*, size_t> field = TextField(option);
    char* const buffer = field.first;
    const size_t size = field.second;
    if (cut) *cut = false;
    // Without the variable the field keeps what it had.
    gate_.WithEngine([&](EngineInterface& engine) {
        ReadHeldText(engine, TextOptionKey(option), buffer, size, cut);
    });
    if (option != TextOption::ServerName && buffer[0] == ' ' && buffer[1] == '\0') buffer[0] = '\0';
    return buffer;
}

void ServerSettings::PushSendBandwidth() {
    int preset = serverBandwidth;
    if (preset < 0 || preset >= kBandwidthPresetCount) preset = kDefaultBandwidthPreset;
    const long long value = preset == kCustomBandwidthPreset
                                ? static_cast<long long>(customBandwidth)
                                : static_cast<long long>(BandwidthPresetValues[preset]);
    Send("sendbandwidth %lld", value);
}

bool ReadHeldText(EngineInterface& engine, const char* name, char* buffer, size_t size,
                  bool* cut) {
    void* handle = nullptr;
    engine.FindVariable(name, &handle, 0);
    if (!handle) return false;
    engine.GetVariableString(handle, buffer, static_cast<int>(size));
    buffer[size - 1] = '\0';  // whatever the engine did, the text ends inside the buffer
    // A text that fills the buffer is read once more with room to spare, to tell a value of
    // exactly that length from a longer one.
    if (cut && std::strlen(buffer) == size - 1) {
        char probe[1024] = {};
        engine.GetVariableString(handle, probe, sizeof probe);
        probe[sizeof probe - 1] = '\0';
        *cut = std::strlen(probe) > size - 1;
    }
    return true;
}

std::optional<float> ReadHeldValue(EngineInterface& engine, const char* name) {
    void* handle = nullptr;
    engine.FindVariable(name, &handle, 0);
    if (!handle) return std::nullopt;
    float value = 0;
    engine.GetVariableValue(handle, &value);
    return value;
}

std::optional<float> ReadVariableValue(EngineGate& gate, const char* name) {
    std::optional<float> value;
    if (!name) return value;
    gate.WithEngine([&](EngineInterface& engine) { value = ReadHeldValue(engine, name); });
    return value;
}

std::optional<std::string> ReadVariableText(EngineGate& gate, const char* name) {
    std::optional<std::string> text;
    if (!name) return text;
    gate.WithEngine([&](EngineInterface& engine) {
        char buffer[256] = {};
        if (ReadHeldText(engine, name, buffer, sizeof buffer)) text = buffer;
    });
    return text;
}

int ReadMapEntry(EngineGate& gate, int index, char* buffer) {
    char key[kCommandSize];
    FormatBounded(key, sizeof key, kMapEntryKey, index);
    bool found = false;
    gate.WithEngine([&](EngineInterface& engine) {
        found = ReadHeldText(engine, key, buffer, kMapNameSize);
    });
    return found ? 1 : 0;
}

void ServerSettings::SetMapEntry(int index, const char* name) {
    if (!name) return;
    char key[kCommandSize];
    FormatBounded(key, sizeof key, kMapEntryKey, index);
    // A name too long for the command is refused whole: a cut name would point the rotation
    // at a map that does not exist.
    if (!Send("%s %s", key, name)) return;
    gate_.WithEngine(
        [&](EngineInterface& engine) { engine.SetVariableFlags(key, kHostOptionFlags); });
}

void ServerSettings::SetMapCount(int count) {
    if (count < 0) count = 0;
    if (static_cast<uint32_t>(count) > kMaxMapCount) count = kMaxMapCount;
    mapCount = static_cast<uint32_t>(count);
    Send("%s %d", kMapCountKey, count);
}

std::vector<RotationEntry> ReadRotationEntries(EngineGate& gate, uint32_t count) {
    std::vector<RotationEntry> entries;
    if (count > kMaxMapCount) count = kMaxMapCount;
    for (uint32_t i = 0; i < count; ++i) {
        char name[kMapNameSize + 1] = {};
        if (!ReadMapEntry(gate, static_cast<int>(i), name)) continue;  // a gap
        LowerMapName(name);
        entries.push_back({static_cast<int>(i), name});
    }
    return entries;
}

bool ServerSettings::ChangeMap(int index) {
    return Send("%s", ChangeMapCommand(index).c_str());
}

}  // namespace korvane
