// The messages a dialog's controls exchange when the user types and moves the mouse: Enter and
// Escape offered to the form (CM_DIALOGKEY), characters offered as accelerators (CM_DIALOGCHAR),
// focus changes announced to every control (CM_FOCUSCHANGED, CM_CANCELMODE), leaving and
// re-entering a control while a mouse button is held, and clipboard pastes as WM_PASTE.
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "testsupport/TestSupport.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

struct TSeen {
    UINT Msg;
    WPARAM WParam;
    LPARAM LParam;
};

// A focusable custom control that records the notifications it gets and answers the dialog
// messages it is told to.
class TListener : public TCustomControl {
    Q_OBJECT
public:
    explicit TListener(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
    std::vector<TSeen> seen;
    WPARAM answerKey = 0;   // CM_DIALOGKEY with this key answers 1
    WPARAM answerChar = 0;  // CM_DIALOGCHAR with this character answers 1
    std::vector<TSeen> Of(UINT msg) const
    {
        std::vector<TSeen> r;
        for (const TSeen& s : seen)
            if (s.Msg == msg)
                r.push_back(s);
        return r;
    }

protected:
    void Dispatch(TMessage& m) override
    {
        switch (m.Msg) {
        case CM_DIALOGKEY:
        case CM_DIALOGCHAR:
        case CM_FOCUSCHANGED:
        case CM_CANCELMODE:
        case CM_MOUSEENTER:
        case CM_MOUSELEAVE:
        case WM_KEYDOWN:
        case WM_CHAR:
            seen.push_back({m.Msg, m.WParam, m.LParam});
            break;
        default:
            break;
        }
        if (m.Msg == CM_DIALOGKEY && answerKey && m.WParam == answerKey) {
            m.Result = 1;
            return;
        }
        if (m.Msg == CM_DIALOGCHAR && answerChar && m.WParam == answerChar) {
            m.Result = 1;
            return;
        }
        if (m.Msg == WM_APP + 1) {
            m.Result = 42;
            return;
        }
        TCustomControl::Dispatch(m);
    }
};

// An edit that refuses pastes, as a read-only spin box does.
class TNoPasteEdit : public TEdit {
    Q_OBJECT
public:
    using TEdit::TEdit;
    int pastes = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_PASTE) {
            ++pastes;
            return;
        }
        TEdit::Dispatch(m);
    }
};

class DialogMessages : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
    void SetUp() override
    {
        form = NewForm<TForm>(Application);
        form->SetBounds(0, 0, 300, 200);
        a = Add<TListener>(10, 10);
        b = Add<TListener>(10, 60);
        edit = Add<TEdit>(10, 110);
        form->Show();
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
    }
    void TearDown() override { delete form; }
    template <class T>
    T* Add(int x, int y)
    {
        auto* c = new T(form);
        c->SetParent(form);
        c->SetBounds(x, y, 80, 30);
        return c;
    }
    TForm* form = nullptr;
    TListener* a = nullptr;
    TListener* b = nullptr;
    TEdit* edit = nullptr;
};

}  // namespace

TEST_F(DialogMessages, EnterAndEscapeAreOfferedToEveryControlUntilOneTakesThem)
{
    b->answerKey = VK_RETURN;
    // Typed into the edit: the edit does not want Enter, so the form offers it to its controls.
    QTest::keyClick(edit->Widget(), Qt::Key_Return);
    ASSERT_EQ(a->Of(CM_DIALOGKEY).size(), 1u);
    EXPECT_EQ(a->Of(CM_DIALOGKEY)[0].WParam, WPARAM(VK_RETURN));
    EXPECT_EQ(b->Of(CM_DIALOGKEY).size(), 1u);

    // Escape nobody takes: offered to all, then it reaches the focused control as a key.
    QTest::keyClick(a->Widget(), Qt::Key_Escape);
    EXPECT_EQ(a->Of(CM_DIALOGKEY).size(), 2u);
    EXPECT_EQ(b->Of(CM_DIALOGKEY).size(), 2u);
    ASSERT_FALSE(a->Of(WM_KEYDOWN).empty());
    EXPECT_EQ(a->Of(WM_KEYDOWN).back().WParam, WPARAM(VK_ESCAPE));

    // A key taken by the dialog never reaches the focused control as a key.
    const size_t downs = b->Of(WM_KEYDOWN).size();
    QTest::keyClick(b->Widget(), Qt::Key_Return);
    EXPECT_EQ(b->Of(WM_KEYDOWN).size(), downs);
}

