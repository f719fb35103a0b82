#include "framework/Forms.h"

#include "framework/Graphics.h"
#include "framework/SysUtils.h"
#include "platform/WinMessages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
#include <QFontDatabase>
#include <QMessageBox>
#include <QScreen>
#include <QTimer>
#include <QWindow>

TApplication* Application = nullptr;
TScreen* Screen = nullptr;

void HandleCallbackException()
{
    if (Application) {
        Application->HandleException(nullptr);
        return;
    }
    try {
        throw;
    } catch (const EAbort&) {
    } catch (const std::exception& e) {
        qWarning("Unhandled exception: %s", e.what());
    } catch (...) {
        qWarning("Unhandled exception");
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomForm

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csDoubleClicks;
    InitVisible(false);
    SetColor(clBtnFace);
    FLeft = 0;
    FTop = 0;
    FWidth = 320;
    FHeight = 240;
    ResetWindowStyle();
    if (Screen)
        Screen->FForms.push_back(this);
    // Remember the last focused control of this form (ActiveControl). A control that loses the
    // focus to another control of the form is told to cancel any mode it is in (CM_CANCELMODE),
    // and every control of the form learns which one has the focus now (CM_FOCUSCHANGED).
    FFocusConnection = QObject::connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) {
        TWinControl* win = FindControlOfWidget(now);
        if (!win || win == this || GetParentForm(win) != this)
            return;
        TWinControl* previous = FActiveControl;
        FActiveControl = win;
        try {
            if (previous && previous != win)
                previous->Perform(CM_CANCELMODE, 0, LPARAM(win));
            Perform(CM_FOCUSCHANGED, 0, LPARAM(win));
        } catch (...) {
            HandleCallbackException();
        }
    });
}

TCustomForm::~TCustomForm()
{
    Destroying();
    QObject::disconnect(FFocusConnection);
    OnDestroy(this);
    if (FModalLoop)
        FModalLoop->exit();
    if (Screen) {
        auto& f = Screen->FForms;
        f.erase(std::remove(f.begin(), f.end(), this), f.end());
    }
    if (Application && Application->MainForm() == this)
        Application->SetMainForm(nullptr);
    // Children before the peer, as for every windowed control.
    while (ControlCount() > 0)
        delete Controls(ControlCount() - 1);
    DestroyPeer();
}

void TCustomForm::AfterConstruction() { DoCreate(); }

void TCustomForm::DoCreate() { OnCreate(this); }

void TCustomForm::SetBorderStyle(TFormBorderStyle v)
{
    if (FBorderStyle == v)
        return;
    FBorderStyle = v;
    // The window is made anew with the styles of its new border (which a frame that took over
    // the window hears through its window procedure).
    if (HandleAllocated())
        Perform(CM_RECREATEWND);
    else
        ResetWindowStyle();
}

void TCustomForm::SetBorderIcons(int v)
{
    FBorderIcons = TBorderIcons(v);
    if (HandleAllocated())
        Perform(CM_RECREATEWND);
    else
        ResetWindowStyle();
}

void TCustomForm::SetWindowState(TWindowState v)
{
    FWindowState = v;
    if (QWidget* w = Widget()) {
        if (v == wsMaximized)
            w->setWindowState(Qt::WindowMaximized);
        else if (v == wsMinimized)
            w->setWindowState(Qt::WindowMinimized);
        else
            w->setWindowState(Qt::WindowNoState);
    }
}

void TCustomForm::SetActiveControl(TWinControl* v)
{
    FActiveControl = v;
    if (v && Visible() && !(ComponentState() & csLoading))
        v->SetFocus();
}

void TCustomForm::SetModalResult(int v)
{
    FModalResult = v;
    if (v != mrNone && FModalLoop)
        FModalLoop->exit();
}

bool TCustomForm::Active() const { return Widget() && Widget()->isActiveWindow(); }

