// The fuzz targets' bodies: the parsers fed any bytes, and the properties
// that must hold whatever the bytes are. Built by the fuzz preset (clang,
// libFuzzer, sanitizers) and into the unit tests for the regression cases.
#include "tests/fuzz/fuzz_targets.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "gfxlib/bitmap_file.h"
#include "gfxlib/picture_header.h"
#include "gfxlib/pixels.h"
#include "host/command_line.h"
#include "resources/resource.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"
#include "standins/password_record.h"

namespace {

void Require(bool holds, const char *what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

// The input as a C string: what a command line or stored text would hold.
std::string AsText(const std::uint8_t *data, std::size_t size) {
    return std::string(reinterpret_cast<const char *>(data), size).c_str();
}

} // namespace

void FuzzPictureHeader(const std::uint8_t *data, std::size_t size) {
    std::uint32_t width = 0, height = 0;
    PeekDeclaredSize(data, size, &width, &height);
    const int orientation = ReadJpegOrientation(data, size);
    Require(orientation >= 1 && orientation <= 8, "orientation is 1 to 8");
}

// Pictures above this are read but not decoded here: an RLE file of a few
// bytes may declare the whole budget, and the rows are the same at any size.
constexpr std::uint64_t kMostDecodedPixels = 1u << 20;

void FuzzBitmapFile(const std::uint8_t *data, std::size_t size) {
    BitmapLayout layout;
    if (!ReadBitmapLayout(data, size, &layout)) return;
    Require(FitsPixelBudget(layout.width, layout.height), "within the pixel budget");
    Require(layout.pixelsAt <= size && layout.pixelBytes <= size - layout.pixelsAt, "pixels inside the file");
    Require(layout.bitsPerPixel > 8 || (layout.paletteCount >= 1 && layout.paletteCount <= 256), "a palette");
    if (std::uint64_t{layout.width} * layout.height > kMostDecodedPixels) return;
    std::vector<std::uint32_t> pixels(std::size_t{layout.width} * layout.height);
    DecodeBitmapPixels(data, size, layout, pixels.data());
}

namespace {

struct StoredValue {
    std::uint32_t type;
    std::vector<std::uint8_t> bytes;
};

// Values of any type and content, read through the store's rules as the
// registry side reads them.
class FuzzStore : public SettingsBackend {
public:
    std::map<std::string, StoredValue> values;

    static std::string NameOf(int id) { return "value" + std::to_string(id); }

