#include "resources/artgen/ArtKit.h"

#include <QLinearGradient>

#include <algorithm>
#include <cmath>

namespace artgen {

QColor rgb(unsigned value)
{
    return QColor(int((value >> 16) & 0xFF), int((value >> 8) & 0xFF), int(value & 0xFF));
}

QColor tcolor(unsigned value)
{
    return QColor(int(value & 0xFF), int((value >> 8) & 0xFF), int((value >> 16) & 0xFF));
}

QColor mix(const QColor& a, const QColor& b, qreal t)
{
    auto ch = [t](int x, int y) { return int(std::lround(x + (y - x) * t)); };
    return QColor(ch(a.red(), b.red()), ch(a.green(), b.green()), ch(a.blue(), b.blue()),
                  ch(a.alpha(), b.alpha()));
}

QColor alpha(const QColor& c, int a)
{
    QColor r = c;
    r.setAlpha(a);
    return r;
}

QImage newLayer(int width, int height)
{
    QImage img(width, height, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

namespace {

// Composites one premultiplied pixel over an opaque background pixel.
QRgb over(QRgb src, QRgb bg)
{
    const int a = qAlpha(src);
    const int inv = 255 - a;
    auto ch = [inv](int s, int b) { return std::min(255, s + (b * inv + 127) / 255); };
    return qRgb(ch(qRed(src), qRed(bg)), ch(qGreen(src), qGreen(bg)), ch(qBlue(src), qBlue(bg)));
}

QImage toPremultiplied(const QImage& layer)
{
    return layer.format() == QImage::Format_ARGB32_Premultiplied
               ? layer
               : layer.convertToFormat(QImage::Format_ARGB32_Premultiplied);
}

QImage solid(const QSize& size, const QColor& c)
{
    QImage img(size, QImage::Format_RGB32);
    img.fill(c.rgb());
    return img;
}

// Never lets an opaque colour come out as the key colour by accident.
QRgb avoidKey(QRgb c)
{
    return (c & 0xFFFFFFu) == (kFuchsia & 0xFFFFFFu) ? qRgb(0xFE, 0x00, 0xFE) : c;
}

} // namespace

QImage flatten(const QImage& layer, const QColor& background)
{
    return flatten(layer, solid(layer.size(), background));
}

QImage flatten(const QImage& layer, const QImage& background)
{
    const QImage src = toPremultiplied(layer);
    const QImage bg = background.convertToFormat(QImage::Format_RGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(bg.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            d[x] = avoidKey(over(s[x], b[x]));
    }
    return out;
}

QImage keyOut(const QImage& layer, const QColor& background, int minAlpha)
{
    return keyOut(layer, solid(layer.size(), background), minAlpha);
}

QImage keyOut(const QImage& layer, const QImage& background, int minAlpha)
{
    const QImage src = toPremultiplied(layer);
    const QImage bg = background.convertToFormat(QImage::Format_RGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        const QRgb* b = reinterpret_cast<const QRgb*>(bg.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x)
            d[x] = qAlpha(s[x]) < minAlpha ? kFuchsia : avoidKey(over(s[x], b[x]));
    }
    return out;
}

QImage hstrip(const std::vector<QImage>& frames)
{
    int w = 0, h = 0;
    for (const QImage& f : frames) {
        w += f.width();
        h = std::max(h, f.height());
    }
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(kFuchsia);
    QPainter p(&out);
    p.setCompositionMode(QPainter::CompositionMode_Source);
    int x = 0;
    for (const QImage& f : frames) {
        p.drawImage(x, 0, f);
        x += f.width();
    }
    return out;
}

QImage repeatColumn(const QImage& column, int width)
{
    const QImage src = column.convertToFormat(QImage::Format_RGB32);
    QImage out(width, src.height(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb c = src.pixel(0, y);
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        std::fill(d, d + width, c);
    }
    return out;
}

QImage columnSlice(const QImage& picture, int x, int top, int height)
{
    return picture.copy(x, top, 1, height).convertToFormat(QImage::Format_RGB32);
}

QImage desaturate(const QImage& picture, qreal amount)
{
    QImage out = picture.convertToFormat(QImage::Format_RGB32);
    for (int y = 0; y < out.height(); ++y) {
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if (d[x] == kFuchsia)
                continue;
            const int grey = qGray(d[x]);
            auto ch = [&](int c) { return int(std::lround(c + (grey - c) * amount)); };
            d[x] = avoidKey(qRgb(ch(qRed(d[x])), ch(qGreen(d[x])), ch(qBlue(d[x]))));
        }
    }
    return out;
}

QGradientStops stops(std::initializer_list<std::pair<qreal, QColor>> list)
{
    QGradientStops s;
    for (const auto& [pos, c] : list)
        s.append(QGradientStop(pos, c));
    return s;
}

QBrush vgrad(qreal y0, qreal y1, const QGradientStops& s)
{
    QLinearGradient g(0, y0, 0, y1);
    g.setStops(s);
    return QBrush(g);
}

QBrush hgrad(qreal x0, qreal x1, const QGradientStops& s)
{
    QLinearGradient g(x0, 0, x1, 0);
    g.setStops(s);
    return QBrush(g);
}

QPainterPath roundedRect(const QRectF& r, qreal radius)
{
    QPainterPath path;
    if (radius <= 0)
        path.addRect(r);
    else
        path.addRoundedRect(r, radius, radius);
    return path;
}

QPainterPath topRoundedRect(const QRectF& r, qreal radius)
{
    QPainterPath path;
    path.moveTo(r.left(), r.bottom());
    path.lineTo(r.left(), r.top() + radius);
    path.arcTo(QRectF(r.left(), r.top(), 2 * radius, 2 * radius), 180, -90);
    path.lineTo(r.right() - radius, r.top());
    path.arcTo(QRectF(r.right() - 2 * radius, r.top(), 2 * radius, 2 * radius), 90, -90);
    path.lineTo(r.right(), r.bottom());
    path.closeSubpath();
    return path;
}

QPainterPath ellipse(const QRectF& r)
{
    QPainterPath path;
    path.addEllipse(r);
    return path;
}

LayerPainter::LayerPainter(QImage* layer, bool antialias) : QPainter(layer)
{
    setRenderHint(QPainter::Antialiasing, antialias);
    setPen(Qt::NoPen);
}

namespace {

QPen glyphPen(const QColor& c, qreal w, Qt::PenCapStyle cap = Qt::FlatCap)
{
    QPen pen(c, w, Qt::SolidLine, cap, Qt::MiterJoin);
    return pen;
}

// A window outline: frame of the given weight plus a title band of band pixels.
void windowOutline(QPainter& p, const QRectF& r, const QColor& c, qreal weight, qreal band)
{
    QPainterPath outer;
    outer.addRect(r);
    QPainterPath inner;
    inner.addRect(r.adjusted(weight, band, -weight, -weight));
    p.fillPath(outer.subtracted(inner), c);
}

} // namespace

void drawGlyph(QPainter& p, Glyph g, const QRectF& box, const QColor& colour, qreal weight)
{
    p.save();
    p.setBrush(Qt::NoBrush);
    const qreal l = box.left(), t = box.top(), w = box.width(), h = box.height();
    const qreal r = box.right(), b = box.bottom();
    switch (g) {
    case Glyph::Close: {
        QPainterPath path;
        const qreal d = weight * 0.5;
        path.moveTo(l + d, t + d);
        path.lineTo(r - d, b - d);
        path.moveTo(r - d, t + d);
        path.lineTo(l + d, b - d);
        p.strokePath(path, glyphPen(colour, weight, Qt::SquareCap));
        break;
    }
    case Glyph::Minimize:
        p.fillRect(QRectF(l, b - std::max(2.0, weight), w, std::max(2.0, weight)), colour);
        break;
    case Glyph::Maximize:
        windowOutline(p, box, colour, std::max(1.0, weight * 0.6), std::max(2.0, weight * 1.2));
        break;
    case Glyph::Restore: {
        const qreal s = std::round(w * 0.7);
        const qreal fw = std::max(1.0, weight * 0.6), band = std::max(2.0, weight);
        const QRectF back(r - s, t, s, s);
        const QRectF front(l, b - s, s, s);
        QPainterPath backPath;
        backPath.addRect(back);
        QPainterPath hole;
        hole.addRect(back.adjusted(fw, band, -fw, -fw));
        QPainterPath frontPath;
        frontPath.addRect(front);
        p.fillPath(backPath.subtracted(hole).subtracted(frontPath), colour);
        windowOutline(p, front, colour, fw, band);
        break;
    }
    case Glyph::ControlBox: {
        windowOutline(p, box, colour, std::max(1.0, weight * 0.6), std::max(2.0, h * 0.3));
        // a menu bar dash inside the window
        p.fillRect(QRectF(l + w * 0.25, t + h * 0.55, w * 0.5, std::max(1.0, weight * 0.6)), colour);
        break;
    }
    case Glyph::Help: {
        QPainterPath path;
        const qreal cx = l + w / 2;
        const qreal rad = std::min(w, h) * 0.28;
        const qreal cy = t + rad + weight * 0.5;
        path.moveTo(cx - rad, cy);
        path.arcTo(QRectF(cx - rad, cy - rad, 2 * rad, 2 * rad), 180, -250);
        path.quadTo(QPointF(cx, cy + rad * 0.9), QPointF(cx, cy + rad * 1.6));
        path.lineTo(cx, b - weight * 1.9);
        p.strokePath(path, glyphPen(colour, weight, Qt::FlatCap));
        const qreal dot = std::max(1.6, weight * 1.05);
        p.fillRect(QRectF(cx - dot / 2, b - dot, dot, dot), colour);
        break;
    }
    case Glyph::Check: {
        QPainterPath path;
        path.moveTo(l + w * 0.08, t + h * 0.52);
        path.lineTo(l + w * 0.38, t + h * 0.82);
        path.lineTo(l + w * 0.94, t + h * 0.14);
        QPen pen(colour, weight, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
        p.strokePath(path, pen);
        break;
    }
    case Glyph::ArrowUp:
    case Glyph::ArrowDown:
    case Glyph::ArrowLeft:
    case Glyph::ArrowRight: {
        QPainterPath path;
        if (g == Glyph::ArrowUp) {
            path.moveTo(l, b);
            path.lineTo(l + w / 2, t);
            path.lineTo(r, b);
        } else if (g == Glyph::ArrowDown) {
            path.moveTo(l, t);
            path.lineTo(r, t);
            path.lineTo(l + w / 2, b);
        } else if (g == Glyph::ArrowLeft) {
            path.moveTo(r, t);
            path.lineTo(r, b);
            path.lineTo(l, t + h / 2);
        } else {
            path.moveTo(l, t);
            path.lineTo(r, t + h / 2);
            path.lineTo(l, b);
        }
        path.closeSubpath();
        p.fillPath(path, colour);
        break;
    }
    case Glyph::ChevronUp:
    case Glyph::ChevronDown: {
        QPainterPath path;
        const qreal d = weight * 0.5;
        if (g == Glyph::ChevronUp) {
            path.moveTo(l + d, b - d);
            path.lineTo(l + w / 2, t + d);
            path.lineTo(r - d, b - d);
        } else {
            path.moveTo(l + d, t + d);
            path.lineTo(l + w / 2, b - d);
            path.lineTo(r - d, t + d);
        }
        p.strokePath(path, glyphPen(colour, weight, Qt::FlatCap));
        break;
    }
    }
    p.restore();
}

void drawGloss(QPainter& p, const QPainterPath& clip, const QRectF& area, int topAlpha, int bottomAlpha)
{
    p.save();
    p.setClipPath(clip, Qt::IntersectClip);
    QPainterPath gloss;
    gloss.addRoundedRect(area, area.height() * 0.5, area.height() * 0.5);
    p.fillPath(gloss, vgrad(area.top(), area.bottom(),
                            stops({{0, alpha(Qt::white, topAlpha)}, {1, alpha(Qt::white, bottomAlpha)}})));
    p.restore();
}

} // namespace artgen
