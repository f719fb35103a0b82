// Unit Kivtitlebar: the skinned caption of a window. TkivTitleBar is a panel aligned to the top of
// its parent that draws a row of picture sections, the caption, the application icon or a
// control-box button at the left and the caption buttons (close, maximise or restore, minimise,
// help, custom) at the right; it follows the pointer over its buttons, moves its form when
// dragged, maximises or restores it on a double click and offers a system menu. The skinned form
// (unit Kivform) creates one and forwards most of its title-bar properties to it; it also works
// on a plain form by itself.
//
// Inside a skinned frame the title pictures are laid out in the frame's window coordinates: the
// bar shifts them by the frame inset it asks its form for (KIVM_GETFRAMEINSET), so the parts under
// the non-client frame are cut off here and painted by the frame from FRawImage.
//
// Decisions:
// - The skinned frames sit above this unit. A frame that hosts a title bar implements
//   IkivFrameHost (declared here): the skinned form as the bar's parent, the MDI frame as the
//   bar's owner. InForm, InMDIForm and the frame repaint after the sections ask it, so this unit
//   never names the frame classes.
// - Hover and pressed looks are recomputed at every paint from the pointer's position, as the
//   bar keeps no per-button state. Mouse moves, presses and releases repaint at once (not later),
//   so FHotIndex, which a release acts on, always belongs to the pointer's latest position.
// - The press that starts moving the form sends WM_NCLBUTTONDOWN with the press point in screen
//   coordinates as the desktop's own message carries it, so the move follows from where the
//   pointer went down.
// - The application icon is the application's window icon (QGuiApplication::windowIcon) at
//   16 x 16; a program without one shows the toolkit style's standard window-menu icon, as the
//   desktop draws for a window that has no icon of its own.
// - A client section is stretched between the left and right sections only when there is room
//   for it: where the left and right sections already meet or overlap (a bar narrower than its
//   pictures) it is left out instead of being drawn mirrored over them.
// - Maximising from a bar outside a skinned form also places the form on the work area (grown by
//   2 pixels left, top and right, shrunk by 1 at the bottom); restoring leaves the placement to
//   the window state.
// - A button's pictures are copied into the scratch bitmap pixel for pixel, so the button's own
//   Transparent (and, for skin files, the skin's transparent colour) decides what is left out,
//   whatever the pictures themselves say.
// - A help button added by AddHelpBtn takes the bar's current look (its UIStyle is the bar's
//   resolved style before the type is set), so it matches the buttons beside it.
// - Caption is the control's Text, so the framework's TControl::Caption and the published
//   "Caption" can never differ.
// - A button's kivControlBox check counts the button itself, as a section's kivClient check does:
//   setting kivControlBox again on the control box shows the box and changes nothing.
// - Right-to-left reading asks the framework's SysLocale.MiddleEast together with BiDiMode
//   bdRightToLeft.
// - KIVM_GETFRAMEINSET is declared here: the bar is the one that asks, and the skinned frames that
//   answer it include this header anyway.
// - The error boxes of refused design-time choices ("Sorry, only one ...") are the application's
//   modal message box with the caption "Error", an error icon and an OK button.
// - GetTitleImage hands out a section's picture as a bitmap; a section whose picture holds
//   another kind of graphic (a JPEG) hands out a bitmap copy kept by the section, so the picture
//   itself is never converted.
// - A button's ControlBoxMenu is a guarded reference: a menu that goes away reads as none, so a
//   later click on the control box cannot reach a freed menu.
#pragma once

#include "framework/Collections.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/PersistentTypes.h"
#include "skin/frame/Kivpopupmenu.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

#include <QPointer>
#include <functional>
#include <memory>

class TBitmap;
class TCanvas;
class TCustomForm;
class TPicture;
class TkivTitleBar;

// Asked of the form a title bar sits on: how far the title pictures reach under the skinned
// frame's left border. A skinned form answers from its frame sizes, any other form 0.
constexpr UINT KIVM_GETFRAMEINSET = 9923;

namespace Kivtitlebar {
Q_NAMESPACE
// What a caption button does and which pictures it gets.
enum TkivTitleBarBtnType : uint8_t {
    kivMax = 0,
    kivMin = 1,
    kivClose = 2,
    kivHelp = 3,
    kivControlBox = 4,
    kivCustom = 5,
};
Q_ENUM_NS(TkivTitleBarBtnType)
// Where a section's picture goes.
enum TkivTitleBarAlign : uint8_t { kivLeft = 0, kivRight = 1, kivClient = 2 };
Q_ENUM_NS(TkivTitleBarAlign)
}  // namespace Kivtitlebar
using namespace Kivtitlebar;

