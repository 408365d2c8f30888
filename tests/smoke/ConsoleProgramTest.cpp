// korvane-console.exe as a panel, a container or a script runs it: no display, its standard
// handles on pipes, on a copy of the demo installation.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "support/Installation.h"
#include "support/OtherProcess.h"
#include "support/TempFolder.h"

namespace korvane::test {
namespace {

constexpr char kReady[] = "Korvane Server ready: ";

// A file beside this test program (the build puts its helpers there).
std::string Beside(const char* name) {
    char self[MAX_PATH] = {};
    GetModuleFileNameA(nullptr, self, sizeof self);
    std::string folder = self;
    return folder.erase(folder.rfind('\\') + 1) + name;
}

DWORD Run(std::string command, DWORD flags, STARTUPINFOA& startup, PROCESS_INFORMATION& out) {
    startup.cb = sizeof startup;
    return CreateProcessA(nullptr, command.data(), nullptr, nullptr, startup.hStdInput != nullptr,
                          flags, nullptr, nullptr, &startup, &out);
}

// Ctrl+C to the program's console, from a helper process of its own (see SendCtrlC.cpp).
bool SendCtrlC(DWORD process) {
    STARTUPINFOA startup = {};
    PROCESS_INFORMATION sender = {};
    if (!Run("\"" + Beside("send-ctrl-c.exe") + "\" " + std::to_string(process), 0, startup,
             sender))
        return false;
    DWORD code = 1;
    WaitForSingleObject(sender.hProcess, 10000);
    GetExitCodeProcess(sender.hProcess, &code);
    CloseHandle(sender.hProcess);
    CloseHandle(sender.hThread);
    return code == 0;
}

size_t Count(const std::string& text, const std::string& part) {
    size_t count = 0;
    for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++count;
    return count;
}

// A program started in a console of its own (as a terminal or panel gives it, for Ctrl+C to
// reach), its standard input and output on pipes and its standard error in a file.
class Piped {
  public:
    Piped(const std::string& program, const std::string& arguments, const std::string& errors)
        : errorFile_(errors) {
        SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
        STARTUPINFOA startup = {};
        startup.dwFlags = STARTF_USESTDHANDLES;
        CreatePipe(&startup.hStdInput, &input_, &inherit, 0);
        CreatePipe(&output_, &startup.hStdOutput, &inherit, 0);
        startup.hStdError = CreateFileA(errors.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                        CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        SetHandleInformation(input_, HANDLE_FLAG_INHERIT, 0);
        SetHandleInformation(output_, HANDLE_FLAG_INHERIT, 0);
        EXPECT_TRUE(Run("\"" + program + "\" " + arguments, CREATE_NEW_CONSOLE, startup, process_));
        for (HANDLE theirs : {startup.hStdInput, startup.hStdOutput, startup.hStdError})
            CloseHandle(theirs);
    }
    ~Piped() {
        CloseInput();
        if (WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT)
            TerminateProcess(process_.hProcess, 99);
        WaitForSingleObject(process_.hProcess, 10000);  // its files are free before they go
        if (reader_.joinable()) reader_.join();         // ends with the program's end of the pipe
        for (HANDLE handle : {process_.hProcess, process_.hThread, output_}) CloseHandle(handle);
    }
    DWORD Id() const { return process_.dwProcessId; }
    // Standard output is read from now on; until then the program's writes wait.
    void Read() {
        reader_ = std::thread([this] {
            char buffer[4096];
            DWORD got = 0;
            while (ReadFile(output_, buffer, sizeof buffer, &got, nullptr) && got > 0) {
                std::lock_guard lock(mutex_);
                output_text_.append(buffer, got);
            }
        });
    }
    std::string Output() const {
        std::lock_guard lock(mutex_);
        return output_text_;
    }
    std::string Errors() const { return TempFolder::ReadFile(errorFile_); }
    bool OutputHas(const std::string& text, DWORD timeoutMs = 20000) const {
        return WaitFor([&] { return Output().find(text) != std::string::npos; }, timeoutMs);
    }
    void Write(const std::string& text) {
        DWORD written = 0;
        WriteFile(input_, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    }
    void CloseInput() {
        if (input_) CloseHandle(std::exchange(input_, nullptr));
    }
    // The exit code, or STILL_ACTIVE when it has not ended within `timeoutMs`.
    DWORD Exit(DWORD timeoutMs = 15000) const {
        DWORD code = STILL_ACTIVE;
        if (WaitForSingleObject(process_.hProcess, timeoutMs) == WAIT_OBJECT_0)
            GetExitCodeProcess(process_.hProcess, &code);
        return code;
    }

  private:
    std::string errorFile_;
    HANDLE input_ = nullptr, output_ = nullptr;
    PROCESS_INFORMATION process_ = {};
    std::thread reader_;
    mutable std::mutex mutex_;
    std::string output_text_;
};

class ConsoleProgramTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(InstallDir().empty()) << "KORVANE_INSTALL_DIR is not set";
        CopyInstallation(InstallDir(), copy.Path());
        SetInstallDir(copy.Path());
    }
    void TearDown() override { SetInstallDir(InstallDir()); }
    std::unique_ptr<Piped> Start(const std::string& arguments = "",
                                 const char* program = "korvane-console.exe") {
        return std::make_unique<Piped>(copy / program, arguments,
                                       copy / ("stderr-" + std::to_string(++started) + ".txt"));
    }
    std::string Log() const { return TodaysLog(copy.Path()); }

