// Menu items and menus without windows: shortcut texts, accelerators, the item tree and its
// errors, change and insertion notices, radio and auto-check items, IsShortCut, and menus read
// from stored form definitions.
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"

#include <QPointer>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>

namespace {

class Menus : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
};

// Shift and Ctrl are read from the keyboard's state, which the last key event set: a plain key
// event puts it back to no modifiers.
void ReleaseModifiers()
{
    QWidget w;
    QTest::keyClick(&w, Qt::Key_A);
}

TMenuItem* NewItem(TComponent* owner, const char* caption, TMenuItem* parent = nullptr)
{
    auto* item = new TMenuItem(owner);
    item->SetCaption(QString::fromUtf8(caption));
    if (parent)
        parent->Add(item);
    return item;
}

// A menu that records what its MenuChanged override is told.
class TRecordingMenu : public TMainMenu {
public:
    using TMainMenu::TMainMenu;
    struct Change {
        TObject* Sender;
        TMenuItem* Source;
        bool Rebuild;
    };
    std::vector<Change> changes;
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override
    {
        changes.push_back({Sender, Source, Rebuild});
        TMainMenu::MenuChanged(Sender, Source, Rebuild);
    }
};

// A component that records the insertion notices its owner passes on, with the type they show.
class TWatcher : public TComponent {
public:
    using TComponent::TComponent;
    int itemInserts = 0, popupInserts = 0, mainInserts = 0, removals = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TComponent::Notification(AComponent, Operation);
        if (Operation == opRemove) {
            ++removals;
            return;
        }
        if (dynamic_cast<TMenuItem*>(AComponent))
            ++itemInserts;
        if (dynamic_cast<TPopupMenu*>(AComponent))
            ++popupInserts;
        if (dynamic_cast<TMainMenu*>(AComponent))
            ++mainInserts;
    }
};

}  // namespace

TEST_F(Menus, ShortCutTextsAndBack)
{
    struct Case {
        TShortCut sc;
        const char* text;
    } cases[] = {
        {ShortCut('S', ssCtrl), "Ctrl+S"},
        {VK_F1, "F1"},
        {TShortCut(VK_F12), "F12"},
        {ShortCut(VK_DELETE, ssShift), "Shift+Del"},
        {ShortCut(VK_RETURN, ssShift | ssCtrl | ssAlt), "Shift+Ctrl+Alt+Enter"},
        {ShortCut('0', ssAlt), "Alt+0"},
        {ShortCut(VK_INSERT, ssCtrl), "Ctrl+Ins"},
        {TShortCut(VK_BACK), "BkSp"},
        {TShortCut(VK_ESCAPE), "Esc"},
        {TShortCut(VK_NUMPAD0 + 5), "Num 5"},
        {ShortCut(VK_OEM_COMMA, ssCtrl), "Ctrl+,"},
        {TShortCut(VK_PRIOR), "PgUp"},
        {TShortCut(VK_F1 + 23), "F24"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ShortCutToText(c.sc), QString::fromUtf8(c.text));
        EXPECT_EQ(TextToShortCut(QString::fromUtf8(c.text)), c.sc) << c.text;
        EXPECT_EQ(TextToShortCut(QString::fromUtf8(c.text).toLower()), c.sc) << "any case: " << c.text;
    }
    // The stored form's number for Ctrl+O.
    EXPECT_EQ(ShortCut('O', ssCtrl), 16463);
    // Keys without a name have no text, whatever the modifiers.
    EXPECT_EQ(ShortCutToText(0), QString());
    EXPECT_EQ(ShortCutToText(scCtrl), QString());
    EXPECT_EQ(ShortCutToText(TShortCut(0xFF | scShift)), QString());
    EXPECT_EQ(ShortCut(0x1FF, ssCtrl), 0) << "keys above a byte make no shortcut";
    EXPECT_EQ(TextToShortCut(QStringLiteral("^S")), ShortCut('S', ssCtrl));
    for (const char* bad : {"", "Ctrl+", "Hyper+X", "Ctrl+Banana", "S+Ctrl"})
        EXPECT_EQ(TextToShortCut(QString::fromUtf8(bad)), 0) << bad;
    WORD key = 0;
    TShiftState shift = 0;
    ShortCutToKey(ShortCut('Q', ssShift | ssAlt), key, shift);
    EXPECT_EQ(key, 'Q');
    EXPECT_EQ(shift, ssShift | ssAlt);
}

