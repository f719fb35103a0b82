// Menus: menu items in a tree, the main menu of a form, the popup menu shown at a point, shortcuts
// and their texts, and the accelerator helpers.
//
// A menu's items hang under its root item (Items). Every change of an item (caption, state,
// sub-items added, removed or moved) reaches its menu through the virtual MenuChanged. Popup menus
// (and the sub-menus a tool bar drops down) run in the framework's own menu windows
// (MenusPopup.cpp): a top-level window per open (sub)menu, whose items are measured and drawn
// through the items' owner-draw events when the menu draws its items itself, and in a plain look
// otherwise.
//
// Decisions:
// - Popup(X, Y) is modal with its own event loop, as the desktop's menu tracking is: it returns
//   when the menu has closed (an item chosen, Esc, a click outside, CloseMenu). The chosen item runs
//   from the event queue right after, as the desktop posts the menu command: code that follows
//   Popup (a title bar resetting its pressed look) never runs on objects the item's OnClick freed,
//   and the tool bar learns how one menu ended (chosen, cancelled, Left/Right, the pointer on
//   another button) before it drops the next. Only one menu is tracked at a time: a Popup while
//   another menu is open returns at once.
// - Owner drawing: when the menu's OwnerDraw is set, or it has an image list, every item is measured
//   through OnMeasureItem (which receives the plain look's size), and an item with OnDrawItem or
//   OnAdvancedDrawItem is drawn by those handlers alone: every pixel of its rectangle is theirs.
//   Other items get the plain look: caption, right-aligned shortcut, check mark or radio dot,
//   image, sub-menu arrow, separators, disabled grey.
// - Insertion notices: TMenuItem, TMainMenu and TPopupMenu join their owner at the end of their own
//   constructor rather than in TComponent's, so the owner's components see a complete TMenuItem or
//   TPopupMenu in Notification(opInsert), as on the platform. A class derived from them is seen as
//   that framework class at that moment.
// - The root item (Items) has no owner; its menu frees it. Items free their sub-items.
// - IsShortCut runs an item only when it and every item above it are enabled and visible: a hidden
//   or disabled sub-menu cannot be opened, so its shortcuts do not run either.
// - AutoCheck on a radio item checks it: a checked radio item stays checked when chosen again
//   (toggling it off would leave its group with no choice).
// - Automatic accelerators (AutoHotkeys maAutomatic) are worked out for each open menu level and
//   never written into Caption: an item without "&" gets the first letter or digit of its caption
//   that no other item of the level uses. The plain look underlines it; owner-drawn items show
//   their Caption as it is. With maManual only "&" marks count.
// - Keyboard in an open menu: Up/Down/Home/End skip separators and disabled items, Right or Enter
//   opens a sub-menu (selecting its first item), Left and Esc close one level, Enter runs, a letter
//   runs or opens the item it marks (several items with the same letter: the next one is
//   selected). The pointer selects any item it rests on, a disabled one too (drawn selected, it
//   does not run); a sub-menu opens after SubMenuDelay ms of hovering, at once on a click.
//   Opening a sub-menu first runs its item's OnClick, so handlers can fill sub-menus as they open.
// - Accelerator underlines are hidden (odNoAccel) in menus opened with the mouse until a key is
//   pressed, as the desktop does.
// - BiDiMode is kept for drawing handlers; the menu windows themselves open and lay out left to
//   right (a right-to-left caller places the menu itself, as the skinned title bar does).
#pragma once

#include "framework/Component.h"
#include "framework/ControlTypes.h"
#include "framework/ImgList.h"
#include "framework/Messages.h"

#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QWidget;
class TCanvas;
class TMenu;
class TMenuItem;

namespace VclMenus {
Q_NAMESPACE

enum TMenuAutoFlag { maAutomatic, maManual, maParent };
Q_ENUM_NS(TMenuAutoFlag)
enum TPopupAlignment { paLeft, paRight, paCenter };
Q_ENUM_NS(TPopupAlignment)
enum TTrackButton { tbRightButton, tbLeftButton };
Q_ENUM_NS(TTrackButton)
enum TFindItemKind { fkCommand, fkHandle, fkShortCut };
Q_ENUM_NS(TFindItemKind)

}  // namespace VclMenus

using namespace VclMenus;

RQ_DECLARE_EXCEPTION(EMenuError, Exception)

// A key with its modifiers: the virtual-key code in the low byte, plus the modifier bits.
using TShortCut = uint16_t;
constexpr TShortCut scNone = 0, scShift = 0x2000, scCtrl = 0x4000, scAlt = 0x8000;

