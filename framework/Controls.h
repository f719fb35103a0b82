// The control layer: TControl (a visual component with bounds, text, colour, font and messages),
// TWinControl (a control that can hold others and take the focus), TCustomControl and
// TGraphicControl (controls that paint themselves on a canvas).
//
// Every control is backed by a Qt widget (its "peer"), created when the control gets a parent.
// Qt events arriving at the peer are turned into window messages and pass through the control's
// WindowProc, then Dispatch, then DefaultHandler, where the peer's own Qt handling runs. So a
// component can override Dispatch, replace WindowProc, or handle a message before or after the
// native behaviour, as window procedures do.
#pragma once

#include "framework/Colors.h"
#include "framework/Component.h"
#include "framework/ControlTypes.h"
#include "framework/Font.h"
#include "framework/Messages.h"

#include <QPointer>
#include <QWidget>
#include <functional>
#include <memory>
#include <vector>

class TCanvas;
class TControl;
class TWinControl;
class TCustomForm;
class QPainter;

// Minimum and maximum size of a control (0 = no limit).
class TSizeConstraints : public TPersistent {
public:
    int MinWidth() const { return FMinWidth; }
    int MinHeight() const { return FMinHeight; }
    int MaxWidth() const { return FMaxWidth; }
    int MaxHeight() const { return FMaxHeight; }
    void SetMinWidth(int v) { Set(FMinWidth, v); }
    void SetMinHeight(int v) { Set(FMinHeight, v); }
    void SetMaxWidth(int v) { Set(FMaxWidth, v); }
    void SetMaxHeight(int v) { Set(FMaxHeight, v); }
    void Assign(const TPersistent* Source) override;
    String ClassName() const override { return QStringLiteral("TSizeConstraints"); }
    TNotifyEvent OnChange;

private:
    void Set(int& field, int v);
    int FMinWidth = 0, FMinHeight = 0, FMaxWidth = 0, FMaxHeight = 0;
};

// Window creation parameters a control may adjust (styles the peer interprets, e.g. ES_RIGHT).
struct TCreateParams {
    DWORD Style = 0;
    DWORD ExStyle = 0;
};

// The bridge between a Qt widget and its control.
class TPeerBase {
public:
    virtual ~TPeerBase() = default;
    TControl* Control = nullptr;
    // How many of the widget's events are being handled right now: a control destroyed inside one
    // of its own handlers leaves its widget to be deleted once the toolkit is done with it.
    int Depth = 0;
    // Runs the widget class's own handling of a Qt event.
    virtual bool BaseEvent(QEvent* e) = 0;
    virtual QWidget* AsWidget() = 0;
};

// A Qt widget class W whose events go to its control first.
template <class W>
class TPeer : public W, public TPeerBase {
public:
    template <class... A>
    explicit TPeer(TControl* control, A&&... args) : W(std::forward<A>(args)...)
    {
        Control = control;
    }
    bool BaseEvent(QEvent* e) override { return W::event(e); }
    QWidget* AsWidget() override { return this; }

protected:
    bool event(QEvent* e) override;
};

// Routes a peer's event to its control (defined in Controls.cpp).
bool RoutePeerEvent(TPeerBase* peer, QEvent* e);

template <class W>
bool TPeer<W>::event(QEvent* e)
{
    return RoutePeerEvent(this, e);
}

