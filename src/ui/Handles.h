// Small owning wrappers for the Win32 handles and locks the program holds.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <utility>

namespace korvane::ui {

// A loaded library (or resource image), freed when the owner goes.
class Library {
  public:
    Library() = default;
    explicit Library(HMODULE module) : module_(module) {}
    ~Library() { Reset(); }
    Library(Library&& other) noexcept : module_(std::exchange(other.module_, nullptr)) {}
    Library& operator=(Library&& other) noexcept {
        if (this != &other) {
            Reset();
            module_ = std::exchange(other.module_, nullptr);
        }
        return *this;
    }
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    HMODULE Get() const { return module_; }
    explicit operator bool() const { return module_ != nullptr; }
    void Reset(HMODULE module = nullptr) {
        if (module_) FreeLibrary(module_);
        module_ = module;
    }

  private:
    HMODULE module_ = nullptr;
};

// A kernel handle (thread, event, file), closed when the owner goes.
class Handle {
  public:
    Handle() = default;
    explicit Handle(HANDLE handle) : handle_(handle) {}
    ~Handle() { Reset(); }
    Handle(Handle&& other) noexcept : handle_(std::exchange(other.handle_, nullptr)) {}
    Handle& operator=(Handle&& other) noexcept {
        if (this != &other) {
            Reset();
            handle_ = std::exchange(other.handle_, nullptr);
        }
        return *this;
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE Get() const { return handle_; }
    explicit operator bool() const { return handle_ != nullptr && handle_ != INVALID_HANDLE_VALUE; }
    void Reset(HANDLE handle = nullptr) {
        if (handle_ && handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
        handle_ = handle;
    }

  private:
    HANDLE handle_ = nullptr;
};

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

// An image list (a drag image, say), destroyed when the owner goes.
class ImageList {
  public:
    ImageList() = default;
    explicit ImageList(HIMAGELIST list) : list_(list) {}
    ~ImageList() { Reset(); }
    ImageList(const ImageList&) = delete;
    ImageList& operator=(const ImageList&) = delete;

    HIMAGELIST Get() const { return list_; }
    explicit operator bool() const { return list_ != nullptr; }
    void Reset(HIMAGELIST list = nullptr) {
        if (list_) ImageList_Destroy(list_);
        list_ = list;
    }

  private:
    HIMAGELIST list_ = nullptr;
};

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
