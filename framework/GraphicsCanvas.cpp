// TCanvas: binding to a painter, device-context state, geometry, pixels and image copies.
#include "framework/Graphics.h"

#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace {

QRect ToQRect(const TRect& r)
{
    return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top);
}

// Dash patterns of one-pixel pens, in pixels on / off.
const std::vector<int>* DashPattern(TPenStyle s)
{
    static const std::vector<int> dash{18, 6}, dot{3, 3}, dashDot{9, 6, 3, 6}, dashDotDot{9, 3, 3, 3, 3, 3};
    switch (s) {
    case psDash: return &dash;
    case psDot: return &dot;
    case psDashDot: return &dashDot;
    case psDashDotDot: return &dashDotDot;
    default: return nullptr;
    }
}

bool DashOn(const std::vector<int>& pat, int phase)
{
    int total = 0;
    for (int v : pat)
        total += v;
    phase %= total;
    for (size_t i = 0; i < pat.size(); ++i) {
        if (phase < pat[i])
            return (i % 2) == 0;
        phase -= pat[i];
    }
    return true;
}

QPainter::CompositionMode RopComposition(uint32_t rop, bool& known)
{
    known = true;
    switch (rop) {
    case SRCCOPY: return QPainter::CompositionMode_SourceOver;
    case SRCAND: return QPainter::RasterOp_SourceAndDestination;
    case SRCPAINT: return QPainter::RasterOp_SourceOrDestination;
    case SRCINVERT: return QPainter::RasterOp_SourceXorDestination;
    case SRCERASE: return QPainter::RasterOp_SourceAndNotDestination;
    case NOTSRCCOPY: return QPainter::RasterOp_NotSource;
    case NOTSRCERASE: return QPainter::RasterOp_NotSourceAndNotDestination;
    case MERGEPAINT: return QPainter::RasterOp_NotSourceOrDestination;
    default: known = false; return QPainter::CompositionMode_SourceOver;
    }
}

// Maps destination positions 0..dlen-1 to source positions (nearest pixel, centre sampling), keeping
// only the contiguous run that falls inside 0..smax-1. Returns false when nothing does.
// Maps destination pixels [ilo, ihi) of a dlen-long stretch to source pixels; first is the index of
// the first mapped destination pixel.
bool MapAxis(int slo, int slen, int smax, int dlen, bool mirror, std::vector<int>& map, int& first, int ilo, int ihi)
{
    map.clear();
    first = -1;
    for (int i = std::max(0, ilo); i < std::min(dlen, ihi); ++i) {
        int64_t off = (int64_t(2 * i + 1) * slen) / (int64_t(2) * dlen);
        if (mirror)
            off = slen - 1 - off;
        const int64_t s = slo + off;
        if (s < 0 || s >= smax) {
            if (first >= 0 && !map.empty())
                break;
            continue;
        }
        if (first < 0)
            first = i;
        map.push_back(int(s));
    }
    return !map.empty();
}

}  // namespace

// ---- binding and state ----

TCanvas::TCanvas() = default;

TCanvas::TCanvas(QPainter* painter, const QRect& deviceRect) : TCanvas()
{
    SetPainter(painter, deviceRect);
}

TCanvas::TCanvas(TBitmap* owner) : TCanvas()
{
    FBitmap = owner;
}

TCanvas::~TCanvas()
{
    if (FExternal)
        SetPainter(nullptr, QRect());
    if (FOwnPainter && FOwnPainter->isActive())
        FOwnPainter->end();
}

void TCanvas::SetPainter(QPainter* painter, const QRect& deviceRect)
{
    if (FBitmap)
        return;  // a bitmap's canvas always draws into its bitmap
    if (FExternal) {
        if (FExternal->isActive())
            FExternal->restore();
        FExternal = nullptr;
    }
    FState = TCanvasState();
    FStateStack.clear();
    FStateDirty = true;
    FPenPos = TPoint();
    if (!painter)
        return;
    FExternal = painter;
    FDeviceRect = deviceRect;
    painter->save();
    FBaseTransform = painter->transform();
    FBaseHasClip = painter->hasClipping();
    FBaseClip = FBaseHasClip ? painter->clipRegion() : QRegion();
}

