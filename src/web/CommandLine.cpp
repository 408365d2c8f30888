// Reading the web administration's command-line switches and its password file.
#include "web/CommandLine.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <fstream>

#include "web/Crypto.h"
#include "web/TextCodec.h"

namespace korvane::web {

namespace {

constexpr std::string_view kListenSwitch = "--webadmin";
constexpr std::string_view kPasswordSwitch = "--webadmin-password-file";
constexpr std::string_view kHostSwitch = "--webadmin-host";

// Takes the switch's value from "--name=value" or from the next argument.
bool TakeValue(const std::vector<std::string>& arguments, size_t& i, std::string_view name,
               std::string& value, bool& matched) {
    const std::string& argument = arguments[i];
    matched = false;
    if (argument == name) {
        matched = true;
        if (i + 1 >= arguments.size()) return false;
        value = arguments[++i];
        return true;
    }
    if (argument.size() > name.size() && argument.compare(0, name.size(), name) == 0 &&
        argument[name.size()] == '=') {
        matched = true;
        value = argument.substr(name.size() + 1);
        return true;
    }
    return true;
}

}  // namespace

std::vector<std::string> SplitArguments(std::string_view arguments) {
    std::vector<std::string> out;
    std::string current;
    bool inQuotes = false, inArgument = false;
    for (char c : arguments) {
        if (c == '"') {
            inQuotes = !inQuotes;
            inArgument = true;
        } else if (!inQuotes && (c == ' ' || c == '\t')) {
            if (inArgument) out.push_back(std::move(current));
            current.clear();
            inArgument = false;
        } else {
            current += c;
            inArgument = true;
        }
    }
    if (inArgument) out.push_back(std::move(current));
    return out;
}

WebAdminSwitches ParseWebAdminSwitches(std::string_view text) {
    WebAdminSwitches switches;
    const std::vector<std::string> arguments = SplitArguments(text);
    for (size_t i = 0; i < arguments.size(); ++i) {
        std::string value;
        bool matched = false;
        if (!TakeValue(arguments, i, kListenSwitch, value, matched)) {
            switches.error = "--webadmin needs an address and port, such as 127.0.0.1:8080";
        } else if (matched) {
            const size_t colon = value.rfind(':');
            long long port = 0;
            const char* digits = value.c_str() + (colon == std::string::npos ? 0 : colon + 1);
            const char* end = value.c_str() + value.size();
            const auto [stop, error] = std::from_chars(digits, end, port);
            const std::string address = value.substr(0, colon == std::string::npos ? 0 : colon);
            if (colon == std::string::npos || error != std::errc() || stop != end ||
                !IsValidPort(port) || !IsValidAddress(address)) {
                switches.error = "--webadmin " + value +
                                 ": give an IPv4 address and port, such as 127.0.0.1:8080";
            } else {
                switches.listen = true;
                switches.address = address;
                switches.port = static_cast<int>(port);
            }
        } else if (!TakeValue(arguments, i, kPasswordSwitch, value, matched) ||
                   (matched && value.empty())) {
            switches.error = "--webadmin-password-file needs a file name";
        } else if (matched) {
            switches.passwordFile = value;
        } else if (!TakeValue(arguments, i, kHostSwitch, value, matched) ||
                   (matched && !IsValidHostName(value))) {
            switches.error = "--webadmin-host needs a host name, such as game-host.example.net";
        } else if (matched) {
            std::transform(value.begin(), value.end(), value.begin(),
                           [](char c) { return static_cast<char>(std::tolower(c)); });
            switches.hostName = value;
        }
    }
    return switches;
}

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
        std::string password, error;
        if (ReadPasswordFile(switches.passwordFile, password, error)) {
            config.password = HashPassword(password);
            config.passwordUnusable = false;
            if (!config.password.IsSet()) error = "the password could not be hashed";
        }
        std::fill(password.begin(), password.end(), '\0');
        if (!error.empty()) {
            message = "Web administration is off for this run: " + error;
            config.enabled = false;
        }
    }
    return config;
}

}  // namespace korvane::web
