// Graphics: pens, brushes, the canvas, and the graphic classes (bitmap, picture) drawn on Qt.
//
// A canvas either belongs to a TBitmap and draws into its image, or is bound to a QPainter that
// someone else opened (a widget's paint event, a window-frame drawing). Coordinates are pixels with
// Right and Bottom exclusive; geometry is drawn without antialiasing so that lines, rectangles, fills
// and image copies hit exact pixels, as on the desktop's device contexts.
#pragma once

#include "framework/Colors.h"
#include "framework/Font.h"
#include "framework/System.h"
#include "platform/WinTypes.h"

#include <QBrush>
#include <QFont>
#include <QFontMetrics>
#include <QPen>
#include <QImage>
#include <QRect>
#include <QRegion>
#include <QTransform>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class TStream;
class TCanvas;
class TBitmap;

struct TSize {
    int cx = 0;
    int cy = 0;
    friend bool operator==(const TSize&, const TSize&) = default;
};

enum TPenStyle { psSolid, psDash, psDot, psDashDot, psDashDotDot, psClear, psInsideFrame };
enum TPenMode {
    pmBlack, pmWhite, pmNop, pmNot, pmCopy, pmNotCopy, pmMergePenNot, pmMaskPenNot, pmMergeNotPen,
    pmMaskNotPen, pmMerge, pmNotMerge, pmMask, pmNotMask, pmXor, pmNotXor
};
enum TBrushStyle { bsSolid, bsClear, bsHorizontal, bsVertical, bsFDiagonal, bsBDiagonal, bsCross, bsDiagCross };
enum TPixelFormat { pfDevice, pf1bit, pf4bit, pf8bit, pf15bit, pf16bit, pf24bit, pf32bit, pfCustom };
enum TTransparentMode { tmAuto, tmFixed };

// Raster operations of CopyRect/CopyMode (the desktop's ternary raster-operation codes).
using TCopyMode = int32_t;
constexpr TCopyMode cmBlackness = 0x00000042, cmDstInvert = 0x00550009, cmMergeCopy = 0x00C000CA,
                    cmMergePaint = 0x00BB0226, cmNotSrcCopy = 0x00330008, cmNotSrcErase = 0x001100A6,
                    cmPatCopy = 0x00F00021, cmPatInvert = 0x005A0049, cmPatPaint = 0x00FB0A09,
                    cmSrcAnd = 0x008800C6, cmSrcCopy = 0x00CC0020, cmSrcErase = 0x00440328,
                    cmSrcInvert = 0x00660046, cmSrcPaint = 0x00EE0086, cmWhiteness = 0x00FF0062;
constexpr uint32_t SRCCOPY = 0x00CC0020, SRCPAINT = 0x00EE0086, SRCAND = 0x008800C6, SRCINVERT = 0x00660046,
                   SRCERASE = 0x00440328, NOTSRCCOPY = 0x00330008, NOTSRCERASE = 0x001100A6,
                   MERGECOPY = 0x00C000CA, MERGEPAINT = 0x00BB0226, PATCOPY = 0x00F00021, PATPAINT = 0x00FB0A09,
                   PATINVERT = 0x005A0049, DSTINVERT = 0x00550009, BLACKNESS = 0x00000042, WHITENESS = 0x00FF0062;

// Stretch modes (SetStretchBltMode): HALFTONE stretches smoothly, every other mode takes the nearest pixel.
constexpr int BLACKONWHITE = 1, WHITEONBLACK = 2, COLORONCOLOR = 3, HALFTONE = 4;
constexpr int STRETCH_ANDSCANS = BLACKONWHITE, STRETCH_ORSCANS = WHITEONBLACK,
              STRETCH_DELETESCANS = COLORONCOLOR, STRETCH_HALFTONE = HALFTONE;

