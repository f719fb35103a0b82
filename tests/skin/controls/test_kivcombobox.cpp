// Kivcombobox: the skin over the framework's combo boxes, judged by its pixels in every style and
// with the sample skin (rings, flat or pictured button, separator, 7-pixel triangle, embossed
// disabled arrow, csSimple unskinned); the frame on the list window opened by a real click; the
// parent repainted on close-up; the drive and filter boxes; stored forms.
#include "SkinControlKit.h"
#include "StyleProtocolTest.h"
#include "framework/FormReader.h"
#include "framework/Resources.h"
#include "framework/SysLocale.h"
#include "framework/WindowOverlay.h"
#include "platform/WinMessages.h"
#include "skin/controls/Kivcombobox.h"
#include "skin/theme/Kivpublic.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QTest>

using namespace skintest;
using testsupport::WaitFor;

namespace skintest {
using ComboTypes = ::testing::Types<TkivComboBox, TkivDriveComboBox, TkivFilterComboBox>;
INSTANTIATE_TYPED_TEST_SUITE_P(ComboBoxes, StyleProtocol, ComboTypes);
}  // namespace skintest

namespace {

class KivComboBox : public SkinControlTest {
protected:
    void SetUp() override
    {
        SkinControlTest::SetUp();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
        skin = SampleSkin(form);
        ASSERT_TRUE(skin->Ready());
    }
    std::vector<TLook> Looks() const { return EveryLook(skin); }
    static void ApplyLook(TControl* c, const TLook& look)
    {
        c->setProperty("FileTheme", QVariant::fromValue(look.theme));
        c->setProperty("UIStyle", QVariant::fromValue(look.style));
    }
    static TColor LookColor(const TLook& look, int builtIn, Tsk2SkinColorElement element)
    {
        return look.theme ? look.theme->GetColor(element) : GetInsideThemeColor(look.style, builtIn);
    }
    static tagCOMBOBOXINFO Geometry(TWinControl* c)
    {
        tagCOMBOBOXINFO info;
        info.cbSize = COMBOBOXINFO_SIZE_DESKTOP;
        EXPECT_TRUE(KIVGetComboBoxInfo(c->Handle(), &info));
        return info;
    }
    static QComboBox* QtCombo(TControl* c) { return qobject_cast<QComboBox*>(c->Widget()); }
    static QWidget* ListWindow(TControl* c) { return QtCombo(c)->view()->window(); }

    TkivFileTheme* skin = nullptr;
};

// The pixels of the triangle at (x, y) and around it: an enabled arrow in ArrowColor, or the
// disabled one in grey over a white copy one pixel down and right; everything else near it shows
// the button's colour.
std::vector<TPixel> ArrowPixels(int x, int y, bool enabled, TColor arrow, TColor button)
{
    const TColor grey = TColor(0x808080), white = TColor(0xFFFFFF);
    std::vector<TPixel> px;
    auto row = [&](int py, int from, int to, TColor c) {
        for (int px_ = from; px_ <= to; ++px_)
            px.push_back({px_, py, c});
    };
    if (enabled) {
        row(y, x, x + 6, arrow);  // 7 pixels wide
        row(y + 1, x + 1, x + 5, arrow);
        row(y + 2, x + 2, x + 4, arrow);
        row(y + 3, x + 3, x + 3, arrow);
        px.push_back({x - 1, y, button});
        px.push_back({x + 7, y, button});
        px.push_back({x, y + 1, button});
        px.push_back({x + 6, y + 1, button});
        px.push_back({x + 2, y + 3, button});
        px.push_back({x + 4, y + 3, button});
        px.push_back({x + 3, y + 4, button});
        px.push_back({x + 3, y - 1, button});
    } else {
        row(y, x, x + 6, grey);
        row(y + 1, x + 1, x + 5, grey);
        row(y + 1, x + 6, x + 7, white);
        row(y + 2, x + 2, x + 4, grey);
        row(y + 2, x + 5, x + 6, white);
        row(y + 3, x + 3, x + 3, grey);
        row(y + 3, x + 4, x + 5, white);
        row(y + 4, x + 4, x + 4, white);
        px.push_back({x - 1, y, button});
        px.push_back({x + 7, y, button});
        px.push_back({x, y + 1, button});
        px.push_back({x + 8, y + 1, button});
        px.push_back({x + 3, y + 4, button});
        px.push_back({x + 5, y + 4, button});
    }
    return px;
}

// The button picture stretched into R as the skin draws it, read back pixel by pixel.
std::vector<TPixel> PicturePixels(const char* resource, const TRect& r, const TRect& skip)
{
    TBitmap picture;
    picture.LoadFromResourceName(HInstance, QLatin1String(resource));
    TBitmap target;
    target.SetSize(r.Right, r.Bottom);
    target.Canvas()->StretchDraw(r, &picture);
    std::vector<TPixel> px;
    for (int y = r.Top; y < r.Bottom; ++y)
        for (int x = r.Left; x < r.Right; ++x)
            if (!(x >= skip.Left && x < skip.Right && y >= skip.Top && y < skip.Bottom))
                px.push_back({x, y, target.Canvas()->Pixels(x, y)});
    return px;
}

}  // namespace

