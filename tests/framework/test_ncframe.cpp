// The non-client world of forms: window styles, frame changes through WM_NCCALCSIZE, the client
// area that follows, the whole-window canvas, hit testing, the band's mouse, window regions and
// the state, size and system-command messages, all through a form's replaceable WindowProc.
#include "framework/ExtCtrls.h"
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "platform/WinBase.h"
#include "testsupport/TestSupport.h"

#include <QCursor>
#include <QScreen>
#include <QTest>
#include <QWindow>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

// Subclasses a form's window procedure as a frame component does: the new procedure sees every
// message first (and may keep it), then chains to the saved one.
class TSubclass {
public:
    explicit TSubclass(TCustomForm* form) : FForm(form)
    {
        FOld = form->WindowProc;
        form->WindowProc = [this](TMessage& m) {
            seen.push_back(m);
            if (Before && Before(m))
                return;
            FOld(m);
            if (After)
                After(m);
        };
    }
    ~TSubclass() { FForm->WindowProc = FOld; }
    std::vector<TMessage> Of(UINT msg) const
    {
        std::vector<TMessage> r;
        for (const TMessage& m : seen)
            if (m.Msg == msg)
                r.push_back(m);
        return r;
    }
    // The messages among `watched`, in the order they came.
    std::vector<UINT> Order(std::initializer_list<UINT> watched) const
    {
        std::vector<UINT> r;
        for (const TMessage& m : seen)
            if (std::find(watched.begin(), watched.end(), m.Msg) != watched.end())
                r.push_back(m.Msg);
        return r;
    }
    std::vector<TMessage> seen;
    std::function<bool(TMessage&)> Before;
    std::function<void(TMessage&)> After;

private:
    TCustomForm* FForm;
    std::function<void(TMessage&)> FOld;
};

// What a skinned frame does with WM_NCCALCSIZE: the window rectangle widened by its margins (4 on
// every side here) and lowered at the bottom by its border width less 2; the previous procedure
// then takes the system frame off.
bool SkinnedCalcSize(TMessage& m, int borderWidth = 1)
{
    if (m.Msg != WM_NCCALCSIZE || !m.WParam)
        return false;
    auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
    const WINDOWPOS& w = *p->lppos;
    const int margin = std::max(4, 4);
    p->rgrc[0].top = w.y + 4 - margin;
    p->rgrc[0].left = w.x - margin + 4;
    p->rgrc[0].right = w.x + w.cx + margin - 4;
    p->rgrc[0].bottom = w.y + w.cy + margin - 4 - borderWidth + 2;
    p->rgrc[1] = p->rgrc[0];
    m.Result = WVR_VALIDRECTS;
    return false;  // on to the previous procedure
}

void TakeCaption(TCustomForm* f)
{
    const HWND h = f->Handle();
    SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) & ~LONG(WS_CAPTION));
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

QColor At(const QImage& img, int x, int y) { return img.pixelColor(x, y); }

class NCFrame : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }
    void SetUp() override { form = Make(bsSizeable); }
    void TearDown() override
    {
        for (TForm* f : forms)
            delete f;
    }
    TForm* Make(TFormBorderStyle style)
    {
        TForm* f = NewForm<TForm>(Application);
        f->SetBorderStyle(style);
        f->SetBounds(100, 80, 300, 200);
        forms.push_back(f);
        return f;
    }
    void ShowActive(TForm* f)
    {
        f->Show();
        f->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(f->Widget()));
    }
    TForm* form = nullptr;
    std::vector<TForm*> forms;
};

// Takes a host form's frame over while it is created from a stored definition, as a skinned
// frame component does: caption bits off, WM_NCCALCSIZE subclassed, the frame recomputed.
class TFrameTaker : public TComponent {
    Q_OBJECT
public:
    explicit TFrameTaker(TComponent* AOwner) : TComponent(AOwner)
    {
        auto* host = dynamic_cast<TCustomForm*>(AOwner);
        if (!host)
            return;
        FOld = host->WindowProc;
        host->WindowProc = [this](TMessage& m) {
            SkinnedCalcSize(m);
            FOld(m);
        };
        TakeCaption(host);
    }

private:
    std::function<void(TMessage&)> FOld;
};

}  // namespace

// ---- styles ----

