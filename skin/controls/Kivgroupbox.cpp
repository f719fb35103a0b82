#include "skin/controls/Kivgroupbox.h"

#include "framework/Graphics.h"
#include "framework/SysLocale.h"
#include "skin/theme/Kivpublic.h"

#include <cstdlib>

TkivCustomGroupBox::TkivCustomGroupBox(TComponent* AOwner) : TkivCustomPanel(AOwner)
{
    SetText(QStringLiteral(" "));
    SetBounds(Left(), Top(), 185, 105);
    SetParentColor(true);
    SetTransparent(false);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivCustomGroupBox::~TkivCustomGroupBox() { Destroying(); }

void TkivCustomGroupBox::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    Invalidate();
}

void TkivCustomGroupBox::SetCaption(const String& Value)
{
    FCaption = Value;
    Invalidate();
}

void TkivCustomGroupBox::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    UpdateUIStyle(FTheme.Style(), FTheme.File());
    Invalidate();
}

void TkivCustomGroupBox::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivCustomGroupBox::UpdateUIStyle(TkivUIStyle Style, TkivFileTheme* Theme)
{
    ContainerApplyUIStyle(this, Style, Theme);
    SetBorderColor(FTheme.Color(KIV_THEME_CONTROL_BORDER_COLOR, SKIN2_CONTROLBORDERCOLOR));
    Font()->SetColor(FTheme.Color(KIV_THEME_CONTROL_FONT_COLOR, SKIN2_CONTROLFONTCOLOR));
}

void TkivCustomGroupBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TkivCustomPanel::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation)) {
        ContainerApplyUIStyle(this, DeepBlue, nullptr);
        SetUIStyle(DeepBlue);
    }
}

int TkivCustomGroupBox::FontHeight() const { return std::abs(Font()->Height()); }

int TkivCustomGroupBox::FrameTop() const { return ClientRect().Top + FontHeight() / 2 + 1; }

TRect TkivCustomGroupBox::GetClient() const
{
    const TRect r = ClientRect();
    return Rect(r.Left + 3, r.Top + FontHeight(), r.Right - 2, r.Bottom - 2);
}

void TkivCustomGroupBox::Paint()
{
    TCanvas* c = Canvas();
    const TRect r = ClientRect();
    if (Transparent()) {
        TkivCustomPanel::Paint();
    } else {
        c->Brush()->SetStyle(bsSolid);
        c->Brush()->SetColor(Color());
        c->FillRect(r);
    }

    c->SetFont(Font());
    const int y = FrameTop();
    c->Pen()->SetStyle(psSolid);
    c->Pen()->SetWidth(1);
    c->Pen()->SetColor(FBorderColor);
    const int textWidth = FCaption.isEmpty() ? 0 : c->TextWidth(FCaption);
    const bool rightToLeft = BiDiMode() == bdRightToLeft && SysLocale.MiddleEast;
    if (!rightToLeft) {
        c->MoveTo(r.Left + 2, y);
        c->LineTo(r.Left, y);
        c->LineTo(r.Left, r.Bottom - 1);
        c->LineTo(r.Right - 1, r.Bottom - 1);
        c->LineTo(r.Right - 1, y);
        c->LineTo(FCaption.isEmpty() ? r.Left : r.Left + textWidth + 6, y);
    } else {
        c->MoveTo(r.Right - 3, y);
        c->LineTo(r.Right - 1, y);
        c->LineTo(r.Right - 1, r.Bottom - 1);
        c->LineTo(r.Left + 1, r.Bottom - 1);
        c->LineTo(r.Left + 1, y);
        c->LineTo(FCaption.isEmpty() ? r.Right - 1 : r.Right - textWidth - 7, y);
    }

    if (!Enabled())
        c->Font()->SetColor(TColor(0x808080));
    c->Brush()->SetStyle(bsClear);
    if (rightToLeft)
        c->TextOut(Width() - textWidth - 6, 0, FCaption);
    else
        c->TextOut(5, 0, FCaption);
}

void TkivCustomGroupBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_FONTCHANGED:
        TkivCustomPanel::Dispatch(Message);
        Realign();
        Invalidate();
        return;
    default:
        TkivCustomPanel::Dispatch(Message);
        return;
    }
}

void TkivCustomGroupBox::AlignControls(TControl* AControl, TRect& Rect)
{
    Rect.Left += 3;
    Rect.Right -= 3;
    Rect.Bottom -= 3;
    Rect.Top += FontHeight() + 5;
    TkivCustomPanel::AlignControls(AControl, Rect);
}

void RegisterKivgroupboxClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivGroupBox>("TkivGroupBox");
}
