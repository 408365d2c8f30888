// The "Rules" page: time limit, rounds per map, maximum players, team flip, LAN only and the
// map rotation. Its edits and check boxes commit the page at once.
#pragma once

#include <string>

#include "ui/PropertyPage.h"

namespace korvane {

class RulesPage : public ui::PropertyPage {
  public:
    RulesPage();

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code) override;
    void OnHScroll(HWND control) override;
    bool Commit() override;
    // The Map Rotation dialog; a seam so the page can be tested without it.
    virtual void EditMapRotation();

  private:
    int maxPlayers_ = 24;
    std::string timeLimit_, rounds_, flipRounds_;
    int teamFlip_ = 0;
    int lan_ = 0;
};

}  // namespace korvane
