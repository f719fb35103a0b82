// The skinned form: taking the host over and giving it back, the published properties, applying a
// look, notifications and the application's key hook.
#include "skin/frame/Kivform.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "skin/controls/Kivcontrols.h"
#include "skin/controls/Kivimagepanel.h"
#include "skin/frame/KivformSkin.h"
#include "skin/frame/Kivpopupmenu.h"
#include "skin/theme/Kivpublic.h"

#include <QTimer>
#include <algorithm>

namespace {

constexpr UINT SWP_REFRESHFRAME = SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED;
static_assert(SWP_REFRESHFRAME == 0x37);

// A measured margin outside 0..12 is not believed.
int SaneMargin(int Value) { return Value < 0 || Value > 12 ? 4 : Value; }

void ShowFrameBox(const String& Text, const String& Caption, UINT Flags)
{
    if (Application)
        Application->MessageBox(Text, Caption, Flags);
}

}  // namespace

int TkivForm::MaximizedSizeCount = 0;

// ---------------------------------------------------------------------------------------------
// Takeover

TkivForm::TkivForm(TComponent* AOwner)
    : TCustomPanel(AOwner),
      FProcTarget(std::make_shared<TkivForm*>(nullptr)),
      FBottomBitmap(std::make_unique<TBitmap>())
{
    FBottomBitmap->SetPixelFormat(pf24bit);
    auto* host = dynamic_cast<TCustomForm*>(AOwner);
    if (!host)
        return;
    // One frame per host: a second one stays a plain panel.
    for (int i = 0; i < host->ControlCount(); ++i) {
        auto* other = dynamic_cast<TkivForm*>(host->Controls(i));
        if (other && other != this)
            return;
    }
    for (int i = 0; i < host->ComponentCount(); ++i) {
        auto* other = dynamic_cast<TkivForm*>(host->Components(i));
        if (other && other != this && other->FHostForm == host && !other->FDestroying)
            return;
    }
    TakeOver(host);
}

int TkivForm::MeasureMargin(bool Bottom) const
{
    TCustomForm* host = FHostForm;
    if (host->HasCaption()) {
        // Decorated by the window manager: the frame the system keeps once the caption goes.
        if (host->BorderStyle() == bsNone)
            return 0;
        return (DWORD(host->WindowLongValue(GWL_STYLE)) & WS_THICKFRAME) ? 4 : 3;
    }
    const TRect in = host->NonClientInsets();
    if (Bottom) {
        // Top + Height - the screen y of the client rectangle's bottom edge.
        const int clientBottom = host->Top() + in.Top + host->ClientHeight();
        return host->Top() + host->Height() - clientBottom;
    }
    return host->Left() + in.Left - host->Left();
}

void TkivForm::TakeOver(TCustomForm* Host)
{
    FHostForm = Host;

    // The host's system frame.
    if (Host->FormStyle() == fsMDIChild) {
        TCustomForm* main = Application ? Application->MainForm() : nullptr;
        FBottomMargin = main ? int(SendMessageA(main->Handle(), KIVM_GETMDIBOTTOMMARGIN, 0, 0)) : 0;
        FLeftMargin = main ? int(SendMessageA(main->Handle(), KIVM_GETMDILEFTMARGIN, 0, 0)) : 0;
    } else {
        FBottomMargin = MeasureMargin(true);
        FLeftMargin = MeasureMargin(false);
    }
    FBottomMargin = SaneMargin(FBottomMargin);
    FLeftMargin = SaneMargin(FLeftMargin);

    FMDIMaxScrolled = FMDIRestoredOnce = FMDIStartedMaximized = false;
    FBottomBitmap->SetPixelFormat(pf24bit);
    Host->SetBorderWidth(0);
    FCreateBounds = Host->BoundsRect();
    FCreatedMaximized = Host->WindowState() == wsMaximized;

    SetParent(Host);

    // The title bar; no menu bar yet.
    FTitleBar = new TkivTitleBar(this);
    FTitleBar->SetParent(this);
    FMenuBarColor = FMenuBarToColor = TControl::Color();
    FMenuBarHeight = 22;

    SetUIStyle(DeepBlue);
    FUIStyleAutoUpdateSub = false;
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    SetAlign(alClient);

    SetCaption(Host->Caption());
    SetTitleBarVisible(true);
    FTitleBarWanted = true;
    FInternalTitleBarChange = false;
    TControl::SetText(QStringLiteral(" "));

    Host->SetScaled(false);
    FOriginalBorderStyle = Host->BorderStyle();
    if (FOriginalBorderStyle == bsNone || FOriginalBorderStyle == bsSingle || FOriginalBorderStyle == bsToolWindow)
        Host->SetBorderStyle(bsDialog);

    const HWND h = Host->Handle();
    SetWindowLong(h, GWL_STYLE, LONG(DWORD(GetWindowLong(h, GWL_STYLE)) & 0xFF3FFFFFu));
    Host->SetAutoScroll(false);

    FOldWndProc = Host->WindowProc;
    *FProcTarget = this;
    std::shared_ptr<TkivForm*> target = FProcTarget;
    std::function<void(TMessage&)> previous = FOldWndProc;
    Host->WindowProc = [target, previous](TMessage& m) {
        if (TkivForm* frame = *target)
            frame->NewParentWndProc(m);
        else if (previous)
            previous(m);
    };

    FAppEvents = std::make_unique<TApplicationEvents>(nullptr);
    FAppEvents->OnMessage = [this](TMsg& m, bool& handled) { OnApplicationMessage(m, handled); };

    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_REFRESHFRAME);
}

