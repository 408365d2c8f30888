// How everything but the server thread reaches the engine: one call (or a short group of
// them) at a time, with EngineLock held. Free of windows.h, so the settings built on it can
// be compiled and checked anywhere.
#pragma once

#include <functional>
#include <string>

#include "contract/EngineInterface.h"

namespace korvane {

class EngineGate {
  public:
    // Runs `use` with the engine while EngineLock is held; false, with nothing run, when no
    // engine is loaded.
    virtual bool WithEngine(const std::function<void(EngineInterface&)>& use) = 0;
    // A line of the front end's own for the operator's console, shown among the engine's.
    virtual void Note(const std::string& line) = 0;

  protected:
    ~EngineGate() = default;
};

}  // namespace korvane