TEST_F(Menus, AcceleratorMarks)
{
    struct Case {
        const char* caption;
        const char* stripped;
        const char* hotkey;
    } cases[] = {
        {"&File", "File", "F"},      {"Save &As...", "Save As...", "A"}, {"A&&B", "A&B", ""},
        {"&&&X", "&X", "X"},         {"End&", "End", ""},                {"", "", ""},
        {"No marks", "No marks", ""}, {"&a&b", "ab", "a"},
    };
    for (const Case& c : cases) {
        const QString caption = QString::fromUtf8(c.caption);
        EXPECT_EQ(StripHotkey(caption), QString::fromUtf8(c.stripped)) << c.caption;
        EXPECT_EQ(GetHotkey(caption), QString::fromUtf8(c.hotkey)) << c.caption;
    }
    EXPECT_TRUE(IsAccel('F', QStringLiteral("&file")));
    EXPECT_TRUE(IsAccel('f', QStringLiteral("&File")));
    EXPECT_FALSE(IsAccel('B', QStringLiteral("A&&B")));
}

TEST_F(Menus, TheItemTreeAndItsErrors)
{
    TComponent owner(nullptr);
    TMainMenu menu(&owner);
    TMenuItem* root = menu.Items();
    TMenuItem* file = NewItem(&owner, "&File", root);
    TMenuItem* open = NewItem(&owner, "&Open", file);
    TMenuItem* save = NewItem(&owner, "&Save", file);
    TMenuItem* first = new TMenuItem(&owner);
    file->Insert(0, first);
    ASSERT_EQ(file->Count(), 3);
    EXPECT_EQ(file->Items(0), first);
    EXPECT_EQ((*file)[2], save);
    EXPECT_EQ(open->MenuIndex(), 1);
    EXPECT_EQ(open->Parent(), file);
    EXPECT_EQ(open->GetParentMenu(), &menu);
    EXPECT_EQ(file->Find(QStringLiteral("SAVE")), save) << "found without marks, in any case";
    EXPECT_EQ(file->Find(QStringLiteral("&open")), open);
    EXPECT_EQ(file->Find(QStringLiteral("Close")), nullptr);

    save->SetMenuIndex(0);
    EXPECT_EQ(file->IndexOf(save), 0);
    EXPECT_EQ(file->IndexOf(first), 1);

    // Errors leave the tree as it was.
    EXPECT_THROW(root->Add(open), EMenuError) << "an item already in a menu";
    EXPECT_THROW(open->Add(file), EMenuError) << "a parent into its own child";
    EXPECT_THROW(file->Insert(file->Count() + 1, new TMenuItem(&owner)), EMenuError);
    EXPECT_THROW(file->Items(3), EMenuError);
    EXPECT_THROW(file->Delete(-1), EMenuError);
    EXPECT_THROW(root->Add(menu.Items()), EMenuError);
    EXPECT_EQ(file->Count(), 3);

    // Delete takes an item out without freeing it; Remove finds it first.
    file->Delete(file->IndexOf(first));
    EXPECT_EQ(first->Parent(), nullptr);
    EXPECT_EQ(file->Count(), 2);
    EXPECT_THROW(file->Remove(first), EMenuError);
    root->Add(first);
    root->Remove(first);
    delete first;

    // Freeing an item takes it out of its parent; freeing a parent frees its sub-items.
    QPointer<TMenuItem> openGuard(open), saveGuard(save);
    delete open;
    EXPECT_EQ(file->Count(), 1);
    delete file;
    EXPECT_TRUE(saveGuard.isNull());
    EXPECT_EQ(root->Count(), 0);
    EXPECT_EQ(owner.FindComponent(QStringLiteral("x")), nullptr);

    // Clear frees every sub-item.
    TMenuItem* edit = NewItem(&owner, "&Edit", root);
    QPointer<TMenuItem> cut(NewItem(&owner, "Cu&t", edit));
    edit->Clear();
    EXPECT_TRUE(cut.isNull());
    EXPECT_EQ(edit->Count(), 0);
}

