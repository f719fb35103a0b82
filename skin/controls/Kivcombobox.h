// Unit Kivcombobox: the skin over the framework's combo boxes. The list, the edit part and all
// behaviour stay the framework's; after each paint the skin draws a two-ring border, a flat or
// pictured drop-down button with a small triangle, and, while the list is open, a one-pixel frame
// around the list window.
//
// Decisions:
// - The three skinned classes have three different framework bases (the combo box, the drive list,
//   the filter list); what they share (colours, the UIStyle/FileTheme link, the drawing) is one
//   helper, TkivComboSkin, that each class holds and forwards to.
// - There is no screen device context to frame the open list on: the frame is drawn on the list
//   window itself, after its own painting (DrawOnWindow), each time the combo box paints while the
//   list is open, and it goes when the list window hides.
// - The skin draws after the framework painted the whole widget (WM_PAINT), on the canvas of that
//   paint; on WM_ERASEBKGND it draws on the canvas the message carries. A paint asked into another
//   canvas (WM_PAINT with a canvas in WParam) gets the skin on that canvas.
// - The button rectangle is the one KIVGetComboBoxInfo reports: the style's arrow sub-control,
//   cut to the inside of the box's frame.
// - The right-to-left separator line (at the button's right edge) is drawn when BiDiMode is
//   bdRightToLeft and the framework's SysLocale says the user's language is written right to left.
// - Owner-drawn items (OnDrawItem, OnMeasureItem), PopupMenu, ImeMode/ImeName and the drag
//   properties and events are not published: the framework has no owner-drawn combo list, popup
//   menus on controls, input-method settings or drag-and-drop.
#pragma once

#include "framework/FileCtrl.h"
#include "framework/StdCtrls.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

class TCanvas;

// What the three skinned combo boxes share: their colours, their look's source, and the drawing.
class TkivComboSkin {
public:
    // Control: the combo box drawn on, which also receives the file theme's removal notification.
    explicit TkivComboSkin(TCustomComboBox* Control) : FControl(Control), FTheme(Control) {}

    TColor BorderColor() const { return FBorderColor; }
    TColor ButtonColor() const { return FButtonColor; }
    TColor ArrowColor() const { return FArrowColor; }
    // Store and repaint.
    void SetBorderColor(TColor Value);
    void SetButtonColor(TColor Value);
    void SetArrowColor(TColor Value);

    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style; ArrowColor := black; BorderColor and ButtonColor from the skin file in use
    // (SKIN2_CONTROLBORDERCOLOR, SKIN2_CONTROLCOLOR) or else from the resolved style's table
    // (KIV_THEME_CONTROL_BORDER_COLOR, KIV_THEME_FORM_BACKGROUND_COLOR); repaint.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores the theme, then SetUIStyle(UIStyle).
    void SetFileTheme(TkivFileTheme* Value);
    // For the control's Notification: the file theme going away leaves no theme and DeepBlue.
    void Notification(TComponent* AComponent, TOperation Operation);

    // The skin over the painted control on Canvas (covering the control's client area). Nothing
    // when the geometry cannot be had, or when SkipSimple and the box's style is csSimple.
    void DrawButton(TCanvas& Canvas, bool SkipSimple);
    // The triangle at (X, Y): ArrowColor when enabled, embossed grey and white when disabled.
    void DrawArrow(TCanvas& Canvas, int X, int Y) const;

    // The control's handlers call these after the framework's handling.
    void AfterPaint(TMessage& Message, bool SkipSimple);
    void AfterEraseBkgnd(TMessage& Message, bool SkipSimple);

private:
    TCustomComboBox* FControl;
    TkivThemeLink FTheme;
    TColor FBorderColor = clBlack;
    TColor FButtonColor = clBtnFace;
    TColor FArrowColor = clBlack;
};

// The skinned combo box: the framework's combo box with the skin painted over it. A csSimple box
// is not skinned.
class TkivCustomComboBox : public TCustomComboBox {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TColor ButtonColor READ ButtonColor WRITE SetButtonColor)
    Q_PROPERTY(TColor ArrowColor READ ArrowColor WRITE SetArrowColor)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)

public:
    // The framework's constructor; csOpaque; BorderWidth 0; UIStyle := GetKIVFormStyle(Owner).
    explicit TkivCustomComboBox(TComponent* AOwner);

    TColor BorderColor() const { return FSkin.BorderColor(); }
    void SetBorderColor(TColor Value) { FSkin.SetBorderColor(Value); }
    TColor ButtonColor() const { return FSkin.ButtonColor(); }
    void SetButtonColor(TColor Value) { FSkin.SetButtonColor(Value); }
    TColor ArrowColor() const { return FSkin.ArrowColor(); }
    void SetArrowColor(TColor Value) { FSkin.SetArrowColor(Value); }
    TkivUIStyle UIStyle() const { return FSkin.UIStyle(); }
    void SetUIStyle(TkivUIStyle Value) { FSkin.SetUIStyle(Value); }
    TkivFileTheme* FileTheme() const { return FSkin.FileTheme(); }
    void SetFileTheme(TkivFileTheme* Value) { FSkin.SetFileTheme(Value); }

    // The framework's, then a repaint (the arrow changes look).
    void SetEnabled(bool Value) override;

    void DrawButton(TCanvas& Canvas) { FSkin.DrawButton(Canvas, true); }
    void DrawArrow(TCanvas& Canvas, int X, int Y) const { FSkin.DrawArrow(Canvas, X, Y); }

