// Small owning wrappers for the Win32 handles and locks the program holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace korvane::ui {

// Owns one handle and releases it when the owner goes. `Traits` names the handle's type, which
// values hold something (`Valid`) and how one is released (`Close`).
template <class Traits>
class Owned {
  public:
    using Type = typename Traits::Type;

    Owned() = default;
    explicit Owned(Type value) : value_(value) {}
    ~Owned() { Reset(); }
    Owned(Owned&& other) noexcept : value_(std::exchange(other.value_, Type{})) {}
    Owned& operator=(Owned&& other) noexcept {
        if (this != &other) {
            Reset();
            value_ = std::exchange(other.value_, Type{});
        }
        return *this;
    }
    Owned(const Owned&) = delete;
    Owned& operator=(const Owned&) = delete;

    Type Get() const { return value_; }
    explicit operator bool() const { return Traits::Valid(value_); }
    void Reset(Type value = Type{}) {
        if (Traits::Valid(value_)) Traits::Close(value_);
        value_ = value;
    }

  private:
    Type value_{};
};

// A loaded library (or resource image), freed when the owner goes.
struct LibraryTraits {
    using Type = HMODULE;
    static bool Valid(HMODULE module) { return module != nullptr; }
    static void Close(HMODULE module) { FreeLibrary(module); }
};
using Library = Owned<LibraryTraits>;

// A kernel handle (thread, event, file), closed when the owner goes.
struct HandleTraits {
    using Type = HANDLE;
    static bool Valid(HANDLE handle) { return handle != nullptr && handle != INVALID_HANDLE_VALUE; }
    static void Close(HANDLE handle) { CloseHandle(handle); }
};
using Handle = Owned<HandleTraits>;

// An open registry key, closed when the owner goes.
class RegistryKey {
  public:
    RegistryKey() = default;
    ~RegistryKey() {
        if (key_) RegCloseKey(key_);
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;

    // Opens `path` under `root` for reading (in the registry view `view` asks for, if any);
    // false when it does not open.
    bool OpenForReading(HKEY root, const char* path, REGSAM view = 0) {
        return RegOpenKeyExA(root, path, 0, KEY_READ | view, &key_) == ERROR_SUCCESS;
    }
    HKEY Get() const { return key_; }

  private:
    HKEY key_ = nullptr;
};

// A critical section for the lifetime of its owner.
class CriticalSection {
  public:
    CriticalSection() { InitializeCriticalSection(&section_); }
    ~CriticalSection() { DeleteCriticalSection(&section_); }
    CriticalSection(const CriticalSection&) = delete;
    CriticalSection& operator=(const CriticalSection&) = delete;

    void Enter() { EnterCriticalSection(&section_); }
    bool TryEnter() { return TryEnterCriticalSection(&section_) != FALSE; }
    void Leave() { LeaveCriticalSection(&section_); }

  private:
    CRITICAL_SECTION section_;
};

class ScopedLock {
  public:
    explicit ScopedLock(CriticalSection& section) : section_(section) { section_.Enter(); }
    ~ScopedLock() { section_.Leave(); }
    ScopedLock(const ScopedLock&) = delete;
    ScopedLock& operator=(const ScopedLock&) = delete;

  private:
    CriticalSection& section_;
};

// A section entered only when the caller's bound allows: `keepWaiting` is asked between tries
// (a millisecond apart) and ends the wait with false.
template <typename KeepWaiting>
class BoundedLock {
  public:
    BoundedLock(CriticalSection& section, KeepWaiting keepWaiting) : section_(section) {
        while (!(held_ = section_.TryEnter()) && keepWaiting()) Sleep(1);
    }
    ~BoundedLock() {
        if (held_) section_.Leave();
    }
    BoundedLock(const BoundedLock&) = delete;
    BoundedLock& operator=(const BoundedLock&) = delete;
    explicit operator bool() const { return held_; }

  private:
    CriticalSection& section_;
    bool held_ = false;
};

// An image list (a drag image, say), destroyed when the owner goes.
struct ImageListTraits {
    using Type = HIMAGELIST;
    static bool Valid(HIMAGELIST list) { return list != nullptr; }
    static void Close(HIMAGELIST list) { ImageList_Destroy(list); }
};
using ImageList = Owned<ImageListTraits>;

// Switches a window's redrawing off for a scope, so a bulk change paints once.
class RedrawOff {
  public:
    explicit RedrawOff(HWND window) : window_(window) {
        SendMessageA(window_, WM_SETREDRAW, FALSE, 0);
    }
    ~RedrawOff() {
        SendMessageA(window_, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(window_, nullptr, TRUE);
    }
    RedrawOff(const RedrawOff&) = delete;
    RedrawOff& operator=(const RedrawOff&) = delete;

  private:
    HWND window_;
};

// Shows the wait cursor while a slow operation runs on the window thread.
class WaitCursor {
  public:
    WaitCursor() : previous_(SetCursor(LoadCursor(nullptr, IDC_WAIT))) {}
    ~WaitCursor() { SetCursor(previous_); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;

  private:
    HCURSOR previous_;
};

}  // namespace korvane::ui
