// The skinned form's menu bar: TkivMenuBar, and the frame's operations that build, refresh and
// draw it from the main menu.
#include "skin/frame/Kivform.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "skin/frame/Kivmenu.h"
#include "skin/theme/Kivpublic.h"

// ---------------------------------------------------------------------------------------------
// TkivMenuBar

TkivMenuBar::TkivMenuBar(TComponent* AOwner) : TToolBar(AOwner) {}

TMenu* TkivMenuBar::SourceMenu() const
{
    if (MDIShownMenu)
        return MDIShownMenu();
    return FKivForm ? FKivForm->Menu() : nullptr;
}

void TkivMenuBar::CMDialogChar(TMessage& Message)
{
    if (!(KeyDataToShiftState(Message.LParam) & ssAlt)) {
        // Without Alt a letter belongs to whatever has the focus, unless the bar is being used.
        bool highlighted = false;
        for (int i = 0; i < ButtonCount(); ++i)
            highlighted = highlighted || Buttons(i)->Tag() == KIV_MENUBAR_HOT_TAG;
        if (!highlighted)
            return;
    }
    TToolBar::CMDialogChar(Message);
}

void TkivMenuBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TToolBar::Notification(AComponent, Operation);
    if (Operation != opInsert || !AComponent || AComponent->Owner() != this)
        return;
    if (auto* popup = dynamic_cast<TPopupMenu*>(AComponent))
        popup->OnPopup = [this](TObject* Sender) { OnMenuPopup(Sender); };
}

void TkivMenuBar::OnMenuPopup(TObject* Sender)
{
    auto* popup = dynamic_cast<TPopupMenu*>(Sender);
    TMenu* source = SourceMenu();
    if (popup && source)
        popup->SetAutoHotkeys(source->AutoHotkeys());
}

// ---------------------------------------------------------------------------------------------
// The frame's menu-bar operations

void TkivForm::SetMenu(TMainMenu* Value)
{
    if (auto* previous = dynamic_cast<TkivMainMenu*>(FMenu);
        previous && previous != Value && previous->MenuBarHost() == this)
        previous->SetMenuBarHost(nullptr);
    if (FMenu && FMenu != Value)
        RemoveFreeNotification(FMenu);
    FMenu = Value;
    FMenuComponent = Value;
    if (Value)
        FreeNotification(Value);
    if (auto* menu = dynamic_cast<TkivMainMenu*>(Value))
        menu->SetMenuBarHost(this);
    if (FMenu) {
        CreateMenuBar();
        UpdateMenu();
        if (FTitleBar)
            FTitleBar->SetTop(0);
    } else {
        DestroyMenuBar();
    }
    PaintFormBorder();
}

void TkivForm::CreateMenuBar()
{
    if (FMenuBar || GetMDIChild())
        return;
    FMenuBar = new TkivMenuBar(this);
    FMenuBar->SetKivForm(this);
    FMenuBar->SetParent(this);
    FMenuBar->SetFlat(true);
    FMenuBar->SetEdgeBorders(0);
    FMenuBar->SetShowCaptions(true);
    FMenuBar->SetHeight(FMenuBarHeight);
    FMenuBar->SetColor(FMenuBarColor);
    if (!Designing())
        FMenuBar->OnCustomDrawButton = [this](TToolBar* Sender, TToolButton* Button, TCustomDrawState State,
                                              bool& DefaultDraw) { DrawButton(Sender, Button, State, DefaultDraw); };
    FMenuBar->OnCustomDraw = [this](TToolBar* Sender, const TRect& ARect, bool& DefaultDraw) {
        DrawMenuBar(Sender, ARect, DefaultDraw);
    };
    FMenuBar->SetWrapable(true);
    FMenuBar->SetAutoSize(true);
    if (FTitleBar)
        FTitleBar->SetTop(0);
}

void TkivForm::DestroyMenuBar()
{
    if (!GetMDIChild()) {
        TkivMenuBar* bar = FMenuBar;
        FMenuBar = nullptr;
        delete bar;
    }
    // A main menu that still shows itself here is told to stop, so it never reaches a frame that
    // no longer knows it.
    if (auto* menu = dynamic_cast<TkivMainMenu*>(FMenu); menu && menu->MenuBarHost() == this)
        menu->SetMenuBarHost(nullptr);
    if (FMenu)
        RemoveFreeNotification(FMenu);
    FMenu = nullptr;
    FMenuComponent = nullptr;
}

void TkivForm::UpdateMenu()
{
    if (!FMenuBar)
        return;
    if (!FMenu) {
        DestroyMenuBar();
        return;
    }
    FMenuBar->SetAutoSize(false);
    if (auto* menu = dynamic_cast<TkivMainMenu*>(FMenu)) {
        if (menu->UseSystemFont())
            Menu_GetSystemFont(FMenuBar->Font());
        else
            FMenuBar->Font()->SetSize(menu->FontSize());
    }
    while (FMenuBar->ButtonCount() > 0)
        delete FMenuBar->Buttons(FMenuBar->ButtonCount() - 1);
    TMenuItem* top = FMenu->Items();
    for (int i = top->Count() - 1; i >= 0; --i) {
        TMenuItem* item = top->Items(i);
        if (item->Parent() != top)
            continue;
        auto* button = new TToolButton(this);
        button->SetParent(FMenuBar);
        button->SetGrouped(true);
        button->SetMenuItem(item);
        button->SetAutoSize(true);
    }
    FMenuBar->SetAutoSize(true);
}

