// Sessions, CSRF tokens and the login lockout.
#include "web/Sessions.h"

#include <algorithm>

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
    std::erase_if(sessions_,
                  [&](const auto& s) { return now - s.second.lastUsed >= kIdleLimitMs; });
    if (sessions_.size() >= kMaxSessions) {
        sessions_.erase(std::min_element(sessions_.begin(), sessions_.end(), [](auto& a, auto& b) {
            return a.second.lastUsed < b.second.lastUsed;
        }));
    }
    Session session{NewToken(), NewToken()};
    if (session.token.empty() || session.csrf.empty() || sessions_.count(session.token))
        return std::nullopt;
    sessions_[session.token] = {session.csrf, now};
    return session;
}

std::optional<Session> SessionStore::Touch(const std::string& token) {
    std::lock_guard lock(mutex_);
    const auto found = sessions_.find(token);
    if (found == sessions_.end()) return std::nullopt;
    const uint64_t now = clock_();
    if (now - found->second.lastUsed >= kIdleLimitMs) {
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

void LoginThrottle::Forget(uint64_t now) {
    for (auto it = addresses_.begin(); it != addresses_.end();) {
        auto& failures = it->second.failures;
        std::erase_if(failures, [&](uint64_t t) { return now - t >= kWindowMs; });
        if (failures.empty() && it->second.lockedUntil <= now)
            it = addresses_.erase(it);
        else
            ++it;
    }
}

uint64_t LoginThrottle::LockedFor(const std::string& address) {
    std::lock_guard lock(mutex_);
    const auto found = addresses_.find(address);
    const uint64_t now = clock_();
    if (found == addresses_.end() || found->second.lockedUntil <= now) return 0;
    return found->second.lockedUntil - now;
}

bool LoginThrottle::Failed(const std::string& address) {
    std::lock_guard lock(mutex_);
    const uint64_t now = clock_();
    if (addresses_.size() >= kMaxAddresses) Forget(now);
    // Still full: many addresses are failing at once; the newcomer is counted against the
    // oldest-keyed entry's place rather than growing the table without bound.
    if (addresses_.size() >= kMaxAddresses && !addresses_.count(address))
        addresses_.erase(addresses_.begin());
    Entry& entry = addresses_[address];
    std::erase_if(entry.failures, [&](uint64_t t) { return now - t >= kWindowMs; });
    entry.failures.push_back(now);
    if (static_cast<int>(entry.failures.size()) < kMaxFailures) return false;
    entry.failures.clear();
    entry.lockedUntil = now + kLockMs;
    return true;
}

void LoginThrottle::Succeeded(const std::string& address) {
    std::lock_guard lock(mutex_);
    addresses_.erase(address);
}

}  // namespace korvane::web
