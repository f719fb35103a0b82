#include "skin/controls/Kivstatusbar.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"

TkivStatusBar::TkivStatusBar(TComponent* AOwner) : TCustomStatusBar(AOwner), FTheme(this)
{
    FActionLink.OnChange = [this](TBasicAction* a, bool checkDefaults) { ActionChange(a, checkDefaults); };
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivStatusBar::~TkivStatusBar()
{
    Destroying();
    FActionLink.OnChange = nullptr;
}

void TkivStatusBar::SetAction(TBasicAction* Value)
{
    if (Value == FActionLink.Action())
        return;
    if (FActionLink.Action())
        FActionLink.Action()->RemoveFreeNotification(this);
    FActionLink.SetAction(Value);
    if (Value)
        Value->FreeNotification(this);
}

void TkivStatusBar::ActionChange(TBasicAction* Sender, bool CheckDefaults)
{
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a)
        return;
    if (!CheckDefaults || Enabled())
        SetEnabled(a->Enabled());
    if (!CheckDefaults || Hint().isEmpty())
        SetHint(a->Hint());
    if (!CheckDefaults || Visible())
        SetVisible(a->Visible());
}

void TkivStatusBar::Click()
{
    if (OnClick)
        TCustomStatusBar::Click();
    else if (FActionLink.Action())
        FActionLink.Execute();
}

void TkivStatusBar::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    SetPanelColor(FTheme.Color(KIV_THEME_FORM_BACKGROUND_COLOR, SKIN2_FORMCOLOR));
    Invalidate();
}

void TkivStatusBar::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivStatusBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomStatusBar::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent && AComponent == FActionLink.Action())
        FActionLink.SetAction(nullptr);
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void TkivStatusBar::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_NCHITTEST && ParentFormMaximized())
        return;
    TCustomStatusBar::Dispatch(Message);
}

void TkivStatusBar::Paint()
{
    TCustomStatusBar::Paint();
    const TCustomForm* form = GetParentForm(this);
    if (!form || form->BorderStyle() != bsSizeable)
        return;
    TCanvas* c = Canvas();
    const int w = Width(), h = Height();
    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->FillRect(Rect(w - 16, h - 16, w - 1, h - 1));
    if (SizeGrip() && !ParentFormMaximized()) {
        // The grip's top moved down by one.
        const int t = h - 15, b = h - 1, l = w - 16, r = w - 1;
        c->Pen()->SetStyle(psSolid);
        c->Pen()->SetWidth(1);
        c->Pen()->SetColor(clInactiveCaption);
        for (int step = 0; step <= 12; step += 4) {
            c->MoveTo(l + 1 + step, b);
            c->LineTo(r, t + step);
        }
    }
    if (h - 16 > 3)
        c->FillRect(Rect(w - 16, 3, w - 1, h - 16));
}

void RegisterKivstatusbarClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivStatusBar>("TkivStatusBar");
}
