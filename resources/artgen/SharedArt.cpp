// Bitmaps that do not belong to one style: the menu check mark, the MDI control glyphs, the
// panel's push/pop button, the popup window's picture and the shared scroll arrows.
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/CommonArt.h"

#include <QRadialGradient>

namespace artgen {

namespace {

// The menu check mark: a crisp three-pixel-thick tick in black on white (menus mask white out).
QImage menuChecked()
{
    QImage img(16, 16, QImage::Format_RGB32);
    img.fill(Qt::white);
    const int tops[7] = {7, 8, 9, 8, 7, 6, 5}; // columns 4..10
    for (int i = 0; i < 7; ++i)
        for (int y = tops[i]; y < tops[i] + 3; ++y)
            img.setPixel(4 + i, y, qRgb(0, 0, 0));
    return img;
}

// Minimise, restore and close glyphs of a maximised MDI child, dark on fuchsia.
QImage mdiControlButton()
{
    std::vector<QImage> frames;
    const QColor ink = rgb(0x202020);
    for (Glyph g : {Glyph::Minimize, Glyph::Restore, Glyph::Close}) {
        QImage layer = newLayer(16, 16);
        {
            LayerPainter p(&layer, g == Glyph::Close);
            const QRectF box = g == Glyph::Close ? QRectF(4, 4, 8, 8) : QRectF(3, 3, 10, 9);
            drawGlyph(p, g, box, ink, 2);
        }
        frames.push_back(keyOut(layer, rgb(0xDADADA)));
    }
    return hstrip(frames);
}

// Push/pop button of the side panel: expanded, expanded hot, pushed, pushed hot.
QImage panelButton()
{
    std::vector<QImage> frames;
    for (int i = 0; i < 4; ++i) {
        const bool hot = i % 2 == 1;
        const bool pushed = i >= 2;
        QImage layer = newLayer(13, 12);
        {
            LayerPainter p(&layer);
            const Face face = hot ? Face{rgb(0x3C6FA8), stops({{0, Qt::white}, {1, rgb(0xD6E6F8)}})}
                                  : Face{rgb(0x7A7A7A), stops({{0, Qt::white}, {1, rgb(0xDEDEDE)}})};
            paintFace(p, QRectF(0, 0, 13, 12), 0, face);
            drawGlyph(p, pushed ? Glyph::ChevronDown : Glyph::ChevronUp, QRectF(3, 3.5, 7, 4.5),
                      hot ? rgb(0x1E4E8A) : rgb(0x303030), 1.6);
        }
        frames.push_back(flatten(layer, Qt::white));
    }
    return hstrip(frames);
}

// The popup notification window: a blue-framed card with a title strip (title text at (10, 5)),
// a pale body for the message (from (10, 40)) and a close mark at (162..175, 6..19).
QImage msnPopForm()
{
    const int W = 181, H = 116;
    QImage layer = newLayer(W, H);
    {
        LayerPainter p(&layer);
        p.fillRect(QRectF(0, 0, W, H), rgb(0x3A5A8C));
        p.fillRect(QRectF(1, 1, W - 2, H - 2), vgrad(1, H - 1, stops({{0, rgb(0xFFFFFF)}, {1, rgb(0xDCE8F7)}})));
        p.fillRect(QRectF(1, 1, W - 2, 25), vgrad(1, 26, stops({{0, rgb(0xE4EEFA)}, {1, rgb(0xB9D0EE)}})));
        p.fillRect(QRectF(1, 1, W - 2, 1), Qt::white);
        p.fillRect(QRectF(1, 26, W - 2, 1), rgb(0x8FAAD2));
        p.fillRect(QRectF(1, 27, W - 2, 1), alpha(Qt::white, 200));
        // soft rings in the lower right corner
        p.save();
        p.setClipRect(QRectF(1, 28, W - 2, H - 29));
        for (int i = 0; i < 3; ++i) {
            QRadialGradient g(QPointF(W - 12, H - 6), 70 - i * 18);
            g.setColorAt(0, alpha(rgb(0x9CC0EA), 0));
            g.setColorAt(0.85, alpha(rgb(0x9CC0EA), 50));
            g.setColorAt(1, alpha(rgb(0x9CC0EA), 0));
            p.fillRect(QRectF(W - 90, H - 80, 90, 80), g);
        }
        p.restore();
        // close mark
        const QRectF mark(162, 6, 14, 14);
        paintFace(p, mark, 2, Face{rgb(0x6A88B8), stops({{0, Qt::white}, {1, rgb(0xD2E0F4)}})});
        drawGlyph(p, Glyph::Close, QRectF(166, 10, 6, 6), rgb(0x2A4470), 1.6);
    }
    return flatten(layer, Qt::white);
}

ControlLook moreLook()
{
    ControlLook l;
    l.canvas = rgb(0xE8E8E8);
    l.radius = 2;
    l.normal = {rgb(0x5A6E8C), stops({{0, rgb(0xF6F8FB)}, {1, rgb(0xD2DAE6)}})};
    l.glyph = rgb(0x1E2E48);
    return l;
}

} // namespace

void registerSharedArt(ArtRegistry& r)
{
    r.add("MENU_CHECKED", menuChecked);
    r.add("MDI_CONTROL_BUTTON", mdiControlButton);
    r.add("PANEL_BUTTON", panelButton);
    r.add("MSNPOPFORM", msnPopForm);
    r.add("MORE_SCROLLBUTTON", [] { return arrowButtonStrip(moreLook(), QSize(18, 17)); });
}

} // namespace artgen