class TControl : public TComponent {
    Q_OBJECT
    Q_PROPERTY(int Left READ Left WRITE SetLeft)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(int ClientWidth READ ClientWidth WRITE SetClientWidth STORED false)
    Q_PROPERTY(int ClientHeight READ ClientHeight WRITE SetClientHeight STORED false)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(QString Text READ Text WRITE SetText)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(bool ParentColor READ ParentColor WRITE SetParentColor)
    Q_PROPERTY(bool ParentFont READ ParentFont WRITE SetParentFont)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(TSizeConstraints* Constraints READ Constraints)
    Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool ShowHint READ ShowHint WRITE SetShowHint)
    Q_PROPERTY(bool ParentShowHint READ ParentShowHint WRITE SetParentShowHint)
    Q_PROPERTY(Vcl::TAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(int Anchors READ Anchors WRITE SetAnchors)
    Q_PROPERTY(Vcl::TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(bool ParentBiDiMode READ ParentBiDiMode WRITE SetParentBiDiMode)

public:
    explicit TControl(TComponent* AOwner);
    ~TControl() override;

    // --- parent ---
    TWinControl* Parent() const { return FParent; }
    virtual void SetParent(TWinControl* AParent);

    // --- geometry (relative to the parent's client area) ---
    int Left() const { return FLeft; }
    int Top() const { return FTop; }
    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    void SetLeft(int v) { SetBounds(v, FTop, FWidth, FHeight); }
    void SetTop(int v) { SetBounds(FLeft, v, FWidth, FHeight); }
    void SetWidth(int v) { SetBounds(FLeft, FTop, v, FHeight); }
    void SetHeight(int v) { SetBounds(FLeft, FTop, FWidth, v); }
    virtual void SetBounds(int ALeft, int ATop, int AWidth, int AHeight);
    TRect BoundsRect() const { return Bounds(FLeft, FTop, FWidth, FHeight); }
    void SetBoundsRect(const TRect& r) { SetBounds(r.Left, r.Top, r.Width(), r.Height()); }
    // The client rectangle in client coordinates (origin 0, 0).
    virtual TRect ClientRect() const;
    int ClientWidth() const { return ClientRect().Right; }
    int ClientHeight() const { return ClientRect().Bottom; }
    // Sizes the control so that its client area gets the width or height (the non-client band
    // stays as it is).
    virtual void SetClientWidth(int v);
    virtual void SetClientHeight(int v);
    TPoint ClientToScreen(const TPoint& p) const;
    TPoint ScreenToClient(const TPoint& p) const;
    // Client origin relative to the parent's client origin (Left, Top plus the non-client inset).
    TPoint ClientOrigin() const;

    // --- state ---
    bool Enabled() const { return FEnabled; }
    virtual void SetEnabled(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    void Show() { SetVisible(true); }
    void Hide() { SetVisible(false); }
    // Visible, and every parent up to a top-level window visible too.
    bool Showing() const;

    // --- text ---
    String Caption() const { return GetText(); }
    void SetCaption(const String& v) { SetText(v); }
    String Text() const { return GetText(); }
    void SetText(const String& v);

    // --- look ---
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    bool ParentColor() const { return FParentColor; }
    void SetParentColor(bool v);
    TFont* Font() const { return FFont; }
    void SetFont(const TFont* v) { FFont->Assign(v); }
    bool ParentFont() const { return FParentFont; }
    void SetParentFont(bool v);
    TSizeConstraints* Constraints() const { return FConstraints; }
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);
    String Hint() const { return FHint; }
    void SetHint(const String& v);
    bool ShowHint() const { return FShowHint; }
    void SetShowHint(bool v);
    bool ParentShowHint() const { return FParentShowHint; }
    void SetParentShowHint(bool v) { FParentShowHint = v; }
    TAlign Align() const { return FAlign; }
    void SetAlign(TAlign v);
    int Anchors() const { return int(FAnchors); }
    void SetAnchors(int v) { FAnchors = TAnchors(v); }
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode v);
    bool ParentBiDiMode() const { return FParentBiDiMode; }
    void SetParentBiDiMode(bool v) { FParentBiDiMode = v; }
    bool UseRightToLeftAlignment() const { return FBiDiMode == bdRightToLeft; }

    TControlStyle ControlStyle() const { return FControlStyle; }
    void SetControlStyle(TControlStyle v) { FControlStyle = v; }
    TControlState ControlState() const { return FControlState; }
    void SetControlState(TControlState v) { FControlState = v; }

    // --- messages ---
    // Sends a message through WindowProc synchronously and returns its result.
    LRESULT Perform(UINT Msg, WPARAM WParam = 0, LPARAM LParam = 0);
    // The control's window procedure; replaceable so a component can subclass another's.
    std::function<void(TMessage&)> WindowProc;
    virtual void WndProc(TMessage& Message);
    // Routes a message to its handler; overrides handle their messages and call the inherited one.
    virtual void Dispatch(TMessage& Message);
    // What happens to a message nobody handled: the peer's own Qt behaviour, when the message
    // came from a Qt event.
    virtual void DefaultHandler(TMessage& Message);

    // --- painting ---
    void Invalidate();
    void Repaint();
    void Update();
    void Refresh() { Repaint(); }
    void BringToFront();
    void SendToBack();

    // --- peer ---
    // The Qt widget behind the control; null until the control has a parent (forms: until needed).
    QWidget* Widget() const { return FWidget; }
    bool HandleAllocated() const { return !FWidget.isNull(); }
    // Creates the widget when the control has a parent whose widget exists (or is top-level).
    void CreateHandle();

    // True when the point (client coordinates) is on the control.
    bool PointInClient(int X, int Y) const { return X >= 0 && Y >= 0 && X < ClientWidth() && Y < ClientHeight(); }

    // Event entry for peers (see RoutePeerEvent).
    virtual bool PeerEvent(QEvent* e);

    TEvent<TNotifyEvent> OnClick{this, "OnClick"};
    TEvent<TNotifyEvent> OnDblClick{this, "OnDblClick"};
    TEvent<TMouseEvent> OnMouseDown{this, "OnMouseDown"};
    TEvent<TMouseEvent> OnMouseUp{this, "OnMouseUp"};
    TEvent<TMouseMoveEvent> OnMouseMove{this, "OnMouseMove"};
    TEvent<TNotifyEvent> OnResize{this, "OnResize"};

    void Loaded() override;

protected:
    // Makes the peer; the default is a plain widget whose painting the control does itself.
    virtual TPeerBase* CreatePeer();
    // Copies the control's state (geometry, visibility, font, cursor, ...) onto a new peer.
    virtual void InitPeer();
    // Called after the peer is destroyed.
    virtual void PeerDestroyed() {}
    void DestroyPeer();

    virtual String GetText() const { return FText; }
    // Stores the text (native controls keep it in their widget); no notification.
    virtual void SetTextValue(const String& v) { FText = v; }

    virtual void Click();
    virtual void DblClick();
    virtual void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y);
    virtual void MouseMove(TShiftState Shift, int X, int Y);
    virtual void Resize();
    // WParam of the WM_SIZE a change of bounds sends (a form answers by its window state).
    virtual WPARAM SizeKind() const { return SIZE_RESTORED; }
    virtual void Changed() { Perform(CM_CHANGED, 0, LPARAM(this)); }
    // A change of a property that affects the look; repaints by default.
    virtual void FontChanged();
    virtual void ColorChanged();
    virtual void EnabledChanged();
    virtual void VisibleChanged();
    virtual void TextChanged();

    // Message handlers reached from Dispatch.
    virtual void WMPaint(TMessage& Message);
    virtual void WMEraseBkgnd(TMessage& Message);
    virtual void WMMouse(TMessage& Message);
    virtual void CMMouseEnter(TMessage& Message) { DefaultHandler(Message); }
    virtual void CMMouseLeave(TMessage& Message) { DefaultHandler(Message); }

    void Notification(TComponent* AComponent, TOperation Operation) override;

    // Applies the geometry to the peer (after a change of bounds or of the parent's client area).
    virtual void UpdatePeerGeometry();
    void ApplyPeerFont();
    void ApplyPeerCursor();
    // The Qt event behind the message being dispatched, when it came from one.
    QEvent* CurrentEvent(UINT Msg) const;
    // Runs the Qt event through the peer's own handling (used by DefaultHandler).
    bool RunBaseEvent(QEvent* e);

    TPeerBase* Peer() const { return FPeer; }
    // Sets the initial visibility without notifications (constructors of hidden-by-default controls).
    void InitVisible(bool v) { FVisible = v; }

    int FLeft = 0, FTop = 0, FWidth = 0, FHeight = 0;
    TControlStyle FControlStyle = csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    TControlState FControlState = 0;

    friend class TWinControl;
    friend bool RoutePeerEvent(TPeerBase* peer, QEvent* e);

