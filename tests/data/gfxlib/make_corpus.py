#!/usr/bin/env python3
"""Writes the picture corpus of the gfxlib decoding test into this folder.

Every picture is 64 x 32 (unless noted) in four quadrants: red top left, green
top right, blue bottom left, white bottom right. Bitmaps and PNGs are written
byte by byte here; JPEG and GIF encoding comes from ImageMagick's `convert`.
The files are committed; run this again only to change the corpus.
"""
import os
import struct
import subprocess
import tempfile
import zlib

W, H = 64, 32
RED, GREEN, BLUE, WHITE = (255, 0, 0), (0, 255, 0), (0, 0, 255), (255, 255, 255)


def quadrant(x, y):
    return (0 if x < W // 2 else 1) + (0 if y < H // 2 else 2)


COLOURS = [RED, GREEN, BLUE, WHITE]


def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)


# --- Windows bitmaps ---------------------------------------------------------

def bmp(width, height, bpp, rows, palette=(), compression=0, header=40, masks=None, topdown=False):
    """rows: raw row bytes top to bottom (or the RLE stream as one row)."""
    if compression in (1, 2):
        pixels = rows[0]
    else:
        ordered = rows if topdown else list(reversed(rows))
        pixels = b''.join(r + b'\0' * (-len(r) % 4) for r in ordered)
    pal = b''.join(bytes((b, g, r, 0)) for (r, g, b) in palette)
    if header == 12:
        info = struct.pack('<IHHHH', 12, width, height, 1, bpp)
        pal = b''.join(bytes((b, g, r)) for (r, g, b) in palette)
    elif header == 124:
        info = struct.pack('<IiiHHIIiiII', 124, width, -height if topdown else height, 1, bpp, compression,
                           len(pixels), 2835, 2835, 0, 0)
        info += struct.pack('<IIII', *masks) + b'BGRs' + b'\0' * 36 + b'\0' * 12 + struct.pack('<IIII', 4, 0, 0, 0)
    else:
        info = struct.pack('<IiiHHIIiiII', 40, width, -height if topdown else height, 1, bpp, compression,
                           len(pixels), 2835, 2835, len(palette), 0)
        if masks:
            info += struct.pack('<III', *masks[:3])
    offset = 14 + len(info) + len(pal)
    return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + pal + pixels


def indexed_rows(bpp, index_of):
    rows = []
    for y in range(H):
        bits = ''.join(format(index_of(x, y), '0%db' % bpp) for x in range(W))
        rows.append(int(bits, 2).to_bytes(len(bits) // 8, 'big'))
    return rows


def rle(bpp, index_of):
    """Bottom-up RLE8 or RLE4 stream of encoded runs, ending each line and the bitmap."""
    out = b''
    for y in reversed(range(H)):
        x = 0
        while x < W:
            i = index_of(x, y)
            n = 1
            while x + n < W and index_of(x + n, y) == i and n < 254:
                n += 1
            out += bytes((n, i if bpp == 8 else (i << 4) | i))
            x += n
        out += b'\0\0'
    return out + b'\0\1'


def make_bitmaps():
    # 1 bit: two colours, red where the quadrant is red or white, else white.
    mono = lambda x, y: 0 if quadrant(x, y) in (0, 3) else 1
    write('bmp1.bmp', bmp(W, H, 1, indexed_rows(1, mono), palette=[RED, WHITE]))
    quad = lambda x, y: quadrant(x, y) + 1  # index 0 stays unused
    pal16 = [(0, 0, 0)] + COLOURS + [(9, 9, 9)] * 11
    write('bmp4.bmp', bmp(W, H, 4, indexed_rows(4, quad), palette=pal16))
    write('bmp4_rle.bmp', bmp(W, H, 4, [rle(4, quad)], palette=pal16, compression=2))
    pal256 = [(0, 0, 0)] + COLOURS + [(9, 9, 9)] * 251
    write('bmp8.bmp', bmp(W, H, 8, indexed_rows(8, quad), palette=pal256))
    write('bmp8_rle.bmp', bmp(W, H, 8, [rle(8, quad)], palette=pal256, compression=1))

    def rgb_rows(pack):
        return [b''.join(pack(*COLOURS[quadrant(x, y)]) for x in range(W)) for y in range(H)]

    p555 = lambda r, g, b: struct.pack('<H', ((r >> 3) << 10) | ((g >> 3) << 5) | (b >> 3))
    p565 = lambda r, g, b: struct.pack('<H', ((r >> 3) << 11) | ((g >> 2) << 5) | (b >> 3))
    write('bmp16.bmp', bmp(W, H, 16, rgb_rows(p555)))
    write('bmp16_565.bmp', bmp(W, H, 16, rgb_rows(p565), compression=3, masks=(0xF800, 0x07E0, 0x001F)))
    p24 = lambda r, g, b: bytes((b, g, r))
    write('bmp24.bmp', bmp(W, H, 24, rgb_rows(p24)))
    write('bmp24_topdown.bmp', bmp(W, H, 24, rgb_rows(p24), topdown=True))
    write('bmp24_core.bmp', bmp(W, H, 24, rgb_rows(p24), header=12))
    write('bmp32.bmp', bmp(W, H, 32, rgb_rows(lambda r, g, b: bytes((b, g, r, 0)))))
    # Version 5 header declaring an alpha channel that nobody filled in.
    write('bmp32_alpha_unset.bmp', bmp(W, H, 32, rgb_rows(lambda r, g, b: bytes((b, g, r, 0))), compression=3,
                                       header=124, masks=(0xFF0000, 0xFF00, 0xFF, 0xFF000000)))


# --- PNG ---------------------------------------------------------------------

def chunk(kind, data):
    return struct.pack('>I', len(data)) + kind + data + struct.pack('>I', zlib.crc32(kind + data) & 0xFFFFFFFF)


def png(width, height, colour_type, rows):
    channels = {2: 3, 6: 4}[colour_type]
    raw = b''.join(b'\0' + r for r in rows)
    assert all(len(r) == width * channels for r in rows)
    return (b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0))
            + chunk(b'IDAT', zlib.compress(raw)) + chunk(b'IEND', b''))