// One table over look x state x size: the rings, the button, the separator and the arrow.
TEST_F(KivComboBox, GoldenPixelsInEveryLookStateAndSize)
{
    struct TSizeCase {
        int w, h;
    };
    for (const TLook& look : Looks()) {
        for (bool enabled : {true, false}) {
            for (const TSizeCase& size : {TSizeCase{145, 21}, TSizeCase{120, 26}}) {
                SCOPED_TRACE(look.name + (enabled ? " enabled " : " disabled ") + std::to_string(size.w) + "x" +
                             std::to_string(size.h));
                auto* c = Place<TkivComboBox>(10, 10, size.w, size.h);
                c->SetStyle(csDropDownList);
                c->Items()->Add(QStringLiteral("9600"));
                ApplyLook(c, look);
                c->SetEnabled(enabled);
                const TColor border = LookColor(look, KIV_THEME_CONTROL_BORDER_COLOR, SKIN2_CONTROLBORDERCOLOR);
                const TColor button = LookColor(look, KIV_THEME_FORM_BACKGROUND_COLOR, SKIN2_CONTROLCOLOR);
                EXPECT_EQ(c->BorderColor(), border);
                EXPECT_EQ(c->ButtonColor(), button);
                EXPECT_EQ(c->ArrowColor(), clBlack);
                const TColor inner = ColorToRGB(c->Color());

                const QImage img = Render(c);
                ASSERT_EQ(img.size(), QSize(size.w, size.h));
                const int w = size.w, h = size.h;
                const TRect r = Geometry(c).rcButton;
                ASSERT_GT(r.Width(), 8);
                ASSERT_GE(r.Top, 1);
                // Outer ring in the border colour, inner ring in the control's colour.
                ExpectPixels(img, {{0, 0, border},
                                   {w / 2, 0, border},
                                   {w - 1, 0, border},
                                   {0, h / 2, border},
                                   {w - 1, h / 2, border},
                                   {0, h - 1, border},
                                   {w / 2, h - 1, border},
                                   {w - 1, h - 1, border},
                                   {1, 1, inner},
                                   {w / 3, 1, inner},
                                   {1, h / 2, inner},
                                   {w / 3, h - 2, inner},
                                   {r.Left - 1, 1, inner}});
                if (r.Right <= w - 2)
                    ExpectPixels(img, {{w - 2, h / 2, inner}});

                const int x = (r.Right - r.Left) / 2 + r.Left - 3;
                const int y = (r.Bottom - r.Top) / 2;
                const TRect arrowBox = Rect(x - 1, y - 1, x + 9, y + 6);
                if (look.style == WinXP) {
                    // The picture alone, no triangle drawn over it.
                    ExpectPixels(img, PicturePixels("WINXP_COMBOBOX_BUTTON", r, Rect(0, 0, 0, 0)));
                } else if (look.style == MacOS) {
                    // The picture, and the triangle drawn over it.
                    const std::vector<TPixel> picture = PicturePixels("MACOS_COMBOBOX_BUTTON", r, Rect(0, 0, 0, 0));
                    std::vector<TPixel> expected;
                    for (const TPixel& p : picture)
                        if (!(p.X >= arrowBox.Left && p.X < arrowBox.Right && p.Y >= arrowBox.Top &&
                              p.Y < arrowBox.Bottom))
                            expected.push_back(p);
                    for (TPixel p : ArrowPixels(x, y, enabled, clBlack, clNone)) {
                        if (p.Color == clNone) {
                            // Around the triangle: the picture's pixel.
                            for (const TPixel& q : picture)
                                if (q.X == p.X && q.Y == p.Y)
                                    p.Color = q.Color;
                        }
                        expected.push_back(p);
                    }
                    ExpectPixels(img, expected);
                } else {
                    // Flat button with a separator line in the border colour.
                    ExpectPixels(img, {{r.Left, r.Top, border},
                                       {r.Left, (r.Top + r.Bottom) / 2, border},
                                       {r.Left, r.Bottom - 1, border},
                                       {r.Left + 1, r.Top, button},
                                       {r.Left + 1, r.Bottom - 1, button},
                                       {r.Right - 1, r.Top, button},
                                       {r.Right - 1, r.Bottom - 1, button}});
                    ExpectPixels(img, ArrowPixels(x, y, enabled, clBlack, button));
                }
                delete c;
            }
        }
    }
}

