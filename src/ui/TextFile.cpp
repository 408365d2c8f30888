// Bounded reading and whole replacement of small text files.
#include "ui/TextFile.h"

#include <windows.h>

#include "ui/Handles.h"

namespace korvane::ui {

std::string ReadTextFile(const std::string& path, size_t maxBytes) {
    Handle file(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return {};
    std::string text(maxBytes, '\0');
    size_t got = 0;
    while (got < maxBytes) {
        DWORD read = 0;
        if (!ReadFile(file.Get(), text.data() + got, static_cast<DWORD>(maxBytes - got), &read,
                      nullptr) ||
            read == 0)
            break;
        got += read;
    }
    text.resize(got);
    return text;
}

bool WriteTextFile(const std::string& path, const std::string& text) {
    const std::string fresh = path + ".new";
    {
        Handle file(CreateFileA(fresh.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) return false;
        DWORD written = 0;
        if (!WriteFile(file.Get(), text.data(), static_cast<DWORD>(text.size()), &written,
                       nullptr) ||
            written != text.size()) {
            file.Reset();
            DeleteFileA(fresh.c_str());
            return false;
        }
    }
    if (MoveFileExA(fresh.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING)) return true;
    DeleteFileA(fresh.c_str());
    return false;
}

}  // namespace korvane::ui
