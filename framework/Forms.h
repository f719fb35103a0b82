// Forms (top-level windows), the application object and the screen.
#pragma once

#include "framework/Controls.h"
#include "framework/Regions.h"

#include <QEventLoop>
#include <memory>

class QMouseEvent;

// The non-client frame of a form (FormsFrame.cpp, FormsWindowApi.cpp).
//
// Decisions:
// - A form keeps the window manager's decorations while its style has both caption bits
//   (WS_CAPTION); the whole Qt window is then its client area. Once SetWindowLong clears them the
//   Qt window is frameless and the framework plays the desktop's part: WM_NCCALCSIZE decides the
//   client rectangle (the default leaves the caption-less system frame: 3 pixels on every side,
//   4 with a sizing frame, none for bsNone), WM_NCHITTEST answers for the band around it,
//   presses there become WM_NCLBUTTONDOWN and so on, and WM_NCPAINT / WM_NCACTIVATE ask for the
//   band to be painted (after a frame change, on show, on a resize, on activation changes).
// - GetWindowDC draws into a whole-window layer (an image of the window's size) that every paint
//   of the window draws over its non-client band, after the window's own painting. So drawing
//   works at any time, shows at the next paint (ReleaseDC asks for it) and in QWidget::grab(),
//   and a repaint of the client never wipes the frame. The layer starts empty (transparent) when
//   the window's size changes, before WM_NCPAINT asks for the new frame. What is drawn into the
//   client area through it is not shown: the client area belongs to WM_PAINT.
// - Moves and resizes started by WM_NCLBUTTONDOWN (HTCAPTION, the sizing codes) or SC_MOVE go to
//   the window manager (QWindow::startSystemMove / startSystemResize). Where it offers none (a
//   bare X server, the offscreen platform) the framework moves or sizes the window itself with
//   the pointer until the left button is released (Escape puts it back). Unlike the desktop's,
//   neither loop is modal: the sending call returns at once.
// - WM_SIZE carries the window state (SIZE_RESTORED, SIZE_MINIMIZED, SIZE_MAXIMIZED) and the
//   client size. Minimising and restoring from it report at once; a change to or from maximised
//   reports when the window manager's new size arrives (or, when the size does not change, once
//   the events queued by then are handled).
// - WindowState follows the window manager's state. WM_SHOWWINDOW is sent when the program
//   shows or hides the form, not when the window manager iconifies it.
// - While a stored definition is read, ClientWidth and ClientHeight are kept and applied once
//   the whole definition is read (children included), so a component that changes the frame
//   while it is created leaves the stored client size intact and the window grows by the frame.
//   Reading them meanwhile gives the stored values.

class TCustomForm : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(Vcl::TFormBorderStyle BorderStyle READ BorderStyle WRITE SetBorderStyle)
    Q_PROPERTY(int BorderIcons READ BorderIcons WRITE SetBorderIcons)
    Q_PROPERTY(Vcl::TFormStyle FormStyle READ FormStyle WRITE SetFormStyle)
    Q_PROPERTY(Vcl::TPosition Position READ Position WRITE SetPosition)
    Q_PROPERTY(Vcl::TWindowState WindowState READ WindowState WRITE SetWindowState)
    Q_PROPERTY(bool KeyPreview READ KeyPreview WRITE SetKeyPreview)
    Q_PROPERTY(bool Scaled READ Scaled WRITE SetScaled)
    Q_PROPERTY(bool OldCreateOrder READ OldCreateOrder WRITE SetOldCreateOrder)
    Q_PROPERTY(int PixelsPerInch READ PixelsPerInch WRITE SetPixelsPerInch)
    Q_PROPERTY(int TextHeight READ TextHeight WRITE SetTextHeight)
    Q_PROPERTY(bool AutoScroll READ AutoScroll WRITE SetAutoScroll)
    Q_PROPERTY(TWinControl* ActiveControl READ ActiveControl WRITE SetActiveControl)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)