TEST_F(Menus, ChangesReachTheMenu)
{
    TComponent owner(nullptr);
    auto* menu = new TRecordingMenu(&owner);
    int onChange = 0;
    TMenuItem* lastSource = nullptr;
    menu->OnChange = [&](TObject* sender, TMenuItem* source, bool) {
        EXPECT_EQ(sender, menu);
        lastSource = source;
        ++onChange;
    };
    TMenuItem* file = new TMenuItem(&owner);
    menu->Items()->Add(file);
    ASSERT_EQ(menu->changes.size(), 1u);
    EXPECT_EQ(menu->changes[0].Source, file);
    EXPECT_EQ(menu->changes[0].Sender, menu->Items());
    EXPECT_TRUE(menu->changes[0].Rebuild) << "an insertion rebuilds";

    TMenuItem* open = new TMenuItem(&owner);
    file->Add(open);
    EXPECT_EQ(menu->changes.back().Source, open) << "a sub-item's insertion reaches the menu";
    EXPECT_EQ(menu->changes.back().Sender, file);

    const size_t before = menu->changes.size();
    open->SetCaption(QStringLiteral("&Open"));
    open->SetCaption(QStringLiteral("&Open"));  // no change
    open->SetEnabled(false);
    open->SetShortCut(ShortCut('O', ssCtrl));
    ASSERT_EQ(menu->changes.size(), before + 3);
    EXPECT_FALSE(menu->changes.back().Rebuild) << "a property change keeps the list";
    open->SetVisible(false);
    EXPECT_TRUE(menu->changes.back().Rebuild) << "hiding an item changes the list";
    file->Remove(open);
    EXPECT_EQ(menu->changes.back().Source, open);
    EXPECT_EQ(onChange, int(menu->changes.size()));
    EXPECT_EQ(lastSource, open);

    // An item outside the menu changes nothing there.
    const size_t now = menu->changes.size();
    open->SetCaption(QStringLiteral("x"));
    EXPECT_EQ(menu->changes.size(), now);
    delete open;

    // While the menu is loading its override hears of changes, OnChange does not.
    menu->SetComponentStateBits(csLoading);
    file->SetCaption(QStringLiteral("&File"));
    EXPECT_EQ(menu->changes.size(), now + 1);
    EXPECT_EQ(onChange, int(now));
    menu->Loaded();
    EXPECT_EQ(onChange, int(now) + 1) << "once loaded, one notice for the whole menu";
}

TEST_F(Menus, TheOwnersComponentsSeeMenusAndItemsInserted)
{
    TComponent owner(nullptr);
    auto* watcher = new TWatcher(&owner);
    auto* item = new TMenuItem(&owner);
    EXPECT_EQ(watcher->itemInserts, 1) << "the notice shows a complete menu item";
    auto* popup = new TPopupMenu(&owner);
    EXPECT_EQ(watcher->popupInserts, 1);
    auto* main = new TMainMenu(&owner);
    EXPECT_EQ(watcher->mainInserts, 1);
    EXPECT_EQ(item->Owner(), &owner);
    EXPECT_EQ(popup->Owner(), &owner);
    EXPECT_EQ(popup->Items()->Owner(), nullptr) << "the root item belongs to no owner";
    EXPECT_EQ(owner.ComponentCount(), 4);
    delete item;
    delete popup;
    delete main;
    EXPECT_EQ(watcher->removals, 3);
}

