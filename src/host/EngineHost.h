// The engine's host, without any window: it loads server.dll, brings it through the start-up
// to a hosted game, ticks it on the server thread and hands what the engine reported (console
// lines, player events) over to whoever shows it. Every console line reaches every console
// listener from one place, the hand-over, in order. Every engine call from another thread goes
// through it, under EngineLock (the single calls on the engine: host/EngineCalls.h).
#pragma once

#include <array>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "contract/EngineGate.h"
#include "host/CallClock.h"
#include "host/ConsoleListeners.h"
#include "host/EngineLibrary.h"
#include "host/EngineReports.h"
#include "host/HostedGame.h"
#include "host/ServerThread.h"
#include "host/StringLibrary.h"
#include "settings/ServerSettings.h"
#include "ui/Handles.h"

namespace korvane {

class EngineHost final : public EngineGate {
  public:
    enum class StartResult {
        Running,           // hosting, the server thread ticking
        NoEngine,          // server.dll missing or CreateEngine failed; StartFailure says why
        SettingsDeclined,  // the start-up sheet was not closed with OK (the file is written)
        StepFailed,        // a later step failed; the engine is shut down
    };
    struct StartHooks {
        // Once the engine exists: its version, as GetVersion gave it.
        std::function<void(const std::array<int, 3>& version)> engineLoaded;
        // Where the start-up settings sheet goes; false ends the start-up. None: go on.
        std::function<bool()> settings;
    };
    // What the owner hears of, possibly on the server thread (it posts, never waits).
    enum class Notice { CloseRequested, Stopped };

    struct HandOver {
        bool engineLoaded = false;
        bool playersChanged = false;
        std::vector<std::string> lines;     // console lines, oldest first
        std::vector<PlayerRecord> players;  // the table's records, in its order
    };

    // Whoever shows or keeps console lines (host/ConsoleListeners.h).
    using ConsoleListener = korvane::ConsoleListener;

    // A null library means server.dll from the working folder, which the program has made its
    // installation folder. `folderNote` says where that folder came from; StartFailure adds it.
    explicit EngineHost(std::unique_ptr<EngineLibrary> library = nullptr,
                        std::string folderNote = {});
    ~EngineHost();
    EngineHost(const EngineHost&) = delete;
    EngineHost& operator=(const EngineHost&) = delete;

    StartResult Start(const StartHooks& hooks);
    // Stops the server thread, detaches and releases the engine and empties the player
    // table; the console lines stay for the next hand-over. Safe to call any number of times.
    // False when the engine hangs in a call: it is then left alone for good (never called
    // again, never unloaded), and the owner ends the process once its own files are written.
    bool Shutdown();
    bool EngineLoaded() const { return engine_.load() != nullptr; }
    void SetListener(std::function<void(Notice)> listener) { listener_ = std::move(listener); }
    // A listener stays registered until removed, and is removed before it goes; add and remove
    // on the thread that takes the hand-over.
    void AddConsoleListener(ConsoleListener& listener) { consoleListeners_.Add(listener); }
    void RemoveConsoleListener(ConsoleListener& listener) { consoleListeners_.Remove(listener); }

    // Waits for EngineLock only while the call holding it is not stuck (CallClock): a
    // hung engine makes every other call give up at once rather than freeze its caller.
    bool WithEngine(const std::function<void(EngineInterface&)>& use,
                    CallLength length = CallLength::Regular) override;
    // A line for the console (any thread): it goes out with the next hand-over.
    void Note(const std::string& line) override;
    // How a command's echo reaches the console listeners.
    enum class Echo {
        WithHandOver,  // from any thread: queued with the command's execution in one hold of
                       // the lock, so nothing the engine prints comes before it
        AtOnce,        // from the thread that takes the hand-over: handed out now, ahead of the
                       // lines still queued; the answer follows with the next hand-over
    };
    // The console text the engine printed while it executed one command, for a front that
    // answers a command with it (its lines are still handed over as usual). Bounded: what
    // comes past `maxBytes` is left out and `cut` says so.
    struct CommandAnswer {
        explicit CommandAnswer(size_t limit) : maxBytes(limit) {}
        std::vector<std::string> lines;
        size_t maxBytes;
        size_t bytes = 0;
        bool cut = false;
    };
    // A command from any front: echoed, then executed. False, with nothing echoed, without an
    // engine. With the hand-over's echo, `answer` (when given) gets what the command printed.
    bool EchoAndExecute(const std::string& command, Echo echo = Echo::WithHandOver,
                        CommandAnswer* answer = nullptr);
    // The changed flag, the queued console lines and a copy of the player records, taken in
    // one hold of the lock so that they belong together; then, outside the lock, the lines go
    // to every console listener.
    HandOver TakeHandOver();
    // The hosted game: uptime, map, first Tick, update rate (host/HostedGame.h).
    const HostedGame& Game() const { return game_; }
    // A copy of the player records, taken under the lock without consuming the hand-over.
    std::vector<PlayerRecord> PlayerSnapshot();

    // Which engine call runs now and since when (host/CallClock.h).
    const CallClock& Calls() const { return calls_; }

    // Safe from any thread: the library is unloaded only under the lock.
    std::string ResourceText(int id) const;
    // The engine's version now, or the one read at start-up once the engine is gone.
    std::array<int, 3> Version();
    ServerSettings& Settings() { return settings_; }
    // Why the engine could not be created, and where it was looked for.
    std::string StartFailure() const;

  private:
    class Callbacks;
    StartResult StartSteps(const StartHooks& hooks);
    void Step();  // the server thread's, with EngineLock held

    std::unique_ptr<EngineLibrary> library_;
    std::string folderNote_;
    mutable ui::CriticalSection lock_;  // EngineLock: every engine call
    // The reports and the strings: taken inside EngineLock by the callbacks, and alone by the
    // hand-over, so that a hung engine never holds up the fronts' refresh.
    mutable ui::CriticalSection reportsLock_;
    std::atomic<EngineInterface*> engine_{nullptr};
    std::unique_ptr<Callbacks> callbacks_;
    StringLibrary strings_;
    ServerSettings settings_{*this};
    ServerThread thread_;
    std::function<void(Notice)> listener_;
    ConsoleListeners consoleListeners_;  // the hand-over thread's
    std::array<int, 3> version_{};
    EngineReports reports_;  // filled by the callbacks, guarded by reportsLock_
    CommandAnswer* answer_ = nullptr;  // the command's being captured; under reportsLock_
    CallClock calls_;
    HostedGame game_;

    std::atomic<bool> shutdownRequested_{false};
    bool abandoned_ = false;
};

}  // namespace korvane