void TkivForm::ReleaseHost()
{
    if (!FHostForm || FDestroying) {
        FDestroying = true;
        return;
    }
    if (auto* menu = dynamic_cast<TkivMainMenu*>(FMenu); menu && menu->MenuBarHost() == this)
        menu->SetMenuBarHost(nullptr);
    FDestroying = true;
    *FProcTarget = nullptr;
    FAppEvents.reset();
    TCustomForm* host = FHostForm;
    if (host->ComponentState() & csDestroying)
        return;
    host->WindowProc = FOldWndProc;
    if (host->HandleAllocated()) {
        const HWND h = host->Handle();
        SetWindowLong(h, GWL_STYLE, LONG(DWORD(GetWindowLong(h, GWL_STYLE)) | WS_CAPTION));
        SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_REFRESHFRAME);
    }
}

TkivForm::~TkivForm()
{
    ReleaseHost();
    TComponent::Destroying();
    FAppEvents.reset();
    delete FMenuBar;
    FMenuBar = nullptr;
    delete FTitleBar;
    FTitleBar = nullptr;
    FBottomBitmap.reset();
}

void TkivForm::ReAssign()
{
    if (!FHostForm || !FHostForm->HandleAllocated())
        return;
    const HWND h = FHostForm->Handle();
    if (DWORD(GetWindowLong(h, GWL_STYLE)) & WS_CAPTION)
        ClearCaptionBits();
}

void TkivForm::ClearCaptionBits()
{
    const HWND h = FHostForm->Handle();
    SetWindowLong(h, GWL_STYLE, LONG(DWORD(GetWindowLong(h, GWL_STYLE)) & 0xFF3FFFFFu));
    SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_REFRESHFRAME);
}

// ---------------------------------------------------------------------------------------------
// Applying a look

void TkivForm::SetUIStyle(TkivUIStyle Value)
{
    const TRect remembered = FHostForm ? FHostForm->BoundsRect() : TRect();
    FTheme.SetStyle(Value);
    if (FTheme.UsingFile())
        ApplySkinLook(FTheme.File());
    else
        ApplyBuiltInLook(FTheme.Effective());

    if (FTitleBar) {
        FTitleBar->SetFileTheme(FTheme.File());
        FTitleBar->SetUIStyle(Value);
    }
    if (auto* menu = dynamic_cast<TkivMainMenu*>(FMenu)) {
        menu->SetFileTheme(FTheme.File());
        menu->SetUIStyle(Value);
    }
    if (FUIStyleAutoUpdateSub)
        ContainerApplyUIStyle(this, Value, FTheme.File());

    if (!FHostForm) {
        Invalidate();
        return;
    }
    if (GetMDIChild())
        FHostForm->SetBoundsRect(remembered);
    if (FHostForm->HandleAllocated())
        SetWindowPos(FHostForm->Handle(), nullptr, 0, 0, 0, 0, SWP_REFRESHFRAME);
    Invalidate();
    PaintFormBorder();
    RegionWindow();
    const int titleHeight = FTitleBar ? FTitleBar->Height() : 0;
    FHostForm->Constraints()->SetMinHeight(GetMenuBarHeight() + titleHeight + FSkinBottomHeight + 3);
}

