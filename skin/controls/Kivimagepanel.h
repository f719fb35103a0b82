// Unit Kivimagepanel: the picture panel (TkivCustomPanel, published as TkivImagePanel) that shows
// a picture stretched, tiled or once, optionally over its parent's background, with a caption;
// and TkivPanel, a panel with a caption bar from the UI style whose button pushes it up to the bar
// (collapse) and pops it down again (expand), animated in 15-pixel steps.
//
// Decisions:
// - A kivNormal picture that does not cover an opaque panel leaves the rest of the panel in Color
//   (the panel is filled before the picture is drawn); a transparent panel shows its parent there.
// - A picture whose graphic is empty (a picture object without content) counts as no picture.
// - ClearPanel fills the client area only for a panel hosted in a foreign parent window; no such
//   windows exist here (every control lives in a framework window), so it only sets the brush
//   colour. The paint that follows it covers the whole panel anyway.
// - TkivPanel's published Height is the expanded height: Height() of a TkivPanel answers it, and
//   RealHeight() the height the control has now (the bar's height while pushed). The off-screen
//   bitmap is the taller of the two, so a panel made taller than its expanded height by its
//   parent's layout paints all of itself.
// - The bar height is the bar picture's height, or 20 when the look has no bar picture (the push
//   target the original names for that case, used for the caption, the button and the children
//   too).
// - The push/pop button is drawn "hot" from the pointer's position. The original updates it only on
//   mouse moves over the bar, so a pointer leaving the button downwards or leaving the panel kept
//   it hot, and a click anywhere on the panel then pushed it: every mouse move over the panel and
//   leaving the panel update it here (a mend).
// - A pushed panel is as high as its bar: a style change that brings a bar of another height
//   resizes it to the new bar (the original left it at the old bar's height, cutting the new bar
//   or showing a strip of the panel under it; a mend).
// - A push or pop asked for while the animation runs (the animation processes messages, so a
//   second click can arrive) is ignored instead of nesting (a mend). A panel destroyed while its
//   animation processes messages stops the animation at once.
// - PopupMenu and the drag and dock events are not published: the framework has no popup menus on
//   controls and no drag-and-drop or docking.
#pragma once

#include "framework/ExtCtrls.h"
#include "framework/PersistentTypes.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

#include <memory>

class TBitmap;
class TPicture;

namespace Kivimagepanel {
Q_NAMESPACE
// How the picture of a picture panel is drawn: once at (0, 0), stretched over the client area, or
// repeated unscaled from the top-left corner.
enum TkivDrawStyle { kivNormal = 0, kivStretch = 1, kivTile = 2 };
Q_ENUM_NS(TkivDrawStyle)
}  // namespace Kivimagepanel
using namespace Kivimagepanel;

// A panel that shows a picture (stretched, tiled or once), optionally transparent over its
// parent, with a caption aligned by Alignment or placed at CaptionPosX, CaptionPosY.
class TkivCustomPanel : public TCustomPanel {
    Q_OBJECT

public:
    explicit TkivCustomPanel(TComponent* AOwner);
    ~TkivCustomPanel() override;

    TPicture* Picture() const { return FPicture.get(); }
    // Assigns a copy, ClearPanel, repaint.
    void SetPicture(TPicture* Value);
    bool Transparent() const { return FTransparent; }
    // Stores; with a graphic, ApplyTransparent; repaint.
    virtual void SetTransparent(bool Value);
    bool AutoSize() const { return FAutoSize; }
    // Stores; with a graphic, ApplyAutoSize. No repaint.
    void SetAutoSize(bool Value);
    TkivDrawStyle DrawStyle() const { return FDrawStyle; }
    // Stores, ClearPanel, repaint.
    void SetDrawStyle(TkivDrawStyle Value);
    // Where the caption is drawn; -1 in either aligns it by Alignment in the client area.
    int CaptionPosX() const { return FCaptionPosX; }
    void SetCaptionPosX(int Value);
    int CaptionPosY() const { return FCaptionPosY; }
    void SetCaptionPosY(int Value);
    // The caption's rectangle of the last paint.
    TRect CaptionRect() const { return FCaptionRect; }

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void Resize() override;
    // The brush colour becomes Color (see the decisions about the fill).
    virtual void ClearPanel();
    // Called with the caption rectangle of the last paint when the caption changes; a hook.
    virtual void RepaintText(const TRect&) {}
    // The picture changed: auto size and transparency follow it, ClearPanel, repaint.
    virtual void PictureChanged(TObject* Sender);

