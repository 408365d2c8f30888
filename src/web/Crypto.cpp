// Random bytes and PBKDF2-HMAC-SHA256 through the Windows CNG API.
#include "web/Crypto.h"

#include <windows.h>
#include <bcrypt.h>

#include <vector>

namespace korvane::web {

namespace {

constexpr size_t kSaltSize = 16;
constexpr size_t kHashSize = 32;

// An open CNG algorithm provider, closed when the owner goes.
class AlgorithmProvider {
  public:
    AlgorithmProvider(const wchar_t* algorithm, ULONG flags) {
        if (!BCRYPT_SUCCESS(BCryptOpenAlgorithmProvider(&handle_, algorithm, nullptr, flags)))
            handle_ = nullptr;
    }
    ~AlgorithmProvider() {
        if (handle_) BCryptCloseAlgorithmProvider(handle_, 0);
    }
    AlgorithmProvider(const AlgorithmProvider&) = delete;
    AlgorithmProvider& operator=(const AlgorithmProvider&) = delete;
    BCRYPT_ALG_HANDLE Get() const { return handle_; }

  private:
    BCRYPT_ALG_HANDLE handle_ = nullptr;
};

bool DeriveKey(std::string_view password, const std::vector<uint8_t>& salt, uint32_t iterations,
               std::vector<uint8_t>& key) {
    AlgorithmProvider hmac(BCRYPT_SHA256_ALGORITHM, BCRYPT_ALG_HANDLE_HMAC_FLAG);
    if (!hmac.Get() || iterations == 0) return false;
    key.assign(kHashSize, 0);
    // CNG takes non-const pointers but does not write through them.
    auto* secret = reinterpret_cast<PUCHAR>(const_cast<char*>(password.data()));
    auto* saltBytes = const_cast<PUCHAR>(salt.data());
    return BCRYPT_SUCCESS(BCryptDeriveKeyPBKDF2(hmac.Get(), secret,
                                                static_cast<ULONG>(password.size()), saltBytes,
                                                static_cast<ULONG>(salt.size()), iterations,
                                                key.data(), static_cast<ULONG>(key.size()), 0));
}

}  // namespace

bool RandomBytes(void* buffer, size_t size) {
    return BCRYPT_SUCCESS(BCryptGenRandom(nullptr, static_cast<PUCHAR>(buffer),
                                          static_cast<ULONG>(size),
                                          BCRYPT_USE_SYSTEM_PREFERRED_RNG));
}

PasswordRecord HashPassword(std::string_view password, uint32_t iterations) {
    PasswordRecord record;
    record.salt.assign(kSaltSize, 0);
    record.iterations = iterations;
    if (!RandomBytes(record.salt.data(), record.salt.size()) ||
        !DeriveKey(password, record.salt, iterations, record.hash))
        return {};
    return record;
}

bool VerifyPassword(std::string_view password, const PasswordRecord& record) {
    if (!record.IsSet()) return false;
    std::vector<uint8_t> key;
    if (!DeriveKey(password, record.salt, record.iterations, key)) return false;
    return ConstantTimeEqual(
        {reinterpret_cast<const char*>(key.data()), key.size()},
        {reinterpret_cast<const char*>(record.hash.data()), record.hash.size()});
}

std::vector<uint8_t> Sha256(std::string_view bytes) {
    AlgorithmProvider sha256(BCRYPT_SHA256_ALGORITHM, 0);
    if (!sha256.Get()) return {};
    struct Hash {  // destroyed with its owner
        BCRYPT_HASH_HANDLE handle = nullptr;
        ~Hash() {
            if (handle) BCryptDestroyHash(handle);
        }
    } hash;
    if (!BCRYPT_SUCCESS(BCryptCreateHash(sha256.Get(), &hash.handle, nullptr, 0, nullptr, 0, 0)))
        return {};
    std::vector<uint8_t> digest(kHashSize);
    auto* data = reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data()));
    if (!BCRYPT_SUCCESS(BCryptHashData(hash.handle, data, static_cast<ULONG>(bytes.size()), 0)) ||
        !BCRYPT_SUCCESS(
            BCryptFinishHash(hash.handle, digest.data(), static_cast<ULONG>(digest.size()), 0)))
        return {};
    return digest;
}

bool ConstantTimeEqual(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    volatile unsigned char difference = 0;
    for (size_t i = 0; i < a.size(); ++i)
        difference = difference | static_cast<unsigned char>(a[i] ^ b[i]);
    return difference == 0;
}

}  // namespace korvane::web
