// Shared by the fuzz targets: reading a fuzzer's bytes as numbers and texts, and the check
// that reports a broken property (a crash the fuzzer keeps, with its input).
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>

namespace korvane::fuzz {

// Reads the input front to back; past its end every read gives zero or empty.
class FuzzInput {
  public:
    FuzzInput(const uint8_t* data, size_t size)
        : text_(reinterpret_cast<const char*>(data), size) {}

    bool Empty() const { return text_.empty(); }
    template <typename T>
    T Number() {
        T value{};
        const size_t n = text_.size() < sizeof value ? text_.size() : sizeof value;
        std::memcpy(&value, text_.data(), n);
        text_.remove_prefix(n);
        return value;
    }
    // A text of up to `limit` bytes, its length given by the next byte.
    std::string Text(size_t limit = 255) {
        size_t length = Number<uint8_t>();
        if (length > limit) length = limit;
        if (length > text_.size()) length = text_.size();
        std::string text(text_.substr(0, length));
        text_.remove_prefix(length);
        return text;
    }
    // Everything up to the next byte `end` (consumed) or the end of the input.
    std::string_view Until(char end) {
        const size_t at = text_.find(end);
        std::string_view part = text_.substr(0, at);
        text_.remove_prefix(at == std::string_view::npos ? text_.size() : at + 1);
        return part;
    }
    std::string_view Rest() const { return text_; }

  private:
    std::string_view text_;
};

#define KORVANE_FUZZ_CHECK(condition)                                                             \
    do {                                                                                          \
        if (!(condition)) {                                                                       \
            std::fprintf(stderr, "%s:%d: property broken: %s\n", __FILE__, __LINE__, #condition); \
            std::abort();                                                                         \
        }                                                                                         \
    } while (false)

}  // namespace korvane::fuzz
