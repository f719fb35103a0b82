// Unit Kivform: the skinned window frame of an ordinary form. TkivForm is a panel placed on a form
// (its host) that takes the host's frame over: the system caption goes, a thin system frame stays,
// and the panel fills the host's client area with a skinned title bar at the top, optionally a
// menu bar built from a main menu (TkivMenuBar), and the host's own controls below. It subclasses
// the host's window procedure to size and paint the remaining non-client frame, to follow
// activation, minimising, maximising and restoring, and to give the window its shape (round
// corners, or a shape cut from skin pictures). Its look comes from a UI style or a skin file.
//
// Files: Kivform.cpp (takeover, properties, applying a look, notifications, the application's
// key hook), KivformFrame.cpp (the host window procedure, size changes, client and frame painting,
// the window region), KivformMenuBar.cpp (TkivMenuBar and the menu-bar operations).
//
// Decisions:
// - The host's system frame is measured at takeover from its client rectangle. While the window
//   manager still decorates the host (both caption bits set) the framework's whole window is client
//   area and reads as no frame at all, so the margins are then the frame the system keeps once the
//   caption goes: 4 pixels with a sizing frame, 3 otherwise, none for bsNone. So the main window
//   (bsDialog) measures 3 and answers KIVM_GETFRAMEINSET with 2, as it would on the desktop.
// - A frame that takes a host over sits on it at once (Parent := host), so a frame made in code
//   fills its host just as one read from a stored form does (the reader sets the same parent).
// - A second frame on a host that already has one stays an inert, empty panel (no error box). A
//   host counts as taken when a TkivForm is among its child controls or a TkivForm it owns has
//   taken it over (a frame made in code may not be parented yet).
// - The host's window procedure is replaced by one that reaches this frame through a shared,
//   clearable reference: once the frame is gone the procedure only forwards to the previous one,
//   so a message that reaches a host still holding it (a host being destroyed with its frame)
//   never touches a freed frame. Giving the procedure back happens in the destructor: the
//   framework's components hear of their own removal only after their class is gone.
// - The host keeps its caption bits and window procedure while it is itself being destroyed: a
//   frame that goes with its host gives nothing back.
// - Painting the frame's top rows from the title pictures starts from scratch bitmaps filled with
//   Color, so a title section without a picture leaves the form's colour there instead of white.
// - Hiding or showing the title bar also recomputes the window region (the region's corner radii
//   read 0 while the title bar is hidden), so the window never keeps round corners that the flat
//   top line of a hidden title bar does not follow (a mend).
// - The application's key hook runs for every skinned form. Alt+Space is taken by the first one
//   that hears it (the newest); a hook that finds the message already handled leaves it alone, so
//   one Alt+Space opens one system menu (a mend: each frame opened its own menu in turn).
// - The form's own Menu of the framework does not exist (framework forms have no native menu
//   bar), so WM_SHOWWINDOW has nothing to clear.
// - There is no MDI client window in the framework: the messages an MDI child's frame sends to
//   the MDI client (WM_MDIREFRESHMENU, WM_MDIMAXIMIZE, WM_MDIRESTORE) are skipped while no client
//   is known. MDIClient (null) is where the MDI form will plug in.
// - The framework's TCustomPanel has no border style of its own; a framework TPanel given as
//   FormPanel loses its bevels and its caption.
// - Font, Caption and BorderWidth are the frame's own: Font is the title bar's font, Caption the
//   title bar's caption (and the host's), BorderWidth the frame's outer border; the panel's window
//   BorderWidth stays 0 and its own text is a single blank.
// - About reads "Kivkit skinned form frame"; Version "6.4". Both ignore writes.
// - DestroyMenuBar, which forgets Menu, also tells a TkivMainMenu that still shows itself here to
//   stop, so a menu forgotten that way and outliving the frame never reaches a freed frame (a
//   mend: only setting Menu and the frame's own removal detached it).
// - The strips beside the menu bar and the bar's own two-colour background are drawn with
//   DrawHorizontalGradient: from MenuBarColor at the top to MenuBarToColor at the bottom.
// - At design time a main menu dropped on the host is looked at once its constructor has finished
//   (menus join their owner as the framework's class, so the skinned class shows only then).
// - A host read from a stored form gets its stored client size only once the whole definition is
//   read, after the frame took it over: the bounds a host created maximised returns to at its
//   first restore are taken again when the frame's own loading ends. Size changes while the
//   definition is read (the stored client size applied) are not window size changes: WM_SIZE is
//   left alone then (a host stored maximised would otherwise be placed on the work area before
//   it is ever shown, and its count of maximised sizes advanced); the window's shape is computed
//   for the stored size in Loaded, for every host (not only an MDI child's).
// - Placing a maximised host on the grown work area resizes it, which sends WM_SIZE again while
//   it is placed; that nested message does not place it a second time.
#pragma once

