#include "framework/Controls.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/KeyMap.h"
#include "platform/WinMessages.h"

#include <QApplication>
#include <QCursor>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <cctype>
#include <map>

// ---------------------------------------------------------------------------------------------
// Identifier table

namespace {

std::map<QString, int64_t>& IdentTable()
{
    static std::map<QString, int64_t> table;
    return table;
}

// How deep the current thread is inside a peer's paint event, per widget.
std::map<const QWidget*, int>& PaintDepth()
{
    static std::map<const QWidget*, int> depth;
    return depth;
}

Qt::CursorShape ToQtCursor(TCursor c)
{
    switch (c) {
    case crCross: return Qt::CrossCursor;
    case crIBeam: return Qt::IBeamCursor;
    case crSizeNESW: return Qt::SizeBDiagCursor;
    case crSizeNS: return Qt::SizeVerCursor;
    case crSizeNWSE: return Qt::SizeFDiagCursor;
    case crSizeWE: return Qt::SizeHorCursor;
    case crUpArrow: return Qt::UpArrowCursor;
    case crHourGlass: return Qt::WaitCursor;
    case crNo: return Qt::ForbiddenCursor;
    case crHandPoint: return Qt::PointingHandCursor;
    case crSizeAll: return Qt::SizeAllCursor;
    case crNone: return Qt::BlankCursor;
    default: return Qt::ArrowCursor;
    }
}

TShiftState ShiftFromQt(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    TShiftState s = 0;
    if (mods & Qt::ShiftModifier)
        s |= ssShift;
    if (mods & Qt::ControlModifier)
        s |= ssCtrl;
    if (mods & Qt::AltModifier)
        s |= ssAlt;
    if (buttons & Qt::LeftButton)
        s |= ssLeft;
    if (buttons & Qt::RightButton)
        s |= ssRight;
    if (buttons & Qt::MiddleButton)
        s |= ssMiddle;
    return s;
}

WPARAM MouseKeyFlags(Qt::KeyboardModifiers mods, Qt::MouseButtons buttons)
{
    WPARAM w = 0;
    if (buttons & Qt::LeftButton)
        w |= MK_LBUTTON;
    if (buttons & Qt::RightButton)
        w |= MK_RBUTTON;
    if (buttons & Qt::MiddleButton)
        w |= MK_MBUTTON;
    if (mods & Qt::ShiftModifier)
        w |= MK_SHIFT;
    if (mods & Qt::ControlModifier)
        w |= MK_CONTROL;
    return w;
}

TShiftState ShiftFromMK(WPARAM w)
{
    TShiftState s = 0;
    if (w & MK_SHIFT)
        s |= ssShift;
    if (w & MK_CONTROL)
        s |= ssCtrl;
    if (w & MK_LBUTTON)
        s |= ssLeft;
    if (w & MK_RBUTTON)
        s |= ssRight;
    if (w & MK_MBUTTON)
        s |= ssMiddle;
    return s;
}

// The widget that lost the keyboard focus last, until the widget that gets it has been told
// (WM_SETFOCUS carries the window that lost the focus). The toolkit sends the loser its focus-out
// before the winner its focus-in. Focus leaving or returning with the whole window has no loser
// inside the program.
QPointer<QWidget>& LostFocusWidget()
{
    static QPointer<QWidget> w;
    return w;
}

void NoteLostFocus(QWidget* w, Qt::FocusReason reason)
{
    LostFocusWidget() = reason == Qt::ActiveWindowFocusReason ? nullptr : w;
}

HWND TakeLostFocus(Qt::FocusReason reason)
{
    QPointer<QWidget> w = LostFocusWidget();
    LostFocusWidget() = nullptr;
    if (!w || reason == Qt::ActiveWindowFocusReason)
        return nullptr;
    TWinControl* c = FindControlOfWidget(w);
    if (!c || (c->ComponentState() & csDestroying))
        return nullptr;
    return c->Handle();
}

// The byte a typed character stands for: ASCII as itself, anything else as its first UTF-8 byte
// (always 0x80 or above, so filters that accept only ASCII refuse it).
char CharFromText(const QString& text)
{
    const QByteArray utf8 = text.left(1).toUtf8();
    return utf8.isEmpty() ? 0 : utf8.at(0);
}

}  // namespace

void RegisterIdent(const String& name, int64_t value) { IdentTable()[name.toLower()] = value; }

bool LookupIdent(const String& name, int64_t& value)
{
    auto it = IdentTable().find(name.toLower());
    if (it == IdentTable().end())
        return false;
    value = it->second;
    return true;
}

// ---------------------------------------------------------------------------------------------
// TSizeConstraints

void TSizeConstraints::Set(int& field, int v)
{
    if (v < 0)
        v = 0;
    if (field == v)
        return;
    field = v;
    if (OnChange)
        OnChange(this);
}

void TSizeConstraints::Assign(const TPersistent* Source)
{
    if (auto s = dynamic_cast<const TSizeConstraints*>(Source)) {
        FMinWidth = s->FMinWidth;
        FMinHeight = s->FMinHeight;
        FMaxWidth = s->FMaxWidth;
        FMaxHeight = s->FMaxHeight;
        if (OnChange)
            OnChange(this);
        return;
    }
    TPersistent::Assign(Source);
}

// ---------------------------------------------------------------------------------------------
// Peer routing

bool RoutePeerEvent(TPeerBase* peer, QEvent* e)
{
    TControl* c = peer->Control;
    if (!c || (c->ComponentState() & csDestroying))
        return peer->BaseEvent(e);
    struct Depth {
        TPeerBase* peer;
        ~Depth() { --peer->Depth; }
    } depth{peer};
    ++peer->Depth;
    try {
        return c->PeerEvent(e);
    } catch (...) {
        HandleCallbackException();
        return true;
    }
}

