// The tool bar: a bar of tool buttons laid out left to right (in rows when Wrapable), drawn on
// the bar's canvas through the custom-draw events or in a plain look, with hot tracking, and
// buttons that drop menus down: a button with a MenuItem shows the item's sub-menu below itself,
// which makes a row of such buttons a form's menu bar.
//
// Decisions:
// - Buttons are TToolButton controls that the bar places and draws: their windows let the mouse
//   through and paint nothing, so the bar handles hovering, pressing and drawing in one place, as
//   the platform's tool bar does with its buttons. The bar's Canvas draws every button, through
//   OnCustomDrawButton or in the plain look.
// - Order: a button placed on the bar at run time takes its place by its Left and Top among the
//   others (a new button at 0, 0 goes first, so buttons made from the last to the first end up in
//   order); buttons read from a stored form keep the stored order, sorted by position once loaded.
// - A button's width and height given at run time become the bar's ButtonWidth and ButtonHeight
//   (the bar lays every button out); separators and dividers keep a width of their own (8).
//   AutoSize buttons are as wide as their caption (plus 7 pixels on each side) and image.
// - OnCustomDraw runs after the background has been erased with Color; DefaultDraw false there
//   leaves the buttons undrawn (the handler drew the bar), as the platform's tool bar then skips its
//   own drawing. OnCustomDrawButton with DefaultDraw false leaves the button entirely to the
//   handler. The edges (EdgeBorders) lie outside the client area and are always drawn.
// - Draw states: cdsHot for the enabled button under the pointer in a Flat bar; cdsSelected while
//   the button is held down with the pointer on it, or while its menu is dropped down; cdsChecked
//   while Down; cdsDisabled when not Enabled. The bar has no focus or marking, so cdsFocused,
//   cdsDefault, cdsGrayed, cdsMarked and cdsIndeterminate are not given.
// - Menus: pressing a button with a MenuItem runs the item's OnClick (as a main menu's top item
//   does) and drops its sub-items down at the button's bottom-left corner in a TPopupMenu that the
//   bar owns for that time; the bar's Notification sees it inserted, and its OnPopup may be set
//   there. The popup takes the images, owner drawing, BiDiMode and AutoHotkeys of the item's menu,
//   and the sub-items move into it while it is open and back afterwards; the chosen item runs after
//   they are back. A button with a DropdownMenu drops that menu instead. While a menu is dropped
//   down, the pointer on another Grouped button with a menu switches to that button's menu, and
//   Left/Right switch to the previous/next one (wrapping). A MenuItem without visible sub-items
//   runs its OnClick when its button is clicked.
// - CM_DIALOGCHAR: when the bar is enabled, showing and shows captions, the accelerator of a
//   visible, enabled button's caption drops that button's menu (opened from the keyboard: its
//   first item selected) or clicks the button, and the message's Result becomes 1. A descendant
//   decides when to offer characters by overriding CMDialogChar.
#pragma once

#include "framework/Controls.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"

#include <QPointer>
#include <functional>
#include <vector>

class TToolBar;
class TToolButton;

namespace VclToolBar {
Q_NAMESPACE

enum TToolButtonStyle { tbsButton, tbsCheck, tbsDropDown, tbsSeparator, tbsDivider };
Q_ENUM_NS(TToolButtonStyle)
enum TEdgeStyle { esNone, esRaised, esLowered };
Q_ENUM_NS(TEdgeStyle)

}  // namespace VclToolBar

using namespace VclToolBar;

// Which sides of the bar carry an edge (a set of bits; "ebTop" etc. in stored forms).
using TEdgeBorders = uint32_t;
constexpr TEdgeBorders ebLeft = 1, ebTop = 2, ebRight = 4, ebBottom = 8;

// The state of a button being drawn (a set of bits).
using TCustomDrawState = uint32_t;
constexpr TCustomDrawState cdsSelected = 1u << 0, cdsGrayed = 1u << 1, cdsDisabled = 1u << 2, cdsChecked = 1u << 3,
                           cdsFocused = 1u << 4, cdsDefault = 1u << 5, cdsHot = 1u << 6, cdsMarked = 1u << 7,
                           cdsIndeterminate = 1u << 8;