void TkivForm::ApplySkinLook(TkivFileTheme* Theme)
{
    TControl::SetColor(Theme->GetColor(SKIN2_FORMCOLOR));
    SetMenuBarColor(Theme->GetColor(SKIN2_MENUBARSTARTCOLOR));
    SetMenuBarToColor(Theme->GetColor(SKIN2_MENUBARENDCOLOR));
    auto width = [&](Tsk2SkinBitmapElement e) {
        TBitmap* b = Theme->GetBitmap(e);
        return b ? b->Width() : 0;
    };
    FSkinLeftWidth = width(SKIN2_FORMLEFTBORDER);
    FSkinRightWidth = width(SKIN2_FORMRIGHTBORDER);
    TBitmap* bottom = Theme->GetBitmap(SKIN2_FORMBOTTOMBORDER1);
    FSkinBottomHeight = bottom ? bottom->Height() : 0;
    FTransparentColor = Theme->GetColor(SKIN2_TRANSCOLOR);
    FTitleNeedsRegion = Theme->GetBool(SKIN2_TITLEBARNEEDREGION);
    FBottomNeedsRegion = Theme->GetBool(SKIN2_BOTTOMBORDERNEEDREGION);
    if (FTitleBar) {
        FTitleBar->ForcePaint();
        if (FTitleNeedsRegion) {
            TBitmap* composed = nullptr;
            FTitleBar->GetTitleImage(-2, composed);
            if (composed) {
                composed->SetTransparentColor(FTransparentColor);
                composed->SetTransparent(true);
            }
        }
    }
    if (FBottomNeedsRegion) {
        FBottomBitmap->SetTransparentColor(FTransparentColor);
        FBottomBitmap->SetTransparent(true);
    }
    FTitleRegionMinY = Theme->GetInt(SKIN2_TITLEBARREGIONMINY);
    FTitleRegionMaxY = Theme->GetInt(SKIN2_TITLEBARREGIONMAXY);
    FBottomRegionMinY = Theme->GetInt(SKIN2_BOTTOMREGIONMINY);
    FBottomRegionMaxY = Theme->GetInt(SKIN2_BOTTOMREGIONMAXY);
}

void TkivForm::ApplyBuiltInLook(TkivUIStyle Effective)
{
    SetRoundCornerBottom(0);
    FSkinLeftWidth = FSkinRightWidth = FSkinBottomHeight = 0;
    FTransparentColor = TColor(0xFF00FF);
    SetBorderColor(GetInsideThemeColor(Effective, KIV_THEME_FORM_BORDER_COLOR));
    SetBorderWidth(GetInsideThemeInt(Effective, KIV_THEME_FORM_BORDERWIDTH));
    TControl::SetColor(GetInsideThemeColor(Effective, KIV_THEME_FORM_BACKGROUND_COLOR));
    SetMenuBarColor(TControl::Color());
    SetMenuBarToColor(TControl::Color());
    SetRoundCorner(GetInsideThemeInt(Effective, KIV_THEME_FORM_ROUNDCORNER));
}

void TkivForm::SetFileTheme(TkivFileTheme* Value)
{
    if (Value == FTheme.File())
        return;
    if (FHostForm && (ComponentState() & csLoading) && Value && Value->Owner() != FHostForm) {
        FHostForm->SetClientHeight(FHostForm->ClientHeight() + 3);
        FHostForm->SetClientWidth(FHostForm->ClientWidth() + 4);
    }
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

// ---------------------------------------------------------------------------------------------
// Properties

bool TkivForm::TitleBarCustom() const { return FTitleBar && FTitleBar->Custom(); }

void TkivForm::SetTitleBarCustom(bool Value)
{
    if (FTitleBar)
        FTitleBar->SetCustom(Value);
}

void TkivForm::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    PaintFormBorder();
}

void TkivForm::SetBorderWidth(int Value)
{
    FFrameBorderWidth = Value;
    PaintFormBorder();
}

bool TkivForm::TitleBarVisible() const { return FTitleBar && FTitleBar->Visible(); }

