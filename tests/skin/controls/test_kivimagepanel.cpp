// Kivimagepanel. The picture panel: stretched, tiled and once-drawn pictures judged pixel by
// pixel, the main window's JPEG drawn 135 x 61, auto size by Align, transparency over a parent,
// the caption by Alignment and at a position, and stored forms with picture data. TkivPanel: the
// bar, border, caption and button of every look, the button's four frames under real pointer
// moves, push and pop by real clicks with their 15-pixel steps, the errors and re-entry that are
// refused, the child area, the style's fall-backs and stored forms.
#include "ButtonKit.h"
#include "StyleProtocolTest.h"
#include "framework/ExtCtrls.h"
#include "framework/FormReader.h"
#include "framework/Jpeg.h"
#include "framework/Resources.h"
#include "framework/StdCtrls.h"
#include "framework/SysLocale.h"
#include "skin/controls/Kivimagepanel.h"

#include <QFile>
#include <QMetaObject>

using namespace skintest;

using PanelTypes = ::testing::Types<TkivPanel>;
INSTANTIATE_TYPED_TEST_SUITE_P(Panels, StyleProtocol, PanelTypes);

namespace {

// A picture whose every pixel has its own colour (none of them red or fuchsia).
std::unique_ptr<TBitmap> Pattern(int w, int h)
{
    auto b = std::make_unique<TBitmap>(w, h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            b->Canvas()->SetPixels(x, y, TColor(0x204010 + 0x11 * x + 0x1100 * y));
    return b;
}

std::unique_ptr<TPicture> PictureOf(const TBitmap* b)
{
    auto p = std::make_unique<TPicture>();
    p->SetBitmap(b);
    return p;
}

// The main window's picture, img2: a 110 x 50 JPEG.
std::unique_ptr<TPicture> MainWindowJpeg()
{
    QFile f(QStringLiteral(":/pictures/img2.jpg"));
    if (!f.open(QIODevice::ReadOnly))
        return nullptr;
    TJPEGImage jpeg;
    jpeg.LoadFromBytes(f.readAll());
    auto p = std::make_unique<TPicture>();
    p->SetGraphic(&jpeg);
    return p;
}

TColor BitmapPixel(TBitmap* b, int x, int y) { return b->Canvas()->Pixels(x, y); }

class KivImagePanel : public ButtonTest {
protected:
    static int TextWidthOf(TControl* c, const String& s)
    {
        TBitmap m(1, 1);
        m.Canvas()->SetFont(c->Font());
        return m.Canvas()->TextWidth(s);
    }
    static int TextHeightOf(TControl* c, const String& s)
    {
        TBitmap m(1, 1);
        m.Canvas()->SetFont(c->Font());
        return m.Canvas()->TextHeight(s);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// TkivImagePanel: pictures

TEST_F(KivImagePanel, StretchScalesThePictureOverThePanel)
{
    auto* p = Place<TkivImagePanel>(7, 20, 135, 61);
    p->SetColor(clRed);
    p->SetDrawStyle(kivStretch);
    auto pattern = Pattern(4, 2);
    p->SetPicture(PictureOf(pattern.get()).get());
    const QImage img = Render(p);
    ASSERT_EQ(img.size(), QSize(135, 61));
    // Each picture pixel covers a 33.75 x 30.5 block; the blocks' middles and the corners.
    std::vector<TPixel> px;
    for (int j = 0; j < 2; ++j)
        for (int i = 0; i < 4; ++i)
            px.push_back({int((i + 0.5) * 135 / 4), int((j + 0.5) * 61 / 2), BitmapPixel(pattern.get(), i, j)});
    px.push_back({0, 0, BitmapPixel(pattern.get(), 0, 0)});
    px.push_back({134, 0, BitmapPixel(pattern.get(), 3, 0)});
    px.push_back({0, 60, BitmapPixel(pattern.get(), 0, 1)});
    px.push_back({134, 60, BitmapPixel(pattern.get(), 3, 1)});
    ExpectPixels(img, px);
    EXPECT_EQ(Count(img, clRed), 0) << "the picture covers the whole panel";

    // The main window's JPEG, 110 x 50, drawn 135 x 61.
    auto jpeg = MainWindowJpeg();
    ASSERT_TRUE(jpeg);
    ASSERT_EQ(jpeg->Width(), 110);
    ASSERT_EQ(jpeg->Height(), 50);
    p->SetPicture(jpeg.get());
    EXPECT_EQ(p->Width(), 135);
    EXPECT_EQ(p->Height(), 61);
    const QImage photo = Render(p);
    TBitmap* decoded = static_cast<TJPEGImage*>(jpeg->Graphic())->Bitmap();
    ExpectPixels(photo, {{0, 0, BitmapPixel(decoded, 0, 0)},
                         {134, 0, BitmapPixel(decoded, 109, 0)},
                         {0, 60, BitmapPixel(decoded, 0, 49)},
                         {134, 60, BitmapPixel(decoded, 109, 49)}});
    // Across the panel every pixel comes from the picture pixel the scale maps it to (or, for the
    // sampling's rounding, its right or lower neighbour).
    for (int ty = 0; ty < 61; ty += 6)
        for (int tx = 0; tx < 135; tx += 7) {
            const int sx = tx * 110 / 135, sy = ty * 50 / 61;
            const TColor got = PixelAt(photo, tx, ty);
            bool found = false;
            for (int dy = 0; dy < 2; ++dy)
                for (int dx = 0; dx < 2; ++dx)
                    found = found || got == BitmapPixel(decoded, std::min(sx + dx, 109), std::min(sy + dy, 49));
            EXPECT_TRUE(found) << "pixel (" << tx << ", " << ty << ") " << Hex(got);
        }
}

TEST_F(KivImagePanel, TileRepeatsThePictureFromTheTopLeftCorner)
{
    auto* p = Place<TkivImagePanel>(10, 10, 60, 40);
    p->SetColor(clRed);
    auto pattern = Pattern(7, 5);
    p->SetPicture(PictureOf(pattern.get()).get());
    p->SetDrawStyle(kivTile);
    const QImage img = Render(p);
    std::vector<TPixel> px;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            px.push_back({x, y, BitmapPixel(pattern.get(), x % 7, y % 5)});
    ExpectPixels(img, px);
}

TEST_F(KivImagePanel, NormalDrawsThePictureOnceAndColorAroundIt)
{
    auto* p = Place<TkivImagePanel>(10, 10, 60, 40);
    p->SetColor(TColor(0x00FF00));
    auto pattern = Pattern(20, 10);
    p->SetPicture(PictureOf(pattern.get()).get());
    EXPECT_EQ(p->DrawStyle(), kivNormal) << "the default";
    const QImage img = Render(p);
    std::vector<TPixel> px;
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 60; ++x)
            px.push_back({x, y, x < 20 && y < 10 ? BitmapPixel(pattern.get(), x, y) : TColor(0x00FF00)});
    ExpectPixels(img, px);

    // Without a picture, or with an empty one, the panel is Color.
    for (bool emptyGraphic : {false, true}) {
        SCOPED_TRACE(emptyGraphic ? "empty graphic" : "no graphic");
        if (emptyGraphic) {
            TBitmap empty;
            p->SetPicture(PictureOf(&empty).get());
        } else {
            TPicture none;
            p->SetPicture(&none);
        }
        const QImage plain = Render(p);
        EXPECT_EQ(Count(plain, TColor(0x00FF00)), 60 * 40);
    }
}

TEST_F(KivImagePanel, TransparentShowsTheParentAroundAndThroughThePicture)
{
    // A parent that differs in every pixel of a 4 x 3 tile, so the offset under the child shows.
    auto* parent = Place<TkivImagePanel>(5, 5, 200, 150);
    TBitmap tile(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            tile.Canvas()->SetPixels(x, y, TColor(0x102030 + 0x30 * x + 0x3000 * y));
    parent->SetPicture(PictureOf(&tile).get());
    parent->SetDrawStyle(kivTile);
    auto under = [&](int x, int y) { return tile.Canvas()->Pixels((x + 7) % 4, (y + 9) % 3); };

    auto* p = new TkivImagePanel(form);
    p->SetParent(parent);
    p->SetBounds(7, 9, 60, 40);
    p->SetColor(clRed);
    // A 20 x 10 picture with a fuchsia hole; its bottom-left pixel makes fuchsia its transparent
    // colour.
    auto pattern = Pattern(20, 10);
    for (int y = 3; y < 7; ++y)
        for (int x = 5; x < 12; ++x)
            pattern->Canvas()->SetPixels(x, y, clFuchsia);
    pattern->Canvas()->SetPixels(0, 9, clFuchsia);
    auto hole = [](int x, int y) { return (x >= 5 && x < 12 && y >= 3 && y < 7) || (x == 0 && y == 9); };
    p->SetPicture(PictureOf(pattern.get()).get());

    for (bool transparent : {true, false, true}) {
        SCOPED_TRACE(transparent ? "transparent" : "opaque");
        p->SetTransparent(transparent);
        EXPECT_EQ(p->Picture()->Graphic()->Transparent(), transparent) << "the graphic follows the panel";
        const QImage img = Render(p);
        std::vector<TPixel> px;
        for (int y = 0; y < 40; ++y)
            for (int x = 0; x < 60; ++x) {
                TColor c;
                if (x < 20 && y < 10)
                    c = hole(x, y) ? (transparent ? under(x, y) : clFuchsia) : BitmapPixel(pattern.get(), x, y);
                else
                    c = transparent ? under(x, y) : clRed;
                px.push_back({x, y, c});
            }
        ExpectPixels(img, px);
    }
    // Transparent without a picture: the parent everywhere.
    TPicture none;
    p->SetPicture(&none);
    const QImage bare = Render(p);
    ExpectPixels(bare, {{0, 0, under(0, 0)}, {30, 20, under(30, 20)}, {59, 39, under(59, 39)}});
    EXPECT_EQ(Count(bare, clRed), 0);
}

TEST_F(KivImagePanel, AutoSizeTakesFromThePictureWhatAlignLeavesFree)
{
    struct Case {
        TAlign align;
        bool width, height;  // which of the two follow the picture
    };
    const Case cases[] = {{alNone, true, true},     {alTop, false, true},   {alBottom, false, true},
                          {alLeft, true, false},    {alRight, true, false}, {alClient, false, false}};
    auto pattern = Pattern(37, 23);
    auto picture = PictureOf(pattern.get());
    for (const Case& c : cases) {
        SCOPED_TRACE("Align " + std::to_string(int(c.align)));
        auto* p = Place<TkivImagePanel>(10, 10, 60, 40);
        p->SetAlign(c.align);
        const int w = p->Width(), h = p->Height();
        // Assigned while AutoSize is on.
        p->SetAutoSize(true);
        p->SetPicture(picture.get());
        EXPECT_EQ(p->Width(), c.width ? 37 : w);
        EXPECT_EQ(p->Height(), c.height ? 23 : h);
        delete p;

        // Switched on after the picture is there.
        p = Place<TkivImagePanel>(10, 10, 60, 40);
        p->SetAlign(c.align);
        p->SetPicture(picture.get());
        EXPECT_EQ(p->Width(), w);
        EXPECT_EQ(p->Height(), h) << "AutoSize is off by default";
        p->SetAutoSize(true);
        EXPECT_EQ(p->Width(), c.width ? 37 : w);
        EXPECT_EQ(p->Height(), c.height ? 23 : h);
        // A change of the picture in place is followed too.
        auto bigger = Pattern(41, 29);
        p->Picture()->SetBitmap(bigger.get());
        EXPECT_EQ(p->Width(), c.width ? 41 : w);
        EXPECT_EQ(p->Height(), c.height ? 29 : h);
        delete p;
    }
    // The main window's JPEG on a panel aligned to the top: only the height follows.
    auto jpeg = MainWindowJpeg();
    ASSERT_TRUE(jpeg);
    auto* top = Place<TkivImagePanel>(0, 0, 135, 61);
    top->SetAlign(alTop);
    top->SetDrawStyle(kivStretch);
    top->SetAutoSize(true);
    top->SetPicture(jpeg.get());
    EXPECT_EQ(top->Height(), 50);
    EXPECT_EQ(top->Width(), form->ClientWidth());
}

// ---------------------------------------------------------------------------------------------
// TkivImagePanel: caption

TEST_F(KivImagePanel, TheCaptionIsPlacedByAlignmentOrAtItsPosition)
{
    const TColor ink = TColor(0x0000C0);
    auto* p = Place<TkivImagePanel>(10, 10, 120, 40);
    p->SetColor(clWhite);
    p->Font()->SetColor(ink);
    p->SetCaption(QStringLiteral("Hi"));
    const int tw = TextWidthOf(p, QStringLiteral("Hi")), th = TextHeightOf(p, QStringLiteral("Hi"));
    ASSERT_GT(tw, 4);
    TkivImagePanel fresh(nullptr);
    EXPECT_EQ(fresh.Alignment(), taCenter);
    EXPECT_EQ(fresh.Color(), clBtnFace);
    EXPECT_EQ(fresh.BevelInner(), bvNone);
    EXPECT_EQ(fresh.BevelOuter(), bvNone);
    EXPECT_EQ(fresh.CaptionPosX(), -1);
    EXPECT_EQ(fresh.CaptionPosY(), -1);
    EXPECT_FALSE(fresh.Transparent());
    EXPECT_FALSE(fresh.AutoSize());
    for (const char* prop : {"Picture", "Transparent", "AutoSize", "DrawStyle", "Alignment", "Align", "Caption",
                             "Color", "Font", "TabStop", "TabOrder", "Visible", "BorderWidth", "BiDiMode", "Anchors"})
        EXPECT_TRUE(IsHasProperty(&fresh, QLatin1String(prop))) << prop;
    struct Case {
        const char* name;
        TAlignment alignment;
        int posX, posY;
        QRect box;  // where the letters must lie
    };
    const int top = (40 - th) / 2;
    const Case cases[] = {
        {"left", taLeftJustify, -1, -1, QRect(0, top, tw, th)},
        {"right", taRightJustify, -1, -1, QRect(120 - tw, top, tw, th)},
        {"centre", taCenter, -1, -1, QRect((120 - tw) / 2, top, tw + 1, th)},
        {"at (30, 5)", taRightJustify, 30, 5, QRect(30, 5, tw, th)},
        {"only X set: aligned", taLeftJustify, 30, -1, QRect(0, top, tw, th)},
        {"only Y set: aligned", taLeftJustify, -1, 5, QRect(0, top, tw, th)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        p->SetAlignment(c.alignment);
        p->SetCaptionPosX(c.posX);
        p->SetCaptionPosY(c.posY);
        const QImage img = Render(p);
        const QRect letters = Bounds(img, ink);
        ASSERT_FALSE(letters.isEmpty());
        EXPECT_TRUE(c.box.contains(letters)) << letters.x() << "," << letters.y() << " " << letters.width() << "x"
                                             << letters.height();
        if (c.posX >= 0 && c.posY >= 0) {
            EXPECT_EQ(p->CaptionRect(), Rect(c.posX, c.posY, c.posX + tw, c.posY + th));
        } else {
            EXPECT_EQ(p->CaptionRect(), Rect(0, 0, 120, 40));
        }
    }
    // Over a picture, on top of it.
    auto pattern = Pattern(8, 8);
    p->SetPicture(PictureOf(pattern.get()).get());
    p->SetDrawStyle(kivTile);
    EXPECT_FALSE(Bounds(Render(p), ink).isEmpty());
    // A caption of blanks draws nothing.
    p->SetCaption(QStringLiteral("   "));
    TPicture none;
    p->SetPicture(&none);
    EXPECT_EQ(Count(Render(p), ink), 0);
    EXPECT_EQ(Count(Render(p), clWhite), 120 * 40);
}

// ---------------------------------------------------------------------------------------------
// TkivImagePanel: stored forms

TEST_F(KivImagePanel, TheMainWindowsPicturePanelLoadsWithItsJpeg)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Width = 300
  Height = 240
  object img2: TkivImagePanel
    Left = 7
    Top = 116
    Width = 135
    Height = 61
    Cursor = crArrow
    Picture.Data = file 'img2.jpg'
    AutoSize = False
    Color = clRed
    DrawStyle = kivStretch
    TabOrder = 6
  end
  object Banner: TkivImagePanel
    Align = alTop
    Width = 135
    Height = 30
    AutoSize = True
    Picture.Data = file 'img2.jpg'
    Transparent = True
    Caption = 'RQ_27M'
    Alignment = taLeftJustify
  end
end
)"),
                      QStringLiteral("pictures.dfm"));
    auto* img2 = dynamic_cast<TkivImagePanel*>(f->FindComponent(QStringLiteral("img2")));
    auto* banner = dynamic_cast<TkivImagePanel*>(f->FindComponent(QStringLiteral("Banner")));
    ASSERT_NE(img2, nullptr);
    ASSERT_NE(banner, nullptr);
    ASSERT_NE(img2->Picture()->Graphic(), nullptr);
    EXPECT_EQ(img2->Picture()->Graphic()->ClassName(), QStringLiteral("TJPEGImage"));
    EXPECT_EQ(img2->Picture()->Width(), 110);
    EXPECT_EQ(img2->Picture()->Height(), 50);
    EXPECT_EQ(img2->BoundsRect(), Rect(7, 116, 142, 177));
    EXPECT_EQ(img2->DrawStyle(), kivStretch);
    EXPECT_FALSE(img2->AutoSize());
    EXPECT_EQ(img2->Color(), clRed);
    EXPECT_EQ(img2->Cursor(), crArrow);
    EXPECT_EQ(banner->Height(), 50) << "AutoSize before the picture: the height follows it";
    EXPECT_EQ(banner->Width(), f->ClientWidth());
    EXPECT_TRUE(banner->Transparent());
    EXPECT_TRUE(banner->Picture()->Graphic()->Transparent());
    EXPECT_EQ(banner->Alignment(), taLeftJustify);
    f->Show();
    const QImage img = Render(img2);
    ASSERT_EQ(img.size(), QSize(135, 61));
    TBitmap* decoded = static_cast<TJPEGImage*>(img2->Picture()->Graphic())->Bitmap();
    ExpectPixels(img, {{0, 0, BitmapPixel(decoded, 0, 0)}, {134, 60, BitmapPixel(decoded, 109, 49)}});
    EXPECT_EQ(Count(img, clRed), 0);
    delete f;

    // Picture data that is no picture is refused with a clear error.
    auto* bad = NewForm<TForm>(Application);
    try {
        ReadComponentText(bad, QByteArray(R"(object F: TForm
  object Broken: TkivImagePanel
    Picture.Data = {00010203}
  end
end
)"),
                          QStringLiteral("broken.dfm"));
        ADD_FAILURE() << "no error";
    } catch (const Exception& e) {
        EXPECT_FALSE(e.Message().isEmpty());
    }
    delete bad;
}

// ---------------------------------------------------------------------------------------------
// TkivPanel

namespace {

constexpr int PW = 150;  // panel size
constexpr int PH = 100;

// Frame Index (1 expanded, 2 expanded hot, 3 pushed, 4 pushed hot) of PANEL_BUTTON.
std::unique_ptr<TBitmap> PanelButtonFrame(int Index)
{
    TBitmap strip;
    strip.LoadFromResourceName(HInstance, QStringLiteral("PANEL_BUTTON"));
    auto b = std::make_unique<TBitmap>();
    SpitBitmap(&strip, b.get(), 4, Index);
    return b;
}

class KivPanel : public KivImagePanel {
protected:
    static std::unique_ptr<TBitmap> LookBar(const TLook& look)
    {
        auto b = std::make_unique<TBitmap>();
        if (look.theme)
            look.theme->GetBitmap2(SKIN2_SIDECHANNELTITLE, b.get(), 0, 0);
        else
            GetInsideThemeBitmap(look.style == FromThemeFile ? DeepBlue : look.style,
                                 KIV_THEME_SIDECHANNEL_BAR_IMAGE, b.get(), 0, 0);
        return b;
    }
    static TColor LookBorder(const TLook& look)
    {
        if (look.theme)
            return look.theme->GetColor(SKIN2_CONTROLBORDERCOLOR);
        return GetInsideThemeColor(look.style, KIV_THEME_CONTROL_BORDER_COLOR);
    }
    static TColor LookCaption(const TLook& look)
    {
        if (look.theme)
            return look.theme->GetColor(SKIN2_CONTROLFONTCOLOR);
        return look.style == MacOS ? clBlack : GetInsideThemeColor(look.style, KIV_THEME_MENU_SELECTED_FONT_COLOR);
    }
    // The 13 x 12 button frame drawn at (W - 17, 4).
    static std::vector<TPixel> ButtonPixels(int w, int Index)
    {
        auto frame = PanelButtonFrame(Index);
        std::vector<TPixel> px;
        for (int y = 0; y < frame->Height(); ++y)
            for (int x = 0; x < frame->Width(); ++x)
                px.push_back({w - 17 + x, 4 + y, BitmapPixel(frame.get(), x, y)});
        return px;
    }
    // The pointer at a point of the panel (a real move of the pointer).
    static void PointAt(TkivPanel* p, QPoint at) { QTest::mouseMove(p->Widget(), at); }
    static QPoint ButtonCentre(TkivPanel* p)
    {
        const TRect r = p->ButtonRect();
        return QPoint(r.Left + 6, r.Top + 6);
    }
    TkivPanel* NewPanel()
    {
        auto* p = Place<TkivPanel>(10, 10, PW, PH);
        p->SetCaption(QStringLiteral("Side channel"));
        p->SetUIStyle(Protein);
        return p;
    }
};

}  // namespace

TEST_F(KivPanel, BarBorderCaptionAndButtonInEveryLook)
{
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        auto* p = Place<TkivPanel>(10, 10, PW, PH);
        ApplyLook(p, look);
        auto bar = LookBar(look);
        ASSERT_FALSE(bar->Empty());
        const int bh = bar->Height();
        const TColor border = LookBorder(look);
        EXPECT_EQ(p->Color(), clWhite);
        EXPECT_EQ(p->BorderColor(), border);
        EXPECT_EQ(p->CaptionFontColor(), LookCaption(look));
        EXPECT_EQ(p->BarHeight(), bh);
        EXPECT_EQ(p->ButtonRect(), Rect(PW - 18, (bh - 12) / 2, PW - 5, (bh - 12) / 2 + 12));

        const QImage img = Render(p);
        ASSERT_EQ(img.size(), QSize(PW, PH));
        std::vector<TPixel> px;
        // The bar stretched over (1, 0)-(W - 1, bar height), left of the caption and right of the
        // button; the rectangle's border around; white inside.
        for (int y = 0; y < bh; ++y)
            for (int x : {1, 5, 9, PW - 4, PW - 3, PW - 2})
                px.push_back({x, y, BitmapPixel(bar.get(), 0, y)});
        for (int y = 0; y < PH; ++y) {
            px.push_back({0, y, border});
            px.push_back({PW - 1, y, border});
        }
        for (int x = 0; x < PW; ++x)
            px.push_back({x, PH - 1, border});
        for (int x = 1; x < PW - 1; ++x)
            px.push_back({x, bh, clWhite});
        px.push_back({PW / 2, PH / 2, clWhite});
        px.push_back({PW - 2, PH - 2, clWhite});
        ExpectPixels(img, px);
        ExpectPixels(img, ButtonPixels(PW, 1));

        // The caption: what it adds is in the caption colour, in the bar right of x = 10.
        p->SetCaption(QStringLiteral("Side"));
        const QImage captioned = Render(p);
        int changed = 0;
        for (int y = 0; y < PH; ++y)
            for (int x = 0; x < PW; ++x)
                if (PixelAt(captioned, x, y) != PixelAt(img, x, y)) {
                    ++changed;
                    EXPECT_EQ(Hex(PixelAt(captioned, x, y)), Hex(LookCaption(look))) << x << "," << y;
                    EXPECT_GE(x, 10);
                    EXPECT_LT(y, bh);
                }
        EXPECT_GT(changed, 10);
        delete p;
    }
}

TEST_F(KivPanel, TheButtonShowsItsFourFramesUnderThePointer)
{
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        auto* p = Place<TkivPanel>(10, 10, PW, PH);
        ApplyLook(p, look);
        struct Case {
            bool pushed, hot;
            int frame;
        };
        for (const Case& c : {Case{false, false, 1}, Case{false, true, 2}, Case{true, false, 3}, Case{true, true, 4}}) {
            SCOPED_TRACE(std::string(c.pushed ? "pushed" : "expanded") + (c.hot ? " hot" : ""));
            PointAt(p, QPoint(40, 5));
            if (c.pushed != p->Pushed())
                c.pushed ? p->Push() : p->Pop();
            PointAt(p, c.hot ? ButtonCentre(p) : QPoint(40, 5));
            EXPECT_EQ(p->ButtonHot(), c.hot);
            ExpectPixels(Render(p), ButtonPixels(PW, c.frame));
        }
        delete p;
    }
}

