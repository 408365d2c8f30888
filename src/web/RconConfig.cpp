// Reading and writing korvane/rcon.cfg, and the switches' settings for the run.
#include "web/RconConfig.h"

#include <algorithm>

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
    const auto text = ReadConfigText(path);
    return text ? ParseRconConfig(*text) : DefaultRconConfig();
}

bool SaveRconConfig(const WebConfig& config, const std::string& path) {
    return WriteConfigText(FormatRconConfig(config), path);
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
        const std::string error = TakePasswordFile(switches.passwordFile, config);
        if (!error.empty()) {
            message = "Source RCON is off for this run: " + error;
            config.enabled = false;
        }
    }
    return config;
}

}  // namespace korvane::web
