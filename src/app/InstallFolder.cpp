// The installation folder from the registry.
#include "app/InstallFolder.h"

#include <windows.h>

#include "ui/Handles.h"

namespace korvane {

namespace {

const char kInstallKey[] = "Software\\Tarnwick\\Korvane\\";
const char kKeyForOperator[] = "HKEY_LOCAL_MACHINE\\Software\\Tarnwick\\Korvane";

// The value's text in the given registry view, or false when there is none.
bool ReadInstallDir(REGSAM view, std::string& folder) {
    ui::RegistryKey key;
    if (!key.OpenForReading(HKEY_LOCAL_MACHINE, kInstallKey, view)) return false;
    char text[260] = {};
    DWORD size = sizeof text - 1;
    DWORD type = 0;
    if (RegQueryValueExA(key.Get(), "Install Dir", nullptr, &type, reinterpret_cast<BYTE*>(text),
                         &size) != ERROR_SUCCESS ||
        (type != REG_SZ && type != REG_EXPAND_SZ))
        return false;
    text[sizeof text - 1] = '\0';
    folder = text;
    return !folder.empty();
}

std::string WorkingFolder() {
    char folder[MAX_PATH] = {};
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    return length > 0 && length < sizeof folder ? std::string(folder, length) : std::string();
}

}  // namespace

InstallFolder EnterInstallFolder() {
    InstallFolder result;
    if (ReadInstallDir(KEY_WOW64_32KEY, result.named)) {
        result.source = SetCurrentDirectoryA(result.named.c_str())
                            ? InstallFolder::Source::Registry
                            : InstallFolder::Source::Unusable;
        return result;
    }
    // A plain `reg add` on 64-bit Windows writes where this 32-bit program does not read.
    if (ReadInstallDir(KEY_WOW64_64KEY, result.named)) {
        result.source = InstallFolder::Source::Only64BitView;
        return result;
    }
    result.named.clear();
    return result;
}

std::string DescribeInstallFolder(const InstallFolder& folder) {
    const std::string value =
        std::string("the registry value \"Install Dir\" under ") + kKeyForOperator;
    const std::string fix =
        "As an administrator, write it with: reg add HKLM\\Software\\Tarnwick\\Korvane /v "
        "\"Install Dir\" /d \"<installation folder>\" /reg:32, or reinstall the program.";
    switch (folder.source) {
        case InstallFolder::Source::Registry:
            return "The installation folder " + folder.named + " comes from " + value +
                   " (32-bit view). Put the game's server.dll there, or point the value at the "
                   "folder that holds it.";
        case InstallFolder::Source::Only64BitView:
            return "The installation folder is looked up in " + value +
                   " in the 32-bit registry view; the value (" + folder.named +
                   ") was found only in the 64-bit view, so the program looked in " +
                   WorkingFolder() + " instead. " + fix;
        case InstallFolder::Source::Unusable:
            return value + " (32-bit view) names " + folder.named +
                   ", which cannot be opened, so the program looked in " + WorkingFolder() +
                   " instead. " + fix;
        case InstallFolder::Source::Missing:
        default:
            return value + " (32-bit view) is missing, so the program looked in " +
                   WorkingFolder() + ". " + fix;
    }
}

}  // namespace korvane