TEST_F(KivComboBox, ProteinIsBlackRingsFBFBFBButtonAndABlackSevenPixelTriangle)
{
    auto* c = Place<TkivComboBox>(10, 10, 145, 21);
    c->SetStyle(csDropDownList);
    c->SetUIStyle(Protein);
    EXPECT_EQ(c->BorderColor(), clBlack);
    EXPECT_EQ(c->ButtonColor(), TColor(0xFBFBFB));
    EXPECT_EQ(c->ArrowColor(), clBlack);
    const TRect r = Geometry(c).rcButton;
    const int x = (r.Right - r.Left) / 2 + r.Left - 3, y = (r.Bottom - r.Top) / 2;
    const QImage img = Render(c);
    int black = 0;
    for (int px = x - 2; px <= x + 8; ++px)
        black += PixelAt(img, px, y) == clBlack;
    EXPECT_EQ(black, 7) << "the triangle's top row";
    ExpectPixels(img, {{r.Left + 2, r.Top + 1, TColor(0xFBFBFB)}, {r.Left, y, clBlack}, {0, 0, clBlack}});
}

TEST_F(KivComboBox, ValuesStoredAfterTheStyleWinAndColourSettersRepaint)
{
    auto* c = Place<TkivComboBox>(10, 10, 145, 21);
    c->SetStyle(csDropDownList);
    c->SetUIStyle(Protein);
    c->SetBorderColor(TColor(0x0000FF));
    c->SetButtonColor(TColor(0x00FF00));
    c->SetArrowColor(TColor(0xFF0000));
    const TRect r = Geometry(c).rcButton;
    const int x = (r.Right - r.Left) / 2 + r.Left - 3, y = (r.Bottom - r.Top) / 2;
    const QImage img = Render(c);
    ExpectPixels(img, {{0, 0, TColor(0x0000FF)}, {r.Left, y, TColor(0x0000FF)}, {r.Left + 1, r.Top, TColor(0x00FF00)},
                       {x, y, TColor(0xFF0000)}, {x + 6, y, TColor(0xFF0000)}});
    // Setting the style again overwrites all three.
    c->SetUIStyle(Protein);
    EXPECT_EQ(c->BorderColor(), clBlack);
    EXPECT_EQ(c->ButtonColor(), TColor(0xFBFBFB));
    EXPECT_EQ(c->ArrowColor(), clBlack);
}

TEST_F(KivComboBox, ASimpleComboBoxIsNotSkinnedButDriveAndFilterBoxesAlwaysAre)
{
    // Skin colours no style uses: none of them may show on a csSimple box.
    auto* simple = Place<TkivComboBox>(10, 60, 145, 40);
    simple->SetStyle(csSimple);
    simple->SetUIStyle(Protein);
    simple->SetBorderColor(TColor(0x0000FF));
    simple->SetButtonColor(TColor(0x00FF00));
    simple->SetArrowColor(TColor(0xFF0000));
    const QImage img = Render(simple);
    int skinned = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const TColor c = PixelAt(img, x, y);
            skinned += c == TColor(0x0000FF) || c == TColor(0x00FF00) || c == TColor(0xFF0000);
        }
    EXPECT_EQ(skinned, 0) << "a csSimple box is the framework's alone";
    simple->SetStyle(csDropDownList);
    EXPECT_EQ(PixelAt(Render(simple), 0, 0), TColor(0x0000FF)) << "the same box skinned in another style";

    auto* filter = Place<TkivFilterComboBox>(10, 110, 145, 21);
    filter->SetStyle(csSimple);
    filter->SetUIStyle(Protein);
    filter->SetBorderColor(TColor(0x0000FF));
    auto* drives = Place<TkivDriveComboBox>(10, 140, 145, 21);
    drives->SetUIStyle(Protein);
    drives->SetBorderColor(TColor(0x0000FF));
    for (TWinControl* c : std::initializer_list<TWinControl*>{filter, drives}) {
        const QImage img = Render(c);
        ExpectPixels(img, {{0, 0, TColor(0x0000FF)}, {144, 20, TColor(0x0000FF)}});
        const TRect r = Geometry(c).rcButton;
        ExpectPixels(img, {{r.Left + 1, r.Top, TColor(0xFBFBFB)}});
    }
    EXPECT_EQ(filter->ItemHeight(), 15);
    EXPECT_EQ(drives->ItemHeight(), 15);
    EXPECT_EQ(simple->ControlStyle() & csOpaque, csOpaque);
    EXPECT_EQ(simple->BorderWidth(), 0);
}

