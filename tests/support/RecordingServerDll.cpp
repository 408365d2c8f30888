// The recording engine as a server.dll, for tests that run a real program: when the engine is
// released, its calls (Ticks aside) go to engine-calls.txt in the working folder (the
// installation folder), so another process can read what the program did with its engine.
#include <windows.h>

#include <string>

#include "support/RecordingEngine.h"

namespace {

korvane::test::RecordingEngine* g_engine = nullptr;

}  // namespace

extern "C" int __cdecl CreateEngine(int, const korvane::InterfaceId*,
                                    korvane::EngineInterface** out);
extern "C" int __cdecl ReleaseEngine(void);

extern "C" int __cdecl CreateEngine(int, const korvane::InterfaceId*,
                                    korvane::EngineInterface** out) {
    if (!out) return 1;
    if (!g_engine) g_engine = new korvane::test::RecordingEngine;
    g_engine->Note("CreateEngine");
    *out = g_engine;
    return 0;
}

extern "C" int __cdecl ReleaseEngine(void) {
    if (!g_engine) return 0;
    g_engine->Note("ReleaseEngine");
    std::string text;
    for (const std::string& call : g_engine->Calls()) text += call + "\r\n";
    HANDLE file = CreateFileA("engine-calls.txt", GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                              CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return 0;
    DWORD written = 0;
    WriteFile(file, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    CloseHandle(file);
    return 0;
}
