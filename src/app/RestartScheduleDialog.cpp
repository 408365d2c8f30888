// The restart schedule's dialog.
#include "app/RestartScheduleDialog.h"

#include "resources/resource.h"

namespace korvane::app {

namespace {

std::string ItemText(HWND dialog, int id) {
    char text[512] = {};
    GetDlgItemTextA(dialog, id, text, sizeof text);
    return text;
}

}  // namespace

RestartScheduleDialog::RestartScheduleDialog(HWND parent, RestartSchedule current, Apply apply)
    : Dialog(IDD_RESTART_SCHEDULE, parent), schedule_(std::move(current)), apply_(std::move(apply)) {}

bool RestartScheduleDialog::OnInitDialog() {
    SendDlgItemMessageA(Window(), IDC_RESTART_TIMES, EM_LIMITTEXT, 200, 0);
    SendDlgItemMessageA(Window(), IDC_RESTART_WARNINGS, EM_LIMITTEXT, 60, 0);
    SetDlgItemTextA(Window(), IDC_RESTART_TIMES, FormatTimesOfDay(schedule_.times).c_str());
    SetDlgItemTextA(Window(), IDC_RESTART_WARNINGS, FormatWarnMinutes(schedule_.warnMinutes).c_str());
    CheckDlgButton(Window(), IDC_RESTART_ON_STOP,
                   schedule_.restartWhenEngineStops ? BST_CHECKED : BST_UNCHECKED);
    ShowMessage(schedule_.times.empty() ? "No scheduled restarts." : "");
    return true;
}

void RestartScheduleDialog::OnOK() {
    std::string why;
    const auto times = ParseTimesOfDay(ItemText(Window(), IDC_RESTART_TIMES), why);
    if (!times) {
        ShowMessage(why);
        SetFocus(Item(IDC_RESTART_TIMES));
        return;
    }
    const auto warnings = ParseWarnMinutes(ItemText(Window(), IDC_RESTART_WARNINGS), why);
    if (!warnings) {
        ShowMessage(why);
        SetFocus(Item(IDC_RESTART_WARNINGS));
        return;
    }
    RestartSchedule schedule{*times, *warnings,
                             IsDlgButtonChecked(Window(), IDC_RESTART_ON_STOP) == BST_CHECKED};
    if (!apply_(schedule)) {
        ShowMessage(std::string("The schedule could not be written to ") + kScheduleFile + ".");
        return;
    }
    End(IDOK);
}

void RestartScheduleDialog::ShowMessage(const std::string& text) {
    SetDlgItemTextA(Window(), IDC_RESTART_NEXT, text.c_str());
}

}  // namespace korvane::app