#include "framework/AppEvnts.h"
#include "framework/ExtCtrls.h"
#include "framework/Menus.h"
#include "framework/ToolBar.h"
#include "skin/frame/Kivmainmenu.h"
#include "skin/frame/Kivtitlebar.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

#include <QPointer>
#include <any>
#include <functional>
#include <memory>

class TBitmap;
class TCustomForm;
class TkivForm;
struct TkivSkinFrame;

// Asked of the application's main form by an MDI child's frame: the MDI parent's measured
// system-frame thickness at the bottom and at the left.
constexpr UINT KIVM_GETMDIBOTTOMMARGIN = 34768;
constexpr UINT KIVM_GETMDILEFTMARGIN = 34769;

// The Tag a menu-bar button carries while it is drawn highlighted.
constexpr int KIV_MENUBAR_HOT_TAG = 888;

// An event of the title bar published under another name by the frame: assigning it (in code or
// from a stored form) assigns the title bar's event; a frame without a title bar keeps nothing.
template <class F>
class TkivForwardedEvent {
public:
    TkivForwardedEvent(TComponent* Owner, const char* Name, std::function<TEvent<F>*()> Target)
        : FTarget(std::move(Target))
    {
        Owner->RegisterEventSetter(Name, [this](const std::any& a) {
            TEvent<F>* t = FTarget();
            if (!a.has_value()) {
                if (t)
                    *t = nullptr;
                return true;
            }
            const F* f = std::any_cast<F>(&a);
            if (!f)
                return false;
            if (t)
                *t = *f;
            return true;
        });
    }
    TkivForwardedEvent(const TkivForwardedEvent&) = delete;
    TkivForwardedEvent& operator=(const TkivForwardedEvent&) = delete;
    TkivForwardedEvent& operator=(F f)
    {
        if (TEvent<F>* t = FTarget())
            *t = std::move(f);
        return *this;
    }
    TkivForwardedEvent& operator=(std::nullptr_t)
    {
        if (TEvent<F>* t = FTarget())
            *t = nullptr;
        return *this;
    }
    explicit operator bool() const
    {
        TEvent<F>* t = FTarget();
        return t && bool(*t);
    }

private:
    std::function<TEvent<F>*()> FTarget;
};

// ---------------------------------------------------------------------------------------------
// The menu bar

// The tool bar a skinned frame shows its main menu's top-level items in: one button per item,
// drawn by the frame. Characters typed without Alt reach the buttons' accelerators only while a
// button is highlighted.
class TkivMenuBar : public TToolBar {
    Q_OBJECT
public:
    explicit TkivMenuBar(TComponent* AOwner);

    // The skinned form the bar belongs to (null for the MDI frame's bar).
    TkivForm* KivForm() const { return FKivForm; }
    void SetKivForm(TkivForm* Value) { FKivForm = Value; }
    // The MDI frame the bar belongs to (null for a skinned form's bar), and the menu it shows.
    TComponent* MDIForm() const { return FMDIForm; }
    void SetMDIForm(TComponent* Value) { FMDIForm = Value; }
    std::function<TMenu*()> MDIShownMenu;

    // The popup the bar drops a button's submenu in takes the AutoHotkeys of the frame's menu.
    void OnMenuPopup(TObject* Sender);

protected:
    // Without Alt the character is offered only while a button is highlighted (Tag 888); with
    // Alt always.
    void CMDialogChar(TMessage& Message) override;
    // A popup menu the bar owns (the one it drops submenus down in) gets OnPopup := OnMenuPopup.
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    // The menu whose settings the dropped-down popups follow.
    TMenu* SourceMenu() const;

    QPointer<TkivForm> FKivForm;
    QPointer<TComponent> FMDIForm;
};

// ---------------------------------------------------------------------------------------------
// The skinned form

