// The program without a window, put together in the window program's order: switches (read
// by the caller), installation folder, one-copy check, host, web administration, then the
// console log and history; standard output and input take the window's place.
#include "app/ConsoleProgram.h"

#include <winsock2.h>

#include <atomic>
#include <memory>
#include <optional>

#include "app/ConsoleBasics.h"
#include "app/CrashDumps.h"
#include "app/ExitCodes.h"
#include "app/InstallFolder.h"
#include "app/Restarts.h"
#include "app/StandardInput.h"
#include "app/StandardOutput.h"
#include "console/ConsoleKeeper.h"
#include "host/EngineHost.h"
#include "host/HangWatchdog.h"
#include "resources/resource.h"
#include "settings/SettingTable.h"
#include "settings/SettingValues.h"
#include "ui/Handles.h"
#include "ui/SingleInstance.h"
#include "ui/Text.h"
#include "web/WebAdmin.h"

namespace korvane::app {

namespace {

// As often as the window refreshes: the hand-over, the log's write, the history's saving.
constexpr DWORD kRefreshMs = 100;
// What the service manager is told each start-up step may take.
constexpr unsigned kStepHintMs = 10000;
constexpr unsigned kEngineHintMs = 60000;
// How long a hang's lines may take to reach the log and standard output before the process
// ends anyway.
constexpr DWORD kHungEndMs = 10000;

// The hosted game from start-up to its end, on the caller's thread.
class UnattendedRun {
  public:
    UnattendedRun(const Switches& switches, HANDLE stopEvent, HANDLE hungEvent,
                  const UnattendedHooks& hooks, const UnattendedOptions& options,
                  EngineHost& host, web::WebAdmin& web, RestartControl& restarts)
        : switches_(switches),
          stopEvent_(stopEvent),
          hungEvent_(hungEvent),
          hooks_(hooks),
          options_(options),
          host_(host),
          web_(web),
          restarts_(restarts),
          keeper_(host) {}
    // After a failure the run still ends cleanly, and no listener outlives its object.
    ~UnattendedRun() {
        try {
            End();
        } catch (...) {
        }
    }
    UnattendedRun(const UnattendedRun&) = delete;
    UnattendedRun& operator=(const UnattendedRun&) = delete;

    int Run();

  private:
    int Start();
    // Until a stop, the engine's end or a restart; the exit code the run ends with.
    int Serve();
    void Refresh();
    void SayReady(const EngineHost::HandOver& handOver);
    void End();

    const Switches& switches_;
    HANDLE stopEvent_;
    HANDLE hungEvent_;  // the watchdog found the engine hung
    const UnattendedHooks& hooks_;
    const UnattendedOptions& options_;
    EngineHost& host_;
    web::WebAdmin& web_;
    RestartControl& restarts_;
    std::optional<RestartReason> restart_;  // asked for at a refresh
    ConsoleKeeper keeper_;
    std::optional<StandardOutput> output_;
    std::optional<StandardInput> input_;
    ui::Handle ended_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};     // the engine's end
    ui::Handle arrived_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};  // a command read
    bool ready_ = false;
    // The engine asked the program to close: an orderly end, never a failure to restart after.
    std::atomic<bool> closeRequested_{false};
};

int UnattendedRun::Run() {
    if (!ended_ || !arrived_) return kExitSocketsFailed;
    if (options_.toStandardOutput) {
        if (const HANDLE out = StandardHandle(STD_OUTPUT_HANDLE)) {
            output_.emplace(out, switches_.timestamps);
            host_.AddConsoleListener(*output_);
        }
    }
    keeper_.SetConsoleLog(switches_.consoleLog);
    keeper_.Start({});
    int code = Start();
    if (code == kExitOk) code = Serve();
    End();
    return code;
}

