// TBitmap: bitmap files decoded from hand-built bytes, malformed files, writing, and the bitmap's
// own properties (size, pixel format, transparency, assignment).
#include "framework/Graphics.h"
#include "framework/Streams.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<uint8_t>;

void Put16(Bytes& b, size_t at, uint32_t v)
{
    b[at] = uint8_t(v);
    b[at + 1] = uint8_t(v >> 8);
}

void Put32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = uint8_t(v >> (8 * i));
}

// A bitmap file put together field by field, so that tests can state exactly what the decoder sees.
struct BmpSpec {
    uint32_t headerSize = 40;
    int32_t width = 0;
    int32_t height = 0;
    uint16_t bpp = 24;
    uint32_t compression = 0;
    uint32_t clrUsed = 0;
    uint32_t sizeImage = 0;
    std::vector<uint32_t> palette;   // $00RRGGBB entries
    std::vector<uint32_t> masks;     // inside V2+ headers, or after a 40-byte header
    Bytes pixels;                    // the pixel array exactly as stored
    int64_t offBits = -1;            // -1: right after the palette
};

Bytes BuildBmp(const BmpSpec& s)
{
    const bool core = s.headerSize == 12;
    const bool masksAfter = !s.masks.empty() && s.headerSize == 40;
    const size_t entry = core ? 3 : 4;
    const size_t palStart = 14 + s.headerSize + (masksAfter ? 4 * s.masks.size() : 0);
    const size_t dataStart = palStart + entry * s.palette.size();
    Bytes b(dataStart + s.pixels.size(), 0);
    b[0] = 'B';
    b[1] = 'M';
    Put32(b, 2, uint32_t(b.size()));
    Put32(b, 10, s.offBits < 0 ? uint32_t(dataStart) : uint32_t(s.offBits));
    Put32(b, 14, s.headerSize);
    if (core) {
        Put16(b, 18, uint32_t(s.width));
        Put16(b, 20, uint32_t(s.height));
        Put16(b, 22, 1);
        Put16(b, 24, s.bpp);
    } else {
        Put32(b, 18, uint32_t(s.width));
        Put32(b, 22, uint32_t(s.height));
        Put16(b, 26, 1);
        Put16(b, 28, s.bpp);
        if (s.headerSize >= 20)
            Put32(b, 30, s.compression);
        if (s.headerSize >= 24)
            Put32(b, 34, s.sizeImage);
        if (s.headerSize >= 36)
            Put32(b, 46, s.clrUsed);
    }
    if (!s.masks.empty()) {
        const size_t at = masksAfter ? 14 + 40 : 14 + 40;
        for (size_t i = 0; i < s.masks.size(); ++i)
            Put32(b, at + 4 * i, s.masks[i]);
    }
    for (size_t i = 0; i < s.palette.size(); ++i) {
        const uint32_t c = s.palette[i];
        const size_t at = palStart + entry * i;
        b[at] = uint8_t(c);            // blue
        b[at + 1] = uint8_t(c >> 8);   // green
        b[at + 2] = uint8_t(c >> 16);  // red
    }
    if (!s.pixels.empty())
        std::memcpy(b.data() + dataStart, s.pixels.data(), s.pixels.size());
    return b;
}

// Rows given as bytes, each padded to a multiple of four.
Bytes Rows(std::initializer_list<Bytes> rows)
{
    Bytes out;
    for (const Bytes& r : rows) {
        out.insert(out.end(), r.begin(), r.end());
        out.resize((out.size() + 3) & ~size_t(3), 0);
    }
    return out;
}

// The bitmap's pixels as $00RRGGBB, top row first.
std::vector<std::vector<uint32_t>> PixelsOf(TBitmap& b)
{
    std::vector<std::vector<uint32_t>> rows;
    for (int y = 0; y < b.Height(); ++y) {
        std::vector<uint32_t> r;
        for (int x = 0; x < b.Width(); ++x)
            r.push_back(b.Image().pixel(x, y) & 0xFFFFFF);
        rows.push_back(r);
    }
    return rows;
}

