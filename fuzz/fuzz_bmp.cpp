// Fuzz target: the Windows bitmap decoder (every header kind, palettes, bit fields, RLE8/RLE4,
// bottom-up and top-down). Besides crashes and sanitizer reports, a decoded bitmap that breaks
// the decoder's promises traps: its size within the limits, opaque pixels in the format it says,
// and no more of the file consumed than there is.
#include "framework/GraphicsBmpCodec.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TDecodedBitmap out;
    if (!DecodeBitmapFile(data, size, out))
        return 0;
    const QImage& img = out.Image;
    if (img.isNull() || img.width() < 1 || img.height() < 1 || img.width() > MaxBitmapSide ||
        img.height() > MaxBitmapSide || int64_t(img.width()) * img.height() > MaxBitmapPixels ||
        img.format() != QImage::Format_RGB32 || out.Consumed > size)
        __builtin_trap();
    // Every pixel is readable and opaque, as Format_RGB32 requires (0xffRRGGBB).
    for (int y = 0; y < img.height(); ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(img.constScanLine(y));
        for (int x = 0; x < img.width(); ++x)
            if ((row[x] >> 24) != 0xFFu)
                __builtin_trap();
    }
    return 0;
}
