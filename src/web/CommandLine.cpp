// The web administration's settings for the run, and its password file.
#include "web/CommandLine.h"

#include <algorithm>
#include <fstream>

#include "web/Crypto.h"
#include "web/MetricsToken.h"
#include "web/TextCodec.h"

namespace korvane::web {

bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error) {
    error.clear();
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = "the password file " + path + " cannot be read";
        return false;
    }
    // Enough for the longest password, a byte-order mark and a line end, and to see that the
    // line goes on beyond the longest.
    std::string line(kMaxPasswordBytes + 8, '\0');
    file.read(line.data(), static_cast<std::streamsize>(line.size()));
    line.resize(static_cast<size_t>(file.gcount()));
    if (line.compare(0, 3, "\xEF\xBB\xBF") == 0) line.erase(0, 3);
    line = line.substr(0, line.find_first_of("\r\n"));
    if (line.size() <= kMaxPasswordBytes && !IsUtf8(line))
        error = "the password in " + path + " is not UTF-8 text";
    else if (Utf8Length(line) < kMinPasswordLength || line.size() > kMaxPasswordBytes)
        error = "the password in " + path + " must have at least " +
                std::to_string(kMinPasswordLength) + " characters and at most " +
                std::to_string(kMaxPasswordBytes) + " bytes of UTF-8 on its first line";
    if (!error.empty()) {
        std::fill(line.begin(), line.end(), '\0');
        return false;
    }
    password = std::move(line);
    return true;
}

std::string TakePasswordFile(const std::string& path, WebConfig& config) {
    std::string password, error;
    if (ReadPasswordFile(path, password, error)) {
        config.password = HashPassword(password);
        config.passwordUnusable = false;
        if (!config.password.IsSet()) error = "the password could not be hashed";
    }
    std::fill(password.begin(), password.end(), '\0');
    return error;
}

WebConfig ConfigForRun(const WebConfig& stored, const WebAdminSwitches& switches,
                       std::string& message) {
    message.clear();
    WebConfig config = stored;
    if (!switches.error.empty()) {
        message = "Web administration is off for this run: " + switches.error;
        config.enabled = false;
        return config;
    }
    if (switches.listen) {
        config.enabled = true;
        config.address = switches.address;
        config.port = switches.port;
    }
    if (!switches.hostName.empty()) config.hostName = switches.hostName;
    if (!switches.passwordFile.empty()) {
        const std::string error = TakePasswordFile(switches.passwordFile, config);
        if (!error.empty()) {
            message = "Web administration is off for this run: " + error;
            config.enabled = false;
        }
    }
    if (!switches.metricsTokenFile.empty()) {
        std::string token, error;
        if (ReadMetricsTokenFile(switches.metricsTokenFile, token, error)) {
            config.metricsTokenHash = MetricsTokenHash(token);
            if (config.metricsTokenHash.empty()) error = "the token could not be hashed";
        }
        std::fill(token.begin(), token.end(), '\0');
        if (!error.empty()) {
            config.metricsTokenHash.clear();
            if (message.empty()) message = "Metrics are not served this run: " + error;
        }
    }
    return config;
}

}  // namespace korvane::web
