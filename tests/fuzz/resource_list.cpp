// resource.txt parsing: any bytes give the two fixed names and then at most 30 non-empty
// names of at most 1023 characters, none holding a line feed.
#include <string>

#include "FuzzInput.h"
#include "host/ResourceList.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string text(reinterpret_cast<const char*>(data), size);
    const std::vector<std::string> names = ResourceArchiveNames(text);
    KORVANE_FUZZ_CHECK(names.size() >= 2 && names.size() <= kMaxResourceArchives);
    KORVANE_FUZZ_CHECK(names[0] == "korvane" && names[1] == "korvane.rez");
    for (size_t i = 2; i < names.size(); ++i) {
        KORVANE_FUZZ_CHECK(!names[i].empty() && names[i].size() <= kMaxResourceNameLength);
        KORVANE_FUZZ_CHECK(names[i].find('\n') == std::string::npos);
    }
    return 0;
}