void TkivForm::SetTitleBarVisible(bool Value)
{
    if (!FTitleBar || Value == FTitleBar->Visible())
        return;
    if (!FInternalTitleBarChange)
        FTitleBarWanted = Value;
    FTitleBar->SetVisible(Value);
    FTitleBar->SetTop(0);
    PaintFormBorder();
    RegionWindow();
}

String TkivForm::Caption() const { return FTitleBar ? FTitleBar->Caption() : TControl::Caption(); }

void TkivForm::SetCaption(const String& Value)
{
    if (!FTitleBar) {
        TControl::SetCaption(Value);
        return;
    }
    FTitleBar->SetCaption(Value);
    if (FHostForm)
        FHostForm->SetCaption(Value);
}

void TkivForm::SetFormPanel(TCustomPanel* Value)
{
    if (Value == this) {
        ShowFrameBox(QStringLiteral("Sorry, you can't select the Form assign to FormPanel property"),
                     QStringLiteral("Error"), MB_OK | MB_ICONERROR);
        return;
    }
    if (FFormPanel && FFormPanel != Value)
        RemoveFreeNotification(FFormPanel);
    FFormPanel = Value;
    FFormPanelComponent = Value;
    if (!Value)
        return;
    FreeNotification(Value);
    Value->SetAlign(alClient);
    if (dynamic_cast<TPanel*>(Value)) {
        Value->SetBevelOuter(bvNone);
        Value->SetBevelInner(bvNone);
        Value->SetCaption(String());
    } else if (dynamic_cast<TkivImagePanel*>(Value)) {
        Value->SetCaption(String());
    }
}

TCollection* TkivForm::TitleBarButtons() const { return FTitleBar ? FTitleBar->ButtonsCollection() : nullptr; }

void TkivForm::SetTitleBarButtons(TCollection* Value)
{
    if (FTitleBar)
        FTitleBar->SetButtonsCollection(Value);
}

TCollection* TkivForm::TitleBarSections() const { return FTitleBar ? FTitleBar->SectionsCollection() : nullptr; }

void TkivForm::SetTitleBarSections(TCollection* Value)
{
    if (FTitleBar)
        FTitleBar->SetSectionsCollection(Value);
}

bool TkivForm::TitleBarDrawAppIcon() const { return !FTitleBar || FTitleBar->DrawAppIcon(); }

void TkivForm::SetTitleBarDrawAppIcon(bool Value)
{
    if (FTitleBar)
        FTitleBar->SetDrawAppIcon(Value);
}

TFont* TkivForm::Font() const { return FTitleBar ? FTitleBar->Font() : TControl::Font(); }

void TkivForm::SetFont(const TFont* Value) { Font()->Assign(Value); }

int TkivForm::RoundCorner() const { return FTitleBar && FTitleBar->Visible() ? FTitleBar->RoundCorner() : 0; }

void TkivForm::SetRoundCorner(int Value)
{
    if (FTitleBar)
        FTitleBar->SetRoundCorner(Value);
    RegionWindow();
}

int TkivForm::RoundCornerBottom() const
{
    return FTitleBar && FTitleBar->Visible() ? FTitleBar->RoundCornerBottom() : 0;
}

void TkivForm::SetRoundCornerBottom(int Value)
{
    if (FTitleBar)
        FTitleBar->SetRoundCornerBottom(Value);
    RegionWindow();
}

TColor TkivForm::InactiveCaptionColor() const
{
    return FTitleBar ? FTitleBar->InactiveCaptionColor() : clInactiveCaption;
}

void TkivForm::SetInactiveCaptionColor(TColor Value)
{
    if (FTitleBar)
        FTitleBar->SetInactiveCaptionColor(Value);
}

void TkivForm::AddHelpButton()
{
    if (FTitleBar)
        FTitleBar->AddHelpBtn();
}

int TkivForm::GetTitleBarHeight() const { return FTitleBar && FTitleBar->Visible() ? FTitleBar->Height() + 3 : 0; }

int TkivForm::GetMenuBarHeight() const { return FMenuBar && FMenuBar->Visible() ? FMenuBar->Height() : 0; }

bool TkivForm::GetMDIChild() const { return FHostForm && FHostForm->FormStyle() == fsMDIChild; }

