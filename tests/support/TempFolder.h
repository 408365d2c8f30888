// A fresh folder under the system's temporary folder, removed with its files when the test ends.
#pragma once

#include <windows.h>

#include <string>

#include "ui/TextFile.h"

namespace korvane::test {

class TempFolder {
  public:
    explicit TempFolder(const std::string& name) {
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        path_ = std::string(temp) + "korvane-" + name + "-" + std::to_string(GetCurrentProcessId());
        Remove(path_);
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~TempFolder() { Remove(path_); }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::string& Path() const { return path_; }
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }

    static bool WriteFile(const std::string& path, const std::string& content) {
        return ui::WriteTextFile(path, content);
    }
    static std::string ReadFile(const std::string& path) { return ui::ReadTextFile(path, 1 << 24); }
    static bool Exists(const std::string& path) {
        return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
    }

  private:
    static void Remove(const std::string& path) {
        const DWORD attributes = GetFileAttributesA(path.c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return;
        SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            DeleteFileA(path.c_str());
            return;
        }
        WIN32_FIND_DATAA found;
        HANDLE search = FindFirstFileA((path + "\\*").c_str(), &found);
        if (search != INVALID_HANDLE_VALUE) {
            do {
                const std::string name = found.cFileName;
                if (name != "." && name != "..") Remove(path + "\\" + name);
            } while (FindNextFileA(search, &found));
            FindClose(search);
        }
        RemoveDirectoryA(path.c_str());
    }

    std::string path_;
};

}  // namespace korvane::test
