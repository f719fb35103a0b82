// A small Windows BMP writer with fixed header values, so that the same picture always gives the
// same bytes. Pictures are written bottom-up, uncompressed (BI_RGB).
#pragma once

#include <QByteArray>
#include <QImage>
#include <QString>

namespace artgen {

// 24 bits per pixel.
QByteArray encodeBmp24(const QImage& image);
// 32 bits per pixel (blue, green, red, then an alpha byte of 255).
QByteArray encodeBmp32(const QImage& image);
// 8 bits per pixel with a palette of the picture's colours (at most 256, in order of first
// appearance, scanning rows from the top). Pictures with more colours are reduced first by
// rounding channels to coarser steps until they fit.
QByteArray encodeBmp8(const QImage& image);

// Encodes with the given bit depth (8, 24 or 32) and writes the file; false on failure.
bool writeBmp(const QString& path, const QImage& image, int bitsPerPixel);

} // namespace artgen