TEST_F(KivPanel, TheHitRectangleIncludesItsEdgesAndEveryMoveUpdatesTheHotState)
{
    auto* p = NewPanel();
    const TRect r = p->ButtonRect();
    ASSERT_EQ(r, Rect(PW - 18, 4, PW - 5, 16));
    struct Case {
        QPoint at;
        bool hot;
    };
    const Case cases[] = {
        {{r.Left, r.Top}, true},       {{r.Right, r.Bottom}, true},  {{r.Left - 1, r.Top}, false},
        {{r.Right + 1, r.Bottom}, false}, {{r.Left, r.Top - 1}, false}, {{r.Right, r.Bottom + 1}, false},
        {{r.Left + 6, r.Top + 6}, true},
        // Leaving downwards, out of the bar: no longer hot (every move counts).
        {{r.Left + 6, 60}, false},     {{r.Left + 6, r.Top + 6}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.at.x()) + "," + std::to_string(c.at.y()));
        PointAt(p, c.at);
        EXPECT_EQ(p->ButtonHot(), c.hot);
        ExpectPixels(Render(p), ButtonPixels(PW, c.hot ? 2 : 1));
    }
    // Leaving the panel.
    QTest::mouseMove(form->Widget(), QPoint(300, 250));
    EXPECT_FALSE(p->ButtonHot());
    // A click below the bar after the pointer left the button pushes nothing.
    PointAt(p, ButtonCentre(p));
    PointAt(p, QPoint(PW / 2, 60));
    QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, QPoint(PW / 2, 60));
    EXPECT_FALSE(p->Pushed());
    EXPECT_EQ(p->RealHeight(), PH);
}

