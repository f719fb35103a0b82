// Fuzz target: JPEG pictures through TJPEGImage (libjpeg with the framework's size, warning and
// scan limits, CMYK conversion). Corrupt data raises EInvalidGraphic, which is fine; a crash, a
// sanitizer report, a hang, or a picture outside the size limits is a finding.
#include "framework/Jpeg.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TJPEGImage jpeg;
    try {
        jpeg.LoadFromBytes(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
    } catch (const EInvalidGraphic&) {
        if (!jpeg.Empty())
            __builtin_trap();  // a refused file leaves the picture as it was: empty
        return 0;
    }
    if (size > 0 && (jpeg.Width() < 1 || jpeg.Height() < 1 || jpeg.Width() > MaxBitmapSide ||
                     jpeg.Height() > MaxBitmapSide || int64_t(jpeg.Width()) * jpeg.Height() > MaxBitmapPixels))
        __builtin_trap();
    return 0;
}
