// Kivstatusbar: the status bar's colour per look, PanelColor as another name for Color, and the
// flat size grip of the skin (four diagonal lines) on a sizeable form only, judged by pixels;
// the grip's hit test on a maximised form; stored forms.
#include "SkinControlKit.h"
#include "StyleProtocolTest.h"
#include "framework/ActnList.h"
#include "framework/FormReader.h"
#include "skin/controls/Kivstatusbar.h"

#include <QTest>

using namespace skintest;

namespace skintest {
using StatusBarTypes = ::testing::Types<TkivStatusBar>;
INSTANTIATE_TYPED_TEST_SUITE_P(StatusBars, StyleProtocol, StatusBarTypes);
}  // namespace skintest

namespace {

class KivStatusBar : public SkinControlTest {
protected:
    TkivStatusBar* NewBar(int height)
    {
        auto* bar = new TkivStatusBar(form);
        bar->SetParent(form);
        bar->SetHeight(height);
        for (int w : {120, 100}) {
            TStatusPanel* p = bar->Panels()->Add();
            p->SetWidth(w);
        }
        return bar;
    }
    // The four grip lines of the skin on a W x H bar: from (L + 1 + s, B) up to, not including,
    // (R, T + s) for s = 0, 4, 8, 12, with L = W - 16, R = W - 1, T = H - 15, B = H - 1.
    static std::vector<TPixel> GripLines(int w, int h, TColor c)
    {
        std::vector<TPixel> px;
        const int l = w - 16, r = w - 1, t = h - 15, b = h - 1;
        for (int s = 0; s <= 12; s += 4)
            for (int i = 0; l + 1 + s + i < r; ++i)
                px.push_back({l + 1 + s + i, b - i, c});
        (void)t;
        return px;
    }
    // Pixels of the corner between the lines, which the skin fills with Color.
    static std::vector<TPixel> GripGaps(int w, int h, TColor c)
    {
        std::vector<TPixel> px;
        for (int s = 0; s <= 8; s += 4)
            for (int i = 1; i < 12 - s; i += 3)
                px.push_back({w - 16 + 3 + s + i, h - 1 - i, c});  // two right of line s
        px.push_back({w - 16, h - 16, c});
        px.push_back({w - 2, h - 16, c});
        px.push_back({w - 16, h - 2, c});
        return px;
    }
};

}  // namespace

