// The skinned edit boxes: the style protocol, the themed border by pixels in every look, the
// number edit's key filter, Value and Text, selection on entering and leaving, the spin edit's
// clamping, stepping, keys, refused pastes and hold-to-repeat with a real mouse, the masked edit,
// and stored forms.
#include "SkinControlKit.h"
#include "StyleProtocolTest.h"
#include "framework/FormReader.h"
#include "framework/StdCtrls.h"
#include "framework/SysUtils.h"
#include "skin/controls/Kivedit.h"
#include "skin/theme/Kivpublic.h"

#include <QApplication>
#include <QClipboard>
#include <QCoreApplication>
#include <QCursor>
#include <QLineEdit>
#include <climits>

using namespace skintest;
using testsupport::Pump;
using testsupport::WaitFor;

QT_BEGIN_NAMESPACE
inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
QT_END_NAMESPACE

// The skinned form frame, as far as GetKIVFormStyle sees it: a control of class TkivForm with a
// published UIStyle.
class TkivForm : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
public:
    explicit TkivForm(TComponent* AOwner) : TGraphicControl(AOwner) {}
    TkivUIStyle UIStyle() const { return FUIStyle; }
    void SetUIStyle(TkivUIStyle v) { FUIStyle = v; }

private:
    TkivUIStyle FUIStyle = DeepBlue;
};

using EditTypes = ::testing::Types<TkivEdit, TkivMaskEdit, TkivNumberEdit, TkivSpinEdit, TkivSpinButtons>;
INSTANTIATE_TYPED_TEST_SUITE_P(Edits, StyleProtocol, EditTypes);

