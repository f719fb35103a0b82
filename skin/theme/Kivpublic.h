// Unit Kivpublic: the skin library's toolbox. Cutting skin bitmaps into frames and slices and
// drawing them stretched or tiled, gradients, rotations and recolouring, window shapes, painting a
// parent under a "transparent" child, control borders, captions shortened with "...", system
// captions and fonts, and the container step of the style protocol.
//
// Rectangles are Left, Top, Right, Bottom with Right and Bottom exclusive unless a function says
// otherwise. Colours are TColor values; where RGB components are needed they pass ColorToRGB, so
// system colours are accepted. $FF00FF (clFuchsia) is the fixed transparent colour of skin bitmaps.
#pragma once

#include "framework/Colors.h"
#include "framework/Dialogs.h"
#include "framework/System.h"
#include "platform/WinTypes.h"
#include "skin/theme/KivpublicSystem.h"
#include "skin/theme/Kivthemes.h"

class TBitmap;
class TCanvas;
class TComponent;
class TControl;
class TCustomForm;
class TFont;
class TPicture;
class TWinControl;
class TkivFileTheme;

// The fixed transparent colour of skin bitmaps.
constexpr TColor KIV_TRANSPARENT_COLOR = clFuchsia;

// ---- bitmap cutting and drawing ----

// Puts frame FrameIndex (1-based) of FrameCount equal-width frames of Source into Dest, which takes
// the frame's size. Frame width = Source width div FrameCount; the last frame is taken flush with
// the right edge, so remainder columns between the second-last and the last frame are never used.
// Null bitmaps, a count below 1 or an index outside 1..FrameCount leave Dest unchanged.
void SpitBitmap(TBitmap* Source, TBitmap* Dest, int FrameCount, int FrameIndex);

// Nine-slice drawing of a skin bitmap over a client rectangle: four corners at their own size
// (at most half the rectangle, the right and bottom ones one pixel less), four edges stretched
// along the edge, a stretched centre. Pieces are placed from (0, 0) and from Rect's Right and
// Bottom; Rect's Left and Top take no part. The right and bottom pieces start one pixel past the
// bitmap's middle, and the bottom edge reaches one pixel left of the centre and one row up: skins
// are drawn for exactly this geometry. Corners leave $FF00FF out when Transparent is true; edges
// and centre always leave it out.
void SpitDraw(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, bool Transparent);

// Three-slice drawing of a strip of three frames (left cap, middle, right cap), all added masked
// with the corner pixel's colour (CornerPixelAsMask; the top-left pixel when SampleTop, else the
// bottom-left one) or with $FF00FF. Masked pixels of the middle show FillColor; the middle is
// stretched down to Rect's Bottom.
void SpitDrawHorizontal(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, bool CornerPixelAsMask,
                        TColor FillColor, bool SampleTop);
// Three-slice drawing with MaskColor left out when Transparent is true; the pieces are the
// bitmap's height tall whatever Rect's Bottom says.
void SpitDrawHorizontal2(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect, TColor MaskColor, bool Transparent);

// Tiles the picture unscaled from the canvas origin (not from Rect's Left and Top) until the tiles
// cover Rect's width and height; the last column and row may reach past. Only tiles that reach the
// canvas's visible area are drawn. An empty picture draws nothing.
void TileDraw(TCanvas* Canvas, const TPicture* Picture, const TRect& Rect);

// Stretches the whole bitmap smoothly (HALFTONE, left set on the canvas) onto Rect with SRCCOPY.
void ResizeImage(TBitmap* Bitmap, TCanvas* Canvas, const TRect& Rect);

// Fills Rect with horizontal lines from FromColor (row Top) to ToColor (row Bottom - 1); the rows
// between are interpolated per channel as From + trunc((To - From) / (Bottom - Top) * (y - Top - 1)).
// An empty or inverted rectangle draws nothing. The canvas's pen and pen position are restored
// afterwards. Only the visible rows are drawn, so the cost is bounded by the canvas.
void DrawHorizontalGradient(TCanvas* Canvas, const TRect& Rect, TColor FromColor, TColor ToColor);
// The same with vertical lines, from column Left to column Right - 1.
void DrawVerticalGradient(TCanvas* Canvas, const TRect& Rect, TColor FromColor, TColor ToColor);

// Rotations in place: RoundPicture a quarter turn counter-clockwise ((x, y) -> (y, w - 1 - x)),
// RoundPicture2 a half turn, RoundPicture3 a quarter turn clockwise ((x, y) -> (h - 1 - y, x)).
void RoundPicture(TBitmap* Bitmap);
void RoundPicture2(TBitmap* Bitmap);
void RoundPicture3(TBitmap* Bitmap);

// Sets the bitmap to 24 bits per pixel and replaces every pixel of OldColor with NewColor.
void ScanColor(TBitmap* Bitmap, TColor OldColor, TColor NewColor);

// ---- windows and controls ----

// Gives the window the shape of the bitmap: the union of the runs of pixels that are not
// TransparentColor, row by row. The bitmap's last column never belongs to the shape (a row's last
// column ends its run without being added). The shape becomes the window's widget mask; a bitmap
// with no opaque pixel hides the whole window. Unknown handles and null bitmaps are ignored.
void SetBitmapWindow(HWND Window, TBitmap* Bitmap, TColor TransparentColor);

// Paints Control's parent underneath the control into Canvas: the canvas's state is saved, its
// viewport shifted by (-Left, -Top) and clipped to the parent's client area, the parent is sent
// WM_ERASEBKGND and WM_PAINT with the canvas as WParam, and the state is restored. Nothing without
// a parent.
void DoTrans(TCanvas* Canvas, TControl* Control);

