// The stand-ins' password store arithmetic: SHA-256, HMAC and PBKDF2 against
// known vectors, the stored record, and the change dialog's verdicts.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>

#include "standins/password_record.h"
#include "standins/sha256.h"

namespace {
const std::uint8_t *Bytes(const std::string &text) { return reinterpret_cast<const std::uint8_t *>(text.data()); }

std::string Hex(const std::uint8_t *data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) out += {digits[data[i] >> 4], digits[data[i] & 15]};
    return out;
}

// Checks a password against a record made for another, with the bits of one byte flipped.
PasswordMatch Match(const std::string &made, const char *given, std::size_t at = 0, std::uint8_t bits = 0) {
    PasswordRecord record = MakePasswordRecord(made.c_str(), PasswordSalt{3}, 1);
    record[at] ^= bits;
    return CheckPassword(record.data(), record.size(), given);
}
} // namespace

TEST(Sha256, PublishedVectorsAroundThePaddingAndInUnevenPieces) {
    const std::tuple<std::string, std::size_t, const char *> cases[] = {
        {std::string(55, 'a'), 55, "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318"},
        {std::string(56, 'a'), 1, "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a"},
        {std::string(1000000, 'a'), 997, "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0"},
    };
    for (const auto &[message, piece, expected] : cases) {
        Sha256 hash;
        for (std::size_t at = 0; at < message.size(); at += piece)
            hash.Update(Bytes(message) + at, std::min(piece, message.size() - at));
        std::uint8_t digest[kSha256Size];
        hash.Finish(digest);
        EXPECT_EQ(Hex(digest, sizeof(digest)), expected) << message.size() << " bytes";
    }
}

TEST(Pbkdf2Sha256, KnownVectorsWithKeysOfOneBlockAndMoreAndAnOutputOfTwoBlocks) {
    std::uint8_t mac[kSha256Size], out[40];
    const std::string longKey(131, '\xaa'), text = "Test Using Larger Than Block-Size Key - Hash Key First";
    HmacSha256(Bytes(longKey), longKey.size(), Bytes(text), text.size(), mac);
    EXPECT_EQ(Hex(mac, 32), "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
    // A password of exactly one block is used as the key itself (value from Python's hashlib).
    Pbkdf2Sha256(Bytes(std::string(64, 'p')), 64, Bytes("salt"), 4, 1, out, 32);
    EXPECT_EQ(Hex(out, 32), "d1d306c1a14915a576daa5c6cb95bc51748710f21b0c123d03be171714af38d8");
    const std::string password = "passwordPASSWORDpassword", salt = "saltSALTsaltSALTsaltSALTsaltSALTsalt";
    Pbkdf2Sha256(Bytes(password), password.size(), Bytes(salt), salt.size(), 4096, out, 40);
    EXPECT_EQ(Hex(out, 40), "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9");
}

TEST(PasswordRecord, MatchesOnlyTheRightPasswordAndNothingWhenDamaged) {
    const PasswordRecord record = MakePasswordRecord("open sesame", PasswordSalt{3}, 1);
    const std::string bytes(record.begin(), record.end());
    EXPECT_EQ(bytes.substr(0, 9), std::string("QSP1\x01\0\0\0\x03", 9)) << "tag, iterations, salt";
    EXPECT_EQ(bytes.find("open sesame"), std::string::npos) << "never the password itself";
    EXPECT_EQ(CheckPassword(record.data(), record.size() - 1, "open sesame"), PasswordMatch::Damaged);
    const std::string longest(kMaxPasswordLength, 'x');
    EXPECT_EQ(Match(longest, longest.c_str()), PasswordMatch::Right) << "the longest the dialogs take";
    EXPECT_EQ(Match("open sesame", "open sesame"), PasswordMatch::Right);
    EXPECT_EQ(Match("a", "b"), PasswordMatch::Wrong) << "a one-byte key still counts";
    for (const char *wrong : {"open sesamE", "open sesame ", "open", ""})
        EXPECT_EQ(Match("open sesame", wrong), PasswordMatch::Wrong) << wrong;
    EXPECT_EQ(Match("", ""), PasswordMatch::Wrong) << "the empty password is never right";
    EXPECT_EQ(Match("open sesame", "open sesame", kPasswordRecordSize - 1, 0x80), PasswordMatch::Wrong);
    EXPECT_EQ(Match("open sesame", "open sesame", 3, 1), PasswordMatch::Damaged) << "another tag";
    EXPECT_EQ(Match("open sesame", "open sesame", 4, 1), PasswordMatch::Damaged) << "no iterations";
    EXPECT_EQ(Match("open sesame", "open sesame", 7, 0xFF), PasswordMatch::Damaged)
        << "billions: not worth a hang";
}

TEST(JudgePasswordChange, OldFirstThenEmptyThenConfirmation) {
    EXPECT_EQ(JudgePasswordChange(false, "", "x"), PasswordChange::WrongOld);
    EXPECT_EQ(JudgePasswordChange(true, "", ""), PasswordChange::EmptyNew);
    EXPECT_EQ(JudgePasswordChange(true, "new", "New"), PasswordChange::Mismatch);
    EXPECT_EQ(JudgePasswordChange(true, "new", "new"), PasswordChange::Accept);
    const std::string longest(kMaxPasswordLength, 'x'), over = longest + "x"; // the dialogs take the longest
    EXPECT_EQ(JudgePasswordChange(true, longest.c_str(), longest.c_str()), PasswordChange::Accept);
    EXPECT_EQ(JudgePasswordChange(true, over.c_str(), over.c_str()), PasswordChange::TooLong);
}