int UnattendedRun::Start() {
    // The host may speak from the server thread: the engine's own stop (its quit) and its
    // close event both end the run, on this thread.
    HANDLE ended = ended_.Get();
    host_.SetListener([this, ended](EngineHost::Notice notice) {
        if (notice == EngineHost::Notice::CloseRequested) closeRequested_ = true;
        SetEvent(ended);
    });
    if (hooks_.starting) hooks_.starting(kEngineHintMs);
    EngineHost::StartHooks startHooks;
    startHooks.engineLoaded = [this](const std::array<int, 3>&) {
        if (hooks_.starting) hooks_.starting(kEngineHintMs);
    };
    switch (host_.Start(startHooks)) {
        case EngineHost::StartResult::Running:
            break;
        case EngineHost::StartResult::NoEngine: {
            const std::string text =
                "Korvane Server could not start the game's engine.\n\n" + host_.StartFailure();
            SayOnStandardError(text);
            // As a service the log is the only place anyone reads.
            if (!options_.toStandardOutput) host_.Note(text);
            return kExitStartupFailed;
        }
        case EngineHost::StartResult::SettingsDeclined:
        case EngineHost::StartResult::StepFailed:
            // What the engine said about it is on standard output and in the log.
            SayOnStandardError("Korvane Server could not start hosting; the console says why.");
            return kExitStartupFailed;
    }
    if (hooks_.starting) hooks_.starting(kStepHintMs);
    web_.HostingStarted();
    // Commands wait until hosting runs: before that no engine takes them.
    if (options_.readStandardInput) {
        if (const HANDLE in = StandardHandle(STD_INPUT_HANDLE)) {
            input_.emplace(in, arrived_.Get(), [](size_t length) {
                SayOnStandardError(
                    "Not sent: a command has at most " + std::to_string(kMaxTypedCommandLength) +
                    " characters, and this line has " + std::to_string(length) + ".");
            });
        }
    }
    return kExitOk;
}

int UnattendedRun::Serve() {
    const HANDLE waits[] = {stopEvent_, ended_.Get(), hungEvent_, arrived_.Get()};
    ULONGLONG nextRefresh = GetTickCount64();
    for (;;) {
        const ULONGLONG now = GetTickCount64();
        if (now >= nextRefresh) {
            Refresh();
            nextRefresh = now + kRefreshMs;
            // The supervisor starts the program again: the service's recovery, the unit's
            // restart, the container's policy.
            if (restart_) {
                restarts_.Restarting(*restart_);
                return kExitRestartRequested;
            }
        }
        const ULONGLONG after = GetTickCount64();
        const DWORD timeout = nextRefresh > after ? static_cast<DWORD>(nextRefresh - after) : 0;
        const DWORD woke = WaitForMultipleObjects(input_ ? 4 : 3, waits, FALSE, timeout);
        if (woke == WAIT_OBJECT_0) {
            // Whoever reads the log later learns why the server went.
            host_.Note("Korvane Server stopping: asked to stop.");
            return kExitOk;
        }
        if (woke == WAIT_OBJECT_0 + 1 && !closeRequested_ &&
            restarts_.RestartAfterFailure(RestartReason::EngineStopped)) {
            host_.Note("The engine stopped on its own: restarting the server.");
            restarts_.Restarting(RestartReason::EngineStopped);
            return kExitRestartRequested;
        }
        if (woke == WAIT_OBJECT_0 + 1 || woke == WAIT_OBJECT_0 + 2 || woke == WAIT_FAILED)
            return kExitOk;
        // As a line typed into the window's command line: into the history, echoed, then
        // executed. The echo is queued with the command in one hold of the lock, so each
        // command's answer comes before the next one's echo, and is handed out at once. Lines
        // read before the ready line wait for it: panels send their commands after it.
        bool sent = false;
        if (input_ && ready_)
            while (std::optional<std::string> command = input_->Take()) {
                keeper_.History().Add(*command);
                sent = host_.EchoAndExecute(*command) || sent;
            }
        if (sent) Refresh();
    }
}

void UnattendedRun::Refresh() {
    const EngineHost::HandOver handOver = host_.TakeHandOver();
    keeper_.Refreshed();
    web_.SetConsoleLogState(keeper_.LogState());
    if (!ready_ && host_.Game().Ticked()) SayReady(handOver);
    if (ready_ && !restart_) restart_ = restarts_.Poll();
}