TControl::TEventFrameScope::TEventFrameScope(TControl* c, UINT msg, QEvent* e) : control(c), alive(c->FAlive)
{
    c->FEventStack.push_back({msg, e});
}

TControl::TEventFrameScope::~TEventFrameScope()
{
    if (*alive)
        control->FEventStack.pop_back();
}

// ---------------------------------------------------------------------------------------------
// TControl

TControl::TControl(TComponent* AOwner) : TComponent(AOwner), FFont(new TFont), FConstraints(new TSizeConstraints)
{
    WindowProc = [this](TMessage& m) { WndProc(m); };
    FFont->OnChange = [this](TObject*) {
        FParentFont = false;
        FontChanged();
    };
    FConstraints->OnChange = [this](TObject*) { SetBounds(FLeft, FTop, FWidth, FHeight); };
}

TControl::~TControl()
{
    Destroying();
    if (FParent)
        FParent->RemoveControl(this);
    DestroyPeer();
    delete FFont;
    delete FConstraints;
    *FAlive = false;
}

void TControl::SetParent(TWinControl* AParent)
{
    if (AParent == FParent)
        return;
    if (AParent == this)
        throw EInvalidOperation(QStringLiteral("A control cannot have itself as its parent"));
    if (FParent)
        FParent->RemoveControl(this);
    if (AParent)
        AParent->InsertControl(this);
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    if (FConstraints->MinWidth() > 0)
        AWidth = std::max(AWidth, FConstraints->MinWidth());
    if (FConstraints->MaxWidth() > 0)
        AWidth = std::min(AWidth, FConstraints->MaxWidth());
    if (FConstraints->MinHeight() > 0)
        AHeight = std::max(AHeight, FConstraints->MinHeight());
    if (FConstraints->MaxHeight() > 0)
        AHeight = std::min(AHeight, FConstraints->MaxHeight());
    AWidth = std::max(0, AWidth);
    AHeight = std::max(0, AHeight);
    if (ALeft == FLeft && ATop == FTop && AWidth == FWidth && AHeight == FHeight)
        return;
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    UpdatePeerGeometry();
    if (resized) {
        // A window learns its new client area before WM_SIZE reports it.
        if (auto* win = dynamic_cast<TWinControl*>(this))
            win->FrameChanged();
        Perform(WM_SIZE, SizeKind(), MAKELPARAM(ClientWidth(), ClientHeight()));
        if (!(ComponentState() & csLoading))
            Resize();
    }
    if (FParent && FAlign != alNone)
        FParent->Realign();
}

void TControl::SetEnabled(bool v)
{
    if (FEnabled == v)
        return;
    FEnabled = v;
    if (FWidget)
        FWidget->setEnabled(v);
    Perform(CM_ENABLEDCHANGED);
}

void TControl::SetVisible(bool v)
{
    if (FVisible == v)
        return;
    FVisible = v;
    if (FWidget && (FParent || v == false))
        FWidget->setVisible(v);
    Perform(CM_VISIBLECHANGED, WPARAM(v));
    if (FParent && FAlign != alNone)
        FParent->Realign();
}

bool TControl::Showing() const
{
    if (!FVisible)
        return false;
    if (FParent)
        return FParent->Showing();
    return FWidget && FWidget->isVisible();
}

void TControl::SetText(const String& v)
{
    if (GetText() == v)
        return;
    SetTextValue(v);
    Perform(CM_TEXTCHANGED);
}

void TControl::SetColor(TColor v)
{
    if (FColor == v) {
        FParentColor = false;
        return;
    }
    FColor = v;
    FParentColor = false;
    Perform(CM_COLORCHANGED);
}

void TControl::SetParentColor(bool v)
{
    FParentColor = v;
    if (v && FParent && FColor != FParent->Color()) {
        FColor = FParent->Color();
        Perform(CM_COLORCHANGED);
        FParentColor = true;
    }
}

void TControl::SetParentFont(bool v)
{
    if (v && FParent && !(*FFont == *FParent->Font())) {
        FFont->Assign(FParent->Font());  // clears FParentFont through OnChange
    }
    FParentFont = v;
}

void TControl::SetCursor(TCursor v)
{
    FCursor = v;
    ApplyPeerCursor();
}

void TControl::SetHint(const String& v)
{
    FHint = v;
    if (FWidget)
        FWidget->setToolTip(FShowHint ? v : QString());
}

void TControl::SetShowHint(bool v)
{
    FShowHint = v;
    FParentShowHint = false;
    SetHint(FHint);
}

void TControl::SetAlign(TAlign v)
{
    if (FAlign == v)
        return;
    FAlign = v;
    if (FParent)
        FParent->Realign();
}

void TControl::SetBiDiMode(TBiDiMode v)
{
    if (FBiDiMode == v)
        return;
    FBiDiMode = v;
    FParentBiDiMode = false;
    Perform(CM_BIDIMODECHANGED);
}

LRESULT TControl::Perform(UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TMessage m{Msg, WParam, LParam, 0};
    if (WindowProc)
        WindowProc(m);
    else
        WndProc(m);
    return m.Result;
}

void TControl::WndProc(TMessage& Message) { Dispatch(Message); }

void TControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_PAINT:
        WMPaint(Message);
        break;
    case WM_ERASEBKGND:
        WMEraseBkgnd(Message);
        break;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_LBUTTONDBLCLK:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_RBUTTONDBLCLK:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
    case WM_MBUTTONDBLCLK:
        WMMouse(Message);
        break;
    case CM_MOUSEENTER:
        CMMouseEnter(Message);
        break;
    case CM_MOUSELEAVE:
        CMMouseLeave(Message);
        break;
    case CM_ENABLEDCHANGED:
        EnabledChanged();
        break;
    case CM_VISIBLECHANGED:
        VisibleChanged();
        break;
    case CM_TEXTCHANGED:
        TextChanged();
        break;
    case CM_COLORCHANGED:
        ColorChanged();
        break;
    case CM_FONTCHANGED:
        break;
    case CM_PARENTCOLORCHANGED:
        if (FParentColor && FParent) {
            FColor = FParent->Color();
            Perform(CM_COLORCHANGED);
            FParentColor = true;
        }
        break;
    case CM_PARENTFONTCHANGED:
        if (FParentFont && FParent) {
            FFont->Assign(FParent->Font());
            FParentFont = true;
        }
        break;
    default:
        DefaultHandler(Message);
        break;
    }
}

