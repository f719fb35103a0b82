// Skin-file elements: the four element enumerations and their key names.
// A value's name is also its key in a skin data file ("SKIN2_BUTTON", ...).
// The enumerations have a fixed underlying type, so an element number read from outside (a
// property, a caller's cast) that names no element is still a value the lookups can refuse.
#pragma once

enum Tsk2SkinColorElement : int {
    SKIN2_TRANSCOLOR,
    SKIN2_TITLEFONTCOLOR,
    SKIN2_FORMCOLOR,
    SKIN2_MENUBARSTARTCOLOR,
    SKIN2_MENUBARENDCOLOR,
    SKIN2_TOPSELECTEDMENUCOLOR,
    SKIN2_TOPSELECTEDMENUBORDERCOLOR,
    SKIN2_TOPSELECTEDMENUFONTCOLOR,
    SKIN2_TOPMENUFONTCOLOR,
    SKIN2_LEFTBARSTARTCOLOR,
    SKIN2_LEFTBARENDCOLOR,
    SKIN2_MENUITEMCOLOR,
    SKIN2_MENUITEMFONTCOLOR,
    SKIN2_SELECTEDMENUCOLOR,
    SKIN2_SELECTEDMENUBORDERCOLOR,
    SKIN2_SELECTEDMENUFONTCOLOR,
    SKIN2_TOOLBARSTARTCOLOR,
    SKIN2_TOOLBARENDCOLOR,
    SKIN2_TOOLBARONCOLOR,
    SKIN2_TOOLBARBORDERCOLOR,
    SKIN2_TOOLBARDOWNCOLOR,
    SKIN2_CONTROLCOLOR,
    SKIN2_CONTROLBORDERCOLOR,
    SKIN2_CONTROLFONTCOLOR,
    SKIN2_BUTTONFONTCOLOR,
    SKIN2_SCROLLBARCOLOR,
    SKIN2_TABCONTROLCOLOR,
    SKIN2_TABCONTROLBORDERCOLOR,
    SKIN2_TABCONTROLACTIVEFONTCOLOR,
    SKIN2_TABCONTROLINACTIVEFONTCOLOR,
    SKIN2_SIDECHANNELCOLOR,
    SKIN2_SIDECHANNELBORDERCOLOR,
};

enum Tsk2SkinBitmapElement : int {
    SKIN2_TITLEBAR1,
    SKIN2_TITLEBAR2,
    SKIN2_TITLEBAR3,
    SKIN2_TITLEBAR4,
    SKIN2_TITLEBAR5,
    SKIN2_FORMLEFTBORDER,
    SKIN2_FORMRIGHTBORDER,
    SKIN2_FORMBOTTOMBORDER1,
    SKIN2_FORMBOTTOMBORDER2,
    SKIN2_FORMBOTTOMBORDER3,
    SKIN2_MINIMIZEDTITLE,
    SKIN2_TITLEBUTTONS,
    SKIN2_CHECKEDMENUICON,
    SKIN2_MENUBAR,
    SKIN2_TOOLBAR,
    SKIN2_BUTTON,
    SKIN2_CHECKBOX,
    SKIN2_CHECKBOXLIST,
    SKIN2_RADIOBUTTON,
    SKIN2_PROGRESSBAR1,
    SKIN2_PROGRESSBAR2,
    SKIN2_PROGRESSBAR3,
    SKIN2_PROGRESSBAR4,
    SKIN2_TRACKBAR,
    SKIN2_TRACKBARSLIDER,
    SKIN2_TRACKBARVSLIDER,
    SKIN2_SCROLLBARUPBUTTON,
    SKIN2_SCROLLBAR,
    SKIN2_SCROLLBARDOWNBUTTON,
    SKIN2_TABCONTROL,
    SKIN2_TABCONTROLLINE,
    SKIN2_SIDECHANNELBAR,
    SKIN2_SIDECHANNELTITLE,
    SKIN2_SCROLLBUTTON,
};

enum Tsk2IntElement : int {
    SKIN2_TITLEBARICONPOSX,
    SKIN2_TITLEBARICONPOSY,
    SKIN2_TITLEBARCAPTIONTOP,
    SKIN2_TITLEBARBUTTONPOSX,
    SKIN2_TITLEBARBUTTONPOSY,
    SKIN2_TITLEBARREGIONMINY,
    SKIN2_TITLEBARREGIONMAXY,
    SKIN2_BOTTOMREGIONMINY,
    SKIN2_BOTTOMREGIONMAXY,
};

enum Tsk2BoolElement : int {
    SKIN2_TITLEFIVESECT,
    SKIN2_BOTTOMBORDERTHREESECT,
    SKIN2_TITLEBARNEEDREGION,
    SKIN2_BOTTOMBORDERNEEDREGION,
    SKIN2_TITLEBTNTRANS,
    SKIN2_BUTTONTRANS,
    SKIN2_CHECKBOXTRANS,
    SKIN2_RADIOBUTTONTRANS,
    SKIN2_TABCONTROLTRANS,
};

// Number of values of each enumeration.
constexpr int SK2_COLOR_COUNT = 32;
constexpr int SK2_BITMAP_COUNT = 34;
constexpr int SK2_INT_COUNT = 9;
constexpr int SK2_BOOL_COUNT = 9;

// Where each enumeration starts in the key table.
constexpr int SK2_COLOR_FIRST = 0;
constexpr int SK2_BITMAP_FIRST = SK2_COLOR_FIRST + SK2_COLOR_COUNT;   // 32
constexpr int SK2_INT_FIRST = SK2_BITMAP_FIRST + SK2_BITMAP_COUNT;    // 66
constexpr int SK2_BOOL_FIRST = SK2_INT_FIRST + SK2_INT_COUNT;         // 75
constexpr int SK2_KEY_COUNT = SK2_BOOL_FIRST + SK2_BOOL_COUNT;        // 84

// The key table: the colour keys, then the bitmap, integer and flag keys, each in ordinal order.
extern const char* const SK2_KEY_TABLE[SK2_KEY_COUNT];

// Key names of single elements; nullptr for an ordinal outside the enumeration.
const char* Sk2ColorName(Tsk2SkinColorElement e);
const char* Sk2BitmapName(Tsk2SkinBitmapElement e);
const char* Sk2IntName(Tsk2IntElement e);
const char* Sk2BoolName(Tsk2BoolElement e);

// What a key names.
enum class TSk2KeyKind { Unknown, Color, Bitmap, Int, Bool };

// Classifies a key (exact, upper-case match against the key table) and gives its ordinal
// within its enumeration through Ordinal when not null.
TSk2KeyKind Sk2KeyKind(const char* key, int* Ordinal = nullptr);
