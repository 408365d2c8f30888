// What the simulated engine needs from the operating system: a monotonic clock and a few
// file operations. The DLL uses the Win32 implementation; tests substitute their own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace korvane {

struct FoundFile {
    std::string name;
    bool isFolder = false;
};

// What became of reading a file, so that the operator is told what is really wrong.
enum class ReadResult { Read, Missing, Folder, TooLarge, Failed };

class EngineEnvironment {
  public:
    virtual ~EngineEnvironment() = default;

    // Milliseconds from an arbitrary origin; never goes backwards.
    virtual uint64_t NowMs() = 0;
    // The whole file in contents when Read; otherwise why not (a file larger than maxBytes is
    // TooLarge).
    virtual ReadResult ReadFile(const std::string& path, std::string& contents,
                                size_t maxBytes) = 0;
    // Replaces the file so that an interruption leaves either the old or the new file whole.
    virtual bool WriteFileReplacing(const std::string& path, const std::string& contents) = 0;
    // The folder's entries without "." and ".."; false when the folder does not exist.
    virtual bool ListFolder(const std::string& folder, std::vector<FoundFile>& entries) = 0;
    // What `hangtick` and `crashtick` do to the Tick they take over: block for that long,
    // or fail as a broken engine does (an access violation on Windows).
    virtual void SleepMs(uint32_t ms) = 0;
    virtual void Fault() = 0;
};

}  // namespace korvane