public:
    explicit TCustomForm(TComponent* AOwner);
    ~TCustomForm() override;

    // Runs after the most-derived constructor (the application object and NewForm call it): fires OnCreate.
    virtual void AfterConstruction();

    TFormBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TFormBorderStyle v);
    int BorderIcons() const { return int(FBorderIcons); }
    void SetBorderIcons(int v);
    TFormStyle FormStyle() const { return FFormStyle; }
    void SetFormStyle(TFormStyle v) { FFormStyle = v; }
    TPosition Position() const { return FPosition; }
    void SetPosition(TPosition v) { FPosition = v; }
    TWindowState WindowState() const { return FWindowState; }
    void SetWindowState(TWindowState v);
    bool KeyPreview() const { return FKeyPreview; }
    void SetKeyPreview(bool v) { FKeyPreview = v; }
    bool Scaled() const { return FScaled; }
    void SetScaled(bool v) { FScaled = v; }
    bool OldCreateOrder() const { return FOldCreateOrder; }
    void SetOldCreateOrder(bool v) { FOldCreateOrder = v; }
    int PixelsPerInch() const { return FPixelsPerInch; }
    void SetPixelsPerInch(int v) { FPixelsPerInch = v; }
    int TextHeight() const { return FTextHeight; }
    void SetTextHeight(int v) { FTextHeight = v; }
    bool AutoScroll() const { return FAutoScroll; }
    void SetAutoScroll(bool v) { FAutoScroll = v; }
    TWinControl* ActiveControl() const { return FActiveControl; }
    void SetActiveControl(TWinControl* v);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(int v);

    bool Active() const;
    void Show();
    void Hide() { SetVisible(false); }
    // Shows the form modally and returns its ModalResult.
    TModalResult ShowModal();
    // Asks OnCloseQuery, then closes as OnClose decides; closing the main form ends the application.
    void Close();
    // Frees the form once the current event has been handled.
    void Release();
    void BringToFrontWindow();

    // Recomputes the frame (non-client area), as a window-position change with "frame changed" does.
    void SetWindowPosFrameChanged();

    // --- the window's frame ---
    // GWL_STYLE / GWL_EXSTYLE: derived from BorderStyle, BorderIcons and FormStyle each time one of
    // them changes (through CM_RECREATEWND once the window exists), plus the window's live
    // visible, minimised and maximised bits; SetWindowLong replaces them.
    LONG WindowLongValue(int Index) override;
    LONG SetWindowLongValue(int Index, LONG Value) override;
    // Both caption bits are set: the window manager decorates the window.
    bool HasCaption() const { return (FStyle & WS_CAPTION) == WS_CAPTION; }
    // The system frame the default WM_NCCALCSIZE leaves around the client area: none while the
    // window has its caption or for bsNone, 4 pixels with a sizing frame (WS_THICKFRAME), else 3.
    int SystemFrameWidth() const;
    // Moves the window with the pointer (resizes it by the edges of a sizing hit code, HTLEFT ..
    // HTBOTTOMRIGHT) until the left button is released. ScreenPoint (MAKELPARAM(x, y), as
    // WM_NCLBUTTONDOWN carries it) is where the pointer went down; 0 takes the pointer's position.
    void StartWindowMove(LPARAM ScreenPoint = 0);
    void StartWindowResize(LRESULT HitCode, LPARAM ScreenPoint = 0);

    TRect ClientRect() const override;
    void SetClientWidth(int v) override;
    void SetClientHeight(int v) override;
    void Loaded() override;

    TEvent<TNotifyEvent> OnCreate{this, "OnCreate"};
    TEvent<TNotifyEvent> OnDestroy{this, "OnDestroy"};
    TEvent<TNotifyEvent> OnShow{this, "OnShow"};
    TEvent<TNotifyEvent> OnHide{this, "OnHide"};
    TEvent<TNotifyEvent> OnActivate{this, "OnActivate"};
    TEvent<TNotifyEvent> OnDeactivate{this, "OnDeactivate"};
    TEvent<TNotifyEvent> OnPaint{this, "OnPaint"};
    TEvent<TCloseEvent> OnClose{this, "OnClose"};
    TEvent<TCloseQueryEvent> OnCloseQuery{this, "OnCloseQuery"};

    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    bool PeerEvent(QEvent* e) override;