class TkivForm : public TCustomPanel, public IkivFrameHost, public IkivMenuBarHost {
    Q_OBJECT
    Q_PROPERTY(bool TitleBarCustom READ TitleBarCustom WRITE SetTitleBarCustom)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool UIStyleAutoUpdateSub READ UIStyleAutoUpdateSub WRITE SetUIStyleAutoUpdateSub)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int BorderWidth READ BorderWidth WRITE SetBorderWidth)
    Q_PROPERTY(bool TitleBarVisible READ TitleBarVisible WRITE SetTitleBarVisible)
    Q_PROPERTY(Vcl::TBiDiMode BiDiMode READ BiDiMode WRITE SetBiDiMode)
    Q_PROPERTY(TColor Color READ Color WRITE SetColor)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(TCustomPanel* FormPanel READ FormPanel WRITE SetFormPanel)
    Q_PROPERTY(TCollection* TitleBarButtons READ TitleBarButtons WRITE SetTitleBarButtons)
    Q_PROPERTY(TCollection* TitleBarSections READ TitleBarSections WRITE SetTitleBarSections)
    Q_PROPERTY(bool TitleBarDrawAppIcon READ TitleBarDrawAppIcon WRITE SetTitleBarDrawAppIcon)
    Q_PROPERTY(TFont* Font READ Font)
    Q_PROPERTY(TMainMenu* Menu READ Menu WRITE SetMenu)
    Q_PROPERTY(TColor MenuBarColor READ MenuBarColor WRITE SetMenuBarColor)
    Q_PROPERTY(TColor MenuBarToColor READ MenuBarToColor WRITE SetMenuBarToColor)
    Q_PROPERTY(int MenuBarHeight READ MenuBarHeight WRITE SetMenuBarHeight)
    Q_PROPERTY(int RoundCorner READ RoundCorner WRITE SetRoundCorner)
    Q_PROPERTY(int RoundCornerBottom READ RoundCornerBottom WRITE SetRoundCornerBottom)
    Q_PROPERTY(QString Version READ Version WRITE SetVersion)
    Q_PROPERTY(QString About READ About WRITE SetAbout)
    Q_PROPERTY(TColor InactiveCaptionColor READ InactiveCaptionColor WRITE SetInactiveCaptionColor)