TEST_F(KivPanel, RealClicksPushAndPopIn15PixelSteps)
{
    auto* p = NewPanel();
    std::vector<int> heights;
    std::vector<std::string> events;
    p->OnResize = [&](TObject*) { heights.push_back(p->RealHeight()); };
    p->OnPush = [&](TObject* s) {
        events.push_back("push");
        EXPECT_EQ(s, p);
        EXPECT_FALSE(p->Animating());
        EXPECT_EQ(p->RealHeight(), 21);
    };
    p->OnPop = [&](TObject* s) {
        events.push_back("pop");
        EXPECT_EQ(s, p);
        EXPECT_EQ(p->RealHeight(), p->Height());
    };
    PointAt(p, ButtonCentre(p));
    QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, ButtonCentre(p));
    EXPECT_EQ(heights, (std::vector<int>{85, 70, 55, 40, 25, 21}));
    EXPECT_TRUE(p->Pushed());
    EXPECT_EQ(p->RealHeight(), 21);
    EXPECT_EQ(p->Height(), PH) << "the published height stays the expanded one";
    EXPECT_EQ(events, (std::vector<std::string>{"push"}));
    ExpectPixels(Render(p), ButtonPixels(PW, 4));

    heights.clear();
    QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, ButtonCentre(p));
    EXPECT_EQ(heights, (std::vector<int>{36, 51, 66, 81, 96, 100}));
    EXPECT_FALSE(p->Pushed());
    EXPECT_EQ(p->RealHeight(), PH);
    EXPECT_EQ(events, (std::vector<std::string>{"push", "pop"}));
    ExpectPixels(Render(p), ButtonPixels(PW, 2));

    // Other buttons and clicks beside the button do nothing.
    QTest::mouseClick(p->Widget(), Qt::RightButton, {}, ButtonCentre(p));
    PointAt(p, QPoint(40, 8));
    QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, QPoint(40, 8));
    EXPECT_FALSE(p->Pushed());
    EXPECT_EQ(events.size(), 2u);

    // A height set while pushed is where the panel pops to; the steps never overshoot.
    p->Push();
    p->SetHeight2(47);
    EXPECT_EQ(p->RealHeight(), 21);
    EXPECT_EQ(p->Height(), 47);
    heights.clear();
    p->Pop();
    EXPECT_EQ(heights, (std::vector<int>{36, 47}));
    // Resized while expanded, the published height follows.
    p->SetBounds(10, 10, PW, 64);
    EXPECT_EQ(p->Height(), 64);
    heights.clear();
    p->Push();
    EXPECT_EQ(heights, (std::vector<int>{49, 34, 21}));
}

