// Unit Kivpopupmenu: TkivPopupMenu, the framework's popup menu with every item drawn by the menu
// itself in the current UI style (or skin file): a coloured left bar, a selection frame, the
// style's separators and check mark, and on MacOS the style's glossy item pictures.
//
// Every item of the menu, and every menu item that joins the menu's owner, measures and draws
// through the menu's MeasureItem and DrawItem (unit Kivmenu does the drawing).
//
// Decisions:
// - The shared check-mark list is made when the first TkivPopupMenu is constructed (the unit has
//   no start-up code that could run before the application's resources exist) and lives until the
//   program ends; a missing MENU_CHECKED resource raises EResNotFound from that first constructor.
// - Setting UIStyle re-reads the look only: a menu keeps no drawing state between items, and an
//   open menu window draws every item again in its next paint.
// - Items that join the menu at run time are hooked when they join it, whoever owns them (besides
//   the items that join the menu's owner, which are hooked at once): an item created without an
//   owner would otherwise show the framework's plain look amid skinned ones.
// - OwnerDraw always reads true, and the framework's owner drawing is on from construction;
//   writing the property changes nothing.
#pragma once

#include "framework/Menus.h"
#include "skin/frame/Kivmenu.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

class TkivPopupMenu : public TPopupMenu {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)
    Q_PROPERTY(int MenuItemHeight READ MenuItemHeight WRITE SetMenuItemHeight)
    Q_PROPERTY(int SeparatorHeight READ SeparatorHeight WRITE SetSeparatorHeight)
    Q_PROPERTY(int BarWidth READ BarWidth WRITE SetBarWidth)
    Q_PROPERTY(TColor BarColor READ BarColor WRITE SetBarColor)
    Q_PROPERTY(TColor BarToColor READ BarToColor WRITE SetBarToColor)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(TColor SeparatorColor READ SeparatorColor WRITE SetSeparatorColor)
    Q_PROPERTY(TColor SelectedBorderColor READ SelectedBorderColor WRITE SetSelectedBorderColor)
    Q_PROPERTY(TColor SelectedColor READ SelectedColor WRITE SetSelectedColor)
    Q_PROPERTY(TColor SelectedFontColor READ SelectedFontColor WRITE SetSelectedFontColor)
    Q_PROPERTY(TColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(bool FlatMenu READ FlatMenu WRITE SetFlatMenu)
    Q_PROPERTY(QString FontName READ FontName WRITE SetFontName)
    Q_PROPERTY(int FontSize READ FontSize WRITE SetFontSize)
    Q_PROPERTY(int FontCharset READ FontCharset WRITE SetFontCharset)
    Q_PROPERTY(bool UseSystemFont READ UseSystemFont WRITE SetUseSystemFont)

public:
    // The defaults of TkivMenuLook, owner drawing on, then UIStyle := GetKIVFormStyle(AOwner)
    // through the setter (so the style's values win).
    explicit TkivPopupMenu(TComponent* AOwner);
    ~TkivPopupMenu() override;

    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style and reads the style's heights, bar width, separator colour and theme colours.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores the theme, then SetUIStyle(UIStyle).
    void SetFileTheme(TkivFileTheme* Value);

    bool OwnerDraw() const { return true; }
    void SetOwnerDraw(bool) {}
    int MenuItemHeight() const { return FLook.MenuItemHeight; }
    // Ignored while UIStyle is MacOS.
    void SetMenuItemHeight(int Value);
    int SeparatorHeight() const { return FLook.SeparatorHeight; }
    // Ignored while UIStyle is MacOS.
    void SetSeparatorHeight(int Value);
    int BarWidth() const { return FLook.BarWidth; }
    void SetBarWidth(int Value) { FLook.BarWidth = Value; }
    TColor BarColor() const { return FLook.BarColor; }
    void SetBarColor(TColor Value) { FLook.BarColor = Value; }
    TColor BarToColor() const { return FLook.BarToColor; }
    void SetBarToColor(TColor Value) { FLook.BarToColor = Value; }
    TColor Color() const { return FLook.Color; }
    void SetColor(TColor Value) { FLook.Color = Value; }
    TColor SeparatorColor() const { return FLook.SeparatorColor; }
    void SetSeparatorColor(TColor Value) { FLook.SeparatorColor = Value; }
    TColor SelectedBorderColor() const { return FLook.SelectedBorderColor; }
    void SetSelectedBorderColor(TColor Value) { FLook.SelectedBorderColor = Value; }
    TColor SelectedColor() const { return FLook.SelectedColor; }
    void SetSelectedColor(TColor Value) { FLook.SelectedColor = Value; }
    TColor SelectedFontColor() const { return FLook.SelectedFontColor; }
    void SetSelectedFontColor(TColor Value) { FLook.SelectedFontColor = Value; }
    TColor FontColor() const { return FLook.FontColor; }
    void SetFontColor(TColor Value) { FLook.FontColor = Value; }
    TColor BorderColor() const { return FLook.BorderColor; }
    void SetBorderColor(TColor Value) { FLook.BorderColor = Value; }
    bool FlatMenu() const { return FLook.FlatMenu; }
    void SetFlatMenu(bool Value) { FLook.FlatMenu = Value; }
    String FontName() const { return FLook.FontName; }
    void SetFontName(const String& Value) { FLook.FontName = Value; }
    int FontSize() const { return FLook.FontSize; }
    void SetFontSize(int Value) { FLook.FontSize = Value; }
    int FontCharset() const { return FLook.FontCharset; }
    void SetFontCharset(int Value) { FLook.FontCharset = Value; }
    bool UseSystemFont() const { return FLook.UseSystemFont; }
    void SetUseSystemFont(bool Value) { FLook.UseSystemFont = Value; }

    // The whole look and the style link, for descendants and drawing code.
    const TkivMenuLook& Look() const { return FLook; }
    const TkivThemeLink& Theme() const { return FTheme; }

    // The framework's loading, then MenuAdded.
    void Loaded() override;
    // Hooks every top-level item and, recursively, their sub-items.
    void MenuAdded();
    // The item handlers: size and drawing of the item Sender (a TMenuItem).
    virtual void MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    virtual void DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected);

    // The framework's handling; an item added to the menu is hooked.
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;

    // The check-mark list every TkivPopupMenu draws from (made on first use).
    static TCustomImageList* CheckMarks();

protected:
    // A TMenuItem inserted into the owner is hooked; removal of FileTheme gives DeepBlue.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivThemeLink FTheme{this};
    TkivMenuLook FLook;
    TkivMenuHooks FHooks;
};

// Registers the unit's classes for stored forms.
void RegisterKivpopupmenuClasses();
