// Actions: named commands that several controls can share. An action carries a caption, an
// enabled flag, a hint, an image index into its list's image list and an OnExecute handler; a
// control linked to it takes those properties and runs the action when clicked.
//
// Decisions:
// - Only what linked controls need: the properties a control copies (Caption, Enabled, Checked,
//   Visible, Hint, ImageIndex), execution, and the action list with its image list. There is no
//   shortcut handling, no update-on-idle cycle and no categories.
// - A link (TActionLink) is the control's half: it registers with the action, is told of every
//   change and of the action's destruction, and runs the action. A control holds one link and
//   reacts in the link's OnChange.
// - The action list's image list is a plain reference set in code (image lists are not
//   components here, so stored forms cannot name one).
#pragma once

#include "framework/Component.h"
#include "framework/ImgList.h"

#include <functional>
#include <vector>

class TActionLink;
class TCustomActionList;

class TBasicAction : public TComponent {
    Q_OBJECT
public:
    explicit TBasicAction(TComponent* AOwner);
    ~TBasicAction() override;

    // Runs OnExecute with the action as sender; false when no handler is assigned.
    virtual bool Execute();

    TEvent<TNotifyEvent> OnExecute{this, "OnExecute"};
    // Fired after any of the action's properties changed.
    TEvent<TNotifyEvent> OnChange{this, "OnChange"};

    // Tells every linked client that a property changed, then fires OnChange.
    void Change();

private:
    friend class TActionLink;
    std::vector<TActionLink*> FClients;
};

class TCustomAction : public TBasicAction {
    Q_OBJECT
    Q_PROPERTY(QString Caption READ Caption WRITE SetCaption)
    Q_PROPERTY(bool Enabled READ Enabled WRITE SetEnabled)
    Q_PROPERTY(bool Checked READ Checked WRITE SetChecked)
    Q_PROPERTY(bool Visible READ Visible WRITE SetVisible)
    Q_PROPERTY(QString Hint READ Hint WRITE SetHint)
    Q_PROPERTY(int ImageIndex READ ImageIndex WRITE SetImageIndex)
    Q_PROPERTY(TCustomActionList* ActionList READ ActionList WRITE SetActionList)

public:
    explicit TCustomAction(TComponent* AOwner);
    ~TCustomAction() override;

    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    bool Enabled() const { return FEnabled; }
    void SetEnabled(bool v);
    bool Checked() const { return FChecked; }
    void SetChecked(bool v);
    bool Visible() const { return FVisible; }
    void SetVisible(bool v);
    String Hint() const { return FHint; }
    void SetHint(const String& v);
    // Index into the action list's image list; -1 for none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    // The list the action belongs to (not owned); the list learns of it.
    TCustomActionList* ActionList() const { return FActionList; }
    void SetActionList(TCustomActionList* v);

    // A disabled action does not execute.
    bool Execute() override;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override;

private:
    String FCaption;
    bool FEnabled = true;
    bool FChecked = false;
    bool FVisible = true;
    String FHint;
    int FImageIndex = -1;
    TCustomActionList* FActionList = nullptr;
};

class TAction : public TCustomAction {
    Q_OBJECT
public:
    explicit TAction(TComponent* AOwner) : TCustomAction(AOwner) {}
};

class TCustomActionList : public TComponent {
    Q_OBJECT
public:
    explicit TCustomActionList(TComponent* AOwner);
    ~TCustomActionList() override;

    int ActionCount() const { return int(FActions.size()); }
    TCustomAction* Actions(int Index) const { return FActions.at(size_t(Index)); }
    // The image list the actions' ImageIndex refers to (not owned), or null. Changing it tells
    // every action's clients.
    TCustomImageList* Images() const { return FImages; }
    void SetImages(TCustomImageList* v);

private:
    friend class TCustomAction;
    void AddAction(TCustomAction* Action);
    void RemoveAction(TCustomAction* Action);
    std::vector<TCustomAction*> FActions;
    TCustomImageList* FImages = nullptr;
};

class TActionList : public TCustomActionList {
    Q_OBJECT
public:
    explicit TActionList(TComponent* AOwner) : TCustomActionList(AOwner) {}
};

// A client's link to an action.
class TActionLink {
public:
    TActionLink() = default;
    ~TActionLink();
    TActionLink(const TActionLink&) = delete;
    TActionLink& operator=(const TActionLink&) = delete;

    TBasicAction* Action() const { return FAction; }
    // Links to the action (null unlinks); OnChange runs once for the new action.
    void SetAction(TBasicAction* Value);
    // Runs the linked action; false without one or when it did not execute.
    bool Execute() const;

    // Runs after the linked action changed, and when the link is made (CheckDefaults true then).
    std::function<void(TBasicAction* Action, bool CheckDefaults)> OnChange;
    // Runs when the linked action is destroyed (the link is already empty).
    std::function<void()> OnFreed;

private:
    friend class TBasicAction;
    void Freed();
    TBasicAction* FAction = nullptr;
};

// Registers the action classes for stored form definitions.
void RegisterActionClasses();
