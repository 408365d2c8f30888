// send-ctrl-c.exe <process id>: Ctrl+C to the console of that process, as an operator's key
// press would send it. A process of its own, since a process leaves its console to attach to
// another and the event reaches every process attached there.
#include <windows.h>

#include <cstdlib>

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    FreeConsole();
    if (!AttachConsole(static_cast<DWORD>(std::strtoul(argv[1], nullptr, 10)))) return 1;
    SetConsoleCtrlHandler(nullptr, TRUE);  // not this process
    return GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0) ? 0 : 1;
}
