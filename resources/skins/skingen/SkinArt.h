// Drawing helpers of the sample-skin generator: images with the skin's fixed transparent colour
// ($FF00FF), gradients, 24-bit Windows bitmap files.
#pragma once

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QString>
#include <functional>

namespace skinart {

// The skin pictures' fixed transparent colour.
inline const QColor Magenta(255, 0, 255);

// A transparent 32-bit image to draw a piece into, antialiased.
QImage NewCanvas(int w, int h);

// Turns a drawn piece into an opaque picture: fully drawn pixels keep their colour, partly drawn
// ones are blended over Matte (when valid) or kept at full colour when at least half drawn, and
// the rest become magenta (transparent) or Matte when Opaque.
QImage Flatten(const QImage& drawn, const QColor& matte, bool opaque = false);

// Draws into a fresh canvas and flattens it.
QImage Piece(int w, int h, const QColor& matte, const std::function<void(QPainter&)>& draw, bool opaque = false);

// A vertical linear gradient from y0 to y1 through the given stops.
QLinearGradient Vertical(double y0, double y1, std::initializer_list<std::pair<double, QColor>> stops);
QLinearGradient Horizontal(double x0, double x1, std::initializer_list<std::pair<double, QColor>> stops);

// Frames of equal width side by side.
QImage Strip(const std::vector<QImage>& frames);

// Rotates a quarter turn clockwise.
QImage Rotated(const QImage& img);

// Writes a 24-bit bottom-up Windows bitmap file; false on failure.
bool WriteBmp(const QString& path, const QImage& img);

// Blends a over b by t (0 = b, 1 = a).
QColor Mix(const QColor& a, const QColor& b, double t);

// TColor text ($00BBGGRR) of a colour.
QString TColorText(const QColor& c);

}  // namespace skinart
