// The frame of a skinned window whose look comes from a skin file: the non-client border painted
// from the skin's border pictures, and the window's shape cut out of the skin's title and bottom
// pictures wherever they show the skin's transparent colour. The skinned form and the skinned MDI
// form both call these from their frame painting and their region code while a skin file is in
// use; everything they need of the frame travels in TkivSkinFrame, so this part knows neither
// frame class.
//
// Decisions:
// - The skin's pictures are drawn as they are, pixel for pixel (nearest pixel when stretched),
//   whatever their own Transparent says: they belong to the file theme and are never changed
//   here, and the frame's strips must cover the window under them.
// - The bottom picture is drawn into the composed bottom border without leaving anything out,
//   so pixels in the transparent colour stay in it: the region scan cuts them, and the frame
//   paints the form colour under them when the window takes a shape.
// - The composed bottom border is filled with the form colour first, so the parts no picture
//   covers (a right picture lower than the first, a missing middle picture) show the form colour
//   instead of whatever the bitmap held.
// - A hidden title bar counts as 0 high for the strip beside the menu bar: the menu bar then sits
//   just under the frame's top 3 rows.
// - Region rows are clamped to the picture, so region rows of a skin beyond its picture read
//   nothing outside it; empty or inverted rectangles (a window lower than its title and bottom
//   pictures together) are left out rather than swapped into rows that were meant to be cut.
// - The transparent colour is compared as the skin gives it: a missing colour (-1) or a system
//   colour leaves no pixel out, for the region and the composition alike.
// - The region recomposes the bottom border when it does not have the window's width (a size
//   change that arrives before any frame paint), so the cut follows the window's current width.
// - A missing skin picture draws nothing and counts as 0 pixels wide or high.
#pragma once

#include "framework/Colors.h"
#include "framework/Regions.h"

class TBitmap;
class TCanvas;
class TkivFileTheme;

// What the skin-file frame reads of the window it paints. Coordinates are window coordinates
// ((0, 0) at the window's top-left corner, frame included); W and H the window's size.
struct TkivSkinFrame {
    TkivFileTheme* Theme = nullptr;  // the skin in use (Ready)
    int W = 0;
    int H = 0;

    // The title bar: visible, its height, whether it can paint the frame's strips (exactly 3 or 5
    // sections), its composed image on its background (GetTitleImage(-2)) and without it
    // (GetTitleImage(-1)). The images may be null when the bar has none.
    bool TitleBarVisible = false;
    int TitleBarHeight = 0;
    bool TitleBarCanPaint = false;
    TBitmap* TitleComposed = nullptr;
    TBitmap* TitleRaw = nullptr;

    // The menu bar (for the MDI form: the menu panel and its bar) while one is visible.
    bool MenuBarVisible = false;
    int MenuBarHeight = 0;
    TColor MenuBarColor = clBtnFace;    // MenuBarColor of the frame
    TColor MenuBarToColor = clBtnFace;  // MenuBarToColor of the frame
    TColor MenuBarFill = clBtnFace;     // the menu bar's own Color (used when the two are equal)

    // The frame's fields set when the skin's look was applied.
    int SkinLeftWidth = 0;
    int SkinRightWidth = 0;
    int SkinBottomHeight = 0;
    TColor TransparentColor = TColor(0xFF00FF);
    bool TitleNeedsRegion = false;
    bool BottomNeedsRegion = false;
    int TitleRegionMinY = -1;
    int TitleRegionMaxY = -1;
    int BottomRegionMinY = -1;
    int BottomRegionMaxY = -1;

    // The frame's composed bottom border (24 bits per pixel), owned by the frame; recomposed by
    // KivSkinFramePaint, read by KivSkinFrameRegion.
    TBitmap* BottomBitmap = nullptr;
};

// Paints the frame on a canvas over the whole window (GetWindowDC): the title strips continued
// from the title image, the left and right border pictures (completed to 4 pixels with the skin's
// form colour, with the menu-bar strip beside a visible menu bar), and the bottom border composed
// into Frame.BottomBitmap.
void KivSkinFramePaint(TCanvas& WindowCanvas, const TkivSkinFrame& Frame);

// Composes Frame.BottomBitmap (width W, the height of the first bottom picture) without painting.
void KivSkinFrameComposeBottom(const TkivSkinFrame& Frame);

// The window's shape: the plain rectangle when neither flag asks for a shape, else the rows of
// the title and bottom pictures scanned for runs that are not the transparent colour, with the
// middle of the window in between. The caller owns the region (hands it to SetWindowRgn).
HRGN KivSkinFrameRegion(const TkivSkinFrame& Frame);
