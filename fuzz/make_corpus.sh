#!/bin/sh
# Seed corpora for the fuzz targets, from the test fixtures, the sample skin, the stored forms and
# the pictures, plus generated samples:
#   BUILD_DIR/corpus/skinfile    skin files
#   BUILD_DIR/corpus/inflate     a piece-size byte, then a raw DEFLATE stream (stored, fixed, dynamic)
#   BUILD_DIR/corpus/records     skin data files (SKINDATA.SK2)
#   BUILD_DIR/corpus/formreader  stored form definitions (the program's forms and small samples)
#   BUILD_DIR/corpus/bmp         bitmap files: every header kind, bit depth and compression
#   BUILD_DIR/corpus/jpeg        JPEG files (baseline, progressive, grey)
# Usage: fuzz/make_corpus.sh BUILD_DIR     (needs python3)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: make_corpus.sh BUILD_DIR}/corpus
mkdir -p "$out/skinfile" "$out/inflate" "$out/records" "$out/formreader" "$out/bmp" "$out/jpeg"
cp "$root"/tests/data/skin/*.kvt "$root"/resources/skins/*.kvt "$out/skinfile/"
cp "$root"/resources/forms/*.dfm "$out/formreader/"
cp "$root"/resources/pictures/*.bmp "$root"/tests/data/graphics/*.bmp "$out/bmp/"
cp "$root"/resources/pictures/*.jpg "$root"/tests/data/graphics/*.jpg "$out/jpeg/"
python3 - "$root" "$out" <<'PY'
import io, os, sys, zipfile, zlib, random
root, out = sys.argv[1], sys.argv[2]
skins = [os.path.join(root, 'tests/data/skin', f) for f in sorted(os.listdir(os.path.join(root, 'tests/data/skin'))) if f.endswith('.kvt')]
skins.append(os.path.join(root, 'resources/skins/Verdigris.kvt'))
n = 0
for path in skins:
    b = bytearray(open(path, 'rb').read())
    b[0:2] = b'PK'
    z = zipfile.ZipFile(io.BytesIO(bytes(b)))
    z.setpassword(b'kiv')
    info = z.infolist()[0]
    data = z.read(info)
    open(os.path.join(out, 'records', os.path.basename(path) + '.sk2'), 'wb').write(data)
    if not info.flag_bits & 1:
        # The entry's raw DEFLATE stream as stored in the archive.
        off = info.header_offset
        nlen = b[off + 26] | b[off + 27] << 8
        xlen = b[off + 28] | b[off + 29] << 8
        start = off + 30 + nlen + xlen
        raw = bytes(b[start:start + info.compress_size])
        open(os.path.join(out, 'inflate', os.path.basename(path) + '.deflate'), 'wb').write(b'\x00' + raw)
rng = random.Random(1)
samples = [b'', b'a', b'skin ' * 200, bytes(rng.randrange(256) for _ in range(3000)),
           bytes(rng.choice(b'ab') for _ in range(5000)), b'\x00' * 70000]
for i, s in enumerate(samples):
    for level, strategy in [(0, 0), (1, 0), (6, zlib.Z_FILTERED), (9, zlib.Z_HUFFMAN_ONLY), (9, zlib.Z_RLE), (9, zlib.Z_FIXED)]:
        c = zlib.compressobj(level, zlib.DEFLATED, -15, 9, strategy)
        raw = c.compress(s) + c.flush()
        piece = b'\x85' if (i + level) % 2 else b'\x00'
        open(os.path.join(out, 'inflate', 'gen-%d-%d-%d.deflate' % (i, level, strategy)), 'wb').write(piece + raw)

# Stored form definitions: each construct of the format once.
forms = {
    'values': """object F: TForm
  Caption = 'It''s ' + 'joined' + #33#10
  Left = -12
  Color = $00FBFBFB
  Font.Style = [fsBold, fsItalic]
  Font.Charset = GB2312_CHARSET
  Font.Height = -11
  BorderIcons = [biSystemMenu]
  BorderStyle = bsDialog
  Visible = False
  object P: TPanel
    Align = alClient
    Constraints.MinWidth = 10
    object L: TLabel
      Caption = 'x'
      FocusControl = E
    end
    object E: TEdit
      Text = #20013#25991
    end
  end
end
""",
    'collection': """object F: TForm
  object S: TStatusBar
    Panels = <
      item
        Width = 120
      end
      item
        Alignment = taCenter
        Text = 'mid'
      end>
  end
  object C: TComboBox
    Items.Strings = (
      'one'
      'two')
    ItemIndex = 1
  end
end
""",
    'binary': """object F: TForm
  object I: TImage
    Picture.Data = file 'img2.jpg'
  end
  object J: TImage
    Picture.Data = {0754426974
      6D6170}
  end
end
""",
    'timer': """inherited F: TForm
  object T: TTimer
    Interval = 200
    Enabled = False
  end
  inline G: TGroupBox
    Caption = 'g'
  end
end
""",
}
for name, text in forms.items():
    open(os.path.join(out, 'formreader', name + '.dfm'), 'w').write(text)

# Bitmap files.
import struct
def bmp(name, w, h, bpp, pixels, palette=b'', compression=0, header=40, masks=b'', topdown=False, colors=None):
    if header == 12:
        info = struct.pack('<IHHHH', 12, w, h, 1, bpp)
    else:
        info = struct.pack('<IiiHHIIiiII', header, w, -h if topdown else h, 1, bpp, compression, len(pixels),
                           2835, 2835, len(palette) // (4) if colors is None else colors, 0)
        if header > 40:
            extra = masks.ljust(header - 40, b'\0')
            info += extra
            masks = b''
    off = 14 + len(info) + len(masks) + len(palette)
    data = struct.pack('<2sIHHI', b'BM', off + len(pixels), 0, 0, off) + info + masks + palette + pixels
    open(os.path.join(out, 'bmp', name + '.bmp'), 'wb').write(data)

def rows(w, h, rowbytes):
    stride = (len(rowbytes(0)) + 3) // 4 * 4
    return b''.join(rowbytes(y).ljust(stride, b'\0') for y in range(h))

pal2 = b'\0\0\0\0\xff\xff\xff\0'
pal16 = b''.join(bytes((i * 17, 255 - i * 17, i * 8, 0)) for i in range(16))
pal256 = b''.join(bytes((i, 255 - i, (i * 7) & 255, 0)) for i in range(256))
bmp('bpp1', 9, 3, 1, rows(9, 3, lambda y: bytes((0xAA >> y, 0x80))), pal2)
bmp('bpp4', 5, 3, 4, rows(5, 3, lambda y: bytes((0x12, 0x34, 0x50 + y))), pal16)
bmp('bpp8', 3, 3, 8, rows(3, 3, lambda y: bytes((y, 128, 255))), pal256)
bmp('bpp8_topdown', 3, 2, 8, rows(3, 2, lambda y: bytes((1, 2, 3))), pal256, topdown=True)
bmp('bpp8_short_palette', 2, 2, 8, rows(2, 2, lambda y: bytes((0, 1))), pal2, colors=2)
bmp('bpp16_555', 3, 2, 16, rows(3, 2, lambda y: struct.pack('<3H', 0x7C00, 0x03E0, 0x001F)))
bmp('bpp16_565', 3, 2, 16, rows(3, 2, lambda y: struct.pack('<3H', 0xF800, 0x07E0, 0x001F)), compression=3,
    masks=struct.pack('<3I', 0xF800, 0x07E0, 0x001F))
bmp('bpp24', 3, 3, 24, rows(3, 3, lambda y: bytes((255, 0, 0, 0, 255, 0, 0, 0, y * 80))))
bmp('bpp32', 2, 2, 32, rows(2, 2, lambda y: bytes((1, 2, 3, 0, 4, 5, 6, 255))))
bmp('bpp32_v5_bitfields', 2, 2, 32, rows(2, 2, lambda y: bytes((1, 2, 3, 4, 5, 6, 7, 8))), compression=3,
    header=124, masks=struct.pack('<4I', 0x00FF0000, 0x0000FF00, 0x000000FF, 0xFF000000))
bmp('bpp24_v4', 2, 2, 24, rows(2, 2, lambda y: bytes((9, 8, 7, 6, 5, 4))), header=108)
bmp('core24', 2, 2, 24, rows(2, 2, lambda y: bytes((9, 8, 7, 6, 5, 4))), header=12)
bmp('core8', 2, 2, 8, rows(2, 2, lambda y: bytes((0, 1))), b'\0\0\0\xff\xff\xff', header=12)
# RLE8: a run, an absolute run, end of line, a delta, end of bitmap.
bmp('rle8', 8, 4, 8, bytes((3, 1, 0, 3, 2, 3, 4, 0, 0, 0, 0, 2, 2, 1, 4, 5, 0, 1)), pal256, compression=1)
# RLE4: runs of alternating indexes, an absolute run, end of line, end of bitmap.
bmp('rle4', 8, 3, 4, bytes((4, 0x12, 0, 4, 0x34, 0x56, 0, 0, 6, 0x78, 0, 1)), pal16, compression=2)

print('corpus in', out)
PY
