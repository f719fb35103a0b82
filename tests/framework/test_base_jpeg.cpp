// TJPEGImage: decoding fixtures, corrupt data, writing back, conversion to and from bitmaps.
#include "framework/Jpeg.h"
#include "framework/Streams.h"

#include "tests/testsupport/TestSupport.h"

#include <QFile>
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

namespace {

QByteArray Fixture(const char* name)
{
    QFile f(testsupport::DataDir() + QStringLiteral("/graphics/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

// Lossy pixels compare within a tolerance per channel.
bool Near(TColor a, TColor b, int tol = 24)
{
    return std::abs(GetRValue(a) - GetRValue(b)) <= tol && std::abs(GetGValue(a) - GetGValue(b)) <= tol &&
           std::abs(GetBValue(a) - GetBValue(b)) <= tol;
}

void ExpectQuadrants(TBitmap* b)
{
    ASSERT_EQ(b->Width(), 16);
    ASSERT_EQ(b->Height(), 16);
    EXPECT_TRUE(Near(b->Canvas()->Pixels(3, 3), clRed));
    EXPECT_TRUE(Near(b->Canvas()->Pixels(12, 3), clLime));
    EXPECT_TRUE(Near(b->Canvas()->Pixels(3, 12), clBlue));
    EXPECT_TRUE(Near(b->Canvas()->Pixels(12, 12), clWhite));
}

}  // namespace

TEST(Jpeg, DecodesBaselineProgressiveAndGreyFixtures)
{
    for (const char* name : {"quadrants.jpg", "quadrants_progressive.jpg"}) {
        const QByteArray bytes = Fixture(name);
        ASSERT_FALSE(bytes.isEmpty()) << name;
        TJPEGImage j;
        j.LoadFromBytes(bytes);
        EXPECT_EQ(j.Width(), 16);
        EXPECT_EQ(j.Height(), 16);
        ExpectQuadrants(j.Bitmap());
        EXPECT_EQ(j.Bitmap()->PixelFormat(), pf24bit);
    }
    TJPEGImage g;
    g.LoadFromBytes(Fixture("gray.jpg"));
    ASSERT_EQ(g.Width(), 12);
    EXPECT_TRUE(Near(g.Bitmap()->Canvas()->Pixels(1, 1), clBlack));
    EXPECT_TRUE(Near(g.Bitmap()->Canvas()->Pixels(10, 4), clWhite));
}

TEST(Jpeg, DrawsOntoACanvasOpaqueEvenWhenMarkedTransparent)
{
    TJPEGImage j;
    j.LoadFromBytes(Fixture("quadrants.jpg"));
    j.SetTransparent(true);
    TBitmap dst(32, 16);
    dst.Canvas()->StretchDraw(Rect(0, 0, 32, 16), &j);
    EXPECT_TRUE(Near(dst.Canvas()->Pixels(2, 2), clRed));
    EXPECT_TRUE(Near(dst.Canvas()->Pixels(30, 14), clWhite));
}

TEST(Jpeg, CorruptDataRaisesInvalidGraphicAndKeepsThePicture)
{
    const QByteArray good = Fixture("quadrants.jpg");
    ASSERT_GT(good.size(), 200);
    const QByteArray bad[] = {
        QByteArray("\xFF\xD8\xFF", 3),          // start of image, then nothing
        QByteArray("not a jpeg at all"),         // no start-of-image marker
        good.left(20),                            // cut inside the headers
        QByteArray("\xFF\xD8\xFF\xC0\x00\x0B\x08\xFF\xFF\xFF\xFF\x01\x01\x11\x00\xFF\xD9", 17),  // 65535 x 65535
    };
    TJPEGImage j;
    j.LoadFromBytes(good);
    for (const QByteArray& b : bad) {
        try {
            j.LoadFromBytes(b);
            FAIL() << "accepted " << b.size() << " bytes";
        } catch (const EInvalidGraphic& e) {
            EXPECT_TRUE(e.Message().startsWith(QStringLiteral("JPEG error #")));
        }
        EXPECT_EQ(j.Width(), 16);
        EXPECT_EQ(j.Data(), good);
    }
}

TEST(Jpeg, DataCutShortInsideTheScanStillDecodes)
{
    // libjpeg pads a truncated scan and warns; the picture keeps its size with the missing part grey.
    const QByteArray good = Fixture("quadrants.jpg");
    TJPEGImage j;
    j.LoadFromBytes(good.left(good.size() - 40));
    EXPECT_EQ(j.Width(), 16);
}

TEST(Jpeg, RandomCorruptionOnlyEverRaisesInvalidGraphic)
{
    const QByteArray good = Fixture("quadrants_progressive.jpg");
    ASSERT_FALSE(good.isEmpty());
    std::mt19937 rng(777);
    for (int round = 0; round < 1500; ++round) {
        QByteArray b = good;
        const int flips = 1 + int(rng() % 6);
        for (int i = 0; i < flips; ++i)
            b[int(rng() % uint32_t(b.size()))] = char(rng());
        if (round % 5 == 0)
            b.truncate(int(rng() % uint32_t(b.size())));
        TJPEGImage j;
        try {
            j.LoadFromBytes(b);
        } catch (const EInvalidGraphic&) {
        }
    }
}

TEST(Jpeg, SaveWritesTheOriginalBytesBack)
{
    const QByteArray good = Fixture("gray.jpg");
    TBytesStream in(good);
    TJPEGImage j;
    j.LoadFromStream(&in);
    TBytesStream out;
    j.SaveToStream(&out);
    EXPECT_EQ(out.Bytes(), good);
}

TEST(Jpeg, ConvertsToAndFromBitmaps)
{
    TJPEGImage j;
    j.LoadFromBytes(Fixture("quadrants.jpg"));
    TBitmap b;
    b.Assign(&j);
    ExpectQuadrants(&b);

    TBitmap src(8, 8);
    src.Canvas()->Brush()->SetColor(clBlue);
    src.Canvas()->FillRect(Rect(0, 0, 8, 8));
    TJPEGImage k;
    k.Assign(&src);
    EXPECT_TRUE(k.Data().startsWith(QByteArray("\xFF\xD8", 2)));
    EXPECT_EQ(k.Width(), 8);
    EXPECT_TRUE(Near(k.Bitmap()->Canvas()->Pixels(4, 4), clBlue, 8));

    TJPEGImage copy;
    copy.Assign(&k);
    EXPECT_EQ(copy.Data(), k.Data());
    copy.Assign(nullptr);
    EXPECT_TRUE(copy.Empty());
}