using TTBCustomDrawEvent = std::function<void(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw)>;
using TTBCustomDrawBtnEvent =
    std::function<void(TToolBar* Sender, TToolButton* Button, TCustomDrawState State, bool& DefaultDraw)>;

class TToolButton : public TGraphicControl {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool Down READ Down WRITE SetDown)
    Q_PROPERTY(bool Grouped READ Grouped WRITE SetGrouped)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(VclToolBar::TToolButtonStyle Style READ Style WRITE SetStyle)
    Q_PROPERTY(bool Wrap READ Wrap WRITE SetWrap)
    Q_PROPERTY(TMenuItem* MenuItem READ MenuItem WRITE SetMenuItem)
    Q_PROPERTY(TPopupMenu* DropdownMenu READ DropdownMenu WRITE SetDropdownMenu)

public:
    explicit TToolButton(TComponent* AOwner);
    ~TToolButton() override;

    // The bar the button sits on, or null.
    TToolBar* Toolbar() const { return FToolBar; }
    // The position among the bar's buttons, -1 off a bar.
    int Index() const;

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    bool Down() const { return FDown; }
    void SetDown(bool v);
    // Grouped check buttons next to each other act as one choice; menu buttons that are grouped
    // switch menus between them.
    bool Grouped() const { return FGrouped; }
    void SetGrouped(bool v);
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    TToolButtonStyle Style() const { return FStyle; }
    void SetStyle(TToolButtonStyle v);
    // The next button starts a new row.
    bool Wrap() const { return FWrap; }
    void SetWrap(bool v);
    // The menu item whose sub-menu the button drops down; setting it copies the item's Caption,
    // Enabled, Hint, ImageIndex, Visible and Checked (as Down) to the button.
    TMenuItem* MenuItem() const { return FMenuItem; }
    void SetMenuItem(TMenuItem* Value);
    TPopupMenu* DropdownMenu() const { return FDropdownMenu; }
    void SetDropdownMenu(TPopupMenu* Value);
    // True when pressing the button drops a menu down.
    bool HasMenu() const;

    // Toggles a check button, runs a MenuItem without sub-items, then fires OnClick.
    void Click() override;
    // Drops the button's menu down (as a press does); false when it has none.
    bool CheckMenuDropdown();

    void SetParent(TWinControl* AParent) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void Loaded() override;

protected:
    void Paint() override {}
    void InitPeer() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void TextChanged() override;
    void EnabledChanged() override;
    void VisibleChanged() override;

private:
    friend class TToolBar;
    // Lays the bar out again (when the size may have changed) and repaints it.
    void UpdateButton(bool Layout);

    TToolBar* FToolBar = nullptr;
    bool FAutoSize = false;
    bool FDown = false;
    bool FGrouped = false;
    int FImageIndex = -1;
    TToolButtonStyle FStyle = tbsButton;
    bool FWrap = false;
    int FSeparatorWidth = 8;
    int FStoredWidth = -1;  // the width read from a stored definition
    TMenuItem* FMenuItem = nullptr;
    TPopupMenu* FDropdownMenu = nullptr;
};

class TToolBar : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(bool Flat READ Flat WRITE SetFlat)
    Q_PROPERTY(int EdgeBorders READ EdgeBorders WRITE SetEdgeBorders)
    Q_PROPERTY(VclToolBar::TEdgeStyle EdgeInner READ EdgeInner WRITE SetEdgeInner)
    Q_PROPERTY(VclToolBar::TEdgeStyle EdgeOuter READ EdgeOuter WRITE SetEdgeOuter)
    Q_PROPERTY(bool ShowCaptions READ ShowCaptions WRITE SetShowCaptions)
    Q_PROPERTY(bool Wrapable READ Wrapable WRITE SetWrapable)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(bool List READ List WRITE SetList)
    Q_PROPERTY(int ButtonHeight READ ButtonHeight WRITE SetButtonHeight)
    Q_PROPERTY(int ButtonWidth READ ButtonWidth WRITE SetButtonWidth)