private:
    bool TranslateMouse(QEvent* e);
    bool TranslateKey(QEvent* e);
    bool TranslatePaint(QEvent* e);

    TWinControl* FParent = nullptr;
    QPointer<QWidget> FWidget;
    TPeerBase* FPeer = nullptr;
    bool FEnabled = true;
    bool FVisible = true;
    String FText;
    TColor FColor = clWindow;
    bool FParentColor = false;
    TFont* FFont;
    bool FParentFont = true;
    TSizeConstraints* FConstraints;
    TCursor FCursor = crDefault;
    String FHint;
    bool FShowHint = false;
    bool FParentShowHint = true;
    TAlign FAlign = alNone;
    TAnchors FAnchors = akLeft | akTop;
    TBiDiMode FBiDiMode = bdLeftToRight;
    bool FParentBiDiMode = true;
    bool FMouseInside = false;
    struct EventFrame {
        UINT Msg;
        QEvent* Event;
    };
    std::vector<EventFrame> FEventStack;
    // Pushes a frame on FEventStack for the scope's lifetime; the pop is skipped when a handler
    // destroyed the control meanwhile (FAlive turned false).
    struct TEventFrameScope {
        TEventFrameScope(TControl* c, UINT msg, QEvent* e);
        ~TEventFrameScope();
        bool Alive() const { return *alive; }
        TControl* control;
        std::shared_ptr<bool> alive;
    };