// A custom or help button was clicked (ButtonIndex: its index in Buttons).
using TkivTitleBarButtonClickEvent = std::function<void(TObject* Sender, int ButtonIndex)>;
// Before minimising or maximising/restoring; Allow := false cancels.
using TkivTitleBarButtonClickEvent2 = std::function<void(TObject* Sender, bool& Allow)>;

// The skinned frame a title bar lives in, implemented by the skinned form (the bar's parent) and
// the skinned MDI frame (the bar's owner).
class IkivFrameHost {
public:
    virtual ~IkivFrameHost() = default;
    // Paints the frame's non-client border again (after the bar drew new title pictures).
    virtual void PaintFormBorder() = 0;
    // True for the MDI frame, false for the skinned form.
    virtual bool IsMDIFrame() const = 0;
};

// ---------------------------------------------------------------------------------------------
// Buttons

class TkivTitleBarButton : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(Kivtitlebar::TkivTitleBarBtnType ButtonType READ ButtonType WRITE SetButtonType)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int Top READ Top WRITE SetTop)
    Q_PROPERTY(TPopupMenu* ControlBoxMenu READ ControlBoxMenu WRITE SetControlBoxMenu)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(TPicture* PicNormal READ PicNormal WRITE SetPicNormal)
    Q_PROPERTY(TPicture* PicMouseOn READ PicMouseOn WRITE SetPicMouseOn)
    Q_PROPERTY(TPicture* PicMouseDown READ PicMouseDown WRITE SetPicMouseDown)

public:
    // DeepBlue, kivCustom, visible, Top 2, Transparent as the style says, no pictures.
    explicit TkivTitleBarButton(TCollection* Collection);
    ~TkivTitleBarButton() override;

    TkivUIStyle UIStyle() const { return FUIStyle; }
    // Stores and reloads the pictures (UpdateUIStyle).
    void SetUIStyle(TkivUIStyle Value);
    TkivTitleBarBtnType ButtonType() const { return FButtonType; }
    // kivControlBox while any button of the collection has that type shows an error box and
    // changes nothing; otherwise stores and reloads the pictures.
    void SetButtonType(TkivTitleBarBtnType Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    int Top() const { return FTop; }
    void SetTop(int Value);
    TPopupMenu* ControlBoxMenu() const { return FControlBoxMenu; }
    void SetControlBoxMenu(TPopupMenu* Value);
    bool Visible() const { return FVisible; }
    void SetVisible(bool Value);
    TPicture* PicNormal() const { return FPicNormal.get(); }
    TPicture* PicMouseOn() const { return FPicMouseOn.get(); }
    TPicture* PicMouseDown() const { return FPicMouseDown.get(); }
    // Each assigns a copy.
    void SetPicNormal(TPicture* Value);
    void SetPicMouseOn(TPicture* Value);
    void SetPicMouseDown(TPicture* Value);

    // All three pictures hold an image (only then is the button drawn).
    bool HasPictures() const;
    // The title bar that owns the collection, or null.
    TkivTitleBar* TitleBar() const;

    // The button's action (maximise or restore, minimise, close, the control box's own menu).
    void DoClick();
    // A maximise button takes the restore pictures while its form is maximised, the maximise
    // pictures otherwise (not while the bar is Custom).
    void ProcessMaxBtn();
    // Transparent, Top and the pictures from the bar's skin file or the built-in style.
    void UpdateUIStyle();

    // Copies Visible, ButtonType, Transparent, Top, UIStyle, the pictures and ControlBoxMenu.
    void Assign(const TPersistent* Source) override;

private:
    // Frames Last - 2 .. Last of the look's 18-frame strip into the three pictures (normal, mouse
    // over, pressed).
    void LoadFrames(int Last);
    void PictureChanged();

    TkivUIStyle FUIStyle = DeepBlue;
    TkivTitleBarBtnType FButtonType = kivCustom;
    bool FTransparent = false;
    int FTop = 2;
    QPointer<TPopupMenu> FControlBoxMenu;
    bool FVisible = true;
    std::unique_ptr<TPicture> FPicNormal;
    std::unique_ptr<TPicture> FPicMouseOn;
    std::unique_ptr<TPicture> FPicMouseDown;
    bool FLoading = false;  // pictures being replaced together: one repaint at the end
};

