// The sample skin "Verdigris" (resources/skins): complete, laid out as the components cut it, and
// in step with its source folder.
#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kiv2skinreader.h"
#include "skin/theme/KivthemesFileMgr.h"
#include "tests/skin/SkinTestKit.h"
#include "tests/testsupport/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <gtest/gtest.h>

namespace {

QString SkinsDir() { return QDir(testsupport::DataDir()).absoluteFilePath(QStringLiteral("../../resources/skins")); }
QString SampleSkin() { return QDir(SkinsDir()).filePath(QStringLiteral("Verdigris.kvt")); }

class SampleSkinTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(QFileInfo::exists(SampleSkin())) << SampleSkin().toStdString();
        ASSERT_TRUE(FMgr.LoadFromFile(SampleSkin(), QString()));
    }
    const Tsk2SkinFileReader& Reader() const { return *FMgr.Reader(); }
    TBitmap* Bmp(Tsk2SkinBitmapElement e) const { return FMgr.GetBitmap(e); }

    TkivFileThemeMgr FMgr;
};

}  // namespace

TEST_F(SampleSkinTest, HasEveryKey)
{
    for (int i = 0; i < SK2_BITMAP_COUNT; ++i)
        EXPECT_NE(Bmp(Tsk2SkinBitmapElement(i)), nullptr) << Sk2BitmapName(Tsk2SkinBitmapElement(i));
    for (int i = 0; i < SK2_COLOR_COUNT; ++i)
        EXPECT_GE(Reader().IntegerList().IndexOfName(QString::fromLatin1(Sk2ColorName(Tsk2SkinColorElement(i)))), 0)
            << Sk2ColorName(Tsk2SkinColorElement(i));
    for (int i = 0; i < SK2_INT_COUNT; ++i)
        EXPECT_GE(Reader().IntegerList().IndexOfName(QString::fromLatin1(Sk2IntName(Tsk2IntElement(i)))), 0)
            << Sk2IntName(Tsk2IntElement(i));
    for (int i = 0; i < SK2_BOOL_COUNT; ++i)
        EXPECT_GE(Reader().BoolList().IndexOfName(QString::fromLatin1(Sk2BoolName(Tsk2BoolElement(i)))), 0)
            << Sk2BoolName(Tsk2BoolElement(i));
    EXPECT_EQ(FMgr.GetColor(SKIN2_TRANSCOLOR), 0x00FF00FF);
    EXPECT_EQ(Reader().GetStr("SKINNAME"), QStringLiteral("Verdigris"));
}