void Load(TBitmap& b, const Bytes& bytes)
{
    b.LoadFromMemory(bytes.data(), bytes.size());
}

constexpr uint32_t R = 0xFF0000, G = 0x00FF00, B = 0x0000FF, W = 0xFFFFFF, K = 0x000000;

struct DecodeCase {
    const char* name;
    BmpSpec spec;
    TPixelFormat format;
    std::vector<std::vector<uint32_t>> expected;
};

BmpSpec Spec(int w, int h, uint16_t bpp, Bytes pixels, std::vector<uint32_t> palette = {}, uint32_t compression = 0,
             std::vector<uint32_t> masks = {}, uint32_t headerSize = 40)
{
    BmpSpec s;
    s.width = w;
    s.height = h;
    s.bpp = bpp;
    s.pixels = std::move(pixels);
    s.palette = std::move(palette);
    s.compression = compression;
    s.masks = std::move(masks);
    s.headerSize = headerSize;
    return s;
}

std::vector<DecodeCase> DecodeCases()
{
    std::vector<DecodeCase> cases;
    // 1 bpp, bottom-up: file row 0 is the bottom row.
    cases.push_back({"mono", Spec(3, 2, 1, Rows({{0b10100000}, {0b01000000}}), {K, W}), pf1bit,
                     {{K, W, K}, {W, K, W}}});
    // 4 bpp with a short palette (clrUsed 3); index 3 is past the palette and reads black.
    {
        BmpSpec s = Spec(3, 2, 4, Rows({{0x01, 0x20}, {0x23, 0x00}}), {R, G, B});
        s.clrUsed = 3;
        cases.push_back({"four_bit_short_palette", s, pf4bit, {{B, K, R}, {R, G, B}}});
    }
    // 8 bpp, top-down.
    cases.push_back({"eight_bit_top_down", Spec(2, -2, 8, Rows({{0, 1}, {2, 0}}), {R, G, B}), pf8bit,
                     {{R, G}, {B, R}}});
    // 16 bpp 5-5-5 without bit fields.
    cases.push_back({"rgb555", Spec(2, 1, 16, Rows({{0x00, 0x7C, 0x1F, 0x00}})), pf15bit, {{R, B}}});
    // 16 bpp 5-6-5 with bit fields after the 40-byte header.
    cases.push_back({"rgb565_bitfields", Spec(2, 1, 16, Rows({{0xE0, 0x07, 0x00, 0xF8}}), {}, 3, {0xF800, 0x07E0, 0x001F}),
                     pf16bit, {{G, R}}});
    // 24 bpp, rows padded to four bytes.
    cases.push_back({"rgb24_padded", Spec(3, 2, 24, Rows({{0, 0, 255, 0, 255, 0, 255, 0, 0}, {255, 255, 255, 0, 0, 0, 0, 0, 255}})),
                     pf24bit, {{W, K, R}, {R, G, B}}});
    // 32 bpp BI_RGB: the fourth byte is ignored.
    cases.push_back({"rgb32", Spec(2, 1, 32, Rows({{255, 0, 0, 0x12, 0, 255, 0, 0xFF}})), pf32bit, {{B, G}}});
    // 32 bpp with bit fields inside a V5 header, channels in an unusual order.
    cases.push_back({"bitfields32_v5", Spec(1, 1, 32, Rows({{0x11, 0x22, 0x33, 0x44}}), {}, 3,
                                            {0x0000FF00, 0x00FF0000, 0xFF000000}, 124),
                     pf32bit, {{0x223344}}});
    // OS/2 core header with three-byte palette entries.
    cases.push_back({"core_header", Spec(2, 1, 8, Rows({{1, 0}}), {R, B}, 0, {}, 12), pf8bit, {{B, R}}});
    // OS/2 2.x 64-byte header.
    cases.push_back({"os2_v2_header", Spec(1, 1, 24, Rows({{0, 255, 0}}), {}, 0, {}, 64), pf24bit, {{G}}});
    // RLE8: a run, an absolute run (padded, its last pixel cut at the row's end), end of line; then a
    // delta over pixels that keep index 0, a run, end of bitmap.
    cases.push_back({"rle8", Spec(4, 2, 8, {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 3, 0, 1, 2, 0, 1}, {R, G, B}, 1),
                     pf8bit, {{R, R, R, B}, {G, G, B, R}}});
    // RLE4: a run alternating two nibbles, a run of one.
    cases.push_back({"rle4", Spec(4, 1, 4, {3, 0x12, 1, 0x20, 0, 1}, {R, G, B}, 2), pf4bit, {{G, B, G, B}}});
    // RLE4: an absolute run of five nibbles, padded to a 16-bit boundary.
    cases.push_back({"rle4_absolute", Spec(5, 1, 4, {0, 5, 0x12, 0x01, 0x20, 0x00, 0, 1}, {R, G, B}, 2), pf4bit,
                     {{G, B, R, G, B}}});
    // The pixel-array offset left at 0 is worked out from the headers.
    {
        BmpSpec s = Spec(1, 1, 24, Rows({{255, 0, 0}}));
        s.offBits = 0;
        cases.push_back({"zero_offset", s, pf24bit, {{B}}});
    }
    return cases;
}

