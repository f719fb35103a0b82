// The skinned check box and radio button: the style protocol, the box frame each state shows in
// every look, auto size, the click, key and accelerator paths driven by real input, group
// exclusivity, the State view, OnClick on every change but not while loading, selection by
// focus inside a radio group, and the right-to-left layout.
#include "ButtonKit.h"
#include "StyleProtocolTest.h"
#include "framework/FormReader.h"
#include "framework/StdCtrls.h"
#include "framework/SysLocale.h"

using namespace skintest;
using testsupport::WaitFor;

using CheckTypes = ::testing::Types<TkivCheckBox, TkivRadioButton>;
INSTANTIATE_TYPED_TEST_SUITE_P(Checks, StyleProtocol, CheckTypes);

namespace {

// The item class of a radio group: selection follows the focus between its items.
class TkivRadioGroupButton : public TkivRadioButton {
    Q_OBJECT
public:
    using TkivRadioButton::TkivRadioButton;
};

// A check box that records when its Toggle hook runs.
class TOrderedCheckBox : public TkivCheckBox {
    Q_OBJECT
public:
    using TkivCheckBox::TkivCheckBox;
    std::vector<std::string>* log = nullptr;

protected:
    void Toggle() override { log->push_back(Checked() ? "toggle(checked)" : "toggle(unchecked)"); }
};

class KivCheck : public ButtonTest {
protected:
    // The box strip frame the look gives a check box (or radio button) in this state, and how
    // many frames the strip has.
    static std::unique_ptr<TBitmap> BoxFrame(const TLook& look, bool radio, bool checked, bool enabled)
    {
        auto b = std::make_unique<TBitmap>();
        const bool file = look.style == FromThemeFile && look.theme && look.theme->CanUse();
        if (file && !radio) {
            const int frame = enabled ? (checked ? 1 : 3) : (checked ? 4 : 6);
            look.theme->GetBitmap2(SKIN2_CHECKBOX, b.get(), 6, frame);
        } else {
            const int frame = enabled ? (checked ? 1 : 2) : (checked ? 3 : 4);
            if (file)
                look.theme->GetBitmap2(SKIN2_RADIOBUTTON, b.get(), 4, frame);
            else
                GetInsideThemeBitmap(look.style == FromThemeFile ? DeepBlue : look.style,
                                     radio ? KIV_THEME_RADIOBUTTON_IMAGE : KIV_THEME_CHECKBOX_IMAGE, b.get(), 4, frame);
        }
        return b;
    }
    // Every pixel of the box drawn at (X, Y); a radio button's picture leaves its transparent
    // colour (the bottom-left pixel) out.
    static std::vector<TPixel> BoxPixels(TBitmap* box, int X, int Y, bool transparent, TColor background)
    {
        std::vector<TPixel> px;
        const QImage& img = box->Image();
        const TColor key = QRgbToColor(img.pixel(0, img.height() - 1));
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                TColor c = QRgbToColor(img.pixel(x, y));
                if (transparent && c == key)
                    c = background;
                px.push_back({X + x, Y + y, c});
            }
        return px;
    }
    static int TextHeightW(TControl* c)
    {
        TBitmap m(1, 1);
        m.Canvas()->SetFont(c->Font());
        return m.Canvas()->TextHeight(QStringLiteral("W"));
    }
    static int TextWidthOf(TControl* c, const String& s)
    {
        TBitmap m(1, 1);
        m.Canvas()->SetFont(c->Font());
        return m.Canvas()->TextWidth(s);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pictures

TEST_F(KivCheck, EachStateShowsItsFrameOfTheBoxStripInEveryLookAndSize)
{
    struct State {
        bool checked, enabled;
    };
    const State states[] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const TLook& look : Looks()) {
        for (bool radio : {false, true}) {
            for (bool autoSize : {true, false}) {
                for (const State& st : states) {
                    SCOPED_TRACE(look.name + (radio ? " radio" : " check") + (autoSize ? " autosize" : " 120x30") +
                                 (st.checked ? " checked" : " unchecked") + (st.enabled ? " enabled" : " disabled"));
                    TkivCheckBox* c = radio ? static_cast<TkivCheckBox*>(Place<TkivRadioButton>(20, 20, 120, 30))
                                            : Place<TkivCheckBox>(20, 20, 120, 30);
                    c->SetAutoSize2(autoSize);
                    c->SetBounds(20, 20, 120, 30);
                    c->SetCaption(QStringLiteral("HexSend"));
                    ApplyLook(c, look);
                    c->SetChecked(st.checked);
                    c->SetEnabled(st.enabled);
                    const QImage img = Render(c);
                    auto box = BoxFrame(look, radio, st.checked, st.enabled);
                    if (autoSize) {
                        EXPECT_EQ(c->Height(), std::max(TextHeightW(c) + 2, box->Height()) + 4);
                        EXPECT_EQ(c->Width(), box->Width() + TextWidthOf(c, QStringLiteral("HexSend")) + 8);
                    } else {
                        EXPECT_EQ(c->Width(), 120);
                        EXPECT_EQ(c->Height(), 30);
                    }
                    EXPECT_EQ(c->PictureFrameCount(), look.theme && !radio ? 6 : 4);
                    const int boxTop = (c->ClientHeight() - box->Height()) / 2;
                    ExpectPixels(img, BoxPixels(box.get(), 1, boxTop, radio, form->Color()));
                    // Left of the box: the background.
                    EXPECT_EQ(Hex(PixelAt(img, 0, boxTop)), Hex(form->Color()));
                    delete c;
                }
            }
        }
    }
}

TEST_F(KivCheck, TheCaptionKeepsItsColourWhenDisabledAndTheFocusFramesIt)
{
    auto* c = Place<TkivCheckBox>(20, 20, 93, 17);
    c->SetUIStyle(Protein);
    c->SetCaption(QStringLiteral("HexSend"));
    c->Font()->SetColor(TColor(0x0000C0));
    const QImage enabled = Render(c);
    const QRect ink = Bounds(enabled, TColor(0x0000C0));
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 13 + 4) << "the caption starts right of the box";
    c->SetEnabled(false);
    EXPECT_EQ(Bounds(Render(c), TColor(0x0000C0)), ink);
    c->SetEnabled(true);

