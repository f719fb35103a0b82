// The skinned push buttons: the style protocol, the state machine driven by real mouse and
// keyboard input, default and cancel buttons, accelerators, auto-repeat, modal results, actions,
// the pictures each state shows (by pixels, against the frames of the style's own strip), glyphs,
// engraved captions, auto size, transparency, and stored forms.
#include "ButtonKit.h"
#include "StyleProtocolTest.h"
#include "framework/FormReader.h"
#include "framework/StdCtrls.h"

#include <QApplication>

using namespace skintest;
using testsupport::Pump;
using testsupport::WaitFor;

namespace skintest {
template <>
struct StyleProtocolTraits<TkivImageButton> {
    static constexpr bool UIStyleReadsBack = false;  // always reads FromThemeFile
};
template <>
struct StyleProtocolTraits<TkivControlButton> {
    static constexpr bool UIStyleReadsBack = true;
    static constexpr bool AlwaysRenders = false;  // takes the size of its picture, 0 x 0 without one
};
}  // namespace skintest

using ButtonTypes = ::testing::Types<TkivButton, TkivImageButton, TkivControlButton, TkivArrowButton>;
INSTANTIATE_TYPED_TEST_SUITE_P(Buttons, StyleProtocol, ButtonTypes);

namespace {

class KivButton : public ButtonTest {};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pictures

TEST_F(KivButton, EachStateShowsItsFrameOfTheStyleStripInEveryLookAndSize)
{
    struct State {
        const char* name;
        int frame;
    };
    const State states[] = {{"normal", 1}, {"hover", 2}, {"pressed", 3}, {"disabled", 1}};
    for (const TLook& look : Looks()) {
        for (const TSize size : {TSize{80, 27}, TSize{74, 21}, TSize{131, 44}, TSize{40, 16}}) {
            for (const State& state : states) {
                SCOPED_TRACE(look.name + " " + std::to_string(size.cx) + "x" + std::to_string(size.cy) + " " +
                             state.name);
                auto* b = Place<TkivButton>(20, 20, size.cx, size.cy);
                ApplyLook(b, look);
                const std::string s = state.name;
                if (s == "hover" || s == "pressed")
                    MoveTo(b, Centre(b));
                if (s == "pressed")
                    QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
                if (s == "disabled")
                    b->SetEnabled(false);
                const QImage img = Render(b);
                ASSERT_EQ(img.size(), QSize(size.cx, size.cy));
                auto frame = ButtonFrame(look, state.frame);
                auto px = SpitDrawCornerPixels(frame.get(), size.cx, size.cy, ButtonTransparent(look), form->Color());
                if (b->Focused())
                    px = OffFocusRect(px, size.cx, size.cy, 2);  // a press takes the focus
                ExpectPixels(img, px);
                if (s == "pressed")
                    QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
                MoveTo(b, QPoint(-30, -30));
                delete b;
            }
        }
    }
}

TEST_F(KivButton, ArrowButtonsDrawABlackTriangleThatNeitherMovesNorGreys)
{
    struct Case {
        TkivArrowButtonType arrow;
        int w, h;
    };
    const Case cases[] = {{kivUp, 16, 9}, {kivDown, 16, 9}, {kivUp, 17, 11}, {kivDown, 30, 20}};
    for (const TLook& look : Looks()) {
        for (const Case& c : cases) {
            for (const char* state : {"normal", "pressed", "disabled"}) {
                SCOPED_TRACE(look.name + (c.arrow == kivUp ? " up " : " down ") + std::to_string(c.w) + "x" +
                             std::to_string(c.h) + " " + state);
                auto* b = Place<TkivArrowButton>(30, 30, c.w, c.h);
                b->SetTabStop(false);  // no focus frame over the triangle
                b->SetArrow(c.arrow);
                ApplyLook(b, look);
                if (std::string(state) == "pressed") {
                    MoveTo(b, QPoint(1, 1));
                    QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
                }
                if (std::string(state) == "disabled")
                    b->SetEnabled(false);
                const QImage img = Render(b);
                const int cx = (c.w - 6) / 2, cy = (c.h - 3) / 2;
                // Four rows of 7, 5, 3 and 1 pixels from the base (cy + 3 up, cy down) to the tip.
                std::vector<TPixel> px;
                for (int row = 0; row < 4; ++row) {
                    const int y = c.arrow == kivUp ? cy + 3 - row : cy + row;
                    for (int x = cx + row; x <= cx + 6 - row; ++x)
                        px.push_back({x, y, clBlack});
                }
                ExpectPixels(img, px);
                // Nothing black beside the tip or past the base's ends.
                const int tipY = c.arrow == kivUp ? cy : cy + 3, baseY = c.arrow == kivUp ? cy + 3 : cy;
                for (const QPoint p :
                     {QPoint(cx + 2, tipY), QPoint(cx + 4, tipY), QPoint(cx - 1, baseY), QPoint(cx + 7, baseY)})
                    EXPECT_NE(Hex(PixelAt(img, p.x(), p.y())), Hex(clBlack)) << p.x() << "," << p.y();
                // The picture takes the rest: the corner comes from the style's strip.
                const int frame = std::string(state) == "pressed" ? 3 : 1;
                auto strip = ButtonFrame(look, frame);
                ExpectPixels(img, SpitDrawCornerPixels(strip.get(), c.w, c.h, ButtonTransparent(look), form->Color(),
                                                       /*limit*/ 2));
                if (std::string(state) == "pressed")
                    QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(1, 1));
                MoveTo(b, QPoint(-30, -30));
                delete b;
            }
        }
    }
}

