// Shared helpers of the engine tests: an in-memory environment with a hand-driven clock, a
// console line and event collector, a recording host, a strict reader of event messages, and
// the start-up calls that bring a core to a running game.
#pragma once

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Console.h"
#include "EngineCore.h"
#include "EngineEnvironment.h"
#include "Events.h"
#include "contract/EngineInterface.h"

namespace korvane::test {

class FakeEnvironment final : public EngineEnvironment {
  public:
    uint64_t now = 5000;
    bool failWrites = false;
    std::map<std::string, std::string> files;
    std::map<std::string, std::vector<FoundFile>> folders;

    int faults = 0;

    uint64_t NowMs() override { return now; }
    void SleepMs(uint32_t ms) override { now += ms; }
    void Fault() override { ++faults; }
    ReadResult ReadFile(const std::string& path, std::string& contents, size_t maxBytes) override {
        if (folders.count(path) != 0) return ReadResult::Folder;
        auto found = files.find(path);
        if (found == files.end()) return ReadResult::Missing;
        if (found->second.size() > maxBytes) return ReadResult::TooLarge;
        contents = found->second;
        return ReadResult::Read;
    }
    bool WriteFileReplacing(const std::string& path, const std::string& contents) override {
        if (failWrites) return false;
        files[path] = contents;
        return true;
    }
    bool ListFolder(const std::string& folder, std::vector<FoundFile>& entries) override {
        auto found = folders.find(folder);
        if (found == folders.end()) return false;
        entries = found->second;
        return true;
    }
};

class LineCollector final : public ConsoleSink {
  public:
    std::vector<std::string> lines;
    void WriteLine(const char* line) override { lines.emplace_back(line); }
    bool Saw(const std::string& part) const {
        for (const std::string& line : lines)
            if (line.find(part) != std::string::npos) return true;
        return false;
    }
};

class EventCollector final : public EventSink {
  public:
    std::vector<std::string> messages;
    void SendEvent(const char* message) override { messages.emplace_back(message); }
    size_t CountOfType(int type) const {
        size_t count = 0;
        for (const std::string& message : messages)
            count += !message.empty() && message[0] == static_cast<char>(type) ? 1 : 0;
        return count;
    }
};

// A host attached to a ServerEngine: records the console lines and events that reach it, and
// counts those that arrived while the test was not inside one of its calls.
class RecordingHost final : public HostCallbacks {
  public:
    bool insideCall = false;
    int outsideCall = 0;
    std::vector<std::string> lines;
    std::vector<std::string> events;
    int OnEngineEvent(const char* message) override {
        if (!insideCall) ++outsideCall;
        events.emplace_back(message);
        return 0;
    }
    int OnConsoleText(const char* text) override {
        if (!insideCall) ++outsideCall;
        lines.emplace_back(text);
        return 0;
    }
    int Reserved2() override { return 0; }
    int Reserved3(int, int, int, int) override { return 0; }
};

struct DecodedPlayer {
    long id = 0;
    std::string name;
    long team = 0;
    long specialty = 0;
};

// An event message read the way the host reads it, but strictly: ok is false unless every
// part is present and nothing but blanks follows.
struct DecodedEvent {
    bool ok = false;
    int type = 0;
    long id = 0;                         // types 1 and 2
    std::vector<DecodedPlayer> players;  // type 3, up to the -1
    std::string text;                    // type 6, without its line feed
};

inline DecodedEvent Decode(const std::string& message) {
    DecodedEvent event;
    size_t at = 0;
    auto skipSpace = [&] {
        while (at < message.size() && std::strchr(" \t\n\r\v\f", message[at]) != nullptr &&
               message[at] != '\0')
            ++at;
    };
    auto number = [&](long& value) {
        skipSpace();
        std::string digits = message.substr(at, 15);
        char* end = nullptr;
        value = std::strtol(digits.c_str(), &end, 0);
        if (end == digits.c_str()) return false;
        at += static_cast<size_t>(end - digits.c_str());
        return true;
    };
    auto restIsBlank = [&] {
        skipSpace();
        return at == message.size();
    };
    skipSpace();
    if (at == message.size()) return event;
    event.type = static_cast<unsigned char>(message[at++]);
    switch (event.type) {
        case 1:
        case 2:
            event.ok = number(event.id) && restIsBlank();
            break;
        case 3:
            for (;;) {
                DecodedPlayer player;
                if (!number(player.id)) return event;
                if (player.id == -1) break;
                if (at >= message.size() || message[at] != ' ') return event;
                size_t lineEnd = message.find('\n', ++at);
                if (lineEnd == std::string::npos) return event;
                player.name = message.substr(at, lineEnd - at);
                at = lineEnd + 1;
                if (!number(player.team) || !number(player.specialty)) return event;
                event.players.push_back(player);
            }
            event.ok = restIsBlank();
            break;
        case 6: {
            size_t lineEnd = message.find('\n', at);
            if (lineEnd == std::string::npos || lineEnd + 1 != message.size()) return event;
            event.text = message.substr(at, lineEnd - at);
            event.ok = true;
            break;
        }
        case 7:
            event.ok = restIsBlank();
            break;
        default:
            break;
    }
    return event;
}

// A core wired to a fake environment and collectors.
struct CoreFixture {
    FakeEnvironment environment;
    LineCollector console;
    EventCollector events;
    EngineCore core{environment};
    CoreFixture() {
        core.SetConsoleSink(&console);
        core.SetEventSink(&events);
    }

    std::string Text(const char* name) {
        void* handle = nullptr;
        char buffer[256] = "unset";
        core.FindVariable(name, &handle);
        core.GetVariableString(handle, buffer, sizeof buffer);
        return buffer;
    }
    float Value(const char* name) {
        void* handle = nullptr;
        float value = -1.0f;
        core.FindVariable(name, &handle);
        core.GetVariableValue(handle, &value);
        return value;
    }
    int Connect() {
        ServiceProviderEntry* head = nullptr;
        core.RefreshServiceProviders();
        core.GetServiceProviders(&head);
        core.SelectServiceProvider(2);
        return core.CommitServiceProviders(head);
    }
    int Open(int maxPlayers = 16) {
        HostOpenRecord record{};
        record.maxPlayers = maxPlayers;
        return core.OpenHost(&record);
    }
    int Start(const char* map) {
        static SessionStartRecord record;
        static SessionDescription description;
        std::memset(&record, 0, sizeof record);
        std::memset(&description, 0, sizeof description);
        std::strncpy(record.startMap, map, sizeof record.startMap - 1);
        std::strncpy(description.startMap, map, sizeof description.startMap - 1);
        std::strncpy(description.startMapAgain, map, sizeof description.startMapAgain - 1);
        record.description = &description;
        record.descriptionSize = sizeof description;
        return core.StartSession(&record);
    }
    // Connected, open and playing on a map, with the given population target.
    void Run(int botCount, int maxPlayers = 16) {
        core.ExecuteCommand(("botcount " + std::to_string(botCount)).c_str());
        core.ExecuteCommand(("maxplayers " + std::to_string(maxPlayers)).c_str());
        Connect();
        Open(maxPlayers);
        Start("worlds/lima");
    }
    // Moves the clock on in server-thread steps of 33 ms.
    void Play(uint64_t ms) {
        for (uint64_t done = 0; done < ms; done += 33) {
            environment.now += 33;
            core.Tick();
        }
    }
};

}  // namespace korvane::test
