// TCheckListBox: a list box whose items carry check boxes, on a native QListWidget.
#pragma once

#include "framework/Controls.h"
#include "framework/StdCtrls.h"
#include "framework/Strings.h"

#include <QStringList>
#include <vector>

class QListWidget;
class TCheckListBox;

// The items of a check list box: text, object and check state per line, kept by the control and
// mirrored into its widget.
class TCheckListStrings : public TStrings {
public:
    explicit TCheckListStrings(TCheckListBox* owner) : FOwner(owner) {}
    int Count() const override { return int(FLines.size()); }
    String Get(int Index) const override;
    void Put(int Index, const String& S) override;
    TObject* GetObject(int Index) const override;
    void PutObject(int Index, TObject* AObject) override;
    void Insert(int Index, const String& S) override;
    void Delete(int Index) override;
    void Clear() override;
    String ClassName() const override { return QStringLiteral("TCheckListStrings"); }

protected:
    void SetUpdateState(bool Updating) override;

private:
    friend class TCheckListBox;
    void CheckIndex(int Index) const;
    TCheckListBox* FOwner;
    QStringList FLines;
    std::vector<TObject*> FObjects;
    std::vector<bool> FChecked;
};

class TCheckListBox : public TWinControl {
    Q_OBJECT
    Q_PROPERTY(TStrings* Items READ Items)
    Q_PROPERTY(int ItemHeight READ ItemHeight WRITE SetItemHeight)
    Q_PROPERTY(int ItemIndex READ ItemIndex WRITE SetItemIndex)

public:
    explicit TCheckListBox(TComponent* AOwner);
    ~TCheckListBox() override;

    TStrings* Items() const { return FItems; }
    void SetItems(const TStrings* v) { FItems->Assign(v); }
    int Count() const { return FItems->Count(); }
    // Check state of item Index; an index outside the list raises EListError.
    bool Checked(int Index) const;
    void SetChecked(int Index, bool Value);
    // Height of every item in pixels (at least 1).
    int ItemHeight() const { return FItemHeight; }
    void SetItemHeight(int v);
    // The selected item, or -1; an index outside the list clears the selection.
    int ItemIndex() const { return FItemIndex; }
    void SetItemIndex(int v);

    // Fired when the user toggles an item's check box.
    TEvent<TNotifyEvent> OnClickCheck{this, "OnClickCheck"};

protected:
    TPeerBase* CreatePeer() override;
    void InitPeer() override;
    // Answers WM_GETDLGCODE: the list wants the arrows (to move its selection) and characters.
    void Dispatch(TMessage& Message) override;
    virtual void ClickCheck();
    QListWidget* List() const;

private:
    friend class TCheckListStrings;
    void ItemsChanged();
    void SyncWidget();

    TCheckListStrings* FItems;
    int FItemHeight = 13;
    int FItemIndex = -1;
    bool FSyncing = false;
};

// Registers TCheckListBox for stored form definitions.
void RegisterCheckListClasses();
