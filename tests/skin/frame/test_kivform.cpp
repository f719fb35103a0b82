// The skinned form: taking the host's frame over and giving it back, the frame's client insets,
// the frame painted in every built-in style (pixels), the window's shape, title-bar visibility,
// border styles, maximising and restoring, Alt+Space, FormPanel, a second frame on one host, and
// the main window's frame read from its stored definition.
#include "FormKit.h"

#include "framework/Regions.h"
#include "framework/StdCtrls.h"
#include "skin/controls/Kivbutton.h"
#include "skin/controls/Kivimagepanel.h"

#include <QScreen>
#include <QWindow>

using namespace formtest;

namespace {

class KivForm : public FormTest {};

}  // namespace

// ---- the main window ----

TEST_F(KivForm, TheMainWindowsFrameFromItsStoredDefinition)
{
    TForm* host = MainWindow();
    TkivForm* frame = FrameOf(host);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(messages.empty());
    ShowActive(host);

    // No system caption; the dialog frame is what the system keeps.
    EXPECT_EQ(DWORD(GetWindowLong(host->Handle(), GWL_STYLE)) & WS_CAPTION, 0u);
    EXPECT_EQ(host->BorderStyle(), bsDialog);
    EXPECT_EQ(frame->BottomMargin(), 3);
    EXPECT_EQ(frame->LeftMargin(), 3);
    EXPECT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), 2);
    EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, 2));
    EXPECT_EQ(host->ClientWidth(), 410);
    EXPECT_EQ(host->ClientHeight(), 313);
    EXPECT_EQ(host->Width(), 416);
    EXPECT_EQ(host->Height(), 318);
    EXPECT_EQ(host->Constraints()->MinHeight(), 23);
    EXPECT_EQ(host->Constraints()->MinWidth(), 130);

    // The frame fills the client area; its title bar is 20 high at its top.
    EXPECT_EQ(frame->BoundsRect(), Rect(0, 0, 410, 313));
    EXPECT_EQ(frame->TitleBar()->BoundsRect(), Rect(0, 0, 410, 20));
    EXPECT_EQ(frame->GetTitleBarHeight(), 23);
    EXPECT_EQ(frame->MenuBarHeight(), 0);
    EXPECT_EQ(frame->MenuBar(), nullptr);
    EXPECT_EQ(frame->Caption(), QStringLiteral("RQ_27M"));
    EXPECT_EQ(host->Caption(), QStringLiteral("RQ_27M"));
    EXPECT_EQ(frame->Color(), TColor(0xFBFBFB));
    EXPECT_EQ(frame->TitleBar()->Buttons()->Count(), 2);
    EXPECT_EQ(frame->TitleBar()->Sections()->Count(), 3);
    EXPECT_EQ(frame->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(frame->Version(), QStringLiteral("6.4")) << "a stored Version is ignored";
    EXPECT_EQ(frame->About(), QStringLiteral("Kivkit skinned form frame")) << "a stored About is ignored";

    const QImage img = Shot(host);
    ASSERT_EQ(img.size(), QSize(416, 318));
    const int W = 416, H = 318;
    const QImage left = TitlePicture(frame, 0), right = TitlePicture(frame, 1);
    ASSERT_EQ(left.size(), QSize(441, 23));
    ASSERT_EQ(right.size(), QSize(1, 23));
    const TColor strip = TColor(0xFBFBFB);
    int bad = 0;
    auto expect = [&](int x, int y, TColor want, const char* what) {
        if (PixelAt(img, x, y) != want && ++bad <= 5)
            ADD_FAILURE() << what << " (" << x << ", " << y << "): " << Hex(PixelAt(img, x, y)) << " instead of "
                          << Hex(want);
    };
    for (int y = 0; y < H; ++y) {
        expect(0, y, clBlack, "left border");
        expect(W - 1, y, clBlack, "right border");
    }
    for (int x = 0; x < W; ++x)
        expect(x, H - 1, clBlack, "bottom border");
    for (int x = 1; x < W - 1; ++x)
        expect(x, H - 2, strip, "row above the bottom line");
    for (int y = 23; y < H - 1; ++y)
        for (int x : {1, 2, W - 3, W - 2})
            expect(x, y, strip, "inner strip");
    // The top rows and the strips beside the title bar continue the title pictures.
    for (int y = 0; y < 3; ++y) {
        expect(1, y, QRgbToColor(left.pixel(0, y)), "top rows, left strip");
        for (int x = 2; x < W - 3; ++x)
            expect(x, y, QRgbToColor(left.pixel(x, y)), "top rows");
    }
    for (int y = 3; y < 23; ++y)
        for (int x : {1, 2})
            expect(x, y, QRgbToColor(left.pixel(x - 1, y)), "left strip beside the title bar");
    for (int y = 0; y < 23; ++y)
        for (int x : {W - 3, W - 2})
            expect(x, y, QRgbToColor(right.pixel(0, y)), "right strip beside the title bar");
    EXPECT_EQ(bad, 0);

    // The client below the title bar shows the Protein tile from the frame's origin.
    TBitmap tile;
    tile.LoadFromResourceName(HInstance, QStringLiteral("PROTEIN_FORM_BACKGROUND"));
    for (int y : {23, 30, 200, 314})
        for (int x : {3, 10, 200, 412})
            EXPECT_EQ(Hex(PixelAt(img, x, y)), Hex(QRgbToColor(tile.Image().pixel((x - 3) % 8, (y - 3) % 8))))
                << x << ", " << y;

    // A rectangular window: no corner is cut.
    for (QPoint p : {QPoint(0, 0), QPoint(W - 1, 0), QPoint(0, H - 1), QPoint(W - 1, H - 1)})
        EXPECT_TRUE(InShape(host, p.x(), p.y())) << p.x() << ", " << p.y();
}

