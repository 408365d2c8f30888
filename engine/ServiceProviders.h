// The engine's list of network service providers, handed to the host by pointer. The list
// lives as long as the engine and never moves, so a head the host holds stays valid.
#pragma once

#include <array>

#include "contract/EngineInterface.h"

namespace korvane {

class ServiceProviders {
  public:
    static constexpr int kInternetId = 2;
    static constexpr const char* kInternetName = "Internet TCP/IP";

    // Fills the list (again); the selection is kept.
    void Refresh();
    bool Refreshed() const { return refreshed_; }
    ServiceProviderEntry* Head() { return &entries_[0]; }
    bool IsOwnHead(const ServiceProviderEntry* head) const { return head == &entries_[0]; }
    // The entry with this id, or null.
    const ServiceProviderEntry* Find(int id) const;
    void Select(int id) { selected_ = id; }
    const ServiceProviderEntry* Selected() const { return refreshed_ ? Find(selected_) : nullptr; }

  private:
    std::array<ServiceProviderEntry, 3> entries_{};
    bool refreshed_ = false;
    int selected_ = 0;
};

}  // namespace korvane
