// Game > Change Map: the Change Map dialog, modal over the main window.
#include "host/ServerMainDialog.h"
#include "settings/ChangeMapDialog.h"

namespace korvane {

void ServerMainDialog::ShowChangeMap() {
    // The dialog sends its own command; how it was closed does not matter here.
    ChangeMapDialog dialog(Window());
    dialog.DoModal();
}

}  // namespace korvane
