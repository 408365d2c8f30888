// The engine's console variables: case-insensitive names, a text with its numeric value, and
// flags. Variables are never removed, so a pointer to one is a stable handle for the host.
#pragma once

#include <cstddef>
#include <deque>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>

namespace korvane {

bool EqualsIgnoreCase(std::string_view a, std::string_view b);

struct CaseInsensitiveLess {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
};

struct Variable {
    std::string name;  // spelled as when it was created
    std::string text;
    float value = 0.0f;  // the text read as a number, 0 when it is none
    int flags = 0;
};

class VariableStore {
  public:
    // Bounds that keep a hand-edited configuration file from growing the engine without limit.
    static constexpr size_t kMaxVariables = 4096;
    static constexpr size_t kMaxNameLength = 127;
    static constexpr size_t kMaxTextLength = 4095;

    static bool IsValidName(std::string_view name);

    Variable* Find(std::string_view name) const;
    // Creates the variable or replaces its text (cut to kMaxTextLength, CR and LF dropped).
    // Null when the name is unusable or the store is full.
    Variable* Set(std::string_view name, std::string_view text);
    // The variable, created with text when it does not exist; throws std::length_error when
    // it cannot be created.
    Variable& Ensure(std::string_view name, std::string_view text);
    // The variable behind a handle the host hands back, or null for anything else.
    Variable* FromHandle(const void* handle) const;

    const std::deque<Variable>& InCreationOrder() const { return variables_; }
    size_t Count() const { return variables_.size(); }

  private:
    static void AssignText(Variable& variable, std::string_view text);

    std::deque<Variable> variables_;  // a deque never moves its elements
    std::map<std::string_view, Variable*, CaseInsensitiveLess> byName_;  // views of the names
    std::unordered_set<const void*> handles_;
};

}  // namespace korvane
