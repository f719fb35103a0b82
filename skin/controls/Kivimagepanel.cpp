#include "skin/controls/Kivimagepanel.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/SysLocale.h"
#include "skin/theme/Kivpublic.h"

#include <QPointer>
#include <algorithm>

// ---------------------------------------------------------------------------------------------
// TkivCustomPanel

TkivCustomPanel::TkivCustomPanel(TComponent* AOwner) : TCustomPanel(AOwner), FPicture(std::make_unique<TPicture>())
{
    SetBevelInner(bvNone);
    SetBevelOuter(bvNone);
    FPicture->OnChange = [this](TObject* Sender) { PictureChanged(Sender); };
}

TkivCustomPanel::~TkivCustomPanel()
{
    Destroying();
    FPicture->OnChange = nullptr;
}

bool TkivCustomPanel::HasGraphic() const { return FPicture->Graphic() && !FPicture->Graphic()->Empty(); }

void TkivCustomPanel::SetPicture(TPicture* Value)
{
    FPicture->Assign(Value);
    ClearPanel();
    Invalidate();
}

void TkivCustomPanel::SetTransparent(bool Value)
{
    FTransparent = Value;
    if (HasGraphic())
        ApplyTransparent();
    Invalidate();
}

void TkivCustomPanel::SetAutoSize(bool Value)
{
    FAutoSize = Value;
    if (HasGraphic())
        ApplyAutoSize();
}

void TkivCustomPanel::SetDrawStyle(TkivDrawStyle Value)
{
    FDrawStyle = Value;
    ClearPanel();
    Invalidate();
}

void TkivCustomPanel::SetCaptionPosX(int Value)
{
    FCaptionPosX = Value;
    Invalidate();
}

void TkivCustomPanel::SetCaptionPosY(int Value)
{
    FCaptionPosY = Value;
    Invalidate();
}

void TkivCustomPanel::ApplyAutoSize()
{
    if (!FAutoSize)
        return;
    const TAlign a = Align();
    if (a != alTop && a != alBottom && a != alClient)
        SetWidth(FPicture->Width());
    if (a != alLeft && a != alRight && a != alClient)
        SetHeight(FPicture->Height());
}

void TkivCustomPanel::ApplyTransparent()
{
    TGraphic* g = FPicture->Graphic();
    if (g && g->Transparent() != FTransparent)
        g->SetTransparent(FTransparent);
}

void TkivCustomPanel::PictureChanged(TObject*)
{
    if (HasGraphic()) {
        if (FAutoSize)
            ApplyAutoSize();
        ApplyTransparent();
    }
    ClearPanel();
    Invalidate();
}

void TkivCustomPanel::ClearPanel() { Canvas()->Brush()->SetColor(Color()); }

void TkivCustomPanel::Resize()
{
    TCustomPanel::Resize();
    Invalidate();
}

void TkivCustomPanel::Paint()
{
    TBitmap offscreen(Width(), Height());
    TCanvas* c = offscreen.Canvas();
    const TRect client = ClientRect();

    if (FTransparent)
        DoTrans(c, this);
    TGraphic* g = HasGraphic() ? FPicture->Graphic() : nullptr;
    if (!FTransparent && (!g || (FDrawStyle == kivNormal && (g->Width() < client.Right || g->Height() < client.Bottom)))) {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(client);
    }
    if (g) {
        switch (FDrawStyle) {
        case kivStretch:
            c->StretchDraw(client, g);
            break;
        case kivTile:
            TileDraw(c, FPicture.get(), client);
            break;
        case kivNormal:
            c->Draw(0, 0, g);
            break;
        }
    }

    c->Brush()->SetStyle(bsClear);
    const String text = Text();
    if (!text.trimmed().isEmpty()) {
        c->SetFont(Font());
        if (FCaptionPosX == -1 || FCaptionPosY == -1) {
            UINT flags = DT_SINGLELINE | DT_VCENTER;
            switch (Alignment()) {
            case taLeftJustify: flags |= DT_LEFT; break;
            case taRightJustify: flags |= DT_RIGHT; break;
            case taCenter: flags |= DT_CENTER; break;
            }
            TRect r = client;
            c->DrawText(text, r, flags);
            FCaptionRect = client;
        } else {
            c->TextOut(FCaptionPosX, FCaptionPosY, text);
            FCaptionRect = Rect(FCaptionPosX, FCaptionPosY, FCaptionPosX + c->TextWidth(text),
                                FCaptionPosY + c->TextHeight(text));
        }
    }

    Canvas()->Draw(0, 0, &offscreen);
}

