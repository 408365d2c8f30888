// The "Server" page: server and administrator names, e-mail, web site and the two passwords.
#pragma once

#include <array>
#include <string>

#include "settings/ServerSettings.h"
#include "ui/PropertyPage.h"

namespace korvane {

class ServerPage : public ui::PropertyPage {
  public:
    static constexpr size_t kMinPasswordLength = 6;

    explicit ServerPage(ServerSettings& settings);

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code, HWND control) override;
    bool Commit() override;

  private:
    struct TextField {
        int id = 0;
        TextOption option = TextOption::ServerName;
        std::string value;
        // The engine's value was longer than the field; `shown` is its cut copy, which is
        // not sent back unless the operator changed it.
        bool storedLonger = false;
        std::string shown;
    };

    ServerSettings& settings_;
    std::array<TextField, kTextOptionCount> fields_;
};

}  // namespace korvane
