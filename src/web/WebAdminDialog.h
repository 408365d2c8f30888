// Game > Web Administration: turns the listener on or off and sets its address, port, host name
// and password. The password is read as typed (UTF-16), hashed here as UTF-8 and never kept in
// clear.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "ui/Dialog.h"
#include "web/WebConfig.h"

namespace korvane::web {

class WebAdminDialog : public ui::Dialog {
  public:
    // What became of new settings: whether they were saved (the dialog then shows them as the
    // ones in force, its password included), and why they are not all in force (the port is
    // taken, say), which the dialog shows while it stays open; empty when they are.
    struct ApplyResult {
        ApplyResult(std::string why = {}, bool wasSaved = true)
            : problem(std::move(why)), saved(wasSaved) {}
        std::string problem;
        bool saved;
    };
    // Puts new settings in force: saves them and restarts the listener.
    using Apply = std::function<ApplyResult(const WebConfig&)>;

    // `rcon` and `applyRcon`: the same for the Source RCON group (its host name unused).
    WebAdminDialog(HWND parent, WebConfig current, Apply apply, WebConfig rcon = {},
                   Apply applyRcon = {});

    const WebConfig& Config() const { return config_; }
    const WebConfig& RconConfig() const { return rcon_; }

  protected:
    bool OnInitDialog() override;
    bool OnCommand(int id, int code, HWND control) override;
    void OnOK() override;

  private:
    void UpdateWarning();
    void ShowPasswordState();
    // New Metrics Token...: a new token, shown once; its hash goes with the next OK.
    void MakeMetricsToken();
    void CopyMetricsToken();
    void ShowMessage(const std::string& text);

    // The Source RCON group (web/WebAdminDialogRcon.cpp).
    void InitRcon();
    void ShowRconState();
    // The group's settings as typed, its password hashed; false, with the problem shown,
    // when they cannot be used.
    bool ReadRcon(WebConfig& next);

    WebConfig config_;
    Apply apply_;
    WebConfig rcon_;
    Apply applyRcon_;
    std::vector<uint8_t> newTokenHash_;  // of the token made and shown, until an OK saves it
};

}  // namespace korvane::web
