// The skinned form's hold on its host window: the host's window procedure, size changes, the
// client background, the non-client frame painted on the whole-window canvas, and the window's
// shape.
#include "skin/frame/Kivform.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/Regions.h"
#include "skin/frame/KivformSkin.h"
#include "skin/theme/Kivpublic.h"

#include <algorithm>

namespace {

// Notifications that may give the host its caption bits back: the window made anew, the window
// floated out of a dock site (the framework has no docking and never sends it), and the
// framework's reflected parent notification.
constexpr UINT CM_FLOAT = CM_BASE + 58;
constexpr UINT CN_PARENTNOTIFY = CN_BASE + WM_PARENTNOTIFY;
static_assert(CN_PARENTNOTIFY == 0xBE10);

// The corner radius of the built-in style whose top corners get arcs.
constexpr int ArcCornerRadius = 11;

void Fill(TCanvas& C, const TRect& R, TColor Color)
{
    C.Brush()->SetStyle(bsSolid);
    C.Brush()->SetColor(Color);
    C.FillRect(R);
}

// Adds the rectangle to the region (empty rectangles add nothing).
void AddRect(HRGN Region, int Left, int Top, int Right, int Bottom)
{
    if (Right <= Left || Bottom <= Top)
        return;
    HRGN r = CreateRectRgn(Left, Top, Right, Bottom);
    CombineRgn(Region, Region, r, RGN_OR);
    DeleteObject(r);
}

// Releases the window canvas when painting ends, also when a picture cannot be loaded.
struct TWindowDCScope {
    HWND Window;
    TCanvas* DC;
    ~TWindowDCScope()
    {
        if (DC)
            ReleaseDC(Window, DC);
    }
};

}  // namespace

// ---------------------------------------------------------------------------------------------
// The host's window procedure

void TkivForm::NewParentWndProc(TMessage& Message)
{
    if (FDestroying || !FHostForm) {
        if (FOldWndProc)
            FOldWndProc(Message);
        return;
    }
    TCustomForm* host = FHostForm;
    const UINT msg = Message.Msg;

    if (msg == WM_NCCALCSIZE) {
        if (Message.WParam)
            CalcSize(Message);
        else
            Message.Result = 0;
    } else if (msg == KIVM_GETFRAMEINSET) {
        Message.Result = FrameInset();
        return;
    }

    if (msg != WM_NCPAINT && msg != WM_NCACTIVATE) {
        // Keep what the frame set for WM_NCCALCSIZE: the previous procedure only takes the
        // system frame off the rectangle.
        const LRESULT own = Message.Result;
        FOldWndProc(Message);
        if (msg == WM_NCCALCSIZE)
            Message.Result = own;
    }
    // The previous procedure may have ended the frame (a handler freed it).
    if (FDestroying || !*FProcTarget)
        return;

    const bool minimized = host->WindowState() == wsMinimized;
    switch (msg) {
    case WM_MDIACTIVATE:
        if (host->HandleAllocated() && HWND(Message.LParam) == host->Handle()) {
            if (HWND client = MDIClient())
                SendMessageA(client, WM_MDIREFRESHMENU, WPARAM(host->Handle()), 0);
            if (FTitleBar)
                FTitleBar->SetActive(true);
        } else if (FTitleBar) {
            FTitleBar->SetActive(false);
        }
        break;
    case WM_KEYDOWN:
        ProcessKeyPress(Message);
        break;
    case WM_SHOWWINDOW:
        // The host never shows a menu bar of its own (the framework's forms have none).
        break;
    case WM_DESTROY:
        if (GetMDIChild() && Application) {
            if (HWND client = MDIClient()) {
                int children = 0;
                for (int i = 0; Screen && i < Screen->FormCount(); ++i)
                    children += Screen->Forms(i)->FormStyle() == fsMDIChild;
                if (children == 1)
                    SendMessageA(client, WM_MDIREFRESHMENU, WPARAM(host->Handle()), 0);
                if (host->WindowState() == wsMaximized)
                    SendMessageA(client, WM_MDIRESTORE, WPARAM(host->Handle()), 0);
            }
        }
        break;
    case WM_ACTIVATE:
        if (FTitleBar)
            FTitleBar->SetActive(LOWORD(Message.WParam) != WA_INACTIVE);
        PaintFormBorder();
        break;
    case WM_NCACTIVATE:
        if (minimized) {
            FOldWndProc(Message);
            break;
        }
        RepaintTitleBar();
        PaintFormBorder();
        Message.Result = 1;
        break;
    case WM_NCPAINT:
        if (minimized) {
            FOldWndProc(Message);
            break;
        }
        RepaintTitleBar();
        PaintFormBorder();
        break;
    case CM_RECREATEWND:
    case CM_FLOAT:
    case CN_PARENTNOTIFY:
        ReAssign();
        break;
    case WM_SIZE:
        SizeChanged();
        break;
    case WM_NCHITTEST:
        if (GetMDIChild() && FOriginalBorderStyle == bsSingle && Message.Result >= HTLEFT &&
            Message.Result <= HTBOTTOMRIGHT)
            Message.Result = HTBORDER;
        break;
    default:
        break;
    }
}

