// Controls: Qt events become window messages that pass through WindowProc and Dispatch;
// posted messages reach the window; the standard controls keep their state and fire events.
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/StdCtrls.h"
#include "platform/WinMessages.h"
#include "testsupport/TestSupport.h"

#include <QLineEdit>
#include <QTest>
#include <thread>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

// A custom-painted control that fills itself and records the messages it dispatches.
class TPainted : public TCustomControl {
    Q_OBJECT
public:
    using TCustomControl::TCustomControl;
    std::vector<UINT> dispatched;
    int paints = 0;

protected:
    void Dispatch(TMessage& m) override
    {
        dispatched.push_back(m.Msg);
        TCustomControl::Dispatch(m);
    }
    void Paint() override
    {
        ++paints;
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(ClientRect());
    }
};

class Controls : public ::testing::Test {
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
        Application->MessageBoxHook = [this](const String& text, const String& caption, UINT) {
            boxes.push_back(caption + QStringLiteral("|") + text);
            return IDOK;
        };
    }
    void TearDown() override
    {
        Application->MessageBoxHook = nullptr;
        delete form;
    }
    TForm* form = nullptr;
    QStringList boxes;
};

bool Contains(const std::vector<UINT>& v, UINT m) { return std::find(v.begin(), v.end(), m) != v.end(); }

}  // namespace

TEST_F(Controls, MouseClickBecomesMessagesAndOnClick)
{
    auto* c = new TPainted(form);
    c->SetParent(form);
    c->SetBounds(10, 10, 50, 40);
    int clicks = 0;
    TMouseButton downButton = mbRight;
    int downX = -1, downY = -1;
    c->OnClick = [&](TObject*) { ++clicks; };
    c->OnMouseDown = [&](TObject*, TMouseButton b, TShiftState, int x, int y) {
        downButton = b;
        downX = x;
        downY = y;
    };
    form->Show();
    ASSERT_NE(c->Widget(), nullptr);
    QTest::mouseClick(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 7));
    EXPECT_EQ(clicks, 1);
    EXPECT_EQ(downButton, mbLeft);
    EXPECT_EQ(downX, 5);
    EXPECT_EQ(downY, 7);
    EXPECT_TRUE(Contains(c->dispatched, WM_LBUTTONDOWN));
    EXPECT_TRUE(Contains(c->dispatched, WM_LBUTTONUP));

    // Releasing outside the control is not a click.
    QTest::mousePress(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(5, 5));
    QTest::mouseRelease(c->Widget(), Qt::LeftButton, Qt::NoModifier, QPoint(200, 5));
    EXPECT_EQ(clicks, 1);
}

TEST_F(Controls, WindowProcCanBeSubclassed)
{
    auto* c = new TPainted(form);
    c->SetParent(form);
    std::vector<UINT> seen;
    auto inherited = c->WindowProc;
    c->WindowProc = [&](TMessage& m) {
        seen.push_back(m.Msg);
        if (m.Msg == WM_USER + 5) {
            m.Result = 42;
            return;
        }
        inherited(m);
    };
    EXPECT_EQ(c->Perform(WM_USER + 5), 42);
    EXPECT_FALSE(Contains(c->dispatched, WM_USER + 5));
    c->Perform(WM_USER + 6);
    EXPECT_TRUE(Contains(seen, WM_USER + 6));
    EXPECT_TRUE(Contains(c->dispatched, WM_USER + 6));
}

TEST_F(Controls, PaintGoesThroughEraseAndPaintMessages)
{
    auto* c = new TPainted(form);
    c->SetParent(form);
    c->SetBounds(0, 0, 20, 20);
    form->Show();
    c->Repaint();
    EXPECT_TRUE(WaitFor([&] { return c->paints > 0; }));
    EXPECT_TRUE(Contains(c->dispatched, WM_ERASEBKGND));
    EXPECT_TRUE(Contains(c->dispatched, WM_PAINT));
    const QImage img = c->Widget()->grab().toImage();
    EXPECT_EQ(img.pixelColor(10, 10), QColor(255, 0, 0));

    // Painting into a canvas handed over in WParam (as a parent is asked to paint underneath a child).
    TBitmap bmp;
    bmp.SetSize(20, 20);
    c->Perform(WM_PAINT, WPARAM(bmp.Canvas()), 0);
    EXPECT_EQ(bmp.Canvas()->Pixels(10, 10), clRed);
}

TEST_F(Controls, PostedMessageReachesDispatchOnTheGuiThread)
{
    auto* c = new TPainted(form);
    c->SetParent(form);
    const UINT msg = RegisterWindowMessageA("ControlsTestMessage");
    ASSERT_NE(msg, 0u);
    const HWND h = c->Handle();
    ASSERT_NE(h, nullptr);
    std::thread poster([&] { PostMessageA(h, msg, 0, 0); });
    poster.join();
    EXPECT_TRUE(WaitFor([&] { return Contains(c->dispatched, msg); }));
    // After the control is gone its handle is no longer valid.
    delete c;
    EXPECT_FALSE(PostMessageA(h, msg, 0, 0));
}

