// Kivpublic: cutting, slicing, tiling, gradients, rotations and recolouring of skin bitmaps.
#include "skin/theme/Kivpublic.h"

#include "framework/Graphics.h"
#include "framework/ImgList.h"

#include <algorithm>
#include <cmath>
#include <memory>

namespace {

// The part of r inside a w x h bitmap.
TRect ClipToBitmap(const TRect& r, int w, int h)
{
    return Rect(std::max(r.Left, 0), std::max(r.Top, 0), std::min(r.Right, w), std::min(r.Bottom, h));
}

bool IsEmpty(const TRect& r) { return r.Right <= r.Left || r.Bottom <= r.Top; }

QRect ToQRect(const TRect& r) { return QRect(r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top); }

TColor RGBColor(int r, int g, int b) { return TColor(r | (g << 8) | (b << 16)); }

// ---- SpitDraw pieces ----

enum class TCorner { TopLeft, BottomLeft, TopRight, BottomRight };
enum class TEdge { Left, Right, Top, Bottom, Centre };

// Draws one corner at its own size: the smaller of the source and the box in each dimension,
// trimmed on the side away from the corner and anchored at the rectangle's matching corner.
// Returns the rectangle the corner covers (empty, but placed, when it is not drawn).
TRect DrawCorner(TCanvas* Canvas, const QImage& Image, const TRect& Source, int BoxW, int BoxH, TCorner Corner,
                 const TRect& R, bool Transparent)
{
    const int w = std::max(0, std::min(Source.Width(), BoxW));
    const int h = std::max(0, std::min(Source.Height(), BoxH));
    const bool right = Corner == TCorner::TopRight || Corner == TCorner::BottomRight;
    const bool bottom = Corner == TCorner::BottomLeft || Corner == TCorner::BottomRight;
    const int sl = right ? Source.Right - w : Source.Left;
    const int st = bottom ? Source.Bottom - h : Source.Top;
    const int x = right ? R.Right - w : 0;
    const int y = bottom ? R.Bottom - h : 0;
    const TRect covered = Bounds(x, y, w, h);
    if (w == 0 || h == 0)
        return covered;
    const TRect src = ClipToBitmap(Bounds(sl, st, w, h), Image.width(), Image.height());
    if (IsEmpty(src))
        return covered;
    // Drawn like an image list holding the corner: masked by fuchsia when transparent, whole otherwise.
    Canvas->StretchBltImage(Bounds(x + (src.Left - sl), y + (src.Top - st), src.Width(), src.Height()), Image,
                            ToQRect(src), SRCCOPY, Transparent ? KIV_TRANSPARENT_COLOR : TColor(-1));
    return covered;
}

// Draws an edge or the centre: the source, trimmed across the edge when the target is thinner,
// stretched over the target with fuchsia left out.
void DrawEdge(TCanvas* Canvas, const QImage& Image, TRect Source, const TRect& Target, TEdge Edge)
{
    if (Target.Width() <= 0 || Target.Height() <= 0)
        return;
    switch (Edge) {
    case TEdge::Left:
        if (Target.Width() < Source.Width())
            Source.Right = Source.Left + Target.Width();
        break;
    case TEdge::Right:
        if (Target.Width() < Source.Width())
            Source.Left = Source.Right - Target.Width();
        break;
    case TEdge::Top:
        if (Target.Height() < Source.Height())
            Source.Bottom = Source.Top + Target.Height();
        break;
    case TEdge::Bottom:
        if (Target.Height() < Source.Height())
            Source.Top = Source.Bottom - Target.Height();
        break;
    case TEdge::Centre:
        break;
    }
    // Empty sources (the left edge of an even-height bitmap) are skipped; sources reaching past a
    // tiny bitmap are cut to it.
    if (IsEmpty(Source))
        return;
    const TRect src = ClipToBitmap(Source, Image.width(), Image.height());
    if (IsEmpty(src))
        return;
    Canvas->StretchBltImage(Target, Image, ToQRect(src), SRCCOPY, KIV_TRANSPARENT_COLOR);
}

// The three frames of a horizontal strip in an image list of frame width x bitmap height.
std::unique_ptr<TImageList> StripList(TBitmap* Bitmap, bool Masked, TColor MaskColor)
{
    const int fw = Bitmap->Width() / 3;
    auto list = std::make_unique<TImageList>(std::max(fw, 1), std::max(Bitmap->Height(), 1));
    if (Masked)
        list->AddMasked(Bitmap, MaskColor);
    else
        list->Add(Bitmap, nullptr);
    return list;
}

// One image of the list on a fresh bitmap of Width x list height whose background is Background.
std::unique_ptr<TBitmap> ListFrame(TImageList* List, int Index, int Width, TColor Background)
{
    auto bmp = std::make_unique<TBitmap>();
    bmp->SetSize(std::max(Width, 0), List->Height());
    if (bmp->Empty())
        return bmp;
    bmp->Canvas()->Brush()->SetColor(Background);
    bmp->Canvas()->Brush()->SetStyle(bsSolid);
    bmp->Canvas()->FillRect(Rect(0, 0, bmp->Width(), bmp->Height()));
    List->Draw(bmp->Canvas(), 0, 0, Index);
    return bmp;
}

// Restores a canvas's pen and pen position when it goes out of scope.
class TPenKeeper {
public:
    explicit TPenKeeper(TCanvas* c) : FCanvas(c), FPos(c->PenPos()) { FSaved.Assign(c->Pen()); }
    ~TPenKeeper()
    {
        FCanvas->Pen()->Assign(&FSaved);
        FCanvas->SetPenPos(FPos);
    }

private:
    TCanvas* FCanvas;
    TPoint FPos;
    TPen FSaved;
};

void PrepareLinePen(TCanvas* c)
{
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetMode(pmCopy);
}

// Interpolated channel: From + trunc((To - From) / Span * Step), in floating point.
int Channel(int from, int to, double span, double step)
{
    return from + int(std::trunc(double(to - from) / span * step));
}

TColor GradientColor(TColor From, TColor To, double Span, double Step)
{
    const TColor f = ColorToRGB(From), t = ColorToRGB(To);
    return RGBColor(Channel(f & 0xFF, t & 0xFF, Span, Step), Channel((f >> 8) & 0xFF, (t >> 8) & 0xFF, Span, Step),
                    Channel((f >> 16) & 0xFF, (t >> 16) & 0xFF, Span, Step));
}

// Rotates by mapping each destination pixel: Map gives the source (x, y) for (dx, dy).
template <class Map>
void Rotate(TBitmap* Bitmap, int NewW, int NewH, Map map)
{
    if (!Bitmap || Bitmap->Empty())
        return;
    const QImage src = Bitmap->Image().convertToFormat(QImage::Format_RGB32);
    QImage dst(NewW, NewH, QImage::Format_RGB32);
    for (int y = 0; y < NewH; ++y) {
        QRgb* d = reinterpret_cast<QRgb*>(dst.scanLine(y));
        for (int x = 0; x < NewW; ++x) {
            const QPoint s = map(x, y);
            d[x] = reinterpret_cast<const QRgb*>(src.constScanLine(s.y()))[s.x()];
        }
    }
    Bitmap->SetImage(dst);
}

}  // namespace

