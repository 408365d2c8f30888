// Source RCON packets to and from bytes.
#include "web/RconPacket.h"

#include <algorithm>

namespace korvane::web::rcon {

namespace {

void AppendInt32(std::string& out, int32_t value) {
    const auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) out += static_cast<char>((bits >> shift) & 0xFF);
}

}  // namespace

int32_t ReadInt32(const char* bytes) {
    uint32_t bits = 0;
    for (int i = 3; i >= 0; --i) bits = bits << 8 | static_cast<unsigned char>(bytes[i]);
    return static_cast<int32_t>(bits);
}

std::optional<int32_t> RequestSize(const char sizeField[4]) {
    const int32_t size = ReadInt32(sizeField);
    if (size < kMinSize || size > kMaxRequestSize) return std::nullopt;
    return size;
}

std::optional<Packet> ParseRequest(std::string_view rest) {
    if (rest.size() < static_cast<size_t>(kMinSize) ||
        rest.substr(rest.size() - 2) != std::string_view("\0\0", 2))
        return std::nullopt;
    Packet packet;
    packet.id = ReadInt32(rest.data());
    packet.type = ReadInt32(rest.data() + 4);
    const std::string_view body = rest.substr(8, rest.size() - kMinSize);
    if (body.find('\0') != std::string_view::npos) return std::nullopt;
    packet.body = body;
    return packet;
}

std::string Encode(int32_t id, int32_t type, std::string_view body) {
    std::string out;
    out.reserve(body.size() + 14);
    AppendInt32(out, static_cast<int32_t>(body.size()) + kMinSize);
    AppendInt32(out, id);
    AppendInt32(out, type);
    out += body;
    out.append(2, '\0');
    return out;
}

std::string EncodeAnswer(int32_t id, std::string_view text) {
    std::string out;
    do {
        const size_t take = std::min(text.size(), kMaxBody);
        out += Encode(id, kResponseValue, text.substr(0, take));
        text.remove_prefix(take);
    } while (!text.empty());
    return out;
}

}  // namespace korvane::web::rcon