// The state of an item being drawn (a set of bits).
using TOwnerDrawState = uint32_t;
constexpr TOwnerDrawState odSelected = 1u << 0, odGrayed = 1u << 1, odDisabled = 1u << 2, odChecked = 1u << 3,
                          odFocused = 1u << 4, odDefault = 1u << 5, odHotLight = 1u << 6, odInactive = 1u << 7,
                          odNoAccel = 1u << 8, odNoFocusRect = 1u << 9, odReserved1 = 1u << 10,
                          odReserved2 = 1u << 11, odComboBoxEdit = 1u << 12;

using TMenuMeasureItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)>;
using TMenuDrawItemEvent = std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)>;
using TAdvancedMenuDrawItemEvent =
    std::function<void(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State)>;
using TMenuChangeEvent = std::function<void(TObject* Sender, TMenuItem* Source, bool Rebuild)>;

// A key message as menus read it (WM_KEYDOWN / WM_SYSKEYDOWN).
struct TWMKey {
    UINT Msg = WM_KEYDOWN;
    WORD CharCode = 0;
    LPARAM KeyData = 0;
    LRESULT Result = 0;
};

class TMenuItem : public TComponent {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TShortCut ShortCut READ ShortCut WRITE SetShortCut)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool RadioItem READ RadioItem WRITE SetRadioItem)
    Q_PROPERTY(uchar GroupIndex READ GroupIndex WRITE SetGroupIndex)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(bool AutoCheck READ AutoCheck WRITE SetAutoCheck)

public:
    explicit TMenuItem(TComponent* AOwner);
    ~TMenuItem() override;

    // "-" makes the item a separator line; "&" marks the accelerator ("&&" is a plain "&").
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    TShortCut ShortCut() const { return FShortCut; }
    void SetShortCut(TShortCut v);
    // Checking a radio item unchecks the radio items of its group (same GroupIndex, same parent).
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool RadioItem() const { return FRadioItem; }
    void SetRadioItem(bool v);
    uint8_t GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(uint8_t v);
    // The default item of a sub-menu is drawn bold; at most one item of a sub-menu is the default.
    bool Default() const { return FDefault; }
    void SetDefault(bool v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    // Index into the menu's image list; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    String Hint() const { return FHint; }
    void SetHint(const String& v) { FHint = v; }
    // Choosing the item toggles Checked (a radio item is checked) before OnClick runs.
    bool AutoCheck() const { return FAutoCheck; }
    void SetAutoCheck(bool v) { FAutoCheck = v; }

    // True for a separator (Caption "-").
    bool IsLine() const { return FCaption == QLatin1String("-"); }
    // A number unique to the item (FindItem with fkCommand).
    int Command() const { return FCommand; }

    // --- sub-items ---
    int Count() const { return int(FItems.size()); }
    // Raises EMenuError "Menu index out of range" for a bad index.
    TMenuItem* Items(int Index) const;
    TMenuItem* operator[](int Index) const { return Items(Index); }
    // Adds at the end / at Index (0..Count). An item that already has a parent, the item itself
    // or one of its parents raise EMenuError.
    void Add(TMenuItem* Item);
    void Insert(int Index, TMenuItem* Item);
    // Takes the sub-item out of the list without freeing it.
    void Delete(int Index);
    void Remove(TMenuItem* Item);
    int IndexOf(const TMenuItem* Item) const;
    // Frees every sub-item.
    void Clear();
    // The sub-item whose caption, without accelerator marks, equals ACaption (any case), or null.
    TMenuItem* Find(const String& ACaption) const;
    TMenuItem* Parent() const { return FParent; }
    // The position among the parent's sub-items (-1 without a parent); setting it moves the item.
    int MenuIndex() const;
    void SetMenuIndex(int Value);
    // The menu this item belongs to (through its parents), or null.
    TMenu* GetParentMenu() const;
    // True when the item has visible sub-items to open.
    bool HasVisibleItems() const;

    // Runs the item when it is enabled: AutoCheck, then OnClick.
    virtual void Click();

    // Owner drawing, called by the menu windows. MeasureItem receives the plain look's size and lets
    // OnMeasureItem change it; DrawItem fires OnDrawItem; AdvancedDrawItem draws through DrawItem
    // and then OnAdvancedDrawItem.
    virtual void MeasureItem(TCanvas* ACanvas, int& Width, int& Height);
    virtual void DrawItem(TCanvas* ACanvas, const TRect& ARect, bool Selected);
    virtual void AdvancedDrawItem(TCanvas* ACanvas, const TRect& ARect, TOwnerDrawState State, bool TopLevel);
    // True when the item has a drawing handler of its own.
    bool HasDrawHandler() const { return bool(OnDrawItem) || bool(OnAdvancedDrawItem); }

    TEvent<TNotifyEvent> OnClick{this, "OnClick"};
    TEvent<TMenuMeasureItemEvent> OnMeasureItem{this, "OnMeasureItem"};
    TEvent<TMenuDrawItemEvent> OnDrawItem{this, "OnDrawItem"};
    TEvent<TAdvancedMenuDrawItemEvent> OnAdvancedDrawItem{this, "OnAdvancedDrawItem"};

protected:
    // Tells the menu that this item changed; Rebuild when the list of items changed.
    void MenuChanged(bool Rebuild);

private:
    friend class TMenu;
    // Passes a change of Source up to the menu; Sender is the item whose list or state changed.
    void SubItemChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);
    void TurnSiblingsOff();
    void CheckInsertable(TMenuItem* Item) const;

    String FCaption;
    TShortCut FShortCut = 0;
    bool FChecked = false;
    bool FRadioItem = false;
    uint8_t FGroupIndex = 0;
    bool FDefault = false;
    bool FEnabled = true;
    bool FVisible = true;
    int FImageIndex = -1;
    String FHint;
    bool FAutoCheck = false;
    int FCommand = 0;
    TMenuItem* FParent = nullptr;
    std::vector<TMenuItem*> FItems;
    TMenu* FMenu = nullptr;  // set on the root item only
};