    // Focused: a dotted frame from (picture width + 3, textTop) to the right edge.
    auto* other = Place<TEdit>(200, 20, 80, 21);
    Focus(other);
    const QImage plain = Render(c);
    Focus(c);
    const QImage focused = Render(c);
    const int textTop = (c->ClientHeight() - TextHeightW(c)) / 2;
    int changed = 0;
    for (int y = textTop; y < textTop + TextHeightW(c) + 2; ++y)
        changed += PixelAt(plain, 13 + 3, y) != PixelAt(focused, 13 + 3, y);
    EXPECT_GE(changed, 4);
    EXPECT_EQ(PixelAt(plain, 13 + 2, textTop + 3), PixelAt(focused, 13 + 2, textTop + 3))
        << "nothing left of the frame";
}

TEST_F(KivCheck, HexSendSizesItselfFromTheProteinBoxAndItsCaption)
{
    auto* c = Place<TkivCheckBox>(20, 20, 93, 17);
    c->Font()->SetName(QStringLiteral("MS Sans Serif"));
    c->Font()->SetHeight(-11);
    c->SetUIStyle(Protein);
    c->SetCaption(QStringLiteral("HexSend"));
    Render(c);
    const int th = TextHeightW(c);
    EXPECT_EQ(c->Height(), std::max(th + 2, 13) + 4);
    EXPECT_EQ(c->Width(), 13 + TextWidthOf(c, QStringLiteral("HexSend")) + 8);
    if (th == 13) {
        EXPECT_EQ(c->Height(), 19);  // with the classic dialog font's metrics
    }
    // The constructor's size before any look is applied.
    TkivCheckBox fresh(nullptr);
    EXPECT_EQ(fresh.Width(), 93);
    EXPECT_EQ(fresh.Height(), 17);
    EXPECT_TRUE(fresh.AutoSize());
    EXPECT_TRUE(fresh.TabStop());
    EXPECT_FALSE(fresh.Checked());
}

