// Record layout and checks for the stand-ins' password store. A record that
// does not parse exactly is damaged: it never matches any password.
#include "standins/password_record.h"

#include <cstring>

#include "standins/sha256.h"

namespace {
constexpr std::uint8_t kTag[4] = {'Q', 'S', 'P', '1'};
constexpr std::size_t kIterationsAt = 4;
constexpr std::size_t kSaltAt = 8;
constexpr std::size_t kHashAt = kSaltAt + kPasswordSaltSize;

void Derive(const char *password, const std::uint8_t *salt, std::uint32_t iterations,
            std::uint8_t (&hash)[kPasswordHashSize]) {
    Pbkdf2Sha256(reinterpret_cast<const std::uint8_t *>(password), std::strlen(password), salt,
                 kPasswordSaltSize, iterations, hash, sizeof(hash));
}
} // namespace

PasswordRecord MakePasswordRecord(const char *password, const PasswordSalt &salt, std::uint32_t iterations) {
    PasswordRecord record{};
    std::memcpy(record.data(), kTag, sizeof(kTag));
    for (int i = 0; i < 4; ++i) record[kIterationsAt + i] = static_cast<std::uint8_t>(iterations >> (8 * i));
    std::memcpy(record.data() + kSaltAt, salt.data(), salt.size());
    std::uint8_t hash[kPasswordHashSize];
    Derive(password, salt.data(), iterations, hash);
    std::memcpy(record.data() + kHashAt, hash, sizeof(hash));
    WipeBytes(hash, sizeof(hash));
    return record;
}

bool EqualInConstantTime(const std::uint8_t *a, const std::uint8_t *b, std::size_t size) {
    std::uint8_t difference = 0;
    for (std::size_t i = 0; i < size; ++i) difference |= static_cast<std::uint8_t>(a[i] ^ b[i]);
    return difference == 0;
}

bool ReadPasswordRecord(const std::uint8_t *record, std::size_t recordSize, PasswordRecordParts *parts) {
    if (!record || recordSize != kPasswordRecordSize || std::memcmp(record, kTag, sizeof(kTag)) != 0) return false;
    std::uint32_t iterations = 0;
    for (int i = 0; i < 4; ++i) iterations |= std::uint32_t{record[kIterationsAt + i]} << (8 * i);
    if (iterations == 0 || iterations > kMaxPasswordIterations) return false;
    *parts = PasswordRecordParts{iterations, record + kSaltAt, record + kHashAt};
    return true;
}

PasswordMatch CheckPassword(const std::uint8_t *record, std::size_t recordSize, const char *password) {
    PasswordRecordParts parts;
    if (!ReadPasswordRecord(record, recordSize, &parts)) return PasswordMatch::Damaged;
    if (!password || password[0] == '\0' || std::strlen(password) > kMaxPasswordLength)
        return PasswordMatch::Wrong;

    std::uint8_t hash[kPasswordHashSize];
    Derive(password, parts.salt, parts.iterations, hash);
    const bool same = EqualInConstantTime(hash, parts.hash, sizeof(hash));
    WipeBytes(hash, sizeof(hash));
    return same ? PasswordMatch::Right : PasswordMatch::Wrong;
}

PasswordChange JudgePasswordChange(bool oldAccepted, const char *newPassword, const char *confirmation) {
    if (!oldAccepted) return PasswordChange::WrongOld;
    if (newPassword[0] == '\0') return PasswordChange::EmptyNew;
    if (std::strlen(newPassword) > kMaxPasswordLength) return PasswordChange::TooLong;
    if (std::strcmp(newPassword, confirmation) != 0) return PasswordChange::Mismatch;
    return PasswordChange::Accept;
}
