// The skin-file frame: border painting from the skin's pictures onto a bitmap standing for the
// whole window (title strips, side borders completed to 4 pixels, the menu-bar strips, the bottom
// border in three sections or three slices, shown on the form colour when the window takes a
// shape, the fill above a low bottom border), and the window shape cut from the title and bottom
// pictures, checked point by point. The sample skin and small hand-made skins are used.
#include "skin/frame/KivformSkin.h"

#include "../controls/SkinControlKit.h"
#include "framework/Graphics.h"
#include "skin/theme/Kivmgr.h"
#include "tools/kvtool/KvSkinWriter.h"

#include <QTemporaryDir>
#include <cmath>
#include <functional>
#include <map>
#include <memory>

using namespace skintest;

namespace {

constexpr TColor Magenta = TColor(0xFF00FF);
constexpr TColor Untouched = TColor(0x123456);  // what the window holds before the frame paints

TColor Px(TBitmap& b, int x, int y) { return QRgbToColor(b.Image().pixel(x, y)); }
TColor Px(const QImage& img, int x, int y) { return QRgbToColor(img.pixel(x, y)); }

// Pixel (x, y) of a coded picture is RGB(x, y, 0x40): it names its own place and is never magenta.
TColor Code(int x, int y) { return TColor((x & 0xFF) | ((y & 0xFF) << 8) | (0x40 << 16)); }

QImage Picture(int w, int h, const std::function<TColor(int, int)>& pixel)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, ColorToQRgb(pixel(x, y)));
    return img;
}

std::unique_ptr<TBitmap> Bitmap(const QImage& img)
{
    auto b = std::make_unique<TBitmap>();
    b->SetImage(img);
    return b;
}

// A window of w x h that nothing has painted yet.
std::unique_ptr<TBitmap> Window(int w, int h)
{
    return Bitmap(Picture(w, h, [](int, int) { return Untouched; }));
}

std::vector<uint8_t> BmpBytes(const QImage& img)
{
    TBitmap b;
    b.SetImage(img);
    b.SetPixelFormat(pf24bit);
    const QByteArray bytes = b.SaveToBytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

// A skin written with the skin tool's writer and loaded by a file theme.
struct THandSkin {
    std::map<std::string, QImage> Pictures;
    std::map<std::string, int32_t> Ints;  // colours and integers
    std::map<std::string, bool> Flags;

    std::unique_ptr<TkivFileTheme> Load(const QTemporaryDir& dir, const QString& name) const
    {
        std::vector<TKvValue> values;
        for (const auto& [key, img] : Pictures)
            values.push_back(KvBitmapValue(key, BmpBytes(img)));
        for (const auto& [key, v] : Ints)
            values.push_back(KvIntValue(key, v));
        for (const auto& [key, v] : Flags)
            values.push_back(KvFlagValue(key, v ? 1 : 0));
        const std::vector<uint8_t> bytes = KvBuildArchive(KvBuildSkinData(values));
        const QString path = dir.filePath(name);
        QFile f(path);
        EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size()));
        f.close();
        auto theme = std::make_unique<TkivFileTheme>(nullptr);
        theme->SetThemeFile(path);
        EXPECT_TRUE(theme->Ready()) << name.toStdString();
        return theme;
    }
};

// The frame record as the skinned form fills it from a skin when its look is applied.
TkivSkinFrame FrameOf(TkivFileTheme* theme, int w, int h, TBitmap* bottom)
{
    TkivSkinFrame f;
    f.Theme = theme;
    f.W = w;
    f.H = h;
    TBitmap* left = theme->GetBitmap(SKIN2_FORMLEFTBORDER);
    TBitmap* right = theme->GetBitmap(SKIN2_FORMRIGHTBORDER);
    TBitmap* bottom1 = theme->GetBitmap(SKIN2_FORMBOTTOMBORDER1);
    f.SkinLeftWidth = left ? left->Width() : 0;
    f.SkinRightWidth = right ? right->Width() : 0;
    f.SkinBottomHeight = bottom1 ? bottom1->Height() : 0;
    f.TransparentColor = theme->GetColor(SKIN2_TRANSCOLOR);
    f.TitleNeedsRegion = theme->GetBool(SKIN2_TITLEBARNEEDREGION);
    f.BottomNeedsRegion = theme->GetBool(SKIN2_BOTTOMBORDERNEEDREGION);
    f.TitleRegionMinY = theme->GetInt(SKIN2_TITLEBARREGIONMINY);
    f.TitleRegionMaxY = theme->GetInt(SKIN2_TITLEBARREGIONMAXY);
    f.BottomRegionMinY = theme->GetInt(SKIN2_BOTTOMREGIONMINY);
    f.BottomRegionMaxY = theme->GetInt(SKIN2_BOTTOMREGIONMAXY);
    f.MenuBarColor = theme->GetColor(SKIN2_MENUBARSTARTCOLOR);
    f.MenuBarToColor = theme->GetColor(SKIN2_MENUBARENDCOLOR);
    f.BottomBitmap = bottom;
    return f;
}