class TMenu : public TComponent {
    Q_OBJECT
    Q_PROPERTY(bool OwnerDraw READ OwnerDraw WRITE SetOwnerDraw)
    Q_PROPERTY(VclMenus::TMenuAutoFlag AutoHotkeys READ AutoHotkeys WRITE SetAutoHotkeys)
    Q_PROPERTY(Vcl::TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)

public:
    ~TMenu() override;

    // The root item; the menu's items are its sub-items.
    TMenuItem* Items() const { return FItems; }
    // The image list item images come from (not owned), or null.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);
    bool OwnerDraw() const { return FOwnerDraw; }
    void SetOwnerDraw(bool v);
    TMenuAutoFlag AutoHotkeys() const { return FAutoHotkeys; }
    void SetAutoHotkeys(TMenuAutoFlag v);
    TBiDiMode BiDiMode() const { return FBiDiMode; }
    void SetBiDiMode(TBiDiMode v);
    // True when items are drawn by their owner-draw events (OwnerDraw, or an image list).
    bool IsOwnerDraw() const { return FOwnerDraw || FImages; }

    // Finds the enabled, visible item whose ShortCut matches the key and its modifiers (Shift and
    // Ctrl as the keyboard holds them, Alt from the key data) and runs it (Click); true when one ran.
    bool IsShortCut(TWMKey& Message);
    // The same for a WM_KEYDOWN / WM_SYSKEYDOWN message; other messages give false.
    bool IsShortCut(TMessage& Message);
    // The item with that command number or shortcut, searched depth-first; fkHandle finds nothing.
    TMenuItem* FindItem(int Value, TFindItemKind Kind) const;

    // Runs after items were added, removed or changed (Sender: the item whose list or state
    // changed; Source: the changed item, null for the whole menu; Rebuild: the list of items
    // changed). Descendants override it and call the inherited one, which fires OnChange unless
    // the menu is loading or being destroyed and refreshes an open menu window.
    virtual void MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild);

    void Loaded() override;

    TEvent<TMenuChangeEvent> OnChange{this, "OnChange"};

protected:
    // The menu joins AOwner when the concrete class's constructor has finished (see Decisions).
    explicit TMenu(TComponent* AOwner);

private:
    TMenuItem* FItems;
    TCustomImageList* FImages = nullptr;
    bool FOwnerDraw = false;
    TMenuAutoFlag FAutoHotkeys = maAutomatic;
    TBiDiMode FBiDiMode = bdLeftToRight;
};

class TMainMenu : public TMenu {
    Q_OBJECT
public:
    explicit TMainMenu(TComponent* AOwner);
};

// How the tracking of a menu ended.
enum class TMenuTrackEnd {
    Chosen,     // an item was chosen (Item)
    Cancelled,  // Esc at the top level, a click outside, CloseMenu, the window closed
    Left,       // Left at the top level (TMenuTrackParams::ArrowsLeaveRoot)
    Right,      // Right on an item without a sub-menu (ArrowsLeaveRoot)
    Outside,    // OnMouseOutside asked to end (the pointer moved onto something that takes over)
};

struct TMenuTrackResult {
    TMenuTrackEnd End = TMenuTrackEnd::Cancelled;
    TMenuItem* Item = nullptr;  // the chosen item (Chosen only)
};

// How a menu is tracked. The tool bar uses these to drop sub-menus and switch between them.
struct TMenuTrackParams {
    int X = 0, Y = 0;  // screen position of the menu's corner (by the popup's Alignment)
    // A screen rectangle the menu should not cover (the button it drops from): a menu that does
    // not fit below it opens above it. Empty: none.
    TRect Exclude;
    // Select the first item at once (a menu opened from the keyboard).
    bool SelectFirst = false;
    // Left at the top level and Right on an item without a sub-menu end the tracking.
    bool ArrowsLeaveRoot = false;
    // Called when the pointer moves outside every menu window (screen coordinates); returning true
    // ends the tracking with TMenuTrackEnd::Outside.
    std::function<bool(const TPoint& Screen)> OnMouseOutside;
};