namespace {

class KivEdit : public SkinControlTest {
protected:
    void SetUp() override
    {
        SkinControlTest::SetUp();
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
        skin = SampleSkin(form);
        ASSERT_TRUE(skin->Ready());
        QCursor::setPos(QPoint(700, 550));
        QCoreApplication::processEvents();
        SetBeepHandler([this] { ++beeps; });
        Application->MessageBoxHook = [this](const String& text, const String&, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        other = Place<TEdit>(300, 250, 80, 21);
    }
    void TearDown() override
    {
        Application->MessageBoxHook = nullptr;
        SetBeepHandler(nullptr);
        SkinControlTest::TearDown();
    }

    static QLineEdit* Line(TControl* c) { return qobject_cast<QLineEdit*>(c->Widget()); }
    static void Focus(TWinControl* c)
    {
        c->SetFocus();
        ASSERT_TRUE(WaitFor([c] { return c->Focused(); }));
    }
    // Leaves the box for another control, as Tab would.
    void Leave() { Focus(other); }

    TkivFileTheme* skin = nullptr;
    TEdit* other = nullptr;
    int beeps = 0;
    std::vector<String> messages;
};

struct TEditLook {
    std::string name;
    TkivUIStyle style;
    bool useSkin;
};

std::vector<TEditLook> Looks()
{
    std::vector<TEditLook> looks;
    for (TkivUIStyle s : BuiltInStyles())
        looks.push_back({StyleName(s), s, false});
    looks.push_back({"sample skin", FromThemeFile, true});
    return looks;
}

// The border colour each built-in style fixes for controls.
TColor StyleBorderColor(TkivUIStyle s)
{
    switch (s) {
    case MacOS: return TColor(0x7F7F7F);
    case WinXP: return TColor(0x686868);
    default: return clBlack;  // DeepBlue, Protein, BlueGlass
    }
}

// The one-pixel frame in Border around the whole window and the ring one pixel inside it in Inner.
std::vector<TPixel> BorderPixels(int w, int h, TColor border, TColor inner)
{
    return {
        {0, 0, border},         {w - 1, 0, border},         {0, h - 1, border},         {w - 1, h - 1, border},
        {w / 2, 0, border},     {w / 2, h - 1, border},     {0, h / 2, border},         {w - 1, h / 2, border},
        {1, 1, inner},          {w - 2, 1, inner},          {1, h - 2, inner},          {w - 2, h - 2, inner},
        {w / 2, 1, inner},      {w / 2, h - 2, inner},      {1, h / 2, inner},          {w - 2, h / 2, inner},
    };
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pixels

TEST_F(KivEdit, TheBorderIsTheLooksColourAroundARingInTheControlsColour)
{
    struct Kind {
        const char* name;
        std::function<TCustomEdit*()> make;
        TColor color;
    };
    const Kind kinds[] = {
        {"TkivEdit", [this] { return new TkivEdit(form); }, clWindow},
        {"TkivMaskEdit", [this] { return new TkivMaskEdit(form); }, TColor(0x00E0E0FF)},
        {"TkivNumberEdit", [this] { return new TkivNumberEdit(form); }, clSkyBlue},
        {"TkivSpinEdit", [this] { return new TkivSpinEdit(form); }, clGradientActiveCaption},
    };
    struct Size {
        int w, h;
    };
    for (const TEditLook& look : Looks()) {
        const TColor border = look.useSkin ? skin->GetColor(SKIN2_CONTROLBORDERCOLOR) : StyleBorderColor(look.style);
        for (const Kind& kind : kinds) {
            for (const Size size : {Size{121, 25}, Size{51, 19}, Size{40, 14}}) {
                for (const char* state : {"normal", "focused", "disabled"}) {
                    SCOPED_TRACE(look.name + " " + kind.name + " " + std::to_string(size.w) + "x" +
                                 std::to_string(size.h) + " " + state);
                    TCustomEdit* e = kind.make();
                    e->SetParent(form);
                    e->SetBounds(20, 20, size.w, size.h);
                    e->SetColor(kind.color);
                    e->setProperty("FileTheme", QVariant::fromValue(look.useSkin ? skin : nullptr));
                    e->setProperty("UIStyle", QVariant::fromValue(look.style));
                    if (std::string(state) == "focused")
                        Focus(e);
                    if (std::string(state) == "disabled")
                        e->SetEnabled(false);
                    const QImage img = Render(e);
                    ASSERT_EQ(img.size(), QSize(size.w, size.h));
                    EXPECT_EQ(Hex(e->property("BorderColor").value<TColor>()), Hex(border));
                    ExpectPixels(img, BorderPixels(size.w, size.h, border, ColorToRGB(kind.color)));
                    if (auto* spin = dynamic_cast<TkivSpinEdit*>(e)) {
                        // The arrows inside the right edge: black triangles in the two buttons.
                        const TkivSpinButtons* b = spin->Button();
                        const int x0 = 2 + b->Left(), y0 = 2 + b->Top();
                        const TkivArrowButton* up = b->UpButton();
                        const TkivArrowButton* down = b->DownButton();
                        const int ucx = (up->Width() - 6) / 2, ucy = (up->Height() - 3) / 2;
                        const int dcx = (down->Width() - 6) / 2, dcy = (down->Height() - 3) / 2;
                        ExpectPixels(img, {{x0 + ucx + 3, y0 + ucy + 1, clBlack},
                                           {x0 + ucx + 1, y0 + ucy + 3, clBlack},
                                           {x0 + ucx + 5, y0 + ucy + 3, clBlack},
                                           {x0 + dcx + 3, y0 + down->Top() + dcy + 2, clBlack},
                                           {x0 + dcx + 1, y0 + down->Top() + dcy, clBlack},
                                           {x0 + dcx + 5, y0 + down->Top() + dcy, clBlack}});
                    }
                    delete e;
                }
            }
        }
    }
}

TEST_F(KivEdit, SettingTheStyleOverwritesTheBorderColourSetBeforeIt)
{
    auto* e = Place<TkivEdit>(20, 20, 100, 21);
    e->SetBorderColor(clRed);
    ExpectPixels(Render(e), {{0, 0, clRed}, {99, 20, clRed}});
    e->SetUIStyle(WinXP);
    EXPECT_EQ(Hex(e->BorderColor()), Hex(TColor(0x686868)));
    ExpectPixels(Render(e), {{0, 0, TColor(0x686868)}, {99, 20, TColor(0x686868)}});
    e->SetBorderColor(clLime);
    ExpectPixels(Render(e), {{0, 0, clLime}, {50, 20, clLime}});
    // A new file theme reads the look again.
    e->SetFileTheme(skin);
    EXPECT_EQ(Hex(e->BorderColor()), Hex(TColor(0x686868)));  // WinXP still: the file is used only with FromThemeFile
    e->SetUIStyle(FromThemeFile);
    EXPECT_EQ(Hex(e->BorderColor()), Hex(skin->GetColor(SKIN2_CONTROLBORDERCOLOR)));
    // The inner ring follows a colour changed later.
    e->SetColor(clYellow);
    ExpectPixels(Render(e), {{1, 1, clYellow}, {98, 19, clYellow}});
}

TEST_F(KivEdit, TheTextKeepsOutOfTheBandAndANumberIsRightAligned)
{
    auto* e = Place<TkivEdit>(20, 20, 100, 21);
    auto* n = Place<TkivNumberEdit>(20, 60, 100, 21);
    EXPECT_EQ(e->ClientWidth(), 96);
    EXPECT_EQ(e->ClientHeight(), 17);
    const QMargins m = Line(e)->textMargins();
    EXPECT_EQ(m, QMargins(2, 2, 2, 2));
    EXPECT_TRUE(Line(e)->alignment() & Qt::AlignLeft);
    EXPECT_TRUE(Line(n)->alignment() & Qt::AlignRight);
    EXPECT_FALSE(Line(e)->hasFrame());
    EXPECT_EQ(e->BorderStyle(), bsNone);
    EXPECT_EQ(e->BorderWidth(), 2);
}

// ---------------------------------------------------------------------------------------------
// The number edit

TEST_F(KivEdit, TheNumberEditTakesOnlyTheKeysItsMaskAllows)
{
    QApplication::clipboard()->setText(QStringLiteral("99"));
    struct Case {
        const char* mask;
        const char* text;
        int caret;      // -1: all selected
        int key;
        Qt::KeyboardModifiers mods;
        const char* after;  // text afterwards
        int beeps;
    };
    const Case cases[] = {
        {"0.00", "490.00", -1, Qt::Key_5, Qt::NoModifier, "5", 0},
        {"0.00", "4.5", 3, Qt::Key_Period, Qt::NoModifier, "4.5", 1},  // a second separator
        {"0.00", "45", 2, Qt::Key_Period, Qt::NoModifier, "45.", 0},
        {"0.00", "45", 2, Qt::Key_A, Qt::NoModifier, "45", 1},
        {"0.00", "45", 2, Qt::Key_Space, Qt::NoModifier, "45", 1},
        {"0.00", "45", 2, Qt::Key_Minus, Qt::NoModifier, "45", 1},  // no '-' in the mask
        {"0.00", "45", 2, Qt::Key_Backspace, Qt::NoModifier, "4", 0},
        {"0.00", "45", 2, Qt::Key_V, Qt::ControlModifier, "45", 1},  // clipboard keys are refused
        {"0.00", "45", 2, Qt::Key_C, Qt::ControlModifier, "45", 1},
        {"0.00", "45", 2, Qt::Key_Return, Qt::NoModifier, "45", 1},
        {"0", "52", 2, Qt::Key_Period, Qt::NoModifier, "52", 1},
        {"0", "52", 0, Qt::Key_Minus, Qt::NoModifier, "52", 1},
        {"0", "52", 2, Qt::Key_7, Qt::NoModifier, "527", 0},
        {"0.00;-0.00", "5", 0, Qt::Key_Minus, Qt::NoModifier, "-5", 0},
        {"0.00;-0.00", "5", 1, Qt::Key_Minus, Qt::NoModifier, "5", 1},  // only in front
        {"0.00;-0.00", "-5", 0, Qt::Key_Minus, Qt::NoModifier, "-5", 1},  // only once
    };
    auto* n = Place<TkivNumberEdit>(20, 20, 80, 21);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.mask) + " '" + c.text + "' key " + std::to_string(c.key));
        n->SetMask(QString::fromLatin1(c.mask));
        n->SetText(QString::fromLatin1(c.text));
        Focus(n);
        if (c.caret < 0)
            Line(n)->selectAll();
        else
            Line(n)->setCursorPosition(c.caret);
        beeps = 0;
        QTest::keyClick(n->Widget(), Qt::Key(c.key), c.mods);
        EXPECT_EQ(n->Text(), QString::fromLatin1(c.after));
        EXPECT_EQ(beeps, c.beeps);
        EXPECT_TRUE(messages.empty());
    }
}

