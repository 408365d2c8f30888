// One Source RCON connection's conversation: login, commands and their answers. The listener
// (web/RconServer) admits the connection and owns its thread.
#pragma once

#include <string>

#include "host/EngineHost.h"
#include "web/Listener.h"
#include "web/Sessions.h"
#include "web/WebConfig.h"

namespace korvane::web {

// What every connection of one listener shares.
struct RconContext {
    EngineHost& host;
    LoginThrottle& throttle;
    const PasswordRecord password;
};

// Serves the connection until it ends: the client leaves, breaks the protocol, waits too long
// or is cut. Never throws.
void ServeRcon(RconContext& context, ConnectionStream& stream, const std::string& address);

}  // namespace korvane::web
