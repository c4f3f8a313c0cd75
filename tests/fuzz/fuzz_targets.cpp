// The fuzz targets' bodies: the parsers fed any bytes, and what must hold
// whatever the bytes are. Built by the fuzz preset and into the unit tests.
#include "tests/fuzz/fuzz_targets.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <utility>
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

// Values of any type, read through the store's rules as the registry side
// reads them; every change logged; a process that may die after any change.
class MemoryStore : public SettingsBackend {
public:
    using Value = std::pair<std::uint32_t, std::string>; // registry type, bytes
    std::map<std::string, Value> values;
    std::vector<std::string> log;
    int changesLeft = -1;

    static std::string NameOf(int id) {
        for (const StoredField &f : kStoredFields)
            if (f.id == id) return f.name;
        return id == IDS_IMAGE_COUNT ? "ImageCount" : "FileDirectory";
    }
    bool Open() override { return true; }
    void Close() override {}
    std::int32_t ReadInteger(int id, std::int32_t defaultValue) override {
        auto v = values.find(NameOf(id));
        const std::int32_t n = v == values.end() ? defaultValue
                                                 : StoredInteger(v->second.first, Data(v->second),
                                                                 v->second.second.size(), defaultValue);
        return id == IDS_IMAGE_COUNT && n > 16 && n <= kMaxImageCount ? 16
                                                                      : n; // long lists read as short ones would
    }
    // A missing text keeps what the destination holds: the store passes it as the default.
    void ReadText(const char *name, char *to, std::size_t size, const char *) override {
        auto v = values.find(name);
        if (v != values.end()) StoredText(Data(v->second), v->second.second.size(), to, size);
    }
    void ReadTextById(int id, char *to, std::size_t size, const char *defaultText) override {
        ReadText(NameOf(id).c_str(), to, size, defaultText);
    }
    void WriteInteger(int id, std::int32_t value) override {
        Change("set ", NameOf(id), {kRegDword, std::string(reinterpret_cast<const char *>(&value), 4)});
    }
    void WriteText(const char *name, const char *text) override {
        Change("set ", name, {1, std::string(text) + '\0'});
    }
    void WriteTextById(int id, const char *text) override { WriteText(NameOf(id).c_str(), text); }
    void DeleteValue(const char *name) override { Change("delete ", name, {}); }
    std::vector<std::string> ValueNames() override {
        std::vector<std::string> names;
        for (const auto &value : values) names.push_back(value.first);
        return names;
    }

private:
    static const std::uint8_t *Data(const Value &v) {
        return reinterpret_cast<const std::uint8_t *>(v.second.data());
    }
    void Change(const std::string &what, const std::string &name, const Value &value) {
        if (changesLeft == 0) return;
        if (changesLeft > 0) --changesLeft;
        log.push_back(what + name);
        if (what == "set ")
            values[name] = value;
        else
            values.erase(name);
    }
};

// Records of (which value, type, length, bytes): the options, some pictures and names nearly like theirs.
MemoryStore StoreOf(const std::uint8_t *data, std::size_t size) {
    static const char *const kOdd[] = {"Image000001", "Image0000", "image00000", "Image-0001"};
    MemoryStore store;
    for (std::size_t at = 0; size - at >= 3 && data[at + 2] <= size - at - 3; at += 3 + data[at + 2]) {
        char name[kImageValueNameSize];
        FormatImageValueName(data[at] - 16, name);
        store.values[data[at] == 0    ? "ImageCount"
                     : data[at] == 1  ? "FileDirectory"
                     : data[at] < 16  ? kStoredFields[data[at] - 2].name
                     : data[at] < 252 ? name
                                      : kOdd[data[at] - 252]] = {
            data[at + 1] % 12u, std::string(reinterpret_cast<const char *>(data) + at + 3, data[at + 2])};
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
    Settings old = {}, fresh = {};
    LoadSettingsFrom(store, &old);
    for (const StoredField &f : kStoredFields)
        Require(store.values.count(f.name) || old.*f.field == f.defaultValue,
                "a missing option takes its default");
    // A save of another list, as long as the last byte says (mod 8), cut short after any change: the list then
    // loaded has the old or the new length, with pictures of those lists only, each in its place. Once the save
    // ended: the options written in their order, then the folder; the new list; and saving that changes nothing.
    fresh = old;
    fresh.ImageCount = size ? data[size - 1] % 8 : 0;
    fresh.Images = static_cast<PictureSlot *>(std::calloc(fresh.ImageCount + 1, sizeof(PictureSlot)));
    for (std::int32_t i = 0; i < fresh.ImageCount; ++i)
        std::snprintf(fresh.Images[i].path, kSlotSize, "new%d", int(i));
    std::vector<std::string> order;
    for (const StoredField &f : kStoredFields) order.push_back(std::string("set ") + f.name);
    order.push_back("set FileDirectory");
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
        if (store.changesLeft > 0) { // the save ended
            Require(std::equal(order.begin(), order.end(), store.log.begin()), "the options in their order");
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
        const char *arguments = SkipProgramName(begin, step);
        Require(begin <= arguments && arguments <= end, "the arguments inside the line");
        const char *letter = FindSwitch(arguments);
        Require(arguments <= letter && letter <= end, "the switch inside them");
        const char *handle = SkipSwitchLetter(letter);
        Require(letter <= handle && handle <= end, "the handle behind it");
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
