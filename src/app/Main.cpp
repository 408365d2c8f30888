// The program's entry point.
#include <windows.h>

#include <exception>

#include "app/ExitCodes.h"
#include "app/ServerApp.h"
#include "ui/Dialog.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    try {
        korvane::ServerApp app;
        if (!app.InitInstance()) return korvane::app::kExitSocketsFailed;
        return app.Run(arguments);
    } catch (...) {
        korvane::ui::ReportCallbackFailure("start-up");
        return korvane::app::kExitSocketsFailed;
    }
}
