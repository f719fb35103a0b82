// The check group and the radio group: one item per line of Items placed in columns, items kept,
// freed and created as Items changes, the indexed access with its range errors, ItemIndex,
// OnClick once per change with the group as sender and never while loading, the focus passed to
// an item and marked, arrow keys moving the selection with real key events, and the group's
// font, style and transparency reaching its items.
#include "ButtonKit.h"
#include "StyleProtocolTest.h"
#include "framework/FormReader.h"
#include "framework/StdCtrls.h"
#include "framework/Strings.h"
#include "skin/controls/Kivradiogroup.h"

#include <QApplication>

using namespace skintest;
using testsupport::WaitFor;

using GroupTypes = ::testing::Types<TkivCheckGroup, TkivRadioGroup>;
INSTANTIATE_TYPED_TEST_SUITE_P(Groups, StyleProtocol, GroupTypes);

namespace {

// A radio group that records its NewClick hook and can refuse the user's selection.
class TRecordingRadioGroup : public TkivRadioGroup {
    Q_OBJECT
public:
    using TkivRadioGroup::TkivRadioGroup;
    std::vector<std::string>* log = nullptr;
    bool modifiable = true;
    bool CanModify() override { return modifiable; }

protected:
    void NewClick() override
    {
        if (log)
            log->push_back("NewClick");
    }
};

class KivGroup : public ButtonTest {
protected:
    template <class G>
    G* NewGroup(std::initializer_list<const char*> lines, int w = 185, int h = 105)
    {
        auto* g = Place<G>(10, 10, w, h);
        g->Font()->SetName(QStringLiteral("MS Sans Serif"));
        g->Font()->SetHeight(-11);
        g->SetCaption(QStringLiteral("Channel"));
        g->SetUIStyle(Protein);
        TStringList items;
        for (const char* l : lines)
            items.Add(QString::fromLatin1(l));
        g->SetItems(&items);
        return g;
    }
    static std::vector<TkivCheckBox*> ItemsOf(TkivCheckGroup* g)
    {
        std::vector<TkivCheckBox*> v;
        for (int i = 0; i < g->ButtonCount(); ++i)
            v.push_back(g->Buttons(i));
        return v;
    }
    static int ChildCount(TkivCheckGroup* g) { return g->ControlCount(); }
    // Whether the dotted focus frame is drawn at its left edge (x = box width + 3, over the text
    // rows): that column is background otherwise.
    static bool FocusMarked(TkivCheckBox* item, int boxWidth)
    {
        const QImage img = Render(item);
        const TColor back = ColorToRGB(item->Color());
        for (int y = 2; y < img.height() - 2; ++y)
            if (PixelAt(img, boxWidth + 3, y) != back)
                return true;
        return false;
    }
    static void Focus(TWinControl* c)
    {
        c->SetFocus();
        EXPECT_TRUE(WaitFor([c] { return c->Focused(); }));
    }
    // The look's box picture of an item in this state.
    static std::unique_ptr<TBitmap> BoxFrame(const TLook& look, bool radio, bool checked)
    {
        auto b = std::make_unique<TBitmap>();
        if (look.theme) {
            if (radio)
                look.theme->GetBitmap2(SKIN2_RADIOBUTTON, b.get(), 4, checked ? 1 : 2);
            else
                look.theme->GetBitmap2(SKIN2_CHECKBOX, b.get(), 6, checked ? 1 : 3);
        } else {
            GetInsideThemeBitmap(look.style, radio ? KIV_THEME_RADIOBUTTON_IMAGE : KIV_THEME_CHECKBOX_IMAGE, b.get(), 4,
                                 checked ? 1 : 2);
        }
        return b;
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Items and layout

TEST_F(KivGroup, ItemsAreOneControlPerLineBelongingToTheGroup)
{
    auto* checks = NewGroup<TkivCheckGroup>({"9600", "19200", "38400"});
    auto* radios = NewGroup<TkivRadioGroup>({"None", "Odd"});
    struct Case {
        TkivCheckGroup* group;
        const char* itemClass;
        std::vector<QString> texts;
    };
    for (const Case& c : {Case{checks, "TkivCheckGroupButton", {"9600", "19200", "38400"}},
                          Case{radios, "TkivRadioGroupButton", {"None", "Odd"}}}) {
        SCOPED_TRACE(c.itemClass);
        ASSERT_EQ(c.group->ButtonCount(), int(c.texts.size()));
        EXPECT_EQ(ChildCount(c.group), int(c.texts.size()));
        for (int i = 0; i < c.group->ButtonCount(); ++i) {
            TkivCheckBox* b = c.group->Buttons(i);
            EXPECT_STREQ(b->metaObject()->className(), c.itemClass);
            EXPECT_EQ(b->Caption(), c.texts[size_t(i)]);
            EXPECT_EQ(b->Parent(), c.group);
            EXPECT_EQ(b->Owner(), c.group);
            EXPECT_FALSE(b->TabStop());
            EXPECT_TRUE(b->AutoSize());
            EXPECT_TRUE(b->ParentColor());
            EXPECT_EQ(b->Font()->Height(), -11);
            EXPECT_EQ(b->Font()->Name(), QStringLiteral("MS Sans Serif"));
            EXPECT_EQ(b->UIStyle(), Protein);
            if (auto* cb = dynamic_cast<TkivCheckGroupButton*>(b)) {
                EXPECT_EQ(cb->Group(), c.group);
            } else {
                auto* rb = dynamic_cast<TkivRadioGroupButton*>(b);
                ASSERT_NE(rb, nullptr);
                EXPECT_EQ(rb->Group(), c.group);
            }
        }
        EXPECT_THROW(c.group->Buttons(int(c.texts.size())), EListError);
    }
    // The defaults of a new group.
    TkivRadioGroup loose(nullptr);
    EXPECT_EQ(loose.Columns(), 1);
    EXPECT_EQ(loose.TopMargin(), 8);
    EXPECT_TRUE(loose.TabStop());
    EXPECT_TRUE(loose.ParentColor());
    EXPECT_FALSE(loose.Transparent());
    EXPECT_EQ(loose.ButtonCount(), 0);
    EXPECT_EQ(loose.ItemIndex(), -1);
    for (const char* p : {"Items", "Columns", "TopMargin", "FontColor", "BorderColor", "Cursor", "ItemIndex",
                          "Caption", "UIStyle", "FileTheme", "Transparent"})
        EXPECT_TRUE(IsHasProperty(&loose, QLatin1String(p))) << p;
}

TEST_F(KivGroup, ItemsArePlacedColumnByColumnWithTheRemainderSplitAboveTheFirstRow)
{
    struct Case {
        const char* name;
        int count, columns, width, height, topMargin;
        std::vector<int> lefts, tops;
    };
    // GetClient is (3, 11, W - 2, H - 2) with the -11 font; the rows start TopMargin below it.
    const Case cases[] = {
        {"5 in 2 columns", 5, 2, 185, 105, 8, {8, 8, 8, 95, 95}, {19, 47, 75, 19, 47}},
        {"5 in 2 columns, remainder 2", 5, 2, 185, 107, 8, {8, 8, 8, 95, 95}, {20, 48, 76, 20, 48}},
        {"5 in 2 columns, remainder 1", 5, 2, 200, 90, 4, {8, 8, 8, 103, 103}, {15, 39, 63, 15, 39}},
        {"3 in 1 column, no margin", 3, 1, 185, 105, 0, {8, 8, 8}, {12, 42, 72}},
        {"4 in 3 columns", 4, 3, 185, 105, 8, {8, 8, 66, 66}, {19, 61, 19, 61}},
        {"7 in 3 columns", 7, 3, 240, 120, 8, {8, 8, 8, 84, 84, 84, 160}, {19, 52, 85, 19, 52, 85, 19}},
        {"1 item", 1, 1, 185, 105, 8, {8}, {19}},
    };
    for (bool radio : {false, true}) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(radio ? "radio: " : "check: ") + c.name);
            TkivCheckGroup* g = radio ? static_cast<TkivCheckGroup*>(NewGroup<TkivRadioGroup>({}, c.width, c.height))
                                      : NewGroup<TkivCheckGroup>({}, c.width, c.height);
            g->SetColumns(c.columns);
            g->SetTopMargin(c.topMargin);
            for (int i = 0; i < c.count; ++i)
                g->Items()->Add(QStringLiteral("Item %1").arg(i));
            EXPECT_EQ(g->GetClient(), Rect(3, 11, c.width - 2, c.height - 2));
            ASSERT_EQ(g->ButtonCount(), c.count);
            for (int i = 0; i < c.count; ++i) {
                EXPECT_EQ(g->Buttons(i)->Left(), c.lefts[size_t(i)]) << "item " << i;
                EXPECT_EQ(g->Buttons(i)->Top(), c.tops[size_t(i)]) << "item " << i;
            }
            delete g;
        }
    }
}