TEST_F(KivForm, ComponentsOfTheStoredDefinitionAreReachable)
{
    TForm* host = MainWindow();
    TkivForm* frame = dynamic_cast<TkivForm*>(host->FindComponent(QStringLiteral("kivForm1")));
    ASSERT_NE(frame, nullptr);
    EXPECT_EQ(frame->HostForm(), host);
    EXPECT_EQ(frame->Parent(), host);
    EXPECT_EQ(frame->Align(), alClient);
    EXPECT_EQ(frame->UIStyle(), Protein);
    EXPECT_EQ(GetKIVFormStyle(host), Protein) << "controls placed later start in the frame's style";
    TkivTitleBarButton* close = frame->TitleBar()->Buttons()->Items(1);
    EXPECT_EQ(close->ButtonType(), kivClose);
    EXPECT_TRUE(close->HasPictures());
    EXPECT_EQ(close->PicNormal()->Width(), 19);
    EXPECT_EQ(frame->TitleBar()->Sections()->Items(2)->Align(), kivClient);
}

// ---- built-in styles ----

namespace {

struct TStyleCase {
    TkivUIStyle style;
    int borderWidth;
    TColor border;
    TColor color;
    int roundCorner;
    int minWidth;
};

const TStyleCase kStyles[] = {
    {MacOS, 1, TColor(0x7F7F7F), TColor(0xE7E7E7), 0, 130},
    {WinXP, 3, TColor(0xC82C00), TColor(0xDEEBEF), 13, 150},
    {DeepBlue, 1, TColor(0x000000), TColor(0xE8E8E8), 0, 130},
    {Protein, 1, TColor(0x000000), TColor(0xFBFBFB), 0, 130},
    {BlueGlass, 1, TColor(0x000000), TColor(0xE7E7E7), 11, 270},
};

}  // namespace

TEST_F(KivForm, EachBuiltInStyleGivesItsBorderInsetsAndCorners)
{
    for (const TStyleCase& c : kStyles) {
        SCOPED_TRACE(StyleName(c.style));
        TForm* host = Host();
        TkivForm* frame = Frame(host, c.style);
        ShowActive(host);
        EXPECT_EQ(frame->BorderWidth(), c.borderWidth);
        EXPECT_EQ(frame->BorderColor(), c.border);
        EXPECT_EQ(frame->Color(), c.color);
        EXPECT_EQ(frame->MenuBarColor(), c.color);
        EXPECT_EQ(frame->MenuBarToColor(), c.color);
        EXPECT_EQ(frame->RoundCorner(), c.roundCorner);
        EXPECT_EQ(frame->RoundCornerBottom(), 0);
        EXPECT_EQ(host->Constraints()->MinWidth(), c.minWidth);
        EXPECT_EQ(host->Constraints()->MinHeight(), frame->TitleBar()->Height() + 3);
        // The bottom inset is the system frame plus BW - 2, except with BW 3: the frame alone.
        const int bottom = c.borderWidth == 3 ? 3 : 3 + c.borderWidth - 2;
        EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, bottom));

        const int W = host->Width(), H = host->Height(), bw = c.borderWidth;
        const QImage img = Shot(host);
        ASSERT_EQ(img.size(), QSize(W, H));
        for (int k = 0; k < bw; ++k) {
            EXPECT_EQ(Hex(PixelAt(img, k, H / 2)), Hex(c.border)) << "left border " << k;
            EXPECT_EQ(Hex(PixelAt(img, W - 1 - k, H / 2)), Hex(c.border)) << "right border " << k;
            EXPECT_EQ(Hex(PixelAt(img, W / 2, H - 1 - k)), Hex(c.border)) << "bottom border " << k;
        }
        for (int x = bw; x < 3; ++x) {
            EXPECT_EQ(Hex(PixelAt(img, x, H / 2)), Hex(c.color)) << "left strip " << x;
            EXPECT_EQ(Hex(PixelAt(img, W - 1 - x, H / 2)), Hex(c.color)) << "right strip " << x;
        }
        if (bw < 2) {
            EXPECT_EQ(Hex(PixelAt(img, W / 2, H - 2)), Hex(c.color)) << "row above the bottom line";
        }
        // The client background: the style's tile for MacOS and Protein, Color for the others.
        const QPoint in(40, 100);
        TColor want = c.color;
        if (c.style == MacOS || c.style == Protein) {
            TBitmap tile;
            tile.LoadFromResourceName(HInstance, c.style == MacOS ? QStringLiteral("MACOS_FORM_BACKGROUND")
                                                                  : QStringLiteral("PROTEIN_FORM_BACKGROUND"));
            ASSERT_EQ(tile.Width(), 8);
            want = QRgbToColor(tile.Image().pixel((in.x() - 3) % 8, (in.y() - 3) % 8));
        }
        EXPECT_EQ(Hex(PixelAt(img, in.x(), in.y())), Hex(want)) << "client background";
        // The top rows continue the left title picture as far as it reaches (past the borders
        // and corner arcs).
        const QImage left = TitlePicture(frame, 0);
        for (int y = 0; y < 3; ++y)
            for (int x = 14; x < std::min(left.width(), W - 3); x += 7)
                EXPECT_EQ(Hex(PixelAt(img, x, y)), Hex(QRgbToColor(left.pixel(x, y)))) << "top row at " << x << ", " << y;

        // The shape: top corners cut by the style's radius, bottom corners square.
        const bool cut = c.roundCorner >= 2;
        EXPECT_EQ(InShape(host, 0, 0), !cut);
        EXPECT_EQ(InShape(host, W - 1, 0), !cut);
        EXPECT_TRUE(InShape(host, W / 2, 0));
        EXPECT_TRUE(InShape(host, 0, c.roundCorner + 1));
        EXPECT_TRUE(InShape(host, 0, H - 1));
        EXPECT_TRUE(InShape(host, W - 1, H - 1));
        EXPECT_FALSE(InShape(host, W, H / 2)) << "nothing outside the window";
    }
}

