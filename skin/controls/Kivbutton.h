// Unit Kivbutton: the skinned push buttons (TkivCustomButton and its four kinds, the flat
// TkivToolBarSpeedButton), the check box and the radio button. Every one paints itself from
// pictures of its UI style or skin file into one off-screen bitmap per paint.
//
// The state machine of a push button: it shows one of four pictures, in this order of priority:
// disabled, pressed (FMouseDown), mouse over (FMouseOver), normal. Pointer entering and leaving,
// left presses, leaving while held, Space/Enter down and up, focus changes and cancel-mode
// messages move it; a held left button fires OnMouseContinuouslyDown every
// MouseContinuouslyDownInterval milliseconds; the click comes on release over the button.
//
// Every class of this header is complete.
//
// Decisions:
// - The owned off-screen bitmap and image lists of the original are per-paint locals here: one
//   TBitmap for the composition, one image list for a glyph; the pixels are the same.
// - Caption is the control's Text; the button's Caption setter only adds the notifications
//   (CaptionChanged, repaint), so the two can never differ.
// - The "FontChanged" step of the button (canvas font := Font, repaint) runs on CM_FONTCHANGED;
//   the framework's FontChanged (which sends that message) is left as it is.
// - Action, the framework's control property, is published by TkivCustomButton itself through an
//   action link (framework/ActnList.h): the action's Caption, Enabled, Hint and Visible reach the
//   button, a click without its own OnClick executes the action.
// - The transparent background's reference control: the parent when it is a TTabSheet or a
//   TkivToolBar (tested by class name, so it takes effect when those classes exist), else the
//   control itself.
// - The radio button reads the class name of the window that lost the focus from the control
//   behind that handle (FindControl), which is what the window class name is here.
// - A check box with AutoSize sizes itself in every paint, as it should, and also as soon as a
//   property that changes the size changes (caption, font, look, AutoSize) once it has a window:
//   a paint that resizes the window it paints shows the new size only in the next paint.
// - The right-to-left layout of the check box asks the framework's SysLocale.MiddleEast, which is
//   set from the system locale's language (Arabic, Hebrew, Persian, Urdu and similar).
// - Published events that need the framework's drag-and-dock or context-popup machinery
//   (OnContextPopup, OnDragDrop, OnDragOver, OnEndDock, OnEndDrag, OnStartDock, OnStartDrag) and
//   the PopupMenu property are not published: the framework has neither.
#pragma once

#include "framework/ActnList.h"
#include "framework/ExtCtrls.h"
#include "framework/PersistentTypes.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

#include <memory>

class TCanvas;

// Asked of the window that has the keyboard focus when a skinned button decides about a plain
// (Alt-less) accelerator letter: every skinned push button answers 1.
constexpr UINT KIVKITMSGCANPROCESSKEY = WM_APP + 3000;

namespace Kivbutton {
Q_NAMESPACE
enum TkivArrowButtonType { kivUp = 0, kivDown = 1 };
Q_ENUM_NS(TkivArrowButtonType)
}  // namespace Kivbutton
using namespace Kivbutton;

// True when Key (a character) is the accelerator of Caption: the character after a single "&",
// compared without regard to case ("&&" is a literal ampersand).
bool IsCaptionAccel(WORD Key, const String& Caption);

// The skinned push button's behaviour: state machine, auto-repeat, keyboard, default and cancel
// buttons, accelerators, modal result, the off-screen paint skeleton and the style pictures.
class TkivCustomButton : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(bool Cancel READ Cancel WRITE SetCancel)
    Q_PROPERTY(bool Default READ Default WRITE SetDefault)
    Q_PROPERTY(TBasicAction* Action READ Action WRITE SetAction)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption2)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)
    Q_PROPERTY(int ModalResult READ ModalResult WRITE SetModalResult)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize2)
    Q_PROPERTY(int FocusedRectMargin READ FocusedRectMargin WRITE SetFocusedRectMargin)
    Q_PROPERTY(int MouseContinuouslyDownInterval READ MouseContinuouslyDownInterval WRITE
                   SetMouseContinuouslyDownInterval)