void SpitBitmap(TBitmap* Source, TBitmap* Dest, int FrameCount, int FrameIndex)
{
    if (!Source || !Dest || FrameCount < 1 || FrameIndex < 1 || FrameIndex > FrameCount)
        return;
    const int sw = Source->Width(), h = Source->Height();
    const int fw = sw / FrameCount;
    const int left = FrameIndex == FrameCount ? sw - fw : fw * (FrameIndex - 1);
    // Through a temporary bitmap, so Source and Dest may be the same bitmap.
    TBitmap temp;
    temp.SetSize(fw, h);
    if (!temp.Empty())
        temp.Canvas()->CopyRect(Rect(0, 0, fw, h), Source->Canvas(), Rect(left, 0, left + fw, h));
    Dest->SetSize(fw, h);
    if (!Dest->Empty())
        Dest->Canvas()->CopyRect(Rect(0, 0, fw, h), temp.Canvas(), Rect(0, 0, fw, h));
}

void SpitDraw(TBitmap* Bitmap, TCanvas* Canvas, const TRect& R, bool Transparent)
{
    if (!Bitmap || !Canvas || Bitmap->Empty())
        return;
    const QImage img = Bitmap->Image();
    const int bw = img.width(), bh = img.height();
    const int hw = bw / 2, hh = bh / 2;
    const int W = R.Width(), H = R.Height();

    // Corners 1 and 2 and the left edge between them.
    const TRect p1 = DrawCorner(Canvas, img, Rect(0, 0, hw, hh), W / 2, H / 2, TCorner::TopLeft, R, Transparent);
    const TRect p2 = DrawCorner(Canvas, img, Rect(0, bh - hh + 1, hw, bh), W / 2, H - (H - H / 2 + 1),
                                TCorner::BottomLeft, R, Transparent);
    DrawEdge(Canvas, img, Rect(0, hh, hw, bh - hh), Rect(0, p1.Bottom, p1.Right, p2.Top), TEdge::Left);

    // Corners 4 and 5 and the right edge between them.
    const TRect p4 = DrawCorner(Canvas, img, Rect(bw - hw + 1, 0, bw, hh), W - (W - W / 2 + 1), H / 2,
                                TCorner::TopRight, R, Transparent);
    const TRect p5 = DrawCorner(Canvas, img, Rect(bw - hw + 1, bh - hh + 1, bw, bh), W - (W - W / 2 + 1),
                                H - (H - H / 2 + 1), TCorner::BottomRight, R, Transparent);
    DrawEdge(Canvas, img, Rect(bw - hw + 1, bh - hh, bw, hh + 2), Rect(p4.Left, p4.Bottom, p4.Right, p5.Top),
             TEdge::Right);

    // Top edge, centre and bottom edge.
    DrawEdge(Canvas, img, Rect(hw, 0, bw - hw + 1, hh), Rect(p1.Right, 0, p4.Left, p1.Bottom), TEdge::Top);
    DrawEdge(Canvas, img, Rect(hw, hh, bw - hw + 1, bh - hh), Rect(p1.Right, p1.Bottom, p4.Left, p5.Top - 1),
             TEdge::Centre);
    DrawEdge(Canvas, img, Rect(hw, bh - hh, bw - hw + 1, bh), Rect(p1.Right - 1, p2.Top - 1, p5.Left, p5.Bottom),
             TEdge::Bottom);
}

