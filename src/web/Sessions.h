// Who is logged in (sessions with their CSRF tokens) and who may try again (the per-address
// lockout after failed logins). Pure logic with an injected clock and random source, safe to
// use from every listener thread.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace korvane::web {

// Milliseconds from any fixed start; never goes back.
using Clock = std::function<uint64_t()>;
// Fills a buffer with cryptographic random bytes; false on failure.
using RandomSource = std::function<bool(void*, size_t)>;

struct Session {
    std::string token;  // the cookie's value: 128 random bits, hex
    std::string csrf;   // the X-CSRF-Token value: 128 random bits, hex
};

class SessionStore {
  public:
    static constexpr uint64_t kIdleLimitMs = 30 * 60 * 1000;
    static constexpr size_t kMaxSessions = 16;

    SessionStore(Clock clock, RandomSource random);

    // A new session; the oldest unused one goes when kMaxSessions are held. Empty when the
    // random source fails.
    std::optional<Session> Create();
    // The live session with this token, its idle time restarted; empty when unknown or idle
    // for kIdleLimitMs.
    std::optional<Session> Touch(const std::string& token);
    void End(const std::string& token);

  private:
    struct Entry {
        std::string csrf;
        uint64_t lastUsed;
    };
    std::string NewToken();

    std::mutex mutex_;
    Clock clock_;
    RandomSource random_;
    std::map<std::string, Entry> sessions_;
};

// Five failed logins from one address within a minute make that address wait a minute.
class LoginThrottle {
  public:
    static constexpr int kMaxFailures = 5;
    static constexpr uint64_t kWindowMs = 60 * 1000;
    static constexpr uint64_t kLockMs = 60 * 1000;
    static constexpr size_t kMaxAddresses = 4096;

    explicit LoginThrottle(Clock clock);

    // Milliseconds the address must still wait (0: it may try).
    uint64_t LockedFor(const std::string& address);
    // Records a failure; true when this one locks the address.
    bool Failed(const std::string& address);
    void Succeeded(const std::string& address);

  private:
    struct Entry {
        std::vector<uint64_t> failures;  // times within the window, oldest first
        uint64_t lockedUntil = 0;
    };
    void Forget(uint64_t now);

    std::mutex mutex_;
    Clock clock_;
    std::map<std::string, Entry> addresses_;
};

}  // namespace korvane::web