void TControl::DefaultHandler(TMessage& Message)
{
    if (QEvent* e = CurrentEvent(Message.Msg))
        Message.Result = RunBaseEvent(e) ? 1 : 0;
}

QEvent* TControl::CurrentEvent(UINT Msg) const
{
    for (auto it = FEventStack.rbegin(); it != FEventStack.rend(); ++it)
        if (it->Msg == Msg)
            return it->Event;
    return nullptr;
}

bool TControl::RunBaseEvent(QEvent* e)
{
    if (!FPeer)
        return false;
    // Each Qt event runs through the widget's own handling at most once.
    for (auto& f : FEventStack)
        if (f.Event == e)
            f.Event = nullptr;
    return FPeer->BaseEvent(e);
}

void TControl::Invalidate()
{
    if (FWidget)
        FWidget->update();
}

void TControl::Repaint()
{
    if (FWidget)
        FWidget->repaint();
}

void TControl::Update()
{
    if (FWidget)
        FWidget->repaint();
}

void TControl::BringToFront()
{
    if (FParent)
        FParent->SetChildOrder(this, FParent->ControlCount() - 1);
}

void TControl::SendToBack()
{
    if (FParent)
        FParent->SetChildOrder(this, 0);
}

void TControl::Click() { OnClick(this); }
void TControl::DblClick() { OnDblClick(this); }

void TControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    OnMouseDown(this, Button, Shift, X, Y);
}

void TControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    OnMouseUp(this, Button, Shift, X, Y);
}

void TControl::MouseMove(TShiftState Shift, int X, int Y) { OnMouseMove(this, Shift, X, Y); }

void TControl::Resize() { OnResize(this); }

void TControl::FontChanged()
{
    ApplyPeerFont();
    Perform(CM_FONTCHANGED);
    Invalidate();
}

void TControl::ColorChanged() { Invalidate(); }
void TControl::EnabledChanged() { Invalidate(); }
void TControl::VisibleChanged() {}
void TControl::TextChanged() { Invalidate(); }

void TControl::WMPaint(TMessage& Message) { DefaultHandler(Message); }

void TControl::WMEraseBkgnd(TMessage& Message) { Message.Result = 1; }

void TControl::WMMouse(TMessage& Message)
{
    const int x = GET_X_LPARAM(Message.LParam);
    const int y = GET_Y_LPARAM(Message.LParam);
    TShiftState shift = ShiftFromMK(Message.WParam);
    DefaultHandler(Message);
    switch (Message.Msg) {
    case WM_MOUSEMOVE:
        MouseMove(shift, x, y);
        break;
    case WM_LBUTTONDBLCLK:
        if (FControlStyle & csDoubleClicks) {
            FControlState |= csLButtonDown;
            DblClick();
            MouseDown(mbLeft, shift | ssDouble, x, y);
            break;
        }
        [[fallthrough]];
    case WM_LBUTTONDOWN:
        FControlState |= csLButtonDown;
        if (FControlStyle & csClickEvents)
            FControlState |= csClicked;
        MouseDown(mbLeft, shift | ssLeft, x, y);
        break;
    case WM_LBUTTONUP: {
        FControlState &= ~csLButtonDown;
        const bool clicked = FControlState & csClicked;
        FControlState &= ~csClicked;
        if (clicked && PointInClient(x, y)) {
            const auto alive = FAlive;
            Click();
            if (!*alive)
                return;  // OnClick freed the control
        }
        MouseUp(mbLeft, shift, x, y);
        break;
    }
    case WM_RBUTTONDOWN:
    case WM_RBUTTONDBLCLK:
        MouseDown(mbRight, shift | ssRight, x, y);
        break;
    case WM_RBUTTONUP:
        MouseUp(mbRight, shift, x, y);
        break;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONDBLCLK:
        MouseDown(mbMiddle, shift | ssMiddle, x, y);
        break;
    case WM_MBUTTONUP:
        MouseUp(mbMiddle, shift, x, y);
        break;
    default:
        break;
    }
}

void TControl::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
}

void TControl::Loaded()
{
    TComponent::Loaded();
    if (FParent) {
        if (FParentColor && FColor != FParent->Color()) {
            FColor = FParent->Color();
            ColorChanged();
        }
        if (FParentFont && !(*FFont == *FParent->Font())) {
            FFont->Assign(FParent->Font());
            FParentFont = true;
        }
    }
    UpdatePeerGeometry();
}

TPeerBase* TControl::CreatePeer() { return new TPeer<QWidget>(this); }

void TControl::CreateHandle()
{
    if (FWidget || (ComponentState() & csDestroying))
        return;
    QWidget* parentWidget = nullptr;
    if (FParent) {
        parentWidget = FParent->Widget();
        if (!parentWidget)
            return;
    } else if (!dynamic_cast<TCustomForm*>(this)) {
        return;  // only forms live without a parent
    }
    FPeer = CreatePeer();
    FWidget = FPeer->AsWidget();
    FWidget->setObjectName(Name());
    if (parentWidget)
        FWidget->setParent(parentWidget);
    InitPeer();
}

