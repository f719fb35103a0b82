// Unit Kivmainmenu: TkivMainMenu, a main menu whose top-level items the skinned form frame shows
// as buttons of its own menu bar, and whose drop-down items the menu draws itself in the current
// UI style (or skin file), as TkivPopupMenu does.
//
// The menu knows the frame that shows it only through IkivMenuBarHost, which the skinned form
// implements: the menu asks it to rebuild its bar when items are added, to refresh the buttons'
// captions and enabled states when items change, and to repaint when the font choice changes.
//
// Decisions:
// - The framework's forms have no native menu bar, so there is no native Menu for the constructor
//   to clear on an owning form.
// - Images, as the menu reports it to its own drawing, is the application's list (or null); the
//   framework's menu windows see the menu's own check-mark list in its place when the application
//   gives none. That list makes the framework measure and draw every item through the item
//   handlers, also in the drop-down menus the frame's tool bar opens.
// - Items that join the menu at run time are hooked when they join it, whoever owns them (see
//   Kivpopupmenu.h).
// - Setting UIStyle also asks the frame to repaint its menu bar, whose buttons are drawn in the
//   menu's style.
#pragma once

#include "framework/Menus.h"
#include "skin/frame/Kivmenu.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

#include <memory>

// The skinned form frame that shows a TkivMainMenu's top-level items in its menu bar.
class IkivMenuBarHost {
public:
    // Rebuilds the bar's buttons from the menu's top-level items.
    virtual void UpdateMenu() = 0;
    // Copies each top-level item's Caption and Enabled to its button.
    virtual void UpdateTopMenu() = 0;
    // Takes the menu's font again and repaints the bar.
    virtual void RepaintMenuBar() = 0;

protected:
    ~IkivMenuBarHost() = default;
};

class TkivMainMenu : public TMainMenu {
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
    // The defaults of TkivMenuLook, the menu's own check-mark list, then
    // UIStyle := GetKIVFormStyle(AOwner) through the setter (so the style's values win).
    explicit TkivMainMenu(TComponent* AOwner);
    ~TkivMainMenu() override;

    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style, reads the style's heights, bar width, separator colour and theme colours,
    // and asks the frame to repaint its menu bar.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores the theme, then SetUIStyle(UIStyle).
    void SetFileTheme(TkivFileTheme* Value);

    bool OwnerDraw() const { return true; }
    void SetOwnerDraw(bool) {}
    int MenuItemHeight() const { return FLook.MenuItemHeight; }
    // Stored in every style.
    void SetMenuItemHeight(int Value) { FLook.MenuItemHeight = Value; }
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
    // Stores, then asks the frame to repaint its menu bar.
    void SetUseSystemFont(bool Value);

    const TkivMenuLook& Look() const { return FLook; }
    const TkivThemeLink& Theme() const { return FTheme; }

    // The application's image list for item images, or null (see Decisions).
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* Value);
    // The menu's own check-mark list.
    TCustomImageList* CheckMarks() const { return FCheckMarks.get(); }

    // The frame that shows the menu (set by the frame; null when none). A frame set here is asked
    // at once to rebuild its bar, refresh its buttons and repaint.
    IkivMenuBarHost* MenuBarHost() const { return FHost; }
    void SetMenuBarHost(IkivMenuBarHost* Host);

    // The framework's loading, then MenuAdded.
    void Loaded() override;
    // Hooks every top-level item and, recursively, their sub-items; then asks the frame to rebuild
    // its menu bar.
    void MenuAdded();
    // The framework's handling; then, on a form with a frame, the frame refreshes its buttons (and
    // at design time, not while loading, rebuilds its bar). An item added to the menu is hooked.
    void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild) override;
    // The item handlers: size and drawing of the item Sender (a TMenuItem).
    virtual void MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height);
    virtual void DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected);

protected:
    // A TMenuItem inserted into the owner is hooked; removal of FileTheme gives DeepBlue.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivThemeLink FTheme{this};
    TkivMenuLook FLook;
    std::unique_ptr<TCustomImageList> FCheckMarks;
    TCustomImageList* FImages = nullptr;
    IkivMenuBarHost* FHost = nullptr;
    TkivMenuHooks FHooks;
};

// Registers the unit's classes for stored forms.
void RegisterKivmainmenuClasses();
