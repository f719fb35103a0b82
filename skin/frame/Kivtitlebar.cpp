#include "skin/frame/Kivtitlebar.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/SysLocale.h"
#include "skin/theme/Kivpublic.h"
#include "skin/theme/Kivresdef.h"

#include <algorithm>
#include <vector>

namespace {

// The last frame (pressed) of a button type's group in the 18-frame strip; 0 for kivCustom.
int LastFrameOf(TkivTitleBarBtnType Type)
{
    switch (Type) {
    case kivMax: return 9;
    case kivMin: return 15;
    case kivClose: return 18;
    case kivHelp: return 6;
    case kivControlBox: return 3;
    case kivCustom: return 0;
    }
    return 0;
}

constexpr int TitleButtonFrames = 18;

void ShowTitleBarError(const String& Text)
{
    if (Application)
        Application->MessageBox(Text, QStringLiteral("Error"), MB_OK | MB_ICONERROR);
}

bool HoldsImage(const TPicture* Picture)
{
    return Picture && Picture->Graphic() && !Picture->Graphic()->Empty();
}

int PictureWidth(const TBitmap* Bitmap) { return Bitmap ? Bitmap->Width() : 0; }

}  // namespace

// ---------------------------------------------------------------------------------------------
// TkivTitleBarButton

TkivTitleBarButton::TkivTitleBarButton(TCollection* Collection)
    : TCollectionItem(Collection),
      FPicNormal(std::make_unique<TPicture>()),
      FPicMouseOn(std::make_unique<TPicture>()),
      FPicMouseDown(std::make_unique<TPicture>())
{
    FTransparent = GetInsideThemeBool(FUIStyle, KIV_THEME_TITLEBAR_BUTTON_TRANSPARENT);
    FTop = GetInsideThemeInt(FUIStyle, KIV_THEME_TITLEBAR_BUTTON_TOP);
    for (TPicture* p : {FPicNormal.get(), FPicMouseOn.get(), FPicMouseDown.get()})
        p->OnChange = [this](TObject*) { PictureChanged(); };
}

TkivTitleBarButton::~TkivTitleBarButton()
{
    for (TPicture* p : {FPicNormal.get(), FPicMouseOn.get(), FPicMouseDown.get()})
        p->OnChange = nullptr;
}

TkivTitleBar* TkivTitleBarButton::TitleBar() const
{
    return Collection() ? dynamic_cast<TkivTitleBar*>(Collection()->Owner()) : nullptr;
}

void TkivTitleBarButton::PictureChanged()
{
    if (!FLoading)
        Changed(false);
}

void TkivTitleBarButton::SetUIStyle(TkivUIStyle Value)
{
    FUIStyle = Value;
    UpdateUIStyle();
}

void TkivTitleBarButton::SetButtonType(TkivTitleBarBtnType Value)
{
    if (Value == kivControlBox && Collection()) {
        for (int i = 0; i < Collection()->Count(); ++i) {
            auto* b = static_cast<TkivTitleBarButton*>(Collection()->Items(i));
            if (b->FButtonType == kivControlBox) {
                ShowTitleBarError(
                    QStringLiteral("Sorry, only one button's ButtonType property can be \"kivControlBox\""));
                return;
            }
        }
    }
    FButtonType = Value;
    UpdateUIStyle();
}

void TkivTitleBarButton::SetTransparent(bool Value)
{
    FTransparent = Value;
    Changed(false);
}

void TkivTitleBarButton::SetTop(int Value)
{
    FTop = Value;
    Changed(false);
}

void TkivTitleBarButton::SetControlBoxMenu(TPopupMenu* Value)
{
    FControlBoxMenu = Value;
    Changed(false);
}

void TkivTitleBarButton::SetVisible(bool Value)
{
    FVisible = Value;
    Changed(false);
}

void TkivTitleBarButton::SetPicNormal(TPicture* Value) { FPicNormal->Assign(Value); }
void TkivTitleBarButton::SetPicMouseOn(TPicture* Value) { FPicMouseOn->Assign(Value); }
void TkivTitleBarButton::SetPicMouseDown(TPicture* Value) { FPicMouseDown->Assign(Value); }

bool TkivTitleBarButton::HasPictures() const
{
    return HoldsImage(FPicNormal.get()) && HoldsImage(FPicMouseOn.get()) && HoldsImage(FPicMouseDown.get());
}

