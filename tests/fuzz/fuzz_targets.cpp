// The fuzz targets' bodies: the parsers fed any bytes, and what must hold
// whatever the bytes are. Built by the fuzz preset and into the unit tests.
#include "tests/fuzz/fuzz_targets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "gfxlib/bitmap_file.h"
#include "gfxlib/picture_header.h"
#include "gfxlib/pixels.h"
#include "host/command_line.h"
#include "settings/settings_rules.h"
#include "settings/settings_store.h"
#include "standins/password_record.h"
#include "tests/support/stored_settings.h"

namespace {

void Require(bool holds, const char *what) {
    if (holds) return;
    std::fprintf(stderr, "fuzz property broken: %s\n", what);
    std::abort();
}

// The input as a C string: what a command line or a stored text would hold.
std::string AsText(const std::uint8_t *data, std::size_t size) {
    return std::string(reinterpret_cast<const char *>(data), size).c_str();
}

// CharNextA in a double-byte code page: a lead byte takes the next along, unless that is the end.
const char *StepDoubleByte(const char *text) {
    const auto lead = static_cast<unsigned char>(*text);
    return text + (lead == 0 ? 0 : lead >= 0x81 && lead <= 0xFE && text[1] ? 2 : 1);
}

const std::uint8_t *U8(const std::string &s) { return reinterpret_cast<const std::uint8_t *>(s.data()); }

// Values by name, each its registry type (first byte) and bytes, read through the store's rules as the
// registry side reads them; every change logged; a process that may die after any of them. Options are named
// by their string ids. A missing text keeps what the destination holds: the store passes that as the default.
class MemoryStore : public SettingsBackend {
public:
    std::map<std::string, std::string> values;
    std::vector<std::string> log; // "set name" or "delete name"
    int changesLeft = -1;         // changes made before the process dies; -1: all

    static std::string NameOf(int id) { return "#" + std::to_string(id); }
    bool Open() override { return true; }
    void Close() override {}
    std::int32_t ReadInteger(int id, std::int32_t d) override {
        const auto v = values.find(NameOf(id));
        const std::int32_t n =
            v == values.end() ? d : StoredInteger(v->second[0], U8(v->second) + 1, v->second.size() - 1, d);
        return id == IDS_IMAGE_COUNT && n > 16 && n <= kMaxImageCount ? 16 : n; // a long list reads as a short one
    }
    void ReadText(const char *name, char *to, std::size_t n, const char *) override {
        const auto v = values.find(name);
        if (v != values.end()) StoredText(U8(v->second) + 1, v->second.size() - 1, to, n);
    }
    void ReadTextById(int id, char *to, std::size_t n, const char *) override {
        ReadText(NameOf(id).c_str(), to, n, to);
    }
    void WriteInteger(int id, std::int32_t n) override { Set(NameOf(id), kRegDword, &n, 4); }
    void WriteText(const char *name, const char *text) override { Set(name, 1, text, std::strlen(text) + 1); }
    void WriteTextById(int id, const char *text) override { WriteText(NameOf(id).c_str(), text); }
    void DeleteValue(const char *name) override { Set(name, 0, nullptr, 0); }
    std::vector<std::string> ValueNames() override {
        std::vector<std::string> names;
        for (const auto &value : values) names.push_back(value.first);
        return names;
    }

private:
    void Set(const std::string &name, char type, const void *data, std::size_t size) {
        if (changesLeft == 0) return;
        if (changesLeft > 0) --changesLeft;
        log.push_back((data ? "set " : "delete ") + name);
        values.erase(name);
        if (data) values[name] = type + std::string(static_cast<const char *>(data), size);
    }
};

// Records of (which value, type, length, bytes): ImageCount, FileDirectory, the options, then pictures.
MemoryStore StoreOf(const std::uint8_t *data, std::size_t size) {
    MemoryStore store;
    for (std::size_t at = 0; size - at >= 3 && data[at + 2] <= size - at - 3; at += 3 + data[at + 2]) {
        char name[kImageValueNameSize];
        FormatImageValueName((data[at] - 16) % 32, name); // pictures 0 to 31: the store reads 16 at most
        const int id = data[at] < 2    ? (data[at] ? IDS_FILE_DIRECTORY : IDS_IMAGE_COUNT)
                       : data[at] < 16 ? kStoredFields[data[at] - 2].id
                                       : 0;
        store.values[id ? MemoryStore::NameOf(id) : name] =
            char(data[at + 1] % 12) + std::string(reinterpret_cast<const char *>(data) + at + 3, data[at + 2]);
    }
    return store;
}

std::vector<std::string> List(const Settings &settings) {
    std::vector<std::string> paths;
    for (std::int32_t i = 0; i < settings.ImageCount; ++i) paths.push_back(settings.Images[i].path);
    return paths;
}

} // namespace

void FuzzPictureHeader(const std::uint8_t *data, std::size_t size) {
    std::uint32_t width = 0, height = 0;
    PeekDeclaredSize(data, size, &width, &height);
    const int orientation = ReadJpegOrientation(data, size);
    Require(orientation >= 1 && orientation <= 8, "orientation is 1 to 8");
}

void FuzzBitmapFile(const std::uint8_t *data, std::size_t size) {
    BitmapLayout layout;
    if (!ReadBitmapLayout(data, size, &layout)) return;
    Require(FitsPixelBudget(layout.width, layout.height), "within the pixel budget");
    Require(layout.pixelsAt <= size && layout.pixelBytes <= size - layout.pixelsAt, "pixels inside the file");
    Require(layout.bitsPerPixel > 8 || (layout.paletteCount >= 1 && layout.paletteCount <= 256), "a palette");
    if (std::uint64_t{layout.width} * layout.height > (1u << 20)) return; // a few bytes of RLE may declare lots
    std::vector<std::uint32_t> pixels(std::size_t{layout.width} * layout.height);
    DecodeBitmapPixels(data, size, layout, pixels.data());
}

