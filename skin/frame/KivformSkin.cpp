// The skin-file frame: border painting from the skin's pictures and the window shape cut from the
// title and bottom pictures.
#include "skin/frame/KivformSkin.h"

#include "framework/Graphics.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivpublic.h"

#include <QImage>
#include <algorithm>

namespace {

bool IsEmptyRect(const TRect& R) { return R.Right <= R.Left || R.Bottom <= R.Top; }

// Copies Source's SourceRect onto Dest of the canvas, stretched by nearest pixel. With a Key of 0
// or more, pixels of that colour are left out. Empty or inverted rectangles draw nothing (the
// blit would mirror an inverted one).
void Blit(TCanvas& Canvas, const TRect& Dest, TBitmap* Source, const TRect& SourceRect, TColor Key = -1)
{
    if (!Source || Source->Empty() || IsEmptyRect(Dest) || IsEmptyRect(SourceRect))
        return;
    const int oldMode = Canvas.SetStretchBltMode(COLORONCOLOR);
    Canvas.StretchBltImage(Dest, Source->Image(),
                           QRect(SourceRect.Left, SourceRect.Top, SourceRect.Width(), SourceRect.Height()), SRCCOPY,
                           Key);
    Canvas.SetStretchBltMode(oldMode);
}

// The whole picture stretched over Dest.
void StretchWhole(TCanvas& Canvas, const TRect& Dest, TBitmap* Source)
{
    if (Source)
        Blit(Canvas, Dest, Source, Rect(0, 0, Source->Width(), Source->Height()));
}

// The picture at its own size with its top-left corner at (X, Y).
void DrawAt(TCanvas& Canvas, int X, int Y, TBitmap* Source)
{
    if (Source)
        Blit(Canvas, Bounds(X, Y, Source->Width(), Source->Height()), Source,
             Rect(0, 0, Source->Width(), Source->Height()));
}

// Fills with a solid brush of Color (no pattern bitmap); the caller restores the brush.
void Fill(TCanvas& Canvas, const TRect& R, TColor Color)
{
    if (IsEmptyRect(R))
        return;
    TBrush* b = Canvas.Brush();
    b->SetBitmap(nullptr);
    b->SetStyle(bsSolid);
    b->SetColor(Color);
    Canvas.FillRect(R);
}

// The strip of a side border beside the menu bar: a gradient from MenuBarColor to MenuBarToColor
// when they differ, else the menu bar's own colour.
void MenuStrip(TCanvas& Canvas, const TRect& R, const TkivSkinFrame& Frame)
{
    if (IsEmptyRect(R))
        return;
    if (Frame.MenuBarColor != Frame.MenuBarToColor)
        DrawHorizontalGradient(&Canvas, R, Frame.MenuBarColor, Frame.MenuBarToColor);
    else
        Fill(Canvas, R, Frame.MenuBarFill);
}

TBitmap* SkinPicture(const TkivSkinFrame& Frame, Tsk2SkinBitmapElement Element)
{
    return Frame.Theme ? Frame.Theme->GetBitmap(Element) : nullptr;
}

int PictureWidth(const TBitmap* B) { return B ? B->Width() : 0; }
int PictureHeight(const TBitmap* B) { return B ? B->Height() : 0; }

// Region building: adds (L, T)-(R, B) to Region; empty or inverted rectangles add nothing.
void AddRect(HRGN Region, int L, int T, int R, int B)
{
    if (R <= L || B <= T)
        return;
    HRGN piece = CreateRectRgn(L, T, R, B);
    CombineRgn(Region, Region, piece, RGN_OR);
    DeleteObject(piece);
}

// Adds the band of a picture placed at row Dy: rows before MinY (when MinY >= 1) and from the end
// of the scanned range on are taken whole (window wide), the scanned rows by their runs of pixels
// that are not Key. MinY -1 scans from the first row; MaxY not above MinY scans to the last.
void AddPictureBand(HRGN Region, TBitmap* Picture, int MinY, int MaxY, int W, int Dy, TColor Key)
{
    const int ph = Picture->Height();
    const int pw = Picture->Width();
    if (ph <= 0)
        return;
    const int r0 = std::clamp(MinY == -1 ? 0 : MinY, 0, ph);
    const int r1 = std::clamp(MaxY > MinY ? MaxY + 1 : ph, 0, ph);
    if (MinY >= 1)
        AddRect(Region, 0, Dy, W, Dy + std::min(MinY, ph));

    const QImage& image = Picture->Image();
    for (int y = r0; y < r1; ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(image.constScanLine(y));
        int x = 0;
        while (x < pw) {
            while (x < pw && QRgbToColor(row[x]) == Key)
                ++x;
            if (x >= pw)
                break;
            const int start = x;
            while (x < pw && QRgbToColor(row[x]) != Key)
                ++x;
            // A run that reaches the last column ends at the picture's width.
            AddRect(Region, start, Dy + y, x, Dy + y + 1);
        }
    }

    if (r1 < ph)
        AddRect(Region, 0, Dy + r1, W, Dy + ph);
}

}  // namespace

