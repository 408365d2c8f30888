// The writer thread behind korvane-console.exe's standard output.
#include "app/StandardOutput.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace korvane::app {

struct StandardOutput::Shared {
    HANDLE output;
    std::mutex mutex;
    std::condition_variable wake;     // lines queued, or the end
    std::condition_variable written;  // a batch went out
    std::deque<std::string> backlog;  // each a console line, formatted with its line ends
    uint64_t dropped = 0;             // lines dropped since the last batch
    std::string droppedStamp;         // the time of the newest drop, when stamping
    bool writing = false;
    bool ending = false;
};

StandardOutput::StandardOutput(HANDLE output, bool timestamps, LocalClock clock)
    : timestamps_(timestamps), clock_(std::move(clock)), shared_(std::make_shared<Shared>()) {
    shared_->output = output;
    std::thread(&StandardOutput::Write, shared_).detach();
}

StandardOutput::~StandardOutput() {
    Drain(2000);
    std::lock_guard lock(shared_->mutex);
    shared_->ending = true;
    shared_->wake.notify_all();
}

void StandardOutput::ConsoleLines(const std::vector<std::string>& lines) {
    // The clock is read once per batch, as the log does.
    const std::string stamp = timestamps_ ? LogStamp(clock_()) : std::string();
    std::vector<std::string> formatted;
    formatted.reserve(lines.size());
    for (const std::string& line : lines) {
        std::string text;
        AppendStampedLines(text, stamp, line);
        if (!text.empty()) formatted.push_back(std::move(text));
    }
    if (formatted.empty()) return;
    std::lock_guard lock(shared_->mutex);
    for (std::string& text : formatted) {
        if (shared_->backlog.size() >= kMaxBacklog) {
            shared_->backlog.pop_front();
            ++shared_->dropped;
            shared_->droppedStamp = stamp;
        }
        shared_->backlog.push_back(std::move(text));
    }
    shared_->wake.notify_one();
}

bool StandardOutput::Drain(DWORD timeoutMs) {
    std::unique_lock lock(shared_->mutex);
    return shared_->written.wait_for(lock, std::chrono::milliseconds(timeoutMs), [&] {
        return shared_->backlog.empty() && shared_->dropped == 0 && !shared_->writing;
    });
}

void StandardOutput::Write(const std::shared_ptr<Shared>& shared) {
    try {
        std::string batch;
        for (;;) {
            std::deque<std::string> lines;
            uint64_t dropped = 0;
            std::string droppedStamp;
            {
                std::unique_lock lock(shared->mutex);
                shared->writing = false;
                shared->written.notify_all();
                shared->wake.wait(lock, [&] {
                    return shared->ending || !shared->backlog.empty() || shared->dropped;
                });
                if (shared->backlog.empty() && !shared->dropped) return;
                lines.swap(shared->backlog);
                dropped = shared->dropped;
                droppedStamp = shared->droppedStamp;
                shared->dropped = 0;
                shared->writing = true;
            }
            // The lines that went were the oldest, so the count comes before what is left.
            batch.clear();
            if (dropped)
                AppendStampedLines(batch, droppedStamp,
                                   "Korvane Server: " + std::to_string(dropped) +
                                       " console lines dropped while standard output was not "
                                       "read.");
            for (const std::string& line : lines) batch += line;
            // One write per batch, straight to the handle: nothing is held in a buffer.
            for (size_t done = 0; done < batch.size();) {
                DWORD written = 0;
                const auto size = static_cast<DWORD>(batch.size() - done);
                if (!WriteFile(shared->output, batch.data() + done, size, &written, nullptr) ||
                    written == 0)
                    break;  // no reader any more: the lines have nowhere to go
                done += written;
            }
        }
    } catch (...) {
        // Out of memory in a batch: standard output stops, the server goes on.
        std::lock_guard lock(shared->mutex);
        shared->writing = false;
        shared->written.notify_all();
    }
}

}  // namespace korvane::app