public:
    explicit TToolBar(TComponent* AOwner);
    ~TToolBar() override;

    int ButtonCount() const { return int(FButtons.size()); }
    TToolButton* Buttons(int Index) const { return FButtons.at(size_t(Index)); }

    bool Flat() const { return FFlat; }
    void SetFlat(bool v);
    int EdgeBorders() const { return int(FEdgeBorders); }
    void SetEdgeBorders(int v);
    TEdgeStyle EdgeInner() const { return FEdgeInner; }
    void SetEdgeInner(TEdgeStyle v);
    TEdgeStyle EdgeOuter() const { return FEdgeOuter; }
    void SetEdgeOuter(TEdgeStyle v);
    bool ShowCaptions() const { return FShowCaptions; }
    void SetShowCaptions(bool v);
    bool Wrapable() const { return FWrapable; }
    void SetWrapable(bool v);
    // The bar's height follows its rows of buttons.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    // Captions to the right of images instead of below them.
    bool List() const { return FList; }
    void SetList(bool v);
    int ButtonHeight() const { return FButtonHeight; }
    void SetButtonHeight(int v);
    int ButtonWidth() const { return FButtonWidth; }
    void SetButtonWidth(int v);
    // Image lists of the buttons (not owned): Images, and HotImages for hot buttons.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);
    TCustomImageList* HotImages() const { return FHotImages; }
    void SetHotImages(TCustomImageList* v);

    // Drops the button's menu down and runs the menus until the user is done (switching between
    // grouped menu buttons); false when the button has no menu.
    bool TrackMenu(TToolButton* Button);
    // The button whose menu is dropped down, the hot button, or null.
    TToolButton* DroppedButton() const { return FDropped; }
    TToolButton* HotButton() const { return FHot; }
    // The button at a client point (separators included), or null.
    TToolButton* ButtonAt(int X, int Y) const;
    // The state the button is drawn in now.
    TCustomDrawState ButtonState(const TToolButton* Button) const;

    void Loaded() override;

    TEvent<TTBCustomDrawEvent> OnCustomDraw{this, "OnCustomDraw"};
    TEvent<TTBCustomDrawBtnEvent> OnCustomDrawButton{this, "OnCustomDrawButton"};

protected:
    void Paint() override;
    void WMPaint(TMessage& Message) override;
    void WMNCCalcSize(TMessage& Message) override;
    void Dispatch(TMessage& Message) override;
    // Drops the menu of the button whose caption's accelerator is the character (see Decisions).
    virtual void CMDialogChar(TMessage& Message);
    void CMMouseLeave(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Resize() override;
    void FontChanged() override;
    // The plain look of a button.
    virtual void DrawButton(TToolButton* Button, TCustomDrawState State);

private:
    friend class TToolButton;
    void InsertButton(TToolButton* Button);
    void RemoveButton(TToolButton* Button);
    void LayoutButtons();
    int ButtonWidthOf(TToolButton* Button);
    void SetHot(TToolButton* Button);
    void DrawEdges(TCanvas& Canvas);
    // Runs menus from the first button's on, switching as the user moves between buttons.
    bool RunMenus(TToolButton* First, bool ByKeyboard);
    TMenuTrackResult DropDown(TToolButton* Button, bool ByKeyboard);
    // Offers the button at a client point as the next menu; true when it takes over.
    bool OfferSwitch(const TPoint& ClientPoint);
    TToolButton* NeighbourMenuButton(TToolButton* From, int Step) const;
    // Puts the sub-items shown in the bar's own popup back into their item and frees the popup.
    void RestoreDropItems();

    std::vector<TToolButton*> FButtons;
    bool FFlat = false;
    TEdgeBorders FEdgeBorders = ebTop;
    TEdgeStyle FEdgeInner = esRaised;
    TEdgeStyle FEdgeOuter = esLowered;
    bool FShowCaptions = false;
    bool FWrapable = true;
    bool FAutoSize = false;
    bool FList = false;
    int FButtonHeight = 22;
    int FButtonWidth = 23;
    TCustomImageList* FImages = nullptr;
    TCustomImageList* FHotImages = nullptr;
    bool FLayingOut = false;
    TToolButton* FHot = nullptr;
    TToolButton* FPressed = nullptr;
    bool FPressedInside = false;
    TToolButton* FDropped = nullptr;
    TToolButton* FSwitchTo = nullptr;
    QPointer<TPopupMenu> FDropMenu;
    QPointer<TMenuItem> FDropItem;
    std::vector<QPointer<TMenuItem>> FMoved;
};
