// The map catalog's filter over a listing the fuzzer makes: entries of any kind with names,
// alternative names or none, sometimes looping back to the start as a broken engine's might.
// Every name taken is a lower-case map name that fits the catalog.
#include <deque>
#include <string>
#include <vector>

#include "FuzzInput.h"
#include "editor/MapCatalog.h"
#include "settings/MapName.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const uint8_t shape = input.Number<uint8_t>();
    std::deque<std::string> texts;  // a deque keeps the texts where they are
    std::vector<DirectoryEntry> entries;
    while (!input.Empty() && entries.size() < 200) {
        const uint8_t flags = input.Number<uint8_t>();
        DirectoryEntry entry{flags & 3, nullptr, nullptr, nullptr};
        std::string name = input.Text();
        std::string alternative =
            (flags & 16) ? std::string(input.Number<uint16_t>() % 700, 'M') : input.Text();
        if (flags & 4) entry.name = texts.emplace_back(name).data();
        if (flags & 8) entry.alternativeName = texts.emplace_back(alternative).data();
        entries.push_back(entry);
    }
    for (size_t i = 0; i + 1 < entries.size(); ++i) entries[i].next = &entries[i + 1];
    if (!entries.empty() && (shape & 7) == 7) entries.back().next = &entries.front();
    std::vector<std::string> names;
    AppendCatalogNames(entries.empty() ? nullptr : &entries.front(), (shape & 2) != 0, names);
    for (const std::string& name : names) {
        KORVANE_FUZZ_CHECK(name.size() <= kMaxCatalogName);
        for (char c : name) KORVANE_FUZZ_CHECK(!(c >= 'A' && c <= 'Z'));
        const int index = static_cast<int>(shape) * 3;
        if (MapEntryFits(index, name))
            KORVANE_FUZZ_CHECK(std::to_string(index).size() + 4 + name.size() < kCommandSize);
    }
    return 0;
}
