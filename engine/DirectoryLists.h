// Directory listings the engine hands to the host: built from the files found, owned here
// until the host gives the head back. A head the engine did not hand out is ignored.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "EngineEnvironment.h"
#include "contract/EngineInterface.h"

namespace korvane {

inline constexpr int32_t kDirectoryEntryFolder = 2;

class DirectoryLists {
  public:
    // A list sorted by name (case-insensitive); alternative names are "<folder>/<name>".
    // Null for no entries.
    DirectoryEntry* Build(const std::string& folder, const std::vector<FoundFile>& found);
    // False when head is not a list this object handed out (or was already freed).
    bool Free(DirectoryEntry* head);
    size_t LiveCount() const { return lists_.size(); }

  private:
    struct List {
        std::vector<DirectoryEntry> entries;
        std::vector<std::string> names;
        std::vector<std::string> alternativeNames;
    };
    std::map<DirectoryEntry*, std::unique_ptr<List>> lists_;
};

}  // namespace korvane
