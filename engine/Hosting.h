// What the host sets up around a game and asks of it while it runs: the resource archives,
// directory lists of the installation, the network service providers, the host and its
// session, the host's messages, the bandwidth figures and the version.
#pragma once

#include <string>
#include <vector>

#include "Console.h"
#include "DirectoryLists.h"
#include "EngineEnvironment.h"
#include "EngineState.h"
#include "Game.h"
#include "ServiceProviders.h"
#include "VariableStore.h"
#include "contract/EngineInterface.h"

namespace korvane {

class Hosting {
  public:
    static constexpr int kMaxArchives = 32;
    static constexpr int kMaxPlayers = 64;

    explicit Hosting(EngineState& state);
    Hosting(const Hosting&) = delete;
    Hosting& operator=(const Hosting&) = delete;

    int SendHostMessage(const char* message);
    int SetResourceArchives(const char* const* names, int count);
    const std::vector<std::string>& ResourceArchives() const { return archives_; }
    DirectoryEntry* ListDirectory(const char* folder);
    int FreeDirectoryList(DirectoryEntry* head);
    int RefreshServiceProviders();
    int GetServiceProviders(ServiceProviderEntry** head);
    int CommitServiceProviders(ServiceProviderEntry* head);
    int SelectServiceProvider(int id);
    int OpenHost(const HostOpenRecord* record);
    int StartSession(const SessionStartRecord* record);
    int GetBandwidth(float* send, float* receive);
    int GetVersion(int* major, int* minor, int* build);

  private:
    EngineEnvironment& environment_;
    Console& console_;
    Game& game_;
    const Variable* serverName_;
    const Variable* sendBandwidth_;
    ServiceProviders providers_;
    DirectoryLists directories_;
    std::vector<std::string> archives_;
    bool networkReady_ = false;
    bool hostOpen_ = false;
};

}  // namespace korvane
