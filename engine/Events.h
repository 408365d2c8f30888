// The engine's event messages to the host: a raw type byte followed by text. Numbers are
// written in decimal; a players-updated message carries groups "id name\nteam specialty "
// and ends with the id -1. Messages are built in one reserved buffer, so sending costs no
// allocation once the engine runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

#include "Console.h"
#include "contract/EngineInterface.h"

namespace korvane {

class EventSink {
  public:
    // One complete, zero-terminated message.
    virtual void SendEvent(const char* message) = 0;

  protected:
    ~EventSink() = default;
};

// The type byte that starts a message.
constexpr char TypeByte(EngineEvent type) {
    return static_cast<char>(type);
}

class EventChannel {
  public:
    static constexpr size_t kMaxNameLength = 30;        // the host keeps no more
    static constexpr size_t kMaxConsoleText = 1023;     // the host reads no more
    static constexpr size_t kUpdateCapacity = 64 * 64;  // a full server's update

    EventChannel();
    EventChannel(const EventChannel&) = delete;
    EventChannel& operator=(const EventChannel&) = delete;

    void SetSink(EventSink* sink) { sink_ = sink; }
    bool Connected() const { return sink_ != nullptr; }

    void PlayerJoined(int id);
    void PlayerLeft(int id);
    // A players-updated message: BeginUpdate, one AddToUpdate per player, SendUpdate.
    void BeginUpdate();
    void AddToUpdate(int id, std::string_view name, int team, int specialty);
    void SendUpdate();
    // A line for the host's console, carried as an event rather than as console text.
    void ConsoleText(const char* format, ...) KORVANE_PRINTF_FORMAT(2, 3);
    void Close();

  private:
    void Send(const char* message);

    EventSink* sink_ = nullptr;
    std::string update_;
    bool updating_ = false;
};

}  // namespace korvane