TEST_F(Controls, KeyPressCanDropOrReplaceTheTypedCharacter)
{
    auto* e = new TEdit(form);
    e->SetParent(form);
    form->Show();
    e->OnKeyPress = [](TObject*, char& key) {
        if (key == 'x')
            key = 0;  // dropped
        else if (key == 'y')
            key = 4;  // a control character: not inserted
        else if (key == 'a')
            key = 'b';  // replaced
    };
    auto* w = qobject_cast<QLineEdit*>(e->Widget());
    ASSERT_NE(w, nullptr);
    w->setFocus();
    QTest::keyClicks(w, QStringLiteral("1x2y3a"));
    EXPECT_EQ(e->Text(), QStringLiteral("123b"));
    // Backspace still edits.
    QTest::keyClick(w, Qt::Key_Backspace);
    EXPECT_EQ(e->Text(), QStringLiteral("123"));
}

TEST_F(Controls, ExceptionInAHandlerIsShownAndTheWindowCarriesOn)
{
    auto* b = new TButton(form);
    b->SetParent(form);
    b->OnClick = [](TObject*) { throw EConvertError(QStringLiteral("bad number")); };
    form->Show();
    QTest::mouseClick(b->Widget(), Qt::LeftButton);
    ASSERT_EQ(boxes.size(), 1);
    EXPECT_TRUE(boxes[0].endsWith(QStringLiteral("bad number."))) << boxes[0].toStdString();
    // EAbort is silent.
    b->OnClick = [](TObject*) { Abort(); };
    QTest::mouseClick(b->Widget(), Qt::LeftButton);
    EXPECT_EQ(boxes.size(), 1);
}

TEST_F(Controls, StandardControlsKeepTheirState)
{
    auto* cb = new TComboBox(form);
    cb->SetParent(form);
    cb->SetStyle(csDropDownList);
    cb->Items()->Add(QStringLiteral("NO"));
    cb->Items()->Add(QStringLiteral("ODD"));
    cb->Items()->Add(QStringLiteral("EVEN"));
    struct Case {
        int set;
        int expected;
        const char* text;
    };
    // An index outside the list leaves no selection.
    for (const Case& k : {Case{1, 1, "ODD"}, Case{9, -1, ""}, Case{2, 2, "EVEN"}, Case{-1, -1, ""}, Case{0, 0, "NO"}}) {
        cb->SetItemIndex(k.set);
        EXPECT_EQ(cb->ItemIndex(), k.expected) << k.set;
        EXPECT_EQ(cb->Text(), QLatin1String(k.text)) << k.set;
    }

    auto* check = new TCheckBox(form);
    check->SetParent(form);
    int clicks = 0;
    check->OnClick = [&](TObject*) { ++clicks; };
    check->SetChecked(true);
    EXPECT_TRUE(check->Checked());
    EXPECT_EQ(clicks, 1);  // setting Checked fires OnClick like a click
    check->SetChecked(true);
    EXPECT_EQ(clicks, 1);  // no change, no click

    auto* edit = new TEdit(form);
    edit->SetParent(form);
    int changes = 0;
    edit->OnChange = [&](TObject*) { ++changes; };
    edit->SetText(QStringLiteral("abc"));
    EXPECT_EQ(changes, 1);
    EXPECT_EQ(edit->Text(), QStringLiteral("abc"));
}

TEST_F(Controls, EditTextKeepsToTheBandTheFormattingRectangleAndItsColour)
{
    auto* e = new TEdit(form);
    e->SetParent(form);
    e->SetBorderStyle(bsNone);
    e->SetBounds(10, 10, 100, 24);
    form->Show();
    auto* w = qobject_cast<QLineEdit*>(e->Widget());
    ASSERT_NE(w, nullptr);
    auto margins = [w] {
        const QMargins m = w->textMargins();
        return std::vector<int>{m.left(), m.top(), m.right(), m.bottom()};
    };
    // A band set once the window exists keeps the text out of it at once.
    e->SetBorderWidth(2);
    EXPECT_EQ(e->ClientWidth(), 96);
    EXPECT_EQ(margins(), (std::vector<int>{2, 2, 2, 2}));

    // The formatting rectangle narrows the text further; a new size gives the whole client back.
    TRect r = Rect(0, 0, e->ClientWidth() - 17, e->ClientHeight() + 1);
    e->Perform(EM_SETRECTNP, 0, LPARAM(&r));
    EXPECT_EQ(margins(), (std::vector<int>{2, 2, 19, 2}));
    TRect got;
    e->Perform(EM_GETRECT, 0, LPARAM(&got));
    EXPECT_EQ(got, r);
    e->SetWidth(120);
    EXPECT_EQ(margins(), (std::vector<int>{2, 2, 2, 2}));
    e->Perform(EM_GETRECT, 0, LPARAM(&got));
    EXPECT_EQ(got, e->ClientRect());

    // A colour set later is the edit window's background.
    e->SetColor(TColor(0x00336699));
    EXPECT_EQ(w->palette().color(QPalette::Base), ToQColor(TColor(0x00336699)));

    // The font's colour is the text's, except that a disabled edit's text is grey.
    e->Font()->SetColor(clRed);
    EXPECT_EQ(w->palette().color(QPalette::Active, QPalette::Text), ToQColor(clRed));
    EXPECT_EQ(w->palette().color(QPalette::Disabled, QPalette::Text), ToQColor(clGrayText));
}

