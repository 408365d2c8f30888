// The About box: the engine's version and a line of fixed text.
#pragma once

#include <string>

#include "ui/Dialog.h"

namespace korvane {

class AboutDialog : public ui::Dialog {
  public:
    // Asks the engine for its version (under EngineLock); without an engine, shows
    // `fallback`, the version read at start-up.
    AboutDialog(HWND parent, const int fallback[3]);
    const std::string& VersionLine() const { return versionLine_; }

  protected:
    bool OnInitDialog() override;

  private:
    std::string versionLine_;
};

}  // namespace korvane