TEST_F(KivComboBox, AClickDropsTheListDownFramedInTheBorderColourAndClosingRepaintsTheParent)
{
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        auto* c = Place<TkivComboBox>(10, 10, 145, 21);
        c->SetStyle(csDropDownList);
        for (const char* s : {"COM1", "COM2", "COM3"})
            c->Items()->Add(QLatin1String(s));
        c->SetItemIndex(0);
        ApplyLook(c, look);
        const TColor border = c->BorderColor();
        int dropDowns = 0, closeUps = 0;
        c->OnDropDown = [&](TObject*) { ++dropDowns; };
        c->OnCloseUp = [&](TObject*) { ++closeUps; };

        QTest::mouseClick(c->Widget(), Qt::LeftButton, {}, QPoint(40, 10));
        QWidget* list = ListWindow(c);
        ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }));
        EXPECT_EQ(dropDowns, 1);
        EXPECT_TRUE(c->DroppedDown());
        EXPECT_EQ(Geometry(c).stateButton, STATE_SYSTEM_PRESSED);
        // The box repaints while its list is open, and frames the list.
        c->Repaint();
        const QImage shot = list->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const int lw = shot.width(), lh = shot.height();
        ASSERT_GT(lh, 20);
        ExpectPixels(shot, {{0, 0, border},
                            {lw / 2, 0, border},
                            {lw - 1, 0, border},
                            {0, lh / 2, border},
                            {lw - 1, lh / 2, border},
                            {0, lh - 1, border},
                            {lw / 2, lh - 1, border},
                            {lw - 1, lh - 1, border}});

        // Escape closes it; the form behind repaints at once.
        int formPaints = 0;
        struct TCounter : QObject {
            int* n;
            bool eventFilter(QObject*, QEvent* e) override
            {
                *n += e->type() == QEvent::Paint;
                return false;
            }
        } counter;
        counter.n = &formPaints;
        form->Widget()->installEventFilter(&counter);
        QTest::keyClick(QtCombo(c)->view(), Qt::Key_Escape);
        ASSERT_TRUE(WaitFor([&] { return !list->isVisible(); }));
        form->Widget()->removeEventFilter(&counter);
        EXPECT_EQ(closeUps, 1);
        EXPECT_GE(formPaints, 1);
        EXPECT_FALSE(c->DroppedDown());
        // The frame went with the list: opened again without a paint of the box, it is plain.
        EXPECT_FALSE(HasDrawingOnWindow(WindowHandleOf(list), c));
        delete c;
    }
}

TEST_F(KivComboBox, DroppedDownOfTheDriveAndFilterBoxesOpensAndClosesTheList)
{
    auto* drives = Place<TkivDriveComboBox>(10, 10, 145, 21);
    auto* filter = Place<TkivFilterComboBox>(10, 40, 145, 21);
    filter->SetFilter(QStringLiteral("Text files (*.txt)|*.txt|All files (*.*)|*.*"));
    for (TCustomComboBox* c : std::initializer_list<TCustomComboBox*>{drives, filter}) {
        SCOPED_TRACE(c->ClassName().toStdString());
        QWidget* list = ListWindow(c);
        int closeUps = 0;
        c->OnCloseUp = [&](TObject*) { ++closeUps; };
        EXPECT_FALSE(c->property("DroppedDown").toBool());
        ASSERT_TRUE(c->setProperty("DroppedDown", true));
        ASSERT_TRUE(WaitFor([&] { return list->isVisible(); }));
        EXPECT_TRUE(c->property("DroppedDown").toBool());
        c->Repaint();
        const QImage shot = list->grab().toImage().convertToFormat(QImage::Format_RGB32);
        ExpectPixels(shot, {{0, 0, c->property("BorderColor").value<TColor>()}});
        ASSERT_TRUE(c->setProperty("DroppedDown", false));
        ASSERT_TRUE(WaitFor([&] { return !list->isVisible(); }));
        EXPECT_FALSE(c->property("DroppedDown").toBool());
        EXPECT_EQ(closeUps, 1);
    }
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.txt"));
    EXPECT_FALSE(drives->Drive().isEmpty());
}

