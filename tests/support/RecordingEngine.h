// A test engine: records every call with its arguments, keeps console variables like a real
// engine, and can be told to fail any start-up step, tick slowly or stop.
#pragma once

#include <atomic>
#include <functional>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "contract/EngineInterface.h"
#include "host/EngineLibrary.h"

namespace korvane::test {

struct CaseLess {
    bool operator()(const std::string& a, const std::string& b) const;
};

class RecordingEngine final : public EngineInterface {
  public:
    RecordingEngine();

    // What to fail: "CreateEngine", "NullEngine", "AttachHost", "SetResourceArchives",
    // "GetServiceProviders", "CommitServiceProviders", "OpenHost".
    std::string failStep;
    // Console text the engine prints when it fails OpenHost, as an engine says why.
    std::string failureText;
    // Commands that ExecuteConfigFile runs, as if they were the file's lines.
    std::vector<std::string> configFile;
    bool offerTcpIp = true;
    int commitResult = 1;
    int tickDelayMs = 0;
    std::atomic<int> tickResult{1};
    // Called on every Tick, on the server thread.
    std::function<void()> onTick;
    // Event messages the engine sends from inside its next Tick, in order.
    void QueueEvent(const std::string& message);
    // Players 1 to `count` join and are named "Player <id>", on the blue team as medics.
    void QueuePlayers(int count);
    int version[3] = {1, 0, 5};
    // What ListDirectory lists, as kind and name, in order; each entry's alternative name is
    // "<folder>/<name>". An empty listing is a null list, as the engine gives it.
    std::vector<std::pair<int, std::string>> directory;
    // Listings handed out and not yet given back.
    int LiveDirectoryLists() const;

    // Observations.
    std::vector<std::string> Calls() const;
    std::vector<std::string> CallsStartingWith(const std::string& prefix) const;
    // The texts of the console commands received, in order.
    std::vector<std::string> Commands() const;
    void ClearCalls();
    // Adds an entry to the call list (the library records CreateEngine and ReleaseEngine).
    void Note(const std::string& call);
    // The thread that made the first call equal to `call`; 0 when there was none.
    unsigned long ThreadOf(const std::string& call) const;
    std::atomic<unsigned long> tickThread{0};  // the thread of the latest Tick
    std::atomic<int> ticks{0};
    std::atomic<int> callsAfterRelease{0};
    std::atomic<int> overlappingCalls{0};
    std::atomic<bool> released{false};
    HostCallbacks* callbacks = nullptr;
    HostOpenRecord lastOpen{};
    SessionStartRecord lastStart{};
    SessionDescription lastDescription{};
    std::vector<std::string> archives;

    // Variables, as the engine holds them.
    void SetVariable(const std::string& name, const std::string& text);
    bool HasVariable(const std::string& name) const;
    std::string VariableText(const std::string& name) const;
    int VariableFlags(const std::string& name) const;

    int AttachHost(HostCallbacks* callbacks) override;
    int ExecuteCommand(const char* command) override;
    int FindVariable(const char* name, void** handle, int reserved) override;
    int GetVariableValue(void* handle, float* value) override;
    int GetVariableString(void* handle, char* buffer, int size) override;
    int GetVariableFlags(const char* name, int* flags) override;
    int SetVariableFlags(const char* name, int flags) override;
    int ExecuteConfigFile(const char* path) override;
    int WriteConfigFile(const char* path, int flags) override;
    int Reserved9() override { return Unexpected("Reserved9"); }
    int SendHostMessage(const char* message) override;
    int SetResourceArchives(const char* const* names, int count) override;
    DirectoryEntry* ListDirectory(const char* folder) override;
    int FreeDirectoryList(DirectoryEntry* head) override;
    int StartSession(SessionStartRecord* record) override;
    int Reserved15() override { return Unexpected("Reserved15"); }
    int Reserved16() override { return Unexpected("Reserved16"); }
    int GetPlayerInfo(int id, PlayerInfo* info) override;
    int KickPlayer(int id) override;
    int GetPlayerPing(int id, float* ping) override;
    int Reserved20() override { return Unexpected("Reserved20"); }
    int Reserved21() override { return Unexpected("Reserved21"); }
    int Tick(int reserved) override;
    int RefreshServiceProviders(int, int) override;
    int GetServiceProviders(ServiceProviderEntry** head) override;
    int CommitServiceProviders(ServiceProviderEntry* head) override;
    int SelectServiceProvider(int id) override;
    int Reserved27() override { return Unexpected("Reserved27"); }
    int OpenHost(HostOpenRecord* record) override;
    int Reserved29() override { return Unexpected("Reserved29"); }
    int Reserved30() override { return Unexpected("Reserved30"); }
    int GetVersion(int* major, int* minor, int* build) override;
    int GetBandwidth(float* send, float* receive) override;

  private:
    struct Variable {
        std::string name;
        std::string text;
        float value = 0;
        int flags = 0;
    };
    // Counts calls in progress, so overlapping calls (a broken lock rule) are seen.
    class CallScope {
      public:
        explicit CallScope(RecordingEngine& engine);
        ~CallScope();

      private:
        RecordingEngine& engine_;
    };

    int Unexpected(const char* slot);
    Variable* Find(const std::string& name);
    const Variable* Find(const std::string& name) const;

    struct DirectoryListing {
        std::vector<DirectoryEntry> entries;
        std::vector<std::string> texts;  // name and alternative name of each entry
    };

    mutable std::mutex mutex_;
    std::vector<std::unique_ptr<DirectoryListing>> listings_;
    std::vector<std::string> calls_;
    std::vector<unsigned long> callThreads_;  // beside calls_
    std::map<std::string, std::unique_ptr<Variable>, CaseLess> variables_;
    std::atomic<int> inCall_{0};
    std::vector<std::string> pendingEvents_;
    ServiceProviderEntry providers_[3]{};
};

// Hands out one RecordingEngine in place of server.dll.
class RecordingLibrary final : public EngineLibrary {
  public:
    explicit RecordingLibrary(RecordingEngine& engine) : engine_(engine) {}
    int Create(int version, const InterfaceId* iid, EngineInterface** out) override;
    void Release() override;

  private:
    RecordingEngine& engine_;
};

}  // namespace korvane::test
