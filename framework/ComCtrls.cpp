#include "framework/ComCtrls.h"

#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"

#include <QWidget>
#include <QWindow>
#include <algorithm>

void TStatusPanel::SetWidth(int v)
{
    if (FWidth == v)
        return;
    FWidth = v;
    Changed(true);
}

void TStatusPanel::SetText(const String& v)
{
    if (FText == v)
        return;
    FText = v;
    Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment v)
{
    FAlignment = v;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel v)
{
    FBevel = v;
    Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle v)
{
    FStyle = v;
    Changed(false);
}

TStatusPanels::TStatusPanels(TCustomStatusBar* StatusBar)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TStatusPanel(c); }, nullptr)
{
    (void)StatusBar;
}

TCustomStatusBar::TCustomStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(new TStatusPanels(this))
{
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    FPanels->OnUpdate = [this](TCollectionItem*) { Invalidate(); };
    SetColor(clBtnFace);
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TCustomStatusBar::~TCustomStatusBar()
{
    FPanels->OnUpdate = nullptr;
    delete FPanels;
    FPanels = nullptr;
}

void TCustomStatusBar::SetSimplePanel(bool v)
{
    FSimplePanel = v;
    Invalidate();
}

void TCustomStatusBar::SetSimpleText(const String& v)
{
    FSimpleText = v;
    Invalidate();
}

void TCustomStatusBar::SetSizeGrip(bool v)
{
    FSizeGrip = v;
    Invalidate();
}

TRect TCustomStatusBar::PanelRect(int Index) const
{
    int x = 0;
    for (int i = 0; i < Index && i < FPanels->Count(); ++i)
        x += FPanels->Items(i)->Width();
    int right = x + (Index < FPanels->Count() ? FPanels->Items(Index)->Width() : 0);
    if (Index == FPanels->Count() - 1)
        right = std::max(right, ClientWidth());
    return Rect(x, 0, right, ClientHeight());
}

void TCustomStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& R)
{
    TCanvas* c = Canvas();
    if (Panel->Style() == psOwnerDraw) {
        OnDrawPanel(this, Panel, R);
        return;
    }
    TRect r = R;
    r.Top += 2;
    r.Right -= 2;
    if (Panel->Bevel() != pbNone) {
        TRect b = r;
        Frame3D(c, b, Panel->Bevel() == pbLowered ? clBtnShadow : clBtnHighlight,
                Panel->Bevel() == pbLowered ? clBtnHighlight : clBtnShadow, 1);
    }
    TRect t = r;
    t.Left += 2;
    t.Right -= 2;
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    flags |= Panel->Alignment() == taCenter ? DT_CENTER : Panel->Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
    c->DrawText(Panel->Text(), t, flags);
}

bool TCustomStatusBar::ParentFormMaximized() const
{
    const TCustomForm* form = GetParentForm(this);
    if (!form)
        return false;
    const QWidget* w = form->Widget();
    return form->WindowState() == wsMaximized || (w && w->isMaximized());
}

bool TCustomStatusBar::SizeGripShown() const
{
    const TCustomForm* form = GetParentForm(this);
    return FSizeGrip && form && (form->BorderStyle() == bsSizeable || form->BorderStyle() == bsSizeToolWin) &&
           !ParentFormMaximized();
}

TRect TCustomStatusBar::SizeGripRect() const
{
    const int w = ClientWidth(), h = ClientHeight();
    return Rect(std::max(0, w - SizeGripSize), std::max(0, h - SizeGripSize), w, h);
}

void TCustomStatusBar::DrawSizeGrip()
{
    if (!SizeGripShown())
        return;
    // Three raised ridges across the corner, clear of the last row and column.
    TCanvas* c = Canvas();
    const int r = ClientWidth() - 2, b = ClientHeight() - 2;
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    for (int d = 3; d <= 11; d += 4) {
        c->Pen()->SetColor(clBtnHighlight);
        c->MoveTo(r - d, b);
        c->LineTo(r + 1, b - d - 1);
        c->Pen()->SetColor(clBtnShadow);
        c->MoveTo(r - d + 1, b);
        c->LineTo(r + 1, b - d);
        c->MoveTo(r - d + 2, b);
        c->LineTo(r + 1, b - d + 1);
    }
}

void TCustomStatusBar::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCHITTEST: {
        const TPoint p = ScreenToClient(Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
        const TRect g = SizeGripRect();
        if (SizeGripShown() && p.X >= g.Left && p.Y >= g.Top && p.X < g.Right && p.Y < g.Bottom)
            Message.Result = HTBOTTOMRIGHT;
        else
            Message.Result = PointInClient(p.X, p.Y) ? HTCLIENT : HTNOWHERE;
        return;
    }
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP: {
        const TPoint screen = ClientToScreen(Point(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam)));
        TCustomForm* form = GetParentForm(this);
        if (FGripDragging) {
            if (Message.Msg == WM_LBUTTONUP || !(Message.WParam & MK_LBUTTON) || !form) {
                FGripDragging = false;
            } else {
                form->SetBounds(form->Left(), form->Top(), FGripStartSize.X + screen.X - FGripStart.X,
                                FGripStartSize.Y + screen.Y - FGripStart.Y);
            }
            Message.Result = 0;
            return;
        }
        const bool onGrip = Perform(WM_NCHITTEST, 0, MAKELPARAM(screen.X, screen.Y)) == HTBOTTOMRIGHT;
        if (QWidget* w = Widget()) {
            if (onGrip)
                w->setCursor(Qt::SizeFDiagCursor);
            else
                ApplyPeerCursor();
        }
        if (onGrip && Message.Msg == WM_LBUTTONDOWN && form) {
            // The window manager resizes when it can; otherwise the bar follows the mouse.
            QWidget* fw = form->Widget();
            QWindow* window = fw ? fw->windowHandle() : nullptr;
            if (!window || !window->startSystemResize(Qt::BottomEdge | Qt::RightEdge)) {
                FGripDragging = true;
                FGripStart = screen;
                FGripStartSize = Point(form->Width(), form->Height());
            }
            Message.Result = 0;
            return;
        }
        TCustomControl::Dispatch(Message);
        return;
    }
    default:
        TCustomControl::Dispatch(Message);
        return;
    }
}

void TCustomStatusBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    if (FSimplePanel || FPanels->Count() == 0) {
        TRect r = ClientRect();
        r.Left += 2;
        c->Brush()->SetStyle(bsClear);
        c->SetFont(Font());
        c->DrawText(FSimpleText, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
    } else {
        for (int i = 0; i < FPanels->Count(); ++i)
            DrawPanel(FPanels->Items(i), PanelRect(i));
    }
    DrawSizeGrip();
}