TEST_F(KivForm, TheRegionRoundsTheTopAndBottomHalvesSeparately)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, DeepBlue);
    ShowActive(host);
    const int W = host->Width(), H = host->Height();
    frame->SetRoundCorner(8);
    frame->SetRoundCornerBottom(6);
    EXPECT_EQ(frame->TitleBar()->RoundCorner(), 8) << "the radii live in the title bar";
    EXPECT_EQ(frame->TitleBar()->RoundCornerBottom(), 6);
    // The region the frame gives the window is the union of the two rounded halves.
    HRGN top = CreateRoundRectRgn(0, 0, W + 1, H / 2 + 1, 8, 8);
    HRGN bottom = CreateRoundRectRgn(0, H / 2, W + 1, H + 1, 6, 6);
    QRegion want, part;
    ASSERT_TRUE(RegionPixels(top, want));
    ASSERT_TRUE(RegionPixels(bottom, part));
    want += part;
    want += QRect(0, H / 2 - 16, 16, 16);
    want += QRect(W - 16, H / 2 - 16, 16, 16);
    want += QRect(0, H / 2, 12, 12);
    want += QRect(W - 12, H / 2, 12, 12);
    DeleteObject(top);
    DeleteObject(bottom);
    EXPECT_EQ(host->Widget()->mask(), want);
    EXPECT_FALSE(InShape(host, 0, 0));
    EXPECT_FALSE(InShape(host, 0, H - 1));
    EXPECT_TRUE(InShape(host, 0, H / 2 - 1)) << "the halves meet with square corners";
    EXPECT_TRUE(InShape(host, W - 1, H / 2));
    // -1 counts as 0.
    frame->SetRoundCorner(-1);
    frame->SetRoundCornerBottom(-1);
    EXPECT_TRUE(InShape(host, 0, 0));
    EXPECT_TRUE(InShape(host, W - 1, H - 1));
}

TEST_F(KivForm, RoundCorner11WithBorderWidth1DrawsTheTopArcs)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, BlueGlass);
    ShowActive(host);
    const int W = host->Width(), H = host->Height();
    ASSERT_EQ(frame->RoundCorner(), 11);
    ASSERT_EQ(frame->BorderWidth(), 1);
    const QImage arcs = Shot(host);

    // Where the framework's own arcs fall (only the pixels on the frame band show).
    TBitmap ref(W, H);
    TCanvas* rc = ref.Canvas();
    rc->Brush()->SetColor(clWhite);
    rc->FillRect(Rect(0, 0, W, H));
    rc->Pen()->SetColor(clBlack);
    rc->Arc(W - 21, -1, W + 1, 21, W + 1, 10, W - 10, -1);
    rc->Arc(-1, -1, 21, 21, 10, -1, -1, 10);
    std::vector<QPoint> arcPixels;
    for (int y = 0; y < 12; ++y)
        for (int x = 0; x < W; ++x) {
            const bool band = y < 3 || x < 3 || x >= W - 3;
            if (band && QRgbToColor(ref.Image().pixel(x, y)) == clBlack)
                arcPixels.push_back(QPoint(x, y));
        }
    ASSERT_GT(arcPixels.size(), 8u);
    for (QPoint p : arcPixels)
        EXPECT_EQ(Hex(PixelAt(arcs, p.x(), p.y())), Hex(clBlack)) << "arc pixel " << p.x() << ", " << p.y();

    // Another radius draws no arcs (the band keeps the title pictures) but still rounds the window.
    frame->SetRoundCorner(10);
    frame->PaintFormBorder();
    const QImage plain = Shot(host);
    int differ = 0;
    for (QPoint p : arcPixels)
        differ += PixelAt(plain, p.x(), p.y()) != clBlack;
    EXPECT_GT(differ, 0);
    const QImage left = TitlePicture(frame, 0);
    EXPECT_EQ(Hex(PixelAt(plain, 5, 1)), Hex(QRgbToColor(left.pixel(5, 1))));
    EXPECT_FALSE(InShape(host, 0, 0));

    // BW other than 1 draws none either.
    frame->SetRoundCorner(11);
    frame->SetBorderWidth(2);
    const QImage wide = Shot(host);
    EXPECT_EQ(Hex(PixelAt(wide, 5, 1)), Hex(QRgbToColor(left.pixel(5, 1))));
}

TEST_F(KivForm, AHiddenTitleBarLeavesALineTwoRowsAndARectangle)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, BlueGlass);
    ShowActive(host);
    const int W = host->Width();
    frame->SetRoundCornerBottom(5);
    ASSERT_FALSE(InShape(host, 0, 0));
    frame->SetTitleBarVisible(false);
    EXPECT_FALSE(frame->TitleBarVisible());
    EXPECT_EQ(frame->GetTitleBarHeight(), 0);
    EXPECT_EQ(frame->RoundCorner(), 0);
    EXPECT_EQ(frame->RoundCornerBottom(), 0);
    EXPECT_EQ(frame->TitleBar()->RoundCorner(), 11) << "the title bar keeps its radius";
    EXPECT_TRUE(InShape(host, 0, 0)) << "the window is a plain rectangle";
    EXPECT_TRUE(InShape(host, W - 1, host->Height() - 1));

    const QImage img = Shot(host);
    for (int x = 0; x < W; x += 5)
        EXPECT_EQ(Hex(PixelAt(img, x, 0)), Hex(clBlack)) << "top line at " << x;
    for (int y : {1, 2})
        for (int x = 1; x < W - 1; x += 5)
            EXPECT_EQ(Hex(PixelAt(img, x, y)), Hex(TColor(0xE7E7E7))) << x << ", " << y;
    EXPECT_EQ(Hex(PixelAt(img, 1, 10)), Hex(TColor(0xE7E7E7))) << "the strips start at the top";
    EXPECT_EQ(Hex(PixelAt(img, 0, 1)), Hex(clBlack));

    frame->SetTitleBarVisible(true);
    EXPECT_EQ(frame->RoundCorner(), 11);
    EXPECT_FALSE(InShape(host, 0, 0)) << "round again";
}