// DrawText flags.
constexpr UINT DT_TOP = 0x00000000, DT_LEFT = 0x00000000, DT_CENTER = 0x00000001, DT_RIGHT = 0x00000002,
               DT_VCENTER = 0x00000004, DT_BOTTOM = 0x00000008, DT_WORDBREAK = 0x00000010,
               DT_SINGLELINE = 0x00000020, DT_EXPANDTABS = 0x00000040, DT_TABSTOP = 0x00000080,
               DT_NOCLIP = 0x00000100, DT_EXTERNALLEADING = 0x00000200, DT_CALCRECT = 0x00000400,
               DT_NOPREFIX = 0x00000800, DT_INTERNAL = 0x00001000, DT_EDITCONTROL = 0x00002000,
               DT_PATH_ELLIPSIS = 0x00004000, DT_END_ELLIPSIS = 0x00008000, DT_MODIFYSTRING = 0x00010000,
               DT_RTLREADING = 0x00020000, DT_WORD_ELLIPSIS = 0x00040000, DT_NOFULLWIDTHCHARBREAK = 0x00080000,
               DT_HIDEPREFIX = 0x00100000, DT_PREFIXONLY = 0x00200000;

// GetPixel's answer for a point outside the surface.
constexpr TColor CLR_INVALID = TColor(0xFFFFFFFFu);

// Largest bitmap the framework creates or decodes: each side and the pixel total are capped so that
// untrusted pictures cannot demand huge allocations.
constexpr int MaxBitmapSide = 16384;
constexpr int64_t MaxBitmapPixels = int64_t(1) << 26;

class TPen : public TPersistent {
public:
    TPen() = default;
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TPenStyle Style() const { return FStyle; }
    void SetStyle(TPenStyle v);
    TPenMode Mode() const { return FMode; }
    void SetMode(TPenMode v);

    TNotifyEvent OnChange;

    void Assign(const TPersistent* Source) override;
    String ClassName() const override { return QStringLiteral("TPen"); }

private:
    void Changed();
    TColor FColor = clBlack;
    int FWidth = 1;
    TPenStyle FStyle = psSolid;
    TPenMode FMode = pmCopy;
};

class TBrush : public TPersistent {
public:
    TBrush() = default;
    TColor Color() const { return FColor; }
    // Setting a colour on a clear brush makes it solid, as the framework does.
    void SetColor(TColor v);
    TBrushStyle Style() const { return FStyle; }
    void SetStyle(TBrushStyle v);
    // Optional pattern bitmap (not owned); while set it replaces colour and style for fills.
    TBitmap* Bitmap() const { return FBitmap; }
    void SetBitmap(TBitmap* v);

    TNotifyEvent OnChange;

    void Assign(const TPersistent* Source) override;
    String ClassName() const override { return QStringLiteral("TBrush"); }

private:
    void Changed();
    TColor FColor = clWhite;
    TBrushStyle FStyle = bsSolid;
    TBitmap* FBitmap = nullptr;
};

// Abstract picture that can draw itself, load and save.
class TGraphic : public TPersistent {
public:
    TGraphic() = default;
    TGraphic(const TGraphic&) = delete;
    TGraphic& operator=(const TGraphic&) = delete;

    virtual int Width() const = 0;
    virtual int Height() const = 0;
    virtual void SetWidth(int v) = 0;
    virtual void SetHeight(int v) = 0;
    virtual bool Empty() const = 0;
    bool Transparent() const { return FTransparent; }
    virtual void SetTransparent(bool v);
    bool Modified() const { return FModified; }
    void SetModified(bool v);

    // Draws the graphic scaled into Rect of the canvas.
    virtual void Draw(TCanvas* ACanvas, const TRect& Rect) = 0;

    // Streams hold the graphic's file format from the stream's position onward; errors raise
    // EInvalidGraphic (bad data) or the stream's own exception.
    virtual void LoadFromStream(TStream* Stream) = 0;
    virtual void SaveToStream(TStream* Stream) = 0;
    virtual void LoadFromFile(const String& FileName);
    virtual void SaveToFile(const String& FileName);

    TNotifyEvent OnChange;

    String ClassName() const override { return QStringLiteral("TGraphic"); }

protected:
    // Marks the graphic modified and fires OnChange.
    virtual void Changed();
    bool FTransparent = false;

private:
    bool FModified = false;
};

// The canvas's device-context state: viewport origin and clip region (in device pixels).
struct TCanvasState {
    QPoint Origin;
    bool HasClip = false;
    QRegion Clip;
};

class TCanvas : public TPersistent {
public:
    // An unbound canvas: drawing does nothing until a painter is bound.
    TCanvas();
    // Draws through an open painter owned by the caller (a widget's paint, a window frame). deviceRect is
    // the part of the painter's coordinate space the canvas covers (its ClipRect with no clipping).
    explicit TCanvas(QPainter* painter, const QRect& deviceRect);
    ~TCanvas() override;
    TCanvas(const TCanvas&) = delete;
    TCanvas& operator=(const TCanvas&) = delete;

