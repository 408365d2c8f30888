// Whoever shows or keeps console lines (the window's pane, the console log, the web's console,
// a console program's output), and the hand-out that gives each of them every line, in order,
// from one place.
#pragma once

#include <string>
#include <vector>

namespace korvane {

// Called on the thread that takes the host's hand-over.
class ConsoleListener {
  public:
    // The operator's own screen shows what the engine printed; every other listener gets
    // each password variable's value hidden (host/SecretValues.h).
    virtual bool OperatorScreen() const { return false; }
    // The hand-over's console lines, oldest first.
    virtual void ConsoleLines(const std::vector<std::string>& lines) = 0;

  protected:
    ~ConsoleListener() = default;
};

// The listeners in the order they were added; used on the thread that takes the hand-over.
class ConsoleListeners {
  public:
    void Add(ConsoleListener& listener) { listeners_.push_back(&listener); }
    void Remove(ConsoleListener& listener) { std::erase(listeners_, &listener); }
    // Gives `lines` to every listener; the secrets are hidden at most once per batch.
    void HandOut(const std::vector<std::string>& lines) const;

  private:
    std::vector<ConsoleListener*> listeners_;
};

}  // namespace korvane
