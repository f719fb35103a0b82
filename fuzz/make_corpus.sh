#!/bin/sh
# Seed corpora for the fuzz targets, from the test fixtures (tests/data/skin) and the sample skin:
#   BUILD_DIR/corpus/skinfile   skin files
#   BUILD_DIR/corpus/inflate    a piece-size byte, then a raw DEFLATE stream (stored, fixed, dynamic)
#   BUILD_DIR/corpus/records    skin data files (SKINDATA.SK2)
# Usage: fuzz/make_corpus.sh BUILD_DIR     (needs python3)
set -eu
root=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?usage: make_corpus.sh BUILD_DIR}/corpus
mkdir -p "$out/skinfile" "$out/inflate" "$out/records"
cp "$root"/tests/data/skin/*.kvt "$root"/resources/skins/*.kvt "$out/skinfile/"
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
print('corpus in', out)
PY
