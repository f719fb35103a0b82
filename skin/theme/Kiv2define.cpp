#include "skin/theme/Kiv2define.h"

#include <cstring>

const char* const SK2_KEY_TABLE[SK2_KEY_COUNT] = {
    // Tsk2SkinColorElement
    "SKIN2_TRANSCOLOR",
    "SKIN2_TITLEFONTCOLOR",
    "SKIN2_FORMCOLOR",
    "SKIN2_MENUBARSTARTCOLOR",
    "SKIN2_MENUBARENDCOLOR",
    "SKIN2_TOPSELECTEDMENUCOLOR",
    "SKIN2_TOPSELECTEDMENUBORDERCOLOR",
    "SKIN2_TOPSELECTEDMENUFONTCOLOR",
    "SKIN2_TOPMENUFONTCOLOR",
    "SKIN2_LEFTBARSTARTCOLOR",
    "SKIN2_LEFTBARENDCOLOR",
    "SKIN2_MENUITEMCOLOR",
    "SKIN2_MENUITEMFONTCOLOR",
    "SKIN2_SELECTEDMENUCOLOR",
    "SKIN2_SELECTEDMENUBORDERCOLOR",
    "SKIN2_SELECTEDMENUFONTCOLOR",
    "SKIN2_TOOLBARSTARTCOLOR",
    "SKIN2_TOOLBARENDCOLOR",
    "SKIN2_TOOLBARONCOLOR",
    "SKIN2_TOOLBARBORDERCOLOR",
    "SKIN2_TOOLBARDOWNCOLOR",
    "SKIN2_CONTROLCOLOR",
    "SKIN2_CONTROLBORDERCOLOR",
    "SKIN2_CONTROLFONTCOLOR",
    "SKIN2_BUTTONFONTCOLOR",
    "SKIN2_SCROLLBARCOLOR",
    "SKIN2_TABCONTROLCOLOR",
    "SKIN2_TABCONTROLBORDERCOLOR",
    "SKIN2_TABCONTROLACTIVEFONTCOLOR",
    "SKIN2_TABCONTROLINACTIVEFONTCOLOR",
    "SKIN2_SIDECHANNELCOLOR",
    "SKIN2_SIDECHANNELBORDERCOLOR",
    // Tsk2SkinBitmapElement
    "SKIN2_TITLEBAR1",
    "SKIN2_TITLEBAR2",
    "SKIN2_TITLEBAR3",
    "SKIN2_TITLEBAR4",
    "SKIN2_TITLEBAR5",
    "SKIN2_FORMLEFTBORDER",
    "SKIN2_FORMRIGHTBORDER",
    "SKIN2_FORMBOTTOMBORDER1",
    "SKIN2_FORMBOTTOMBORDER2",
    "SKIN2_FORMBOTTOMBORDER3",
    "SKIN2_MINIMIZEDTITLE",
    "SKIN2_TITLEBUTTONS",
    "SKIN2_CHECKEDMENUICON",
    "SKIN2_MENUBAR",
    "SKIN2_TOOLBAR",
    "SKIN2_BUTTON",
    "SKIN2_CHECKBOX",
    "SKIN2_CHECKBOXLIST",
    "SKIN2_RADIOBUTTON",
    "SKIN2_PROGRESSBAR1",
    "SKIN2_PROGRESSBAR2",
    "SKIN2_PROGRESSBAR3",
    "SKIN2_PROGRESSBAR4",
    "SKIN2_TRACKBAR",
    "SKIN2_TRACKBARSLIDER",
    "SKIN2_TRACKBARVSLIDER",
    "SKIN2_SCROLLBARUPBUTTON",
    "SKIN2_SCROLLBAR",
    "SKIN2_SCROLLBARDOWNBUTTON",
    "SKIN2_TABCONTROL",
    "SKIN2_TABCONTROLLINE",
    "SKIN2_SIDECHANNELBAR",
    "SKIN2_SIDECHANNELTITLE",
    "SKIN2_SCROLLBUTTON",
    // Tsk2IntElement
    "SKIN2_TITLEBARICONPOSX",
    "SKIN2_TITLEBARICONPOSY",
    "SKIN2_TITLEBARCAPTIONTOP",
    "SKIN2_TITLEBARBUTTONPOSX",
    "SKIN2_TITLEBARBUTTONPOSY",
    "SKIN2_TITLEBARREGIONMINY",
    "SKIN2_TITLEBARREGIONMAXY",
    "SKIN2_BOTTOMREGIONMINY",
    "SKIN2_BOTTOMREGIONMAXY",
    // Tsk2BoolElement
    "SKIN2_TITLEFIVESECT",
    "SKIN2_BOTTOMBORDERTHREESECT",
    "SKIN2_TITLEBARNEEDREGION",
    "SKIN2_BOTTOMBORDERNEEDREGION",
    "SKIN2_TITLEBTNTRANS",
    "SKIN2_BUTTONTRANS",
    "SKIN2_CHECKBOXTRANS",
    "SKIN2_RADIOBUTTONTRANS",
    "SKIN2_TABCONTROLTRANS",
};

static_assert(SKIN2_SIDECHANNELBORDERCOLOR + 1 == SK2_COLOR_COUNT);
static_assert(SKIN2_SCROLLBUTTON + 1 == SK2_BITMAP_COUNT);
static_assert(SKIN2_BOTTOMREGIONMAXY + 1 == SK2_INT_COUNT);
static_assert(SKIN2_TABCONTROLTRANS + 1 == SK2_BOOL_COUNT);
static_assert(SK2_KEY_COUNT == 84);

namespace {

const char* KeyAt(int first, int count, int ordinal)
{
    if (ordinal < 0 || ordinal >= count)
        return nullptr;
    return SK2_KEY_TABLE[first + ordinal];
}

}  // namespace

const char* Sk2ColorName(Tsk2SkinColorElement e) { return KeyAt(SK2_COLOR_FIRST, SK2_COLOR_COUNT, e); }
const char* Sk2BitmapName(Tsk2SkinBitmapElement e) { return KeyAt(SK2_BITMAP_FIRST, SK2_BITMAP_COUNT, e); }
const char* Sk2IntName(Tsk2IntElement e) { return KeyAt(SK2_INT_FIRST, SK2_INT_COUNT, e); }
const char* Sk2BoolName(Tsk2BoolElement e) { return KeyAt(SK2_BOOL_FIRST, SK2_BOOL_COUNT, e); }

TSk2KeyKind Sk2KeyKind(const char* key, int* Ordinal)
{
    if (key) {
        for (int i = 0; i < SK2_KEY_COUNT; ++i) {
            if (std::strcmp(key, SK2_KEY_TABLE[i]) != 0)
                continue;
            TSk2KeyKind kind;
            int ord;
            if (i < SK2_BITMAP_FIRST) {
                kind = TSk2KeyKind::Color;
                ord = i - SK2_COLOR_FIRST;
            } else if (i < SK2_INT_FIRST) {
                kind = TSk2KeyKind::Bitmap;
                ord = i - SK2_BITMAP_FIRST;
            } else if (i < SK2_BOOL_FIRST) {
                kind = TSk2KeyKind::Int;
                ord = i - SK2_INT_FIRST;
            } else {
                kind = TSk2KeyKind::Bool;
                ord = i - SK2_BOOL_FIRST;
            }
            if (Ordinal)
                *Ordinal = ord;
            return kind;
        }
    }
    if (Ordinal)
        *Ordinal = -1;
    return TSk2KeyKind::Unknown;
}
