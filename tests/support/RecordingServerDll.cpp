// server.dll for tests that run the real program: the recording engine, which writes the calls
// it had to engine-calls.txt in the working folder (the installation folder the program
// entered): at its first Tick, with a last line "Tick", and again at ReleaseEngine.
#include <windows.h>

#include <fstream>

#include "support/RecordingEngine.h"

namespace {

korvane::test::RecordingEngine* g_engine = nullptr;
korvane::test::RecordingLibrary* g_library = nullptr;
bool g_ticked = false;

void WriteCalls(const char* last) {
    std::ofstream file("engine-calls.txt", std::ios::binary | std::ios::trunc);
    for (const std::string& call : g_engine->Calls()) file << call << "\n";
    if (last) file << last << "\n";
}

}  // namespace

extern "C" int __cdecl CreateEngine(int version, const korvane::InterfaceId* iid,
                                    korvane::EngineInterface** out);
extern "C" int __cdecl ReleaseEngine(void);

extern "C" int __cdecl CreateEngine(int version, const korvane::InterfaceId* iid,
                                    korvane::EngineInterface** out) {
    try {
        if (!g_engine) {
            g_engine = new korvane::test::RecordingEngine;
            g_library = new korvane::test::RecordingLibrary(*g_engine);
            g_engine->onTick = [] {
                if (!g_ticked) WriteCalls("Tick");
                g_ticked = true;
            };
        }
        return out ? g_library->Create(version, iid, out) : 1;
    } catch (...) {
        return 4;
    }
}

extern "C" int __cdecl ReleaseEngine(void) {
    try {
        if (g_library) {
            g_library->Release();
            WriteCalls(nullptr);
        }
    } catch (...) {
    }
    return 0;
}
