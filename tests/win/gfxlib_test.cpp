// gfxlib.dll as any program sees it: its two undecorated exports, decoding of
// the shipped corpus (every format and variant, checked by size and known
// pixels), bad input refused with nothing left behind, the caller's COM state
// kept, and DrawBitmap painting at the bitmap's own size.
#include <windows.h>
#include <objbase.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "picture_loader/picture_loader.h"
#include "tests/support/e2e.h"
#include "tests/support/gdi_probe.h"
#include "tests/support/test_files.h"

namespace {

constexpr std::uint32_t kRed = 0xFF0000, kGreen = 0x00FF00, kBlue = 0x0000FF, kWhite = 0xFFFFFF,
                        kBlack = 0x000000;

std::string CorpusPath(const char *name) { return e2e::BinPath("testdata\\gfxlib\\") + name; }


// One call of LoadFileGraphic; owns the triple it returns.
struct Load {
    explicit Load(const std::string &path, int flag = 0, HDC dc = nullptr) {
        // Junk in the outputs shows whether a failure clears them.
        size = SIZE{-7, -7};
        palette = reinterpret_cast<HPALETTE>(0x1234);
        bitmap = reinterpret_cast<HBITMAP>(0x5678);
        result = LoadFileGraphic(dc, path.c_str(), &size, &palette, &bitmap, flag);
        if (!result) return;
        DIBSECTION dib{};
        if (GetObjectA(bitmap, sizeof dib, &dib) == sizeof dib) {
            bits = static_cast<const std::uint32_t *>(dib.dsBm.bmBits);
            bitsPerPixel = dib.dsBm.bmBitsPixel;
            width = dib.dsBm.bmWidth;
            height = dib.dsBm.bmHeight;
        }
    }
    ~Load() {
        if (result) {
            DeleteObject(bitmap);
            DeleteObject(palette);
        }
    }
    Load(const Load &) = delete;
    Load &operator=(const Load &) = delete;

    std::uint32_t At(int x, int y) const { return bits[static_cast<std::size_t>(y) * width + x]; }