public:
    // Takes the owner's frame over when the owner is a form that holds no skinned frame yet;
    // otherwise stays a plain panel.
    explicit TkivForm(TComponent* AOwner);
    // Gives the host its caption bits and window procedure back, then frees what the frame owns.
    ~TkivForm() override;

    // --- published properties ---
    bool TitleBarCustom() const;
    void SetTitleBarCustom(bool Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Nothing when unchanged; while loading a stored form with a theme the host does not own, the
    // host's client area grows by 4 x 3 first; then stores and applies UIStyle again.
    void SetFileTheme(TkivFileTheme* Value);
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Applies the whole look (colours, border, corners, title bar, menu, contained controls,
    // frame, region, minimum height).
    void SetUIStyle(TkivUIStyle Value);
    bool UIStyleAutoUpdateSub() const { return FUIStyleAutoUpdateSub; }
    void SetUIStyleAutoUpdateSub(bool Value) { FUIStyleAutoUpdateSub = Value; }
    TColor BorderColor() const { return FBorderColor; }
    // Stores and paints the frame.
    void SetBorderColor(TColor Value);
    // The frame's outer border (not the panel's window border).
    int BorderWidth() const { return FFrameBorderWidth; }
    // Stores and paints the frame; the client area follows at the next frame recalculation.
    void SetBorderWidth(int Value);
    bool TitleBarVisible() const;
    // Shows or hides the title bar, puts it back at the top, paints the frame.
    void SetTitleBarVisible(bool Value);
    // The title bar's caption (the panel's own text without a title bar).
    String Caption() const;
    // Sets the title bar's caption and the host's Caption.
    void SetCaption(const String& Value);
    TCustomPanel* FormPanel() const { return FFormPanel; }
    // The frame itself is refused with an error box; a panel gets Align := alClient (a framework
    // TPanel also loses its bevels and caption, a picture panel its caption).
    void SetFormPanel(TCustomPanel* Value);
    TCollection* TitleBarButtons() const;
    void SetTitleBarButtons(TCollection* Value);
    TCollection* TitleBarSections() const;
    void SetTitleBarSections(TCollection* Value);
    bool TitleBarDrawAppIcon() const;
    void SetTitleBarDrawAppIcon(bool Value);
    // The title bar's font (the panel's own without a title bar).
    TFont* Font() const;
    void SetFont(const TFont* Value);
    TMainMenu* Menu() const { return FMenu; }
    // Shows the menu's top-level items in the menu bar (null removes the bar).
    void SetMenu(TMainMenu* Value);
    TColor MenuBarColor() const { return FMenuBarColor; }
    void SetMenuBarColor(TColor Value);
    TColor MenuBarToColor() const { return FMenuBarToColor; }
    void SetMenuBarToColor(TColor Value);
    // The visible bar's height, 0 without a visible bar.
    int MenuBarHeight() const;
    void SetMenuBarHeight(int Value);
    // The title bar's radii; 0 while the title bar is hidden.
    int RoundCorner() const;
    void SetRoundCorner(int Value);
    int RoundCornerBottom() const;
    void SetRoundCornerBottom(int Value);
    String Version() const { return QStringLiteral("6.4"); }
    void SetVersion(const String&) {}
    String About() const { return QStringLiteral("Kivkit skinned form frame"); }
    void SetAbout(const String&) {}
    TColor InactiveCaptionColor() const;
    void SetInactiveCaptionColor(TColor Value);

    TkivForwardedEvent<TkivTitleBarButtonClickEvent> OnTitleBarCustomBtnsClick{
        this, "OnTitleBarCustomBtnsClick", [this] { return FTitleBar ? &FTitleBar->OnCustomBtnsClick : nullptr; }};
    TkivForwardedEvent<TkivTitleBarButtonClickEvent> OnTitleBarHelpBtnClick{
        this, "OnTitleBarHelpBtnClick", [this] { return FTitleBar ? &FTitleBar->OnHelpBtnClick : nullptr; }};
    TkivForwardedEvent<TkivTitleBarButtonClickEvent2> OnTitleBarMinBtnClick{
        this, "OnTitleBarMinBtnClick", [this] { return FTitleBar ? &FTitleBar->OnMinClick : nullptr; }};
    TkivForwardedEvent<TkivTitleBarButtonClickEvent2> OnTitleBarMaxBtnClick{
        this, "OnTitleBarMaxBtnClick", [this] { return FTitleBar ? &FTitleBar->OnMaxClick : nullptr; }};

    // --- operations ---
    // Paints the non-client frame on the host's whole-window canvas.
    void PaintFormBorder() override;
    bool IsMDIFrame() const override { return false; }
    // Computes the window's shape and gives it to the host.
    void RegionWindow();
    // Clears the host's caption bits again when it has any, and refreshes the frame.
    void ReAssign();
    // Adds a help button to the title bar.
    void AddHelpButton();
    // Title bar Height + 3 while it is visible, else 0.
    int GetTitleBarHeight() const;
    // The menu bar's Height while one exists and is visible, else 0.
    int GetMenuBarHeight() const;
    // The host is an MDI child.
    bool GetMDIChild() const;

    // Menu-bar operations (KivformMenuBar.cpp).
    void UpdateMenu() override;
    void UpdateTopMenu() override;
    void RepaintMenuBar() override;
    void CreateMenuBar();
    void DestroyMenuBar();
    // The bar's custom drawing: the background, and each button.
    void DrawMenuBar(TToolBar* Sender, const TRect& ARect, bool& DefaultDraw);
    void DrawButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State, bool& DefaultDraw);

    // The host's window procedure while the frame holds it.
    void NewParentWndProc(TMessage& Message);
    // Runs the menu's shortcut for a WM_KEYDOWN: Result 1 when the host has the focus, is the
    // active form, a Menu is set and it took the key.
    void ProcessKeyPress(TMessage& Message);
    // The application's message hook: Alt+Space opens the system menu, WM_KEYDOWN goes to the
    // menu's shortcuts.
    void OnApplicationMessage(TMsg& Msg, bool& Handled);

    // --- state, for the frame's companions and tests ---
    TCustomForm* HostForm() const { return FHostForm; }
    TkivTitleBar* TitleBar() const { return FTitleBar; }
    TkivMenuBar* MenuBar() const { return FMenuBar; }
    const TkivThemeLink& Theme() const { return FTheme; }
    int BottomMargin() const { return FBottomMargin; }
    int LeftMargin() const { return FLeftMargin; }
    int SkinLeftWidth() const { return FSkinLeftWidth; }
    int SkinRightWidth() const { return FSkinRightWidth; }
    int SkinBottomHeight() const { return FSkinBottomHeight; }
    TColor TransparentColor() const { return FTransparentColor; }
    TFormBorderStyle OriginalBorderStyle() const { return FOriginalBorderStyle; }
    TRect CreateBounds() const { return FCreateBounds; }
    bool CreatedMaximized() const { return FCreatedMaximized; }
    bool IsDestroying() const { return FDestroying; }
    // The answer to KIVM_GETFRAMEINSET.
    int FrameInset() const;
    // The MDI client window an MDI child's frame reports to; none in this framework.
    HWND MDIClient() const { return nullptr; }

    // The process-wide count of WM_SIZE messages seen in the maximised state by frames whose host
    // was created maximised (at most 2).
    static int MaximizedSizeCount;

    void Loaded() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void Paint() override;
    void Resize() override;
    void Dispatch(TMessage& Message) override;

private:
    // Takeover steps 3 .. 12 (the owner is a form without a frame).
    void TakeOver(TCustomForm* Host);
    // Gives the host its caption bits and window procedure back (once).
    void ReleaseHost();
    // The host's system frame measured at takeover (see Decisions).
    int MeasureMargin(bool Bottom) const;
    // After the previous procedure has run for WM_SIZE.
    void SizeChanged();
    // Moves every control of the frame by the distance (an MDI child's title bar hidden or back).
    void ScrollBy(int DeltaX, int DeltaY);
    void CalcSize(TMessage& Message) const;
    void PaintBuiltInBorder(TCanvas& C, int W, int H);
    void PaintSkinBorder(TCanvas& C, int W, int H);
    // The skin-file frame's record for this frame.
    void FillSkinFrame(TkivSkinFrame& Frame);
    void ApplySkinLook(TkivFileTheme* Theme);
    void ApplyBuiltInLook(TkivUIStyle Effective);
    // Repaints the title bar now when it is shown, later otherwise.
    void RepaintTitleBar();
    // The caption bits are set on the host: clear them and refresh the frame.
    void ClearCaptionBits();
    bool Designing() const { return ComponentState() & csDesigning; }
    // The look of the menu bar's buttons: the TkivMainMenu's when Menu is one, else the frame's.
    const TkivThemeLink& MenuLook() const;

    TkivThemeLink FTheme{this};
    TCustomForm* FHostForm = nullptr;
    TkivTitleBar* FTitleBar = nullptr;
    TkivMenuBar* FMenuBar = nullptr;
    // Menu and FormPanel, and the same objects as components: a removal notice arrives while the
    // object is no longer a menu or panel, so it is recognised by its component address alone.
    TMainMenu* FMenu = nullptr;
    TComponent* FMenuComponent = nullptr;
    TCustomPanel* FFormPanel = nullptr;
    TComponent* FFormPanelComponent = nullptr;
    std::function<void(TMessage&)> FOldWndProc;
    // The frame as the installed window procedure reaches it; cleared when the frame lets go.
    std::shared_ptr<TkivForm*> FProcTarget;
    int FBottomMargin = 4;
    int FLeftMargin = 4;
    int FSkinLeftWidth = 0;
    int FSkinRightWidth = 0;
    int FSkinBottomHeight = 0;
    TColor FTransparentColor = TColor(0xFF00FF);
    std::unique_ptr<TBitmap> FBottomBitmap;
    bool FTitleNeedsRegion = false;
    bool FBottomNeedsRegion = false;
    int FTitleRegionMinY = -1;
    int FTitleRegionMaxY = -1;
    int FBottomRegionMinY = -1;
    int FBottomRegionMaxY = -1;
    TFormBorderStyle FOriginalBorderStyle = bsSizeable;
    bool FDestroying = false;
    std::unique_ptr<TApplicationEvents> FAppEvents;
    TRect FCreateBounds;
    bool FCreatedMaximized = false;
    bool FTitleBarWanted = true;
    bool FInternalTitleBarChange = false;
    bool FMDIMaxScrolled = false;
    bool FMDIRestoredOnce = false;
    bool FMDIStartedMaximized = false;

    bool FUIStyleAutoUpdateSub = false;
    TColor FBorderColor = clBlack;
    int FFrameBorderWidth = 1;
    TColor FMenuBarColor = clBtnFace;
    TColor FMenuBarToColor = clBtnFace;
    int FMenuBarHeight = 22;
    bool FPlacing = false;  // the host is being placed on the work area (nested WM_SIZE)
};

// Registers the unit's classes (and those of the units a stored skinned form names) for stored
// forms.
void RegisterKivformClasses();