protected:
    // False once the destructor has run: code that runs handlers which may free the control (a
    // button whose OnClick frees its window) checks it before touching the control again.
    std::shared_ptr<bool> FAlive = std::make_shared<bool>(true);
};

class TWinControl : public TControl {
    Q_OBJECT
    Q_PROPERTY(int TabOrder READ TabOrder WRITE SetTabOrder)
    Q_PROPERTY(bool TabStop READ TabStop WRITE SetTabStop)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(bool DoubleBuffered READ DoubleBuffered WRITE SetDoubleBuffered)
    Q_PROPERTY(bool ParentBackground READ ParentBackground WRITE SetParentBackground)
    Q_PROPERTY(bool Ctl3D READ Ctl3D WRITE SetCtl3D)
    Q_PROPERTY(bool ParentCtl3D READ ParentCtl3D WRITE SetParentCtl3D)

public:
    explicit TWinControl(TComponent* AOwner);
    ~TWinControl() override;

    int ControlCount() const { return int(FControls.size()); }
    TControl* Controls(int Index) const { return FControls.at(size_t(Index)); }
    bool ContainsControl(const TControl* Control) const;
    void InsertControl(TControl* AControl);
    void RemoveControl(TControl* AControl);
    // Moves a child to a new position in the paint (z) order: 0 is the bottom.
    void SetChildOrder(TControl* Child, int Order);

    // The window handle: creates the peer when needed and registers it for posted messages.
    HWND Handle();
    bool HandleAllocated() const { return TControl::HandleAllocated(); }

    int TabOrder() const;
    void SetTabOrder(int v);
    bool TabStop() const { return FTabStop; }
    void SetTabStop(bool v);
    int BorderWidth() const { return FBorderWidth; }
    void SetBorderWidth(int v);
    bool DoubleBuffered() const { return FDoubleBuffered; }
    void SetDoubleBuffered(bool v) { FDoubleBuffered = v; }
    bool ParentBackground() const { return FParentBackground; }
    void SetParentBackground(bool v);
    bool Ctl3D() const { return FCtl3D; }
    void SetCtl3D(bool v) { FCtl3D = v; }
    bool ParentCtl3D() const { return FParentCtl3D; }
    void SetParentCtl3D(bool v) { FParentCtl3D = v; }

    // Sends the message to every child control in child order until one answers with a result
    // other than 0 (dialog keys and characters, focus changes).
    void Broadcast(TMessage& Message);

    // Child windows in tab order.
    std::vector<TWinControl*> TabList() const { return FTabList; }
    virtual bool CanFocus() const;
    bool Focused() const;
    virtual void SetFocus();
    // Gives the focus to the windowed child after (GoForward) or before CurControl in tab order,
    // wrapping around, that can take the focus and, with CheckTabStop, is a tab stop. Only this
    // control's own children count (the arrow keys of a dialog move the focus this way; the Tab
    // key runs through the toolkit's focus chain). A CurControl that is not a child starts the
    // search at an end.
    void SelectNext(TWinControl* CurControl, bool GoForward, bool CheckTabStop);
    TWinControl* FindNextControl(TWinControl* CurControl, bool GoForward, bool CheckTabStop) const;

    TRect ClientRect() const override;
    // The non-client band around the client area (by default BorderWidth on every side): how far
    // the client rectangle lies inside the window on each side.
    TRect NonClientInsets() const { return FNCInsets; }
    // Recomputes the non-client band and relays out the children through WM_NCCALCSIZE; the
    // rectangle the window procedure leaves is the client area. A form gets WParam 1 and an
    // NCCALCSIZE_PARAMS whose rgrc[0] and lppos give the window's place (Left, Top, Width, Height;
    // the screen for a top-level form); other controls get WParam 0 and the bare rectangle
    // (0, 0, Width, Height).
    void FrameChanged();

    // Window styles as GetWindowLong (GWL_STYLE, GWL_EXSTYLE) reads them; SetWindowLongValue
    // stores new ones and answers the previous value. Controls answer their creation styles and
    // refuse changes (0, ERROR_NOT_SUPPORTED); forms keep real styles (Forms.h).
    virtual LONG WindowLongValue(int Index);
    virtual LONG SetWindowLongValue(int Index, LONG Value);