void SpitDrawHorizontal2(TBitmap* Bitmap, TCanvas* Canvas, const TRect& R, TColor MaskColor, bool Transparent)
{
    if (!Bitmap || !Canvas || Bitmap->Width() < 3 || Bitmap->Height() < 1)
        return;
    const int fw = Bitmap->Width() / 3;
    const int bh = Bitmap->Height();
    auto list = StripList(Bitmap, Transparent, MaskColor);
    if (R.Width() < fw) {
        // Narrow: the left cap cut to the rectangle's width, drawn as a plain bitmap.
        auto frame = ListFrame(list.get(), 0, fw, clWhite);
        frame->SetWidth(std::max(R.Width(), 0));
        Canvas->Draw(R.Left, R.Top, frame.get());
        return;
    }
    list->Draw(Canvas, R.Left, R.Top, 0);
    list->Draw(Canvas, R.Right - fw, R.Top, 2);
    // The middle covers what the caps leave; with no room left it is not drawn (a negative width
    // would mirror it over the caps).
    const TRect middle = Rect(R.Left + fw, R.Top, R.Right - fw, R.Top + bh);
    if (middle.Width() <= 0)
        return;
    // Masked pixels of the middle stay see-through: its bitmap starts in the mask colour and is
    // drawn with that colour left out.
    auto frame = ListFrame(list.get(), 1, fw, Transparent ? MaskColor : clWhite);
    if (Transparent) {
        frame->SetTransparentColor(MaskColor);
        frame->SetTransparent(true);
    }
    Canvas->StretchDraw(middle, frame.get());
}

