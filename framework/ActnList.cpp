#include "framework/ActnList.h"

#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TBasicAction

TBasicAction::TBasicAction(TComponent* AOwner) : TComponent(AOwner) {}

TBasicAction::~TBasicAction()
{
    Destroying();
    // Clients forget the action before it goes.
    const std::vector<TActionLink*> clients = FClients;
    FClients.clear();
    for (TActionLink* link : clients)
        link->Freed();
}

bool TBasicAction::Execute()
{
    if (!OnExecute)
        return false;
    OnExecute(this);
    return true;
}

void TBasicAction::Change()
{
    // A copy: a client may unlink itself while reacting.
    const std::vector<TActionLink*> clients = FClients;
    for (TActionLink* link : clients) {
        if (std::find(FClients.begin(), FClients.end(), link) == FClients.end())
            continue;
        if (link->OnChange)
            link->OnChange(this, false);
    }
    OnChange(this);
}

// ---------------------------------------------------------------------------------------------
// TCustomAction

TCustomAction::TCustomAction(TComponent* AOwner) : TBasicAction(AOwner) {}

TCustomAction::~TCustomAction()
{
    Destroying();
    if (FActionList) {
        FActionList->RemoveAction(this);
        FActionList->RemoveFreeNotification(this);
        FActionList = nullptr;
    }
}

void TCustomAction::SetCaption(const String& v)
{
    if (FCaption == v)
        return;
    FCaption = v;
    Change();
}

void TCustomAction::SetEnabled(bool v)
{
    if (FEnabled == v)
        return;
    FEnabled = v;
    Change();
}

void TCustomAction::SetChecked(bool v)
{
    if (FChecked == v)
        return;
    FChecked = v;
    Change();
}

void TCustomAction::SetVisible(bool v)
{
    if (FVisible == v)
        return;
    FVisible = v;
    Change();
}

void TCustomAction::SetHint(const String& v)
{
    if (FHint == v)
        return;
    FHint = v;
    Change();
}

void TCustomAction::SetImageIndex(int v)
{
    if (v < -1)
        v = -1;
    if (FImageIndex == v)
        return;
    FImageIndex = v;
    Change();
}

void TCustomAction::SetActionList(TCustomActionList* v)
{
    if (FActionList == v)
        return;
    if (FActionList) {
        FActionList->RemoveAction(this);
        FActionList->RemoveFreeNotification(this);
    }
    FActionList = v;
    if (v) {
        v->AddAction(this);
        v->FreeNotification(this);
    }
    Change();
}

bool TCustomAction::Execute()
{
    if (!FEnabled)
        return false;
    return TBasicAction::Execute();
}

void TCustomAction::Notification(TComponent* AComponent, TOperation Operation)
{
    TBasicAction::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FActionList && AComponent) {
        FActionList = nullptr;
        if (!(ComponentState() & csDestroying))
            Change();
    }
}

// ---------------------------------------------------------------------------------------------
// TCustomActionList

TCustomActionList::TCustomActionList(TComponent* AOwner) : TComponent(AOwner) {}

TCustomActionList::~TCustomActionList() { Destroying(); }

void TCustomActionList::SetImages(TCustomImageList* v)
{
    if (FImages == v)
        return;
    FImages = v;
    for (TCustomAction* a : std::vector<TCustomAction*>(FActions))
        a->Change();
}

void TCustomActionList::AddAction(TCustomAction* Action)
{
    if (Action && std::find(FActions.begin(), FActions.end(), Action) == FActions.end())
        FActions.push_back(Action);
}

void TCustomActionList::RemoveAction(TCustomAction* Action)
{
    FActions.erase(std::remove(FActions.begin(), FActions.end(), Action), FActions.end());
}

// ---------------------------------------------------------------------------------------------
// TActionLink

TActionLink::~TActionLink()
{
    if (FAction) {
        auto& c = FAction->FClients;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
}

void TActionLink::SetAction(TBasicAction* Value)
{
    if (FAction == Value)
        return;
    if (FAction) {
        auto& c = FAction->FClients;
        c.erase(std::remove(c.begin(), c.end(), this), c.end());
    }
    FAction = Value;
    if (Value) {
        Value->FClients.push_back(this);
        if (OnChange)
            OnChange(Value, true);
    }
}

bool TActionLink::Execute() const { return FAction && FAction->Execute(); }

void TActionLink::Freed()
{
    FAction = nullptr;
    if (OnFreed)
        OnFreed();
}

void RegisterActionClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TAction>("TAction");
    RegisterClass<TActionList>("TActionList");
}
