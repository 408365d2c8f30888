// The web administration's own settings file, korvane/webadmin.cfg: whether it is on, where it
// listens and the password as a salted hash. The operator may edit the file by hand, so a
// damaged or hostile file gives safe defaults field by field and never a failure.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::web {

inline constexpr const char* kWebConfigPath = "korvane/webadmin.cfg";
inline constexpr const char* kDefaultAddress = "127.0.0.1";
inline constexpr int kDefaultPort = 8080;
inline constexpr size_t kMinPasswordLength = 10;  // characters
// A password is its exact UTF-8 bytes; longer ones are refused before any hashing.
inline constexpr size_t kMaxPasswordBytes = 256;
// PBKDF2-HMAC-SHA256 iterations for a new hash (current guidance for that function). A stored
// count outside the narrow range around it is refused: a hand-edited count could make every
// login outlast the request deadline, or the hash cheap to attack. A lower count within the
// range is raised at the next successful login.
inline constexpr uint32_t kPasswordIterations = 600'000;
inline constexpr uint32_t kMinPasswordIterations = kPasswordIterations / 2;
inline constexpr uint32_t kMaxPasswordIterations = kPasswordIterations * 2;
// The mark of a hash over the password's UTF-8 bytes. Hashes without it were made over the
// ANSI code page's rendering of the password, which merged different passwords into one.
inline constexpr int kPasswordFormat = 2;

// Shown by the dialog and written to the console whenever the listen address is not loopback.
inline constexpr const char* kNetworkWarning =
    "This address can be reached from other machines, and the traffic is not encrypted: "
    "anyone on the way can read the password. Prefer 127.0.0.1 and an SSH tunnel, or a TLS "
    "reverse proxy.";

// A password as it is kept: PBKDF2-HMAC-SHA256 of the password with a random salt. Empty when
// no password is set; then nobody can log in.
struct PasswordRecord {
    std::vector<uint8_t> hash;
    std::vector<uint8_t> salt;
    uint32_t iterations = 0;

    bool IsSet() const { return !hash.empty(); }
    bool operator==(const PasswordRecord&) const = default;
};

struct WebConfig {
    bool enabled = false;
    std::string address = kDefaultAddress;
    int port = kDefaultPort;
    // A name the operator reaches the server by besides its address (a reverse proxy's), lower
    // case; empty when none. Requests naming any other host are refused.
    std::string hostName;
    PasswordRecord password;
    // The file holds a password hash this version cannot use (an older format, or a count out
    // of range): the operator must set the password again.
    bool passwordUnusable = false;
    // The SHA-256 of the bearer token GET /metrics asks for; empty: none, /metrics is not
    // served.
    std::vector<uint8_t> metricsTokenHash;

    bool operator==(const WebConfig&) const = default;
};

// A dotted IPv4 address of four decimal parts 0-255, such as 127.0.0.1 or 0.0.0.0.
bool IsValidAddress(std::string_view address);
// 127.x.x.x: reachable from this machine only.
bool IsLoopbackAddress(std::string_view address);
bool IsValidPort(long long port);
// A DNS name (letters, digits, hyphens, dots) of at most 253 characters.
bool IsValidHostName(std::string_view name);

WebConfig ParseWebConfig(std::string_view text);
std::string FormatWebConfig(const WebConfig& config);

// The file's settings; defaults when it is missing or unreadable.
WebConfig LoadWebConfig(const std::string& path = kWebConfigPath);
// Writes the whole file anew (through a temporary file, so a failure leaves the old one);
// false when it cannot be written.
bool SaveWebConfig(const WebConfig& config, const std::string& path = kWebConfigPath);

// A settings file's text (its first kilobytes), or nothing when it cannot be read; and the
// whole text written anew through a temporary file. Every settings file of the web goes so.
std::optional<std::string> ReadConfigText(const std::string& path);
bool WriteConfigText(const std::string& text, const std::string& path);

std::string ToHex(const std::vector<uint8_t>& bytes);
// False (and `bytes` untouched) unless the text is an even number of hex digits.
bool FromHex(std::string_view text, std::vector<uint8_t>& bytes);

}  // namespace korvane::web