void SpitDrawHorizontal(TBitmap* Bitmap, TCanvas* Canvas, const TRect& R, bool CornerPixelAsMask, TColor FillColor,
                        bool SampleTop)
{
    if (!Bitmap || !Canvas || Bitmap->Width() < 3 || Bitmap->Height() < 1)
        return;
    const int fw = Bitmap->Width() / 3;
    const int bh = Bitmap->Height();
    const TColor corner = Bitmap->Canvas()->Pixels(0, SampleTop ? 0 : bh - 1);
    auto list = StripList(Bitmap, true, CornerPixelAsMask ? corner : KIV_TRANSPARENT_COLOR);
    if (R.Width() < fw) {
        auto frame = ListFrame(list.get(), 0, R.Width(), clWhite);
        Canvas->Draw(R.Left, R.Top, frame.get());
        return;
    }
    list->Draw(Canvas, R.Left, R.Top, 0);
    list->Draw(Canvas, R.Right - fw, R.Top, 2);
    const TRect middle = Rect(R.Left + fw, R.Top, R.Right - fw, R.Bottom);
    if (middle.Width() <= 0 || middle.Height() <= 0)
        return;
    auto frame = ListFrame(list.get(), 1, fw, FillColor);
    Canvas->StretchDraw(middle, frame.get());
}

void TileDraw(TCanvas* Canvas, const TPicture* Picture, const TRect& R)
{
    if (!Canvas || !Picture || !Picture->Graphic())
        return;
    const int64_t pw = Picture->Width(), ph = Picture->Height();
    if (pw <= 0 || ph <= 0)
        return;
    TGraphic* g = Picture->Graphic();
    const int64_t xEnd = int64_t(R.Right) - R.Left + pw, yEnd = int64_t(R.Bottom) - R.Top + ph;
    // Only tiles that reach the visible area are drawn, so a huge rectangle costs no more than the
    // canvas; the pixels are the same as drawing every tile.
    const TRect clip = Canvas->ClipRect();
    if (clip.Right <= clip.Left || clip.Bottom <= clip.Top)
        return;
    const int64_t x0 = clip.Left > 0 ? clip.Left / pw * pw : 0;
    const int64_t y0 = clip.Top > 0 ? clip.Top / ph * ph : 0;
    for (int64_t x = x0; x < xEnd && x < clip.Right; x += pw)
        for (int64_t y = y0; y < yEnd && y < clip.Bottom; y += ph)
            Canvas->Draw(int(x), int(y), g);
}

void ResizeImage(TBitmap* Bitmap, TCanvas* Canvas, const TRect& R)
{
    if (!Bitmap || !Canvas || Bitmap->Empty())
        return;
    Canvas->SetStretchBltMode(HALFTONE);
    const QImage img = Bitmap->Image();
    Canvas->StretchBltImage(R, img, img.rect(), SRCCOPY);
}