bool TCanvas::HandleAllocated() const
{
    if (FExternal)
        return FExternal->isActive();
    return FBitmap && !FBitmap->Empty();
}

QPainter* TCanvas::Painter()
{
    return BeginDraw();
}

QPainter* TCanvas::BeginDraw()
{
    if (FExternal) {
        if (!FExternal->isActive())
            return nullptr;
        if (FStateDirty)
            ApplyState();
        return FExternal;
    }
    if (!FBitmap || FBitmap->FImage.isNull())
        return nullptr;
    if (!FOwnPainter)
        FOwnPainter = std::make_unique<QPainter>();
    if (!FOwnPainter->isActive()) {
        FBitmap->FImage.bits();  // detach from any shared copy before painting
        if (!FOwnPainter->begin(&FBitmap->FImage))
            return nullptr;
        FStateDirty = true;
    }
    if (FStateDirty)
        ApplyState();
    return FOwnPainter.get();
}

void TCanvas::ReleaseBitmapPainter()
{
    if (FOwnPainter && FOwnPainter->isActive()) {
        FOwnPainter->end();
        FStateDirty = true;
    }
}

void TCanvas::ApplyState()
{
    QPainter* p = FExternal ? FExternal : FOwnPainter.get();
    p->setTransform(FBaseTransform);
    if (FBaseHasClip)
        p->setClipRegion(FBaseClip);
    else
        p->setClipping(false);
    if (FState.HasClip)
        p->setClipRegion(FState.Clip, FBaseHasClip ? Qt::IntersectClip : Qt::ReplaceClip);
    p->setTransform(QTransform::fromTranslate(FState.Origin.x(), FState.Origin.y()) * FBaseTransform);
    p->setRenderHint(QPainter::Antialiasing, false);
    p->setRenderHint(QPainter::SmoothPixmapTransform, false);
    p->setRenderHint(QPainter::TextAntialiasing, true);
    p->setBackgroundMode(Qt::TransparentMode);
    FStateDirty = false;
}

void TCanvas::Changing()
{
    if (OnChanging)
        OnChanging(this);
}

void TCanvas::Changed()
{
    if (OnChange)
        OnChange(this);
}

int TCanvas::SetStretchBltMode(int mode)
{
    const int old = FStretchMode;
    if (mode >= BLACKONWHITE && mode <= HALFTONE)
        FStretchMode = mode;
    return old;
}

QRect TCanvas::DeviceBounds() const
{
    if (FExternal)
        return FDeviceRect;
    if (FBitmap)
        return QRect(0, 0, FBitmap->Width(), FBitmap->Height());
    return QRect();
}

QImage* TCanvas::ExternalImage() const
{
    if (FExternal && FExternal->isActive() && FExternal->device() &&
        FExternal->device()->devType() == QInternal::Image)
        return static_cast<QImage*>(FExternal->device());
    return nullptr;
}

bool TCanvas::DrawsOnto(const QImage* img) const
{
    return img && ((FBitmap && &FBitmap->FImage == img) || ExternalImage() == img);
}

QImage* TCanvas::TargetImage()
{
    if (FBitmap) {
        ReleaseBitmapPainter();
        return FBitmap->FImage.isNull() ? nullptr : &FBitmap->FImage;
    }
    return ExternalImage();
}

QPoint TCanvas::LogicalToImage(QPoint p) const
{
    const QPoint d = p + FState.Origin;
    return FExternal ? FBaseTransform.map(d) : d;
}

TRect TCanvas::ClipRect()
{
    QRect b = DeviceBounds();
    if (FExternal && FBaseHasClip)
        b &= FBaseClip.boundingRect();
    if (FState.HasClip)
        b &= FState.Clip.boundingRect();
    if (b.isEmpty())
        return TRect();
    b.translate(-FState.Origin);
    return Rect(b.left(), b.top(), b.left() + b.width(), b.top() + b.height());
}

void TCanvas::SaveState()
{
    FStateStack.push_back(FState);
}

void TCanvas::RestoreState()
{
    if (FStateStack.empty())
        return;
    FState = FStateStack.back();
    FStateStack.pop_back();
    FStateDirty = true;
}