void TkivTitleBarButton::LoadFrames(int Last)
{
    TkivTitleBar* bar = TitleBar();
    TkivFileTheme* theme = bar ? bar->FileTheme() : nullptr;
    TkivUIStyle effective = FUIStyle;
    const bool file = UsingFileTheme(theme, FUIStyle, effective);
    const bool wasLoading = FLoading;
    FLoading = true;
    TPicture* pictures[3] = {FPicNormal.get(), FPicMouseOn.get(), FPicMouseDown.get()};
    for (int k = 0; k < 3; ++k) {
        TBitmap frame;
        if (file)
            theme->GetBitmap2(SKIN2_TITLEBUTTONS, &frame, TitleButtonFrames, Last - 2 + k);
        else
            GetInsideThemeBitmap(effective, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &frame, TitleButtonFrames, Last - 2 + k);
        pictures[k]->SetBitmap(&frame);
    }
    FLoading = wasLoading;
    if (!FLoading)
        Changed(false);
}

void TkivTitleBarButton::UpdateUIStyle()
{
    TkivTitleBar* bar = TitleBar();
    TkivFileTheme* theme = bar ? bar->FileTheme() : nullptr;
    TkivUIStyle effective = FUIStyle;
    FLoading = true;
    try {
        if (UsingFileTheme(theme, FUIStyle, effective)) {
            FTransparent = theme->GetBool(SKIN2_TITLEBTNTRANS);
            FTop = theme->GetInt(SKIN2_TITLEBARBUTTONPOSY);
        } else {
            FTransparent = GetInsideThemeBool(effective, KIV_THEME_TITLEBAR_BUTTON_TRANSPARENT);
            FTop = GetInsideThemeInt(effective, KIV_THEME_TITLEBAR_BUTTON_TOP);
        }
        if (FButtonType != kivCustom)
            LoadFrames(LastFrameOf(FButtonType));
        if (FButtonType == kivMax)
            ProcessMaxBtn();
    } catch (...) {
        FLoading = false;
        throw;
    }
    FLoading = false;
    Changed(false);
}

void TkivTitleBarButton::ProcessMaxBtn()
{
    if (FButtonType != kivMax)
        return;
    TkivTitleBar* bar = TitleBar();
    if (bar && bar->Custom())
        return;
    TCustomForm* form = bar ? bar->HostForm() : nullptr;
    LoadFrames(form && form->WindowState() == wsMaximized ? 12 : 9);
}

void TkivTitleBarButton::DoClick()
{
    TkivTitleBar* bar = TitleBar();
    if (!bar)
        return;
    if ((bar->ComponentState() & csDesigning) && FButtonType != kivClose)
        return;
    TCustomForm* form = bar->HostForm();
    if (!form)
        return;
    switch (FButtonType) {
    case kivMax: {
        bool allow = true;
        if (bar->OnMaxClick)
            bar->OnMaxClick(bar, allow);
        if (!allow)
            return;
        if (form->WindowState() == wsMaximized) {
            form->SetWindowState(wsNormal);
        } else {
            form->SetWindowState(wsMaximized);
            if (!bar->InForm()) {
                TRect r = GetWorkAreaRect();
                r.Left -= 2;
                r.Top -= 2;
                r.Right += 2;
                r.Bottom -= 1;
                PlaceControl(form, r);
            }
        }
        ProcessMaxBtn();
        break;
    }
    case kivMin:
        bar->MinimizeForm();
        break;
    case kivClose:
        form->Close();
        break;
    case kivControlBox:
        if (TPopupMenu* menu = FControlBoxMenu) {
            TPoint p{bar->RightToLeftReading() ? 176 : 0, bar->Height()};
            p = bar->ClientToScreen(p);
            menu->Popup(std::max(0, p.X), p.Y);
        }
        break;
    case kivHelp:
    case kivCustom:
        break;
    }
}

void TkivTitleBarButton::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TkivTitleBarButton*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    FLoading = true;
    FVisible = src->FVisible;
    FButtonType = src->FButtonType;
    FTransparent = src->FTransparent;
    FTop = src->FTop;
    FUIStyle = src->FUIStyle;
    FPicNormal->Assign(src->FPicNormal.get());
    FPicMouseOn->Assign(src->FPicMouseOn.get());
    FPicMouseDown->Assign(src->FPicMouseDown.get());
    FControlBoxMenu = src->FControlBoxMenu;
    FLoading = false;
    Changed(false);
}