protected:
    void WMPaint(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    // The framework's close-up handling, then the parent repaints.
    void CloseUp() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivComboSkin FSkin;
};

// The published skinned combo box (the main window's lists).
class TkivComboBox : public TkivCustomComboBox {
    Q_OBJECT
public:
    explicit TkivComboBox(TComponent* AOwner) : TkivCustomComboBox(AOwner) {}
};

// The skinned drive list (ItemHeight 15), skinned whatever its style, with DroppedDown published.
class TkivDriveComboBox : public TDriveComboBox {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TColor ButtonColor READ ButtonColor WRITE SetButtonColor)
    Q_PROPERTY(TColor ArrowColor READ ArrowColor WRITE SetArrowColor)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(bool DroppedDown READ GetDroppedDown WRITE SetDroppedDown2 STORED false)

public:
    explicit TkivDriveComboBox(TComponent* AOwner);

    TColor BorderColor() const { return FSkin.BorderColor(); }
    void SetBorderColor(TColor Value) { FSkin.SetBorderColor(Value); }
    TColor ButtonColor() const { return FSkin.ButtonColor(); }
    void SetButtonColor(TColor Value) { FSkin.SetButtonColor(Value); }
    TColor ArrowColor() const { return FSkin.ArrowColor(); }
    void SetArrowColor(TColor Value) { FSkin.SetArrowColor(Value); }
    TkivUIStyle UIStyle() const { return FSkin.UIStyle(); }
    void SetUIStyle(TkivUIStyle Value) { FSkin.SetUIStyle(Value); }
    TkivFileTheme* FileTheme() const { return FSkin.FileTheme(); }
    void SetFileTheme(TkivFileTheme* Value) { FSkin.SetFileTheme(Value); }
    // CB_GETDROPPEDSTATE.
    bool GetDroppedDown();
    // CB_SHOWDROPDOWN, then the client area invalidated with erase.
    void SetDroppedDown2(bool Value);

    void SetEnabled(bool Value) override;

    void DrawButton(TCanvas& Canvas) { FSkin.DrawButton(Canvas, false); }
    void DrawArrow(TCanvas& Canvas, int X, int Y) const { FSkin.DrawArrow(Canvas, X, Y); }

protected:
    void WMPaint(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void CloseUp() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivComboSkin FSkin;
};

// The skinned file-filter list (ItemHeight 15), skinned whatever its style, with DroppedDown
// published.
class TkivFilterComboBox : public TFilterComboBox {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(TColor ButtonColor READ ButtonColor WRITE SetButtonColor)
    Q_PROPERTY(TColor ArrowColor READ ArrowColor WRITE SetArrowColor)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(bool DroppedDown READ GetDroppedDown WRITE SetDroppedDown2 STORED false)

public:
    explicit TkivFilterComboBox(TComponent* AOwner);

    TColor BorderColor() const { return FSkin.BorderColor(); }
    void SetBorderColor(TColor Value) { FSkin.SetBorderColor(Value); }
    TColor ButtonColor() const { return FSkin.ButtonColor(); }
    void SetButtonColor(TColor Value) { FSkin.SetButtonColor(Value); }
    TColor ArrowColor() const { return FSkin.ArrowColor(); }
    void SetArrowColor(TColor Value) { FSkin.SetArrowColor(Value); }
    TkivUIStyle UIStyle() const { return FSkin.UIStyle(); }
    void SetUIStyle(TkivUIStyle Value) { FSkin.SetUIStyle(Value); }
    TkivFileTheme* FileTheme() const { return FSkin.FileTheme(); }
    void SetFileTheme(TkivFileTheme* Value) { FSkin.SetFileTheme(Value); }
    bool GetDroppedDown();
    void SetDroppedDown2(bool Value);

    void SetEnabled(bool Value) override;

    void DrawButton(TCanvas& Canvas) { FSkin.DrawButton(Canvas, false); }
    void DrawArrow(TCanvas& Canvas, int X, int Y) const { FSkin.DrawArrow(Canvas, X, Y); }

protected:
    void WMPaint(TMessage& Message) override;
    void WMEraseBkgnd(TMessage& Message) override;
    void CloseUp() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    TkivComboSkin FSkin;
};

// Registers the unit's classes for stored forms.
void RegisterKivcomboboxClasses();