TEST_F(KivForm, BorderWidthPaintsAtOnceAndSizesAtTheNextFrameChange)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, DeepBlue);
    ShowActive(host);
    const int H = host->Height();
    frame->SetBorderColor(clRed);
    frame->SetBorderWidth(2);
    QImage img = Shot(host);
    EXPECT_EQ(Hex(PixelAt(img, 1, H / 2)), Hex(clRed));
    EXPECT_EQ(Hex(PixelAt(img, 2, H / 2)), Hex(TColor(0xE8E8E8)));
    EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, 2)) << "the client area waits";
    SetWindowPos(host->Handle(), nullptr, 0, 0, 0, 0, 0x37);
    EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, 3));
    frame->SetBorderWidth(0);
    SetWindowPos(host->Handle(), nullptr, 0, 0, 0, 0, 0x37);
    EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, 1));
}

// ---- border styles and the system frame ----

TEST_F(KivForm, BorderStylesWithoutAResizingFrameBecomeDialogs)
{
    struct Case {
        TFormBorderStyle before, after;
        int margin;
        TRect insets;
    };
    const Case cases[] = {
        {bsSingle, bsDialog, 3, Rect(3, 3, 3, 2)},
        {bsToolWindow, bsDialog, 3, Rect(3, 3, 3, 2)},
        {bsDialog, bsDialog, 3, Rect(3, 3, 3, 2)},
        {bsSizeable, bsSizeable, 4, Rect(4, 4, 4, 3)},
        {bsSizeToolWin, bsSizeToolWin, 4, Rect(4, 4, 4, 3)},
        {bsNone, bsDialog, 0, Rect(3, 3, 3, 2)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "border style " << int(c.before));
        TForm* host = Host(c.before);
        TkivForm* frame = Frame(host, DeepBlue);
        ShowActive(host);
        EXPECT_EQ(host->BorderStyle(), c.after);
        EXPECT_EQ(frame->OriginalBorderStyle(), c.before);
        EXPECT_EQ(frame->BottomMargin(), c.margin);
        EXPECT_EQ(frame->LeftMargin(), c.margin);
        EXPECT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), c.margin - 1);
        EXPECT_EQ(DWORD(GetWindowLong(host->Handle(), GWL_STYLE)) & WS_CAPTION, 0u);
        EXPECT_EQ(host->NonClientInsets(), c.insets);
        EXPECT_FALSE(host->Scaled());
        EXPECT_FALSE(host->AutoScroll());
        // Only a kept resizing frame resizes from its corner.
        const QPoint corner = host->Widget()->mapToGlobal(QPoint(host->Width() - 1, host->Height() - 1));
        const LRESULT hit = SendMessageA(host->Handle(), WM_NCHITTEST, 0, MAKELPARAM(corner.x(), corner.y()));
        EXPECT_EQ(hit, c.after == bsDialog ? HTBORDER : HTBOTTOMRIGHT);
    }
}

TEST_F(KivForm, AnMDIChildThatWasSingleIsNotResizedByItsFrame)
{
    // The previous procedure answers a sizing code; the frame turns it into a plain border for
    // an MDI child whose border style was bsSingle.
    for (bool mdi : {true, false}) {
        SCOPED_TRACE(mdi ? "MDI child" : "ordinary form");
        TForm* host = Host(bsSingle);
        if (mdi)
            host->SetFormStyle(fsMDIChild);
        auto previous = host->WindowProc;
        host->WindowProc = [previous](TMessage& m) {
            previous(m);
            if (m.Msg == WM_NCHITTEST)
                m.Result = HTBOTTOMRIGHT;
        };
        TkivForm* frame = Frame(host, DeepBlue);
        EXPECT_EQ(frame->GetMDIChild(), mdi);
        EXPECT_EQ(SendMessageA(host->Handle(), WM_NCHITTEST, 0, 0), mdi ? HTBORDER : HTBOTTOMRIGHT);
        if (mdi) {
            EXPECT_EQ(frame->BottomMargin(), 0) << "asked of the main form, which has no MDI frame";
            EXPECT_EQ(frame->LeftMargin(), 0);
        }
        delete frame;
        host->WindowProc = previous;
    }
}

// ---- giving the frame back ----

TEST_F(KivForm, RemovingTheFrameGivesTheHostItsCaptionAndProcedureBack)
{
    TForm* host = Host();
    std::vector<UINT> seen;
    auto previous = host->WindowProc;
    host->WindowProc = [previous, &seen](TMessage& m) {
        seen.push_back(m.Msg);
        previous(m);
    };
    TkivForm* frame = Frame(host, Protein);
    ShowActive(host);
    ASSERT_FALSE(host->HasCaption());
    ASSERT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), 2);
    delete frame;
    EXPECT_TRUE(host->HasCaption());
    EXPECT_EQ(host->NonClientInsets(), TRect()) << "decorated again: the whole window is client area";
    seen.clear();
    EXPECT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), 0) << "a form without a frame answers 0";
    EXPECT_EQ(seen, std::vector<UINT>{KIVM_GETFRAMEINSET}) << "the procedure before the frame has it again";
    host->SetBounds(host->Left(), host->Top(), 300, 200);
    QCoreApplication::processEvents();
    EXPECT_EQ(host->ClientWidth(), 300);
}