void TkivForm::UpdateTopMenu()
{
    if (!FMenuBar)
        return;
    for (int i = 0; i < FMenuBar->ButtonCount(); ++i) {
        TToolButton* button = FMenuBar->Buttons(i);
        if (TMenuItem* item = button->MenuItem()) {
            button->SetCaption(item->Caption());
            button->SetEnabled(item->Enabled());
        }
    }
}

void TkivForm::RepaintMenuBar()
{
    if (!FMenuBar || !FMenu)
        return;
    if (auto* menu = dynamic_cast<TkivMainMenu*>(FMenu)) {
        if (menu->UseSystemFont()) {
            Menu_GetSystemFont(FMenuBar->Font());
        } else {
            FMenuBar->Font()->SetName(menu->FontName());
            FMenuBar->Font()->SetSize(menu->FontSize());
            FMenuBar->Font()->SetCharset(menu->FontCharset());
        }
    }
    FMenuBar->Invalidate();
}

void TkivForm::SetMenuBarColor(TColor Value)
{
    FMenuBarColor = Value;
    if (FMenuBar)
        FMenuBar->SetColor(Value);
}

void TkivForm::SetMenuBarToColor(TColor Value)
{
    FMenuBarToColor = Value;
    if (FMenuBar)
        FMenuBar->Invalidate();
}

int TkivForm::MenuBarHeight() const { return GetMenuBarHeight(); }

void TkivForm::SetMenuBarHeight(int Value)
{
    FMenuBarHeight = Value;
    if (!FMenuBar)
        return;
    FMenuBar->SetHeight(Value);
    for (int i = 0; i < FMenuBar->ButtonCount(); ++i)
        FMenuBar->Buttons(i)->SetHeight(Value);
}

const TkivThemeLink& TkivForm::MenuLook() const
{
    if (auto* menu = dynamic_cast<TkivMainMenu*>(FMenu))
        return menu->Theme();
    return FTheme;
}

void TkivForm::DrawMenuBar(TToolBar* Sender, const TRect& ARect, bool&)
{
    const TkivThemeLink& look = MenuLook();
    TCanvas* c = Sender->Canvas();
    if (look.Style() == MacOS) {
        TBitmap bar;
        bar.LoadFromResourceName(HInstance, QStringLiteral("MACOS_MENU_BAR"));
        c->StretchDraw(ARect, &bar);
    } else if (FMenuBarColor != FMenuBarToColor) {
        DrawHorizontalGradient(c, ARect, FMenuBarColor, FMenuBarToColor);
    }
}

void TkivForm::DrawButton(TToolBar* Sender, TToolButton* Button, TCustomDrawState State, bool& DefaultDraw)
{
    DefaultDraw = false;
    TCanvas* c = Sender->Canvas();
    const TRect r = Button->BoundsRect();
    Button->SetTag(0);
    const TkivThemeLink& look = MenuLook();

    // The font: the menu's when it is a skinned main menu.
    auto* menu = dynamic_cast<TkivMainMenu*>(FMenu);
    bool fromMenu = false;
    if (menu) {
        if (menu->UseSystemFont()) {
            Menu_GetSystemFont(c->Font());
        } else {
            c->Font()->SetName(menu->FontName());
            c->Font()->SetSize(menu->FontSize());
            c->Font()->SetCharset(menu->FontCharset());
            c->Font()->SetColor(menu->FontColor());
            fromMenu = true;
        }
    }
    const String caption = Button->Caption();
    constexpr UINT centred = DT_SINGLELINE | DT_VCENTER | DT_CENTER;

    if (State & (cdsHot | cdsSelected)) {
        Button->SetTag(KIV_MENUBAR_HOT_TAG);
        if (look.Style() == MacOS) {
            const int w = r.Width(), h = r.Height();
            TBitmap face(std::max(1, w), std::max(1, h));
            TBitmap select;
            select.LoadFromResourceName(HInstance, QStringLiteral("MACOS_MENU_SELECT"));
            TCanvas* fc = face.Canvas();
            fc->StretchDraw(Rect(0, 0, w, h), &select);
            if (fromMenu) {
                fc->Font()->SetName(menu->FontName());
                fc->Font()->SetSize(menu->FontSize());
                fc->Font()->SetCharset(menu->FontCharset());
            } else {
                fc->Font()->Assign(c->Font());
            }
            fc->Font()->SetColor(GetInsideThemeColor(MacOS, KIV_THEME_MENU_SELECTED_FONT_COLOR));
            fc->Brush()->SetStyle(bsClear);
            TRect text = Rect(0, 0, w, h + 2);
            fc->DrawText(caption, text, centred);
            c->Draw(r.Left, r.Top, &face);
            return;
        }
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(look.Color(KIV_THEME_MENU_SELECTED_BACKGROUND_COLOR, SKIN2_TOPSELECTEDMENUCOLOR));
        c->FillRect(r);
        c->Brush()->SetColor(look.Color(KIV_THEME_MENU_SELECTED_BORDER_COLOR, SKIN2_TOPSELECTEDMENUBORDERCOLOR));
        c->FrameRect(r);
        c->Brush()->SetStyle(bsClear);
        c->Font()->SetColor(look.Color(KIV_THEME_MENU_SELECTED_FONT_COLOR, SKIN2_TOPSELECTEDMENUFONTCOLOR));
        TRect text = r;
        text.Top += 2;
        c->DrawText(caption, text, centred);
        return;
    }

    c->Brush()->SetStyle(bsClear);
    TColor ink = look.Color(KIV_THEME_MENU_FONT_COLOR, SKIN2_TOPMENUFONTCOLOR);
    if (!Button->Enabled())
        ink = TColor(0x808080);
    c->Font()->SetColor(ink);
    TRect text = r;
    text.Top += 2;
    c->DrawText(caption, text, centred);
}
