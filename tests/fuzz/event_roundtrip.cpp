// The engine's players-updated message against the host's decoder: every group the engine
// formats must reach the host's table as sent. Input: groups of id (2 bytes), team and
// specialty (4 bytes each) and a name (a length byte, then its bytes).
#include <map>
#include <string>

#include "Events.h"
#include "FuzzInput.h"
#include "host/PlayerTable.h"

using namespace korvane;

namespace {

class Collector final : public EventSink {
  public:
    std::string last;
    void SendEvent(const char* message) override { last = message; }
};

struct Sent {
    std::string name;
    uint32_t team;
    int32_t specialty;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    Collector collector;
    EventChannel channel;
    channel.SetSink(&collector);
    PlayerTable table;
    std::map<uint16_t, Sent> expected;
    channel.BeginUpdate();
    for (int groups = 0; !input.Empty() && groups < 64; ++groups) {
        // Engine ids are 1 to 65535; the host keeps them apart by their low 16 bits.
        const int id = input.Number<uint16_t>() | 1;
        const int32_t team = input.Number<int32_t>();
        const int32_t specialty = input.Number<int32_t>();
        const std::string name = input.Text(40);
        table.Join(id, 0, "NEWPLAYER");
        channel.AddToUpdate(id, name, team, specialty);
        // The engine keeps 30 characters and turns line breaks and terminators into blanks.
        std::string shown = name.substr(0, 30);
        for (char& c : shown)
            if (c == '\n' || c == '\r' || c == '\0') c = ' ';
        expected[PlayerTable::KeyOf(id)] = {shown, static_cast<uint32_t>(team),
                                            specialty == 8 ? 1073 : specialty};
    }
    channel.SendUpdate();
    ApplyEngineEvent(table, collector.last, 0, "NEWPLAYER");
    for (const auto& [key, sent] : expected) {
        const PlayerRecord* record = table.Find(key);
        KORVANE_FUZZ_CHECK(record != nullptr);
        KORVANE_FUZZ_CHECK(sent.name == record->name);
        KORVANE_FUZZ_CHECK(sent.team == record->team);
        KORVANE_FUZZ_CHECK(sent.specialty == record->specialty);
    }
    return 0;
}