TEST_F(KivEdit, TheNumberEditsValueFollowsItsText)
{
    auto* n = Place<TkivNumberEdit>(20, 20, 80, 21);
    EXPECT_EQ(n->Mask(), "0.00");
    EXPECT_EQ(n->Text(), "0.00");
    EXPECT_EQ(n->Value(), 0);
    EXPECT_EQ(n->AutoSelectSigns(), 2);

    n->SetValue(490);
    EXPECT_EQ(n->Text(), "490.00");
    EXPECT_EQ(n->Value(), 490);

    // Text set directly: Value to full precision, the text as set; leaving formats it.
    n->SetText(QStringLiteral("433.919921875"));
    EXPECT_EQ(n->Value(), 433.919921875);
    EXPECT_EQ(n->Text(), "433.919921875");
    Focus(n);
    Leave();
    EXPECT_EQ(n->Text(), "433.92");
    EXPECT_EQ(n->Value(), 433.92);

    // SetValue of a number that shows as the text already shown: no text change, Value keeps it.
    n->SetValue(433.921);
    EXPECT_EQ(n->Text(), "433.92");
    EXPECT_EQ(n->Value(), 433.921);
    // Otherwise Value becomes the number shown.
    n->SetValue(1.005);
    EXPECT_EQ(n->Text(), "1.01");
    EXPECT_EQ(n->Value(), 1.01);

    // Thousands separators are left out of the number.
    n->SetText(QStringLiteral("1,234.5"));
    EXPECT_EQ(n->Value(), 1234.5);

    // Typing keeps Value up to date; an emptied box keeps its last value and reads 0 on leaving.
    Focus(n);
    Line(n)->selectAll();
    QTest::keyClicks(n->Widget(), QStringLiteral("12.5"));
    EXPECT_EQ(n->Value(), 12.5);
    Line(n)->selectAll();
    QTest::keyClick(n->Widget(), Qt::Key_Backspace);
    EXPECT_EQ(n->Text(), "");
    EXPECT_EQ(n->Value(), 12.5);
    Leave();
    EXPECT_EQ(n->Text(), "0.00");
    EXPECT_EQ(n->Value(), 0);

    // Mask "0": whole numbers.
    n->SetMask(QStringLiteral("0"));
    n->SetValue(52);
    EXPECT_EQ(n->Text(), "52");
    EXPECT_TRUE(messages.empty());
}

