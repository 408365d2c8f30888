// The map catalog: the map files of a folder as the engine lists them, turned into the names
// the rotation uses ("worlds/lima" for worlds/Lima.DAT).
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "contract/EngineGate.h"

namespace korvane {

// The longest name the catalog yields; longer ones are left out rather than cut, since a cut
// name would name a map that does not exist.
inline constexpr size_t kMaxCatalogName = 519;

// The name one listing entry yields, or nothing when it is not a map file. A map file is a
// file entry (kind 1) whose name has the extension ".dat" in any letter case. The kept name is
// the alternative name or the name, less its last four characters (the extension) when it is
// longer than four, in lower case.
std::optional<std::string> CatalogMapName(const DirectoryEntry& entry, bool useAlternativeName);

// Appends the names of a listing's map files in listing order.
void AppendCatalogNames(const DirectoryEntry* head, bool useAlternativeName,
                        std::vector<std::string>& names);

// Lists `folder` through the engine (under EngineLock, with the wait cursor) and appends its
// map names. False, with nothing appended, only when no folder is given; a missing engine or
// an empty listing appends nothing and is still true.
bool MapCatalog(EngineGate& gate, const char* folder, bool useAlternativeName,
                std::vector<std::string>& names);

}  // namespace korvane
