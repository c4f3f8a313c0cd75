// Settings value rules. Counting and parsing use 64-bit or unsigned
// intermediates so no stored value can overflow a signed 32-bit number.
#include "settings/settings_rules.h"

#include <cstdio>
#include <cstring>
#include <limits>

std::int32_t ParseIntegerText(const char *text) {
    const char *p = text;
    while (*p == ' ' || (*p >= '\t' && *p <= '\r')) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    const std::int64_t limit = negative ? -std::int64_t{std::numeric_limits<std::int32_t>::min()}
                                        : std::int64_t{std::numeric_limits<std::int32_t>::max()};
    std::int64_t value = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
        value = value * 10 + (*p - '0');
        if (value > limit) value = limit; // saturate, keep consuming digits
    }
    return static_cast<std::int32_t>(negative ? -value : value);
}

std::int32_t StoredInteger(std::uint32_t type, const std::uint8_t *data, std::size_t size, std::int32_t defaultValue) {
    if (type == kRegDword) {
        if (size > 4) return defaultValue;
        std::uint32_t value = 0; // a short one lacks its high bytes
        for (std::size_t i = 0; i < size; ++i) value |= std::uint32_t{data[i]} << (8 * i);
        return static_cast<std::int32_t>(value);
    }
    if (size > kIntegerTextBytes) return defaultValue;
    char text[kIntegerTextBytes + 1] = {};
    if (size > 0) std::memcpy(text, data, size);
    return ParseIntegerText(text);
}

bool StoredText(const std::uint8_t *data, std::size_t size, char *destination, std::size_t destinationSize) {
    if (size > destinationSize) return false;
    const void *nul = size > 0 ? std::memchr(data, '\0', size) : nullptr;
    std::size_t length = nul ? static_cast<std::size_t>(static_cast<const std::uint8_t *>(nul) - data) : size;
    if (destinationSize == 0) return false;
    if (length >= destinationSize) length = destinationSize - 1; // stored without its NUL: the last byte makes room
    if (length > 0) std::memcpy(destination, data, length);
    destination[length] = '\0';
    return true;
}

void FormatImageValueName(std::int32_t index, char (&name)[kImageValueNameSize]) {
    std::snprintf(name, sizeof(name), "Image%05i", static_cast<int>(index));
}

bool ParseImageValueName(const char *name, std::int32_t *index) {
    static const char kPrefix[] = "Image";
    if (std::strncmp(name, kPrefix, sizeof(kPrefix) - 1) != 0) return false;
    const char *digits = name + sizeof(kPrefix) - 1;
    std::size_t count = 0;
    std::int64_t value = 0;
    for (const char *p = digits; *p; ++p, ++count) {
        if (*p < '0' || *p > '9' || count >= 10) return false;
        value = value * 10 + (*p - '0');
    }
    if (count < 5 || value > std::numeric_limits<std::int32_t>::max()) return false;
    char canonical[kImageValueNameSize];
    FormatImageValueName(static_cast<std::int32_t>(value), canonical);
    if (std::strcmp(canonical, name) != 0) return false; // "Image000001" is not ours
    *index = static_cast<std::int32_t>(value);
    return true;
}

std::size_t SlotArrayBytes(std::int32_t count) {
    if (count <= 0 || count > kMaxImageCount) return 0;
    return static_cast<std::size_t>(count) * 256u;
}

bool StorePathInSlot(const char *path, char *slot, std::size_t slotSize) {
    const std::size_t length = std::strlen(path);
    if (slotSize == 0) return false;
    if (length >= slotSize) {
        slot[0] = '\0';
        return false;
    }
    std::memcpy(slot, path, length + 1);
    return true;
}

std::size_t SlotTextLength(const char *slot, std::size_t slotSize) {
    if (slotSize == 0) return 0;
    const void *end = std::memchr(slot, '\0', slotSize);
    return end ? static_cast<std::size_t>(static_cast<const char *>(end) - slot) : slotSize - 1;
}