TEST_F(KivEdit, TextThatIsNoNumberGoesBackToTheLastGoodValueWithTheConversionError)
{
    auto* n = Place<TkivNumberEdit>(20, 20, 80, 21);
    n->SetValue(490);
    int changes = 0;
    n->OnChange = [&](TObject*) { ++changes; };
    // Pasted through the context menu's paste (WM_PASTE): the window takes it, the box refuses it.
    QApplication::clipboard()->setText(QStringLiteral("abc"));
    Focus(n);
    Line(n)->selectAll();
    n->Perform(WM_PASTE);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], "\"abc\" is not a valid floating point value.");
    EXPECT_EQ(n->Text(), "490.00");
    EXPECT_EQ(n->Value(), 490);
    // OnChange reports the restored text, never the failed one.
    EXPECT_GT(changes, 0);
    int seenBad = 0;
    n->OnChange = [&](TObject*) { seenBad += n->Text() == QStringLiteral("xyz"); };
    n->SetText(QStringLiteral("xyz"));
    EXPECT_EQ(seenBad, 0);
    EXPECT_EQ(n->Text(), "490.00");
    EXPECT_EQ(messages.size(), 2u);
}

TEST_F(KivEdit, EnteringANumberEditSelectsItsLastSigns)
{
    struct Case {
        int signs;
        bool autoSelect;
        bool byMouse;
        int selStart, selLength;
    };
    const Case cases[] = {
        {2, true, false, 4, 2},   // "490.00": the two decimals
        {2, true, true, 4, 2},    // a click in the box selects them as well
        {3, true, false, 3, 3},
        {9, true, false, 0, 6},   // more signs than characters: all
        {0, true, false, -1, -1},  // no selection of signs
        {2, false, false, -1, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.signs) + (c.autoSelect ? " auto" : " manual") + (c.byMouse ? " mouse" : " key"));
        auto* n = Place<TkivNumberEdit>(20, 20, 80, 21);
        n->SetValue(490);
        n->SetAutoSelectSigns(c.signs);
        n->SetAutoSelect(c.autoSelect);
        int enters = 0;
        n->OnEnter = [&](TObject*) { ++enters; };
        Leave();
        if (c.byMouse) {
            QTest::mouseClick(n->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(10, 10));
            EXPECT_EQ(enters, 2);  // the click enters once more
        } else {
            QTest::keyClick(other->Widget(), Qt::Key_Tab);
            EXPECT_EQ(enters, 1);
        }
        ASSERT_TRUE(n->Focused());
        if (c.selStart >= 0) {
            EXPECT_EQ(n->SelStart(), c.selStart);
            EXPECT_EQ(n->SelLength(), c.selLength);
            EXPECT_EQ(n->SelText(), QStringLiteral("490.00").mid(c.selStart, c.selLength));
        } else {
            EXPECT_NE(n->SelText(), QStringLiteral("00"));
        }
        delete n;
    }
}

// ---------------------------------------------------------------------------------------------
// The spin edit

