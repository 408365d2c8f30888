// The named mutex and window mark that keep one copy per installation folder.
#include "ui/SingleInstance.h"

#include <bcrypt.h>

#include <cstdio>

namespace korvane::ui {

namespace {

// SHA-256 of the text, the first 16 bytes in hex; the system's own hashing.
std::string HashHex(const std::string& text) {
    unsigned char digest[32] = {};
    BCRYPT_ALG_HANDLE algorithm = nullptr;
    if (BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0) {
        BCRYPT_HASH_HANDLE hash = nullptr;
        if (BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0) {
            BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(text.data())),
                           static_cast<ULONG>(text.size()), 0);
            BCryptFinishHash(hash, digest, sizeof digest, 0);
            BCryptDestroyHash(hash);
        }
        BCryptCloseAlgorithmProvider(algorithm, 0);
    }
    char hex[33] = {};
    for (int i = 0; i < 16; ++i) std::snprintf(hex + 2 * i, 3, "%02x", digest[i]);
    return hex;
}

struct Search {
    const char* property;
    HWND found;
};

BOOL CALLBACK FindMarked(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    if (!GetPropA(window, search->property)) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

std::string NormalisedFolder(const std::string& folder) {
    char full[MAX_PATH * 4] = {};
    DWORD length = GetFullPathNameA(folder.c_str(), sizeof full, full, nullptr);
    if (length == 0 || length >= sizeof full) return folder;
    char longer[MAX_PATH * 4] = {};
    const DWORD longLength = GetLongPathNameA(full, longer, sizeof longer);
    std::string path = longLength > 0 && longLength < sizeof longer ? longer : full;
    while (path.size() > 3 && (path.back() == '\\' || path.back() == '/')) path.pop_back();
    CharUpperBuffA(path.data(), static_cast<DWORD>(path.size()));
    return path;
}

SingleInstance::SingleInstance(const std::string& folder)
    : name_("KorvaneServer-" + HashHex(NormalisedFolder(folder))) {
    Take();
}

bool SingleInstance::WaitToBeFirst(DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!first_ && GetTickCount() - start < timeoutMs) {
        mutex_.Reset();
        Sleep(100);
        Take();
    }
    return first_;
}

void SingleInstance::Take() {
    // One per machine: the folder's configuration and files are the same whichever session
    // runs the server, a service's (session 0) included.
    mutex_.Reset(CreateMutexA(nullptr, FALSE, ("Global\\" + name_).c_str()));
    const DWORD error = GetLastError();
    // A mutex made by another account may not be opened, which also means it exists.
    first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

SingleInstance::~SingleInstance() {
    if (marked_ && IsWindow(marked_)) RemovePropA(marked_, name_.c_str());
}

void SingleInstance::MarkWindow(HWND window) {
    if (marked_ && IsWindow(marked_)) RemovePropA(marked_, name_.c_str());
    marked_ = SetPropA(window, name_.c_str(), reinterpret_cast<HANDLE>(1)) ? window : nullptr;
}

bool SingleInstance::ActivateFirst(DWORD timeoutMs) const {
    const DWORD start = GetTickCount();
    Search search = {name_.c_str(), nullptr};
    for (;;) {
        EnumWindows(&FindMarked, reinterpret_cast<LPARAM>(&search));
        if (search.found || GetTickCount() - start >= timeoutMs) break;
        Sleep(50);
    }
    if (!search.found) return false;
    // Asynchronous, so that a first copy that is busy never holds this one up.
    if (IsIconic(search.found)) ShowWindowAsync(search.found, SW_RESTORE);
    // The program was just started by the operator, so it may hand the foreground on.
    SetForegroundWindow(GetLastActivePopup(search.found));
    return true;
}

}  // namespace korvane::ui
