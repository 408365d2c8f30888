// The About box.
#include "console/AboutDialog.h"

#include "host/EngineVersion.h"
#include "resources/resource.h"

namespace korvane {

AboutDialog::AboutDialog(HWND parent, const std::array<int, 3>& version)
    : ui::Dialog(IDD_ABOUTBOX, parent) {
    versionLine_ = "Version " + VersionText(version);
}

bool AboutDialog::OnInitDialog() {
    SetDlgItemTextA(Window(), IDC_ABOUT_VERSION, versionLine_.c_str());
    return true;
}

}  // namespace korvane
