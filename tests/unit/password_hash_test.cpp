// The stand-ins' password store arithmetic: SHA-256, HMAC and PBKDF2 against
// published vectors, the stored record, and the change dialog's verdicts.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>

#include "standins/password_record.h"
#include "standins/sha256.h"

namespace {

const std::uint8_t *Bytes(const std::string &text) { return reinterpret_cast<const std::uint8_t *>(text.data()); }

std::string Hex(const std::uint8_t *data, std::size_t size) {
    static const char digits[] = "0123456789abcdef";
    std::string out;
    for (std::size_t i = 0; i < size; ++i) {
        out += digits[data[i] >> 4];
        out += digits[data[i] & 15];
    }
    return out;
}

std::string Sha256Hex(const std::string &message, std::size_t pieceSize = 0) {
    Sha256 hash;
    if (pieceSize == 0) {
        hash.Update(Bytes(message), message.size());
    } else {
        for (std::size_t at = 0; at < message.size(); at += pieceSize)
            hash.Update(Bytes(message) + at, std::min(pieceSize, message.size() - at));
    }
    std::uint8_t digest[kSha256Size];
    hash.Finish(digest);
    return Hex(digest, sizeof(digest));
}

PasswordSalt TestSalt() {
    PasswordSalt salt;
    for (std::size_t i = 0; i < salt.size(); ++i) salt[i] = static_cast<std::uint8_t>(i * 17 + 3);
    return salt;
}

} // namespace

