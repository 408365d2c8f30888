// The Source RCON console's settings: korvane/rcon.cfg, in the web administration's own
// format (enabled, address, port and the password as a salted hash; no host name), and how
// the command-line switches change them for the run.
#pragma once

#include <string>
#include <string_view>

#include "web/CommandLine.h"
#include "web/WebConfig.h"

namespace korvane::web {

inline constexpr const char* kRconConfigPath = "korvane/rcon.cfg";
inline constexpr int kDefaultRconPort = 27015;

// Off, on 127.0.0.1:27015, without a password.
WebConfig DefaultRconConfig();
// A damaged or hostile file gives safe defaults field by field, as the web's does.
WebConfig ParseRconConfig(std::string_view text);
std::string FormatRconConfig(const WebConfig& config);
WebConfig LoadRconConfig(const std::string& path = kRconConfigPath);
// Through a temporary file, so a failure leaves the old one; false when it cannot be written.
bool SaveRconConfig(const WebConfig& config, const std::string& path = kRconConfigPath);

// The settings for this run: the stored ones as --rcon and --rcon-password-file change them.
// When they cannot be used RCON is off for the run and `message` says why; otherwise it is
// empty.
WebConfig RconConfigForRun(const WebConfig& stored, const RconSwitches& switches,
                           std::string& message);

}  // namespace korvane::web
