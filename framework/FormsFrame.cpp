// The non-client frame: the client rectangle of every windowed control (WM_NCCALCSIZE), and the
// frame of forms: window styles, the default handling of the frame messages, the mouse over the
// non-client band and the window states (see the Decisions in Forms.h).
#include "framework/Forms.h"

#include "platform/WinBase.h"

#include <QApplication>
#include <QMouseEvent>
#include <QTimer>
#include <QWindowStateChangeEvent>
#include <algorithm>

namespace {

// The rectangle WM_NCCALCSIZE works on: rgrc[0] of the parameter record (WParam 1), or the bare
// rectangle (WParam 0).
RECT* CalcSizeRect(const TMessage& Message)
{
    if (!Message.LParam)
        return nullptr;
    if (Message.WParam)
        return &reinterpret_cast<NCCALCSIZE_PARAMS*>(Message.LParam)->rgrc[0];
    return reinterpret_cast<RECT*>(Message.LParam);
}

void Deflate(RECT& r, int by)
{
    r.left += by;
    r.top += by;
    r.right -= by;
    r.bottom -= by;
    if (r.right < r.left)
        r.right = r.left;
    if (r.bottom < r.top)
        r.bottom = r.top;
}

bool IsSizingHit(LRESULT hit) { return hit >= HTLEFT && hit <= HTBOTTOMRIGHT; }

Qt::CursorShape SizingCursor(LRESULT hit)
{
    switch (hit) {
    case HTLEFT:
    case HTRIGHT: return Qt::SizeHorCursor;
    case HTTOP:
    case HTBOTTOM: return Qt::SizeVerCursor;
    case HTTOPLEFT:
    case HTBOTTOMRIGHT: return Qt::SizeFDiagCursor;
    default: return Qt::SizeBDiagCursor;
    }
}

TWindowState StateOf(Qt::WindowStates s)
{
    if (s & Qt::WindowMinimized)
        return wsMinimized;
    if (s & Qt::WindowMaximized)
        return wsMaximized;
    return wsNormal;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Client geometry of every control

TRect TControl::ClientRect() const { return Rect(0, 0, FWidth, FHeight); }

void TControl::SetClientWidth(int v) { SetWidth(FWidth - ClientWidth() + v); }
void TControl::SetClientHeight(int v) { SetHeight(FHeight - ClientHeight() + v); }

TPoint TControl::ClientOrigin() const
{
    TPoint p{FLeft, FTop};
    if (auto w = dynamic_cast<const TWinControl*>(this)) {
        p.X += w->NonClientInsets().Left;
        p.Y += w->NonClientInsets().Top;
    }
    return p;
}

TPoint TControl::ClientToScreen(const TPoint& p) const
{
    if (FWidget) {
        TPoint inset{0, 0};
        if (auto w = dynamic_cast<const TWinControl*>(this))
            inset = w->NonClientInsets().TopLeft();
        const QPoint g = FWidget->mapToGlobal(QPoint(p.X + inset.X, p.Y + inset.Y));
        return {g.x(), g.y()};
    }
    const TPoint o = ClientOrigin();
    if (FParent)
        return FParent->ClientToScreen({p.X + o.X, p.Y + o.Y});
    return {p.X + o.X, p.Y + o.Y};
}

TPoint TControl::ScreenToClient(const TPoint& p) const
{
    const TPoint zero = ClientToScreen({0, 0});
    return {p.X - zero.X, p.Y - zero.Y};
}

TRect TWinControl::ClientRect() const
{
    return Rect(0, 0, std::max(0, FWidth - FNCInsets.Left - FNCInsets.Right),
                std::max(0, FHeight - FNCInsets.Top - FNCInsets.Bottom));
}

void TWinControl::FrameChanged()
{
    TRect in;
    if (dynamic_cast<TCustomForm*>(this)) {
        // A form hears of its frame as a window does: the parameter record with its place.
        WINDOWPOS pos;
        pos.hwnd = FHandle;
        pos.x = FLeft;
        pos.y = FTop;
        pos.cx = FWidth;
        pos.cy = FHeight;
        pos.flags = SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
        const RECT window{FLeft, FTop, FLeft + FWidth, FTop + FHeight};
        const RECT client{FLeft + FNCInsets.Left, FTop + FNCInsets.Top, FLeft + FWidth - FNCInsets.Right,
                          FTop + FHeight - FNCInsets.Bottom};
        NCCALCSIZE_PARAMS params;
        params.rgrc[0] = window;
        params.rgrc[1] = window;
        params.rgrc[2] = client;
        params.lppos = &pos;
        Perform(WM_NCCALCSIZE, TRUE, LPARAM(&params));
        const RECT& r = params.rgrc[0];
        in = TRect{int(r.left) - FLeft, int(r.top) - FTop, FLeft + FWidth - int(r.right), FTop + FHeight - int(r.bottom)};
    } else {
        // Controls work on the bare rectangle in their own coordinates.
        RECT r{0, 0, FWidth, FHeight};
        Perform(WM_NCCALCSIZE, FALSE, LPARAM(&r));
        in = TRect{int(r.left), int(r.top), FWidth - int(r.right), FHeight - int(r.bottom)};
    }
    // The client rectangle lies inside the window: a procedure that leaves it outside is held to
    // the window's edges.
    in = TRect{std::max(0, in.Left), std::max(0, in.Top), std::max(0, in.Right), std::max(0, in.Bottom)};
    if (!(in == FNCInsets)) {
        FNCInsets = in;
        for (TControl* c : FControls)
            c->UpdatePeerGeometry();
        Realign();
    }
    Invalidate();
}

void TWinControl::WMNCCalcSize(TMessage& Message)
{
    if (RECT* r = CalcSizeRect(Message))
        Deflate(*r, FBorderWidth);
}

void TWinControl::CreateParams(TCreateParams& Params)
{
    Params.Style = WS_CHILD | WS_CLIPSIBLINGS;
    if (FTabStop)
        Params.Style |= WS_TABSTOP;
    if (!Enabled())
        Params.Style |= WS_DISABLED;
    if (Visible())
        Params.Style |= WS_VISIBLE;
}

TCreateParams TWinControl::GetCreateParams()
{
    TCreateParams p;
    CreateParams(p);
    return p;
}

LONG TWinControl::WindowLongValue(int Index)
{
    const TCreateParams p = GetCreateParams();
    if (Index == GWL_STYLE)
        return LONG(p.Style);
    if (Index == GWL_EXSTYLE)
        return LONG(p.ExStyle);
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
}

LONG TWinControl::SetWindowLongValue(int, LONG)
{
    SetLastError(ERROR_NOT_SUPPORTED);
    return 0;
}

// ---------------------------------------------------------------------------------------------
// Form styles

void TCustomForm::ResetWindowStyle()
{
    DWORD style = 0, ex = 0;
    switch (FBorderStyle) {
    case bsNone: style |= WS_POPUP; break;
    case bsSingle:
    case bsToolWindow: style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
        style |= WS_POPUP | WS_CAPTION;
        ex |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
        break;
    }
    if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        ex |= WS_EX_TOOLWINDOW;
    // The caption buttons a border style allows.
    TBorderIcons icons = FBorderIcons;
    if (FBorderStyle == bsNone)
        icons = 0;
    else if (FBorderStyle == bsDialog)
        icons &= biSystemMenu | biHelp;
    else if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin)
        icons &= biSystemMenu;
    if (icons & biSystemMenu)
        style |= WS_SYSMENU;
    if (icons & biMinimize)
        style |= WS_MINIMIZEBOX;
    if (icons & biMaximize)
        style |= WS_MAXIMIZEBOX;
    if ((icons & biHelp) && (FBorderStyle == bsDialog || !(icons & (biMinimize | biMaximize))))
        ex |= WS_EX_CONTEXTHELP;
    if (FFormStyle == fsStayOnTop)
        ex |= WS_EX_TOPMOST;
    if (FFormStyle == fsMDIChild)
        ex |= WS_EX_MDICHILD;
    FStyle = style;
    FExStyle = ex;
}

LONG TCustomForm::WindowLongValue(int Index)
{
    if (Index == GWL_EXSTYLE)
        return LONG(FExStyle);
    if (Index != GWL_STYLE) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    DWORD s = FStyle & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_DISABLED);
    if (Visible())
        s |= WS_VISIBLE;
    if (!Enabled())
        s |= WS_DISABLED;
    if (FWindowState == wsMinimized)
        s |= WS_MINIMIZE;
    else if (FWindowState == wsMaximized)
        s |= WS_MAXIMIZE;
    return LONG(s);
}