TPeerBase* TCustomForm::CreatePeer()
{
    auto* peer = new TPeer<QWidget>(this, nullptr, Qt::Window);
    peer->setAttribute(Qt::WA_DeleteOnClose, false);
    return peer;
}

void TCustomForm::InitPeer()
{
    TWinControl::InitPeer();
    QWidget* w = Widget();
    w->setWindowTitle(Caption());
    ApplyWindowFlags();
    // A state set before the window existed (a stored WindowState) is the new window's.
    if (FWindowState == wsMaximized)
        w->setWindowState(Qt::WindowMaximized);
    else if (FWindowState == wsMinimized)
        w->setWindowState(Qt::WindowMinimized);
}

void TCustomForm::ApplyWindowFlags()
{
    QWidget* w = Widget();
    if (!w)
        return;
    const bool wasVisible = w->isVisible();
    const bool wasActive = wasVisible && w->isActiveWindow();
    Qt::WindowFlags f = Qt::Window;
    switch (FBorderStyle) {
    case bsNone:
        f |= Qt::FramelessWindowHint;
        break;
    case bsDialog:
        f = Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    case bsToolWindow:
    case bsSizeToolWin:
        f = Qt::Tool | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint;
        break;
    default:
        f |= Qt::CustomizeWindowHint | Qt::WindowTitleHint;
        if (FBorderIcons & biSystemMenu)
            f |= Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint;
        if (FBorderIcons & biMinimize)
            f |= Qt::WindowMinimizeButtonHint;
        if ((FBorderIcons & biMaximize) && FBorderStyle == bsSizeable)
            f |= Qt::WindowMaximizeButtonHint;
        break;
    }
    if (FFormStyle == fsStayOnTop)
        f |= Qt::WindowStaysOnTopHint;
    // Without its caption bits the window has no decorations; the framework draws its frame. (The
    // toolkit drops the frameless hint next to caption-button hints, so only the type stays.)
    if (HasCaption())
        f &= ~Qt::FramelessWindowHint;
    else
        f = (f & (Qt::WindowType_Mask | Qt::WindowStaysOnTopHint)) | Qt::FramelessWindowHint;
    if (w->windowFlags() == f) {
        UpdatePeerGeometry();
        return;
    }
    FApplyingFlags = true;
    struct Done {
        bool& flag;
        ~Done() { flag = false; }
    } done{FApplyingFlags};
    w->setWindowFlags(f);
    UpdatePeerGeometry();
    if (wasVisible) {
        w->show();
        if (wasActive)
            w->activateWindow();
    }
}

void TCustomForm::UpdatePeerGeometry()
{
    QWidget* w = Widget();
    if (!w)
        return;
    FSyncingGeometry = true;
    const bool fixed = FBorderStyle == bsDialog || FBorderStyle == bsSingle || FBorderStyle == bsToolWindow ||
                       FBorderStyle == bsNone;
    if (fixed) {
        w->setFixedSize(FWidth, FHeight);
    } else {
        w->setMinimumSize(Constraints()->MinWidth(), Constraints()->MinHeight());
        w->setMaximumSize(Constraints()->MaxWidth() > 0 ? Constraints()->MaxWidth() : QWIDGETSIZE_MAX,
                          Constraints()->MaxHeight() > 0 ? Constraints()->MaxHeight() : QWIDGETSIZE_MAX);
        w->resize(FWidth, FHeight);
    }
    if (FPlaced)
        w->move(FLeft, FTop);
    FSyncingGeometry = false;
}

void TCustomForm::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    const int w = Width(), h = Height();
    TWinControl::SetBounds(ALeft, ATop, AWidth, AHeight);
    if (w != Width() || h != Height())
        SendNCPaint();
}

