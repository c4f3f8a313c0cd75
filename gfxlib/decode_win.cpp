// Picture decoding for gfxlib: opens the file itself (regular files only),
// peeks at the header to refuse oversized pictures early, lets WIC decode the
// first frame, and applies the GIF canvas, EXIF orientation and alpha rules.
// Windows bitmaps are read by our own bounds-checked reader instead: Wine's
// codec leaves the pixels an RLE delta skips as whatever memory held. No
// exception or handle escapes.
#include "gfxlib/decode_win.h"

#include <wincodec.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "gfxlib/bitmap_file.h"
#include "gfxlib/picture_header.h"
#include "gfxlib/pixels.h"

namespace {

// Enough for the frame header behind a JPEG's Exif and ICC segments.
constexpr DWORD kHeadBytes = 256 * 1024;
// Rows decoded at a time when they must be moved for the orientation.
constexpr std::size_t kStripBytes = 1024 * 1024;
// The largest bitmap within the pixel budget (32 bits a pixel) and its headers;
// pixel data must lie within this much of the file.
constexpr DWORD kMostBitmapBytes = kMaxPicturePixels * 4 + 64 * 1024;

template <typename T> class ComRef {
public:
    ComRef() = default;
    ComRef(const ComRef &) = delete;
    ComRef &operator=(const ComRef &) = delete;
    ~ComRef() {
        if (p_) p_->Release();
    }
    T **Out() { return &p_; }
    T *operator->() const { return p_; }
    T *Get() const { return p_; }

private:
    T *p_ = nullptr;
};

class FileHandle {
public:
    explicit FileHandle(HANDLE h) : h_(h) {}
    FileHandle(const FileHandle &) = delete;
    FileHandle &operator=(const FileHandle &) = delete;
    ~FileHandle() {
        if (h_ != INVALID_HANDLE_VALUE) CloseHandle(h_);
    }
    HANDLE Get() const { return h_; }

private:
    HANDLE h_;
};

// Deletes the bitmap unless it is handed over.
class BitmapHolder {
public:
    BitmapHolder() = default;
    BitmapHolder(const BitmapHolder &) = delete;
    BitmapHolder &operator=(const BitmapHolder &) = delete;
    ~BitmapHolder() {
        if (h_) DeleteObject(h_);
    }
    void Reset(HBITMAP h) { h_ = h; }
    HBITMAP Release() {
        HBITMAP h = h_;
        h_ = nullptr;
        return h;
    }

private:
    HBITMAP h_ = nullptr;
};

// Opens a regular file for reading; a folder, a device or a pipe is refused
// here, so no codec ever waits on one. A drive without a disk fails quietly
// instead of asking the user.
HANDLE OpenPictureFile(const char *path) {
    DWORD oldMode = 0;
    BOOL modeSet = SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &oldMode);
    HANDLE file = CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN,
                              nullptr);
    if (modeSet) SetThreadErrorMode(oldMode, nullptr);
    if (file == INVALID_HANDLE_VALUE) return file;
    LARGE_INTEGER size;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileSizeEx(file, &size) || size.QuadPart <= 0) {
        CloseHandle(file);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

// Reads from the start of the file up to `most` bytes (fewer at its end) and
// leaves the file pointer at the start again.
bool ReadFromStart(HANDLE file, DWORD most, std::vector<std::uint8_t> *bytes) {
    LARGE_INTEGER start{}, length{};
    if (!GetFileSizeEx(file, &length)) return false;
    const DWORD wanted = length.QuadPart < most ? static_cast<DWORD>(length.QuadPart) : most;
    bytes->resize(wanted);
    DWORD total = 0;
    while (total < wanted) {
        DWORD got = 0;
        if (!ReadFile(file, bytes->data() + total, wanted - total, &got, nullptr)) return false;
        if (got == 0) break;
        total += got;
    }
    bytes->resize(total);
    return SetFilePointerEx(file, start, nullptr, FILE_BEGIN) != 0;
}

// Bitmaps never reach WIC (see DecodeBitmapFile).
bool IsSupportedContainer(const GUID &format) {
    return IsEqualGUID(format, GUID_ContainerFormatJpeg) || IsEqualGUID(format, GUID_ContainerFormatGif) ||
           IsEqualGUID(format, GUID_ContainerFormatPng);
}

bool QueryUi2(IWICMetadataQueryReader *reader, const wchar_t *name, UINT *value) {
    PROPVARIANT v;
    PropVariantInit(&v);
    bool ok = SUCCEEDED(reader->GetMetadataByName(name, &v)) && v.vt == VT_UI2;
    if (ok) *value = v.uiVal;
    PropVariantClear(&v);
    return ok;
}

// A GIF's first frame may cover only part of its logical screen; the rest
// shows black, as transparent pixels do.
GifPlacement PlaceFirstGifFrame(IWICBitmapDecoder *decoder, IWICBitmapFrameDecode *frame, UINT frameWidth,
                 UINT frameHeight) {
    GifPlacement alone{frameWidth, frameHeight, 0, 0};
    ComRef<IWICMetadataQueryReader> screen, descriptor;
    if (FAILED(decoder->GetMetadataQueryReader(screen.Out())) ||
        FAILED(frame->GetMetadataQueryReader(descriptor.Out())))
        return alone;
    UINT screenWidth, screenHeight, left, top;
    if (!QueryUi2(screen.Get(), L"/logscrdesc/Width", &screenWidth) ||
        !QueryUi2(screen.Get(), L"/logscrdesc/Height", &screenHeight) ||
        !QueryUi2(descriptor.Get(), L"/imgdesc/Left", &left) ||
        !QueryUi2(descriptor.Get(), L"/imgdesc/Top", &top))
        return alone;
    return PlaceGifFrame(screenWidth, screenHeight, left, top, frameWidth, frameHeight);
}

HBITMAP CreateTopDownDib(HDC dc, std::int32_t width, std::int32_t height, std::uint32_t **bits) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof(info.bmiHeader);
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void *memory = nullptr;
    HBITMAP dib = CreateDIBSection(dc, &info, DIB_RGB_COLORS, &memory, nullptr, 0);
    if (!dib) return nullptr;
    if (!memory) {
        DeleteObject(dib);
        return nullptr;
    }
    *bits = static_cast<std::uint32_t *>(memory);
    return dib;
}

