// The "Rules" page: time limit, rounds per map, maximum players, team flip, LAN only and the
// map rotation. Its check boxes commit the page at once, its edits once typing pauses.
#pragma once

#include <string>

#include "settings/ServerSettings.h"
#include "ui/PropertyPage.h"

namespace korvane {

class RulesPage : public ui::PropertyPage {
  public:
    explicit RulesPage(ServerSettings& settings);

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool OnTimer(UINT_PTR id) override;
    bool Commit() override;
    // The Map Rotation dialog; a seam so the page can be tested without it.
    virtual void EditMapRotation();

  private:
    // How long typing must pause before an edit commits: "45" typed must not send "4" first.
    static constexpr UINT kTypingPauseMs = 1000;
    static constexpr UINT_PTR kTypingTimer = 1;

    ServerSettings& settings_;
    int maxPlayers_ = 24;
    int timeLimit_ = 0, rounds_ = 0, flipRounds_ = 0;
    int teamFlip_ = 0;
    int lan_ = 0;
};

}  // namespace korvane