void KivSkinFrameComposeBottom(const TkivSkinFrame& Frame)
{
    TBitmap* out = Frame.BottomBitmap;
    if (!out)
        return;
    TBitmap* first = SkinPicture(Frame, SKIN2_FORMBOTTOMBORDER1);
    const int w = std::max(Frame.W, 0);
    const int h = PictureHeight(first);
    out->SetPixelFormat(pf24bit);
    out->SetSize(w, h);
    if (!first || out->Empty())
        return;

    TCanvas* canvas = out->Canvas();
    Fill(*canvas, Rect(0, 0, w, h), Frame.Theme->GetColor(SKIN2_FORMCOLOR));
    if (Frame.Theme->GetBool(SKIN2_BOTTOMBORDERTHREESECT)) {
        // Left end, right end, and the middle stretched between them over the first picture's
        // height. Where the ends meet or overlap there is no middle and the right end wins.
        TBitmap* middle = SkinPicture(Frame, SKIN2_FORMBOTTOMBORDER2);
        TBitmap* last = SkinPicture(Frame, SKIN2_FORMBOTTOMBORDER3);
        const int leftEnd = first->Width();
        const int rightStart = w - PictureWidth(last);
        DrawAt(*canvas, 0, 0, first);
        DrawAt(*canvas, rightStart, 0, last);
        StretchWhole(*canvas, Rect(leftEnd, 0, rightStart, h), middle);
    } else {
        SpitDrawHorizontal2(first, canvas, Rect(0, 0, w, h), Frame.TransparentColor, false);
    }
}

