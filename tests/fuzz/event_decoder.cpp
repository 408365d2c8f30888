// The host's decoding of engine event messages: any bytes, as a run of messages (split at NUL
// bytes, which a real message never holds) applied to one player table.
#include <string>

#include "FuzzInput.h"
#include "host/PlayerTable.h"

using namespace korvane;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    PlayerTable table;
    for (int32_t id : {1, 2, 3, 7, 65539}) table.Join(id, 0, "NEWPLAYER");
    int64_t now = 1000;
    while (!input.Empty()) {
        // An exact copy on the heap, so a read one byte past the message is caught.
        const std::string_view part = input.Until('\0');
        std::string message(part);
        const EngineEventOutcome outcome = ApplyEngineEvent(table, message, now += 7, "NEWPLAYER");
        if (outcome.consoleText) {
            KORVANE_FUZZ_CHECK(outcome.consoleText->size() <= 1023);
            KORVANE_FUZZ_CHECK(outcome.consoleText->find('\n') == std::string::npos);
        }
        for (const PlayerRecord& record : table.Snapshot()) {
            KORVANE_FUZZ_CHECK(std::memchr(record.name, '\0', sizeof record.name) != nullptr);
            KORVANE_FUZZ_CHECK(!FormatDuration(now - record.joinTime).empty());
        }
    }
    return 0;
}
