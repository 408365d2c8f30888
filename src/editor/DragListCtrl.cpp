// Drag-to-reorder for a list-view control: the drag image follows the pointer, the row last
// passed over is the drop target, and the dragged row's text moves there at the release.
#include "editor/DragListCtrl.h"

#include <commctrl.h>

#include <string>

#include "ui/ListView.h"
#include "ui/Subclass.h"

namespace korvane {

namespace {

POINT PointFrom(LPARAM lParam) {
    return {static_cast<short>(LOWORD(lParam)), static_cast<short>(HIWORD(lParam))};
}

POINT Minus(POINT a, POINT b) {
    return {a.x - b.x, a.y - b.y};
}

}  // namespace

DragListCtrl::~DragListCtrl() {
    Detach();
}

bool DragListCtrl::Attach(HWND list) {
    Detach();
    if (!list || !IsWindow(list)) return false;
    const auto id = reinterpret_cast<UINT_PTR>(this);
    const auto self = reinterpret_cast<DWORD_PTR>(this);
    if (!SetWindowSubclass(list, &DragListCtrl::ListProc, id, self)) return false;
    list_ = list;
    // The begin-drag notifications go to the parent; watching them there keeps the drag
    // entirely inside this class.
    HWND parent = GetParent(list);
    if (parent && SetWindowSubclass(parent, &DragListCtrl::ParentProc, id, self)) parent_ = parent;
    return true;
}

void DragListCtrl::Detach() {
    if (dragging_) {
        // Gone in mid-drag (the dialog was closed under the pointer): the process-wide drag
        // image and the capture must not outlive the control. Nothing is moved.
        dragging_ = false;
        StopDragImage();
        if (GetCapture() == list_) ReleaseCapture();
    }
    LeaveParent();
    if (list_)
        RemoveWindowSubclass(list_, &DragListCtrl::ListProc, reinterpret_cast<UINT_PTR>(this));
    list_ = nullptr;
}

void DragListCtrl::Begin(int row, POINT p) {
    if (dragging_) StopDragImage();
    if (row < 0 || row >= ui::ListCount(list_)) {
        dragging_ = false;
        if (GetCapture() == list_) ReleaseCapture();
        return;
    }
    dragging_ = true;
    draggedIndex_ = row;
    dropIndex_ = -1;

    POINT rowPosition = {};
    SendMessageA(list_, LVM_GETITEMPOSITION, static_cast<WPARAM>(row),
                 reinterpret_cast<LPARAM>(&rowPosition));
    viewOrigin_ = {};
    SendMessageA(list_, LVM_GETORIGIN, 0, reinterpret_cast<LPARAM>(&viewOrigin_));

    POINT corner = {};
    dragImage_.Reset(reinterpret_cast<HIMAGELIST>(SendMessageA(
        list_, LVM_CREATEDRAGIMAGE, static_cast<WPARAM>(row), reinterpret_cast<LPARAM>(&corner))));
    grabOffset_ = Minus(p, corner);
    hotspot_ = {p.x - rowPosition.x + viewOrigin_.x, p.y - rowPosition.y + viewOrigin_.y};

    // Without an image the rows still move; there is only nothing to draw.
    if (dragImage_) {
        const POINT at = Minus(p, grabOffset_);
        ImageList_DragShowNolock(TRUE);
        ImageList_SetDragCursorImage(dragImage_.Get(), 0, hotspot_.x, hotspot_.y);
        ImageList_BeginDrag(dragImage_.Get(), 0, 0, 0);
        ImageList_DragEnter(list_, at.x, at.y);
        ImageList_DragMove(at.x, at.y);
    }
    SetCapture(list_);
}

void DragListCtrl::Move(POINT q) {
    const POINT at = Minus(q, grabOffset_);
    if (dragImage_) ImageList_DragMove(at.x, at.y);

    LVHITTESTINFO hit = {};
    hit.pt = q;
    const int row =
        static_cast<int>(SendMessageA(list_, LVM_HITTEST, 0, reinterpret_cast<LPARAM>(&hit)));
    if (row < 0) return;  // between or below the rows: the last row passed over stays the target
    dropIndex_ = row;
    if (dragImage_) {
        // Leaving and entering again lets the control repaint under the image.
        ImageList_DragLeave(list_);
        ImageList_DragEnter(list_, at.x, at.y);
    }
}

void DragListCtrl::Drop() {
    dragging_ = false;
    StopDragImage();
    // A drag that never passed over a row has no target, and a row dropped onto itself
    // stays; either way the list is left as it was.
    if (ui::IsReportView(list_) && dropIndex_ >= 0 && dropIndex_ != draggedIndex_)
        MoveRow(draggedIndex_, dropIndex_);
    if (GetCapture() == list_) ReleaseCapture();
}

void DragListCtrl::StopDragImage() {
    if (!dragImage_) return;
    ImageList_DragLeave(list_);
    ImageList_EndDrag();
    dragImage_.Reset();
}

void DragListCtrl::MoveRow(int from, int to) {
    const int count = ui::ListCount(list_);
    if (from >= count || to >= count) return;
    // Deleting first makes a row dragged downwards land after its target and one dragged
    // upwards land before it. The text and the item data move, not the row's selection.
    const std::string text = ui::ListItemText(list_, from);
    const LPARAM data = ui::ListItemData(list_, from);
    SendMessageA(list_, LVM_DELETEITEM, static_cast<WPARAM>(from), 0);
    ui::ListInsertText(list_, to, text.c_str(), data);
}

void DragListCtrl::LeaveParent() {
    if (parent_)
        RemoveWindowSubclass(parent_, &DragListCtrl::ParentProc, reinterpret_cast<UINT_PTR>(this));
    parent_ = nullptr;
}

LRESULT CALLBACK DragListCtrl::ListProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                        UINT_PTR /*id*/, DWORD_PTR data) {
    // The control still sees its mouse: nothing here answers for it.
    const auto watch = [&](DragListCtrl& self, LRESULT&) {
        if (!self.dragging_) return false;
        if (message == WM_MOUSEMOVE) self.Move(PointFrom(lParam));
        if (message == WM_LBUTTONUP || message == WM_RBUTTONUP) self.Drop();
        return false;
    };
    return ui::SubclassMessage("drag list", &DragListCtrl::Detach, window, message, wParam, lParam,
                               data, watch);
}

LRESULT CALLBACK DragListCtrl::ParentProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                          UINT_PTR /*id*/, DWORD_PTR data) {
    // The dialog still gets its notifications: nothing here answers for it.
    const auto watch = [&](DragListCtrl& self, LRESULT&) {
        if (message != WM_NOTIFY) return false;
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        if (header && header->hwndFrom == self.list_ &&
            (header->code == LVN_BEGINDRAG || header->code == LVN_BEGINRDRAG)) {
            const auto* info = reinterpret_cast<const NMLISTVIEW*>(lParam);
            self.Begin(info->iItem, info->ptAction);
        }
        return false;
    };
    return ui::SubclassMessage("drag list parent", &DragListCtrl::LeaveParent, window, message,
                               wParam, lParam, data, watch);
}

}  // namespace korvane
