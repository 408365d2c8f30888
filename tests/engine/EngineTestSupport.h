// Shared helpers of the engine tests: an in-memory environment with a hand-driven clock, a
// console line collector, and the start-up calls that bring a core to a running game.
#pragma once

#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "Console.h"
#include "EngineCore.h"
#include "EngineEnvironment.h"

namespace korvane::test {

class FakeEnvironment final : public EngineEnvironment {
  public:
    uint64_t now = 5000;
    bool failWrites = false;
    std::map<std::string, std::string> files;
    std::map<std::string, std::vector<FoundFile>> folders;

    uint64_t NowMs() override { return now; }
    bool ReadFile(const std::string& path, std::string& contents, size_t maxBytes) override {
        auto found = files.find(path);
        if (found == files.end() || found->second.size() > maxBytes) return false;
        contents = found->second;
        return true;
    }
    bool WriteFileReplacing(const std::string& path, const std::string& contents) override {
        if (failWrites) return false;
        files[path] = contents;
        return true;
    }
    bool FileExists(const std::string& path) override { return files.count(path) != 0; }
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

// A core wired to a fake environment and a collector.
struct CoreFixture {
    FakeEnvironment environment;
    LineCollector console;
    EngineCore core{environment};
    CoreFixture() { core.SetConsoleSink(&console); }

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
};

}  // namespace korvane::test
