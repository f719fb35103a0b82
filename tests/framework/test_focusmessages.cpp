// WM_SETFOCUS tells the control that gets the keyboard focus which window lost it (WParam), as
// radio buttons need to select themselves when the arrow keys move the focus between them.
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "testsupport/TestSupport.h"

#include <QApplication>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

// A focusable control that records the WParam of every WM_SETFOCUS.
class TFocusProbe : public TCustomControl {
    Q_OBJECT
public:
    explicit TFocusProbe(TComponent* AOwner) : TCustomControl(AOwner) { SetTabStop(true); }
    std::vector<WPARAM> gotFocusFrom;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_SETFOCUS)
            gotFocusFrom.push_back(m.WParam);
        TCustomControl::Dispatch(m);
    }
};

class FocusMessages : public ::testing::Test {
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
        a = Add<TFocusProbe>(10, 10);
        b = Add<TFocusProbe>(10, 60);
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
    void FocusOn(TWinControl* c)
    {
        c->SetFocus();
        ASSERT_TRUE(WaitFor([c] { return c->Focused(); }));
    }
    TForm* form = nullptr;
    TFocusProbe* a = nullptr;
    TFocusProbe* b = nullptr;
    TEdit* edit = nullptr;
};

}  // namespace

TEST_F(FocusMessages, SetFocusCarriesTheWindowThatLostTheFocus)
{
    FocusOn(a);
    a->gotFocusFrom.clear();
    FocusOn(b);
    ASSERT_EQ(b->gotFocusFrom.size(), 1u);
    EXPECT_EQ(b->gotFocusFrom[0], WPARAM(a->Handle()));

    // From a native edit, and by the Tab key as a user moves it.
    FocusOn(edit);
    a->gotFocusFrom.clear();
    FocusOn(a);
    ASSERT_EQ(a->gotFocusFrom.size(), 1u);
    EXPECT_EQ(a->gotFocusFrom[0], WPARAM(edit->Handle()));
    b->gotFocusFrom.clear();
    QTest::keyClick(a->Widget(), Qt::Key_Tab);
    ASSERT_TRUE(WaitFor([this] { return b->Focused(); }));
    ASSERT_EQ(b->gotFocusFrom.size(), 1u);
    EXPECT_EQ(b->gotFocusFrom[0], WPARAM(a->Handle()));
}

TEST_F(FocusMessages, FocusComingBackWithTheWindowHasNoLoser)
{
    FocusOn(a);
    auto* other = NewForm<TForm>(Application);
    other->SetBounds(400, 0, 100, 100);
    other->Show();
    other->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(other->Widget()));
    a->gotFocusFrom.clear();
    form->Widget()->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
    ASSERT_TRUE(WaitFor([this] { return a->Focused(); }));
    ASSERT_FALSE(a->gotFocusFrom.empty());
    EXPECT_EQ(a->gotFocusFrom.back(), WPARAM(0));
    delete other;
}

#include "test_focusmessages.moc"