TEST_F(KivEdit, TheSpinEditKeepsItsButtonsInsideItsRightEdge)
{
    auto* s = Place<TkivSpinEdit>(20, 20, 121, 25);
    TkivSpinButtons* b = s->Button();
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(b->Parent(), s);
    EXPECT_EQ(b->BoundsRect(), Bounds(121 - 15 - 4, 0, 15, 21));
    EXPECT_EQ(b->UpButton()->BoundsRect(), Bounds(0, 0, 15, 11));
    EXPECT_EQ(b->DownButton()->BoundsRect(), Bounds(0, 10, 15, 11));
    EXPECT_FALSE(b->UpButton()->TabStop());
    EXPECT_EQ(b->UpButton()->MouseContinuouslyDownInterval(), 400);
    // The text keeps left of the buttons.
    TRect r;
    s->Perform(EM_GETRECT, 0, LPARAM(&r));
    EXPECT_EQ(r, Rect(0, 0, s->ClientWidth() - 15 - 2, s->ClientHeight() + 1));
    EXPECT_EQ(Line(s)->textMargins(), QMargins(2, 2, 2 + 17, 2));

    s->SetBounds(20, 20, 80, 31);
    EXPECT_EQ(b->BoundsRect(), Bounds(80 - 15 - 4, 0, 15, 27));
    EXPECT_EQ(b->UpButton()->BoundsRect(), Bounds(0, 0, 15, 14));
    EXPECT_EQ(b->DownButton()->BoundsRect(), Bounds(0, 13, 15, 14));
    s->Perform(EM_GETRECT, 0, LPARAM(&r));
    EXPECT_EQ(r.Right, s->ClientWidth() - 17);

    // Spin buttons on their own: at least 15 wide.
    auto* alone = Place<TkivSpinButtons>(200, 20, 20, 25);
    EXPECT_EQ(alone->Width(), 20);
    alone->SetBounds(200, 20, 8, 30);
    EXPECT_EQ(alone->Width(), 15);
    EXPECT_EQ(alone->UpButton()->BoundsRect(), Bounds(0, 0, 15, 16));
    EXPECT_EQ(alone->DownButton()->BoundsRect(), Bounds(0, 15, 15, 15));
    // Their keys click the buttons, which report through OnUpClick and OnDownClick.
    int ups = 0, downs = 0;
    alone->OnUpClick = [&](TObject* sender) { ups += sender == alone; };
    alone->OnDownClick = [&](TObject* sender) { downs += sender == alone; };
    alone->Perform(WM_KEYDOWN, VK_UP);
    alone->Perform(WM_KEYDOWN, VK_DOWN);
    alone->Perform(WM_KEYDOWN, VK_DOWN);
    EXPECT_EQ(ups, 1);
    EXPECT_EQ(downs, 2);

    // The look reaches the buttons, from the start and on every change.
    EXPECT_EQ(b->UpButton()->UIStyle(), s->UIStyle());
    s->SetUIStyle(WinXP);
    EXPECT_EQ(b->UpButton()->UIStyle(), WinXP);
    EXPECT_EQ(b->DownButton()->UIStyle(), WinXP);
    s->SetFileTheme(skin);
    s->SetUIStyle(FromThemeFile);
    EXPECT_EQ(b->FileTheme(), skin);
    EXPECT_EQ(b->DownButton()->FileTheme(), skin);
    EXPECT_EQ(b->UIStyle(), FromThemeFile);
}

TEST_F(KivEdit, NewEditsTakeTheStyleOfTheirFormsFrameAndTheSpinButtonsWithThem)
{
    auto* frame = new TkivForm(form);
    frame->SetParent(form);
    frame->SetUIStyle(WinXP);
    auto* e = new TkivEdit(form);
    auto* s = new TkivSpinEdit(form);
    EXPECT_EQ(e->UIStyle(), WinXP);
    EXPECT_EQ(Hex(e->BorderColor()), Hex(TColor(0x686868)));
    EXPECT_EQ(s->UIStyle(), WinXP);
    EXPECT_EQ(s->Button()->UpButton()->UIStyle(), WinXP);
    EXPECT_EQ(s->Button()->DownButton()->UIStyle(), WinXP);
    delete s;
    delete e;
}

TEST_F(KivEdit, TransparentArrowsShowTheSpinButtonsColourBehindThem)
{
    // The glossy styles draw their buttons transparent: where the picture has the transparent
    // colour, the spin buttons' own Color shows.
    for (TkivUIStyle style : {MacOS, BlueGlass}) {
        SCOPED_TRACE(StyleName(style));
        TBitmap frame;
        GetInsideThemeBitmap(style, KIV_THEME_BUTTON_IMAGE, &frame, 3, 1);
        ASSERT_EQ(Hex(frame.Canvas()->Pixels(0, 0)), Hex(clFuchsia));
        auto* b = Place<TkivSpinButtons>(40, 40, 20, 25);
        b->SetUIStyle(style);
        b->SetColor(TColor(0x00336699));
        ExpectPixels(Render(b->UpButton()), {{0, 0, TColor(0x00336699)}});
        ExpectPixels(Render(b->DownButton()), {{0, 0, TColor(0x00336699)}});
        delete b;
    }
}