TEST_F(KivGroup, ColumnsAndTopMarginIgnoreValuesThatGiveNoLayout)
{
    auto* g = NewGroup<TkivCheckGroup>({"a", "b", "c", "d", "e"});
    g->SetColumns(2);
    EXPECT_EQ(g->Buttons(3)->Left(), 95);
    for (int bad : {0, -1, -7}) {
        g->SetColumns(bad);
        EXPECT_EQ(g->Columns(), 2) << bad;
        EXPECT_EQ(g->Buttons(3)->Left(), 95);
    }
    g->SetTopMargin(-3);
    EXPECT_EQ(g->TopMargin(), 8);
    EXPECT_EQ(g->Buttons(0)->Top(), 19);
    g->SetTopMargin(0);
    EXPECT_EQ(g->TopMargin(), 0);
    EXPECT_EQ(g->Buttons(0)->Top(), 11 + (92 % 3) / 2);
    // By name too, as a stored form sets them.
    ASSERT_TRUE(g->setProperty("Columns", 0));
    EXPECT_EQ(g->Columns(), 2);
    ASSERT_TRUE(g->setProperty("Columns", 5));
    EXPECT_EQ(g->Buttons(4)->Left(), 8 + 4 * (175 / 5));
    // A resize places the items again.
    g->SetColumns(1);
    g->SetBounds(10, 10, 185, 70);
    EXPECT_EQ(g->Buttons(4)->Top(), 11 + 4 * (57 / 5) + (57 % 5) / 2);
}