    int result = 0;
    SIZE size;
    HPALETTE palette;
    HBITMAP bitmap;
    const std::uint32_t *bits = nullptr;
    int bitsPerPixel = 0, width = 0, height = 0;
};

bool Near(std::uint32_t actual, std::uint32_t expected, int tolerance) {
    for (int shift = 0; shift < 32; shift += 8) {
        int a = static_cast<int>(actual >> shift & 0xFF), e = static_cast<int>(expected >> shift & 0xFF);
        if (std::abs(a - e) > tolerance) return false;
    }
    return true;
}

// Quadrant centres of a 64 x 32 picture: top left, top right, bottom left, bottom right.
const POINT kCentres[4] = {{16, 8}, {48, 8}, {16, 24}, {48, 24}};

void ExpectQuadrants(const char *name, const std::uint32_t (&colours)[4], int tolerance) {
    SCOPED_TRACE(name);
    Load load(CorpusPath(name));
    ASSERT_NE(0, load.result);
    EXPECT_EQ(64, load.size.cx);
    EXPECT_EQ(32, load.size.cy);
    ASSERT_NE(nullptr, load.bits);
    EXPECT_EQ(32, load.bitsPerPixel);
    EXPECT_EQ(64, load.width);
    EXPECT_EQ(32, load.height);
    EXPECT_NE(nullptr, load.palette);
    // Read as rows from the top: a bottom-up bitmap would swap the halves.
    for (int i = 0; i < 4; ++i)
        EXPECT_PRED3(Near, load.At(kCentres[i].x, kCentres[i].y), colours[i], tolerance) << "quadrant " << i;
    // The top byte is left clear everywhere, as GDI leaves it.
    for (int y = 0; y < load.height; ++y)
        for (int x = 0; x < load.width; ++x) ASSERT_EQ(0u, load.At(x, y) >> 24) << x << "," << y;
}

// A scratch folder for generated bad input, removed with what is in it.
class ScratchFolder {
public:
    ScratchFolder() {
        char temp[MAX_PATH];
        GetTempPathA(MAX_PATH, temp);
        path_ = std::string(temp) + "gfxlib_test_" + std::to_string(GetCurrentProcessId()) + "\\";
        CreateDirectoryA(path_.c_str(), nullptr);
    }
    ~ScratchFolder() {
        for (const std::string &f : files_) DeleteFileA(f.c_str());
        for (const std::string &d : folders_) RemoveDirectoryA(d.c_str());
        RemoveDirectoryA(path_.c_str());
    }
    std::string Write(const std::string &name, const std::string &bytes) {
        std::string p = path_ + name;
        HANDLE f = CreateFileA(p.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
        DWORD written = 0;
        if (!bytes.empty()) WriteFile(f, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
        CloseHandle(f);
        files_.push_back(p);
        return p;
    }
    std::string Folder(const std::string &name) {
        std::string p = path_ + name;
        CreateDirectoryA(p.c_str(), nullptr);
        folders_.push_back(p);
        return p;
    }
    std::string Path(const std::string &name) const { return path_ + name; }

private:
    std::string path_;
    std::vector<std::string> files_, folders_;
};

std::string ReadAll(const std::string &path) {
    std::string bytes;
    HANDLE f = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (f == INVALID_HANDLE_VALUE) return bytes;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(f, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(f);
    return bytes;
}

// A bitmap file header declaring width x height at 24 bits, with a few data bytes.
std::string BitmapHeader(std::int32_t width, std::int32_t height) {
    std::string b(54 + 64, '\0');
    auto put32 = [&](std::size_t at, std::uint32_t v) {
        for (int i = 0; i < 4; ++i) b[at + i] = static_cast<char>(v >> (8 * i) & 0xFF);
    };
    b[0] = 'B';
    b[1] = 'M';
    put32(2, static_cast<std::uint32_t>(b.size()));
    put32(10, 54);
    put32(14, 40);
    put32(18, static_cast<std::uint32_t>(width));
    put32(22, static_cast<std::uint32_t>(height));
    b[26] = 1;
    b[28] = 24;
    return b;
}

} // namespace

TEST(Gfxlib, ExportsExactlyTheTwoUndecoratedNames) {
    HMODULE lib = LoadLibraryA("gfxlib.dll");
    ASSERT_NE(nullptr, lib);
    EXPECT_NE(nullptr, GetProcAddress(lib, "LoadFileGraphic"));
    EXPECT_NE(nullptr, GetProcAddress(lib, "DrawBitmap"));
    EXPECT_EQ(nullptr, GetProcAddress(lib, "_LoadFileGraphic@24"));
    EXPECT_EQ(nullptr, GetProcAddress(lib, "LoadFileGraphic@24"));
    EXPECT_EQ(nullptr, GetProcAddress(lib, "_DrawBitmap@20"));

    // Nothing else is exported, by name or by ordinal.
    auto base = reinterpret_cast<const BYTE *>(lib);
    auto dos = reinterpret_cast<const IMAGE_DOS_HEADER *>(base);
    auto nt = reinterpret_cast<const IMAGE_NT_HEADERS *>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY &dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
    ASSERT_NE(0u, dir.VirtualAddress);
    auto exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY *>(base + dir.VirtualAddress);
    EXPECT_EQ(2u, exports->NumberOfFunctions);
    ASSERT_EQ(2u, exports->NumberOfNames);
    auto names = reinterpret_cast<const DWORD *>(base + exports->AddressOfNames);
    std::set<std::string> found = {reinterpret_cast<const char *>(base + names[0]),
                                   reinterpret_cast<const char *>(base + names[1])};
    EXPECT_EQ((std::set<std::string>{"DrawBitmap", "LoadFileGraphic"}), found);

    // The stdcall convention: called through a plain pointer, the stack stays balanced.
    using LoadFn = int(WINAPI *)(HDC, const char *, SIZE *, HPALETTE *, HBITMAP *, int);
    auto load = reinterpret_cast<LoadFn>(reinterpret_cast<void *>(GetProcAddress(lib, "LoadFileGraphic")));
    SIZE size{};
    HPALETTE palette = nullptr;
    HBITMAP bitmap = nullptr;
    ASSERT_NE(0, load(nullptr, CorpusPath("png_rgb.png").c_str(), &size, &palette, &bitmap, 0));
    EXPECT_EQ(64, size.cx);
    DeleteObject(bitmap);
    DeleteObject(palette);
    FreeLibrary(lib);
}

TEST(Gfxlib, DecodesEveryFormatAndVariant) {
    const std::uint32_t quadrants[4] = {kRed, kGreen, kBlue, kWhite};
    for (const char *lossless :
         {"bmp4.bmp", "bmp4_rle.bmp", "bmp8.bmp", "bmp8_rle.bmp", "bmp16.bmp", "bmp16_565.bmp", "bmp24.bmp",
          "bmp24_topdown.bmp", "bmp24_core.bmp", "bmp32.bmp", "bmp32_alpha_unset.bmp", "gif_plain.gif",
          "gif_interlaced.gif", "gif_animated.gif", "png_rgb.png", "png_as.jpg"})
        ExpectQuadrants(lossless, quadrants, 8); // 5-bit channels widen to within a few steps
    ExpectQuadrants("bmp1.bmp", {kRed, kWhite, kWhite, kRed}, 0);
    for (const char *jpeg : {"jpeg_baseline.jpg", "jpeg_progressive.jpg", "jpeg_cmyk.jpg"})
        ExpectQuadrants(jpeg, quadrants, 12);
    ExpectQuadrants("jpeg_grey.jpg", {0x363636, 0xB6B6B6, 0x121212, 0xFFFFFF}, 12);
    // Transparent and half-transparent pixels show over black.
    ExpectQuadrants("gif_transparent.gif", {kBlack, kGreen, kBlue, kWhite}, 0);
    ExpectQuadrants("png_alpha.png", {0x800000, kGreen, 0x000080, kWhite}, 1);
}

// Every variant the bitmap format allows shows as ImageMagick shows it, through
// WIC or, where WIC refuses a sound file, our own reader; damaged ones fail.
TEST(Gfxlib, ShowsEveryBitmapVariantAsAnotherDecoderDoes) {
    const std::vector<BitmapCase> cases = BitmapCases();
    ASSERT_GE(cases.size(), 30u);
    for (const BitmapCase &test : cases) {
        SCOPED_TRACE(test.path);
        Load load(test.path);
        ASSERT_EQ(load.result != 0, test.sound);
        if (!load.result) continue;
        ASSERT_EQ(test.width, load.width);
        ASSERT_EQ(test.height, load.height);
        EXPECT_LE(WorstDifference(test, load.bits), test.tolerance);
    }
}

TEST(Gfxlib, ExifOrientationShowsThePhotoUpright) {
    { // 6: turned a quarter clockwise; the stored top left ends at the top right.
        Load load(CorpusPath("jpeg_exif6.jpg"));
        ASSERT_NE(0, load.result);
        EXPECT_EQ(32, load.size.cx);
        EXPECT_EQ(64, load.size.cy);
        EXPECT_EQ(32, load.width);
        EXPECT_EQ(64, load.height);
        EXPECT_PRED3(Near, load.At(8, 16), kBlue, 12);
        EXPECT_PRED3(Near, load.At(24, 16), kRed, 12);
        EXPECT_PRED3(Near, load.At(8, 48), kWhite, 12);
        EXPECT_PRED3(Near, load.At(24, 48), kGreen, 12);
    }
    { // 8: a quarter anticlockwise.
        Load load(CorpusPath("jpeg_exif8.jpg"));
        ASSERT_NE(0, load.result);
        EXPECT_EQ(32, load.size.cx);
        EXPECT_EQ(64, load.size.cy);
        EXPECT_PRED3(Near, load.At(8, 16), kGreen, 12);
        EXPECT_PRED3(Near, load.At(24, 16), kWhite, 12);
        EXPECT_PRED3(Near, load.At(8, 48), kRed, 12);
        EXPECT_PRED3(Near, load.At(24, 48), kBlue, 12);
    }
    // 3: upside down.
    ExpectQuadrants("jpeg_exif3.jpg", {kWhite, kBlue, kGreen, kRed}, 12);
}

TEST(Gfxlib, GifFirstFrameSitsOnItsLogicalScreen) {
    Load load(CorpusPath("gif_offset.gif")); // a 32 x 16 red frame at (16, 8) of 64 x 32
    ASSERT_NE(0, load.result);
    EXPECT_EQ(64, load.size.cx);
    EXPECT_EQ(32, load.size.cy);
    EXPECT_EQ(kBlack, load.At(0, 0));
    EXPECT_EQ(kBlack, load.At(15, 8));
    EXPECT_EQ(kRed, load.At(16, 8));
    EXPECT_EQ(kRed, load.At(47, 23));
    EXPECT_EQ(kBlack, load.At(48, 23));
    EXPECT_EQ(kBlack, load.At(47, 24));
    EXPECT_EQ(kBlack, load.At(63, 31));
}

TEST(Gfxlib, BadInputFailsCleanlyAndLeaksNothing) {
    ScratchFolder scratch;
    const std::string jpeg = ReadAll(CorpusPath("jpeg_progressive.jpg"));
    const std::string gif = ReadAll(CorpusPath("gif_plain.gif"));
    ASSERT_FALSE(jpeg.empty());
    ASSERT_FALSE(gif.empty());
    std::vector<std::string> bad = {
        scratch.Path("missing.jpg"),
        scratch.Folder("folder.jpg"),
        scratch.Write("empty.jpg", ""),
        scratch.Write("text.jpg", "This is a text file, not a picture.\r\n"),
        scratch.Write("cut_jpeg_head.jpg", jpeg.substr(0, 20)),
        scratch.Write("cut_jpeg_half.jpg", jpeg.substr(0, jpeg.size() / 2)),
        scratch.Write("cut_jpeg_tail.jpg", jpeg.substr(0, jpeg.size() - 4)),
        scratch.Write("cut_gif_head.gif", gif.substr(0, 12)),
        scratch.Write("cut_gif_half.gif", gif.substr(0, gif.size() / 2)),
        scratch.Write("huge.bmp", BitmapHeader(100000, 100000)),
        scratch.Write("huge_topdown.bmp", BitmapHeader(100000, -100000)),
        scratch.Write("over_budget.bmp", BitmapHeader(8193, 8192)),
        CorpusPath("png_huge_header.png"),
        CorpusPath("jpeg_huge_header.jpg"),
        CorpusPath("tiff_plain.tif"),
        "NUL",
        "CON",
        scratch.Path(std::string(300, 'x') + ".jpg"),
    };
    auto loadAll = [&] {
        for (const std::string &path : bad) {
            SCOPED_TRACE(path);
            Load load(path);
            EXPECT_EQ(0, load.result);
            EXPECT_EQ(0, load.size.cx);
            EXPECT_EQ(0, load.size.cy);
            EXPECT_EQ(nullptr, load.palette);
            EXPECT_EQ(nullptr, load.bitmap);
        }
    };
    loadAll(); // the platform creates its own objects once
    int before = FreeGdiRoom();
    for (int i = 0; i < 5; ++i) loadAll();
    EXPECT_EQ(before, FreeGdiRoom());
}

TEST(Gfxlib, LoadsAndReleasesWithoutLeaking) {
    const std::string path = CorpusPath("jpeg_exif6.jpg");
    { Load warmUp(path); }
    int before = FreeGdiRoom();
    HBRUSH kept = CreateSolidBrush(RGB(4, 5, 6)); // the probe sees a single object
    EXPECT_EQ(before - 1, FreeGdiRoom());
    DeleteObject(kept);
    for (int i = 0; i < 50; ++i) {
        Load load(path, i % 2);
        ASSERT_NE(0, load.result);
    }
    EXPECT_EQ(before, FreeGdiRoom());
}

TEST(Gfxlib, MissingArgumentsAreRefused) {
    const std::string path = CorpusPath("png_rgb.png");
    SIZE size{5, 5};
    HPALETTE palette = reinterpret_cast<HPALETTE>(0x10);
    HBITMAP bitmap = reinterpret_cast<HBITMAP>(0x20);
    EXPECT_EQ(0, LoadFileGraphic(nullptr, nullptr, &size, &palette, &bitmap, 0));
    EXPECT_EQ(nullptr, bitmap);
    EXPECT_EQ(nullptr, palette);
    EXPECT_EQ(0, size.cx);
    EXPECT_EQ(0, LoadFileGraphic(nullptr, "", &size, &palette, &bitmap, 0));
    EXPECT_EQ(0, LoadFileGraphic(nullptr, path.c_str(), nullptr, &palette, &bitmap, 0));
    EXPECT_EQ(0, LoadFileGraphic(nullptr, path.c_str(), &size, nullptr, &bitmap, 0));
    EXPECT_EQ(0, LoadFileGraphic(nullptr, path.c_str(), &size, &palette, nullptr, 0));
    EXPECT_EQ(nullptr, bitmap);
}

TEST(Gfxlib, CallerComStateIsKept) {
    const std::string path = CorpusPath("gif_plain.gif");
    auto loads = [&] {
        Load load(path);
        return load.result != 0;
    };
    HRESULT afterNone = E_FAIL, afterSta = E_FAIL, afterMta = E_FAIL;
    bool loadedNone = false, loadedSta = false, loadedMta = false;
    // No COM on the thread: none is left behind.
    std::thread([&] {
        loadedNone = loads();
        afterNone = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterNone)) CoUninitialize();
    }).join();
    // The caller's apartment: one uninitialise of its own ends COM on the thread.
    std::thread([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return;
        loadedSta = loads();
        CoUninitialize();
        afterSta = CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        if (SUCCEEDED(afterSta)) CoUninitialize();
    }).join();
    // A multithreaded caller stays multithreaded.
    std::thread([&] {
        if (FAILED(CoInitializeEx(nullptr, COINIT_MULTITHREADED))) return;
        loadedMta = loads();
        afterMta = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        if (SUCCEEDED(afterMta)) CoUninitialize();
        CoUninitialize();
    }).join();
    EXPECT_TRUE(loadedNone);
    EXPECT_EQ(S_OK, afterNone);
    EXPECT_TRUE(loadedSta);
    EXPECT_EQ(S_OK, afterSta);
    EXPECT_TRUE(loadedMta);
    EXPECT_EQ(RPC_E_CHANGED_MODE, afterMta);
}

TEST(Gfxlib, DrawBitmapPaintsAtItsOwnSize) {
    HDC screen = GetDC(nullptr);
    HDC target = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), 100, -60, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    void *memory = nullptr;
    HBITMAP surface = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    ASSERT_NE(nullptr, surface);
    HGDIOBJ old = SelectObject(target, surface);
    auto pixels = static_cast<std::uint32_t *>(memory);
    auto at = [&](int x, int y) {
        GdiFlush();
        return pixels[y * 100 + x] & 0xFFFFFF;
    };
    auto fill = [&] {
        GdiFlush();
        for (int i = 0; i < 100 * 60; ++i) pixels[i] = 0x808080;
    };
    {
        Load load(CorpusPath("png_rgb.png"), 1, target);
        ASSERT_NE(0, load.result);
        fill();
        EXPECT_NE(0, DrawBitmap(target, 10, 5, load.palette, load.bitmap));
        EXPECT_EQ(kRed, at(10, 5));
        EXPECT_EQ(kGreen, at(10 + 63, 5));
        EXPECT_EQ(kBlue, at(10, 5 + 31));
        EXPECT_EQ(kWhite, at(10 + 63, 5 + 31));
        EXPECT_EQ(0x808080u, at(9, 5));
        EXPECT_EQ(0x808080u, at(10 + 64, 5));
        EXPECT_EQ(0x808080u, at(10, 5 + 32));
        EXPECT_EQ(0x808080u, at(10, 4));

        fill(); // no palette is fine too
        EXPECT_NE(0, DrawBitmap(target, 0, 0, nullptr, load.bitmap));
        EXPECT_EQ(kWhite, at(63, 31));
        EXPECT_EQ(0x808080u, at(64, 31));

        EXPECT_EQ(0, DrawBitmap(target, 0, 0, load.palette, nullptr));
        EXPECT_EQ(0, DrawBitmap(nullptr, 0, 0, load.palette, load.bitmap));
    }
    SelectObject(target, old);
    DeleteObject(surface);
    DeleteDC(target);
    ReleaseDC(nullptr, screen);
}