// Decodes strips of rows and moves each pixel to where the orientation shows it.
bool CopyOriented(IWICBitmapSource *source, UINT width, UINT height, int orientation, std::uint32_t *upright) {
    UINT rowsPerStrip = static_cast<UINT>(kStripBytes / (std::size_t{width} * 4));
    if (rowsPerStrip == 0) rowsPerStrip = 1;
    if (rowsPerStrip > height) rowsPerStrip = height;
    std::vector<std::uint32_t> strip(std::size_t{rowsPerStrip} * width);
    for (UINT y = 0; y < height; y += rowsPerStrip) {
        UINT rows = height - y < rowsPerStrip ? height - y : rowsPerStrip;
        WICRect area{0, static_cast<INT>(y), static_cast<INT>(width), static_cast<INT>(rows)};
        if (FAILED(source->CopyPixels(&area, width * 4, rows * width * 4, reinterpret_cast<BYTE *>(strip.data()))))
            return false;
        PlaceOrientedRows(strip.data(), static_cast<std::int32_t>(width), static_cast<std::int32_t>(height),
                          static_cast<std::int32_t>(y), static_cast<std::int32_t>(rows), orientation, upright);
    }
    return true;
}

// The converted frame's pixels into the upright picture: straight onto its
// place on the canvas, or strip by strip when the orientation moves them.
bool FillPixels(IWICBitmapSource *source, UINT frameWidth, UINT frameHeight, const GifPlacement &canvas,
                int orientation, std::uint32_t *bits) {
    if (orientation != 1) return CopyOriented(source, frameWidth, frameHeight, orientation, bits);
    std::size_t pixelCount = std::size_t{canvas.width} * canvas.height;
    if (canvas.width != frameWidth || canvas.height != frameHeight) std::memset(bits, 0, pixelCount * 4);
    std::size_t offset = std::size_t{canvas.top} * canvas.width + canvas.left;
    UINT stride = canvas.width * 4;
    UINT room = static_cast<UINT>((pixelCount - offset) * 4);
    return SUCCEEDED(source->CopyPixels(nullptr, stride, room, reinterpret_cast<BYTE *>(bits + offset)));
}