void TkivCustomPanel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_TEXTCHANGED:
        TCustomPanel::Dispatch(Message);
        RepaintText(FCaptionRect);
        Invalidate();
        return;
    default:
        TCustomPanel::Dispatch(Message);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// TkivPanel

namespace {

constexpr int AnimationStep = 15;
constexpr int ButtonFrames = 4;

bool AlignForbidsPush(TAlign a) { return a == alClient || a == alLeft || a == alRight; }

}  // namespace

TkivPanel::TkivPanel(TComponent* AOwner) : TCustomPanel(AOwner), FBarPicture(std::make_unique<TBitmap>())
{
    SetWidth(100);
    SetHeight2(100);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivPanel::~TkivPanel() { Destroying(); }

void TkivPanel::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    Invalidate();
}

void TkivPanel::SetShowButton(bool Value)
{
    FShowButton = Value;
    Invalidate();
}

void TkivPanel::SetCaptionFontColor(TColor Value)
{
    FCaptionFontColor = Value;
    Invalidate();
}

void TkivPanel::SetHeight2(int Value)
{
    FHeight2 = Value;
    if ((ComponentState() & csDesigning) || FExpanded)
        TCustomPanel::SetHeight(Value);
}

void TkivPanel::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    if (FApplyingFileTheme && Value != FromThemeFile)
        return;
    SetColor(clWhite);
    if (FTheme.UsingFile()) {
        TkivFileTheme* file = FTheme.File();
        file->GetBitmap2(SKIN2_SIDECHANNELTITLE, FBarPicture.get(), 0, 0);
        if (FBarPicture->Empty())
            GetInsideThemeBitmap(DeepBlue, KIV_THEME_SIDECHANNEL_BAR_IMAGE, FBarPicture.get(), 0, 0);
        FBorderColor = file->GetColor(SKIN2_CONTROLBORDERCOLOR);
        FCaptionFontColor = file->GetColor(SKIN2_CONTROLFONTCOLOR);
    } else {
        const TkivUIStyle style = FTheme.Effective();
        GetInsideThemeBitmap(style, KIV_THEME_SIDECHANNEL_BAR_IMAGE, FBarPicture.get(), 0, 0);
        FBorderColor = GetInsideThemeColor(style, KIV_THEME_CONTROL_BORDER_COLOR);
        FCaptionFontColor = style == MacOS ? clBlack : GetInsideThemeColor(style, KIV_THEME_MENU_SELECTED_FONT_COLOR);
    }
    SetHeight2(Height() - 1);
    SetHeight2(Height() + 1);
    // A pushed panel shows its bar and nothing more, also when the new look's bar is higher or
    // lower than the old one.
    if (!FExpanded && !FAnimating && RealHeight() != BarHeight())
        TCustomPanel::SetHeight(BarHeight());
    Invalidate();
}

void TkivPanel::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    FApplyingFileTheme = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{FApplyingFileTheme};
    SetUIStyle(UIStyle());
}

void TkivPanel::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomPanel::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation)) {
        ContainerApplyUIStyle(this, DeepBlue, nullptr);
        SetUIStyle(DeepBlue);
    }
}

int TkivPanel::BarHeight() const { return FBarPicture->Empty() ? 20 : FBarPicture->Height(); }

bool TkivPanel::ButtonShown() const { return FShowButton && !AlignForbidsPush(Align()); }

void TkivPanel::ButtonFrame(int Index, TBitmap* Target) const
{
    if (!FButtonStrip) {
        FButtonStrip = std::make_unique<TBitmap>();
        FButtonStrip->LoadFromResourceName(HInstance, QStringLiteral("PANEL_BUTTON"));
    }
    SpitBitmap(FButtonStrip.get(), Target, ButtonFrames, Index);
}

TRect TkivPanel::ButtonRect() const
{
    TBitmap frame;
    ButtonFrame(1, &frame);
    const int left = Width() - 1 - frame.Width() - 4;
    const int top = (BarHeight() - frame.Height()) / 2;
    return Rect(left, top, left + frame.Width(), top + frame.Height());
}

bool TkivPanel::PointerOnButton() const
{
    if (!ButtonShown() || !HandleAllocated())
        return false;
    return InRect(ScreenToClient(GetCursorPos()), ButtonRect());
}