void TCustomForm::PlaceOnScreen()
{
    QWidget* w = Widget();
    if (!w || FPlaced)
        return;
    FPlaced = true;
    QScreen* scr = QGuiApplication::primaryScreen();
    const QRect area = scr ? scr->availableGeometry() : QRect(0, 0, 1024, 768);
    int x = FLeft, y = FTop;
    switch (FPosition) {
    case poScreenCenter:
    case poDesktopCenter:
        x = area.x() + (area.width() - FWidth) / 2;
        y = area.y() + (area.height() - FHeight) / 2;
        break;
    case poMainFormCenter:
    case poOwnerFormCenter:
        if (Application && Application->MainForm() && Application->MainForm() != this) {
            TCustomForm* m = Application->MainForm();
            x = m->Left() + (m->Width() - FWidth) / 2;
            y = m->Top() + (m->Height() - FHeight) / 2;
        }
        break;
    default:
        break;
    }
    FLeft = x;
    FTop = y;
    FSyncingGeometry = true;
    w->move(x, y);
    FSyncingGeometry = false;
}

void TCustomForm::Show()
{
    SetVisible(true);
    BringToFrontWindow();
}

void TCustomForm::BringToFrontWindow()
{
    if (QWidget* w = Widget()) {
        w->raise();
        w->activateWindow();
    }
}

void TCustomForm::VisibleChanged()
{
    if (Visible()) {
        CreateHandle();
        QWidget* w = Widget();
        if (!w)
            return;
        PlaceOnScreen();
        w->show();
        if (FActiveControl && FActiveControl->CanFocus())
            FActiveControl->SetFocus();
        OnShow(this);
    } else {
        if (QWidget* w = Widget())
            w->hide();
        OnHide(this);
    }
}

TModalResult TCustomForm::ShowModal()
{
    if (Visible() || FModalLoop)
        throw EInvalidOperation(QStringLiteral("Cannot make a visible window modal"));
    CreateHandle();
    FModalResult = mrNone;
    Widget()->setWindowModality(Qt::ApplicationModal);
    QEventLoop loop;
    FModalLoop = &loop;
    Show();
    while (FModalResult == mrNone && Visible() && !(Application && Application->Terminated()))
        loop.exec();
    FModalLoop = nullptr;
    Hide();
    if (Widget())
        Widget()->setWindowModality(Qt::NonModal);
    return FModalResult;
}

bool TCustomForm::CloseQuery()
{
    bool canClose = true;
    OnCloseQuery(this, canClose);
    return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) { OnClose(this, Action); }

void TCustomForm::Close()
{
    if (FModalLoop) {
        if (!CloseQuery())
            return;
        if (FModalResult == mrNone)
            FModalResult = mrCancel;
        FModalLoop->exit();
        return;
    }
    if (!CloseQuery())
        return;
    TCloseAction action = caHide;
    DoClose(action);
    if (action == caNone)
        return;
    if (Application && Application->MainForm() == this) {
        Hide();
        Application->Terminate();
        return;
    }
    if (action == caHide)
        Hide();
    else if (action == caMinimize)
        SetWindowState(wsMinimized);
    else if (action == caFree)
        Release();
}

void TCustomForm::Release()
{
    Hide();
    QTimer::singleShot(0, qApp, [p = QPointer<QObject>(this)] {
        if (p)
            delete static_cast<TCustomForm*>(static_cast<TComponent*>(p.data()));
    });
}

void TCustomForm::TextChanged()
{
    if (QWidget* w = Widget())
        w->setWindowTitle(Caption());
}

void TCustomForm::Dispatch(TMessage& Message)
{
    if (FrameDispatch(Message))
        return;
    switch (Message.Msg) {
    case WM_CLOSE:
        Close();
        break;
    case CM_DIALOGKEY:
        // The arrow keys move the focus among the active control's siblings, tab stops or not;
        // they are not offered to the controls.
        if (Message.WParam == VK_LEFT || Message.WParam == VK_RIGHT || Message.WParam == VK_UP ||
            Message.WParam == VK_DOWN) {
            if (FActiveControl && FActiveControl != this && FActiveControl->Parent()) {
                FActiveControl->Parent()->SelectNext(FActiveControl,
                                                     Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN, false);
                Message.Result = 1;
            }
            break;
        }
        TWinControl::Dispatch(Message);
        break;
    default:
        TWinControl::Dispatch(Message);
        break;
    }
}

void TCustomForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActiveControl)
        FActiveControl = nullptr;
}

bool TCustomForm::PeerEvent(QEvent* e)
{
    QWidget* w = Widget();
    switch (e->type()) {
    case QEvent::Close:
        e->ignore();
        Perform(WM_CLOSE);
        return true;
    case QEvent::Resize:
        if (!FSyncingGeometry && w && !w->isMinimized()) {
            const QSize s = w->size();
            if (s.width() != FWidth || s.height() != FHeight) {
                FWidth = s.width();
                FHeight = s.height();
                FrameChanged();
                Realign();
                SendSize(SizeKind());
                Resize();
                SendNCPaint();
            }
        }
        return RunBaseEvent(e);
    case QEvent::WindowStateChange:
        WindowStateChanged(e);
        return RunBaseEvent(e);
    case QEvent::Show:
    case QEvent::Hide: {
        const bool r = RunBaseEvent(e);
        if (!e->spontaneous() && !FApplyingFlags)
            Perform(WM_SHOWWINDOW, e->type() == QEvent::Show ? TRUE : FALSE, 0);
        if (e->type() == QEvent::Show)
            SendNCPaint();
        return r;
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
        if (NonClientMouse(static_cast<QMouseEvent*>(e)))
            return true;
        return TWinControl::PeerEvent(e);
    case QEvent::Move:
        if (!FSyncingGeometry && w && w->isVisible()) {
            FLeft = w->geometry().x();
            FTop = w->geometry().y();
        }
        return RunBaseEvent(e);
    case QEvent::WindowActivate:
    case QEvent::WindowDeactivate: {
        const bool active = e->type() == QEvent::WindowActivate;
        Perform(WM_NCACTIVATE, active ? TRUE : FALSE, 0);
        Perform(WM_ACTIVATE, MAKEWPARAM(active ? WA_ACTIVE : WA_INACTIVE, FWindowState == wsMinimized), 0);
        return RunBaseEvent(e);
    }
    default:
        return TWinControl::PeerEvent(e);
    }
}

// ---------------------------------------------------------------------------------------------
// TApplication

TApplication::TApplication(TComponent* AOwner) : TComponent(AOwner)
{
    Application = this;
    if (!Screen)
        Screen = new TScreen(this);
    FTitle = QFileInfo(QCoreApplication::applicationFilePath()).completeBaseName();
}

TApplication::~TApplication()
{
    Destroying();
    DestroyComponents();
    if (Application == this)
        Application = nullptr;
    Screen = nullptr;
}

void TApplication::Notification(TComponent* AComponent, TOperation Operation)
{
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FMainForm)
        FMainForm = nullptr;
}

void TApplication::Initialize()
{
    static bool done = false;
    if (!done) {
        done = true;
        RegisterFrameworkClasses();
        // Faithful metrics for the classic dialog fonts, when the Wine font package is present.
        for (const char* f : {"/usr/share/wine/fonts/tahoma.ttf", "/usr/share/wine/fonts/tahomabd.ttf",
                              "/usr/share/wine/fonts/ms_sans_serif.ttf"}) {
            if (QFileInfo::exists(QString::fromLatin1(f)))
                QFontDatabase::addApplicationFont(QString::fromLatin1(f));
        }
    }
    SetBeepHandler([] { QApplication::beep(); });
    QApplication::setQuitOnLastWindowClosed(false);
}

void TApplication::Run()
{
    if (FTerminated)
        return;
    if (FMainForm && !FMainForm->Visible())
        FMainForm->Show();
    FRunning = true;
    if (!FTerminated)
        QApplication::exec();
    FRunning = false;
}

void TApplication::Terminate()
{
    FTerminated = true;
    QCoreApplication::quit();
}

void TApplication::ProcessMessages() { QCoreApplication::processEvents(QEventLoop::AllEvents); }

