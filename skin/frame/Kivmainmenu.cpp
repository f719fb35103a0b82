#include "skin/frame/Kivmainmenu.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"

TkivMainMenu::TkivMainMenu(TComponent* AOwner)
    : TMainMenu(AOwner),
      FCheckMarks(Menu_NewCheckMarkList()),
      FHooks(
          this, [this](TObject* s, TCanvas* c, int& w, int& h) { MeasureItem(s, c, w, h); },
          [this](TObject* s, TCanvas* c, const TRect& r, bool sel) { DrawItem(s, c, r, sel); })
{
    TMenu::SetImages(FCheckMarks.get());
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivMainMenu::~TkivMainMenu()
{
    Destroying();
    FHost = nullptr;
    // The framework's windows must not keep the list that goes with this object.
    TMenu::SetImages(nullptr);
}

void TkivMainMenu::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    Menu_ApplyUIStyle(FLook, FTheme);
    if (FHost)
        FHost->RepaintMenuBar();
}

void TkivMainMenu::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivMainMenu::SetSeparatorHeight(int Value)
{
    if (UIStyle() == MacOS)
        return;
    FLook.SeparatorHeight = Value;
}

void TkivMainMenu::SetUseSystemFont(bool Value)
{
    FLook.UseSystemFont = Value;
    if (FHost)
        FHost->RepaintMenuBar();
}

void TkivMainMenu::SetImages(TCustomImageList* Value)
{
    FImages = Value;
    TMenu::SetImages(Value ? Value : FCheckMarks.get());
}

void TkivMainMenu::SetMenuBarHost(IkivMenuBarHost* Host)
{
    FHost = Host;
    if (!Host)
        return;
    Host->UpdateMenu();
    if (FHost == Host)
        Host->UpdateTopMenu();
    if (FHost == Host)
        Host->RepaintMenuBar();
}

void TkivMainMenu::Loaded()
{
    TMainMenu::Loaded();
    MenuAdded();
}

void TkivMainMenu::MenuAdded()
{
    for (int i = 0; i < Items()->Count(); ++i)
        FHooks.Hook(Items()->Items(i));
    if (FHost)
        FHost->UpdateMenu();
}

void TkivMainMenu::MenuChanged(TObject* Sender, TMenuItem* Source, bool Rebuild)
{
    TMainMenu::MenuChanged(Sender, Source, Rebuild);
    const TComponentState state = ComponentState();
    if (state & csDestroying)
        return;
    if (Rebuild && Source && Source->GetParentMenu() == this)
        FHooks.Hook(Source);
    if (FHost && dynamic_cast<TCustomForm*>(Owner())) {
        FHost->UpdateTopMenu();
        if (FHost && (state & csDesigning) && !(state & csLoading))
            FHost->UpdateMenu();
    }
}

void TkivMainMenu::MeasureItem(TObject* Sender, TCanvas* ACanvas, int& Width, int& Height)
{
    Menu_MeasureItem(FLook, dynamic_cast<TMenuItem*>(Sender), ACanvas, Width, Height);
}

void TkivMainMenu::DrawItem(TObject* Sender, TCanvas* ACanvas, const TRect& ARect, bool Selected)
{
    TkivMenuDrawContext context;
    context.Theme = &FTheme;
    context.Images = FImages;
    context.CheckMarks = FCheckMarks.get();
    context.LeftToRight = Menu_IsLeftToRight(this);
    Menu_DrawItem(FLook, context, dynamic_cast<TMenuItem*>(Sender), ACanvas, ARect, Selected);
}

void TkivMainMenu::Notification(TComponent* AComponent, TOperation Operation)
{
    TMainMenu::Notification(AComponent, Operation);
    if (Operation == opInsert && !(ComponentState() & csDestroying)) {
        if (auto* item = dynamic_cast<TMenuItem*>(AComponent))
            FHooks.Hook(item);
    }
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void RegisterKivmainmenuClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivMainMenu>("TkivMainMenu");
}
