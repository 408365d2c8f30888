// The command history's walk, its limits and its file.
#include "console/CommandHistory.h"

#include <algorithm>

#include "ui/TextFile.h"

namespace korvane {

namespace {

bool GoodCommand(std::string_view line) {
    if (line.empty() || line.size() > kMaxTypedCommandLength) return false;
    return std::none_of(line.begin(), line.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte < 32 || byte == 127;
    });
}

}  // namespace

void CommandHistory::Push(std::string_view command) {
    if (!entries_.empty() && entries_.back() == command) return;
    entries_.emplace_back(command);
    if (entries_.size() > kMaxEntries) entries_.pop_front();
}

void CommandHistory::Add(std::string_view command) {
    if (GoodCommand(command)) {
        Push(command);
        changed_ = true;
    }
    walk_ = entries_.size();
    typed_.clear();
}

std::optional<std::string> CommandHistory::Older(std::string_view current) {
    if (walk_ == 0) return std::nullopt;
    if (walk_ == entries_.size()) typed_ = current;
    return entries_[--walk_];
}

std::optional<std::string> CommandHistory::Newer() {
    if (walk_ >= entries_.size()) return std::nullopt;
    return ++walk_ == entries_.size() ? typed_ : entries_[walk_];
}

std::vector<std::string> CommandHistory::FirstWords() const {
    std::vector<std::string> words;
    for (auto it = entries_.rbegin(); it != entries_.rend(); ++it) {
        std::string word = it->substr(0, it->find(' '));
        if (!word.empty() && std::find(words.begin(), words.end(), word) == words.end())
            words.push_back(std::move(word));
    }
    return words;
}

std::string CommandHistory::Serialize() const {
    std::string text;
    for (const std::string& entry : entries_) text += entry + "\r\n";
    return text;
}

void CommandHistory::Parse(std::string_view text) {
    entries_.clear();
    while (!text.empty() && entries_.size() < kMaxEntries) {
        const size_t end = text.find('\n');
        std::string_view line = text.substr(0, end);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (GoodCommand(line)) Push(line);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    }
    walk_ = entries_.size();
    typed_.clear();
    changed_ = false;
}

void CommandHistory::Load(const std::string& path) {
    Parse(ui::ReadTextFile(path, kMaxFileBytes));
}

bool CommandHistory::Save(const std::string& path, uint64_t nowMs) {
    savedAt_ = nowMs;
    if (!ui::WriteTextFile(path, Serialize())) return false;
    changed_ = false;
    return true;
}

}  // namespace korvane
