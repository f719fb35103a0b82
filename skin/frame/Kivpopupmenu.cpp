#include "skin/frame/Kivpopupmenu.h"

#include "framework/Graphics.h"

TkivPopupMenu::TkivPopupMenu(TComponent* AOwner)
    : TPopupMenu(AOwner),
      FHooks(
          this, [this](TObject* s, TCanvas* c, int& w, int& h) { MeasureItem(s, c, w, h); },
          [this](TObject* s, TCanvas* c, const TRect& r, bool sel) { DrawItem(s, c, r, sel); })
{
    CheckMarks();
    TMenu::SetOwnerDraw(true);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivPopupMenu::~TkivPopupMenu() { Destroying(); }

TCustomImageList* TkivPopupMenu::CheckMarks()
{
    static std::unique_ptr<TCustomImageList> list;
    if (!list)
        list = Menu_NewCheckMarkList();
    return list.get();
}

void TkivPopupMenu::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    Menu_ApplyUIStyle(FLook, FTheme);
}

void TkivPopupMenu::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivPopupMenu::SetMenuItemHeight(int Value)
{
    if (UIStyle() == MacOS)
        return;
    FLook.MenuItemHeight = Value;
}

void TkivPopupMenu::SetSeparatorHeight(int Value)
{
    if (UIStyle() == MacOS)
        return;
    FLook.SeparatorHeight = Value;
}

void TkivPopupMenu::Loaded()
{
    TPopupMenu::Loaded();
    MenuAdded();
}

void TkivPopupMenu::MenuAdded()
{
    for (int i = 0; i < Items()->Count(); ++i)
        FHooks.Hook(Items()->Items(i));
}

void TkivPopupMenu::MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)
{
    Menu_MeasureItem(FLook, dynamic_cast<TMenuItem*>(Sender), ACanvas, Width, Height);
}

void TkivPopupMenu::DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)
{
    TkivMenuDrawContext context;
    context.Theme = &FTheme;
    context.Images = Images();
    context.CheckMarks = CheckMarks();
    context.LeftToRight = Menu_IsLeftToRight(this);
    Menu_DrawItem(FLook, context, dynamic_cast<TMenuItem*>(Sender), ACanvas, ARect, Selected);
}

void TkivPopupMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TPopupMenu::Notification(AComponent, Operation);
    if (Operation == opInsert && !(ComponentState() & csDestroying)) {
        if (auto* item = dynamic_cast<TMenuItem*>(AComponent))
            FHooks.Hook(item);
    }
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void TkivPopupMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild)
{
    TPopupMenu::MenuChanged(Sender, Source, Rebuild);
    if (Rebuild && Source && !(ComponentState() & csDestroying) && Source->GetParentMenu() == this)
        FHooks.Hook(Source);
}

void RegisterKivpopupmenuClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivPopupMenu>("TkivPopupMenu");
}
