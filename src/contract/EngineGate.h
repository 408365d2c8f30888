// How everything but the server thread reaches the engine: one call (or a short group of
// them) at a time, with EngineLock held. Free of windows.h, so the settings built on it can
// be compiled and checked anywhere.
#pragma once

#include <cctype>
#include <functional>
#include <string>
#include <string_view>

#include "contract/EngineInterface.h"

namespace korvane {

class EngineGate {
  public:
    // How long a call may take before it counts as a hang: a map change loads the map inside
    // the call and may take far longer than anything else.
    enum class CallLength { Regular, Long };
    // Runs `use` with the engine while EngineLock is held; false, with nothing run, when no
    // engine is loaded, or when the engine is stuck in another call (it is then busy).
    virtual bool WithEngine(const std::function<void(EngineInterface&)>& use,
                            CallLength length = CallLength::Regular) = 0;
    // One console command, a map change as a long call.
    bool ExecuteCommand(const char* command) {
        return WithEngine([command](EngineInterface& engine) { engine.ExecuteCommand(command); },
                          LengthOf(command));
    }
    static CallLength LengthOf(std::string_view command) {
        constexpr std::string_view kMapChange = "changemap";
        const size_t start = command.find_first_not_of(" \t");
        if (start == std::string_view::npos) return CallLength::Regular;
        command.remove_prefix(start);
        const bool mapChange =
            command.size() >= kMapChange.size() &&
            (command.size() == kMapChange.size() || command[kMapChange.size()] == ' ' ||
             command[kMapChange.size()] == '\t');
        for (size_t i = 0; mapChange && i < kMapChange.size(); ++i)
            if (std::tolower(static_cast<unsigned char>(command[i])) != kMapChange[i])
                return CallLength::Regular;
        return mapChange ? CallLength::Long : CallLength::Regular;
    }
    // A line of the front end's own for the operator's console, shown among the engine's.
    virtual void Note(const std::string& line) = 0;

  protected:
    ~EngineGate() = default;
};

}  // namespace korvane
