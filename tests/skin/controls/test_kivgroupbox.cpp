// The skinned group box: the frame line at half the font height with the caption's gap, the
// caption at (5, 0) and grey when disabled, border and caption colours of every look, the area
// its children are aligned in, the style passed on to the children, the fall-back to DeepBlue
// when the file theme goes, transparency over the parent, the right-to-left layout and stored
// forms.
#include "ButtonKit.h"
#include "StyleProtocolTest.h"
#include "framework/ExtCtrls.h"
#include "framework/FormReader.h"
#include "framework/StdCtrls.h"
#include "framework/SysLocale.h"
#include "skin/controls/Kivgroupbox.h"
#include "skin/controls/Kivimagepanel.h"

using namespace skintest;

using GroupBoxTypes = ::testing::Types<TkivGroupBox>;
INSTANTIATE_TYPED_TEST_SUITE_P(GroupBoxes, StyleProtocol, GroupBoxTypes);

namespace {

constexpr int W = 185;
constexpr int H = 105;

class KivGroupBox : public ButtonTest {
protected:
    // The main window's "Usart" box: font "MS Sans Serif" of height -11.
    TkivGroupBox* Usart(int width = W, int height = H)
    {
        auto* g = Place<TkivGroupBox>(10, 10, width, height);
        g->Font()->SetName(QStringLiteral("MS Sans Serif"));
        g->Font()->SetHeight(-11);
        g->SetCaption(QStringLiteral("Usart"));
        return g;
    }
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
    static TColor LookBorder(const TLook& look)
    {
        if (look.theme)
            return look.theme->GetColor(SKIN2_CONTROLBORDERCOLOR);
        return GetInsideThemeColor(look.style, KIV_THEME_CONTROL_BORDER_COLOR);
    }
    static TColor LookFont(const TLook& look)
    {
        if (look.theme)
            return look.theme->GetColor(SKIN2_CONTROLFONTCOLOR);
        return GetInsideThemeColor(look.style, KIV_THEME_CONTROL_FONT_COLOR);
    }
    // The frame of a Width x Height box drawn left to right with its top line at Y and a caption
    // TextWidth wide (0: no caption): every pixel of the four lines, and the pixels of the gap
    // and just outside the lines in Back.
    static std::vector<TPixel> FramePixels(int width, int height, int y, int textWidth, TColor border, TColor back)
    {
        std::vector<TPixel> px;
        const int gapEnd = textWidth > 0 ? textWidth + 6 : -1;  // last pixel of the gap
        for (int x = 0; x < width; ++x) {
            const bool inGap = textWidth > 0 && x >= 3 && x <= gapEnd;
            // The caption's letters cross the top line's row; only the gap's ends are fixed.
            if (!inGap)
                px.push_back({x, y, border});
            else if (x <= 4 || x >= textWidth + 5)
                px.push_back({x, y, back});
            px.push_back({x, height - 1, border});
        }
        for (int yy = y; yy < height; ++yy) {
            px.push_back({0, yy, border});
            px.push_back({width - 1, yy, border});
        }
        // Above the top line and just inside the frame: the background.
        px.push_back({0, y - 1, back});
        px.push_back({width - 1, y - 1, back});
        px.push_back({width - 1, 0, back});
        px.push_back({1, y + 1, back});
        px.push_back({width - 2, y + 1, back});
        px.push_back({1, height - 2, back});
        px.push_back({width - 2, height - 2, back});
        px.push_back({width / 2, height / 2, back});
        return px;
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pixels

TEST_F(KivGroupBox, UsartFrameAndCaptionInEveryLookEnabledAndDisabled)
{
    const TColor back = form->Color();
    for (const TLook& look : Looks()) {
        for (bool enabled : {true, false}) {
            SCOPED_TRACE(look.name + (enabled ? " enabled" : " disabled"));
            TkivGroupBox* g = Usart();
            ApplyLook(g, look);
            g->SetEnabled(enabled);
            const TColor border = LookBorder(look), font = LookFont(look);
            EXPECT_EQ(g->BorderColor(), border);
            EXPECT_EQ(g->Font()->Color(), font);
            EXPECT_EQ(g->Color(), back) << "ParentColor";
            EXPECT_EQ(g->FrameTop(), 6);

            const QImage img = Render(g);
            ASSERT_EQ(img.size(), QSize(W, H));
            const int tw = TextWidthOf(g, QStringLiteral("Usart"));
            const int th = TextHeightOf(g, QStringLiteral("Usart"));
            ASSERT_GT(tw, 10);
            ExpectPixels(img, FramePixels(W, H, 6, tw, border, back));

            // The caption at (5, 0): its letters lie in (5, 0)-(5 + tw, th), in the font's colour
            // or, disabled, in grey; the frame keeps BorderColor either way.
            const TColor ink = enabled ? font : TColor(0x808080);
            const QRect gap(3, 0, tw + 4, th);
            const QRect letters = Bounds(img, ink, gap);
            ASSERT_FALSE(letters.isEmpty());
            EXPECT_GE(letters.left(), 5);
            EXPECT_LT(letters.right(), 5 + tw);
            EXPECT_LT(letters.bottom(), th);
            if (!enabled && font != TColor(0x808080)) {
                EXPECT_EQ(Count(img.copy(gap), font), 0) << "no letter in the font's colour";
            }
            // Above the frame line nothing but the caption.
            const QRect above = Bounds(img, ink, QRect(0, 0, W, 6));
            EXPECT_GE(above.left(), 5);
            EXPECT_LT(above.right(), 5 + tw);
            delete g;
        }
    }
}

TEST_F(KivGroupBox, TheFrameLineAndTheChildAreaFollowTheFontHeight)
{
    struct Case {
        int fontHeight;
        int lineY;     // half the font height + 1
        int childTop;  // font height + 5
    };
    const Case cases[] = {{-11, 6, 16}, {-16, 9, 21}, {-8, 5, 13}, {14, 8, 19}, {-13, 7, 18}};
    TkivGroupBox* g = Usart();
    g->SetUIStyle(Protein);
    auto* client = new TPanel(form);
    client->SetParent(g);
    client->SetAlign(alClient);
    auto* top = new TPanel(form);
    top->SetParent(g);
    top->SetAlign(alTop);
    top->SetHeight(10);
    for (const Case& c : cases) {
        SCOPED_TRACE("font height " + std::to_string(c.fontHeight));
        // A font change realigns the children.
        g->Font()->SetHeight(c.fontHeight);
        const int fh = std::abs(c.fontHeight);
        EXPECT_EQ(g->FrameTop(), c.lineY);
        EXPECT_EQ(top->BoundsRect(), Rect(3, c.childTop, W - 3, c.childTop + 10));
        EXPECT_EQ(client->BoundsRect(), Rect(3, c.childTop + 10, W - 3, H - 3));
        EXPECT_EQ(g->GetClient(), Rect(3, fh, W - 2, H - 2));
        // Without a caption the top line runs the whole width.
        g->SetCaption(QString());
        delete client;
        delete top;
        const QImage img = Render(g);
        ExpectPixels(img, FramePixels(W, H, c.lineY, 0, clBlack, form->Color()));
        g->SetCaption(QStringLiteral("Usart"));
        client = new TPanel(form);
        client->SetParent(g);
        client->SetAlign(alClient);
        top = new TPanel(form);
        top->SetParent(g);
        top->SetAlign(alTop);
        top->SetHeight(10);
        client->SetAlign(alNone);
        client->SetAlign(alClient);
    }
    // The main window's box: children start 16 pixels below the top, 3 in from the sides.
    g->Font()->SetHeight(-11);
    EXPECT_EQ(client->Top(), 16 + 10);
    EXPECT_EQ(top->Top(), 16);
    // A resize realigns too.
    g->SetBounds(10, 10, 220, 120);
    EXPECT_EQ(client->BoundsRect(), Rect(3, 26, 217, 117));
    EXPECT_EQ(g->GetClient(), Rect(3, 11, 218, 118));
}

TEST_F(KivGroupBox, ACaptionChangeRepaintsAndTheCaptionIsNotTheText)
{
    TkivGroupBox* g = Usart();
    g->SetUIStyle(Protein);
    EXPECT_EQ(g->Text(), QStringLiteral(" "));
    EXPECT_EQ(g->property("Caption").toString(), QStringLiteral("Usart"));
    const int shortWidth = TextWidthOf(g, QStringLiteral("Usart"));
    Render(g);
    ASSERT_TRUE(g->setProperty("Caption", QStringLiteral("Serial Port Config")));
    EXPECT_EQ(g->Caption(), QStringLiteral("Serial Port Config"));
    EXPECT_EQ(g->Text(), QStringLiteral(" ")) << "the control's text stays a blank";
    const int longWidth = TextWidthOf(g, QStringLiteral("Serial Port Config"));
    ASSERT_GT(longWidth, shortWidth + 10);
    const QImage img = Render(g);
    // The gap widened with the caption.
    ExpectPixels(img, {{longWidth + 6, 6, form->Color()}, {longWidth + 7, 6, clBlack}});
    EXPECT_FALSE(Bounds(img, clBlack, QRect(shortWidth + 8, 0, longWidth - shortWidth - 3, 6)).isEmpty());
}

TEST_F(KivGroupBox, TheConstructorsDefaults)
{
    TkivGroupBox loose(nullptr);
    EXPECT_EQ(loose.Width(), 185);
    EXPECT_EQ(loose.Height(), 105);
    EXPECT_TRUE(loose.ParentColor());
    EXPECT_FALSE(loose.Transparent());
    EXPECT_FALSE(loose.TabStop());
    EXPECT_EQ(loose.Text(), QStringLiteral(" "));
    EXPECT_EQ(loose.Caption(), QString());
    EXPECT_EQ(loose.UIStyle(), DeepBlue);
    EXPECT_EQ(loose.BevelInner(), bvNone);
    EXPECT_EQ(loose.BevelOuter(), bvNone);
    for (const char* p : {"FileTheme", "UIStyle", "BorderColor", "Caption", "Transparent", "Color", "Font", "Align",
                          "ParentColor", "ParentFont", "TabOrder", "TabStop", "Enabled", "Visible", "BiDiMode"})
        EXPECT_TRUE(IsHasProperty(&loose, QLatin1String(p))) << p;
}

// ---------------------------------------------------------------------------------------------
// Style

TEST_F(KivGroupBox, TheLookReachesEveryChildThatPublishesTheStyleAndNothingElse)
{
    TkivGroupBox* g = Usart();
    auto* check = new TkivCheckBox(form);
    check->SetParent(g);
    check->SetBounds(60, 20, 93, 17);
    auto* inner = new TkivGroupBox(form);
    inner->SetParent(g);
    inner->SetBounds(60, 40, 100, 50);
    auto* deep = new TkivCheckBox(form);
    deep->SetParent(inner);
    deep->SetBounds(10, 20, 80, 17);
    auto* label = new TLabel(form);
    label->SetParent(g);
    label->SetBounds(10, 20, 40, 15);
    auto* edit = new TEdit(form);
    edit->SetParent(g);
    edit->SetBounds(10, 60, 40, 21);
    auto* outside = Place<TkivCheckBox>(250, 20, 93, 17);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        ApplyLook(g, look);
        for (QObject* c : {static_cast<QObject*>(check), static_cast<QObject*>(inner), static_cast<QObject*>(deep)}) {
            EXPECT_EQ(StyleOf(c), look.style) << c->objectName().toStdString();
            EXPECT_EQ(FileThemeOf(c), look.theme);
        }
        EXPECT_EQ(inner->BorderColor(), LookBorder(look));
        EXPECT_EQ(inner->Font()->Color(), LookFont(look));
        EXPECT_EQ(outside->UIStyle(), DeepBlue);
        EXPECT_EQ(outside->FileTheme(), nullptr);
    }
    // Values stored after the style win until the style is set again.
    g->SetUIStyle(WinXP);
    g->SetBorderColor(clRed);
    g->Font()->SetColor(clBlue);
    EXPECT_EQ(PixelAt(Render(g), 0, 50), clRed);
    g->SetUIStyle(WinXP);
    EXPECT_EQ(g->BorderColor(), GetInsideThemeColor(WinXP, KIV_THEME_CONTROL_BORDER_COLOR));
    EXPECT_EQ(g->Font()->Color(), GetInsideThemeColor(WinXP, KIV_THEME_CONTROL_FONT_COLOR));
}

TEST_F(KivGroupBox, DeletingTheFileThemeTurnsTheBoxAndItsChildrenDeepBlue)
{
    TkivGroupBox* g = Usart();
    auto* check = new TkivCheckBox(form);
    check->SetParent(g);
    check->SetBounds(60, 20, 93, 17);
    auto* inner = new TkivGroupBox(form);
    inner->SetParent(g);
    inner->SetBounds(60, 40, 100, 50);
    g->SetFileTheme(skin);
    g->SetUIStyle(FromThemeFile);
    ASSERT_EQ(g->BorderColor(), skin->GetColor(SKIN2_CONTROLBORDERCOLOR));
    ASSERT_EQ(inner->FileTheme(), skin);
    delete skin;
    skin = nullptr;
    EXPECT_EQ(g->FileTheme(), nullptr);
    EXPECT_EQ(g->UIStyle(), DeepBlue);
    EXPECT_EQ(g->BorderColor(), GetInsideThemeColor(DeepBlue, KIV_THEME_CONTROL_BORDER_COLOR));
    EXPECT_EQ(g->Font()->Color(), GetInsideThemeColor(DeepBlue, KIV_THEME_CONTROL_FONT_COLOR));
    for (QObject* c : {static_cast<QObject*>(check), static_cast<QObject*>(inner)}) {
        EXPECT_EQ(FileThemeOf(c), nullptr);
        EXPECT_EQ(StyleOf(c), DeepBlue);
    }
    std::vector<TPixel> frame = FramePixels(W, H, 6, TextWidthOf(g, QStringLiteral("Usart")),
                                            GetInsideThemeColor(DeepBlue, KIV_THEME_CONTROL_BORDER_COLOR), form->Color());
    frame.erase(std::remove_if(frame.begin(), frame.end(), [](const TPixel& p) { return p.X == W / 2; }), frame.end());
    ExpectPixels(Render(g), frame);
    // FromThemeFile without a theme reads DeepBlue's colours.
    auto* other = Usart();
    other->SetUIStyle(FromThemeFile);
    EXPECT_EQ(other->BorderColor(), GetInsideThemeColor(DeepBlue, KIV_THEME_CONTROL_BORDER_COLOR));
}

TEST_F(KivGroupBox, ATransparentBoxShowsItsParentUnderneath)
{
    // A parent whose picture differs in every pixel of a 4 x 3 tile, so the offset shows.
    auto* parent = Place<TkivImagePanel>(5, 5, 240, 160);
    TBitmap tile(4, 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            tile.Canvas()->SetPixels(x, y, TColor(0x102030 + 0x30 * x + 0x3000 * y));
    TPicture pic;
    pic.SetBitmap(&tile);
    parent->SetPicture(&pic);
    parent->SetDrawStyle(kivTile);
    auto* g = new TkivGroupBox(form);
    g->SetParent(parent);
    g->SetBounds(7, 9, 120, 80);
    g->SetUIStyle(Protein);
    g->SetCaption(QStringLiteral("Usart"));
    g->SetColor(TColor(0x0000FF));
    auto parentPixel = [&](int x, int y) { return tile.Canvas()->Pixels((x + 7) % 4, (y + 9) % 3); };

    g->SetTransparent(true);
    QImage img = Render(g);
    std::vector<TPixel> expected;
    for (int y = 14; y < 78; y += 7)
        for (int x = 1; x < 119; x += 5)
            expected.push_back({x, y, parentPixel(x, y)});
    for (int x = 0; x < 120; x += 9)
        expected.push_back({x, 2, x >= 5 && x < 40 ? PixelAt(img, x, 2) : parentPixel(x, 2)});
    ExpectPixels(img, expected);
    // The frame is drawn over it.
    ExpectPixels(img, {{0, 40, clBlack}, {119, 40, clBlack}, {60, 79, clBlack}, {100, 6, clBlack}});

    g->SetTransparent(false);
    img = Render(g);
    ExpectPixels(img, {{1, 10, TColor(0x0000FF)}, {60, 40, TColor(0x0000FF)}, {100, 2, TColor(0x0000FF)}});
}

TEST_F(KivGroupBox, RightToLeftMirrorsFrameAndCaptionOnlyInAMiddleEastLocale)
{
    const TSysLocale saved = SysLocale;
    const TColor back = form->Color();
    for (bool middleEast : {false, true}) {
        SCOPED_TRACE(middleEast ? "Middle East" : "elsewhere");
        SysLocale.MiddleEast = middleEast;
        TkivGroupBox* g = Usart();
        g->SetUIStyle(Protein);
        g->SetBiDiMode(bdRightToLeft);
        const int tw = TextWidthOf(g, QStringLiteral("Usart"));
        const QImage img = Render(g);
        if (!middleEast) {
            ExpectPixels(img, FramePixels(W, H, 6, tw, clBlack, back));
        } else {
            // From (R - 3, y) to the right edge, down, along the bottom to x = 1, up, and along
            // the top to just left of the caption's gap (R - tw - 7, not drawn).
            ExpectPixels(img, {{W - 3, 6, clBlack}, {W - 2, 6, clBlack}, {W - 1, 6, clBlack}, {W - 4, 6, back},
                               {W - tw - 7, 6, back}, {W - tw - 8, 6, clBlack}, {1, 6, clBlack},
                               {W - 1, 50, clBlack}, {1, 50, clBlack}, {0, 50, back}, {1, H - 1, clBlack},
                               {W - 1, H - 1, clBlack}, {0, H - 1, back}, {1, 5, back}});
            const QRect letters = Bounds(img, clBlack, QRect(W - tw - 6, 0, tw, 6));
            ASSERT_FALSE(letters.isEmpty());
            EXPECT_EQ(Bounds(img, clBlack, QRect(0, 0, W, 6)), letters) << "the caption at W - tw - 6";
        }
        delete g;
    }
    SysLocale = saved;
}

// ---------------------------------------------------------------------------------------------
// Stored forms

TEST_F(KivGroupBox, TheMainWindowsBoxesLoadWithTheirStoredLook)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Width = 420
  Height = 340
  object kivForm1: TPanel
    Left = 0
    Top = 0
    Width = 410
    Height = 313
    BevelOuter = bvNone
    Color = 16514043
    object kivGroupBox1: TkivGroupBox
      Left = 7
      Top = 23
      Width = 137
      Height = 89
      UIStyle = Protein
      Caption = 'Usart'
      Font.Charset = DEFAULT_CHARSET
      Font.Color = clBlack
      Font.Height = -11
      Font.Name = 'MS Sans Serif'
      Font.Style = []
      ParentColor = True
      TabOrder = 1
      BorderColor = clBlack
      object Label1: TLabel
        Left = 4
        Top = 41
        Width = 57
        Height = 19
        AutoSize = False
        Caption = 'BaudRate'
      end
      object Inner: TkivCheckBox
        Left = 4
        Top = 63
        Caption = 'HexSend'
      end
    end
    object Tinted: TkivGroupBox
      Left = 157
      Top = 126
      Width = 245
      Height = 51
      UIStyle = WinXP
      Caption = 'Serial Port Config'
      Font.Color = clBlack
      BorderColor = clRed
      Transparent = True
    end
  end
end
)"),
                      QStringLiteral("groupboxes.dfm"));
    auto* usart = dynamic_cast<TkivGroupBox*>(f->FindComponent(QStringLiteral("kivGroupBox1")));
    auto* tinted = dynamic_cast<TkivGroupBox*>(f->FindComponent(QStringLiteral("Tinted")));
    auto* inner = dynamic_cast<TkivCheckBox*>(f->FindComponent(QStringLiteral("Inner")));
    ASSERT_NE(usart, nullptr);
    ASSERT_NE(tinted, nullptr);
    ASSERT_NE(inner, nullptr);
    EXPECT_EQ(usart->UIStyle(), Protein);
    EXPECT_EQ(usart->Caption(), QStringLiteral("Usart"));
    EXPECT_EQ(usart->Text(), QStringLiteral(" "));
    EXPECT_EQ(usart->BorderColor(), clBlack);
    EXPECT_EQ(usart->Font()->Height(), -11);
    EXPECT_TRUE(usart->ParentColor());
    EXPECT_EQ(usart->Color(), TColor(16514043));
    EXPECT_EQ(inner->Parent(), usart);
    EXPECT_EQ(usart->FrameTop(), 6);
    // Colours stored after the style win over the style's.
    EXPECT_EQ(tinted->UIStyle(), WinXP);
    EXPECT_EQ(tinted->BorderColor(), clRed);
    EXPECT_EQ(tinted->Font()->Color(), clBlack);
    EXPECT_TRUE(tinted->Transparent());
    f->Show();
    const QImage img = Render(usart);
    ExpectPixels(img, FramePixels(137, 89, 6, TextWidthOf(usart, QStringLiteral("Usart")), clBlack, TColor(16514043)));
    EXPECT_EQ(PixelAt(Render(tinted), 0, 30), clRed);
    EXPECT_EQ(PixelAt(Render(tinted), 30, 30), TColor(16514043)) << "the parent panel shows through";
    delete f;
}
