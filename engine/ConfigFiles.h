// Configuration files: executing one line by line (with the files it executes in turn) and
// writing the variables out. One top-level exec, with every file it executes in turn, runs at
// most kMaxExecWork lines, prints at most as many and reads at most kMaxExecBytes: files that
// execute each other many times over must not freeze the caller (who holds the engine lock)
// for long.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "Console.h"
#include "EngineEnvironment.h"
#include "EngineState.h"
#include "VariableStore.h"

namespace korvane {

class ConfigFiles {
  public:
    static constexpr size_t kMaxConfigBytes = 4 * 1024 * 1024;
    static constexpr int kMaxExecDepth = 8;
    static constexpr uint64_t kMaxExecWork = 20000;
    static constexpr size_t kMaxExecBytes = 4 * kMaxConfigBytes;

    // runLine runs one line of a file as a console command.
    ConfigFiles(EngineState& state, std::function<int(std::string_view)> runLine);
    ConfigFiles(const ConfigFiles&) = delete;
    ConfigFiles& operator=(const ConfigFiles&) = delete;

    int ExecuteConfigFile(const char* path);
    int WriteConfigFile(const char* path, int flags);
    // Whether a configuration file is being executed right now.
    bool Executing() const { return execDepth_ > 0; }

  private:
    // file names the file in console lines; key is its ExecKey.
    int ExecuteConfigText(std::string_view text, const std::string& file, std::string key);
    // Whether the current top-level exec may go on; says so once when it may not.
    bool ExecWorkLeft(const std::string& file);

    EngineEnvironment& environment_;
    Console& console_;
    VariableStore& variables_;
    std::function<int(std::string_view)> runLine_;
    int execDepth_ = 0;
    // The files being executed, outermost first, as ExecKey gives them.
    std::vector<std::string> execStack_;
    // Work of the current top-level exec: lines run, console lines when it began, bytes read.
    uint64_t execLines_ = 0;
    uint64_t execPrintedBefore_ = 0;
    size_t execBytes_ = 0;
    bool execStopped_ = false;
};

}  // namespace korvane
