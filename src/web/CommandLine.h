// What the command-line switches say about web administration for the run (app/Switches
// reads them), and how they change the stored settings for it.
#pragma once

#include <string>

#include "web/WebConfig.h"

namespace korvane::web {

// --rcon and --rcon-password-file: the Source RCON console for the run (web/RconConfig.h).
struct RconSwitches {
    bool listen = false;  // --rcon given: on for this run, at this address and port
    std::string address;
    int port = 0;
    std::string passwordFile;
    std::string error;  // why the switches cannot be used; empty when they can
};

struct WebAdminSwitches {
    bool listen = false;  // --webadmin given: on for this run, at this address and port
    std::string address;
    int port = 0;
    std::string passwordFile;  // --webadmin-password-file, empty when not given
    std::string hostName;      // --webadmin-host, lower case, empty when not given
    std::string metricsTokenFile;  // --metrics-token-file, empty when not given
    std::string error;         // why the switches cannot be used; empty when they can
    RconSwitches rcon;
};

// The settings for this run: the stored ones as the switches change them. A password file is
// read (its first line is the password) and hashed, and so is a metrics token's file; the
// files are never written. A metrics token file that cannot be used leaves /metrics unserved
// (the rest goes on) and `message` says why. When the
// switches or the file cannot be used, web administration is off for the run and `message`
// says why; otherwise `message` is empty.
WebConfig ConfigForRun(const WebConfig& stored, const WebAdminSwitches& switches,
                       std::string& message);

// The password in a file's first line: its UTF-8 bytes (with or without a byte-order mark, which
// is dropped) without the line end; false with the reason in `error`.
bool ReadPasswordFile(const std::string& path, std::string& password, std::string& error);
// That password, hashed, in place of `config`'s (the clear text wiped); the reason it cannot be
// used, or empty.
std::string TakePasswordFile(const std::string& path, WebConfig& config);

}  // namespace korvane::web