TEST_F(NCFrame, StylesFollowTheBorderStyleAndIcons)
{
    struct Case {
        TFormBorderStyle style;
        int icons;
        DWORD set, clear;
        DWORD exSet;
    };
    const DWORD all = biSystemMenu | biMinimize | biMaximize;
    const Case cases[] = {
        {bsSizeable, int(all), WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0, 0},
        {bsSizeable, int(biSystemMenu), WS_CAPTION | WS_THICKFRAME | WS_SYSMENU, WS_MINIMIZEBOX | WS_MAXIMIZEBOX, 0},
        {bsDialog, int(all), WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
         WS_EX_DLGMODALFRAME},
        {bsSingle, int(all), WS_CAPTION | WS_BORDER | WS_MINIMIZEBOX, WS_THICKFRAME, 0},
        {bsToolWindow, int(all), WS_CAPTION | WS_SYSMENU, WS_THICKFRAME | WS_MINIMIZEBOX, WS_EX_TOOLWINDOW},
        {bsSizeToolWin, int(all), WS_CAPTION | WS_THICKFRAME, WS_MAXIMIZEBOX, WS_EX_TOOLWINDOW},
        {bsNone, int(all), 0, WS_CAPTION | WS_THICKFRAME | WS_SYSMENU | WS_MINIMIZEBOX, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "border style " << int(c.style) << ", icons " << c.icons);
        TForm* f = Make(c.style);
        f->SetBorderIcons(c.icons);
        const DWORD s = DWORD(GetWindowLong(f->Handle(), GWL_STYLE));
        EXPECT_EQ(s & c.set, c.set);
        EXPECT_EQ(s & c.clear, 0u);
        EXPECT_EQ(DWORD(GetWindowLong(f->Handle(), GWL_EXSTYLE)) & c.exSet, c.exSet);
        // A new border style gives new styles, also once the window exists.
        f->SetBorderStyle(c.style == bsSizeable ? bsDialog : bsSizeable);
        EXPECT_EQ(bool(GetWindowLong(f->Handle(), GWL_STYLE) & WS_THICKFRAME), c.style != bsSizeable);
    }
}

TEST_F(NCFrame, CaptionBitsDecideBetweenDecorationsAndAnEmulatedFrame)
{
    const HWND h = form->Handle();
    const LONG before = GetWindowLong(h, GWL_STYLE);
    ASSERT_TRUE(form->HasCaption());
    EXPECT_FALSE(form->Widget()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(SetWindowLong(h, GWL_STYLE, before & ~LONG(WS_CAPTION)), before) << "answers the previous style";
    EXPECT_FALSE(form->HasCaption());
    EXPECT_TRUE(form->Widget()->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_EQ(form->NonClientInsets(), TRect()) << "the frame waits for a frame change";
    SetWindowPos(h, nullptr, 0, 0, 0, 0, 0x37);
    EXPECT_EQ(form->NonClientInsets(), Rect(4, 4, 4, 4)) << "the sizing frame is left";

    SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) | LONG(WS_CAPTION));
    EXPECT_FALSE(form->Widget()->windowFlags() & Qt::FramelessWindowHint);
    SetWindowPos(h, nullptr, 0, 0, 0, 0, 0x37);
    EXPECT_EQ(form->NonClientInsets(), TRect()) << "decorated: the whole window is client area";
    // The live bits are the window's.
    form->Show();
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VISIBLE);
    SetWindowLong(h, GWL_STYLE, GetWindowLong(h, GWL_STYLE) & ~LONG(WS_VISIBLE));
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_VISIBLE);
}

TEST_F(NCFrame, UnknownWindowsAndIndexesAreRefused)
{
    HWND bogus = reinterpret_cast<HWND>(uintptr_t(0x4ffff0));
    SetLastError(0);
    EXPECT_EQ(GetWindowLong(bogus, GWL_STYLE), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_WINDOW_HANDLE));
    EXPECT_EQ(SetWindowLong(bogus, GWL_STYLE, 0), 0);
    EXPECT_FALSE(SetWindowPos(bogus, nullptr, 0, 0, 1, 1, 0));
    EXPECT_EQ(GetWindowDC(bogus), nullptr);
    EXPECT_EQ(ReleaseDC(bogus, nullptr), 0);
    HRGN r = CreateRectRgn(0, 0, 5, 5);
    EXPECT_EQ(SetWindowRgn(bogus, r, TRUE), 0);
    EXPECT_TRUE(DeleteObject(r)) << "a refused region stays the caller's";
    EXPECT_EQ(GetWindowLong(form->Handle(), 12345), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER));
    // A control's styles are its creation styles; it refuses new ones.
    auto* panel = new TPanel(form);
    panel->SetParent(form);
    EXPECT_TRUE(GetWindowLong(panel->Handle(), GWL_STYLE) & WS_CHILD);
    EXPECT_EQ(SetWindowLong(panel->Handle(), GWL_STYLE, 0), 0);
    EXPECT_EQ(GetLastError(), DWORD(ERROR_NOT_SUPPORTED));
}

// ---- the frame and the client area ----

