// BlueGlass: translucent-looking blue glass: a glossy caption with light bubbles, glass orbs as
// caption buttons, pale glass pills as push buttons.
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/CommonArt.h"

#include <QRadialGradient>

namespace artgen {

namespace {

const QColor kCanvas = tcolor(0xE7E7E7);
const QColor kGlassEdge = rgb(0x1D4E8A);

constexpr int kTitleHeight = 33;
constexpr int kButtonTop = 6;
constexpr int kCorner = 8;

const QGradientStops kGlass = stops({{0, rgb(0xB4DAFF)}, {0.45, rgb(0x62A8F0)}, {0.5, rgb(0x3C86DE)}, {1, rgb(0x8CC8FF)}});

QImage titleBand(int width)
{
    QImage layer = newLayer(width, kTitleHeight);
    {
        LayerPainter p(&layer);
        const QPainterPath shape = topRoundedRect(QRectF(0, 0, width, kTitleHeight), kCorner);
        p.fillPath(shape, vgrad(0, kTitleHeight, stops({{0, rgb(0x0E2C55)}, {0.03, rgb(0x7DB6EC)}, {0.46, rgb(0x3A7CC6)},
                                                        {0.5, rgb(0x2464B0)}, {0.9, rgb(0x3C86D2)}, {0.97, rgb(0x58A0E6)},
                                                        {1, rgb(0x1C4C86)}})));
        p.save();
        p.setClipPath(shape);
        p.fillRect(QRectF(0, 1, width, 14), vgrad(1, 15, stops({{0, alpha(Qt::white, 110)}, {1, alpha(Qt::white, 25)}})));
        // light bubbles drifting in the left part of the glass
        const struct {
            qreal x, y, r;
            int a;
        } bubbles[] = {{34, 8, 26, 70}, {96, 26, 18, 45}, {138, 6, 12, 40}};
        for (const auto& b : bubbles) {
            QRadialGradient g(QPointF(b.x, b.y), b.r);
            g.setColorAt(0, alpha(rgb(0xDFF1FF), b.a));
            g.setColorAt(1, alpha(rgb(0xDFF1FF), 0));
            p.fillRect(QRectF(b.x - b.r, b.y - b.r, 2 * b.r, 2 * b.r), g);
        }
        p.restore();
    }
    return flatten(layer, Qt::black);
}

void paintTitleButton(QPainter& p, const QRectF& f, TitleKind kind, TitleState state)
{
    const bool close = kind == TitleKind::Close;
    QGradientStops fill = close ? stops({{0, rgb(0xFFB8B0)}, {0.45, rgb(0xE8554A)}, {0.5, rgb(0xC8302A)}, {1, rgb(0xF28A80)}})
                                : stops({{0, rgb(0xCDE8FF)}, {0.45, rgb(0x6BAEF2)}, {0.5, rgb(0x3A80D6)}, {1, rgb(0x8CC8FF)}});
    QColor edge = close ? rgb(0x7A1A14) : kGlassEdge;
    if (state == TitleState::Hover) {
        for (auto& s : fill)
            s.second = s.second.lighter(118);
    } else if (state == TitleState::Pressed) {
        for (auto& s : fill)
            s.second = s.second.darker(135);
        edge = edge.darker(130);
    }
    const QRectF orb = f.adjusted(1, 1, -1, -1);
    p.fillPath(ellipse(orb), edge);
    const QRectF inner = orb.adjusted(1, 1, -1, -1);
    p.fillPath(ellipse(inner), vgrad(inner.top(), inner.bottom(), fill));
    drawGloss(p, ellipse(inner), QRectF(inner.left() + 2.5, inner.top() + 0.5, inner.width() - 5, inner.height() * 0.42),
              state == TitleState::Pressed ? 100 : 200, 30);
    const qreal shift = state == TitleState::Pressed ? 0.5 : 0;
    const qreal g = close ? 6 : 7;
    const QRectF box(std::round(f.center().x() - g / 2) + shift, std::round(f.center().y() - g / 2) + shift, g, g);
    drawGlyph(p, glyphFor(kind), box.adjusted(0.6, 0.6, 0.6, 0.6), alpha(kGlassEdge.darker(150), 150), close ? 1.8 : 1.5);
    drawGlyph(p, glyphFor(kind), box, Qt::white, close ? 1.8 : 1.5);
}

ControlLook look()
{
    ControlLook l;
    l.canvas = kCanvas;
    l.scrollCanvas = tcolor(0xF4F4F4);
    l.radius = 3;
    l.normal = {rgb(0x6E9ACC), stops({{0, rgb(0xF4FAFF)}, {0.5, rgb(0xCFE5FA)}, {1, rgb(0xE4F2FF)}}), QColor(0, 0, 0, 0), 0, 120};
    l.hover = {rgb(0x3C73B4), stops({{0, rgb(0xE6F4FF)}, {0.5, rgb(0xA9D3FA)}, {1, rgb(0xD0EBFF)}}), QColor(0, 0, 0, 0), 0, 130};
    l.pressed = {rgb(0x1F4F8A), stops({{0, rgb(0x9CC7EE)}, {0.5, rgb(0x6AA6E0)}, {1, rgb(0xA8D4F8)}})};
    l.disabled = {rgb(0xB4C2D0), stops({{0, rgb(0xF2F5F8)}, {1, rgb(0xF2F5F8)}})};
    l.glyph = rgb(0x1D3F6E);
    l.glyphDisabled = rgb(0xA8B4C2);
    l.accent = rgb(0x2A72C8);
    l.accentFill = kGlass;
    l.accentBorder = kGlassEdge;
    l.boxBorder = rgb(0x4F7FB8);
    l.boxBorderDisabled = rgb(0xB4C2D0);
    l.boxFill = stops({{0, rgb(0xE8F2FC)}, {1, Qt::white}});
    l.boxFillDisabled = stops({{0, rgb(0xF2F5F8)}, {1, rgb(0xF2F5F8)}});
    l.filledCheck = true;
    l.grooveBorder = rgb(0x4F7FB8);
    l.grooveFill = stops({{0, rgb(0x9CC4EC)}, {1, rgb(0xE4F2FF)}});
    l.thumb = {kGlassEdge, kGlass, QColor(0, 0, 0, 0), 0, 120};
    l.slider = {kGlassEdge, stops({{0, rgb(0xCDE8FF)}, {1, rgb(0x4A90E0)}}), QColor(0, 0, 0, 0), 0, 150};
    l.sliderMark = QColor(0, 0, 0, 0);
    return l;
}

} // namespace

void registerBlueGlassArt(ArtRegistry& r)
{
    r.add("BLUEGLASS_BUTTON", [] {
        const Face normal{rgb(0x5A88BE), stops({{0, rgb(0xF6FBFF)}, {0.48, rgb(0xDCECFB)}, {0.5, rgb(0xC4DEF6)}, {1, rgb(0xE2F1FF)}}),
                          QColor(0, 0, 0, 0), 0, 150};
        const Face hover{rgb(0x2A62A3), stops({{0, rgb(0xE8F5FF)}, {0.48, rgb(0xB8DCFA)}, {0.5, rgb(0x92C6F2)}, {1, rgb(0xCBE9FF)}}),
                         QColor(0, 0, 0, 0), 0, 160};
        const Face pressed{rgb(0x1F4F8A), stops({{0, rgb(0x94C2EC)}, {0.48, rgb(0x74AEE4)}, {0.5, rgb(0x5C9CDC)}, {1, rgb(0xA6D2F8)}}),
                           QColor(0, 0, 0, 0), 0, 80};
        return pushButtonStrip(QSize(77, 27), 8, {normal, hover, pressed}, kCanvas, true);
    });
    r.add("BLUEGLASS_CHECKBOX", [] { return checkBoxStrip(look(), QSize(13, 13), 13); });
    r.add("BLUEGLASS_RADIOBUTTON", [] { return radioStrip(look(), QSize(13, 13), 13); });
    r.add("BLUEGLASS_TITLEBTN", [] {
        const QImage bg = repeatColumn(columnSlice(titleBand(442), 250, kButtonTop, 19), 19);
        return titleButtonStrip(QSize(19, 19), bg, true, paintTitleButton);
    });
    r.add("BLUEGLASS_TITLE_LEFT", [] { return cutTitle(titleBand(442), 162, 179, 101).left; });
    r.add("BLUEGLASS_TITLE_CLIENT", [] { return cutTitle(titleBand(442), 162, 179, 101).client; });
    r.add("BLUEGLASS_TITLE_RIGHT", [] { return cutTitle(titleBand(442), 162, 179, 101).right; });
    r.add("BLUEGLASS_PROGRESSBAR", [] { return progressPicture(kGlass, QSize(1, 10), 60, QColor(0, 0, 0, 0)); });
    r.add("BLUEGLASS_TRACKBAR_BAR", [] { return trackBarGroove(look(), QSize(45, 4)); });
    r.add("BLUEGLASS_TRACKBAR_SLIDER", [] { return trackSlider(look(), QSize(11, 20), true); });
    r.add("BLUEGLASS_TRACKBAR_SLIDER_V", [] { return trackSlider(look(), QSize(18, 11), false); });
    r.add("BLUEGLASS_SCROLLBAR_BUTTON", [] { return scrollButtonStrip(look(), QSize(17, 16)); });
    r.add("BLUEGLASS_SCROLLBAR_TRACK", [] { return scrollThumbStrip(look(), QSize(7, 16), 1); });
    r.add("BLUEGLASS_CHECKLIST", [] { return checkListStrip(look(), QSize(11, 11)); });
    r.add("BLUEGLASS_TAB", [] {
        return tabPicture(look(), QSize(18, 17), Face{rgb(0x4F7FB8), stops({{0, rgb(0xF4FAFF)}, {1, rgb(0xBFDDF8)}}), QColor(0, 0, 0, 0), 0, 140});
    });
    r.add("BLUEGLASS_TAB_LINE", [] {
        return tabLine(QSize(10, 5), stops({{0, rgb(0x4F7FB8)}, {0.19, rgb(0x4F7FB8)}, {0.21, rgb(0xCFE6FB)}, {1, rgb(0xEEF5FC)}}));
    });
    r.add("BLUEGLASS_SIDECHENNEL_HANDLE", [] {
        return sideHandle(look(), QSize(8, 86), Face{kGlassEdge, kGlass, QColor(0, 0, 0, 0), 0, 120}, Qt::white);
    });
    r.add("BLUEGLASS_SIDECHENNEL_BAR", [] {
        return verticalBand(QSize(1, 21), stops({{0, rgb(0x8CC2F2)}, {0.46, rgb(0x4A8ED8)}, {0.5, rgb(0x2A6EC0)}, {1, rgb(0x4C92DA)}}));
    });
}

} // namespace artgen