TEST_F(KivCheck, RightToLeftMirrorsTheLayoutOnlyInAMiddleEastLocale)
{
    const TSysLocale saved = SysLocale;
    for (bool middleEast : {false, true}) {
        SCOPED_TRACE(middleEast ? "Middle East" : "elsewhere");
        SysLocale.MiddleEast = middleEast;
        auto* c = Place<TkivCheckBox>(20, 20, 120, 30);
        c->SetAutoSize2(false);
        c->SetUIStyle(Protein);
        c->SetCaption(QStringLiteral("HexSend"));
        c->SetBiDiMode(bdRightToLeft);
        auto box = BoxFrame(TLook{"Protein", Protein, nullptr}, false, false, true);
        const int boxTop = (30 - box->Height()) / 2;
        const int x = middleEast ? 120 - box->Width() - 1 : 1;
        const QImage img = Render(c);
        ExpectPixels(img, BoxPixels(box.get(), x, boxTop, false, form->Color()));
        const QRect ink = Bounds(img, TColor(0));
        ASSERT_FALSE(ink.isEmpty());
        if (middleEast) {
            EXPECT_LE(ink.right(), 120 - (box->Width() + 4));
            EXPECT_GE(ink.right(), 120 - (box->Width() + 4) - 3) << "right-aligned next to the box";
        } else {
            EXPECT_GE(ink.left(), box->Width() + 4);
        }
        delete c;
    }
    SysLocale = saved;
}

// ---------------------------------------------------------------------------------------------
// Behaviour