TEST_F(KivGroup, RightToLeftPlacesItemsFromTheRightEdgeWhateverTheLocale)
{
    auto* g = NewGroup<TkivCheckGroup>({"a", "bb", "ccc", "dddd", "eeeee"});
    g->SetColumns(2);
    g->SetBiDiMode(bdRightToLeft);
    g->SetColumns(2);  // rearranged
    for (int i = 0; i < 5; ++i) {
        TkivCheckBox* b = g->Buttons(i);
        EXPECT_EQ(b->Left(), 185 - (i / 3) * 87 - 8 - b->Width()) << "item " << i;
        EXPECT_EQ(b->Top(), 19 + (i % 3) * 28) << "item " << i;
    }
}

TEST_F(KivGroup, FewerLinesFreeTheLastItemsAndTheOthersKeepTheirState)
{
    auto* g = NewGroup<TkivCheckGroup>({"a", "b", "c", "d", "e"});
    g->SetChecked(1, true);
    g->SetChecked(3, true);
    g->SetChecked(4, true);
    const std::vector<TkivCheckBox*> before = ItemsOf(g);
    TStringList three;
    three.Add(QStringLiteral("x"));
    three.Add(QStringLiteral("y"));
    three.Add(QStringLiteral("z"));
    g->SetItems(&three);
    ASSERT_EQ(g->ButtonCount(), 3);
    EXPECT_EQ(ChildCount(g), 3);
    EXPECT_EQ(ItemsOf(g), std::vector<TkivCheckBox*>(before.begin(), before.begin() + 3)) << "the first three stay";
    EXPECT_EQ(g->Buttons(0)->Caption(), QStringLiteral("x"));
    EXPECT_EQ(g->Buttons(2)->Caption(), QStringLiteral("z"));
    EXPECT_FALSE(g->GetChecked(0));
    EXPECT_TRUE(g->GetChecked(1));
    EXPECT_FALSE(g->GetChecked(2));
    EXPECT_FALSE(g->GetChecked(3));
    // Grown again: new, unchecked items.
    g->Items()->Add(QStringLiteral("u"));
    g->Items()->Add(QStringLiteral("v"));
    ASSERT_EQ(g->ButtonCount(), 5);
    EXPECT_FALSE(g->GetChecked(3));
    EXPECT_FALSE(g->GetChecked(4));
    EXPECT_TRUE(g->GetChecked(1));
    // Cleared: no item left.
    g->Items()->Clear();
    EXPECT_EQ(g->ButtonCount(), 0);
    EXPECT_EQ(ChildCount(g), 0);

    // A radio group loses a selection that was among the freed items.
    auto* r = NewGroup<TkivRadioGroup>({"a", "b", "c"});
    r->SetItemIndex(2);
    r->Items()->Delete(2);
    EXPECT_EQ(r->ItemIndex(), -1);
    r->SetItemIndex(0);
    r->Items()->Delete(1);
    EXPECT_EQ(r->ItemIndex(), 0);
}