LONG TCustomForm::SetWindowLongValue(int Index, LONG Value)
{
    const LONG previous = WindowLongValue(Index);
    if (Index == GWL_EXSTYLE) {
        FExStyle = DWORD(Value);
        return previous;
    }
    if (Index != GWL_STYLE)
        return 0;
    // The live bits (shown, minimised, maximised, disabled) are the window's, not the style's.
    FStyle = DWORD(Value) & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE | WS_DISABLED);
    ApplyWindowFlags();
    return previous;
}

int TCustomForm::SystemFrameWidth() const
{
    if (HasCaption() || FBorderStyle == bsNone)
        return 0;
    return (FStyle & WS_THICKFRAME) ? 4 : 3;
}

void TCustomForm::SetWindowPosFrameChanged()
{
    FrameChanged();
    SendNCPaint();
}

// ---------------------------------------------------------------------------------------------
// Client size kept while a stored definition is read

TRect TCustomForm::ClientRect() const
{
    TRect r = TWinControl::ClientRect();
    if (ComponentState() & csReading) {
        if (FStoredClientWidth >= 0)
            r.Right = FStoredClientWidth;
        if (FStoredClientHeight >= 0)
            r.Bottom = FStoredClientHeight;
    }
    return r;
}

void TCustomForm::SetClientWidth(int v)
{
    if (ComponentState() & csReading) {
        FStoredClientWidth = std::max(0, v);
        return;
    }
    TWinControl::SetClientWidth(v);
}

