// Protein: a white window with black outlines, a graphite caption band with a red accent line,
// and red marks (check marks, progress, hover rings).
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/CommonArt.h"

#include <QRadialGradient>

namespace artgen {

namespace {

const QColor kCanvas = tcolor(0xFBFBFB);
const QColor kRed = rgb(0xD11F2A);
const QColor kRedDark = rgb(0x8E1219);
const QColor kRedLight = rgb(0xF05A5F);
const QColor kInk = rgb(0x1E1E1E);

constexpr int kTitleHeight = 23;
constexpr int kButtonTop = 2; // rows of the title pictures under the title buttons

// The caption band for a window of the given width: black top line, graphite body with a soft
// gloss, a red glow behind the window icon, and a two-pixel red line at the bottom.
QImage titleBand(int width)
{
    QImage layer = newLayer(width, kTitleHeight);
    {
        LayerPainter p(&layer, false);
        p.fillRect(QRectF(0, 0, width, 1), Qt::black);
        p.fillRect(QRectF(0, 1, width, 20),
                   vgrad(1, 21, stops({{0, rgb(0x5E5E65)}, {0.08, rgb(0x505057)}, {0.5, rgb(0x3A3A40)},
                                       {0.52, rgb(0x313136)}, {1, rgb(0x26262A)}})));
        p.fillRect(QRectF(0, 21, width, 1), kRed);
        p.fillRect(QRectF(0, 22, width, 1), kRedDark);
        p.setRenderHint(QPainter::Antialiasing, true);
        QRadialGradient glow(QPointF(14, 11), 34);
        glow.setColorAt(0, alpha(kRed, 120));
        glow.setColorAt(0.55, alpha(kRed, 40));
        glow.setColorAt(1, alpha(kRed, 0));
        p.fillRect(QRectF(0, 1, 60, 20), glow);
    }
    return flatten(layer, Qt::black);
}

void paintTitleButton(QPainter& p, const QRectF& f, TitleKind kind, TitleState state)
{
    const QRectF plate = f.adjusted(2, 2, -2, -2);
    const bool close = kind == TitleKind::Close;
    if (state == TitleState::Normal) {
        const QPainterPath outer = roundedRect(plate, 3);
        p.fillPath(outer.subtracted(roundedRect(plate.adjusted(1, 1, -1, -1), 2)), alpha(Qt::white, 70));
    } else {
        Face face;
        if (close) {
            face.border = state == TitleState::Hover ? kRedLight : rgb(0x5A0A10);
            face.fill = state == TitleState::Hover ? stops({{0, rgb(0xE8454D)}, {1, kRed}})
                                                   : stops({{0, kRedDark}, {1, rgb(0xA8161F)}});
        } else {
            face.border = state == TitleState::Hover ? rgb(0xA0A0A8) : rgb(0x141416);
            face.fill = state == TitleState::Hover ? stops({{0, rgb(0x74747C)}, {1, rgb(0x4E4E55)}})
                                                   : stops({{0, rgb(0x202023)}, {1, rgb(0x34343A)}});
        }
        paintFace(p, plate, 3, face);
    }
    const qreal g = close ? 7 : 9;
    const QPointF c = f.center() + (state == TitleState::Pressed ? QPointF(0.5, 0.5) : QPointF(0, 0));
    const QRectF box(std::round(c.x() - g / 2), std::round(c.y() - g / 2), g, g);
    drawGlyph(p, glyphFor(kind), box, Qt::white, close ? 1.8 : 1.6);
}

ControlLook look()
{
    ControlLook l;
    l.canvas = kCanvas;
    l.scrollCanvas = tcolor(0xF5F5F5);
    l.radius = 2;
    l.normal = {rgb(0x8C8C8C), stops({{0, Qt::white}, {1, rgb(0xE6E6E6)}})};
    l.hover = {kRed, stops({{0, Qt::white}, {1, rgb(0xF2E4E4)}})};
    l.pressed = {rgb(0x505050), stops({{0, rgb(0xD6D6D6)}, {1, rgb(0xEAEAEA)}})};
    l.disabled = {rgb(0xC8C8C8), stops({{0, rgb(0xF6F6F6)}, {1, rgb(0xF6F6F6)}})};
    l.glyph = kInk;
    l.glyphDisabled = rgb(0xB4B4B4);
    l.accent = kRed;
    l.accentFill = stops({{0, kRedLight}, {0.5, kRed}, {1, rgb(0xA3141C)}});
    l.accentBorder = kRedDark;
    l.boxBorder = kInk;
    l.boxBorderDisabled = rgb(0xB4B4B4);
    l.boxFill = stops({{0, rgb(0xEDEDED)}, {1, Qt::white}});
    l.boxFillDisabled = stops({{0, rgb(0xF3F3F3)}, {1, rgb(0xF3F3F3)}});
    l.grooveBorder = rgb(0x5A5A5A);
    l.grooveFill = stops({{0, rgb(0xC4C4C4)}, {1, rgb(0xF4F4F4)}});
    l.thumb = {rgb(0x6E6E6E), stops({{0, Qt::white}, {1, rgb(0xE0E0E0)}})};
    l.slider = {kInk, stops({{0, Qt::white}, {1, rgb(0xDCDCDC)}})};
    l.sliderMark = alpha(kRed, 220);
    return l;
}

} // namespace

void registerProteinArt(ArtRegistry& r)
{
    r.add("PROTEIN_BUTTON", [] {
        const Face normal{kInk, stops({{0, Qt::white}, {0.5, rgb(0xF6F6F6)}, {1, rgb(0xE4E4E4)}})};
        const Face hover{kInk, stops({{0, Qt::white}, {0.5, rgb(0xFAF3F3)}, {1, rgb(0xEBDCDC)}}), kRed, 1};
        const Face pressed{kInk, stops({{0, rgb(0xD2D2D2)}, {0.5, rgb(0xE2E2E2)}, {1, rgb(0xF0F0F0)}}), kRedDark, 1};
        return pushButtonStrip(QSize(74, 21), 2.5, {normal, hover, pressed}, kCanvas, false);
    });
    r.add("PROTEIN_CHECKBOX", [] { return checkBoxStrip(look(), QSize(13, 13), 13); });
    r.add("PROTEIN_RADIOBUTTON", [] { return radioStrip(look(), QSize(13, 13), 13); });
    r.add("PROTEIN_TITLEBTN", [] {
        const QImage bg = repeatColumn(columnSlice(titleBand(443), 300, kButtonTop, 19), 19);
        return titleButtonStrip(QSize(19, 19), bg, true, paintTitleButton);
    });
    r.add("PROTEIN_TITLE_LEFT", [] { return cutTitle(titleBand(443), 441, 1, 1).left; });
    r.add("PROTEIN_TITLE_CLIENT", [] { return cutTitle(titleBand(443), 441, 1, 1).client; });
    r.add("PROTEIN_TITLE_RIGHT", [] { return cutTitle(titleBand(443), 441, 1, 1).right; });
    r.add("PROTEIN_PROGRESSBAR", [] { return progressPicture(look().accentFill, QSize(1, 10), 90, QColor(0, 0, 0, 0)); });
    r.add("PROTEIN_TRACKBAR_BAR", [] { return trackBarGroove(look(), QSize(45, 4)); });
    r.add("PROTEIN_TRACKBAR_SLIDER", [] { return trackSlider(look(), QSize(11, 20), true); });
    r.add("PROTEIN_TRACKBAR_SLIDER_V", [] { return trackSlider(look(), QSize(18, 11), false); });
    r.add("PROTEIN_SCROLLBAR_BUTTON", [] { return scrollButtonStrip(look(), QSize(16, 16)); });
    r.add("PROTEIN_SCROLLBAR_TRACK", [] { return scrollThumbStrip(look(), QSize(7, 16), 1); });
    r.add("PROTEIN_CHECKLIST", [] { return checkListStrip(look(), QSize(11, 11)); });
    r.add("PROTEIN_TAB", [] {
        return tabPicture(look(), QSize(18, 17), Face{rgb(0x3C3C3C), stops({{0, Qt::white}, {1, rgb(0xEFEFEF)}})});
    });
    r.add("PROTEIN_TAB_LINE", [] {
        return tabLine(QSize(10, 5), stops({{0, rgb(0x3C3C3C)}, {0.19, rgb(0x3C3C3C)}, {0.21, Qt::white}, {1, rgb(0xEEEEEE)}}));
    });
    r.add("PROTEIN_SIDECHENNEL_HANDLE", [] {
        return sideHandle(look(), QSize(8, 83), Face{rgb(0x3C3C3C), stops({{0, Qt::white}, {1, rgb(0xE2E2E2)}})}, kRed);
    });
    r.add("PROTEIN_SIDECHENNEL_BAR", [] {
        return verticalBand(QSize(1, 21), stops({{0, rgb(0x5E5E65)}, {0.5, rgb(0x3A3A40)}, {0.86, rgb(0x29292D)},
                                                 {0.88, kRed}, {1, kRedDark}}));
    });
    r.add("PROTEIN_FORM_BACKGROUND", [] {
        QImage img(8, 8, QImage::Format_RGB32);
        img.fill(kCanvas);
        return img;
    });
}

} // namespace artgen
