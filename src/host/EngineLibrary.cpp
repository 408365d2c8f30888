// Loading server.dll from the working folder.
#include "host/EngineLibrary.h"

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
    if (path.empty()) return false;
    // By full path only, so no other server.dll on the search path can be picked up; the
    // altered search path lets the engine find its own companions in its folder.
    library_.Reset(LoadLibraryExA(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH));
    if (!library_) return false;
    create_ = reinterpret_cast<CreateEngineFn>(
        reinterpret_cast<void*>(GetProcAddress(library_.Get(), MAKEINTRESOURCEA(1))));
    release_ = reinterpret_cast<ReleaseEngineFn>(
        reinterpret_cast<void*>(GetProcAddress(library_.Get(), MAKEINTRESOURCEA(2))));
    return create_ && release_;
}

int ServerDllLibrary::Create(int version, const InterfaceId* iid, EngineInterface** out) {
    if (!Load()) return -1;
    return create_(version, iid, out);
}

void ServerDllLibrary::Release() {
    if (release_) release_();
}

}  // namespace korvane
