#include "resources/artgen/CommonArt.h"

#include <algorithm>
#include <cmath>
#include <cstring>

namespace artgen {

void paintFace(QPainter& p, const QRectF& r, qreal radius, const Face& face, bool vertical)
{
    const QPainterPath outer = roundedRect(r, radius);
    const QRectF innerRect = r.adjusted(1, 1, -1, -1);
    const QPainterPath inner = roundedRect(innerRect, std::max<qreal>(0, radius - 1));
    p.fillPath(outer.subtracted(inner), face.border);
    const QBrush fill = vertical ? vgrad(innerRect.top(), innerRect.bottom(), face.fill)
                                 : hgrad(innerRect.left(), innerRect.right(), face.fill);
    p.fillPath(inner, fill);
    if (face.ringWidth > 0 && face.ring.alpha() > 0) {
        const QRectF ringIn = innerRect.adjusted(face.ringWidth, face.ringWidth, -face.ringWidth, -face.ringWidth);
        const QPainterPath hole = roundedRect(ringIn, std::max<qreal>(0, radius - 1 - face.ringWidth));
        p.fillPath(inner.subtracted(hole), face.ring);
    }
    if (face.gloss > 0) {
        const QRectF g = vertical ? QRectF(innerRect.left(), innerRect.top(), innerRect.width(), innerRect.height() * 0.5)
                                  : QRectF(innerRect.left(), innerRect.top(), innerRect.width() * 0.5, innerRect.height());
        p.save();
        p.setClipPath(inner);
        const QBrush b = vertical
                             ? vgrad(g.top(), g.bottom(), stops({{0, alpha(Qt::white, face.gloss)}, {1, alpha(Qt::white, face.gloss / 4)}}))
                             : hgrad(g.left(), g.right(), stops({{0, alpha(Qt::white, face.gloss)}, {1, alpha(Qt::white, face.gloss / 4)}}));
        p.fillRect(g, b);
        p.restore();
    }
}

QImage pushButtonStrip(QSize frame, qreal radius, const std::array<Face, 3>& states, const QColor& canvas,
                       bool keyed)
{
    std::vector<QImage> frames;
    for (const Face& face : states) {
        QImage layer = newLayer(frame.width(), frame.height());
        {
            LayerPainter p(&layer);
            paintFace(p, QRectF(0, 0, frame.width(), frame.height()), radius, face);
        }
        QImage f = keyed ? keyOut(layer, canvas) : flatten(layer, canvas);
        // A nine-slice draw stretches the middle row on the left and in the centre but the row
        // below it on the right: make the two rows equal so a stretched button shows no step.
        if (frame.height() % 2 == 1) {
            const int mid = frame.height() / 2;
            std::memcpy(f.scanLine(mid + 1), f.constScanLine(mid), size_t(f.bytesPerLine()));
        }
        frames.push_back(f);
    }
    return hstrip(frames);
}

namespace {

QRectF centredBox(QSize frame, int box)
{
    return QRectF((frame.width() - box) / 2, (frame.height() - box) / 2, box, box);
}

Face boxFace(const ControlLook& look, bool checked, bool enabled)
{
    Face f;
    if (checked && look.filledCheck && enabled) {
        f.border = look.accentBorder;
        f.fill = look.accentFill;
        f.gloss = look.normal.gloss;
    } else if (enabled) {
        f.border = look.boxBorder;
        f.fill = look.boxFill;
        f.gloss = look.normal.gloss / 2;
    } else {
        f.border = look.boxBorderDisabled;
        f.fill = look.boxFillDisabled;
    }
    return f;
}

QColor markColour(const ControlLook& look, bool enabled)
{
    if (!enabled)
        return look.glyphDisabled;
    return look.filledCheck ? QColor(Qt::white) : look.accent;
}

} // namespace

QImage checkBoxStrip(const ControlLook& look, QSize frame, int box)
{
    std::vector<QImage> frames;
    const bool states[4][2] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& s : states) {
        const bool checked = s[0], enabled = s[1];
        QImage layer = newLayer(frame.width(), frame.height());
        {
            LayerPainter p(&layer);
            const QRectF r = centredBox(frame, box);
            paintFace(p, r, look.radius, boxFace(look, checked, enabled));
            if (checked) {
                const qreal m = box * 0.22;
                drawGlyph(p, Glyph::Check, r.adjusted(m, m + 0.3, -m, -m + 0.3), markColour(look, enabled),
                          std::max(1.6, box * 0.15));
            }
        }
        frames.push_back(flatten(layer, look.canvas));
    }
    return hstrip(frames);
}