TEST_F(KivEdit, TheSpinEditsValueIsClampedToItsRange)
{
    auto* s = Place<TkivSpinEdit>(20, 20, 80, 25);
    EXPECT_EQ(s->Text(), "0");
    EXPECT_EQ(s->Increment(), 1);
    EXPECT_TRUE(s->EditorEnabled());
    s->SetMinValue(0);
    s->SetMaxValue(10);
    s->SetValue(10);
    EXPECT_EQ(s->Text(), "10");
    TkivArrowButton* up = s->Button()->UpButton();
    TkivArrowButton* down = s->Button()->DownButton();
    const QPoint mid(up->Width() / 2, up->Height() / 2);

    // The up arrow at the top shows the top again.
    QTest::mouseMove(up->Widget(), mid);
    QTest::mouseClick(up->Widget(), Qt::LeftButton, Qt::NoModifier, mid);
    EXPECT_EQ(s->Text(), "10");
    QTest::mouseMove(down->Widget(), mid);
    QTest::mouseClick(down->Widget(), Qt::LeftButton, Qt::NoModifier, mid);
    EXPECT_EQ(s->Text(), "9");
    EXPECT_FALSE(up->Focused());  // the arrows do not take the focus

    // Typed past the top: the top on leaving.
    Focus(s);
    Line(s)->selectAll();
    QTest::keyClicks(s->Widget(), QStringLiteral("25"));
    EXPECT_EQ(s->Text(), "25");
    Leave();
    EXPECT_EQ(s->Text(), "10");
    // Below the bottom, and no number at all (which reads as MinValue).
    s->SetText(QStringLiteral("-4"));
    EXPECT_EQ(s->Value(), -4);
    Focus(s);
    Leave();
    EXPECT_EQ(s->Text(), "0");
    s->SetText(QStringLiteral("x"));
    EXPECT_EQ(s->Value(), 0);

    // MinValue = MaxValue: no clamping at all.
    s->SetMinValue(5);
    s->SetMaxValue(5);
    s->SetValue(25);
    EXPECT_EQ(s->Text(), "25");
    Focus(s);
    Leave();
    EXPECT_EQ(s->Text(), "25");
}

TEST_F(KivEdit, SteppingPastTheIntegerRangeStopsAtItsEnd)
{
    auto* s = Place<TkivSpinEdit>(20, 20, 80, 25);
    struct Case {
        int start;
        int increment;
        bool up;
        int expected;
    };
    const Case cases[] = {
        {INT_MAX - 1, 5, true, INT_MAX},
        {INT_MAX, 1, true, INT_MAX},
        {INT_MIN + 1, 5, false, INT_MIN},
        {INT_MIN, INT_MAX, false, INT_MIN},
        {0, INT_MIN, false, INT_MAX},  // stepping down by the most negative increment
        {-3, 2, true, -1},
    };
    Focus(s);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.start) + (c.up ? " up " : " down ") + std::to_string(c.increment));
        s->SetValue(c.start);
        s->SetIncrement(c.increment);
        QTest::keyClick(s->Widget(), c.up ? Qt::Key_Up : Qt::Key_Down);
        EXPECT_EQ(s->Value(), c.expected);
    }
}

