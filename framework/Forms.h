// Forms (top-level windows), the application object and the screen.
#pragma once

#include "framework/Controls.h"

#include <QEventLoop>
#include <memory>

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
    void SetWindowPosFrameChanged() { FrameChanged(); }

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

private:
    void PlaceOnScreen();

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
};

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
