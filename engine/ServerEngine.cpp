// The host's attachment, the tick, and the way out for console text and events.
#include "ServerEngine.h"

namespace korvane {

namespace {

// Runs one engine operation; anything thrown (std::bad_alloc above all) becomes failure.
template <typename Result, typename Operation>
Result Guarded(Result failure, Operation&& operation) noexcept {
    try {
        return operation();
    } catch (...) {
        return failure;
    }
}

}  // namespace

ServerEngine::ServerEngine(EngineEnvironment& environment) : core_(environment) {}

void ServerEngine::WriteLine(const char* line) {
    if (host_ == nullptr) return;
    try {
        host_->OnConsoleText(line);
    } catch (...) {
        // The host's trouble must not unwind through the engine.
    }
}

void ServerEngine::SendEvent(const char* message) {
    if (host_ == nullptr) return;
    try {
        host_->OnEngineEvent(message);
    } catch (...) {
    }
}

int ServerEngine::AttachHost(HostCallbacks* callbacks) {
    return Guarded(0, [&] {
        host_ = callbacks;
        core_.SetConsoleSink(callbacks != nullptr ? this : nullptr);
        core_.SetEventSink(callbacks != nullptr ? this : nullptr);
        return 0;
    });
}

int ServerEngine::Tick(int) {
    // On failure keep running: one bad tick is no reason to stop the server.
    return Guarded(1, [&] { return core_.Tick(); });
}

}  // namespace korvane
