// Win32 clock, file and folder access for the simulated engine.
#include "Win32Environment.h"

#include <windows.h>

#include <cstdint>
#include <cstring>

namespace korvane {

namespace {

class FileHandle {
  public:
    explicit FileHandle(HANDLE handle) : handle_(handle) {}
    FileHandle(const FileHandle&) = delete;
    FileHandle& operator=(const FileHandle&) = delete;
    ~FileHandle() { Close(); }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }
    bool Close() {
        if (!Valid()) return true;
        BOOL closed = CloseHandle(handle_);
        handle_ = INVALID_HANDLE_VALUE;
        return closed != FALSE;
    }

  private:
    HANDLE handle_;
};

class FindHandle {
  public:
    explicit FindHandle(HANDLE handle) : handle_(handle) {}
    FindHandle(const FindHandle&) = delete;
    FindHandle& operator=(const FindHandle&) = delete;
    ~FindHandle() {
        if (handle_ != INVALID_HANDLE_VALUE) FindClose(handle_);
    }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return handle_; }

  private:
    HANDLE handle_;
};

bool IsFolder(const std::string& path) {
    DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

uint64_t Win32Environment::NowMs() {
    return GetTickCount64();
}

ReadResult Win32Environment::ReadFile(const std::string& path, std::string& contents,
                                      size_t maxBytes) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? ReadResult::Missing
                                                                              : ReadResult::Failed;
    }
    if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) return ReadResult::Folder;
    FileHandle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) return ReadResult::Failed;
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(file.Get(), &size) || size.QuadPart < 0) return ReadResult::Failed;
    if (static_cast<unsigned long long>(size.QuadPart) > maxBytes) return ReadResult::TooLarge;
    contents.assign(static_cast<size_t>(size.QuadPart), '\0');
    size_t done = 0;
    while (done < contents.size()) {
        DWORD read = 0;
        DWORD want = static_cast<DWORD>(contents.size() - done);
        if (!::ReadFile(file.Get(), &contents[done], want, &read, nullptr))
            return ReadResult::Failed;
        if (read == 0) break;  // the file shrank while being read
        done += read;
    }
    contents.resize(done);
    return ReadResult::Read;
}

bool Win32Environment::WriteFileReplacing(const std::string& path, const std::string& contents) {
    // Written beside the target and moved over it, so a crash never leaves half a file.
    std::string temporary = path + ".tmp";
    {
        FileHandle file(CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file.Valid()) return false;
        size_t done = 0;
        bool written = true;
        while (written && done < contents.size()) {
            DWORD wrote = 0;
            DWORD want = static_cast<DWORD>(contents.size() - done);
            written =
                ::WriteFile(file.Get(), contents.data() + done, want, &wrote, nullptr) && wrote > 0;
            done += wrote;
        }
        written = written && FlushFileBuffers(file.Get());
        if (!file.Close() || !written) {
            DeleteFileA(temporary.c_str());
            return false;
        }
    }
    if (!MoveFileExA(temporary.c_str(), path.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        DeleteFileA(temporary.c_str());
        return false;
    }
    return true;
}

bool Win32Environment::ListFolder(const std::string& folder, std::vector<FoundFile>& entries) {
    entries.clear();
    WIN32_FIND_DATAA data{};
    FindHandle find(FindFirstFileA((folder + "\\*").c_str(), &data));
    if (!find.Valid()) return IsFolder(folder);
    do {
        if (std::strcmp(data.cFileName, ".") == 0 || std::strcmp(data.cFileName, "..") == 0)
            continue;
        FoundFile& entry = entries.emplace_back();
        entry.name = data.cFileName;
        entry.isFolder = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    } while (FindNextFileA(find.Get(), &data));
    return true;
}

void Win32Environment::SleepMs(uint32_t ms) { Sleep(ms); }

void Win32Environment::Fault() {
    // Through a volatile address, so that the compiler cannot see the null and turn the write
    // into something other than the access violation a broken engine makes.
    volatile uintptr_t address = 0;
    *reinterpret_cast<volatile int*>(address) = 1;
}

}  // namespace korvane