TEST_F(KivPanel, PushIsRefusedForSideAndClientAlignmentAndDuringTheAnimation)
{
    for (TAlign a : {alClient, alLeft, alRight}) {
        SCOPED_TRACE("Align " + std::to_string(int(a)));
        auto* p = NewPanel();
        p->SetAlign(a);
        int pushes = 0;
        p->OnPush = [&](TObject*) { ++pushes; };
        const int h = p->RealHeight();
        try {
            p->Push();
            ADD_FAILURE() << "no error";
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Can't push when Align is alClient, alLeft or alRight."));
        }
        EXPECT_FALSE(p->Pushed());
        EXPECT_FALSE(p->Animating());
        EXPECT_EQ(p->RealHeight(), h);
        EXPECT_EQ(pushes, 0);
        // No button is shown, so the bar runs on where it would be.
        EXPECT_FALSE(p->ButtonShown());
        auto bar = LookBar(TLook{"Protein", Protein, nullptr});
        const QImage img = Render(p);
        for (int y = 4; y < 16; ++y)
            EXPECT_EQ(PixelAt(img, p->Width() - 12, y), BitmapPixel(bar.get(), 0, y)) << y;
        delete p;
    }
    for (TAlign a : {alTop, alBottom}) {
        auto* p = NewPanel();
        p->SetAlign(a);
        p->Push();
        EXPECT_TRUE(p->Pushed());
        EXPECT_EQ(p->RealHeight(), 21);
        delete p;
    }

    // Push, pop and clicks asked for while the animation runs are ignored.
    auto* p = NewPanel();
    int pushes = 0, pops = 0;
    p->OnPush = [&](TObject*) { ++pushes; };
    p->OnPop = [&](TObject*) { ++pops; };
    std::vector<int> heights;
    p->OnResize = [&](TObject*) {
        heights.push_back(p->RealHeight());
        if (!p->Animating())
            return;
        p->Push();
        p->Pop();
        QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, ButtonCentre(p));
    };
    PointAt(p, ButtonCentre(p));
    p->Push();
    EXPECT_EQ(heights, (std::vector<int>{85, 70, 55, 40, 25, 21}));
    EXPECT_TRUE(p->Pushed());
    EXPECT_EQ(pushes, 1);
    EXPECT_EQ(pops, 0);
    heights.clear();
    p->Pop();
    EXPECT_EQ(heights, (std::vector<int>{36, 51, 66, 81, 96, 100}));
    EXPECT_FALSE(p->Pushed());
    EXPECT_EQ(pushes, 1);
    EXPECT_EQ(pops, 1);

    // A panel freed while its animation processes messages stops at once.
    auto* doomed = NewPanel();
    bool reported = false;
    doomed->OnPush = [&](TObject*) { reported = true; };
    QMetaObject::invokeMethod(qApp, [doomed] { delete doomed; }, Qt::QueuedConnection);
    doomed->Push();
    EXPECT_FALSE(reported);
}

