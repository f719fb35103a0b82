// Drawing toolkit shared by the style painters: layers, colour keying, gradients, shapes, glyphs.
//
// Pictures are painted antialiased into a transparent layer first. A layer is then either
// flattened onto the colour (or picture) it will be shown on, or keyed: pixels the shape covers
// at least half become opaque colour blended against the intended background, the rest become
// exact fuchsia. Edge pixels are therefore never a pinkish mix of shape and key colour.
#pragma once

#include <QColor>
#include <QGradientStops>
#include <QImage>
#include <QPainter>
#include <QPainterPath>
#include <QRectF>

#include <initializer_list>
#include <vector>

namespace artgen {

// The fixed key colour of skin pictures.
constexpr QRgb kFuchsia = 0xFFFF00FFu;

// An opaque colour from 0xRRGGBB.
QColor rgb(unsigned value);
// An opaque colour from a framework colour value $00BBGGRR.
QColor tcolor(unsigned value);
// Linear mix: t = 0 gives a, t = 1 gives b.
QColor mix(const QColor& a, const QColor& b, qreal t);
// The colour with the given alpha (0..255).
QColor alpha(const QColor& c, int a);

// A transparent, premultiplied layer of the given size.
QImage newLayer(int width, int height);
// Composites a layer over a solid colour; the result is fully opaque.
QImage flatten(const QImage& layer, const QColor& background);
// Composites a layer over a picture of the same size; the result is fully opaque.
QImage flatten(const QImage& layer, const QImage& background);
// Keys a layer: pixels with coverage below minAlpha become fuchsia, the others are composited
// over the background colour (or picture of the same size).
QImage keyOut(const QImage& layer, const QColor& background, int minAlpha = 128);
QImage keyOut(const QImage& layer, const QImage& background, int minAlpha = 128);
// Places frames of equal height side by side.
QImage hstrip(const std::vector<QImage>& frames);
// A picture of the given width whose every column is the given one-pixel column.
QImage repeatColumn(const QImage& column, int width);
// Rows [top, top + height) of a picture's column x, as a one-pixel-wide picture.
QImage columnSlice(const QImage& picture, int x, int top, int height);
// Scales every channel of an opaque picture towards grey by the given amount (disabled looks).
QImage desaturate(const QImage& picture, qreal amount);

// Gradient stops from (position, colour) pairs.
QGradientStops stops(std::initializer_list<std::pair<qreal, QColor>> list);
// A vertical (top to bottom) or horizontal (left to right) linear gradient brush.
QBrush vgrad(qreal y0, qreal y1, const QGradientStops& s);
QBrush hgrad(qreal x0, qreal x1, const QGradientStops& s);

// Shapes.
QPainterPath roundedRect(const QRectF& r, qreal radius);
QPainterPath topRoundedRect(const QRectF& r, qreal radius);
QPainterPath ellipse(const QRectF& r);

// A painter on a layer, antialiased, with the usual settings for this generator.
class LayerPainter : public QPainter
{
public:
    explicit LayerPainter(QImage* layer, bool antialias = true);
};

// Glyphs drawn as vector paths, so that the output never depends on installed fonts.
enum class Glyph {
    ControlBox, // small window with a menu bar: the window menu
    Help,       // question mark
    Maximize,   // a window outline with a thick top edge
    Restore,    // two overlapping windows
    Minimize,   // a bar at the bottom
    Close,      // a diagonal cross
    Check,      // check mark
    ArrowUp,    // filled triangles
    ArrowDown,
    ArrowLeft,
    ArrowRight,
    ChevronUp, // open chevrons
    ChevronDown,
};

// Draws a glyph centred in box, with the given colour and stroke weight (pixels).
void drawGlyph(QPainter& p, Glyph g, const QRectF& box, const QColor& colour, qreal weight);
// A soft highlight ellipse used for glossy surfaces: white fading out from top to bottom.
void drawGloss(QPainter& p, const QPainterPath& clip, const QRectF& area, int topAlpha, int bottomAlpha);

} // namespace artgen