TEST_F(KivForm, AHostDestroyedWithItsFrameKeepsWorking)
{
    TForm* host = Host();
    Frame(host, MacOS);
    ShowActive(host);
    hosts.pop_back();
    delete host;  // the frame goes with it; nothing may reach the frame afterwards
    QCoreApplication::processEvents();
    SUCCEED();
}

TEST_F(KivForm, ASecondFrameOnAHostStaysAnInertPanel)
{
    TForm* host = Host();
    TkivForm* first = Frame(host, Protein);
    auto* second = new TkivForm(host);
    EXPECT_EQ(second->HostForm(), nullptr);
    EXPECT_EQ(second->TitleBar(), nullptr);
    EXPECT_EQ(second->Parent(), nullptr) << "it takes nothing over, not even a place on the host";
    EXPECT_TRUE(messages.empty()) << "no error box";
    second->SetParent(host);
    second->SetUIStyle(MacOS);
    second->SetCaption(QStringLiteral("second"));
    second->SetTitleBarVisible(false);
    EXPECT_EQ(second->RoundCorner(), 0);
    EXPECT_TRUE(second->TitleBarDrawAppIcon());
    EXPECT_EQ(second->InactiveCaptionColor(), clInactiveCaption);
    EXPECT_EQ(host->Caption(), QStringLiteral("Host")) << "the second frame does not touch the host";
    EXPECT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), 2) << "the first frame answers";
    delete second;
    EXPECT_FALSE(host->HasCaption()) << "removing the inert panel gives nothing back";
    EXPECT_EQ(first->HostForm(), host);

    // A frame made on something that is not a form is a plain panel too.
    auto* panel = new TPanel(host);
    panel->SetParent(host);
    auto* onPanel = new TkivForm(panel);
    EXPECT_EQ(onPanel->HostForm(), nullptr);
    EXPECT_EQ(onPanel->TitleBar(), nullptr);
    delete onPanel;
}

// ---- maximising and restoring ----

TEST_F(KivForm, MaximisingPlacesTheHostOnTheWorkAreaGrown)
{
    TForm* host = Host(bsSizeable);
    TkivForm* frame = Frame(host, Protein);
    // Where the host is when each maximised WM_SIZE has been handled (the offscreen platform keeps
    // a maximised window at its own place, so the frame's placement is read here).
    std::vector<TRect> placed;
    auto framed = host->WindowProc;
    host->WindowProc = [framed, host, &placed](TMessage& m) {
        framed(m);
        if (m.Msg == WM_SIZE && m.WParam == SIZE_MAXIMIZED)
            placed.push_back(host->BoundsRect());
    };
    Application->SetMainForm(host);
    ShowActive(host);
    const TRect normal = host->BoundsRect();
    const TRect work = GetWorkAreaRect();
    host->SetWindowState(wsMaximized);
    ASSERT_TRUE(WaitFor([&] { return !placed.empty() && host->Widget()->isMaximized(); }));
    testsupport::Pump(std::chrono::milliseconds(50));
    const TRect want = Rect(work.Left - 2, work.Top - 2, work.Right + 2, work.Bottom - 1);
    EXPECT_EQ(placed.back(), want) << placed.back().Left << ", " << placed.back().Top << ", "
                                   << placed.back().Width() << " x " << placed.back().Height();
    EXPECT_EQ(host->WindowState(), wsMaximized) << "placing it keeps it maximised";
    EXPECT_TRUE(host->Widget()->isMaximized());
    // The maximise button shows the restore pictures.
    TkivTitleBarButton* max = nullptr;
    for (int i = 0; i < frame->TitleBar()->Buttons()->Count(); ++i)
        if (frame->TitleBar()->Buttons()->Items(i)->ButtonType() == kivMax)
            max = frame->TitleBar()->Buttons()->Items(i);
    ASSERT_NE(max, nullptr);
    TBitmap restore;
    GetInsideThemeBitmap(Protein, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &restore, 18, 10);
    EXPECT_EQ(max->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32),
              restore.Image().convertToFormat(QImage::Format_RGB32));

    host->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !host->Widget()->isMaximized() && host->BoundsRect() == normal; }))
        << host->Left() << ", " << host->Top() << ", " << host->Width() << " x " << host->Height();
    EXPECT_EQ(host->WindowState(), wsNormal);
    const QImage img = Shot(host);
    EXPECT_EQ(img.size(), QSize(normal.Width(), normal.Height()));
    EXPECT_EQ(Hex(PixelAt(img, 0, normal.Height() / 2)), Hex(clBlack));
    EXPECT_EQ(Hex(PixelAt(img, normal.Width() - 1, normal.Height() / 2)), Hex(clBlack));
    host->WindowProc = framed;
}

TEST_F(KivForm, AHostCreatedMaximisedReturnsToItsBoundsAtTheFirstRestore)
{
    TForm* host = Host(bsSizeable);
    host->SetWindowState(wsMaximized);
    TkivForm* frame = Frame(host, DeepBlue);
    EXPECT_TRUE(frame->CreatedMaximized());
    EXPECT_EQ(frame->CreateBounds(), Rect(60, 50, 60 + 416, 50 + 318));
    Application->SetMainForm(host);
    ShowActive(host);
    ASSERT_TRUE(WaitFor([&] { return host->Widget()->isMaximized(); }));
    QCoreApplication::processEvents();
    EXPECT_GE(TkivForm::MaximizedSizeCount, 1);
    EXPECT_LE(TkivForm::MaximizedSizeCount, 2);
    EXPECT_TRUE(frame->CreatedMaximized());

    host->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !frame->CreatedMaximized(); }));
    ASSERT_TRUE(WaitFor([&] { return host->BoundsRect() == Rect(60, 50, 60 + 416, 50 + 318); }))
        << host->Left() << ", " << host->Top() << ", " << host->Width() << " x " << host->Height();
    EXPECT_EQ(host->WindowState(), wsNormal);
}