void TControl::InitPeer()
{
    QWidget* w = FWidget;
    w->setAttribute(Qt::WA_NoMousePropagation);
    w->setMouseTracking(true);
    w->setEnabled(FEnabled);
    ApplyPeerFont();
    ApplyPeerCursor();
    if (FShowHint)
        w->setToolTip(FHint);
    UpdatePeerGeometry();
    if (FParent)
        w->setVisible(FVisible);
}

void TControl::DestroyPeer()
{
    if (!FPeer)
        return;
    if (auto win = dynamic_cast<TWinControl*>(this))
        for (TControl* c : win->FControls)
            c->DestroyPeer();
    PeerDestroyed();
    TPeerBase* peer = FPeer;
    FPeer = nullptr;
    peer->Control = nullptr;
    QWidget* w = FWidget;
    FWidget = nullptr;
    PaintDepth().erase(w);
    DropWindowLayer(w);
    if (peer->Depth > 0) {
        // Destroyed from inside one of the widget's own events (a handler freeing its control):
        // the toolkit still runs code on the widget after the handler, so it goes once that is
        // over, out of its parent so that the parent's deletion does not take it along.
        w->hide();
        w->setParent(nullptr);
        w->deleteLater();
    } else {
        delete w;
    }
}

void TControl::UpdatePeerGeometry()
{
    if (!FWidget || !FParent)
        return;
    const TRect in = FParent->NonClientInsets();
    FWidget->setGeometry(FLeft + in.Left, FTop + in.Top, FWidth, FHeight);
}

void TControl::ApplyPeerFont()
{
    if (!FWidget)
        return;
    FWidget->setFont(FFont->ToQFont());
    QPalette pal = FWidget->palette();
    const QColor fc = ToQColor(FFont->Color());
    pal.setColor(QPalette::WindowText, fc);
    pal.setColor(QPalette::Text, fc);
    pal.setColor(QPalette::ButtonText, fc);
    FWidget->setPalette(pal);
}

void TControl::ApplyPeerCursor()
{
    if (!FWidget)
        return;
    if (FCursor == crDefault)
        FWidget->unsetCursor();
    else
        FWidget->setCursor(ToQtCursor(FCursor));
}

bool TControl::PeerEvent(QEvent* e)
{
    switch (e->type()) {
    case QEvent::Paint:
        return TranslatePaint(e);
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        return TranslateMouse(e);
    case QEvent::Enter: {
        if (FMouseInside)
            return RunBaseEvent(e);  // already told (while a button was held)
        FMouseInside = true;
        TEventFrameScope frame(this, CM_MOUSEENTER, e);
        Perform(CM_MOUSEENTER, 0, LPARAM(this));
        return true;
    }
    case QEvent::Leave: {
        if (!FMouseInside)
            return RunBaseEvent(e);
        FMouseInside = false;
        TEventFrameScope frame(this, CM_MOUSELEAVE, e);
        Perform(CM_MOUSELEAVE, 0, LPARAM(this));
        if (frame.Alive())
            Perform(WM_MOUSELEAVE);
        return true;
    }
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return TranslateKey(e);
    case QEvent::FocusIn: {
        const bool r = RunBaseEvent(e);
        const auto alive = FAlive;
        Perform(WM_SETFOCUS, WPARAM(TakeLostFocus(static_cast<QFocusEvent*>(e)->reason())));
        if (*alive)
            Perform(CM_ENTER);
        return r;
    }
    case QEvent::FocusOut: {
        const bool r = RunBaseEvent(e);
        NoteLostFocus(FWidget, static_cast<QFocusEvent*>(e)->reason());
        const auto alive = FAlive;
        Perform(CM_EXIT);
        if (*alive)
            Perform(WM_KILLFOCUS);
        return r;
    }
    default:
        break;
    }
    if (e->type() == TWinMessageEvent::EventType()) {
        auto* me = static_cast<TWinMessageEvent*>(e);
        Perform(me->Msg, me->WParam, me->LParam);
        return true;
    }
    return RunBaseEvent(e);
}

bool TControl::TranslatePaint(QEvent* e)
{
    QWidget* w = FWidget;
    ++PaintDepth()[w];
    struct Leave {
        QWidget* w;
        ~Leave()
        {
            auto it = PaintDepth().find(w);
            if (it != PaintDepth().end() && --it->second <= 0)
                PaintDepth().erase(it);
        }
    } leave{w};
    {
        QPainter painter(w);
        TCanvas canvas(&painter, w->rect());
        Perform(WM_ERASEBKGND, WPARAM(&canvas), 0);
    }
    TEventFrameScope frame(this, WM_PAINT, e);
    Perform(WM_PAINT, 0, 0);
    if (frame.Alive())
        PaintWindowLayer(this);
    return true;
}

bool TControl::TranslateMouse(QEvent* e)
{
    auto* me = static_cast<QMouseEvent*>(e);
    TPoint inset{0, 0};
    if (auto w = dynamic_cast<TWinControl*>(this))
        inset = w->NonClientInsets().TopLeft();
    const QPoint pos = me->position().toPoint();
    const int x = pos.x() - inset.X;
    const int y = pos.y() - inset.Y;
    UINT msg = WM_MOUSEMOVE;
    const Qt::MouseButton b = me->button();
    switch (e->type()) {
    case QEvent::MouseButtonPress:
        msg = b == Qt::RightButton ? WM_RBUTTONDOWN : b == Qt::MiddleButton ? WM_MBUTTONDOWN : WM_LBUTTONDOWN;
        break;
    case QEvent::MouseButtonRelease:
        msg = b == Qt::RightButton ? WM_RBUTTONUP : b == Qt::MiddleButton ? WM_MBUTTONUP : WM_LBUTTONUP;
        break;
    case QEvent::MouseButtonDblClick:
        msg = b == Qt::RightButton ? WM_RBUTTONDBLCLK : b == Qt::MiddleButton ? WM_MBUTTONDBLCLK : WM_LBUTTONDBLCLK;
        break;
    default:
        break;
    }
    if (e->type() == QEvent::MouseMove && me->buttons() != Qt::NoButton && FWidget) {
        // While a button is held the widget keeps the mouse, and the toolkit reports leaving and
        // coming back only after the release; the control learns of both at once, as it would
        // from the desktop's mouse tracking.
        const bool inside = FWidget->rect().contains(pos);
        if (inside != FMouseInside) {
            FMouseInside = inside;
            const auto alive = FAlive;
            Perform(inside ? CM_MOUSEENTER : CM_MOUSELEAVE, 0, LPARAM(this));
            if (*alive && !inside)
                Perform(WM_MOUSELEAVE);
            if (!*alive)
                return true;
        }
    }
    TEventFrameScope frame(this, msg, e);
    Perform(msg, MouseKeyFlags(me->modifiers(), me->buttons()), MAKELPARAM(x, y));
    return true;
}

