// The modal test driver.
#include "support/ModalDriver.h"

namespace korvane::test {

namespace {

struct DriverState {
    std::function<void()> abort;
    std::function<bool()> step;
    DWORD deadline = 0;
    bool done = false;
    bool timedOut = false;
    bool inStep = false;
};
DriverState* current = nullptr;

void CALLBACK DriverTimer(HWND, UINT, UINT_PTR, DWORD) {
    DriverState* state = current;
    if (!state || state->done || state->inStep) return;
    if (static_cast<LONG>(GetTickCount() - state->deadline) > 0) {
        state->done = state->timedOut = true;
        state->abort();
        return;
    }
    state->inStep = true;  // a step may open a nested modal loop that fires this timer again
    if (state->step && state->step()) state->done = true;
    state->inStep = false;
}

}  // namespace

INT_PTR RunModal(ui::Dialog& dialog, std::function<bool()> step, DWORD timeoutMs, bool* timedOut) {
    return RunModalCall([&dialog] { return dialog.DoModal(); }, [&dialog] { dialog.End(-2); },
                        std::move(step), timeoutMs, timedOut);
}

INT_PTR RunModalCall(const std::function<INT_PTR()>& run, const std::function<void()>& abort,
                     std::function<bool()> step, DWORD timeoutMs, bool* timedOut) {
    DriverState state;
    state.abort = abort;
    state.step = std::move(step);
    state.deadline = GetTickCount() + timeoutMs;
    DriverState* outer = current;
    current = &state;
    const UINT_PTR timer = SetTimer(nullptr, 0, 5, &DriverTimer);
    const INT_PTR result = run();
    KillTimer(nullptr, timer);
    current = outer;
    MSG message;
    while (PeekMessageA(&message, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE)) {
    }
    if (timedOut) *timedOut = state.timedOut;
    return result;
}

bool RunSteps(const std::function<INT_PTR()>& run, const std::function<void()>& abort,
              std::vector<Step> steps, DWORD timeoutMs, INT_PTR* result) {
    size_t next = 0;
    bool timedOut = false;
    const INT_PTR ended = RunModalCall(
        run, abort,
        [&] {
            if (next < steps.size() && steps[next]()) ++next;
            return next >= steps.size();
        },
        timeoutMs, &timedOut);
    if (result) *result = ended;
    return !timedOut;
}

bool RunScript(ui::Dialog& dialog, std::vector<Step> steps, DWORD timeoutMs, INT_PTR* result) {
    return RunSteps([&dialog] { return dialog.DoModal(); }, [&dialog] { dialog.End(-2); },
                    std::move(steps), timeoutMs, result);
}

Step Do(std::function<void()> action) {
    return [action = std::move(action)] {
        action();
        return true;
    };
}

bool PumpUntil(const std::function<bool()>& condition, DWORD timeoutMs) {
    const DWORD start = GetTickCount();
    while (!condition()) {
        if (GetTickCount() - start > timeoutMs) return false;
        MSG message;
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message == WM_QUIT) continue;
            TranslateMessage(&message);
            DispatchMessageA(&message);
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 5, QS_ALLINPUT);
    }
    return true;
}

namespace {

struct BoxSearch {
    HWND owner;
    HWND found;
};

BOOL CALLBACK MatchMessageBox(HWND window, LPARAM data) {
    auto* search = reinterpret_cast<BoxSearch*>(data);
    char cls[32] = {};
    GetClassNameA(window, cls, sizeof cls);
    if (lstrcmpA(cls, "#32770") == 0 && IsWindowVisible(window) &&
        GetWindow(window, GW_OWNER) == search->owner && GetDlgItem(window, 0xFFFF)) {
        search->found = window;
        return FALSE;
    }
    return TRUE;
}

}  // namespace

HWND FindMessageBox(HWND owner) {
    BoxSearch search = {owner, nullptr};
    EnumThreadWindows(GetCurrentThreadId(), &MatchMessageBox, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace korvane::test
