// Shortcut menus and the clipboard.
#include "ui/PopupMenu.h"

#include <cstring>

namespace korvane::ui {

namespace {

class Menu {
  public:
    explicit Menu(HMENU menu) : menu_(menu) {}
    ~Menu() {
        if (menu_) DestroyMenu(menu_);
    }
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;
    HMENU Get() const { return menu_; }

  private:
    HMENU menu_;
};

class OpenClipboardScope {
  public:
    explicit OpenClipboardScope(HWND owner) : open_(OpenClipboard(owner) != FALSE) {}
    ~OpenClipboardScope() {
        if (open_) CloseClipboard();
    }
    OpenClipboardScope(const OpenClipboardScope&) = delete;
    OpenClipboardScope& operator=(const OpenClipboardScope&) = delete;
    explicit operator bool() const { return open_; }

  private:
    bool open_;
};

// Global memory that is freed unless the clipboard took it.
class GlobalText {
  public:
    explicit GlobalText(std::string_view text)
        : memory_(GlobalAlloc(GMEM_MOVEABLE, text.size() + 1)) {
        if (!memory_) return;
        if (auto* bytes = static_cast<char*>(GlobalLock(memory_))) {
            std::memcpy(bytes, text.data(), text.size());
            bytes[text.size()] = '\0';
            GlobalUnlock(memory_);
        }
    }
    ~GlobalText() {
        if (memory_) GlobalFree(memory_);
    }
    GlobalText(const GlobalText&) = delete;
    GlobalText& operator=(const GlobalText&) = delete;
    HGLOBAL Get() const { return memory_; }
    void Release() { memory_ = nullptr; }

  private:
    HGLOBAL memory_;
};

}  // namespace

int TrackPopup(HMENU popup, HWND owner, POINT screen) {
    // The menu closes when the operator clicks elsewhere only if the owner is in front.
    SetForegroundWindow(owner);
    const int command = static_cast<int>(TrackPopupMenuEx(
        popup, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, owner, nullptr));
    // A menu shown for a notification-area icon otherwise fails to open the second time.
    PostMessageA(owner, WM_NULL, 0, 0);
    return command;
}

int ShowPopupMenu(int menuId, HWND owner, POINT screen, const PopupTracker& track) {
    Menu menu(LoadMenuA(GetModuleHandleA(nullptr), MAKEINTRESOURCEA(menuId)));
    HMENU popup = menu.Get() ? GetSubMenu(menu.Get(), 0) : nullptr;
    return popup ? track(popup, owner, screen) : 0;
}

bool CopyToClipboard(HWND owner, std::string_view text) {
    OpenClipboardScope clipboard(owner);
    if (!clipboard || !EmptyClipboard()) return false;
    GlobalText memory(text);
    if (!memory.Get() || !SetClipboardData(CF_TEXT, memory.Get())) return false;
    memory.Release();  // the clipboard owns it now
    return true;
}

}  // namespace korvane::ui
