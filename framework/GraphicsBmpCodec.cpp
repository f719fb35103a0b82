// Windows bitmap files. Bitmaps arrive inside skin files from anywhere, so every size, offset and count
// read from the data is checked against the data before it is used.
#include "framework/GraphicsBmpCodec.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace {

constexpr uint32_t BI_RGB = 0, BI_RLE8 = 1, BI_RLE4 = 2, BI_BITFIELDS = 3, BI_ALPHABITFIELDS = 6;

class ByteReader {
public:
    ByteReader(const uint8_t* d, size_t n) : FData(d), FSize(n) {}
    bool Has(uint64_t off, uint64_t len) const { return off <= FSize && len <= FSize - off; }
    uint8_t U8(size_t off) const { return FData[off]; }
    uint16_t U16(size_t off) const { return uint16_t(FData[off] | (FData[off + 1] << 8)); }
    uint32_t U32(size_t off) const
    {
        return uint32_t(FData[off]) | (uint32_t(FData[off + 1]) << 8) | (uint32_t(FData[off + 2]) << 16) |
               (uint32_t(FData[off + 3]) << 24);
    }
    int32_t S32(size_t off) const { return int32_t(U32(off)); }
    const uint8_t* At(size_t off) const { return FData + off; }
    size_t Size() const { return FSize; }

private:
    const uint8_t* FData;
    size_t FSize;
};

// One colour channel taken from a bit field and scaled to 0..255.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    uint64_t max = 0;
    explicit Channel(uint32_t m = 0) : mask(m)
    {
        if (m) {
            shift = std::countr_zero(m);
            max = m >> shift;
        }
    }
    uint32_t Get(uint32_t px) const
    {
        if (!mask)
            return 0;
        const uint64_t v = (px & mask) >> shift;
        return uint32_t((v * 255 + max / 2) / max);
    }
};

// Run-length decoding into palette indexes. Pixels the data skips keep index 0; runs are cut at the
// row's end; data past the last row, moves outside the bitmap and data ending before the last row
// make the bitmap invalid.
bool DecodeRle(const ByteReader& r, size_t pos, size_t end, bool rle4, int width, int height,
               std::vector<uint8_t>& idx, size_t& consumed)
{
    int x = 0, y = 0;  // y counts rows in file order
    auto put = [&](int v) -> bool {
        if (y >= height)
            return false;
        if (x < width)  // a run past the row's end is cut there
            idx[size_t(y) * width + x++] = uint8_t(v);
        return true;
    };
    while (true) {
        if (pos + 2 > end) {
            consumed = pos;
            return y >= height;  // the end-of-bitmap mark may be missing after the last row
        }
        const int count = r.U8(pos), value = r.U8(pos + 1);
        pos += 2;
        if (count > 0) {
            if (y >= height)
                return false;
            for (int i = 0; i < count; ++i) {
                const int v = rle4 ? ((i & 1) ? (value & 0x0F) : (value >> 4)) : value;
                if (!put(v))
                    return false;
            }
            continue;
        }
        switch (value) {
        case 0:  // end of line
            x = 0;
            ++y;
            break;
        case 1:  // end of bitmap
            consumed = pos;
            return true;
        case 2: {  // move by (dx, dy)
            if (pos + 2 > end)
                return false;
            const int dx = r.U8(pos), dy = r.U8(pos + 1);
            pos += 2;
            x += dx;
            y += dy;
            if (x > width || y > height)
                return false;
            break;
        }
        default: {  // absolute run of `value` pixels, padded to a 16-bit boundary
            const int n = value;
            const size_t bytes = rle4 ? size_t((n + 1) / 2) : size_t(n);
            const size_t padded = (bytes + 1) & ~size_t(1);
            if (pos + padded > end)
                return false;
            for (int i = 0; i < n; ++i) {
                const uint8_t b = r.U8(pos + (rle4 ? size_t(i / 2) : size_t(i)));
                const int v = rle4 ? ((i & 1) ? (b & 0x0F) : (b >> 4)) : b;
                if (!put(v))
                    return false;
            }
            pos += padded;
            break;
        }
        }
    }
}

}  // namespace

