// Builds and frees the engine-owned DirectoryEntry lists.
#include "DirectoryLists.h"

#include <algorithm>

#include "VariableStore.h"

namespace korvane {

DirectoryEntry* DirectoryLists::Build(const std::string& folder,
                                      const std::vector<FoundFile>& found) {
    if (found.empty()) return nullptr;
    std::vector<const FoundFile*> sorted;
    sorted.reserve(found.size());
    for (const FoundFile& file : found) sorted.push_back(&file);
    std::sort(sorted.begin(), sorted.end(), [](const FoundFile* a, const FoundFile* b) {
        return CaseInsensitiveLess{}(a->name, b->name);
    });

    auto list = std::make_unique<List>();
    // Sized up front: the entries point into these strings, which must not move afterwards.
    list->names.reserve(sorted.size());
    list->alternativeNames.reserve(sorted.size());
    list->entries.resize(sorted.size());
    for (const FoundFile* file : sorted) {
        list->names.push_back(file->name);
        list->alternativeNames.push_back(folder + "/" + file->name);
    }
    for (size_t i = 0; i < sorted.size(); ++i) {
        DirectoryEntry& entry = list->entries[i];
        entry.kind = sorted[i]->isFolder ? kDirectoryEntryFolder : kDirectoryEntryFile;
        entry.name = list->names[i].data();
        entry.alternativeName = list->alternativeNames[i].data();
        entry.next = i + 1 < sorted.size() ? &list->entries[i + 1] : nullptr;
    }
    DirectoryEntry* head = &list->entries[0];
    lists_.emplace(head, std::move(list));
    return head;
}

bool DirectoryLists::Free(DirectoryEntry* head) {
    return lists_.erase(head) != 0;
}

}  // namespace korvane