TEST_F(KivEdit, TheSpinEditTakesDigitsAndSignsAndItsArrowKeys)
{
    struct Case {
        bool editorEnabled;
        bool readOnly;
        int key;
        Qt::KeyboardModifiers mods;
        const char* after;
        int beeps;
    };
    QApplication::clipboard()->setText(QStringLiteral("77"));
    const Case cases[] = {
        {true, false, Qt::Key_5, Qt::NoModifier, "125", 0},
        {true, false, Qt::Key_Minus, Qt::NoModifier, "12-", 0},
        {true, false, Qt::Key_A, Qt::NoModifier, "12", 1},
        {true, false, Qt::Key_Period, Qt::NoModifier, "12", 1},
        {true, false, Qt::Key_Return, Qt::NoModifier, "12", 1},
        {true, false, Qt::Key_Backspace, Qt::NoModifier, "1", 0},
        {true, false, Qt::Key_Up, Qt::NoModifier, "13", 0},
        {true, false, Qt::Key_Down, Qt::NoModifier, "11", 0},
        {true, false, Qt::Key_V, Qt::ControlModifier, "1277", 0},
        // With the editor disabled nothing can be typed, deleted or pasted; the arrows still step.
        {false, false, Qt::Key_5, Qt::NoModifier, "12", 1},
        {false, false, Qt::Key_Backspace, Qt::NoModifier, "12", 1},
        {false, false, Qt::Key_V, Qt::ControlModifier, "12", 0},
        {false, false, Qt::Key_Up, Qt::NoModifier, "13", 0},
        // Read-only: the arrows beep.
        {true, true, Qt::Key_Up, Qt::NoModifier, "12", 1},
        {true, true, Qt::Key_V, Qt::ControlModifier, "12", 0},
    };
    auto* s = Place<TkivSpinEdit>(20, 20, 80, 25);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.editorEnabled ? "editor " : "no editor ") + (c.readOnly ? "read-only " : "") +
                     "key " + std::to_string(c.key));
        s->SetReadOnly(false);
        s->SetText(QStringLiteral("12"));
        s->SetEditorEnabled(c.editorEnabled);
        s->SetReadOnly(c.readOnly);
        Focus(s);
        Line(s)->setCursorPosition(2);
        beeps = 0;
        QTest::keyClick(s->Widget(), Qt::Key(c.key), c.mods);
        EXPECT_EQ(s->Text(), QString::fromLatin1(c.after));
        EXPECT_EQ(beeps, c.beeps);
    }
    // Cut refused the same way: the text stays.
    s->SetReadOnly(false);
    s->SetEditorEnabled(false);
    s->SetText(QStringLiteral("12"));
    Line(s)->selectAll();
    s->Perform(WM_CUT);
    EXPECT_EQ(s->Text(), "12");
    s->SetEditorEnabled(true);
    s->Perform(WM_CUT);
    EXPECT_EQ(s->Text(), "");
}

TEST_F(KivEdit, EnteringASpinEditSelectsAllOfItUnlessByTheMouse)
{
    auto* s = Place<TkivSpinEdit>(20, 20, 80, 25);
    s->SetValue(123);
    Leave();
    Line(s)->setSelection(0, 0);
    Focus(s);  // focus given by the program: the window itself selects nothing
    EXPECT_EQ(s->SelText(), "123");
    // Without AutoSelect nothing is selected for it.
    s->SetAutoSelect(false);
    Leave();
    Line(s)->setSelection(0, 0);
    Focus(s);
    EXPECT_EQ(s->SelText(), "");
}

TEST_F(KivEdit, HoldingASpinArrowStepsEvery400MsAndOnceMoreOnRelease)
{
    auto* s = Place<TkivSpinEdit>(20, 20, 80, 25);
    TkivArrowButton* up = s->Button()->UpButton();
    TkivArrowButton* down = s->Button()->DownButton();
    const QPoint mid(up->Width() / 2, up->Height() / 2);
    struct Case {
        TkivArrowButton* arrow;
        int holdMs;
        int minSteps, maxSteps;  // steps in all, the release's included
    };
    const Case cases[] = {
        {up, 1000, 2, 4},   // 400, 800, release
        {down, 1000, 2, 4},
        {up, 150, 1, 1},    // released before the first repeat: the click alone
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.arrow == up ? "up " : "down ") + std::to_string(c.holdMs));
        s->SetValue(100);
        QTest::mouseMove(c.arrow->Widget(), mid);
        QTest::mousePress(c.arrow->Widget(), Qt::LeftButton, Qt::NoModifier, mid);
        Pump(std::chrono::milliseconds(c.holdMs));
        const int held = std::abs(s->Value() - 100);
        QTest::mouseRelease(c.arrow->Widget(), Qt::LeftButton, Qt::NoModifier, mid);
        const int steps = std::abs(s->Value() - 100);
        EXPECT_EQ(steps, held + 1) << "one more step on release";
        EXPECT_GE(steps, c.minSteps);
        EXPECT_LE(steps, c.maxSteps);
        EXPECT_EQ(s->Value() > 100, c.arrow == up);
        Pump(std::chrono::milliseconds(450));
        EXPECT_EQ(std::abs(s->Value() - 100), steps) << "no steps after the release";
        QTest::mouseMove(form->Widget(), QPoint(390, 290));
    }
}

// ---------------------------------------------------------------------------------------------
// The masked edit