TEST_F(KivPanel, ShowButtonFalseHidesTheButtonAndItsClick)
{
    auto* p = NewPanel();
    p->SetShowButton(false);
    auto bar = LookBar(TLook{"Protein", Protein, nullptr});
    PointAt(p, ButtonCentre(p));
    EXPECT_FALSE(p->ButtonHot());
    const QImage img = Render(p);
    for (int y = 4; y < 16; ++y)
        EXPECT_EQ(PixelAt(img, PW - 12, y), BitmapPixel(bar.get(), 0, y)) << y;
    QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, ButtonCentre(p));
    EXPECT_FALSE(p->Pushed());
    // Shown again, the button works.
    p->SetShowButton(true);
    PointAt(p, ButtonCentre(p) + QPoint(1, 0));
    EXPECT_TRUE(p->ButtonHot());
    QTest::mouseClick(p->Widget(), Qt::LeftButton, {}, ButtonCentre(p));
    EXPECT_TRUE(p->Pushed());
}

TEST_F(KivPanel, APushedPanelFollowsTheHeightOfTheNewLooksBar)
{
    auto* p = NewPanel();
    p->Push();
    ASSERT_EQ(p->RealHeight(), 21);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        ApplyLook(p, look);
        auto bar = LookBar(look);
        EXPECT_TRUE(p->Pushed());
        EXPECT_EQ(p->RealHeight(), bar->Height());
        EXPECT_EQ(p->Height(), PH);
        const QImage img = Render(p);
        ASSERT_EQ(img.height(), bar->Height());
        for (int y = 0; y < bar->Height(); ++y)
            EXPECT_EQ(PixelAt(img, 2, y), BitmapPixel(bar.get(), 0, y)) << y;
    }
    p->Pop();
    EXPECT_EQ(p->RealHeight(), PH);
}

