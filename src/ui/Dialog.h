// A dialog built from a template, with one virtual message hook that fans out to handlers.
// The same dialog procedure serves modal dialogs and property pages: it finds the object
// through the window's user data, keeps exceptions out of Windows and returns notification
// answers through DWLP_MSGRESULT.
#pragma once

#include <windows.h>

namespace korvane::ui {

class Dialog {
  public:
    Dialog(int templateId, HWND parent) : templateId_(templateId), parent_(parent) {}
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Runs the dialog modally on this thread; returns the value given to End (or -1 when the
    // window could not be created).
    INT_PTR DoModal();

    HWND Window() const { return window_; }
    HWND Item(int id) const { return GetDlgItem(window_, id); }
    void End(INT_PTR result);

  protected:
    // Every message; the default fans out to the handlers below. Return true when handled;
    // `result` is then the dialog procedure's answer (DWLP_MSGRESULT for notifications).
    virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

    // Returns what WM_INITDIALOG returns: true lets the system set the focus.
    virtual bool OnInitDialog() { return true; }
    virtual bool OnCommand(int /*id*/, int /*code*/, HWND /*control*/) { return false; }
    virtual bool OnNotify(NMHDR* /*header*/, LRESULT& /*result*/) { return false; }
    virtual bool OnTimer(UINT_PTR /*id*/) { return false; }
    virtual void OnOK() { End(IDOK); }
    virtual void OnCancel() { End(IDCANCEL); }
    // WM_DESTROY: the window is going, whatever ended the modal run.
    virtual void OnDestroy() {}

    // The icon shown while the minimised window is dragged (WM_QUERYDRAGICON).
    void SetDragIcon(HICON icon) { dragIcon_ = icon; }
    int TemplateId() const { return templateId_; }

    // The dialog procedure of property pages: the object comes with the page's description.
    static INT_PTR CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    // A page's window belongs to its sheet, which destroys it.
    void LeaveWindowToOwner() { ownsWindow_ = false; }

  private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    static INT_PTR Dispatch(Dialog* self, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    int templateId_;
    HWND parent_;
    HWND window_ = nullptr;
    HICON dragIcon_ = nullptr;
    bool ownsWindow_ = true;
};

// Reports an exception caught at a callback boundary; never throws.
void ReportCallbackFailure(const char* where) noexcept;

}  // namespace korvane::ui