class TkivTitleBarButtons : public TCollection {
public:
    explicit TkivTitleBarButtons(TkivTitleBar* Owner);
    TkivTitleBarButton* Items(int Index) const { return static_cast<TkivTitleBarButton*>(TCollection::Items(Index)); }
    TkivTitleBarButton* Add() { return static_cast<TkivTitleBarButton*>(TCollection::Add()); }
    TkivTitleBar* TitleBar() const;
    String ClassName() const override { return QStringLiteral("TkivTitleBarButtons"); }
};

// ---------------------------------------------------------------------------------------------
// Sections

class TkivTitleBarSection : public TCollectionItem {
    Q_OBJECT
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(int Width READ Width WRITE SetWidth)
    Q_PROPERTY(Kivtitlebar::TkivTitleBarAlign Align READ Align WRITE SetAlign)
    Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool CapSec READ CapSec WRITE SetCapSec)

public:
    explicit TkivTitleBarSection(TCollection* Collection);
    ~TkivTitleBarSection() override;

    bool AutoSize() const { return FAutoSize; }
    // Stores; when set, Width := the picture's width.
    void SetAutoSize(bool Value);
    int Width() const { return FWidth; }
    void SetWidth(int Value);
    TkivTitleBarAlign Align() const { return FAlign; }
    // kivClient while any section of the collection (this one included) is kivClient shows an
    // error box and changes nothing; a successful kivClient also sets Stretch.
    void SetAlign(TkivTitleBarAlign Value);
    TPicture* Picture() const { return FPicture.get(); }
    // Assigns a copy (with AutoSize the width follows).
    void SetPicture(TPicture* Value);
    bool Stretch() const { return FStretch; }
    // Stays true on a kivClient section.
    void SetStretch(bool Value);
    bool CapSec() const { return FCapSec; }
    void SetCapSec(bool Value);

    // The picture as a bitmap (the picture's own bitmap, or a copy of another graphic); null
    // without a picture.
    TBitmap* PictureBitmap();

    // Copies Width, Align, the picture, Stretch and AutoSize.
    void Assign(const TPersistent* Source) override;

private:
    void PictureChanged();

    bool FAutoSize = false;
    int FWidth = 10;
    TkivTitleBarAlign FAlign = kivLeft;
    std::unique_ptr<TPicture> FPicture;
    bool FStretch = false;
    bool FCapSec = false;
    std::unique_ptr<TBitmap> FConverted;  // GetTitleImage's copy of a non-bitmap picture
};

class TkivTitleBarSections : public TCollection {
public:
    explicit TkivTitleBarSections(TkivTitleBar* Owner);
    TkivTitleBarSection* Items(int Index) const { return static_cast<TkivTitleBarSection*>(TCollection::Items(Index)); }
    TkivTitleBarSection* Add() { return static_cast<TkivTitleBarSection*>(TCollection::Add()); }
    TkivTitleBar* TitleBar() const;
    String ClassName() const override { return QStringLiteral("TkivTitleBarSections"); }
};

// ---------------------------------------------------------------------------------------------
// The system menu

class TkivTitleBarPopupMenu : public TkivPopupMenu {
    Q_OBJECT
public:
    // "Mi&nimize", "Ma&ximize/Restore", a separator and "&Close", hotkeys by "&" only, drawn by
    // the skinned popup menu. AOwner is the title bar the menu belongs to.
    explicit TkivTitleBarPopupMenu(TComponent* AOwner);

    // 176 pixels further right in right-to-left reading on a Middle-East locale; each item is
    // enabled only when a visible button of its kind exists; then the menu opens.
    void Popup(int X, int Y) override;

    TkivTitleBar* TitleBar() const { return FTitleBar; }
    TMenuItem* MinimizeItem() const { return FMinimize; }
    TMenuItem* MaximizeItem() const { return FMaximize; }
    TMenuItem* CloseItem() const { return FClose; }

private:
    QPointer<TkivTitleBar> FTitleBar;
    TMenuItem* FMinimize;
    TMenuItem* FMaximize;
    TMenuItem* FClose;
};

// ---------------------------------------------------------------------------------------------
// The title bar

