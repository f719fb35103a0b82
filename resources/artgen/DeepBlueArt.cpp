// DeepBlue: a deep navy caption with a lower band, navy outlines and thumbs on light surfaces.
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/CommonArt.h"

#include <QRadialGradient>

namespace artgen {

namespace {

const QColor kCanvas = tcolor(0xE8E8E8);
const QColor kNavy = rgb(0x1B3A6E);
const QColor kNight = rgb(0x0E1F45);

constexpr int kTitleHeight = 32;
constexpr int kButtonTop = 2;

// The caption band: glossy navy for the caption row, a darker lower band below a fine rule.
QImage titleBand(int width)
{
    QImage layer = newLayer(width, kTitleHeight);
    {
        LayerPainter p(&layer, false);
        p.fillRect(QRectF(0, 0, width, 1), Qt::black);
        p.fillRect(QRectF(0, 1, width, 22), vgrad(1, 23, stops({{0, rgb(0x3C64A8)}, {0.5, rgb(0x22447F)}, {1, rgb(0x16305F)}})));
        p.fillRect(QRectF(0, 1, width, 11), vgrad(1, 12, stops({{0, alpha(Qt::white, 55)}, {1, alpha(Qt::white, 12)}})));
        p.fillRect(QRectF(0, 23, width, 1), rgb(0x5A80C0));
        p.fillRect(QRectF(0, 24, width, 8), vgrad(24, 32, stops({{0, rgb(0x122858)}, {1, rgb(0x0A1838)}})));
        p.setRenderHint(QPainter::Antialiasing, true);
        QRadialGradient glow(QPointF(30, 4), 60);
        glow.setColorAt(0, alpha(rgb(0x8FB4F0), 70));
        glow.setColorAt(1, alpha(rgb(0x8FB4F0), 0));
        p.fillRect(QRectF(0, 1, 90, 22), glow);
    }
    return flatten(layer, Qt::black);
}

void paintTitleButton(QPainter& p, const QRectF& f, TitleKind kind, TitleState state)
{
    const bool close = kind == TitleKind::Close;
    Face face;
    face.border = state == TitleState::Pressed ? rgb(0x0A1530) : rgb(0x6F92D0);
    switch (state) {
    case TitleState::Normal:
        face.fill = stops({{0, rgb(0x3A62A8)}, {1, rgb(0x1A3670)}});
        face.gloss = 60;
        break;
    case TitleState::Hover:
        face.fill = close ? stops({{0, rgb(0xE8594E)}, {1, rgb(0xA92A22)}}) : stops({{0, rgb(0x5684D4)}, {1, rgb(0x2A5096)}});
        face.border = close ? rgb(0xF09088) : rgb(0x9CBAF0);
        face.gloss = 70;
        break;
    case TitleState::Pressed:
        face.fill = close ? stops({{0, rgb(0x7A1A14)}, {1, rgb(0xA02820)}}) : stops({{0, rgb(0x0F2450)}, {1, rgb(0x1E3E7A)}});
        break;
    }
    paintFace(p, f.adjusted(1, 1, -1, -1), 2.5, face);
    const qreal shift = state == TitleState::Pressed ? 0.5 : 0;
    const qreal g = close ? 7 : 9;
    const QRectF box(std::round(f.center().x() - g / 2) + shift, std::round(f.center().y() - g / 2) + shift, g, g);
    drawGlyph(p, glyphFor(kind), box, Qt::white, close ? 1.8 : 1.6);
}

ControlLook look()
{
    ControlLook l;
    l.canvas = kCanvas;
    l.scrollCanvas = tcolor(0xF5F5F5);
    l.radius = 2;
    l.normal = {rgb(0x2A4A80), stops({{0, rgb(0xEEF2F8)}, {1, rgb(0xC9D5E6)}})};
    l.hover = {rgb(0x2A4A80), stops({{0, Qt::white}, {1, rgb(0xDCE6F4)}}), rgb(0x7FA4E0), 1};
    l.pressed = {kNight, stops({{0, rgb(0x98AED0)}, {1, rgb(0xBCCBE2)}})};
    l.disabled = {rgb(0xB8BEC8), stops({{0, rgb(0xF0F1F3)}, {1, rgb(0xF0F1F3)}})};
    l.glyph = kNight;
    l.glyphDisabled = rgb(0xB0B6C0);
    l.accent = kNavy;
    l.accentFill = stops({{0, rgb(0x7FA2DC)}, {0.5, rgb(0x2F5AA8)}, {1, rgb(0x1A3A78)}});
    l.accentBorder = kNight;
    l.boxBorder = kNavy;
    l.boxBorderDisabled = rgb(0xB8BEC8);
    l.boxFill = stops({{0, rgb(0xDDE3EC)}, {1, Qt::white}});
    l.boxFillDisabled = stops({{0, rgb(0xF2F3F5)}, {1, rgb(0xF2F3F5)}});
    l.grooveBorder = kNight;
    l.grooveFill = stops({{0, rgb(0x3A5A90)}, {1, rgb(0x8AA2C8)}});
    l.thumb = {kNight, stops({{0, rgb(0x4A70B4)}, {1, rgb(0x1C3A72)}}), QColor(0, 0, 0, 0), 0, 70};
    l.slider = {kNight, stops({{0, rgb(0x5680C8)}, {1, rgb(0x1C3A72)}}), QColor(0, 0, 0, 0), 0, 90};
    l.sliderMark = alpha(Qt::white, 130);
    return l;
}

} // namespace

void registerDeepBlueArt(ArtRegistry& r)
{
    r.add("DEEPBLUE_BUTTON", [] {
        const Face normal{kNavy, stops({{0, rgb(0xFDFEFF)}, {0.5, rgb(0xE6ECF5)}, {0.51, rgb(0xD8E1EE)}, {1, rgb(0xE9EFF7)}})};
        const Face hover{kNavy, stops({{0, Qt::white}, {0.5, rgb(0xEEF4FC)}, {0.51, rgb(0xDDE8F7)}, {1, rgb(0xF0F6FF)}}),
                         rgb(0x6F9BE0), 1};
        const Face pressed{kNight, stops({{0, rgb(0xB4C4DE)}, {0.5, rgb(0xC6D3E8)}, {1, rgb(0xD8E2F0)}})};
        return pushButtonStrip(QSize(74, 21), 2.5, {normal, hover, pressed}, kCanvas, false);
    });
    r.add("DEEPBLUE_CHECKBOX", [] { return checkBoxStrip(look(), QSize(13, 13), 13); });
    r.add("DEEPBLUE_RADIOBUTTON", [] { return radioStrip(look(), QSize(13, 13), 13); });
    r.add("DEEPBLUE_TITLEBTN", [] {
        const QImage bg = repeatColumn(columnSlice(titleBand(292), 150, kButtonTop, 19), 19);
        return titleButtonStrip(QSize(19, 19), bg, false, paintTitleButton);
    });
    r.add("DEEPBLUE_TITLE_LEFT", [] { return cutTitle(titleBand(292), 97, 98, 97).left; });
    r.add("DEEPBLUE_TITLE_CLIENT", [] {
        const QImage band = titleBand(292);
        return repeatColumn(columnSlice(band, 150, 0, kTitleHeight), 98);
    });
    r.add("DEEPBLUE_TITLE_RIGHT", [] {
        const QImage band = titleBand(292);
        return repeatColumn(columnSlice(band, 150, 0, kTitleHeight), 97);
    });
    r.add("DEEPBLUE_PROGRESSBAR", [] { return progressPicture(look().accentFill, QSize(1, 10), 80, QColor(0, 0, 0, 0)); });
    r.add("DEEPBLUE_TRACKBAR_BAR", [] { return trackBarGroove(look(), QSize(45, 4)); });
    r.add("DEEPBLUE_TRACKBAR_SLIDER", [] { return trackSlider(look(), QSize(11, 20), true); });
    r.add("DEEPBLUE_TRACKBAR_SLIDER_V", [] { return trackSlider(look(), QSize(18, 11), false); });
    r.add("DEEPBLUE_SCROLLBAR_BUTTON", [] { return scrollButtonStrip(look(), QSize(16, 16)); });
    r.add("DEEPBLUE_SCROLLBAR_TRACK", [] { return scrollThumbStrip(look(), QSize(7, 16), 1); });
    r.add("DEEPBLUE_CHECKLIST", [] { return checkListStrip(look(), QSize(11, 11)); });
    r.add("DEEPBLUE_TAB", [] {
        return tabPicture(look(), QSize(12, 17), Face{kNavy, stops({{0, rgb(0x5680C8)}, {1, rgb(0x22447F)}}), QColor(0, 0, 0, 0), 0, 60});
    });
    r.add("DEEPBLUE_TAB_LINE", [] {
        return tabLine(QSize(5, 5), stops({{0, kNavy}, {0.39, kNavy}, {0.41, rgb(0x5A80C0)}, {0.59, rgb(0x5A80C0)}, {0.61, rgb(0xE8ECF2)}, {1, kCanvas}}));
    });
    r.add("DEEPBLUE_SIDECHENNEL_HANDLE", [] {
        return sideHandle(look(), QSize(8, 83), Face{kNight, stops({{0, rgb(0x4A70B4)}, {1, rgb(0x1C3A72)}})}, Qt::white);
    });
    r.add("DEEPBLUE_SIDECHENNEL_BAR", [] {
        return verticalBand(QSize(1, 20), stops({{0, rgb(0x3C64A8)}, {0.5, rgb(0x22447F)}, {1, rgb(0x132B5A)}}));
    });
}

} // namespace artgen
