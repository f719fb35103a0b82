#include "skin/controls/Kivcombobox.h"

#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/SysLocale.h"
#include "framework/WindowOverlay.h"
#include "skin/theme/Kivpublic.h"

// ---------------------------------------------------------------------------------------------
// TkivComboSkin

void TkivComboSkin::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    FControl->Invalidate();
}

void TkivComboSkin::SetButtonColor(TColor Value)
{
    FButtonColor = Value;
    FControl->Invalidate();
}

void TkivComboSkin::SetArrowColor(TColor Value)
{
    FArrowColor = Value;
    FControl->Invalidate();
}

void TkivComboSkin::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    FArrowColor = clBlack;
    FBorderColor = FTheme.Color(KIV_THEME_CONTROL_BORDER_COLOR, SKIN2_CONTROLBORDERCOLOR);
    FButtonColor = FTheme.Color(KIV_THEME_FORM_BACKGROUND_COLOR, SKIN2_CONTROLCOLOR);
    FControl->Invalidate();
}

void TkivComboSkin::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivComboSkin::Notification(TComponent* AComponent, TOperation Operation)
{
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void TkivComboSkin::DrawButton(TCanvas& Canvas, bool SkipSimple)
{
    tagCOMBOBOXINFO info;
    info.cbSize = COMBOBOXINFO_SIZE_DESKTOP;
    if (!KIVGetComboBoxInfo(FControl->Handle(), &info))
        return;
    if (SkipSimple && FControl->Style() == csSimple)
        return;

    // Two rings: the border, and inside it the control's colour.
    TRect r = FControl->ClientRect();
    Canvas.Brush()->SetStyle(bsSolid);
    Canvas.Brush()->SetColor(FBorderColor);
    Canvas.FrameRect(r);
    r = Rect(r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1);
    Canvas.Brush()->SetColor(FControl->Color());
    Canvas.FrameRect(r);

    // The open list gets a frame in the border colour.
    if (FControl->DroppedDown() && info.hwndList) {
        const TColor border = FBorderColor;
        DrawOnWindow(info.hwndList, FControl, [border](TCanvas& c, const TRect& whole) {
            c.Brush()->SetStyle(bsSolid);
            c.Brush()->SetColor(border);
            c.FrameRect(whole);
        });
    }

    const TRect b = info.rcButton;
    const TkivUIStyle look = FTheme.Effective();
    if (look == MacOS || look == WinXP) {
        TBitmap picture;
        picture.LoadFromResourceName(HInstance, look == MacOS ? QStringLiteral("MACOS_COMBOBOX_BUTTON")
                                                              : QStringLiteral("WINXP_COMBOBOX_BUTTON"));
        Canvas.StretchDraw(b, &picture);
    } else {
        Canvas.Brush()->SetStyle(bsSolid);
        Canvas.Brush()->SetColor(FButtonColor);
        Canvas.FillRect(b);
        Canvas.Pen()->SetStyle(psSolid);
        Canvas.Pen()->SetWidth(1);
        Canvas.Pen()->SetColor(FBorderColor);
        const int x = FControl->BiDiMode() == bdRightToLeft && SysLocale.MiddleEast ? b.Right : b.Left;
        Canvas.MoveTo(x, b.Top - 1);
        Canvas.LineTo(x, b.Bottom + 1);
    }

    // The button's top is not added to Y.
    const int x = (b.Right - b.Left) / 2 + b.Left - 3;
    const int y = (b.Bottom - b.Top) / 2;
    if (look != WinXP)
        DrawArrow(Canvas, x, y);
}

void TkivComboSkin::DrawArrow(TCanvas& Canvas, int X, int Y) const
{
    auto triangle = [&Canvas](TColor c, int x, int y) {
        Canvas.Brush()->SetStyle(bsSolid);
        Canvas.Brush()->SetColor(c);
        Canvas.Pen()->SetStyle(psSolid);
        Canvas.Pen()->SetWidth(1);
        Canvas.Pen()->SetColor(c);
        Canvas.Polygon({Point(x, y), Point(x + 6, y), Point(x + 3, y + 3)});
    };
    if (FControl->Enabled()) {
        triangle(FArrowColor, X, Y);
    } else {
        triangle(TColor(0xFFFFFF), X + 1, Y + 1);
        triangle(TColor(0x808080), X, Y);
    }
}

void TkivComboSkin::AfterPaint(TMessage& Message, bool SkipSimple)
{
    if (auto* external = reinterpret_cast<TCanvas*>(Message.WParam)) {
        DrawButton(*external, SkipSimple);
        return;
    }
    WithWindowCanvas(FControl, [&](TCanvas& c) { DrawButton(c, SkipSimple); });
}

void TkivComboSkin::AfterEraseBkgnd(TMessage& Message, bool SkipSimple)
{
    if (auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam))
        DrawButton(*canvas, SkipSimple);
}