void TCustomForm::SetClientHeight(int v)
{
    if (ComponentState() & csReading) {
        FStoredClientHeight = std::max(0, v);
        return;
    }
    TWinControl::SetClientHeight(v);
}

void TCustomForm::Loaded()
{
    const int cw = FStoredClientWidth, ch = FStoredClientHeight;
    FStoredClientWidth = FStoredClientHeight = -1;
    if (cw >= 0)
        SetClientWidth(cw);
    if (ch >= 0)
        SetClientHeight(ch);
    TWinControl::Loaded();
}

// ---------------------------------------------------------------------------------------------
// The default frame messages

void TCustomForm::WMNCCalcSize(TMessage& Message)
{
    TWinControl::WMNCCalcSize(Message);
    if (RECT* r = CalcSizeRect(Message))
        Deflate(*r, SystemFrameWidth());
}

LRESULT TCustomForm::DefaultHitTest(LPARAM ScreenPoint) const
{
    QWidget* w = Widget();
    if (!w)
        return HTNOWHERE;
    const QPoint origin = w->mapToGlobal(QPoint(0, 0));
    const int x = GET_X_LPARAM(ScreenPoint) - origin.x(), y = GET_Y_LPARAM(ScreenPoint) - origin.y();
    const int W = Width(), H = Height();
    if (x < 0 || y < 0 || x >= W || y >= H)
        return HTNOWHERE;
    const TRect in = NonClientInsets();
    bool left = x < in.Left, right = x >= W - in.Right, top = y < in.Top, bottom = y >= H - in.Bottom;
    if (!left && !right && !top && !bottom)
        return HTCLIENT;
    if (!(FStyle & WS_THICKFRAME) || FWindowState == wsMaximized)
        return HTBORDER;
    // Near a corner the band sizes both edges, as the desktop's corners do.
    const int corner = 16;
    if (left || right) {
        if (y < corner)
            top = true;
        else if (y >= H - corner)
            bottom = true;
    }
    if (top || bottom) {
        if (x < corner)
            left = true;
        else if (x >= W - corner)
            right = true;
    }
    if (top)
        return left ? HTTOPLEFT : right ? HTTOPRIGHT : HTTOP;
    if (bottom)
        return left ? HTBOTTOMLEFT : right ? HTBOTTOMRIGHT : HTBOTTOM;
    return left ? HTLEFT : HTRIGHT;
}

