#include "framework/WindowOverlay.h"

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "platform/WinMessages.h"

#include <QEvent>
#include <QPainter>
#include <QPointer>
#include <QWidget>
#include <algorithm>
#include <vector>

namespace {

// Kept as a child of the window it draws on, so it goes with the window.
class TWindowOverlay : public QObject {
public:
    explicit TWindowOverlay(QWidget* window) : QObject(window), FWindow(window)
    {
        setObjectName(QStringLiteral("rq_window_overlay"));
        window->installEventFilter(this);
    }

    static TWindowOverlay* Of(QWidget* window, bool create)
    {
        for (QObject* o : window->children())
            if (auto* overlay = dynamic_cast<TWindowOverlay*>(o))
                return overlay;
        return create ? new TWindowOverlay(window) : nullptr;
    }

    void Set(QObject* owner, TWindowDrawing draw)
    {
        Prune();
        auto it = std::find_if(FDrawings.begin(), FDrawings.end(),
                               [owner](const TDrawing& d) { return d.Owner == owner; });
        if (!draw) {
            if (it != FDrawings.end())
                FDrawings.erase(it);
        } else if (it != FDrawings.end()) {
            it->Draw = std::move(draw);
        } else {
            FDrawings.push_back({QPointer<QObject>(owner), std::move(draw)});
        }
        FWindow->update();
    }

    bool Has(const QObject* owner)
    {
        Prune();
        return std::any_of(FDrawings.begin(), FDrawings.end(), [owner](const TDrawing& d) { return d.Owner == owner; });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (watched != FWindow)
            return false;
        if (e->type() == QEvent::Hide) {
            FDrawings.clear();
            return false;
        }
        if (e->type() != QEvent::Paint || FPainting)
            return false;
        Prune();
        if (FDrawings.empty())
            return false;
        // The window paints itself first (QObject::event is public; it runs the window's own
        // paint handling), then the drawings go over it.
        FPainting = true;
        static_cast<QObject*>(FWindow)->event(e);
        FPainting = false;
        const std::vector<TDrawing> drawings = FDrawings;
        QPainter painter(FWindow);
        TCanvas canvas(&painter, FWindow->rect());
        const TRect whole = Rect(0, 0, FWindow->width(), FWindow->height());
        for (const TDrawing& d : drawings) {
            if (!d.Owner)
                continue;
            try {
                d.Draw(canvas, whole);
            } catch (...) {
                HandleCallbackException();
            }
        }
        return true;
    }

private:
    struct TDrawing {
        QPointer<QObject> Owner;
        TWindowDrawing Draw;
    };
    void Prune()
    {
        FDrawings.erase(std::remove_if(FDrawings.begin(), FDrawings.end(), [](const TDrawing& d) { return !d.Owner; }),
                        FDrawings.end());
    }

    QWidget* FWindow;
    std::vector<TDrawing> FDrawings;
    bool FPainting = false;
};

}  // namespace

bool DrawOnWindow(HWND Window, QObject* Owner, TWindowDrawing Draw)
{
    auto* w = qobject_cast<QWidget*>(WindowReceiver(Window));
    if (!w || !Owner)
        return false;
    if (TWindowOverlay* overlay = TWindowOverlay::Of(w, bool(Draw)))
        overlay->Set(Owner, std::move(Draw));
    return true;
}

bool HasDrawingOnWindow(HWND Window, const QObject* Owner)
{
    auto* w = qobject_cast<QWidget*>(WindowReceiver(Window));
    TWindowOverlay* overlay = w ? TWindowOverlay::Of(w, false) : nullptr;
    return overlay && overlay->Has(Owner);
}
