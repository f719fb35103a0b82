// TkivFileThemeMgr (unit Kivthemes): answers requests for skin elements from a loaded skin file.
#pragma once

#include "framework/Colors.h"
#include "framework/System.h"
#include "skin/theme/Kiv2define.h"

#include <memory>

class TBitmap;
class Tsk2SkinFileReader;

class TkivFileThemeMgr : public TObject {
public:
    TkivFileThemeMgr();
    ~TkivFileThemeMgr() override;
    TkivFileThemeMgr(const TkivFileThemeMgr&) = delete;
    TkivFileThemeMgr& operator=(const TkivFileThemeMgr&) = delete;

    // Loads a skin file. A missing file returns false and keeps the current skin; otherwise the
    // current skin is dropped, and the result tells whether the new one loaded (a corrupt file or
    // a password problem leaves no skin).
    bool LoadFromFile(const String& FileName, const String& Password);

    // The skin's bitmap for the element (kept by the skin), or null without a skin.
    TBitmap* GetBitmap(Tsk2SkinBitmapElement Element) const;
    // The skin's colour; 0 without a skin, -1 when the skin lacks it.
    TColor GetColor(Tsk2SkinColorElement Element) const;
    // The skin's integer; 0 without a skin, -1 when the skin lacks it.
    int GetInt(Tsk2IntElement Element) const;
    // The skin's flag; false without a skin or when the skin lacks it.
    bool GetBool(Tsk2BoolElement Element) const;

    // The loaded skin, or null.
    Tsk2SkinFileReader* Reader() const { return FReader.get(); }

    String ClassName() const override { return QStringLiteral("TkivFileThemeMgr"); }

private:
    std::unique_ptr<Tsk2SkinFileReader> FReader;
};