namespace {

// Both gradients, as their loop runs along the gradient from the near side (Top or Left) to the
// far side (Bottom or Right): nothing when the two are equal; the near line in the from colour; the
// lines near + 1 .. far - 2 interpolated; the line far - 1 in the to colour (so a one-line
// rectangle ends in the to colour). When far lies before near the interpolated lines are none and
// the from and to lines fall at near and far - 1 all the same. Each line runs across the rectangle
// as LineTo draws it: from its near edge, the far edge left out, in whichever direction. Lines
// and pixels outside the visible area are not drawn: the same pixels, at a cost bounded by the
// canvas.
void DrawGradientLines(TCanvas* Canvas, const TRect& R, TColor FromColor, TColor ToColor, bool Rows)
{
    const int64_t nearSide = Rows ? R.Top : R.Left, farSide = Rows ? R.Bottom : R.Right;
    if (!Canvas || nearSide == farSide)
        return;
    // The pixels a line covers across the rectangle: [lo, hi).
    const int64_t from = Rows ? R.Left : R.Top, to = Rows ? R.Right : R.Bottom;
    const int64_t lo = from <= to ? from : to + 1, hi = from <= to ? to : from + 1;
    const TRect clip = Canvas->ClipRect();
    const int c0 = int(std::max<int64_t>(lo, Rows ? clip.Left : clip.Top));
    const int c1 = int(std::min<int64_t>(hi, Rows ? clip.Right : clip.Bottom));
    const int64_t k0 = Rows ? clip.Top : clip.Left, k1 = Rows ? clip.Bottom : clip.Right;
    if (c0 >= c1 || k0 >= k1)
        return;
    TPenKeeper keep(Canvas);
    PrepareLinePen(Canvas);
    auto line = [&](int64_t k, TColor c) {
        if (k < k0 || k >= k1)
            return;
        Canvas->Pen()->SetColor(c);
        if (Rows) {
            Canvas->MoveTo(c0, int(k));
            Canvas->LineTo(c1, int(k));
        } else {
            Canvas->MoveTo(int(k), c0);
            Canvas->LineTo(int(k), c1);
        }
    };
    line(nearSide, FromColor);
    const double span = double(farSide - nearSide);
    for (int64_t k = std::max(nearSide + 1, k0); k <= std::min(farSide - 2, k1 - 1); ++k)
        line(k, GradientColor(FromColor, ToColor, span, double(k - nearSide - 1)));
    line(farSide - 1, ToColor);
}

}  // namespace

void DrawHorizontalGradient(TCanvas* Canvas, const TRect& R, TColor FromColor, TColor ToColor)
{
    DrawGradientLines(Canvas, R, FromColor, ToColor, true);
}

void DrawVerticalGradient(TCanvas* Canvas, const TRect& R, TColor FromColor, TColor ToColor)
{
    DrawGradientLines(Canvas, R, FromColor, ToColor, false);
}

void RoundPicture(TBitmap* Bitmap)
{
    if (!Bitmap)
        return;
    // Old (x, y) goes to (y, w - 1 - x): new (dx, dy) comes from (w - 1 - dy, dx).
    const int w = Bitmap->Width(), h = Bitmap->Height();
    Rotate(Bitmap, h, w, [w](int dx, int dy) { return QPoint(w - 1 - dy, dx); });
}

void RoundPicture2(TBitmap* Bitmap)
{
    if (!Bitmap)
        return;
    const int w = Bitmap->Width(), h = Bitmap->Height();
    Rotate(Bitmap, w, h, [w, h](int dx, int dy) { return QPoint(w - 1 - dx, h - 1 - dy); });
}

void RoundPicture3(TBitmap* Bitmap)
{
    if (!Bitmap)
        return;
    // Old (x, y) goes to (h - 1 - y, x): new (dx, dy) comes from (dy, h - 1 - dx).
    const int w = Bitmap->Width(), h = Bitmap->Height();
    Rotate(Bitmap, h, w, [h](int dx, int dy) { return QPoint(dy, h - 1 - dx); });
}

void ScanColor(TBitmap* Bitmap, TColor OldColor, TColor NewColor)
{
    if (!Bitmap)
        return;
    Bitmap->SetPixelFormat(pf24bit);
    if (Bitmap->Empty())
        return;
    const QRgb from = ColorToQRgb(OldColor) & 0xFFFFFF;
    const QRgb to = 0xFF000000u | (ColorToQRgb(NewColor) & 0xFFFFFF);
    QImage img = Bitmap->Image();
    bool changed = false;
    for (int y = 0; y < img.height(); ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(img.scanLine(y));
        for (int x = 0; x < img.width(); ++x) {
            if ((row[x] & 0xFFFFFF) == from) {
                row[x] = to;
                changed = true;
            }
        }
    }
    if (changed)
        Bitmap->SetImage(img);
}