// Makes the control see-through: csOpaque leaves its ControlStyle, and its widget stops filling
// its own background (autoFillBackground off, WA_OpaquePaintEvent off, WA_NoSystemBackground on),
// so Qt shows the parent under whatever the control paints; a top-level window also gets
// WA_TranslucentBackground. This stands in for the transparent extended window style. A control
// without a widget yet gets the widget flags from a later call.
void SetWinControlTransparent(TWinControl* Control);

// Frames the control's whole window (non-client band included) one pixel wide in BorderColor and,
// with DrawInner, the rectangle one pixel inside in InnerColor. Draws during the control's paint;
// outside a paint it asks for a repaint instead (the paint handlers draw the border again).
void DrawControlBorder(TWinControl* Control, TColor BorderColor, TColor InnerColor, bool DrawInner);

// Inclusive on all four sides: Left <= X <= Right and Top <= Y <= Bottom.
bool InRect(int X, int Y, const TRect& Rect);
bool InRect(const TPoint& P, const TRect& Rect);

// Moves the control to P; or sets Left, Top, Width and Height from Rect, one after the other.
void PlaceControl(TControl* Control, const TPoint& P);
void PlaceControl(TControl* Control, const TRect& Rect);

// The work area of the screen that shows the main form (the screen nearest to its window), or of
// the primary screen when there is no main form.
TRect GetWorkAreaRect();

// Whether the form counts as having the focus, for drawing an active or inactive frame. An MDI
// frame is asked for its active child with WM_MDIGETACTIVE (the frame answers with the child's
// handle).
bool FormHasFocus(TCustomForm* Form);

// True when the component publishes a property of that name (exact name).
bool IsHasProperty(TComponent* Component, const String& PropName);

// ---- text and system information ----

// Text when it fits into MaxWidth on the canvas; otherwise the shortest "first i characters" +
// "..." whose width reaches MaxWidth (so it may be up to one character wider), or the whole text
// when no such candidate exists.
String FormatStringWithWidth(TCanvas* Canvas, const String& Text, int MaxWidth);

// The desktop's caption of a message-box button. There is no system string table here: the
// captions are the English ones of the desktop's message boxes ("OK", "Cancel", "&Abort",
// "&Retry", "&Ignore", "&Yes", "&No", "Help"); mbAll, mbNoToAll and mbYesToAll are "All",
// "No to All" and "Yes to All". An unknown value gives the empty string.
String GetLocaleButtonCaption(TMsgDlgBtn Button);

// Gives Font the system's caption font. There are no non-client metrics to read here: the caption
// font is the application's title font, Tahoma (its metric clone from fonts-wine where installed,
// else the default sans) bold, 8 points (height -11 at 96 dpi), default charset. Null is ignored.
void GetCaptionFont(TFont* Font);

// The zero-terminated text (local 8-bit encoding) as a string; empty for null or "".
String PCharToStr(const char* Text);

// Operating-system checks the components use to choose drawing paths. There is no Windows version
// here; the answers describe a desktop with themed, non-layered windows, the platform the library
// draws best for: IsWinXP is true and IsWinVista is false (an XP-era desktop rather than the 6.0
// release whose frame composition the components work around).
bool IsWinXP();
bool IsWinVista();

// The three lazily resolved system functions, with the signatures of GetScrollBarInfo,
// GetComboBoxInfo and AnimateWindow. Each is looked up by name on its first call; a missing one
// makes its wrapper answer false for good. Here they resolve to implementations on Qt:
// - KIVGetScrollBarInfo: a QScrollBar's geometry and state (OBJID_CLIENT on a scroll-bar window;
//   OBJID_VSCROLL / OBJID_HSCROLL on a scroll area's window give its bars). False for other
//   windows, a bar that is not there, a null Info or a wrong cbSize.
// - KIVGetComboBoxInfo: the framework's GetComboBoxInfo (framework/ComboBoxInfo.h): a QComboBox's
//   edit field (rcItem) and drop-down arrow (rcButton, pressed while the list is down), its edit
//   and list windows. cbSize is the desktop's 52 or the structure's own size. False for other
//   windows, a null Info or another cbSize.
// - KIVAnimateWindow: shows or hides (AW_HIDE) the window, revealing or covering it progressively
//   from the side the direction flags name (or from the centre with AW_CENTER) through its mask,
//   or fading a top-level window with AW_BLEND; blocks for Time milliseconds (at most 10 s) and
//   repaints the window on each step, as the desktop's call does. False when the handle is unknown
//   or the window is already shown (hidden) by its own visibility flag.
bool KIVGetScrollBarInfo(HWND Window, LONG IdObject, tagSCROLLBARINFO* Info);
bool KIVGetComboBoxInfo(HWND Window, tagCOMBOBOXINFO* Info);
bool KIVAnimateWindow(HWND Window, DWORD Time, DWORD Flags);

// Set by tools that convert forms to skinned ones; nothing in the program sets it. While set, the
// skinned form frame does not warn about a plain main menu.
extern bool g_KivkitConverting;

// ---- style protocol ----

// Passes a look on to a container's direct children, in child order: each one publishing both
// "FileTheme" and "UIStyle" gets FileTheme set to FileTheme, then UIStyle to Style, by name.
void ContainerApplyUIStyle(TWinControl* Container, TkivUIStyle Style, TkivFileTheme* FileTheme);
