// Window management calls on the framework's windows: styles, positions, the whole-window device
// context and its layer, window regions, and moving or sizing a window with the pointer (see the
// Decisions in Forms.h).
#include "framework/Forms.h"

#include "framework/Graphics.h"
#include "platform/WinBase.h"
#include "platform/WinMessages.h"

#include <QApplication>
#include <QCursor>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPointer>
#include <QWindow>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

namespace {

// ---- the whole-window layer ----

struct TWindowLayer {
    QImage Image;  // the window's size, transparent where nothing was drawn
    std::unique_ptr<QPainter> Painter;
    std::vector<std::unique_ptr<TCanvas>> Canvases;  // open device contexts
};

std::map<const QWidget*, TWindowLayer>& Layers()
{
    static std::map<const QWidget*, TWindowLayer> layers;
    return layers;
}

// The window's area outside its client rectangle.
QRegion NonClientBand(TControl* control, QWidget* w)
{
    QRegion band(w->rect());
    if (auto* win = dynamic_cast<TWinControl*>(control)) {
        const TRect in = win->NonClientInsets();
        band -= QRect(in.Left, in.Top, win->ClientWidth(), win->ClientHeight());
    } else {
        band = QRegion();
    }
    return band;
}

TWinControl* WindowOf(HWND Window)
{
    TWinControl* c = Window ? FindControl(Window) : nullptr;
    if (!c)
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return c;
}

// ---- moving and sizing with the pointer where the window manager does not ----

class TWindowDrag : public QObject {
public:
    // Edges 0: move. From: where the pointer went down, on the screen.
    static void Start(TCustomForm* form, Qt::Edges edges, const QPoint& from)
    {
        static TWindowDrag* drag = nullptr;
        if (!drag)
            drag = new TWindowDrag(qApp);
        drag->Begin(form, edges, from);
    }

protected:
    bool eventFilter(QObject*, QEvent* e) override
    {
        if (!FForm || (FForm->ComponentState() & csDestroying)) {
            Stop();
            return false;
        }
        switch (e->type()) {
        case QEvent::MouseMove: {
            auto* me = static_cast<QMouseEvent*>(e);
            if (!(me->buttons() & Qt::LeftButton)) {
                Stop();  // the release went elsewhere
                return false;
            }
            Follow(me->globalPosition().toPoint());
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (static_cast<QMouseEvent*>(e)->button() == Qt::LeftButton)
                Stop();
            return true;
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
            return true;
        case QEvent::KeyPress:
            if (static_cast<QKeyEvent*>(e)->key() == Qt::Key_Escape) {
                FForm->SetBounds(FStart.Left, FStart.Top, FStart.Width(), FStart.Height());
                Stop();
                return true;
            }
            return false;
        default:
            return false;
        }
    }

private:
    explicit TWindowDrag(QObject* parent) : QObject(parent) {}

    void Begin(TCustomForm* form, Qt::Edges edges, const QPoint& from)
    {
        Stop();
        FForm = form;
        FEdges = edges;
        FPointer = from;
        FStart = form->BoundsRect();
        qApp->installEventFilter(this);
    }
    void Stop()
    {
        qApp->removeEventFilter(this);
        FForm = nullptr;
    }
    static int Clamp(int v, int lo, int hi)
    {
        v = std::max(v, std::max(lo, 1));
        return hi > 0 ? std::min(v, hi) : v;
    }
    void Follow(const QPoint& p)
    {
        const int dx = p.x() - FPointer.x(), dy = p.y() - FPointer.y();
        if (!FEdges) {
            FForm->SetBounds(FStart.Left + dx, FStart.Top + dy, FStart.Width(), FStart.Height());
            return;
        }
        TRect r = FStart;
        if (FEdges & Qt::LeftEdge)
            r.Left += dx;
        if (FEdges & Qt::RightEdge)
            r.Right += dx;
        if (FEdges & Qt::TopEdge)
            r.Top += dy;
        if (FEdges & Qt::BottomEdge)
            r.Bottom += dy;
        // The dragged edge stops where the size reaches its limits; the opposite edge stays.
        const TSizeConstraints* k = FForm->Constraints();
        const int w = Clamp(r.Width(), k->MinWidth(), k->MaxWidth());
        const int h = Clamp(r.Height(), k->MinHeight(), k->MaxHeight());
        if (FEdges & Qt::LeftEdge)
            r.Left = r.Right - w;
        if (FEdges & Qt::TopEdge)
            r.Top = r.Bottom - h;
        FForm->SetBounds(r.Left, r.Top, w, h);
    }

    QPointer<TCustomForm> FForm;
    Qt::Edges FEdges;
    QPoint FPointer;
    TRect FStart;
};

// Where a move or resize starts: the message's screen point, or the pointer's position for 0.
QPoint PointerOf(LPARAM ScreenPoint)
{
    if (ScreenPoint == 0)
        return QCursor::pos();
    return QPoint(GET_X_LPARAM(ScreenPoint), GET_Y_LPARAM(ScreenPoint));
}

Qt::Edges EdgesOf(LRESULT hit)
{
    switch (hit) {
    case HTLEFT: return Qt::LeftEdge;
    case HTRIGHT: return Qt::RightEdge;
    case HTTOP: return Qt::TopEdge;
    case HTBOTTOM: return Qt::BottomEdge;
    case HTTOPLEFT: return Qt::TopEdge | Qt::LeftEdge;
    case HTTOPRIGHT: return Qt::TopEdge | Qt::RightEdge;
    case HTBOTTOMLEFT: return Qt::BottomEdge | Qt::LeftEdge;
    case HTBOTTOMRIGHT: return Qt::BottomEdge | Qt::RightEdge;
    default: return {};
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The layer in the window's paint

void PaintWindowLayer(TControl* Control)
{
    QWidget* w = Control ? Control->Widget() : nullptr;
    if (!w)
        return;
    auto it = Layers().find(w);
    if (it == Layers().end() || it->second.Image.size() != w->size())
        return;  // nothing drawn, or drawn for another size (the new frame is on its way)
    const QRegion band = NonClientBand(Control, w);
    if (band.isEmpty())
        return;
    QPainter painter(w);
    painter.setClipRegion(band);
    painter.drawImage(0, 0, it->second.Image);
}

void DropWindowLayer(const QWidget* Widget) { Layers().erase(Widget); }

// ---------------------------------------------------------------------------------------------
// Moving and sizing

void TCustomForm::StartWindowMove(LPARAM ScreenPoint)
{
    QWidget* w = Widget();
    if (!w || !w->isVisible())
        return;
    QWindow* window = w->windowHandle();
    if (window && window->startSystemMove())
        return;
    TWindowDrag::Start(this, {}, PointerOf(ScreenPoint));
}

void TCustomForm::StartWindowResize(LRESULT HitCode, LPARAM ScreenPoint)
{
    QWidget* w = Widget();
    const Qt::Edges edges = EdgesOf(HitCode);
    if (!w || !w->isVisible() || !edges)
        return;
    QWindow* window = w->windowHandle();
    if (window && window->startSystemResize(edges))
        return;
    TWindowDrag::Start(this, edges, PointerOf(ScreenPoint));
}

// ---------------------------------------------------------------------------------------------
// The calls

LONG GetWindowLong(HWND Window, int Index)
{
    TWinControl* c = WindowOf(Window);
    return c ? c->WindowLongValue(Index) : 0;
}

LONG SetWindowLong(HWND Window, int Index, LONG NewLong)
{
    TWinControl* c = WindowOf(Window);
    return c ? c->SetWindowLongValue(Index, NewLong) : 0;
}

BOOL SetWindowPos(HWND Window, HWND InsertAfter, int X, int Y, int CX, int CY, UINT Flags)
{
    TWinControl* c = WindowOf(Window);
    if (!c)
        return FALSE;
    auto* form = dynamic_cast<TCustomForm*>(c);
    if (!(Flags & SWP_NOMOVE) || !(Flags & SWP_NOSIZE)) {
        const int l = (Flags & SWP_NOMOVE) ? c->Left() : X, t = (Flags & SWP_NOMOVE) ? c->Top() : Y;
        const int w = (Flags & SWP_NOSIZE) ? c->Width() : CX, h = (Flags & SWP_NOSIZE) ? c->Height() : CY;
        c->SetBounds(l, t, w, h);
    }
    if (Flags & SWP_FRAMECHANGED) {
        if (form)
            form->SetWindowPosFrameChanged();
        else
            c->FrameChanged();
    }
    if (!(Flags & SWP_NOZORDER)) {
        if (InsertAfter == HWND_BOTTOM) {
            if (c->Parent())
                c->SendToBack();
            else if (c->Widget())
                c->Widget()->lower();
        } else if (InsertAfter == HWND_TOP || InsertAfter == HWND_TOPMOST) {
            if (c->Parent())
                c->BringToFront();
            else if (c->Widget())
                c->Widget()->raise();
        }
    }
    if (Flags & SWP_SHOWWINDOW)
        c->Show();
    else if (Flags & SWP_HIDEWINDOW)
        c->Hide();
    if (form && !(Flags & SWP_NOACTIVATE) && form->Widget() && form->Widget()->isVisible())
        form->Widget()->activateWindow();
    return TRUE;
}

TCanvas* GetWindowDC(HWND Window)
{
    TWinControl* c = WindowOf(Window);
    QWidget* w = c ? c->Widget() : nullptr;
    if (!w)
        return nullptr;
    TWindowLayer& layer = Layers()[w];
    if (!layer.Painter) {
        // A new size starts a fresh layer: the old frame belongs to the old size.
        if (layer.Image.size() != w->size()) {
            layer.Image = QImage(w->size().expandedTo(QSize(1, 1)), QImage::Format_ARGB32_Premultiplied);
            layer.Image.fill(Qt::transparent);
        }
        layer.Painter = std::make_unique<QPainter>(&layer.Image);
    }
    layer.Canvases.push_back(std::make_unique<TCanvas>(layer.Painter.get(), QRect(QPoint(0, 0), w->size())));
    return layer.Canvases.back().get();
}

int ReleaseDC(HWND Window, TCanvas* DC)
{
    TWinControl* c = WindowOf(Window);
    QWidget* w = c ? c->Widget() : nullptr;
    if (!w || !DC)
        return 0;
    auto it = Layers().find(w);
    if (it == Layers().end())
        return 0;
    TWindowLayer& layer = it->second;
    auto canvas = std::find_if(layer.Canvases.begin(), layer.Canvases.end(),
                               [DC](const std::unique_ptr<TCanvas>& p) { return p.get() == DC; });
    if (canvas == layer.Canvases.end())
        return 0;
    layer.Canvases.erase(canvas);
    if (layer.Canvases.empty()) {
        layer.Painter.reset();
        const QRegion band = NonClientBand(c, w);
        if (!band.isEmpty())
            w->update(band);
    }
    return 1;
}

int SetWindowRgn(HWND Window, HRGN Region, BOOL Redraw)
{
    TWinControl* c = WindowOf(Window);
    QWidget* w = c ? c->Widget() : nullptr;
    if (!w)
        return 0;
    if (!Region) {
        w->clearMask();
    } else {
        QRegion pixels;
        if (!TakeRegion(Region, pixels)) {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
        // An empty mask would mean "no mask" to the toolkit; an empty region hides the window.
        if (pixels.isEmpty())
            pixels = QRegion(-1, -1, 1, 1);
        w->setMask(pixels);
    }
    if (Redraw)
        w->update();
    return 1;
}

BOOL ReleaseCapture()
{
    if (QWidget* g = QWidget::mouseGrabber())
        g->releaseMouse();
    return TRUE;
}
