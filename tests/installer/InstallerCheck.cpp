// Checks made from inside Wine for the installer test (installer_test.sh): the registry as the
// program and the system's list of installed programs see it, the Start menu shortcuts, and
// the installed program hosting the simulated engine. Prints one line per check; the exit
// code is the number of failed checks.
//
//   installer_check installed <folder>   values and shortcuts of an installation in <folder>
//   installer_check start-shortcut       starts the "skip settings" shortcut's target
//   installer_check removed              nothing of the installation left in the registry
//   installer_check running <folder>     a program already started from <folder> is hosting
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "support/OtherProcess.h"

namespace {

const char kProductKey[] = "Software\\Tarnwick\\Korvane";
const char kTarnwickKey[] = "Software\\Tarnwick";
const char kUninstallKey[] =
    "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Korvane Server";
const char kCaption[] = "Korvane Server 1.0.5";
const int kConsolePaneId = 1000;

int failures = 0;

void Check(bool condition, const std::string& what) {
    std::printf("  %s %s\n", condition ? "ok  " : "FAIL", what.c_str());
    std::fflush(stdout);
    if (!condition) ++failures;
}

bool SameFolder(std::string a, std::string b) {
    while (!a.empty() && a.back() == '\\') a.pop_back();
    while (!b.empty() && b.back() == '\\') b.pop_back();
    return lstrcmpiA(a.c_str(), b.c_str()) == 0;
}

bool FileExists(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

bool KeyExists(const char* path) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS)
        return false;
    RegCloseKey(key);
    return true;
}

// Reads through the 32-bit view, the one the program uses.
bool ReadValue(const char* path, const char* name, DWORD wanted, void* data, DWORD size) {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, path, 0, KEY_READ | KEY_WOW64_32KEY, &key) !=
        ERROR_SUCCESS)
        return false;
    DWORD type = 0;
    const LONG status =
        RegQueryValueExA(key, name, nullptr, &type, static_cast<BYTE*>(data), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == wanted;
}

bool ReadString(const char* path, const char* name, std::string& value) {
    char buffer[1024] = {};
    if (!ReadValue(path, name, REG_SZ, buffer, sizeof buffer - 1)) return false;
    value = buffer;
    return true;
}

bool ReadDword(const char* path, const char* name, DWORD& value) {
    return ReadValue(path, name, REG_DWORD, &value, sizeof value);
}

void CheckString(const char* path, const char* name, const std::string& expected) {
    std::string value;
    const bool found = ReadString(path, name, value);
    Check(found && value == expected, std::string(name) + " is \"" + expected + "\"" +
                                          (found ? " (found \"" + value + "\")" : " (missing)"));
}

std::string ShortcutFolder() {
    char folder[MAX_PATH] = {};
    SHGetFolderPathA(nullptr, CSIDL_COMMON_PROGRAMS, nullptr, SHGFP_TYPE_CURRENT, folder);
    return std::string(folder) + "\\Korvane Server";
}

struct Shortcut {
    bool loaded = false;
    std::string target;
    std::string arguments;
    std::string folder;
};

Shortcut ReadShortcut(const std::string& path) {
    Shortcut shortcut;
    IShellLinkA* link = nullptr;
    if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                reinterpret_cast<void**>(&link))))
        return shortcut;
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
        wchar_t wide[MAX_PATH] = {};
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (SUCCEEDED(file->Load(wide, STGM_READ))) {
            char text[MAX_PATH] = {};
            if (SUCCEEDED(link->GetPath(text, sizeof text, nullptr, SLGP_RAWPATH)))
                shortcut.target = text;
            text[0] = '\0';
            if (SUCCEEDED(link->GetArguments(text, sizeof text))) shortcut.arguments = text;
            text[0] = '\0';
            if (SUCCEEDED(link->GetWorkingDirectory(text, sizeof text))) shortcut.folder = text;
            shortcut.loaded = true;
        }
        file->Release();
    }
    link->Release();
    return shortcut;
}

void CheckShortcut(const std::string& name, const std::string& folder,
                   const std::string& arguments) {
    const Shortcut shortcut = ReadShortcut(ShortcutFolder() + "\\" + name);
    Check(shortcut.loaded, "shortcut \"" + name + "\" exists");
    if (!shortcut.loaded) return;
    Check(lstrcmpiA(shortcut.target.c_str(), (folder + "\\korvane-server.exe").c_str()) == 0,
          "  its target is the installed program (" + shortcut.target + ")");
    Check(shortcut.arguments == arguments,
          "  its arguments are \"" + arguments + "\" (found \"" + shortcut.arguments + "\")");
}

