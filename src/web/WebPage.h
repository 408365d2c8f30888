// The page the listener serves (HTML, style sheet and script), kept in the program's resources
// so there are no files to lose and nothing is fetched from elsewhere.
#pragma once

#include <optional>
#include <string_view>

namespace korvane::web {

struct PageFile {
    const char* contentType;
    std::string_view bytes;
};

// "/" (the page), "/app.css", "/app.js" and "/chart.min.js" (the charts' library); empty for
// any other path or a missing resource.
std::optional<PageFile> FindPageFile(std::string_view path);

}  // namespace korvane::web
