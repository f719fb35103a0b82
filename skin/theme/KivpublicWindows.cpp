// Kivpublic: window shapes, painting under transparent controls, borders, placement, focus and
// the container step of the style protocol.
#include "skin/theme/Kivpublic.h"

#include "framework/Controls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "platform/WinMessages.h"
#include "skin/theme/Kivmgr.h"

#include <QGuiApplication>
#include <QRegion>
#include <QScreen>
#include <QWidget>

namespace {

QWidget* WidgetOf(HWND Window) { return qobject_cast<QWidget*>(WindowReceiver(Window)); }

TRect FromQRect(const QRect& r) { return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height()); }

}  // namespace

void SetBitmapWindow(HWND Window, TBitmap* Bitmap, TColor TransparentColor)
{
    QWidget* w = WidgetOf(Window);
    if (!w || !Bitmap)
        return;
    QRegion region;
    if (!Bitmap->Empty()) {
        const QImage& img = Bitmap->Image();
        const QRgb key = ColorToQRgb(TransparentColor) & 0xFFFFFF;
        const int width = img.width();
        for (int y = 0; y < img.height(); ++y) {
            const QRgb* row = reinterpret_cast<const QRgb*>(img.constScanLine(y));
            int start = -1;
            // The last column only closes an open run; it never joins one.
            for (int x = 0; x < width; ++x) {
                const bool last = x == width - 1;
                const bool opaque = (row[x] & 0xFFFFFF) != key;
                if (!last && opaque) {
                    if (start < 0)
                        start = x;
                    continue;
                }
                if (start >= 0) {
                    region += QRect(start, y, x - start, 1);
                    start = -1;
                }
            }
        }
    }
    // An empty mask means "no mask" to Qt; a region outside the widget hides all of it instead.
    if (region.isEmpty())
        region = QRegion(-2, -2, 1, 1);
    w->setMask(region);
    w->update();
}

void DoTrans(TCanvas* Canvas, TControl* Control)
{
    if (!Canvas || !Control)
        return;
    TWinControl* parent = Control->Parent();
    if (!parent)
        return;
    Canvas->SaveState();
    try {
        Canvas->OffsetViewportOrigin(-Control->Left(), -Control->Top());
        Canvas->IntersectClipRect(Rect(0, 0, parent->ClientWidth(), parent->ClientHeight()));
        parent->Perform(WM_ERASEBKGND, WPARAM(Canvas), 0);
        parent->Perform(WM_PAINT, WPARAM(Canvas), 0);
    } catch (...) {
        Canvas->RestoreState();
        throw;
    }
    Canvas->RestoreState();
}

void SetWinControlTransparent(TWinControl* Control)
{
    if (!Control)
        return;
    Control->SetControlStyle(Control->ControlStyle() & ~csOpaque);
    if (QWidget* w = Control->Widget()) {
        w->setAutoFillBackground(false);
        w->setAttribute(Qt::WA_OpaquePaintEvent, false);
        w->setAttribute(Qt::WA_NoSystemBackground, true);
        if (w->isWindow())
            w->setAttribute(Qt::WA_TranslucentBackground, true);
        w->update();
    }
}

void DrawControlBorder(TWinControl* Control, TColor BorderColor, TColor InnerColor, bool DrawInner)
{
    if (!Control)
        return;
    const TColor border = ColorToRGB(BorderColor);
    const TColor inner = ColorToRGB(InnerColor);
    const int w = Control->Width(), h = Control->Height();
    WithWindowCanvas(Control, [&](TCanvas& c) {
        c.Brush()->SetStyle(bsSolid);
        c.Brush()->SetColor(border);
        c.FrameRect(Rect(0, 0, w, h));
        if (DrawInner) {
            c.Brush()->SetColor(inner);
            c.FrameRect(Rect(1, 1, w - 1, h - 1));
        }
    });
}

bool InRect(int X, int Y, const TRect& R) { return X >= R.Left && X <= R.Right && Y >= R.Top && Y <= R.Bottom; }

bool InRect(const TPoint& P, const TRect& R) { return InRect(P.X, P.Y, R); }

void PlaceControl(TControl* Control, const TPoint& P)
{
    if (!Control)
        return;
    Control->SetLeft(P.X);
    Control->SetTop(P.Y);
}

void PlaceControl(TControl* Control, const TRect& R)
{
    if (!Control)
        return;
    Control->SetLeft(R.Left);
    Control->SetTop(R.Top);
    Control->SetWidth(R.Right - R.Left);
    Control->SetHeight(R.Bottom - R.Top);
}

TRect GetWorkAreaRect()
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (main && main->Widget()) {
        QWidget* w = main->Widget();
        QScreen* s = QGuiApplication::screenAt(w->frameGeometry().center());
        if (!s)
            s = w->screen();
        if (s)
            return FromQRect(s->availableGeometry());
    }
    if (Screen)
        return Screen->WorkAreaRect();
    QScreen* s = QGuiApplication::primaryScreen();
    return s ? FromQRect(s->availableGeometry()) : Rect(0, 0, 1024, 768);
}

bool FormHasFocus(TCustomForm* Form)
{
    TCustomForm* main = Application ? Application->MainForm() : nullptr;
    if (!main)
        return Form && Form->Active();
    const bool mdiFrame = main->FormStyle() == fsMDIForm;
    if (mdiFrame && Form == main)
        return true;
    if (!Application->Active())
        return false;
    if (!Form || Form == main)
        return true;
    if (mdiFrame) {
        const HWND active = HWND(main->Perform(WM_MDIGETACTIVE, 0, 0));
        if (active && Form->HandleAllocated() && active == Form->Handle())
            return true;
    }
    return Form->Active();
}

bool IsHasProperty(TComponent* Component, const String& PropName)
{
    return Component && !PropName.isEmpty() && Component->HasProperty(PropName);
}

void ContainerApplyUIStyle(TWinControl* Container, TkivUIStyle Style, TkivFileTheme* FileTheme)
{
    if (!Container)
        return;
    // A child's setters may add or remove controls; walk the children as they were.
    std::vector<TControl*> children;
    for (int i = 0; i < Container->ControlCount(); ++i)
        children.push_back(Container->Controls(i));
    for (TControl* c : children) {
        if (!Container->ContainsControl(c))
            continue;
        if (!IsHasProperty(c, QStringLiteral("FileTheme")) || !IsHasProperty(c, QStringLiteral("UIStyle")))
            continue;
        c->SetComponentProp(QStringLiteral("FileTheme"), FileTheme);
        c->SetPropValue(QStringLiteral("UIStyle"), QVariant::fromValue(Style));
    }
}