void TCanvas::SetViewportOrigin(int x, int y)
{
    FState.Origin = QPoint(x, y);
    FStateDirty = true;
}

void TCanvas::OffsetViewportOrigin(int dx, int dy)
{
    FState.Origin += QPoint(dx, dy);
    FStateDirty = true;
}

void TCanvas::IntersectClipRect(const TRect& r)
{
    const QRegion rr(ToQRect(r).normalized().translated(FState.Origin));
    FState.Clip = FState.HasClip ? FState.Clip.intersected(rr) : rr;
    FState.HasClip = true;
    FStateDirty = true;
}

void TCanvas::ExcludeClipRect(const TRect& r)
{
    const QRegion rr(ToQRect(r).normalized().translated(FState.Origin));
    const QRegion base = FState.HasClip ? FState.Clip : QRegion(DeviceBounds());
    FState.Clip = base.subtracted(rr);
    FState.HasClip = true;
    FStateDirty = true;
}

void TCanvas::ResetClip()
{
    FState.HasClip = false;
    FState.Clip = QRegion();
    FStateDirty = true;
}

// ---- pens and brushes ----

QBrush TCanvas::MakeQBrush() const
{
    if (FBrush.Bitmap() && !FBrush.Bitmap()->Empty())
        return QBrush(FBrush.Bitmap()->Image());
    const QColor c = ToQColor(FBrush.Color());
    switch (FBrush.Style()) {
    case bsSolid: return QBrush(c);
    case bsClear: return QBrush(Qt::NoBrush);
    case bsHorizontal: return QBrush(c, Qt::HorPattern);
    case bsVertical: return QBrush(c, Qt::VerPattern);
    case bsFDiagonal: return QBrush(c, Qt::FDiagPattern);
    case bsBDiagonal: return QBrush(c, Qt::BDiagPattern);
    case bsCross: return QBrush(c, Qt::CrossPattern);
    case bsDiagCross: return QBrush(c, Qt::DiagCrossPattern);
    }
    return QBrush(c);
}

QPen TCanvas::MakeQPen() const
{
    if (FPen.Style() == psClear)
        return QPen(Qt::NoPen);
    const int w = std::max(1, FPen.Width());
    QPen pen(QBrush(ToQColor(FPen.Color())), w, Qt::SolidLine, w > 1 ? Qt::RoundCap : Qt::SquareCap,
             w > 1 ? Qt::RoundJoin : Qt::MiterJoin);
    if (const auto* pat = DashPattern(FPen.Style()); pat && w == 1) {
        QList<qreal> dashes;
        for (int v : *pat)
            dashes << v;
        pen.setDashPattern(dashes);
    }
    return pen;
}

bool TCanvas::ApplyPenMode(QPainter* p)
{
    QPainter::CompositionMode m = QPainter::CompositionMode_SourceOver;
    switch (FPen.Mode()) {
    case pmBlack: m = QPainter::RasterOp_ClearDestination; break;
    case pmWhite: m = QPainter::RasterOp_SetDestination; break;
    case pmNop: return false;
    case pmNot: m = QPainter::RasterOp_NotDestination; break;
    case pmCopy: m = QPainter::CompositionMode_SourceOver; break;
    case pmNotCopy: m = QPainter::RasterOp_NotSource; break;
    case pmMergePenNot: m = QPainter::RasterOp_SourceOrNotDestination; break;
    case pmMaskPenNot: m = QPainter::RasterOp_SourceAndNotDestination; break;
    case pmMergeNotPen: m = QPainter::RasterOp_NotSourceOrDestination; break;
    case pmMaskNotPen: m = QPainter::RasterOp_NotSourceAndDestination; break;
    case pmMerge: m = QPainter::RasterOp_SourceOrDestination; break;
    case pmNotMerge: m = QPainter::RasterOp_NotSourceAndNotDestination; break;
    case pmMask: m = QPainter::RasterOp_SourceAndDestination; break;
    case pmNotMask: m = QPainter::RasterOp_NotSourceOrNotDestination; break;
    case pmXor: m = QPainter::RasterOp_SourceXorDestination; break;
    case pmNotXor: m = QPainter::RasterOp_NotSourceXorDestination; break;
    }
    p->setCompositionMode(m);
    return true;
}

