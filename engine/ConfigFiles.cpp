// Executing and writing configuration files.
#include "ConfigFiles.h"

#include <algorithm>

#include "CommandLine.h"
#include "ConfigText.h"

namespace korvane {

namespace {

// A file's name as the exec cycle check compares it: Windows paths, so letter case and the
// kind of slash do not matter, and "." and "name/.." segments are taken out. Names that still
// differ for one file (links, short names) only get as far as the work bound lets them.
std::string ExecKey(std::string_view path) {
    std::vector<std::string_view> parts;
    while (!path.empty()) {
        const size_t end = path.find_first_of("/\\");
        const std::string_view part = path.substr(0, end);
        if (part == ".." && !parts.empty() && parts.back() != "..")
            parts.pop_back();
        else if (!part.empty() && part != ".")
            parts.push_back(part);
        if (end == std::string_view::npos) break;
        path.remove_prefix(end + 1);
    }
    std::string key;
    for (std::string_view part : parts) {
        if (!key.empty()) key += '/';
        for (char c : part) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    return key;
}

}  // namespace

ConfigFiles::ConfigFiles(EngineState& state, std::function<int(std::string_view)> runLine)
    : environment_(state.environment),
      console_(state.console),
      variables_(state.variables),
      runLine_(std::move(runLine)) {}

int ConfigFiles::ExecuteConfigFile(const char* path) {
    if (path == nullptr || *path == '\0') return 0;
    std::string file(path, BoundedLength(path, kMaxPathLength + 1));
    if (file.size() > kMaxPathLength) {
        console_.Print("exec: path too long");
        return 0;
    }
    if (execDepth_ == 0) {
        execLines_ = 0;
        execPrintedBefore_ = console_.LinesPrinted();
        execBytes_ = 0;
        execStopped_ = false;
    } else if (!ExecWorkLeft(file)) {
        return 0;
    }
    if (execDepth_ >= kMaxExecDepth) {
        console_.Print("exec: %s not executed, configuration files nested too deeply",
                       file.c_str());
        return 0;
    }
    std::string key = ExecKey(file);
    if (std::find(execStack_.begin(), execStack_.end(), key) != execStack_.end()) {
        console_.Print(
            "exec: %s is being executed already; a file that executes itself, "
            "directly or through others, is not run again",
            file.c_str());
        return 0;
    }
    std::string text;
    switch (environment_.ReadFile(file, text, kMaxConfigBytes)) {
        case ReadResult::Read:
            break;
        case ReadResult::Missing:
            console_.Print("%s not found, settings unchanged", file.c_str());
            return 0;
        case ReadResult::Folder:
            console_.Print("exec: %s is a folder, not a configuration file; settings unchanged",
                           file.c_str());
            return 0;
        case ReadResult::TooLarge:
            console_.Print(
                "exec: %s is larger than %u MB, not a configuration file; settings "
                "unchanged",
                file.c_str(), static_cast<unsigned>(kMaxConfigBytes >> 20));
            return 0;
        case ReadResult::Failed:
            console_.Print("exec: could not read %s; settings unchanged", file.c_str());
            return 0;
    }
    execBytes_ += text.size();
    console_.Print("Executing %s", file.c_str());
    return ExecuteConfigText(text, file, std::move(key));
}

bool ConfigFiles::ExecWorkLeft(const std::string& file) {
    if (execStopped_) return false;
    const uint64_t printed = console_.LinesPrinted() - execPrintedBefore_;
    if (execLines_ < kMaxExecWork && printed < kMaxExecWork && execBytes_ < kMaxExecBytes)
        return true;
    execStopped_ = true;
    console_.Print(
        "exec: stopped in %s after %llu lines run and %llu printed from %u KB read; "
        "the rest of the configuration is skipped",
        file.c_str(), static_cast<unsigned long long>(execLines_),
        static_cast<unsigned long long>(printed), static_cast<unsigned>(execBytes_ >> 10));
    return false;
}

int ConfigFiles::ExecuteConfigText(std::string_view text, const std::string& file,
                                   std::string key) {
    struct StackGuard {
        ConfigFiles& files;
        StackGuard(ConfigFiles& f, std::string key) : files(f) {
            files.execStack_.push_back(std::move(key));
            ++files.execDepth_;
        }
        ~StackGuard() {
            --files.execDepth_;
            files.execStack_.pop_back();
        }
    } guard(*this, std::move(key));
    ForEachLine(text, [this, &file](std::string_view line) {
        if (IsCommentOrBlank(line) || !ExecWorkLeft(file)) return;
        ++execLines_;
        runLine_(line);
    });
    return 1;
}

int ConfigFiles::WriteConfigFile(const char* path, int flags) {
    if (path == nullptr || *path == '\0') return 0;
    std::string file(path, BoundedLength(path, kMaxPathLength + 1));
    if (file.size() > kMaxPathLength) return 0;
    if (!environment_.WriteFileReplacing(file, FormatConfig(variables_, flags))) {
        console_.Print("Could not write %s", file.c_str());
        return 0;
    }
    console_.Print("Configuration written to %s", file.c_str());
    return 1;
}

}  // namespace korvane