    // Width and Height from the picture where Align leaves them free (only with AutoSize).
    void ApplyAutoSize();
    // The graphic's own Transparent follows the panel's.
    void ApplyTransparent();
    bool HasGraphic() const;

private:
    std::unique_ptr<TPicture> FPicture;
    bool FTransparent = false;
    bool FAutoSize = false;
    int FCaptionPosX = -1;
    int FCaptionPosY = -1;
    TkivDrawStyle FDrawStyle = kivNormal;
    TRect FCaptionRect;
};

// The picture panel as placed on forms (the main window's img2).
class TkivImagePanel : public TkivCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TPicture* Picture READ Picture WRITE SetPicture)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize)
    Q_PROPERTY(Kivimagepanel::TkivDrawStyle DrawStyle READ DrawStyle WRITE SetDrawStyle)

public:
    explicit TkivImagePanel(TComponent* AOwner) : TkivCustomPanel(AOwner) {}
};

// A white panel with a caption bar of the UI style; the button at the bar's right end pushes the
// panel up to its bar and pops it down again, in 15-pixel steps.
class TkivPanel : public TCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(bool ShowButton READ ShowButton WRITE SetShowButton)
    Q_PROPERTY(int Height READ Height WRITE SetHeight2)
    Q_PROPERTY(TColor CaptionFontColor READ CaptionFontColor WRITE SetCaptionFontColor)

public:
    // Width and Height 100, UIStyle := GetKIVFormStyle(Owner).
    explicit TkivPanel(TComponent* AOwner);
    ~TkivPanel() override;

    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor Value);
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style; Color white; bar picture, border and caption colours from the skin file
    // or the built-in table; the height is set one less and back (a realignment); repaint. Called
    // from SetFileTheme, it stops after storing unless the style is FromThemeFile.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores, then the style again (see SetUIStyle).
    void SetFileTheme(TkivFileTheme* Value);
    bool ShowButton() const { return FShowButton; }
    void SetShowButton(bool Value);
    TColor CaptionFontColor() const { return FCaptionFontColor; }
    void SetCaptionFontColor(TColor Value);
    // The published (expanded) height; hides the control's height, which RealHeight answers.
    int Height() const { return FHeight2; }
    // Stores the expanded height; the control follows at design time or while expanded.
    void SetHeight2(int Value);
    int RealHeight() const { return TCustomPanel::Height(); }
    bool Pushed() const { return !FExpanded; }
    bool Animating() const { return FAnimating; }
    bool ButtonHot() const { return FButtonHot; }
    // The bar picture's height, or 20 without one.
    int BarHeight() const;
    // The button's hit rectangle (client coordinates, edges included) and whether it is shown.
    TRect ButtonRect() const;
    bool ButtonShown() const;
    const TBitmap* BarPicture() const { return FBarPicture.get(); }
    const TkivThemeLink& Theme() const { return FTheme; }

    // Collapses the panel to its bar (raises for Align alClient, alLeft, alRight), then OnPush.
    void Push();
    // Expands it to Height again, then OnPop.
    void Pop();

    TEvent<TNotifyEvent> OnPush{this, "OnPush"};
    TEvent<TNotifyEvent> OnPop{this, "OnPop"};

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void Resize() override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The button again, in its state under the pointer now.
    void PaintButton();

private:
    // True when the pointer is on the button (edges included).
    bool PointerOnButton() const;
    // Frame Index (1..4) of PANEL_BUTTON.
    void ButtonFrame(int Index, TBitmap* Target) const;
    // Steps the real height towards Target by 15 pixels, processing messages between steps;
    // false when the panel went away meanwhile.
    bool Animate(int Target, bool Down);

    TColor FBorderColor = clBlack;
    TkivThemeLink FTheme{this};
    std::unique_ptr<TBitmap> FBarPicture;
    bool FShowButton = true;
    bool FButtonHot = false;
    bool FExpanded = true;
    int FHeight2 = 100;
    bool FAnimating = false;
    bool FApplyingFileTheme = false;
    TColor FCaptionFontColor = clWhite;
    mutable std::unique_ptr<TBitmap> FButtonStrip;
};

// Registers the unit's classes for stored forms.
void RegisterKivimagepanelClasses();