// The pixels of a region (it stays the caller's to delete).
QRegion PixelsOf(HRGN rgn)
{
    QRegion r;
    EXPECT_TRUE(RegionPixels(rgn, r));
    return r;
}

// The value of a row of DrawHorizontalGradient over rows Top..Bottom - 1.
TColor GradientRow(TColor from, TColor to, int top, int bottom, int y)
{
    if (y == top)
        return from;
    if (y == bottom - 1)
        return to;
    auto channel = [&](int shift) {
        const int f = (from >> shift) & 0xFF, t = (to >> shift) & 0xFF;
        return f + int(std::trunc(double(t - f) / double(bottom - top) * double(y - top - 1)));
    };
    return TColor(channel(0) | (channel(8) << 8) | (channel(16) << 16));
}

class KivFormSkin : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
    void SetUp() override { ASSERT_TRUE(dir.isValid()); }

    QTemporaryDir dir;
};

// A hand-made skin with side borders narrower than 4 pixels (left: two columns, right: one) and
// a low bottom border of three slices (9 x 2: caps and a middle of one colour each, a magenta
// pixel in the left cap).
constexpr TColor FormColor = TColor(0x7C6B5A);
constexpr TColor LeftCol0 = TColor(0x0000C0), LeftCol1 = TColor(0x00C000), RightCol = TColor(0xC00000);
constexpr TColor CapLeft = TColor(0x101010), Middle = TColor(0x202020), CapRight = TColor(0x303030);

