// WinXP: a saturated blue caption with rounded top corners, rounded blue caption buttons with a
// red-orange close button, cream faces with dark blue outlines, green marks.
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/CommonArt.h"

namespace artgen {

namespace {

const QColor kCanvas = tcolor(0xDEEBEF);
const QColor kFrame = tcolor(0xC82C00); // the window border colour
const QColor kGreen = rgb(0x21A121);

constexpr int kTitleHeight = 29;
constexpr int kButtonTop = 5;
constexpr int kCorner = 7;

// The caption band; its top corners are rounded into the window border colour.
QImage titleBand(int width)
{
    QImage layer = newLayer(width, kTitleHeight);
    {
        LayerPainter p(&layer);
        const QPainterPath shape = topRoundedRect(QRectF(0, 0, width, kTitleHeight), kCorner);
        p.fillPath(shape, vgrad(0, kTitleHeight, stops({{0, rgb(0x0A4FD8)}, {0.04, rgb(0x3D8FF8)}, {0.1, rgb(0x2A78F4)},
                                                        {0.25, rgb(0x0A5CE8)}, {0.6, rgb(0x0055E0)}, {0.88, rgb(0x0048D0)},
                                                        {0.95, rgb(0x0040C0)}, {1, rgb(0x0032A8)}})));
        p.save();
        p.setClipPath(shape);
        p.fillRect(QRectF(0, 1, width, 1), alpha(Qt::white, 90));
        p.restore();
    }
    return flatten(layer, kFrame);
}

void paintTitleButton(QPainter& p, const QRectF& f, TitleKind kind, TitleState state)
{
    const bool close = kind == TitleKind::Close;
    Face face;
    face.border = state == TitleState::Pressed ? rgb(0xD8E4FA) : Qt::white;
    switch (state) {
    case TitleState::Normal:
        face.fill = close ? stops({{0, rgb(0xEE8A6C)}, {0.5, rgb(0xDE5A3A)}, {1, rgb(0xC4391A)}})
                          : stops({{0, rgb(0x6E9EFA)}, {0.5, rgb(0x3F76EE)}, {1, rgb(0x2A5FE3)}});
        break;
    case TitleState::Hover:
        face.fill = close ? stops({{0, rgb(0xFAA88C)}, {0.5, rgb(0xEE7452)}, {1, rgb(0xD9512F)}})
                          : stops({{0, rgb(0x98BCFF)}, {0.5, rgb(0x6494FA)}, {1, rgb(0x4A7EF0)}});
        break;
    case TitleState::Pressed:
        face.fill = close ? stops({{0, rgb(0x98260F)}, {1, rgb(0xC43F20)}}) : stops({{0, rgb(0x1C48BE)}, {1, rgb(0x3A6AE2)}});
        break;
    }
    face.gloss = state == TitleState::Pressed ? 0 : 70;
    paintFace(p, f, 3, face);
    const qreal shift = state == TitleState::Pressed ? 1 : 0;
    const QRectF box(std::round(f.center().x() - 4.5) + shift, std::round(f.center().y() - 4.5) + shift, 9, 9);
    drawGlyph(p, glyphFor(kind), box, Qt::white, close ? 2.2 : 2);
}

ControlLook look()
{
    ControlLook l;
    l.canvas = kCanvas;
    l.scrollCanvas = tcolor(0xF9F9F9);
    l.radius = 2;
    l.normal = {rgb(0x8FA9E8), stops({{0, rgb(0xDCE6FD)}, {1, rgb(0xBFD0FB)}})};
    l.hover = {rgb(0x7A9CE8), stops({{0, rgb(0xEDF3FF)}, {1, rgb(0xD2E0FF)}})};
    l.pressed = {rgb(0x6D8EE0), stops({{0, rgb(0xA9BFF3)}, {1, rgb(0xC6D6FB)}})};
    l.disabled = {rgb(0xCAC8BB), stops({{0, rgb(0xF4F3EE)}, {1, rgb(0xF4F3EE)}})};
    l.glyph = rgb(0x4D6185);
    l.glyphDisabled = rgb(0xCAC8BB);
    l.accent = kGreen;
    l.accentFill = stops({{0, rgb(0x9CE89C)}, {0.45, rgb(0x3CC43C)}, {1, rgb(0x1E961E)}});
    l.accentBorder = rgb(0x1C5180);
    l.boxBorder = rgb(0x1C5180);
    l.boxBorderDisabled = rgb(0xCAC8BB);
    l.boxFill = stops({{0, rgb(0xDCDCD7)}, {1, Qt::white}});
    l.boxFillDisabled = stops({{0, Qt::white}, {1, Qt::white}});
    l.grooveBorder = rgb(0x9D9C99);
    l.grooveFill = stops({{0, rgb(0xDCDAD2)}, {1, rgb(0xF7F6F2)}});
    l.thumb = {rgb(0x8FA9E8), stops({{0, rgb(0xE2EAFE)}, {1, rgb(0xB6CAF8)}}), QColor(0, 0, 0, 0), 0, 60};
    l.slider = {rgb(0x5E7FAE), stops({{0, Qt::white}, {1, rgb(0xE6E5DE)}})};
    l.sliderMark = alpha(kGreen, 200);
    return l;
}

} // namespace

void registerWinXpArt(ArtRegistry& r)
{
    r.add("WINXP_BUTTON", [] {
        const QColor border = rgb(0x003C74);
        const Face normal{border, stops({{0, Qt::white}, {0.8, rgb(0xF2F1EB)}, {1, rgb(0xD6D0C5)}})};
        const Face hover{border, stops({{0, Qt::white}, {0.8, rgb(0xF4F3EE)}, {1, rgb(0xDCD6CB)}}), rgb(0xF8B330), 2};
        const Face pressed{border, stops({{0, rgb(0xDCDBD3)}, {0.3, rgb(0xE6E5DE)}, {1, rgb(0xF2F1EC)}})};
        return pushButtonStrip(QSize(18, 21), 3, {normal, hover, pressed}, kCanvas, false);
    });
    r.add("WINXP_CHECKBOX", [] {
        ControlLook l = look();
        l.radius = 0.5;
        return checkBoxStrip(l, QSize(13, 13), 13);
    });
    r.add("WINXP_RADIOBUTTON", [] { return radioStrip(look(), QSize(13, 13), 13); });
    r.add("WINXP_TITLEBTN", [] {
        const QImage bg = repeatColumn(columnSlice(titleBand(107), 50, kButtonTop, 21), 21);
        return titleButtonStrip(QSize(21, 21), bg, false, paintTitleButton);
    });
    r.add("WINXP_TITLE_LEFT", [] { return cutTitle(titleBand(107), 35, 37, 35).left; });
    r.add("WINXP_TITLE_CLIENT", [] { return cutTitle(titleBand(107), 35, 37, 35).client; });
    r.add("WINXP_TITLE_RIGHT", [] { return cutTitle(titleBand(107), 35, 37, 35).right; });
    r.add("WINXP_PROGRESSBAR", [] {
        return progressPicture(stops({{0, rgb(0xB4EEB4)}, {0.4, rgb(0x4CCB4C)}, {1, rgb(0x1E9A1E)}}), QSize(6, 10), 50,
                               QColor(0, 0, 0, 0));
    });
    r.add("WINXP_TRACKBAR_BAR", [] { return trackBarGroove(look(), QSize(45, 8)); });
    r.add("WINXP_TRACKBAR_SLIDER", [] { return trackSlider(look(), QSize(11, 21), true); });
    r.add("WINXP_TRACKBAR_SLIDER_V", [] { return trackSlider(look(), QSize(22, 11), false); });
    r.add("WINXP_SCROLLBAR_BUTTON", [] { return scrollButtonStrip(look(), QSize(16, 17)); });
    r.add("WINXP_SCROLLBAR_TRACK", [] { return scrollThumbStrip(look(), QSize(7, 16), 0); });
    r.add("WINXP_CHECKLIST", [] { return checkListStrip(look(), QSize(11, 11)); });
    r.add("WINXP_SCROLLBUTTON", [] { return arrowButtonStrip(look(), QSize(18, 18)); });
    r.add("WINXP_TAB", [] {
        return tabPicture(look(), QSize(18, 18),
                          Face{rgb(0x919B9C), stops({{0, Qt::white}, {0.08, rgb(0xFFC83C)}, {0.14, Qt::white}, {1, rgb(0xECEBE6)}})});
    });
    r.add("WINXP_TAB_LINE", [] { return tabLine(QSize(8, 1), stops({{0, rgb(0x919B9C)}, {1, rgb(0x919B9C)}})); });
    r.add("WINXP_SIDECHENNEL_HANDLE", [] {
        return sideHandle(look(), QSize(8, 86), Face{rgb(0x7A9CE8), stops({{0, rgb(0xF3F6FD)}, {1, rgb(0xC6D3F7)}})}, rgb(0x215DC6));
    });
    r.add("WINXP_SIDECHENNEL_BAR", [] {
        return verticalBand(QSize(1, 21), stops({{0, Qt::white}, {0.9, rgb(0xC6D3F7)}, {0.95, rgb(0x9CB4EE)}, {1, rgb(0x9CB4EE)}}));
    });
    r.add("WINXP_COMBOBOX_BUTTON", [] {
        QImage layer = newLayer(16, 18);
        {
            LayerPainter p(&layer);
            paintFace(p, QRectF(0, 0, 16, 18), 2, Face{rgb(0xB5C8F5), stops({{0, rgb(0xE1EAFE)}, {1, rgb(0xB3C9F8)}})});
            drawGlyph(p, Glyph::ChevronDown, QRectF(4, 7, 8, 5), rgb(0x4D6185), 2);
        }
        return flatten(layer, Qt::white);
    });
}

} // namespace artgen