TkivTitleBarButtons::TkivTitleBarButtons(TkivTitleBar* Owner)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TkivTitleBarButton(c); }, Owner)
{
}

TkivTitleBar* TkivTitleBarButtons::TitleBar() const { return dynamic_cast<TkivTitleBar*>(Owner()); }

// ---------------------------------------------------------------------------------------------
// TkivTitleBarSection

TkivTitleBarSection::TkivTitleBarSection(TCollection* Collection)
    : TCollectionItem(Collection), FPicture(std::make_unique<TPicture>())
{
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
}

TkivTitleBarSection::~TkivTitleBarSection() { FPicture->OnChange = nullptr; }

void TkivTitleBarSection::PictureChanged()
{
    FConverted.reset();
    if (FAutoSize)
        FWidth = FPicture->Width();
    Changed(false);
}

void TkivTitleBarSection::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (FAutoSize)
        FWidth = FPicture->Width();
    Changed(false);
}

void TkivTitleBarSection::SetWidth(int Value)
{
    FWidth = Value;
    Changed(false);
}

void TkivTitleBarSection::SetAlign(TkivTitleBarAlign Value)
{
    if (Value == kivClient) {
        if (Collection()) {
            for (int i = 0; i < Collection()->Count(); ++i) {
                if (static_cast<TkivTitleBarSection*>(Collection()->Items(i))->FAlign == kivClient) {
                    ShowTitleBarError(QStringLiteral("Sorry, only one section's Align property can be \"kivClient\""));
                    return;
                }
            }
        }
        FStretch = true;
    }
    FAlign = Value;
    Changed(false);
}

void TkivTitleBarSection::SetPicture(TPicture* Value) { FPicture->Assign(Value); }

void TkivTitleBarSection::SetStretch(bool Value)
{
    FStretch = FAlign == kivClient ? true : Value;
    Changed(false);
}

void TkivTitleBarSection::SetCapSec(bool Value)
{
    FCapSec = Value;
    Changed(false);
}

TBitmap* TkivTitleBarSection::PictureBitmap()
{
    TGraphic* g = FPicture->Graphic();
    if (!g)
        return nullptr;
    if (auto* b = dynamic_cast<TBitmap*>(g))
        return b;
    if (!FConverted) {
        FConverted = std::make_unique<TBitmap>(g->Width(), g->Height());
        FConverted->SetPixelFormat(pf24bit);
        g->Draw(FConverted->Canvas(), Rect(0, 0, g->Width(), g->Height()));
    }
    return FConverted.get();
}

void TkivTitleBarSection::Assign(const TPersistent* Source)
{
    auto* src = dynamic_cast<const TkivTitleBarSection*>(Source);
    if (!src) {
        TCollectionItem::Assign(Source);
        return;
    }
    FWidth = src->FWidth;
    FAlign = src->FAlign;
    FStretch = src->FStretch;
    FAutoSize = src->FAutoSize;
    FPicture->Assign(src->FPicture.get());
    FWidth = src->FWidth;
    Changed(false);
}

TkivTitleBarSections::TkivTitleBarSections(TkivTitleBar* Owner)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TkivTitleBarSection(c); }, Owner)
{
}

TkivTitleBar* TkivTitleBarSections::TitleBar() const { return dynamic_cast<TkivTitleBar*>(Owner()); }

// ---------------------------------------------------------------------------------------------
// TkivTitleBarPopupMenu

TkivTitleBarPopupMenu::TkivTitleBarPopupMenu(TComponent* AOwner)
    : TkivPopupMenu(AOwner), FTitleBar(dynamic_cast<TkivTitleBar*>(AOwner))
{
    SetAutoHotkeys(maManual);
    auto add = [this](const String& caption) {
        auto* item = new TMenuItem(this);
        item->SetCaption(caption);
        Items()->Add(item);
        return item;
    };
    FMinimize = add(KIV_TITLE_MENUITEM_MINIMIZE);
    FMaximize = add(KIV_TITLE_MENUITEM_MAXIMIZE);
    add(QStringLiteral("-"));
    FClose = add(KIV_TITLE_MENUITEM_CLOSE);

    FMinimize->OnClick = [this](TObject*) {
        if (FTitleBar)
            FTitleBar->MinimizeForm();
    };
    FMaximize->OnClick = [this](TObject*) {
        if (!FTitleBar)
            return;
        std::vector<QPointer<TkivTitleBarButton>> max;
        TkivTitleBarButtons* buttons = FTitleBar->Buttons();
        for (int i = 0; i < buttons->Count(); ++i) {
            TkivTitleBarButton* b = buttons->Items(i);
            if (b->Visible() && b->ButtonType() == kivMax)
                max.emplace_back(b);
        }
        for (const auto& b : max)
            if (b)
                b->DoClick();
    };
    FClose->OnClick = [this](TObject*) {
        if (!FTitleBar)
            return;
        if (TCustomForm* form = FTitleBar->HostForm())
            form->Close();
    };
    MenuAdded();
}