void FuzzSettingsValues(const std::uint8_t *data, std::size_t size) {
    const std::string text = AsText(data, size);
    const long long number = std::clamp(std::strtoll(text.c_str(), nullptr, 10), -2147483648LL, 2147483647LL);
    Require(ParseIntegerText(text.c_str()) == number, "a number as text reads as strtoll does, saturated");
    char name[kImageValueNameSize];
    std::int32_t index = -1;
    if (ParseImageValueName(text.c_str(), &index)) FormatImageValueName(index, name);
    Require(index == -1 || text == name, "a picture value name is one we write");
    FormatImageValueName(std::int32_t(std::max(0LL, number)), name);
    Require(ParseImageValueName(name, &index) && index == std::max(0LL, number), "and each we write reads back");

    const MemoryStore stored = StoreOf(data, size);
    MemoryStore store = stored;
    Settings old = {};
    LoadSettingsFrom(store, &old);
    for (const StoredField &f : kStoredFields)
        Require(store.values.count(MemoryStore::NameOf(f.id)) || old.*f.field == f.defaultValue,
                "a missing option: its default");
    // A save of another list (the last byte says how long) cut short after any change: the list loaded has the
    // old or new length, pictures of those lists only, each in its place; once the save ended, the new list.
    Settings fresh = old;
    fresh.ImageCount = size ? data[size - 1] % 8 : 0;
    fresh.Images = static_cast<PictureSlot *>(std::calloc(fresh.ImageCount + 1, sizeof(PictureSlot)));
    for (std::int32_t i = 0; i < fresh.ImageCount; ++i)
        std::snprintf(fresh.Images[i].path, kSlotSize, "new%d", int(i));
    const std::vector<std::string> oldList = List(old), newList = List(fresh);
    for (int cut = 0; store.changesLeft <= 0; ++cut) {
        store = stored;
        store.changesLeft = cut;
        SaveSettingsTo(store, &fresh);
        Settings loaded = {};
        LoadSettingsFrom(store, &loaded);
        const std::vector<std::string> list = List(loaded);
        Require(list.size() == oldList.size() || list.size() == newList.size(), "the old or the new length");
        for (std::size_t i = 0; i < list.size(); ++i)
            Require((i < oldList.size() && list[i] == oldList[i]) || (i < newList.size() && list[i] == newList[i]),
                    "pictures of the old or the new list, each in its place");
        for (std::size_t i = 0; store.changesLeft > 0 && i <= std::size(kStoredFields); ++i)
            Require(store.log[i] ==
                        "set " + MemoryStore::NameOf(i < 14 ? kStoredFields[i].id : IDS_FILE_DIRECTORY),
                    "the options in their order, then the folder");
        if (store.changesLeft > 0) { // the save ended
            Require(list == newList, "the new list once the save ended");
            const auto saved = store.values;
            SaveSettingsTo(store, &loaded);
            Require(store.values == saved, "a saved record loads back the same");
        }
        ReleaseImages(&loaded);
    }
    ReleaseImages(&old);
    ReleaseImages(&fresh);
}

void FuzzCommandLine(const std::uint8_t *data, std::size_t size) {
    const std::string line = AsText(data, size);
    const char *begin = line.c_str(), *end = begin + line.size();
    for (CharStepFn step : {StepOneByte, StepDoubleByte}) {
        const char *arguments = SkipProgramName(begin, step), *letter = FindSwitch(arguments);
        const char *handle = SkipSwitchLetter(letter);
        Require(begin <= arguments && arguments <= letter && letter <= handle && handle <= end, "inside the line");
        Require((ClassifySwitch(*letter) == LaunchMode::Config) == !*letter, "no switch means configuration");
        std::uint32_t expected = 0;
        for (const char *p = handle; *p >= '0' && *p <= '9'; ++p)
            expected = expected * 10u + std::uint32_t(*p - '0');
        Require(ParseWindowHandle(handle) == expected, "decimal digits modulo 2^32");
    }
}

// The first byte is the password's length, then the password, then the record.
void FuzzPasswordRecord(const std::uint8_t *data, std::size_t size) {
    if (size == 0) return;
    const std::size_t length = std::min<std::size_t>(data[0], size - 1);
    const std::string password = AsText(data + 1, length);
    PasswordRecordParts parts;
    const bool sound = ReadPasswordRecord(data + 1 + length, size - 1 - length, &parts);
    Require(!sound || (parts.iterations >= 1 && parts.iterations <= 4 * kPasswordIterations), "bounded work");
    if (sound && parts.iterations > 2000) return; // costs what it asks; says nothing new
    const PasswordMatch match = CheckPassword(data + 1 + length, size - 1 - length, password.c_str());
    Require((match == PasswordMatch::Damaged) == !sound, "damaged exactly when the record does not read");
    Require(match != PasswordMatch::Right || !password.empty(), "the empty password is never right");
}

const FuzzTarget kFuzzTargets[5] = {{"picture_header", FuzzPictureHeader},
                                    {"bitmap_file", FuzzBitmapFile},
                                    {"settings_values", FuzzSettingsValues},
                                    {"command_line", FuzzCommandLine},
                                    {"password_record", FuzzPasswordRecord}};