TEST_F(KivGroup, AnItemFreedBehindTheGroupsBackIsDroppedAndReplacedLater)
{
    auto* g = NewGroup<TkivCheckGroup>({"a", "b", "c"});
    g->SetChecked(2, true);
    delete g->Buttons(1);
    ASSERT_EQ(g->ButtonCount(), 2);
    EXPECT_EQ(g->Buttons(1)->Caption(), QStringLiteral("c"));
    EXPECT_TRUE(g->GetChecked(1));
    EXPECT_FALSE(g->GetChecked(2));
    g->SetColumns(2);  // arranging the rest is safe
    g->Items()->Add(QStringLiteral("d"));
    ASSERT_EQ(g->ButtonCount(), 4);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(g->Buttons(i)->Caption(), g->Items()->Get(i));
}

TEST_F(KivGroup, IndexedAccessAnswersFalseOutsideAndSettersRaise)
{
    auto* g = NewGroup<TkivCheckGroup>({"a", "b", "c"});
    g->SetChecked(2, true);
    g->SetItemEnabled(1, false);
    struct Case {
        int index;
        bool checked, enabled;
    };
    for (const Case& c : {Case{0, false, true}, Case{1, false, false}, Case{2, true, true}}) {
        EXPECT_EQ(g->GetChecked(c.index), c.checked) << c.index;
        EXPECT_EQ(g->GetItemEnabled(c.index), c.enabled) << c.index;
        EXPECT_EQ(g->Buttons(c.index)->Checked(), c.checked);
        EXPECT_EQ(g->Buttons(c.index)->Enabled(), c.enabled);
    }
    for (int bad : {-1, 3, 100, -100}) {
        SCOPED_TRACE(bad);
        EXPECT_FALSE(g->GetChecked(bad));
        EXPECT_FALSE(g->GetItemEnabled(bad));
        EXPECT_THROW(g->SetChecked(bad, true), EListError);
        EXPECT_THROW(g->SetItemEnabled(bad, true), EListError);
    }
    try {
        g->SetChecked(3, true);
    } catch (const EListError& e) {
        EXPECT_TRUE(e.Message().contains(QLatin1String("3"))) << e.Message().toStdString();
    }
    // The disabled item shows the disabled frame.
    auto disabled = std::make_unique<TBitmap>();
    GetInsideThemeBitmap(Protein, KIV_THEME_CHECKBOX_IMAGE, disabled.get(), 4, 4);
    const QImage img = Render(g->Buttons(1));
    const int boxTop = (g->Buttons(1)->Height() - disabled->Height()) / 2;
    for (int y = 0; y < disabled->Height(); ++y)
        for (int x = 0; x < disabled->Width(); ++x)
            EXPECT_EQ(PixelAt(img, 1 + x, boxTop + y), disabled->Canvas()->Pixels(x, y)) << x << "," << y;
}

// ---------------------------------------------------------------------------------------------
// Selection and clicks