class BitmapDecode : public ::testing::TestWithParam<DecodeCase> {};

}  // namespace

TEST_P(BitmapDecode, DecodesPixelsAndFormat)
{
    const DecodeCase& c = GetParam();
    TBitmap b;
    Load(b, BuildBmp(c.spec));
    EXPECT_EQ(b.PixelFormat(), c.format);
    EXPECT_EQ(PixelsOf(b), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Formats, BitmapDecode, ::testing::ValuesIn(DecodeCases()),
                         [](const auto& info) { return std::string(info.param.name); });

namespace {

struct BadCase {
    const char* name;
    Bytes bytes;
};

Bytes Valid24()
{
    return BuildBmp(Spec(3, 2, 24, Rows({{1, 2, 3, 4, 5, 6, 7, 8, 9}, {9, 8, 7, 6, 5, 4, 3, 2, 1}})));
}

Bytes With32(Bytes b, size_t at, uint32_t v)
{
    Put32(b, at, v);
    return b;
}

Bytes With16(Bytes b, size_t at, uint32_t v)
{
    Put16(b, at, v);
    return b;
}

std::vector<BadCase> BadCases()
{
    const Bytes v = Valid24();
    std::vector<BadCase> cases;
    cases.push_back({"just_the_magic", {'B', 'M'}});
    cases.push_back({"wrong_magic", [&] { Bytes b = v; b[0] = 'P'; return b; }()});
    cases.push_back({"header_size_zero", With32(v, 14, 0)});
    cases.push_back({"header_size_past_end", With32(v, 14, 4000)});
    cases.push_back({"header_size_between_core_and_os2", With32(v, 14, 14)});
    cases.push_back({"width_zero", With32(v, 18, 0)});
    cases.push_back({"width_negative", With32(v, 18, uint32_t(-3))});
    cases.push_back({"height_zero", With32(v, 22, 0)});
    cases.push_back({"height_int_min", With32(v, 22, uint32_t(INT_MIN))});
    cases.push_back({"huge_dimensions", With32(With32(v, 18, 100000), 22, 100000)});
    cases.push_back({"too_many_pixels", With32(With32(v, 18, 16384), 22, 16384)});
    cases.push_back({"bpp_7", With16(v, 28, 7)});
    cases.push_back({"bpp_0", With16(v, 28, 0)});
    cases.push_back({"jpeg_compression", With32(v, 30, 4)});
    cases.push_back({"rle8_with_24_bits", With32(v, 30, 1)});
    cases.push_back({"bitfields_with_24_bits", With32(v, 30, 3)});
    cases.push_back({"offset_past_end", With32(v, 10, 5000)});
    cases.push_back({"offset_inside_header", With32(v, 10, 20)});
    cases.push_back({"offset_wraps", With32(v, 10, 0xFFFFFFF0u)});
    cases.push_back({"truncated_pixels", Bytes(v.begin(), v.end() - 5)});
    cases.push_back({"height_larger_than_data", With32(v, 22, 40)});
    cases.push_back({"palette_missing", BuildBmp(Spec(2, 1, 8, {}, {}))});
    cases.push_back({"masks_missing", Bytes(BuildBmp(Spec(1, 1, 16, {}, {}, 3)))});
    // RLE faults.
    cases.push_back({"rle_run_past_last_row", BuildBmp(Spec(2, 1, 8, {2, 0, 0, 0, 2, 0, 0, 1}, {R}, 1))});
    cases.push_back({"rle_delta_outside", BuildBmp(Spec(2, 2, 8, {0, 2, 5, 0, 0, 1}, {R}, 1))});
    cases.push_back({"rle_delta_below", BuildBmp(Spec(2, 2, 8, {0, 2, 0, 9, 0, 1}, {R}, 1))});
    cases.push_back({"rle_absolute_past_data", BuildBmp(Spec(8, 1, 8, {0, 8, 1, 2}, {R}, 1))});
    cases.push_back({"rle_ends_before_last_row", BuildBmp(Spec(2, 3, 8, {2, 0, 0, 0}, {R}, 1))});
    cases.push_back({"rle_delta_cut_short", BuildBmp(Spec(2, 2, 8, {0, 2, 1}, {R}, 1))});
    return cases;
}

class BitmapMalformed : public ::testing::TestWithParam<BadCase> {};

}  // namespace

TEST_P(BitmapMalformed, RaisesInvalidGraphicAndKeepsTheBitmap)
{
    TBitmap b(2, 2);
    b.Canvas()->SetPixels(0, 0, clRed);
    const Bytes& bytes = GetParam().bytes;
    try {
        Load(b, bytes);
        FAIL() << "no exception";
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Bitmap image is not valid"));
    }
    EXPECT_EQ(b.Width(), 2);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
}

INSTANTIATE_TEST_SUITE_P(Files, BitmapMalformed, ::testing::ValuesIn(BadCases()),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(BitmapMalformedBulk, EveryTruncationOfAValidFileIsRejectedOrDecoded)
{
    const std::vector<Bytes> files = {
        Valid24(), BuildBmp(Spec(4, 2, 8, {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 3, 0, 1, 2, 0, 1}, {R, G, B}, 1)),
        BuildBmp(Spec(3, 2, 1, Rows({{0b10100000}, {0b01000000}}), {K, W}))};
    for (const Bytes& f : files) {
        TBitmap whole;
        whole.LoadFromMemory(f.data(), f.size());
        ASSERT_GT(whole.Width(), 0);
        int rejected = 0;
        for (size_t n = 1; n < f.size(); ++n) {
            // Copies to the heap of exactly n bytes so that a read past the end is caught by sanitizers.
            std::unique_ptr<uint8_t[]> cut(new uint8_t[n]);
            std::memcpy(cut.get(), f.data(), n);
            TBitmap b;
            try {
                b.LoadFromMemory(cut.get(), n);
                // Decoded: a picture of the file's own size, never something else.
                EXPECT_EQ(b.Width(), whole.Width()) << "cut at " << n;
                EXPECT_EQ(b.Height(), whole.Height()) << "cut at " << n;
            } catch (const EInvalidGraphic&) {
                ++rejected;
                EXPECT_TRUE(b.Empty()) << "cut at " << n << ": a rejected file leaves the bitmap empty";
            }
        }
        // A file cut inside its headers can never be decoded.
        EXPECT_GE(rejected, 53) << "the headers of a Windows bitmap take 54 bytes";
    }
}

TEST(BitmapMalformedBulk, RandomCorruptionNeverEscapesAsAnythingButInvalidGraphic)
{
    const std::vector<Bytes> seeds = {
        Valid24(), BuildBmp(Spec(4, 2, 8, {2, 1, 0, 3, 2, 0, 1, 0, 0, 0, 0, 2, 3, 0, 1, 2, 0, 1}, {R, G, B}, 1)),
        BuildBmp(Spec(5, 1, 4, {0, 5, 0x12, 0x01, 0x20, 0x00, 0, 1}, {R, G, B}, 2)),
        BuildBmp(Spec(2, 1, 16, Rows({{0xE0, 0x07, 0x00, 0xF8}}), {}, 3, {0xF800, 0x07E0, 0x001F}))};
    std::mt19937 rng(12345);
    int decoded = 0, rejected = 0;
    for (const Bytes& seed : seeds) {
        for (int round = 0; round < 3000; ++round) {
            Bytes f = seed;
            const int flips = 1 + int(rng() % 4);
            for (int i = 0; i < flips; ++i)
                f[rng() % f.size()] = uint8_t(rng());
            std::unique_ptr<uint8_t[]> copy(new uint8_t[f.size()]);
            std::memcpy(copy.get(), f.data(), f.size());
            TBitmap b;
            try {
                b.LoadFromMemory(copy.get(), f.size());
                ++decoded;
                EXPECT_LE(int64_t(b.Width()) * b.Height(), MaxBitmapPixels);
            } catch (const EInvalidGraphic&) {
                ++rejected;
            }
        }
    }
    EXPECT_GT(decoded, 0);
    EXPECT_GT(rejected, 0);
}

TEST(BitmapFile, EmptyDataGivesAnEmptyBitmap)
{
    TBitmap b(3, 3);
    b.LoadFromMemory(nullptr, 0);
    EXPECT_TRUE(b.Empty());
}

TEST(BitmapFile, WriteThenReadKeepsEveryPixel)
{
    for (TPixelFormat pf : {pf24bit, pf32bit}) {
        TBitmap a(5, 3);
        a.SetPixelFormat(pf);
        a.Canvas()->Brush()->SetColor(TColor(0x123456));
        a.Canvas()->FillRect(Rect(1, 0, 4, 2));
        a.Canvas()->SetPixels(4, 2, TColor(0xABCDEF));
        TMemoryStream s;
        a.SaveToStream(&s);
        const uint8_t* m = static_cast<const uint8_t*>(s.Memory());
        EXPECT_EQ(m[28], pf == pf32bit ? 32 : 24);
        s.SetPosition(0);
        TBitmap b;
        b.LoadFromStream(&s);
        EXPECT_EQ(b.PixelFormat(), pf);
        EXPECT_EQ(PixelsOf(a), PixelsOf(b));
        EXPECT_EQ(s.Position(), s.Size());
    }
}

TEST(BitmapFile, LoadFromStreamStopsAtTheBitmapsEnd)
{
    TBitmap a(2, 1), c(1, 3);
    a.Canvas()->SetPixels(0, 0, clRed);
    c.Canvas()->SetPixels(0, 2, clBlue);
    TMemoryStream s;
    a.SaveToStream(&s);
    c.SaveToStream(&s);
    s.SetPosition(0);
    TBitmap x, y;
    x.LoadFromStream(&s);
    y.LoadFromStream(&s);
    EXPECT_EQ(PixelsOf(x), PixelsOf(a));
    EXPECT_EQ(PixelsOf(y), PixelsOf(c));
}

TEST(BitmapFile, SaveToFileAndLoadFromFile)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("pic.bmp"));
    TBitmap a(4, 4);
    a.Canvas()->SetPixels(3, 3, clLime);
    a.SaveToFile(path);
    TBitmap b;
    b.LoadFromFile(path);
    EXPECT_EQ(PixelsOf(a), PixelsOf(b));
    EXPECT_THROW(b.LoadFromFile(dir.filePath(QStringLiteral("missing.bmp"))), EFOpenError);
}

