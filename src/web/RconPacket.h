// The Source RCON protocol's packets: a little-endian int32 size (of what follows), an int32
// id, an int32 type, the body and two NULs (the body's own and an empty string's). Pure byte
// work, no sockets.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace korvane::web::rcon {

// Client to server.
inline constexpr int32_t kAuth = 3;
inline constexpr int32_t kExecCommand = 2;
// Server to client (and a client's empty "end of answer?" probe).
inline constexpr int32_t kAuthResponse = 2;
inline constexpr int32_t kResponseValue = 0;

// The most body bytes one packet carries; longer answers go out in several.
inline constexpr size_t kMaxBody = 4096;
// A request's size field: id, type and the two NULs at least, and at most a full body.
inline constexpr int32_t kMinSize = 10;
inline constexpr int32_t kMaxRequestSize = static_cast<int32_t>(kMaxBody) + kMinSize;
// The body of the packet that follows the mirror of an empty probe: clients that sent the
// probe after a command read up to it, and so know a many-packet answer has ended.
inline constexpr std::string_view kTerminatorBody{"\x00\x00\x00\x01\x00\x00\x00\x00", 8};

struct Packet {
    int32_t id = 0;
    int32_t type = 0;
    std::string body;
};

int32_t ReadInt32(const char* bytes);

// The size field's value when a request may have it, otherwise nothing: the connection is
// then closed without reading on.
std::optional<int32_t> RequestSize(const char sizeField[4]);
// The `size` bytes after the size field as a packet; nothing when they do not end in two
// NULs or the body holds a NUL.
std::optional<Packet> ParseRequest(std::string_view rest);

// One packet as sent; the body must have at most kMaxBody bytes.
std::string Encode(int32_t id, int32_t type, std::string_view body);
// An answer as response-value packets with `id`, every one but the last with kMaxBody bytes
// (a client sees a full packet as "more may follow"); an empty answer is one empty packet.
std::string EncodeAnswer(int32_t id, std::string_view text);

}  // namespace korvane::web::rcon