QImage radioStrip(const ControlLook& look, QSize frame, int box)
{
    std::vector<QImage> frames;
    const bool states[4][2] = {{true, true}, {false, true}, {true, false}, {false, false}};
    for (const auto& s : states) {
        const bool checked = s[0], enabled = s[1];
        QImage layer = newLayer(frame.width(), frame.height());
        {
            LayerPainter p(&layer);
            const QRectF r = centredBox(frame, box);
            const Face f = boxFace(look, checked, enabled);
            const QPainterPath outer = ellipse(r);
            const QPainterPath inner = ellipse(r.adjusted(1, 1, -1, -1));
            p.fillPath(outer.subtracted(inner), f.border);
            p.fillPath(inner, vgrad(r.top(), r.bottom(), f.fill));
            if (f.gloss > 0)
                drawGloss(p, inner, QRectF(r.left() + 2, r.top() + 1, r.width() - 4, r.height() * 0.45), f.gloss, f.gloss / 5);
            if (checked) {
                const qreal d = box * (look.filledCheck ? 0.34 : 0.42);
                const QRectF dot(r.center().x() - d / 2, r.center().y() - d / 2, d, d);
                if (look.filledCheck || !enabled) {
                    p.fillPath(ellipse(dot), markColour(look, enabled));
                } else {
                    p.fillPath(ellipse(dot), vgrad(dot.top(), dot.bottom(),
                                                   stops({{0, mix(look.accent, Qt::white, 0.35)}, {1, look.accent}})));
                }
            }
        }
        frames.push_back(keyOut(layer, look.canvas));
    }
    return hstrip(frames);
}

QImage scrollButtonStrip(const ControlLook& look, QSize frame)
{
    std::vector<QImage> frames;
    for (Glyph g : {Glyph::ArrowUp, Glyph::ArrowDown}) {
        for (const Face* f : {&look.normal, &look.hover, &look.pressed}) {
            QImage layer = newLayer(frame.width(), frame.height());
            {
                LayerPainter p(&layer);
                const QRectF r(0, 0, frame.width(), frame.height());
                paintFace(p, r, look.radius, *f, false);
                const qreal aw = std::round(frame.width() * 0.44), ah = std::round(aw / 2);
                const qreal shift = f == &look.pressed ? 1 : 0;
                const QRectF a(std::floor((frame.width() - aw) / 2) + shift,
                               std::floor((frame.height() - ah) / 2) + shift, aw, ah);
                drawGlyph(p, g, a, look.glyph, 1);
            }
            frames.push_back(flatten(layer, look.scrollCanvas));
        }
    }
    return hstrip(frames);
}

QImage scrollThumbStrip(const ControlLook& look, QSize piece, int inset)
{
    const int w = piece.width() * 3, h = piece.height();
    QImage layer = newLayer(w, h);
    {
        LayerPainter p(&layer);
        paintFace(p, QRectF(0, inset, w, h - 2 * inset), look.radius, look.thumb);
    }
    const QImage whole = flatten(layer, look.scrollCanvas);
    // The middle piece is stretched by its user: make it one uniform column.
    const QImage middle = repeatColumn(columnSlice(whole, w / 2, 0, h), piece.width());
    return hstrip({whole.copy(0, 0, piece.width(), h), middle, whole.copy(w - piece.width(), 0, piece.width(), h)});
}

QImage trackBarGroove(const ControlLook& look, QSize size)
{
    QImage layer = newLayer(size.width(), size.height());
    {
        LayerPainter p(&layer);
        Face f;
        f.border = look.grooveBorder;
        f.fill = look.grooveFill;
        paintFace(p, QRectF(0, 0, size.width(), size.height()), std::max<qreal>(2, size.height() / 2.0), f);
    }
    QImage out = keyOut(layer, look.canvas);
    // The middle third is stretched: keep it one uniform column.
    const int third = size.width() / 3;
    const QImage mid = repeatColumn(columnSlice(out, size.width() / 2, 0, size.height()), third);
    QPainter p(&out);
    p.drawImage(third, 0, mid);
    return out;
}