TEST_F(KivForm, AStoredHostCreatedMaximisedReturnsToItsStoredSize)
{
    auto* host = NewForm<TForm>(Application);
    hosts.push_back(host);
    ReadComponentText(host, QByteArray(R"(object F: TForm
  Left = 70
  Top = 40
  BorderStyle = bsSizeable
  ClientHeight = 300
  ClientWidth = 400
  WindowState = wsMaximized
  object kivForm1: TkivForm
    UIStyle = MacOS
  end
end
)"),
                      QStringLiteral("maximised.dfm"));
    TkivForm* frame = FrameOf(host);
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->CreatedMaximized());
    // The sizing frame of 4 leaves 4, 4, 4 and 3 around the stored client area.
    const TRect stored = Rect(70, 40, 70 + 408, 40 + 307);
    EXPECT_EQ(frame->CreateBounds(), stored);
    Application->SetMainForm(host);
    ShowActive(host);
    ASSERT_TRUE(WaitFor([&] { return host->Widget()->isMaximized(); }));
    host->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !frame->CreatedMaximized() && host->BoundsRect() == stored; }))
        << host->Left() << ", " << host->Top() << ", " << host->Width() << " x " << host->Height();
    EXPECT_EQ(host->ClientWidth(), 400);
    EXPECT_EQ(host->ClientHeight(), 300);
}

// ---- keys ----

TEST_F(KivForm, AltSpaceOpensTheSystemMenuBelowTheMainFormsTitleBar)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, Protein);
    Application->SetMainForm(host);
    ShowActive(host);
    auto* edit = new TEdit(host);
    edit->SetParent(frame);
    edit->SetBounds(20, 60, 100, 21);
    edit->SetFocus();
    bool ours = false;
    TWhenMenuOpen when([&] { ours = frame->TitleBar()->SystemMenu()->IsTracking(); });
    QTest::keyClick(edit->Widget(), Qt::Key_Space, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return when.Opened == 1 && OpenMenuWindows().empty(); }));
    EXPECT_TRUE(ours);
    EXPECT_EQ(when.Place.topLeft(), QPoint(host->Left(), host->Top() + frame->TitleBar()->Height()));
    EXPECT_EQ(edit->Text(), QString()) << "nothing typed";

    // Anywhere in the application, and one menu for one key even with two skinned forms.
    TForm* other = Host();
    TkivForm* otherFrame = Frame(other, DeepBlue);
    other->SetBounds(300, 200, 300, 200);
    ShowActive(other);
    int opened = 0;
    when.Again();
    QTest::keyClick(other->Widget(), Qt::Key_Space, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return when.Opened == 2 && OpenMenuWindows().empty(); }));
    QTimer extra;
    QObject::connect(&extra, &QTimer::timeout, [&] {
        if (!OpenMenuWindows().empty()) {
            ++opened;
            QTest::keyClick(OpenMenuWindows().back(), Qt::Key_Escape);
        }
    });
    extra.start(0);
    testsupport::Pump(std::chrono::milliseconds(100));
    EXPECT_EQ(opened, 0) << "a second system menu opened for the same key";
    EXPECT_EQ(when.Place.topLeft(), QPoint(host->Left(), host->Top() + otherFrame->TitleBar()->Height()))
        << "below the main form's title bar";
}

// ---- FormPanel ----

TEST_F(KivForm, FormPanelFillsTheFormAndRefusesTheFrameItself)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, Protein);
    auto* panel = new TPanel(host);
    panel->SetParent(frame);
    panel->SetCaption(QStringLiteral("panel"));
    frame->SetFormPanel(panel);
    EXPECT_EQ(frame->FormPanel(), panel);
    EXPECT_EQ(panel->Align(), alClient);
    EXPECT_EQ(panel->BevelOuter(), bvNone);
    EXPECT_EQ(panel->BevelInner(), bvNone);
    EXPECT_EQ(panel->Caption(), QString());
    EXPECT_EQ(panel->Top(), frame->TitleBar()->Height()) << "below the title bar";

    frame->SetFormPanel(frame);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Sorry, you can't select the Form assign to FormPanel property"));
    EXPECT_EQ(captions[0], QStringLiteral("Error"));
    EXPECT_EQ(boxFlags[0], UINT(MB_OK | MB_ICONERROR));
    EXPECT_EQ(frame->FormPanel(), panel) << "unchanged";

    auto* picture = new TkivImagePanel(host);
    picture->SetParent(frame);
    picture->SetCaption(QStringLiteral("picture"));
    picture->SetBevelOuter(bvRaised);
    frame->SetFormPanel(picture);
    EXPECT_EQ(picture->Align(), alClient);
    EXPECT_EQ(picture->Caption(), QString());
    EXPECT_EQ(picture->BevelOuter(), bvRaised) << "only a framework panel loses its bevels";

    delete picture;
    EXPECT_EQ(frame->FormPanel(), nullptr) << "a removed panel is forgotten";
    frame->SetFormPanel(nullptr);
    EXPECT_EQ(messages.size(), 1u);
}

// ---- looks passed on and taken back ----