void TApplication::ShowException(const Exception& E)
{
    String msg = E.Message();
    if (!msg.isEmpty() && !msg.endsWith(QLatin1Char('.')))
        msg += QLatin1Char('.');
    MessageBox(msg, FTitle, MB_OK | MB_ICONERROR);
}

void TApplication::HandleException(TObject* Sender)
{
    try {
        throw;
    } catch (const EAbort&) {
        // silent by design
    } catch (const Exception& e) {
        if (OnException)
            OnException(Sender, e);
        else
            ShowException(e);
    } catch (const std::exception& e) {
        ShowException(Exception(QString::fromLocal8Bit(e.what())));
    } catch (...) {
        ShowException(Exception(QString()));
    }
}

int TApplication::MessageBox(const String& Text, const String& Caption, UINT Flags)
{
    const String caption = Caption.isEmpty() ? QStringLiteral("Error") : Caption;
    if (MessageBoxHook)
        return MessageBoxHook(Text, caption, Flags);
    QMessageBox box;
    box.setWindowTitle(caption);
    box.setText(Text);
    switch (Flags & 0xF0) {
    case MB_ICONERROR: box.setIcon(QMessageBox::Critical); break;
    case MB_ICONQUESTION: box.setIcon(QMessageBox::Question); break;
    case MB_ICONWARNING: box.setIcon(QMessageBox::Warning); break;
    case MB_ICONINFORMATION: box.setIcon(QMessageBox::Information); break;
    default: break;
    }
    struct Btn {
        QMessageBox::StandardButton b;
        int id;
    };
    std::vector<Btn> buttons;
    switch (Flags & 0x0F) {
    case MB_OKCANCEL: buttons = {{QMessageBox::Ok, IDOK}, {QMessageBox::Cancel, IDCANCEL}}; break;
    case MB_ABORTRETRYIGNORE:
        buttons = {{QMessageBox::Abort, IDABORT}, {QMessageBox::Retry, IDRETRY}, {QMessageBox::Ignore, IDIGNORE}};
        break;
    case MB_YESNOCANCEL:
        buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}, {QMessageBox::Cancel, IDCANCEL}};
        break;
    case MB_YESNO: buttons = {{QMessageBox::Yes, IDYES}, {QMessageBox::No, IDNO}}; break;
    case MB_RETRYCANCEL: buttons = {{QMessageBox::Retry, IDRETRY}, {QMessageBox::Cancel, IDCANCEL}}; break;
    default: buttons = {{QMessageBox::Ok, IDOK}}; break;
    }
    QMessageBox::StandardButtons all;
    for (auto& b : buttons)
        all |= b.b;
    box.setStandardButtons(all);
    box.setDefaultButton(buttons.front().b);
    const int r = box.exec();
    for (auto& b : buttons)
        if (r == b.b)
            return b.id;
    return buttons.size() > 1 ? IDCANCEL : IDOK;
}

String TApplication::ExeName() const { return QCoreApplication::applicationFilePath(); }

bool TApplication::Active() const { return QApplication::activeWindow() != nullptr; }

// ---------------------------------------------------------------------------------------------
// TScreen

int TScreen::Width() const
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().width() : 1024;
}

int TScreen::Height() const
{
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? s->geometry().height() : 768;
}

TRect TScreen::WorkAreaRect() const
{
    QScreen* s = QGuiApplication::primaryScreen();
    const QRect r = s ? s->availableGeometry() : QRect(0, 0, 1024, 768);
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

TCustomForm* TScreen::ActiveForm() const
{
    for (TCustomForm* f : FForms)
        if (f->Active())
            return f;
    return nullptr;
}

void TScreen::SetCursor(TCursor v)
{
    if (FCursor == v)
        return;
    if (FCursor != crDefault)
        QApplication::restoreOverrideCursor();
    FCursor = v;
    if (v == crHourGlass)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (v != crDefault)
        QApplication::setOverrideCursor(Qt::ArrowCursor);
}
