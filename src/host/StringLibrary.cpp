// Loading korvane/cres.dll and reading its texts.
#include "host/StringLibrary.h"

#include "host/ServerDllLibrary.h"

namespace korvane {

bool StringLibrary::Load() {
    const std::string path = PathInWorkingFolder("korvane/cres.dll");
    if (path.empty()) return false;
    // The library only holds texts: map it as a resource image, so none of its code runs.
    HMODULE module = LoadLibraryExA(path.c_str(), nullptr,
                                    LOAD_LIBRARY_AS_IMAGE_RESOURCE | LOAD_LIBRARY_AS_DATAFILE);
    if (!module) module = LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    library_.Reset(module);
    return static_cast<bool>(library_);
}

std::string StringLibrary::Text(int id) const {
    // Text ids are 16-bit; a larger one from an engine message would otherwise show the text
    // of its low 16 bits (or, on some systems, be taken for a name pointer).
    if (!library_ || id < 0 || id > 0xFFFF) return {};
    char text[260] = {};
    if (LoadStringA(library_.Get(), static_cast<UINT>(id), text, sizeof text) <= 0) return {};
    return text;
}

}  // namespace korvane
