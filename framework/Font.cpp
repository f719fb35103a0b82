#include "framework/Font.h"

#include <cmath>

TFont::TFont() : FName(QStringLiteral("MS Sans Serif")), FHeight(-11), FColor(clWindowText) {}

void TFont::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TFont::SetName(const String& v)
{
    if (v.isEmpty() || v == FName)
        return;
    FName = v;
    Changed();
}

void TFont::SetHeight(int v)
{
    if (v == FHeight)
        return;
    FHeight = v;
    Changed();
}

int TFont::Size() const
{
    return -int(std::lround(double(FHeight) * 72.0 / PixelsPerInch));
}

void TFont::SetSize(int points)
{
    SetHeight(-int(std::lround(double(points) * PixelsPerInch / 72.0)));
}

void TFont::SetColor(TColor v)
{
    if (v == FColor)
        return;
    FColor = v;
    Changed();
}

void TFont::SetStyle(TFontStyles v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Changed();
}

void TFont::SetCharset(int v)
{
    if (v == FCharset)
        return;
    FCharset = v;
    Changed();
}

void TFont::SetPitch(TFontPitch v)
{
    if (v == FPitch)
        return;
    FPitch = v;
    Changed();
}

void TFont::Assign(const TPersistent* Source)
{
    if (auto f = dynamic_cast<const TFont*>(Source)) {
        if (*f == *this)
            return;
        FName = f->FName;
        FHeight = f->FHeight;
        FColor = f->FColor;
        FStyle = f->FStyle;
        FCharset = f->FCharset;
        FPitch = f->FPitch;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

bool TFont::operator==(const TFont& o) const
{
    return FName == o.FName && FHeight == o.FHeight && FColor == o.FColor && FStyle == o.FStyle &&
           FCharset == o.FCharset && FPitch == o.FPitch;
}

QFont TFont::ToQFont() const
{
    QFont f(FName);
    // A negative height is the em height; a positive one is the cell height, whose em is about 80 %.
    const int px = FHeight < 0 ? -FHeight : std::max(1, int(std::lround(FHeight * 0.8)));
    f.setPixelSize(std::max(1, px));
    f.setBold(FStyle & fsBold);
    f.setItalic(FStyle & fsItalic);
    f.setUnderline(FStyle & fsUnderline);
    f.setStrikeOut(FStyle & fsStrikeOut);
    if (FPitch == fpFixed)
        f.setFixedPitch(true);
    f.setStyleStrategy(QFont::PreferAntialias);
    return f;
}
