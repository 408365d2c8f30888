// The bearer token that guards GET /metrics: made at random and kept only as its SHA-256 (a
// token of 256 random bits needs no slow hash, so a scrape a second costs nothing), or read
// from a file for a run without a window.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace korvane::web {

inline constexpr size_t kMetricsTokenRandomBytes = 32;
// A token from a file: visible ASCII (it travels in a header), of a length a guess cannot hit.
inline constexpr size_t kMinMetricsTokenBytes = 16;
inline constexpr size_t kMaxMetricsTokenBytes = 1024;

// A new token: 32 random bytes as 64 hex digits; empty when the generator fails.
std::string NewMetricsToken();
// What is kept of a token: the SHA-256 of its exact bytes (32 bytes; empty when CNG fails).
std::vector<uint8_t> MetricsTokenHash(std::string_view token);
// The token in a file: its exact bytes, less the line end that closes it; false with the
// reason in `error`.
bool ReadMetricsTokenFile(const std::string& path, std::string& token, std::string& error);
// The token of an Authorization header ("Bearer <token>"), empty when it carries none.
std::string_view BearerToken(std::string_view authorization);
// Whether `token` is the one `hash` was made of; the time taken depends only on its length.
bool MetricsTokenMatches(std::string_view token, const std::vector<uint8_t>& hash);

}  // namespace korvane::web
