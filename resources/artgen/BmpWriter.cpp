#include "resources/artgen/BmpWriter.h"

#include <QFile>
#include <QHash>

#include <algorithm>

#include <vector>

namespace artgen {

namespace {

constexpr quint32 kFileHeaderSize = 14;
constexpr quint32 kInfoHeaderSize = 40;
constexpr qint32 kPixelsPerMetre = 3780; // 96 pixels per inch

void put16(QByteArray& b, quint16 v)
{
    b.append(char(v & 0xFF));
    b.append(char(v >> 8));
}

void put32(QByteArray& b, quint32 v)
{
    for (int i = 0; i < 4; ++i)
        b.append(char((v >> (8 * i)) & 0xFF));
}

int rowStride(int width, int bits)
{
    return ((width * bits + 31) / 32) * 4;
}

QByteArray headers(const QImage& img, int bits, quint32 paletteEntries)
{
    const quint32 paletteBytes = paletteEntries * 4;
    const quint32 offset = kFileHeaderSize + kInfoHeaderSize + paletteBytes;
    const quint32 imageBytes = quint32(rowStride(img.width(), bits)) * quint32(img.height());
    QByteArray b;
    b.append("BM");
    put32(b, offset + imageBytes);
    put32(b, 0); // reserved
    put32(b, offset);
    put32(b, kInfoHeaderSize);
    put32(b, quint32(img.width()));
    put32(b, quint32(img.height())); // positive: bottom-up rows
    put16(b, 1);                     // planes
    put16(b, quint16(bits));
    put32(b, 0); // BI_RGB
    put32(b, imageBytes);
    put32(b, quint32(kPixelsPerMetre));
    put32(b, quint32(kPixelsPerMetre));
    put32(b, paletteEntries);
    put32(b, 0); // all colours important
    return b;
}

QByteArray encodeTrueColour(const QImage& image, int bits)
{
    const QImage img = image.convertToFormat(QImage::Format_RGB32);
    QByteArray b = headers(img, bits, 0);
    const int stride = rowStride(img.width(), bits);
    for (int y = img.height() - 1; y >= 0; --y) {
        const QRgb* line = reinterpret_cast<const QRgb*>(img.constScanLine(y));
        int written = 0;
        for (int x = 0; x < img.width(); ++x) {
            b.append(char(qBlue(line[x])));
            b.append(char(qGreen(line[x])));
            b.append(char(qRed(line[x])));
            written += 3;
            if (bits == 32) {
                b.append(char(0xFF));
                ++written;
            }
        }
        for (; written < stride; ++written)
            b.append('\0');
    }
    return b;
}

// Rounds every channel to a multiple of step (keeping the key colour exact).
QImage reduce(const QImage& img, int step)
{
    QImage out = img;
    for (int y = 0; y < out.height(); ++y) {
        QRgb* line = reinterpret_cast<QRgb*>(out.scanLine(y));
        for (int x = 0; x < out.width(); ++x) {
            if ((line[x] & 0xFFFFFF) == 0xFF00FF)
                continue;
            auto ch = [step](int c) { return std::min(255, ((c + step / 2) / step) * step); };
            line[x] = qRgb(ch(qRed(line[x])), ch(qGreen(line[x])), ch(qBlue(line[x])));
        }
    }
    return out;
}

} // namespace

QByteArray encodeBmp24(const QImage& image)
{
    return encodeTrueColour(image, 24);
}

QByteArray encodeBmp32(const QImage& image)
{
    return encodeTrueColour(image, 32);
}

QByteArray encodeBmp8(const QImage& image)
{
    QImage img = image.convertToFormat(QImage::Format_RGB32);
    std::vector<QRgb> palette;
    QHash<QRgb, int> index;
    for (int step = 1;; step *= 2) {
        const QImage candidate = step == 1 ? img : reduce(img, step);
        palette.clear();
        index.clear();
        bool fits = true;
        for (int y = 0; y < candidate.height() && fits; ++y)
            for (int x = 0; x < candidate.width(); ++x) {
                const QRgb c = candidate.pixel(x, y) | 0xFF000000u;
                if (!index.contains(c)) {
                    if (palette.size() == 256) {
                        fits = false;
                        break;
                    }
                    index.insert(c, int(palette.size()));
                    palette.push_back(c);
                }
            }
        if (fits) {
            img = candidate;
            break;
        }
    }
    QByteArray b = headers(img, 8, quint32(palette.size()));
    for (QRgb c : palette) {
        b.append(char(qBlue(c)));
        b.append(char(qGreen(c)));
        b.append(char(qRed(c)));
        b.append('\0');
    }
    const int stride = rowStride(img.width(), 8);
    for (int y = img.height() - 1; y >= 0; --y) {
        for (int x = 0; x < img.width(); ++x)
            b.append(char(index.value(img.pixel(x, y) | 0xFF000000u)));
        for (int pad = img.width(); pad < stride; ++pad)
            b.append('\0');
    }
    return b;
}

bool writeBmp(const QString& path, const QImage& image, int bitsPerPixel)
{
    QByteArray data;
    switch (bitsPerPixel) {
    case 8: data = encodeBmp8(image); break;
    case 24: data = encodeBmp24(image); break;
    case 32: data = encodeBmp32(image); break;
    default: return false;
    }
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(data) == data.size() && f.flush();
}

} // namespace artgen