class TkivTitleBar : public TCustomPanel {
    Q_OBJECT
    Q_PROPERTY(bool Custom READ Custom WRITE SetCustom)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(Vcl::TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(int Height READ Height WRITE SetHeight)
    Q_PROPERTY(TCollection* Sections READ SectionsCollection WRITE SetSectionsCollection)
    Q_PROPERTY(TCollection* Buttons READ ButtonsCollection WRITE SetButtonsCollection)
    Q_PROPERTY(int ButtonInterval READ ButtonInterval WRITE SetButtonInterval)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(bool FormActive READ FormActive WRITE SetActive)
    Q_PROPERTY(int LeftBtnXOffset READ LeftBtnXOffset WRITE SetLeftBtnXOffset)
    Q_PROPERTY(int RightBtnXOffset READ RightBtnXOffset WRITE SetRightBtnXOffset)
    Q_PROPERTY(bool DrawAppIcon READ DrawAppIcon WRITE SetDrawAppIcon)
    Q_PROPERTY(int RoundCorner READ RoundCorner WRITE SetRoundCorner)
    Q_PROPERTY(int RoundCornerBottom READ RoundCornerBottom WRITE SetRoundCornerBottom)
    Q_PROPERTY(TColor InactiveCaptionColor READ InactiveCaptionColor WRITE SetInactiveCaptionColor)

public:
    // A top-aligned panel that holds no controls, with four buttons (control box, close,
    // maximise, minimise), Tahoma bold white caption font, and the look of GetKIVFormStyle(AOwner).
    explicit TkivTitleBar(TComponent* AOwner);
    ~TkivTitleBar() override;

    bool Custom() const { return FCustom; }
    void SetCustom(bool Value) { FCustom = Value; }
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores the theme and applies the current style again, keeping the caption colour.
    void SetFileTheme(TkivFileTheme* Value);
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style; unless Custom, rebuilds the sections, gives the buttons and the system
    // menu the look, sets the caption colour and the height.
    void SetUIStyle(TkivUIStyle Value);
    bool AutoSize() const { return FAutoSize; }
    // Stores; with sections the height becomes the first section's picture height (less 3 inside
    // a skinned form), without any AutoSize becomes false.
    void SetAutoSize(bool Value);
    TkivTitleBarSections* Sections() const { return FSections.get(); }
    void SetSections(const TkivTitleBarSections* Value);
    TkivTitleBarButtons* Buttons() const { return FButtons.get(); }
    void SetButtons(const TkivTitleBarButtons* Value);
    TCollection* SectionsCollection() const { return FSections.get(); }
    void SetSectionsCollection(TCollection* Value);
    TCollection* ButtonsCollection() const { return FButtons.get(); }
    void SetButtonsCollection(TCollection* Value);
    int ButtonInterval() const { return FButtonInterval; }
    void SetButtonInterval(int Value);
    // The caption is the control's text; setting it repaints.
    String Caption() const { return TControl::Caption(); }
    void SetCaption(const String& Value);
    bool FormActive() const { return FFormActive; }
    void SetActive(bool Value);
    int LeftBtnXOffset() const { return FLeftBtnXOffset; }
    void SetLeftBtnXOffset(int Value);
    int RightBtnXOffset() const { return FRightBtnXOffset; }
    void SetRightBtnXOffset(int Value);
    bool DrawAppIcon() const { return FDrawAppIcon; }
    void SetDrawAppIcon(bool Value);
    // Stored only; the skinned form reads them for its window region.
    int RoundCorner() const { return FRoundCorner; }
    void SetRoundCorner(int Value) { FRoundCorner = Value; }
    int RoundCornerBottom() const { return FRoundCornerBottom; }
    void SetRoundCornerBottom(int Value) { FRoundCornerBottom = Value; }
    TColor InactiveCaptionColor() const { return FInactiveCaptionColor; }
    void SetInactiveCaptionColor(TColor Value);

    // Paints at once (composes the pictures even where nothing is on screen).
    void ForcePaint();
    // -1: FRawImage, -2: FComposedImage, 0..: section Index's picture when the bar has more than
    // two sections; otherwise Bitmap is left as it was.
    void GetTitleImage(int Index, TBitmap*& Bitmap);
    // Exactly 3 or exactly 5 sections.
    bool CanPaint() const;
    // Every maximise button takes the pictures of the window's current state.
    void ProcessMaxBtn();
    // Adds a kivHelp button.
    void AddHelpBtn();
    // The bar's parent is a skinned form, or its owner a skinned MDI frame.
    bool InForm() const;
    // The owner is a skinned MDI frame and the bar has a parent.
    bool InMDIForm() const;

    // The system menu (owned).
    TkivTitleBarPopupMenu* SystemMenu() const { return FSystemMenu; }
    const TkivThemeLink& Theme() const { return FTheme; }

    // What the last paint computed (read-only views for the skinned frames and tests).
    int HotIndex() const { return FHotIndex; }
    bool Pressed() const { return FPressed; }
    String SectionCaption() const { return FSectionCaption; }
    bool FiveSections() const { return FFiveSections; }
    TColor BackgroundColor() const { return FBackgroundColor; }
    TColor TransparentColor() const { return FTransparentColor; }
    int ButtonTop() const { return FButtonTop; }
    int IconTop() const { return FIconTop; }
    int CaptionTop() const { return FCaptionTop; }
    // The caption text of the last paint and where it was drawn (its cell's top-left corner).
    String DrawnCaption() const { return FDrawnCaption; }
    TPoint CaptionPos() const { return FCaptionPos; }

    TEvent<TkivTitleBarButtonClickEvent> OnCustomBtnsClick{this, "OnCustomBtnsClick"};
    TEvent<TkivTitleBarButtonClickEvent> OnHelpBtnClick{this, "OnHelpBtnClick"};
    TEvent<TkivTitleBarButtonClickEvent2> OnMinClick{this, "OnMinClick"};
    TEvent<TkivTitleBarButtonClickEvent2> OnMaxClick{this, "OnMaxClick"};

    // The form the bar acts on (its parent form), or null.
    TCustomForm* HostForm() const;
    // Minimises the bar's form as the minimise button does (OnMinClick first).
    void MinimizeForm();
    // Right-to-left reading on a Middle-East locale.
    bool RightToLeftReading() const;

protected:
    void Paint() override;
    // The sections into Bitmap (and FRawImage, FComposedImage).
    virtual void DrawSectionsTo(TBitmap* Bitmap);
    // The buttons, the icon or control box, and the caption into Bitmap.
    virtual void DrawButtons(TBitmap* Bitmap);
    void Dispatch(TMessage& Message) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DblClick() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    friend class TkivTitleBarButton;
    // The frame host of the bar's parent (skinned form) and of its owner (MDI frame), if any.
    IkivFrameHost* ParentHost() const;
    IkivFrameHost* OwnerHost() const;
    // The answer of the bar's form to KIVM_GETFRAMEINSET (0 without a form).
    int FrameInset() const;
    void BuildFromStyle(TkivUIStyle Effective);
    void BuildFromSkin(TkivFileTheme* Theme);
    // Repaints now when shown, else later.
    void RepaintNow();
    // Draws the application icon at (X, Y), 16 x 16.
    static void DrawAppIconAt(TCanvas* Canvas, int X, int Y);

    TkivThemeLink FTheme{this};
    bool FCustom = false;
    bool FAutoSize = false;
    std::unique_ptr<TkivTitleBarSections> FSections;
    std::unique_ptr<TkivTitleBarButtons> FButtons;
    int FButtonInterval = 0;
    bool FFormActive = true;
    int FLeftBtnXOffset = 0;
    int FRightBtnXOffset = 0;
    bool FDrawAppIcon = true;
    int FRoundCorner = 0;
    int FRoundCornerBottom = 0;
    TColor FInactiveCaptionColor = clInactiveCaption;

    int FHotIndex = -1;
    bool FPressed = false;
    std::unique_ptr<TBitmap> FRawImage;
    std::unique_ptr<TBitmap> FComposedImage;
    String FSectionCaption;
    bool FFiveSections = false;
    TColor FBackgroundColor = 0;
    TColor FTransparentColor = 0;
    int FButtonTop = 0;
    int FIconTop = 0;
    int FCaptionTop = 0;
    bool FFontColorLocked = false;
    TkivTitleBarPopupMenu* FSystemMenu = nullptr;
    bool FConstructed = false;  // the collections exist: changes repaint

    String FDrawnCaption;
    TPoint FCaptionPos;
};

// Registers the unit's classes for stored forms.
void RegisterKivtitlebarClasses();