TEST_F(NCFrame, FrameChangeSendsCalcSizeWithTheWindowRectangle)
{
    TSubclass sub(form);
    TakeCaption(form);
    const auto calc = sub.Of(WM_NCCALCSIZE);
    ASSERT_FALSE(calc.empty());
    EXPECT_EQ(calc.back().WParam, WPARAM(TRUE));
    // The record as the procedure saw it on the way in.
    RECT in{}, out{};
    WINDOWPOS pos{};
    sub.Before = [&](TMessage& m) {
        if (m.Msg == WM_NCCALCSIZE && m.WParam) {
            auto* p = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam);
            in = p->rgrc[0];
            pos = *p->lppos;
        }
        return false;
    };
    sub.After = [&](TMessage& m) {
        if (m.Msg == WM_NCCALCSIZE && m.WParam)
            out = reinterpret_cast<NCCALCSIZE_PARAMS*>(m.LParam)->rgrc[0];
    };
    SetWindowPos(form->Handle(), nullptr, 0, 0, 0, 0, 0x37);
    EXPECT_EQ(pos.x, 100);
    EXPECT_EQ(pos.y, 80);
    EXPECT_EQ(pos.cx, 300);
    EXPECT_EQ(pos.cy, 200);
    EXPECT_EQ(pos.hwnd, form->Handle());
    EXPECT_EQ(in.left, 100);
    EXPECT_EQ(in.top, 80);
    EXPECT_EQ(in.right, 400);
    EXPECT_EQ(in.bottom, 280);
    EXPECT_EQ(out.left, 104) << "the default takes the sizing frame off";
    EXPECT_EQ(out.bottom, 276);

    // The bare rectangle of WParam 0 gets the same treatment.
    RECT bare{10, 20, 110, 70};
    form->Perform(WM_NCCALCSIZE, 0, LPARAM(&bare));
    EXPECT_EQ(bare.left, 14);
    EXPECT_EQ(bare.top, 24);
    EXPECT_EQ(bare.right, 106);
    EXPECT_EQ(bare.bottom, 66);
    // A window too small for its frame keeps an empty client rectangle, not a negative one.
    RECT tiny{0, 0, 5, 5};
    form->Perform(WM_NCCALCSIZE, 0, LPARAM(&tiny));
    EXPECT_EQ(tiny.right, tiny.left);
    EXPECT_EQ(tiny.bottom, tiny.top);
}

TEST_F(NCFrame, DefaultFrameByBorderStyle)
{
    struct Case {
        TFormBorderStyle style;
        int frame;
    };
    for (const Case& c : {Case{bsDialog, 3}, Case{bsSingle, 3}, Case{bsToolWindow, 3}, Case{bsSizeable, 4},
                          Case{bsSizeToolWin, 4}, Case{bsNone, 0}}) {
        SCOPED_TRACE(int(c.style));
        TForm* f = Make(c.style);
        EXPECT_EQ(f->NonClientInsets(), TRect()) << "with its caption the window is all client";
        TakeCaption(f);
        EXPECT_EQ(f->SystemFrameWidth(), c.frame);
        EXPECT_EQ(f->NonClientInsets(), Rect(c.frame, c.frame, c.frame, c.frame));
        EXPECT_EQ(f->ClientWidth(), 300 - 2 * c.frame);
        EXPECT_EQ(f->ClientHeight(), 200 - 2 * c.frame);
    }
}

TEST_F(NCFrame, ASubclassedFrameSetsTheClientAreaAndFollowsResizing)
{
    TForm* f = Make(bsDialog);
    auto* panel = new TPanel(f);
    panel->SetParent(f);
    panel->SetAlign(alClient);
    TSubclass sub(f);
    sub.Before = [](TMessage& m) { return SkinnedCalcSize(m); };
    TakeCaption(f);
    EXPECT_EQ(f->NonClientInsets(), Rect(3, 3, 3, 2));
    EXPECT_EQ(f->ClientRect(), Rect(0, 0, 294, 195));
    EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 294, 195));
    ShowActive(f);
    EXPECT_EQ(panel->Widget()->geometry(), QRect(3, 3, 294, 195)) << "children live inside the client area";
    const QPoint origin = f->Widget()->mapToGlobal(QPoint(0, 0));
    EXPECT_EQ(f->ClientToScreen(Point(0, 0)), Point(origin.x() + 3, origin.y() + 3));

    f->SetBounds(f->Left(), f->Top(), 400, 250);
    EXPECT_EQ(f->ClientRect(), Rect(0, 0, 394, 245));
    EXPECT_EQ(panel->BoundsRect(), Rect(0, 0, 394, 245));
    // WM_SIZE reports the client size.
    const auto sizes = sub.Of(WM_SIZE);
    ASSERT_FALSE(sizes.empty());
    EXPECT_EQ(sizes.back().WParam, SIZE_RESTORED);
    EXPECT_EQ(sizes.back().LParam, MAKELPARAM(394, 245));

    // A size the window manager gives recomputes the frame as well (a sizing frame is 4 pixels).
    TSubclass sizeable(form);
    sizeable.Before = [](TMessage& m) { return SkinnedCalcSize(m); };
    TakeCaption(form);
    ShowActive(form);
    EXPECT_EQ(form->NonClientInsets(), Rect(4, 4, 4, 3));
    form->Widget()->resize(360, 240);
    ASSERT_TRUE(WaitFor([&] { return form->Width() == 360; }));
    EXPECT_EQ(form->ClientRect(), Rect(0, 0, 352, 233));
    ASSERT_FALSE(sizeable.Of(WM_SIZE).empty());
    EXPECT_EQ(sizeable.Of(WM_SIZE).back().LParam, MAKELPARAM(352, 233));
}