TEST_F(Controls, ADeletedWindowLeavesItsParentsTabList)
{
    form->Show();
    auto* first = new TEdit(form);
    first->SetParent(form);
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    ASSERT_EQ(form->TabList().size(), 2u);
    delete first;
    delete panel;
    EXPECT_TRUE(form->TabList().empty());
    // The tab chain is built again over the remaining windows only.
    auto* next = new TEdit(form);
    next->SetParent(form);
    ASSERT_EQ(form->TabList().size(), 1u);
    EXPECT_EQ(form->TabList()[0], next);
}

TEST_F(Controls, ChildrenGoWithTheirParentAndOwnersForgetThem)
{
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    auto* inner = new TEdit(form);  // owned by the form, parented by the panel
    inner->SetParent(panel);
    const int before = form->ComponentCount();
    delete panel;  // takes its child control with it
    EXPECT_EQ(form->ComponentCount(), before - 2);
    EXPECT_EQ(form->ControlCount(), 0);
}

TEST_F(Controls, AlignedChildrenFillTheClientArea)
{
    auto* top = new TPanel(form);
    top->SetParent(form);
    top->SetHeight(30);
    top->SetAlign(alTop);
    auto* client = new TPanel(form);
    client->SetParent(form);
    client->SetAlign(alClient);
    EXPECT_EQ(top->BoundsRect(), Rect(0, 0, form->ClientWidth(), 30));
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, form->ClientWidth(), form->ClientHeight()));
    form->SetBounds(0, 0, 400, 300);
    EXPECT_EQ(client->BoundsRect(), Rect(0, 30, 400, 300));
}

// A handler may free its own control (a button that closes and frees what holds it): the
// framework touches nothing of the control afterwards, and its widget goes once the toolkit has
// finished delivering the event. The sanitizer leg catches any use after free here.
TEST_F(Controls, AControlFreedInItsOwnHandlerIsNotTouchedAgain)
{
    form->Show();
    using TFree = std::function<void()>;
    struct Case {
        const char* name;
        std::function<void(TPainted*, TFree)> hook;
        std::function<void(QWidget*)> input;
    };
    const Case cases[] = {
        {"mouse down",
         [](TPainted* c, TFree free) { c->OnMouseDown = [free](TObject*, TMouseButton, TShiftState, int, int) { free(); }; },
         [](QWidget* w) { QTest::mousePress(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }},
        {"click", [](TPainted* c, TFree free) { c->OnClick = [free](TObject*) { free(); }; },
         [](QWidget* w) { QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, QPoint(5, 5)); }},
        {"key down", [](TPainted* c, TFree free) { c->OnKeyDown = [free](TObject*, WORD&, TShiftState) { free(); }; },
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_A); }},
        {"key press", [](TPainted* c, TFree free) { c->OnKeyPress = [free](TObject*, char&) { free(); }; },
         [](QWidget* w) { QTest::keyClick(w, Qt::Key_B); }},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        auto* panel = new TPanel(form);
        panel->SetParent(form);
        panel->SetBounds(0, 0, 200, 100);
        auto* c = new TPainted(form);
        c->SetParent(panel);
        c->SetBounds(10, 10, 50, 40);
        bool freed = false;
        // The handler frees the control's parent, and with it the control.
        k.hook(c, [&freed, panel] {
            freed = true;
            delete panel;
        });
        QPointer<QWidget> w = c->Widget();
        ASSERT_TRUE(w);
        w->setFocus();
        k.input(w);
        EXPECT_TRUE(freed);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QCoreApplication::processEvents();
        EXPECT_TRUE(w.isNull()) << "the widget outlived the event that freed its control";
        EXPECT_EQ(form->ControlCount(), 0);
    }
}

#include "test_controls.moc"
