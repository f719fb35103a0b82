// Unit Kivradiogroup: the check group and the radio group, group boxes that hold one skinned check
// box or radio button per line of Items, laid out in columns (the first column top to bottom, then
// the next).
//
// Decisions:
// - Columns below 1 are ignored like negative ones: a group with no column has no layout (the
//   rows would be divided by zero), so Columns stays at its last valid value.
// - The items are created and freed only through Items. An item freed some other way (its owner
//   is the group, so a program can still delete it) is dropped from the list at once, so the
//   group never reaches a freed item; the next change of Items creates a replacement.
// - The group's own click (a click on its frame) runs DoClick like an item's, so OnClick always
//   comes with the group as sender.
// - Arrow keys move the focus between the items (they are siblings that are not tab stops, the
//   form's arrow-key handling selects among them); a radio item that receives the focus from
//   another radio item is selected.
// - A style change gives every item the group's Color and leaves the item following the group's
//   colour (ParentColor). Setting an item's Color alone would cut it off from the group, and items
//   kept a stale background when the group's colour later followed its own parent's (a mend).
// - The drag and dock events are not published (the framework has none of that machinery).
#pragma once

#include "skin/controls/Kivbutton.h"
#include "skin/controls/Kivgroupbox.h"

#include <memory>
#include <vector>

class TStrings;
class TStringList;
class TkivCheckGroup;
class TkivRadioGroup;

// An item of a check group: a check box that knows its group.
class TkivCheckGroupButton : public TkivCheckBox {
    Q_OBJECT

public:
    TkivCheckGroupButton(TComponent* AOwner, TkivCheckGroup* Group);
    TkivCheckGroup* Group() const { return FGroup; }

protected:
    // Marked while it has the focus (items are not tab stops).
    bool NeedDrawFocus() override;

private:
    TkivCheckGroup* FGroup;
};

// An item of a radio group: a radio button that knows its group and asks it before selecting.
class TkivRadioGroupButton : public TkivRadioButton {
    Q_OBJECT

public:
    TkivRadioGroupButton(TComponent* AOwner, TkivRadioGroup* Group);
    TkivRadioGroup* Group() const { return FGroup; }

protected:
    // Marked when checked and it or its group has the focus.
    bool NeedDrawFocus() override;
    // Selects only when the group's CanModify says so.
    void DoClick() override;

private:
    TkivRadioGroup* FGroup;
};

// A group box with one check box per line of Items.
class TkivCheckGroup : public TkivCustomGroupBox {
    Q_OBJECT
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int Columns READ Columns WRITE SetColumns)
    Q_PROPERTY(int TopMargin READ TopMargin WRITE SetTopMargin)
    Q_PROPERTY(TColor FontColor READ FontColor WRITE SetFontColor)
    Q_PROPERTY(TColor BorderColor READ BorderColor WRITE SetBorderColor)
    Q_PROPERTY(int Cursor READ Cursor WRITE SetCursor2)

public:
    // UIStyle from the owner form, Transparent False, ParentColor True, TabStop True.
    explicit TkivCheckGroup(TComponent* AOwner);
    ~TkivCheckGroup() override;

    TStrings* Items() const;
    // Assigns a copy of the lines (items follow).
    void SetItems(const TStrings* Value);
    int Columns() const { return FColumns; }
    // Values below 1 are ignored; else store and rearrange.
    void SetColumns(int Value);
    int TopMargin() const { return FTopMargin; }
    // Negative values are ignored; else store and rearrange.
    void SetTopMargin(int Value);
    TColor FontColor() const;
    void SetFontColor(TColor Value);
    TCursor Cursor() const { return FItemCursor; }
    // Sets every item's cursor and stores the value.
    void SetCursor2(TCursor Value);

    // Item Index's Checked; false outside 0 .. count - 1.
    bool GetChecked(int Index) const;
    // Sets item Index's Checked; an index outside the items raises EListError.
    void SetChecked(int Index, bool Value);
    // Item Index's Enabled; false outside the range.
    bool GetItemEnabled(int Index) const;
    // Sets item Index's Enabled; an index outside the items raises EListError.
    void SetItemEnabled(int Index, bool Value);

    // The item controls, index i for line i.
    int ButtonCount() const { return int(FButtons.size()); }
    TkivCheckBox* Buttons(int Index) const;

    void SetTransparent(bool Value) override;
    // The group's own click: DoClick with the group as sender.
    void Click() override;
    // NewClick, then OnClick with the group as sender unless the group is loading.
    void DoClick(TObject* Sender);

    // The group's own event; hides the framework's, which the group never fires.
    TEvent<TNotifyEvent> OnClick{this, "OnClick"};

protected:
    void Dispatch(TMessage& Message) override;
    void Resize() override;
    void Notification(TComponent* AComponent, TOperation Operation) override;
    // The group-box behaviour, then every item gets the file theme, the style and the group's Color
    // (and follows the group's colour from then on).
    void UpdateUIStyle(TkivUIStyle Style, TkivFileTheme* Theme) override;

    // Hook run before OnClick; does nothing here.
    virtual void NewClick() {}
    // A new item owned by and pointing to the group.
    virtual TkivCheckBox* CreateAButton();
    // The focus arrived on the group: item 0 takes it.
    virtual void FocusUpdate();

    // Creates or frees items until there is one per line, then sets their captions; true when
    // items were created.
    bool UpdateButtons();
    // Places the items in columns inside GetClient, below TopMargin.
    void ArrangeButtons();
    void ItemChanged(TObject* Sender);
    // Raises EListError unless Index names an item.
    void CheckItemIndex(int Index) const;

    std::vector<TkivCheckBox*> FButtons;

private:
    std::unique_ptr<TStringList> FItems;
    int FColumns = 1;
    int FTopMargin = 8;
    TCursor FItemCursor = crDefault;
};

// A group box with one radio button per line of Items; ItemIndex is the selected line.
class TkivRadioGroup : public TkivCheckGroup {
    Q_OBJECT
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)

public:
    explicit TkivRadioGroup(TComponent* AOwner) : TkivCheckGroup(AOwner) {}

    // The first checked item, -1 when none.
    int ItemIndex() const;
    // -1 clears the selection; an index beyond the items or below -1 is ignored.
    void SetItemIndex(int Value);
    // Whether an item may be selected by the user; always true here.
    virtual bool CanModify() { return true; }

protected:
    TkivCheckBox* CreateAButton() override;
    // The focus arrived on the group: the selected item takes it.
    void FocusUpdate() override;
};

// Registers the unit's classes for stored forms.
void RegisterKivradiogroupClasses();
