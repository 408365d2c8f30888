#include "host/ConsoleListeners.h"

#include <optional>

#include "host/SecretValues.h"

namespace korvane {

void ConsoleListeners::HandOut(const std::vector<std::string>& lines) const {
    if (lines.empty()) return;
    // Lines leave the operator's screen only with every password variable's value hidden.
    std::optional<std::vector<std::string>> hidden;
    for (ConsoleListener* listener : listeners_) {
        if (listener->OperatorScreen()) {
            listener->ConsoleLines(lines);
            continue;
        }
        if (!hidden) {
            hidden = lines;
            HideSecretValues(*hidden);
        }
        listener->ConsoleLines(*hidden);
    }
}

}  // namespace korvane