TEST_F(Menus, RadioAndAutoCheckItems)
{
    TComponent owner(nullptr);
    TPopupMenu menu(&owner);
    TMenuItem* root = menu.Items();
    TMenuItem* r1 = NewItem(&owner, "One", root);
    TMenuItem* r2 = NewItem(&owner, "Two", root);
    TMenuItem* r3 = NewItem(&owner, "Three", root);
    TMenuItem* other = NewItem(&owner, "Other group", root);
    TMenuItem* plain = NewItem(&owner, "Plain", root);
    for (TMenuItem* r : {r1, r2, r3, other}) {
        r->SetRadioItem(true);
        r->SetAutoCheck(true);
        r->SetGroupIndex(1);
    }
    other->SetGroupIndex(2);
    other->SetChecked(true);
    r1->SetChecked(true);
    plain->SetChecked(true);

    bool checkedInClick = false;
    int clicks = 0;
    r2->OnClick = [&](TObject* sender) {
        EXPECT_EQ(sender, r2);
        checkedInClick = r2->Checked();
        ++clicks;
    };
    r2->Click();
    EXPECT_TRUE(checkedInClick) << "AutoCheck runs before OnClick";
    EXPECT_TRUE(r2->Checked());
    EXPECT_FALSE(r1->Checked()) << "the group's other radio item goes off";
    EXPECT_FALSE(r3->Checked());
    EXPECT_TRUE(other->Checked()) << "another group is left alone";
    EXPECT_TRUE(plain->Checked()) << "non-radio items are left alone";
    r2->Click();
    EXPECT_TRUE(r2->Checked()) << "a checked radio item stays checked";
    EXPECT_EQ(clicks, 2);

    // Checking in code turns siblings off too, AutoCheck or not; so does joining the group.
    r3->SetAutoCheck(false);
    r3->SetChecked(true);
    EXPECT_FALSE(r2->Checked());
    other->SetGroupIndex(1);
    EXPECT_TRUE(other->Checked());
    EXPECT_FALSE(r3->Checked());

    // A plain AutoCheck item toggles; a disabled item does not run at all.
    plain->SetAutoCheck(true);
    plain->Click();
    EXPECT_FALSE(plain->Checked());
    plain->SetEnabled(false);
    int plainClicks = 0;
    plain->OnClick = [&](TObject*) { ++plainClicks; };
    plain->Click();
    EXPECT_EQ(plainClicks, 0);
    EXPECT_FALSE(plain->Checked());

    // One default item per sub-menu.
    r1->SetDefault(true);
    r2->SetDefault(true);
    EXPECT_FALSE(r1->Default());
    EXPECT_TRUE(r2->Default());
}

TEST_F(Menus, IsShortCutRunsTheEnabledVisibleItem)
{
    TComponent owner(nullptr);
    TMainMenu menu(&owner);
    TMenuItem* file = NewItem(&owner, "&File", menu.Items());
    TMenuItem* disabledParent = NewItem(&owner, "&Tools", menu.Items());
    disabledParent->SetEnabled(false);
    std::vector<QString> ran;
    auto add = [&](TMenuItem* parent, const char* caption, TShortCut sc) {
        TMenuItem* item = NewItem(&owner, caption, parent);
        item->SetShortCut(sc);
        item->OnClick = [&ran, item](TObject*) { ran.push_back(item->Caption()); };
        return item;
    };
    add(file, "Help", VK_F1);
    add(file, "Exit", ShortCut('X', ssAlt));
    add(file, "Erase", VK_DELETE);
    add(file, "Disabled", VK_F1 + 2)->SetEnabled(false);
    add(file, "Hidden", VK_F4)->SetVisible(false);
    add(disabledParent, "Under a disabled item", VK_F1 + 4);
    // Two items with one shortcut: the first (depth-first) runs.
    add(file, "First F6", VK_F1 + 5);
    add(menu.Items(), "Second F6", VK_F1 + 5);

    struct Case {
        WORD key;
        bool alt;
        const char* runs;  // null: nothing
    } cases[] = {
        {VK_F1, false, "Help"},    {'X', true, "Exit"}, {'X', false, nullptr},
        {VK_F1, true, nullptr},    {VK_DELETE, false, "Erase"},
        {VK_F1 + 2, false, nullptr},   {VK_F4, false, nullptr},
        {VK_F1 + 4, false, nullptr},   {VK_F1 + 5, false, "First F6"},
        {0, false, nullptr},
    };
    ReleaseModifiers();
    for (const Case& c : cases) {
        ran.clear();
        TWMKey key;
        key.CharCode = c.key;
        key.KeyData = c.alt ? KEYDATA_ALTDOWN : 0;
        const bool handled = menu.IsShortCut(key);
        EXPECT_EQ(handled, c.runs != nullptr) << int(c.key);
        if (c.runs) {
            ASSERT_EQ(ran.size(), 1u);
            EXPECT_EQ(ran[0], QString::fromUtf8(c.runs));
        } else {
            EXPECT_TRUE(ran.empty()) << int(c.key);
        }
    }
    // The message form: WM_KEYDOWN and WM_SYSKEYDOWN count, other messages do not.
    ran.clear();
    TMessage m{WM_SYSKEYDOWN, 'X', KEYDATA_ALTDOWN, 0};
    EXPECT_TRUE(menu.IsShortCut(m));
    EXPECT_EQ(m.Result, 1);
    TMessage up{WM_KEYUP, VK_F1, 0, 0};
    EXPECT_FALSE(menu.IsShortCut(up));
    EXPECT_EQ(ran.size(), 1u);

    EXPECT_EQ(menu.FindItem(VK_F4, fkShortCut)->Caption(), QStringLiteral("Hidden")) << "FindItem finds any item";
    EXPECT_EQ(menu.FindItem(file->Command(), fkCommand), file);
    EXPECT_EQ(menu.FindItem(file->Command(), fkHandle), nullptr);
    EXPECT_EQ(menu.FindItem(0, fkShortCut), nullptr);
}

