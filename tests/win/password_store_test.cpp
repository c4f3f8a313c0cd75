// The password setting as the saver reads it, the stand-ins' shared store, and
// the stand-in DLLs' refusals, against the real registry API with
// HKEY_CURRENT_USER redirected to a scratch key.
#include <gtest/gtest.h>

#include <memory>

#include <windows.h>

#include <string>

#include "host/password.h"
#include "standins/password_record.h"
#include "standins/password_store_win.h"
#include "tests/support/scratch_hive.h"

namespace {

constexpr char kDesktop[] = "Control Panel\\Desktop";

LRESULT CALLBACK RefuseWindowCreation(int code, WPARAM, LPARAM) { return code == HCBT_CREATEWND ? 1 : 0; }

class PasswordStore : public testing::Test {
protected:
    void SetUp() override {
        hive_ = std::make_unique<ScratchHive>(testing::UnitTest::GetInstance()->current_test_info()->name());
        ASSERT_TRUE(hive_->Ready());
        scratch_ = hive_->Key();
    }
    void TearDown() override {
        hive_.reset();
    }

    void Put(const char *name, DWORD type, const void *data, DWORD size) {
        ASSERT_EQ(RegSetKeyValueA(scratch_, kDesktop, name, type, data, size), ERROR_SUCCESS);
    }
    void PutDword(const char *name, DWORD value) { Put(name, REG_DWORD, &value, sizeof(value)); }
    std::string Stored() {
        char data[256];
        DWORD size = sizeof(data);
        if (RegGetValueA(scratch_, kDesktop, kPasswordHashValue, RRF_RT_REG_BINARY, nullptr, data, &size) !=
            ERROR_SUCCESS)
            return "";
        return std::string(data, size);
    }

    static std::string StandinPath(const char *fileName) {
        char path[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, path, MAX_PATH);
        std::string bin(path);
        return bin.substr(0, bin.rfind('\\')) + "\\..\\standins\\" + fileName;
    }

    std::unique_ptr<ScratchHive> hive_;
    HKEY scratch_ = nullptr;
};

} // namespace

TEST_F(PasswordStore, UsePasswordIsReadAsFourBytesOfAnyType) {
    EXPECT_FALSE(PasswordRequiredSetting()) << "no desktop key";
    PutDword("Other", 1);
    EXPECT_FALSE(PasswordRequiredSetting()) << "no value";
    PutDword("ScreenSaveUsePassword", 0);
    EXPECT_FALSE(PasswordRequiredSetting());
    PutDword("ScreenSaveUsePassword", 1);
    EXPECT_TRUE(PasswordRequiredSetting());
    const BYTE one = 1;
    Put("ScreenSaveUsePassword", REG_BINARY, &one, 1); // short: missing high bytes are 0
    EXPECT_TRUE(PasswordRequiredSetting());
    const BYTE zero = 0;
    Put("ScreenSaveUsePassword", REG_BINARY, &zero, 1);
    EXPECT_FALSE(PasswordRequiredSetting());
    Put("ScreenSaveUsePassword", REG_SZ, "0", 2); // type not looked at: the bytes "0\0" are not 0
    EXPECT_TRUE(PasswordRequiredSetting());
    const unsigned long long wide = 1;
    Put("ScreenSaveUsePassword", REG_QWORD, &wide, sizeof(wide)); // longer than 4 bytes: the read fails
    EXPECT_FALSE(PasswordRequiredSetting());
}

TEST_F(PasswordStore, StoresASaltedHashThatOnlyTheRightPasswordMatches) {
    EXPECT_EQ(StoredPasswordState(), StoredState::NotSet);
    EXPECT_EQ(CheckStoredPassword("anything"), StoredCheck::NotSet);

    ASSERT_TRUE(StorePassword("Correct Horse"));
    EXPECT_EQ(StoredPasswordState(), StoredState::Present);
    EXPECT_EQ(CheckStoredPassword("Correct Horse"), StoredCheck::Right);
    EXPECT_EQ(CheckStoredPassword("correct horse"), StoredCheck::Wrong);
    EXPECT_EQ(CheckStoredPassword(""), StoredCheck::Wrong);
    const std::string first = Stored();
    ASSERT_EQ(first.size(), kPasswordRecordSize);
    EXPECT_EQ(first.find("Correct Horse"), std::string::npos);

    // The same password again gets a fresh salt, hence another record.
    ASSERT_TRUE(StorePassword("Correct Horse"));
    EXPECT_NE(Stored().substr(8, kPasswordSaltSize), first.substr(8, kPasswordSaltSize));
    EXPECT_EQ(CheckStoredPassword("Correct Horse"), StoredCheck::Right);
}