TEST_F(KivGroup, ItemIndexSelectsOneItemClearsWithMinusOneAndIgnoresTheRest)
{
    auto* g = NewGroup<TkivRadioGroup>({"a", "b", "c", "d"});
    std::vector<TObject*> senders;
    g->OnClick = [&](TObject* s) { senders.push_back(s); };
    struct Step {
        int write;
        int reads;
        size_t clicks;  // OnClick so far
    };
    const Step steps[] = {
        {1, 1, 1},  {1, 1, 1},   // the same again: no change, no event
        {3, 3, 2},  {4, 3, 2},   // Items.Count: ignored
        {-2, 3, 2}, {99, 3, 2},  // out of range: ignored
        {-1, -1, 2},             // cleared; unchecking reports nothing
        {0, 0, 3},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE("ItemIndex := " + std::to_string(s.write));
        g->SetItemIndex(s.write);
        EXPECT_EQ(g->ItemIndex(), s.reads);
        EXPECT_EQ(senders.size(), s.clicks);
        int checked = 0;
        for (int i = 0; i < 4; ++i)
            checked += g->GetChecked(i);
        EXPECT_EQ(checked, s.reads < 0 ? 0 : 1);
    }
    for (TObject* s : senders)
        EXPECT_EQ(s, g);
    // Through SetChecked the same rules hold.
    g->SetChecked(2, true);
    EXPECT_EQ(g->ItemIndex(), 2);
    EXPECT_FALSE(g->GetChecked(0));
    EXPECT_EQ(senders.size(), 4u);
    // ItemIndex is the first checked item.
    g->SetItemIndex(-1);
    EXPECT_EQ(g->ItemIndex(), -1);
}

TEST_F(KivGroup, OnClickFiresOncePerChangeWithTheGroupAsSender)
{
    auto* r = NewGroup<TkivRadioGroup>({"a", "b", "c"});
    auto* c = NewGroup<TkivCheckGroup>({"x", "y"});
    c->SetBounds(200, 10, 185, 105);
    std::vector<std::string> log;
    r->OnClick = [&](TObject* s) { log.push_back(s == r ? "radio group" : "radio: other sender"); };
    c->OnClick = [&](TObject* s) { log.push_back(s == c ? "check group" : "check: other sender"); };
    auto click = [&](TControl* w, QPoint at) {
        MoveTo(w, at);
        QTest::mouseClick(w->Widget(), Qt::LeftButton, Qt::NoModifier, at);
    };
    click(r->Buttons(1), QPoint(5, 8));
    click(r->Buttons(1), QPoint(5, 8));  // already selected: no change
    click(r->Buttons(2), QPoint(5, 8));
    EXPECT_EQ(r->ItemIndex(), 2);
    EXPECT_EQ(log, (std::vector<std::string>{"radio group", "radio group"}));
    log.clear();
    click(c->Buttons(0), QPoint(5, 8));
    click(c->Buttons(0), QPoint(5, 8));
    c->SetChecked(1, true);
    c->SetChecked(1, true);
    c->SetChecked(1, false);
    EXPECT_EQ(log, (std::vector<std::string>{"check group", "check group", "check group", "check group"}));
    EXPECT_FALSE(c->GetChecked(0));
    // The group's own click, on its frame, reports with the group as sender too.
    log.clear();
    click(c, QPoint(180, 100));
    EXPECT_EQ(log, (std::vector<std::string>{"check group"}));
}

TEST_F(KivGroup, TheHookRunsFirstAndAGroupThatCannotBeModifiedKeepsItsSelection)
{
    std::vector<std::string> log;
    auto* g = new TRecordingRadioGroup(form);
    g->SetParent(form);
    g->SetBounds(10, 10, 185, 105);
    g->log = &log;
    g->Items()->Add(QStringLiteral("a"));
    g->Items()->Add(QStringLiteral("b"));
    g->OnClick = [&](TObject*) { log.push_back("OnClick"); };
    g->SetItemIndex(0);
    EXPECT_EQ(log, (std::vector<std::string>{"NewClick", "OnClick"}));
    log.clear();
    g->modifiable = false;
    MoveTo(g->Buttons(1), QPoint(5, 8));
    QTest::mouseClick(g->Buttons(1)->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 8));
    EXPECT_EQ(g->ItemIndex(), 0) << "the user's click is refused";
    EXPECT_TRUE(log.empty());
    g->SetItemIndex(1);
    EXPECT_EQ(g->ItemIndex(), 1) << "the program may still select";
}

namespace {

class TGroupForm : public TForm {
    Q_OBJECT
public:
    explicit TGroupForm(TComponent* AOwner) : TForm(AOwner) { RegisterMethod("GroupClick", &TGroupForm::GroupClick); }
    void GroupClick(TObject* Sender) { senders.push_back(Sender); }
    std::vector<TObject*> senders;
};

}  // namespace