void TkivTitleBarPopupMenu::Popup(int X, int Y)
{
    if (TkivTitleBar* bar = FTitleBar) {
        if (bar->RightToLeftReading())
            X += 176;
        bool min = false, max = false, close = false;
        TkivTitleBarButtons* buttons = bar->Buttons();
        for (int i = 0; i < buttons->Count(); ++i) {
            TkivTitleBarButton* b = buttons->Items(i);
            if (!b->Visible())
                continue;
            min = min || b->ButtonType() == kivMin;
            max = max || b->ButtonType() == kivMax;
            close = close || b->ButtonType() == kivClose;
        }
        FMinimize->SetEnabled(min);
        FMaximize->SetEnabled(max);
        FClose->SetEnabled(close);
    }
    TkivPopupMenu::Popup(X, Y);
}

// ---------------------------------------------------------------------------------------------
// TkivTitleBar: construction and properties

TkivTitleBar::TkivTitleBar(TComponent* AOwner)
    : TCustomPanel(AOwner), FRawImage(std::make_unique<TBitmap>()), FComposedImage(std::make_unique<TBitmap>())
{
    FControlStyle &= ~csAcceptsControls;
    SetParentBiDiMode(true);
    FCustom = false;
    FRawImage->SetPixelFormat(pf24bit);
    FComposedImage->SetPixelFormat(pf24bit);
    FInactiveCaptionColor = clInactiveCaption;
    FSystemMenu = new TkivTitleBarPopupMenu(this);
    FSections = std::make_unique<TkivTitleBarSections>(this);
    FButtons = std::make_unique<TkivTitleBarButtons>(this);
    FSections->OnUpdate = [this](TCollectionItem*) {
        if (FConstructed)
            Invalidate();
    };
    FButtons->OnUpdate = [this](TCollectionItem*) {
        if (FConstructed)
            Invalidate();
    };
    for (TkivTitleBarBtnType t : {kivControlBox, kivClose, kivMax, kivMin})
        FButtons->Add()->SetButtonType(t);
    SetAlign(alTop);
    FButtonInterval = 0;
    FFormActive = true;
    FHotIndex = -1;
    FLeftBtnXOffset = 0;
    FRightBtnXOffset = 0;
    FDrawAppIcon = true;
    Font()->SetColor(clWhite);
    Font()->SetName(QStringLiteral("Tahoma"));
    Font()->SetStyle(fsBold);
    FConstructed = true;
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivTitleBar::~TkivTitleBar()
{
    Destroying();
    FConstructed = false;
    FButtons.reset();
    FSections.reset();
    delete FSystemMenu;
    FSystemMenu = nullptr;
    FRawImage.reset();
    FComposedImage.reset();
}

void TkivTitleBar::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    FFontColorLocked = true;
    struct Unlock {
        bool& flag;
        ~Unlock() { flag = false; }
    } unlock{FFontColorLocked};
    SetUIStyle(UIStyle());
}

void TkivTitleBar::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    if (FCustom)
        return;
    const bool file = FTheme.UsingFile();
    const TkivUIStyle effective = FTheme.Effective();
    FSections->BeginUpdate();
    try {
        FSections->Clear();
        if (file)
            BuildFromSkin(FTheme.File());
        else
            BuildFromStyle(effective);
    } catch (...) {
        FSections->EndUpdate();
        throw;
    }
    FSections->EndUpdate();

    for (int i = 0; i < FButtons->Count(); ++i)
        FButtons->Items(i)->SetUIStyle(effective);

    FSystemMenu->SetFileTheme(FTheme.File());
    FSystemMenu->SetUIStyle(effective);

    if (!FFontColorLocked) {
        if (file)
            Font()->SetColor(FTheme.File()->GetColor(SKIN2_TITLEFONTCOLOR));
        else
            Font()->SetColor(effective == MacOS ? clBlack : clWhite);
    }
    SetAutoSize(true);
    Invalidate();
}