TEST_F(PasswordStore, ValuesThatAreNotExactlyARecordAreDamaged) {
    ASSERT_TRUE(StorePassword("pw"));
    const std::string good = Stored();
    struct Case {
        const char *name;
        DWORD type;
        std::string data;
    };
    const Case cases[] = {
        {"string", REG_SZ, "pw"},
        {"short", REG_BINARY, good.substr(0, good.size() - 1)},
        {"long", REG_BINARY, good + "x"},
        {"empty", REG_BINARY, ""},
        {"dword type", REG_DWORD, good},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        Put(kPasswordHashValue, c.type, c.data.data(), static_cast<DWORD>(c.data.size()));
        EXPECT_EQ(StoredPasswordState(), StoredState::Damaged);
        EXPECT_EQ(CheckStoredPassword("pw"), StoredCheck::Damaged);
    }
}

TEST_F(PasswordStore, StandinsRefuseWhatTheyCannotAsk) {
    ASSERT_TRUE(StorePassword("pw"));
    HMODULE cpl = LoadLibraryA(StandinPath("PASSWORD.CPL").c_str());
    ASSERT_NE(cpl, nullptr);
    using Verify = BOOL(WINAPI *)(HWND);
    auto verify = reinterpret_cast<Verify>(reinterpret_cast<void *>(GetProcAddress(cpl, "VerifyScreenSavePwd")));
    ASSERT_NE(verify, nullptr);
    // A prompt that cannot open must not let the saver close: with no such
    // owner the platform answers 0, when the window cannot be made it answers -1.
    EXPECT_FALSE(verify(reinterpret_cast<HWND>(static_cast<UINT_PTR>(0xDEAD0))));
    HWND owner = CreateWindowExA(0, "STATIC", "owner", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    HHOOK refuseWindows = SetWindowsHookExA(WH_CBT, RefuseWindowCreation, nullptr, GetCurrentThreadId());
    ASSERT_NE(refuseWindows, nullptr);
    EXPECT_FALSE(verify(owner));
    UnhookWindowsHookEx(refuseWindows);
    DestroyWindow(owner);
    FreeLibrary(cpl);

    // Under its own name Wine would hand out its builtin MPR.DLL instead.
    char temp[MAX_PATH] = "";
    GetTempPathA(MAX_PATH, temp);
    const std::string copy = std::string(temp) + "quillomir_standin_mpr.dll";
    ASSERT_TRUE(CopyFileA(StandinPath("MPR.DLL").c_str(), copy.c_str(), FALSE));
    HMODULE mpr = LoadLibraryA(copy.c_str());
    ASSERT_NE(mpr, nullptr);
    using Change = DWORD(WINAPI *)(LPCSTR, HWND, DWORD, LPVOID);
    auto change = reinterpret_cast<Change>(reinterpret_cast<void *>(GetProcAddress(mpr, "PwdChangePasswordA")));
    ASSERT_NE(change, nullptr);
    // Only the screen-saver provider is served; nothing is shown for another.
    EXPECT_EQ(change("NETWARE", nullptr, 0, nullptr), static_cast<DWORD>(ERROR_BAD_PROVIDER));
    EXPECT_EQ(change(nullptr, nullptr, 0, nullptr), static_cast<DWORD>(ERROR_BAD_PROVIDER));
    FreeLibrary(mpr);
    DeleteFileA(copy.c_str());
    EXPECT_EQ(CheckStoredPassword("pw"), StoredCheck::Right) << "the stored password is untouched";
}
