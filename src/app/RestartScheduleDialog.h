// Game > Restart Schedule: the times of day the server restarts, the warnings the players get
// before, and whether an engine that stops or hangs on its own is started again.
#pragma once

#include <functional>
#include <string>

#include "app/RestartSchedule.h"
#include "ui/Dialog.h"

namespace korvane::app {

class RestartScheduleDialog : public ui::Dialog {
  public:
    // Puts a new schedule in force; false when it could not be stored (the dialog stays open).
    using Apply = std::function<bool(const RestartSchedule&)>;

    RestartScheduleDialog(HWND parent, RestartSchedule current, Apply apply);

  protected:
    bool OnInitDialog() override;
    void OnOK() override;

  private:
    void ShowMessage(const std::string& text);

    RestartSchedule schedule_;
    Apply apply_;
};

}  // namespace korvane::app