    bool Open() override { return true; }
    void Close() override {}
    std::int32_t ReadInteger(int id, std::int32_t defaultValue) override {
        auto found = values.find(NameOf(id));
        if (found == values.end()) return defaultValue;
        const std::vector<std::uint8_t> &bytes = found->second.bytes;
        std::int32_t value = StoredInteger(found->second.type, bytes.data(), bytes.size(), defaultValue);
        // A long list is read the same as a short one; only its length costs.
        if (id == IDS_IMAGE_COUNT && value > 300 && value <= kMaxImageCount) value = 300;
        return value;
    }
    void ReadText(const char *name, char *destination, std::size_t size, const char *defaultText) override {
        auto found = values.find(name);
        if (found == values.end()) {
            if (defaultText != destination) StorePathInSlot(defaultText, destination, size);
            return;
        }
        StoredText(found->second.bytes.data(), found->second.bytes.size(), destination, size);
    }
    void ReadTextById(int id, char *destination, std::size_t size, const char *defaultText) override {
        ReadText(NameOf(id).c_str(), destination, size, defaultText);
    }
    void WriteInteger(int id, std::int32_t value) override {
        const auto v = static_cast<std::uint32_t>(value);
        values[NameOf(id)] = {kRegDword, {std::uint8_t(v), std::uint8_t(v >> 8), std::uint8_t(v >> 16), std::uint8_t(v >> 24)}};
    }
    void WriteText(const char *name, const char *text) override {
        values[name] = {1 /* REG_SZ */, std::vector<std::uint8_t>(text, text + std::strlen(text) + 1)};
    }
    void WriteTextById(int id, const char *text) override { WriteText(NameOf(id).c_str(), text); }
    void DeleteValue(const char *name) override { values.erase(name); }
    std::vector<std::string> ValueNames() override {
        std::vector<std::string> names;
        for (const auto &entry : values) names.push_back(entry.first);
        return names;
    }
};

const int kValueIds[] = {IDS_IMAGE_COUNT, IDS_FILE_DIRECTORY, IDS_DISPLAY_DURATION, IDS_IMAGE_SIZE,
                         IDS_REFRESH_SPEED, IDS_CLEAR_SCREEN, IDS_REMOVE_BITMAPS, IDS_FILTER_INDEX,
                         IDS_FADE_IN_STYLE, IDS_FADE_OUT_STYLE, IDS_STEP_SIZE, IDS_DISPLAY_TIME,
                         IDS_CENTER_PICTURE, IDS_RESTRICT_SIZE, IDS_MAX_WIDTH, IDS_MAX_HEIGHT};

// Records of (which value, type, length, bytes): the settings values and a
// few picture values, named as the store names them or nearly so.
void FillStore(const std::uint8_t *data, std::size_t size, FuzzStore *store) {
    static const char *const kOddNames[] = {"Image000001", "Image0000", "image00000", "Image-0001"};
    std::size_t at = 0;
    while (size - at >= 3) {
        const std::uint8_t which = data[at], type = data[at + 1];
        std::size_t length = data[at + 2];
        at += 3;
        if (length > size - at) length = size - at;
        std::string name;
        if (which < 16) {
            name = FuzzStore::NameOf(kValueIds[which]);
        } else if (which < 252) {
            char formatted[kImageValueNameSize];
            FormatImageValueName(which - 16, formatted);
            name = formatted;
        } else {
            name = kOddNames[which - 252];
        }
        store->values[name] = {type % 12u, std::vector<std::uint8_t>(data + at, data + at + length)};
        at += length;
    }
}

bool SameRecord(const Settings &a, const Settings &b) {
    const std::int32_t Settings::*fields[] = {
        &Settings::DisplayDuration, &Settings::ImageSize,   &Settings::RefreshSpeed, &Settings::ClearScreen,
        &Settings::RemoveBitmaps,   &Settings::FilterIndex, &Settings::FadeInStyle,  &Settings::FadeOutStyle,
        &Settings::StepSize,        &Settings::DisplayTime, &Settings::CenterPicture, &Settings::RestrictSize,
        &Settings::MaxWidth,        &Settings::MaxHeight,   &Settings::ImageCount};
    for (auto field : fields)
        if (a.*field != b.*field) return false;
    if (std::strcmp(a.FileDirectory, b.FileDirectory) != 0) return false;
    for (std::int32_t i = 0; i < a.ImageCount; ++i)
        if (std::strcmp(a.Images[i].path, b.Images[i].path) != 0) return false;
    return true;
}

void CheckRecord(const Settings &settings) {
    Require(settings.ImageCount >= 0 && (settings.ImageCount == 0) == (settings.Images == nullptr), "a list");
    Require(std::memchr(settings.FileDirectory, '\0', kFileDirectorySize) != nullptr, "directory ends");
    for (std::int32_t i = 0; i < settings.ImageCount; ++i)
        Require(std::memchr(settings.Images[i].path, '\0', kSlotSize) != nullptr, "slot ends");
}

} // namespace

void FuzzSettingsValues(const std::uint8_t *data, std::size_t size) {
    // The text rules on the input as text.
    const std::string text = AsText(data, size);
    const long long reference = std::strtoll(text.c_str(), nullptr, 10);
    const std::int32_t parsed = ParseIntegerText(text.c_str());
    Require(parsed == (reference > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                       : reference < std::numeric_limits<std::int32_t>::min() ? std::numeric_limits<std::int32_t>::min()
                                                                               : reference),
            "ParseIntegerText reads as strtoll, saturated");
    std::int32_t index = -1;
    if (ParseImageValueName(text.c_str(), &index)) {
        char name[kImageValueNameSize];
        FormatImageValueName(index, name);
        Require(index >= 0 && text == name, "a picture name is one we would write");
    }

    // A store of hostile values loads into a sound record, and a save of that
    // record loads back the same, whatever stale values were there.
    FuzzStore store;
    FillStore(data, size, &store);
    Settings loaded = {};
    LoadSettingsFrom(store, &loaded);
    CheckRecord(loaded);
    SaveSettingsTo(store, &loaded);
    Settings reloaded = {};
    std::memcpy(reloaded.FileDirectory, loaded.FileDirectory, kFileDirectorySize);
    LoadSettingsFrom(store, &reloaded);
    Require(SameRecord(loaded, reloaded), "a saved record loads back the same");
    ReleaseImages(&loaded);
    ReleaseImages(&reloaded);
}

namespace {

// CharNextA in a double-byte code page: a lead byte takes the next with it,
// unless that is the end.
const char *StepDoubleByte(const char *text) {
    const auto lead = static_cast<unsigned char>(*text);
    if (!lead) return text;
    return lead >= 0x81 && lead <= 0xFE && text[1] ? text + 2 : text + 1;
}

} // namespace

void FuzzCommandLine(const std::uint8_t *data, std::size_t size) {
    const std::string line = AsText(data, size);
    const char *begin = line.c_str(), *end = begin + line.size();
    for (CharStepFn step : {StepOneByte, StepDoubleByte}) {
        const char *arguments = SkipProgramName(begin, step);
        Require(arguments >= begin && arguments <= end, "arguments inside the line");
        const char *switchPos = FindSwitch(arguments);
        Require(switchPos >= arguments && switchPos <= end, "switch inside the line");
        const LaunchMode mode = ClassifySwitch(*switchPos);
        Require((mode == LaunchMode::Config) == (*switchPos == '\0'), "no switch means configuration");
        const char *handle = SkipSwitchLetter(switchPos);
        Require(handle >= switchPos && handle <= end, "handle inside the line");
        std::uint32_t expected = 0;
        for (const char *p = handle; *p >= '0' && *p <= '9'; ++p) expected = expected * 10u + std::uint32_t(*p - '0');
        Require(ParseWindowHandle(handle) == expected, "decimal digits modulo 2^32");
    }
}

// Derivations above this many rounds are skipped: each costs what the record
// asks for (a bounded time, measured apart), and says nothing new.
constexpr std::uint32_t kMostFuzzedIterations = 2000;

void FuzzPasswordRecord(const std::uint8_t *data, std::size_t size) {
    // First byte: the password's length; then the password; the rest is the record.
    if (size == 0) return;
    const std::size_t length = data[0] < size - 1 ? data[0] : size - 1;
    const std::string password = AsText(data + 1, length);
    const std::uint8_t *record = data + 1 + length;
    const std::size_t recordSize = size - 1 - length;
    PasswordRecordParts parts;
    const bool sound = ReadPasswordRecord(record, recordSize, &parts);
    if (sound) {
        // A check may cost at most four times the work of the records we write.
        Require(parts.iterations >= 1 && parts.iterations <= 4 * kPasswordIterations, "bounded work");
        if (parts.iterations > kMostFuzzedIterations) return;
    }
    const PasswordMatch match = CheckPassword(record, recordSize, password.c_str());
    Require((match == PasswordMatch::Damaged) == !sound, "damaged exactly when the record does not read");
    if (match == PasswordMatch::Right) Require(!password.empty(), "the empty password is never right");
}

const FuzzTarget kFuzzTargets[5] = {
    {"picture_header", FuzzPictureHeader}, {"bitmap_file", FuzzBitmapFile},
    {"settings_values", FuzzSettingsValues}, {"command_line", FuzzCommandLine},
    {"password_record", FuzzPasswordRecord},
};