def make_pngs():
    rgb = [b''.join(bytes(COLOURS[quadrant(x, y)]) for x in range(W)) for y in range(H)]
    write('png_rgb.png', png(W, H, 2, rgb))
    # Left half at half opacity: over black it shows at half brightness.
    rgba = [b''.join(bytes(COLOURS[quadrant(x, y)]) + bytes((128 if x < W // 2 else 255,)) for x in range(W))
            for y in range(H)]
    write('png_alpha.png', png(W, H, 6, rgba))
    # A header that claims 100000 x 100000 pixels over a few bytes of data.
    write('png_huge_header.png',
          b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', struct.pack('>IIBBBBB', 100000, 100000, 8, 2, 0, 0, 0))
          + chunk(b'IDAT', zlib.compress(b'\0' * 1000)) + chunk(b'IEND', b''))
    write('png_as.jpg', png(W, H, 2, rgb))  # content decides, not the name


# --- JPEG and GIF through ImageMagick ----------------------------------------

def convert(*args):
    subprocess.run(['convert', *args], check=True)


def exif_orientation(value, big_endian):
    e = '>' if big_endian else '<'
    tiff = (b'MM' if big_endian else b'II') + struct.pack(e + 'HI', 42, 8)
    tiff += struct.pack(e + 'H', 1) + struct.pack(e + 'HHIHH', 0x0112, 3, 1, value, 0) + struct.pack(e + 'I', 0)
    payload = b'Exif\0\0' + tiff
    return b'\xff\xe1' + struct.pack('>H', len(payload) + 2) + payload


def with_exif(jpeg, value, big_endian=False):
    assert jpeg[:2] == b'\xff\xd8'
    return jpeg[:2] + exif_orientation(value, big_endian) + jpeg[2:]


def patch_frame_size(jpeg, width, height):
    j = bytearray(jpeg)
    i = 2
    while True:
        marker, length = j[i + 1], struct.unpack('>H', j[i + 2:i + 4])[0]
        if marker in (0xC0, 0xC1, 0xC2):
            j[i + 5:i + 9] = struct.pack('>HH', height, width)
            return bytes(j)
        i += 2 + length


def make_jpegs_and_gifs(work):
    src = os.path.join(work, 'q.png')
    write(src, png(W, H, 2, [b''.join(bytes(COLOURS[quadrant(x, y)]) for x in range(W)) for y in range(H)]))
    strip = ['-strip', '-quality', '95']
    convert(src, *strip, 'jpeg_baseline.jpg')
    convert(src, *strip, '-interlace', 'Plane', 'jpeg_progressive.jpg')
    convert(src, *strip, '-colorspace', 'Gray', 'jpeg_grey.jpg')
    convert(src, *strip, '-colorspace', 'CMYK', 'jpeg_cmyk.jpg')
    base = open('jpeg_baseline.jpg', 'rb').read()
    write('jpeg_exif6.jpg', with_exif(base, 6))
    write('jpeg_exif3.jpg', with_exif(base, 3, big_endian=True))
    write('jpeg_exif8.jpg', with_exif(base, 8, big_endian=True))
    write('jpeg_huge_header.jpg', patch_frame_size(base, 65000, 65000))
    # 1024 x 300, turned: decoded in strips of 256 rows, so the last strip is short.
    half, two = ['-size', '512x150'], os.path.join(work, 'two.jpg')
    convert('(', *half, 'xc:red', *half, 'xc:lime', '+append', ')', '(', *half, 'xc:blue', *half, 'xc:white',
            '+append', ')', '-append', *strip, two)
    write('jpeg_exif6_two_strips.jpg', with_exif(open(two, 'rb').read(), 6))
    convert(src, 'gif_plain.gif')
    convert(src, '-interlace', 'GIF', 'gif_interlaced.gif')
    convert(src, '-transparent', 'red', 'gif_transparent.gif')
    convert(src, '(', '-size', '%dx%d' % (W, H), 'xc:yellow', ')', '-loop', '0', 'gif_animated.gif')
    # A first frame of 32 x 16 at (16, 8) on a 64 x 32 logical screen.
    convert('-size', '32x16', 'xc:red', '-repage', '64x32+16+8', 'gif_offset.gif')
    convert('-size', '8x8', 'xc:red', 'tiff_plain.tif')  # a format we do not take


def make_damaged():
    """Files a decoder must refuse: empty, text, and pictures cut in half."""
    write('bad_empty.jpg', b'')
    write('bad_text.jpg', b'This is a text file, not a picture.\r\n')
    for name in ('jpeg_progressive.jpg', 'gif_plain.gif'):
        data = open(name, 'rb').read()
        write('bad_cut_' + name, data[:len(data) // 2])


def main():
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    make_bitmaps()
    make_pngs()
    with tempfile.TemporaryDirectory() as work:
        make_jpegs_and_gifs(work)
    make_damaged()


if __name__ == '__main__':
    main()
