// Player records, event decoding and connection times.
#include "host/PlayerTable.h"

#include <cstdio>
#include <cstring>

namespace korvane {

void PlayerTable::Join(int32_t id, int64_t now, std::string_view newName) {
    PlayerRecord record;
    record.id = id;
    record.joinTime = now;
    const size_t length = newName.size() < kPlayerNameChars ? newName.size() : kPlayerNameChars;
    std::memcpy(record.name, newName.data(), length);
    record.name[length] = '\0';
    records_[KeyOf(id)] = record;
}

void PlayerTable::Leave(int32_t id) {
    records_.erase(KeyOf(id));
}

PlayerRecord* PlayerTable::Find(int32_t id) {
    auto it = records_.find(KeyOf(id));
    return it == records_.end() ? nullptr : &it->second;
}

std::vector<PlayerRecord> PlayerTable::Snapshot() const {
    std::vector<PlayerRecord> records;
    records.reserve(records_.size());
    for (const auto& entry : records_) records.push_back(entry.second);
    return records;
}

namespace {

// The message read as a character stream, never past its end.
class EventReader {
  public:
    explicit EventReader(std::string_view text) : text_(text) {}

    bool AtEnd() const { return at_ >= text_.size(); }
    void SkipSpace() {
        while (!AtEnd() && IsSpace(text_[at_])) ++at_;
    }
    bool Take(char& c) {
        if (AtEnd()) return false;
        c = text_[at_++];
        return true;
    }
    // The rest of the line up to a line feed (consumed, not returned).
    std::string_view Line() {
        const size_t end = text_.find('\n', at_);
        const size_t stop = end == std::string_view::npos ? text_.size() : end;
        std::string_view line = text_.substr(at_, stop - at_);
        at_ = end == std::string_view::npos ? text_.size() : end + 1;
        return line;
    }
    // A number in C literal notation (sign, then decimal, "0x" hexadecimal or "0" octal
    // digits), at most 15 characters, taken modulo 2^32 so any digits give a defined value.
    bool Number(uint32_t& value) {
        SkipSpace();
        size_t budget = 15;
        size_t at = at_;
        bool negative = false;
        if (at < text_.size() && budget > 0 && (text_[at] == '+' || text_[at] == '-')) {
            negative = text_[at] == '-';
            ++at;
            --budget;
        }
        unsigned base = 10;
        if (at < text_.size() && budget > 0 && text_[at] == '0') {
            base = 8;
            if (budget >= 3 && at + 2 < text_.size() &&
                (text_[at + 1] == 'x' || text_[at + 1] == 'X') && DigitValue(text_[at + 2]) < 16) {
                base = 16;
                at += 2;
                budget -= 2;
            }
        }
        uint32_t result = 0;
        size_t digits = 0;
        while (at < text_.size() && budget > 0 && DigitValue(text_[at]) < base) {
            result = result * base + DigitValue(text_[at]);
            ++at;
            --budget;
            ++digits;
        }
        if (digits == 0) return false;
        at_ = at;
        value = negative ? 0u - result : result;
        return true;
    }
    bool Signed(int32_t& value) {
        uint32_t raw = 0;
        if (!Number(raw)) return false;
        value = static_cast<int32_t>(raw);
        return true;
    }

  private:
    static bool IsSpace(char c) {
        return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
    }
    static unsigned DigitValue(char c) {
        if (c >= '0' && c <= '9') return static_cast<unsigned>(c - '0');
        if (c >= 'a' && c <= 'f') return static_cast<unsigned>(c - 'a' + 10);
        if (c >= 'A' && c <= 'F') return static_cast<unsigned>(c - 'A' + 10);
        return 99;
    }

    std::string_view text_;
    size_t at_ = 0;
};

constexpr size_t kConsoleEventChars = 1023;

void ApplyUpdate(PlayerTable& table, EventReader& reader) {
    for (;;) {
        int32_t id = 0;
        if (!reader.Signed(id) || id == -1) return;
        PlayerRecord* record = table.Find(id);
        if (!record) return;
        char separator;
        if (!reader.Take(separator)) return;
        // Only the first 30 characters are kept; the rest of a longer line is skipped.
        const std::string_view name = reader.Line();
        const size_t length = name.size() < kPlayerNameChars ? name.size() : kPlayerNameChars;
        std::memcpy(record->name, name.data(), length);
        record->name[length] = '\0';
        uint32_t team = 0;
        if (!reader.Number(team)) return;
        record->team = team;
        int32_t specialty = 0;
        if (!reader.Signed(specialty)) return;
        record->specialty =
            specialty == kUnassignedSpecialty ? static_cast<int32_t>(kUnassignedText) : specialty;
    }
}

}  // namespace

EngineEventOutcome ApplyEngineEvent(PlayerTable& table, std::string_view message, int64_t now,
                                    std::string_view newPlayerName) {
    EngineEventOutcome outcome;
    EventReader reader(message);
    reader.SkipSpace();
    char type = 0;
    if (!reader.Take(type)) return outcome;
    switch (static_cast<EngineEvent>(type)) {
        case EngineEvent::PlayerJoined: {
            int32_t id = 0;
            if (!reader.Signed(id)) id = 0;
            table.Join(id, now, newPlayerName);
            outcome.playersChanged = true;
            break;
        }
        case EngineEvent::PlayerLeft: {
            int32_t id = 0;
            if (!reader.Signed(id)) id = 0;
            table.Leave(id);
            outcome.playersChanged = true;
            break;
        }
        case EngineEvent::PlayersUpdated:
            outcome.playersChanged = true;
            ApplyUpdate(table, reader);
            break;
        case EngineEvent::ConsoleText: {
            const std::string_view text = reader.Line();
            outcome.consoleText = std::string(text.substr(0, kConsoleEventChars));
            break;
        }
        case EngineEvent::CloseHost:
            outcome.close = true;
            break;
        default:
            break;
    }
    return outcome;
}

std::string FormatDuration(int64_t seconds) {
    if (seconds < 0) seconds = 0;
    const int64_t days = seconds / 86400;
    const int64_t hours = seconds / 3600 - days * 24;
    const int minutes = static_cast<int>(seconds / 60 % 60);
    const int secs = static_cast<int>(seconds % 60);
    char text[64];
    if (days > 0)
        std::snprintf(text, sizeof text, "%lldd:%02lldh:%02dm:%02ds", static_cast<long long>(days),
                      static_cast<long long>(hours), minutes, secs);
    else if (hours > 0)
        std::snprintf(text, sizeof text, "%02lldh:%02dm:%02ds", static_cast<long long>(hours),
                      minutes, secs);
    else
        std::snprintf(text, sizeof text, "%02dm:%02ds", minutes, secs);
    return text;
}

}  // namespace korvane