TEST_F(KivForm, UIStyleAutoUpdateSubPassesTheStyleToTheControlsInside)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, Protein);
    auto* button = new TkivButton(host);
    button->SetParent(frame);
    EXPECT_EQ(button->UIStyle(), Protein) << "a control starts in the frame's style";
    frame->SetUIStyle(MacOS);
    EXPECT_EQ(button->UIStyle(), Protein) << "not passed on by default";
    frame->SetUIStyleAutoUpdateSub(true);
    frame->SetUIStyle(WinXP);
    EXPECT_EQ(button->UIStyle(), WinXP);
}

TEST_F(KivForm, ASkinFileSizesTheFrameFromItsBorderPictures)
{
    TForm* host = Host();
    TkivFileTheme* skin = SampleSkin(host);
    ASSERT_TRUE(skin->Ready());
    TkivForm* frame = Frame(host, FromThemeFile, skin);
    auto* button = new TkivButton(host);
    button->SetParent(frame);
    ShowActive(host);

    TBitmap* leftBorder = skin->GetBitmap(SKIN2_FORMLEFTBORDER);
    TBitmap* rightBorder = skin->GetBitmap(SKIN2_FORMRIGHTBORDER);
    TBitmap* bottomBorder = skin->GetBitmap(SKIN2_FORMBOTTOMBORDER1);
    ASSERT_TRUE(leftBorder && rightBorder && bottomBorder);
    EXPECT_EQ(frame->SkinLeftWidth(), leftBorder->Width());
    EXPECT_EQ(frame->SkinRightWidth(), rightBorder->Width());
    EXPECT_EQ(frame->SkinBottomHeight(), bottomBorder->Height());
    EXPECT_EQ(frame->Color(), skin->GetColor(SKIN2_FORMCOLOR));
    EXPECT_EQ(frame->MenuBarColor(), skin->GetColor(SKIN2_MENUBARSTARTCOLOR));
    EXPECT_EQ(frame->MenuBarToColor(), skin->GetColor(SKIN2_MENUBARENDCOLOR));
    EXPECT_EQ(frame->TransparentColor(), skin->GetColor(SKIN2_TRANSCOLOR));
    EXPECT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), std::max(leftBorder->Width(), 4));
    // Margins of 3 (max 4), the system frame of 3 taken off afterwards.
    const int l = std::max(leftBorder->Width(), 4) - 4 + 1 + 3;
    const int r = std::max(rightBorder->Width(), 4) - 4 + 1 + 3;
    const int b = std::max(bottomBorder->Height(), 4) - 4 + 1 + 3;
    EXPECT_EQ(host->NonClientInsets(), Rect(l, 3, r, b));
    EXPECT_EQ(host->Constraints()->MinHeight(), frame->TitleBar()->Height() + bottomBorder->Height() + 3);

    // The left border picture is stretched down the window's left edge below the title bar.
    const QImage img = Shot(host);
    const int y = host->Height() / 2;
    const QImage lb = leftBorder->Image().convertToFormat(QImage::Format_RGB32);
    EXPECT_EQ(Hex(PixelAt(img, 0, y)), Hex(QRgbToColor(lb.pixel(0, lb.height() / 2))));

    // The skin goes away: everything falls back to DeepBlue.
    delete skin;
    EXPECT_EQ(frame->FileTheme(), nullptr);
    EXPECT_EQ(frame->UIStyle(), DeepBlue);
    EXPECT_EQ(button->UIStyle(), DeepBlue);
    EXPECT_EQ(frame->SkinLeftWidth(), 0);
    EXPECT_EQ(frame->BorderColor(), TColor(0x000000));
    EXPECT_EQ(SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0), 2);
    EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, 2));
}

TEST_F(KivForm, TitleBarPassThroughsAndEvents)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, Protein);
    TkivTitleBar* bar = frame->TitleBar();
    frame->SetCaption(QStringLiteral("Config"));
    EXPECT_EQ(bar->Caption(), QStringLiteral("Config"));
    EXPECT_EQ(host->Caption(), QStringLiteral("Config"));
    EXPECT_EQ(frame->Text(), QStringLiteral(" ")) << "the panel's own text stays a blank";
    frame->SetTitleBarDrawAppIcon(false);
    EXPECT_FALSE(bar->DrawAppIcon());
    frame->SetInactiveCaptionColor(clRed);
    EXPECT_EQ(bar->InactiveCaptionColor(), clRed);
    frame->SetTitleBarCustom(true);
    EXPECT_TRUE(bar->Custom());
    frame->SetUIStyle(MacOS);
    EXPECT_EQ(bar->Sections()->Items(0)->Picture()->Width(), 441) << "a custom title bar keeps its sections";
    frame->SetTitleBarCustom(false);
    frame->Font()->SetSize(12);
    EXPECT_EQ(bar->Font()->Size(), 12);
    frame->AddHelpButton();
    EXPECT_EQ(bar->Buttons()->Items(bar->Buttons()->Count() - 1)->ButtonType(), kivHelp);

    int asked = 0;
    frame->OnTitleBarMaxBtnClick = [&](TObject*, bool& allow) {
        ++asked;
        allow = false;
    };
    EXPECT_TRUE(bool(bar->OnMaxClick));
    bool allow = true;
    bar->OnMaxClick(bar, allow);
    EXPECT_EQ(asked, 1);
    EXPECT_FALSE(allow);
    frame->OnTitleBarMaxBtnClick = nullptr;
    EXPECT_FALSE(bool(bar->OnMaxClick));
    // By name, as a stored form assigns it.
    int helped = 0;
    EXPECT_TRUE(frame->SetEventByName(QStringLiteral("OnTitleBarHelpBtnClick"),
                                      TkivTitleBarButtonClickEvent([&](TObject*, int) { ++helped; })));
    bar->OnHelpBtnClick(bar, 0);
    EXPECT_EQ(helped, 1);
    EXPECT_FALSE(frame->SetEventByName(QStringLiteral("OnTitleBarMinBtnClick"), std::any(42)));

    // Activation reaches the title bar.
    SendMessageA(host->Handle(), WM_ACTIVATE, WA_INACTIVE, 0);
    EXPECT_FALSE(bar->FormActive());
    SendMessageA(host->Handle(), WM_ACTIVATE, WA_ACTIVE, 0);
    EXPECT_TRUE(bar->FormActive());
}

