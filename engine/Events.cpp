// Formats the event messages; nothing is formatted while no host listens.
#include "Events.h"

#include <cstdarg>
#include <cstdio>

namespace korvane {

EventChannel::EventChannel() {
    update_.reserve(kUpdateCapacity);
}

void EventChannel::Send(const char* message) {
    if (sink_ != nullptr) sink_->SendEvent(message);
}

void EventChannel::PlayerJoined(int id) {
    if (sink_ == nullptr) return;
    char message[16];
    std::snprintf(message, sizeof message, "%c %d", TypeByte(EngineEvent::PlayerJoined), id);
    Send(message);
}

void EventChannel::PlayerLeft(int id) {
    if (sink_ == nullptr) return;
    char message[16];
    std::snprintf(message, sizeof message, "%c %d", TypeByte(EngineEvent::PlayerLeft), id);
    Send(message);
}

void EventChannel::BeginUpdate() {
    update_.clear();
    update_.push_back(TypeByte(EngineEvent::PlayersUpdated));
    updating_ = true;
}

void EventChannel::AddToUpdate(int id, std::string_view name, int team, int specialty) {
    if (!updating_ || sink_ == nullptr) return;
    // Room for the widest pair of 32-bit numbers ("\n-2147483648 -2147483648 " is 25), so no
    // value is ever cut: a cut number would be misread and end the host's reading there.
    char number[40];
    std::snprintf(number, sizeof number, "%d ", id);
    update_ += number;
    // Exactly one separator went out above; the name runs to the line feed, so it may hold
    // blanks but never a line break or a terminator.
    size_t length = name.size() < kMaxNameLength ? name.size() : kMaxNameLength;
    for (size_t i = 0; i < length; ++i) {
        char c = name[i];
        update_.push_back(c == '\n' || c == '\r' || c == '\0' ? ' ' : c);
    }
    std::snprintf(number, sizeof number, "\n%d %d ", team, specialty);
    update_ += number;
}

void EventChannel::SendUpdate() {
    if (!updating_) return;
    updating_ = false;
    if (sink_ == nullptr) return;
    update_ += "-1";
    Send(update_.c_str());
}

void EventChannel::ConsoleText(const char* format, ...) {
    if (sink_ == nullptr || format == nullptr) return;
    char text[kMaxConsoleText + 1];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    if (length < 0) return;
    if (length > static_cast<int>(kMaxConsoleText)) length = static_cast<int>(kMaxConsoleText);
    // The host takes the text up to the first line feed: exactly one line per event.
    char message[kMaxConsoleText + 3];
    message[0] = TypeByte(EngineEvent::ConsoleText);
    size_t cleaned = CleanLine(text, static_cast<size_t>(length), message + 1, kMaxConsoleText + 1);
    message[cleaned + 1] = '\n';
    message[cleaned + 2] = '\0';
    Send(message);
}

void EventChannel::Close() {
    const char message[] = {TypeByte(EngineEvent::CloseHost), '\0'};
    Send(message);
}

}  // namespace korvane