void TkivTitleBar::BuildFromStyle(TkivUIStyle Effective)
{
    auto add = [&](int element, bool autoSize, TkivTitleBarAlign align) {
        TkivTitleBarSection* s = FSections->Add();
        TBitmap picture;
        GetInsideThemeBitmap(Effective, element, &picture, 0, 0);
        s->Picture()->SetBitmap(&picture);
        if (autoSize)
            s->SetAutoSize(true);
        if (align != kivLeft)
            s->SetAlign(align);
    };
    add(KIV_THEME_TITLEBAR_LEFT_IMAGE, true, kivLeft);
    add(KIV_THEME_TITLEBAR_RIGHT_IMAGE, true, kivRight);
    add(KIV_THEME_TITLEBAR_CLIENT_IMAGE, false, kivClient);

    FLeftBtnXOffset = GetInsideThemeInt(Effective, KIV_THEME_TITLEBAR_BUTTON_LEFTOFFSET);
    FRightBtnXOffset = GetInsideThemeInt(Effective, KIV_THEME_TITLEBAR_BUTTON_RIGHTOFFSET);
    FButtonTop = GetInsideThemeInt(Effective, KIV_THEME_TITLEBAR_BUTTON_TOP) - (InForm() ? 3 : 0);
    FIconTop = FButtonTop;
    if (TCustomForm* form = HostForm()) {
        form->Constraints()->SetMinWidth(GetInsideThemeInt(Effective, KIV_THEME_FORM_MINWIDTH));
        form->Constraints()->SetMinHeight(50);
    }
    FRoundCorner = GetInsideThemeInt(Effective, KIV_THEME_FORM_ROUNDCORNER);
    FRoundCornerBottom = 0;
}

void TkivTitleBar::BuildFromSkin(TkivFileTheme* Theme)
{
    FFiveSections = Theme->GetBool(SKIN2_TITLEFIVESECT);
    FTransparentColor = Theme->GetColor(SKIN2_TRANSCOLOR);
    auto add = [&](Tsk2SkinBitmapElement element) {
        TkivTitleBarSection* s = FSections->Add();
        TBitmap picture;
        Theme->GetBitmap2(element, &picture, 0, 0);
        s->Picture()->SetBitmap(&picture);
        return s;
    };
    add(SKIN2_TITLEBAR1)->SetAutoSize(true);
    TkivTitleBarSection* second = add(SKIN2_TITLEBAR2);
    if (FFiveSections)
        second->SetCapSec(true);
    else
        second->SetAlign(kivClient);
    TkivTitleBarSection* third = add(SKIN2_TITLEBAR3);
    third->SetAutoSize(true);
    if (!FFiveSections)
        third->SetAlign(kivRight);
    if (FFiveSections) {
        add(SKIN2_TITLEBAR4)->SetAlign(kivClient);
        TkivTitleBarSection* fifth = add(SKIN2_TITLEBAR5);
        fifth->SetAutoSize(true);
        fifth->SetAlign(kivRight);
    }

    FLeftBtnXOffset = Theme->GetInt(SKIN2_TITLEBARICONPOSX);
    FRightBtnXOffset = Theme->GetInt(SKIN2_TITLEBARBUTTONPOSX);
    TBitmap* strip = Theme->GetBitmap(SKIN2_TITLEBUTTONS);
    if (strip)
        strip->SetPixelFormat(pf24bit);

    FButtonTop = Theme->GetInt(SKIN2_TITLEBARBUTTONPOSY);
    FIconTop = Theme->GetInt(SKIN2_TITLEBARICONPOSY);
    FCaptionTop = Theme->GetInt(SKIN2_TITLEBARCAPTIONTOP);
    FBackgroundColor = Theme->GetColor(SKIN2_FORMCOLOR);
    if (InForm()) {
        FButtonTop -= 3;
        FIconTop -= 3;
    }

    if (TCustomForm* form = HostForm()) {
        const int width1 = PictureWidth(Theme->GetBitmap(SKIN2_TITLEBAR1));
        const int width3 = PictureWidth(Theme->GetBitmap(SKIN2_TITLEBAR3));
        const int f = (PictureWidth(strip) / TitleButtonFrames) * FButtons->Count() +
                      Theme->GetInt(SKIN2_TITLEBARBUTTONPOSX);
        if (FFiveSections)
            form->Constraints()->SetMinWidth(width1 + width3 +
                                             std::max(PictureWidth(Theme->GetBitmap(SKIN2_TITLEBAR5)), f) + 16);
        else
            form->Constraints()->SetMinWidth(width1 + std::max(width3, f));
    }
}

