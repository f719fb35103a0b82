// The theme manager's editing dialog: its stored definition, the select/unselect buttons, the
// check list box it is built on, and ThemeManagerEdit choosing the manager's components.
#include "framework/CheckLst.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "skin/theme/Frmthememgr.h"
#include "skin/theme/Kivmgr.h"

#include <QApplication>
#include <QListWidget>
#include <QTimer>
#include <gtest/gtest.h>

#include <functional>

// A skinned control as far as the dialog cares: the two published properties.
class TkivEditProbe : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
public:
    using TGraphicControl::TGraphicControl;
    TkivUIStyle UIStyle() const { return FUIStyle; }
    void SetUIStyle(TkivUIStyle v) { FUIStyle = v; }
    TkivFileTheme* FileTheme() const { return FFileTheme; }
    void SetFileTheme(TkivFileTheme* v) { FFileTheme = v; }

private:
    TkivUIStyle FUIStyle = DeepBlue;
    TkivFileTheme* FFileTheme = nullptr;
};

// The same properties under a name that does not begin with "Tkiv".
class TOtherProbe : public TkivEditProbe {
    Q_OBJECT
public:
    using TkivEditProbe::TkivEditProbe;
};

namespace {

TEST(FrmMgr, StoredDefinition)
{
    std::unique_ptr<TfrmMgr> f(NewForm<TfrmMgr>(nullptr));
    EXPECT_EQ(f->Caption(), QStringLiteral("Theme Manager - Kivkit"));
    EXPECT_EQ(f->BorderStyle(), bsDialog);
    EXPECT_EQ(f->Position(), poScreenCenter);
    EXPECT_EQ(f->ClientWidth(), 233);
    EXPECT_EQ(f->ClientHeight(), 301);
    EXPECT_EQ(f->Font()->Name(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(f->Font()->Height(), -11);

    EXPECT_EQ(f->List->BoundsRect(), Bounds(16, 16, 201, 185));
    EXPECT_EQ(f->List->ItemHeight(), 13);
    struct {
        TButton* Button;
        const char* Caption;
        TRect Bounds;
    } buttons[] = {{f->btn_sel, "&Select all", Bounds(120, 208, 97, 25)},
                   {f->btn_unsel, "&Unselect all", Bounds(16, 208, 97, 25)},
                   {f->btn_ok, "&OK", Bounds(72, 264, 89, 25)}};
    for (auto b : buttons) {
        EXPECT_EQ(b.Button->Caption(), QString::fromLatin1(b.Caption));
        EXPECT_EQ(b.Button->BoundsRect(), b.Bounds) << b.Caption;
    }
    EXPECT_TRUE(f->btn_ok->Default());
    EXPECT_EQ(f->btn_ok->ModalResult(), mrOk);
}

TEST(FrmMgr, SelectAndUnselectAll)
{
    std::unique_ptr<TfrmMgr> f(NewForm<TfrmMgr>(nullptr));
    for (const char* s : {"a", "b", "c"})
        f->List->Items()->Add(QString::fromLatin1(s));
    f->List->SetChecked(1, true);
    f->btn_sel->Click();
    for (int i = 0; i < 3; ++i)
        EXPECT_TRUE(f->List->Checked(i));
    f->btn_unsel->Click();
    for (int i = 0; i < 3; ++i)
        EXPECT_FALSE(f->List->Checked(i));
    f->btn_unsel->Click();  // an empty or unchecked list stays as it is
    EXPECT_FALSE(f->List->Checked(0));
}

// ---- TCheckListBox ----

TEST(CheckListBox, ChecksFollowTheirItems)
{
    TCheckListBox list(nullptr);
    list.Items()->Add(QStringLiteral("a"));
    list.Items()->AddObject(QStringLiteral("b"), &list);
    list.Items()->Add(QStringLiteral("c"));
    EXPECT_FALSE(list.Checked(0));
    list.SetChecked(2, true);
    list.Items()->Delete(0);
    EXPECT_FALSE(list.Checked(0));
    EXPECT_TRUE(list.Checked(1));
    EXPECT_EQ(list.Items()->GetObject(0), &list);
    list.Items()->Insert(0, QStringLiteral("z"));
    EXPECT_FALSE(list.Checked(0));
    EXPECT_TRUE(list.Checked(2));
    EXPECT_THROW(list.Checked(3), EListError);
    EXPECT_THROW(list.SetChecked(-1, true), EListError);
    list.Items()->Clear();
    EXPECT_EQ(list.Count(), 0);
}

TEST(CheckListBox, WidgetMirrorsItemsAndReportsTheUsersChecks)
{
    TForm form(nullptr);
    auto* list = new TCheckListBox(&form);
    list->SetParent(&form);
    list->SetBounds(0, 0, 100, 80);
    list->SetItemHeight(17);
    list->Items()->Add(QStringLiteral("one"));
    list->Items()->Add(QStringLiteral("two"));
    list->SetChecked(1, true);
    form.Show();
    auto* w = qobject_cast<QListWidget*>(list->Widget());
    ASSERT_NE(w, nullptr);
    ASSERT_EQ(w->count(), 2);
    EXPECT_EQ(w->item(1)->text(), QStringLiteral("two"));
    EXPECT_EQ(w->item(1)->checkState(), Qt::Checked);
    EXPECT_EQ(w->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(w->visualItemRect(w->item(0)).height(), 17);

    int clicks = 0;
    list->OnClickCheck = [&](TObject* s) {
        EXPECT_EQ(s, list);
        ++clicks;
    };
    w->item(0)->setCheckState(Qt::Checked);  // as a click on the check box does
    EXPECT_TRUE(list->Checked(0));
    EXPECT_EQ(clicks, 1);
    list->SetChecked(0, false);  // setting it in code is not a click
    EXPECT_EQ(w->item(0)->checkState(), Qt::Unchecked);
    EXPECT_EQ(clicks, 1);

    list->Items()->BeginUpdate();
    list->Items()->Add(QStringLiteral("three"));
    list->Items()->Add(QStringLiteral("four"));
    list->Items()->EndUpdate();
    EXPECT_EQ(w->count(), 4);
}

// ---- ThemeManagerEdit ----

// Runs Action on the dialog once it is shown modally.
void OnDialog(const std::function<void(TfrmMgr*)>& Action)
{
    QTimer::singleShot(0, [Action] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* peer = dynamic_cast<TPeerBase*>(w);
            if (auto* dialog = peer ? dynamic_cast<TfrmMgr*>(peer->Control) : nullptr; dialog && w->isVisible()) {
                Action(dialog);
                return;
            }
        }
        ADD_FAILURE() << "no dialog shown";
    });
}

class ManagerEdit : public ::testing::Test {
protected:
    void SetUp() override
    {
        FForm = std::make_unique<TForm>(nullptr);
        auto add = [](TComponent* c, const char* name) {
            c->SetName(QString::fromLatin1(name));
            return c;
        };
        FA = static_cast<TkivEditProbe*>(add(new TkivEditProbe(FForm.get()), "kivA"));
        add(new TOtherProbe(FForm.get()), "otherB");
        add(new TkivFileTheme(FForm.get()), "kivFileTheme1");  // no UIStyle
        FC = static_cast<TkivEditProbe*>(add(new TkivEditProbe(FForm.get()), "kivC"));
        FManager = static_cast<TkivThemeManager*>(add(new TkivThemeManager(FForm.get()), "kivThemeManager1"));
        FManager->CompList()->Add(QStringLiteral("kivC"));
    }

    QStringList Names() const
    {
        QStringList l;
        for (int i = 0; i < FManager->CompList()->Count(); ++i)
            l << FManager->CompList()->Get(i);
        return l;
    }

    std::unique_ptr<TForm> FForm;
    TkivEditProbe* FA = nullptr;
    TkivEditProbe* FC = nullptr;
    TkivThemeManager* FManager = nullptr;
};

TEST_F(ManagerEdit, ListsSkinnedComponentsCheckedByTheListAndStoresTheChoiceOnOK)
{
    QStringList shown;
    std::vector<bool> checked;
    OnDialog([&](TfrmMgr* d) {
        for (int i = 0; i < d->List->Count(); ++i) {
            shown << d->List->Items()->Get(i);
            checked.push_back(d->List->Checked(i));
        }
        d->btn_sel->Click();
        d->List->SetChecked(1, false);
        d->btn_ok->Click();
    });
    ThemeManagerEdit(FManager);
    EXPECT_EQ(shown, (QStringList{QStringLiteral("kivA"), QStringLiteral("kivC")}));
    EXPECT_EQ(checked, (std::vector<bool>{false, true}));
    EXPECT_EQ(Names(), QStringList{QStringLiteral("kivA")});
}

TEST_F(ManagerEdit, CancelKeepsTheListButStillUpdates)
{
    FManager->SetUIStyle(WinXP);  // pushed to kivC
    FC->SetUIStyle(MacOS);        // changed behind the manager's back
    OnDialog([](TfrmMgr* d) {
        d->btn_sel->Click();
        d->SetModalResult(mrCancel);
    });
    ThemeManagerEdit(FManager);
    EXPECT_EQ(Names(), QStringList{QStringLiteral("kivC")});
    EXPECT_EQ(FC->UIStyle(), WinXP) << "UpdateAll ran after the dialog";
    EXPECT_EQ(FA->UIStyle(), DeepBlue);
}

TEST(ManagerEditOwner, ManagerOutsideAFormShowsNothing)
{
    TkivThemeManager loose(nullptr);
    loose.CompList()->Add(QStringLiteral("kivA"));
    bool dialogShown = false;
    QTimer::singleShot(0, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* peer = dynamic_cast<TPeerBase*>(w);
            if (peer && dynamic_cast<TfrmMgr*>(peer->Control) && w->isVisible()) {
                dialogShown = true;
                w->close();
            }
        }
    });
    ThemeManagerEdit(&loose);  // returns at once: no dialog to answer
    ThemeManagerEdit(nullptr);
    QCoreApplication::processEvents();
    EXPECT_FALSE(dialogShown);
    EXPECT_EQ(loose.CompList()->Count(), 1);  // the list is untouched
}

}  // namespace

#include "test_frmthememgr.moc"
