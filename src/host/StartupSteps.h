// The start-up steps from creating the engine to running the game, each one engine
// exchange. Called on the window thread before the server thread exists.
#pragma once

#include <array>
#include <string>

#include "contract/EngineInterface.h"
#include "host/EngineLibrary.h"

namespace korvane {

// Creates the engine from the library and reads its version; null when CreateEngine fails
// (the library says why).
EngineInterface* CreateEngine(EngineLibrary& library, std::array<int, 3>& version);

// The fixed archive names and those of the working folder's "resource.txt"; nonzero when the
// engine accepts them.
int SetUpResourceArchives(EngineInterface& engine);

// Selects "Internet TCP/IP" when offered; nonzero when the engine's commit says it is ready.
int SelectNetworkService(EngineInterface& engine);

// Opens the host and starts the session on `startMap` (already in lower case); nonzero when
// the host opened.
int StartHosting(EngineInterface& engine, const std::string& startMap, int maxPlayers,
                 const std::string& sessionText);

}  // namespace korvane