TEST_F(KivPanel, ChildrenAreAlignedBelowTheBarOfTheLook)
{
    auto* p = Place<TkivPanel>(10, 10, PW, PH);
    auto* child = new TPanel(form);
    child->SetParent(p);
    child->SetAlign(alClient);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        ApplyLook(p, look);
        const int bh = LookBar(look)->Height();
        EXPECT_EQ(child->BoundsRect(), Rect(3, bh + 3, PW - 3, PH - 3));
    }
    // FromThemeFile without a theme: DeepBlue's bar, 20 high.
    p->SetFileTheme(nullptr);
    p->SetUIStyle(FromThemeFile);
    EXPECT_EQ(p->BarHeight(), 20);
    EXPECT_EQ(child->BoundsRect(), Rect(3, 23, PW - 3, PH - 3));
}

TEST_F(KivPanel, AFileThemeIsReadOnlyWithFromThemeFileAndItsRemovalTurnsThePanelDeepBlue)
{
    auto* p = NewPanel();
    p->SetColor(clYellow);
    p->SetBorderColor(clRed);
    p->SetCaptionFontColor(clBlue);
    p->SetFileTheme(skin);
    EXPECT_EQ(p->FileTheme(), skin);
    EXPECT_EQ(p->Color(), clYellow) << "Protein stays: the theme is not read";
    EXPECT_EQ(p->BorderColor(), clRed);
    EXPECT_EQ(p->CaptionFontColor(), clBlue);
    EXPECT_EQ(p->BarHeight(), 21);

    auto* child = new TkivCheckBox(form);
    child->SetParent(p);
    child->SetBounds(10, 40, 93, 17);
    child->SetUIStyle(MacOS);
    p->SetUIStyle(FromThemeFile);
    EXPECT_EQ(p->Color(), clWhite);
    EXPECT_EQ(p->BorderColor(), skin->GetColor(SKIN2_CONTROLBORDERCOLOR));
    EXPECT_EQ(p->CaptionFontColor(), skin->GetColor(SKIN2_CONTROLFONTCOLOR));
    EXPECT_EQ(p->BarHeight(), 22);
    EXPECT_EQ(child->UIStyle(), MacOS) << "the panel does not pass its style on by itself";

    delete skin;
    skin = nullptr;
    EXPECT_EQ(p->FileTheme(), nullptr);
    EXPECT_EQ(p->UIStyle(), DeepBlue);
    EXPECT_EQ(p->BarHeight(), 20);
    EXPECT_EQ(p->BorderColor(), GetInsideThemeColor(DeepBlue, KIV_THEME_CONTROL_BORDER_COLOR));
    EXPECT_EQ(child->UIStyle(), DeepBlue) << "the children get DeepBlue";
    auto bar = LookBar(TLook{"DeepBlue", DeepBlue, nullptr});
    const QImage img = Render(p);
    for (int y = 0; y < 20; ++y)
        EXPECT_EQ(PixelAt(img, 2, y), BitmapPixel(bar.get(), 0, y)) << y;
}

