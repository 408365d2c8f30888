// The About box.
#include "console/AboutDialog.h"

#include <cstdio>

#include "host/EngineAccess.h"
#include "resources/resource.h"

namespace korvane {

AboutDialog::AboutDialog(HWND parent, const int fallback[3]) : ui::Dialog(IDD_ABOUTBOX, parent) {
    int version[3] = {fallback[0], fallback[1], fallback[2]};
    if (EngineCall engine; engine) engine->GetVersion(&version[0], &version[1], &version[2]);
    char line[64];
    std::snprintf(line, sizeof line, "Version %d.%d.%d", version[0], version[1], version[2]);
    versionLine_ = line;
}

bool AboutDialog::OnInitDialog() {
    SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, versionLine_.c_str());
    return true;
}

}  // namespace korvane