void TkivTitleBar::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (FSections->Count() == 0) {
        FAutoSize = false;
        return;
    }
    if (!FAutoSize)
        return;
    const int h = FSections->Items(0)->Picture()->Height() - (InForm() ? 3 : 0);
    SetHeight(std::max(0, h));
}

void TkivTitleBar::SetSections(const TkivTitleBarSections* Value)
{
    if (Value)
        FSections->Assign(Value);
}

void TkivTitleBar::SetButtons(const TkivTitleBarButtons* Value)
{
    if (Value)
        FButtons->Assign(Value);
}

void TkivTitleBar::SetSectionsCollection(TCollection* Value)
{
    if (Value)
        FSections->Assign(Value);
}

void TkivTitleBar::SetButtonsCollection(TCollection* Value)
{
    if (Value)
        FButtons->Assign(Value);
}

void TkivTitleBar::SetButtonInterval(int Value)
{
    FButtonInterval = Value;
    Invalidate();
}

void TkivTitleBar::SetCaption(const String& Value)
{
    TControl::SetCaption(Value);
    Invalidate();
}

void TkivTitleBar::SetActive(bool Value)
{
    FFormActive = Value;
    Invalidate();
}

void TkivTitleBar::SetLeftBtnXOffset(int Value)
{
    FLeftBtnXOffset = Value;
    Invalidate();
}

void TkivTitleBar::SetRightBtnXOffset(int Value)
{
    FRightBtnXOffset = Value;
    Invalidate();
}

void TkivTitleBar::SetDrawAppIcon(bool Value)
{
    FDrawAppIcon = Value;
    Invalidate();
}

void TkivTitleBar::SetInactiveCaptionColor(TColor Value)
{
    FInactiveCaptionColor = Value;
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Queries and operations

IkivFrameHost* TkivTitleBar::ParentHost() const
{
    auto* host = dynamic_cast<IkivFrameHost*>(Parent());
    return host && !host->IsMDIFrame() ? host : nullptr;
}

IkivFrameHost* TkivTitleBar::OwnerHost() const
{
    auto* host = dynamic_cast<IkivFrameHost*>(Owner());
    return host && host->IsMDIFrame() ? host : nullptr;
}

bool TkivTitleBar::InForm() const { return ParentHost() || OwnerHost(); }

bool TkivTitleBar::InMDIForm() const { return OwnerHost() && Parent(); }

TCustomForm* TkivTitleBar::HostForm() const { return GetParentForm(this); }

int TkivTitleBar::FrameInset() const
{
    TCustomForm* form = HostForm();
    return form ? int(SendMessageA(form->Handle(), KIVM_GETFRAMEINSET, 0, 0)) : 0;
}

bool TkivTitleBar::RightToLeftReading() const { return BiDiMode() == bdRightToLeft && SysLocale.MiddleEast; }

bool TkivTitleBar::CanPaint() const { return FSections->Count() == 3 || FSections->Count() == 5; }

void TkivTitleBar::GetTitleImage(int Index, TBitmap*& Bitmap)
{
    if (Index == -1) {
        Bitmap = FRawImage.get();
        return;
    }
    if (Index == -2) {
        Bitmap = FComposedImage.get();
        return;
    }
    if (Index >= 0 && FSections->Count() > 2 && Index < FSections->Count())
        Bitmap = FSections->Items(Index)->PictureBitmap();
}

void TkivTitleBar::ProcessMaxBtn()
{
    for (int i = 0; i < FButtons->Count(); ++i)
        if (FButtons->Items(i)->ButtonType() == kivMax)
            FButtons->Items(i)->ProcessMaxBtn();
}

void TkivTitleBar::AddHelpBtn()
{
    TkivTitleBarButton* b = FButtons->Add();
    b->SetUIStyle(FTheme.Effective());
    b->SetButtonType(kivHelp);
}

void TkivTitleBar::MinimizeForm()
{
    TCustomForm* form = HostForm();
    if (!form)
        return;
    bool allow = true;
    if (OnMinClick)
        OnMinClick(this, allow);
    if (!allow)
        return;
    if (Application && Application->MainForm() == form)
        SendMessageA(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
    else
        form->SetWindowState(wsMinimized);
}

void TkivTitleBar::ForcePaint()
{
    Paint();
    Invalidate();
}

void TkivTitleBar::RepaintNow()
{
    QWidget* w = Widget();
    if (w && w->isVisible())
        Repaint();
    else
        Invalidate();
}

// ---------------------------------------------------------------------------------------------
// Messages and the mouse

void TkivTitleBar::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_NCLBUTTONDOWN:
    case WM_NCLBUTTONUP:
    case WM_NCMOUSEMOVE: {
        TCustomForm* form = HostForm();
        Message.Result = form ? SendMessageA(form->Handle(), Message.Msg, Message.WParam, Message.LParam) : 0;
        return;
    }
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_FONTCHANGED:
        TCustomPanel::Dispatch(Message);
        Invalidate();
        return;
    case CM_MOUSELEAVE: {
        const QPointer<TkivTitleBar> self(this);
        TCustomPanel::Dispatch(Message);
        if (self)
            RepaintNow();
        return;
    }
    case CM_DESIGNHITTEST:
        if ((ComponentState() & csDesigning) && (Message.WParam & MK_LBUTTON)) {
            MouseDown(mbLeft, ssLeft, GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
            Message.Result = 1;
            return;
        }
        break;
    default:
        break;
    }
    TCustomPanel::Dispatch(Message);
}

void TkivTitleBar::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const QPointer<TkivTitleBar> self(this);
    TCustomPanel::MouseDown(Button, Shift, X, Y);
    if (!self || Button != mbLeft)
        return;
    FPressed = true;
    RepaintNow();
    TCustomForm* form = HostForm();
    if (!form)
        return;
    const bool designing = ComponentState() & csDesigning;
    if ((FHotIndex == -1 && form->WindowState() != wsMaximized) || designing) {
        ReleaseCapture();
        const TPoint p = ClientToScreen(TPoint{X, Y});
        SendMessageA(form->Handle(), WM_NCLBUTTONDOWN, WPARAM(HTCAPTION), MAKELPARAM(p.X, p.Y));
        if (self)
            FPressed = false;
    }
}

