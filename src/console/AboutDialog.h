// The About box: the engine's version and a line of fixed text.
#pragma once

#include <array>
#include <string>

#include "ui/Dialog.h"

namespace korvane {

class AboutDialog : public ui::Dialog {
  public:
    // `version`: the engine's, as the host gives it (the one read at start-up once the
    // engine has gone).
    AboutDialog(HWND parent, const std::array<int, 3>& version);
    const std::string& VersionLine() const { return versionLine_; }

  protected:
    bool OnInitDialog() override;

  private:
    std::string versionLine_;
};

}  // namespace korvane
