// One running copy per installation folder: a second copy started on the same folder brings
// the first one's window to the front and ends; copies on other folders run side by side.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Handles.h"

namespace korvane::ui {

// The folder's full, long, upper-case path without a trailing separator, so that every
// spelling of one folder gives the same text.
std::string NormalisedFolder(const std::string& folder);

class SingleInstance {
  public:
    // Takes the folder's named mutex (its name is a hash of the normalised path, since a path
    // may be longer than a name and holds characters a name may not).
    explicit SingleInstance(const std::string& folder);
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    bool IsFirst() const { return first_; }
    // A copy started by the one it replaces: waits for that one to end (its mutex goes with
    // it), at most `timeoutMs`. True once this copy is the first.
    bool WaitToBeFirst(DWORD timeoutMs);
    // First copy: marks its main window (a window property named like the mutex) for a second
    // copy to find; the mark goes with this object or the window.
    void MarkWindow(HWND window);
    // Second copy: restores the first copy's window and brings it (or the dialog open over
    // it) to the front. The first copy may still be starting, so its window is looked for
    // until `timeoutMs` have passed. False when there was none.
    bool ActivateFirst(DWORD timeoutMs = 5000) const;

    const std::string& Name() const { return name_; }

  private:
    void Take();

    std::string name_;
    Handle mutex_;
    bool first_ = true;
    HWND marked_ = nullptr;
};

}  // namespace korvane::ui