public:
    explicit TkivCustomButton(TComponent* AOwner);
    ~TkivCustomButton() override;

    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize2(bool Value);
    // Stores the caption (the control's Text), CaptionChanged, repaint.
    void SetCaption2(const String& Value);
    bool Cancel() const { return FCancel; }
    void SetCancel(bool Value) { FCancel = Value; }
    bool Default() const { return FDefault; }
    // Stores; with a window and a parent form, every button of the form recomputes whether it
    // answers Enter (CM_FOCUSCHANGED with the form's ActiveControl).
    void SetDefault(bool Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    TModalResult ModalResult() const { return FModalResult; }
    void SetModalResult(int Value) { FModalResult = Value; }
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style, UIStyleChanged, repaint.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    void SetFileTheme(TkivFileTheme* Value);
    bool PicTransparent() const { return FPicTransparent; }
    void SetPicTransparent(bool Value);
    int MouseContinuouslyDownInterval() const { return FMouseContinuouslyDownInterval; }
    void SetMouseContinuouslyDownInterval(int Value) { FMouseContinuouslyDownInterval = Value; }
    int FocusedRectMargin() const { return FFocusedRectMargin; }
    void SetFocusedRectMargin(int Value);
    TBasicAction* Action() const { return FActionLink.Action(); }
    void SetAction(TBasicAction* Value);

    // Inherited, then EnableChanged and a repaint.
    void SetEnabled(bool Value) override;
    // The button clicked as by the user: ends a press, sets the parent form's ModalResult, then
    // OnClick (or the action when OnClick is not assigned).
    void Click() override;

    // The state the pictures show (read-only views for containers and tests).
    bool MouseOver() const { return FMouseOver; }
    bool MouseDown() const { return FMouseDown; }
    bool DefaultActive() const { return FDefaultActive; }
    bool Repeating() const { return FRepeatTimer != nullptr; }
    // Where the look comes from.
    const TkivThemeLink& Theme() const { return FTheme; }

    TEvent<TNotifyEvent> OnMouseEnter{this, "OnMouseEnter"};
    TEvent<TNotifyEvent> OnMouseExit{this, "OnMouseExit"};
    TEvent<TNotifyEvent> OnMouseContinuouslyDown{this, "OnMouseContinuouslyDown"};

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void InitPeer() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual void AutoSizeChanged();
    virtual void CaptionChanged() {}
    virtual void TransparentChanged();
    virtual void EnableChanged() {}
    virtual void UIStyleChanged() {}
    // Draws the state picture onto the off-screen canvas.
    virtual void PaintPic(TCanvas* Canvas, TBitmap* Bitmap);
    virtual void PaintText(TCanvas* Canvas, const String& Caption);
    virtual void PaintFocus(TCanvas* Canvas);
    // Fill Bitmap with the picture of one state.
    virtual void PaintButtonNormal(TBitmap* Bitmap);
    virtual void PaintButtonMouseOn(TBitmap* Bitmap);
    virtual void PaintButtonMouseDown(TBitmap* Bitmap);
    virtual void PaintButtonDisabled(TBitmap* Bitmap);
    // The action's properties reach the button (CheckDefaults: only those still at their default).
    virtual void ActionChange(TBasicAction* Sender, bool CheckDefaults);

    // Frame FrameIndex of the three-frame button strip of the current look.
    void PaintButton(int FrameIndex, TBitmap* Bitmap);
    // The handler of the repeat timer.
    void OnTimer(TObject* Sender);
    void StopRepeat() { FRepeatTimer.reset(); }

    bool FBoldCaption = false;
    bool FMouseOver = false;
    bool FMouseDown = false;
    TkivThemeLink FTheme{this};

private:
    bool FAutoSize = false;
    bool FCancel = false;
    bool FDefault = false;
    bool FTransparent = false;
    TModalResult FModalResult = mrNone;
    bool FPicTransparent = false;
    std::unique_ptr<TTimer> FRepeatTimer;
    int FMouseContinuouslyDownInterval = 100;
    int FFocusedRectMargin = 2;
    bool FDefaultActive = false;
    TActionLink FActionLink;
};