TEST_F(NCFrame, StoredClientSizeSurvivesAFrameTakenOverWhileLoading)
{
    RegisterClass<TFrameTaker>("TFrameTaker");
    TForm* f = new TForm(Application);
    forms.push_back(f);
    ReadComponentText(f, R"(object Host: TForm
  Left = 120
  Top = 90
  BorderStyle = bsDialog
  ClientHeight = 313
  ClientWidth = 410
  object Taker: TFrameTaker
  end
  object Filler: TPanel
    Align = alClient
  end
end
)",
                      QStringLiteral("host"));
    EXPECT_FALSE(f->HasCaption());
    EXPECT_EQ(f->NonClientInsets(), Rect(3, 3, 3, 2));
    EXPECT_EQ(f->ClientWidth(), 410);
    EXPECT_EQ(f->ClientHeight(), 313);
    EXPECT_EQ(f->Width(), 416) << "the window grows by the frame";
    EXPECT_EQ(f->Height(), 318);
    auto* filler = dynamic_cast<TPanel*>(f->FindComponent(QStringLiteral("Filler")));
    ASSERT_NE(filler, nullptr);
    EXPECT_EQ(filler->BoundsRect(), Rect(0, 0, 410, 313));
}

// ---- painting the band ----

TEST_F(NCFrame, WholeWindowCanvasShowsInTheBandAndSurvivesClientRepaints)
{
    TForm* f = Make(bsDialog);
    f->SetColor(clWhite);
    TSubclass sub(f);
    int ncPaints = 0;
    // The frame a skinned form would paint: red on the whole window, through the window's DC.
    sub.Before = [&](TMessage& m) {
        SkinnedCalcSize(m);
        if (m.Msg != WM_NCPAINT)
            return false;
        ++ncPaints;
        TCanvas* dc = GetWindowDC(f->Handle());
        EXPECT_NE(dc, nullptr);
        if (!dc)
            return true;
        dc->Brush()->SetColor(clRed);
        dc->FillRect(Rect(0, 0, f->Width(), f->Height()));
        dc->Brush()->SetColor(clBlue);
        dc->FillRect(Rect(0, f->Height() - 1, f->Width(), f->Height()));
        EXPECT_EQ(ReleaseDC(f->Handle(), dc), 1);
        return true;  // not passed on, as a skinned frame does
    };
    TakeCaption(f);
    ShowActive(f);
    EXPECT_GT(ncPaints, 0) << "showing the window asks for its frame";
    QImage img = f->Widget()->grab().toImage();
    ASSERT_EQ(img.size(), QSize(300, 200));
    EXPECT_EQ(At(img, 0, 0), QColor(Qt::red));
    EXPECT_EQ(At(img, 2, 100), QColor(Qt::red)) << "left band";
    EXPECT_EQ(At(img, 297, 100), QColor(Qt::red)) << "right band";
    EXPECT_EQ(At(img, 150, 2), QColor(Qt::red)) << "top band";
    EXPECT_EQ(At(img, 150, 198), QColor(Qt::red)) << "bottom band";
    EXPECT_EQ(At(img, 150, 199), QColor(Qt::blue));
    EXPECT_EQ(At(img, 3, 3), QColor(Qt::white)) << "the client area belongs to WM_PAINT";
    EXPECT_EQ(At(img, 296, 197), QColor(Qt::white));

    f->Repaint();
    img = f->Widget()->grab().toImage();
    EXPECT_EQ(At(img, 150, 2), QColor(Qt::red)) << "a repaint keeps the frame";

    // A new size: the frame is painted again for it.
    const int before = ncPaints;
    f->SetBounds(f->Left(), f->Top(), 340, 220);
    EXPECT_GT(ncPaints, before);
    img = f->Widget()->grab().toImage();
    ASSERT_EQ(img.size(), QSize(340, 220));
    EXPECT_EQ(At(img, 338, 110), QColor(Qt::red));
    EXPECT_EQ(At(img, 170, 219), QColor(Qt::blue));
    EXPECT_EQ(At(img, 300, 110), QColor(Qt::white)) << "the old right edge is client area now";

    // Drawing outside any message shows too, at once in a grab.
    TCanvas* dc = GetWindowDC(f->Handle());
    ASSERT_NE(dc, nullptr);
    dc->Brush()->SetColor(clLime);
    dc->FillRect(Rect(0, 0, 340, 3));
    EXPECT_EQ(ReleaseDC(f->Handle(), dc), 1);
    EXPECT_EQ(ReleaseDC(f->Handle(), dc), 0) << "released twice";
    img = f->Widget()->grab().toImage();
    EXPECT_EQ(At(img, 100, 1), QColor(Qt::green));
}

