// Registry side of the stand-ins' password store. Reads never fail open: a
// value that is not exactly a record is damaged and matches nothing.
#include "standins/password_store_win.h"

#include <windows.h>
#include <ntsecapi.h>

#include "standins/password_record.h"
#include "standins/sha256.h"

namespace {
constexpr char kDesktopKey[] = "Control Panel\\Desktop";

// Reads the value into `record` (Right: a value of the record's size and type);
// one byte of room more than a record tells an oversized value from a fitting one.
StoredCheck ReadRecord(std::uint8_t (&record)[kPasswordRecordSize + 1], DWORD &size) {
    HKEY desktop = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, KEY_QUERY_VALUE, &desktop) != ERROR_SUCCESS)
        return StoredCheck::NotSet;
    DWORD type = 0;
    size = sizeof(record);
    const LONG status = RegQueryValueExA(desktop, kPasswordHashValue, nullptr, &type, record, &size);
    RegCloseKey(desktop);
    if (status == ERROR_FILE_NOT_FOUND) return StoredCheck::NotSet;
    if (status != ERROR_SUCCESS || type != REG_BINARY || size != kPasswordRecordSize)
        return StoredCheck::Damaged;
    return StoredCheck::Right;
}

StoredCheck FromMatch(PasswordMatch match) {
    switch (match) {
    case PasswordMatch::Right: return StoredCheck::Right;
    case PasswordMatch::Wrong: return StoredCheck::Wrong;
    case PasswordMatch::Damaged: break;
    }
    return StoredCheck::Damaged;
}
} // namespace

StoredState StoredPasswordState() {
    std::uint8_t record[kPasswordRecordSize + 1];
    DWORD size = 0;
    switch (ReadRecord(record, size)) {
    case StoredCheck::NotSet: return StoredState::NotSet;
    case StoredCheck::Right: break;
    default: return StoredState::Damaged;
    }
    // Checking the empty password judges the format (an impossible iteration
    // count too) without deriving anything.
    return CheckPassword(record, size, "") == PasswordMatch::Damaged ? StoredState::Damaged : StoredState::Present;
}

StoredCheck CheckStoredPassword(const char *password) {
    std::uint8_t record[kPasswordRecordSize + 1];
    DWORD size = 0;
    const StoredCheck state = ReadRecord(record, size);
    if (state != StoredCheck::Right) return state;
    return FromMatch(CheckPassword(record, size, password));
}

bool StorePassword(const char *password) {
    PasswordSalt salt;
    if (!RtlGenRandom(salt.data(), static_cast<ULONG>(salt.size()))) return false;
    PasswordRecord record = MakePasswordRecord(password, salt);
    HKEY desktop = nullptr;
    bool stored = false;
    if (RegCreateKeyExA(HKEY_CURRENT_USER, kDesktopKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &desktop,
                        nullptr) == ERROR_SUCCESS) {
        stored = RegSetValueExA(desktop, kPasswordHashValue, 0, REG_BINARY, record.data(),
                                static_cast<DWORD>(record.size())) == ERROR_SUCCESS;
        RegCloseKey(desktop);
    }
    WipeBytes(record.data(), record.size());
    return stored;
}
