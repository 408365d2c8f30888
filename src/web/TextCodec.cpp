// ANSI <-> UTF-8 through UTF-16, with the system's conversions.
#include "web/TextCodec.h"

#include <windows.h>

#include <algorithm>

namespace korvane::web {

namespace {

std::wstring Widen(UINT codePage, DWORD flags, std::string_view text, bool& ok) {
    ok = true;
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int wide = MultiByteToWideChar(codePage, flags, text.data(), length, nullptr, 0);
    if (wide <= 0) {
        ok = false;
        return {};
    }
    std::wstring out(static_cast<size_t>(wide), L'\0');
    MultiByteToWideChar(codePage, flags, text.data(), length, out.data(), wide);
    return out;
}

std::string Narrow(UINT codePage, const std::wstring& text) {
    if (text.empty()) return {};
    const int length = static_cast<int>(text.size());
    const int bytes =
        WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return {};
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), length, out.data(), bytes, nullptr, nullptr);
    return out;
}

}  // namespace

std::string AnsiToUtf8(std::string_view text) {
    bool ok = true;
    return Narrow(CP_UTF8, Widen(CP_ACP, 0, text, ok));
}

std::optional<std::string> Utf8ToAnsi(std::string_view text) {
    bool ok = true;
    const std::wstring wide = Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text, ok);
    if (!ok) return std::nullopt;
    return Narrow(CP_ACP, wide);
}

bool IsUtf8(std::string_view text) {
    bool ok = true;
    Widen(CP_UTF8, MB_ERR_INVALID_CHARS, text, ok);
    return ok;
}

size_t Utf8Length(std::string_view text) {
    // Every character has exactly one byte that is not a continuation byte (10xxxxxx).
    return static_cast<size_t>(std::count_if(text.begin(), text.end(), [](char c) {
        return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
    }));
}

std::optional<std::string> WideToUtf8(std::wstring_view text) {
    if (text.empty()) return std::string();
    const int length = static_cast<int>(text.size());
    const int bytes = WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length,
                                          nullptr, 0, nullptr, nullptr);
    if (bytes <= 0) return std::nullopt;
    std::string out(static_cast<size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, WC_ERR_INVALID_CHARS, text.data(), length, out.data(), bytes,
                        nullptr, nullptr);
    return out;
}

}  // namespace korvane::web
