// Every command-line switch the programs take, read in one place from one table:
//   korvane-server.exe [-s] [--no-console-log] [--no-dumps] [--hang-seconds 60] [--webadmin 127.0.0.1:8080]
//                      [--webadmin-password-file <file>] [--webadmin-host <name>]
//                      [--restart-at 06:00,18:00]
//                      [--rcon 127.0.0.1:27015] [--rcon-password-file <file>]
//                      [--metrics-token-file <file>]
//   korvane-console.exe  the same, and [--timestamps]
//   korvane-console.exe also: --install-service [name] | --uninstall-service [name]
//                             | --service [name]
// Switches hold for the run they are given to and are never saved; an argument no switch
// knows is left alone.
#pragma once

#include <string>
#include <optional>
#include <string_view>
#include <vector>

#include "web/CommandLine.h"

namespace korvane::app {

// The Windows service commands of korvane-console.exe (app/Service.h carries them out).
struct ServiceSwitches {
    enum class Command { None, Install, Uninstall, Run };
    Command command = Command::None;
    std::string name;  // the service's name as given; empty: the default name
};

struct Switches {
    bool skipSettings = false;  // -s: the command line begins with "-s" in any case ("-settings")
    bool consoleLog = true;     // --no-console-log turns the console log off
    bool dumps = true;          // --no-dumps: a crash writes no dump
    unsigned hangSeconds = 60;  // --hang-seconds N: the hang watchdog's bound; 0 turns it off
    // --restart-at 06:00,18:00: the restart times for this run instead of the stored ones
    std::optional<std::vector<int>> restartAt;
    // --successor: started by a copy that restarts; waits for that copy to end rather than
    // taking it for another one running
    bool successor = false;
    std::string error;          // a switch given wrongly (not the web's), for the console
    web::WebAdminSwitches web;  // --webadmin, --webadmin-password-file, --webadmin-host,
                                // --metrics-token-file (and --rcon, --rcon-password-file in
                                // web.rcon)
    bool timestamps = false;    // --timestamps: korvane-console.exe's output lines carry the time
    ServiceSwitches service;    // --install-service, --uninstall-service, --service
};

// Splits a command line at blanks; double quotes group text with blanks and are dropped.
// Backslashes are plain characters, so "C:\folder\" stays a folder name.
std::vector<std::string> SplitArguments(std::string_view arguments);

// The switches of `arguments` (the command line after the program's name). A file a switch
// names is made absolute against the working folder now, so read them before the program
// enters its installation folder.
Switches ParseSwitches(std::string_view arguments);

}  // namespace korvane::app