TEST_F(KivPanel, RightToLeftCaptionEndsBeforeTheButtonInAMiddleEastLocale)
{
    const TSysLocale saved = SysLocale;
    const TColor ink = clWhite;  // Protein's caption colour
    struct Case {
        bool middleEast, showButton;
        int rightEdge;  // the caption's rectangle ends here (exclusive)
    };
    for (const Case& c : {Case{true, true, PW - 21}, Case{true, false, PW - 11}}) {
        SCOPED_TRACE(c.showButton ? "button" : "no button");
        SysLocale.MiddleEast = c.middleEast;
        auto* p = NewPanel();
        p->SetShowButton(c.showButton);
        p->SetCaption(QStringLiteral("Side"));
        p->SetBiDiMode(bdRightToLeft);
        const QImage img = Render(p);
        p->SetCaption(QString());
        const QImage bare = Render(p);
        QRect letters;
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < PW; ++x)
                if (PixelAt(img, x, y) != PixelAt(bare, x, y))
                    letters |= QRect(x, y, 1, 1);
        ASSERT_FALSE(letters.isEmpty());
        EXPECT_LT(letters.right(), c.rightEdge);
        EXPECT_GE(letters.right(), c.rightEdge - 3) << "right-aligned";
        EXPECT_EQ(Bounds(img, ink, letters), letters);
        // A caption too long for the bar is cut at the same left edge, x = 10, as left to right.
        p->SetCaption(QStringLiteral("Side channel of the configurator"));
        const QImage cut = Render(p);
        for (int y = 0; y < 21; ++y)
            for (int x = 0; x < 10; ++x)
                EXPECT_EQ(PixelAt(cut, x, y), PixelAt(bare, x, y)) << x << "," << y;
        EXPECT_FALSE(Bounds(cut, ink, QRect(10, 0, 20, 21)).isEmpty());
        delete p;
    }
    SysLocale = saved;
}

