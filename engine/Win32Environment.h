// The engine's environment on Windows: GetTickCount64 and the ANSI file functions, with
// relative paths resolved against the process's working folder (the installation).
#pragma once

#include "EngineEnvironment.h"

namespace korvane {

class Win32Environment final : public EngineEnvironment {
  public:
    uint64_t NowMs() override;
    ReadResult ReadFile(const std::string& path, std::string& contents, size_t maxBytes) override;
    bool WriteFileReplacing(const std::string& path, const std::string& contents) override;
    bool ListFolder(const std::string& folder, std::vector<FoundFile>& entries) override;
    void SleepMs(uint32_t ms) override;
    void Fault() override;
};

}  // namespace korvane
