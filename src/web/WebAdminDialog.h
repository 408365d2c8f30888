// Game > Web Administration: turns the listener on or off and sets its address, port and
// password. The password is hashed here and never kept in clear.
#pragma once

#include <functional>
#include <string>

#include "ui/Dialog.h"
#include "web/WebConfig.h"

namespace korvane::web {

class WebAdminDialog : public ui::Dialog {
  public:
    // Puts new settings in force (saves them, restarts the listener) and answers an empty text,
    // or the reason they are not in force (the port is taken, say), which the dialog shows while
    // it stays open.
    using Apply = std::function<std::string(const WebConfig&)>;

    WebAdminDialog(HWND parent, WebConfig current, Apply apply);

    const WebConfig& Config() const { return config_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

  private:
    void UpdateWarning();
    void ShowMessage(const std::string& text);

    WebConfig config_;
    Apply apply_;
};

}  // namespace korvane::web
