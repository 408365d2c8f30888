// korvane/cres.dll, the game's texts by id (team and specialty names), mapped as data.
#pragma once

#include <string>

#include "ui/Handles.h"

namespace korvane {

class StringLibrary {
  public:
    // Loads korvane/cres.dll from the working folder; false when it cannot be loaded.
    bool Load();
    void Unload() { library_.Reset(); }
    // The text with `id`; empty without the library or the text.
    std::string Text(int id) const;

  private:
    ui::Library library_;
};

}  // namespace korvane