void TCanvas::FillWithBrush(QPainter* p, const QRect& r)
{
    if (r.isEmpty() || (FBrush.Style() == bsClear && !FBrush.Bitmap()))
        return;
    p->fillRect(r, MakeQBrush());
}

// ---- geometry ----

void TCanvas::FillRect(const TRect& r)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    FillWithBrush(p, ToQRect(r));
    Changed();
}

void TCanvas::FrameRect(const TRect& r)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    const int w = r.Right - r.Left, h = r.Bottom - r.Top;
    FillWithBrush(p, QRect(r.Left, r.Top, w, 1));
    if (h > 1)
        FillWithBrush(p, QRect(r.Left, r.Bottom - 1, w, 1));
    if (h > 2) {
        FillWithBrush(p, QRect(r.Left, r.Top + 1, 1, h - 2));
        if (w > 1)
            FillWithBrush(p, QRect(r.Right - 1, r.Top + 1, 1, h - 2));
    }
    Changed();
}

void TCanvas::LineSegment(QPainter* p, TPoint from, TPoint to, int& phase)
{
    const int dx = to.X - from.X, dy = to.Y - from.Y;
    const int adx = std::abs(dx), ady = std::abs(dy);
    const int n = std::max(adx, ady);
    if (n == 0)
        return;
    const int sx = dx > 0 ? 1 : (dx < 0 ? -1 : 0), sy = dy > 0 ? 1 : (dy < 0 ? -1 : 0);
    const std::vector<int>* pat = DashPattern(FPen.Style());
    const bool fillGaps = pat && FBrush.Style() == bsSolid;
    const QColor penColor = ToQColor(FPen.Color());
    const QColor gapColor = ToQColor(FBrush.Color());
    const bool xMajor = adx >= ady;

    // Pixels are gathered into runs along the major axis and filled as rectangles.
    int runX = 0, runY = 0, runLen = 0, runState = -1;
    auto flush = [&]() {
        if (runLen == 0 || runState == 0)
            return;
        QRect rr;
        if (xMajor) {
            const int x0 = sx >= 0 ? runX : runX - (runLen - 1);
            rr = QRect(x0, runY, runLen, 1);
        } else {
            const int y0 = sy >= 0 ? runY : runY - (runLen - 1);
            rr = QRect(runX, y0, 1, runLen);
        }
        p->fillRect(rr, runState == 1 ? penColor : gapColor);
    };

    int x = from.X, y = from.Y;
    int err = xMajor ? 2 * ady - adx : 2 * adx - ady;
    for (int i = 0; i < n; ++i) {
        const int state = (!pat || DashOn(*pat, phase)) ? 1 : (fillGaps ? 2 : 0);
        ++phase;
        const bool sameLine = xMajor ? (y == runY) : (x == runX);
        if (runLen > 0 && state == runState && sameLine) {
            ++runLen;
        } else {
            flush();
            runX = x;
            runY = y;
            runLen = 1;
            runState = state;
        }
        if (xMajor) {
            if (err > 0) {
                y += sy;
                err -= 2 * adx;
            }
            err += 2 * ady;
            x += sx;
        } else {
            if (err > 0) {
                x += sx;
                err -= 2 * ady;
            }
            err += 2 * adx;
            y += sy;
        }
    }
    flush();
}

void TCanvas::StrokePath(QPainter* p, const std::vector<TPoint>& pts, bool closed)
{
    if (FPen.Style() == psClear || pts.size() < 2)
        return;
    if (FPen.Width() <= 1) {
        int phase = 0;
        for (size_t i = 0; i + 1 < pts.size(); ++i)
            LineSegment(p, pts[i], pts[i + 1], phase);
        if (closed)
            LineSegment(p, pts.back(), pts.front(), phase);
        return;
    }
    QPolygonF poly;
    for (const TPoint& t : pts)
        poly << QPointF(t.X + 0.5, t.Y + 0.5);
    p->setPen(MakeQPen());
    p->setBrush(Qt::NoBrush);
    if (closed)
        p->drawPolygon(poly);
    else
        p->drawPolyline(poly);
}

