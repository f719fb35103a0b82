// Parametric painters for the controls every style has: each style passes its own colours and
// shapes, so the layouts (frame order, which parts are keyed) stay the same across styles.
#pragma once

#include "resources/artgen/ArtKit.h"

#include <QSize>

#include <array>
#include <functional>

namespace artgen {

// One state of a raised surface: outline, fill, optional inner ring and glossy highlight.
struct Face {
    QColor border;
    QGradientStops fill;                 // top to bottom (or left to right, see the painter)
    QColor ring = QColor(0, 0, 0, 0);    // inner ring, e.g. a hover glow
    qreal ringWidth = 0;
    int gloss = 0;                       // alpha of the white highlight on the upper half
};

// The colours and shapes of one style's small controls.
struct ControlLook {
    QColor canvas;       // what opaque control pictures are composed on (the form colour)
    QColor scrollCanvas; // scroll-bar background
    qreal radius = 2;    // corner radius of boxes and small buttons
    Face normal, hover, pressed, disabled; // neutral faces: scroll buttons, arrow buttons, tabs
    QColor glyph, glyphDisabled;           // arrows
    QColor accent;                         // check marks and radio dots
    QGradientStops accentFill;             // filled accents: progress, aqua boxes
    QColor accentBorder;
    QColor boxBorder, boxBorderDisabled;
    QGradientStops boxFill, boxFillDisabled;
    bool filledCheck = false; // checked boxes are filled with the accent and marked in white
    QColor grooveBorder;
    QGradientStops grooveFill;
    Face thumb;  // scroll-bar thumb
    Face slider; // track-bar slider
    QColor sliderMark; // stripe or grip on the slider
};

// Paints a face into r (pixel edges): the outline is the outer pixel ring, the fill the inside.
// vertical = true runs the fill gradient top to bottom, else left to right.
void paintFace(QPainter& p, const QRectF& r, qreal radius, const Face& face, bool vertical = true);

// Push-button strip: normal, mouse over, pressed, each of the frame size.
QImage pushButtonStrip(QSize frame, qreal radius, const std::array<Face, 3>& states, const QColor& canvas,
                       bool keyed);

// Check box strip, four frames: checked, unchecked, checked disabled, unchecked disabled. The box
// (box x box pixels, centred) is composed on the canvas colour: check boxes are drawn opaque.
QImage checkBoxStrip(const ControlLook& look, QSize frame, int box);
// Radio button strip with the same frame order; keyed, so corners are fuchsia.
QImage radioStrip(const ControlLook& look, QSize frame, int box);
// Scroll-bar buttons as drawn for a vertical bar: up normal, hover, pressed; down normal, hover,
// pressed. Opaque on the scroll-bar colour.
QImage scrollButtonStrip(const ControlLook& look, QSize frame);
// Scroll-bar thumb pieces for a horizontal thumb: start cap, middle, end cap. Opaque.
QImage scrollThumbStrip(const ControlLook& look, QSize piece, int inset);
// Track-bar groove: left end, middle, right end of equal width; keyed rounded ends.
QImage trackBarGroove(const ControlLook& look, QSize size);
// Track-bar slider: horizontal ones point down and are keyed; vertical ones point right and are
// opaque on the canvas colour.
QImage trackSlider(const ControlLook& look, QSize size, bool horizontal);
// Progress fill, stretched by its user over the filled length.
QImage progressPicture(const QGradientStops& fill, QSize size, int gloss, const QColor& edge);
// Check-list marks, four frames: checked, unchecked, checked disabled, unchecked disabled; opaque
// on white (list boxes are white).
QImage checkListStrip(const ControlLook& look, QSize frame);
// Small arrow buttons, four frames: left, right, up, down. Opaque on the canvas colour.
QImage arrowButtonStrip(const ControlLook& look, QSize frame);
// A tab: rounded top corners keyed, open at the bottom.
QImage tabPicture(const ControlLook& look, QSize size, const Face& face);
// The line under a row of tabs: given rows of colour from the top.
QImage tabLine(QSize size, const QGradientStops& rows);
// A side-panel handle: a narrow vertical tab with grip dots and an arrow; keyed.
QImage sideHandle(const ControlLook& look, QSize size, const Face& face, const QColor& mark);
// A picture filled with a vertical gradient.
QImage verticalBand(QSize size, const QGradientStops& s);

// Title-bar buttons.
enum class TitleKind { ControlBox, Help, Maximize, Restore, Minimize, Close };
enum class TitleState { Normal, Hover, Pressed };
Glyph glyphFor(TitleKind kind);
using TitleButtonPainter = std::function<void(QPainter&, const QRectF& frame, TitleKind, TitleState)>;
// The 18-frame strip: control box, help, maximize, restore, minimize, close, each normal, hover,
// pressed. Each frame is painted on a layer, then keyed or flattened on the background picture
// (frame-sized: the title bar under the button).
QImage titleButtonStrip(QSize frame, const QImage& background, bool keyed, const TitleButtonPainter& paint);

// The three title sections cut from one band drawn at full width (left + client + right).
struct TitleCut {
    QImage left, client, right;
};
TitleCut cutTitle(const QImage& band, int leftWidth, int clientWidth, int rightWidth);

} // namespace artgen