TEST_F(NCFrame, TwoOpenWindowCanvasesDrawTogether)
{
    TakeCaption(form);
    ShowActive(form);
    TCanvas* a = GetWindowDC(form->Handle());
    TCanvas* b = GetWindowDC(form->Handle());
    ASSERT_TRUE(a && b && a != b);
    a->Brush()->SetColor(clRed);
    a->FillRect(Rect(0, 0, 2, 200));
    b->Brush()->SetColor(clBlue);
    b->FillRect(Rect(298, 0, 300, 200));
    EXPECT_EQ(ReleaseDC(form->Handle(), a), 1);
    EXPECT_EQ(ReleaseDC(form->Handle(), b), 1);
    const QImage img = form->Widget()->grab().toImage();
    EXPECT_EQ(At(img, 1, 50), QColor(Qt::red));
    EXPECT_EQ(At(img, 299, 50), QColor(Qt::blue));
}

// ---- hit testing and the band's mouse ----

TEST_F(NCFrame, HitTestTable)
{
    TForm* dialog = Make(bsDialog);
    TForm* decorated = Make(bsSizeable);
    TakeCaption(form);
    TakeCaption(dialog);
    for (TForm* f : {form, dialog, decorated})
        ShowActive(f);
    struct Case {
        TForm* f;
        int x, y;
        LRESULT hit;
    };
    const Case cases[] = {
        {form, 150, 100, HTCLIENT},     {form, 0, 100, HTLEFT},        {form, 299, 100, HTRIGHT},
        {form, 150, 0, HTTOP},          {form, 150, 199, HTBOTTOM},    {form, 0, 0, HTTOPLEFT},
        {form, 299, 0, HTTOPRIGHT},     {form, 0, 199, HTBOTTOMLEFT},  {form, 299, 199, HTBOTTOMRIGHT},
        {form, 2, 10, HTTOPLEFT},       {form, 10, 1, HTTOPLEFT},      {form, 297, 190, HTBOTTOMRIGHT},
        {form, 4, 100, HTCLIENT},       {form, 295, 195, HTCLIENT},    {form, -1, 100, HTNOWHERE},
        {form, 300, 100, HTNOWHERE},    {dialog, 0, 100, HTBORDER},    {dialog, 0, 0, HTBORDER},
        {dialog, 299, 199, HTBORDER},   {dialog, 150, 100, HTCLIENT},  {decorated, 0, 100, HTCLIENT},
        {decorated, 0, 0, HTCLIENT},
    };
    for (const Case& c : cases) {
        const QPoint g = c.f->Widget()->mapToGlobal(QPoint(c.x, c.y));
        EXPECT_EQ(c.f->Perform(WM_NCHITTEST, 0, MAKELPARAM(g.x(), g.y())), c.hit)
            << (c.f == form ? "sizeable" : c.f == dialog ? "dialog" : "decorated") << " at " << c.x << ", " << c.y;
    }
    SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    const QPoint g = form->Widget()->mapToGlobal(QPoint(0, 100));
    EXPECT_EQ(form->Perform(WM_NCHITTEST, 0, MAKELPARAM(g.x(), g.y())), HTBORDER) << "a maximised window is not sized";
}

