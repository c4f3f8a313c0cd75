#!/usr/bin/env python3
"""Writes the Windows bitmap variants of the bitmap tests into this folder.

Each NAME.bmp that the format allows comes with NAME.ppm: its pixels as
ImageMagick decodes them (over black where the bitmap has alpha), checked here
against the colours this script meant to write. A .bmp without a .ppm is
damaged and must be refused. Pictures are 13 x 7, so every row needs padding.
The files are committed; run this again only to change the set.
"""
import glob
import os
import struct
import subprocess

W, H = 13, 7


def write(name, data):
    with open(name, 'wb') as f:
        f.write(data)


def colour(x, y):
    """The picture: distinct channel values in every pixel."""
    return ((x * 19 + y * 7) % 256, (y * 36 + 20) % 256, (255 - x * 17) % 256)


def palette_picture(count):
    """Index of each pixel and a palette of count distinct colours (index 0 black)."""
    pal = [(0, 0, 0)] + [((i * 53) % 256, (i * 97 + 40) % 256, (200 - i * 29) % 256) for i in range(1, count)]
    index = lambda x, y: (x + 3 * y) % (count - 1) + 1
    return pal, index


def pack_bits(values, bpp):
    bits = ''.join(format(v, '0%db' % bpp) for v in values)
    bits += '0' * (-len(bits) % 8)
    return int(bits, 2).to_bytes(len(bits) // 8, 'big') if bits else b''


def pad(row):
    return row + b'\0' * (-len(row) % 4)


def file_header(info, extra, pixels, offset=None):
    if offset is None:
        offset = 14 + len(info) + len(extra)
    return b'BM' + struct.pack('<IHHI', offset + len(pixels), 0, 0, offset) + info + extra + pixels


def info_header(size, bpp, compression, image_size, used=0, height=H, width=W, planes=1, tail=b''):
    h = struct.pack('<IiiHHIIiiII', size, width, height, planes, bpp, compression, image_size, 2835, 2835, used, 0)
    h += tail
    return h + b'\0' * (size - len(h))


def rows_bottom_up(rows, topdown=False):
    return b''.join(pad(r) for r in (rows if topdown else reversed(rows)))


def channel(value, mask):
    """An 8-bit value as the field of a mask holds it (rounded)."""
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return (round(value * top / 255) << shift) & mask


def expand(field, mask):
    if mask == 0:
        return 0
    shift = (mask & -mask).bit_length() - 1
    top = mask >> shift
    return round(((field & mask) >> shift) * 255 / top)


# --- What the pixels should be ------------------------------------------------

def indexed(name, bpp, core=False, topdown=False, used=0, os2=0):
    count = 1 << bpp
    pal, index = palette_picture(used or count)
    rows = [pack_bits([index(x, y) for x in range(W)], bpp) for y in range(H)]
    expected = [[pal[index(x, y)] for x in range(W)] for y in range(H)]
    pixels = rows_bottom_up(rows, topdown)
    if core:
        info = struct.pack('<IHHHH', 12, W, H, 1, bpp)
        extra = b''.join(bytes((b, g, r)) for (r, g, b) in pal)
    else:
        info = info_header(os2 or 40, bpp, 0, len(pixels), used, -H if topdown else H)
        extra = b''.join(bytes((b, g, r, 0)) for (r, g, b) in pal)
    write(name, file_header(info, extra, pixels))
    return expected


def rle(name, bpp):
    """Absolute and encoded runs on every line; on the third line a delta skips
    the rest of it and the first 7 pixels of the next, which stay black."""
    pal, _ = palette_picture(1 << bpp)
    grid = [[None] * W for _ in range(H)]
    top = (1 << bpp) - 1
    out = b''

    def absolute(y, x, vals):
        for i, v in enumerate(vals):
            grid[y][x + i] = v
        data = bytes(vals) if bpp == 8 else pack_bits(vals, 4)
        return bytes((0, len(vals))) + data + b'\0' * (len(data) % 2)

    def encoded(y, x, n, a, b):
        for i in range(n):
            grid[y][x + i] = a if bpp == 8 or i % 2 == 0 else b
        return bytes((n, a if bpp == 8 else (a << 4) | b))

    for k in range(H):  # stream lines run bottom-up
        y = H - 1 - k
        if k == 2:
            out += encoded(y, 0, 3, 4, 9 % top + 1)
            out += bytes((0, 2, 4, 1))  # delta: 4 right, 1 up, to x = 7 of the next line
            continue
        x = 7 if k == 3 else 0
        out += absolute(y, x, [(x + i + 3 * k) % top + 1 for i in range(5)])
        out += encoded(y, x + 5, W - x - 5, k % top + 1, (k * 5 + 2) % top + 1)
        out += b'\0\0'
    out += b'\0\1'
    expected = [[pal[v] if v is not None else (0, 0, 0) for v in row] for row in grid]
    info = info_header(40, bpp, 1 if bpp == 8 else 2, len(out))
    extra = b''.join(bytes((b, g, r, 0)) for (r, g, b) in pal)
    write(name, file_header(info, extra, out))
    return expected


def direct(name, bpp, masks=None, header=40, topdown=False, compression=None, alpha=None, os2=False):
    """16, 24 or 32 bits; masks (r, g, b[, a]) for bit fields, None for BI_RGB."""
    def alpha_of(x, y):
        return 255 if alpha is None else alpha(x, y)

    rows, expected = [], []
    for y in range(H):
        row, exp = b'', []
        for x in range(W):
            r, g, b = colour(x, y)
            if bpp == 24:
                row += bytes((b, g, r))
                exp.append((r, g, b))
                continue
            m = masks or ((0x7C00, 0x3E0, 0x1F) if bpp == 16 else (0xFF0000, 0xFF00, 0xFF))
            a = alpha_of(x, y)
            v = channel(r, m[0]) | channel(g, m[1]) | channel(b, m[2])
            if len(m) > 3:
                v |= channel(a, m[3])
            row += struct.pack('<H' if bpp == 16 else '<I', v)
            seen = [expand(v, m[i]) for i in range(3)]
            if len(m) > 3 and m[3]:
                seen_a = expand(v, m[3])
                seen = [round(c * seen_a / 255) for c in seen]
            exp.append(tuple(seen))
        rows.append(row)
        expected.append(exp)
    pixels = rows_bottom_up(rows, topdown)
    height = -H if topdown else H
    if compression is None:
        compression = 0 if masks is None else 3
    extra = b''
    if header == 12:
        info = struct.pack('<IHHHH', 12, W, H, 1, bpp)
    elif header == 40:
        info = info_header(40, bpp, compression, len(pixels), height=height)
        if masks is not None:
            extra = struct.pack('<%dI' % (4 if compression == 6 else 3), *(list(masks) + [0])[:4 if compression == 6 else 3])
    else:
        tail = struct.pack('<4I', *(list(masks or (0, 0, 0)) + [0])[:4])
        if header >= 108:
            tail += b'BGRs' + b'\0' * 48
        info = info_header(header, bpp, compression, len(pixels), height=height, tail=tail)
    write(name, file_header(info, extra, pixels))
    return expected


# --- Damaged files: each must be refused -------------------------------------

def damaged():
    good = open('b24.bmp', 'rb').read()
    write('bad_cut_pixels.bmp', good[:len(good) - 40])
    write('bad_offset_past_end.bmp', good[:10] + struct.pack('<I', len(good) + 10) + good[14:])
    write('bad_zero_width.bmp', good[:18] + struct.pack('<i', 0) + good[22:])
    write('bad_height_min.bmp', good[:22] + struct.pack('<i', -2 ** 31) + good[26:])
    write('bad_seven_bits.bmp', good[:28] + struct.pack('<H', 7) + good[30:])
    write('bad_header_size.bmp', good[:14] + struct.pack('<I', 20000) + good[18:])
    write('bad_wider_than_budget.bmp', good[:18] + struct.pack('<ii', 65536, 1) + good[26:])
    odd = open('b32_bitfields_odd.bmp', 'rb').read()
    # Overlapping red and blue, then a green mask with a hole in it.
    write('bad_masks_overlap.bmp', odd[:54] + struct.pack('<III', 0xFF000000, 0xFF0, 0xFFFF0000) + odd[66:])
    write('bad_mask_gap.bmp', odd[:54] + struct.pack('<III', 0xFF000000, 0xF0F0, 0xFF0000) + odd[66:])
    rle8 = open('b8_rle.bmp', 'rb').read()
    write('bad_rle_cut.bmp', rle8[:len(rle8) - 30])
    write('bad_rle_topdown.bmp', rle8[:22] + struct.pack('<i', -H) + rle8[26:])
    p8 = open('b8.bmp', 'rb').read()
    write('bad_palette_past_end.bmp', p8[:46] + struct.pack('<I', 256) + p8[50:54] + p8[54:54 + 40])


def tolerance_of(name):
    """Two decoders may widen a field of n < 8 bits differently (shifted or
    scaled): by up to 256 >> n; an alpha field that narrow doubles it."""
    return {'b16': 8, 'b16_565': 8, 'b16_bgr565': 8, 'b16_444': 16, 'b16_4444_v3': 32}.get(name[:-4], 2)


def to_ppm(name):
    """ImageMagick's reading of a bitmap, over black, as 8-bit RGB."""
    ppm = name[:-4] + '.ppm'
    subprocess.run(['/usr/bin/convert', name, '-background', 'black', '-alpha', 'remove', '-depth', '8',
                    ppm], check=True)
    return ppm


def read_ppm(path):
    data = open(path, 'rb').read()
    fields, at = [], 0
    while len(fields) < 4:
        while data[at:at + 1].isspace() or data[at:at + 1] == b'#':
            at = data.index(b'\n', at) + 1 if data[at:at + 1] == b'#' else at + 1
        end = at
        while not data[end:end + 1].isspace():
            end += 1
        fields.append(data[at:end])
        at = end
    at += 1
    w, h = int(fields[1]), int(fields[2])
    px = data[at:]
    return w, h, [[tuple(px[(y * w + x) * 3:(y * w + x) * 3 + 3]) for x in range(w)] for y in range(h)]


def main():
    os.chdir(os.path.dirname(os.path.abspath(__file__)))
    for old in glob.glob('*.bmp') + glob.glob('*.ppm'):
        os.remove(old)
    made = {  # name: the pixels meant
        'b1.bmp': indexed('b1.bmp', 1),
        'b1_core.bmp': indexed('b1_core.bmp', 1, core=True),
        'b4.bmp': indexed('b4.bmp', 4),
        'b4_core.bmp': indexed('b4_core.bmp', 4, core=True),
        'b4_rle.bmp': rle('b4_rle.bmp', 4),
        'b8.bmp': indexed('b8.bmp', 8),
        'b8_core.bmp': indexed('b8_core.bmp', 8, core=True),
        'b8_topdown.bmp': indexed('b8_topdown.bmp', 8, topdown=True),
        'b8_few_colours.bmp': indexed('b8_few_colours.bmp', 8, used=6),
        'b8_rle.bmp': rle('b8_rle.bmp', 8),
        'b16.bmp': direct('b16.bmp', 16),
        'b16_565.bmp': direct('b16_565.bmp', 16, (0xF800, 0x7E0, 0x1F)),
        'b16_bgr565.bmp': direct('b16_bgr565.bmp', 16, (0x1F, 0x7E0, 0xF800)),
        'b16_444.bmp': direct('b16_444.bmp', 16, (0xF00, 0xF0, 0xF)),
        'b16_4444_v3.bmp': direct('b16_4444_v3.bmp', 16, (0xF00, 0xF0, 0xF, 0xF000), header=56,
                                  alpha=lambda x, y: 255 if x < 7 else 136),
        'b24.bmp': direct('b24.bmp', 24),
        'b24_core.bmp': direct('b24_core.bmp', 24, header=12),
        'b24_topdown.bmp': direct('b24_topdown.bmp', 24, topdown=True),
        'b24_os2v2.bmp': direct('b24_os2v2.bmp', 24, header=64),
        'b32.bmp': direct('b32.bmp', 32),
        'b32_bitfields.bmp': direct('b32_bitfields.bmp', 32, (0xFF0000, 0xFF00, 0xFF)),
        'b32_bitfields_odd.bmp': direct('b32_bitfields_odd.bmp', 32, (0xFF000000, 0xFF0, 0xFF0000)),
        'b32_10bit.bmp': direct('b32_10bit.bmp', 32, (0x3FF00000, 0xFFC00, 0x3FF)),
        'b32_topdown_v4.bmp': direct('b32_topdown_v4.bmp', 32, (0xFF, 0xFF00, 0xFF0000), header=108, topdown=True),
        'b32_alpha_v5.bmp': direct('b32_alpha_v5.bmp', 32, (0xFF0000, 0xFF00, 0xFF, 0xFF000000), header=124,
                                   alpha=lambda x, y: (x * 20 + y * 3) % 256),
    }
    damaged()
    for name, expected in sorted(made.items()):
        ppm = to_ppm(name)
        tolerance = tolerance_of(name)
        with open(ppm, 'rb') as f:
            data = f.read()
        with open(ppm, 'wb') as f:  # the tolerance travels with the pixels
            f.write(data[:3] + b'# tolerance %d\n' % tolerance + data[3:])
        w, h, seen = read_ppm(ppm)
        assert (w, h) == (W, H), name
        worst = max(abs(a - b) for y in range(H) for x in range(W) for a, b in zip(seen[y][x], expected[y][x]))
        print('%-24s ImageMagick differs from the intent by %d, tolerance %d' % (name, worst, tolerance))
        assert worst <= tolerance, name


if __name__ == '__main__':
    main()