void TCanvas::MoveTo(int x, int y)
{
    FPenPos = {x, y};
}

void TCanvas::LineTo(int x, int y)
{
    const TPoint from = FPenPos;
    FPenPos = {x, y};
    DrawWithPen([&](QPainter* p) { StrokePath(p, {from, {x, y}}, false); });
}

void TCanvas::Polyline(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    DrawWithPen([&](QPainter* p) { StrokePath(p, points, false); });
}

// The frame of pen-and-brush drawing: opens the painter, applies the pen mode, draws, resets the
// composition and signals the change.
void TCanvas::DrawWithPen(const std::function<void(QPainter*)>& draw)
{
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    if (ApplyPenMode(p))
        draw(p);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Changed();
}

void TCanvas::Polygon(const std::vector<TPoint>& points)
{
    if (points.size() < 2)
        return;
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    if (ApplyPenMode(p)) {
        if (FBrush.Style() != bsClear || FBrush.Bitmap()) {
            QPolygon poly;
            for (const TPoint& t : points)
                poly << QPoint(t.X, t.Y);
            p->setPen(Qt::NoPen);
            p->setBrush(MakeQBrush());
            p->drawPolygon(poly, Qt::OddEvenFill);
        }
        StrokePath(p, points, true);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Changed();
}

void TCanvas::Rectangle(int x1, int y1, int x2, int y2)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (x1 == x2 || y1 == y2)
        return;
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    if (ApplyPenMode(p)) {
        const int pw = std::max(1, FPen.Width());
        if (FPen.Style() == psClear) {
            // Without an outline the fill stops one pixel short on the right and bottom.
            FillWithBrush(p, QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1));
        } else if (pw == 1) {
            FillWithBrush(p, QRect(x1 + 1, y1 + 1, x2 - x1 - 2, y2 - y1 - 2));
            StrokePath(p, {{x1, y1}, {x2 - 1, y1}, {x2 - 1, y2 - 1}, {x1, y2 - 1}}, true);
        } else {
            // A wide pen is centred on the outline, or kept inside it for psInsideFrame.
            QRect outer(x1, y1, x2 - x1, y2 - y1);
            if (FPen.Style() != psInsideFrame) {
                const int half = pw / 2;
                outer.adjust(-half, -half, pw - half - 1, pw - half - 1);
            }
            const QRect inner = outer.adjusted(pw, pw, -pw, -pw);
            FillWithBrush(p, inner);
            QRegion frame = QRegion(outer).subtracted(QRegion(inner.isValid() ? inner : QRect()));
            const QColor c = ToQColor(FPen.Color());
            for (const QRect& fr : frame)
                p->fillRect(fr, c);
        }
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Changed();
}

void TCanvas::RoundRect(int x1, int y1, int x2, int y2, int x3, int y3)
{
    DrawShape(x1, y1, x2, y2, [&](QPainter* p, const QRect& box) {
        p->setPen(MakeQPen());
        p->setBrush(MakeQBrush());
        p->drawRoundedRect(box, std::abs(x3) / 2.0, std::abs(y3) / 2.0);
    });
}

void TCanvas::Ellipse(int x1, int y1, int x2, int y2)
{
    DrawShape(x1, y1, x2, y2, [&](QPainter* p, const QRect& box) {
        p->setPen(MakeQPen());
        p->setBrush(MakeQBrush());
        p->drawEllipse(box);
    });
}

// The frame shared by the curved shapes: normalises the corners, skips boxes smaller than 2 x 2,
// applies the pen mode and hands the box (right and bottom excluded) to draw.
void TCanvas::DrawShape(int x1, int y1, int x2, int y2, const std::function<void(QPainter*, const QRect&)>& draw)
{
    if (x1 > x2)
        std::swap(x1, x2);
    if (y1 > y2)
        std::swap(y1, y2);
    if (x2 - x1 < 2 || y2 - y1 < 2)
        return;
    DrawWithPen([&](QPainter* p) { draw(p, QRect(x1, y1, x2 - x1 - 1, y2 - y1 - 1)); });
}

