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

    ServerPage();

  protected:
    void OnInitPage() override;
    bool OnCommand(int id, int code) override;
    bool Commit() override;

  private:
    struct TextField {
        using Getter = const char* (ServerSettings::*)(bool* cut);
        using Setter = void (ServerSettings::*)(const char*);
        TextField(int fieldId, const char* fieldKey, Getter getter, Setter setter, size_t size)
            : id(fieldId), key(fieldKey), get(getter), set(setter), fieldSize(size) {}

        int id;
        const char* key;
        Getter get;
        Setter set;
        size_t fieldSize;  // of the settings field the getter reads into
        std::string value;
        // The engine's value was longer than the field; `shown` is its cut copy, which is
        // not sent back unless the operator changed it.
        bool storedLonger = false;
        std::string shown;
    };
    std::array<TextField, 6> fields_;
};

}  // namespace korvane
