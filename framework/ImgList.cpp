#include "framework/ImgList.h"

#include <algorithm>

TCustomImageList::TCustomImageList(TObject*) {}

TCustomImageList::TCustomImageList(int AWidth, int AHeight)
{
    SetSize(AWidth, AHeight);
}

TCustomImageList::~TCustomImageList() = default;

void TCustomImageList::Change()
{
    if (OnChange)
        OnChange(this);
}

void TCustomImageList::SetSize(int AWidth, int AHeight)
{
    AWidth = std::clamp(AWidth, 1, MaxBitmapSide);
    AHeight = std::clamp(AHeight, 1, MaxBitmapSide);
    if (AWidth == FWidth && AHeight == FHeight)
        return;
    FWidth = AWidth;
    FHeight = AHeight;
    FImages.clear();
    Change();
}

void TCustomImageList::SetMasked(bool v)
{
    if (v == FMasked)
        return;
    FMasked = v;
    FImages.clear();
    Change();
}

void TCustomImageList::SetBkColor(TColor v)
{
    if (v == FBkColor)
        return;
    FBkColor = v;
    Change();
}

std::vector<QImage> TCustomImageList::Cut(TBitmap* Image, TBitmap* Mask, bool useKey, QRgb key) const
{
    std::vector<QImage> out;
    if (!Image || Image->Empty())
        return out;
    const QImage& src = Image->Image();
    const QImage* mask = (Mask && !Mask->Empty() && FMasked) ? &Mask->Image() : nullptr;
    const int n = src.width() / FWidth;
    const int rows = std::min(FHeight, src.height());
    for (int k = 0; k < n; ++k) {
        // Cell area the image does not reach is transparent in a masked list, black otherwise.
        QImage cell(FWidth, FHeight, QImage::Format_ARGB32);
        cell.fill(FMasked ? 0u : 0xFF000000u);
        for (int y = 0; y < rows; ++y) {
            const QRgb* s = reinterpret_cast<const QRgb*>(src.constScanLine(y)) + size_t(k) * FWidth;
            const QRgb* m = nullptr;
            if (mask && y < mask->height())
                m = reinterpret_cast<const QRgb*>(mask->constScanLine(y));
            QRgb* d = reinterpret_cast<QRgb*>(cell.scanLine(y));
            for (int x = 0; x < FWidth; ++x) {
                const QRgb v = s[x] & 0xFFFFFF;
                const int mx = k * FWidth + x;
                bool clear = false;
                if (FMasked) {
                    if (m && mx < mask->width() && (m[mx] & 0xFFFFFF) == 0xFFFFFF)
                        clear = true;
                    if (useKey && v == key)
                        clear = true;
                }
                d[x] = clear ? 0u : (0xFF000000u | v);
            }
        }
        out.push_back(std::move(cell));
    }
    return out;
}

int TCustomImageList::Add(TBitmap* Image, TBitmap* Mask)
{
    std::vector<QImage> cells = Cut(Image, Mask, false, 0);
    if (cells.empty())
        return -1;
    const int first = Count();
    for (QImage& c : cells)
        FImages.push_back(std::move(c));
    Change();
    return first;
}

int TCustomImageList::AddMasked(TBitmap* Image, TColor MaskColor)
{
    if (!Image || Image->Empty())
        return -1;
    if (MaskColor == clNone)
        return Add(Image, nullptr);
    const TColor c = MaskColor == clDefault ? Image->TransparentColor() : MaskColor;
    std::vector<QImage> cells = Cut(Image, nullptr, true, ColorToQRgb(c) & 0xFFFFFF);
    if (cells.empty())
        return -1;
    const int first = Count();
    for (QImage& cell : cells)
        FImages.push_back(std::move(cell));
    Change();
    return first;
}

void TCustomImageList::Replace(int Index, TBitmap* Image, TBitmap* Mask)
{
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
    std::vector<QImage> cells = Cut(Image, Mask, false, 0);
    if (cells.empty())
        return;
    FImages[size_t(Index)] = std::move(cells.front());
    Change();
}

void TCustomImageList::Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled)
{
    if (!Canvas || Index < 0 || Index >= Count())
        return;
    const QImage& cell = FImages[size_t(Index)];
    if (Enabled) {
        if (FBkColor != clNone && FMasked) {
            QImage under(cell.size(), QImage::Format_ARGB32);
            under.fill(0xFF000000u | ColorToQRgb(FBkColor));
            Canvas->DrawAlphaImage(X, Y, under);
        }
        Canvas->DrawAlphaImage(X, Y, cell);
        return;
    }
    // Disabled: the image's non-white pixels as a relief, highlight one pixel down-right, shadow on top.
    QImage highlight(cell.size(), QImage::Format_ARGB32), shadow(cell.size(), QImage::Format_ARGB32);
    const QRgb hl = 0xFF000000u | ColorToQRgb(clBtnHighlight), sh = 0xFF000000u | ColorToQRgb(clBtnShadow);
    for (int y = 0; y < cell.height(); ++y) {
        const QRgb* s = reinterpret_cast<const QRgb*>(cell.constScanLine(y));
        QRgb* h = reinterpret_cast<QRgb*>(highlight.scanLine(y));
        QRgb* d = reinterpret_cast<QRgb*>(shadow.scanLine(y));
        for (int x = 0; x < cell.width(); ++x) {
            const bool ink = qAlpha(s[x]) != 0 && (s[x] & 0xFFFFFF) != 0xFFFFFF;
            h[x] = ink ? hl : 0u;
            d[x] = ink ? sh : 0u;
        }
    }
    Canvas->DrawAlphaImage(X + 1, Y + 1, highlight);
    Canvas->DrawAlphaImage(X, Y, shadow);
}

void TCustomImageList::GetBitmap(int Index, TBitmap* Image)
{
    if (!Image)
        return;
    Image->SetSize(FWidth, FHeight);
    Draw(Image->Canvas(), 0, 0, Index);
}

void TCustomImageList::Clear()
{
    if (FImages.empty())
        return;
    FImages.clear();
    Change();
}

void TCustomImageList::Delete(int Index)
{
    if (Index == -1) {
        Clear();
        return;
    }
    if (Index < 0 || Index >= Count())
        throw EInvalidOperation(QStringLiteral("Invalid ImageList Index"));
    FImages.erase(FImages.begin() + Index);
    Change();
}

void TCustomImageList::Assign(const TPersistent* Source)
{
    if (Source == this)
        return;
    if (auto l = dynamic_cast<const TCustomImageList*>(Source)) {
        FWidth = l->FWidth;
        FHeight = l->FHeight;
        FMasked = l->FMasked;
        FBkColor = l->FBkColor;
        FImages = l->FImages;
        Change();
        return;
    }
    if (!Source) {
        Clear();
        return;
    }
    TPersistent::Assign(Source);
}
