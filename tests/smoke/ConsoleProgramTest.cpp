// korvane-console.exe as a panel, a container or a script runs it: no display, its standard
// handles on pipes, on a copy of the demo installation.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "support/Installation.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

namespace korvane::test {
namespace {

constexpr char kReady[] = "Korvane Server ready: ";

// A pipe's read end, read into a string by a thread of its own once started.
class PipeText {
  public:
    explicit PipeText(HANDLE pipe) : pipe_(pipe) {}
    // The thread ends when the program's end of the pipe closes.
    ~PipeText() {
        if (thread_.joinable()) thread_.join();
        CloseHandle(pipe_);
    }
    void Start() {
        thread_ = std::thread([this] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(pipe_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
                std::lock_guard lock(mutex_);
                text_.append(buffer, got);
            }
        });
    }
    std::string Text() const {
        std::lock_guard lock(mutex_);
        return text_;
    }

  private:
    HANDLE pipe_;
    mutable std::mutex mutex_;
    std::string text_;
    std::thread thread_;
};

// A program of the installation started with pipes for its standard handles.
class Piped {
  public:
    Piped(const std::string& program, const std::string& arguments, DWORD flags = 0) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        HANDLE in = nullptr, out = nullptr, err = nullptr, outRead = nullptr, errRead = nullptr;
        CreatePipe(&in, &input_, &inherit, 0);
        CreatePipe(&outRead, &out, &inherit, 0);
        CreatePipe(&errRead, &err, &inherit, 0);
        for (HANDLE own : {input_, outRead, errRead}) SetHandleInformation(own, HANDLE_FLAG_INHERIT, 0);
        output_ = std::make_unique<PipeText>(outRead);
        STARTUPINFOA startup = {};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = in;
        startup.hStdOutput = out;
        startup.hStdError = err;
        std::string command = "\"" + program + "\" " + arguments;
        // Started from another folder: the program finds its own through the registry.
        char temp[MAX_PATH];
        GetTempPathA(sizeof temp, temp);
        started_ = CreateProcessA(nullptr, command.data(), nullptr, nullptr, TRUE, flags, nullptr,
                                  temp, &startup, &process_) != FALSE;
        for (HANDLE theirs : {in, out, err}) CloseHandle(theirs);
        errors_ = std::make_unique<PipeText>(errRead);
        errors_->Start();
    }
    ~Piped() {
        CloseInput();
        if (started_) {
            if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
                TerminateProcess(process_.hProcess, 99);
            WaitForSingleObject(process_.hProcess, 10000);
            CloseHandle(process_.hProcess);
            CloseHandle(process_.hThread);
        }
    }
    Piped(const Piped&) = delete;
    Piped& operator=(const Piped&) = delete;

    bool Started() const { return started_; }
    DWORD Id() const { return process_.dwProcessId; }
    // Standard output is read from now on; until then the program's writes wait.
    void Read() {
        if (!reading_) output_->Start();
        reading_ = true;
    }
    std::string Output() const { return output_->Text(); }
    std::string Errors() const { return errors_->Text(); }
    void Write(const std::string& text) {
        DWORD written = 0;
        WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    void CloseInput() {
        if (input_) CloseHandle(input_);
        input_ = nullptr;
    }
    bool OutputHas(const std::string& text, DWORD timeoutMs = 20000) const {
        return WaitFor([&] { return Output().find(text) != std::string::npos; }, timeoutMs);
    }
    // The exit code, or STILL_ACTIVE when it has not ended within `timeoutMs`.
    DWORD Exit(DWORD timeoutMs = 15000) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

  private:
    HANDLE input_ = nullptr;
    std::unique_ptr<PipeText> output_;  // read once Read is called
    std::unique_ptr<PipeText> errors_;
    bool reading_ = false;
    PROCESS_INFORMATION process_ = {};
    bool started_ = false;
};

// Today's console log of an installation folder.
std::string TodaysLog(const std::string& folder) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    char name[64];
    std::snprintf(name, sizeof name, "\\logs\\console-%04d-%02d-%02d.log", now.wYear, now.wMonth,
                  now.wDay);
    return TempFolder::ReadFile(folder + name);
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A file beside this test program (the build puts the helpers there).
std::string Beside(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder = self;
    return folder.erase(folder.rfind('\\') + 1) + name;
}

// Ctrl+C to the program's console, from a helper process of its own (see SendCtrlC.cpp).
bool SendCtrlC(DWORD process) {
    std::string command = "\"" + Beside("send-ctrl-c.exe") + "\" " + std::to_string(process);
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION sender = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                        &startup, &sender))
        return false;
    DWORD code = 1;
    WaitForSingleObject(sender.hProcess, 10000);
    GetExitCodeProcess(sender.hProcess, &code);
    CloseHandle(sender.hProcess);
    CloseHandle(sender.hThread);
    return code == 0;
}

class ConsoleProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(InstallDir().empty()) << "KORVANE_INSTALL_DIR is not set";
        CopyInstallation(InstallDir(), copy.Path());
        SetInstallDir(copy.Path());
    }
    void TearDown() override { SetInstallDir(InstallDir()); }
    // The copy's engine becomes the recording one, which writes its calls when released.
    void UseRecordingEngine() {
        ASSERT_TRUE(CopyFileA(Beside("recording-server.dll").c_str(), (copy / "server.dll").c_str(),
                              FALSE));
    }
    // A console of its own, as a panel or a terminal gives it, for Ctrl+C to reach.
    std::unique_ptr<Piped> Start(const std::string& arguments = "",
                                 const char* program = "korvane-console.exe") {
        auto started = std::make_unique<Piped>(copy / program, arguments, CREATE_NEW_CONSOLE);
        EXPECT_TRUE(started->Started());
        return started;
    }
    std::string Log() const { return TodaysLog(copy.Path()); }

    TempFolder copy{"console-program"};
};

TEST_F(ConsoleProgramTest, CommandsInLinesOutInOrderAndEndOfInputIsNoStop) {
    for (const bool stamped : {false, true}) {
        SCOPED_TRACE(stamped ? "--timestamps" : "no switch");
        const size_t readyLogged = Count(Log(), kReady);
        std::unique_ptr<Piped> program = Start(stamped ? "--timestamps" : "");
        program->Read();
        ASSERT_TRUE(program->OutputHas(kReady)) << program->Output() << program->Errors();
        // Every line end, blank lines, and one line longer than the command line takes.
        program->Write("echo one\r\n\r\n  \t\necho two\recho " + std::string(120, 'x') +
                       "\necho three\n");
        const std::string before = stamped ? " " : "\n";
        ASSERT_TRUE(program->OutputHas(before + "three\r\n")) << program->Output();
        // End of input: the server goes on (the flood runs its two seconds to the end).
        program->Write("floodtest 20 2\n");
        program->CloseInput();
        EXPECT_TRUE(program->OutputHas("floodtest: done, 40 of 40 lines")) << program->Output();
        EXPECT_EQ(program->Exit(0), STILL_ACTIVE);

        const std::string output = program->Output();
        // Each line begins with the time as in the log, "YYYY-MM-DD HH:MM:SS ".
        for (size_t at = 0; stamped && at < output.size(); at = output.find('\n', at) + 1) {
            const std::string stamp = output.substr(at, 20);
            EXPECT_TRUE(stamp.size() == 20 && stamp[4] == '-' && stamp[10] == ' ' &&
                        stamp[13] == ':' && stamp[19] == ' ')
                << output.substr(at, 60);
        }
        size_t at = 0;
        for (const char* line : {"echo one", "one", "echo two", "two", "echo three", "three"}) {
            at = output.find(before + line + "\r\n", at);
            ASSERT_NE(at, std::string::npos) << line << " in order in\n" << output;
        }
        EXPECT_EQ(output.find("xxxxxxxx"), std::string::npos) << "a longer line is not cut";
        EXPECT_NE(program->Errors().find("at most 119 characters, and this line has 125"),
                  std::string::npos)
            << program->Errors();
        EXPECT_EQ(Count(output, kReady), 1u) << output;
        EXPECT_EQ(Count(Log(), kReady), readyLogged + 1);
        EXPECT_TRUE(SendCtrlC(program->Id()));
        EXPECT_EQ(program->Exit(), 0u) << program->Output();
    }
}