class TPopupMenu : public TMenu {
    Q_OBJECT
    Q_PROPERTY(VclMenus::TPopupAlignment Alignment READ Alignment WRITE SetAlignment)
    Q_PROPERTY(bool AutoPopup READ AutoPopup WRITE SetAutoPopup)
    Q_PROPERTY(VclMenus::TTrackButton TrackButton READ TrackButton WRITE SetTrackButton)

public:
    explicit TPopupMenu(TComponent* AOwner);
    ~TPopupMenu() override;

    // Shows the menu at (X, Y) in screen coordinates (the corner given by Alignment): fires
    // OnPopup, tracks the menu until it closes, and runs the chosen item from the event queue
    // right after (see Decisions).
    virtual void Popup(int X, int Y);
    // The tracking behind Popup for callers that run the chosen item themselves (a tool bar):
    // fires OnPopup, tracks, fires OnClose, and returns how the tracking ended. Nothing runs.
    TMenuTrackResult TrackPopup(const TMenuTrackParams& Params);
    // Closes the menu while it is tracked (Popup then returns, nothing chosen).
    void CloseMenu();
    // True while this menu is open.
    bool IsTracking() const;

    // The component the menu was popped up for (not owned; forgotten when it goes away).
    TComponent* PopupComponent() const { return FPopupComponent; }
    void SetPopupComponent(TComponent* v);
    TPoint PopupPoint() const { return FPopupPoint; }
    TPopupAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TPopupAlignment v) { FAlignment = v; }
    // Stored for controls that pop the menu up on a right click.
    bool AutoPopup() const { return FAutoPopup; }
    void SetAutoPopup(bool v) { FAutoPopup = v; }
    // tbRightButton: both buttons choose items; tbLeftButton: only the left one.
    TTrackButton TrackButton() const { return FTrackButton; }
    void SetTrackButton(TTrackButton v) { FTrackButton = v; }

    TEvent<TNotifyEvent> OnPopup{this, "OnPopup"};
    TEvent<TNotifyEvent> OnClose{this, "OnClose"};

protected:
    // Fires OnPopup; runs before the menu is shown.
    virtual void DoPopup(TObject* Sender);
    virtual void DoClose();
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TComponent* FPopupComponent = nullptr;
    TPoint FPopupPoint;
    TPopupAlignment FAlignment = paLeft;
    bool FAutoPopup = true;
    TTrackButton FTrackButton = tbRightButton;
};

// --- shortcuts and accelerators ---

// Key plus ssShift / ssCtrl / ssAlt as a shortcut; 0 for a key above 255.
TShortCut ShortCut(WORD Key, TShiftState Shift);
// "Ctrl+S", "F1", "Shift+Del", "Shift+Ctrl+Alt+Enter"; empty for keys without a name.
String ShortCutToText(TShortCut ShortCut);
// The reverse of ShortCutToText (modifier names and key names in any case); 0 when not understood.
TShortCut TextToShortCut(const String& Text);
// Splits a shortcut into its key and modifiers.
void ShortCutToKey(TShortCut ShortCut, WORD& Key, TShiftState& Shift);
// The caption without accelerator marks: "&File" -> "File", "A&&B" -> "A&B".
String StripHotkey(const String& Text);
// The accelerator character a caption marks ("&File" -> "F"), or an empty string.
String GetHotkey(const String& Text);
// True when Text marks Key (compared without regard to case) as its accelerator.
bool IsAccel(WORD Key, const String& Text);

// --- the framework's menu windows ---

// Time the pointer rests on an item before its sub-menu opens.
constexpr int SubMenuDelay = 200;
// Width of the frame around a menu window's items.
constexpr int MenuWindowBorder = 3;

// The windows of the menu being tracked, outermost first; empty while no menu is open.
std::vector<QWidget*> OpenMenuWindows();
// The window a canvas draws on: a menu window while its items are measured or drawn, or the
// window of the control whose paint the canvas belongs to; null for bitmaps and unbound canvases.
HWND WindowFromDC(TCanvas* DC);
// The window's rectangle on the screen, frame included; false for an unknown handle.
bool GetWindowRect(HWND Window, TRect& Rect);
// Runs draw with a canvas on the whole window (origin at its top-left corner, frame included)
// while the window is being painted; outside its paint the window is repainted instead, which
// runs its drawing code again.
void WithWindowDC(HWND Window, const std::function<void(TCanvas& Canvas)>& draw);