TEST_F(KivStatusBar, ColourFollowsTheLookAndPanelColorIsColor)
{
    TkivFileTheme* skin = SampleSkin(form);
    ASSERT_TRUE(skin->Ready());
    form->SetBorderStyle(bsDialog);
    auto* bar = NewBar(19);
    for (int i = 0; i < bar->Panels()->Count(); ++i)
        bar->Panels()->Items(i)->SetBevel(pbNone);
    struct Case {
        std::string name;
        TkivUIStyle style;
        TkivFileTheme* theme;
        TColor expected;
    };
    std::vector<Case> cases;
    for (TkivUIStyle s : BuiltInStyles())
        cases.push_back({StyleName(s), s, nullptr, GetInsideThemeColor(s, KIV_THEME_FORM_BACKGROUND_COLOR)});
    cases.push_back({"sample skin", FromThemeFile, skin, skin->GetColor(SKIN2_FORMCOLOR)});
    cases.push_back({"FromThemeFile without a theme", FromThemeFile, nullptr,
                     GetInsideThemeColor(DeepBlue, KIV_THEME_FORM_BACKGROUND_COLOR)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        bar->setProperty("FileTheme", QVariant::fromValue(c.theme));
        bar->setProperty("UIStyle", QVariant::fromValue(c.style));
        EXPECT_EQ(bar->Color(), c.expected);
        EXPECT_EQ(bar->PanelColor(), c.expected);
        const QImage img = Render(bar);
        const int w = img.width(), h = img.height();
        // Away from the texts and bevels: panels in the bar's colour, and the grip corner too on
        // a dialog form.
        ExpectPixels(img, {{60, 1, c.expected}, {200, 1, c.expected}, {w - 1, h / 2, c.expected}});
        ExpectPixels(img, GripGaps(w, h, c.expected));
    }
    EXPECT_EQ(GetInsideThemeColor(Protein, KIV_THEME_FORM_BACKGROUND_COLOR), TColor(0xFBFBFB));

    bar->SetPanelColor(TColor(0x123456));
    EXPECT_EQ(bar->Color(), TColor(0x123456));
    bar->SetColor(TColor(0x654321));
    EXPECT_EQ(bar->PanelColor(), TColor(0x654321));
    EXPECT_EQ(bar->property("PanelColor").value<TColor>(), TColor(0x654321));
    ASSERT_TRUE(bar->setProperty("PanelColor", QVariant::fromValue(TColor(0x0000FF))));
    EXPECT_EQ(bar->Color(), TColor(0x0000FF));
    EXPECT_EQ(PixelAt(Render(bar), 200, 1), TColor(0x0000FF));
}

// One table over form border x window state x SizeGrip x bar height: where the skin's four lines
// show, where the corner and the strip above it are filled, and what the framework's grip leaves.
TEST_F(KivStatusBar, GoldenPixelsOfTheGripCorner)
{
    struct Case {
        const char* name;
        TFormBorderStyle border;
        bool maximized;
        bool sizeGrip;
        int height;
        bool lines;   // the skin's four diagonal lines
        bool filled;  // the corner and the strip above it filled with Color
    };
    const Case cases[] = {
        {"sizeable", bsSizeable, false, true, 19, true, true},
        {"sizeable, tall bar", bsSizeable, false, true, 30, true, true},
        {"sizeable, no SizeGrip", bsSizeable, false, false, 30, false, true},
        {"sizeable, maximised", bsSizeable, true, true, 30, false, true},
        {"dialog", bsDialog, false, true, 30, false, false},
        {"single", bsSingle, false, true, 30, false, false},
    };
    const TColor grip = ColorToRGB(clInactiveCaption);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->SetWindowState(wsNormal);
        form->SetBorderStyle(c.border);
        form->SetBounds(0, 0, 400, 300);
        form->SetWindowState(c.maximized ? wsMaximized : wsNormal);
        auto* bar = NewBar(c.height);
        bar->SetUIStyle(Protein);
        bar->SetSizeGrip(c.sizeGrip);
        // The last panel's lowered bevel runs down the bar at its right edge (x = W - 3), under
        // the strip the skin fills.
        bar->Panels()->Items(1)->SetBevel(pbLowered);
        const QImage img = Render(bar);
        const int w = img.width(), h = img.height();
        ASSERT_EQ(h, c.height);
        const TColor back = TColor(0xFBFBFB);
        if (c.lines) {
            ExpectPixels(img, GripLines(w, h, grip));
        } else {
            for (const TPixel& p : GripLines(w, h, grip)) {
                EXPECT_NE(PixelAt(img, p.X, p.Y), grip) << p.X << "," << p.Y;
                // Inside the filled corner (the last row is the framework's).
                if (c.filled && p.Y < h - 1) {
                    EXPECT_EQ(PixelAt(img, p.X, p.Y), back) << p.X << "," << p.Y;
                }
            }
        }
        if (c.filled) {
            ExpectPixels(img, GripGaps(w, h, back));
            // The strip above the corner, over the bevel, when the bar is taller than 19.
            if (h - 16 > 3)
                ExpectPixels(img, {{w - 3, 3, back}, {w - 3, h - 17, back}, {w - 16, 4, back}, {w - 2, h - 17, back}});
        }
        if (!c.filled && h - 16 > 3) {
            // The framework's painting is left alone: the bevel shows in the strip.
            EXPECT_NE(PixelAt(img, w - 3, h / 2), back);
        }
        delete bar;
    }
    form->SetWindowState(wsNormal);
}