TEST_F(ConsoleProgramTest, EachWayToStopEndsCleanlyWithZero) {
    struct Row {
        const char* how;      // a command on standard input, or Ctrl+C
        bool recording;       // the recording engine shows how it was let go
    };
    const Row rows[] = {
        {"Ctrl+C", true},
        {"quit", false},       // the engine's own stop
        {"closehost", false},  // the engine's close event
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.how);
        if (row.recording) UseRecordingEngine();
        std::unique_ptr<Piped> program = Start();
        program->Read();
        ASSERT_TRUE(program->OutputHas(kReady)) << program->Output() << program->Errors();
        if (row.recording)
            EXPECT_TRUE(SendCtrlC(program->Id()));
        else
            program->Write(std::string(row.how) + "\n");
        EXPECT_EQ(program->Exit(), 0u) << program->Output();
        if (!row.recording) continue;
        const std::string calls = TempFolder::ReadFile(copy / "engine-calls.txt");
        EXPECT_NE(calls.find("AttachHost null\r\nReleaseEngine\r\n"), std::string::npos) << calls;
        CopyInstallation(InstallDir(), copy.Path());  // the simulated engine again
    }
}

TEST_F(ConsoleProgramTest, ASecondCopyOfEitherProgramEndsWithThree) {
    std::unique_ptr<Piped> first = Start();
    first->Read();
    ASSERT_TRUE(first->OutputHas(kReady)) << first->Output() << first->Errors();
    for (const char* program : {"korvane-console.exe", "korvane-server.exe"}) {
        SCOPED_TRACE(program);
        std::unique_ptr<Piped> second = Start("-s", program);
        second->Read();
        EXPECT_EQ(second->Exit(), 3u) << second->Output() << second->Errors();
    }
    EXPECT_NE(Count(first->Output(), kReady), 0u);
}

TEST_F(ConsoleProgramTest, AStalledReaderLosesOnlyTheOldestLinesAndIsToldHowMany) {
    std::unique_ptr<Piped> program = Start();
    // Nothing reads standard output: the log tells when the server is up.
    ASSERT_TRUE(WaitFor([&] { return Log().find(kReady) != std::string::npos; }, 20000));
    program->Write("floodtest 5000 3\n");
    // The server thread goes on ticking: the whole flood reaches the log.
    ASSERT_TRUE(WaitFor(
        [&] { return Log().find("floodtest: done, 15000 of 15000") != std::string::npos; },
        30000));
    program->Read();
    ASSERT_TRUE(program->OutputHas("floodtest: done, 15000 of 15000")) << program->Errors();
    const std::string output = program->Output();
    const size_t told = output.find(" console lines dropped while standard output was not read");
    ASSERT_NE(told, std::string::npos);
    const unsigned long dropped =
        std::strtoul(output.c_str() + output.rfind("Korvane Server: ", told) + 16, nullptr, 10);
    // The flood's lines that came are in order; those missing are fewer than those counted.
    unsigned long seen = 0, last = 0;
    for (size_t at = output.find("\nflood "); at != std::string::npos;
         at = output.find("\nflood ", at + 1)) {
        const unsigned long number = std::strtoul(output.c_str() + at + 7, nullptr, 10);
        EXPECT_GT(number, last);
        last = number;
        ++seen;
    }
    EXPECT_EQ(last, 15000u);
    EXPECT_GT(dropped, 0u);
    EXPECT_LE(15000 - seen, dropped);
    EXPECT_TRUE(SendCtrlC(program->Id()));
    EXPECT_EQ(program->Exit(), 0u);
}

}  // namespace
}  // namespace korvane::test
