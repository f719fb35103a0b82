// Image lists: rows of equal-sized images, each optionally masked, drawn by index.
#pragma once

#include "framework/Graphics.h"

#include <QImage>
#include <vector>

class TCustomImageList : public TPersistent {
public:
    // The owner is accepted for the framework's construction shape; the list does not register with it.
    explicit TCustomImageList(TObject* AOwner = nullptr);
    TCustomImageList(int AWidth, int AHeight);
    ~TCustomImageList() override;
    TCustomImageList(const TCustomImageList&) = delete;
    TCustomImageList& operator=(const TCustomImageList&) = delete;

    int Width() const { return FWidth; }
    int Height() const { return FHeight; }
    // Changing the size empties the list.
    void SetWidth(int v) { SetSize(v, FHeight); }
    void SetHeight(int v) { SetSize(FWidth, v); }
    void SetSize(int AWidth, int AHeight);
    int Count() const { return int(FImages.size()); }
    // Masked lists leave the masked pixels of their images untouched when drawing; unmasked lists draw
    // every pixel. Changing it empties the list.
    bool Masked() const { return FMasked; }
    void SetMasked(bool v);
    // Colour drawn under masked pixels, or clNone to leave them alone.
    TColor BkColor() const { return FBkColor; }
    void SetBkColor(TColor v);

    // Adds the image cut into Width-wide pieces (a remainder narrower than Width is dropped). Mask: a
    // bitmap whose white pixels mark transparent ones, or nullptr for none. Returns the index of the
    // first image added, or -1 when nothing was added.
    int Add(TBitmap* Image, TBitmap* Mask);
    // Adds with the pixels of MaskColor transparent (clDefault: the image's transparent colour; clNone:
    // no mask).
    int AddMasked(TBitmap* Image, TColor MaskColor);
    void Replace(int Index, TBitmap* Image, TBitmap* Mask);

    // Draws image Index with its top-left corner at (X, Y); a disabled image is drawn embossed in the
    // highlight and shadow colours. An index outside the list draws nothing.
    void Draw(TCanvas* Canvas, int X, int Y, int Index, bool Enabled = true);
    // Sizes Image to the list's image size and draws the image onto it.
    void GetBitmap(int Index, TBitmap* Image);
    void Clear();
    // Removes one image; -1 removes all. Other indexes raise EInvalidOperation "Invalid ImageList Index".
    void Delete(int Index);

    // The stored image (ARGB, alpha 0 where masked), for the control layer.
    const QImage& ImageAt(int Index) const { return FImages.at(size_t(Index)); }

    void Assign(const TPersistent* Source) override;
    TNotifyEvent OnChange;
    String ClassName() const override { return QStringLiteral("TCustomImageList"); }

private:
    void Change();
    std::vector<QImage> Cut(TBitmap* Image, TBitmap* Mask, bool useKey, QRgb key) const;

    int FWidth = 16;
    int FHeight = 16;
    bool FMasked = true;
    TColor FBkColor = clNone;
    std::vector<QImage> FImages;
};

class TImageList : public TCustomImageList {
public:
    using TCustomImageList::TCustomImageList;
    String ClassName() const override { return QStringLiteral("TImageList"); }
};