void TCanvas::DrawArcShape(int kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    DrawShape(x1, y1, x2, y2, [&](QPainter* p, const QRect& box) {
        const double rx = box.width() / 2.0, ry = box.height() / 2.0;
        const double cx = box.left() + rx, cy = box.top() + ry;
        // Qt measures arcs by the ellipse's parameter; the desktop by rays from the centre through the
        // two points. Convert each ray (y upward) to the parameter where it meets the ellipse.
        auto param = [&](int px, int py) {
            const double vx = px - cx, vy = cy - py;
            if (vx == 0 && vy == 0)
                return 0.0;
            return std::atan2(rx * vy, ry * vx);
        };
        const double ts = param(x3, y3), te = param(x4, y4);
        double span = te - ts;
        while (span <= 1e-9)
            span += 2 * M_PI;
        const int a16 = int(std::lround(ts * 180.0 / M_PI * 16.0));
        const int s16 = int(std::lround(span * 180.0 / M_PI * 16.0));
        p->setPen(MakeQPen());
        p->setBrush(kind == 0 ? QBrush(Qt::NoBrush) : MakeQBrush());
        if (kind == 0)
            p->drawArc(box, a16, s16);
        else if (kind == 1)
            p->drawPie(box, a16, s16);
        else
            p->drawChord(box, a16, s16);
    });
}

void TCanvas::Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    DrawArcShape(0, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    DrawArcShape(1, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4)
{
    DrawArcShape(2, x1, y1, x2, y2, x3, y3, x4, y4);
}

void TCanvas::DrawFocusRect(const TRect& r)
{
    if (r.Right <= r.Left || r.Bottom <= r.Top)
        return;
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    // Every other pixel of the outline is inverted, on a checkerboard fixed to the canvas.
    p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
    const QColor white(Qt::white);
    auto dot = [&](int x, int y) {
        if (((x + y) & 1) == 0)
            p->fillRect(QRect(x, y, 1, 1), white);
    };
    for (int x = r.Left; x < r.Right; ++x) {
        dot(x, r.Top);
        if (r.Bottom - 1 > r.Top)
            dot(x, r.Bottom - 1);
    }
    for (int y = r.Top + 1; y < r.Bottom - 1; ++y) {
        dot(r.Left, y);
        if (r.Right - 1 > r.Left)
            dot(r.Right - 1, y);
    }
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Changed();
}

// ---- pixels ----

TColor TCanvas::Pixels(int x, int y)
{
    const QPoint d = QPoint(x, y) + FState.Origin;
    if (FState.HasClip && !FState.Clip.contains(d))
        return CLR_INVALID;
    if (FBitmap) {
        if (FBitmap->FImage.isNull() || !FBitmap->FImage.rect().contains(d))
            return CLR_INVALID;
        ReleaseBitmapPainter();
        return QRgbToColor(reinterpret_cast<const QRgb*>(FBitmap->FImage.constScanLine(d.y()))[d.x()]);
    }
    QImage* img = ExternalImage();
    if (!img || (FBaseHasClip && !FBaseClip.contains(d)))
        return CLR_INVALID;
    const QPoint dev = FBaseTransform.map(d);
    if (!img->rect().contains(dev))
        return CLR_INVALID;
    return QRgbToColor(img->pixel(dev));
}

void TCanvas::SetPixels(int x, int y, TColor c)
{
    const QPoint d = QPoint(x, y) + FState.Origin;
    if (FState.HasClip && !FState.Clip.contains(d))
        return;
    if (FBitmap) {
        if (FBitmap->FImage.isNull() || !FBitmap->FImage.rect().contains(d))
            return;
        ReleaseBitmapPainter();
        Changing();
        reinterpret_cast<QRgb*>(FBitmap->FImage.scanLine(d.y()))[d.x()] = ColorToQRgb(c);
        Changed();
        return;
    }
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->fillRect(QRect(x, y, 1, 1), ToQColor(c));
    Changed();
}

// ---- graphics and image copies ----

void TCanvas::Draw(int x, int y, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    graphic->Draw(this, Bounds(x, y, graphic->Width(), graphic->Height()));
}

void TCanvas::StretchDraw(const TRect& r, TGraphic* graphic)
{
    if (!graphic || graphic->Empty())
        return;
    graphic->Draw(this, r);
}

void TCanvas::CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect)
{
    if (!source)
        return;
    QImage* img = source->TargetImage();
    if (!img || img->isNull())
        return;
    const QPoint tl = source->LogicalToImage(QPoint(sourceRect.Left, sourceRect.Top));
    const QRect sr(tl.x(), tl.y(), sourceRect.Right - sourceRect.Left, sourceRect.Bottom - sourceRect.Top);
    // Copying within one surface reads from a snapshot so that overlapping areas stay intact.
    const bool self = source == this || DrawsOnto(img);
    const QImage src = self ? img->copy() : *img;
    StretchBltImage(dest, src, sr, uint32_t(FCopyMode));
}