TEST_F(NCFrame, PressesOnTheBandBecomeNonClientMessages)
{
    TakeCaption(form);
    ShowActive(form);
    TSubclass sub(form);
    // The subclass keeps the presses, so no move or resize starts.
    sub.Before = [](TMessage& m) { return m.Msg == WM_NCLBUTTONDOWN || m.Msg == WM_NCLBUTTONUP; };
    QWidget* w = form->Widget();
    QTest::mouseMove(w, QPoint(150, 1));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(150, 1));
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(150, 1));
    const auto down = sub.Of(WM_NCLBUTTONDOWN);
    ASSERT_EQ(down.size(), 1u);
    EXPECT_EQ(down[0].WParam, WPARAM(HTTOP));
    const QPoint g = w->mapToGlobal(QPoint(150, 1));
    EXPECT_EQ(down[0].LParam, MAKELPARAM(g.x(), g.y())) << "screen coordinates";
    EXPECT_EQ(sub.Of(WM_NCLBUTTONUP).size(), 1u);
    EXPECT_TRUE(sub.Of(WM_LBUTTONDOWN).empty());
    EXPECT_FALSE(sub.Of(WM_NCHITTEST).empty());
    // In the client area the ordinary messages go on.
    QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(150, 100));
    EXPECT_EQ(sub.Of(WM_LBUTTONDOWN).size(), 1u);
    EXPECT_EQ(sub.Of(WM_NCLBUTTONDOWN).size(), 1u);
}

TEST_F(NCFrame, MoveAndResizeFollowThePointerWithoutAWindowManager)
{
    TakeCaption(form);
    ShowActive(form);
    QWidget* w = form->Widget();
    ASSERT_FALSE(w->windowHandle()->startSystemMove()) << "this platform has no window manager moves";
    // The pointer goes to screen points, wherever the window is by then.
    auto moveTo = [w](const QPoint& g) { QTest::mouseMove(w, w->mapFromGlobal(g)); };
    auto at = [w](const QPoint& g) { return w->mapFromGlobal(g); };
    const int left = form->Left(), top = form->Top();
    // A press in the client area that asks for a move, as a skinned title bar does.
    const QPoint g = w->mapToGlobal(QPoint(100, 50));
    QTest::mousePress(w, Qt::LeftButton, {}, at(g));
    ReleaseCapture();
    SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(g.x(), g.y()));
    moveTo(g + QPoint(15, 7));
    EXPECT_EQ(form->Left(), left + 15);
    moveTo(g + QPoint(30, 20));
    EXPECT_EQ(form->Left(), left + 30);
    EXPECT_EQ(form->Top(), top + 20);
    EXPECT_EQ(w->geometry().topLeft(), QPoint(left + 30, top + 20));
    QTest::mouseRelease(w, Qt::LeftButton, {}, at(g + QPoint(30, 20)));
    moveTo(g + QPoint(60, 60));
    EXPECT_EQ(form->Left(), left + 30) << "the release ends the move";

    // Dragging the bottom-right corner of the sizing band.
    const int width = form->Width(), height = form->Height();
    const QPoint corner = w->mapToGlobal(QPoint(width - 1, height - 1));
    moveTo(corner);
    QTest::mousePress(w, Qt::LeftButton, {}, at(corner));
    moveTo(corner + QPoint(25, 12));
    QTest::mouseRelease(w, Qt::LeftButton, {}, at(corner + QPoint(25, 12)));
    EXPECT_EQ(form->Width(), width + 25);
    EXPECT_EQ(form->Height(), height + 12);
    EXPECT_EQ(form->ClientWidth(), width + 25 - 8);
    EXPECT_EQ(form->Left(), left + 30) << "the left edge stays";

    // The left edge stops at the minimum width, and the right edge stays.
    form->Constraints()->SetMinWidth(200);
    const int right = form->Left() + form->Width();
    const QPoint edge = w->mapToGlobal(QPoint(0, 100));
    QTest::mousePress(w, Qt::LeftButton, {}, at(edge));
    moveTo(edge + QPoint(250, 0));
    QTest::mouseRelease(w, Qt::LeftButton, {}, at(edge + QPoint(250, 0)));
    EXPECT_EQ(form->Width(), 200);
    EXPECT_EQ(form->Left() + form->Width(), right);
}

TEST_F(NCFrame, EscapePutsAMovedWindowBack)
{
    TakeCaption(form);
    ShowActive(form);
    QWidget* w = form->Widget();
    const TRect start = form->BoundsRect();
    const QPoint g = w->mapToGlobal(QPoint(50, 50));
    QTest::mousePress(w, Qt::LeftButton, {}, QPoint(50, 50));
    form->Perform(WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(g.x(), g.y()));
    QTest::mouseMove(w, w->mapFromGlobal(g + QPoint(40, 20)));
    EXPECT_EQ(form->BoundsRect(), Rect(start.Left + 40, start.Top + 20, start.Right + 40, start.Bottom + 20));
    QTest::keyClick(w, Qt::Key_Escape);
    EXPECT_EQ(form->BoundsRect(), start);
    QTest::mouseRelease(w, Qt::LeftButton, {}, QPoint(50, 50));
    QTest::mouseMove(w, QPoint(80, 80));
    EXPECT_EQ(form->BoundsRect(), start) << "the move ended with Escape";
}

// ---- regions ----

