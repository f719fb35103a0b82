#include "skin/theme/Kivthemelink.h"

#include "framework/Graphics.h"

TkivThemeLink::~TkivThemeLink()
{
    if (FFile && FHolder)
        FFile->RemoveFreeNotification(FHolder);
}

void TkivThemeLink::SetFile(TkivFileTheme* Value)
{
    if (FFile && FFile != Value && FHolder)
        FFile->RemoveFreeNotification(FHolder);
    FFile = Value;
    if (Value && FHolder)
        Value->FreeNotification(FHolder);
}

bool TkivThemeLink::Removed(TComponent* AComponent, TOperation Operation)
{
    if (Operation != opRemove || !AComponent || AComponent != FFile)
        return false;
    FFile = nullptr;
    return true;
}

bool TkivThemeLink::UsingFile() const
{
    TkivUIStyle effective = FStyle;
    return UsingFileTheme(FFile, FStyle, effective);
}

TkivUIStyle TkivThemeLink::Effective() const
{
    TkivUIStyle effective = FStyle;
    UsingFileTheme(FFile, FStyle, effective);
    return effective;
}

TColor TkivThemeLink::Color(int BuiltInId, Tsk2SkinColorElement SkinElement) const
{
    TkivUIStyle effective = FStyle;
    if (UsingFileTheme(FFile, FStyle, effective))
        return FFile->GetColor(SkinElement);
    return GetInsideThemeColor(effective, BuiltInId);
}

int TkivThemeLink::Int(int BuiltInId, Tsk2IntElement SkinElement) const
{
    TkivUIStyle effective = FStyle;
    if (UsingFileTheme(FFile, FStyle, effective))
        return FFile->GetInt(SkinElement);
    return GetInsideThemeInt(effective, BuiltInId);
}

bool TkivThemeLink::Bool(int BuiltInId, Tsk2BoolElement SkinElement) const
{
    TkivUIStyle effective = FStyle;
    if (UsingFileTheme(FFile, FStyle, effective))
        return FFile->GetBool(SkinElement);
    return GetInsideThemeBool(effective, BuiltInId);
}

void TkivThemeLink::Bitmap(int BuiltInId, Tsk2SkinBitmapElement SkinElement, TBitmap* Target, int FrameCount,
                           int FrameIndex) const
{
    if (!Target)
        return;
    TkivUIStyle effective = FStyle;
    if (UsingFileTheme(FFile, FStyle, effective))
        FFile->GetBitmap2(SkinElement, Target, FrameCount, FrameIndex);
    else
        GetInsideThemeBitmap(effective, BuiltInId, Target, FrameCount, FrameIndex);
}