// The ordinary skinned button: the style's button picture, a caption, an optional glyph.
class TkivButton : public TkivCustomButton {
    Q_OBJECT
    Q_PROPERTY(TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(Vcl::TButtonLayout Layout READ Layout WRITE SetLayout)
    Q_PROPERTY(int Spacing READ Spacing WRITE SetSpacing)
    Q_PROPERTY(uint ResHandle READ ResHandle WRITE SetResHandle)

public:
    explicit TkivButton(TComponent* AOwner);
    ~TkivButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    // Assigns a copy (null empties the glyph).
    void SetGlyph(TBitmap* Value);
    TButtonLayout Layout() const { return FLayout; }
    void SetLayout(TButtonLayout Value);
    int Spacing() const { return FSpacing; }
    void SetSpacing(int Value);
    // Kept for stored forms: always 0, writes are ignored.
    uint ResHandle() const { return 0; }
    void SetResHandle(uint) {}
    // The caption origin of the last glyph layout.
    TPoint TextPos() const { return FTextPos; }

protected:
    void UIStyleChanged() override;
    void PaintPic(TCanvas* Canvas, TBitmap* Bitmap) override;
    void PaintText(TCanvas* Canvas, const String& Caption) override;
    void PaintFocus(TCanvas* Canvas) override;
    void ActionChange(TBasicAction* Sender, bool CheckDefaults) override;

private:
    std::unique_ptr<TBitmap> FGlyph;
    TButtonLayout FLayout = blGlyphLeft;
    TPoint FTextPos;
    int FSpacing = 4;
};

// A button drawn from four user pictures (normal, mouse over, pressed, disabled).
class TkivImageButton : public TkivCustomButton {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ GetUIStyle2 WRITE SetUIStyle)
    Q_PROPERTY(TPicture* PicNormal READ PicNormal WRITE SetPicNormalF)
    Q_PROPERTY(TPicture* PicMouseOn READ PicMouseOn WRITE SetPicMouseOnF)
    Q_PROPERTY(TPicture* PicMouseDown READ PicMouseDown WRITE SetPicMouseDownF)
    Q_PROPERTY(TPicture* PicDisabled READ PicDisabled WRITE SetPicDisabledF)
    Q_PROPERTY(bool Stretch READ Stretch WRITE SetStretch)
    Q_PROPERTY(bool DrawFocused READ DrawFocused WRITE SetDrawFocused)

public:
    explicit TkivImageButton(TComponent* AOwner);
    ~TkivImageButton() override;

    // Always FromThemeFile: the pictures are the button's own.
    TkivUIStyle GetUIStyle2() const { return FromThemeFile; }
    TkivUIStyle UIStyle() const { return GetUIStyle2(); }
    TPicture* PicNormal() const { return FPicNormal.get(); }
    TPicture* PicMouseOn() const { return FPicMouseOn.get(); }
    TPicture* PicMouseDown() const { return FPicMouseDown.get(); }
    TPicture* PicDisabled() const { return FPicDisabled.get(); }
    // Each assigns a copy, AutoSizeChanged, repaint.
    void SetPicNormalF(TPicture* Value);
    void SetPicMouseOnF(TPicture* Value);
    void SetPicMouseDownF(TPicture* Value);
    void SetPicDisabledF(TPicture* Value);
    bool Stretch() const { return FStretch; }
    void SetStretch(bool Value);
    bool DrawFocused() const { return FDrawFocused; }
    void SetDrawFocused(bool Value);

protected:
    void AutoSizeChanged() override;
    void PaintPic(TCanvas* Canvas, TBitmap* Bitmap) override;
    void PaintFocus(TCanvas* Canvas) override;
    void PaintButtonNormal(TBitmap* Bitmap) override;
    void PaintButtonMouseOn(TBitmap* Bitmap) override;
    void PaintButtonMouseDown(TBitmap* Bitmap) override;
    void PaintButtonDisabled(TBitmap* Bitmap) override;

private:
    void SetPicture(std::unique_ptr<TPicture>& Field, TPicture* Value);
    // Assigns Preferred when it holds a graphic, else PicNormal when it does, else nothing.
    void AssignPicture(TBitmap* Bitmap, TPicture* Preferred);
    std::unique_ptr<TPicture> FPicNormal, FPicMouseOn, FPicMouseDown, FPicDisabled;
    bool FStretch = false;
    bool FDrawFocused = false;
};