TEST_F(KivGroup, StoredGroupsLoadTheirItemsAndSelectionWithoutOnClick)
{
    auto* f = new TGroupForm(Application);
    ReadComponentText(f, QByteArray(R"(object F: TGroupForm
  Width = 420
  Height = 300
  object Parity: TkivRadioGroup
    Left = 8
    Top = 8
    Width = 185
    Height = 105
    Caption = 'Parity'
    UIStyle = Protein
    Font.Height = -11
    Font.Name = 'MS Sans Serif'
    Items.Strings = (
      'NO'
      'ODD'
      'EVEN'
      'MARK'
      'SPACE')
    Columns = 2
    TopMargin = 8
    ItemIndex = 1
    OnClick = GroupClick
  end
  object Options: TkivCheckGroup
    Left = 200
    Top = 8
    Caption = 'Options'
    UIStyle = MacOS
    Items.Strings = (
      'HexSend'
      'HexShow')
    FontColor = clBlue
    Cursor = crHandPoint
    Transparent = True
    OnClick = GroupClick
  end
end
)"),
                      QStringLiteral("groups.dfm"));
    auto* parity = dynamic_cast<TkivRadioGroup*>(f->FindComponent(QStringLiteral("Parity")));
    auto* options = dynamic_cast<TkivCheckGroup*>(f->FindComponent(QStringLiteral("Options")));
    ASSERT_NE(parity, nullptr);
    ASSERT_NE(options, nullptr);
    EXPECT_TRUE(f->senders.empty()) << "not while loading";
    ASSERT_EQ(parity->ButtonCount(), 5);
    EXPECT_EQ(parity->ItemIndex(), 1);
    EXPECT_EQ(parity->Columns(), 2);
    EXPECT_EQ(parity->Buttons(4)->Caption(), QStringLiteral("SPACE"));
    EXPECT_EQ(parity->Buttons(3)->Left(), 95);
    EXPECT_EQ(parity->Buttons(4)->Top(), 47);
    EXPECT_EQ(parity->Caption(), QStringLiteral("Parity"));
    ASSERT_EQ(options->ButtonCount(), 2);
    EXPECT_EQ(options->UIStyle(), MacOS);
    EXPECT_EQ(options->Buttons(1)->UIStyle(), MacOS);
    EXPECT_EQ(options->FontColor(), clBlue);
    EXPECT_EQ(options->Buttons(0)->Font()->Color(), clBlue);
    EXPECT_EQ(options->Buttons(1)->Cursor(), crHandPoint);
    EXPECT_TRUE(options->Buttons(0)->Transparent());
    parity->SetItemIndex(3);
    options->SetChecked(0, true);
    EXPECT_EQ(f->senders, (std::vector<TObject*>{parity, options}));
    delete f;
}

// ---------------------------------------------------------------------------------------------
// Focus and keys

TEST_F(KivGroup, TheGroupPassesTheFocusToAnItemAndTheItemsMarkIt)
{
    auto* checks = NewGroup<TkivCheckGroup>({"a", "b", "c"});
    auto* radios = NewGroup<TkivRadioGroup>({"a", "b", "c"});
    radios->SetBounds(200, 10, 185, 105);
    auto* edit = Place<TEdit>(10, 200, 80, 21);

    checks->SetFocus();
    EXPECT_TRUE(WaitFor([&] { return checks->Buttons(0)->Focused(); })) << "item 0 of a check group";
    EXPECT_TRUE(FocusMarked(checks->Buttons(0), 13)) << "a focused check item is marked, tab stop or not";
    EXPECT_FALSE(FocusMarked(checks->Buttons(1), 13));

    radios->SetItemIndex(2);
    radios->SetFocus();
    EXPECT_TRUE(WaitFor([&] { return radios->Buttons(2)->Focused(); })) << "the selected item of a radio group";
    EXPECT_TRUE(FocusMarked(radios->Buttons(2), 13));
    EXPECT_FALSE(FocusMarked(radios->Buttons(1), 13));
    Focus(edit);
    EXPECT_FALSE(FocusMarked(radios->Buttons(2), 13));
    EXPECT_FALSE(FocusMarked(checks->Buttons(0), 13));
    // An unselected radio item with the focus (from outside the group, so it is not selected) is
    // not marked.
    Focus(radios->Buttons(0));
    EXPECT_FALSE(radios->Buttons(0)->Checked());
    EXPECT_FALSE(FocusMarked(radios->Buttons(0), 13));
    // Without a selection the radio group keeps the focus itself.
    radios->SetItemIndex(-1);
    Focus(edit);
    Focus(radios);
    QCoreApplication::processEvents();
    EXPECT_TRUE(radios->Focused());
}