protected:
    TPeerBase* CreatePeer() override;
    void InitPeer() override;
    void UpdatePeerGeometry() override;
    void Dispatch(TMessage& Message) override;
    void TextChanged() override;
    void VisibleChanged() override;
    virtual void DoCreate();
    virtual void DoClose(TCloseAction& Action);
    virtual bool CloseQuery();
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void ApplyWindowFlags();
    WPARAM SizeKind() const override;
    // The desktop's default handling of the frame messages (WM_NCCALCSIZE, WM_NCHITTEST,
    // WM_NCLBUTTONDOWN, WM_NCLBUTTONDBLCLK, WM_SYSCOMMAND, WM_ACTIVATE, CM_RECREATEWND).
    void WMNCCalcSize(TMessage& Message) override;
    bool FrameDispatch(TMessage& Message);

private:
    void PlaceOnScreen();
    void ResetWindowStyle();
    LRESULT DefaultHitTest(LPARAM ScreenPoint) const;
    // Mouse events over the non-client band of a frameless form become WM_NC... messages.
    bool NonClientMouse(QMouseEvent* e);
    void SendNCPaint();
    void SendSize(WPARAM Kind);
    void WindowStateChanged(QEvent* e);
    void Activated(bool Active);

    TFormBorderStyle FBorderStyle = bsSizeable;
    TBorderIcons FBorderIcons = biSystemMenu | biMinimize | biMaximize;
    TFormStyle FFormStyle = fsNormal;
    TPosition FPosition = poDesigned;
    TWindowState FWindowState = wsNormal;
    bool FKeyPreview = false;
    bool FScaled = true;
    bool FOldCreateOrder = false;
    int FPixelsPerInch = 96;
    int FTextHeight = 13;
    bool FAutoScroll = false;
    TWinControl* FActiveControl = nullptr;
    TModalResult FModalResult = mrNone;
    QEventLoop* FModalLoop = nullptr;
    bool FPlaced = false;
    bool FSyncingGeometry = false;
    QMetaObject::Connection FFocusConnection;
    DWORD FStyle = 0;
    DWORD FExStyle = 0;
    int FStoredClientWidth = -1;   // ClientWidth read from a stored definition, applied once loaded
    int FStoredClientHeight = -1;
    WPARAM FLastSizeKind = SIZE_RESTORED;
    bool FSizePending = false;     // a change of state waits for its new size before WM_SIZE
    bool FApplyingFlags = false;   // new window flags hide and show the window: no WM_SHOWWINDOW
    bool FNCButtonDown = false;    // the left button went down on the non-client band
    bool FNCCursor = false;        // the band set a sizing cursor on the window
    TWindowState FStateBeforeMinimize = wsNormal;
};

// ---- Window management (FormsWindowApi.cpp). Unknown handles give 0 (ERROR_INVALID_WINDOW_HANDLE). ----

