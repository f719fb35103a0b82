#include "resources/artgen/MainWindowPictures.h"

#include "resources/artgen/ArtKit.h"
#include "resources/artgen/ArtRegistry.h"
#include "resources/artgen/BmpWriter.h"

#include <QDir>
#include <QImageWriter>

#include <cmath>
#include <vector>

namespace artgen {

namespace {

// Stroke glyphs of the label text on a 4 x 6 grid, so the picture does not depend on fonts.
std::vector<std::vector<QPointF>> strokes(QChar c)
{
    switch (c.toLatin1()) {
    case 'R': return {{{0, 6}, {0, 0}, {3, 0}, {4, 1}, {4, 2}, {3, 3}, {0, 3}}, {{2, 3}, {4, 6}}};
    case 'Q': return {{{1, 0}, {3, 0}, {4, 1}, {4, 5}, {3, 6}, {1, 6}, {0, 5}, {0, 1}, {1, 0}}, {{2.5, 4.5}, {4.3, 6.3}}};
    case '_': return {{{0, 6.6}, {4, 6.6}}};
    case '2': return {{{0, 1}, {1, 0}, {3, 0}, {4, 1}, {4, 2}, {0, 6}, {4, 6}}};
    case '7': return {{{0, 0}, {4, 0}, {1.6, 6}}};
    case 'M': return {{{0, 6}, {0, 0}, {2, 3.2}, {4, 0}, {4, 6}}};
    default: return {};
    }
}

void strokeText(QPainter& p, const QString& text, QPointF origin, qreal scale, const QColor& colour, qreal weight)
{
    QPainterPath path;
    qreal x = origin.x();
    for (QChar c : text) {
        for (const auto& line : strokes(c)) {
            path.moveTo(x + line[0].x() * scale, origin.y() + line[0].y() * scale);
            for (size_t i = 1; i < line.size(); ++i)
                path.lineTo(x + line[i].x() * scale, origin.y() + line[i].y() * scale);
        }
        x += 5.6 * scale;
    }
    p.strokePath(path, QPen(colour, weight, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin));
}

} // namespace

QImage productPicture()
{
    const int W = 110, H = 50;
    QImage layer = newLayer(W, H);
    {
        LayerPainter p(&layer);
        // studio backdrop
        p.fillRect(QRectF(0, 0, W, H), vgrad(0, H, stops({{0, rgb(0xF4F6F8)}, {1, rgb(0xD5DAE0)}})));
        // soft shadow under the board
        p.fillPath(roundedRect(QRectF(7, 13, 86, 35), 3), alpha(Qt::black, 45));
        // the board
        const QRectF board(4, 9, 86, 35);
        p.fillPath(roundedRect(board, 2.5), rgb(0x0F4D2A));
        p.fillPath(roundedRect(board.adjusted(0.8, 0.8, -0.8, -0.8), 2),
                   vgrad(board.top(), board.bottom(), stops({{0, rgb(0x2F8A4E)}, {1, rgb(0x1B6B3A)}})));
        // copper traces
        p.setPen(QPen(alpha(rgb(0x9BD3A0), 140), 0.8));
        p.drawLine(QPointF(50, 20), QPointF(62, 20));
        p.drawLine(QPointF(62, 20), QPointF(66, 16));
        p.drawLine(QPointF(50, 34), QPointF(78, 34));
        p.drawLine(QPointF(78, 34), QPointF(84, 28));
        p.drawLine(QPointF(84, 28), QPointF(88, 28));
        p.setPen(Qt::NoPen);
        // edge pins along the bottom
        for (int i = 0; i < 10; ++i) {
            const qreal x = 9 + i * 7.6;
            p.fillRect(QRectF(x, 41, 3.4, 5), vgrad(41, 46, stops({{0, rgb(0xF6D77A)}, {1, rgb(0xB8892E)}})));
        }
        // shielding can with its label
        const QRectF can(9, 12, 40, 27);
        p.fillPath(roundedRect(can, 1.5), rgb(0x7C848C));
        p.fillPath(roundedRect(can.adjusted(0.8, 0.8, -0.8, -0.8), 1),
                   vgrad(can.top(), can.bottom(), stops({{0, rgb(0xF2F4F6)}, {0.45, rgb(0xC9CED4)}, {1, rgb(0xA7AEB6)}})));
        p.fillRect(QRectF(can.left() + 2, can.top() + 1.5, can.width() - 4, 1), alpha(Qt::white, 200));
        const QRectF label(can.left() + 3, can.top() + 8, can.width() - 6, 11);
        p.fillPath(roundedRect(label, 1), Qt::white);
        strokeText(p, QStringLiteral("RQ_27M"), QPointF(label.left() + 2.2, label.top() + 2.2), 0.97, rgb(0x101418), 1.05);
        p.fillRect(QRectF(label.left() + 2, label.bottom() - 1.6, 8, 0.8), rgb(0xD11F2A));
        // crystal, chip, passives and a status LED
        p.fillPath(roundedRect(QRectF(54, 13, 12, 5), 2.5), vgrad(13, 18, stops({{0, rgb(0xEEF0F2)}, {1, rgb(0x9AA2AA)}})));
        p.fillPath(roundedRect(QRectF(55, 23, 13, 9), 1), rgb(0x1C1E21));
        p.fillRect(QRectF(56, 24, 4, 1), alpha(Qt::white, 60));
        for (int i = 0; i < 4; ++i) {
            p.fillRect(QRectF(54 + i * 3.5, 21.5, 1.2, 1.5), rgb(0xC0C4C8));
            p.fillRect(QRectF(54 + i * 3.5, 32, 1.2, 1.5), rgb(0xC0C4C8));
        }
        for (int i = 0; i < 3; ++i)
            p.fillRect(QRectF(72 + i * 5, 14, 3, 1.8), rgb(0xB08A5A));
        p.fillRect(QRectF(72, 23, 3.5, 2), rgb(0x303030));
        p.fillRect(QRectF(77, 23, 3.5, 2), rgb(0xB08A5A));
        p.fillPath(ellipse(QRectF(83, 13.5, 3.5, 3.5)), rgb(0xFF5A3C));
        p.fillPath(ellipse(QRectF(83.8, 14.1, 1.4, 1.4)), alpha(Qt::white, 200));
        // helical antenna standing on the right end of the board
        p.fillRect(QRectF(90, 24, 5, 3), rgb(0xB8892E));
        QPen coil(rgb(0x9A6A1E), 1.3);
        p.setBrush(Qt::NoBrush);
        for (int i = 0; i < 9; ++i) {
            const qreal y = 4 + i * 2.6;
            p.setPen(coil);
            p.drawArc(QRectF(94, y, 9, 3.2), 0, 180 * 16);
            p.setPen(QPen(rgb(0xE8B860), 1.1));
            p.drawArc(QRectF(94, y + 0.2, 9, 3.2), 180 * 16, 180 * 16);
        }
        p.setPen(QPen(rgb(0xB8892E), 1.2));
        p.drawLine(QPointF(98.5, 27.6), QPointF(95, 25.5));
    }
    return flatten(layer, Qt::white);
}

bool writeMainWindowPictures(const QString& dir, QString* error)
{
    if (!QDir().mkpath(dir)) {
        *error = QStringLiteral("cannot create %1").arg(dir);
        return false;
    }
    const ArtRegistry registry = fullRegistry();
    auto draw = [&](const char* name) { return (*registry.find(QString::fromLatin1(name)))(); };
    auto put = [&](const QString& file, const QImage& img, int bits) {
        if (!writeBmp(QDir(dir).filePath(file), img, bits)) {
            *error = QStringLiteral("cannot write %1").arg(file);
            return false;
        }
        return true;
    };
    if (!put("TitleLeft.bmp", draw("PROTEIN_TITLE_LEFT"), 24) || !put("TitleClient.bmp", draw("PROTEIN_TITLE_CLIENT"), 24)
        || !put("TitleRight.bmp", draw("PROTEIN_TITLE_RIGHT"), 24))
        return false;
    // The stored title buttons are the Protein control-box and close frames.
    const QImage strip = draw("PROTEIN_TITLEBTN");
    const int fw = strip.width() / 18;
    const char* states[3] = {"Normal", "Over", "Down"};
    for (int s = 0; s < 3; ++s) {
        if (!put(QStringLiteral("BtnControlBox_%1.bmp").arg(QLatin1String(states[s])), strip.copy(fw * s, 0, fw, fw), 32)
            || !put(QStringLiteral("BtnClose_%1.bmp").arg(QLatin1String(states[s])), strip.copy(fw * (15 + s), 0, fw, fw), 32))
            return false;
    }
    QImageWriter writer(QDir(dir).filePath(QStringLiteral("img2.jpg")), "jpeg");
    writer.setQuality(92);
    if (!writer.write(productPicture().convertToFormat(QImage::Format_RGB32))) {
        *error = QStringLiteral("cannot write img2.jpg: %1").arg(writer.errorString());
        return false;
    }
    return true;
}

} // namespace artgen
