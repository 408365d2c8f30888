// The page's files as RCDATA resources of the running program.
#include "web/WebPage.h"

#include <windows.h>

#include "web/WebResource.h"

namespace korvane::web {

std::optional<PageFile> FindPageFile(std::string_view path) {
    struct Entry {
        std::string_view path;
        int id;
        const char* contentType;
    };
    static constexpr Entry kFiles[] = {
        {"/", IDR_WEB_INDEX, "text/html; charset=utf-8"},
        {"/app.css", IDR_WEB_STYLE, "text/css; charset=utf-8"},
        {"/app.js", IDR_WEB_SCRIPT, "text/javascript; charset=utf-8"},
        {"/chart.min.js", IDR_WEB_CHART, "text/javascript; charset=utf-8"},
    };
    for (const Entry& file : kFiles) {
        if (file.path != path) continue;
        HMODULE module = GetModuleHandleA(nullptr);
        HRSRC found = FindResourceA(module, MAKEINTRESOURCEA(file.id), MAKEINTRESOURCEA(10));
        HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
        const void* bytes = loaded ? LockResource(loaded) : nullptr;
        if (!bytes) return std::nullopt;
        // Resource memory lives as long as the module: no copy is needed.
        return PageFile{file.contentType,
                        {static_cast<const char*>(bytes), SizeofResource(module, found)}};
    }
    return std::nullopt;
}

}  // namespace korvane::web