TEST_F(Menus, ShortcutsWithCtrlAndShiftFromRealKeys)
{
    // Shift and Ctrl come from the keyboard's state while the key is handled, as on the desktop.
    auto* form = NewForm<TForm>(Application);
    form->SetBounds(60, 60, 200, 100);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    auto* menu = new TMainMenu(form);
    TMenuItem* file = NewItem(form, "&File", menu->Items());
    int saves = 0, deletes = 0;
    TMenuItem* save = NewItem(form, "&Save", file);
    save->SetShortCut(ShortCut('S', ssCtrl));
    save->OnClick = [&](TObject*) { ++saves; };
    TMenuItem* del = NewItem(form, "&Delete", file);
    del->SetShortCut(ShortCut(VK_DELETE, ssShift));
    del->OnClick = [&](TObject*) { ++deletes; };
    edit->OnKeyDown = [&](TObject*, WORD& key, TShiftState shift) {
        TWMKey m;
        m.CharCode = key;
        m.KeyData = (shift & ssAlt) ? KEYDATA_ALTDOWN : 0;
        if (menu->IsShortCut(m))
            key = 0;
    };
    form->Show();
    edit->SetFocus();
    QTest::keyClick(edit->Widget(), Qt::Key_S, Qt::ControlModifier);
    EXPECT_EQ(saves, 1);
    QTest::keyClick(edit->Widget(), Qt::Key_S);
    EXPECT_EQ(saves, 1) << "a plain S is not Ctrl+S";
    QTest::keyClick(edit->Widget(), Qt::Key_Delete, Qt::ShiftModifier);
    EXPECT_EQ(deletes, 1);
    QTest::keyClick(edit->Widget(), Qt::Key_Delete, Qt::ShiftModifier | Qt::ControlModifier);
    EXPECT_EQ(deletes, 1) << "Shift+Ctrl+Del is another shortcut";
    delete form;
}

namespace {

class TMenuForm : public TForm {
public:
    explicit TMenuForm(TComponent* owner) : TForm(owner)
    {
        RegisterMethod("Open1Click", &TMenuForm::Open1Click);
        RegisterMethod("MenuChange", &TMenuForm::MenuChange);
    }
    void Open1Click(TObject* Sender) { opened.push_back(Sender); }
    void MenuChange(TObject*, TMenuItem*, bool) { ++changes; }
    std::vector<TObject*> opened;
    int changes = 0;
};

}  // namespace

