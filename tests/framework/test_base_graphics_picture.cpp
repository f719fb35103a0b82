// TPicture: loading by content, replacing graphics, deep assignment, change notification.
#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "framework/Streams.h"

#include "tests/testsupport/TestSupport.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

QByteArray Fixture(const char* name)
{
    QFile f(testsupport::DataDir() + QStringLiteral("/graphics/") + QString::fromLatin1(name));
    if (!f.open(QIODevice::ReadOnly))
        return QByteArray();
    return f.readAll();
}

}  // namespace


TEST(Picture, LoadsByContentWhateverTheExtension)
{
    QTemporaryDir dir;
    const QString jpg = dir.filePath(QStringLiteral("photo.jpg"));
    const QString bmpNamedJpg = dir.filePath(QStringLiteral("really_a_bitmap.jpg"));
    {
        QFile f(jpg);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Fixture("quadrants.jpg"));
    }
    TBitmap b(3, 2);
    b.SaveToFile(bmpNamedJpg);

    TPicture p;
    int changes = 0;
    p.OnChange = [&](TObject*) { ++changes; };
    p.LoadFromFile(jpg);
    EXPECT_NE(dynamic_cast<TJPEGImage*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Width(), 16);
    p.LoadFromFile(bmpNamedJpg);
    EXPECT_NE(dynamic_cast<TBitmap*>(p.Graphic()), nullptr);
    EXPECT_EQ(p.Height(), 2);
    EXPECT_EQ(changes, 2);
}

TEST(Picture, UnknownFilesAndCorruptFilesRaise)
{
    QTemporaryDir dir;
    const QString txt = dir.filePath(QStringLiteral("notes.txt"));
    const QString badBmp = dir.filePath(QStringLiteral("bad.bmp"));
    for (const QString& path : {txt, badBmp}) {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(path == txt ? QByteArray("hello") : QByteArray("BMxxxx"));
    }
    TPicture p;
    p.Bitmap()->SetSize(4, 4);
    try {
        p.LoadFromFile(txt);
        FAIL();
    } catch (const EInvalidGraphic& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Unknown picture file extension (.txt)"));
    }
    EXPECT_THROW(p.LoadFromFile(badBmp), EInvalidGraphic);
    EXPECT_THROW(p.LoadFromFile(dir.filePath(QStringLiteral("missing.bmp"))), EFOpenError);
    EXPECT_EQ(p.Width(), 4);  // the old graphic stays
}

TEST(Picture, BitmapReplacesAnotherKindOfGraphicWithAnEmptyBitmap)
{
    TPicture p;
    EXPECT_EQ(p.Graphic(), nullptr);
    EXPECT_EQ(p.Width(), 0);
    TJPEGImage j;
    j.LoadFromBytes(Fixture("quadrants.jpg"));
    p.SetGraphic(&j);
    EXPECT_NE(p.Graphic(), &j);  // a copy
    EXPECT_EQ(p.Width(), 16);
    TBitmap* b = p.Bitmap();
    ASSERT_NE(b, nullptr);
    EXPECT_TRUE(b->Empty());
    EXPECT_EQ(p.Bitmap(), b);
}

TEST(Picture, ChangesToTheGraphicReachOnChange)
{
    TPicture p;
    p.Bitmap()->SetSize(2, 2);
    int changes = 0;
    p.OnChange = [&](TObject*) { ++changes; };
    p.Bitmap()->Canvas()->FillRect(Rect(0, 0, 1, 1));
    p.Bitmap()->SetTransparent(true);
    EXPECT_EQ(changes, 2);
}

TEST(Picture, AssignIsDeepAndCarriesTransparency)
{
    TPicture a, b;
    a.Bitmap()->SetSize(2, 1);
    a.Bitmap()->SetTransparent(true);
    a.Bitmap()->Canvas()->SetPixels(0, 0, clRed);
    b.Assign(&a);
    ASSERT_NE(b.Graphic(), a.Graphic());
    EXPECT_TRUE(b.Graphic()->Transparent());
    a.Bitmap()->Canvas()->SetPixels(0, 0, clBlue);
    EXPECT_EQ(b.Bitmap()->Canvas()->Pixels(0, 0), clRed);

    TBitmap out;
    out.Assign(&b);  // a picture assigns its graphic
    EXPECT_EQ(out.Canvas()->Pixels(0, 0), clRed);
    b.Assign(nullptr);
    EXPECT_EQ(b.Graphic(), nullptr);
    out.Assign(&b);
    EXPECT_TRUE(out.Empty());
}

TEST(Picture, StreamRoundTrip)
{
    TPicture a;
    a.Bitmap()->SetSize(3, 3);
    a.Bitmap()->Canvas()->SetPixels(2, 2, clLime);
    TMemoryStream s;
    a.SaveToStream(&s);
    s.SetPosition(0);
    TPicture b;
    b.LoadFromStream(&s);
    EXPECT_EQ(b.Bitmap()->Canvas()->Pixels(2, 2), clLime);
    TBytesStream junk(QByteArray("junk"));
    EXPECT_THROW(b.LoadFromStream(&junk), EInvalidGraphic);
}