TEST_F(NCFrame, WindowRegionBecomesTheMaskAndBelongsToTheWindow)
{
    TakeCaption(form);
    ShowActive(form);
    QWidget* w = form->Widget();
    HRGN top = CreateRoundRectRgn(0, 0, 301, 101, 11, 11);
    HRGN bottom = CreateRectRgn(0, 100, 300, 200);
    ASSERT_EQ(CombineRgn(top, top, bottom, RGN_OR), COMPLEXREGION);
    DeleteObject(bottom);
    EXPECT_EQ(SetWindowRgn(form->Handle(), top, TRUE), 1);
    EXPECT_FALSE(DeleteObject(top)) << "the window owns the region now";
    const QRegion mask = w->mask();
    for (const QPoint p : {QPoint(0, 0), QPoint(2, 0), QPoint(0, 2), QPoint(1, 1), QPoint(299, 0), QPoint(298, 1)})
        EXPECT_FALSE(mask.contains(p)) << "cut corner " << p.x() << ", " << p.y();
    for (const QPoint p :
         {QPoint(3, 0), QPoint(0, 3), QPoint(296, 0), QPoint(297, 1), QPoint(150, 100), QPoint(0, 199), QPoint(299, 199)})
        EXPECT_TRUE(mask.contains(p)) << p.x() << ", " << p.y();
    EXPECT_EQ(SetWindowRgn(form->Handle(), nullptr, TRUE), 1);
    EXPECT_TRUE(w->mask().isEmpty()) << "no region: the whole window";
    HRGN none = CreateRectRgn(0, 0, 0, 0);
    EXPECT_EQ(SetWindowRgn(form->Handle(), none, TRUE), 1);
    EXPECT_FALSE(w->mask().isEmpty());
    EXPECT_FALSE(w->mask().intersects(w->rect())) << "an empty region leaves nothing of the window";
    EXPECT_EQ(SetWindowRgn(form->Handle(), none, TRUE), 0) << "a region already handed over";
}

// ---- states, sizes, system commands, activation ----

TEST_F(NCFrame, SystemCommandsChangeTheWindowStateWithSizeMessagesInOrder)
{
    TakeCaption(form);
    ShowActive(form);
    TSubclass sub(form);
    const HWND h = form->Handle();
    // One command at a time, with the window system's answer to each in between, as a user's are.
    auto command = [&](WPARAM sc) {
        sub.seen.clear();
        SendMessageA(h, WM_SYSCOMMAND, sc, 0);
        testsupport::Pump(std::chrono::milliseconds(60));
    };
    auto sizes = [&] { return sub.Of(WM_SIZE); };

    command(SC_MINIMIZE);
    EXPECT_EQ(form->WindowState(), wsMinimized);
    EXPECT_TRUE(form->Widget()->isMinimized());
    EXPECT_EQ(sub.Order({WM_SYSCOMMAND, WM_SIZE}), (std::vector<UINT>{WM_SYSCOMMAND, WM_SIZE}));
    EXPECT_EQ(sizes().back().WParam, SIZE_MINIMIZED);
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_MINIMIZE);

    command(SC_RESTORE);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_EQ(sub.Order({WM_SYSCOMMAND, WM_SIZE}), (std::vector<UINT>{WM_SYSCOMMAND, WM_SIZE}));
    EXPECT_EQ(sizes().back().WParam, SIZE_RESTORED);
    EXPECT_EQ(sizes().back().LParam, MAKELPARAM(292, 192));

    command(SC_MAXIMIZE);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    ASSERT_EQ(sizes().size(), 1u) << "one WM_SIZE, with the maximised size";
    EXPECT_EQ(sizes()[0].WParam, SIZE_MAXIMIZED);
    EXPECT_GT(form->Width(), 300);
    EXPECT_EQ(form->Width(), form->Widget()->width());
    EXPECT_EQ(sizes()[0].LParam, MAKELPARAM(form->ClientWidth(), form->ClientHeight()));
    EXPECT_EQ(sub.Order({WM_SYSCOMMAND, WM_NCCALCSIZE, WM_SIZE}),
              (std::vector<UINT>{WM_SYSCOMMAND, WM_NCCALCSIZE, WM_SIZE}))
        << "the frame of the new size first";
    EXPECT_TRUE(GetWindowLong(h, GWL_STYLE) & WS_MAXIMIZE);

    // Minimised from maximised, a restore brings the maximised window back.
    command(SC_MINIMIZE);
    command(SC_RESTORE);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    ASSERT_EQ(sizes().size(), 1u);
    EXPECT_EQ(sizes()[0].WParam, SIZE_MAXIMIZED);

    command(SC_RESTORE);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_EQ(form->Width(), 300);
    ASSERT_EQ(sizes().size(), 1u);
    EXPECT_EQ(sizes()[0].WParam, SIZE_RESTORED);
    EXPECT_EQ(sizes()[0].LParam, MAKELPARAM(292, 192));

    // SC_CLOSE closes through WM_CLOSE.
    bool closed = false;
    form->OnClose = [&](TObject*, TCloseAction& a) {
        closed = true;
        a = caNone;
    };
    command(SC_CLOSE);
    EXPECT_TRUE(closed);
    EXPECT_EQ(sub.Order({WM_SYSCOMMAND, WM_CLOSE}), (std::vector<UINT>{WM_SYSCOMMAND, WM_CLOSE}));
}

