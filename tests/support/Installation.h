// The build's demo installation, and copies of it, for the tests that run a real program:
// where it is, the registry value the programs find it through, and a copy to change freely.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace korvane::test {

inline std::string WindowsPath(std::string path) {
    // ctest hands over a Unix path; Wine maps the Unix root to drive Z:.
    if (!path.empty() && path[0] == '/') path = "Z:" + path;
    for (char& c : path)
        if (c == '/') c = '\\';
    return path;
}

// The build's demo installation, from KORVANE_INSTALL_DIR; empty when it is not set.
inline std::string InstallDir() {
    const char* dir = std::getenv("KORVANE_INSTALL_DIR");
    return dir ? WindowsPath(dir) : std::string();
}

// "Install Dir" (32-bit view), where the programs look for their folder.
inline void SetInstallDir(const std::string& folder) {
    HKEY key = nullptr;
    if (RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software\\Tarnwick\\Korvane", 0, nullptr, 0,
                        KEY_WRITE | KEY_WOW64_32KEY, nullptr, &key, nullptr) != ERROR_SUCCESS)
        return;
    RegSetValueExA(key, "Install Dir", 0, REG_SZ, reinterpret_cast<const BYTE*>(folder.c_str()),
                   static_cast<DWORD>(folder.size() + 1));
    RegCloseKey(key);
}

// Copies what a demo installation needs into `to`.
inline void CopyInstallation(const std::string& from, const std::string& to) {
    CreateDirectoryA((to + "\\korvane").c_str(), nullptr);
    CreateDirectoryA((to + "\\worlds").c_str(), nullptr);
    for (const char* name : {"korvane-server.exe", "korvane-console.exe", "server.dll",
                             "resource.txt", "korvane\\cres.dll"})
        CopyFileA((from + "\\" + name).c_str(), (to + "\\" + name).c_str(), FALSE);
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((from + "\\worlds\\*.dat").c_str(), &found);
    for (bool more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
        CopyFileA((from + "\\worlds\\" + found.cFileName).c_str(),
                  (to + "\\worlds\\" + found.cFileName).c_str(), FALSE);
    if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

// The end of today's console log of an installation folder: the demo installation's log of
// the day also holds every earlier run's lines, and what a test looks for is new.
inline std::string TodaysLog(const std::string& folder) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "\\logs\\console-%04d-%02d-%02d.log", now.wYear, now.wMonth,
                  now.wDay);
    std::ifstream file(folder + name, std::ios::binary | std::ios::ate);
    const std::streamoff size = file ? static_cast<std::streamoff>(file.tellg()) : 0;
    file.seekg(std::max<std::streamoff>(0, size - (1 << 20)));
    return std::string(std::istreambuf_iterator<char>(file), {});
}

}  // namespace korvane::test