TEST_F(KivGroup, ArrowKeysMoveTheSelectionBetweenRadioItems)
{
    auto* g = NewGroup<TkivRadioGroup>({"a", "b", "c", "d"});
    auto* other = NewGroup<TkivRadioGroup>({"x", "y"});
    other->SetBounds(200, 10, 185, 105);
    other->SetItemIndex(0);
    std::vector<int> selections;
    g->OnClick = [&](TObject* s) {
        EXPECT_EQ(s, g);
        selections.push_back(g->ItemIndex());
    };
    g->SetItemIndex(0);
    selections.clear();
    g->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return g->Buttons(0)->Focused(); }));
    struct Step {
        Qt::Key key;
        int focused;  // the item that has the focus and the selection afterwards
    };
    const Step steps[] = {{Qt::Key_Down, 1}, {Qt::Key_Right, 2}, {Qt::Key_Up, 1}, {Qt::Key_Left, 0},
                          {Qt::Key_Up, 3},   {Qt::Key_Down, 0}};  // wrapping round at both ends
    std::vector<int> expected;
    for (const Step& s : steps) {
        SCOPED_TRACE("key " + std::to_string(int(s.key)) + " -> item " + std::to_string(s.focused));
        QWidget* w = QApplication::focusWidget();
        ASSERT_NE(w, nullptr);
        QTest::keyClick(w, s.key);
        EXPECT_TRUE(WaitFor([&] { return g->Buttons(s.focused)->Focused(); }));
        EXPECT_EQ(g->ItemIndex(), s.focused);
        expected.push_back(s.focused);
    }
    EXPECT_EQ(selections, expected) << "one OnClick per step";
    EXPECT_EQ(other->ItemIndex(), 0) << "another group's selection stays";

    // A disabled item is passed over.
    g->SetItemEnabled(1, false);
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(WaitFor([&] { return g->Buttons(2)->Focused(); }));
    EXPECT_EQ(g->ItemIndex(), 2);

    // In a check group the arrows move the focus and check nothing.
    auto* checks = NewGroup<TkivCheckGroup>({"a", "b", "c"});
    checks->SetBounds(10, 150, 185, 105);
    checks->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return checks->Buttons(0)->Focused(); }));
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
    EXPECT_TRUE(WaitFor([&] { return checks->Buttons(1)->Focused(); }));
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(checks->GetChecked(i)) << i;
    // Space checks the focused check item.
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
    EXPECT_TRUE(checks->GetChecked(1));
}

// ---------------------------------------------------------------------------------------------
// Look