void Installed(const std::string& folder) {
    std::printf("installation in %s:\n", folder.c_str());
    CheckString(kProductKey, "Install Dir", folder);
    CheckString(kUninstallKey, "DisplayName", "Korvane Server");
    CheckString(kUninstallKey, "DisplayVersion", "1.0.5");
    CheckString(kUninstallKey, "Publisher", "Tarnwick");
    CheckString(kUninstallKey, "InstallLocation", folder);
    CheckString(kUninstallKey, "UninstallString", "\"" + folder + "\\Uninstall.exe\"");
    CheckString(kUninstallKey, "DisplayIcon", folder + "\\korvane-server.exe,0");
    DWORD size = 0;
    const bool sized = ReadDword(kUninstallKey, "EstimatedSize", size);
    // At least the program itself, in KB; at most what a setup of this kind could ever put there.
    Check(sized && size >= 100 && size < 100000,
          "EstimatedSize is a size in KB (found " + std::to_string(size) + ")");
    Check(FileExists(folder + "\\Uninstall.exe"), "the uninstaller is in place");
    CheckShortcut("Korvane Server.lnk", folder, "");
    CheckShortcut("Korvane Server (skip settings).lnk", folder, "-s");
}

void Removed() {
    std::printf("after the uninstall:\n");
    // Started without _?=, the uninstaller hands over to a copy of itself and ends at once;
    // the copy removes the entry from the list of installed programs last.
    const DWORD start = GetTickCount();
    while (KeyExists(kUninstallKey) && GetTickCount() - start < 30000) Sleep(100);
    std::string value;
    Check(!ReadString(kProductKey, "Install Dir", value), "no Install Dir value");
    Check(!KeyExists(kProductKey), "no Tarnwick\\Korvane key");
    Check(!KeyExists(kTarnwickKey), "no Tarnwick key");
    Check(!KeyExists(kUninstallKey), "no entry in the list of installed programs");
    Check(GetFileAttributesA(ShortcutFolder().c_str()) == INVALID_FILE_ATTRIBUTES,
          "no Start menu folder");
}

HWND WaitForMainWindow(DWORD process, DWORD timeoutMs) {
    HWND window = nullptr;
    korvane::test::WaitFor(
        [&] { return (window = korvane::test::FindProcessWindow(process, kCaption)) != nullptr; },
        timeoutMs);
    return window;
}

// The main window is up and the simulated engine has brought the demo's first map up.
void CheckHosting(HWND window, const std::string& folder) {
    Check(window != nullptr, std::string("the window \"") + kCaption + "\" appears");
    if (!window) return;
    HWND pane = GetDlgItem(window, kConsolePaneId);
    const bool hosting = korvane::test::WaitFor(
        [&] {
            return korvane::test::ProcessWindowText(pane).find("worlds/antarctica") !=
                   std::string::npos;
        },
        15000);
    Check(hosting, "the console shows the engine hosting worlds/antarctica");
    Check(FileExists(folder + "\\korvane\\server.cfg"), "the engine wrote korvane\\server.cfg");
}

void EndProcess(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    TerminateProcess(process, 0);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

void StartShortcut() {
    std::printf("started from the \"skip settings\" shortcut:\n");
    const Shortcut shortcut =
        ReadShortcut(ShortcutFolder() + "\\Korvane Server (skip settings).lnk");
    Check(shortcut.loaded, "the shortcut can be read");
    if (!shortcut.loaded) return;
    std::string command = "\"" + shortcut.target + "\" " + shortcut.arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    const bool started = CreateProcessA(
        nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
        shortcut.folder.empty() ? nullptr : shortcut.folder.c_str(), &startup, &process);
    Check(started, "the program starts: " + command);
    if (!started) return;
    std::string installed;
    ReadString(kProductKey, "Install Dir", installed);
    // The settings sheet would come first without -s; only the main window counts here.
    CheckHosting(WaitForMainWindow(process.dwProcessId, 20000), installed);
    Check(WaitForSingleObject(process.hProcess, 0) == WAIT_TIMEOUT, "the program is still running");
    EndProcess(process.dwProcessId);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
}

void Running(const std::string& folder) {
    std::printf("started by the portable script:\n");
    HWND window = WaitForMainWindow(0, 60000);
    CheckHosting(window, folder);
    std::string installed;
    Check(ReadString(kProductKey, "Install Dir", installed) && SameFolder(installed, folder),
          "Install Dir names the unpacked folder (found \"" + installed + "\")");
    if (window) {
        DWORD id = 0;
        GetWindowThreadProcessId(window, &id);
        EndProcess(id);
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    CoInitialize(nullptr);
    if (mode == "installed" && argc > 2) {
        Installed(argv[2]);
    } else if (mode == "start-shortcut") {
        StartShortcut();
    } else if (mode == "removed") {
        Removed();
    } else if (mode == "running" && argc > 2) {
        Running(argv[2]);
    } else {
        std::fprintf(stderr,
                     "usage: installer_check installed|start-shortcut|removed|running [folder]\n");
        return 100;
    }
    CoUninitialize();
    return failures;
}
