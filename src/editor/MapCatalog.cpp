// The map catalog's trip to the engine: one listing, copied out and handed back under the lock.
#include "editor/MapCatalog.h"

#include "ui/Handles.h"

namespace korvane {

bool MapCatalog(EngineGate& gate, const char* folder, bool useAlternativeName,
                std::vector<std::string>& names) {
    ui::WaitCursor wait;
    if (!folder) return false;
    // The listing belongs to the engine until it is given back; it is read and returned while
    // the lock is held, so no Tick runs in between.
    gate.WithEngine([&](EngineInterface& engine) {
        DirectoryEntry* listing = engine.ListDirectory(folder);
        AppendCatalogNames(listing, useAlternativeName, names);
        if (listing) engine.FreeDirectoryList(listing);
    });
    return true;
}

}  // namespace korvane