TEST_F(KivGroup, TheGroupsStyleAndColourReachEveryItemInEveryLook)
{
    auto* checks = NewGroup<TkivCheckGroup>({"a", "b"});
    auto* radios = NewGroup<TkivRadioGroup>({"a", "b"});
    radios->SetBounds(200, 10, 185, 105);
    checks->SetChecked(0, true);
    radios->SetItemIndex(0);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        for (TkivCheckGroup* g : {checks, static_cast<TkivCheckGroup*>(radios)}) {
            const bool radio = g == radios;
            SCOPED_TRACE(radio ? "radio" : "check");
            g->SetColor(TColor(0xE0F0FF));
            ApplyLook(g, look);
            EXPECT_EQ(g->BorderColor(), look.theme ? look.theme->GetColor(SKIN2_CONTROLBORDERCOLOR)
                                                   : GetInsideThemeColor(look.style, KIV_THEME_CONTROL_BORDER_COLOR));
            for (int i = 0; i < 2; ++i) {
                TkivCheckBox* b = g->Buttons(i);
                EXPECT_EQ(b->UIStyle(), look.style);
                EXPECT_EQ(b->FileTheme(), look.theme);
                EXPECT_EQ(b->Color(), TColor(0xE0F0FF));
                // The item draws the look's box for its state at (1, boxTop).
                auto box = BoxFrame(look, radio, i == 0);
                const QImage img = Render(b);
                const int boxTop = (b->Height() - box->Height()) / 2;
                const TColor key = box->Canvas()->Pixels(0, box->Height() - 1);
                int compared = 0;
                for (int y = 0; y < box->Height(); ++y)
                    for (int x = 0; x < box->Width(); ++x) {
                        const TColor c = box->Canvas()->Pixels(x, y);
                        if (radio && c == key)
                            continue;  // the radio picture's transparent colour
                        ++compared;
                        EXPECT_EQ(PixelAt(img, 1 + x, boxTop + y), c) << "item " << i << " " << x << "," << y;
                    }
                EXPECT_GT(compared, 20);
            }
        }
    }
    // After a style change the items go on following the group's colour, also when the group's
    // colour follows its parent.
    checks->SetParentColor(true);
    EXPECT_EQ(checks->Color(), form->Color());
    form->SetColor(TColor(0x80FF80));
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(checks->Buttons(i)->Color(), TColor(0x80FF80)) << i;
        const QImage img = Render(checks->Buttons(i));
        EXPECT_EQ(PixelAt(img, img.width() - 1, 0), TColor(0x80FF80)) << i;
    }
    // Deleting the theme: group and items fall back to DeepBlue.
    ApplyLook(radios, TLook{"skin", FromThemeFile, skin});
    delete skin;
    skin = nullptr;
    EXPECT_EQ(radios->UIStyle(), DeepBlue);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(radios->Buttons(i)->UIStyle(), DeepBlue);
        EXPECT_EQ(radios->Buttons(i)->FileTheme(), nullptr);
    }
}

TEST_F(KivGroup, FontTransparencyAndCursorAreCopiedToTheItems)
{
    auto* g = NewGroup<TkivCheckGroup>({"a", "b"});
    const int smallHeight = g->Buttons(0)->Height();
    g->Font()->SetHeight(-16);
    g->Font()->SetName(QStringLiteral("Tahoma"));
    g->SetFontColor(TColor(0x800000));
    for (int i = 0; i < 2; ++i) {
        TkivCheckBox* b = g->Buttons(i);
        EXPECT_EQ(b->Font()->Height(), -16);
        EXPECT_EQ(b->Font()->Name(), QStringLiteral("Tahoma"));
        EXPECT_EQ(b->Font()->Color(), TColor(0x800000));
        EXPECT_NE(b->Font(), g->Font()) << "a copy";
        Render(b);
        EXPECT_GT(b->Height(), smallHeight) << "the item sized itself to the new font";
    }
    EXPECT_EQ(g->property("FontColor").value<TColor>(), TColor(0x800000));
    // An item may then have a font of its own.
    g->Buttons(1)->Font()->SetHeight(-9);
    EXPECT_EQ(g->Font()->Height(), -16);

    g->SetTransparent(true);
    for (int i = 0; i < 2; ++i)
        EXPECT_TRUE(g->Buttons(i)->Transparent());
    g->SetCursor2(crHandPoint);
    g->Items()->Add(QStringLiteral("c"));
    for (int i = 0; i < 3; ++i) {
        EXPECT_TRUE(g->Buttons(i)->Transparent()) << "new items take the group's transparency";
        EXPECT_EQ(g->Buttons(i)->Cursor(), crHandPoint);
    }
    EXPECT_EQ(g->Buttons(2)->Font()->Height(), -16);
    EXPECT_EQ(g->Cursor(), crHandPoint);
    g->SetTransparent(false);
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(g->Buttons(i)->Transparent());
    // Transparent items of a transparent group show what is under the group; opaque ones the
    // group's Color.
    g->SetColor(TColor(0x40A0F0));
    g->SetTransparent(true);
    const QImage through = Render(g->Buttons(0));
    EXPECT_EQ(PixelAt(through, through.width() - 1, 0), form->Color());
    g->SetTransparent(false);
    const QImage opaque = Render(g->Buttons(0));
    EXPECT_EQ(PixelAt(opaque, opaque.width() - 1, 0), TColor(0x40A0F0));
}

#include "test_kivradiogroup.moc"