void TkivForm::CalcSize(TMessage& Message) const
{
    auto* params = reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam);
    if (!params || !params->lppos)
        return;
    const WINDOWPOS& pos = *params->lppos;
    const int x = pos.x, y = pos.y, cx = pos.cx, cy = pos.cy;
    const int bottomMargin = std::max(4, FBottomMargin), leftMargin = std::max(4, FLeftMargin);
    const int bw = FFrameBorderWidth;
    RECT& r = params->rgrc[0];
    r.top = y + 4 - bottomMargin;
    if (FSkinLeftWidth != 0) {
        r.left = x + std::max(FSkinLeftWidth, 4) - leftMargin + 1;
        r.right = x + cx - std::max(FSkinRightWidth, 4) + leftMargin - 1;
    } else {
        r.left = x - leftMargin + 4;
        r.right = x + cx + leftMargin - 4;
    }
    if (FSkinBottomHeight != 0)
        r.bottom = y + cy - std::max(FSkinBottomHeight, 4) + bottomMargin - 1;
    else if (bw == 3)
        r.bottom = y + cy + bottomMargin - 4;
    else
        r.bottom = y + cy + bottomMargin - 4 - bw + 2;
    params->rgrc[1] = r;
    Message.Result = WVR_VALIDRECTS;
}

void TkivForm::SizeChanged()
{
    TCustomForm* host = FHostForm;
    // A stored host sized while its definition is read is not a window that changes size yet.
    if ((ComponentState() | host->ComponentState()) & csLoading)
        return;
    const bool maximized = host->WindowState() == wsMaximized;
    if (maximized && Designing())
        return;

    if (FCreatedMaximized) {
        if (GetMDIChild()) {
            FMDIMaxScrolled = true;
            FCreatedMaximized = false;
            FMDIStartedMaximized = true;
        } else if (maximized) {
            if (MaximizedSizeCount == 2)
                host->SetWindowState(wsMaximized);
            else
                ++MaximizedSizeCount;
        } else {
            // The first restore of a host created maximised: back to its bounds of takeover time.
            FCreatedMaximized = false;
            PlaceControl(host, FCreateBounds);
        }
    }

    if (maximized && !GetMDIChild() && !FPlacing) {
        TRect r = GetWorkAreaRect();
        r.Left -= 2;
        r.Top -= 2;
        r.Right += 2;
        r.Bottom -= 1;
        FPlacing = true;
        PlaceControl(host, r);
        FPlacing = false;
    }
    if (FDestroying)
        return;

    if (FTitleBar) {
        FTitleBar->ProcessMaxBtn();
        RepaintTitleBar();
    }
    PaintFormBorder();

    if (GetMDIChild() && FTitleBar) {
        if (maximized) {
            FInternalTitleBarChange = true;
            SetTitleBarVisible(false);
            FInternalTitleBarChange = false;
            if (!FMDIMaxScrolled) {
                ScrollBy(0, 3 - FTitleBar->Height());
                FMDIMaxScrolled = true;
                if (HWND client = MDIClient())
                    SendMessageA(client, WM_MDIMAXIMIZE, WPARAM(host->Handle()), 0);
            }
        } else {
            if (FTitleBarWanted) {
                FInternalTitleBarChange = true;
                SetTitleBarVisible(true);
                FInternalTitleBarChange = false;
            }
            if (FMDIMaxScrolled) {
                if (!(FMDIStartedMaximized && !FMDIRestoredOnce))
                    ScrollBy(0, FTitleBar->Height() - 3);
                FMDIRestoredOnce = true;
                FMDIMaxScrolled = false;
                FTitleBar->ProcessMaxBtn();
                if (HWND client = MDIClient())
                    SendMessageA(client, WM_MDIRESTORE, 0, 0);
            }
        }
    }
    RegionWindow();
}

void TkivForm::ScrollBy(int DeltaX, int DeltaY)
{
    for (int i = 0; i < ControlCount(); ++i) {
        TControl* c = Controls(i);
        c->SetBounds(c->Left() + DeltaX, c->Top() + DeltaY, c->Width(), c->Height());
    }
}

