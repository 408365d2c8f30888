// The console pane's rules on plain text: an old text, a text limit and lines appended (the
// parts between NUL bytes), each also with any password value hidden. The old text, cut as reported
// and followed by the new part, must give the new text, which never outgrows the larger of the
// limit and the old text.
#include <string>

#include "FuzzInput.h"
#include "console/ConsoleBuffer.h"
#include "host/SecretValues.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    const size_t limit = input.Number<uint16_t>();
    const std::string original(input.Until('\0'));
    ConsoleBuffer buffer(original, limit);
    while (!input.Empty()) {
        const std::string line(input.Until('\0'));
        buffer.Append(line);
        // Only a line naming a password variable is changed.
        KORVANE_FUZZ_CHECK(HideSecretValue(line) == line || IsSecretVariable(line));
        const std::string& text = buffer.Text();
        KORVANE_FUZZ_CHECK(text.size() <= (limit > original.size() ? limit : original.size()));
        const size_t removed = buffer.RemovedFromOriginal();
        const size_t kept = buffer.KeptFromOriginal();
        KORVANE_FUZZ_CHECK(removed + kept == original.size());
        KORVANE_FUZZ_CHECK(original.compare(removed, kept, text, 0, kept) == 0);
    }
    const std::string formatted = FormatConsoleLine(input.Rest());
    KORVANE_FUZZ_CHECK(formatted.empty() || formatted.size() <= kConsoleLineChars + 2);
    return 0;
}
