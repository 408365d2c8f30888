// Restarts in the main window.
#include "app/RestartAddOn.h"

#include "app/RestartScheduleDialog.h"
#include "resources/resource.h"
#include "ui/WindowTools.h"

namespace korvane::app {

namespace {

constexpr char kRestartCaption[] = "Restart Server";
constexpr char kRestartQuestion[] =
    "Restart the server now?\n\nThe game ends for every player and starts again with the "
    "same settings; this takes a few seconds.";
// No question box: on a machine nobody watches it would wait for a click for ever.
constexpr char kHangOffer[] =
    "The engine cannot go on and cannot be stopped cleanly: Game > Restart Server starts the "
    "server again.";

}  // namespace

bool RestartAddOn::OnCommand(HWND window, int id) {
    switch (id) {
        case IDM_RESTART_SERVER:
            // No is the default and typing does not answer, as for Quit.
            if (ui::AskYesNo(window, kRestartQuestion, kRestartCaption))
                Restart(hung_.load() ? RestartReason::Hang : RestartReason::Requested,
                        "Restart confirmed by the operator.");
            return true;
        case IDM_RESTART_SCHEDULE: {
            RestartScheduleDialog dialog(window, control_.Schedule(), [this](const RestartSchedule& s) {
                if (!SaveSchedule(s)) return false;
                control_.SetSchedule(s);
                return true;
            });
            dialog.DoModal();
            return true;
        }
        default:
            return next_.OnCommand(window, id);
    }
}

void RestartAddOn::Refreshed(HWND) {
    if (reason_) return;  // the window is ending
    if (hung_.load() && !hangSeen_) {
        hangSeen_ = true;
        OfferAfterHang();
        return;
    }
    if (const auto reason = control_.Poll()) Restart(*reason, "");
}

void RestartAddOn::EngineStopped(HWND) {
    if (!reason_ && !hung_.load())
        Failed(RestartReason::EngineStopped, "The engine stopped on its own: restarting the server.");
}

void RestartAddOn::OfferAfterHang() {
    if (control_.Schedule().restartWhenEngineStops) {
        Failed(RestartReason::Hang, "The engine hung: restarting the server.");
        return;
    }
    control_.Tell(kHangOffer);
    window_.Tools().Notify(kHangOffer);
}

void RestartAddOn::Failed(RestartReason reason, const std::string& line) {
    if (control_.RestartAfterFailure(reason)) {
        Restart(reason, line);
        return;
    }
    const std::string notice = control_.Notice();
    if (!notice.empty()) window_.Tools().Notify(notice);
}

void RestartAddOn::Restart(RestartReason reason, const std::string& line) {
    reason_ = reason;
    // Without a line of ours the control has already said why.
    window_.EndForRestart(line);
}

}  // namespace korvane::app
