// The "Server" page: server and administrator names, e-mail, web site and the two passwords.
#pragma once

#include <string>

#include "ui/PropertyPage.h"

namespace korvane {

class ServerPage : public ui::PropertyPage {
  public:
    static constexpr int kTextLimit = 254;
    static constexpr size_t kMinPasswordLength = 6;

    ServerPage();

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code) override;
    bool Commit() override;

  private:
    std::string serverName_, adminName_, adminEmail_, serverWebsite_, serverPassword_,
        remoteAdminPassword_;
};

}  // namespace korvane
