// Sessions, CSRF tokens and the login lockout.
#include <winsock2.h>
#include <ws2tcpip.h>

#include "web/Sessions.h"

#include <algorithm>
#include <cstdio>

namespace korvane::web {

SessionStore::SessionStore(Clock clock, RandomSource random)
    : clock_(std::move(clock)), random_(std::move(random)) {}

std::string SessionStore::NewToken() {
    unsigned char bytes[16];
    if (!random_(bytes, sizeof bytes)) return {};
    static const char digits[] = "0123456789abcdef";
    std::string token;
    for (unsigned char byte : bytes) {
        token += digits[byte >> 4];
        token += digits[byte & 15];
    }
    return token;
}

std::optional<Session> SessionStore::Create() {
    std::lock_guard lock(mutex_);
    const uint64_t now = clock_();
    std::erase_if(sessions_, [&](const auto& s) { return s.second.Expired(now); });
    if (sessions_.size() >= kMaxSessions) {
        sessions_.erase(std::min_element(sessions_.begin(), sessions_.end(), [](auto& a, auto& b) {
            return a.second.lastUsed < b.second.lastUsed;
        }));
    }
    Session session{NewToken(), NewToken()};
    if (session.token.empty() || session.csrf.empty() || sessions_.count(session.token))
        return std::nullopt;
    sessions_[session.token] = {session.csrf, now, now};
    return session;
}

std::optional<Session> SessionStore::Touch(const std::string& token) {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(token);
    if (found == sessions_.end()) return std::nullopt;
    const uint64_t now = clock_();
    if (found->second.Expired(now)) {
        sessions_.erase(found);
        return std::nullopt;
    }
    found->second.lastUsed = now;
    return Session{token, found->second.csrf};
}

void SessionStore::End(const std::string& token) {
    std::lock_guard lock(mutex_);
    sessions_.erase(token);
}

LoginThrottle::LoginThrottle(Clock clock) : clock_(std::move(clock)) {}

std::string LoginThrottle::PrefixOf(const std::string& address) {
    const auto ipv4 = [](const unsigned char* b) {
        if (b[0] == 127) return std::string("loopback");
        char text[24];
        std::snprintf(text, sizeof text, "%u.%u.%u.0/24", b[0], b[1], b[2]);
        return std::string(text);
    };
    in_addr v4 = {};
    if (inet_pton(AF_INET, address.c_str(), &v4) == 1)
        return ipv4(reinterpret_cast<const unsigned char*>(&v4));
    in6_addr v6 = {};
    if (inet_pton(AF_INET6, address.c_str(), &v6) != 1) return address;
    const unsigned char* b = v6.s6_addr;
    static const unsigned char loopback[16] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1};
    static const unsigned char mapped[12] = {0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xff, 0xff};
    if (std::equal(b, b + 16, loopback)) return "loopback";
    if (std::equal(b, b + 12, mapped)) return ipv4(b + 12);
    char text[48];
    std::snprintf(text, sizeof text, "%x:%x:%x:%x::/64", b[0] << 8 | b[1], b[2] << 8 | b[3],
                  b[4] << 8 | b[5], b[6] << 8 | b[7]);
    return text;
}

void LoginThrottle::Forget(uint64_t now) {
    for (auto it = prefixes_.begin(); it != prefixes_.end();) {
        auto& failures = it->second.failures;
        std::erase_if(failures, [&](uint64_t t) { return now - t >= kWindowMs; });
        if (failures.empty() && it->second.lockedUntil <= now && it->second.inFlight == 0)
            it = prefixes_.erase(it);
        else
            ++it;
    }
}

void LoginThrottle::Land(Entry& entry) {
    if (entry.inFlight > 0) --entry.inFlight;
}

uint64_t LoginThrottle::LockedFor(const std::string& address) {
    std::lock_guard lock(mutex_);
    const auto found = prefixes_.find(PrefixOf(address));
    const uint64_t now = clock_();
    if (found == prefixes_.end() || found->second.lockedUntil <= now) return 0;
    return found->second.lockedUntil - now;
}

uint64_t LoginThrottle::Begin(const std::string& address) {
    std::lock_guard lock(mutex_);
    const uint64_t now = clock_();
    const std::string prefix = PrefixOf(address);
    if (prefixes_.size() >= kMaxAddresses) Forget(now);
    // Still full: many prefixes are failing at once; the newcomer takes the place of the
    // first-keyed idle entry rather than growing the table without bound.
    if (prefixes_.size() >= kMaxAddresses && !prefixes_.count(prefix)) {
        const auto idle = std::find_if(prefixes_.begin(), prefixes_.end(),
                                       [](const auto& e) { return e.second.inFlight == 0; });
        if (idle == prefixes_.end()) return 1000;
        prefixes_.erase(idle);
    }
    Entry& entry = prefixes_[prefix];
    if (entry.lockedUntil > now) return entry.lockedUntil - now;
    std::erase_if(entry.failures, [&](uint64_t t) { return now - t >= kWindowMs; });
    // The tries in flight would lock the prefix if they all failed: this one waits for them.
    if (static_cast<int>(entry.failures.size()) + entry.inFlight >= kMaxFailures) return 1000;
    ++entry.inFlight;
    return 0;
}

bool LoginThrottle::Failed(const std::string& address, int* inWindow) {
    std::lock_guard lock(mutex_);
    const uint64_t now = clock_();
    const std::string prefix = PrefixOf(address);
    if (prefixes_.size() >= kMaxAddresses) Forget(now);
    if (prefixes_.size() >= kMaxAddresses && !prefixes_.count(prefix))
        prefixes_.erase(prefixes_.begin());
    Entry& entry = prefixes_[prefix];
    Land(entry);
    std::erase_if(entry.failures, [&](uint64_t t) { return now - t >= kWindowMs; });
    entry.failures.push_back(now);
    if (inWindow) *inWindow = static_cast<int>(entry.failures.size());
    if (static_cast<int>(entry.failures.size()) < kMaxFailures) return false;
    entry.failures.clear();
    entry.lockedUntil = now + kLockMs;
    return true;
}

void LoginThrottle::Succeeded(const std::string& address) {
    std::lock_guard lock(mutex_);
    const auto found = prefixes_.find(PrefixOf(address));
    if (found == prefixes_.end()) return;
    // The other tries still in flight keep their places.
    Land(found->second);
    found->second.failures.clear();
    found->second.lockedUntil = 0;
}

void LoginThrottle::Abandon(const std::string& address) {
    std::lock_guard lock(mutex_);
    const auto found = prefixes_.find(PrefixOf(address));
    if (found != prefixes_.end()) Land(found->second);
}

int LoginThrottle::Failures(const std::string& address) {
    std::lock_guard lock(mutex_);
    const auto found = prefixes_.find(PrefixOf(address));
    if (found == prefixes_.end()) return 0;
    const uint64_t now = clock_();
    return static_cast<int>(std::count_if(found->second.failures.begin(),
                                          found->second.failures.end(),
                                          [&](uint64_t t) { return now - t < kWindowMs; }));
}

}  // namespace korvane::web
