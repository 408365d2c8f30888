// Reading and writing korvane/webadmin.cfg ("key=value" lines).
#include "web/WebConfig.h"

#include <windows.h>

#include <cctype>
#include <charconv>
#include <cstdio>
#include <fstream>
#include <sstream>

namespace korvane::web {

namespace {

// Larger files are not the operator's: only their start is read.
constexpr size_t kMaxFileSize = 64 * 1024;
constexpr size_t kHashSize = 32;
constexpr size_t kMinSaltSize = 16;
constexpr size_t kMaxSaltSize = 64;

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

bool ParseNumber(std::string_view text, long long& value) {
    if (text.empty() || text.size() > 12) return false;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc() && end == text.data() + text.size();
}

}  // namespace

bool IsValidAddress(std::string_view address) {
    int parts = 0;
    while (true) {
        size_t digits = 0;
        int value = 0;
        while (digits < address.size() && address[digits] >= '0' && address[digits] <= '9') {
            value = value * 10 + (address[digits] - '0');
            if (++digits > 3) return false;
        }
        // "010" would be octal to some resolvers: leading zeros are refused.
        if (digits == 0 || value > 255 || (digits > 1 && address[0] == '0')) return false;
        address.remove_prefix(digits);
        if (++parts == 4) return address.empty();
        if (address.empty() || address.front() != '.') return false;
        address.remove_prefix(1);
    }
}

bool IsLoopbackAddress(std::string_view address) {
    return IsValidAddress(address) && address.substr(0, 4) == "127.";
}

bool IsValidPort(long long port) {
    return port >= 1 && port <= 65535;
}

bool IsValidHostName(std::string_view name) {
    if (name.empty() || name.size() > 253) return false;
    size_t label = 0;
    for (size_t i = 0; i <= name.size(); ++i) {
        const char c = i < name.size() ? name[i] : '.';
        if (c == '.') {
            if (label == 0 || label > 63 || name[i - 1] == '-' || name[i - label] == '-')
                return false;
            label = 0;
        } else if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                   c == '-') {
            ++label;
        } else {
            return false;
        }
    }
    return true;
}

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text += digits[byte >> 4];
        text += digits[byte & 15];
    }
    return text;
}

bool FromHex(std::string_view text, std::vector<uint8_t>& bytes) {
    if (text.size() % 2 != 0) return false;
    std::vector<uint8_t> out;
    out.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        uint8_t value = 0;
        const auto [end, error] = std::from_chars(text.data() + i, text.data() + i + 2, value, 16);
        if (error != std::errc() || end != text.data() + i + 2) return false;
        out.push_back(value);
    }
    bytes = std::move(out);
    return true;
}

WebConfig ParseWebConfig(std::string_view text) {
    WebConfig config;
    std::vector<uint8_t> hash, salt;
    long long iterations = 0, format = 0;
    if (text.size() > kMaxFileSize) text = text.substr(0, kMaxFileSize);
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        const size_t equals = line.find('=');
        if (line.empty() || line.front() == '#' || equals == std::string_view::npos) continue;
        const std::string_view key = Trim(line.substr(0, equals));
        const std::string_view value = Trim(line.substr(equals + 1));
        long long number = 0;
        if (key == "enabled") {
            config.enabled = value == "1" || value == "true" || value == "yes";
        } else if (key == "address") {
            if (IsValidAddress(value)) config.address = std::string(value);
        } else if (key == "port") {
            if (ParseNumber(value, number) && IsValidPort(number))
                config.port = static_cast<int>(number);
        } else if (key == "host") {
            if (IsValidHostName(value)) {
                config.hostName = std::string(value);
                for (char& c : config.hostName) c = static_cast<char>(std::tolower(c));
            }
        } else if (key == "password_format") {
            if (!ParseNumber(value, format)) format = 0;
        } else if (key == "password_hash") {
            if (!FromHex(value, hash)) hash.clear();
        } else if (key == "password_salt") {
            if (!FromHex(value, salt)) salt.clear();
        } else if (key == "password_iterations") {
            if (!ParseNumber(value, iterations)) iterations = 0;
        } else if (key == "metrics_token_sha256") {
            std::vector<uint8_t> token;
            if (FromHex(value, token) && token.size() == kHashSize)
                config.metricsTokenHash = std::move(token);
        }
    }
    // The parts are one password: a part missing or out of bounds means no password, and a
    // hash that is there but cannot be used is said to be so, never taken with another meaning.
    if (hash.size() == kHashSize && salt.size() >= kMinSaltSize && salt.size() <= kMaxSaltSize) {
        if (format == kPasswordFormat && iterations >= kMinPasswordIterations &&
            iterations <= kMaxPasswordIterations)
            config.password = {std::move(hash), std::move(salt), static_cast<uint32_t>(iterations)};
        else
            config.passwordUnusable = true;
    }
    return config;
}

std::string FormatWebConfig(const WebConfig& config) {
    std::ostringstream out;
    out << "# Korvane Server web administration. The password is kept only as a salted hash;\n"
           "# set it in Game > Web Administration.\n"
        << "enabled=" << (config.enabled ? 1 : 0) << "\n"
        << "address=" << config.address << "\n"
        << "port=" << config.port << "\n";
    if (!config.hostName.empty()) out << "host=" << config.hostName << "\n";
    if (config.password.IsSet()) {
        out << "password_format=" << kPasswordFormat << "\n"
            << "password_hash=" << ToHex(config.password.hash) << "\n"
            << "password_salt=" << ToHex(config.password.salt) << "\n"
            << "password_iterations=" << config.password.iterations << "\n";
    }
    if (!config.metricsTokenHash.empty())
        out << "metrics_token_sha256=" << ToHex(config.metricsTokenHash) << "\n";
    return out.str();
}

std::optional<std::string> ReadConfigText(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return std::nullopt;
    std::string text(kMaxFileSize, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    return text;
}

WebConfig LoadWebConfig(const std::string& path) {
    const auto text = ReadConfigText(path);
    return text ? ParseWebConfig(*text) : WebConfig();
}

bool SaveWebConfig(const WebConfig& config, const std::string& path) {
    return WriteConfigText(FormatWebConfig(config), path);
}

bool WriteConfigText(const std::string& text, const std::string& path) {
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file << text;
        file.close();
        if (!file) {
            std::remove(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

}  // namespace korvane::web
