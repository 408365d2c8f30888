// Takes the README's pictures of the real program: it starts korvane-server.exe from the
// installation folder named in the registry, walks it through the settings sheet, the main
// window and its dialogs by posting the messages an operator's clicks would (and resting the
// pointer on the notification-area icon), and saves each window as a BMP in the folder given
// on the command line.
#include <windows.h>
#include <commctrl.h>

#include <cstdio>
#include <string>

namespace {

DWORD programId = 0;

struct Search {
    const char* title;
    HWND found;
};

BOOL CALLBACK MatchTitle(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<Search*>(data);
    DWORD process = 0;
    GetWindowThreadProcessId(window, &process);
    char caption[128] = {};
    GetWindowTextA(window, caption, sizeof caption);
    if (process == programId && IsWindowVisible(window) && lstrcmpA(caption, search->title) == 0) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

HWND WaitForWindow(const char* title, DWORD timeoutMs = 20000) {
    const DWORD start = GetTickCount();
    while (GetTickCount() - start < timeoutMs) {
        Search search = {title, nullptr};
        EnumWindows(&MatchTitle, reinterpret_cast<LPARAM>(&search));
        if (search.found) return search.found;
        Sleep(100);
    }
    std::fprintf(stderr, "screenshots: no window \"%s\"\n", title);
    return nullptr;
}

// Saves an area of the screen as a 24-bit BMP.
bool CaptureArea(RECT frame, const std::string& path) {
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, frame.left, frame.top, SRCCOPY);
    SelectObject(memory, old);
    const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    const DWORD size = stride * static_cast<DWORD>(height);
    BITMAPFILEHEADER file = {};
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info.bmiHeader;
    file.bfSize = file.bfOffBits + size;
    bool saved = false;
    if (FILE* out = std::fopen(path.c_str(), "wb")) {
        saved = std::fwrite(&file, sizeof file, 1, out) == 1 &&
                std::fwrite(&info.bmiHeader, sizeof info.bmiHeader, 1, out) == 1 &&
                std::fwrite(bits, size, 1, out) == 1;
        std::fclose(out);
    }
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    std::printf("screenshots: %s %s\n", saved ? "saved" : "could not save", path.c_str());
    return saved;
}

// Saves the window's screen area.
bool Capture(HWND window, const std::string& path) {
    Sleep(700);  // let the window finish painting
    RECT frame = {};
    GetWindowRect(window, &frame);
    return CaptureArea(frame, path);
}

// The player list's shortcut menu, opened as a right-click on the first row would: the window
// hears WM_CONTEXTMENU from the list with the pointer's screen position.
bool ShowPlayerMenu(HWND main) {
    HWND list = GetDlgItem(main, 1001);
    HWND header = GetWindow(list, GW_CHILD);
    RECT listFrame = {}, headerFrame = {};
    if (!list || !header || !GetWindowRect(list, &listFrame) ||
        !GetWindowRect(header, &headerFrame))
        return false;
    const POINT row = {listFrame.left + 90, headerFrame.bottom + 6};
    PostMessageA(main, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(list), MAKELPARAM(row.x, row.y));
    return true;
}

// The notification-area icon's tooltip: Wine, with no system tray on the display, shows the
// icons in a small window of its own; the pointer rests on the first one.
bool CaptureTrayTooltip(const std::string& path) {
    HWND tray = FindWindowA(nullptr, "Wine System Tray");
    RECT frame = {};
    if (!tray || !GetWindowRect(tray, &frame)) {
        std::fprintf(stderr, "screenshots: no notification area\n");
        return false;
    }
    const int icon = GetSystemMetrics(SM_CYSMICON) + 8;
    SetCursorPos(frame.left + icon / 2, frame.top + (frame.bottom - frame.top) / 2);
    Sleep(200);
    SetCursorPos(frame.left + icon / 2 + 1, frame.top + (frame.bottom - frame.top) / 2 + 1);
    Sleep(1500);
    return CaptureArea({frame.left, frame.top, frame.left + 260, frame.bottom + 90}, path);
}

void SelectTab(HWND sheet, int tab) {
    PostMessageA(sheet, PSM_SETCURSEL, static_cast<WPARAM>(tab), 0);
    Sleep(400);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: screenshots <installation folder> <output folder>\n");
        return 2;
    }
    const std::string folder = argv[1], out = std::string(argv[2]) + "\\";
    std::string command = "\"" + folder + "\\korvane-server.exe\"";
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    if (!CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        folder.c_str(), &startup, &process)) {
        std::fprintf(stderr, "screenshots: cannot start %s\n", command.c_str());
        return 1;
    }
    programId = process.dwProcessId;
    int failures = 0;
    auto shot = [&](HWND window, const char* name) {
        if (!window || !Capture(window, out + name)) ++failures;
    };

    // The start-up sheet, every page.
    if (HWND sheet = WaitForWindow("Server Settings")) {
        const char* pages[] = {"settings-server.bmp", "settings-rules.bmp",
                               "settings-team-rules.bmp", "settings-advanced.bmp"};
        for (int tab = 0; tab < 4; ++tab) {
            SelectTab(sheet, tab);
            shot(sheet, pages[tab]);
        }
        SelectTab(sheet, 0);
        PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_OK, 0);
    } else {
        ++failures;
    }

    // The main window once a few players have joined and the console has something to say.
    HWND main = WaitForWindow("Korvane Server 1.0.5");
    if (main) {
        HWND list = GetDlgItem(main, 1001);
        const DWORD start = GetTickCount();
        while (SendMessageA(list, LVM_GETITEMCOUNT, 0, 0) < 4 && GetTickCount() - start < 20000)
            Sleep(200);
        Sleep(3000);
        shot(main, "main-window.bmp");

        PostMessageA(main, WM_COMMAND, 32772, 0);  // Game, Change Map
        if (HWND change = WaitForWindow("Change Map", 5000)) {
            shot(change, "change-map.bmp");
            PostMessageA(change, WM_COMMAND, IDCANCEL, 0);
        } else {
            ++failures;
        }
        Sleep(300);

        PostMessageA(main, WM_COMMAND, 32776, 0);  // Game, Settings
        if (HWND sheet = WaitForWindow("Server Settings", 5000)) {
            SelectTab(sheet, 1);
            HWND page = reinterpret_cast<HWND>(SendMessageA(sheet, PSM_GETCURRENTPAGEHWND, 0, 0));
            PostMessageA(GetDlgItem(page, 1022), BM_CLICK, 0, 0);  // Map Rotation
            if (HWND rotation = WaitForWindow("Map Rotation", 5000)) {
                shot(rotation, "map-rotation.bmp");
                PostMessageA(rotation, WM_COMMAND, IDCANCEL, 0);
            } else {
                ++failures;
            }
            Sleep(300);
            PostMessageA(sheet, PSM_PRESSBUTTON, PSBTN_CANCEL, 0);
        } else {
            ++failures;
        }
        Sleep(300);

        PostMessageA(main, WM_COMMAND, 32771, 0);  // Help, About
        if (HWND about = WaitForWindow("About Korvane Server", 5000)) {
            shot(about, "about.bmp");
            PostMessageA(about, WM_COMMAND, IDOK, 0);
        } else {
            ++failures;
        }
        Sleep(300);

        if (!CaptureTrayTooltip(out + "tray-tooltip.bmp")) ++failures;
        // Last: the menu stays open until the program ends.
        if (ShowPlayerMenu(main))
            shot(main, "player-menu.bmp");
        else
            ++failures;
    } else {
        ++failures;
    }
    TerminateProcess(process.hProcess, 0);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    return failures == 0 ? 0 : 1;
}
