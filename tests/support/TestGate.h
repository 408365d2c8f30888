// The settings and map dialogs without a host: a gate straight to a test engine, one call at a
// time, keeping the front end's console notes.
#pragma once

#include <mutex>
#include <string>
#include <vector>

#include "contract/EngineGate.h"

namespace korvane::test {

class DirectGate final : public EngineGate {
  public:
    explicit DirectGate(EngineInterface* engine) : engine_(engine) {}
    bool WithEngine(const std::function<void(EngineInterface&)>& use,
                    CallLength = CallLength::Regular) override {
        std::lock_guard<std::recursive_mutex> lock(mutex_);
        if (!engine_) return false;
        use(*engine_);
        return true;
    }
    void Note(const std::string& line) override { notes.push_back(line); }
    void SetEngine(EngineInterface* engine) { engine_ = engine; }

    std::vector<std::string> notes;

  private:
    std::recursive_mutex mutex_;
    EngineInterface* engine_;
};

}  // namespace korvane::test
