// Unit Kivthemes: the UI styles, the built-in theme tables (one per built-in style, 48 elements
// each) and their typed lookups, and the style a new component takes from its form.
// TkivFileThemeMgr, the skin-file half of the unit, lives in KivthemesFileMgr.h.
#pragma once

#include "framework/Colors.h"
#include "framework/System.h"
#include "skin/theme/KivthemesFileMgr.h"

#include <QObject>
#include <array>
#include <cstdint>

class TBitmap;
class TComponent;

// The style enumeration sits in a Qt namespace so that published properties of this type can be
// set by identifier from stored form definitions ("UIStyle = Protein").
namespace Kivthemes {
Q_NAMESPACE

enum TkivUIStyle : uint8_t {
    FromThemeFile = 0,  // the look comes from the component's FileTheme; no built-in table
    MacOS = 1,
    WinXP = 2,
    DeepBlue = 3,       // the library's fallback style
    Protein = 4,
    BlueGlass = 5,
};
Q_ENUM_NS(TkivUIStyle)

}  // namespace Kivthemes

using namespace Kivthemes;

// The kind of a theme element. Scoped: its value names are too common for the global namespace.
enum class TkivType : uint8_t { Int = 0, Color = 1, Str = 2, Bool = 3 };

// Element ids (1..48).
constexpr int KIV_THEME_BUTTON_IMAGE = 1;
constexpr int KIV_THEME_BUTTON_TRANSPARENT = 2;
constexpr int KIV_THEME_CHECKBOX_IMAGE = 3;
constexpr int KIV_THEME_RADIOBUTTON_IMAGE = 4;
constexpr int KIV_THEME_TITLEBAR_BUTTON_IMAGE = 5;
constexpr int KIV_THEME_TITLEBAR_BUTTON_TRANSPARENT = 6;
constexpr int KIV_THEME_TITLEBAR_BUTTON_LEFTOFFSET = 7;
constexpr int KIV_THEME_TITLEBAR_BUTTON_RIGHTOFFSET = 8;
constexpr int KIV_THEME_TITLEBAR_BUTTON_TOP = 9;
constexpr int KIV_THEME_TITLEBAR_LEFT_IMAGE = 10;
constexpr int KIV_THEME_TITLEBAR_CLIENT_IMAGE = 11;
constexpr int KIV_THEME_TITLEBAR_RIGHT_IMAGE = 12;
constexpr int KIV_THEME_FORM_MINWIDTH = 13;
constexpr int KIV_THEME_FORM_ROUNDCORNER = 14;
constexpr int KIV_THEME_FORM_BACKGROUND_COLOR = 15;
constexpr int KIV_THEME_FORM_BORDER_COLOR = 16;
constexpr int KIV_THEME_FORM_BORDERWIDTH = 17;
constexpr int KIV_THEME_MENU_SELECTED_BORDER_COLOR = 18;
constexpr int KIV_THEME_MENU_SELECTED_BACKGROUND_COLOR = 19;
constexpr int KIV_THEME_MENU_SELECTED_FONT_COLOR = 20;
constexpr int KIV_THEME_MENU_BACKGROUND_COLOR = 21;
constexpr int KIV_THEME_MENU_FONT_COLOR = 22;
constexpr int KIV_THEME_MENU_LEFTBAR_COLOR = 23;
constexpr int KIV_THEME_PROGRESSBAR_IMAGE = 24;
constexpr int KIV_THEME_CONTROL_BORDER_COLOR = 25;
constexpr int KIV_THEME_CONTROL_BACKGROUND_COLOR = 26;
constexpr int KIV_THEME_CONTROL_FONT_COLOR = 27;
constexpr int KIV_THEME_TRACKBAR_BAR_IMAGE = 28;
constexpr int KIV_THEME_TRACKBAR_SLIDER_IMAGE = 29;
constexpr int KIV_THEME_TRACKBAR_VSLIDER_IMAGE = 30;
constexpr int KIV_THEME_SCROLLBAR_BACKGROUND_COLOR = 31;
constexpr int KIV_THEME_SCROLLBAR_BUTTON_IMAGE = 32;
constexpr int KIV_THEME_SCROLLBAR_TRACK_IMAGE = 33;
constexpr int KIV_THEME_CHECKLIST_IMAGE = 34;
constexpr int KIV_THEME_TOOLBAR_BUTTON_BORDER_COLOR = 35;
constexpr int KIV_THEME_TOOLBAR_BUTTON_COLOR = 36;
constexpr int KIV_THEME_TOOLBAR_BUTTON_DOWN_COLOR = 37;
constexpr int KIV_THEME_SCROLLBUTTON_IMAGE = 38;
constexpr int KIV_THEME_TAB_IMAGE = 39;
constexpr int KIV_THEME_TABLINE_IMAGE = 40;
constexpr int KIV_THEME_SIDECHANNEL_HANDLE_IMAGE = 41;
constexpr int KIV_THEME_SIDECHANNEL_BAR_IMAGE = 42;
// Ids 43..48 are spare entries that no component reads.

constexpr int KIV_THEME_ELEMENT_COUNT = 48;

// One value of a table: by the element's kind an integer, a colour ($00BBGGRR), a flag (low byte
// 0 or 1), or the name of a bitmap resource (Name; Value unused).
struct TkivThemeValue {
    int32_t Value = 0;
    const char* Name = nullptr;
};

// A built-in style's table: entry [id - 1] is element id's value.
using TkivThemeDef = std::array<TkivThemeValue, KIV_THEME_ELEMENT_COUNT>;
using PTkivThemeDef = const TkivThemeDef*;

// The kind of every element, shared by all styles: entry [id - 1].
extern const std::array<TkivType, KIV_THEME_ELEMENT_COUNT> KIV_THEME_KINDS;

// The table of a built-in style; null for FromThemeFile and for any ordinal above BlueGlass.
PTkivThemeDef GetInsideThemeDef(TkivUIStyle Style);

// Loads the style's image element into Target. FrameCount 0 loads the whole resource bitmap;
// otherwise only frame FrameIndex (1-based) of FrameCount equal frames is cut into Target.
// Nothing happens for a null Target, a style without a table, an id outside 1..48 or an element
// that is not an image. A missing resource raises EResNotFound ("Resource NAME not found"), the
// empty names of the spare ids included.
void GetInsideThemeBitmap(TkivUIStyle Style, int ElementId, TBitmap* Target, int FrameCount, int FrameIndex);
// The colour of a colour element; 0 for anything else.
TColor GetInsideThemeColor(TkivUIStyle Style, int ElementId);
// The integer of an integer element; -1 for anything else.
int GetInsideThemeInt(TkivUIStyle Style, int ElementId);
// The flag of a flag element (the value's low byte); false for anything else.
bool GetInsideThemeBool(TkivUIStyle Style, int ElementId);

// The style a component created with Owner starts with: the UIStyle of the first direct child
// control of Owner that is a TkivForm, when Owner is a form; DeepBlue otherwise.
TkivUIStyle GetKIVFormStyle(TComponent* Owner);

// A style read from a property value or an untrusted number: ordinals above BlueGlass keep no
// table but are kept as they are; only the byte is taken.
inline TkivUIStyle ToUIStyle(int Ordinal) { return TkivUIStyle(uint8_t(Ordinal)); }