TEST(BitmapSize, ResizingKeepsPixelsAndPaintsNewOnesWhite)
{
    TBitmap b(2, 2);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 2, 2));
    b.SetSize(3, 1);
    EXPECT_EQ(PixelsOf(b), (std::vector<std::vector<uint32_t>>{{R, R, W}}));
    b.SetHeight(2);
    EXPECT_EQ(PixelsOf(b), (std::vector<std::vector<uint32_t>>{{R, R, W}, {W, W, W}}));
}

TEST(BitmapSize, WidthAndHeightSetOneAfterTheOther)
{
    TBitmap b;
    b.SetWidth(5);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Width(), 5);
    b.SetHeight(4);
    EXPECT_FALSE(b.Empty());
    EXPECT_EQ(b.Image().size(), QSize(5, 4));
    b.SetWidth(0);
    EXPECT_TRUE(b.Empty());
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), CLR_INVALID);
}

TEST(BitmapSize, NegativeSizesClampAndHugeOnesRaise)
{
    TBitmap b;
    b.SetSize(-4, 7);
    EXPECT_EQ(b.Width(), 0);
    EXPECT_THROW(b.SetSize(MaxBitmapSide + 1, 1), EOutOfResources);
    EXPECT_THROW(b.SetSize(MaxBitmapSide, MaxBitmapSide), EOutOfResources);
}