void TkivTitleBar::MouseMove(TShiftState Shift, int X, int Y)
{
    const QPointer<TkivTitleBar> self(this);
    TCustomPanel::MouseMove(Shift, X, Y);
    if (self)
        RepaintNow();
}

void TkivTitleBar::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    const QPointer<TkivTitleBar> self(this);
    TCustomPanel::MouseUp(Button, Shift, X, Y);
    if (!self || Button != mbLeft)
        return;
    if (FHotIndex >= 0 && FHotIndex < FButtons->Count()) {
        const int index = FHotIndex;
        TkivTitleBarButton* button = FButtons->Items(index);
        const TkivTitleBarBtnType type = button->ButtonType();
        const bool ownMenu = button->ControlBoxMenu() != nullptr;
        if (type != kivControlBox || ownMenu)
            button->DoClick();
        if (!self)
            return;
        if (type == kivCustom && OnCustomBtnsClick)
            OnCustomBtnsClick(this, index);
        else if (type == kivHelp && OnHelpBtnClick)
            OnHelpBtnClick(this, index);
        if (!self)
            return;
        if (type == kivControlBox && !ownMenu) {
            const TPoint p = ClientToScreen(TPoint{0, Height()});
            FSystemMenu->Popup(p.X, p.Y);
            if (!self)
                return;
        }
    }
    FPressed = false;
    RepaintNow();
}

void TkivTitleBar::DblClick()
{
    const QPointer<TkivTitleBar> self(this);
    TCustomPanel::DblClick();
    if (!self || (ComponentState() & csDesigning))
        return;
    if (FHotIndex == -1) {
        for (int i = 0; i < FButtons->Count(); ++i) {
            TkivTitleBarButton* b = FButtons->Items(i);
            if (b->Visible() && b->ButtonType() == kivMax) {
                b->DoClick();
                return;
            }
        }
        return;
    }
    if (FHotIndex < FButtons->Count() && FButtons->Items(FHotIndex)->ButtonType() == kivControlBox) {
        if (TCustomForm* form = HostForm())
            form->Close();
    }
}

void TkivTitleBar::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation) && !(ComponentState() & csDestroying))
        SetUIStyle(DeepBlue);
}

void RegisterKivtitlebarClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivTitleBar>("TkivTitleBar");
}
