// Property pages: the exchange around showing and leaving the page, and the commit.
#include "ui/PropertyPage.h"

#include "ui/PropSheet.h"

namespace korvane::ui {

PropertyPage::PropertyPage(int templateId) : Dialog(templateId, nullptr) {
    LeaveWindowToOwner();
}

PROPSHEETPAGEA PropertyPage::Describe(PropSheet* sheet) {
    sheet_ = sheet;
    PROPSHEETPAGEA page = {};
    page.dwSize = sizeof page;
    page.dwFlags = PSP_DEFAULT;
    page.hInstance = GetModuleHandleA(nullptr);
    page.pszTemplate = MAKEINTRESOURCEA(TemplateId());
    page.pfnDlgProc = &Dialog::PageProc;
    page.lParam = reinterpret_cast<LPARAM>(static_cast<Dialog*>(this));
    return page;
}

void PropertyPage::SetModified(bool modified) {
    if (!Window()) return;
    SendMessageA(GetParent(Window()), modified ? PSM_CHANGED : PSM_UNCHANGED,
                 reinterpret_cast<WPARAM>(Window()), 0);
}

bool PropertyPage::OnInitDialog() {
    OnInitPage();
    return true;
}

bool PropertyPage::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
    switch (message) {
        case WM_COMMAND:
            // The page's own writes to its controls are not the operator's doing.
            if (fields_.Exchanging()) return false;
            return OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
        case WM_HSCROLL:
            if (!fields_.Exchanging()) {
                fields_.SliderMoved(reinterpret_cast<HWND>(lParam));
                SetModified(true);
            }
            return true;
        default:
            return Dialog::OnMessage(message, wParam, lParam, result);
    }
}

bool PropertyPage::OnNotify(NMHDR* header, LRESULT& result) {
    switch (header->code) {
        case PSN_SETACTIVE:
            // Shown again: the controls show the held values, not whatever they showed before.
            fields_.Push();
            result = 0;
            return true;
        case PSN_KILLACTIVE:
            // A nonzero answer keeps the page: the tab does not change and OK or Apply stops.
            result = PullAndCommit() ? FALSE : TRUE;
            return true;
        case PSN_APPLY:
            SetModified(false);
            if (sheet_) sheet_->NoteApplied(reinterpret_cast<PSHNOTIFY*>(header)->lParam != 0);
            result = PSNRET_NOERROR;
            return true;
        default:
            return false;
    }
}

}  // namespace korvane::ui