THandSkin NarrowSkin()
{
    THandSkin s;
    s.Pictures["SKIN2_FORMLEFTBORDER"] = Picture(2, 3, [](int x, int) { return x == 0 ? LeftCol0 : LeftCol1; });
    s.Pictures["SKIN2_FORMRIGHTBORDER"] = Picture(1, 3, [](int, int) { return RightCol; });
    s.Pictures["SKIN2_FORMBOTTOMBORDER1"] = Picture(9, 2, [](int x, int y) {
        if (x == 0 && y == 0)
            return Magenta;
        return x < 3 ? CapLeft : x < 6 ? Middle : CapRight;
    });
    s.Ints["SKIN2_FORMCOLOR"] = FormColor;
    s.Ints["SKIN2_TRANSCOLOR"] = Magenta;
    s.Ints["SKIN2_MENUBARSTARTCOLOR"] = 0x00F0E0D0;
    s.Ints["SKIN2_MENUBARENDCOLOR"] = 0x00302010;
    s.Flags["SKIN2_BOTTOMBORDERTHREESECT"] = false;
    return s;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Painting with the sample skin

TEST_F(KivFormSkin, SampleSkinPaintsTitleStripsBordersAndBottomOnTheFormColour)
{
    TkivFileTheme* skin = SampleSkin(nullptr);
    std::unique_ptr<TkivFileTheme> owned(skin);
    ASSERT_TRUE(skin->Ready());
    TBitmap* left = skin->GetBitmap(SKIN2_FORMLEFTBORDER);
    TBitmap* right = skin->GetBitmap(SKIN2_FORMRIGHTBORDER);
    TBitmap* b1 = skin->GetBitmap(SKIN2_FORMBOTTOMBORDER1);
    TBitmap* b2 = skin->GetBitmap(SKIN2_FORMBOTTOMBORDER2);
    TBitmap* b3 = skin->GetBitmap(SKIN2_FORMBOTTOMBORDER3);
    ASSERT_TRUE(left && right && b1 && b2 && b3);
    ASSERT_TRUE(skin->GetBool(SKIN2_BOTTOMBORDERTHREESECT));
    ASSERT_TRUE(skin->GetBool(SKIN2_BOTTOMBORDERNEEDREGION));
    const TColor form = skin->GetColor(SKIN2_FORMCOLOR);
    const int bh = b1->Height();

    constexpr int W = 240, H = 160, TitleH = 23;
    // The composed title image is narrower than the window, so the right strip's shift shows.
    auto title = Bitmap(Picture(W - 20, TitleH + 3, Code));
    auto bottom = std::make_unique<TBitmap>();
    auto win = Window(W, H);
    TkivSkinFrame f = FrameOf(skin, W, H, bottom.get());
    f.TitleBarVisible = true;
    f.TitleBarHeight = TitleH;
    f.TitleBarCanPaint = true;
    f.TitleComposed = title.get();
    ASSERT_EQ(f.SkinLeftWidth, 4);
    ASSERT_EQ(f.SkinRightWidth, 4);

    KivSkinFramePaint(*win->Canvas(), f);
    const QImage img = win->Image();
    const int tw = title->Width(), th = title->Height();

    // Title strips: 4 columns at each side and the top 3 rows, from the composed image; the
    // right strip takes the image's last 4 columns to the window's last 4.
    for (int y = 0; y < th; ++y) {
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(Hex(Px(img, x, y)), Hex(Code(x, y))) << x << "," << y;
        for (int x = W - 4; x < W; ++x)
            EXPECT_EQ(Hex(Px(img, x, y)), Hex(Code(x - (W - tw), y))) << x << "," << y;
    }
    for (int y = 0; y < 3; ++y) {
        for (int x = 4; x < tw; ++x)
            EXPECT_EQ(Hex(Px(img, x, y)), Hex(Code(x, y))) << x << "," << y;
        for (int x = tw; x < W - 4; ++x)
            EXPECT_EQ(Hex(Px(img, x, y)), Hex(Untouched)) << x << "," << y;
    }
    EXPECT_EQ(Hex(Px(img, 10, 3)), Hex(Untouched)) << "the title bar's own area";

    // Side borders from the title bar's bottom (TitleH + 3) to the bottom border, stretched
    // lengthwise: first row from the picture's first, last row from its last, every row one of
    // the picture's rows.
    const int top = TitleH + 3, end = H - bh;
    for (int x = 0; x < 4; ++x) {
        EXPECT_EQ(Hex(Px(img, x, top)), Hex(Px(*left, x, 0)));
        EXPECT_EQ(Hex(Px(img, x, end - 1)), Hex(Px(*left, x, left->Height() - 1)));
        EXPECT_EQ(Hex(Px(img, W - 4 + x, top)), Hex(Px(*right, x, 0)));
        EXPECT_EQ(Hex(Px(img, W - 4 + x, end - 1)), Hex(Px(*right, x, right->Height() - 1)));
    }
    for (int y = top; y < end; ++y) {
        bool fromPicture = false;
        for (int sy = 0; sy < left->Height(); ++sy) {
            bool same = true;
            for (int x = 0; x < 4; ++x)
                same = same && Px(img, x, y) == Px(*left, x, sy);
            fromPicture = fromPicture || same;
        }
        EXPECT_TRUE(fromPicture) << "left border row " << y;
    }
    EXPECT_EQ(Hex(Px(img, 4, top + 5)), Hex(Untouched));
    EXPECT_EQ(Hex(Px(img, W - 5, top + 5)), Hex(Untouched));

    // Bottom border in three sections, magenta showing the form colour.
    auto shown = [&](TBitmap& pic, int x, int y) {
        const TColor c = Px(pic, x, y);
        return c == Magenta ? form : c;
    };
    int magentaInFirst = 0;
    for (int y = 0; y < bh; ++y) {
        for (int x = 0; x < b1->Width(); ++x) {
            EXPECT_EQ(Hex(Px(img, x, H - bh + y)), Hex(shown(*b1, x, y))) << x << "," << y;
            magentaInFirst += Px(*b1, x, y) == Magenta;
        }
        for (int x = 0; x < b3->Width(); ++x)
            EXPECT_EQ(Hex(Px(img, W - b3->Width() + x, H - bh + y)), Hex(shown(*b3, x, y))) << x << "," << y;
        EXPECT_EQ(Hex(Px(img, b1->Width(), H - bh + y)), Hex(shown(*b2, 0, y)));
        EXPECT_EQ(Hex(Px(img, W - b3->Width() - 1, H - bh + y)), Hex(shown(*b2, b2->Width() - 1, y)));
    }
    EXPECT_GT(magentaInFirst, 0) << "the sample's bottom corner has transparent pixels";
    EXPECT_EQ(Hex(Px(img, 10, H - bh - 1)), Hex(Untouched)) << "no fill above a bottom border of 4 or more";

    // The composed bottom border keeps the transparent pixels for the region scan.
    ASSERT_EQ(bottom->Width(), W);
    ASSERT_EQ(bottom->Height(), bh);
    EXPECT_EQ(bottom->PixelFormat(), pf24bit);
    for (int y = 0; y < bh; ++y)
        for (int x = 0; x < b1->Width(); ++x)
            EXPECT_EQ(Hex(Px(*bottom, x, y)), Hex(Px(*b1, x, y)));
}

// Which title strips are copied: only with a visible bar that can paint them (3 or 5 sections)
// and an image; their width is the skin border's when it is wider than 4.
TEST_F(KivFormSkin, TitleStripsFollowTheBarAndTheBorderWidths)
{
    struct TCase {
        const char* name;
        bool visible, canPaint, image;
        int leftWidth, rightWidth;
        bool copied;
        int lw, rw;  // the strips' widths when copied
    };
    const TCase cases[] = {
        {"visible, 3 or 5 sections", true, true, true, 4, 4, true, 4, 4},
        {"borders narrower than 4", true, true, true, 1, 0, true, 4, 4},
        {"borders wider than 4", true, true, true, 6, 5, true, 6, 5},
        {"another number of sections", true, false, true, 4, 4, false, 0, 0},
        {"hidden bar", false, true, true, 4, 4, false, 0, 0},
        {"no image", true, true, false, 4, 4, false, 0, 0},
    };
    std::unique_ptr<TkivFileTheme> skin(SampleSkin(nullptr));
    constexpr int W = 120, H = 90;
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto title = Bitmap(Picture(W, 26, Code));
        auto bottom = std::make_unique<TBitmap>();
        auto win = Window(W, H);
        TkivSkinFrame f = FrameOf(skin.get(), W, H, bottom.get());
        f.TitleBarVisible = c.visible;
        f.TitleBarHeight = 23;
        f.TitleBarCanPaint = c.canPaint;
        f.TitleComposed = c.image ? title.get() : nullptr;
        f.SkinLeftWidth = c.leftWidth;
        f.SkinRightWidth = c.rightWidth;
        KivSkinFramePaint(*win->Canvas(), f);
        // Row 1 is only ever painted by the title strips (a hidden bar's borders start at row 0,
        // so look at columns the borders never reach).
        for (int x = 4; x < W - 4; ++x)
            EXPECT_EQ(Hex(Px(*win, x, 1)), Hex(c.copied ? Code(x, 1) : Untouched)) << x;
        if (c.copied) {
            for (int y = 3; y < 26; ++y) {
                EXPECT_EQ(Hex(Px(*win, c.lw - 1, y)), Hex(Code(c.lw - 1, y)));
                EXPECT_EQ(Hex(Px(*win, c.lw, y)), Hex(Untouched));
                EXPECT_EQ(Hex(Px(*win, W - c.rw, y)), Hex(Code(W - c.rw, y)));
                EXPECT_EQ(Hex(Px(*win, W - c.rw - 1, y)), Hex(Untouched));
            }
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Painting with a hand-made skin: narrow borders, the menu-bar strips, three slices, a low bottom

TEST_F(KivFormSkin, NarrowBordersAreCompletedWithTheFormColourAndTheMenuStrip)
{
    struct TCase {
        const char* name;
        bool titleVisible;
        bool gradient;  // MenuBarColor and MenuBarToColor differ
        bool bottomRegion;
    };
    const TCase cases[] = {
        {"title, gradient strip, plain bottom", true, true, false},
        {"title, flat strip, bottom on the form colour", true, false, true},
        {"no title, gradient strip, bottom on the form colour", false, true, true},
    };
    const auto skin = NarrowSkin().Load(dir, QStringLiteral("narrow.kvt"));
    constexpr int W = 100, H = 80, TitleH = 20, MenuH = 10;
    constexpr TColor MenuFill = TColor(0x445566);
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        auto bottom = std::make_unique<TBitmap>();
        auto win = Window(W, H);
        TkivSkinFrame f = FrameOf(skin.get(), W, H, bottom.get());
        ASSERT_EQ(f.SkinLeftWidth, 2);
        ASSERT_EQ(f.SkinRightWidth, 1);
        ASSERT_EQ(f.SkinBottomHeight, 2);
        f.TitleBarVisible = c.titleVisible;
        f.TitleBarHeight = TitleH;
        f.TitleBarCanPaint = true;
        f.MenuBarVisible = true;
        f.MenuBarHeight = MenuH;
        if (!c.gradient)
            f.MenuBarToColor = f.MenuBarColor;
        f.MenuBarFill = MenuFill;
        f.BottomNeedsRegion = c.bottomRegion;
        KivSkinFramePaint(*win->Canvas(), f);

        const int top = c.titleVisible ? TitleH + 3 : 0;
        const int menuTop = (c.titleVisible ? TitleH : 0) + 3, menuEnd = menuTop + MenuH;
        auto strip = [&](int y) {
            return c.gradient ? GradientRow(f.MenuBarColor, f.MenuBarToColor, menuTop, menuEnd, y) : MenuFill;
        };
        for (int y = 0; y < H - 2; ++y) {
            const bool border = y >= top;
            const bool beside = y >= menuTop && y < menuEnd;
            const TColor filler = !border ? Untouched : beside ? strip(y) : FormColor;
            EXPECT_EQ(Hex(Px(*win, 0, y)), Hex(border ? LeftCol0 : Untouched)) << y;
            EXPECT_EQ(Hex(Px(*win, 1, y)), Hex(border ? LeftCol1 : Untouched)) << y;
            EXPECT_EQ(Hex(Px(*win, W - 1, y)), Hex(border ? RightCol : Untouched)) << y;
            // Above H - 4 the filler is the border's alone; from there on the low-bottom fill
            // gives the form colour too.
            const TColor lower = y >= H - 4 ? FormColor : filler;
            for (int x : {2, 3, W - 4, W - 3, W - 2})
                EXPECT_EQ(Hex(Px(*win, x, y)), Hex(lower)) << x << "," << y;
            EXPECT_EQ(Hex(Px(*win, 4, y)), Hex(y >= H - 4 ? FormColor : Untouched)) << y;
        }
        // The low bottom border (2 rows): the fill covers (2, H - 4)-(W - 1, H - 2).
        for (int x = 2; x < W - 1; ++x) {
            EXPECT_EQ(Hex(Px(*win, x, H - 4)), Hex(FormColor)) << x;
            EXPECT_EQ(Hex(Px(*win, x, H - 3)), Hex(FormColor)) << x;
            EXPECT_EQ(Hex(Px(*win, x, H - 5)), Hex(x < 4 || x >= W - 4 ? FormColor : Untouched)) << x;
        }
        // Three slices across the width: caps 3 wide, the middle stretched; the magenta pixel
        // of the left cap is the form colour when the window takes a shape, itself otherwise.
        for (int y = H - 2; y < H; ++y) {
            for (int x = 0; x < W; ++x) {
                TColor want = x < 3 ? CapLeft : x < W - 3 ? Middle : CapRight;
                if (x == 0 && y == H - 2)
                    want = c.bottomRegion ? FormColor : Magenta;
                EXPECT_EQ(Hex(Px(*win, x, y)), Hex(want)) << x << "," << y;
            }
        }
    }
}

// The bottom border in three sections: the first picture at the left, the third at the right,
// the second stretched between over the first one's height. Where the window is narrower than
// both ends the right one wins; rows a lower third picture leaves out show the form colour.
TEST_F(KivFormSkin, ThreeSectionBottomIsComposedFromItsThreePictures)
{
    constexpr TColor Red = TColor(0x0000FF), Green = TColor(0x00FF00), Blue = TColor(0xFF0000);
    THandSkin s;
    s.Pictures["SKIN2_FORMBOTTOMBORDER1"] = Picture(4, 3, [](int, int) { return Red; });
    s.Pictures["SKIN2_FORMBOTTOMBORDER2"] = Picture(2, 3, [](int, int) { return Green; });
    s.Pictures["SKIN2_FORMBOTTOMBORDER3"] = Picture(4, 2, [](int, int) { return Blue; });
    s.Ints["SKIN2_FORMCOLOR"] = FormColor;
    s.Ints["SKIN2_TRANSCOLOR"] = Magenta;
    s.Flags["SKIN2_BOTTOMBORDERTHREESECT"] = true;
    const auto skin = s.Load(dir, QStringLiteral("three.kvt"));

    struct TCase {
        int w;
        const char* rows[3];  // R, G, B or F (form colour) per column
    };
    const TCase cases[] = {
        {20, {"RRRRGGGGGGGGGGGGBBBB", "RRRRGGGGGGGGGGGGBBBB", "RRRRGGGGGGGGGGGGFFFF"}},
        {8, {"RRRRBBBB", "RRRRBBBB", "RRRRFFFF"}},
        {6, {"RRBBBB", "RRBBBB", "RRRRFF"}},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.w);
        TBitmap bottom;
        TkivSkinFrame f = FrameOf(skin.get(), c.w, 50, &bottom);
        KivSkinFrameComposeBottom(f);
        ASSERT_EQ(bottom.Width(), c.w);
        ASSERT_EQ(bottom.Height(), 3);
        for (int y = 0; y < 3; ++y) {
            for (int x = 0; x < c.w; ++x) {
                const char k = c.rows[y][x];
                const TColor want = k == 'R' ? Red : k == 'G' ? Green : k == 'B' ? Blue : FormColor;
                EXPECT_EQ(Hex(Px(bottom, x, y)), Hex(want)) << x << "," << y;
            }
        }
    }
}

// A skin without border pictures: nothing stretched, the 4-pixel fillers in the form colour, an
// empty bottom border, and the fill above the (0-pixel) bottom border down to the window's end.
TEST_F(KivFormSkin, MissingPicturesLeaveTheFormColour)
{
    THandSkin s;
    s.Ints["SKIN2_FORMCOLOR"] = FormColor;
    s.Ints["SKIN2_TRANSCOLOR"] = Magenta;
    const auto skin = s.Load(dir, QStringLiteral("bare.kvt"));
    constexpr int W = 30, H = 20;
    TBitmap bottom;
    auto win = Window(W, H);
    TkivSkinFrame f = FrameOf(skin.get(), W, H, &bottom);
    f.BottomNeedsRegion = true;
    KivSkinFramePaint(*win->Canvas(), f);
    EXPECT_EQ(bottom.Width(), W);
    EXPECT_EQ(bottom.Height(), 0);
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            const bool frame = x < 4 || x >= W - 4 || y >= H - 4;
            EXPECT_EQ(Hex(Px(*win, x, y)), Hex(frame ? FormColor : Untouched)) << x << "," << y;
        }
    }
}