TEST_F(KivForm, CaptionBitsThatComeBackAreClearedAgain)
{
    TForm* host = Host();
    Frame(host, Protein);
    ShowActive(host);
    // The window made anew from the form's properties gets its caption bits back first.
    host->Perform(CM_RECREATEWND, 0, 0);
    EXPECT_FALSE(host->HasCaption());
    EXPECT_EQ(host->NonClientInsets(), Rect(3, 3, 3, 2));
    host->SetBorderStyle(bsSizeable);
    EXPECT_FALSE(host->HasCaption());
    EXPECT_EQ(host->NonClientInsets(), Rect(4, 4, 4, 3)) << "margins stay as measured; the system frame grows";
}

TEST_F(KivForm, TheFrameKeepsTheNonClientPaintMessagesUnlessMinimised)
{
    TForm* host = Host(bsSizeable);
    std::vector<UINT> reached;
    auto previous = host->WindowProc;
    host->WindowProc = [previous, &reached](TMessage& m) {
        reached.push_back(m.Msg);
        previous(m);
    };
    TkivForm* frame = Frame(host, Protein);
    ShowActive(host);
    auto count = [&](UINT msg) { return std::count(reached.begin(), reached.end(), msg); };
    reached.clear();
    EXPECT_EQ(SendMessageA(host->Handle(), WM_NCACTIVATE, FALSE, 0), 1);
    SendMessageA(host->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(count(WM_NCACTIVATE), 0);
    EXPECT_EQ(count(WM_NCPAINT), 0);
    EXPECT_EQ(count(KIVM_GETFRAMEINSET), 0) << "answered by the frame itself";
    SendMessageA(host->Handle(), KIVM_GETFRAMEINSET, 0, 0);
    EXPECT_EQ(count(KIVM_GETFRAMEINSET), 0);
    SendMessageA(host->Handle(), WM_USER + 77, 0, 0);
    EXPECT_EQ(count(WM_USER + 77), 1) << "everything else goes on to the previous procedure";

    host->SetWindowState(wsMinimized);
    ASSERT_TRUE(WaitFor([&] { return host->WindowState() == wsMinimized; }));
    reached.clear();
    SendMessageA(host->Handle(), WM_NCACTIVATE, TRUE, 0);
    SendMessageA(host->Handle(), WM_NCPAINT, 1, 0);
    EXPECT_EQ(count(WM_NCACTIVATE), 1);
    EXPECT_EQ(count(WM_NCPAINT), 1);
    host->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return host->WindowState() == wsNormal; }));
    delete frame;
    host->WindowProc = previous;
}

TEST_F(KivForm, AForeignFileThemeReadFromAStoredFormGrowsTheClientArea)
{
    TForm* host = Host();
    TkivForm* frame = Frame(host, Protein);
    TkivFileTheme* own = SampleSkin(host);
    auto foreign = std::make_unique<TkivFileTheme>(nullptr);
    const int cw = host->ClientWidth(), ch = host->ClientHeight();
    frame->SetComponentStateBits(csLoading);
    frame->SetFileTheme(own);
    EXPECT_EQ(host->ClientWidth(), cw) << "the host's own theme changes nothing";
    EXPECT_EQ(host->ClientHeight(), ch);
    frame->SetFileTheme(foreign.get());
    EXPECT_EQ(host->ClientWidth(), cw + 4);
    EXPECT_EQ(host->ClientHeight(), ch + 3);
    frame->SetFileTheme(foreign.get());
    EXPECT_EQ(host->ClientWidth(), cw + 4) << "the same theme again changes nothing";
    frame->ClearComponentStateBits(csLoading);
    frame->SetFileTheme(nullptr);
    EXPECT_EQ(host->ClientWidth(), cw + 4);
}

TEST_F(KivForm, AtDesignTimeAPlainMainMenuIsAdvisedAgainstAndASkinnedOneTaken)
{
    TForm* host = Host();
    host->SetName(QStringLiteral("Form1"));
    TkivForm* frame = Frame(host, Protein);
    frame->SetName(QStringLiteral("kivForm1"));
    frame->SetComponentStateBits(csDesigning);
    new TMainMenu(host);
    ASSERT_TRUE(WaitFor([&] { return !messages.empty(); }));
    EXPECT_EQ(messages[0], QStringLiteral("Strongly recommend you to use \"TkivMainMenu\" instead of \"TMainMenu\".\r\n\r\n"
                                          "If you still want to use TMainForm, \r\n\r\nset Form1's MENU property to NIL "
                                          "please.\r\n\r\nAnd set kivForm1's MENU property to this Menu when you finished "
                                          "designing the menu."));
    EXPECT_EQ(boxFlags[0], UINT(MB_OK | MB_ICONINFORMATION));
    EXPECT_EQ(frame->Menu(), nullptr);

    auto* skinned = new TkivMainMenu(host);
    ASSERT_TRUE(WaitFor([&] { return frame->Menu() == skinned; }));
    EXPECT_EQ(messages.size(), 1u);
    frame->ClearComponentStateBits(csDesigning);
}
