// Reading and writing korvane/rcon.cfg, and the switches' settings for the run.
#include "web/RconConfig.h"

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>

#include "web/Crypto.h"

namespace korvane::web {

namespace {

constexpr size_t kMaxFileSize = 64 * 1024;

}  // namespace

WebConfig DefaultRconConfig() {
    return ParseRconConfig({});
}

WebConfig ParseRconConfig(std::string_view text) {
    // A later line wins: the file's own port replaces this default one.
    WebConfig config = ParseWebConfig("port=" + std::to_string(kDefaultRconPort) + "\n" +
                                      std::string(text.substr(0, kMaxFileSize)));
    config.hostName.clear();
    return config;
}

std::string FormatRconConfig(const WebConfig& config) {
    std::string settings = FormatWebConfig(config);
    while (settings.starts_with("#")) settings.erase(0, settings.find('\n') + 1);
    return "# Korvane Server Source RCON. The password is kept only as a salted hash;\n"
           "# set it in Game > Web Administration.\n" +
           settings;
}

WebConfig LoadRconConfig(const std::string& path) {
    std::ifstream file(path, std::ios::binary);
    if (!file) return DefaultRconConfig();
    std::string text(kMaxFileSize, '\0');
    file.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<size_t>(file.gcount()));
    return ParseRconConfig(text);
}

bool SaveRconConfig(const WebConfig& config, const std::string& path) {
    const std::string temporary = path + ".new";
    {
        std::ofstream file(temporary, std::ios::binary | std::ios::trunc);
        if (!file) return false;
        file << FormatRconConfig(config);
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

WebConfig RconConfigForRun(const WebConfig& stored, const RconSwitches& switches,
                           std::string& message) {
    message.clear();
    WebConfig config = stored;
    if (!switches.error.empty()) {
        message = "Source RCON is off for this run: " + switches.error;
        config.enabled = false;
        return config;
    }
    if (switches.listen) {
        config.enabled = true;
        config.address = switches.address;
        config.port = switches.port;
    }
    if (!switches.passwordFile.empty()) {
        // The file's exact bytes, its line end trimmed, as the web's password file.
        std::string password, error;
        if (ReadPasswordFile(switches.passwordFile, password, error)) {
            config.password = HashPassword(password);
            config.passwordUnusable = false;
            if (!config.password.IsSet()) error = "the password could not be hashed";
        }
        std::fill(password.begin(), password.end(), '\0');
        if (!error.empty()) {
            message = "Source RCON is off for this run: " + error;
            config.enabled = false;
        }
    }
    return config;
}

}  // namespace korvane::web