TEST_F(KivPanel, StoredFormsSetThePanelsProperties)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Width = 300
  Height = 240
  object Side: TkivPanel
    Left = 8
    Top = 8
    Width = 160
    Height = 120
    UIStyle = MacOS
    Caption = 'Side channel'
    ShowButton = False
    BorderColor = clRed
    CaptionFontColor = clBlue
  end
end
)"),
                      QStringLiteral("panels.dfm"));
    auto* p = dynamic_cast<TkivPanel*>(f->FindComponent(QStringLiteral("Side")));
    ASSERT_NE(p, nullptr);
    EXPECT_EQ(p->UIStyle(), MacOS);
    EXPECT_EQ(p->Height(), 120);
    EXPECT_EQ(p->RealHeight(), 120);
    EXPECT_EQ(p->Width(), 160);
    EXPECT_FALSE(p->ShowButton());
    EXPECT_EQ(p->BorderColor(), clRed) << "stored after the style, it wins";
    EXPECT_EQ(p->CaptionFontColor(), clBlue);
    EXPECT_EQ(p->Caption(), QStringLiteral("Side channel"));
    for (const char* e : {"OnPush", "OnPop"})
        EXPECT_TRUE(p->HasEvent(QString::fromLatin1(e))) << e;
    f->Show();
    EXPECT_EQ(PixelAt(Render(p), 0, 60), clRed);
    delete f;

    // The constructor's defaults.
    TkivPanel loose(nullptr);
    EXPECT_EQ(loose.Width(), 100);
    EXPECT_EQ(loose.Height(), 100);
    EXPECT_EQ(loose.UIStyle(), DeepBlue);
    EXPECT_TRUE(loose.ShowButton());
    EXPECT_FALSE(loose.Pushed());
}