void TkivForm::RepaintTitleBar()
{
    if (!FTitleBar)
        return;
    QWidget* w = FTitleBar->Widget();
    if (w && w->isVisible())
        FTitleBar->Repaint();
    else
        FTitleBar->Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Client painting

void TkivForm::Paint()
{
    if (FDestroying)
        return;
    TCanvas* canvas = Canvas();
    const TRect r = ClientRect();
    const TkivUIStyle look = FTheme.Effective();
    if (!FTheme.UsingFile() && (look == MacOS || look == Protein)) {
        TBitmap tile;
        tile.LoadFromResourceName(HInstance, look == MacOS ? QStringLiteral("MACOS_FORM_BACKGROUND")
                                                           : QStringLiteral("PROTEIN_FORM_BACKGROUND"));
        TBitmap buffer(std::max(1, Width()), std::max(1, Height()));
        TCanvas* b = buffer.Canvas();
        b->Brush()->SetBitmap(&tile);
        b->FillRect(r);
        b->Brush()->SetBitmap(nullptr);
        canvas->Draw(0, 0, &buffer);
    } else {
        Fill(*canvas, r, TControl::Color());
    }
    PaintFormBorder();
}

void TkivForm::Resize()
{
    TCustomPanel::Resize();
    if (FTitleBar)
        FTitleBar->SetTop(0);
}

void TkivForm::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_ERASEBKGND) {
        Message.Result = 1;
        return;
    }
    TCustomPanel::Dispatch(Message);
}

// ---------------------------------------------------------------------------------------------
// Frame painting

void TkivForm::PaintFormBorder()
{
    if (FDestroying || !FHostForm || !FHostForm->HandleAllocated())
        return;
    if (FHostForm->WindowState() == wsMinimized && !Designing())
        return;
    const HWND h = FHostForm->Handle();
    TWindowDCScope scope{h, GetWindowDC(h)};
    if (!scope.DC)
        return;
    const int W = FHostForm->Width(), H = FHostForm->Height();
    if (FTheme.UsingFile())
        PaintSkinBorder(*scope.DC, W, H);
    else
        PaintBuiltInBorder(*scope.DC, W, H);
}

void TkivForm::PaintBuiltInBorder(TCanvas& C, int W, int H)
{
    const int bw = FFrameBorderWidth;
    const TColor color = TControl::Color();
    const bool titleVisible = FTitleBar && FTitleBar->Visible();
    const int tbh = GetTitleBarHeight(), mbh = GetMenuBarHeight();

    if (titleVisible && FTitleBar->CanPaint()) {
        // The top rows and the strips beside the title bar continue the title pictures.
        TBitmap empty;
        TBitmap *left = nullptr, *right = nullptr, *client = nullptr;
        FTitleBar->GetTitleImage(0, left);
        FTitleBar->GetTitleImage(1, right);
        FTitleBar->GetTitleImage(2, client);
        if (!left)
            left = &empty;
        if (!right)
            right = &empty;
        if (!client)
            client = &empty;

        TBitmap s;
        s.SetPixelFormat(pf24bit);
        s.SetSize(std::max(0, 3 - bw), left->Height());
        Fill(*s.Canvas(), Rect(0, 0, s.Width(), s.Height()), color);
        s.Canvas()->Draw(0, 0, left);
        C.Draw(bw, 0, &s);

        if (right->Width() < 3)
            s.Canvas()->StretchDraw(Rect(0, 0, s.Width(), s.Height()), right);
        else
            s.Canvas()->Draw(2 - right->Width(), 0, right);
        C.Draw(W - 3, 0, &s);

        s.SetSize(std::max(0, W - 5), 3);
        Fill(*s.Canvas(), Rect(0, 0, s.Width(), s.Height()), color);
        s.Canvas()->Draw(-2, 0, left);
        const int a = left->Width() - 2;
        const int b = s.Width() - right->Width() + 3;
        s.Canvas()->Draw(b, 0, right);
        s.Canvas()->StretchDraw(Rect(a, 0, b, client->Height()), client);
        C.Draw(2, 0, &s);

        if (bw == 1 && RoundCorner() == ArcCornerRadius && !Designing()) {
            const int rc = ArcCornerRadius;
            C.Pen()->SetStyle(psSolid);
            C.Pen()->SetWidth(1);
            C.Pen()->SetMode(pmCopy);
            C.Pen()->SetColor(FBorderColor);
            C.Arc(W - 2 * rc + 1, -1, W + 1, 2 * rc - 1, W + 1, rc - 1, W - rc + 1, -1);
            C.Arc(-1, -1, 2 * rc - 1, 2 * rc - 1, rc - 1, -1, -1, rc - 1);
        }
    } else if (!titleVisible) {
        Fill(C, Rect(0, 0, W, 1), FBorderColor);
        Fill(C, Rect(bw, 1, W - bw, 3), color);
    }

    Fill(C, Rect(0, 0, bw, H), FBorderColor);
    Fill(C, Rect(0, H - bw, W, H), FBorderColor);
    Fill(C, Rect(W - bw, 0, W, H), FBorderColor);

    if (bw < 4) {
        Fill(C, Rect(bw, H - 2, W - bw, H - bw), color);
        Fill(C, Rect(bw, tbh + mbh, 3, H - bw), color);
        Fill(C, Rect(W - 3, tbh + mbh, W - bw, H - bw), color);
        if (FMenuBar && FMenuBar->Visible()) {
            const int barHeight = FMenuBar->Height();
            for (const TRect& strip : {Rect(bw, tbh, 3, tbh + barHeight), Rect(W - 3, tbh, W - bw, tbh + barHeight)}) {
                if (FMenuBarColor != FMenuBarToColor)
                    DrawHorizontalGradient(&C, strip, FMenuBarColor, FMenuBarToColor);
                else
                    Fill(C, strip, FMenuBar->Color());
            }
        }
    }
}