// A window lower than its title and bottom paints no mirrored border.
TEST_F(KivFormSkin, WindowLowerThanTitleAndBottomPaintsNoBorderRows)
{
    const auto skin = NarrowSkin().Load(dir, QStringLiteral("narrow.kvt"));
    constexpr int W = 40, H = 20;
    TBitmap bottom;
    auto win = Window(W, H);
    TkivSkinFrame f = FrameOf(skin.get(), W, H, &bottom);
    f.TitleBarVisible = true;
    f.TitleBarHeight = 30;  // the side borders would run from row 33 to row 18
    KivSkinFramePaint(*win->Canvas(), f);
    for (int y = 0; y < H - 4; ++y)
        for (int x = 0; x < W; ++x)
            EXPECT_EQ(Hex(Px(*win, x, y)), Hex(Untouched)) << x << "," << y;
}

// ---------------------------------------------------------------------------------------------
// Window region

namespace {

constexpr int RW = 40, RH = 30;

// Title picture P (40 x 8): opaque grey except magenta corners in rows 0 and 1, pixel (0, 5), and
// row 7 whose only opaque pixel is the last.
QImage TitlePicture()
{
    return Picture(RW, 8, [](int x, int y) {
        if (y == 0 && (x < 3 || x >= RW - 3))
            return Magenta;
        if (y == 1 && (x < 2 || x >= RW - 2))
            return Magenta;
        if (y == 5 && x == 0)
            return Magenta;
        if (y == 7 && x < RW - 1)
            return Magenta;
        return TColor(0x808080);
    });
}

// Bottom picture Q (40 x 4): magenta at (0, 0) and in the corners of its last row.
QImage BottomPicture()
{
    return Picture(RW, 4, [](int x, int y) {
        if (y == 0 && x == 0)
            return Magenta;
        if (y == 3 && (x < 2 || x >= RW - 2))
            return Magenta;
        return TColor(0x606060);
    });
}

}  // namespace

