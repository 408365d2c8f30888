// Where the engine comes from: server.dll in the working folder (ServerDllLibrary.h), or, in
// the tests, a recording engine. Free of windows.h.
#pragma once

#include <string>

#include "contract/EngineInterface.h"

namespace korvane {

class EngineLibrary {
  public:
    virtual ~EngineLibrary() = default;
    // CreateEngine, ordinal 1; nonzero (or a missing library) is failure.
    virtual int Create(int version, const InterfaceId* iid, EngineInterface** out) = 0;
    // ReleaseEngine, ordinal 2; its result is of no use.
    virtual void Release() = 0;
    // After a failed Create: what was looked for, where, and what went wrong.
    virtual std::string Failure() const { return {}; }
};

}  // namespace korvane