// The first frame of the open file as an upright picture, or null.
HBITMAP DecodeWithWic(HANDLE file, HDC dc, int orientation, SIZE *size) {
    ComRef<IWICImagingFactory> factory;
    if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                                reinterpret_cast<void **>(factory.Out()))))
        return nullptr;
    ComRef<IWICBitmapDecoder> decoder;
    if (FAILED(factory->CreateDecoderFromFileHandle(reinterpret_cast<ULONG_PTR>(file), nullptr,
                                                    WICDecodeMetadataCacheOnDemand, decoder.Out())))
        return nullptr;
    GUID container;
    if (FAILED(decoder->GetContainerFormat(&container)) || !IsSupportedContainer(container)) return nullptr;
    ComRef<IWICBitmapFrameDecode> frame;
    UINT frameWidth = 0, frameHeight = 0;
    if (FAILED(decoder->GetFrame(0, frame.Out())) || FAILED(frame->GetSize(&frameWidth, &frameHeight)) ||
        !FitsPixelBudget(frameWidth, frameHeight))
        return nullptr;

    bool isGif = IsEqualGUID(container, GUID_ContainerFormatGif);
    GifPlacement canvas = isGif ? PlaceFirstGifFrame(decoder.Get(), frame.Get(), frameWidth, frameHeight)
                                : GifPlacement{frameWidth, frameHeight, 0, 0};
    if (!FitsPixelBudget(canvas.width, canvas.height)) return nullptr;
    if (canvas.width != frameWidth || canvas.height != frameHeight) orientation = 1; // GIFs carry no Exif

    ComRef<IWICFormatConverter> converter;
    if (FAILED(factory->CreateFormatConverter(converter.Out())) ||
        FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat32bppBGRA, WICBitmapDitherTypeNone, nullptr,
                                     0.0, WICBitmapPaletteTypeCustom)))
        return nullptr;

    std::int32_t width, height;
    OrientedSize(static_cast<std::int32_t>(canvas.width), static_cast<std::int32_t>(canvas.height), orientation,
                 &width, &height);
    std::uint32_t *bits = nullptr;
    BitmapHolder picture;
    picture.Reset(CreateTopDownDib(dc, width, height, &bits));
    if (!bits) return nullptr;

    if (!FillPixels(converter.Get(), frameWidth, frameHeight, canvas, orientation, bits)) return nullptr;
    FlattenOverBlack(bits, std::size_t{canvas.width} * canvas.height, false);

    size->cx = width;
    size->cy = height;
    return picture.Release();
}

// A bitmap file, read whole into memory (not mapped: a read error then fails
// the load instead of raising an exception): sound ones show, damaged ones are
// refused.
HBITMAP DecodeBitmapFile(HANDLE file, HDC dc, SIZE *size) {
    std::vector<std::uint8_t> bytes;
    BitmapLayout layout;
    if (!ReadFromStart(file, kMostBitmapBytes, &bytes) || !ReadBitmapLayout(bytes.data(), bytes.size(), &layout))
        return nullptr;
    std::uint32_t *bits = nullptr;
    const auto width = static_cast<std::int32_t>(layout.width), height = static_cast<std::int32_t>(layout.height);
    BitmapHolder picture; // deletes one whose pixels turn out damaged
    picture.Reset(CreateTopDownDib(dc, width, height, &bits));
    if (!bits || !DecodeBitmapPixels(bytes.data(), bytes.size(), layout, bits)) return nullptr;
    // 32-bit bitmaps often carry an alpha byte nobody filled in.
    FlattenOverBlack(bits, std::size_t{layout.width} * layout.height, true);
    size->cx = width;
    size->cy = height;
    return picture.Release();
}

} // namespace

HBITMAP DecodePictureFile(HDC dc, const char *path, SIZE *size) {
    FileHandle file(OpenPictureFile(path));
    if (file.Get() == INVALID_HANDLE_VALUE) return nullptr;
    std::vector<std::uint8_t> head;
    if (!ReadFromStart(file.Get(), kHeadBytes, &head)) return nullptr;
    // Some codecs allocate for the declared size before they read a pixel.
    std::uint32_t declaredWidth, declaredHeight;
    if (PeekDeclaredSize(head.data(), head.size(), &declaredWidth, &declaredHeight) &&
        !FitsPixelBudget(declaredWidth, declaredHeight))
        return nullptr;
    if (head.size() >= 2 && head[0] == 'B' && head[1] == 'M') return DecodeBitmapFile(file.Get(), dc, size);
    return DecodeWithWic(file.Get(), dc, ReadJpegOrientation(head.data(), head.size()), size);
}