void KivSkinFramePaint(TCanvas& WindowCanvas, const TkivSkinFrame& Frame)
{
    if (!Frame.Theme || Frame.W <= 0 || Frame.H <= 0)
        return;
    TCanvas& c = WindowCanvas;
    TBrush savedBrush;
    savedBrush.Assign(c.Brush());

    const int W = Frame.W, H = Frame.H;
    const TColor formColor = Frame.Theme->GetColor(SKIN2_FORMCOLOR);

    // The title strips: the frame's left and right columns and top rows beside and above the
    // title bar continue the title bar's composed image.
    TBitmap* title = Frame.TitleComposed;
    if (Frame.TitleBarVisible && Frame.TitleBarCanPaint && title && !title->Empty()) {
        const int tw = title->Width(), th = title->Height();
        const int lw = std::min(std::max(Frame.SkinLeftWidth, 4), tw);
        const int rw = std::min(std::max(4, Frame.SkinRightWidth), tw);
        Blit(c, Rect(0, 0, lw, th), title, Rect(0, 0, lw, th));
        Blit(c, Rect(0, 0, tw, std::min(3, th)), title, Rect(0, 0, tw, std::min(3, th)));
        Blit(c, Rect(W - rw, 0, W, th), title, Rect(tw - rw, 0, tw, th));
    }

    const int titleHeight = Frame.TitleBarVisible ? Frame.TitleBarHeight : 0;
    const int top = Frame.TitleBarVisible ? Frame.TitleBarHeight + 3 : 0;
    const int bottom = H - Frame.SkinBottomHeight;
    const int menuTop = titleHeight + 3;
    const int menuBottom = titleHeight + Frame.MenuBarHeight + 3;

    // Left border, completed to 4 pixels with the form colour, the menu-bar strip beside a menu bar.
    TBitmap* left = SkinPicture(Frame, SKIN2_FORMLEFTBORDER);
    const int lw = PictureWidth(left);
    StretchWhole(c, Rect(0, top, lw, bottom), left);
    if (lw < 4) {
        Fill(c, Rect(lw, top, 4, bottom), formColor);
        if (Frame.MenuBarVisible)
            MenuStrip(c, Rect(lw, menuTop, 4, menuBottom), Frame);
    }

    // Right border, the same mirrored.
    TBitmap* right = SkinPicture(Frame, SKIN2_FORMRIGHTBORDER);
    const int rw = PictureWidth(right);
    StretchWhole(c, Rect(W - rw, top, W, bottom), right);
    if (rw < 4) {
        Fill(c, Rect(W - 4, top, W - rw, bottom), formColor);
        if (Frame.MenuBarVisible)
            MenuStrip(c, Rect(W - 4, menuTop, W - rw, menuBottom), Frame);
    }

    // Bottom border: composed, then shown on the form colour where it is transparent when the
    // window takes a shape, as it is otherwise.
    KivSkinFrameComposeBottom(Frame);
    TBitmap* composed = Frame.BottomBitmap;
    if (composed && !composed->Empty()) {
        const int bw = composed->Width(), bh = composed->Height();
        const TRect dest = Bounds(0, H - Frame.SkinBottomHeight, bw, bh);
        if (Frame.BottomNeedsRegion) {
            TBitmap scratch(bw, bh);
            scratch.SetPixelFormat(pf24bit);
            Fill(*scratch.Canvas(), Rect(0, 0, bw, bh), formColor);
            Blit(*scratch.Canvas(), Rect(0, 0, bw, bh), composed, Rect(0, 0, bw, bh), Frame.TransparentColor);
            Blit(c, dest, &scratch, Rect(0, 0, bw, bh));
        } else {
            Blit(c, dest, composed, Rect(0, 0, bw, bh));
        }
    }

    // A bottom border lower than 4 pixels: the rows above it up to H - 4 take the form colour.
    if (Frame.SkinBottomHeight < 4)
        Fill(c, Rect(Frame.SkinLeftWidth, H - 4, W - Frame.SkinRightWidth, H - Frame.SkinBottomHeight), formColor);

    c.Brush()->Assign(&savedBrush);
}

HRGN KivSkinFrameRegion(const TkivSkinFrame& Frame)
{
    const int W = std::max(Frame.W, 0), H = std::max(Frame.H, 0);
    if (!Frame.TitleNeedsRegion && !Frame.BottomNeedsRegion)
        return CreateRectRgn(0, 0, W, H);

    TBitmap* title = Frame.TitleNeedsRegion ? Frame.TitleRaw : nullptr;
    TBitmap* bottom = Frame.BottomNeedsRegion ? Frame.BottomBitmap : nullptr;
    if (bottom && bottom->Width() != W)
        KivSkinFrameComposeBottom(Frame);

    const int t = title ? title->Height() : 0;
    const int b = bottom ? bottom->Height() : 0;

    HRGN region = CreateRectRgn(0, 0, 0, 0);
    if (title)
        AddPictureBand(region, title, Frame.TitleRegionMinY, Frame.TitleRegionMaxY, W, 0, Frame.TransparentColor);
    AddRect(region, 0, t, W, H - b);
    if (bottom)
        AddPictureBand(region, bottom, Frame.BottomRegionMinY, Frame.BottomRegionMaxY, W, H - b, Frame.TransparentColor);
    else
        AddRect(region, 0, H - b, W, H);
    return region;
}
