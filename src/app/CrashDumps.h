// The process's last word: an unhandled exception anywhere in the process (the engine's code
// included) writes a minidump to dumps\, a line to the console log and a note for the next
// start, then ends the process with the exception's code. No error-reporting dialog is left
// waiting for a click, so a panel or a service manager sees the end at once.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "host/CallClock.h"

namespace korvane::app {

struct CrashDumpOptions {
    bool writeDumps = true;      // --no-dumps: still the log line and the note, but no dump
    bool consoleLog = true;      // --no-console-log: no line in a log that is off
    std::string programVersion;  // in the dump's name
};

// Installs the handler for the rest of the run. Called in the installation folder, whose
// dumps\, logs\ and korvane\ it keeps as full paths, so that the working folder is never
// asked for while the process is failing. Also trims the dumps left by earlier runs.
void InstallCrashHandler(const CrashDumpOptions& options);

// A dump of the process as it is now (the engine hangs): its full path, or empty when dumps
// are off or none could be written. Old dumps are trimmed after it.
std::string WriteDumpNow();

// What the watchdog does on a hang, in every program: the line that says so, then a dump of
// the process and where it went, both for the console, the log and the web.
void ReportHang(EngineGate& console, const RunningCall& call, uint64_t nowMs);

// The line about how the last run ended, once, when it ended with an unhandled exception:
// "The last run ended with exception <code> at <time>; dump: <path>". Reads and removes the
// note in korvane\ of the working folder; nothing when there is none or it cannot be read.
std::optional<std::string> TakeLastCrashReport();

// Trimming: which of a folder's dumps go, so that the newest `keep` remain and together take
// at most `maxBytes`. Only names the handler writes count ("korvane-*.dmp", any case); their
// names sort by time within one version, and the write time orders the rest.
struct DumpFile {
    std::string name;
    uint64_t bytes = 0;
    uint64_t writeTime = 0;  // FILETIME as one number
};
inline constexpr size_t kKeptDumps = 10;
inline constexpr uint64_t kMaxDumpBytes = 1ull << 30;
std::vector<std::string> DumpsToRemove(std::vector<DumpFile> dumps, size_t keep = kKeptDumps,
                                       uint64_t maxBytes = kMaxDumpBytes);

}  // namespace korvane::app
