// The status bar's size grip: where it shows (SizeGrip on a sizeable form that is not maximised),
// its hit test, its pixels, and a real drag on it resizing the form; panels drawn in Color.
#include "framework/ComCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "platform/WinUser.h"
#include "testsupport/TestSupport.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

namespace {

class StatusBar : public ::testing::Test {
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
        form->SetBounds(20, 20, 300, 200);
        bar = new TStatusBar(form);
        bar->SetParent(form);
        bar->SetColor(TColor(0x00C0D0E0));
        for (int w : {120, 100}) {
            TStatusPanel* p = bar->Panels()->Add();
            p->SetWidth(w);
            p->SetBevel(pbNone);
        }
    }
    void TearDown() override { delete form; }

    void ShowForm()
    {
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    }
    LRESULT HitTest(int x, int y)
    {
        const TPoint s = bar->ClientToScreen(Point(x, y));
        return bar->Perform(WM_NCHITTEST, 0, MAKELPARAM(s.X, s.Y));
    }
    QImage Render() { return bar->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32); }
    // Pixels of the grip's square that are not the bar's colour.
    int MarkedGripPixels()
    {
        const QImage img = Render();
        const QRgb back = img.pixel(5, 5);
        int n = 0;
        for (int y = img.height() - 16; y < img.height(); ++y)
            for (int x = img.width() - 16; x < img.width(); ++x)
                n += img.pixel(x, y) != back;
        return n;
    }

    TForm* form = nullptr;
    TStatusBar* bar = nullptr;
};

}  // namespace

TEST_F(StatusBar, TheGripShowsAndAnswersTheHitTestOnASizeableFormOnly)
{
    struct Case {
        const char* name;
        TFormBorderStyle border;
        bool maximized;
        bool sizeGrip;
        bool shown;
    };
    const Case cases[] = {
        {"sizeable", bsSizeable, false, true, true},
        {"sizeable tool window", bsSizeToolWin, false, true, true},
        {"sizeable, SizeGrip off", bsSizeable, false, false, false},
        {"sizeable, maximised", bsSizeable, true, true, false},
        {"dialog", bsDialog, false, true, false},
        {"single", bsSingle, false, true, false},
    };
    ShowForm();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        form->SetWindowState(wsNormal);
        form->SetBorderStyle(c.border);
        form->SetBounds(20, 20, 300, 200);
        form->SetWindowState(c.maximized ? wsMaximized : wsNormal);
        bar->SetSizeGrip(c.sizeGrip);
        EXPECT_EQ(bar->SizeGripShown(), c.shown);
        const int w = bar->ClientWidth(), h = bar->ClientHeight();
        EXPECT_EQ(bar->SizeGripRect(), Rect(w - 16, h - 16, w, h));
        EXPECT_EQ(HitTest(w - 2, h - 2), c.shown ? HTBOTTOMRIGHT : HTCLIENT);
        EXPECT_EQ(HitTest(w - 16, std::max(0, h - 16)), c.shown ? HTBOTTOMRIGHT : HTCLIENT);
        EXPECT_EQ(HitTest(w - 17, h - 2), HTCLIENT);
        EXPECT_EQ(HitTest(10, 5), HTCLIENT);
        EXPECT_EQ(HitTest(w + 5, h + 5), HTNOWHERE);
        if (c.shown)
            EXPECT_GT(MarkedGripPixels(), 10);
        else
            EXPECT_EQ(MarkedGripPixels(), 0);
    }
    form->SetWindowState(wsNormal);
}

TEST_F(StatusBar, DraggingTheGripResizesTheFormAndShowsTheSizingCursor)
{
    form->SetBorderStyle(bsSizeable);
    ShowForm();
    QWidget* w = bar->Widget();
    const QPoint grip(bar->ClientWidth() - 4, bar->ClientHeight() - 4);
    int downs = 0;
    bar->OnMouseDown = [&](TObject*, TMouseButton, TShiftState, int, int) { ++downs; };

    QTest::mouseMove(w, QPoint(10, 5));
    EXPECT_EQ(w->cursor().shape(), Qt::ArrowCursor);
    QTest::mouseMove(w, grip);
    EXPECT_EQ(w->cursor().shape(), Qt::SizeFDiagCursor);

    QTest::mousePress(w, Qt::LeftButton, {}, grip);
    QTest::mouseMove(w, grip + QPoint(30, 20));
    EXPECT_EQ(form->Width(), 330);
    EXPECT_EQ(form->Height(), 220);
    // The bar has moved down with the form's bottom edge by 20: the mouse 10 above the grip point
    // of the moved bar is 10 below where the drag began, on the screen.
    QTest::mouseMove(w, grip + QPoint(50, -10));
    QTest::mouseRelease(w, Qt::LeftButton, {}, grip + QPoint(50, -10));
    EXPECT_EQ(form->Width(), 350);
    EXPECT_EQ(form->Height(), 210);
    EXPECT_EQ(downs, 0) << "a press on the grip is not the bar's";

    // Elsewhere on the bar a press is an ordinary one.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(10, 5));
    EXPECT_EQ(downs, 1);
    EXPECT_EQ(form->Width(), 350);
}

TEST_F(StatusBar, NoResizingWhereTheGripDoesNotShow)
{
    for (bool maximized : {false, true}) {
        SCOPED_TRACE(maximized ? "maximised sizeable form" : "dialog form");
        form->SetBorderStyle(maximized ? bsSizeable : bsDialog);
        ShowForm();
        form->SetWindowState(maximized ? wsMaximized : wsNormal);
        QTest::qWait(0);
        const int fw = form->Width(), fh = form->Height();
        QWidget* w = bar->Widget();
        const QPoint grip(bar->ClientWidth() - 4, bar->ClientHeight() - 4);
        QTest::mouseMove(w, grip);
        EXPECT_NE(w->cursor().shape(), Qt::SizeFDiagCursor);
        QTest::mousePress(w, Qt::LeftButton, {}, grip);
        QTest::mouseMove(w, grip + QPoint(30, 20));
        QTest::mouseRelease(w, Qt::LeftButton, {}, grip + QPoint(30, 20));
        EXPECT_EQ(form->Width(), fw);
        EXPECT_EQ(form->Height(), fh);
        form->SetWindowState(wsNormal);
    }
}

TEST_F(StatusBar, PanelsAreDrawnInTheBarsColor)
{
    form->SetBorderStyle(bsDialog);
    bar->Panels()->Items(0)->SetText(QStringLiteral("Open"));
    ShowForm();
    const QImage img = Render();
    const QRgb expected = qRgb(0xE0, 0xD0, 0xC0);
    // Away from the text: the first panel's right part, the second panel, the strip to the right.
    for (int x : {100, 118, 125, 200, 250, img.width() - 1})
        for (int y : {0, 3, img.height() / 2, img.height() - 1})
            EXPECT_EQ(img.pixel(x, y), expected) << x << "," << y;
}