void TkivPanel::Paint()
{
    const int w = Width();
    TBitmap offscreen(w, std::max(Height(), RealHeight()));
    TCanvas* c = offscreen.Canvas();
    const int barHeight = BarHeight();

    c->Brush()->SetStyle(bsSolid);
    c->Brush()->SetColor(Color());
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(FBorderColor);
    c->Rectangle(ClientRect());
    if (!FBarPicture->Empty())
        c->StretchDraw(Rect(1, 0, w - 1, FBarPicture->Height()), FBarPicture.get());

    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    c->Font()->SetColor(FCaptionFontColor);
    const bool shown = ButtonShown();
    if (BiDiMode() == bdRightToLeft && SysLocale.MiddleEast) {
        TRect r = Rect(10, 0, shown ? w - 21 : w - 11, barHeight);
        c->DrawText(Text(), r, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
    } else {
        TRect r = Rect(10, 0, w - 1, barHeight);
        c->DrawText(Text(), r, DT_SINGLELINE | DT_VCENTER);
    }

    if (shown) {
        const TRect hit = ButtonRect();
        FButtonHot = PointerOnButton();
        TBitmap frame;
        ButtonFrame((FExpanded ? 1 : 3) + (FButtonHot ? 1 : 0), &frame);
        c->Draw(w - frame.Width() - 4, (hit.Bottom - frame.Height()) / 2 + 2, &frame);
    } else {
        FButtonHot = false;
    }

    Canvas()->Draw(0, 0, &offscreen);
}

void TkivPanel::PaintButton()
{
    const bool hot = PointerOnButton();
    if (hot == FButtonHot)
        return;
    FButtonHot = hot;
    // Only the button's part of the panel is painted again.
    if (QWidget* w = Widget()) {
        const TRect r = ButtonRect();
        w->update(QRect(r.Left - 2, r.Top - 2, r.Width() + 6, r.Height() + 8));
    }
}

void TkivPanel::MouseMove(TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseMove(Shift, X, Y);
    if (FShowButton)
        PaintButton();
}

void TkivPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomPanel::MouseUp(Button, Shift, X, Y);
    if (Button != mbLeft || !FButtonHot)
        return;
    if (FExpanded)
        Push();
    else
        Pop();
    Invalidate();
}

void TkivPanel::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_MOUSELEAVE:
        TCustomPanel::Dispatch(Message);
        PaintButton();
        return;
    case CM_TEXTCHANGED:
    case CM_FONTCHANGED:
        TCustomPanel::Dispatch(Message);
        Invalidate();
        return;
    default:
        TCustomPanel::Dispatch(Message);
        return;
    }
}

void TkivPanel::Resize()
{
    TCustomPanel::Resize();
    if (!FAnimating && FExpanded)
        FHeight2 = RealHeight();
    Invalidate();
}

void TkivPanel::AlignControls(TControl* AControl, TRect& Rect)
{
    Rect.Left += 3;
    Rect.Right -= 3;
    Rect.Bottom -= 3;
    Rect.Top = BarHeight() + 3;
    TCustomPanel::AlignControls(AControl, Rect);
}

bool TkivPanel::Animate(int Target, bool Down)
{
    QPointer<TkivPanel> alive(this);
    FAnimating = true;
    try {
        while (Down ? Target < RealHeight() - AnimationStep : RealHeight() + AnimationStep < Target) {
            TCustomPanel::SetHeight(RealHeight() + (Down ? -AnimationStep : AnimationStep));
            Refresh();
            if (Application)
                Application->ProcessMessages();
            if (!alive)
                return false;
        }
    } catch (...) {
        if (alive)
            FAnimating = false;
        throw;
    }
    TCustomPanel::SetHeight(Target);
    Refresh();
    FAnimating = false;
    return true;
}

void TkivPanel::Push()
{
    if (FAnimating)
        return;
    if (AlignForbidsPush(Align()))
        throw Exception(QStringLiteral("Can't push when Align is alClient, alLeft or alRight."));
    if (!Animate(BarHeight(), true))
        return;
    FExpanded = false;
    Invalidate();
    OnPush(this);
}

void TkivPanel::Pop()
{
    if (FAnimating)
        return;
    if (!Animate(FHeight2, false))
        return;
    FExpanded = true;
    Invalidate();
    OnPop(this);
}

void RegisterKivimagepanelClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivImagePanel>("TkivImagePanel");
    RegisterClass<TkivPanel>("TkivPanel");
}
