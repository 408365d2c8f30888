// The two exports of server.dll, by ordinal through server.def: CreateEngine makes the one
// engine object of the process, ReleaseEngine destroys it.
#include "ServerEngine.h"
#include "Win32Environment.h"

namespace {

struct EngineInstance {
    korvane::Win32Environment environment;
    korvane::ServerEngine engine{environment};
};

EngineInstance* g_instance = nullptr;

}  // namespace

extern "C" int __cdecl CreateEngine(int version, const korvane::InterfaceId* iid,
                                    korvane::EngineInterface** out);
extern "C" int __cdecl ReleaseEngine(void);

// Nonzero results: 1 no out pointer, 2 other version, 3 other interface, 4 out of memory.
extern "C" int __cdecl CreateEngine(int version, const korvane::InterfaceId* iid,
                                    korvane::EngineInterface** out) {
    if (out == nullptr) return 1;
    *out = nullptr;
    if (version != korvane::kEngineInterfaceVersion) return 2;
    if (iid == nullptr || !korvane::SameInterfaceId(*iid, korvane::kEngineInterfaceId)) return 3;
    try {
        // A second request while the engine exists gets the same engine: there is one game.
        if (g_instance == nullptr) g_instance = new EngineInstance;
    } catch (...) {
        return 4;
    }
    *out = &g_instance->engine;
    return 0;
}

extern "C" int __cdecl ReleaseEngine(void) {
    try {
        delete g_instance;
    } catch (...) {
    }
    g_instance = nullptr;
    return 0;
}
