// The game's engine: server.dll in the working folder, loaded by its full path and resolved
// by ordinal.
#pragma once

#include <string>

#include "host/EngineLibrary.h"
#include "ui/Handles.h"

namespace korvane {

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