void UnattendedRun::SayReady(const EngineHost::HandOver& handOver) {
    ready_ = true;
    // Fixed words: panels wait for the first three to know the server is up.
    const char* name = host_.Settings().GetText(TextOption::ServerName);
    host_.Note("Korvane Server ready: " + std::string(name ? name : "") + " on " +
               host_.Game().Map() + ", " + std::to_string(handOver.players.size()) + "/" +
               std::to_string(host_.Settings().maxPlayers) + " players");
    // Out at once rather than with the next refresh.
    host_.TakeHandOver();
    keeper_.Refreshed();
    if (hooks_.ready) hooks_.ready();
}

// Safe to call again: each step is.
void UnattendedRun::End() {
    input_.reset();
    // The listener stops before the engine goes, as when the window closes.
    web_.Stop();
    host_.Shutdown();
    host_.SetListener(nullptr);
    // What the engine said on its way out reaches the log and standard output.
    host_.TakeHandOver();
    keeper_.End();
    if (output_) {
        host_.RemoveConsoleListener(*output_);
        output_.reset();
    }
}

}  // namespace

int RunUnattended(const Switches& switches, HANDLE stopEvent, const UnattendedHooks& hooks,
                  const UnattendedOptions& options) {
    try {
        if (hooks.starting) hooks.starting(kStepHintMs);
        const Sockets sockets;
        if (!sockets.Usable()) {
            SayOnStandardError(ui::ProgramString(IDS_SOCKETS_INIT_FAILED));
            return kExitSocketsFailed;
        }
        // Everything from here on is found in the installation folder.
        const InstallFolder folder = EnterInstallFolder();
        // One copy per folder, whichever program it is: a second would start a second engine
        // on the same configuration and files. There is no window to bring forward.
        ui::SingleInstance instance(".");
        if (!instance.IsFirst() && !(switches.successor && instance.WaitToBeFirst(60000))) {
            SayOnStandardError("Korvane Server already runs on this installation folder (" +
                               WorkingFolder() + "); this copy ends.");
            return kExitAlreadyRunning;
        }
        InstallCrashHandler({switches.dumps, switches.consoleLog, KORVANE_PROGRAM_VERSION});
        EngineHost host(nullptr, DescribeInstallFolder(folder));
        if (const auto lastCrash = TakeLastCrashReport()) {
            host.Note(*lastCrash);
            RecordRestart(RestartReason::Crash, UnixNow());
        }
        if (!switches.error.empty()) host.Note(switches.error);
        RestartControl restarts(host, ScheduleForRun(switches));
        // A hung engine cannot be shut down: once its lines are out, the process ends with its
        // own code, for the supervisor to start it again. Should this thread be stuck in the
        // engine itself (a start-up step), the watchdog ends the process after a while.
        const ui::Handle hung(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        const ui::Handle finished(CreateEventA(nullptr, TRUE, FALSE, nullptr));
        HangWatchdog watchdog(host, {switches.hangSeconds},
                              [&](const RunningCall& call, uint64_t now) {
                                  SayOnStandardError(HangLine(call, now));
                                  ReportHang(host, call, now);
                                  // The supervisor's restart that follows counts as one.
                                  RecordRestart(RestartReason::Hang, UnixNow());
                                  SetEvent(hung.Get());
                                  WaitForSingleObject(finished.Get(), kHungEndMs);
                                  TerminateProcess(GetCurrentProcess(), kExitEngineHung);
                              });
        web::WebAdmin web(host, switches.web);
        ConnectRestarts(web, restarts);
        UnattendedRun run(switches, stopEvent, hung.Get(), hooks, options, host, web, restarts);
        const int code = run.Run();
        // The engine was left alone (it hung, or a stop came while it did): the files are
        // written, and the process ends around the engine, without calling it again.
        if (!host.Shutdown() || WaitForSingleObject(hung.Get(), 0) == WAIT_OBJECT_0) {
            SetEvent(finished.Get());
            TerminateProcess(GetCurrentProcess(), kExitEngineHung);
        }
        return code;
    } catch (const std::exception& e) {
        SayOnStandardError(std::string("Korvane Server: unexpected failure: ") + e.what());
        return kExitSocketsFailed;
    } catch (...) {
        SayOnStandardError("Korvane Server: unexpected failure.");
        return kExitSocketsFailed;
    }
}

}  // namespace korvane::app