    // Aligns children with Align set, in the order alTop, alBottom, alLeft, alRight, alClient.
    void Realign();
    void DisableAlign() { ++FAlignLevel; }
    void EnableAlign();

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;

    TEvent<TNotifyEvent> OnEnter{this, "OnEnter"};
    TEvent<TNotifyEvent> OnExit{this, "OnExit"};
    TEvent<TKeyEvent> OnKeyDown{this, "OnKeyDown"};
    TEvent<TKeyEvent> OnKeyUp{this, "OnKeyUp"};
    TEvent<TKeyPressEvent> OnKeyPress{this, "OnKeyPress"};

    void Loaded() override;

protected:
    virtual void CreateParams(TCreateParams& Params);
    TCreateParams GetCreateParams();
    void InitPeer() override;
    void PeerDestroyed() override;

    virtual void KeyDown(WORD& Key, TShiftState Shift);
    virtual void KeyUp(WORD& Key, TShiftState Shift);
    virtual void KeyPress(char& Key);
    virtual void DoEnter();
    virtual void DoExit();

    void Dispatch(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    virtual void WMNCCalcSize(TMessage& Message);

    // Children need their peers once this control has one.
    void CreateChildHandles();
    void UpdatePeerGeometry() override;
    void FontChanged() override;
    void ColorChanged() override;
    virtual void AlignControls(TControl* AControl, TRect& Rect);
    void UpdateTabChain();

    friend class TControl;

private:
    void ApplyTabOrder();

    std::vector<TControl*> FControls;
    std::vector<TWinControl*> FTabList;
    bool FTabStop = false;
    int FBorderWidth = 0;
    bool FDoubleBuffered = false;
    bool FParentBackground = false;
    bool FCtl3D = true;
    bool FParentCtl3D = true;
    TRect FNCInsets;
    int FAlignLevel = 0;
    int FStoredTabOrder = -1;  // TabOrder read from a stored definition, applied once loaded
    HWND FHandle = nullptr;
};

// A windowed control that paints itself: Paint draws on Canvas.
class TCustomControl : public TWinControl {
    Q_OBJECT
public:
    explicit TCustomControl(TComponent* AOwner);
    ~TCustomControl() override;
    TCanvas* Canvas() const { return FCanvas; }

protected:
    virtual void Paint();
    // Paints into the given canvas (the control's own during a paint, or another one when asked
    // to paint into a device context through WM_PAINT's WParam).
    void PaintWith(TCanvas* canvas);
    void WMPaint(TMessage& Message) override;

private:
    TCanvas* FCanvas;
};

// A light control that paints itself and never takes the focus (labels, bevels).
class TGraphicControl : public TControl {
    Q_OBJECT
public:
    explicit TGraphicControl(TComponent* AOwner);
    ~TGraphicControl() override;
    TCanvas* Canvas() const { return FCanvas; }

protected:
    virtual void Paint();
    void WMPaint(TMessage& Message) override;

private:
    TCanvas* FCanvas;
};

// The form a control sits on, or null.
TCustomForm* GetParentForm(const TControl* Control);

// The control behind a window handle (TWinControl::Handle), or null when the handle is unknown.
TWinControl* FindControl(HWND Window);
// The windowed control a Qt widget belongs to (the widget itself or its nearest peer ancestor).
TWinControl* FindControlOfWidget(const QWidget* Widget);
// The window handle of the control that has the keyboard focus, or null.
HWND GetFocus();
// The pointer's position on the screen.
TPoint GetCursorPos();
// Sends a message to the control behind the handle through its window procedure and returns the
// result; 0 when the handle is unknown.
LRESULT SendMessageA(HWND Window, UINT Msg, WPARAM WParam, LPARAM LParam);
// The shift state that goes with a key message: Alt from the key data, Shift and Ctrl as the
// keyboard holds them now.
TShiftState KeyDataToShiftState(LPARAM KeyData);

// A canvas drawing on the control's whole widget (non-client band included) during the current
// paint, or a canvas for the screen when not painting. Valid until the callback returns.
void WithWindowCanvas(TControl* Control, const std::function<void(TCanvas&)>& draw);

// The whole-window layer GetWindowDC draws into (FormsWindowApi.cpp): drawn over the window's
// non-client band at the end of each of its paints; dropped with the window.
void PaintWindowLayer(TControl* Control);
void DropWindowLayer(const QWidget* Widget);

// Hands an exception caught around framework callbacks to the application object.
void HandleCallbackException();

Q_DECLARE_METATYPE(TFont*)
Q_DECLARE_METATYPE(TSizeConstraints*)