TEST_F(NCFrame, ActivationShowAndHideReachTheWindowProcedure)
{
    TForm* other = Make(bsSizeable);
    TSubclass sub(form);
    int activated = 0, deactivated = 0;
    form->OnActivate = [&](TObject*) { ++activated; };
    form->OnDeactivate = [&](TObject*) { ++deactivated; };
    ShowActive(form);
    ASSERT_TRUE(WaitFor([&] { return form->Active(); }));
    auto show = sub.Of(WM_SHOWWINDOW);
    ASSERT_EQ(show.size(), 1u);
    EXPECT_EQ(show[0].WParam, WPARAM(TRUE));
    auto act = sub.Of(WM_ACTIVATE);
    ASSERT_FALSE(act.empty());
    EXPECT_EQ(LOWORD(act.back().WParam), WA_ACTIVE);
    EXPECT_EQ(sub.Order({WM_NCACTIVATE, WM_ACTIVATE}).front(), UINT(WM_NCACTIVATE)) << "the frame first";
    EXPECT_EQ(activated, 1) << "the default handling runs the form's own activation";

    sub.seen.clear();
    ShowActive(other);
    ASSERT_TRUE(WaitFor([&] { return !form->Active(); }));
    act = sub.Of(WM_ACTIVATE);
    ASSERT_FALSE(act.empty());
    EXPECT_EQ(LOWORD(act.back().WParam), WA_INACTIVE);
    const auto nca = sub.Of(WM_NCACTIVATE);
    ASSERT_FALSE(nca.empty());
    EXPECT_EQ(nca.back().WParam, WPARAM(FALSE));
    EXPECT_EQ(deactivated, 1);

    // A procedure that keeps WM_ACTIVATE keeps the form's own handling from running.
    sub.Before = [](TMessage& m) { return m.Msg == WM_ACTIVATE; };
    form->BringToFrontWindow();
    ASSERT_TRUE(WaitFor([&] { return form->Active(); }));
    EXPECT_EQ(activated, 1);

    sub.seen.clear();
    form->Hide();
    show = sub.Of(WM_SHOWWINDOW);
    ASSERT_EQ(show.size(), 1u);
    EXPECT_EQ(show[0].WParam, WPARAM(FALSE));
}

TEST_F(NCFrame, SetWindowPosMovesSizesAndKeepsWhatItsFlagsSay)
{
    const HWND h = form->Handle();
    EXPECT_TRUE(SetWindowPos(h, nullptr, 10, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(form->BoundsRect(), Rect(10, 20, 310, 220));
    EXPECT_TRUE(SetWindowPos(h, nullptr, 0, 0, 250, 150, SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE));
    EXPECT_EQ(form->BoundsRect(), Rect(10, 20, 260, 170));
    EXPECT_TRUE(SetWindowPos(h, nullptr, 1, 2, 3, 4, 0x37));
    EXPECT_EQ(form->BoundsRect(), Rect(10, 20, 260, 170)) << "0x37 only recomputes the frame";
    EXPECT_TRUE(SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_SHOWWINDOW));
    EXPECT_TRUE(form->Visible());
    EXPECT_TRUE(SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE | SWP_HIDEWINDOW));
    EXPECT_FALSE(form->Visible());
}

TEST_F(NCFrame, ANewBorderStyleRecreatesTheWindowThroughItsProcedure)
{
    TForm* f = Make(bsSingle);
    TSubclass sub(f);
    // A frame that keeps the caption off, as a skinned frame does after the window is made anew.
    sub.After = [f](TMessage& m) {
        if (m.Msg == CM_RECREATEWND && f->HasCaption())
            TakeCaption(f);
    };
    TakeCaption(f);
    f->SetBorderStyle(bsDialog);
    EXPECT_EQ(sub.Of(CM_RECREATEWND).size(), 1u);
    EXPECT_TRUE(GetWindowLong(f->Handle(), GWL_EXSTYLE) & WS_EX_DLGMODALFRAME) << "styles of the new border";
    EXPECT_FALSE(f->HasCaption());
    EXPECT_EQ(f->NonClientInsets(), Rect(3, 3, 3, 3));
}

#include "test_ncframe.moc"