bool TControl::TranslateKey(QEvent* e)
{
    auto* ke = static_cast<QKeyEvent*>(e);
    const WORD vk = QtKeyToVirtualKey(ke->key());
    const bool alt = ke->modifiers() & Qt::AltModifier;
    const LPARAM keyData = alt ? KEYDATA_ALTDOWN : 0;
    // A key belongs to the control that has the focus: what it leaves alone does not travel on to
    // its parents, as the toolkit would let it.
    // A handler may free the control (a key that closes and frees its window): nothing of it is
    // touched afterwards.
    const auto alive = FAlive;
    auto native = [this, e, alive](QEvent* ev) {
        if (*alive)
            RunBaseEvent(ev);
        e->accept();
        return true;
    };
    if (e->type() == QEvent::KeyRelease) {
        TMessage m{WM_KEYUP, vk, keyData, 0};
        WindowProc(m);
        if (!*alive || (vk != 0 && m.WParam == 0))
            return true;
        return native(e);
    }
    // Keys the control does not want for itself go to the dialog first: Enter and Escape to the
    // default and cancel buttons (CM_DIALOGKEY), characters to the accelerators (CM_DIALOGCHAR).
    TCustomForm* form = GetParentForm(this);
    const bool designing = ComponentState() & csDesigning;
    if (form && !designing && (vk == VK_RETURN || vk == VK_ESCAPE)) {
        if (!(Perform(WM_GETDLGCODE) & DLGC_WANTALLKEYS) && form->Perform(CM_DIALOGKEY, vk, keyData) != 0)
            return true;
        if (!*alive)
            return true;
    }
    // Arrow keys a control does not want move the focus among its siblings (the form's answer).
    if (form && !designing && !alt && (vk == VK_LEFT || vk == VK_RIGHT || vk == VK_UP || vk == VK_DOWN)) {
        if (!(Perform(WM_GETDLGCODE) & (DLGC_WANTARROWS | DLGC_WANTALLKEYS)) &&
            form->Perform(CM_DIALOGKEY, vk, keyData) != 0)
            return true;
        if (!*alive)
            return true;
    }
    TMessage down{WM_KEYDOWN, vk, keyData, 0};
    WindowProc(down);
    if (!*alive || (vk != 0 && down.WParam == 0))
        return true;  // a handler took the key (or freed the control)
    const QString text = ke->text();
    // Navigation and delete keys carry no character, as on the desktop.
    const bool noChar = ke->key() == Qt::Key_Tab || ke->key() == Qt::Key_Backtab || ke->key() == Qt::Key_Delete ||
                        (text.size() == 1 && text.at(0).unicode() == 0x7F);
    if (!text.isEmpty() && !noChar) {
        char ch = CharFromText(text);
        // Ctrl with a letter types the letter's control character (Ctrl+V is 0x16), as the desktop
        // keyboard does; some input sources hand over the plain letter.
        if ((ke->modifiers() & Qt::ControlModifier) && !alt && std::isalpha(static_cast<unsigned char>(ch)))
            ch = char(ch & 0x1F);
        if (alt) {
            // Alt+character is a system character: it selects an accelerator and is never typed.
            if (form && !designing)
                form->Perform(CM_DIALOGCHAR, WPARAM(uint8_t(ch)), keyData);
            e->accept();
            return true;
        }
        if (form && !designing && uint8_t(ch) >= 32 && !(Perform(WM_GETDLGCODE) & DLGC_WANTCHARS) &&
            form->Perform(CM_DIALOGCHAR, WPARAM(uint8_t(ch)), keyData) != 0)
            return true;
        if (!*alive)
            return true;
        TMessage chm{WM_CHAR, WPARAM(uint8_t(ch)), keyData, 0};
        WindowProc(chm);
        const char out = char(uint8_t(chm.WParam));
        if (!*alive || out == 0)
            return true;  // swallowed (or the control was freed)
        if (out != ch) {
            const uint8_t u = uint8_t(out);
            if (u < 32 && u != 8 && u != 9 && u != 13 && u != 27)
                return true;  // a control character is not inserted
            QKeyEvent replaced(e->type(), ke->key(), ke->modifiers(), QString(QChar(u)), ke->isAutoRepeat(),
                               ushort(ke->count()));
            return native(&replaced);
        }
    }
    return native(e);
}

// ---------------------------------------------------------------------------------------------
// TWinControl

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner)
{
    FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
}

TWinControl::~TWinControl()
{
    Destroying();
    // Child controls go with their parent (owners learn of it through their notification).
    while (!FControls.empty()) {
        TControl* c = FControls.back();
        delete c;
    }
    if (FHandle) {
        UnregisterWindowReceiver(FHandle);
        FHandle = nullptr;
    }
}

bool TWinControl::ContainsControl(const TControl* Control) const
{
    for (const TControl* c = Control; c; c = c->Parent())
        if (c == this)
            return true;
    return false;
}

