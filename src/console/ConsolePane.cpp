// The console pane's append operations.
#include "console/ConsolePane.h"

#include <algorithm>
#include <optional>

#include "console/ConsoleBuffer.h"
#include "ui/Handles.h"
#include "ui/Text.h"

namespace korvane {

namespace {

LRESULT Send(HWND pane, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    return SendMessageA(pane, message, wParam, lParam);
}

// What the front of the pane lost to trimming, to keep the operator's place in what is left.
struct Trimmed {
    size_t chars = 0;
    int lines = 0;
};

Trimmed TrimOldest(HWND pane) {
    const int lines = static_cast<int>(Send(pane, EM_GETLINECOUNT));
    const int keepFrom = lines * 75 / 100;
    const LRESULT cut = Send(pane, EM_LINEINDEX, static_cast<WPARAM>(keepFrom));
    if (cut <= 0) return {};
    ui::RedrawOff redraw(pane);
    Send(pane, EM_SETSEL, 0, cut);
    Send(pane, EM_SCROLLCARET);
    Send(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(""));
    return {static_cast<size_t>(cut), keepFrom};
}

// Where the operator reads when the view is not at the end: the first line shown and the
// selection. At the end (or with everything in view) the pane follows the new lines instead.
struct ReadingPlace {
    int firstLine = 0;
    DWORD selectionStart = 0, selectionEnd = 0;
};

std::optional<ReadingPlace> PlaceAwayFromTheEnd(HWND pane) {
    SCROLLINFO bar = {};
    bar.cbSize = sizeof bar;
    bar.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    if (!GetScrollInfo(pane, SB_VERT, &bar) || bar.nPos + static_cast<int>(bar.nPage) > bar.nMax)
        return std::nullopt;
    ReadingPlace place;
    place.firstLine = static_cast<int>(Send(pane, EM_GETFIRSTVISIBLELINE));
    Send(pane, EM_GETSEL, reinterpret_cast<WPARAM>(&place.selectionStart),
         reinterpret_cast<LPARAM>(&place.selectionEnd));
    return place;
}

// Puts the view and the selection back where they were, less what trimming took away.
void ReturnTo(HWND pane, const ReadingPlace& place, const Trimmed& trimmed) {
    const auto shifted = [&](DWORD at) {
        return at > trimmed.chars ? at - static_cast<DWORD>(trimmed.chars) : 0;
    };
    Send(pane, EM_SETSEL, shifted(place.selectionStart), shifted(place.selectionEnd));
    const int target = std::max(0, place.firstLine - trimmed.lines);
    const auto shown = static_cast<int>(Send(pane, EM_GETFIRSTVISIBLELINE));
    Send(pane, EM_LINESCROLL, 0, target - shown);
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
    const std::optional<ReadingPlace> place = PlaceAwayFromTheEnd(pane);
    // Away from the end the pane jumps there and back: drawn once, where it was.
    std::optional<PaneDrawingOff> drawingOff;
    if (place) drawingOff.emplace(pane);
    Trimmed trimmed;
    const auto trim = [&] {
        const Trimmed more = TrimOldest(pane);
        trimmed.chars += more.chars;
        trimmed.lines += more.lines;
    };
    if (Send(pane, EM_GETLINECOUNT) > kPaneMaxLines) trim();
    const LRESULT limit = Send(pane, EM_GETLIMITTEXT);
    if (GetWindowTextLengthA(pane) >= limit) trim();
    const std::string line = FormatConsoleLine(text ? text : "");
    if (!line.empty()) {
        CaretToEnd(pane, limit);
        Send(pane, EM_REPLACESEL, FALSE, reinterpret_cast<LPARAM>(line.c_str()));
    }
    if (place) ReturnTo(pane, *place, trimmed);
}

void ConsoleScrollToEnd(HWND pane) {
    CaretToEnd(pane, GetWindowTextLengthA(pane));
}

void ConsoleLogBatch(HWND pane, const std::vector<std::string>& lines) {
    if (lines.empty()) return;
    const std::optional<ReadingPlace> place = PlaceAwayFromTheEnd(pane);
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
    // Scrolled while drawing is still off, so the pane paints once: at its new end while the
    // view was there, otherwise where the operator was reading.
    if (!place) {
        CaretToEnd(pane, limit);
        return;
    }
    Trimmed trimmed;
    trimmed.chars = buffer.OriginalGone() ? before.size() : buffer.RemovedFromOriginal();
    trimmed.lines = static_cast<int>(
        std::count(before.begin(), before.begin() + static_cast<ptrdiff_t>(trimmed.chars), '\n'));
    ReturnTo(pane, *place, trimmed);
}

}  // namespace korvane