    // Binds (or with nullptr unbinds) an external painter; pen, brush and font persist across bindings.
    // The painter's own state is saved on binding and restored on unbinding.
    void SetPainter(QPainter* painter, const QRect& deviceRect);
    bool HandleAllocated() const;
    // The painter drawing happens through (opened on demand for a bitmap's canvas), or null when unbound.
    // Antialiasing is off and the canvas's origin and clip are applied. Change origin and clip through
    // the canvas, not on the painter: the canvas re-applies its own state. A bitmap's painter ends when
    // the bitmap's pixels are accessed directly (Pixels, ScanLine, Image, resizing).
    QPainter* Painter();

    TFont* Font() { return &FFont; }
    TPen* Pen() { return &FPen; }
    TBrush* Brush() { return &FBrush; }
    void SetFont(const TFont* v) { FFont.Assign(v); }
    void SetPen(const TPen* v) { FPen.Assign(v); }
    void SetBrush(const TBrush* v) { FBrush.Assign(v); }

    TPoint PenPos() const { return FPenPos; }
    void SetPenPos(const TPoint& p) { FPenPos = p; }
    TCopyMode CopyMode() const { return FCopyMode; }
    void SetCopyMode(TCopyMode v) { FCopyMode = v; }
    int StretchBltMode() const { return FStretchMode; }
    // Returns the previous mode.
    int SetStretchBltMode(int mode);

