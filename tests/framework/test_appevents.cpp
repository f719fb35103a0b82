// Application events: the key messages the application takes from its queue reach OnMessage
// before the focused control, and Handled keeps them from it.
#include "framework/AppEvnts.h"
#include "framework/Forms.h"
#include "framework/StdCtrls.h"
#include "testsupport/TestSupport.h"

#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using testsupport::WaitFor;

namespace {

class AppEvents : public ::testing::Test {
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
        edit = new TEdit(form);
        edit->SetParent(form);
        edit->SetBounds(10, 10, 120, 24);
        edit->OnKeyDown = [this](TObject*, WORD& key, TShiftState) { keysDown.push_back(key); };
        form->Show();
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
        edit->SetFocus();
        ASSERT_TRUE(WaitFor([this] { return edit->Focused(); }));
    }
    void TearDown() override { delete form; }
    // An application-events component that records every message and keeps those `keep` says.
    std::unique_ptr<TApplicationEvents> Recorder(std::vector<TMsg>& into, std::function<bool(const TMsg&)> keep = {})
    {
        auto ev = std::make_unique<TApplicationEvents>(nullptr);
        ev->OnMessage = [&into, keep](TMsg& m, bool& handled) {
            into.push_back(m);
            if (keep && keep(m))
                handled = true;
        };
        return ev;
    }
    QWidget* Target() const { return edit->Widget(); }
    TForm* form = nullptr;
    TEdit* edit = nullptr;
    std::vector<WORD> keysDown;
};

}  // namespace

TEST_F(AppEvents, AltSpaceIsASystemKeyThenASystemCharacter)
{
    std::vector<TMsg> seen;
    auto ev = Recorder(seen);
    QTest::keyClick(Target(), Qt::Key_Space, Qt::AltModifier);
    // Alt goes down first (a system key itself), then Space with Alt held.
    std::vector<std::pair<UINT, WPARAM>> got;
    for (const TMsg& m : seen)
        got.emplace_back(m.message, m.wParam);
    const std::vector<std::pair<UINT, WPARAM>> want{{WM_SYSKEYDOWN, VK_MENU},
                                                    {WM_SYSKEYDOWN, VK_SPACE},
                                                    {WM_SYSCHAR, ' '},
                                                    {WM_SYSKEYUP, VK_SPACE},
                                                    {WM_SYSKEYUP, VK_MENU}};
    EXPECT_EQ(got, want);
    ASSERT_EQ(seen.size(), want.size());
    EXPECT_TRUE(seen[1].lParam & KEYDATA_ALTDOWN);
    EXPECT_TRUE(seen[2].lParam & KEYDATA_ALTDOWN);
    EXPECT_EQ(seen[2].hwnd, edit->Handle()) << "the message goes to the focused control";
    EXPECT_EQ(edit->Text(), QString()) << "Alt+Space types nothing";
}

TEST_F(AppEvents, PlainKeysAreKeyDownCharAndKeyUp)
{
    std::vector<TMsg> seen;
    auto ev = Recorder(seen);
    QTest::keyClick(Target(), Qt::Key_A);
    std::vector<UINT> order;
    for (const TMsg& m : seen)
        order.push_back(m.message);
    EXPECT_EQ(order, (std::vector<UINT>{WM_KEYDOWN, WM_CHAR, WM_KEYUP}));
    EXPECT_EQ(seen[0].wParam, WPARAM('A'));
    EXPECT_EQ(seen[1].wParam, WPARAM('a'));
    EXPECT_EQ(edit->Text(), QStringLiteral("a")) << "unhandled messages go on to the control";
    EXPECT_EQ(keysDown, (std::vector<WORD>{WORD('A')}));
}

TEST_F(AppEvents, HandledSwallowsTheKeyOrOnlyItsCharacter)
{
    struct Case {
        const char* name;
        UINT keep;
        bool keyDownReachesControl;
        QString typed;
    };
    for (const Case& c : {Case{"key message", WM_KEYDOWN, false, QString()},
                          Case{"character only", WM_CHAR, true, QString()}, Case{"nothing", 0, true, QStringLiteral("b")}}) {
        SCOPED_TRACE(c.name);
        edit->SetText(QString());
        keysDown.clear();
        std::vector<TMsg> seen;
        auto ev = Recorder(seen, [&](const TMsg& m) { return m.message == c.keep; });
        QTest::keyClick(Target(), Qt::Key_B);
        EXPECT_EQ(edit->Text(), c.typed);
        EXPECT_EQ(!keysDown.empty(), c.keyDownReachesControl);
        if (c.keep == WM_KEYDOWN) {
            for (const TMsg& m : seen)
                EXPECT_NE(m.message, UINT(WM_CHAR)) << "no character follows a swallowed key";
        }
    }
}

TEST_F(AppEvents, EveryInstanceHearsEveryMessageNewestFirst)
{
    std::vector<int> calls;
    auto first = std::make_unique<TApplicationEvents>(nullptr);
    auto second = std::make_unique<TApplicationEvents>(nullptr);
    bool sawHandled = false;
    first->OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message == WM_KEYDOWN) {
            calls.push_back(1);
            sawHandled = handled;
        }
    };
    second->OnMessage = [&](TMsg& m, bool& handled) {
        if (m.message == WM_KEYDOWN) {
            calls.push_back(2);
            handled = true;
        }
    };
    QTest::keyClick(Target(), Qt::Key_C);
    EXPECT_EQ(calls, (std::vector<int>{2, 1}));
    EXPECT_TRUE(sawHandled) << "one Handled flag for all";
    EXPECT_EQ(edit->Text(), QString());

    // A freed instance hears nothing more; with none left keys go straight to the controls.
    second.reset();
    calls.clear();
    QTest::keyClick(Target(), Qt::Key_C);
    EXPECT_EQ(calls, (std::vector<int>{1}));
    EXPECT_EQ(edit->Text(), QStringLiteral("c"));
    first.reset();
    QTest::keyClick(Target(), Qt::Key_D);
    EXPECT_EQ(edit->Text(), QStringLiteral("cd"));
}

TEST_F(AppEvents, AHandlerMayFreeAnInstanceWhileMessagesAreOffered)
{
    auto victim = std::make_unique<TApplicationEvents>(nullptr);
    int victimCalls = 0;
    victim->OnMessage = [&](TMsg&, bool&) { ++victimCalls; };
    auto killer = std::make_unique<TApplicationEvents>(nullptr);
    killer->OnMessage = [&](TMsg&, bool&) { victim.reset(); };
    QTest::keyClick(Target(), Qt::Key_E);
    EXPECT_EQ(victimCalls, 0) << "the newest ran first and freed the other";
    EXPECT_EQ(edit->Text(), QStringLiteral("e"));
}

TEST_F(AppEvents, AnExceptionInAHandlerIsShownAndTheKeyGoesOn)
{
    std::vector<QString> boxes;
    Application->MessageBoxHook = [&](const String& text, const String&, UINT) {
        boxes.push_back(text);
        return IDOK;
    };
    auto ev = std::make_unique<TApplicationEvents>(nullptr);
    ev->OnMessage = [](TMsg& m, bool&) {
        if (m.message == WM_KEYDOWN)
            throw Exception(QStringLiteral("hook failed"));
    };
    QTest::keyClick(Target(), Qt::Key_F);
    Application->MessageBoxHook = nullptr;
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_TRUE(boxes[0].startsWith(QStringLiteral("hook failed")));
    EXPECT_EQ(edit->Text(), QStringLiteral("f"));
}