// A button drawn from any built-in theme strip (ThemeID, cut into PicCount frames, frame
// PicIndex; PicIndex + 1 under the pointer); it takes the size of its picture.
class TkivControlButton : public TkivCustomButton {
    Q_OBJECT
    Q_PROPERTY(int PicIndex READ PicIndex WRITE SetPicIndex)
    Q_PROPERTY(int PicCount READ PicCount WRITE SetPicCount)
    Q_PROPERTY(int ThemeID READ ThemeID WRITE SetThemeID)
    Q_PROPERTY(bool PicTransparent READ PicTransparent WRITE SetPicTransparent)

public:
    explicit TkivControlButton(TComponent* AOwner);

    int PicIndex() const { return FPicIndex; }
    void SetPicIndex(int Value);
    int PicCount() const { return FPicCount; }
    void SetPicCount(int Value);
    int ThemeID() const { return FThemeID; }
    void SetThemeID(int Value);

protected:
    void PaintPic(TCanvas* Canvas, TBitmap* Bitmap) override;
    void PaintButtonNormal(TBitmap* Bitmap) override;
    void PaintButtonMouseOn(TBitmap* Bitmap) override;
    void PaintButtonMouseDown(TBitmap* Bitmap) override;
    void PaintButtonDisabled(TBitmap* Bitmap) override;

private:
    void ThemeFrame(int FrameIndex, TBitmap* Bitmap);
    int FPicIndex = 0;
    int FPicCount = 0;
    int FThemeID = 0;
};

// The style's button with a small black up or down triangle and no caption (spin buttons).
class TkivArrowButton : public TkivCustomButton {
    Q_OBJECT
    Q_PROPERTY(Kivbutton::TkivArrowButtonType Arrow READ Arrow WRITE SetArrow)

public:
    explicit TkivArrowButton(TComponent* AOwner);

    TkivArrowButtonType Arrow() const { return FArrow; }
    void SetArrow(TkivArrowButtonType Value);

protected:
    void UIStyleChanged() override;
    void PaintPic(TCanvas* Canvas, TBitmap* Bitmap) override;
    void PaintText(TCanvas*, const String&) override {}

private:
    TkivArrowButtonType FArrow = kivUp;
};

// A small flat glyph button over a horizontal colour gradient, framed in black while the pointer
// is over it (the control buttons of a maximised MDI child).
class TkivToolBarSpeedButton : public TCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TBitmap* Glyph READ Glyph WRITE SetGlyph)
    Q_PROPERTY(TColor ToColor READ ToColor WRITE SetToColor)

public:
    explicit TkivToolBarSpeedButton(TComponent* AOwner);
    ~TkivToolBarSpeedButton() override;

    TBitmap* Glyph() const { return FGlyph.get(); }
    // Assigns a copy; does not repaint.
    void SetGlyph(TBitmap* Value);
    TColor ToColor() const { return FToColor; }
    void SetToColor(TColor Value);
    bool MouseOver() const { return FMouseOver; }

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;

