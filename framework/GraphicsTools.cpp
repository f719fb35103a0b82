// Pens, brushes and the graphic base class.
#include "framework/Graphics.h"
#include "framework/Streams.h"

void TPen::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TPen::SetColor(TColor v)
{
    if (v == FColor)
        return;
    FColor = v;
    Changed();
}

void TPen::SetWidth(int v)
{
    if (v < 0)
        v = 0;
    if (v == FWidth)
        return;
    FWidth = v;
    Changed();
}

void TPen::SetStyle(TPenStyle v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Changed();
}

void TPen::SetMode(TPenMode v)
{
    if (v == FMode)
        return;
    FMode = v;
    Changed();
}

void TPen::Assign(const TPersistent* Source)
{
    if (auto p = dynamic_cast<const TPen*>(Source)) {
        if (p == this)
            return;
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        FMode = p->FMode;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TBrush::Changed()
{
    if (OnChange)
        OnChange(this);
}

void TBrush::SetColor(TColor v)
{
    if (v == FColor && FStyle != bsClear)
        return;
    FColor = v;
    if (FStyle == bsClear)
        FStyle = bsSolid;
    Changed();
}

void TBrush::SetStyle(TBrushStyle v)
{
    if (v == FStyle)
        return;
    FStyle = v;
    Changed();
}

void TBrush::SetBitmap(TBitmap* v)
{
    if (v == FBitmap)
        return;
    FBitmap = v;
    Changed();
}

void TBrush::Assign(const TPersistent* Source)
{
    if (auto b = dynamic_cast<const TBrush*>(Source)) {
        if (b == this)
            return;
        FColor = b->FColor;
        FStyle = b->FStyle;
        FBitmap = b->FBitmap;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

void TGraphic::SetTransparent(bool v)
{
    if (v == FTransparent)
        return;
    FTransparent = v;
    Changed();
}

void TGraphic::SetModified(bool v)
{
    if (v)
        Changed();
    else
        FModified = false;
}

void TGraphic::Changed()
{
    FModified = true;
    if (OnChange)
        OnChange(this);
}

void TGraphic::LoadFromFile(const String& FileName)
{
    TFileStream s(FileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(&s);
}

void TGraphic::SaveToFile(const String& FileName)
{
    TFileStream s(FileName, fmCreate);
    SaveToStream(&s);
}