TEST_F(KivEdit, TheSkinnedMaskEditTypesThroughItsMask)
{
    auto* m = Place<TkivMaskEdit>(20, 20, 100, 21);
    m->SetEditMask(QStringLiteral("!>L0-00;0;_"));
    EXPECT_EQ(m->EditText(), "__-__");
    Focus(m);
    Line(m)->setCursorPosition(0);
    QTest::keyClicks(m->Widget(), QStringLiteral("b4x27"));
    EXPECT_EQ(m->EditText(), "B4-27");
    EXPECT_EQ(m->Text(), "B427");
    EXPECT_EQ(beeps, 1);  // the 'x'
    ExpectPixels(Render(m), BorderPixels(100, 21, m->BorderColor(), ColorToRGB(m->Color())));
}

// ---------------------------------------------------------------------------------------------
// Stored forms

TEST_F(KivEdit, StoredFormsSetThePublishedPropertiesInStoredOrder)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Left = 0
  Top = 0
  Width = 300
  Height = 200
  object kivNumberEdit_RfFrequency: TkivNumberEdit
    Left = 7
    Top = 18
    Width = 51
    Height = 19
    BorderStyle = bsNone
    Color = clSkyBlue
    TabOrder = 0
    UIStyle = Protein
    BorderColor = clRed
    Mask = '0.00'
    Value = 490.000000000000000000
    AutoSelectSigns = 3
  end
  object kivEdit2: TkivEdit
    Left = 176
    Top = 228
    Width = 217
    Height = 25
    BorderColor = clRed
    UIStyle = WinXP
    MaxLength = 20
    ReadOnly = True
    Text = 'AF AF'
  end
  object mask: TkivMaskEdit
    EditMask = '00:00;1;_'
    Text = '12:30'
    UIStyle = MacOS
  end
  object spin: TkivSpinEdit
    MinValue = 1
    MaxValue = 9
    Increment = 2
    EditorEnabled = False
    UIStyle = BlueGlass
  end
end
)"),
                      QStringLiteral("edits.dfm"));
    auto* n = dynamic_cast<TkivNumberEdit*>(f->FindComponent(QStringLiteral("kivNumberEdit_RfFrequency")));
    ASSERT_NE(n, nullptr);
    EXPECT_EQ(n->Text(), "490.00");
    EXPECT_EQ(n->Value(), 490);
    EXPECT_EQ(n->AutoSelectSigns(), 3);
    EXPECT_EQ(n->UIStyle(), Protein);
    EXPECT_EQ(Hex(n->BorderColor()), Hex(clRed));  // stored after UIStyle: it wins
    EXPECT_EQ(n->Color(), clSkyBlue);
    EXPECT_EQ(n->Width(), 51);
    auto* e = dynamic_cast<TkivEdit*>(f->FindComponent(QStringLiteral("kivEdit2")));
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(Hex(e->BorderColor()), Hex(TColor(0x686868)));  // UIStyle after BorderColor overwrites it
    EXPECT_EQ(e->MaxLength(), 20);
    EXPECT_TRUE(e->ReadOnly());
    EXPECT_EQ(e->Text(), "AF AF");
    auto* m = dynamic_cast<TkivMaskEdit*>(f->FindComponent(QStringLiteral("mask")));
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->EditMask(), "00:00;1;_");
    EXPECT_EQ(m->Text(), "12:30");
    EXPECT_EQ(Hex(m->BorderColor()), Hex(TColor(0x7F7F7F)));
    auto* s = dynamic_cast<TkivSpinEdit*>(f->FindComponent(QStringLiteral("spin")));
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->MinValue(), 1);
    EXPECT_EQ(s->MaxValue(), 9);
    EXPECT_EQ(s->Increment(), 2);
    EXPECT_FALSE(s->EditorEnabled());
    EXPECT_EQ(s->Button()->UIStyle(), BlueGlass);

    // BorderStyle: published by the number edit and the mask edit, not by the plain one.
    EXPECT_TRUE(n->setProperty("BorderStyle", QVariant::fromValue(bsSingle)));
    EXPECT_TRUE(m->setProperty("BorderStyle", QVariant::fromValue(bsSingle)));
    EXPECT_FALSE(e->setProperty("BorderStyle", QVariant::fromValue(bsSingle)));
    EXPECT_EQ(e->BorderStyle(), bsNone);
    // Events by name.
    for (const char* ev : {"OnChange", "OnKeyPress", "OnEnter", "OnExit", "OnClick"})
        EXPECT_TRUE(n->HasEvent(QString::fromLatin1(ev))) << ev;
    EXPECT_TRUE(s->Button()->HasEvent(QStringLiteral("OnUpClick")));
    EXPECT_TRUE(s->Button()->HasEvent(QStringLiteral("OnDownClick")));
    delete f;
}

#include "test_kivedit.moc"
