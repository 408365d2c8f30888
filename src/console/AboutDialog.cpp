// The About box.
#include "console/AboutDialog.h"

#include <cstdio>

#include "resources/resource.h"

namespace korvane {

AboutDialog::AboutDialog(HWND parent, const std::array<int, 3>& version)
    : ui::Dialog(IDD_ABOUTBOX, parent) {
    char line[64];
    std::snprintf(line, sizeof line, "Version %d.%d.%d", version[0], version[1], version[2]);
    versionLine_ = line;
}

bool AboutDialog::OnInitDialog() {
    SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, versionLine_.c_str());
    return true;
}

}  // namespace korvane