TEST_F(KivButton, ATwoFrameGlyphShowsItsLeftFrameEnabledAndItsRightFrameDisabled)
{
    // 32 x 16: two 16 x 16 frames, fuchsia border (the mask colour, from the top-left pixel),
    // red inside on the left, green on the right.
    TBitmap glyph(32, 16);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 32, 16));
    glyph.Canvas()->Brush()->SetColor(TColor(0x0000FF));
    glyph.Canvas()->FillRect(Rect(2, 2, 14, 14));
    glyph.Canvas()->Brush()->SetColor(TColor(0x00FF00));
    glyph.Canvas()->FillRect(Rect(18, 2, 30, 14));
    struct Case {
        const char* name;
        TButtonLayout layout;
        bool enabled;
        bool pressed;
        TColor inside;
    };
    // No caption: tw = 0, so with Spacing 4 on an 80 x 27 button the glyph is at ((80 - 20) / 2,
    // (27 - 16) / 2) = (30, 5) for blGlyphLeft and at ((80 + 4 - 16) / 2, 5) = (34, 5) for
    // blGlyphRight.
    const Case cases[] = {
        {"left, enabled", blGlyphLeft, true, false, TColor(0x0000FF)},
        {"left, disabled", blGlyphLeft, false, false, TColor(0x00FF00)},
        {"left, pressed", blGlyphLeft, true, true, TColor(0x0000FF)},
        {"right, enabled", blGlyphRight, true, false, TColor(0x0000FF)},
        {"right, disabled", blGlyphRight, false, false, TColor(0x00FF00)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto* b = Place<TkivButton>(20, 20, 80, 27);
        b->SetUIStyle(Protein);
        b->SetGlyph(&glyph);
        b->SetLayout(c.layout);
        b->SetEnabled(c.enabled);
        if (c.pressed) {
            MoveTo(b, QPoint(2, 2));
            QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        }
        const int shift = c.pressed ? 1 : 0;
        const int gx = (c.layout == blGlyphLeft ? 30 : 34) + shift, gy = 5 + shift;
        const QImage img = Render(b);
        ExpectPixels(img, {{gx + 2, gy + 2, c.inside}, {gx + 13, gy + 13, c.inside}, {gx + 8, gy + 8, c.inside}});
        // The mask colour shows the button's picture, never fuchsia.
        EXPECT_NE(Hex(PixelAt(img, gx, gy)), Hex(clFuchsia));
        EXPECT_NE(Hex(PixelAt(img, gx + 15, gy + 15)), Hex(clFuchsia));
        // Nothing of the glyph outside its 16 x 16 cell.
        EXPECT_NE(Hex(PixelAt(img, gx + 18, gy + 8)), Hex(c.inside));
        if (c.pressed)
            QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(2, 2));
        delete b;
    }
}

TEST_F(KivButton, AOneFrameGlyphIsGreyedByTheImageListWhenDisabled)
{
    TBitmap glyph(16, 16);
    glyph.Canvas()->Brush()->SetColor(clFuchsia);
    glyph.Canvas()->FillRect(Rect(0, 0, 16, 16));
    glyph.Canvas()->Brush()->SetColor(TColor(0x0000FF));
    glyph.Canvas()->FillRect(Rect(2, 2, 14, 14));
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    b->SetUIStyle(Protein);
    b->SetGlyph(&glyph);
    const int gx = 30, gy = 5;
    ExpectPixels(Render(b), {{gx + 5, gy + 5, TColor(0x0000FF)}});
    b->SetEnabled(false);
    // Embossed: the shadow colour on the image, the highlight one pixel right and down.
    ExpectPixels(Render(b), {{gx + 5, gy + 5, ColorToRGB(clBtnShadow)},
                             {gx + 2, gy + 2, ColorToRGB(clBtnShadow)},
                             {gx + 14, gy + 14, ColorToRGB(clBtnHighlight)}});
}

TEST_F(KivButton, ADisabledCaptionIsEngravedWhiteUnderGrey)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    b->SetUIStyle(Protein);
    b->SetCaption(QStringLiteral("Write All"));
    const QImage enabled = Render(b);
    EXPECT_EQ(Count(enabled, TColor(0x808080)), 0);
    EXPECT_GT(Count(enabled, TColor(0)), 0) << "the caption is black while enabled";
    b->SetEnabled(false);
    const QImage disabled = Render(b);
    EXPECT_EQ(Count(disabled, TColor(0)), 0);
    const QRect grey = Bounds(disabled, TColor(0x808080));
    const QRect white = Bounds(disabled, TColor(0xFFFFFF), grey.adjusted(-3, -3, 3, 3));
    ASSERT_FALSE(grey.isEmpty());
    ASSERT_FALSE(white.isEmpty());
    // The white copy sticks out one pixel right and down under the grey one.
    EXPECT_EQ(white.right(), grey.right() + 1);
    EXPECT_EQ(white.bottom(), grey.bottom() + 1);
    // Centred: as much room left of the grey caption as right of the white one, give or take the
    // rounding of the halving.
    EXPECT_LE(std::abs(grey.left() - (80 - 1 - white.right())), 2);
}