void TWinControl::InsertControl(TControl* AControl)
{
    if (!AControl || AControl->FParent == this)
        return;
    FControls.push_back(AControl);
    AControl->FParent = this;
    if (auto w = dynamic_cast<TWinControl*>(AControl))
        FTabList.push_back(w);
    // A new child takes the parent's font and colour where it says so.
    if (AControl->FParentFont && !(*AControl->FFont == *Font())) {
        AControl->FFont->Assign(Font());
        AControl->FParentFont = true;
    }
    if (AControl->FParentColor)
        AControl->FColor = Color();
    if (FWidget) {
        if (AControl->FWidget) {
            AControl->FWidget->setParent(FWidget);
            AControl->UpdatePeerGeometry();
            AControl->FWidget->setVisible(AControl->FVisible);
        } else {
            AControl->CreateHandle();
            if (auto w = dynamic_cast<TWinControl*>(AControl))
                w->CreateChildHandles();
        }
    }
    if (AControl->Align() != alNone)
        Realign();
    UpdateTabChain();
}

void TWinControl::RemoveControl(TControl* AControl)
{
    auto it = std::find(FControls.begin(), FControls.end(), AControl);
    if (it == FControls.end())
        return;
    FControls.erase(it);
    // By address: a control being destroyed reaches here from ~TControl, when it no longer
    // casts to TWinControl.
    FTabList.erase(std::remove_if(FTabList.begin(), FTabList.end(),
                                  [AControl](TWinControl* w) { return static_cast<TControl*>(w) == AControl; }),
                   FTabList.end());
    AControl->FParent = nullptr;
    // A control without a parent has no window.
    AControl->DestroyPeer();
    if (AControl->Align() != alNone && !(ComponentState() & csDestroying))
        Realign();
}

void TWinControl::SetChildOrder(TControl* Child, int Order)
{
    auto it = std::find(FControls.begin(), FControls.end(), Child);
    if (it == FControls.end())
        return;
    FControls.erase(it);
    Order = std::clamp(Order, 0, int(FControls.size()));
    FControls.insert(FControls.begin() + Order, Child);
    if (Child->FWidget) {
        if (Order >= int(FControls.size()) - 1)
            Child->FWidget->raise();
        else if (Order == 0)
            Child->FWidget->lower();
        else if (FControls[size_t(Order + 1)]->FWidget)
            Child->FWidget->stackUnder(FControls[size_t(Order + 1)]->FWidget);
    }
}

HWND TWinControl::Handle()
{
    // A window needs its parent's window first; creating that creates ours too.
    if (!FWidget && Parent())
        Parent()->Handle();
    if (!FWidget)
        CreateHandle();
    if (FWidget && !FHandle)
        FHandle = RegisterWindowReceiver(FWidget);
    return FHandle;
}

int TWinControl::TabOrder() const
{
    if (!Parent())
        return -1;
    const auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    return it == list.end() ? -1 : int(it - list.begin());
}

void TWinControl::SetTabOrder(int v)
{
    if (ComponentState() & csLoading) {
        FStoredTabOrder = v;
        return;
    }
    if (!Parent())
        return;
    auto& list = Parent()->FTabList;
    auto it = std::find(list.begin(), list.end(), this);
    if (it == list.end())
        return;
    list.erase(it);
    v = std::clamp(v, 0, int(list.size()));
    list.insert(list.begin() + v, this);
    Parent()->UpdateTabChain();
}

void TWinControl::SetTabStop(bool v)
{
    if (FTabStop == v)
        return;
    FTabStop = v;
    ApplyTabOrder();
    Perform(CM_TABSTOPCHANGED);
}

void TWinControl::SetBorderWidth(int v)
{
    v = std::max(0, v);
    if (FBorderWidth == v)
        return;
    FBorderWidth = v;
    FrameChanged();
}

void TWinControl::SetParentBackground(bool v)
{
    FParentBackground = v;
    if (v)
        FControlStyle |= csParentBackground;
    else
        FControlStyle &= ~csParentBackground;
    Invalidate();
}

bool TWinControl::CanFocus() const
{
    for (const TControl* c = this; c; c = c->Parent())
        if (!c->Visible() || !c->Enabled())
            return false;
    return true;
}

bool TWinControl::Focused() const { return FWidget && FWidget->hasFocus(); }

TWinControl* TWinControl::FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const
{
    const std::vector<TWinControl*>& list = FTabList;
    const int count = int(list.size());
    if (count == 0)
        return nullptr;
    auto it = std::find(list.begin(), list.end(), CurControl);
    const int start = it != list.end() ? int(it - list.begin()) : GoForward ? count - 1 : 0;
    int i = start;
    do {
        i = GoForward ? (i + 1) % count : (i + count - 1) % count;
        TWinControl* c = list[size_t(i)];
        if (c->CanFocus() && (!CheckTabStop || c->TabStop()))
            return c;
    } while (i != start);
    return nullptr;
}

void TWinControl::SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop)
{
    if (TWinControl* next = FindNextControl(CurControl, GoForward, CheckTabStop))
        next->SetFocus();
}

void TWinControl::SetFocus()
{
    if (!FWidget)
        CreateHandle();
    if (FWidget)
        FWidget->setFocus(Qt::OtherFocusReason);
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const bool resized = AWidth != FWidth || AHeight != FHeight;
    TControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (resized)
        Realign();
}

void TWinControl::EnableAlign()
{
    if (FAlignLevel > 0 && --FAlignLevel == 0)
        Realign();
}

void TWinControl::Realign()
{
    if (FAlignLevel > 0 || (ComponentState() & (csLoading | csDestroying)))
        return;
    TRect r = ClientRect();
    AlignControls(nullptr, r);
}

