// Unit Kivstatusbar: TkivStatusBar, the framework's status bar coloured by the UI style, with a
// flat size grip of its own on a sizeable form.
//
// Decisions:
// - The skin's drawing follows the framework's painting of panels, texts and size grip within the
//   same paint (Paint), on the same canvas, so nothing flickers between the two.
// - "The parent form is maximised" is the framework's answer (the form's WindowState, or the
//   window maximised by the window manager).
// - Action is the framework's action link (framework/ActnList.h): the action's Enabled, Hint and
//   Visible reach the bar (a linked action fills in only what the bar leaves at its default), and
//   a click without an OnClick of its own executes the action.
// - PopupMenu, AutoHint, OnCreatePanelClass and the drag and context-popup events are not
//   published: the framework has no popup menus on controls, no application hints, no panel
//   classes to choose and no drag-and-drop.
#pragma once

#include "framework/ActnList.h"
#include "framework/ComCtrls.h"
#include "skin/theme/Kivmgr.h"
#include "skin/theme/Kivthemelink.h"
#include "skin/theme/Kivthemes.h"

// The skinned status bar: panels drawn by the framework in Color, which follows the UI style.
class TkivStatusBar : public TCustomStatusBar {
    Q_OBJECT
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(TColor PanelColor READ PanelColor WRITE SetPanelColor)
    Q_PROPERTY(TBasicAction* Action READ Action WRITE SetAction)

public:
    // The framework's constructor (aligned to the bottom); UIStyle := GetKIVFormStyle(Owner).
    explicit TkivStatusBar(TComponent* AOwner);
    ~TkivStatusBar() override;

    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores the style; PanelColor := the skin file's SKIN2_FORMCOLOR when one is in use, else
    // KIV_THEME_FORM_BACKGROUND_COLOR of the resolved style; repaint.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores the theme, then SetUIStyle(UIStyle).
    void SetFileTheme(TkivFileTheme* Value);
    // The control's Color under another name.
    TColor PanelColor() const { return Color(); }
    void SetPanelColor(TColor Value) { SetColor(Value); }
    TBasicAction* Action() const { return FActionLink.Action(); }
    void SetAction(TBasicAction* Value);

protected:
    // OnClick, or else the linked action.
    void Click() override;
    // The framework's painting; then, on a form with a bsSizeable border, the grip corner filled
    // with Color, four diagonal clInactiveCaption lines when SizeGrip is set and the form is not
    // maximised, and the strip above the corner filled with Color.
    void Paint() override;
    // WM_NCHITTEST is not passed on while the form is maximised (the grip cannot resize it).
    void Dispatch(TMessage& Message) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    void ActionChange(TBasicAction* Sender, bool CheckDefaults);

    TkivThemeLink FTheme;
    TActionLink FActionLink;
};

// Registers the unit's classes for stored forms.
void RegisterKivstatusbarClasses();