TEST_F(KivButton, ABlankCaptionDrawsNothingAndALongOneWrapsCentred)
{
    auto* b = Place<TkivButton>(20, 20, 80, 40);
    b->SetUIStyle(Protein);
    b->SetCaption(QStringLiteral("   "));
    const QImage blank = Render(b);
    b->SetCaption(QString());
    EXPECT_EQ(Render(b), blank);

    b->SetCaption(QStringLiteral("Read all the parameters"));
    const QImage wrapped = Render(b);
    const QRect ink = Bounds(wrapped, TColor(0));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 0);
    EXPECT_LT(ink.right(), 80);
    // Two lines at least: taller than one line of the font.
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(b->Font());
    EXPECT_GT(ink.height(), measure.Canvas()->TextHeight(QStringLiteral("Rp")));
    EXPECT_LE(std::abs(ink.top() - (40 - 1 - ink.bottom())), 3) << "centred vertically";
}

TEST_F(KivButton, TheFocusIsAFrameExceptInGlossyStylesWhereTheCaptionTurnsBold)
{
    struct Case {
        TkivUIStyle style;
        bool frame;
    };
    const Case cases[] = {{MacOS, false}, {WinXP, true}, {DeepBlue, true}, {Protein, true}, {BlueGlass, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(StyleName(c.style));
        auto* other = Place<TkivButton>(200, 20, 80, 27);
        auto* b = Place<TkivButton>(20, 20, 90, 27);
        b->SetUIStyle(c.style);
        b->SetCaption(QStringLiteral("Transmit"));
        Focus(other);
        const QImage plain = Render(b);
        Focus(b);
        const QImage focused = Render(b);
        // Along the left side of the focus rectangle (x = 2, rows away from the caption).
        int changed = 0;
        for (int y = 2; y < 25; ++y)
            changed += PixelAt(plain, 2, y) != PixelAt(focused, 2, y);
        if (c.frame) {
            EXPECT_GE(changed, 8) << "a dotted frame two pixels in";
        } else {
            EXPECT_EQ(changed, 0);
        }
        const TColor ink = TColor(0);
        if (!c.frame) {
            EXPECT_GT(Count(focused, ink), Count(plain, ink)) << "a bold caption has more ink";
        }
        delete b;
        delete other;
    }
}

TEST_F(KivButton, AutoSizeTakesOneFrameOfTheStylesOwnStrip)
{
    struct Case {
        TkivUIStyle style;
        int w, h;
    };
    // FromThemeFile has no built-in picture: 74 / 3 x 21.
    const Case cases[] = {
        {Protein, 74, 21}, {MacOS, 84, 23}, {WinXP, 18, 21}, {BlueGlass, 77, 27}, {FromThemeFile, 24, 21}};
    for (const Case& c : cases) {
        SCOPED_TRACE(StyleName(c.style));
        auto* b = Place<TkivButton>(20, 20, 100, 50);
        b->SetUIStyle(c.style);
        b->SetAutoSize2(true);
        EXPECT_EQ(b->Width(), c.w);
        EXPECT_EQ(b->Height(), c.h);
        delete b;
    }
    // Without AutoSize the size stays.
    auto* b = Place<TkivButton>(20, 20, 100, 50);
    b->SetUIStyle(Protein);
    b->SetAutoSize2(false);
    EXPECT_EQ(b->Width(), 100);
}

TEST_F(KivButton, TheTransparentMacOSButtonShowsItsParentWhereItsPictureIsFuchsia)
{
    auto* b = Place<TkivButton>(20, 20, 84, 23);
    b->SetUIStyle(MacOS);  // transparent by the style
    EXPECT_TRUE(b->Transparent());
    EXPECT_TRUE(b->PicTransparent());
    auto frame = ButtonFrame(TLook{"MacOS", MacOS, nullptr}, 1);
    const auto px = SpitDrawCornerPixels(frame.get(), 84, 23, true, form->Color());
    const size_t showing =
        std::count_if(px.begin(), px.end(), [&](const TPixel& p) { return p.Color == form->Color(); });
    ASSERT_GT(showing, 0u) << "the MacOS picture has rounded, fuchsia corners";
    ExpectPixels(Render(b), px);
    // Made opaque, the same pixels show the button's Color.
    b->SetTransparent(false);
    b->SetParentColor(false);
    b->SetColor(TColor(0x123456));
    const QImage opaque = Render(b);
    for (const TPixel& p : px)
        if (p.Color == form->Color()) {
            EXPECT_NE(Hex(PixelAt(opaque, p.X, p.Y)), Hex(form->Color())) << p.X << "," << p.Y;
        }
}

TEST_F(KivButton, TheLookFollowsTheStyleAndTheSkinFile)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    struct Case {
        TkivUIStyle style;
        bool transparent;
    };
    for (const Case& c : {Case{MacOS, true}, Case{WinXP, false}, Case{DeepBlue, false}, Case{Protein, false},
                          Case{BlueGlass, true}}) {
        b->SetUIStyle(c.style);
        EXPECT_EQ(b->Transparent(), c.transparent) << StyleName(c.style);
        EXPECT_EQ(b->Font()->Color(), TColor(0));
    }
    b->SetFileTheme(skin);
    b->SetUIStyle(FromThemeFile);
    EXPECT_EQ(b->Transparent(), skin->GetBool(SKIN2_BUTTONTRANS));
    EXPECT_EQ(b->Font()->Color(), skin->GetColor(SKIN2_BUTTONFONTCOLOR));
    // A Protein button with a ready skin file still draws Protein.
    b->SetUIStyle(Protein);
    auto frame = ButtonFrame(TLook{"Protein", Protein, nullptr}, 1);
    ExpectPixels(Render(b), SpitDrawCornerPixels(frame.get(), 80, 27, false, form->Color()));
}