TEST_F(KivFormSkin, RegionCutsTransparentPixelsInTheScannedRows)
{
    struct TPt {
        int x, y;
    };
    struct TCase {
        const char* name;
        bool title, bottom;
        int tMin, tMax, bMin, bMax;
        std::vector<TPt> in, out;
    };
    // Bottom band starts at RH - 4 = 26.
    const std::vector<TCase> cases = {
        {"no flags: the rectangle", false, false, 0, 6, -1, -1,
         {{0, 0}, {RW - 1, 0}, {0, 5}, {0, 26}, {0, RH - 1}, {RW - 1, RH - 1}},
         {{RW, 0}, {0, RH}, {-1, 0}, {0, -1}}},
        {"title, -1..-1 scans every row", true, false, -1, -1, 0, 0,
         {{3, 0}, {RW - 4, 0}, {2, 1}, {1, 5}, {RW - 1, 7}, {0, 8}, {0, RH - 1}, {RW - 1, RH - 1}},
         {{0, 0}, {2, 0}, {RW - 1, 0}, {RW - 3, 0}, {0, 1}, {RW - 1, 1}, {0, 5}, {0, 7}, {RW - 2, 7}, {RW, 7}}},
        {"title, rows 0..2 scanned, the rest whole", true, false, 0, 2, 0, 0,
         {{3, 0}, {0, 5}, {0, 7}, {RW - 2, 7}, {0, 3}},
         {{0, 0}, {0, 1}, {RW - 1, 1}}},
        {"title, rows 1..3: row 0 whole", true, false, 1, 3, 0, 0,
         {{0, 0}, {RW - 1, 0}, {0, 5}, {0, 7}},
         {{0, 1}, {RW - 1, 1}}},
        {"title, MaxY not above MinY scans to the end", true, false, 5, 5, 0, 0,
         {{0, 0}, {0, 1}, {1, 5}, {RW - 1, 7}},
         {{0, 5}, {0, 7}}},
        {"title, rows past the picture are clamped", true, false, 0, 100, 0, 0,
         {{3, 0}, {RW - 1, 7}, {0, 8}},
         {{0, 0}, {0, 7}}},
        {"bottom, -1..-1, shifted by H - b", false, true, 0, 0, -1, -1,
         {{0, 0}, {0, 25}, {1, 26}, {2, RH - 1}, {RW - 3, RH - 1}},
         {{0, 26}, {0, RH - 1}, {1, RH - 1}, {RW - 2, RH - 1}, {RW - 1, RH - 1}}},
        {"bottom, MinY 1: its first row whole", false, true, 0, 0, 1, -1,
         {{0, 26}, {1, RH - 1 - 1}},
         {{0, RH - 1}, {RW - 1, RH - 1}}},
        {"bottom, rows 0..2: the last row whole", false, true, 0, 0, 0, 2,
         {{0, RH - 1}, {RW - 1, RH - 1}, {1, 26}},
         {{0, 26}}},
        {"both", true, true, -1, -1, -1, -1,
         {{3, 0}, {0, 15}, {1, 26}, {RW - 1, 7}},
         {{0, 0}, {0, 7}, {0, 26}, {0, RH - 1}}},
    };

    auto title = Bitmap(TitlePicture());
    auto bottom = Bitmap(BottomPicture());
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.name);
        TkivSkinFrame f;
        f.W = RW;
        f.H = RH;
        f.TitleRaw = title.get();
        f.BottomBitmap = bottom.get();
        f.TitleNeedsRegion = c.title;
        f.BottomNeedsRegion = c.bottom;
        f.TitleRegionMinY = c.tMin;
        f.TitleRegionMaxY = c.tMax;
        f.BottomRegionMinY = c.bMin;
        f.BottomRegionMaxY = c.bMax;
        HRGN rgn = KivSkinFrameRegion(f);
        const QRegion r = PixelsOf(rgn);
        EXPECT_TRUE(DeleteObject(rgn));
        for (const TPt& p : c.in)
            EXPECT_TRUE(r.contains(QPoint(p.x, p.y))) << "(" << p.x << ", " << p.y << ") should be inside";
        for (const TPt& p : c.out)
            EXPECT_FALSE(r.contains(QPoint(p.x, p.y))) << "(" << p.x << ", " << p.y << ") should be cut";
        EXPECT_TRUE(QRect(0, 0, RW, RH).contains(r.boundingRect())) << "the shape stays in the window";
    }
}

