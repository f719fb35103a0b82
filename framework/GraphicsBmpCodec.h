// Windows bitmap file codec: a bounds-checked decoder for untrusted bitmap files and a writer.
#pragma once

#include "framework/Graphics.h"

#include <QByteArray>
#include <QImage>
#include <cstddef>
#include <cstdint>

struct TDecodedBitmap {
    QImage Image;  // Format_RGB32
    TPixelFormat PixelFormat = pf24bit;
    size_t Consumed = 0;  // bytes of the file the bitmap occupies
};

// Decodes a bitmap file (BITMAPFILEHEADER onward): core, info, V2-V5 and OS/2 headers; 1, 4, 8 bits
// with palette, 16 (555 or bit fields), 24 and 32 bits, RLE8 and RLE4, bottom-up or top-down.
// Returns false for anything malformed, truncated or larger than MaxBitmapSide/MaxBitmapPixels.
bool DecodeBitmapFile(const uint8_t* data, size_t size, TDecodedBitmap& out);

// Writes an uncompressed bottom-up bitmap file of 24 bits per pixel, or 32 with bits32.
QByteArray EncodeBitmapFile(const QImage& image, bool bits32);