TEST_F(KivComboBox, StoredFormsSetThePublishedProperties)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Width = 400
  Height = 200
  object Skin: TkivFileTheme
  end
  object cmb_Baud: TkivComboBox
    Left = 10
    Top = 10
    Width = 145
    Height = 21
    UIStyle = Protein
    BorderColor = clRed
    Style = csDropDownList
    ItemHeight = 13
    ItemIndex = 3
    TabOrder = 2
    DropDownCount = 12
    Items.Strings = (
      '1200'
      '2400'
      '4800'
      '9600')
  end
  object Drives: TkivDriveComboBox
    Left = 10
    Top = 40
    UIStyle = WinXP
    ArrowColor = clBlue
    ButtonColor = $00123456
  end
  object Filter: TkivFilterComboBox
    Left = 10
    Top = 70
    FileTheme = Skin
    UIStyle = FromThemeFile
    Filter = 'Skins (*.kvt)|*.kvt|All files (*.*)|*.*'
  end
end
)"),
                      QStringLiteral("combos.dfm"));
    auto* baud = dynamic_cast<TkivComboBox*>(f->FindComponent(QStringLiteral("cmb_Baud")));
    ASSERT_NE(baud, nullptr);
    EXPECT_EQ(baud->UIStyle(), Protein);
    EXPECT_EQ(baud->BorderColor(), clRed) << "stored after UIStyle, it wins";
    EXPECT_EQ(baud->ButtonColor(), TColor(0xFBFBFB));
    EXPECT_EQ(baud->Style(), csDropDownList);
    EXPECT_EQ(baud->ItemIndex(), 3);
    EXPECT_EQ(baud->Text(), QStringLiteral("9600"));
    EXPECT_EQ(baud->DropDownCount(), 12);
    EXPECT_EQ(baud->BoundsRect(), Bounds(10, 10, 145, 21));

    auto* drives = dynamic_cast<TkivDriveComboBox*>(f->FindComponent(QStringLiteral("Drives")));
    ASSERT_NE(drives, nullptr);
    EXPECT_EQ(drives->UIStyle(), WinXP);
    EXPECT_EQ(drives->BorderColor(), TColor(0x686868));
    EXPECT_EQ(drives->ArrowColor(), clBlue);
    EXPECT_EQ(drives->ButtonColor(), TColor(0x123456));

    auto* filter = dynamic_cast<TkivFilterComboBox*>(f->FindComponent(QStringLiteral("Filter")));
    ASSERT_NE(filter, nullptr);
    EXPECT_EQ(filter->FileTheme(), f->FindComponent(QStringLiteral("Skin")));
    EXPECT_EQ(filter->UIStyle(), FromThemeFile);
    // The theme reference is resolved last; its setter reads the look again (not ready: DeepBlue).
    EXPECT_EQ(filter->ButtonColor(), GetInsideThemeColor(DeepBlue, KIV_THEME_FORM_BACKGROUND_COLOR));
    EXPECT_EQ(filter->Items()->Count(), 2);
    EXPECT_EQ(filter->Mask(), QStringLiteral("*.kvt"));
    delete f;
}

// Right to left on a right-to-left system: the button is on the left and its separator line at
// its right edge; elsewhere the line is at the button's left edge.
TEST_F(KivComboBox, RightToLeftSeparatorIsAtTheButtonsRightEdge)
{
    const TSysLocale saved = SysLocale;
    struct Case {
        const char* name;
        TBiDiMode mode;
        bool middleEast;
        bool atRight;
    };
    const Case cases[] = {{"right to left, right-to-left system", bdRightToLeft, true, true},
                          {"right to left, left-to-right system", bdRightToLeft, false, false},
                          {"left to right", bdLeftToRight, true, false}};
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SysLocale.MiddleEast = k.middleEast;
        auto* c = Place<TkivComboBox>(10, 10, 145, 21);
        c->SetStyle(csDropDownList);
        c->SetUIStyle(Protein);
        c->SetBorderColor(TColor(0x0000FF));
        c->SetBiDiMode(k.mode);
        const TRect r = Geometry(c).rcButton;
        const QImage img = Render(c);
        const int lineX = k.atRight ? r.Right : r.Left;
        const int otherX = k.atRight ? r.Left : r.Right;
        const int mid = (r.Top + r.Bottom) / 2;
        const TColor blue = TColor(0x0000FF);
        ExpectPixels(img, {{lineX, r.Top, blue}, {lineX, mid, blue}, {lineX, r.Bottom - 1, blue}});
        EXPECT_NE(PixelAt(img, otherX, mid), blue);
        EXPECT_EQ(k.atRight, r.Right < 40);
        delete c;
    }
    SysLocale = saved;
}
