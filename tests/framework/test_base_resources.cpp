// Program resources: bitmaps by name in any letter case, other resource data, the missing-name error.
#include "framework/Graphics.h"
#include "framework/Resources.h"

#include "tests/testsupport/TestSupport.h"

#include <QResource>
#include <gtest/gtest.h>

namespace {

// tests/data/graphics/test_resources.rcc holds :/bitmaps/RQTEST_CHECKER.bmp (4 x 2, 24 bits) and
// :/testdata/hello.txt; rebuild it from test_resources.qrc with "rcc -binary".
class Resources : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        ASSERT_TRUE(QResource::registerResource(testsupport::DataDir() + QStringLiteral("/graphics/test_resources.rcc")));
    }
};

}  // namespace

TEST_F(Resources, MissingBitmapRaisesResourceNotFoundWithTheName)
{
    TBitmap b(2, 2);
    try {
        b.LoadFromResourceName(HInstance, QStringLiteral("NOSUCH"));
        FAIL() << "no exception";
    } catch (const EResNotFound& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Resource NOSUCH not found"));
    }
    EXPECT_EQ(b.Width(), 2);
    EXPECT_THROW(b.LoadFromResourceName(HInstance, QString()), EResNotFound);
    EXPECT_THROW(b.LoadFromResourceName(HInstance, QStringLiteral("../bitmaps/RQTEST_CHECKER")), EResNotFound);
}

TEST_F(Resources, BitmapsAreFoundInAnyLetterCase)
{
    for (const char* name : {"RQTEST_CHECKER", "rqtest_checker", "RqTest_Checker"}) {
        TBitmap b;
        b.LoadFromResourceName(HInstance, QString::fromLatin1(name));
        ASSERT_EQ(b.Width(), 4) << name;
        ASSERT_EQ(b.Height(), 2);
        EXPECT_EQ(b.PixelFormat(), pf24bit);
        EXPECT_EQ(b.Canvas()->Pixels(0, 0), clRed);
        EXPECT_EQ(b.Canvas()->Pixels(3, 0), clFuchsia);
        EXPECT_EQ(b.Canvas()->Pixels(1, 1), clBlack);
        EXPECT_EQ(b.Canvas()->Pixels(3, 1), clYellow);
    }
    QByteArray raw;
    EXPECT_TRUE(FindBitmapResource(QStringLiteral("rqtest_checker"), raw));
    EXPECT_TRUE(raw.startsWith("BM"));
    EXPECT_FALSE(FindBitmapResource(QStringLiteral("NOSUCH"), raw));
}

TEST_F(Resources, OtherResourceDataByTypeAndName)
{
    QByteArray out;
    ASSERT_TRUE(FindResourceData(QStringLiteral("TESTDATA"), QStringLiteral("hello.txt"), out));
    EXPECT_EQ(out, QByteArray("hello resources\n"));
    EXPECT_FALSE(FindResourceData(QStringLiteral("TESTDATA"), QStringLiteral("absent.txt"), out));
    EXPECT_FALSE(FindResourceData(QString(), QStringLiteral("hello.txt"), out));
    EXPECT_NE(HInstance, nullptr);
}
