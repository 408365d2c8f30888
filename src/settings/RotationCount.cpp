// The rotation length a damaged "nummaps" leaves: decided from the entries themselves.
#include "settings/RotationCount.h"

#include <cstdio>

namespace korvane {

namespace {

constexpr int kShownTextChars = 40;  // of the file's count, in the notice

}  // namespace

RotationCount DecideRotationCount(int32_t fileCount, std::string_view fileText, uint32_t maxCount,
                                  const std::function<RotationSlot(uint32_t index)>& entryAt) {
    // The engine writes nummaps together with map0 to map<nummaps-1>, so a count within the
    // bound whose last entry exists is taken as it stands, even when entries beyond it exist
    // (the rotation was shortened) or defaults fill it (the file set a count only).
    const uint32_t asGiven = static_cast<uint32_t>(fileCount);
    if (fileCount >= 0 && asGiven <= maxCount &&
        (asGiven == 0 || entryAt(asGiven - 1) != RotationSlot::Missing))
        return {asGiven, {}};

    // Otherwise the entries decide. The defaults for the first entries were sent before the
    // file ran, so an entry that exists is not yet one the file holds: only a name other than
    // the default proves that. The rotation then runs up to the last such entry, keeping any
    // default-named or missing entries before it, since nothing tells those apart from the
    // file's own and a rotation has no holes. Default-named entries after it are left out:
    // those are the defaults a file of a shorter rotation never held.
    uint32_t count = 0;
    for (uint32_t i = 0; i < maxCount; ++i)
        if (entryAt(i) == RotationSlot::FromFile) count = i + 1;
    char notice[256];
    const int shown =
        static_cast<int>(fileText.size() < kShownTextChars ? fileText.size() : kShownTextChars);
    if (count > 0) {
        std::snprintf(notice, sizeof notice,
                      "Configuration: nummaps \"%.*s\" does not fit the map rotation; using the "
                      "%u entries the file holds (map0 to map%u)",
                      shown, fileText.data(), count, count - 1);
        return {count, notice};
    }
    // No entry differs from the defaults: whether the file held them cannot be told, so the
    // default rotation stays, as on a start without a file.
    while (count < maxCount && entryAt(count) == RotationSlot::DefaultName) ++count;
    std::snprintf(notice, sizeof notice,
                  "Configuration: nummaps \"%.*s\" does not fit the map rotation and the file "
                  "names no map of its own; using the default rotation of %u maps",
                  shown, fileText.data(), count);
    return {count, notice};
}

}  // namespace korvane
