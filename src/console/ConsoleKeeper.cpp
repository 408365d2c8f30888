// The console log and the command history, kept the same way by every front.
#include "console/ConsoleKeeper.h"

namespace korvane {

ConsoleKeeper::~ConsoleKeeper() {
    if (listening_) host_.RemoveConsoleListener(*this);
}

void ConsoleKeeper::Start(Places places) {
    places_ = std::move(places);
    startedMs_ = places_.clockMs();
    history_.Load(places_.historyFile);
    log_.emplace(places_.logFolder);
    if (logging_) log_->RemoveOldFiles();
    if (!listening_) host_.AddConsoleListener(*this);
    listening_ = true;
}

void ConsoleKeeper::Refreshed() {
    WriteLog(pending_);
    pending_.clear();
    // The history counts its few minutes from the start.
    const uint64_t now = Now();
    if (history_.SaveDue(now)) history_.Save(places_.historyFile, now);
    // One line scrolls away in seconds on a busy server; a log that stays stopped says so
    // again (the tooltip and the web status show it all along).
    if (!logFailure_.empty() && now - logFailureSaidMs_ >= kLogStoppedRepeatMs) {
        logFailureSaidMs_ = now;
        host_.Note(logFailure_);
    }
}

void ConsoleKeeper::WriteLog(const std::vector<std::string>& lines) {
    if (!logging_ || !log_) return;
    // The reason goes to the console like any other line, at the next refresh; the log has
    // stopped by then, so it is not written there.
    if (std::optional<std::string> failure = log_->Append(lines)) {
        logFailure_ = *failure;
        logFailureSaidMs_ = Now();
        host_.Note(*failure);
    }
}

void ConsoleKeeper::ConsoleLines(const std::vector<std::string>& lines) {
    if (logging_) pending_.insert(pending_.end(), lines.begin(), lines.end());
}

const char* ConsoleKeeper::LogState() const {
    if (!logging_) return "off";
    return log_ && log_->Stopped() ? "stopped" : "writing";
}

void ConsoleKeeper::End() {
    if (listening_) host_.RemoveConsoleListener(*this);
    listening_ = false;
    if (!pending_.empty()) WriteLog(pending_);
    pending_.clear();
    if (history_.Changed()) history_.Save(places_.historyFile, Now());
    log_.reset();
}

}  // namespace korvane