QImage trackSlider(const ControlLook& look, QSize size, bool horizontal)
{
    // Paint a down-pointing slider; vertical ones are the same shape turned to point right.
    const int w = horizontal ? size.width() : size.height();
    const int h = horizontal ? size.height() : size.width();
    QImage layer = newLayer(w, h);
    {
        LayerPainter p(&layer);
        const qreal tip = std::round(w / 2.0);
        const qreal body = h - tip;
        QPainterPath outer;
        const qreal r = std::min<qreal>(look.radius + 0.5, 2.5);
        outer.moveTo(0, r);
        outer.arcTo(QRectF(0, 0, 2 * r, 2 * r), 180, -90);
        outer.lineTo(w - r, 0);
        outer.arcTo(QRectF(w - 2 * r, 0, 2 * r, 2 * r), 90, -90);
        outer.lineTo(w, body);
        outer.lineTo(w / 2.0, h);
        outer.lineTo(0, body);
        outer.closeSubpath();
        QPainterPath inner;
        inner.moveTo(1, r);
        inner.arcTo(QRectF(1, 1, 2 * r - 2, 2 * r - 2), 180, -90);
        inner.lineTo(w - r, 1);
        inner.arcTo(QRectF(w - 2 * r + 1, 1, 2 * r - 2, 2 * r - 2), 90, -90);
        inner.lineTo(w - 1, body - 0.4);
        inner.lineTo(w / 2.0, h - 1.4);
        inner.lineTo(1, body - 0.4);
        inner.closeSubpath();
        p.fillPath(outer.subtracted(inner), look.slider.border);
        p.fillPath(inner, hgrad(1, w - 1, look.slider.fill));
        if (look.slider.gloss > 0)
            p.fillRect(QRectF(1, 1, w / 2.0 - 1, body - 1),
                       hgrad(1, w / 2.0, stops({{0, alpha(Qt::white, look.slider.gloss)}, {1, alpha(Qt::white, 0)}})));
        if (look.sliderMark.alpha() > 0)
            for (int i = 0; i < 3; ++i)
                p.fillRect(QRectF(3, 4 + 2 * i, w - 6, 1), look.sliderMark);
    }
    if (horizontal)
        return keyOut(layer, look.canvas);
    // Turn a quarter counter-clockwise so the tip points right, then flip top and bottom so the
    // highlight stays on the upper side.
    QTransform t;
    t.rotate(-90);
    const QImage turned = layer.transformed(t).mirrored(false, true);
    return flatten(turned, look.canvas);
}

QImage progressPicture(const QGradientStops& fill, QSize size, int gloss, const QColor& edge)
{
    QImage layer = newLayer(size.width(), size.height());
    {
        LayerPainter p(&layer, false);
        p.fillRect(QRectF(0, 0, size.width(), size.height()), vgrad(0, size.height(), fill));
        if (gloss > 0)
            p.fillRect(QRectF(0, 0, size.width(), size.height() * 0.45),
                       vgrad(0, size.height() * 0.45, stops({{0, alpha(Qt::white, gloss)}, {1, alpha(Qt::white, gloss / 3)}})));
        if (edge.alpha() > 0)
            p.fillRect(QRectF(0, size.height() - 1, size.width(), 1), edge);
    }
    return flatten(layer, Qt::white);
}

QImage checkListStrip(const ControlLook& look, QSize frame)
{
    std::vector<QImage> frames;
    const bool states[4][2] = {{true, true}, {false, true}, {true, false}, {false, false}};
    const int box = std::min(frame.width(), frame.height()) - 2;
    for (const auto& s : states) {
        const bool checked = s[0], enabled = s[1];
        QImage layer = newLayer(frame.width(), frame.height());
        {
            LayerPainter p(&layer);
            const QRectF r = centredBox(frame, box);
            Face f = boxFace(look, checked, enabled);
            f.gloss = 0;
            paintFace(p, r, std::min<qreal>(look.radius, 1.5), f);
            if (checked) {
                const qreal m = box * 0.2;
                drawGlyph(p, Glyph::Check, r.adjusted(m, m, -m, -m), markColour(look, enabled), 1.4);
            }
        }
        frames.push_back(flatten(layer, Qt::white));
    }
    return hstrip(frames);
}

