// The stand-ins' stored screen-saver password: a salted PBKDF2 hash in a small
// versioned record, never the password itself. Pure: decides, never stores.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

constexpr std::size_t kPasswordSaltSize = 16;
constexpr std::size_t kPasswordHashSize = 32;
// Tag (4), iteration count (4, little endian), salt, hash.
constexpr std::size_t kPasswordRecordSize = 8 + kPasswordSaltSize + kPasswordHashSize;
constexpr std::uint32_t kPasswordIterations = 100000;
// A record asking for more work than this is damaged, not a reason to hang:
// four times what we write, under a second a check. (Ten million froze the
// prompt for some 20 seconds a try.)
constexpr std::uint32_t kMaxPasswordIterations = 4 * kPasswordIterations;
// Longest password the dialogs take, in bytes.
constexpr std::size_t kMaxPasswordLength = 127;

using PasswordRecord = std::array<std::uint8_t, kPasswordRecordSize>;
using PasswordSalt = std::array<std::uint8_t, kPasswordSaltSize>;

PasswordRecord MakePasswordRecord(const char *password, const PasswordSalt &salt,
                                  std::uint32_t iterations = kPasswordIterations);

enum class PasswordMatch { Right, Wrong, Damaged };

// A stored record taken apart; false when it is damaged: another size or
// tag, or an iteration count of 0 or above kMaxPasswordIterations.
struct PasswordRecordParts {
    std::uint32_t iterations;
    const std::uint8_t *salt; // kPasswordSaltSize bytes inside the record
    const std::uint8_t *hash; // kPasswordHashSize bytes
};
bool ReadPasswordRecord(const std::uint8_t *record, std::size_t recordSize, PasswordRecordParts *parts);

// Compares in constant time. The empty password is never right.
PasswordMatch CheckPassword(const std::uint8_t *record, std::size_t recordSize, const char *password);

// True when both buffers hold the same bytes; the time does not depend on where they differ.
bool EqualInConstantTime(const std::uint8_t *a, const std::uint8_t *b, std::size_t size);

// What the change dialog makes of its three fields once the old password is judged.
enum class PasswordChange { Accept, WrongOld, EmptyNew, TooLong, Mismatch };
PasswordChange JudgePasswordChange(bool oldAccepted, const char *newPassword, const char *confirmation);
