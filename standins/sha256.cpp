// SHA-256 after FIPS 180-4, HMAC after RFC 2104, PBKDF2 after RFC 8018.
// Every intermediate that depends on the password is wiped before return.
#include "standins/sha256.h"

#include <cstring>

namespace {
constexpr std::uint32_t kRound[64] = {
    0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
    0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
    0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
    0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
    0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
    0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
    0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
    0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2,
};

constexpr std::size_t kBlockSize = 64;

std::uint32_t Rotr(std::uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

std::uint32_t LoadBigEndian(const std::uint8_t *p) {
    return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) | p[3];
}

void StoreBigEndian(std::uint32_t v, std::uint8_t *p) {
    p[0] = static_cast<std::uint8_t>(v >> 24);
    p[1] = static_cast<std::uint8_t>(v >> 16);
    p[2] = static_cast<std::uint8_t>(v >> 8);
    p[3] = static_cast<std::uint8_t>(v);
}
} // namespace

void WipeBytes(void *data, std::size_t size) {
    volatile std::uint8_t *p = static_cast<volatile std::uint8_t *>(data);
    while (size--) *p++ = 0;
}

Sha256::Sha256()
    : state_{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19},
      buffer_{} {}

Sha256::~Sha256() {
    WipeBytes(state_, sizeof(state_));
    WipeBytes(buffer_, sizeof(buffer_));
}

void Sha256::Compress(const std::uint8_t *block) {
    std::uint32_t w[64];
    for (int i = 0; i < 16; ++i) w[i] = LoadBigEndian(block + 4 * i);
    for (int i = 16; i < 64; ++i) {
        const std::uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
        const std::uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
        w[i] = w[i - 16] + s0 + w[i - 7] + s1;
    }
    std::uint32_t a = state_[0], b = state_[1], c = state_[2], d = state_[3];
    std::uint32_t e = state_[4], f = state_[5], g = state_[6], h = state_[7];
    for (int i = 0; i < 64; ++i) {
        const std::uint32_t s1 = Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25);
        const std::uint32_t choice = (e & f) ^ (~e & g);
        const std::uint32_t t1 = h + s1 + choice + kRound[i] + w[i];
        const std::uint32_t s0 = Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22);
        const std::uint32_t majority = (a & b) ^ (a & c) ^ (b & c);
        const std::uint32_t t2 = s0 + majority;
        h = g;
        g = f;
        f = e;
        e = d + t1;
        d = c;
        c = b;
        b = a;
        a = t1 + t2;
    }
    state_[0] += a;
    state_[1] += b;
    state_[2] += c;
    state_[3] += d;
    state_[4] += e;
    state_[5] += f;
    state_[6] += g;
    state_[7] += h;
    WipeBytes(w, sizeof(w));
}

void Sha256::Update(const std::uint8_t *data, std::size_t size) {
    totalBytes_ += size;
    while (size > 0) {
        if (buffered_ == 0 && size >= kBlockSize) {
            Compress(data);
            data += kBlockSize;
            size -= kBlockSize;
            continue;
        }
        std::size_t take = kBlockSize - buffered_;
        if (take > size) take = size;
        std::memcpy(buffer_ + buffered_, data, take);
        buffered_ += take;
        data += take;
        size -= take;
        if (buffered_ == kBlockSize) {
            Compress(buffer_);
            buffered_ = 0;
        }
    }
}

void Sha256::Finish(std::uint8_t (&digest)[kSha256Size]) {
    const std::uint64_t bits = totalBytes_ * 8;
    const std::uint8_t one = 0x80;
    Update(&one, 1);
    const std::uint8_t zero = 0;
    while (buffered_ != kBlockSize - 8) Update(&zero, 1);
    std::uint8_t length[8];
    for (int i = 0; i < 8; ++i) length[i] = static_cast<std::uint8_t>(bits >> (56 - 8 * i));
    Update(length, sizeof(length));
    for (int i = 0; i < 8; ++i) StoreBigEndian(state_[i], digest + 4 * i);
}

namespace {
// The two keyed hash states of HMAC, kept so PBKDF2 does not rehash the key
// for each of its iterations.
struct HmacKey {
    std::uint8_t inner[kBlockSize];
    std::uint8_t outer[kBlockSize];

    HmacKey(const std::uint8_t *key, std::size_t keySize) {
        std::uint8_t block[kBlockSize] = {};
        if (keySize > kBlockSize) {
            std::uint8_t digest[kSha256Size];
            Sha256 hash;
            hash.Update(key, keySize);
            hash.Finish(digest);
            std::memcpy(block, digest, sizeof(digest));
            WipeBytes(digest, sizeof(digest));
        } else if (keySize > 0) {
            std::memcpy(block, key, keySize);
        }
        for (std::size_t i = 0; i < kBlockSize; ++i) {
            inner[i] = block[i] ^ 0x36;
            outer[i] = block[i] ^ 0x5c;
        }
        WipeBytes(block, sizeof(block));
    }
    ~HmacKey() {
        WipeBytes(inner, sizeof(inner));
        WipeBytes(outer, sizeof(outer));
    }

    void Mac(const std::uint8_t *message, std::size_t size, const std::uint8_t *more, std::size_t moreSize,
             std::uint8_t (&mac)[kSha256Size]) const {
        std::uint8_t innerDigest[kSha256Size];
        Sha256 first;
        first.Update(inner, kBlockSize);
        first.Update(message, size);
        if (moreSize > 0) first.Update(more, moreSize);
        first.Finish(innerDigest);
        Sha256 second;
        second.Update(outer, kBlockSize);
        second.Update(innerDigest, sizeof(innerDigest));
        second.Finish(mac);
        WipeBytes(innerDigest, sizeof(innerDigest));
    }
};
} // namespace

void HmacSha256(const std::uint8_t *key, std::size_t keySize, const std::uint8_t *message,
                std::size_t messageSize, std::uint8_t (&mac)[kSha256Size]) {
    HmacKey(key, keySize).Mac(message, messageSize, nullptr, 0, mac);
}

void Pbkdf2Sha256(const std::uint8_t *password, std::size_t passwordSize, const std::uint8_t *salt,
                  std::size_t saltSize, std::uint32_t iterations, std::uint8_t *out, std::size_t outSize) {
    const HmacKey key(password, passwordSize);
    std::uint8_t u[kSha256Size], t[kSha256Size];
    for (std::uint32_t blockIndex = 1; outSize > 0; ++blockIndex) {
        std::uint8_t index[4];
        StoreBigEndian(blockIndex, index);
        key.Mac(salt, saltSize, index, sizeof(index), u);
        std::memcpy(t, u, sizeof(t));
        for (std::uint32_t i = 1; i < iterations; ++i) {
            key.Mac(u, sizeof(u), nullptr, 0, u);
            for (std::size_t j = 0; j < kSha256Size; ++j) t[j] ^= u[j];
        }
        const std::size_t take = outSize < kSha256Size ? outSize : kSha256Size;
        std::memcpy(out, t, take);
        out += take;
        outSize -= take;
    }
    WipeBytes(u, sizeof(u));
    WipeBytes(t, sizeof(t));
}
