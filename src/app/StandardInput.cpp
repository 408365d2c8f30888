// The reading thread behind korvane-console.exe's standard input.
#include "app/StandardInput.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "settings/SettingValues.h"

namespace korvane::app {

namespace {

// Commands waiting for the front; beyond this the reader waits, and so does the writer of
// the other end.
constexpr size_t kMaxWaiting = 256;

bool Blank(std::string_view text) {
    return text.find_first_not_of(" \t") == std::string_view::npos;
}

}  // namespace

void LineSplitter::Feed(std::string_view bytes, const std::function<void(Line&)>& take) {
    for (char c : bytes) {
        const bool wasCr = afterCr_;
        afterCr_ = c == '\r';
        if (c == '\n' && wasCr) continue;  // the second half of CR LF
        if (c == '\r' || c == '\n') {
            End(take);
            continue;
        }
        any_ = true;
        if (++line_.length <= limit_) line_.text += c;
    }
}

void LineSplitter::Finish(const std::function<void(Line&)>& take) {
    if (any_) End(take);
}

void LineSplitter::End(const std::function<void(Line&)>& take) {
    take(line_);
    line_ = Line();
    any_ = false;
}

struct StandardInput::Shared {
    HANDLE arrived = nullptr;
    std::function<void(size_t)> tooLong;
    std::mutex mutex;
    std::condition_variable taken;
    std::deque<std::string> commands;
    bool ending = false;
};

StandardInput::StandardInput(HANDLE input, HANDLE arrived,
                             std::function<void(size_t length)> tooLong)
    : shared_(std::make_shared<Shared>()) {
    // The thread keeps its own copy of the event, so that it may outlive the front's.
    DuplicateHandle(GetCurrentProcess(), arrived, GetCurrentProcess(), &shared_->arrived, 0, FALSE,
                    DUPLICATE_SAME_ACCESS);
    shared_->tooLong = std::move(tooLong);
    std::thread(&StandardInput::Read, shared_, input).detach();
}

StandardInput::~StandardInput() {
    std::lock_guard lock(shared_->mutex);
    shared_->ending = true;
    shared_->commands.clear();
    shared_->taken.notify_all();
}

std::optional<std::string> StandardInput::Take() {
    std::lock_guard lock(shared_->mutex);
    if (shared_->commands.empty()) return std::nullopt;
    std::string command = std::move(shared_->commands.front());
    shared_->commands.pop_front();
    shared_->taken.notify_all();
    return command;
}

void StandardInput::Read(const std::shared_ptr<Shared>& shared, HANDLE input) {
    try {
        LineSplitter splitter(kMaxTypedCommandLength);
        bool ending = false;
        const auto take = [&](LineSplitter::Line& line) {
            if (line.length > kMaxTypedCommandLength) {
                shared->tooLong(line.length);
                return;
            }
            if (Blank(line.text)) return;
            std::unique_lock lock(shared->mutex);
            shared->taken.wait(
                lock, [&] { return shared->ending || shared->commands.size() < kMaxWaiting; });
            ending = shared->ending;
            if (ending) return;
            shared->commands.push_back(std::move(line.text));
            SetEvent(shared->arrived);
        };
        char buffer[4096];
        DWORD got = 0;
        // End of input (or a broken pipe) ends the reading, never the program.
        while (!ending && ReadFile(input, buffer, sizeof buffer, &got, nullptr) && got > 0)
            splitter.Feed(std::string_view(buffer, got), take);
        if (!ending) splitter.Finish(take);
    } catch (...) {
        // Out of memory while reading: no more commands from standard input.
    }
    if (shared->arrived) CloseHandle(shared->arrived);
}

}  // namespace korvane::app
