// Value rules of the settings store: how stored text becomes a number, how
// picture values are named, and how big a slot array may get.
// Pure: no platform headers, so the rules are tested natively too.
#pragma once

#include <cstddef>
#include <cstdint>

// Beyond this many pictures a stored count is taken as damage, and the list
// loads empty: no allocation or registry walk is sized by a corrupt number.
constexpr std::int32_t kMaxImageCount = 100000;

// The leading decimal integer in the sense of atoi (white space, sign,
// digits), saturated at the 32-bit limits instead of overflowing.
std::int32_t ParseIntegerText(const char *text);

// A number value as the store holds it, of any registry type: a REG_DWORD
// as it is (one shorter than 4 bytes lacks its high bytes); any other type as
// text of at most kIntegerTextBytes bytes (a NUL ends it early), read with
// ParseIntegerText. A longer REG_DWORD or text is unreadable and gives the
// default; data is not read then and may be null.
constexpr std::uint32_t kRegDword = 4;
constexpr std::size_t kIntegerTextBytes = 64;
std::int32_t StoredInteger(std::uint32_t type, const std::uint8_t *data, std::size_t size, std::int32_t defaultValue);

// A text value as the store holds it, of any registry type, into a
// destination of destinationSize bytes: its text up to the first NUL, with a
// NUL (one stored without its NUL loses its last byte to it when it fills the
// destination). False, leaving the destination as it was, when the stored
// bytes do not fit.
bool StoredText(const std::uint8_t *data, std::size_t size, char *destination, std::size_t destinationSize);

// "Image%05i" for the index; the buffer holds any 32-bit index.
constexpr std::size_t kImageValueNameSize = 24;
void FormatImageValueName(std::int32_t index, char (&name)[kImageValueNameSize]);

// True when the name is one that FormatImageValueName gives for a
// non-negative index; the index is stored in *index.
bool ParseImageValueName(const char *name, std::int32_t *index);

// Bytes of a slot array for the count, or 0 when the count is negative,
// zero or beyond kMaxImageCount.
std::size_t SlotArrayBytes(std::int32_t count);

// Copies a path into a 256-byte slot; a path that does not fit is refused
// and leaves the slot empty. Returns whether the path was stored.
bool StorePathInSlot(const char *path, char *slot, std::size_t slotSize);

// Length of the text in a slot, never reading past it (at most slotSize - 1).
std::size_t SlotTextLength(const char *slot, std::size_t slotSize);
