#include "SkinArt.h"

#include <QFile>
#include <QTransform>

namespace skinart {

QImage NewCanvas(int w, int h)
{
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::transparent);
    return img;
}

QImage Flatten(const QImage& drawn, const QColor& matte, bool opaque)
{
    const QImage src = drawn.convertToFormat(QImage::Format_ARGB32);
    QImage out(src.size(), QImage::Format_RGB32);
    for (int y = 0; y < src.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < src.width(); ++x) {
            const int a = qAlpha(s[x]);
            const QColor full = QColor::fromRgb(s[x]);  // ARGB32 holds the unpremultiplied colour
            bool transparent = false;
            QColor c;
            if (a == 255) {
                c = full;
            } else if (a == 0) {
                transparent = !(opaque && matte.isValid());
                c = transparent ? Magenta : matte;
            } else if (matte.isValid()) {
                transparent = !opaque && a <= 24;
                c = transparent ? Magenta : Mix(full, matte, a / 255.0);
            } else {
                transparent = a < 128;
                c = transparent ? Magenta : full;
            }
            // Nothing drawn may come out as the transparent colour by accident.
            if (!transparent && c == Magenta)
                c = QColor(254, 0, 254);
            d[x] = c.rgb() | 0xFF000000u;
        }
    }
    return out;
}

QImage Piece(int w, int h, const QColor& matte, const std::function<void(QPainter&)>& draw, bool opaque)
{
    QImage img = NewCanvas(w, h);
    {
        QPainter p(&img);
        p.setRenderHint(QPainter::Antialiasing, true);
        draw(p);
    }
    return Flatten(img, matte, opaque);
}

QLinearGradient Vertical(double y0, double y1, std::initializer_list<std::pair<double, QColor>> stops)
{
    QLinearGradient g(0, y0, 0, y1);
    for (const auto& [t, c] : stops)
        g.setColorAt(t, c);
    return g;
}

QLinearGradient Horizontal(double x0, double x1, std::initializer_list<std::pair<double, QColor>> stops)
{
    QLinearGradient g(x0, 0, x1, 0);
    for (const auto& [t, c] : stops)
        g.setColorAt(t, c);
    return g;
}

QImage Strip(const std::vector<QImage>& frames)
{
    int w = 0, h = 0;
    for (const auto& f : frames) {
        w += f.width();
        h = std::max(h, f.height());
    }
    QImage out(w, h, QImage::Format_RGB32);
    out.fill(Magenta);
    QPainter p(&out);
    int x = 0;
    for (const auto& f : frames) {
        p.drawImage(x, 0, f);
        x += f.width();
    }
    return out;
}

QImage Rotated(const QImage& img) { return img.transformed(QTransform().rotate(90)); }

bool WriteBmp(const QString& path, const QImage& img)
{
    const QImage src = img.convertToFormat(QImage::Format_RGB32);
    const int w = src.width(), h = src.height();
    const int stride = (w * 3 + 3) & ~3;
    const quint32 dataSize = quint32(stride * h);
    QByteArray b;
    auto p16 = [&](quint32 v) { b.append(char(v & 0xFF)); b.append(char((v >> 8) & 0xFF)); };
    auto p32 = [&](quint32 v) { p16(v & 0xFFFF); p16(v >> 16); };
    b.append("BM");
    p32(54 + dataSize);
    p32(0);
    p32(54);
    p32(40);
    p32(quint32(w));
    p32(quint32(h));
    p16(1);
    p16(24);
    p32(0);
    p32(dataSize);
    p32(2835);
    p32(2835);
    p32(0);
    p32(0);
    for (int y = h - 1; y >= 0; --y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(src.constScanLine(y));
        for (int x = 0; x < w; ++x) {
            b.append(char(qBlue(row[x])));
            b.append(char(qGreen(row[x])));
            b.append(char(qRed(row[x])));
        }
        for (int k = w * 3; k < stride; ++k)
            b.append('\0');
    }
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) && f.write(b) == b.size();
}

QColor Mix(const QColor& a, const QColor& b, double t)
{
    auto m = [t](int x, int y) { return int(x * t + y * (1 - t) + 0.5); };
    return QColor(m(a.red(), b.red()), m(a.green(), b.green()), m(a.blue(), b.blue()));
}

QString TColorText(const QColor& c)
{
    return QStringLiteral("$00%1%2%3")
        .arg(c.blue(), 2, 16, QLatin1Char('0'))
        .arg(c.green(), 2, 16, QLatin1Char('0'))
        .arg(c.red(), 2, 16, QLatin1Char('0'))
        .toUpper();
}

}  // namespace skinart