int TkivForm::FrameInset() const
{
    if (FSkinLeftWidth != 0)
        return std::max(FSkinLeftWidth, 4);
    return FBottomMargin - 1;
}

// ---------------------------------------------------------------------------------------------
// Notifications

void TkivForm::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (Operation == opInsert) {
        // At design time a menu dropped on the host is looked at once it is complete (menus join
        // their owner as the framework's class).
        if (FHostForm && Designing() && !(ComponentState() & csLoading) && !g_KivkitConverting &&
            dynamic_cast<TMainMenu*>(AComponent)) {
            QPointer<TMainMenu> menu = static_cast<TMainMenu*>(AComponent);
            QTimer::singleShot(0, this, [this, menu] {
                if (!menu || FDestroying)
                    return;
                if (menu->ClassName() != QLatin1String("TkivMainMenu")) {
                    ShowFrameBox(QStringLiteral("Strongly recommend you to use \"TkivMainMenu\" instead of "
                                                "\"TMainMenu\".\r\n\r\nIf you still want to use TMainForm, "
                                                "\r\n\r\nset ") +
                                     FHostForm->Name() + QStringLiteral("'s MENU property to NIL please.") +
                                     QStringLiteral("\r\n\r\n") + QStringLiteral("And set ") + Name() +
                                     QStringLiteral("'s MENU property to this Menu when you finished designing "
                                                    "the menu."),
                                 QStringLiteral("Information"), MB_OK | MB_ICONINFORMATION);
                } else if (menu->Owner() == FHostForm && !FMenu) {
                    SetMenu(menu);
                }
            });
        }
        return;
    }
    if (AComponent == this) {
        ReleaseHost();
        return;
    }
    if (AComponent == FTitleBar)
        FTitleBar = nullptr;
    if (AComponent == FMenuBar)
        FMenuBar = nullptr;
    if (AComponent && AComponent == FFormPanelComponent) {
        FFormPanel = nullptr;
        FFormPanelComponent = nullptr;
    }
    if (AComponent && AComponent == FMenuComponent) {
        // The menu is going: forgotten first, then the bar goes.
        FMenu = nullptr;
        FMenuComponent = nullptr;
        DestroyMenuBar();
    }
    if (FTheme.Removed(AComponent, Operation)) {
        ContainerApplyUIStyle(this, DeepBlue, nullptr);
        SetUIStyle(DeepBlue);
    }
}

void TkivForm::Loaded()
{
    TCustomPanel::Loaded();
    // A stored host gets its stored client size once its whole definition is read: that is the
    // size a host created maximised returns to.
    if (FHostForm && FCreatedMaximized)
        FCreateBounds = FHostForm->BoundsRect();
    // The shape follows the size the stored definition gave the host.
    RegionWindow();
}

// ---------------------------------------------------------------------------------------------
// The application's key hook

void TkivForm::OnApplicationMessage(TMsg& Msg, bool& Handled)
{
    if (FDestroying || !FHostForm || Handled)
        return;
    if (Msg.message == WM_SYSCHAR && LOWORD(Msg.wParam) == ' ') {
        if (!FTitleBar)
            return;
        TCustomForm* main = Application && Application->MainForm() ? Application->MainForm() : FHostForm;
        Handled = true;
        FTitleBar->SystemMenu()->Popup(main->Left(), main->Top() + FTitleBar->Height());
        return;
    }
    if (Msg.message == WM_KEYDOWN) {
        TMessage m{Msg.message, Msg.wParam, Msg.lParam, 0};
        ProcessKeyPress(m);
        Handled = m.Result != 0;
    }
}

void TkivForm::ProcessKeyPress(TMessage& Message)
{
    Message.Result = 0;
    if (!FHostForm || !FMenu || !FormHasFocus(FHostForm))
        return;
    if (!Screen || Screen->ActiveForm() != FHostForm)
        return;
    if (FMenu->IsShortCut(Message))
        Message.Result = 1;
}

// ---------------------------------------------------------------------------------------------
// Registration

void RegisterKivformClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterSkinControlClasses();
    RegisterKivpopupmenuClasses();
    RegisterKivmainmenuClasses();
    RegisterKivtitlebarClasses();
    RegisterClass<TkivForm>("TkivForm");
}
