// Unit Kivmenu: the drawing pieces both skinned menu components share (TkivPopupMenu, TkivMainMenu):
// hooking items to owner drawing, borders, fills, separators, the MacOS pieces, the flat border
// of a menu window, the system menu font, and the measuring and drawing of one item in a look.
//
// A menu component keeps its published look in a TkivMenuLook, forwards its properties to it, and
// measures and draws its items through Menu_MeasureItem and Menu_DrawItem.
//
// Decisions:
// - There are no non-client metrics to read here: the system menu font is Tahoma (its metric clone
//   from fonts-wine where installed, else the default sans), 8 points (height -11 at 96 dpi),
//   regular, default charset, in clMenuText; the same family and size as the caption font of
//   GetCaptionFont, without bold.
// - The flat border of a menu window is drawn through the window's own canvas during its paint,
//   in window coordinates ((0, 0) is the window's top-left corner), which covers the same pixels
//   as drawing on the desktop in screen coordinates would. On a bitmap's canvas there is no
//   window, so nothing is drawn.
// - Items are measured in the font they are drawn with (the system menu font, or FontName,
//   FontSize and FontCharset, bold for the default item), so a caption never runs past its item.
// - Right to left, the whole item is a mirror image of the left-to-right one: the caption ends
//   BarWidth + 4 pixels from the right edge and is right-aligned in (L, T, R - BarWidth - 4, B); the
//   shortcut text begins 16 pixels from the left edge and is left-aligned in (L + 16, T,
//   L + 16 + its width, B); the glyph sits at R - 20.
// - The item hooks are guarded: a component forgets the hooks it set when it goes away (items it
//   hooked but does not hold, for example items that joined its owner for another menu, would
//   otherwise call a freed component).
#pragma once

#include "framework/Colors.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/System.h"
#include "platform/WinTypes.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

#include <QPointer>
#include <memory>
#include <vector>

class TCanvas;
class TFont;

// Sets Item's OnMeasureItem and OnDrawItem, then those of each of its sub-items, recursively.
void Menu_SetItemEvent(TMenuItem* Item, const TMenuMeasureItemEvent& MeasureHandler,
                       const TMenuDrawItemEvent& DrawHandler);
// A one-pixel frame (FrameRect) in Color.
void Menu_DrawBorder(TCanvas* Canvas, const TRect& Rect, TColor Color);
// Fills Rect with Color.
void Menu_DrawBackGround(TCanvas* Canvas, const TRect& Rect, TColor Color);
// The separator line: at y = Top + 2, from Left + BarWidth + 4 to Right - 2 left to right, or from
// Left + 2 to Right - BarWidth - 4 right to left (end point excluded).
void Menu_DrawLineItem(TCanvas* Canvas, const TRect& Rect, TColor Color, int BarWidth, bool LeftToRight);
// The MacOS pieces: MACOS_MENU_BAR cut to its top 12 rows (separator) or 20 rows (normal item),
// MACOS_MENU_SELECT cut to 20 rows (selected item), stretched over Rect.
void Menu_DrawMacOSLineItem(TCanvas* Canvas, const TRect& Rect);
void Menu_DrawMacOSSelectedItem(TCanvas* Canvas, const TRect& Rect);
void Menu_DrawMacOSNonSelectedItem(TCanvas* Canvas, const TRect& Rect);
// The flat border of a menu window, over its whole rectangle (WL, WT, WR, WB): a frame
// (WL, WT + 1, WR - 1, WB - 1) in OuterColor, the frame inside it (WL + 1, WT + 2, WR - 2, WB - 2)
// in white, and the polyline (WL, WB - 1) -> (WR - 1, WB - 1) -> (WR - 1, WT) -> (WR, WT) -> (WL, WT)
// in LineColor. Unknown windows are ignored.
void Menu_DrawWindowBorder(HWND Window, TColor OuterColor, TColor LineColor);
// Gives Font the system menu font and the colour clMenuText. Null is ignored.
void Menu_GetSystemFont(TFont* Font);