TEST_F(DialogMessages, CharactersAreAcceleratorsUnlessTheControlWantsThem)
{
    struct Case {
        const char* name;
        bool intoEdit;
        Qt::KeyboardModifiers mods;
        bool offered;  // CM_DIALOGCHAR reached the controls
        bool altBit;   // with the Alt flag in the key data
    };
    const Case cases[] = {
        {"plain letter on a custom control", false, Qt::NoModifier, true, false},
        {"plain letter in an edit", true, Qt::NoModifier, false, false},
        {"Alt+letter in an edit", true, Qt::AltModifier, true, true},
        {"Alt+letter on a custom control", false, Qt::AltModifier, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        a->seen.clear();
        edit->SetText(String());
        QWidget* target = c.intoEdit ? edit->Widget() : b->Widget();
        QTest::keyClick(target, Qt::Key_K, c.mods);
        const auto offered = a->Of(CM_DIALOGCHAR);
        ASSERT_EQ(offered.size(), c.offered ? 1u : 0u);
        if (c.offered) {
            EXPECT_EQ(offered[0].WParam, WPARAM('k'));
            EXPECT_EQ((offered[0].LParam & KEYDATA_ALTDOWN) != 0, c.altBit);
        }
        // Alt+letter is never typed into the edit; a plain letter is.
        if (c.intoEdit) {
            EXPECT_EQ(edit->Text(), c.mods == Qt::NoModifier ? QStringLiteral("k") : QString());
        }
    }
}

TEST_F(DialogMessages, ACharacterTakenAsAcceleratorIsNotTyped)
{
    a->answerChar = 'q';
    QTest::keyClick(b->Widget(), Qt::Key_Q);
    EXPECT_TRUE(b->Of(WM_CHAR).empty());
    QTest::keyClick(b->Widget(), Qt::Key_W);
    ASSERT_EQ(b->Of(WM_CHAR).size(), 1u);
    EXPECT_EQ(b->Of(WM_CHAR)[0].WParam, WPARAM('w'));
}

TEST_F(DialogMessages, FocusChangesAreAnnouncedAndCancelTheOldControlsMode)
{
    a->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return a->Focused(); }));
    a->seen.clear();
    b->seen.clear();
    b->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return b->Focused(); }));
    for (TListener* l : {a, b}) {
        const auto changed = l->Of(CM_FOCUSCHANGED);
        ASSERT_EQ(changed.size(), 1u);
        EXPECT_EQ(changed[0].LParam, LPARAM(static_cast<TWinControl*>(b)));
    }
    EXPECT_EQ(a->Of(CM_CANCELMODE).size(), 1u);
    EXPECT_TRUE(b->Of(CM_CANCELMODE).empty());
    EXPECT_EQ(form->ActiveControl(), b);
}

TEST_F(DialogMessages, MessagesReachTheFocusedWindowByHandle)
{
    b->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return b->Focused(); }));
    EXPECT_EQ(GetFocus(), b->Handle());
    EXPECT_EQ(FindControl(b->Handle()), b);
    EXPECT_EQ(SendMessageA(GetFocus(), WM_APP + 1, 0, 0), 42);
    EXPECT_EQ(SendMessageA(nullptr, WM_APP + 1, 0, 0), 0);
    EXPECT_EQ(KeyDataToShiftState(KEYDATA_ALTDOWN) & ssAlt, ssAlt);
    EXPECT_EQ(KeyDataToShiftState(0) & ssAlt, 0u);
}

