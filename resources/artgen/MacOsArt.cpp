// MacOS: light grey pinstriped surfaces, glossy aqua-blue accents, white pill buttons and round
// traffic-light title buttons.
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/CommonArt.h"

namespace artgen {

namespace {

const QColor kCanvas = tcolor(0xE7E7E7);
const QColor kBorder = tcolor(0x7F7F7F);

constexpr int kTitleHeight = 23;
constexpr int kButtonTop = 4;

const QGradientStops kAqua = stops({{0, rgb(0xC4E2FF)}, {0.45, rgb(0x6EAEF2)}, {0.5, rgb(0x468FE4)}, {1, rgb(0x98CEFF)}});

// The unified grey caption band with faint pinstripes.
QImage titleBand(int width)
{
    QImage layer = newLayer(width, kTitleHeight);
    {
        LayerPainter p(&layer, false);
        p.fillRect(QRectF(0, 0, width, 1), kBorder);
        p.fillRect(QRectF(0, 1, width, 21), vgrad(1, 22, stops({{0, rgb(0xF6F6F6)}, {1, rgb(0xCFCFCF)}})));
        for (int y = 2; y < 22; y += 2)
            p.fillRect(QRectF(0, y, width, 1), alpha(Qt::white, 40));
        p.fillRect(QRectF(0, 1, width, 1), alpha(Qt::white, 220));
        p.fillRect(QRectF(0, 22, width, 1), rgb(0x9A9A9A));
    }
    return flatten(layer, kCanvas);
}

QColor orbColour(TitleKind kind)
{
    switch (kind) {
    case TitleKind::Close: return rgb(0xE5483F);
    case TitleKind::Minimize: return rgb(0xE9B21F);
    case TitleKind::Maximize:
    case TitleKind::Restore: return rgb(0x48B33A);
    case TitleKind::Help: return rgb(0x3B8EE3);
    case TitleKind::ControlBox: return rgb(0x8E96A0);
    }
    return Qt::gray;
}

// A glossy orb with its glyph; the glyph is faint until the pointer is over the button.
void paintTitleButton(QPainter& p, const QRectF& f, TitleKind kind, TitleState state)
{
    QColor base = orbColour(kind);
    if (state == TitleState::Hover)
        base = base.lighter(112);
    else if (state == TitleState::Pressed)
        base = base.darker(135);
    const QRectF orb(f.left() + 2, f.top() + 2, 13, 13);
    p.fillPath(ellipse(orb), base.darker(160));
    const QRectF inner = orb.adjusted(1, 1, -1, -1);
    p.fillPath(ellipse(inner), vgrad(inner.top(), inner.bottom(),
                                     stops({{0, base.darker(115)}, {0.55, base}, {1, mix(base, Qt::white, 0.55)}})));
    drawGloss(p, ellipse(inner), QRectF(inner.left() + 2, inner.top() + 0.5, inner.width() - 4, inner.height() * 0.45),
              state == TitleState::Pressed ? 120 : 210, 40);
    const QColor ink = state == TitleState::Normal ? alpha(base.darker(260), 110) : base.darker(320);
    drawGlyph(p, glyphFor(kind), QRectF(orb.left() + 3, orb.top() + 3, 7, 7), ink, kind == TitleKind::Close ? 1.5 : 1.3);
}

ControlLook look()
{
    ControlLook l;
    l.canvas = kCanvas;
    l.scrollCanvas = tcolor(0xC9C9C9);
    l.radius = 3;
    l.normal = {rgb(0x8A8A8A), stops({{0, rgb(0xF7F7F7)}, {0.5, rgb(0xD9D9D9)}, {1, rgb(0xF2F2F2)}}), QColor(0, 0, 0, 0), 0, 0};
    l.hover = {rgb(0x5C86BC), stops({{0, rgb(0xF4F9FF)}, {0.5, rgb(0xC9DFF7)}, {1, rgb(0xEEF6FF)}})};
    l.pressed = {rgb(0x2F66A8), kAqua};
    l.disabled = {rgb(0xB0B0B0), stops({{0, rgb(0xF0F0F0)}, {1, rgb(0xF0F0F0)}})};
    l.glyph = rgb(0x333333);
    l.glyphDisabled = rgb(0xA8A8A8);
    l.accent = rgb(0x2F7BD8);
    l.accentFill = kAqua;
    l.accentBorder = rgb(0x2F66A8);
    l.boxBorder = rgb(0x7A7A7A);
    l.boxBorderDisabled = rgb(0xB4B4B4);
    l.boxFill = stops({{0, Qt::white}, {0.5, rgb(0xEDEDED)}, {1, Qt::white}});
    l.boxFillDisabled = stops({{0, rgb(0xF2F2F2)}, {1, rgb(0xF2F2F2)}});
    l.filledCheck = true;
    l.normal.gloss = 170;
    l.grooveBorder = rgb(0x6E6E6E);
    l.grooveFill = stops({{0, rgb(0x9A9A9A)}, {1, rgb(0xDADADA)}});
    l.thumb = {rgb(0x2F66A8), kAqua, QColor(0, 0, 0, 0), 0, 120};
    l.slider = {rgb(0x6A6A6A), stops({{0, Qt::white}, {1, rgb(0xD2D2D2)}}), QColor(0, 0, 0, 0), 0, 150};
    l.sliderMark = QColor(0, 0, 0, 0);
    return l;
}

} // namespace

void registerMacOsArt(ArtRegistry& r)
{
    r.add("MACOS_BUTTON", [] {
        const Face normal{rgb(0x8A8A8A), stops({{0, Qt::white}, {0.5, rgb(0xF2F2F2)}, {0.51, rgb(0xE2E2E2)}, {1, rgb(0xFAFAFA)}}),
                          QColor(0, 0, 0, 0), 0, 150};
        const Face hover{rgb(0x4A7FC0), stops({{0, rgb(0xDDEEFF)}, {0.5, rgb(0xA4CFFA)}, {0.51, rgb(0x84BCF5)}, {1, rgb(0xCDE8FF)}}),
                         QColor(0, 0, 0, 0), 0, 170};
        const Face pressed{rgb(0x2A5C9C), stops({{0, rgb(0xA6CDF4)}, {0.5, rgb(0x5A9CE2)}, {0.51, rgb(0x438BD9)}, {1, rgb(0x96CBF8)}}),
                           QColor(0, 0, 0, 0), 0, 110};
        return pushButtonStrip(QSize(84, 23), 11, {normal, hover, pressed}, kCanvas, true);
    });
    r.add("MACOS_CHECKBOX", [] { return checkBoxStrip(look(), QSize(15, 17), 14); });
    r.add("MACOS_RADIOBUTTON", [] { return radioStrip(look(), QSize(16, 17), 15); });
    r.add("MACOS_TITLEBTN", [] {
        const QImage bg = repeatColumn(columnSlice(titleBand(145), 70, kButtonTop, 17), 17);
        return titleButtonStrip(QSize(17, 17), bg, false, paintTitleButton);
    });
    r.add("MACOS_TITLE_LEFT", [] { return cutTitle(titleBand(145), 48, 49, 48).left; });
    r.add("MACOS_TITLE_CLIENT", [] { return cutTitle(titleBand(145), 48, 49, 48).client; });
    r.add("MACOS_TITLE_RIGHT", [] { return cutTitle(titleBand(145), 48, 49, 48).right; });
    r.add("MACOS_PROGRESSBAR", [] { return progressPicture(kAqua, QSize(13, 10), 60, QColor(0, 0, 0, 0)); });
    r.add("MACOS_TRACKBAR_BAR", [] { return trackBarGroove(look(), QSize(45, 5)); });
    r.add("MACOS_TRACKBAR_SLIDER", [] { return trackSlider(look(), QSize(11, 20), true); });
    r.add("MACOS_TRACKBAR_SLIDER_V", [] { return trackSlider(look(), QSize(19, 11), false); });
    r.add("MACOS_SCROLLBAR_BUTTON", [] { return scrollButtonStrip(look(), QSize(16, 22)); });
    r.add("MACOS_SCROLLBAR_TRACK", [] { return scrollThumbStrip(look(), QSize(11, 16), 1); });
    r.add("MACOS_CHECKLIST", [] { return checkListStrip(look(), QSize(10, 11)); });
    r.add("MACOS_SCROLLBUTTON", [] { return arrowButtonStrip(look(), QSize(18, 18)); });
    r.add("MACOS_TAB", [] {
        return tabPicture(look(), QSize(36, 27),
                          Face{rgb(0x8A8A8A), stops({{0, Qt::white}, {0.5, rgb(0xEDEDED)}, {1, rgb(0xD8D8D8)}}), QColor(0, 0, 0, 0), 0, 120});
    });
    r.add("MACOS_TAB_LINE", [] {
        return tabLine(QSize(17, 7), stops({{0, rgb(0x8A8A8A)}, {0.14, rgb(0x8A8A8A)}, {0.15, rgb(0xF6F6F6)}, {1, rgb(0xDADADA)}}));
    });
    r.add("MACOS_SIDECHENNEL_HANDLE", [] {
        return sideHandle(look(), QSize(7, 84), Face{rgb(0x8A8A8A), stops({{0, Qt::white}, {1, rgb(0xD4D4D4)}})}, rgb(0x4A4A4A));
    });
    r.add("MACOS_SIDECHENNEL_BAR", [] {
        return verticalBand(QSize(1, 21), stops({{0, rgb(0xFAFAFA)}, {0.5, rgb(0xE6E6E6)}, {0.93, rgb(0xD2D2D2)}, {0.95, rgb(0xA0A0A0)}, {1, rgb(0xA0A0A0)}}));
    });
    r.add("MACOS_MENU_BAR", [] {
        return verticalBand(QSize(1, 22), stops({{0, rgb(0xFDFDFD)}, {0.9, rgb(0xE9E9E9)}, {0.93, rgb(0xB8B8B8)}, {1, rgb(0xB8B8B8)}}));
    });
    r.add("MACOS_MENU_SELECT", [] {
        return verticalBand(QSize(1, 21), stops({{0, rgb(0x78B4F6)}, {0.5, rgb(0x4089E6)}, {1, rgb(0x2A6ED4)}}));
    });
    r.add("MACOS_FORM_BACKGROUND", [] {
        QImage img(8, 8, QImage::Format_RGB32);
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 8; ++x)
                img.setPixel(x, y, (y / 2) % 2 == 0 ? rgb(0xECECEC).rgb() : kCanvas.rgb());
        return img;
    });
    r.add("MACOS_COMBOBOX_BUTTON", [] {
        QImage layer = newLayer(16, 17);
        {
            LayerPainter p(&layer);
            paintFace(p, QRectF(0, 0, 16, 17), 3, Face{rgb(0x3F73B5), kAqua, QColor(0, 0, 0, 0), 0, 110});
        }
        return flatten(layer, Qt::white);
    });
}

} // namespace artgen
