// Case-insensitive console-variable store with stable handles.
#include "VariableStore.h"

#include <cfloat>
#include <cmath>
#include <cstdlib>
#include <stdexcept>

namespace korvane {

namespace {

// ASCII only: variable names are plain identifiers, and the result must not depend on locale.
char LowerAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

float NumberOf(const std::string& text) {
    double number = std::strtod(text.c_str(), nullptr);
    if (std::isnan(number)) return 0.0f;
    if (number > FLT_MAX) return FLT_MAX;
    if (number < -FLT_MAX) return -FLT_MAX;
    return static_cast<float>(number);
}

}  // namespace

bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
    return true;
}

bool CaseInsensitiveLess::operator()(std::string_view a, std::string_view b) const {
    size_t n = a.size() < b.size() ? a.size() : b.size();
    for (size_t i = 0; i < n; ++i) {
        unsigned char ca = static_cast<unsigned char>(LowerAscii(a[i]));
        unsigned char cb = static_cast<unsigned char>(LowerAscii(b[i]));
        if (ca != cb) return ca < cb;
    }
    return a.size() < b.size();
}

bool VariableStore::IsValidName(std::string_view name) {
    if (name.empty() || name.size() > kMaxNameLength) return false;
    for (char c : name) {
        unsigned char u = static_cast<unsigned char>(c);
        if (u <= ' ' || u == 0x7F) return false;
    }
    return true;
}

Variable* VariableStore::Find(std::string_view name) const {
    auto found = byName_.find(name);
    return found == byName_.end() ? nullptr : found->second;
}

Variable* VariableStore::Set(std::string_view name, std::string_view text) {
    if (Variable* existing = Find(name)) {
        AssignText(*existing, text);
        return existing;
    }
    if (!IsValidName(name) || variables_.size() >= kMaxVariables) return nullptr;
    Variable& created = variables_.emplace_back();
    try {
        created.name.assign(name);
        AssignText(created, text);
        byName_.emplace(std::string_view(created.name), &created);
        handles_.insert(&created);
    } catch (...) {
        byName_.erase(std::string_view(created.name));
        handles_.erase(&created);
        variables_.pop_back();
        throw;
    }
    return &created;
}

Variable& VariableStore::Ensure(std::string_view name, std::string_view text) {
    if (Variable* existing = Find(name)) return *existing;
    Variable* created = Set(name, text);
    if (created == nullptr) throw std::length_error("variable cannot be created");
    return *created;
}

Variable* VariableStore::FromHandle(const void* handle) const {
    if (handle == nullptr || handles_.count(handle) == 0) return nullptr;
    return static_cast<Variable*>(const_cast<void*>(handle));
}

void VariableStore::AssignText(Variable& variable, std::string_view text) {
    if (text.size() > kMaxTextLength) text = text.substr(0, kMaxTextLength);
    std::string cleaned;
    cleaned.reserve(text.size());
    // A line break inside a value would split it in two when the configuration is read back.
    for (char c : text)
        if (c != '\r' && c != '\n') cleaned.push_back(c);
    variable.value = NumberOf(cleaned);
    variable.text = std::move(cleaned);
}

}  // namespace korvane