void TCustomForm::Activated(bool Active)
{
    if (Active) {
        OnActivate(this);
        Perform(CM_ACTIVATE);
        return;
    }
    // As when a window loses the desktop's attention: the focused control leaves any mode (a held
    // button, a drag) it was in.
    if (FActiveControl)
        FActiveControl->Perform(CM_CANCELMODE);
    OnDeactivate(this);
    Perform(CM_DEACTIVATE);
}

bool TCustomForm::FrameDispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCHITTEST:
        Message.Result = DefaultHitTest(Message.LParam);
        return true;
    case WM_NCLBUTTONDOWN:
        if (LRESULT(Message.WParam) == HTCAPTION)
            StartWindowMove(Message.LParam);
        else if (IsSizingHit(LRESULT(Message.WParam)) && (FStyle & WS_THICKFRAME))
            StartWindowResize(LRESULT(Message.WParam), Message.LParam);
        Message.Result = 0;
        return true;
    case WM_NCLBUTTONDBLCLK:
        if (LRESULT(Message.WParam) == HTCAPTION && (FStyle & WS_MAXIMIZEBOX))
            Perform(WM_SYSCOMMAND, FWindowState == wsMaximized ? SC_RESTORE : SC_MAXIMIZE, Message.LParam);
        Message.Result = 0;
        return true;
    case WM_NCPAINT:
        // The framework draws no frame of its own: the band keeps the window's background.
        Message.Result = 0;
        return true;
    case WM_NCACTIVATE:
        Message.Result = TRUE;
        return true;
    case WM_ACTIVATE:
        Activated(LOWORD(Message.WParam) != WA_INACTIVE);
        Message.Result = 0;
        return true;
    case WM_SYSCOMMAND:
        switch (Message.WParam & 0xFFF0) {
        case SC_MINIMIZE: SetWindowState(wsMinimized); break;
        case SC_MAXIMIZE: SetWindowState(wsMaximized); break;
        case SC_RESTORE:
            SetWindowState(FWindowState == wsMinimized ? FStateBeforeMinimize : wsNormal);
            break;
        case SC_CLOSE: Perform(WM_CLOSE); break;
        case SC_MOVE: StartWindowMove(); break;
        default: break;
        }
        Message.Result = 0;
        return true;
    case CM_RECREATEWND:
        // The window made anew from the form's properties: fresh styles, decorations, frame.
        ResetWindowStyle();
        ApplyWindowFlags();
        FrameChanged();
        SendNCPaint();
        return true;
    default:
        return false;
    }
}

void TCustomForm::SendNCPaint()
{
    QWidget* w = Widget();
    if (w && w->isVisible() && !(ComponentState() & csDestroying))
        Perform(WM_NCPAINT, 1, 0);
}

// ---------------------------------------------------------------------------------------------
// Window states and sizes

WPARAM TCustomForm::SizeKind() const
{
    switch (FWindowState) {
    case wsMinimized: return SIZE_MINIMIZED;
    case wsMaximized: return SIZE_MAXIMIZED;
    default: return SIZE_RESTORED;
    }
}

void TCustomForm::SendSize(WPARAM Kind)
{
    FLastSizeKind = Kind;
    FSizePending = false;
    Perform(WM_SIZE, Kind, MAKELPARAM(ClientWidth(), ClientHeight()));
}