    TempFolder copy{"console-program"};
    int started = 0;
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

        const std::string output = program->Output();
        // Each line begins with the time as in the log, "YYYY-MM-DD HH:MM:SS ".
        for (size_t at = 0; stamped && at < output.size(); at = output.find('\n', at) + 1)
            EXPECT_TRUE(output.size() > at + 20 && output[at + 4] == '-' &&
                        output[at + 13] == ':' && output[at + 19] == ' ')
                << output.substr(at, 60);
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
    // The recording engine writes its calls when released; the others are the simulated one.
    for (const char* how : {"Ctrl+C", "quit", "closehost"}) {
        SCOPED_TRACE(how);
        const bool recording = how[0] == 'C';
        if (recording) {
            ASSERT_TRUE(CopyFileA(Beside("recording-server.dll").c_str(),
                                  (copy / "server.dll").c_str(), FALSE));
        }
        std::unique_ptr<Piped> program = Start();
        program->Read();
        ASSERT_TRUE(program->OutputHas(kReady)) << program->Output() << program->Errors();
        if (recording) {
            EXPECT_TRUE(SendCtrlC(program->Id()));
        } else {
            program->Write(std::string(how) + "\n");
        }
        EXPECT_EQ(program->Exit(), 0u) << program->Output();
        if (!recording) continue;
        const std::string calls = TempFolder::ReadFile(copy / "engine-calls.txt");
        EXPECT_NE(calls.find("AttachHost null\nReleaseEngine\n"), std::string::npos) << calls;
        CopyInstallation(InstallDir(), copy.Path());  // the simulated engine again
    }
}

TEST_F(ConsoleProgramTest, AHungOrCrashedEngineEndsWithACodeForTheSupervisor) {
    const struct {
        const char* arguments;
        const char* command;
        DWORD exitCode;
        const char* said;  // on standard output, or in the log for a crash
    } rows[] = {
        {"--hang-seconds 2", "hangtick 60", 5, "The engine has not returned from its Tick since "},
        {"", "crashtick", EXCEPTION_ACCESS_VIOLATION,
         "The server ended with exception 0xC0000005; dump: "},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        std::unique_ptr<Piped> program = Start(row.arguments);
        program->Read();
        ASSERT_TRUE(program->OutputHas(kReady)) << program->Output() << program->Errors();
        program->Write(std::string(row.command) + "\n");
        EXPECT_EQ(program->Exit(20000), row.exitCode) << program->Output();
        EXPECT_NE((program->Output() + Log()).find(row.said), std::string::npos)
            << program->Output();
        EXPECT_EQ(program->Output().find("A dump of the process: ") != std::string::npos,
                  row.exitCode == 5u);
    }
    // The next start tells of the crash.
    std::unique_ptr<Piped> next = Start();
    next->Read();
    EXPECT_TRUE(next->OutputHas("The last run ended with exception 0xC0000005 at "))
        << next->Output();
}

TEST_F(ConsoleProgramTest, AnEngineThatStopsOnItsOwnRestartsWithFourUntilACrashLoop) {
    ASSERT_TRUE(TempFolder::WriteFile(copy / "korvane\\schedule.cfg", "restart_when_engine_stops=1\r\n"));
    const std::string now = std::to_string(std::time(nullptr));
    const struct {
        const char* command;
        int earlierFailures;  // within the last ten minutes
        DWORD exitCode;
        const char* said;
    } rows[] = {
        {"endtick", 0, 4, "The engine stopped on its own: restarting the server."},
        {"quit", 0, 0, "Korvane Server"},  // the operator's quit is no failure
        {"closehost", 0, 0, "Korvane Server"},  // nor the engine's own orderly close
        {"endtick", 4, 0, "failed 5 times within 10 minutes and no longer restarts itself"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.command);
        std::string records;
        for (int i = 0; i < row.earlierFailures; ++i) records += now + " crash\r\n";
        ASSERT_TRUE(TempFolder::WriteFile(copy / "korvane\\restarts.txt", records));
        std::unique_ptr<Piped> program = Start();
        program->Read();
        ASSERT_TRUE(program->OutputHas(kReady)) << program->Output() << program->Errors();
        program->Write(std::string(row.command) + "\n");
        EXPECT_EQ(program->Exit(20000), row.exitCode) << program->Output();
        EXPECT_NE(program->Output().find(row.said), std::string::npos) << program->Output();
    }
}

TEST_F(ConsoleProgramTest, ASecondCopyOfEitherProgramEndsWithThree) {
    std::unique_ptr<Piped> first = Start();
    first->Read();
    ASSERT_TRUE(first->OutputHas(kReady)) << first->Output() << first->Errors();
    for (const char* program : {"korvane-console.exe", "korvane-server.exe"}) {
        SCOPED_TRACE(program);
        std::unique_ptr<Piped> second = Start("-s", program);
        EXPECT_EQ(second->Exit(), 3u);
        // The window program has no standard error to speak of.
        const std::string said =
            program[8] == 'c' ? second->Errors() : "already runs on this installation folder";
        EXPECT_NE(said.find("already runs on this installation folder"), std::string::npos) << said;
    }
}

TEST_F(ConsoleProgramTest, AStalledReaderLosesOnlyTheOldestLinesAndIsToldHowMany) {
    std::unique_ptr<Piped> program = Start();
    // Nothing reads standard output: the log tells when the server is up.
    ASSERT_TRUE(WaitFor([&] { return Log().find(kReady) != std::string::npos; }, 20000))
        << program->Errors() << program->Exit(0);
    program->Write("floodtest 5000 3\n");
    // The server thread goes on ticking: the whole flood reaches the log.
    ASSERT_TRUE(WaitFor(
        [&] { return Log().find("floodtest: done, 15000 of 15000") != std::string::npos; }, 30000));
    program->Read();
    ASSERT_TRUE(program->OutputHas("floodtest: done, 15000 of 15000")) << program->Errors();
    const std::string output = program->Output();
    const size_t told = output.find(" console lines dropped while standard output was not read");
    ASSERT_NE(told, std::string::npos);
    const unsigned long dropped =
        std::strtoul(output.c_str() + output.rfind("Korvane Server: ", told) + 16, nullptr, 10);
    // The flood's lines that came are in order; fewer are missing than were counted.
    unsigned long seen = 0, last = 0;
    for (size_t at = output.find("\nflood "); at != std::string::npos;
         at = output.find("\nflood ", at + 1), ++seen) {
        const unsigned long number = std::strtoul(output.c_str() + at + 7, nullptr, 10);
        EXPECT_GT(number, last);
        last = number;
    }
    EXPECT_EQ(last, 15000u);
    EXPECT_GT(dropped, 0u);
    EXPECT_LE(15000 - seen, dropped);
}

}  // namespace
}  // namespace korvane::test