TEST(BitmapFormat, ChangingBetween24And32BitsKeepsPixels)
{
    TBitmap b(2, 1);
    b.Canvas()->SetPixels(1, 0, TColor(0x405060));
    EXPECT_EQ(b.PixelFormat(), pfDevice);
    b.SetPixelFormat(pf32bit);
    b.SetPixelFormat(pf24bit);
    EXPECT_EQ(b.Canvas()->Pixels(1, 0), TColor(0x405060));
    EXPECT_EQ(b.PixelFormat(), pf24bit);
}

TEST(BitmapTransparency, AutomaticFixedAndBackToAutomatic)
{
    TBitmap b(2, 2);
    b.Canvas()->SetPixels(0, 1, clLime);
    EXPECT_EQ(b.TransparentMode(), tmAuto);
    EXPECT_EQ(b.TransparentColor(), clLime);
    b.SetTransparentColor(clFuchsia);
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clFuchsia);
    b.SetTransparentMode(tmAuto);
    EXPECT_EQ(b.TransparentColor(), clLime);
    b.SetTransparentMode(tmFixed);  // fixes the colour in effect
    b.Canvas()->SetPixels(0, 1, clRed);
    EXPECT_EQ(b.TransparentColor(), clLime);
}

TEST(BitmapAssign, CopiesDeeplyWithTransparencySettings)
{
    TBitmap a(2, 1);
    a.Canvas()->SetPixels(0, 0, clRed);
    a.SetPixelFormat(pf32bit);
    a.SetTransparent(true);
    a.SetTransparentColor(clRed);
    TBitmap b;
    b.Assign(&a);
    b.Canvas()->SetPixels(1, 0, clBlue);
    EXPECT_EQ(a.Canvas()->Pixels(1, 0), clWhite);  // the original is untouched
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    EXPECT_TRUE(b.Transparent());
    EXPECT_EQ(b.TransparentMode(), tmFixed);
    EXPECT_EQ(b.TransparentColor(), clRed);
    EXPECT_EQ(b.PixelFormat(), pf32bit);
    a.Canvas()->SetPixels(0, 0, clLime);  // nor the copy when the original changes
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
    b.Assign(nullptr);
    EXPECT_TRUE(b.Empty());
    b.Assign(&b);
    EXPECT_TRUE(b.Empty());
}

TEST(BitmapAssign, AssigningSomethingElseRaises)
{
    TBitmap b;
    TPen pen;
    EXPECT_THROW(b.Assign(&pen), EConvertError);
}

TEST(BitmapScanLine, RowsAreWritableAndBoundsChecked)
{
    TBitmap b(3, 2);
    uint32_t* row = reinterpret_cast<uint32_t*>(b.ScanLine(1));
    row[2] = 0xFF0000FFu;  // blue in memory order B G R X
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clBlue);
    EXPECT_THROW(b.ScanLine(2), EInvalidGraphic);
    EXPECT_THROW(b.ScanLine(-1), EInvalidGraphic);
    TBitmap empty;
    EXPECT_THROW(empty.ScanLine(0), EInvalidGraphic);
}
