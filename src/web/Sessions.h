// Who is logged in (sessions with their CSRF tokens) and who may try again (the lockout after
// failed logins, per address prefix). Pure logic with an injected clock and random source, safe to
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
    // However busy, a session ends this long after its login: a page left open asks for the
    // password again.
    static constexpr uint64_t kLifetimeMs = 12 * 60 * 60 * 1000;
    static constexpr size_t kMaxSessions = 16;

    SessionStore(Clock clock, RandomSource random);

    // A new session; the oldest unused one goes when kMaxSessions are held. Empty when the
    // random source fails.
    std::optional<Session> Create();
    // The live session with this token, its idle time restarted; empty when unknown, idle for
    // kIdleLimitMs or older than kLifetimeMs.
    std::optional<Session> Touch(const std::string& token);
    void End(const std::string& token);

  private:
    struct Entry {
        std::string csrf;
        uint64_t lastUsed;
        uint64_t created;
        bool Expired(uint64_t now) const {
            return now - lastUsed >= kIdleLimitMs || now - created >= kLifetimeMs;
        }
    };
    std::string NewToken();

    std::mutex mutex_;
    Clock clock_;
    RandomSource random_;
    std::map<std::string, Entry> sessions_;
};

// Five failed logins from one address prefix within a minute make that prefix wait a minute.
// A prefix is a /24 for IPv4 and a /64 for IPv6, and every loopback address is one prefix, so
// that a client which rotates its address within what it holds gains no tries. Tries whose
// hash is still being checked count against the five, so a burst cannot slip past the lockout
// before its failures are known.
class LoginThrottle {
  public:
    static constexpr int kMaxFailures = 5;
    static constexpr uint64_t kWindowMs = 60 * 1000;
    static constexpr uint64_t kLockMs = 60 * 1000;
    static constexpr size_t kMaxAddresses = 4096;  // prefixes tracked at once

    explicit LoginThrottle(Clock clock);

    // The prefix an address is counted under: "loopback", "10.1.2.0/24", "2001:db8:0:1::/64"
    // (an unreadable address stands for itself).
    static std::string PrefixOf(const std::string& address);

    // Milliseconds the address must still wait (0: it may try).
    uint64_t LockedFor(const std::string& address);
    // Starts a try: 0 when it may go on (it is then in flight until Failed, Succeeded or
    // Abandoned), otherwise the milliseconds to wait.
    uint64_t Begin(const std::string& address);
    // Records a failure; true when this one locks the address's prefix. `inWindow`, when
    // given, receives the prefix's failures within the window, this one included.
    bool Failed(const std::string& address, int* inWindow = nullptr);
    void Succeeded(const std::string& address);
    // Ends a try that was never judged.
    void Abandon(const std::string& address);
    // The failures counted against the address's prefix within the window.
    int Failures(const std::string& address);

  private:
    struct Entry {
        std::vector<uint64_t> failures;  // times within the window, oldest first
        uint64_t lockedUntil = 0;
        int inFlight = 0;
    };
    void Forget(uint64_t now);
    void Land(Entry& entry);

    std::mutex mutex_;
    Clock clock_;
    std::map<std::string, Entry> prefixes_;
};

}  // namespace korvane::web