private:
    std::unique_ptr<TBitmap> FGlyph;
    TColor FToColor = clBtnFace;
    bool FMouseOver = false;
};

// A box picture of the style next to a one-line caption; toggles on click, Space/Enter release
// or accelerator and reports every change of Checked through OnClick.
class TkivCheckBox : public TCustomControl {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(bool AutoSize READ AutoSize WRITE SetAutoSize2)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(Vcl::TCheckBoxState State READ State WRITE SetState)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    explicit TkivCheckBox(TComponent* AOwner);
    ~TkivCheckBox() override;

    bool Checked() const { return FChecked; }
    // Nothing when unchanged; else store, repaint, CheckStateChanged.
    void SetChecked(bool Value);
    // A view of Checked: cbChecked or cbUnchecked; writing cbGrayed unchecks.
    TCheckBoxState State() const { return FChecked ? cbChecked : cbUnchecked; }
    void SetState(TCheckBoxState Value) { SetChecked(Value == cbChecked); }
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    void SetFileTheme(TkivFileTheme* Value);
    bool Transparent() const { return FTransparent; }
    void SetTransparent(bool Value);
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize2(bool Value);

    void SetEnabled(bool Value) override;
    // DoClick, then the framework's click handling.
    void Click() override;

    // The frame of the box strip shown now (1-based) and the strip's frame count.
    int PictureFrame() const;
    int PictureFrameCount() const;
    const TkivThemeLink& Theme() const { return FTheme; }

    // Fired on every change of Checked (not while loading); hides the framework's OnClick, which
    // the control never fires.
    TEvent<TNotifyEvent> OnClick{this, "OnClick"};

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void InitPeer() override;
    void Loaded() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

    virtual bool NeedDrawFocus();
    virtual bool GetPicTransparent() const { return false; }
    virtual int GetPicThemeIndex() const { return KIV_THEME_CHECKBOX_IMAGE; }
    virtual Tsk2SkinBitmapElement GetPicThemeIndexOuter() const { return SKIN2_CHECKBOX; }
    virtual void CheckStateChanged();
    // A hook run before a click flips the state.
    virtual void Toggle() {}
    virtual void DoClick();
    virtual bool WantKeyUp() const { return true; }

    // Fetches the box picture of the current state into Bitmap.
    void GetPicture(TBitmap* Bitmap) const;
    // Applies AutoSize: the size from the picture and the caption measured with Canvas's font.
    void AdjustSizeFor(TCanvas* Canvas, const TBitmap* Picture);
    // AutoSize outside a paint, once there is a window.
    void AdjustSize();

    TkivThemeLink FTheme{this};

private:
    bool FChecked = false;
    bool FTransparent = false;
    bool FAutoSize = true;
};

// A check box that is selected rather than toggled, and unchecks every sibling radio button of
// its GroupIndex when it becomes checked.
class TkivRadioButton : public TkivCheckBox {
    Q_OBJECT
    Q_PROPERTY(int GroupIndex READ GroupIndex WRITE SetGroupIndex)

public:
    explicit TkivRadioButton(TComponent* AOwner);

    int GroupIndex() const { return FGroupIndex; }
    void SetGroupIndex(int Value) { FGroupIndex = Value; }

protected:
    void Dispatch(TMessage& Message) override;
    bool GetPicTransparent() const override { return true; }
    int GetPicThemeIndex() const override { return KIV_THEME_RADIOBUTTON_IMAGE; }
    Tsk2SkinBitmapElement GetPicThemeIndexOuter() const override { return SKIN2_RADIOBUTTON; }
    void CheckStateChanged() override;
    void DoClick() override;
    bool WantKeyUp() const override { return false; }
    // Unchecks the parent's other radio buttons with the same GroupIndex.
    void UnCheckGroup();

private:
    int FGroupIndex = 0;
};

// Registers the classes of this unit (and the action classes) for stored form definitions.
void RegisterKivbuttonClasses();