TEST_F(Menus, AMenuReadFromAStoredForm)
{
    auto* form = NewForm<TMenuForm>(Application);
    ReadComponentText(form, QByteArray(R"(object F: TMenuForm
  object MainMenu1: TMainMenu
    AutoHotkeys = maManual
    OnChange = MenuChange
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open...'
        ShortCut = 16463
        OnClick = Open1Click
      end
      object N1: TMenuItem
        Caption = '-'
      end
      object Small1: TMenuItem
        Caption = '&Small'
        RadioItem = True
        GroupIndex = 3
        Checked = True
      end
      object Large1: TMenuItem
        Caption = '&Large'
        RadioItem = True
        GroupIndex = 3
        Visible = False
        Hint = 'Large icons'
        ImageIndex = 4
        Tag = 7
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
      Enabled = False
      Default = True
    end
  end
  object PopupMenu1: TPopupMenu
    Alignment = paRight
    AutoPopup = False
    object Copy1: TMenuItem
      Caption = '&Copy'
      ShortCut = 16451
    end
  end
end
)"),
                      QStringLiteral("menus.dfm"));
    auto* menu = dynamic_cast<TMainMenu*>(form->FindComponent(QStringLiteral("MainMenu1")));
    ASSERT_NE(menu, nullptr);
    EXPECT_EQ(menu->AutoHotkeys(), maManual);
    TMenuItem* root = menu->Items();
    ASSERT_EQ(root->Count(), 2);
    TMenuItem* file = root->Items(0);
    EXPECT_EQ(file->Name(), QStringLiteral("File1"));
    EXPECT_EQ(file->Owner(), form) << "items are owned by the form";
    ASSERT_EQ(file->Count(), 4);
    TMenuItem* open = file->Items(0);
    EXPECT_EQ(open->Name(), QStringLiteral("Open1"));
    EXPECT_EQ(open->ShortCut(), ShortCut('O', ssCtrl));
    EXPECT_TRUE(file->Items(1)->IsLine());
    EXPECT_TRUE(file->Items(2)->Checked());
    EXPECT_EQ(file->Items(2)->GroupIndex(), 3);
    TMenuItem* large = file->Items(3);
    EXPECT_FALSE(large->Visible());
    EXPECT_EQ(large->Hint(), QStringLiteral("Large icons"));
    EXPECT_EQ(large->ImageIndex(), 4);
    EXPECT_EQ(large->Tag(), 7);
    EXPECT_FALSE(root->Items(1)->Enabled());
    EXPECT_TRUE(root->Items(1)->Default());
    EXPECT_EQ(open->GetParentMenu(), menu);
    open->Click();
    ASSERT_EQ(form->opened.size(), 1u);
    EXPECT_EQ(form->opened[0], open);
    EXPECT_EQ(form->changes, 1) << "OnChange once, after loading";

    auto* popup = dynamic_cast<TPopupMenu*>(form->FindComponent(QStringLiteral("PopupMenu1")));
    ASSERT_NE(popup, nullptr);
    EXPECT_EQ(popup->Alignment(), paRight);
    EXPECT_FALSE(popup->AutoPopup());
    ASSERT_EQ(popup->Items()->Count(), 1);
    EXPECT_EQ(popup->Items()->Items(0)->ShortCut(), ShortCut('C', ssCtrl));
    EXPECT_EQ(form->FindComponent(QStringLiteral("Copy1")), popup->Items()->Items(0));
    delete form;
}

TEST_F(Menus, StoredMenusRefuseWhatCannotStandInThem)
{
    struct Case {
        const char* name;
        const char* text;
        const char* message;
    } cases[] = {
        {"a control inside a menu",
         "object F: TForm\n  object M: TMainMenu\n    object B: TButton\n    end\n  end\nend\n",
         "(line 3): B: a TButton cannot stand inside a menu"},
        {"a control inside an item",
         "object F: TForm\n  object M: TPopupMenu\n    object I: TMenuItem\n      object L: TLabel\n      end\n    end\n  end\nend\n",
         "(line 4): L: a TLabel cannot stand inside a menu"},
        {"a shortcut beyond 16 bits",
         "object F: TForm\n  object M: TMainMenu\n    object I: TMenuItem\n      ShortCut = 70000\n    end\n  end\nend\n",
         "I.ShortCut: Value 70000 out of range"},
        {"an unknown alignment",
         "object F: TForm\n  object M: TPopupMenu\n    Alignment = paMiddle\n  end\nend\n",
         "M.Alignment: Invalid property value paMiddle"},
    };
    for (const Case& c : cases) {
        auto* form = NewForm<TForm>(Application);
        try {
            ReadComponentText(form, QByteArray(c.text), QStringLiteral("bad.dfm"));
            ADD_FAILURE() << c.name << ": no error";
        } catch (const EReadError& e) {
            EXPECT_TRUE(e.Message().contains(QString::fromUtf8(c.message))) << c.name << ": " << e.Message().toStdString();
        }
        delete form;
    }
}
