// SHA-256, HMAC-SHA-256 and PBKDF2-HMAC-SHA-256 for the stand-ins' password
// store. Pure: plain byte buffers, no platform headers, no heap.
#pragma once

#include <cstddef>
#include <cstdint>

constexpr std::size_t kSha256Size = 32;

class Sha256 {
public:
    Sha256();
    ~Sha256(); // wipes the state: it may hold key material
    Sha256(const Sha256 &) = delete;
    Sha256 &operator=(const Sha256 &) = delete;

    void Update(const std::uint8_t *data, std::size_t size);
    void Finish(std::uint8_t (&digest)[kSha256Size]);

private:
    void Compress(const std::uint8_t *block);
    std::uint32_t state_[8];
    std::uint8_t buffer_[64];
    std::size_t buffered_ = 0;
    std::uint64_t totalBytes_ = 0;
};

void HmacSha256(const std::uint8_t *key, std::size_t keySize, const std::uint8_t *message,
                std::size_t messageSize, std::uint8_t (&mac)[kSha256Size]);

// RFC 8018 PBKDF2 with HMAC-SHA-256; any output size, iterations of at least 1.
void Pbkdf2Sha256(const std::uint8_t *password, std::size_t passwordSize, const std::uint8_t *salt,
                  std::size_t saltSize, std::uint32_t iterations, std::uint8_t *out, std::size_t outSize);

// Overwrites the bytes in a way the optimiser keeps.
void WipeBytes(void *data, std::size_t size);