TEST_F(KivCheck, ClicksToggleACheckBoxAndSelectARadioButtonOnlyOnce)
{
    auto* box = Place<TkivCheckBox>(20, 20, 93, 17);
    auto* r1 = Place<TkivRadioButton>(20, 60, 93, 17);
    auto* r2 = Place<TkivRadioButton>(20, 90, 93, 17);
    std::vector<std::string> events;
    box->OnClick = [&](TObject*) { events.push_back(box->Checked() ? "box on" : "box off"); };
    r1->OnClick = [&](TObject*) { events.push_back(r1->Checked() ? "r1 on" : "r1 off"); };
    r2->OnClick = [&](TObject*) { events.push_back(r2->Checked() ? "r2 on" : "r2 off"); };
    auto click = [&](TControl* c) {
        MoveTo(c, QPoint(5, 5));
        QTest::mouseClick(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    };
    click(box);
    click(box);
    EXPECT_TRUE(WaitFor([&] { return box->Focused(); })) << "a press takes the focus";
    click(r1);
    click(r1);  // already checked: nothing
    click(r2);
    EXPECT_EQ(events, (std::vector<std::string>{"box on", "box off", "r1 on", "r2 on"}));
    EXPECT_FALSE(r1->Checked()) << "one radio button of a group at a time";
    EXPECT_TRUE(r2->Checked());
    // A double click (press, release, double-click press, release) of a check box is two clicks;
    // a radio button takes double clicks as such, so its second press is no click.
    auto doubleClick = [&](TControl* c) {
        MoveTo(c, QPoint(6, 6));
        QTest::mousePress(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        QTest::mouseRelease(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        QTest::mouseDClick(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
        QTest::mouseRelease(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
    };
    events.clear();
    doubleClick(box);
    EXPECT_EQ(events, (std::vector<std::string>{"box on", "box off"}));
    events.clear();
    int doubles = 0;
    r1->OnDblClick = [&](TObject*) { ++doubles; };
    doubleClick(r1);
    EXPECT_EQ(events, (std::vector<std::string>{"r1 on"}));
    EXPECT_EQ(doubles, 1);
}

TEST_F(KivCheck, GroupIndexSeparatesRadioGroupsOnTheSameParent)
{
    struct Case {
        int groupA, groupB;
        bool bothChecked;
    };
    for (const Case& c : {Case{0, 0, false}, Case{0, 1, true}, Case{3, 3, false}}) {
        SCOPED_TRACE(std::to_string(c.groupA) + "/" + std::to_string(c.groupB));
        auto* a = Place<TkivRadioButton>(20, 20, 93, 17);
        auto* b = Place<TkivRadioButton>(20, 50, 93, 17);
        a->SetGroupIndex(c.groupA);
        b->SetGroupIndex(c.groupB);
        a->SetChecked(true);
        b->SetChecked(true);
        EXPECT_EQ(a->Checked(), c.bothChecked);
        EXPECT_TRUE(b->Checked());
        delete a;
        delete b;
    }
    // A radio button on another parent is not a sibling.
    auto* panel = Place<TPanel>(150, 20, 120, 100);
    auto* inner = new TkivRadioButton(form);
    inner->SetParent(panel);
    auto* outer = Place<TkivRadioButton>(20, 20, 93, 17);
    inner->SetChecked(true);
    outer->SetChecked(true);
    EXPECT_TRUE(inner->Checked());
    // Without a parent, checking unchecks nothing and nothing breaks.
    TkivRadioButton loose(nullptr);
    loose.SetChecked(true);
    EXPECT_TRUE(loose.Checked());
}

TEST_F(KivCheck, SpaceTogglesACheckBoxOnReleaseAndLeavesARadioButtonAlone)
{
    auto* box = Place<TkivCheckBox>(20, 20, 93, 17);
    auto* radio = Place<TkivRadioButton>(20, 60, 93, 17);
    int boxClicks = 0, radioClicks = 0;
    box->OnClick = [&](TObject*) { ++boxClicks; };
    radio->OnClick = [&](TObject*) { ++radioClicks; };
    Focus(box);
    QTest::keyPress(box->Widget(), Qt::Key_Space);
    EXPECT_FALSE(box->Checked()) << "not on the press";
    QTest::keyRelease(box->Widget(), Qt::Key_Space);
    EXPECT_TRUE(box->Checked());
    QTest::keyClick(box->Widget(), Qt::Key_Return);
    EXPECT_FALSE(box->Checked()) << "Enter too, when no default button takes it";
    EXPECT_EQ(boxClicks, 2);
    Focus(radio);
    QTest::keyClick(radio->Widget(), Qt::Key_Space);
    EXPECT_FALSE(radio->Checked());
    EXPECT_EQ(radioClicks, 0);
    // A disabled check box does not toggle.
    Focus(box);
    QTest::keyPress(box->Widget(), Qt::Key_Space);
    box->SetEnabled(false);
    QTest::keyRelease(box->Widget(), Qt::Key_Space);
    EXPECT_EQ(boxClicks, 2);
}

TEST_F(KivCheck, AcceleratorsTakeTheFocusAndClick)
{
    auto* box = Place<TkivCheckBox>(20, 20, 93, 17);
    auto* radio = Place<TkivRadioButton>(20, 60, 93, 17);
    auto* button = Place<TkivButton>(200, 20, 80, 27);
    auto* edit = Place<TEdit>(200, 80, 80, 21);
    box->SetCaption(QStringLiteral("&HexSend"));
    radio->SetCaption(QStringLiteral("&Odd"));
    Focus(edit);
    QTest::keyClick(edit->Widget(), Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(WaitFor([&] { return box->Focused(); }));
    // A plain letter where the focused control does not type it.
    Focus(button);
    QTest::keyClick(button->Widget(), Qt::Key_O);
    EXPECT_TRUE(radio->Checked());
    EXPECT_TRUE(WaitFor([&] { return radio->Focused(); }));
    // Typed into an edit, a plain letter stays a letter.
    Focus(edit);
    QTest::keyClick(edit->Widget(), Qt::Key_H);
    EXPECT_TRUE(box->Checked());
    EXPECT_EQ(edit->Text(), QStringLiteral("h"));
    // Disabled: no answer.
    box->SetEnabled(false);
    QTest::keyClick(edit->Widget(), Qt::Key_H, Qt::AltModifier);
    EXPECT_TRUE(box->Checked());
}

TEST_F(KivCheck, StateIsAViewOfCheckedAndEveryChangeFiresOnClick)
{
    auto* box = Place<TkivCheckBox>(20, 20, 93, 17);
    int clicks = 0;
    box->OnClick = [&](TObject*) { ++clicks; };
    struct Step {
        TCheckBoxState write;
        bool checked;
        TCheckBoxState reads;
        int clicks;
    };
    const Step steps[] = {
        {cbChecked, true, cbChecked, 1},     {cbChecked, true, cbChecked, 1},       // no change, no event
        {cbGrayed, false, cbUnchecked, 2},   {cbGrayed, false, cbUnchecked, 2},     // there is no grey state
        {cbChecked, true, cbChecked, 3},     {cbUnchecked, false, cbUnchecked, 4},
    };
    for (const Step& s : steps) {
        box->setProperty("State", QVariant::fromValue(s.write));
        EXPECT_EQ(box->Checked(), s.checked);
        EXPECT_EQ(box->State(), s.reads);
        EXPECT_EQ(clicks, s.clicks);
    }
    box->SetChecked(true);
    box->SetChecked(true);
    EXPECT_EQ(clicks, 5);
}

TEST_F(KivCheck, ACheckBoxClickTogglesThenRepaintsThenReports)
{
    std::vector<std::string> log;
    auto* box = new TOrderedCheckBox(form);
    box->log = &log;
    box->SetParent(form);
    box->SetBounds(20, 20, 93, 17);
    box->OnClick = [&](TObject*) { log.push_back(box->Checked() ? "OnClick(checked)" : "OnClick(unchecked)"); };
    MoveTo(box, QPoint(5, 5));
    QTest::mouseClick(box->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    EXPECT_EQ(log, (std::vector<std::string>{"toggle(unchecked)", "OnClick(checked)"}));
}

TEST_F(KivCheck, TheFocusArrivingFromARadioGroupItemSelectsTheItem)
{
    auto* first = Place<TkivRadioGroupButton>(20, 20, 93, 17);
    auto* second = Place<TkivRadioGroupButton>(20, 50, 93, 17);
    auto* plain = Place<TkivRadioButton>(20, 80, 93, 17);
    auto* edit = Place<TEdit>(200, 20, 80, 21);
    first->SetChecked(true);
    Focus(first);
    Focus(second);  // as the arrow keys move it inside a radio group
    EXPECT_TRUE(second->Checked());
    EXPECT_FALSE(first->Checked());
    // From any other window: no selection.
    Focus(edit);
    Focus(first);
    EXPECT_FALSE(first->Checked());
    // A plain radio button is selected by the focus coming from a group item too.
    Focus(second);
    Focus(plain);
    EXPECT_TRUE(plain->Checked());
}

// ---------------------------------------------------------------------------------------------
// Stored forms

namespace {

class TCheckForm : public TForm {
    Q_OBJECT
public:
    explicit TCheckForm(TComponent* AOwner) : TForm(AOwner)
    {
        RegisterMethod("HexSendClick", &TCheckForm::HexSendClick);
    }
    void HexSendClick(TObject*) { ++clicks; }
    int clicks = 0;
};

}  // namespace

TEST_F(KivCheck, StoredFormsSetThePropertiesWithoutFiringOnClick)
{
    auto* f = new TCheckForm(Application);
    ReadComponentText(f, QByteArray(R"(object F: TCheckForm
  object HexSend: TkivCheckBox
    Left = 10
    Top = 10
    Width = 93
    Height = 17
    UIStyle = Protein
    AutoSize = True
    Caption = 'HexSend'
    Checked = True
    Transparent = False
    Color = clWhite
    TabOrder = 1
    OnClick = HexSendClick
  end
  object Odd: TkivRadioButton
    GroupIndex = 2
    State = cbChecked
    UIStyle = MacOS
  end
end
)"),
                      QStringLiteral("checks.dfm"));
    auto* box = dynamic_cast<TkivCheckBox*>(f->FindComponent(QStringLiteral("HexSend")));
    auto* odd = dynamic_cast<TkivRadioButton*>(f->FindComponent(QStringLiteral("Odd")));
    ASSERT_NE(box, nullptr);
    ASSERT_NE(odd, nullptr);
    EXPECT_EQ(box->UIStyle(), Protein);
    EXPECT_TRUE(box->AutoSize());
    EXPECT_EQ(box->Caption(), QStringLiteral("HexSend"));
    EXPECT_TRUE(box->Checked());
    EXPECT_FALSE(box->Transparent());
    EXPECT_EQ(box->Color(), clWhite);
    EXPECT_EQ(odd->GroupIndex(), 2);
    EXPECT_TRUE(odd->Checked());
    EXPECT_EQ(odd->UIStyle(), MacOS);
    EXPECT_EQ(f->clicks, 0) << "not while loading";
    box->SetChecked(false);
    EXPECT_EQ(f->clicks, 1) << "a change in code reports";
    for (const char* e : {"OnClick", "OnDblClick", "OnMouseDown", "OnMouseUp", "OnMouseMove", "OnKeyDown", "OnKeyUp",
                          "OnKeyPress", "OnEnter", "OnExit"})
        EXPECT_TRUE(box->HasEvent(QString::fromLatin1(e))) << e;
    delete f;
}

#include "test_kivcheckbox.moc"
