// The command line's switches: one table, one reading of it.
#include "app/Switches.h"

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <charconv>
#include <optional>

#include "app/RestartSchedule.h"
#include "web/WebConfig.h"

namespace korvane::app {

namespace {

// What follows a switch's name. Value and File take "--name=value" or the next argument.
enum class Takes {
    Nothing,        // a flag: the argument is exactly the name
    Value,          // text
    File,           // a file name, made absolute against the folder the program starts in
    LeadingPrefix,  // the command line itself begins with the name, in any case
    OptionalValue,  // "--name=value", or the next argument unless it is another switch
};

// The switch's value; none when a Value or File switch came without one.
using Value = std::optional<std::string>;

struct SwitchRow {
    std::string_view name;
    Takes takes;
    void (*apply)(Switches& switches, const Value& value);
};

// "address:port" with an IPv4 address and a port from 1 to 65535.
bool ParseListenAddress(const std::string& value, std::string& address, int& port) {
    const size_t colon = value.rfind(':');
    long long number = 0;
    const char* digits = value.c_str() + (colon == std::string::npos ? 0 : colon + 1);
    const char* end = value.c_str() + value.size();
    const auto [stop, error] = std::from_chars(digits, end, number);
    address = value.substr(0, colon == std::string::npos ? 0 : colon);
    port = static_cast<int>(number);
    return colon != std::string::npos && error == std::errc() && stop == end &&
           web::IsValidPort(number) && web::IsValidAddress(address);
}

void TakeWebAdmin(Switches& switches, const Value& value) {
    web::WebAdminSwitches& web = switches.web;
    if (!value) {
        web.error = "--webadmin needs an address and port, such as 127.0.0.1:8080";
        return;
    }
    if (!ParseListenAddress(*value, web.address, web.port)) {
        web.error = "--webadmin " + *value +
                    ": give an IPv4 address and port, such as 127.0.0.1:8080";
        return;
    }
    web.listen = true;
}

void TakeRcon(Switches& switches, const Value& value) {
    web::RconSwitches& rcon = switches.web.rcon;
    if (!value || !ParseListenAddress(*value, rcon.address, rcon.port)) {
        rcon.error = "--rcon needs an IPv4 address and port, such as 127.0.0.1:27015";
        return;
    }
    rcon.listen = true;
}

void TakeRconPasswordFile(Switches& switches, const Value& value) {
    if (!value || value->empty())
        switches.web.rcon.error = "--rcon-password-file needs a file name";
    else
        switches.web.rcon.passwordFile = *value;
}

void TakeWebAdminPasswordFile(Switches& switches, const Value& value) {
    if (!value || value->empty())
        switches.web.error = "--webadmin-password-file needs a file name";
    else
        switches.web.passwordFile = *value;
}

void TakeWebAdminHost(Switches& switches, const Value& value) {
    if (!value || !web::IsValidHostName(*value)) {
        switches.web.error = "--webadmin-host needs a host name, such as game-host.example.net";
        return;
    }
    std::string name = *value;
    std::transform(name.begin(), name.end(), name.begin(),
                   [](char c) { return static_cast<char>(std::tolower(c)); });
    switches.web.hostName = std::move(name);
}

void TakeMetricsTokenFile(Switches& switches, const Value& value) {
    if (!value || value->empty())
        switches.web.error = "--metrics-token-file needs a file name";
    else
        switches.web.metricsTokenFile = *value;
}

template <ServiceSwitches::Command command>
void TakeServiceCommand(Switches& switches, const Value& value) {
    switches.service.command = command;
    switches.service.name = value.value_or(std::string());
}

void TakeHangSeconds(Switches& switches, const Value& value) {
    const std::string text = value.value_or("");
    const char* end = text.data() + text.size();
    unsigned seconds = 0;
    const auto [stop, error] = std::from_chars(text.data(), end, seconds);
    if (text.empty() || error != std::errc() || stop != end || seconds > 86400) {
        switches.error = "--hang-seconds " + text +
                         ": give whole seconds from 0 (off) to 86400; the watchdog keeps " +
                         std::to_string(switches.hangSeconds) + " s";
        return;
    }
    switches.hangSeconds = seconds;
}

void TakeRestartAt(Switches& switches, const Value& value) {
    std::string why;
    auto times = ParseTimesOfDay(value.value_or(""), why);
    if (!value || !times || times->empty()) {
        switches.error = "--restart-at " + value.value_or("") + ": " +
                         (why.empty() ? "give times of day such as 06:00,18:00" : why) +
                         "; the stored schedule stands";
        return;
    }
    switches.restartAt = std::move(times);
}

// Every switch of every program; a new switch is a new row.
constexpr SwitchRow kSwitches[] = {
    {"-s", Takes::LeadingPrefix, [](Switches& s, const Value&) { s.skipSettings = true; }},
    {"--no-console-log", Takes::Nothing, [](Switches& s, const Value&) { s.consoleLog = false; }},
    {"--no-dumps", Takes::Nothing, [](Switches& s, const Value&) { s.dumps = false; }},
    {"--hang-seconds", Takes::Value, TakeHangSeconds},
    {"--restart-at", Takes::Value, TakeRestartAt},
    {"--successor", Takes::Nothing, [](Switches& s, const Value&) { s.successor = true; }},
    {"--webadmin", Takes::Value, TakeWebAdmin},
    {"--webadmin-password-file", Takes::File, TakeWebAdminPasswordFile},
    {"--webadmin-host", Takes::Value, TakeWebAdminHost},
    {"--rcon", Takes::Value, TakeRcon},
    {"--rcon-password-file", Takes::File, TakeRconPasswordFile},
    {"--metrics-token-file", Takes::File, TakeMetricsTokenFile},
    {"--timestamps", Takes::Nothing, [](Switches& s, const Value&) { s.timestamps = true; }},
    {"--install-service", Takes::OptionalValue,
     TakeServiceCommand<ServiceSwitches::Command::Install>},
    {"--uninstall-service", Takes::OptionalValue,
     TakeServiceCommand<ServiceSwitches::Command::Uninstall>},
    {"--service", Takes::OptionalValue, TakeServiceCommand<ServiceSwitches::Command::Run>},
};

bool StartsWithAnyCase(std::string_view text, std::string_view prefix) {
    return text.size() >= prefix.size() &&
           std::equal(prefix.begin(), prefix.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// The row's value at argument `i`, moving `i` past a value taken from the next argument;
// false when the argument is not this row's switch.
bool Match(const SwitchRow& row, const std::vector<std::string>& arguments, size_t& i,
           Value& value) {
    const std::string& argument = arguments[i];
    value.reset();
    if (argument == row.name) {
        if (row.takes == Takes::Nothing) return true;
        if (i + 1 < arguments.size() &&
            (row.takes != Takes::OptionalValue || arguments[i + 1].rfind("--", 0) != 0))
            value = arguments[++i];
        return true;
    }
    if (row.takes == Takes::Nothing || argument.size() <= row.name.size() ||
        argument.compare(0, row.name.size(), row.name) != 0 || argument[row.name.size()] != '=')
        return false;
    value = argument.substr(row.name.size() + 1);
    return true;
}

std::string FullPath(const std::string& file) {
    char full[MAX_PATH] = {};
    const DWORD length = GetFullPathNameA(file.c_str(), sizeof full, full, nullptr);
    return length > 0 && length < sizeof full ? std::string(full, length) : file;
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

Switches ParseSwitches(std::string_view text) {
    Switches switches;
    for (const SwitchRow& row : kSwitches)
        if (row.takes == Takes::LeadingPrefix && StartsWithAnyCase(text, row.name))
            row.apply(switches, std::nullopt);
    const std::vector<std::string> arguments = SplitArguments(text);
    for (size_t i = 0; i < arguments.size(); ++i) {
        for (const SwitchRow& row : kSwitches) {
            Value value;
            if (row.takes == Takes::LeadingPrefix || !Match(row, arguments, i, value)) continue;
            if (row.takes == Takes::File && value && !value->empty()) value = FullPath(*value);
            row.apply(switches, value);
            break;
        }
    }
    return switches;
}

}  // namespace korvane::app
