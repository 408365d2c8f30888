// Commands from standard input for korvane-console.exe: a thread of its own reads the handle
// (it may wait for ever, and end of input is no reason to stop the server) and hands each
// line over to the front's thread, which sends it as the window's command line would.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

namespace korvane::app {

// Cuts bytes into lines at any line end (LF, CR LF or CR alone). A line longer than `limit`
// is not cut to size: it is reported by its length, and its text goes.
class LineSplitter {
  public:
    explicit LineSplitter(size_t limit) : limit_(limit) {}
    struct Line {
        std::string text;
        size_t length = 0;  // longer than `text` when over the limit
    };
    // The lines `bytes` completes, each handed to `take`.
    void Feed(std::string_view bytes, const std::function<void(Line&)>& take);
    // End of input: a last line without an end counts.
    void Finish(const std::function<void(Line&)>& take);

  private:
    void End(const std::function<void(Line&)>& take);

    size_t limit_;
    Line line_;
    bool afterCr_ = false;
    bool any_ = false;
};

class StandardInput final {
  public:
    // Starts reading `input`; `arrived` (signalled once per line, auto-reset) tells the
    // front's thread to call Take. `tooLong` gets each line over the command's length limit,
    // on the reading thread.
    StandardInput(HANDLE input, HANDLE arrived, std::function<void(size_t length)> tooLong);
    // The reading thread may be waiting for input that never comes: it is left to end with
    // the process, and it touches nothing of this object's.
    ~StandardInput();
    StandardInput(const StandardInput&) = delete;
    StandardInput& operator=(const StandardInput&) = delete;

    // The next command read, oldest first; blank lines never come.
    std::optional<std::string> Take();

  private:
    struct Shared;
    static void Read(const std::shared_ptr<Shared>& shared, HANDLE input);

    std::shared_ptr<Shared> shared_;
};

}  // namespace korvane::app
