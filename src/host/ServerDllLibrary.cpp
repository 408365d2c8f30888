// Loading server.dll from the working folder.
#include "host/ServerDllLibrary.h"

#include <windows.h>

namespace korvane {

std::string PathInWorkingFolder(const char* relative) {
    char folder[MAX_PATH];
    const DWORD length = GetCurrentDirectoryA(sizeof folder, folder);
    if (length == 0 || length >= sizeof folder) return {};
    std::string path(folder, length);
    if (path.back() != '\\' && path.back() != '/') path += '\\';
    for (const char* c = relative; *c; ++c) path += *c == '/' ? '\\' : *c;
    return path;
}

bool ServerDllLibrary::Load() {
    if (library_) return create_ && release_;
    const std::string path = PathInWorkingFolder("server.dll");
    if (path.empty()) {
        failure_ = "The working folder's path is too long to hold server.dll.";
        return false;
    }
    if (GetFileAttributesA(path.c_str()) == INVALID_FILE_ATTRIBUTES) {
        failure_ = "The engine " + path + " was not found.";
        return false;
    }
    // By full path only, so no other server.dll on the search path can be picked up; the
    // altered search path lets the engine find its own companions in its folder.
    library_.Reset(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library_) {
        failure_ = "The engine " + path + " could not be loaded (system error " +
                   std::to_string(GetLastError()) +
                   "): it may be damaged, or not a 32-bit library.";
        return false;
    }
    create_ = reinterpret_cast<CreateEngineFn>(
        reinterpret_cast<void*>(GetProcAddress(library_.Get(), MAKEINTRESOURCEA(1))));
    release_ = reinterpret_cast<ReleaseEngineFn>(
        reinterpret_cast<void*>(GetProcAddress(library_.Get(), MAKEINTRESOURCEA(2))));
    if (!create_ || !release_) {
        failure_ = "The library " + path + " is not the game's engine: it lacks ordinals 1 and 2.";
        return false;
    }
    return true;
}

int ServerDllLibrary::Create(int version, const InterfaceId* iid, EngineInterface** out) {
    if (!Load()) return -1;
    const int result = create_(version, iid, out);
    if (result != 0)
        failure_ = "The engine refused interface version " + std::to_string(version) +
                   " (CreateEngine answered " + std::to_string(result) +
                   "): it is not an engine this program can host.";
    else if (!*out)
        failure_ = "The engine's CreateEngine reported success but gave no engine.";
    return result;
}

void ServerDllLibrary::Release() {
    if (release_) release_();
}

}  // namespace korvane