    // Geometry, with the desktop's pixel rules.
    void FillRect(const TRect& r);
    void FrameRect(const TRect& r);
    void Rectangle(int x1, int y1, int x2, int y2);
    void Rectangle(const TRect& r) { Rectangle(r.Left, r.Top, r.Right, r.Bottom); }
    void RoundRect(int x1, int y1, int x2, int y2, int x3, int y3);
    void Ellipse(int x1, int y1, int x2, int y2);
    void Ellipse(const TRect& r) { Ellipse(r.Left, r.Top, r.Right, r.Bottom); }
    void MoveTo(int x, int y);
    // Draws from PenPos to (x, y), the end point excluded, and moves PenPos there.
    void LineTo(int x, int y);
    void Polyline(const std::vector<TPoint>& points);
    void Polygon(const std::vector<TPoint>& points);
    // Elliptic arcs in the box (x1, y1)-(x2, y2) from the ray through (x3, y3) counter-clockwise to the
    // ray through (x4, y4).
    void Arc(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Pie(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void Chord(int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    // The dotted, inverting focus rectangle; drawing it twice restores the pixels.
    void DrawFocusRect(const TRect& r);

    // Text: the cell's top-left corner at (x, y), in the font's colour; a solid brush fills the text cell
    // with the brush colour first, clear and hatched brushes leave the background alone. PenPos moves to
    // the end of the text.
    void TextOut(int x, int y, const String& text);
    // Text clipped to r; a non-clear brush fills r first.
    void TextRect(const TRect& r, int x, int y, const String& text);
    int TextWidth(const String& text);
    int TextHeight(const String& text);
    TSize TextExtent(const String& text);
    // Formats text in rect by DT_ flags and returns the text's height (with DT_VCENTER or DT_BOTTOM: the
    // offset from rect.Top to the bottom of the text). DT_VCENTER and DT_BOTTOM act on single lines only.
    // DT_CALCRECT only measures: rect's Right and Bottom are set to bound the text. A solid brush fills
    // behind each line, as an opaque background does.
    int DrawText(const String& text, TRect& rect, UINT flags);

    // Graphics: Draw at their own size, StretchDraw into a rectangle; both honour Transparent.
    void Draw(int x, int y, TGraphic* graphic);
    void StretchDraw(const TRect& r, TGraphic* graphic);
    // Copies (and stretches) part of another canvas, by CopyMode and StretchBltMode. The source must
    // be a bitmap's canvas or a canvas painting into an image.
    void CopyRect(const TRect& dest, TCanvas* source, const TRect& sourceRect);
    // Copies from a bitmap, painting the pixels of colour `color` with the brush instead.
    void BrushCopy(const TRect& dest, TBitmap* bitmap, const TRect& sourceRect, TColor color);
    // The stretch-blit all image drawing ends in. transparentKey: an RGB ($00BBGGRR) that is left out, or
    // a negative value for none. rop: a raster-operation code (SRCCOPY, ...).
    void StretchBltImage(const TRect& dest, const QImage& src, const QRect& srcRect, uint32_t rop,
                         TColor transparentKey = -1);

    // Draws an image with its alpha channel (0 = pixel left untouched) at its own size.
    void DrawAlphaImage(int x, int y, const QImage& image);

    // Pixels; reading outside the surface or the clip gives CLR_INVALID, writing there does nothing.
    TColor Pixels(int x, int y);
    void SetPixels(int x, int y, TColor c);

    // Bounding box of the visible area in logical coordinates.
    TRect ClipRect();

    // Device-context state.
    void SaveState();
    void RestoreState();
    // The device position of logical (0, 0), relative to the canvas's surface.
    TPoint ViewportOrigin() const { return {FState.Origin.x(), FState.Origin.y()}; }
    void SetViewportOrigin(int x, int y);
    void OffsetViewportOrigin(int dx, int dy);
    // Clipping in logical coordinates (fixed in device coordinates when set, as on the desktop).
    void IntersectClipRect(const TRect& r);
    void ExcludeClipRect(const TRect& r);
    void ResetClip();

    // The image drawn into, for a bitmap's canvas or a painter on an image; null otherwise.
    QImage* TargetImage();

    TNotifyEvent OnChange;
    TNotifyEvent OnChanging;

    String ClassName() const override { return QStringLiteral("TCanvas"); }

protected:
    friend class TBitmap;
    // A canvas that belongs to a bitmap.
    explicit TCanvas(TBitmap* owner);
    // Ends the bitmap painter so that the image can be read, written or resized directly.
    void ReleaseBitmapPainter();

private:
    QPainter* BeginDraw();
    void ApplyState();
    // Sets the composition for pen-and-brush drawing from Pen.Mode; false when nothing is to be drawn.
    bool ApplyPenMode(QPainter* p);
    void Changing();
    void Changed();
    QBrush MakeQBrush() const;
    QPen MakeQPen() const;
    void FillWithBrush(QPainter* p, const QRect& r);
    // Outlines a path with the pen: one-pixel pens by the desktop's rules (end point excluded, dash
    // patterns continuing across vertices), wider pens through Qt.
    void StrokePath(QPainter* p, const std::vector<TPoint>& points, bool closed);
    void LineSegment(QPainter* p, TPoint from, TPoint to, int& dashPhase);
    void DrawArcShape(int kind, int x1, int y1, int x2, int y2, int x3, int y3, int x4, int y4);
    void DrawWithPen(const std::function<void(QPainter*)>& draw);
    void DrawShape(int x1, int y1, int x2, int y2, const std::function<void(QPainter*, const QRect&)>& draw);
    QRect DeviceBounds() const;
    QImage* ExternalImage() const;
    // True when drawing on this canvas changes img (without ending any painter).
    bool DrawsOnto(const QImage* img) const;
    // Maps a logical point of this canvas to pixel coordinates of TargetImage().
    QPoint LogicalToImage(QPoint p) const;
    const QFont& CurrentQFont();
    const QFontMetrics& CurrentMetrics();

    TBitmap* FBitmap = nullptr;
    QPainter* FExternal = nullptr;
    QRect FDeviceRect;
    std::unique_ptr<QPainter> FOwnPainter;
    QTransform FBaseTransform;
    bool FBaseHasClip = false;
    QRegion FBaseClip;
    TCanvasState FState;
    std::vector<TCanvasState> FStateStack;
    bool FStateDirty = true;

    TFont FFont;
    TPen FPen;
    TBrush FBrush;
    TPoint FPenPos;
    TCopyMode FCopyMode = cmSrcCopy;
    int FStretchMode = BLACKONWHITE;
    QFont FQFont;
    QFontMetrics FQMetrics{QFont()};
    TFont FQFontSource;  // the font FQFont was made from
    bool FQFontValid = false;
};

class TBitmap : public TGraphic {
public:
    TBitmap();
    TBitmap(int AWidth, int AHeight);
    ~TBitmap() override;

    int Width() const override { return FWidth; }
    int Height() const override { return FHeight; }
    void SetWidth(int v) override { SetSize(v, Height()); }
    void SetHeight(int v) override { SetSize(Width(), v); }
    // Keeps the pixels that stay inside; new pixels are white. Sizes are clamped to 0..MaxBitmapSide;
    // a bitmap above MaxBitmapPixels raises EOutOfResources.
    void SetSize(int AWidth, int AHeight);
    bool Empty() const override { return FWidth == 0 || FHeight == 0; }

    // Pixels are always held as 32-bit RGB; the format is remembered for saving and for callers.
    TPixelFormat PixelFormat() const { return FPixelFormat; }
    void SetPixelFormat(TPixelFormat v);
    bool Monochrome() const { return FPixelFormat == pf1bit; }

    TCanvas* Canvas();

    TColor TransparentColor() const;
    // Setting a colour fixes it (tmFixed); clDefault returns to tmAuto.
    void SetTransparentColor(TColor v);
    TTransparentMode TransparentMode() const { return FTransparentMode; }
    void SetTransparentMode(TTransparentMode v);

    void Assign(const TPersistent* Source) override;
    void Draw(TCanvas* ACanvas, const TRect& Rect) override;

    void LoadFromStream(TStream* Stream) override;
    void SaveToStream(TStream* Stream) override;
    // Loads a Windows bitmap file held in memory; raises EInvalidGraphic when it is not one.
    void LoadFromMemory(const void* data, size_t size);
    // The bitmap as a Windows bitmap file (24 bits per pixel, 32 for pf32bit).
    QByteArray SaveToBytes();
    // Loads a bitmap resource of the program; EResNotFound "Resource NAME not found" when missing.
    void LoadFromResourceName(HINSTANCE Instance, const String& ResName);

    // Kept for callers written against the desktop framework: the pixels live in one form only.
    void FreeImage() {}
    void Dormant() {}
    // The row's pixels (32 bits each, B G R X in memory, whatever PixelFormat says); a row outside the
    // bitmap raises EInvalidGraphic "Scan line index out of range".
    uint8_t* ScanLine(int y);

    // The pixels, for the control layer; any painter of the bitmap's canvas is ended first.
    QImage& Image();
    const QImage& Image() const;
    // Replaces the pixels (converted to 32-bit RGB).
    void SetImage(const QImage& image);

    String ClassName() const override { return QStringLiteral("TBitmap"); }

protected:
    friend class TCanvas;
    void Changed() override;
    QImage FImage;  // null while the bitmap is empty
    int FWidth = 0;
    int FHeight = 0;

private:
    void ReleaseCanvasPainter() const;
    std::unique_ptr<TCanvas> FCanvas;
    TPixelFormat FPixelFormat = pfDevice;
    TTransparentMode FTransparentMode = tmAuto;
    TColor FTransparentColor = clDefault;
};

// Holds one graphic (TBitmap or TJPEGImage) and loads any supported file.
class TPicture : public TPersistent {
public:
    TPicture();
    ~TPicture() override;
    TPicture(const TPicture&) = delete;
    TPicture& operator=(const TPicture&) = delete;

    TGraphic* Graphic() const { return FGraphic.get(); }
    // Stores a copy of the graphic (nullptr clears).
    void SetGraphic(const TGraphic* v);
    // The graphic as a bitmap; a picture holding something else is replaced by an empty bitmap.
    TBitmap* Bitmap();
    void SetBitmap(const TBitmap* v) { SetGraphic(v); }
    int Width() const { return FGraphic ? FGraphic->Width() : 0; }
    int Height() const { return FGraphic ? FGraphic->Height() : 0; }

    // Loads by content (BMP or JPEG), falling back to the extension (.bmp, .jpg, .jpeg).
    void LoadFromFile(const String& FileName);
    void SaveToFile(const String& FileName);
    void LoadFromStream(TStream* Stream);
    void SaveToStream(TStream* Stream);

    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;

    String ClassName() const override { return QStringLiteral("TPicture"); }

protected:
    void AssignTo(TPersistent* Dest) const override;

private:
    void Adopt(std::unique_ptr<TGraphic> g);
    void Changed();
    std::unique_ptr<TGraphic> FGraphic;
};

// Converts between QRgb and TColor.
inline TColor QRgbToColor(QRgb v) { return TColor(qRed(v) | (qGreen(v) << 8) | (qBlue(v) << 16)); }
inline QRgb ColorToQRgb(TColor c)
{
    const TColor rgb = ColorToRGB(c);
    return qRgb(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}