bool DecodeBitmapFile(const uint8_t* data, size_t size, TDecodedBitmap& out)
{
    if (!data || size < 14 + 12)
        return false;
    const ByteReader r(data, size);
    if (r.U8(0) != 'B' || r.U8(1) != 'M')
        return false;
    const uint32_t bfSize = r.U32(2);
    const uint32_t bfOffBits = r.U32(10);
    const uint32_t hdrSize = r.U32(14);
    if (hdrSize < 12 || !r.Has(14, hdrSize))
        return false;

    int64_t width = 0, height = 0;
    int bpp = 0;
    uint32_t compression = BI_RGB, clrUsed = 0, sizeImage = 0;
    const bool core = hdrSize == 12;
    if (core) {
        width = r.U16(18);
        height = r.U16(20);
        bpp = r.U16(24);
    } else {
        if (hdrSize < 16)
            return false;
        width = r.S32(18);
        height = r.S32(22);
        bpp = r.U16(28);
        if (hdrSize >= 20)
            compression = r.U32(30);
        if (hdrSize >= 24)
            sizeImage = r.U32(34);
        if (hdrSize >= 36)
            clrUsed = r.U32(46);
        // OS/2 2.x headers (16 or 64 bytes, or cut short) number their Huffman and RLE24 codes 3 and 4.
        const bool os2 = hdrSize < 40 || hdrSize == 64;
        if (os2 && compression > BI_RLE4)
            return false;
    }

    if (width <= 0 || height == 0)
        return false;
    const bool topDown = height < 0;
    const int64_t h64 = topDown ? -height : height;
    if (width > MaxBitmapSide || h64 > MaxBitmapSide || width * h64 > MaxBitmapPixels)
        return false;
    const int w = int(width), h = int(h64);

    switch (compression) {
    case BI_RGB:
        if (bpp != 1 && bpp != 4 && bpp != 8 && bpp != 16 && bpp != 24 && bpp != 32)
            return false;
        if (core && bpp != 1 && bpp != 4 && bpp != 8 && bpp != 24)
            return false;
        break;
    case BI_RLE8:
        if (bpp != 8 || core)
            return false;
        break;
    case BI_RLE4:
        if (bpp != 4 || core)
            return false;
        break;
    case BI_BITFIELDS:
    case BI_ALPHABITFIELDS:
        if (bpp != 16 && bpp != 32)
            return false;
        break;
    default:
        return false;  // JPEG, PNG and unknown compressions
    }

    // Colour masks: inside V2+ headers, or right after a 40-byte header.
    uint64_t afterHeader = 14 + uint64_t(hdrSize);
    Channel red, green, blue;
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS) {
        size_t at;
        if (hdrSize >= 52) {
            at = 14 + 40;
        } else {
            at = size_t(afterHeader);
            afterHeader += compression == BI_ALPHABITFIELDS ? 16 : 12;
            if (!r.Has(at, compression == BI_ALPHABITFIELDS ? 16 : 12))
                return false;
        }
        red = Channel(r.U32(at));
        green = Channel(r.U32(at + 4));
        blue = Channel(r.U32(at + 8));
    } else if (bpp == 16) {
        red = Channel(0x7C00);
        green = Channel(0x03E0);
        blue = Channel(0x001F);
    }

    // Palette.
    std::vector<QRgb> palette;
    if (bpp <= 8) {
        uint64_t entries = (clrUsed && clrUsed < (1u << bpp)) ? clrUsed : (1u << bpp);
        const uint64_t entrySize = core ? 3 : 4;
        if (afterHeader > size)
            return false;
        uint64_t limit = size;
        if (bfOffBits > afterHeader && bfOffBits <= size)
            limit = bfOffBits;
        entries = std::min<uint64_t>(entries, (limit - afterHeader) / entrySize);
        if (entries == 0)
            return false;
        palette.resize(size_t(entries));
        for (size_t i = 0; i < palette.size(); ++i) {
            const size_t e = size_t(afterHeader + i * entrySize);
            palette[i] = qRgb(r.U8(e + 2), r.U8(e + 1), r.U8(e));
        }
        afterHeader += entries * entrySize;
    }

    // Pixel data.
    uint64_t off = bfOffBits;
    if (off == 0)
        off = afterHeader;
    if (off < 14 + uint64_t(hdrSize) || off >= size)
        return false;

    QImage img(w, h, QImage::Format_RGB32);
    if (img.isNull())
        return false;
    auto destRow = [&](int fileRow) {
        return reinterpret_cast<QRgb*>(img.scanLine(topDown ? fileRow : h - 1 - fileRow));
    };
    auto paletteColor = [&](unsigned i) { return i < palette.size() ? palette[i] : qRgb(0, 0, 0); };

    uint64_t consumed = 0;
    if (compression == BI_RLE8 || compression == BI_RLE4) {
        uint64_t end = size;
        if (sizeImage && off + sizeImage <= size)
            end = off + sizeImage;
        std::vector<uint8_t> idx(size_t(w) * size_t(h), 0);
        size_t used = 0;
        if (!DecodeRle(r, size_t(off), size_t(end), compression == BI_RLE4, w, h, idx, used))
            return false;
        consumed = used;
        for (int y = 0; y < h; ++y) {
            QRgb* d = destRow(y);
            const uint8_t* s = idx.data() + size_t(y) * w;
            for (int x = 0; x < w; ++x)
                d[x] = paletteColor(s[x]);
        }
    } else {
        const uint64_t stride = ((uint64_t(w) * bpp + 31) / 32) * 4;
        const uint64_t lastRow = (uint64_t(w) * bpp + 7) / 8;  // the final row may lack its padding
        if (!r.Has(off, stride * (h - 1) + lastRow))
            return false;
        consumed = std::min<uint64_t>(off + stride * h, size);
        for (int y = 0; y < h; ++y) {
            const uint8_t* s = r.At(size_t(off + stride * y));
            QRgb* d = destRow(y);
            switch (bpp) {
            case 1:
                for (int x = 0; x < w; ++x)
                    d[x] = paletteColor((s[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                for (int x = 0; x < w; ++x)
                    d[x] = paletteColor((x & 1) ? (s[x >> 1] & 0x0F) : (s[x >> 1] >> 4));
                break;
            case 8:
                for (int x = 0; x < w; ++x)
                    d[x] = paletteColor(s[x]);
                break;
            case 16:
                for (int x = 0; x < w; ++x) {
                    const uint32_t v = uint32_t(s[2 * x] | (s[2 * x + 1] << 8));
                    d[x] = qRgb(int(red.Get(v)), int(green.Get(v)), int(blue.Get(v)));
                }
                break;
            case 24:
                for (int x = 0; x < w; ++x)
                    d[x] = qRgb(s[3 * x + 2], s[3 * x + 1], s[3 * x]);
                break;
            case 32:
                if (compression == BI_RGB) {
                    for (int x = 0; x < w; ++x)
                        d[x] = qRgb(s[4 * x + 2], s[4 * x + 1], s[4 * x]);
                } else {
                    for (int x = 0; x < w; ++x) {
                        const uint32_t v = uint32_t(s[4 * x]) | (uint32_t(s[4 * x + 1]) << 8) |
                                           (uint32_t(s[4 * x + 2]) << 16) | (uint32_t(s[4 * x + 3]) << 24);
                        d[x] = qRgb(int(red.Get(v)), int(green.Get(v)), int(blue.Get(v)));
                    }
                }
                break;
            }
        }
    }

    switch (bpp) {
    case 1: out.PixelFormat = pf1bit; break;
    case 4: out.PixelFormat = pf4bit; break;
    case 8: out.PixelFormat = pf8bit; break;
    case 16:
        out.PixelFormat = (red.mask == 0x7C00 && green.mask == 0x03E0 && blue.mask == 0x001F) ? pf15bit : pf16bit;
        break;
    case 24: out.PixelFormat = pf24bit; break;
    default: out.PixelFormat = pf32bit; break;
    }
    if (bfSize >= consumed && bfSize <= size)
        consumed = bfSize;
    out.Consumed = size_t(consumed);
    out.Image = std::move(img);
    return true;
}

QByteArray EncodeBitmapFile(const QImage& image, bool bits32)
{
    const QImage img = image.format() == QImage::Format_RGB32 ? image : image.convertToFormat(QImage::Format_RGB32);
    const int w = img.width(), h = img.height();
    const int bpp = bits32 ? 32 : 24;
    const uint32_t stride = uint32_t(((uint64_t(w) * bpp + 31) / 32) * 4);
    const uint32_t dataSize = stride * uint32_t(h);
    const uint32_t offBits = 14 + 40;
    QByteArray out(int(offBits + dataSize), '\0');
    uint8_t* p = reinterpret_cast<uint8_t*>(out.data());
    auto put16 = [&](size_t at, uint16_t v) {
        p[at] = uint8_t(v);
        p[at + 1] = uint8_t(v >> 8);
    };
    auto put32 = [&](size_t at, uint32_t v) {
        for (int i = 0; i < 4; ++i)
            p[at + i] = uint8_t(v >> (8 * i));
    };
    p[0] = 'B';
    p[1] = 'M';
    put32(2, offBits + dataSize);
    put32(10, offBits);
    put32(14, 40);
    put32(18, uint32_t(w));
    put32(22, uint32_t(h));
    put16(26, 1);
    put16(28, uint16_t(bpp));
    put32(30, BI_RGB);
    put32(34, dataSize);
    for (int y = 0; y < h; ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(img.constScanLine(h - 1 - y));
        uint8_t* d = p + offBits + size_t(stride) * y;
        for (int x = 0; x < w; ++x) {
            const QRgb v = s[x];
            if (bits32) {
                d[4 * x] = uint8_t(qBlue(v));
                d[4 * x + 1] = uint8_t(qGreen(v));
                d[4 * x + 2] = uint8_t(qRed(v));
                d[4 * x + 3] = 0xFF;
            } else {
                d[3 * x] = uint8_t(qBlue(v));
                d[3 * x + 1] = uint8_t(qGreen(v));
                d[3 * x + 2] = uint8_t(qRed(v));
            }
        }
    }
    return out;
}