QImage arrowButtonStrip(const ControlLook& look, QSize frame)
{
    std::vector<QImage> frames;
    for (Glyph g : {Glyph::ArrowLeft, Glyph::ArrowRight, Glyph::ArrowUp, Glyph::ArrowDown}) {
        QImage layer = newLayer(frame.width(), frame.height());
        {
            LayerPainter p(&layer);
            const QRectF r(0, 0, frame.width(), frame.height());
            paintFace(p, r, look.radius, look.normal);
            const bool sideways = g == Glyph::ArrowLeft || g == Glyph::ArrowRight;
            const qreal along = std::round(frame.width() * 0.4), across = std::round(along / 2);
            const qreal aw = sideways ? across : along, ah = sideways ? along : across;
            drawGlyph(p, g, QRectF(std::floor((frame.width() - aw) / 2), std::floor((frame.height() - ah) / 2), aw, ah),
                      look.glyph, 1);
        }
        frames.push_back(flatten(layer, look.canvas));
    }
    return hstrip(frames);
}

QImage tabPicture(const ControlLook& look, QSize size, const Face& face)
{
    QImage layer = newLayer(size.width(), size.height());
    {
        LayerPainter p(&layer);
        const qreal r = std::min<qreal>(look.radius + 1, size.width() / 3.0);
        const QRectF outerRect(0, 0, size.width(), size.height() + 2); // open at the bottom
        const QPainterPath outer = topRoundedRect(outerRect, r);
        const QPainterPath inner = topRoundedRect(outerRect.adjusted(1, 1, -1, 0), std::max<qreal>(0.5, r - 1));
        p.fillPath(outer.subtracted(inner), face.border);
        p.fillPath(inner, vgrad(1, size.height(), face.fill));
        if (face.gloss > 0)
            drawGloss(p, inner, QRectF(1, 1, size.width() - 2, size.height() * 0.45), face.gloss, face.gloss / 4);
    }
    return keyOut(layer, look.canvas);
}

QImage tabLine(QSize size, const QGradientStops& rows)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(img.rect(), vgrad(0, size.height(), rows));
    return img;
}

QImage sideHandle(const ControlLook& look, QSize size, const Face& face, const QColor& mark)
{
    QImage layer = newLayer(size.width(), size.height());
    {
        LayerPainter p(&layer);
        paintFace(p, QRectF(0, 0, size.width(), size.height()), std::min<qreal>(3, size.width() / 2.0 - 0.5), face, false);
        const qreal cx = size.width() / 2.0;
        const qreal cy = size.height() / 2.0;
        // grip dots above and below a small arrow
        for (int i = -2; i <= 2; ++i) {
            if (i == 0)
                continue;
            const qreal y = std::round(cy + i * 9 - 1);
            p.fillRect(QRectF(std::floor(cx) - 1, y, 2, 2), mark);
        }
        drawGlyph(p, Glyph::ArrowRight, QRectF(std::floor(cx - 1.5), std::round(cy - 3), 3, 6), mark, 1);
    }
    return keyOut(layer, look.canvas);
}

QImage verticalBand(QSize size, const QGradientStops& s)
{
    QImage img(size, QImage::Format_RGB32);
    QPainter p(&img);
    p.fillRect(img.rect(), vgrad(0, size.height(), s));
    return img;
}

Glyph glyphFor(TitleKind kind)
{
    switch (kind) {
    case TitleKind::ControlBox: return Glyph::ControlBox;
    case TitleKind::Help: return Glyph::Help;
    case TitleKind::Maximize: return Glyph::Maximize;
    case TitleKind::Restore: return Glyph::Restore;
    case TitleKind::Minimize: return Glyph::Minimize;
    case TitleKind::Close: return Glyph::Close;
    }
    return Glyph::Close;
}

QImage titleButtonStrip(QSize frame, const QImage& background, bool keyed, const TitleButtonPainter& paint)
{
    std::vector<QImage> frames;
    for (TitleKind k : {TitleKind::ControlBox, TitleKind::Help, TitleKind::Maximize, TitleKind::Restore,
                        TitleKind::Minimize, TitleKind::Close}) {
        for (TitleState s : {TitleState::Normal, TitleState::Hover, TitleState::Pressed}) {
            QImage layer = newLayer(frame.width(), frame.height());
            {
                LayerPainter p(&layer);
                paint(p, QRectF(0, 0, frame.width(), frame.height()), k, s);
            }
            frames.push_back(keyed ? keyOut(layer, background) : flatten(layer, background));
        }
    }
    return hstrip(frames);
}

TitleCut cutTitle(const QImage& band, int leftWidth, int clientWidth, int rightWidth)
{
    TitleCut cut;
    cut.left = band.copy(0, 0, leftWidth, band.height());
    cut.client = band.copy(leftWidth, 0, clientWidth, band.height());
    cut.right = band.copy(band.width() - rightWidth, 0, rightWidth, band.height());
    return cut;
}

} // namespace artgen