// A row whose only opaque pixel is the last contributes exactly that pixel.
TEST_F(KivFormSkin, RowWithOnlyItsLastPixelOpaqueGivesThatPixel)
{
    auto title = Bitmap(TitlePicture());
    TkivSkinFrame f;
    f.W = RW;
    f.H = RH;
    f.TitleRaw = title.get();
    f.TitleNeedsRegion = true;
    HRGN rgn = KivSkinFrameRegion(f);
    const QRegion r = PixelsOf(rgn);
    DeleteObject(rgn);
    EXPECT_EQ(r.intersected(QRect(0, 7, RW, 1)), QRegion(RW - 1, 7, 1, 1));
    // Row 0 loses 3 pixels at each end.
    EXPECT_EQ(r.intersected(QRect(0, 0, RW, 1)), QRegion(3, 0, RW - 6, 1));
}

// A window lower than its title picture: the middle is empty, not swapped into the title's rows.
TEST_F(KivFormSkin, WindowLowerThanItsPicturesKeepsTheCutRowsCut)
{
    auto title = Bitmap(TitlePicture());
    TkivSkinFrame f;
    f.W = RW;
    f.H = 6;
    f.TitleRaw = title.get();
    f.TitleNeedsRegion = true;
    HRGN rgn = KivSkinFrameRegion(f);
    const QRegion r = PixelsOf(rgn);
    DeleteObject(rgn);
    EXPECT_FALSE(r.contains(QPoint(0, 5)));
    EXPECT_TRUE(r.contains(QPoint(1, 5)));
    EXPECT_FALSE(r.contains(QPoint(0, 7)));
}

