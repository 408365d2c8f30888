// The system's cryptography (Windows CNG) as the web administration needs it: random tokens and
// the salted password hash.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "web/WebConfig.h"

namespace korvane::web {

// Fills `size` bytes from the system's cryptographic generator; false when it fails.
bool RandomBytes(void* buffer, size_t size);

// A new record for `password` (its exact bytes: UTF-8 everywhere it comes from) with a fresh
// 16-byte salt; an unset record when CNG fails.
PasswordRecord HashPassword(std::string_view password, uint32_t iterations = kPasswordIterations);

// Whether `password` matches `record`. The derived key is compared in constant time, and the
// work does not depend on how much of the password is right.
bool VerifyPassword(std::string_view password, const PasswordRecord& record);

// SHA-256 of `bytes`; empty when CNG fails.
std::vector<uint8_t> Sha256(std::string_view bytes);

// Compares two byte strings in time that depends only on their lengths.
bool ConstantTimeEqual(std::string_view a, std::string_view b);

}  // namespace korvane::web
