// The engine host: start-up, the hand-over of what the engine reports, the calls other
// threads make, the server thread's step and the shutdown.
#include "host/EngineHost.h"

#include <cstring>

#include "host/EngineCalls.h"
#include "host/ServerDllLibrary.h"
#include "host/StartupSteps.h"
#include "resources/resource.h"
#include "settings/MapName.h"
#include "ui/Text.h"

namespace korvane {

// The callback object handed to the engine; it reaches its host through a back-pointer.
class EngineHost::Callbacks final : public HostCallbacks {
  public:
    explicit Callbacks(EngineHost& host) : host_(host) {}
    // The engine calls these only inside a call the host made with EngineLock held.
    int OnEngineEvent(const char* message) override {
        // This may be the server thread, inside Tick: the owner is told, and acts on its own
        // thread.
        if (message && host_.reports_.ApplyEvent(message) && host_.listener_)
            host_.listener_(Notice::CloseRequested);
        return 0;
    }
    int OnConsoleText(const char* text) override {
        if (text) host_.reports_.AddLine(text);
        return 0;
    }
    int Reserved2() override { return 0; }
    int Reserved3(int, int, int, int) override { return 0; }

  private:
    EngineHost& host_;
};

EngineHost::EngineHost(std::unique_ptr<EngineLibrary> library, std::string folderNote)
    : library_(library ? std::move(library) : std::make_unique<ServerDllLibrary>()),
      folderNote_(std::move(folderNote)),
      callbacks_(std::make_unique<Callbacks>(*this)),
      reports_(ui::ProgramString(IDS_NEW_PLAYER)) {}

EngineHost::~EngineHost() {
    Shutdown();
}

EngineHost::StartResult EngineHost::Start(const StartHooks& hooks) {
    const StartResult result = StartSteps(hooks);
    if (result == StartResult::StepFailed) Shutdown();
    return result;
}

EngineHost::StartResult EngineHost::StartSteps(const StartHooks& hooks) {
    EngineInterface* const created = CreateEngine(*library_, version_);
    if (!created) return StartResult::NoEngine;
    engine_ = created;
    if (hooks.engineLoaded) hooks.engineLoaded(version_);
    EngineInterface& engine = *created;
    // The server thread does not run yet, so these calls need no lock.
    if (engine.AttachHost(callbacks_.get()) != 0) return StartResult::StepFailed;
    if (!SetUpResourceArchives(engine)) return StartResult::StepFailed;
    if (!strings_.Load()) return StartResult::StepFailed;

    settings_.LoadSettings();
    if (hooks.settings && !hooks.settings()) {
        settings_.SaveSettings();
        return StartResult::SettingsDeclined;
    }
    settings_.SaveSettings();

    if (!SelectNetworkService(engine)) return StartResult::StepFailed;
    char startMap[kMapNameSize + 1] = {};
    if (!settings_.GetMapEntry(0, startMap)) startMap[0] = '\0';
    if (!StartHosting(engine, LowerMapName(std::string(startMap)), settings_.maxPlayers,
                      ui::ProgramString(IDS_SESSION_TEXT)))
        return StartResult::StepFailed;
    if (!thread_.Start(lock_, [this] { Step(); })) return StartResult::StepFailed;
    hostingSinceMs_ = GetTickCount64();

    // The server thread is ticking from here on, so this call takes the lock.
    WithEngine([](EngineInterface& running) {
        char message[32] = {};
        std::memcpy(message, kHostReadyMessage, sizeof kHostReadyMessage);
        running.SendHostMessage(message);
    });
    return StartResult::Running;
}

std::string EngineHost::StartFailure() const {
    std::string reason = library_->Failure();
    if (reason.empty()) reason = "The engine's CreateEngine failed.";
    return folderNote_.empty() ? reason : reason + "\n\n" + folderNote_;
}

void EngineHost::Shutdown() {
    shutdownRequested_ = true;
    // No Tick may run once the engine is released: the thread is ended first, and waited
    // for without holding the lock it needs to finish its step.
    thread_.Stop();
    hostingSinceMs_ = 0;
    updateRate_ = 0;  // nothing ticks any more
    EngineInterface* engine = nullptr;
    {
        ui::ScopedLock lock(lock_);
        strings_.Unload();
        engine = engine_.exchange(nullptr);
        if (engine) {
            engine->AttachHost(nullptr);
            library_->Release();
        }
        reports_.ClearPlayers();
    }
    shutdownRequested_ = false;
}

bool EngineHost::WithEngine(const std::function<void(EngineInterface&)>& use) {
    ui::ScopedLock lock(lock_);
    EngineInterface* engine = engine_.load();
    if (!engine) return false;
    use(*engine);
    return true;
}

void EngineHost::Note(const std::string& line) {
    ui::ScopedLock lock(lock_);
    reports_.AddLine(line);
}

bool EngineHost::EchoAndExecute(const std::string& command, Echo echo) {
    if (echo == Echo::AtOnce) {
        if (!EngineLoaded()) return false;
        consoleListeners_.HandOut({command});
        return ExecuteCommand(*this, command);
    }
    return WithEngine([&](EngineInterface& engine) {
        reports_.AddLine(command);
        engine.ExecuteCommand(command.c_str());
    });
}

EngineHost::HandOver EngineHost::TakeHandOver() {
    HandOver handOver;
    {
        ui::ScopedLock lock(lock_);
        handOver.engineLoaded = engine_.load() != nullptr;
        handOver.playersChanged = reports_.TakePlayersChanged();
        handOver.lines = reports_.TakeLines();
        handOver.players = reports_.Players();
    }
    consoleListeners_.HandOut(handOver.lines);
    return handOver;
}

std::vector<PlayerRecord> EngineHost::PlayerSnapshot() {
    ui::ScopedLock lock(lock_);
    return reports_.Players();
}

long long EngineHost::HostingSeconds() const {
    const uint64_t since = hostingSinceMs_.load();
    return since ? static_cast<long long>((GetTickCount64() - since) / 1000) : 0;
}

std::string EngineHost::ResourceText(int id) const {
    ui::ScopedLock lock(lock_);
    return strings_.Text(id);
}

std::array<int, 3> EngineHost::Version() {
    std::array<int, 3> version = version_;
    WithEngine(
        [&](EngineInterface& engine) { engine.GetVersion(&version[0], &version[1], &version[2]); });
    return version;
}

void EngineHost::Step() {
    EngineInterface* engine = engine_.load();
    if (!engine || shutdownRequested_.load() || !thread_.Started()) return;
    const uint32_t now = ClockMs();
    updateRate_.store(rateMeter_.Step(now, ClockMs()), std::memory_order_relaxed);
    if (engine->Tick(0) != 0) return;
    // No further Tick: the steps do nothing from here until the owner shuts the engine down.
    shutdownRequested_ = true;
    if (listener_) listener_(Notice::Stopped);
}

}  // namespace korvane
