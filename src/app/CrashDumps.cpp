// The unhandled-exception handler. Everything it needs is worked out when it is installed: in
// the handler the heap, the working folder and any lock may be what failed, so it formats
// into fixed buffers and calls the system directly. Trimming old dumps, which needs the heap,
// comes last, after everything that matters is on disk.
#include "app/CrashDumps.h"

#include <windows.h>
#include <dbghelp.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>

#include "host/HangWatchdog.h"
#include "ui/Handles.h"

namespace korvane::app {

namespace {

using MiniDumpWriteDumpFunction = decltype(&MiniDumpWriteDump);

constexpr char kNotePath[] = "korvane\\last-crash.txt";
constexpr DWORD kDumpWaitMs = 120000;

struct HandlerState {
    bool writeDumps = false;
    bool consoleLog = false;
    char version[32] = "";
    char dumps[MAX_PATH] = "";
    char logs[MAX_PATH] = "";
    char note[MAX_PATH] = "";
    MiniDumpWriteDumpFunction writeDump = nullptr;
};
HandlerState state;
LONG entered = 0;

bool FullPath(const char* relative, char (&out)[MAX_PATH]) {
    const DWORD length = GetFullPathNameA(relative, MAX_PATH, out, nullptr);
    return length > 0 && length < MAX_PATH;
}

void WriteAll(HANDLE file, const char* text) {
    DWORD written = 0;
    WriteFile(file, text, static_cast<DWORD>(std::strlen(text)), &written, nullptr);
}

struct DumpJob {
    const char* path;
    EXCEPTION_POINTERS* info;
    DWORD threadId;
    bool written;
};

// Thread information and the memory the stacks point at make a dump worth reading; a system
// whose dbghelp refuses those gets the plain dump rather than none.
bool WriteDumpFile(DumpJob& job, MINIDUMP_TYPE type) {
    ui::Handle file(CreateFileA(job.path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    MINIDUMP_EXCEPTION_INFORMATION exception = {job.threadId, job.info, FALSE};
    return state.writeDump(GetCurrentProcess(), GetCurrentProcessId(), file.Get(), type,
                           job.info ? &exception : nullptr, nullptr, nullptr) != FALSE;
}

DWORD WINAPI DumpThread(void* parameter) {
    DumpJob& job = *static_cast<DumpJob*>(parameter);
    job.written = WriteDumpFile(job, static_cast<MINIDUMP_TYPE>(
                                         MiniDumpWithThreadInfo |
                                         MiniDumpWithIndirectlyReferencedMemory)) ||
                  WriteDumpFile(job, MiniDumpNormal);
    if (!job.written) DeleteFileA(job.path);
    return 0;
}

// A dump is best written from another thread than the failing one, whose stack is in an
// unknown state; when no thread can be made, the failing one tries.
bool WriteDump(const char* path, EXCEPTION_POINTERS* info) {
    DumpJob job = {path, info, GetCurrentThreadId(), false};
    ui::Handle thread(CreateThread(nullptr, 0, &DumpThread, &job, 0, nullptr));
    if (thread)
        WaitForSingleObject(thread.Get(), kDumpWaitMs);
    else
        DumpThread(&job);
    return job.written;
}

void AppendLogLine(const SYSTEMTIME& t, DWORD code, const char* dumpPath) {
    char path[MAX_PATH + 32];
    std::snprintf(path, sizeof path, "%s\\console-%04u-%02u-%02u.log", state.logs, t.wYear,
                  t.wMonth, t.wDay);
    CreateDirectoryA(state.logs, nullptr);
    ui::Handle file(CreateFileA(path, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    char line[MAX_PATH + 128];
    std::snprintf(line, sizeof line,
                  "%04u-%02u-%02u %02u:%02u:%02u The server ended with exception 0x%08lX; "
                  "dump: %s\r\n",
                  t.wYear, t.wMonth, t.wDay, t.wHour, t.wMinute, t.wSecond,
                  static_cast<unsigned long>(code), *dumpPath ? dumpPath : "none");
    WriteAll(file.Get(), line);
}

void WriteNote(const SYSTEMTIME& t, DWORD code, const char* dumpPath) {
    ui::Handle file(CreateFileA(state.note, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return;
    char text[MAX_PATH + 96];
    std::snprintf(text, sizeof text,
                  "code=0x%08lX\r\ntime=%04u-%02u-%02u %02u:%02u:%02u\r\ndump=%s\r\n",
                  static_cast<unsigned long>(code), t.wYear, t.wMonth, t.wDay, t.wHour,
                  t.wMinute, t.wSecond, dumpPath);
    WriteAll(file.Get(), text);
}

void TrimDumps() {
    std::vector<DumpFile> dumps;
    WIN32_FIND_DATAA found;
    const std::string folder = state.dumps;
    HANDLE search = FindFirstFileA((folder + "\\korvane-*.dmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
        dumps.push_back({found.cFileName,
                         (static_cast<uint64_t>(found.nFileSizeHigh) << 32) | found.nFileSizeLow,
                         (static_cast<uint64_t>(found.ftLastWriteTime.dwHighDateTime) << 32) |
                             found.ftLastWriteTime.dwLowDateTime});
    } while (FindNextFileA(search, &found));
    FindClose(search);
    for (const std::string& name : DumpsToRemove(std::move(dumps)))
        DeleteFileA((folder + "\\" + name).c_str());
}

// "…\dumps\korvane-<version>-<yyyymmdd-hhmmss>.dmp" into `path`, written; false when not.
bool DumpAt(const SYSTEMTIME& now, EXCEPTION_POINTERS* info, char (&path)[MAX_PATH + 64]) {
    path[0] = '\0';
    if (!state.writeDumps || !state.writeDump) return false;
    CreateDirectoryA(state.dumps, nullptr);
    std::snprintf(path, sizeof path, "%s\\korvane-%s-%04u%02u%02u-%02u%02u%02u.dmp",
                  state.dumps, state.version, now.wYear, now.wMonth, now.wDay, now.wHour,
                  now.wMinute, now.wSecond);
    if (WriteDump(path, info)) return true;
    path[0] = '\0';
    return false;
}

LONG WINAPI LastChance(EXCEPTION_POINTERS* info) {
    const DWORD code = info && info->ExceptionRecord ? info->ExceptionRecord->ExceptionCode
                                                     : static_cast<DWORD>(EXCEPTION_NONCONTINUABLE);
    // A second failure while this one is handled (another thread, or the handler itself)
    // ends the process at once.
    if (InterlockedExchange(&entered, 1) != 0) TerminateProcess(GetCurrentProcess(), code);
    SYSTEMTIME now;
    GetLocalTime(&now);
    char dumpPath[MAX_PATH + 64];
    DumpAt(now, info, dumpPath);
    WriteNote(now, code, dumpPath);
    if (state.consoleLog) AppendLogLine(now, code, dumpPath);
    try {
        TrimDumps();
    } catch (...) {
    }
    TerminateProcess(GetCurrentProcess(), code);
    return EXCEPTION_EXECUTE_HANDLER;
}

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool IsDumpName(std::string_view name) {
    const std::string lower = Lower(name);
    return lower.size() > 12 && lower.rfind("korvane-", 0) == 0 &&
           lower.compare(lower.size() - 4, 4, ".dmp") == 0;
}

}  // namespace

std::vector<std::string> DumpsToRemove(std::vector<DumpFile> dumps, size_t keep,
                                       uint64_t maxBytes) {
    dumps.erase(std::remove_if(dumps.begin(), dumps.end(),
                               [](const DumpFile& dump) { return !IsDumpName(dump.name); }),
                dumps.end());
    std::sort(dumps.begin(), dumps.end(), [](const DumpFile& a, const DumpFile& b) {
        if (a.writeTime != b.writeTime) return a.writeTime > b.writeTime;
        return Lower(a.name) > Lower(b.name);
    });
    std::vector<std::string> remove;
    uint64_t total = 0;
    for (size_t i = 0; i < dumps.size(); ++i) {
        total += dumps[i].bytes;
        // The newest dump always stays, even alone over the limit: it is the one asked for.
        if (i > 0 && (i >= keep || total > maxBytes)) remove.push_back(dumps[i].name);
    }
    return remove;
}

void InstallCrashHandler(const CrashDumpOptions& options) {
    state.writeDumps = options.writeDumps;
    state.consoleLog = options.consoleLog;
    std::snprintf(state.version, sizeof state.version, "%s", options.programVersion.c_str());
    if (!FullPath("dumps", state.dumps) || !FullPath("logs", state.logs) ||
        !FullPath(kNotePath, state.note)) {
        state.writeDumps = state.consoleLog = false;
    }
    // dbghelp from the system folder, loaded now: loading a library while failing may itself
    // fail, and the installation folder must not be able to supply its own.
    char system[MAX_PATH];
    const UINT length = GetSystemDirectoryA(system, MAX_PATH);
    if (options.writeDumps && length > 0 && length < MAX_PATH - 16) {
        std::strcat(system, "\\dbghelp.dll");
        if (HMODULE dbghelp = LoadLibraryA(system))
            state.writeDump = reinterpret_cast<MiniDumpWriteDumpFunction>(
                reinterpret_cast<void*>(GetProcAddress(dbghelp, "MiniDumpWriteDump")));
    }
    // No "has stopped working" dialog: the handler has the last word, and a supervisor must
    // see the process end without anyone clicking.
    SetErrorMode(GetErrorMode() | SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    SetUnhandledExceptionFilter(&LastChance);
    if (state.writeDumps) TrimDumps();
}

std::string WriteDumpNow() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char path[MAX_PATH + 64];
    if (!DumpAt(now, nullptr, path)) return {};
    TrimDumps();
    return path;
}

void ReportHang(EngineGate& console, const RunningCall& call, uint64_t nowMs) {
    console.Note(HangLine(call, nowMs));
    const std::string dump = WriteDumpNow();
    console.Note(dump.empty() ? std::string("No dump of the process was written.")
                              : "A dump of the process: " + dump);
}

std::optional<std::string> TakeLastCrashReport() {
    std::string text;
    {
        ui::Handle file(CreateFileA(kNotePath, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return std::nullopt;
        char buffer[1024];
        DWORD read = 0;
        if (!ReadFile(file.Get(), buffer, sizeof buffer, &read, nullptr)) return std::nullopt;
        text.assign(buffer, read);
    }
    DeleteFileA(kNotePath);
    auto field = [&text](std::string_view name) {
        const size_t at = text.find(std::string(name) + "=");
        if (at == std::string::npos) return std::string();
        const size_t start = at + name.size() + 1;
        const size_t end = text.find_first_of("\r\n", start);
        return text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    };
    const std::string code = field("code"), time = field("time"), dump = field("dump");
    if (code.empty()) return std::nullopt;
    return "The last run ended with exception " + code + " at " +
           (time.empty() ? std::string("an unknown time") : time) +
           "; dump: " + (dump.empty() ? std::string("none") : dump);
}

}  // namespace korvane::app