// GWL_STYLE or GWL_EXSTYLE of the window.
LONG GetWindowLong(HWND Window, int Index);
// Sets a style; answers the previous one. A form's decorations follow its caption bits at once;
// the frame is recomputed at the next size change or SetWindowPos with SWP_FRAMECHANGED.
LONG SetWindowLong(HWND Window, int Index, LONG NewLong);
// Moves and sizes (unless SWP_NOMOVE / SWP_NOSIZE), raises or lowers (HWND_TOP, HWND_BOTTOM;
// unless SWP_NOZORDER), shows or hides (SWP_SHOWWINDOW, SWP_HIDEWINDOW), activates a form
// (unless SWP_NOACTIVATE), and with SWP_FRAMECHANGED recomputes the frame (WM_NCCALCSIZE) and
// repaints it (WM_NCPAINT). X and Y are the parent's client coordinates, the screen for a form.
BOOL SetWindowPos(HWND Window, HWND InsertAfter, int X, int Y, int CX, int CY, UINT Flags);
// A canvas over the whole window, non-client band included, origin at the window's top-left;
// usable at any time until ReleaseDC. Null for an unknown window or one without a widget.
TCanvas* GetWindowDC(HWND Window);
// Ends a canvas of GetWindowDC and shows what was drawn: 1, or 0 when it is not one of the window's.
int ReleaseDC(HWND Window, TCanvas* DC);
// Gives the window the shape of the region (window coordinates) and takes the region over; a
// null region gives the whole window back, an empty one hides all of it. 0 for an unknown window
// or region (the caller then still owns the region).
int SetWindowRgn(HWND Window, HRGN Region, BOOL Redraw);
// Releases the mouse from the widget that holds it.
BOOL ReleaseCapture();

class TForm : public TCustomForm {
    Q_OBJECT
public:
    explicit TForm(TComponent* AOwner) : TCustomForm(AOwner) {}
};

// Creates a form of class T and runs its after-construction step (OnCreate).
template <class T, class... A>
T* NewForm(A&&... args)
{
    T* f = new T(std::forward<A>(args)...);
    f->AfterConstruction();
    return f;
}

using TExceptionEvent = std::function<void(TObject* Sender, const Exception& E)>;

class TApplication : public TComponent {
    Q_OBJECT
public:
    explicit TApplication(TComponent* AOwner = nullptr);
    ~TApplication() override;

    // Registers the framework's classes and fonts; call once after the QApplication exists.
    void Initialize();

    template <class T>
    void CreateForm(T*& Reference)
    {
        T* f = new T(this);
        Reference = f;
        if (!FMainForm)
            FMainForm = f;
        f->AfterConstruction();
    }

    // Shows the main form and runs the message loop until Terminate.
    void Run();
    void Terminate();
    bool Terminated() const { return FTerminated; }
    void ProcessMessages();

    // Shows an exception's message in a message box (with the application's title).
    void ShowException(const Exception& E);
    // Handles the exception being caught: EAbort silently, others through OnException or ShowException.
    void HandleException(TObject* Sender);

    // A modal message box; an empty caption shows "Error". Returns the button pressed (IDOK, ...).
    int MessageBox(const String& Text, const String& Caption = String(), UINT Flags = MB_OK);
    // Replaces the modal message box (tests record messages instead of blocking).
    std::function<int(const String& Text, const String& Caption, UINT Flags)> MessageBoxHook;

    TCustomForm* MainForm() const { return FMainForm; }
    void SetMainForm(TCustomForm* f) { FMainForm = f; }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    String ExeName() const;
    bool Active() const;

    TEvent<TExceptionEvent> OnException{this, "OnException"};

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TCustomForm* FMainForm = nullptr;
    String FTitle;
    bool FTerminated = false;
    bool FRunning = false;
};

// The screen: size, work area, forms.
class TScreen : public TComponent {
    Q_OBJECT
public:
    explicit TScreen(TComponent* AOwner = nullptr) : TComponent(AOwner) {}
    int Width() const;
    int Height() const;
    TRect WorkAreaRect() const;
    int PixelsPerInch() const { return 96; }
    int FormCount() const { return int(FForms.size()); }
    TCustomForm* Forms(int i) const { return FForms.at(size_t(i)); }
    TCustomForm* ActiveForm() const;
    TCursor Cursor() const { return FCursor; }
    void SetCursor(TCursor v);

private:
    friend class TCustomForm;
    std::vector<TCustomForm*> FForms;
    TCursor FCursor = crDefault;
};

extern TApplication* Application;
extern TScreen* Screen;

// Registers the classes the form reader may create (framework controls); called by Initialize.
void RegisterFrameworkClasses();