// ---------------------------------------------------------------------------------------------
// The state machine, driven as a user drives it

TEST_F(KivButton, MouseStatesAndClicksFollowTheUsersHand)
{
    enum Act { Enter, Press, MoveOut, MoveBack, Release, Leave };
    struct Step {
        Act act;
        bool over, down;
        int frame;  // picture shown after the step
    };
    struct Scenario {
        const char* name;
        std::vector<Step> steps;
        int clicks;
    };
    const Scenario scenarios[] = {
        {"click", {{Enter, true, false, 2}, {Press, true, true, 3}, {Release, true, false, 2}}, 1},
        {"released outside",
         {{Enter, true, false, 2}, {Press, true, true, 3}, {MoveOut, false, false, 1}, {Release, false, false, 1}},
         0},
        {"came back while held",
         {{Enter, true, false, 2},
          {Press, true, true, 3},
          {MoveOut, false, false, 1},
          {MoveBack, true, false, 2},
          {Release, true, false, 2}},
         1},
        {"hover only", {{Enter, true, false, 2}, {Leave, false, false, 1}}, 0},
    };
    for (const Scenario& sc : scenarios) {
        SCOPED_TRACE(sc.name);
        auto* b = Place<TkivButton>(20, 20, 80, 27);
        b->SetUIStyle(Protein);
        int clicks = 0;
        b->OnClick = [&](TObject*) { ++clicks; };
        QPoint at = Centre(b);
        for (const Step& st : sc.steps) {
            switch (st.act) {
            case Enter:
                MoveTo(b, at);
                break;
            case Press:
                QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, at);
                break;
            case MoveOut:
                at = QPoint(120, 40);
                QTest::mouseMove(b->Widget(), at);
                break;
            case MoveBack:
                at = Centre(b) + QPoint(3, 2);
                QTest::mouseMove(b->Widget(), at);
                break;
            case Release:
                QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, at);
                break;
            case Leave:
                MoveTo(b, QPoint(-40, -40));
                break;
            }
            EXPECT_EQ(b->MouseOver(), st.over) << "step " << int(st.act);
            EXPECT_EQ(b->MouseDown(), st.down) << "step " << int(st.act);
            EXPECT_EQ(ShownFrame(Render(b), TLook{"Protein", Protein, nullptr}), st.frame) << "step " << int(st.act);
        }
        EXPECT_EQ(clicks, sc.clicks);
        EXPECT_FALSE(b->Repeating());
        MoveTo(b, QPoint(-40, -40));
        delete b;
    }
}

TEST_F(KivButton, EnterAndExitEventsAndTheEndOfAPressWhenThePointerLeaves)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    std::vector<std::string> events;
    b->OnMouseEnter = [&](TObject*) { events.push_back("enter"); };
    b->OnMouseExit = [&](TObject*) { events.push_back("exit"); };
    b->SetMouseContinuouslyDownInterval(10000);
    MoveTo(b, Centre(b));
    QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
    EXPECT_TRUE(b->Repeating()) << "a left press starts the repeat timer";
    QTest::mouseMove(b->Widget(), QPoint(200, 5));
    EXPECT_FALSE(b->Repeating()) << "leaving ends it";
    QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 5));
    MoveTo(b, QPoint(-40, -40));
    EXPECT_EQ(events, (std::vector<std::string>{"enter", "exit"}));
    // Other buttons only reach OnMouseDown.
    int downs = 0;
    b->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };
    MoveTo(b, Centre(b));
    QTest::mousePress(b->Widget(), Qt::RightButton, Qt::NoModifier, Centre(b));
    EXPECT_FALSE(b->MouseDown());
    EXPECT_FALSE(b->Repeating());
    QTest::mouseRelease(b->Widget(), Qt::RightButton, Qt::NoModifier, Centre(b));
    EXPECT_EQ(downs, 1);
}

TEST_F(KivButton, ACancelModeEndsHoverPressAndRepeat)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    auto* other = Place<TEdit>(200, 20, 80, 21);
    MoveTo(b, Centre(b));
    QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
    ASSERT_TRUE(b->MouseDown());
    ASSERT_TRUE(WaitFor([&] { return b->Focused(); })) << "a left press takes the focus";
    // The focus moving away sends the button CM_CANCELMODE.
    Focus(other);
    EXPECT_FALSE(b->MouseDown());
    EXPECT_FALSE(b->MouseOver());
    EXPECT_FALSE(b->Repeating());
    QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
}