// ---------------------------------------------------------------------------------------------
// TkivCustomComboBox

TkivCustomComboBox::TkivCustomComboBox(TComponent* AOwner) : TCustomComboBox(AOwner), FSkin(this)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetBorderWidth(0);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

void TkivCustomComboBox::SetEnabled(bool Value)
{
    TCustomComboBox::SetEnabled(Value);
    Invalidate();
}

void TkivCustomComboBox::WMPaint(TMessage& Message)
{
    TCustomComboBox::WMPaint(Message);
    FSkin.AfterPaint(Message, true);
}

void TkivCustomComboBox::WMEraseBkgnd(TMessage& Message)
{
    TCustomComboBox::WMEraseBkgnd(Message);
    FSkin.AfterEraseBkgnd(Message, true);
}

void TkivCustomComboBox::CloseUp()
{
    TCustomComboBox::CloseUp();
    if (Parent())
        Parent()->Repaint();
}

void TkivCustomComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomComboBox::Notification(AComponent, Operation);
    FSkin.Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------------------------
// TkivDriveComboBox

TkivDriveComboBox::TkivDriveComboBox(TComponent* AOwner) : TDriveComboBox(AOwner), FSkin(this)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetBorderWidth(0);
    SetItemHeight(15);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

bool TkivDriveComboBox::GetDroppedDown() { return Perform(CB_GETDROPPEDSTATE) != 0; }

void TkivDriveComboBox::SetDroppedDown2(bool Value)
{
    Perform(CB_SHOWDROPDOWN, Value ? 1 : 0);
    Invalidate();
}

void TkivDriveComboBox::SetEnabled(bool Value)
{
    TDriveComboBox::SetEnabled(Value);
    Invalidate();
}

void TkivDriveComboBox::WMPaint(TMessage& Message)
{
    TDriveComboBox::WMPaint(Message);
    FSkin.AfterPaint(Message, false);
}

void TkivDriveComboBox::WMEraseBkgnd(TMessage& Message)
{
    TDriveComboBox::WMEraseBkgnd(Message);
    FSkin.AfterEraseBkgnd(Message, false);
}

void TkivDriveComboBox::CloseUp()
{
    TDriveComboBox::CloseUp();
    if (Parent())
        Parent()->Repaint();
}

void TkivDriveComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TDriveComboBox::Notification(AComponent, Operation);
    FSkin.Notification(AComponent, Operation);
}

// ---------------------------------------------------------------------------------------------
// TkivFilterComboBox

TkivFilterComboBox::TkivFilterComboBox(TComponent* AOwner) : TFilterComboBox(AOwner), FSkin(this)
{
    SetControlStyle(ControlStyle() | csOpaque);
    SetBorderWidth(0);
    SetItemHeight(15);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

bool TkivFilterComboBox::GetDroppedDown() { return Perform(CB_GETDROPPEDSTATE) != 0; }

void TkivFilterComboBox::SetDroppedDown2(bool Value)
{
    Perform(CB_SHOWDROPDOWN, Value ? 1 : 0);
    Invalidate();
}

void TkivFilterComboBox::SetEnabled(bool Value)
{
    TFilterComboBox::SetEnabled(Value);
    Invalidate();
}

void TkivFilterComboBox::WMPaint(TMessage& Message)
{
    TFilterComboBox::WMPaint(Message);
    FSkin.AfterPaint(Message, false);
}

void TkivFilterComboBox::WMEraseBkgnd(TMessage& Message)
{
    TFilterComboBox::WMEraseBkgnd(Message);
    FSkin.AfterEraseBkgnd(Message, false);
}

void TkivFilterComboBox::CloseUp()
{
    TFilterComboBox::CloseUp();
    if (Parent())
        Parent()->Repaint();
}

void TkivFilterComboBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TFilterComboBox::Notification(AComponent, Operation);
    FSkin.Notification(AComponent, Operation);
}

void RegisterKivcomboboxClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivComboBox>("TkivComboBox");
    RegisterClass<TkivDriveComboBox>("TkivDriveComboBox");
    RegisterClass<TkivFilterComboBox>("TkivFilterComboBox");
}