void TCustomForm::WindowStateChanged(QEvent* e)
{
    QWidget* w = Widget();
    if (!w)
        return;
    const TWindowState now = StateOf(w->windowState());
    const TWindowState before = StateOf(static_cast<QWindowStateChangeEvent*>(e)->oldState());
    if (now == wsMinimized && before != wsMinimized)
        FStateBeforeMinimize = before;
    FWindowState = now;
    if (!w->isVisible() || SizeKind() == FLastSizeKind)
        return;
    if (now == wsMinimized || (before == wsMinimized && now == wsNormal)) {
        // No new size comes with these.
        SendSize(SizeKind());
        if (now != wsMinimized)
            SendNCPaint();
        return;
    }
    // To or from maximised: WM_SIZE waits for the new size. When none comes (the size stays),
    // it goes once the events queued by now are handled: posted twice, because the first round
    // of posted events runs before the window system's events already waiting.
    FSizePending = true;
    QTimer::singleShot(0, this, [this] {
        QTimer::singleShot(0, this, [this] {
            if (!FSizePending || (ComponentState() & csDestroying))
                return;
            FSizePending = false;
            if (SizeKind() != FLastSizeKind) {
                SendSize(SizeKind());
                SendNCPaint();
            }
        });
    });
}

// ---------------------------------------------------------------------------------------------
// The mouse over the non-client band

bool TCustomForm::NonClientMouse(QMouseEvent* me)
{
    QWidget* w = Widget();
    if (!w)
        return false;
    auto restoreCursor = [&] {
        if (FNCCursor) {
            FNCCursor = false;
            ApplyPeerCursor();
        }
    };
    if (me->type() == QEvent::MouseMove && !(me->buttons() & Qt::LeftButton))
        FNCButtonDown = false;
    const bool release = me->type() == QEvent::MouseButtonRelease;
    const bool ncUp = release && me->button() == Qt::LeftButton && FNCButtonDown;
    if (HasCaption() && !ncUp) {
        restoreCursor();
        return false;
    }
    const QPoint pos = me->position().toPoint();
    const TRect in = NonClientInsets();
    const QRect client(in.Left, in.Top, ClientWidth(), ClientHeight());
    if (client.contains(pos) && !ncUp) {
        restoreCursor();
        return false;
    }
    const QPoint g = me->globalPosition().toPoint();
    const LPARAM lp = MAKELPARAM(g.x(), g.y());
    const LRESULT hit = Perform(WM_NCHITTEST, 0, lp);
    if (hit == HTCLIENT && !ncUp) {
        restoreCursor();
        return false;
    }
    const Qt::MouseButton b = me->button();
    switch (me->type()) {
    case QEvent::MouseButtonPress:
        if (b == Qt::LeftButton) {
            FNCButtonDown = true;
            Perform(WM_NCLBUTTONDOWN, WPARAM(hit), lp);
        } else if (b == Qt::RightButton) {
            Perform(WM_NCRBUTTONDOWN, WPARAM(hit), lp);
        }
        break;
    case QEvent::MouseButtonRelease:
        if (b == Qt::LeftButton) {
            FNCButtonDown = false;
            Perform(WM_NCLBUTTONUP, WPARAM(hit), lp);
        } else if (b == Qt::RightButton) {
            Perform(WM_NCRBUTTONUP, WPARAM(hit), lp);
        }
        break;
    case QEvent::MouseButtonDblClick:
        if (b == Qt::LeftButton)
            Perform(WM_NCLBUTTONDBLCLK, WPARAM(hit), lp);
        break;
    default:
        if (IsSizingHit(hit) && (FStyle & WS_THICKFRAME)) {
            w->setCursor(SizingCursor(hit));
            FNCCursor = true;
        } else {
            restoreCursor();
        }
        Perform(WM_NCMOUSEMOVE, WPARAM(hit), lp);
        break;
    }
    return true;
}