TEST_F(KivStatusBar, TheGripDoesNotAnswerTheHitTestOnAMaximisedForm)
{
    form->SetBorderStyle(bsSizeable);
    auto* bar = NewBar(19);
    auto hit = [bar] {
        const TPoint s = bar->ClientToScreen(Point(bar->ClientWidth() - 3, bar->ClientHeight() - 3));
        return bar->Perform(WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y));
    };
    EXPECT_EQ(hit(), HTBOTTOMRIGHT);
    form->SetWindowState(wsMaximized);
    QCoreApplication::processEvents();
    EXPECT_EQ(hit(), 0) << "not passed on";
    // A real press and drag on the corner leaves the form as it is.
    const int fw = form->Width(), fh = form->Height();
    QWidget* w = bar->Widget();
    const QPoint corner(bar->ClientWidth() - 3, bar->ClientHeight() - 3);
    QTest::mouseMove(w, corner);
    EXPECT_NE(w->cursor().shape(), Qt::SizeFDiagCursor);
    QTest::mousePress(w, Qt::LeftButton, {}, corner);
    QTest::mouseMove(w, corner + QPoint(-40, -30));
    QTest::mouseRelease(w, Qt::LeftButton, {}, corner + QPoint(-40, -30));
    EXPECT_EQ(form->Width(), fw);
    EXPECT_EQ(form->Height(), fh);
    form->SetWindowState(wsNormal);
    EXPECT_EQ(hit(), HTBOTTOMRIGHT);
}

TEST_F(KivStatusBar, StoredFormsSetThePublishedProperties)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Width = 400
  Height = 200
  BorderStyle = bsDialog
  object kivStatusBar1: TkivStatusBar
    Left = 0
    Top = 150
    Width = 392
    Height = 19
    UIStyle = Protein
    SizeGrip = False
    SimpleText = 'ready'
    Panels = <
      item
        Width = 120
      end
      item
        Width = 160
      end
      item
        Width = 60
      end>
  end
  object Tinted: TkivStatusBar
    UIStyle = WinXP
    PanelColor = clRed
    SimplePanel = True
  end
end
)"),
                      QStringLiteral("bars.dfm"));
    auto* bar = dynamic_cast<TkivStatusBar*>(f->FindComponent(QStringLiteral("kivStatusBar1")));
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->UIStyle(), Protein);
    EXPECT_EQ(bar->Color(), TColor(0xFBFBFB));
    EXPECT_FALSE(bar->SizeGrip());
    EXPECT_EQ(bar->SimpleText(), QStringLiteral("ready"));
    ASSERT_EQ(bar->Panels()->Count(), 3);
    EXPECT_EQ(bar->Panels()->Items(1)->Width(), 160);
    EXPECT_EQ(bar->Align(), alBottom);

    auto* tinted = dynamic_cast<TkivStatusBar*>(f->FindComponent(QStringLiteral("Tinted")));
    ASSERT_NE(tinted, nullptr);
    EXPECT_EQ(tinted->UIStyle(), WinXP);
    EXPECT_EQ(tinted->Color(), clRed) << "stored after UIStyle, it wins";
    EXPECT_TRUE(tinted->SimplePanel());
    delete f;
}

TEST_F(KivStatusBar, AnActionReachesTheBarAndAClickWithoutOnClickExecutesIt)
{
    form->SetBorderStyle(bsDialog);
    auto* bar = NewBar(19);
    auto* action = new TAction(form);
    action->SetHint(QStringLiteral("Port state"));
    int executed = 0;
    action->OnExecute = [&](TObject*) { ++executed; };
    ASSERT_TRUE(bar->setProperty("Action", QVariant::fromValue(static_cast<TBasicAction*>(action))));
    EXPECT_EQ(bar->Action(), action);
    EXPECT_EQ(bar->Hint(), QStringLiteral("Port state"));

    QTest::mouseClick(bar->Widget(), Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_EQ(executed, 1);
    int clicks = 0;
    bar->OnClick = [&](TObject*) { ++clicks; };
    QTest::mouseClick(bar->Widget(), Qt::LeftButton, {}, QPoint(30, 8));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(executed, 1) << "the bar's own OnClick comes instead";

    action->SetEnabled(false);
    EXPECT_FALSE(bar->Enabled());
    action->SetEnabled(true);
    EXPECT_TRUE(bar->Enabled());
    delete action;
    EXPECT_EQ(bar->Action(), nullptr);
}
