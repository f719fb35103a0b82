#include "skin/theme/KivthemesFileMgr.h"

#include "framework/SysUtils.h"
#include "skin/theme/Kiv2skinreader.h"

#include <exception>

namespace {

// The key of entry i of the key table, or an empty string outside it.
String KeyAt(int first, int count, int ordinal)
{
    if (ordinal < 0 || ordinal >= count)
        return String();
    return QString::fromLatin1(SK2_KEY_TABLE[first + ordinal]);
}

}  // namespace

TkivFileThemeMgr::TkivFileThemeMgr() = default;

TkivFileThemeMgr::~TkivFileThemeMgr() = default;

bool TkivFileThemeMgr::LoadFromFile(const String& FileName, const String& Password)
{
    if (FileName.isEmpty() || !FileExists(FileName))
        return false;
    FReader.reset();
    try {
        auto reader = std::make_unique<Tsk2SkinFileReader>(FileName, Password);
        if (!reader->Loaded())
            return false;
        FReader = std::move(reader);
        return true;
    } catch (const std::exception&) {
        return false;
    }
}

TBitmap* TkivFileThemeMgr::GetBitmap(Tsk2SkinBitmapElement Element) const
{
    if (!FReader)
        return nullptr;
    const String key = KeyAt(SK2_BITMAP_FIRST, SK2_BITMAP_COUNT, Element);
    return key.isEmpty() ? nullptr : FReader->GetBitmap(key);
}

TColor TkivFileThemeMgr::GetColor(Tsk2SkinColorElement Element) const
{
    if (!FReader)
        return 0;
    const String key = KeyAt(SK2_COLOR_FIRST, SK2_COLOR_COUNT, Element);
    return key.isEmpty() ? -1 : FReader->GetInteger(key);
}

int TkivFileThemeMgr::GetInt(Tsk2IntElement Element) const
{
    if (!FReader)
        return 0;
    const String key = KeyAt(SK2_INT_FIRST, SK2_INT_COUNT, Element);
    return key.isEmpty() ? -1 : FReader->GetInteger(key);
}

bool TkivFileThemeMgr::GetBool(Tsk2BoolElement Element) const
{
    if (!FReader)
        return false;
    const String key = KeyAt(SK2_BOOL_FIRST, SK2_BOOL_COUNT, Element);
    return !key.isEmpty() && FReader->GetBool(key);
}
