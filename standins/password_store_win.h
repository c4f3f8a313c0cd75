// The one password store that both stand-ins share: a salted hash in the
// user's "Control Panel\Desktop" key, next to "ScreenSaveUsePassword".
#pragma once

// REG_BINARY value holding the record of password_record.h.
constexpr char kPasswordHashValue[] = "ScreenSavePasswordHash";

enum class StoredState { NotSet, Present, Damaged };
enum class StoredCheck { NotSet, Right, Wrong, Damaged };

// Whether a record is stored, and whether it is readable.
StoredState StoredPasswordState();

// Checks the password against the stored record.
StoredCheck CheckStoredPassword(const char *password);

// Stores a fresh record with a new random salt; false when nothing was stored.
bool StorePassword(const char *password);
