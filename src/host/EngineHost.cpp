// The engine host: start-up, the hand-over of what the engine reports, the calls other
// threads make, the server thread's step and the shutdown.
#include "host/EngineHost.h"

#include <cstring>

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
        if (!message) return 0;
        bool close = false;
        {
            ui::ScopedLock lock(host_.reportsLock_);
            close = host_.reports_.ApplyEvent(message);
        }
        if (close && host_.listener_) host_.listener_(Notice::CloseRequested);
        return 0;
    }
    int OnConsoleText(const char* text) override {
        if (!text) return 0;
        ui::ScopedLock lock(host_.reportsLock_);
        if (CommandAnswer* const answer = host_.answer_) {
            const size_t length = std::strlen(text);
            if (!answer->cut && answer->bytes + length <= answer->maxBytes) {
                answer->lines.emplace_back(text, length);
                answer->bytes += length;
            } else {
                answer->cut = true;
            }
        }
        host_.reports_.AddLine(text);
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
    // An engine hung in a call is never unloaded under the thread that is inside it.
    if (!Shutdown()) static_cast<void>(library_.release());
}

EngineHost::StartResult EngineHost::Start(const StartHooks& hooks) {
    const StartResult result = StartSteps(hooks);
    if (result == StartResult::StepFailed) Shutdown();
    return result;
}

EngineHost::StartResult EngineHost::StartSteps(const StartHooks& hooks) {
    EngineInterface* created = nullptr;
    {
        CallClock::Stamp stamp(calls_, RunningCall::StartUp, CallLength::Long);
        created = CreateEngine(*library_, version_);
    }
    if (!created) return StartResult::NoEngine;
    engine_ = created;
    if (hooks.engineLoaded) hooks.engineLoaded(version_);
    EngineInterface& engine = *created;
    {
        // The server thread does not run yet, so these calls need no lock.
        CallClock::Stamp stamp(calls_, RunningCall::StartUp, CallLength::Long);
        if (engine.AttachHost(callbacks_.get()) != 0) return StartResult::StepFailed;
        if (!SetUpResourceArchives(engine)) return StartResult::StepFailed;
        ui::ScopedLock lock(reportsLock_);
        if (!strings_.Load()) return StartResult::StepFailed;
    }

    settings_.LoadSettings();
    if (hooks.settings && !hooks.settings()) {
        settings_.SaveSettings();
        return StartResult::SettingsDeclined;
    }
    settings_.SaveSettings();

    {
        CallClock::Stamp stamp(calls_, RunningCall::StartUp, CallLength::Long);
        if (!SelectNetworkService(engine)) return StartResult::StepFailed;
    }
    char startMap[kMapNameSize + 1] = {};
    if (!settings_.GetMapEntry(0, startMap)) startMap[0] = '\0';
    const std::string hostedMap = LowerMapName(std::string(startMap));
    {
        CallClock::Stamp stamp(calls_, RunningCall::StartUp, CallLength::Long);
        if (!StartHosting(engine, hostedMap, settings_.maxPlayers,
                          ui::ProgramString(IDS_SESSION_TEXT)))
            return StartResult::StepFailed;
    }
    if (!thread_.Start(lock_, [this] { Step(); })) return StartResult::StepFailed;
    game_.Hosting(hostedMap);

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

bool EngineHost::Shutdown() {
    if (abandoned_) return false;
    shutdownRequested_ = true;
    // No Tick may run once the engine is released: the thread is ended first, and waited
    // for without holding the lock it needs to finish its step. A Tick that hangs is not
    // waited for: the engine is left as it is, never called again.
    if (!thread_.Stop([this] { return !calls_.Stuck(); })) {
        abandoned_ = true;
        return false;
    }
    game_.Ended();
    {
        ui::BoundedLock lock(lock_, [this] { return !calls_.Stuck(); });
        if (!lock) {
            abandoned_ = true;
            return false;
        }
        EngineInterface* const engine = engine_.exchange(nullptr);
        if (engine) {
            CallClock::Stamp stamp(calls_, RunningCall::StartUp, CallLength::Long);
            engine->AttachHost(nullptr);
            library_->Release();
        }
        ui::ScopedLock reports(reportsLock_);
        strings_.Unload();
        reports_.ClearPlayers();
    }
    shutdownRequested_ = false;
    return true;
}

bool EngineHost::WithEngine(const std::function<void(EngineInterface&)>& use,
                            CallLength length) {
    const DWORD start = GetTickCount();
    ui::BoundedLock lock(lock_, [&] { return calls_.KeepWaiting(start); });
    CallClock::Waited(start);
    EngineInterface* engine = engine_.load();
    if (!lock || !engine) return false;
    CallClock::Stamp stamp(calls_, RunningCall::Call, length);
    use(*engine);
    return true;
}

void EngineHost::Note(const std::string& line) {
    ui::ScopedLock lock(reportsLock_);
    reports_.AddLine(line);
}

bool EngineHost::EchoAndExecute(const std::string& command, Echo echo, CommandAnswer* answer) {
    game_.CommandGiven(command);
    if (echo == Echo::AtOnce) {
        if (!EngineLoaded()) return false;
        consoleListeners_.HandOut({command});
        return EngineGate::ExecuteCommand(command.c_str());
    }
    // Only the thread holding EngineLock calls the engine, so what it prints meanwhile is
    // this command's answer and nothing a Tick printed.
    return WithEngine(
        [&](EngineInterface& engine) {
            Note(command);
            const auto capture = [&](CommandAnswer* into) {
                ui::ScopedLock lock(reportsLock_);
                answer_ = into;
            };
            if (answer) capture(answer);
            engine.ExecuteCommand(command.c_str());
            if (answer) capture(nullptr);
        },
        LengthOf(command));
}

EngineHost::HandOver EngineHost::TakeHandOver() {
    HandOver handOver;
    {
        ui::ScopedLock lock(reportsLock_);
        handOver.engineLoaded = engine_.load() != nullptr;
        handOver.playersChanged = reports_.TakePlayersChanged();
        handOver.lines = reports_.TakeLines();
        handOver.players = reports_.Players();
    }
    consoleListeners_.HandOut(handOver.lines);
    return handOver;
}

std::vector<PlayerRecord> EngineHost::PlayerSnapshot() {
    ui::ScopedLock lock(reportsLock_);
    return reports_.Players();
}

std::string EngineHost::ResourceText(int id) const {
    ui::ScopedLock lock(reportsLock_);
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
    game_.Stepped(now, ClockMs());
    {
        CallClock::Stamp stamp(calls_, RunningCall::Tick, CallLength::Regular);
        const int goOn = engine->Tick(0);
        game_.TickEnded();
        if (goOn != 0) {
            game_.TickReturned();
            return;
        }
    }
    // No further Tick: the steps do nothing from here until the owner shuts the engine down.
    shutdownRequested_ = true;
    if (listener_) listener_(Notice::Stopped);
}

}  // namespace korvane