// The built-in check-mark glyph MENU_CHECKED (16 x 16), transparent, in an image list masked with
// white. Raises EResNotFound when the resource is missing.
std::unique_ptr<TCustomImageList> Menu_NewCheckMarkList();

// The published look of a skinned menu, with the values its constructor starts from.
struct TkivMenuLook {
    int MenuItemHeight = 21;
    int SeparatorHeight = 21;
    int BarWidth = 0;
    TColor BarColor = clBtnFace;
    TColor BarToColor = clBtnFace;
    TColor Color = TColor(0xFFFFFF);
    TColor SeparatorColor = TColor(0x808080);
    TColor SelectedBorderColor = clHighlight;
    TColor SelectedColor = clHighlight;
    TColor SelectedFontColor = TColor(0xFFFFFF);
    TColor FontColor = TColor(0xFFFFFF);
    TColor BorderColor = TColor(0x000000);  // stored only; drawing does not use it
    bool FlatMenu = false;
    String FontName = QStringLiteral("MS Sans Serif");
    int FontSize = 8;
    int FontCharset = 1;  // DEFAULT_CHARSET
    bool UseSystemFont = true;
};

// Reads the values that follow the UI style into Look: heights (MacOS 20 and 12, other styles 21
// and 5), BarWidth 26, SeparatorColor (MacOS $000000, other styles $848284), and the theme colours
// from the skin file when Theme uses one, else from the built-in table of its resolved style.
void Menu_ApplyUIStyle(TkivMenuLook& Look, const TkivThemeLink& Theme);

// Gives Canvas the font an item is drawn in: the system menu font with UseSystemFont, else
// FontName, FontSize and FontCharset; bold for the menu's default item.
void Menu_SelectItemFont(const TkivMenuLook& Look, TMenuItem* Item, TCanvas* Canvas);

// The size of an item: a separator is SeparatorHeight high; other items are as high as the larger
// of their caption's text height and MenuItemHeight. The width is the caption's width plus the
// shortcut text's width plus BarWidth plus 40.
void Menu_MeasureItem(const TkivMenuLook& Look, TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height);

// What one item is drawn with besides the look.
struct TkivMenuDrawContext {
    const TkivThemeLink* Theme = nullptr;   // style and file theme of the menu
    TCustomImageList* Images = nullptr;     // item images (the application's list), or null
    TCustomImageList* CheckMarks = nullptr; // the check-mark glyph at index 0
    bool LeftToRight = true;
};

// Draws one item into Rect of Canvas: flat border of the menu window (FlatMenu), background or
// separator, caption, shortcut text, check mark or image.
void Menu_DrawItem(const TkivMenuLook& Look, const TkivMenuDrawContext& Context, TMenuItem* Item, TCanvas* Canvas,
                   const TRect& Rect, bool Selected);

// True when the menu lays its items out left to right: unless its BiDiMode is not bdLeftToRight
// on a Middle-East system locale.
bool Menu_IsLeftToRight(const TMenu* Menu);

// The item hooks of one menu component: every item hooked through it draws with the component's
// handlers until the component goes away, which then takes its handlers off again (unless another
// menu has hooked the item since).
class TkivMenuHooks {
public:
    TkivMenuHooks(QObject* Menu, TMenuMeasureItemEvent Measure, TMenuDrawItemEvent Draw);
    ~TkivMenuHooks();
    TkivMenuHooks(const TkivMenuHooks&) = delete;
    TkivMenuHooks& operator=(const TkivMenuHooks&) = delete;

    // Menu_SetItemEvent with the component's handlers, remembering Item and its sub-items.
    void Hook(TMenuItem* Item);
    // True when Item draws with this component's handlers.
    bool IsHooked(const TMenuItem* Item) const;

private:
    void Remember(TMenuItem* Item);

    QObject* FMenu;
    TMenuMeasureItemEvent FMeasure;
    TMenuDrawItemEvent FDraw;
    std::vector<QPointer<TMenuItem>> FItems;
};
