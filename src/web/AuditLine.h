// The audit trail's one line format, shared by every front reached from outside the window
// (web, RCON, metrics): "[<front> <address>] <what>", where the address is the connection's
// own peer and never one a request claims for itself.
#pragma once

#include <string>
#include <string_view>

namespace korvane::web {

// "[web 192.0.2.4] kick 7 (Sundance)". A control character (an engine-supplied name may hold
// a line break) becomes a space, so that one action is one console line and one log line.
inline std::string AuditLine(std::string_view front, std::string_view address,
                             std::string_view what) {
    std::string line = "[";
    line.append(front).append(" ").append(address).append("] ").append(what);
    for (char& c : line)
        if (static_cast<unsigned char>(c) < 32 || c == 127) c = ' ';
    return line;
}

}  // namespace korvane::web