TEST_F(DialogMessages, LeavingAndReenteringWhileTheButtonIsHeld)
{
    QWidget* w = a->Widget();
    QTest::mouseMove(w, QPoint(5, 5));
    a->seen.clear();
    QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    // Held: the toolkit would keep quiet about leaving until the release.
    QMouseEvent out(QEvent::MouseMove, QPointF(200, 5), w->mapToGlobal(QPointF(200, 5)), Qt::NoButton,
                    Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &out);
    QMouseEvent back(QEvent::MouseMove, QPointF(6, 6), w->mapToGlobal(QPointF(6, 6)), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(w, &back);
    std::vector<UINT> order;
    for (const TSeen& s : a->seen)
        if (s.Msg == CM_MOUSEENTER || s.Msg == CM_MOUSELEAVE)
            order.push_back(s.Msg);
    EXPECT_EQ(order, (std::vector<UINT>{CM_MOUSELEAVE, CM_MOUSEENTER}));
    // The toolkit's own late notice of entering changes nothing more.
    QEvent enter(QEvent::Enter);
    QApplication::sendEvent(w, &enter);
    EXPECT_EQ(a->Of(CM_MOUSEENTER).size(), 1u);
    QTest::mouseRelease(w, Qt::LeftButton, Qt::NoModifier, QPoint(6, 6));
}

TEST_F(DialogMessages, CtrlWithALetterTypesItsControlCharacter)
{
    a->SetFocus();
    ASSERT_TRUE(WaitFor([this] { return a->Focused(); }));
    struct Case {
        int key;
        Qt::KeyboardModifiers mods;
        WPARAM ch;
    };
    const Case cases[] = {
        {Qt::Key_V, Qt::ControlModifier, 0x16},
        {Qt::Key_C, Qt::ControlModifier, 0x03},
        {Qt::Key_A, Qt::ControlModifier | Qt::ShiftModifier, 0x01},
        {Qt::Key_V, Qt::NoModifier, 'v'},
        {Qt::Key_5, Qt::ControlModifier, '5'},  // not a letter: as typed
    };
    for (const Case& c : cases) {
        const size_t before = a->Of(WM_CHAR).size();
        QTest::keyClick(a->Widget(), Qt::Key(c.key), c.mods);
        ASSERT_EQ(a->Of(WM_CHAR).size(), before + 1) << c.key;
        EXPECT_EQ(a->Of(WM_CHAR).back().WParam, c.ch) << c.key;
    }
}

TEST_F(DialogMessages, PastesGoThroughWmPasteSoAControlCanRefuseThem)
{
    QApplication::clipboard()->setText(QStringLiteral("pasted"));
    auto* refusing = Add<TNoPasteEdit>(100, 10);
    struct Case {
        const char* name;
        TEdit* target;
        int key;
        Qt::KeyboardModifiers mods;
        QString text;
    };
    const Case cases[] = {
        {"Ctrl+V into a plain edit", edit, Qt::Key_V, Qt::ControlModifier, QStringLiteral("pasted")},
        {"Shift+Insert into a plain edit", edit, Qt::Key_Insert, Qt::ShiftModifier, QStringLiteral("pasted")},
        {"Ctrl+V into a refusing edit", refusing, Qt::Key_V, Qt::ControlModifier, QString()},
        {"Shift+Insert into a refusing edit", refusing, Qt::Key_Insert, Qt::ShiftModifier, QString()},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        c.target->SetText(String());
        QTest::keyClick(c.target->Widget(), Qt::Key(c.key), c.mods);
        EXPECT_EQ(c.target->Text(), c.text);
    }
    EXPECT_EQ(refusing->pastes, 2);
    // The message itself does the edit's paste.
    edit->SetText(String());
    edit->Perform(WM_PASTE);
    EXPECT_EQ(edit->Text(), QStringLiteral("pasted"));
}

#include "test_dialogmessages.moc"
