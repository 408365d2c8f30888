// A report-view list control whose rows the operator reorders by dragging one row onto
// another with either mouse button.
#pragma once

#include <windows.h>

#include "ui/Handles.h"

namespace korvane {

// Wraps an existing list-view control: it subclasses the control for the mouse and its parent
// for the control's own begin-drag notifications, so the dialog that owns it needs no glue.
// Dialogs fill, read and clear the control as an ordinary list view.
class DragListCtrl {
  public:
    DragListCtrl() = default;
    ~DragListCtrl();
    DragListCtrl(const DragListCtrl&) = delete;
    DragListCtrl& operator=(const DragListCtrl&) = delete;

    // Returns false when `list` is not a window or cannot be subclassed.
    bool Attach(HWND list);
    // Ends a drag in progress without moving anything and gives the windows back.
    void Detach();

    HWND Window() const { return list_; }
    bool Dragging() const { return dragging_; }

  private:
    static LRESULT CALLBACK ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                     UINT_PTR id, DWORD_PTR self);
    static LRESULT CALLBACK ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self);

    void Begin(int row, POINT p);
    void Move(POINT q);
    void Drop();
    void StopDragImage();
    void MoveRow(int from, int to);
    // Gives the parent window back (it is being destroyed, or the control is detached).
    void LeaveParent();

    HWND list_ = nullptr;
    HWND parent_ = nullptr;

    bool dragging_ = false;
    int draggedIndex_ = -1;
    // -1 until the pointer passes over a row during this drag.
    int dropIndex_ = -1;
    POINT hotspot_ = {};
    POINT viewOrigin_ = {};
    POINT grabOffset_ = {};
    ui::ImageList dragImage_;
};

}  // namespace korvane
