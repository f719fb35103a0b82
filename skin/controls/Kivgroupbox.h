// Unit Kivgroupbox: the skinned group box. A one-pixel frame in BorderColor whose top line runs at
// half the font height with a gap for the caption at (5, 0); border and caption colours follow
// the UI style, and the group box passes its style on to the controls it holds.
//
// Decisions:
// - Caption is the group box's own string, separate from the control's Text (a single blank): a
//   TkivCustomGroupBox's Caption() and the published "Caption" answer it; the framework's
//   TControl::Caption() still reads the Text.
// - The caption is drawn grey when the group box itself is disabled.
// - The right-to-left layout asks the framework's SysLocale.MiddleEast, set from the system
//   locale's language (Arabic, Hebrew, Persian, Urdu and similar).
// - The resize negotiation events (OnCanResize, OnConstrainedResize) and the drag and dock events
//   (OnDockDrop, OnDockOver, OnEndDock, OnEndDrag, OnGetSiteInfo, OnStartDock, OnStartDrag,
//   OnUnDock, OnDragDrop, OnDragOver) are not published: the framework has none of that
//   machinery, so they could never fire.
#pragma once

#include "skin/controls/Kivimagepanel.h"

// The group box's behaviour: frame, caption, style colours, style propagation, child layout.
class TkivCustomGroupBox : public TkivCustomPanel {
    Q_OBJECT
    Q_PROPERTY(TkivFileTheme* FileTheme READ FileTheme WRITE SetFileTheme)
    Q_PROPERTY(Kivthemes::TkivUIStyle UIStyle READ UIStyle WRITE SetUIStyle)
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Transparent READ Transparent WRITE SetTransparent)

public:
    // 185 x 105, ParentColor, not transparent, Text a single blank, UIStyle := GetKIVFormStyle(Owner).
    explicit TkivCustomGroupBox(TComponent* AOwner);
    ~TkivCustomGroupBox() override;

    TColor BorderColor() const { return FBorderColor; }
    // Stores, repaint.
    void SetBorderColor(TColor Value);
    // The group box's caption (not the control's Text).
    String Caption() const { return FCaption; }
    void SetCaption(const String& Value);
    TkivUIStyle UIStyle() const { return FTheme.Style(); }
    // Stores, then UpdateUIStyle(UIStyle, FileTheme), repaint.
    void SetUIStyle(TkivUIStyle Value);
    TkivFileTheme* FileTheme() const { return FTheme.File(); }
    // Stores, then SetUIStyle(UIStyle).
    void SetFileTheme(TkivFileTheme* Value);
    const TkivThemeLink& Theme() const { return FTheme; }

    // The inner rectangle the groups lay their items out in: the client rectangle less 3 on the
    // left, the font height on top and 2 on the right and bottom.
    TRect GetClient() const;
    // The y of the frame's top line: half the font height plus one.
    int FrameTop() const;

protected:
    void Paint() override;
    void Dispatch(TMessage& Message) override;
    void AlignControls(TControl* AControl, TRect& Rect) override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // Passes the look to the children (ContainerApplyUIStyle), then border and caption colours.
    virtual void UpdateUIStyle(TkivUIStyle Style, TkivFileTheme* Theme);
    // Absolute font height.
    int FontHeight() const;

    TkivThemeLink FTheme{this};

private:
    TColor FBorderColor = clBlack;
    String FCaption;
};

// The group box as placed on forms.
class TkivGroupBox : public TkivCustomGroupBox {
    Q_OBJECT
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)

public:
    explicit TkivGroupBox(TComponent* AOwner) : TkivCustomGroupBox(AOwner) {}
};

// Registers the unit's classes for stored forms.
void RegisterKivgroupboxClasses();