void TWinControl::AlignControls(TControl*, TRect& Rect)
{
    ++FAlignLevel;
    auto place = [&](TAlign a) {
        for (TControl* c : FControls) {
            if (c->Align() != a || !c->Visible())
                continue;
            switch (a) {
            case alTop:
                c->SetBounds(Rect.Left, Rect.Top, Rect.Width(), c->Height());
                Rect.Top += c->Height();
                break;
            case alBottom:
                c->SetBounds(Rect.Left, Rect.Bottom - c->Height(), Rect.Width(), c->Height());
                Rect.Bottom -= c->Height();
                break;
            case alLeft:
                c->SetBounds(Rect.Left, Rect.Top, c->Width(), Rect.Height());
                Rect.Left += c->Width();
                break;
            case alRight:
                c->SetBounds(Rect.Right - c->Width(), Rect.Top, c->Width(), Rect.Height());
                Rect.Right -= c->Width();
                break;
            case alClient:
                c->SetBounds(Rect.Left, Rect.Top, std::max(0, Rect.Width()), std::max(0, Rect.Height()));
                break;
            default:
                break;
            }
        }
    };
    place(alTop);
    place(alBottom);
    place(alLeft);
    place(alRight);
    place(alClient);
    --FAlignLevel;
}

void TWinControl::InitPeer()
{
    TControl::InitPeer();
    FrameChanged();
    ApplyTabOrder();
    CreateChildHandles();
}

void TWinControl::PeerDestroyed()
{
    if (FHandle) {
        UnregisterWindowReceiver(FHandle);
        FHandle = nullptr;
    }
}

void TWinControl::CreateChildHandles()
{
    if (!FWidget)
        return;
    for (TControl* c : FControls) {
        if (!c->FWidget)
            c->CreateHandle();
    }
    UpdateTabChain();
}

void TWinControl::UpdatePeerGeometry() { TControl::UpdatePeerGeometry(); }

void TWinControl::FontChanged()
{
    TControl::FontChanged();
    for (TControl* c : std::vector<TControl*>(FControls))
        c->Perform(CM_PARENTFONTCHANGED);
}

void TWinControl::ColorChanged()
{
    TControl::ColorChanged();
    for (TControl* c : std::vector<TControl*>(FControls))
        c->Perform(CM_PARENTCOLORCHANGED);
}

void TWinControl::ApplyTabOrder()
{
    if (!FWidget)
        return;
    // Native widgets keep click focus; only tab stops are reached with the Tab key.
    const Qt::FocusPolicy current = FWidget->focusPolicy();
    if (current == Qt::NoFocus && !FTabStop)
        return;
    if (FTabStop)
        FWidget->setFocusPolicy(Qt::StrongFocus);
    else if (current != Qt::NoFocus)
        FWidget->setFocusPolicy(Qt::ClickFocus);
}

void TWinControl::UpdateTabChain()
{
    if (!FWidget)
        return;
    QWidget* prev = nullptr;
    for (TWinControl* c : FTabList) {
        if (!c->FWidget)
            continue;
        if (prev)
            QWidget::setTabOrder(prev, c->FWidget);
        prev = c->FWidget;
    }
    if (Parent())
        Parent()->UpdateTabChain();
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) { OnKeyDown(this, Key, Shift); }
void TWinControl::KeyUp(WORD& Key, TShiftState Shift) { OnKeyUp(this, Key, Shift); }
void TWinControl::KeyPress(char& Key) { OnKeyPress(this, Key); }
void TWinControl::DoEnter() { OnEnter(this); }
void TWinControl::DoExit() { OnExit(this); }

void TWinControl::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    // The key handlers may free the control: its default handling then does not run, and the
    // key counts as taken.
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
        WORD key = WORD(Message.WParam);
        const auto alive = FAlive;
        KeyDown(key, ShiftFromQt(QApplication::keyboardModifiers(), Qt::NoButton));
        Message.WParam = *alive ? key : 0;
        if (*alive && key != 0)
            DefaultHandler(Message);
        break;
    }
    case WM_KEYUP:
    case WM_SYSKEYUP: {
        WORD key = WORD(Message.WParam);
        const auto alive = FAlive;
        KeyUp(key, ShiftFromQt(QApplication::keyboardModifiers(), Qt::NoButton));
        Message.WParam = *alive ? key : 0;
        if (*alive && key != 0)
            DefaultHandler(Message);
        break;
    }
    case WM_CHAR: {
        char ch = char(uint8_t(Message.WParam));
        const auto alive = FAlive;
        KeyPress(ch);
        Message.WParam = *alive ? WPARAM(uint8_t(ch)) : 0;
        if (*alive && ch != 0)
            DefaultHandler(Message);
        break;
    }
    case CM_ENTER:
        DoEnter();
        break;
    case CM_EXIT:
        DoExit();
        break;
    case CM_DIALOGKEY:
    case CM_DIALOGCHAR:
    case CM_FOCUSCHANGED:
        Broadcast(Message);
        break;
    case WM_NCCALCSIZE:
        WMNCCalcSize(Message);
        break;
    default:
        TControl::Dispatch(Message);
        break;
    }
}

void TWinControl::Broadcast(TMessage& Message)
{
    // A copy: a handler may add or remove controls (a click that frees a sibling).
    const std::vector<TControl*> children = FControls;
    for (TControl* c : children) {
        if (std::find(FControls.begin(), FControls.end(), c) == FControls.end())
            continue;
        if (c->WindowProc)
            c->WindowProc(Message);
        else
            c->WndProc(Message);
        if (Message.Result != 0)
            return;
    }
}

void TWinControl::WMEraseBkgnd(TMessage& Message)
{
    // Custom-painted windows erase with their colour; native widgets paint their own background.
    Message.Result = 1;
    if ((FControlStyle & csOpaque) || (FControlStyle & csParentBackground))
        return;
    if (auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam)) {
        if (dynamic_cast<TPeer<QWidget>*>(Peer())) {
            canvas->Brush()->SetColor(Color());
            canvas->Brush()->SetStyle(bsSolid);
            canvas->FillRect(Rect(0, 0, FWidth, FHeight));
        }
    }
}