// The sample skin: the window's shape follows the title picture's transparent pixels in rows 0
// to 6 and the bottom border's in all its rows; everything else is inside. Checked pixel by pixel.
TEST_F(KivFormSkin, SampleSkinShapeFollowsItsPictures)
{
    std::unique_ptr<TkivFileTheme> skin(SampleSkin(nullptr));
    ASSERT_TRUE(skin->Ready());
    constexpr int W = 260, H = 140;
    TBitmap* t1 = skin->GetBitmap(SKIN2_TITLEBAR1);
    TBitmap* t5 = skin->GetBitmap(SKIN2_TITLEBAR5);
    ASSERT_TRUE(t1 && t5);
    // A raw title image as the bar composes it: left end, right end, opaque between.
    TBitmap raw(W, t1->Height());
    raw.Canvas()->Brush()->SetColor(TColor(0x808080));
    raw.Canvas()->FillRect(Rect(0, 0, W, t1->Height()));
    raw.Canvas()->Draw(0, 0, t1);
    raw.Canvas()->Draw(W - t5->Width(), 0, t5);
    TBitmap bottom;
    TkivSkinFrame f = FrameOf(skin.get(), W, H, &bottom);
    f.TitleRaw = &raw;
    ASSERT_TRUE(f.TitleNeedsRegion && f.BottomNeedsRegion);
    ASSERT_EQ(f.TitleRegionMinY, 0);
    ASSERT_EQ(f.TitleRegionMaxY, 6);
    ASSERT_EQ(f.BottomRegionMinY, -1);
    ASSERT_EQ(f.BottomRegionMaxY, -1);
    KivSkinFrameComposeBottom(f);
    HRGN rgn = KivSkinFrameRegion(f);
    const QRegion r = PixelsOf(rgn);
    DeleteObject(rgn);

    const int ph = raw.Height(), bh = bottom.Height();
    int cut = 0;
    for (int y = 0; y < H; ++y) {
        for (int x = 0; x < W; ++x) {
            bool inside = true;
            if (y < 7)
                inside = Px(raw, x, y) != Magenta;
            else if (y >= H - bh)
                inside = Px(bottom, x, y - (H - bh)) != Magenta;
            cut += !inside;
            if (r.contains(QPoint(x, y)) != inside)
                ADD_FAILURE() << "(" << x << ", " << y << ") should be " << (inside ? "inside" : "cut");
        }
    }
    EXPECT_GT(cut, 0) << "the sample's corners are cut";
    EXPECT_GT(ph, 7);
}

// The region cuts the bottom border at the window's current width even when no frame paint has
// recomposed it since the window changed size.
TEST_F(KivFormSkin, RegionFollowsTheWindowWidthBeforeAnyPaint)
{
    std::unique_ptr<TkivFileTheme> skin(SampleSkin(nullptr));
    TBitmap* b3 = skin->GetBitmap(SKIN2_FORMBOTTOMBORDER3);
    ASSERT_TRUE(b3);
    const int bh = b3->Height();
    ASSERT_EQ(Px(*b3, b3->Width() - 1, bh - 1), Magenta) << "the sample's bottom-right corner is transparent";
    TBitmap bottom;
    TkivSkinFrame f = FrameOf(skin.get(), 100, 80, &bottom);
    f.TitleNeedsRegion = false;
    KivSkinFrameComposeBottom(f);
    f.W = 150;
    HRGN rgn = KivSkinFrameRegion(f);
    const QRegion r = PixelsOf(rgn);
    DeleteObject(rgn);
    EXPECT_EQ(bottom.Width(), 150);
    EXPECT_FALSE(r.contains(QPoint(149, 79)));
    EXPECT_TRUE(r.contains(QPoint(99, 79)));
}
