// The simulated engine's command line on a running game: each input line is typed as a
// console command, with the game clock moved on between some of them. Console lines stay
// single printable lines, every event message is well formed, and no line takes long.
#include <string>

#include "EngineTestSupport.h"
#include "FuzzInput.h"

using namespace korvane;

namespace {

void CheckOutput(test::CoreFixture& f) {
    for (const std::string& line : f.console.lines) {
        KORVANE_FUZZ_CHECK(!line.empty() && line.size() <= Console::kMaxLineLength + 1);
        KORVANE_FUZZ_CHECK(line.back() == '\n');
        for (size_t i = 0; i + 1 < line.size(); ++i) {
            const unsigned char c = static_cast<unsigned char>(line[i]);
            KORVANE_FUZZ_CHECK(c == '\t' || (c >= 0x20 && c != 0x7F));
        }
    }
    for (const std::string& message : f.events.messages)
        KORVANE_FUZZ_CHECK(test::Decode(message).ok);
    f.console.lines.clear();
    f.events.messages.clear();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::FuzzInput input(data, size);
    test::CoreFixture f;
    // Files a typed exec may reach: one that executes itself, and a pair that execute each
    // other several times over.
    f.environment.files["loop.cfg"] = "count 1\nexec loop.cfg\nexec LOOP.CFG\nexec ./loop.cfg\n";
    f.environment.files["a.cfg"] = "exec b.cfg\nexec b.cfg\nexec b.cfg\nx 1\n";
    f.environment.files["b.cfg"] = "exec a.cfg\ncvarlist\nexec a.cfg\n";
    f.environment.folders["worlds"] = {};
    f.Run(6, 16);
    f.Play(3000);
    CheckOutput(f);
    for (int lines = 0; !input.Empty() && lines < 64; ++lines) {
        const std::string line(input.Until('\n'));
        f.core.ExecuteCommand(line.c_str());
        if (line.size() % 4 == 0) f.Play(line.size() < 40 ? line.size() * 50 : 2000);
        CheckOutput(f);
    }
    return 0;
}