void TCanvas::BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& sourceRect, TColor color)
{
    if (!bitmap || bitmap->Empty())
        return;
    QImage src = bitmap->Image().copy();
    const QRgb key = ColorToQRgb(color) & 0xFFFFFF;
    const QRgb fill = ColorToQRgb(FBrush.Color());
    for (int y = 0; y < src.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(src.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            if ((row[x] & 0xFFFFFF) == key)
                row[x] = fill;
    }
    StretchBltImage(dest, src, ToQRect(sourceRect), SRCCOPY);
}

void TCanvas::DrawAlphaImage(int x, int y, const QImage& image)
{
    if (image.isNull())
        return;
    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    p->drawImage(QPoint(x, y), image);
    Changed();
}

void TCanvas::StretchBltImage(const TRect& dest, const QImage& srcIn, const QRect& srcRect, uint32_t rop,
                              TColor transparentKey)
{
    int dl = dest.Left, dr = dest.Right, dt = dest.Top, db = dest.Bottom;
    bool mirrorX = false, mirrorY = false;
    if (dr < dl) {
        std::swap(dl, dr);
        mirrorX = true;
    }
    if (db < dt) {
        std::swap(dt, db);
        mirrorY = true;
    }
    const int dw = dr - dl, dh = db - dt;
    if (dw == 0 || dh == 0)
        return;

    // Operations that do not read the source.
    if (rop == BLACKNESS || rop == WHITENESS || rop == DSTINVERT || rop == PATCOPY || rop == PATINVERT) {
        QPainter* p = BeginDraw();
        if (!p)
            return;
        Changing();
        const QRect r(dl, dt, dw, dh);
        if (rop == BLACKNESS)
            p->fillRect(r, Qt::black);
        else if (rop == WHITENESS)
            p->fillRect(r, Qt::white);
        else if (rop == DSTINVERT) {
            p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p->fillRect(r, Qt::white);
        } else if (rop == PATCOPY)
            FillWithBrush(p, r);
        else {
            p->setCompositionMode(QPainter::RasterOp_SourceXorDestination);
            p->fillRect(r, ToQColor(FBrush.Color()));
        }
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        Changed();
        return;
    }

    if (srcIn.isNull())
        return;
    int sl = srcRect.left(), st = srcRect.top(), sw = srcRect.width(), sh = srcRect.height();
    if (sw < 0) {
        sl += sw;
        sw = -sw;
        mirrorX = !mirrorX;
    }
    if (sh < 0) {
        st += sh;
        sh = -sh;
        mirrorY = !mirrorY;
    }
    if (sw == 0 || sh == 0)
        return;

    const QImage src = (srcIn.format() == QImage::Format_RGB32 || srcIn.format() == QImage::Format_ARGB32)
                           ? srcIn
                           : srcIn.convertToFormat(QImage::Format_RGB32);
    const bool keyed = transparentKey >= 0;
    const QRgb key = keyed ? (ColorToQRgb(transparentKey) & 0xFFFFFF) : 0;
    bool halftone = FStretchMode == HALFTONE && !keyed;
    bool knownRop = true;
    QPainter::CompositionMode mode = keyed ? QPainter::CompositionMode_SourceOver : RopComposition(rop, knownRop);

    // Only the part of the destination that can be seen is worked out, so a huge destination
    // rectangle costs no more than the canvas it lands on.
    const TRect clip = ClipRect();
    const int vx0 = std::max(dl, clip.Left) - dl, vx1 = std::min(dr, clip.Right) - dl;
    const int vy0 = std::max(dt, clip.Top) - dt, vy1 = std::min(db, clip.Bottom) - dt;
    if (vx1 <= vx0 || vy1 <= vy0)
        return;
    const bool partial = vx0 > 0 || vy0 > 0 || vx1 < dw || vy1 < dh;
    std::vector<int> xmap, ymap;
    int fx = 0, fy = 0;
    if (!MapAxis(sl, sw, src.width(), dw, mirrorX, xmap, fx, vx0, vx1) ||
        !MapAxis(st, sh, src.height(), dh, mirrorY, ymap, fy, vy0, vy1))
        return;
    const int cw = int(xmap.size()), ch = int(ymap.size());

    const bool oneToOne = dw == sw && dh == sh && !mirrorX && !mirrorY;
    if (oneToOne && !keyed && knownRop && src.format() == QImage::Format_RGB32) {
        // Same size, straight copy: no intermediate image.
        QPainter* p = BeginDraw();
        if (!p)
            return;
        Changing();
        p->setCompositionMode(mode);
        p->drawImage(QPoint(dl + fx, dt + fy), src, QRect(xmap.front(), ymap.front(), cw, ch));
        p->setCompositionMode(QPainter::CompositionMode_SourceOver);
        Changed();
        return;
    }

    // A smooth stretch works on the whole destination; when only part of a large one is visible,
    // the nearest-pixel mapping of the visible part is used instead.
    if (halftone && partial && int64_t(dw) * dh > int64_t(cw) * ch * 4)
        halftone = false;
    QImage piece;
    if (halftone && !oneToOne && partial) {
        // At most four times the visible area (see above).
        const QImage whole = src.copy(sl, st, sw, sh)
                                 .scaled(dw, dh, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                                 .mirrored(mirrorX, mirrorY);
        piece = whole.copy(fx, fy, cw, ch).convertToFormat(QImage::Format_RGB32);
    } else if (halftone && !oneToOne) {
        const int x0 = std::min(xmap.front(), xmap.back()), x1 = std::max(xmap.front(), xmap.back());
        const int y0 = std::min(ymap.front(), ymap.back()), y1 = std::max(ymap.front(), ymap.back());
        piece = src.copy(x0, y0, x1 - x0 + 1, y1 - y0 + 1)
                    .scaled(cw, ch, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)
                    .mirrored(mirrorX, mirrorY)
                    .convertToFormat(QImage::Format_RGB32);
    } else {
        piece = QImage(cw, ch, keyed ? QImage::Format_ARGB32 : QImage::Format_RGB32);
        for (int j = 0; j < ch; ++j) {
            const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(ymap[j]));
            QRgb* d = reinterpret_cast<QRgb*>(piece.scanLine(j));
            if (keyed) {
                for (int i = 0; i < cw; ++i) {
                    const QRgb v = s[xmap[i]] & 0xFFFFFF;
                    d[i] = v == key ? 0u : (0xFF000000u | v);
                }
            } else {
                for (int i = 0; i < cw; ++i)
                    d[i] = 0xFF000000u | s[xmap[i]];
            }
        }
    }

    // Raster operations that mix in the brush are worked out on the source first.
    if (!keyed && !knownRop) {
        const QRgb brush = ColorToQRgb(FBrush.Color()) & 0xFFFFFF;
        if (rop == MERGECOPY || rop == PATPAINT) {
            for (int j = 0; j < piece.height(); ++j) {
                QRgb* d = reinterpret_cast<QRgb*>(piece.scanLine(j));
                for (int i = 0; i < piece.width(); ++i)
                    d[i] = 0xFF000000u | (rop == MERGECOPY ? (d[i] & brush) : ((~d[i] | brush) & 0xFFFFFF));
            }
            mode = rop == MERGECOPY ? QPainter::CompositionMode_SourceOver : QPainter::RasterOp_SourceOrDestination;
        }
    }

    QPainter* p = BeginDraw();
    if (!p)
        return;
    Changing();
    p->setCompositionMode(mode);
    p->drawImage(QPoint(dl + fx, dt + fy), piece);
    p->setCompositionMode(QPainter::CompositionMode_SourceOver);
    Changed();
}