TEST_F(SampleSkinTest, FrameLayoutsMatchWhatTheComponentsCut)
{
    struct Strip {
        Tsk2SkinBitmapElement E;
        int Frames;
        bool AlongHeight;
    };
    for (const Strip& s : {Strip{SKIN2_TITLEBUTTONS, 18, false}, Strip{SKIN2_BUTTON, 3, false}, Strip{SKIN2_CHECKBOX, 6, false},
                           Strip{SKIN2_CHECKBOXLIST, 6, false}, Strip{SKIN2_RADIOBUTTON, 4, false},
                           Strip{SKIN2_SCROLLBARUPBUTTON, 3, false}, Strip{SKIN2_SCROLLBARDOWNBUTTON, 3, false},
                           Strip{SKIN2_SCROLLBAR, 3, true}, Strip{SKIN2_TRACKBAR, 3, false}}) {
        const TBitmap* b = Bmp(s.E);
        ASSERT_NE(b, nullptr);
        const int len = s.AlongHeight ? b->Height() : b->Width();
        EXPECT_EQ(len % s.Frames, 0) << Sk2BitmapName(s.E);
    }
    // Square frames where the picture is a box, a circle or a line button.
    EXPECT_EQ(Bmp(SKIN2_CHECKBOX)->Width() / 6, Bmp(SKIN2_CHECKBOX)->Height());
    EXPECT_EQ(Bmp(SKIN2_RADIOBUTTON)->Width() / 4, Bmp(SKIN2_RADIOBUTTON)->Height());
    EXPECT_EQ(Bmp(SKIN2_SCROLLBARUPBUTTON)->Width() / 3, Bmp(SKIN2_SCROLLBARUPBUTTON)->Height());
    // The thumb is as thick as the line buttons.
    EXPECT_EQ(Bmp(SKIN2_SCROLLBAR)->Width(), Bmp(SKIN2_SCROLLBARUPBUTTON)->Height());

    // Title sections share one height; the title buttons fit in it at their offset.
    const int th = Bmp(SKIN2_TITLEBAR1)->Height();
    for (auto e : {SKIN2_TITLEBAR2, SKIN2_TITLEBAR3, SKIN2_TITLEBAR4, SKIN2_TITLEBAR5, SKIN2_MINIMIZEDTITLE})
        EXPECT_EQ(Bmp(e)->Height(), th) << Sk2BitmapName(e);
    EXPECT_LE(FMgr.GetInt(SKIN2_TITLEBARBUTTONPOSY) + Bmp(SKIN2_TITLEBUTTONS)->Height(), th);
    // The right end is wide enough for four title buttons and their offset.
    EXPECT_GE(Bmp(SKIN2_TITLEBAR5)->Width(),
              Bmp(SKIN2_TITLEBUTTONS)->Width() / 18 * 4 + FMgr.GetInt(SKIN2_TITLEBARBUTTONPOSX));

    // Bottom pieces share one height; side borders are at least the frame's 4 pixels... or filled.
    const int bh = Bmp(SKIN2_FORMBOTTOMBORDER1)->Height();
    EXPECT_EQ(Bmp(SKIN2_FORMBOTTOMBORDER2)->Height(), bh);
    EXPECT_EQ(Bmp(SKIN2_FORMBOTTOMBORDER3)->Height(), bh);
    EXPECT_EQ(Bmp(SKIN2_FORMLEFTBORDER)->Width(), Bmp(SKIN2_FORMRIGHTBORDER)->Width());

    // Progress pieces share one height.
    for (auto e : {SKIN2_PROGRESSBAR2, SKIN2_PROGRESSBAR3, SKIN2_PROGRESSBAR4})
        EXPECT_EQ(Bmp(e)->Height(), Bmp(SKIN2_PROGRESSBAR1)->Height()) << Sk2BitmapName(e);
    // The vertical slider is the horizontal one turned.
    EXPECT_EQ(Bmp(SKIN2_TRACKBARVSLIDER)->Width(), Bmp(SKIN2_TRACKBARSLIDER)->Height());
}

TEST_F(SampleSkinTest, ShapedCornersAreTransparent)
{
    const TColor trans = FMgr.GetColor(SKIN2_TRANSCOLOR);
    ASSERT_TRUE(FMgr.GetBool(SKIN2_TITLEBARNEEDREGION));
    ASSERT_TRUE(FMgr.GetBool(SKIN2_BOTTOMBORDERNEEDREGION));
    TBitmap* left = Bmp(SKIN2_TITLEBAR1);
    TBitmap* right = Bmp(SKIN2_TITLEBAR5);
    EXPECT_EQ(left->Canvas()->Pixels(0, 0), trans);
    EXPECT_EQ(right->Canvas()->Pixels(right->Width() - 1, 0), trans);
    EXPECT_NE(left->Canvas()->Pixels(left->Width() - 1, left->Height() - 1), trans);
    // Inside the scanned rows only: the rows past the title region are whole.
    const int maxY = FMgr.GetInt(SKIN2_TITLEBARREGIONMAXY);
    for (int y = maxY + 1; y < left->Height(); ++y)
        EXPECT_NE(left->Canvas()->Pixels(0, y), trans) << y;
    TBitmap* bottom = Bmp(SKIN2_FORMBOTTOMBORDER1);
    EXPECT_EQ(bottom->Canvas()->Pixels(0, bottom->Height() - 1), trans);
}

TEST(SampleSkin, SkinFileMatchesItsSourceFolder)
{
    const QString kvtool = QDir(testsupport::BinDir()).filePath(QStringLiteral("kvtool"));
    ASSERT_TRUE(QFileInfo(kvtool).isExecutable());
    QTemporaryDir tmp;
    const QString packed = tmp.filePath(QStringLiteral("fresh.kvt"));
    QProcess p;
    p.start(kvtool, {QStringLiteral("pack"), QDir(SkinsDir()).filePath(QStringLiteral("Verdigris")), packed});
    ASSERT_TRUE(p.waitForFinished(30000));
    ASSERT_EQ(p.exitCode(), 0) << p.readAllStandardError().toStdString();
    // The committed skin file is exactly what packing the committed folder gives.
    EXPECT_EQ(skintest::ReadBytes(packed), skintest::ReadBytes(SampleSkin()));
}
