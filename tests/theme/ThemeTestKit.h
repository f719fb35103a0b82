// Helpers of the theme tests: bitmaps whose pixels name their own coordinates, pixel reads,
// fills, and small skin files written with the skin tool's writer.
#pragma once

#include "framework/Graphics.h"
#include "tools/kvtool/KvSkinWriter.h"

#include <QFile>
#include <QString>
#include <string>
#include <vector>

namespace themetest {

// Pixel (x, y) of a coded bitmap is RGB(x, y, 1): red = x, green = y; never fuchsia.
inline TColor Code(int x, int y) { return TColor((x & 0xFF) | ((y & 0xFF) << 8) | (1 << 16)); }
inline int CodeX(TColor c) { return c & 0xFF; }
inline int CodeY(TColor c) { return (c >> 8) & 0xFF; }
inline bool IsCode(TColor c) { return ((c >> 16) & 0xFF) == 1; }

inline TColor Px(TBitmap& b, int x, int y) { return QRgbToColor(b.Image().pixel(x, y)); }

inline void SetPx(TBitmap& b, int x, int y, TColor c)
{
    QImage img = b.Image();
    img.setPixel(x, y, ColorToQRgb(c));
    b.SetImage(img);
}

inline void Fill(TBitmap& b, TColor c)
{
    QImage img = b.Image();
    img.fill(ColorToQRgb(c));
    b.SetImage(img);
}

// A w x h bitmap of coded pixels.
inline void MakeCoded(TBitmap& b, int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, ColorToQRgb(Code(x, y)));
    b.SetImage(img);
}

// A Windows bitmap file of w x h pixels of one colour.
inline std::vector<uint8_t> BmpBytes(int w, int h, TColor c)
{
    TBitmap b(w, h);
    Fill(b, c);
    const QByteArray bytes = b.SaveToBytes();
    return std::vector<uint8_t>(bytes.begin(), bytes.end());
}

inline bool WriteFile(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    return f.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
}

// A skin file whose form colour is FormColor, with a 6 x 2 button strip of ButtonColor.
inline std::vector<uint8_t> SkinBytes(TColor FormColor, TColor ButtonColor = clRed, const std::string& Password = {})
{
    TKvArchiveOptions o;
    o.Password = Password;
    return KvBuildArchive(KvBuildSkinData({KvIntValue("SKIN2_FORMCOLOR", int32_t(FormColor)),
                                           KvBitmapValue("SKIN2_BUTTON", BmpBytes(6, 2, ButtonColor))}),
                          o);
}

}  // namespace themetest
