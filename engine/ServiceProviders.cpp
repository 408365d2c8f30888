// The fixed set of service providers the simulated engine offers.
#include "ServiceProviders.h"

#include <cstring>
#include <iterator>
#include <tuple>

namespace korvane {

void ServiceProviders::Refresh() {
    static constexpr struct {
        int id;
        const char* name;
    } kProviders[] = {{1, "IPX"}, {kInternetId, kInternetName}, {3, "LAN (UDP broadcast)"}};
    static_assert(std::size(kProviders) == std::tuple_size_v<decltype(entries_)>);
    for (size_t i = 0; i < entries_.size(); ++i) {
        ServiceProviderEntry& entry = entries_[i];
        std::memset(&entry, 0, sizeof entry);
        entry.id = kProviders[i].id;
        std::strncpy(entry.name, kProviders[i].name, sizeof entry.name - 1);
        entry.next = i + 1 < entries_.size() ? &entries_[i + 1] : nullptr;
    }
    refreshed_ = true;
}

const ServiceProviderEntry* ServiceProviders::Find(int id) const {
    for (const ServiceProviderEntry& entry : entries_)
        if (entry.id == id && entry.id != 0) return &entry;
    return nullptr;
}

}  // namespace korvane
