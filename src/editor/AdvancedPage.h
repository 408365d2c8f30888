// The "Advanced" page: team balance, uploads, logging, voice, bandwidth class, idle kick,
// time synchronisation check and voting. Four check boxes and the bandwidth choice commit the
// page at once.
#pragma once

#include <string>

#include "settings/ServerSettings.h"
#include "ui/PropertyPage.h"

namespace korvane {

class AdvancedPage : public ui::PropertyPage {
  public:
    explicit AdvancedPage(ServerSettings& settings);

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool Commit() override;

  private:
    // The preset the combo box stands for; a typed text that names no entry keeps the last
    // valid choice, so no lookup ever leaves the six presets.
    int SelectedPreset();
    void ApplyBandwidthRule(int preset);
    void ApplyVotingRule();

    ServerSettings& settings_;
    int uploads_ = 0, logging_ = 0, voting_ = 0, autoBalance_ = 0, voip_ = 0;
    int forceBalance_ = 0, timeSync_ = 0;
    int kickRatio_ = 0, mapRatio_ = 0;
    int idleKick_ = 0;
    int customBandwidth_ = 0;
    int preset_ = 0;
};

}  // namespace korvane
