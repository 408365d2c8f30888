// The console pane's append operations.
#include "console/ConsolePane.h"

#include "console/ConsoleBuffer.h"
#include "ui/Handles.h"
#include "ui/Text.h"

namespace korvane {

namespace {

LRESULT Send(HWND pane, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(pane, message, wParam, lParam);
}

void TrimOldest(HWND pane) {
    const int lines = static_cast<int>(Send(pane, EM_GETLINECOUNT));
    const LRESULT cut = Send(pane, EM_LINEINDEX, static_cast<WPARAM>(lines * 75 / 100));
    if (cut <= 0) return;
    ui::RedrawOff redraw(pane);
    Send(pane, EM_SETSEL, 0, cut);
    Send(pane, EM_SCROLLCARET);
    Send(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
}

void CaretToEnd(HWND pane, LRESULT limit) {
    Send(pane, EM_SETSEL, static_cast<WPARAM>(limit), limit);
    Send(pane, EM_SCROLLCARET);
}

// Keeps the pane from drawing anything, its scroll bars included, while a batch changes it.
// WM_SETREDRAW reaches DefWindowProc, which clears WS_VISIBLE; an edit control that handles the
// message itself (Wine's does, and ignores it) would go on repainting both scroll bars at every
// step, which costs more than the whole edit. The bit is then cleared here, as DefWindowProc
// would; on Windows it is already clear and this adds nothing.
class PaneDrawingOff {
  public:
    explicit PaneDrawingOff(HWND pane) : pane_(pane) {
        Send(pane_, WM_SETREDRAW, FALSE);
        const LONG style = GetWindowLongA(pane_, GWL_STYLE);
        clearedHere_ = (style & WS_VISIBLE) != 0;
        if (clearedHere_) SetWindowLongA(pane_, GWL_STYLE, style & ~WS_VISIBLE);
    }
    ~PaneDrawingOff() {
        Send(pane_, WM_SETREDRAW, TRUE);
        if (clearedHere_)
            SetWindowLongA(pane_, GWL_STYLE, GetWindowLongA(pane_, GWL_STYLE) | WS_VISIBLE);
        RedrawWindow(pane_, nullptr, nullptr, RDW_ERASE | RDW_FRAME | RDW_INVALIDATE);
    }
    PaneDrawingOff(const PaneDrawingOff&) = delete;
    PaneDrawingOff& operator=(const PaneDrawingOff&) = delete;

  private:
    HWND pane_;
    bool clearedHere_ = false;
};

}  // namespace

void ConsoleLog(HWND pane, const char* text) {
    if (Send(pane, EM_GETLINECOUNT) > kConsoleMaxLines) TrimOldest(pane);
    const LRESULT limit = Send(pane, EM_GETLIMITTEXT);
    if (GetWindowTextLengthA(pane) >= limit) TrimOldest(pane);
    const std::string line = FormatConsoleLine(text ? text : "");
    if (line.empty()) return;
    CaretToEnd(pane, limit);
    Send(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
}

void ConsoleLogBatch(HWND pane, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const LRESULT limit = Send(pane, EM_GETLIMITTEXT);
    const std::string before = ui::WindowText(pane);
    ConsoleBuffer buffer(before, static_cast<size_t>(limit));
    for (const std::string& line : lines) buffer.Append(line);
    if (buffer.RemovedFromOriginal() == 0 && buffer.Text().size() == before.size()) return;

    PaneDrawingOff drawingOff(pane);
    if (buffer.OriginalGone()) {
        SetWindowTextA(pane, buffer.Text().c_str());
    } else {
        if (buffer.RemovedFromOriginal() > 0) {
            Send(pane, EM_SETSEL, 0, static_cast<LPARAM>(buffer.RemovedFromOriginal()));
            Send(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
        }
        const std::string added = buffer.Text().substr(buffer.KeptFromOriginal());
        if (!added.empty()) {
            Send(pane, EM_SETSEL, static_cast<WPARAM>(limit), limit);
            Send(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(added.c_str()));
        }
    }
    // Scrolled while drawing is still off, so the pane paints once, at its new end.
    CaretToEnd(pane, limit);
}

}  // namespace korvane