void TkivForm::FillSkinFrame(TkivSkinFrame& Frame)
{
    Frame.Theme = FTheme.File();
    Frame.W = FHostForm->Width();
    Frame.H = FHostForm->Height();
    if (FTitleBar) {
        Frame.TitleBarVisible = FTitleBar->Visible();
        Frame.TitleBarHeight = FTitleBar->Height();
        Frame.TitleBarCanPaint = FTitleBar->CanPaint();
        FTitleBar->GetTitleImage(-2, Frame.TitleComposed);
        FTitleBar->GetTitleImage(-1, Frame.TitleRaw);
    }
    Frame.MenuBarVisible = FMenuBar && FMenuBar->Visible();
    Frame.MenuBarHeight = FMenuBar ? FMenuBar->Height() : 0;
    Frame.MenuBarColor = FMenuBarColor;
    Frame.MenuBarToColor = FMenuBarToColor;
    Frame.MenuBarFill = FMenuBar ? FMenuBar->Color() : FMenuBarColor;
    Frame.SkinLeftWidth = FSkinLeftWidth;
    Frame.SkinRightWidth = FSkinRightWidth;
    Frame.SkinBottomHeight = FSkinBottomHeight;
    Frame.TransparentColor = FTransparentColor;
    Frame.TitleNeedsRegion = FTitleNeedsRegion;
    Frame.BottomNeedsRegion = FBottomNeedsRegion;
    Frame.TitleRegionMinY = FTitleRegionMinY;
    Frame.TitleRegionMaxY = FTitleRegionMaxY;
    Frame.BottomRegionMinY = FBottomRegionMinY;
    Frame.BottomRegionMaxY = FBottomRegionMaxY;
    Frame.BottomBitmap = FBottomBitmap.get();
}

void TkivForm::PaintSkinBorder(TCanvas& C, int, int)
{
    TkivSkinFrame frame;
    FillSkinFrame(frame);
    KivSkinFramePaint(C, frame);
}

// ---------------------------------------------------------------------------------------------
// The window's shape

void TkivForm::RegionWindow()
{
    if (FDestroying || !FHostForm || !FHostForm->HandleAllocated())
        return;
    const HWND h = FHostForm->Handle();
    if (FTheme.UsingFile()) {
        TkivSkinFrame frame;
        const bool shaped = (FTitleNeedsRegion || FBottomNeedsRegion) &&
                            !(GetMDIChild() && FHostForm->WindowState() != wsNormal);
        if (shaped && FTitleBar)
            FTitleBar->ForcePaint();
        FillSkinFrame(frame);
        if (!shaped)
            frame.TitleNeedsRegion = frame.BottomNeedsRegion = false;
        HRGN region = KivSkinFrameRegion(frame);
        if (!region)
            return;
        if (Designing() || !SetWindowRgn(h, region, TRUE))
            DeleteObject(region);
        return;
    }
    if (Designing())
        return;

    const int W = FHostForm->Width(), H = FHostForm->Height();
    const int half = H / 2;
    const int rc = std::max(0, RoundCorner()), rcb = std::max(0, RoundCornerBottom());

    // The top half with its top corners round, the bottom half with its bottom corners round.
    HRGN region = CreateRoundRectRgn(0, 0, W + 1, half + 1, rc, rc);
    AddRect(region, 0, half - 2 * rc, 2 * rc, half);
    AddRect(region, W - 2 * rc, half - 2 * rc, W, half);
    HRGN bottom = CreateRoundRectRgn(0, half, W + 1, H + 1, rcb, rcb);
    CombineRgn(region, region, bottom, RGN_OR);
    DeleteObject(bottom);
    AddRect(region, 0, half, 2 * rcb, half + 2 * rcb);
    AddRect(region, W - 2 * rcb, half, W, half + 2 * rcb);
    if (!SetWindowRgn(h, region, TRUE))
        DeleteObject(region);
}
