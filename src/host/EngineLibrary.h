// Where the engine comes from: server.dll in the working folder, loaded by its full path and
// resolved by ordinal. Tests put a recording engine in its place.
#pragma once

#include "host/EngineInterface.h"
#include <string>

#include "ui/Handles.h"

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

class ServerDllLibrary final : public EngineLibrary {
  public:
    int Create(int version, const InterfaceId* iid, EngineInterface** out) override;
    void Release() override;
    std::string Failure() const override { return failure_; }

  private:
    bool Load();

    ui::Library library_;
    CreateEngineFn create_ = nullptr;
    ReleaseEngineFn release_ = nullptr;
    std::string failure_;
};

// The full path of `relative` inside the current working folder, or "" when it does not fit.
std::string PathInWorkingFolder(const char* relative);

}  // namespace korvane