TEST_F(KivButton, SpaceAndEnterPressTheFocusedButtonAndClickOnRelease)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    b->SetUIStyle(Protein);
    int clicks = 0;
    b->OnClick = [&](TObject*) { ++clicks; };
    Focus(b);
    QTest::keyPress(b->Widget(), Qt::Key_Space);
    EXPECT_TRUE(b->MouseDown());
    EXPECT_EQ(ShownFrame(Render(b), TLook{"Protein", Protein, nullptr}), 3);
    EXPECT_EQ(clicks, 0);
    QTest::keyRelease(b->Widget(), Qt::Key_Space);
    EXPECT_FALSE(b->MouseDown());
    EXPECT_EQ(clicks, 1);
    // A disabled button ignores the keys.
    QTest::keyPress(b->Widget(), Qt::Key_Space);
    b->SetEnabled(false);
    QTest::keyRelease(b->Widget(), Qt::Key_Space);
    EXPECT_EQ(clicks, 1);
}

TEST_F(KivButton, AutoRepeatFiresEveryIntervalWhileHeldAndNeverAtZero)
{
    struct Case {
        int interval;
        int minimum, maximum;  // repeat events in about a second
    };
    for (const Case& c : {Case{100, 7, 11}, Case{0, 0, 0}, Case{-5, 0, 0}}) {
        SCOPED_TRACE(c.interval);
        auto* b = Place<TkivButton>(20, 20, 80, 27);
        b->SetMouseContinuouslyDownInterval(c.interval);
        int repeats = 0, clicks = 0;
        b->OnMouseContinuouslyDown = [&](TObject* s) {
            EXPECT_EQ(s, b);
            ++repeats;
        };
        b->OnClick = [&](TObject*) { ++clicks; };
        MoveTo(b, Centre(b));
        QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
        Pump(std::chrono::milliseconds(1050));
        QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
        const int atRelease = repeats;
        EXPECT_GE(repeats, c.minimum);
        EXPECT_LE(repeats, c.maximum);
        EXPECT_EQ(clicks, 1);
        Pump(std::chrono::milliseconds(250));
        EXPECT_EQ(repeats, atRelease) << "the repeat ends with the click";
        MoveTo(b, QPoint(-40, -40));
        delete b;
    }
}

// ---------------------------------------------------------------------------------------------
// Dialog keys

