// The modal property sheet.
#include "ui/PropSheet.h"

namespace korvane::ui {

namespace {
// The sheet being opened on this thread: the platform's callback carries no context.
thread_local PropSheet* opening = nullptr;
}  // namespace

INT_PTR PropSheet::DoModal() {
    std::vector<PROPSHEETPAGEA> pages;
    for (PropertyPage* page : pages_) pages.push_back(page->Describe(this));
    PROPSHEETHEADERA header = {};
    header.dwSize = sizeof header;
    header.dwFlags = PSH_PROPSHEETPAGE | PSH_USECALLBACK;
    header.hwndParent = owner_;
    header.hInstance = GetModuleHandleA(nullptr);
    header.pszCaption = caption_.c_str();
    header.nPages = static_cast<UINT>(pages.size());
    header.nStartPage = 0;
    header.ppsp = pages.data();
    header.pfnCallback = &PropSheet::SheetCallback;

    closedWithOk_ = false;
    applied_ = false;
    PropSheet* outer = opening;
    opening = this;
    const INT_PTR result = ::PropertySheetA(&header);
    opening = outer;
    window_ = nullptr;
    if (result < 0) return IDCANCEL;
    return closedWithOk_ ? IDOK : IDCANCEL;
}

int CALLBACK PropSheet::SheetCallback(HWND window, UINT message, LPARAM) {
    if (message == PSCB_INITIALIZED && opening) opening->OnInitialized(window);
    return 0;
}

void PropSheet::OnInitialized(HWND window) {
    window_ = window;
    if (HWND help = GetDlgItem(window, IDHELP)) ShowWindow(help, SW_HIDE);

    // Centred over the owner when it is on screen, else over the work area.
    RECT frame = {}, area = {};
    GetWindowRect(window, &frame);
    if (owner_ && IsWindowVisible(owner_) && !IsIconic(owner_))
        GetWindowRect(owner_, &area);
    else
        SystemParametersInfoA(SPI_GETWORKAREA, 0, &area, 0);
    const int width = frame.right - frame.left, height = frame.bottom - frame.top;
    int x = area.left + (area.right - area.left - width) / 2;
    int y = area.top + (area.bottom - area.top - height) / 2;
    if (x < 0) x = 0;
    if (y < 0) y = 0;
    SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace korvane::ui