TEST(Sha256, PublishedVectorsAndEveryPaddingBoundary) {
    EXPECT_EQ(Sha256Hex(""), "e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855");
    EXPECT_EQ(Sha256Hex("abc"), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
    EXPECT_EQ(Sha256Hex("abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq"),
              "248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
    // Lengths around the 56-byte padding limit and the 64-byte block.
    EXPECT_EQ(Sha256Hex(std::string(55, 'a')), "9f4390f8d30c2dd92ec9f095b65e2b9ae9b0a925a5258e241c9f1e910f734318");
    EXPECT_EQ(Sha256Hex(std::string(56, 'a')), "b35439a4ac6f0948b6d6f9e3c6af0f5f590ce20f1bde7090ef7970686ec6738a");
    EXPECT_EQ(Sha256Hex(std::string(64, 'a')), "ffe054fe7ae0cb6dc65c3af9b61d5209f439851db43d0ba5997337df154668eb");
    // The same message fed in uneven pieces.
    const std::string million(1000000, 'a');
    EXPECT_EQ(Sha256Hex(million, 997), "cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    EXPECT_EQ(Sha256Hex(std::string(119, 'a'), 1), "31eba51c313a5c08226adf18d4a359cfdfd8d2e816b13f4af952f7ea6584dcfb");
}

TEST(HmacSha256, Rfc4231ShortKeyAndKeyLongerThanABlock) {
    std::uint8_t mac[kSha256Size];
    const std::string shortKey(20, '\x0b'), hiThere = "Hi There";
    HmacSha256(Bytes(shortKey), shortKey.size(), Bytes(hiThere), hiThere.size(), mac);
    EXPECT_EQ(Hex(mac, sizeof(mac)), "b0344c61d8db38535ca8afceaf0bf12b881dc200c9833da726e9376c2e32cff7");
    const std::string longKey(131, '\xaa'), text = "Test Using Larger Than Block-Size Key - Hash Key First";
    HmacSha256(Bytes(longKey), longKey.size(), Bytes(text), text.size(), mac);
    EXPECT_EQ(Hex(mac, sizeof(mac)), "60e431591ee0b67f0d8a26aacbf5b77f8e0bc6213728c5140546040f0ee37f54");
}

TEST(Pbkdf2Sha256, PublishedVectorsIncludingAnOutputOfTwoBlocks) {
    std::uint8_t out[40];
    const std::string password = "password", salt = "salt";
    Pbkdf2Sha256(Bytes(password), password.size(), Bytes(salt), salt.size(), 1, out, 32);
    EXPECT_EQ(Hex(out, 32), "120fb6cffcf8b32c43e7225256c4f837a86548c92ccc35480805987cb70be17b");
    Pbkdf2Sha256(Bytes(password), password.size(), Bytes(salt), salt.size(), 4096, out, 32);
    EXPECT_EQ(Hex(out, 32), "c5e478d59288c841aa530db6845c4c8d962893a001ce4e11a4963873aa98134a");
    const std::string longPassword = "passwordPASSWORDpassword", longSalt = "saltSALTsaltSALTsaltSALTsaltSALTsalt";
    Pbkdf2Sha256(Bytes(longPassword), longPassword.size(), Bytes(longSalt), longSalt.size(), 4096, out, 40);
    EXPECT_EQ(Hex(out, 40), "348c89dbcbd32b2f32d814b8116e84cf2b17347ebc1800181c4e2a1fb8dd53e1c635518c7dac47e9");
}

TEST(PasswordRecord, HoldsASaltedHashAndMatchesOnlyTheRightPassword) {
    const PasswordRecord record = MakePasswordRecord("open sesame", TestSalt(), 1000);
    EXPECT_EQ(std::memcmp(record.data(), "QSP1", 4), 0);
    EXPECT_EQ(record[4] | record[5] << 8 | record[6] << 16 | record[7] << 24, 1000);
    EXPECT_EQ(std::memcmp(record.data() + 8, TestSalt().data(), kPasswordSaltSize), 0);
    const std::string stored(record.begin(), record.end());
    EXPECT_EQ(stored.find("open sesame"), std::string::npos) << "never the password itself";

    EXPECT_EQ(CheckPassword(record.data(), record.size(), "open sesame"), PasswordMatch::Right);
    EXPECT_EQ(CheckPassword(record.data(), record.size(), "open sesamE"), PasswordMatch::Wrong);
    EXPECT_EQ(CheckPassword(record.data(), record.size(), "open sesame "), PasswordMatch::Wrong);
    EXPECT_EQ(CheckPassword(record.data(), record.size(), "open"), PasswordMatch::Wrong);
    EXPECT_EQ(CheckPassword(record.data(), record.size(), ""), PasswordMatch::Wrong);
    EXPECT_EQ(CheckPassword(record.data(), record.size(), nullptr), PasswordMatch::Wrong);

    // Another salt gives another hash for the same password.
    PasswordSalt otherSalt = TestSalt();
    otherSalt[0] ^= 1;
    const PasswordRecord other = MakePasswordRecord("open sesame", otherSalt, 1000);
    EXPECT_NE(std::memcmp(record.data() + 24, other.data() + 24, kPasswordHashSize), 0);
}

TEST(PasswordRecord, EmptyPasswordIsNeverRightEvenIfARecordWasMadeForIt) {
    const PasswordRecord record = MakePasswordRecord("", TestSalt(), 1);
    EXPECT_EQ(CheckPassword(record.data(), record.size(), ""), PasswordMatch::Wrong);
}

TEST(PasswordRecord, AnyRecordThatDoesNotParseExactlyIsDamagedAndMatchesNothing) {
    const PasswordRecord good = MakePasswordRecord("pw", TestSalt(), 1000);
    EXPECT_EQ(CheckPassword(good.data(), good.size() - 1, "pw"), PasswordMatch::Damaged);
    EXPECT_EQ(CheckPassword(nullptr, good.size(), "pw"), PasswordMatch::Damaged);
    PasswordRecord tag = good;
    tag[3] = '2';
    EXPECT_EQ(CheckPassword(tag.data(), tag.size(), "pw"), PasswordMatch::Damaged);
    PasswordRecord zero = good;
    zero[4] = zero[5] = zero[6] = zero[7] = 0;
    EXPECT_EQ(CheckPassword(zero.data(), zero.size(), "pw"), PasswordMatch::Damaged);
    PasswordRecord huge = good;
    huge[7] = 0xFF; // billions of iterations: damaged, not a reason to hang the prompt
    EXPECT_EQ(CheckPassword(huge.data(), huge.size(), "pw"), PasswordMatch::Damaged);
    PasswordRecord hash = good;
    hash[kPasswordRecordSize - 1] ^= 0x80;
    EXPECT_EQ(CheckPassword(hash.data(), hash.size(), "pw"), PasswordMatch::Wrong);
    // A password longer than the dialogs allow is never right.
    const std::string longest(kMaxPasswordLength, 'x');
    const PasswordRecord longRecord = MakePasswordRecord(longest.c_str(), TestSalt(), 10);
    EXPECT_EQ(CheckPassword(longRecord.data(), longRecord.size(), longest.c_str()), PasswordMatch::Right);
    const PasswordRecord tooLong = MakePasswordRecord((longest + "x").c_str(), TestSalt(), 10);
    EXPECT_EQ(CheckPassword(tooLong.data(), tooLong.size(), (longest + "x").c_str()), PasswordMatch::Wrong);
}

TEST(JudgePasswordChange, OldFirstThenEmptyLengthAndConfirmation) {
    EXPECT_EQ(JudgePasswordChange(false, "new", "new"), PasswordChange::WrongOld);
    EXPECT_EQ(JudgePasswordChange(false, "", "x"), PasswordChange::WrongOld);
    EXPECT_EQ(JudgePasswordChange(true, "", ""), PasswordChange::EmptyNew);
    const std::string tooLong(kMaxPasswordLength + 1, 'x');
    EXPECT_EQ(JudgePasswordChange(true, tooLong.c_str(), tooLong.c_str()), PasswordChange::TooLong);
    EXPECT_EQ(JudgePasswordChange(true, "new", "New"), PasswordChange::Mismatch);
    EXPECT_EQ(JudgePasswordChange(true, "new", ""), PasswordChange::Mismatch);
    EXPECT_EQ(JudgePasswordChange(true, "new", "new"), PasswordChange::Accept);
}