TEST_F(KivButton, EnterClicksTheFocusedButtonOrElseTheDefaultOneAndEscapeTheCancelOne)
{
    auto* ok = Place<TkivButton>(20, 20, 80, 27);
    auto* other = Place<TkivButton>(120, 20, 80, 27);
    auto* cancel = Place<TkivButton>(220, 20, 80, 27);
    auto* edit = Place<TEdit>(20, 80, 100, 21);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    std::vector<std::string> clicks;
    ok->OnClick = [&](TObject*) { clicks.push_back("ok"); };
    other->OnClick = [&](TObject*) { clicks.push_back("other"); };
    cancel->OnClick = [&](TObject*) { clicks.push_back("cancel"); };
    struct Case {
        const char* name;
        TWinControl* focus;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        const char* clicked;  // nullptr: none
    };
    const Case cases[] = {
        {"Enter in an edit", edit, Qt::Key_Return, Qt::NoModifier, "ok"},
        {"Enter on the other button", other, Qt::Key_Return, Qt::NoModifier, "other"},
        {"Enter on the cancel button", cancel, Qt::Key_Return, Qt::NoModifier, "cancel"},
        {"Enter on the default button", ok, Qt::Key_Return, Qt::NoModifier, "ok"},
        {"Escape in an edit", edit, Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {"Escape on the other button", other, Qt::Key_Escape, Qt::NoModifier, "cancel"},
        {"Shift+Enter in an edit", edit, Qt::Key_Return, Qt::ShiftModifier, nullptr},
        {"Ctrl+Escape in an edit", edit, Qt::Key_Escape, Qt::ControlModifier, nullptr},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Focus(c.focus);
        clicks.clear();
        QTest::keyClick(c.focus->Widget(), c.key, c.mods);
        if (c.clicked) {
            EXPECT_EQ(clicks, std::vector<std::string>{c.clicked});
        } else {
            EXPECT_TRUE(clicks.empty());
        }
    }
    // A default button that cannot take the focus does not answer Enter.
    Focus(edit);
    ok->SetEnabled(false);
    clicks.clear();
    QTest::keyClick(edit->Widget(), Qt::Key_Return);
    EXPECT_TRUE(clicks.empty());
}

TEST_F(KivButton, ChangingDefaultTellsEveryButtonAtOnce)
{
    auto* a = Place<TkivButton>(20, 20, 80, 27);
    auto* b = Place<TkivButton>(120, 20, 80, 27);
    auto* edit = Place<TEdit>(20, 80, 100, 21);
    Focus(edit);
    EXPECT_FALSE(a->DefaultActive());
    a->SetDefault(true);
    EXPECT_TRUE(a->DefaultActive());
    Focus(b);
    EXPECT_FALSE(a->DefaultActive());
    EXPECT_TRUE(b->DefaultActive());
    Focus(edit);
    EXPECT_TRUE(a->DefaultActive());
    EXPECT_FALSE(b->DefaultActive());
}

TEST_F(KivButton, AcceleratorsClickWithAltOrWhileASkinnedButtonHasTheFocus)
{
    auto* read = Place<TkivButton>(20, 20, 80, 27);
    auto* write = Place<TkivButton>(120, 20, 80, 27);
    auto* edit = Place<TEdit>(20, 80, 100, 21);
    read->SetCaption(QStringLiteral("&Read All"));
    write->SetCaption(QStringLiteral("Write && &Go"));
    int reads = 0, writes = 0;
    read->OnClick = [&](TObject*) { ++reads; };
    write->OnClick = [&](TObject*) { ++writes; };
    struct Case {
        const char* name;
        TWinControl* focus;
        Qt::Key key;
        Qt::KeyboardModifiers mods;
        int reads, writes;
    };
    const Case cases[] = {
        {"Alt+R in an edit", edit, Qt::Key_R, Qt::AltModifier, 1, 0},
        {"plain r in an edit is typed", edit, Qt::Key_R, Qt::NoModifier, 0, 0},
        {"plain r on a skinned button", write, Qt::Key_R, Qt::NoModifier, 1, 0},
        {"plain G on a skinned button", read, Qt::Key_G, Qt::ShiftModifier, 0, 1},
        {"the literal ampersand is no accelerator", read, Qt::Key_W, Qt::AltModifier, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Focus(c.focus);
        reads = writes = 0;
        QTest::keyClick(c.focus->Widget(), c.key, c.mods);
        EXPECT_EQ(reads, c.reads);
        EXPECT_EQ(writes, c.writes);
    }
    EXPECT_EQ(edit->Text(), QStringLiteral("r"));
    // A disabled button or one on a disabled parent does not answer.
    read->SetEnabled(false);
    reads = 0;
    Focus(edit);
    QTest::keyClick(edit->Widget(), Qt::Key_R, Qt::AltModifier);
    EXPECT_EQ(reads, 0);
    // Every skinned button says it lets plain letters through.
    EXPECT_EQ(write->Perform(KIVKITMSGCANPROCESSKEY), 1);
    EXPECT_EQ(edit->Perform(KIVKITMSGCANPROCESSKEY), 0);
}

TEST_F(KivButton, AClickSetsTheFormsModalResultEvenToNone)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    b->SetModalResult(mrOk);
    form->SetModalResult(mrNone);
    MoveTo(b, Centre(b));
    QTest::mouseClick(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
    EXPECT_EQ(form->ModalResult(), mrOk);
    b->SetModalResult(mrNone);
    form->SetModalResult(mrCancel);
    QTest::mouseClick(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
    EXPECT_EQ(form->ModalResult(), mrNone);
    // Without a parent form nothing is set, and nothing breaks.
    TkivButton loose(nullptr);
    loose.SetModalResult(mrYes);
    loose.Click();
}

TEST_F(KivButton, AnActionGivesItsCaptionStateAndImageAndRunsOnClick)
{
    auto* list = new TActionList(form);
    TImageList images(16, 16);
    TBitmap picture(32, 16);
    picture.Canvas()->Brush()->SetColor(TColor(0x00FF00));
    picture.Canvas()->FillRect(Rect(0, 0, 32, 16));
    images.Add(&picture, nullptr);
    list->SetImages(&images);
    auto* action = new TAction(form);
    action->SetActionList(list);
    action->SetCaption(QStringLiteral("&Open"));
    action->SetImageIndex(1);
    int runs = 0;
    action->OnExecute = [&](TObject*) { ++runs; };

    auto* b = Place<TkivButton>(20, 20, 80, 27);
    b->SetAction(action);
    EXPECT_EQ(b->Caption(), QStringLiteral("&Open"));
    EXPECT_EQ(b->Text(), b->Caption());
    ASSERT_FALSE(b->Glyph()->Empty());
    EXPECT_EQ(b->Glyph()->Width(), 16);
    MoveTo(b, Centre(b));
    QTest::mouseClick(b->Widget(), Qt::LeftButton, Qt::NoModifier, Centre(b));
    EXPECT_EQ(runs, 1);
    action->SetEnabled(false);
    EXPECT_FALSE(b->Enabled());
    action->SetCaption(QStringLiteral("Close"));
    EXPECT_EQ(b->Caption(), QStringLiteral("Close"));
    delete action;
    EXPECT_EQ(b->Action(), nullptr);
}

// ---------------------------------------------------------------------------------------------
// The other kinds

TEST_F(KivButton, ImageButtonsShowTheirPicturesPerStateAndFallBackToNormal)
{
    auto picture = [](TColor c) {
        TBitmap bmp(20, 10);
        bmp.Canvas()->Brush()->SetColor(clFuchsia);
        bmp.Canvas()->FillRect(Rect(0, 0, 20, 10));
        bmp.Canvas()->Brush()->SetColor(c);
        bmp.Canvas()->FillRect(Rect(1, 1, 19, 9));
        auto p = std::make_unique<TPicture>();
        p->SetBitmap(&bmp);
        return p;
    };
    auto normal = picture(TColor(0x0000FF)), over = picture(TColor(0x00FF00)), down = picture(TColor(0xFF0000));
    auto* b = Place<TkivImageButton>(20, 20, 40, 30);
    b->SetPicNormalF(normal.get());
    b->SetPicMouseOnF(over.get());
    b->SetPicMouseDownF(down.get());
    EXPECT_EQ(b->UIStyle(), FromThemeFile);
    b->SetUIStyle(Protein);
    EXPECT_EQ(b->UIStyle(), FromThemeFile);
    ExpectPixels(Render(b), {{5, 5, TColor(0x0000FF)}, {25, 5, form->Color()}});
    MoveTo(b, QPoint(5, 5));
    ExpectPixels(Render(b), {{5, 5, TColor(0x00FF00)}});
    QTest::mousePress(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    ExpectPixels(Render(b), {{5, 5, TColor(0xFF0000)}});
    QTest::mouseRelease(b->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // No disabled picture: the normal one.
    b->SetEnabled(false);
    ExpectPixels(Render(b), {{5, 5, TColor(0x0000FF)}});
    // Transparent: the top-left colour is left out.
    b->SetTransparent(true);
    ExpectPixels(Render(b), {{0, 0, form->Color()}, {5, 5, TColor(0x0000FF)}});
    // Stretched over the whole button.
    b->SetStretch(true);
    ExpectPixels(Render(b), {{35, 25, TColor(0x0000FF)}});
    // AutoSize takes the normal picture's size.
    b->SetAutoSize2(true);
    EXPECT_EQ(b->Width(), 20);
    EXPECT_EQ(b->Height(), 10);
}

TEST_F(KivButton, AnImageButtonWithAPictureThatIsNoBitmapPaintsTheEmptyFallback)
{
    auto* b = Place<TkivImageButton>(20, 20, 80, 27);
    TPicture jpeg;
    jpeg.LoadFromFile(testsupport::DataDir() + QStringLiteral("/../../resources/pictures/img2.jpg"));
    ASSERT_NE(jpeg.Graphic(), nullptr);
    ASSERT_EQ(dynamic_cast<TBitmap*>(jpeg.Graphic()), nullptr);
    b->SetPicNormalF(&jpeg);
    const QImage img = Render(b);
    ASSERT_EQ(img.size(), QSize(80, 27));
    // The 74 x 21 fallback is drawn at (0, 0); the rest is the button's colour.
    EXPECT_NE(Hex(PixelAt(img, 10, 10)), Hex(form->Color()));
    EXPECT_EQ(Hex(PixelAt(img, 78, 25)), Hex(form->Color()));
}

TEST_F(KivButton, ControlButtonsTakeAFrameOfAnyStripAndItsSize)
{
    auto* b = Place<TkivControlButton>(20, 20, 50, 50);
    EXPECT_FALSE(b->TabStop());
    EXPECT_EQ(b->UIStyle(), DeepBlue);
    b->SetUIStyle(Protein);
    b->SetThemeID(KIV_THEME_TITLEBAR_BUTTON_IMAGE);
    b->SetPicCount(18);
    b->SetPicIndex(16);  // the close button
    Render(b);
    EXPECT_EQ(b->Width(), 19);
    EXPECT_EQ(b->Height(), 19);
    TBitmap expected;
    GetInsideThemeBitmap(Protein, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &expected, 18, 16);
    const QImage img = Render(b);
    std::vector<TPixel> px;
    const TColor key = QRgbToColor(expected.Image().pixel(0, 0));
    for (int y = 0; y < 19; y += 3)
        for (int x = 0; x < 19; x += 3) {
            const TColor c = QRgbToColor(expected.Image().pixel(x, y));
            if (c != key)
                px.push_back({x, y, c});
        }
    ExpectPixels(img, px);
    // Under the pointer: the next frame.
    MoveTo(b, QPoint(5, 5));
    GetInsideThemeBitmap(Protein, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &expected, 18, 17);
    EXPECT_EQ(Hex(PixelAt(Render(b), 9, 9)), Hex(QRgbToColor(expected.Image().pixel(9, 9))));
    MoveTo(b, QPoint(-40, -40));
    // With a skin file in use there is no picture, and the button shrinks to nothing.
    b->SetFileTheme(skin);
    b->SetUIStyle(FromThemeFile);
    Render(b);
    EXPECT_EQ(b->Width(), 0);
    EXPECT_EQ(b->Height(), 0);
}

TEST_F(KivButton, ToolBarSpeedButtonsPaintAGradientAGlyphAndAFrameUnderThePointer)
{
    auto* b = Place<TkivToolBarSpeedButton>(20, 20, 18, 18);
    EXPECT_EQ(b->Color(), clBtnFace);
    b->SetColor(TColor(0x000000));
    b->SetToColor(TColor(0xFFFFFF));
    const QImage plain = Render(b);
    // Horizontal lines from the first colour (top row) to the second (bottom row).
    ExpectPixels(plain, {{0, 0, TColor(0)}, {17, 0, TColor(0)}, {5, 17, TColor(0xFFFFFF)}, {9, 5, TColor(0x383838)}});
    // A glyph at (1, 1), its bottom-left colour left out.
    TBitmap glyph(8, 8);
    glyph.Canvas()->Brush()->SetColor(TColor(0x00FF00));
    glyph.Canvas()->FillRect(Rect(0, 0, 8, 8));
    glyph.Canvas()->Brush()->SetColor(TColor(0x0000FF));
    glyph.Canvas()->FillRect(Rect(2, 2, 6, 6));
    b->SetGlyph(&glyph);
    b->Invalidate();
    const QImage withGlyph = Render(b);
    ExpectPixels(withGlyph, {{4, 4, TColor(0x0000FF)}});
    EXPECT_EQ(PixelAt(withGlyph, 1, 1), PixelAt(plain, 1, 1));
    MoveTo(b, QPoint(5, 5));
    EXPECT_TRUE(b->MouseOver());
    const QImage hot = Render(b);
    ExpectPixels(hot, {{0, 0, clBlack}, {17, 9, clBlack}, {9, 17, clBlack}, {4, 4, TColor(0x0000FF)}});
    MoveTo(b, QPoint(-40, -40));
    EXPECT_FALSE(b->MouseOver());
}

// ---------------------------------------------------------------------------------------------
// Properties and stored forms

TEST_F(KivButton, CaptionAndTextStayEqualAndResHandleReadsZero)
{
    auto* b = Place<TkivButton>(20, 20, 80, 27);
    b->SetCaption2(QStringLiteral("Open"));
    EXPECT_EQ(b->Text(), QStringLiteral("Open"));
    b->SetText(QStringLiteral("Close"));
    EXPECT_EQ(b->Caption(), QStringLiteral("Close"));
    EXPECT_EQ(b->property("Caption").toString(), QStringLiteral("Close"));
    ASSERT_TRUE(b->setProperty("ResHandle", 1234u));
    EXPECT_EQ(b->ResHandle(), 0u);
    EXPECT_EQ(b->property("ResHandle").toUInt(), 0u);
    EXPECT_EQ(TkivButton(nullptr).Width(), 80);
    EXPECT_EQ(TkivButton(nullptr).Height(), 27);
}

TEST_F(KivButton, StoredFormsSetEveryPublishedProperty)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object btn_ReadAll: TkivButton
    Left = 10
    Top = 10
    Width = 75
    Height = 25
    UIStyle = Protein
    Cancel = True
    Default = True
    Caption = 'Read &All'
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Enabled = False
    TabOrder = 0
    Transparent = False
    ModalResult = 1
    AutoSize = False
    FocusedRectMargin = 3
    Layout = blGlyphTop
    Spacing = 6
    MouseContinuouslyDownInterval = 150
    ResHandle = 0
  end
  object arrow: TkivArrowButton
    Arrow = kivDown
    UIStyle = MacOS
  end
  object img: TkivImageButton
    Stretch = True
    DrawFocused = True
  end
  object ctl: TkivControlButton
    ThemeID = 5
    PicCount = 18
    PicIndex = 16
    PicTransparent = True
  end
  object speed: TkivToolBarSpeedButton
    ToColor = clRed
  end
end
)"),
                      QStringLiteral("buttons.dfm"));
    auto* b = dynamic_cast<TkivButton*>(f->FindComponent(QStringLiteral("btn_ReadAll")));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->UIStyle(), Protein);
    EXPECT_TRUE(b->Cancel());
    EXPECT_TRUE(b->Default());
    EXPECT_EQ(b->Caption(), QStringLiteral("Read &All"));
    EXPECT_FALSE(b->Enabled());
    EXPECT_EQ(b->ModalResult(), mrOk);
    EXPECT_EQ(b->FocusedRectMargin(), 3);
    EXPECT_EQ(b->Layout(), blGlyphTop);
    EXPECT_EQ(b->Spacing(), 6);
    EXPECT_EQ(b->MouseContinuouslyDownInterval(), 150);
    EXPECT_EQ(b->Width(), 75);
    auto* arrow = dynamic_cast<TkivArrowButton*>(f->FindComponent(QStringLiteral("arrow")));
    ASSERT_NE(arrow, nullptr);
    EXPECT_EQ(arrow->Arrow(), kivDown);
    EXPECT_EQ(arrow->UIStyle(), MacOS);
    EXPECT_TRUE(arrow->Transparent());
    auto* img = dynamic_cast<TkivImageButton*>(f->FindComponent(QStringLiteral("img")));
    ASSERT_NE(img, nullptr);
    EXPECT_TRUE(img->Stretch());
    EXPECT_TRUE(img->DrawFocused());
    auto* ctl = dynamic_cast<TkivControlButton*>(f->FindComponent(QStringLiteral("ctl")));
    ASSERT_NE(ctl, nullptr);
    EXPECT_EQ(ctl->ThemeID(), 5);
    EXPECT_EQ(ctl->PicCount(), 18);
    EXPECT_EQ(ctl->PicIndex(), 16);
    EXPECT_TRUE(ctl->PicTransparent());
    auto* speed = dynamic_cast<TkivToolBarSpeedButton*>(f->FindComponent(QStringLiteral("speed")));
    ASSERT_NE(speed, nullptr);
    EXPECT_EQ(speed->ToColor(), clRed);
    // Events are reachable by name.
    for (const char* e : {"OnClick", "OnMouseEnter", "OnMouseExit", "OnMouseContinuouslyDown", "OnMouseDown",
                          "OnMouseUp", "OnMouseMove", "OnKeyDown", "OnKeyUp", "OnKeyPress", "OnEnter", "OnExit"})
        EXPECT_TRUE(b->HasEvent(QString::fromLatin1(e))) << e;
    delete f;
}