void TWinControl::Loaded()
{
    TControl::Loaded();
    // Children read with a TabOrder take their places in the tab list, in stored order.
    std::vector<std::pair<int, TWinControl*>> keyed;
    for (size_t i = 0; i < FTabList.size(); ++i) {
        const int stored = FTabList[i]->FStoredTabOrder;
        keyed.emplace_back(stored >= 0 ? stored : int(1000000 + i), FTabList[i]);
    }
    std::stable_sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
    for (size_t i = 0; i < keyed.size(); ++i)
        FTabList[i] = keyed[i].second;
    FrameChanged();
    Realign();
    UpdateTabChain();
}

// ---------------------------------------------------------------------------------------------
// TCustomControl and TGraphicControl

TCustomControl::TCustomControl(TComponent* AOwner) : TWinControl(AOwner), FCanvas(new TCanvas) {}

TCustomControl::~TCustomControl()
{
    Destroying();
    // Children first, while this object's canvas still exists.
    while (ControlCount() > 0)
        delete Controls(ControlCount() - 1);
    delete FCanvas;
    FCanvas = nullptr;
}

void TCustomControl::Paint() {}

void TCustomControl::PaintWith(TCanvas* canvas)
{
    if (canvas == FCanvas) {
        Paint();
        return;
    }
    // Paint into a foreign canvas through our own canvas object, so Paint's use of Canvas() works.
    QPainter* p = canvas->Painter();
    if (!p)
        return;
    FCanvas->SetPainter(p, QRect(0, 0, ClientWidth(), ClientHeight()));
    try {
        Paint();
    } catch (...) {
        FCanvas->SetPainter(nullptr, QRect());
        throw;
    }
    FCanvas->SetPainter(nullptr, QRect());
}

void TCustomControl::WMPaint(TMessage& Message)
{
    if (Message.WParam) {
        PaintWith(reinterpret_cast<TCanvas*>(Message.WParam));
        return;
    }
    QWidget* w = Widget();
    if (!w)
        return;
    QPainter painter(w);
    const TRect in = NonClientInsets();
    painter.translate(in.Left, in.Top);
    painter.setClipRect(QRect(0, 0, ClientWidth(), ClientHeight()));
    FCanvas->SetPainter(&painter, QRect(0, 0, ClientWidth(), ClientHeight()));
    struct Unbind {
        TCanvas* c;
        ~Unbind() { c->SetPainter(nullptr, QRect()); }
    } unbind{FCanvas};
    Paint();
}

TGraphicControl::TGraphicControl(TComponent* AOwner) : TControl(AOwner), FCanvas(new TCanvas)
{
    FControlStyle |= csCaptureMouse;
}

TGraphicControl::~TGraphicControl()
{
    delete FCanvas;
    FCanvas = nullptr;
}

void TGraphicControl::Paint() {}

void TGraphicControl::WMPaint(TMessage& Message)
{
    QPainter* external = Message.WParam ? reinterpret_cast<TCanvas*>(Message.WParam)->Painter() : nullptr;
    std::unique_ptr<QPainter> own;
    if (!external) {
        if (!Widget())
            return;
        own = std::make_unique<QPainter>(Widget());
    }
    FCanvas->SetPainter(external ? external : own.get(), QRect(0, 0, Width(), Height()));
    struct Unbind {
        TCanvas* c;
        ~Unbind() { c->SetPainter(nullptr, QRect()); }
    } unbind{FCanvas};
    Paint();
}

// ---------------------------------------------------------------------------------------------
// Free functions

TCustomForm* GetParentForm(const TControl* Control)
{
    const TControl* c = Control;
    while (c && c->Parent())
        c = c->Parent();
    return dynamic_cast<TCustomForm*>(const_cast<TControl*>(c));
}

void WithWindowCanvas(TControl* Control, const std::function<void(TCanvas&)>& draw)
{
    QWidget* w = Control ? Control->Widget() : nullptr;
    if (!w)
        return;
    auto it = PaintDepth().find(w);
    if (it == PaintDepth().end() || it->second <= 0) {
        // Outside a paint the window cannot be drawn on directly: ask for a repaint instead,
        // whose handlers draw the frame again.
        w->update();
        return;
    }
    QPainter painter(w);
    TCanvas canvas(&painter, w->rect());
    draw(canvas);
}

TWinControl* FindControlOfWidget(const QWidget* Widget)
{
    for (const QWidget* w = Widget; w; w = w->parentWidget()) {
        auto* peer = dynamic_cast<const TPeerBase*>(w);
        if (peer && peer->Control)
            if (auto* win = dynamic_cast<TWinControl*>(peer->Control))
                return win;
    }
    return nullptr;
}

TWinControl* FindControl(HWND Window)
{
    auto* w = qobject_cast<QWidget*>(WindowReceiver(Window));
    auto* peer = dynamic_cast<TPeerBase*>(w);
    return peer ? dynamic_cast<TWinControl*>(peer->Control) : nullptr;
}

HWND GetFocus()
{
    TWinControl* c = FindControlOfWidget(QApplication::focusWidget());
    return c ? c->Handle() : nullptr;
}

TPoint GetCursorPos()
{
    const QPoint p = QCursor::pos();
    return {p.x(), p.y()};
}

LRESULT SendMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam)
{
    TWinControl* c = FindControl(Window);
    return c ? c->Perform(Msg, WParam, LParam) : 0;
}

TShiftState KeyDataToShiftState(LPARAM KeyData)
{
    TShiftState s = ShiftFromQt(QApplication::keyboardModifiers(), Qt::NoButton) & ~TShiftState(ssAlt);
    if (KeyData & KEYDATA_ALTDOWN)
        s |= ssAlt;
    return s;
}
