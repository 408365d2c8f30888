// The program's entry point.
#include <windows.h>

#include <exception>

#include "host/ServerApp.h"
#include "ui/Dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    try {
        korvane::ServerApp app;
        if (!app.InitInstance()) return 1;
        return app.Run(arguments);
    } catch (...) {
        korvane::ui::ReportCallbackFailure("start-up");
        return 1;
    }
}
