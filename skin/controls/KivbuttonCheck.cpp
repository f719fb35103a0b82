// The skinned check box and radio button: state, click paths, picture frames and painting.
#include "skin/controls/Kivbutton.h"

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/SysLocale.h"
#include "skin/theme/Kivpublic.h"

#include <algorithm>

namespace {

// The class name of the window behind a handle, as far as 260 characters go; empty when unknown.
String WindowClassName(HWND Window)
{
    TWinControl* c = Window ? FindControl(Window) : nullptr;
    return c ? c->ClassName().left(259) : String();
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TkivCheckBox

TkivCheckBox::TkivCheckBox(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle &= ~csDoubleClicks;
    SetBounds(Left(), Top(), 93, 17);
    SetTabStop(true);
    SetColor(clWindow);
    SetParentColor(true);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivCheckBox::~TkivCheckBox() { Destroying(); }

void TkivCheckBox::SetChecked(bool Value)
{
    if (Value == FChecked)
        return;
    FChecked = Value;
    Invalidate();
    CheckStateChanged();
}

void TkivCheckBox::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    AdjustSize();
    Invalidate();
}

void TkivCheckBox::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivCheckBox::SetTransparent(bool Value)
{
    FTransparent = Value;
    Invalidate();
}

void TkivCheckBox::SetAutoSize2(bool Value)
{
    FAutoSize = Value;
    AdjustSize();
    Invalidate();
}

void TkivCheckBox::SetEnabled(bool Value)
{
    TCustomControl::SetEnabled(Value);
    Invalidate();
}

void TkivCheckBox::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void TkivCheckBox::CheckStateChanged()
{
    if (!(ComponentState() & csLoading))
        OnClick(this);
}

void TkivCheckBox::DoClick()
{
    Toggle();
    SetChecked(!FChecked);
}

void TkivCheckBox::Click()
{
    DoClick();
    TCustomControl::Click();
}

bool TkivCheckBox::NeedDrawFocus() { return TabStop() && Focused() && Enabled() && Visible(); }

int TkivCheckBox::PictureFrameCount() const
{
    if (FTheme.UsingFile() && GetPicThemeIndex() == KIV_THEME_CHECKBOX_IMAGE)
        return 6;
    return 4;
}

int TkivCheckBox::PictureFrame() const
{
    const bool enabled = Enabled();
    if (PictureFrameCount() == 6)
        return enabled ? (FChecked ? 1 : 3) : (FChecked ? 4 : 6);
    return enabled ? (FChecked ? 1 : 2) : (FChecked ? 3 : 4);
}

void TkivCheckBox::GetPicture(TBitmap* Bitmap) const
{
    FTheme.Bitmap(GetPicThemeIndex(), GetPicThemeIndexOuter(), Bitmap, PictureFrameCount(), PictureFrame());
    Bitmap->SetTransparent(GetPicTransparent());
}

void TkivCheckBox::AdjustSizeFor(TCanvas* Canvas, const TBitmap* Picture)
{
    const int textHeight = Canvas->TextHeight(QStringLiteral("W"));
    SetHeight(std::max(textHeight + 2, Picture->Height()) + 4);
    SetWidth(Picture->Width() + Canvas->TextWidth(Caption()) + 8);
}

void TkivCheckBox::AdjustSize()
{
    if (!FAutoSize || !HandleAllocated() || (ComponentState() & (csLoading | csDestroying)))
        return;
    TBitmap picture;
    GetPicture(&picture);
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(Font());
    AdjustSizeFor(measure.Canvas(), &picture);
}

void TkivCheckBox::InitPeer()
{
    TCustomControl::InitPeer();
    AdjustSize();
}

void TkivCheckBox::Loaded()
{
    TCustomControl::Loaded();
    AdjustSize();
}

void TkivCheckBox::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    TCustomControl::MouseDown(Button, Shift, X, Y);
    if (Button == mbLeft && CanFocus() && Enabled() && Visible()) {
        try {
            SetFocus();
        } catch (...) {
            // The press still counts without the focus.
        }
    }
}

void TkivCheckBox::Paint()
{
    // 1-3. The picture, the font, the size, the off-screen bitmap.
    TBitmap picture;
    GetPicture(&picture);
    TBitmap offscreen;
    TCanvas* canvas = offscreen.Canvas();
    canvas->SetFont(Font());
    if (FAutoSize)
        AdjustSizeFor(canvas, &picture);
    offscreen.SetSize(Width(), Height());

    // 4. Background.
    if (!FTransparent) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
    } else if (Parent()) {
        DoTrans(canvas, Parent()->InheritsFrom("TTabSheet") ? static_cast<TControl*>(Parent()) : this);
    }

    // 5-7. Box, caption, focus mark.
    canvas->Brush()->SetStyle(bsClear);
    const int textHeight = canvas->TextHeight(QStringLiteral("W"));
    const int textTop = (ClientHeight() - textHeight) / 2;
    const int boxTop = (ClientHeight() - picture.Height()) / 2;
    const int pw = picture.Width();
    const bool rightToLeft = BiDiMode() == bdRightToLeft && SysLocale.MiddleEast;
    if (rightToLeft) {
        canvas->Draw(Width() - pw - 1, boxTop, &picture);
        TRect r{0, textTop, Width() - (pw + 4), Height()};
        canvas->DrawText(Caption(), r, DT_SINGLELINE | DT_RIGHT);
    } else {
        canvas->Draw(1, boxTop, &picture);
        TRect r{pw + 4, textTop, Width(), Height()};
        canvas->DrawText(Caption(), r, DT_SINGLELINE);
    }
    if (NeedDrawFocus()) {
        canvas->Brush()->SetStyle(bsSolid);
        if (rightToLeft)
            canvas->DrawFocusRect(Rect(0, textTop, Width() - (pw + 4) + 2, textTop + textHeight + 2));
        else
            canvas->DrawFocusRect(Rect(pw + 3, textTop, Width(), textTop + textHeight + 2));
    }

    // 8. One copy to the screen.
    Canvas()->Draw(0, 0, &offscreen);
}

void TkivCheckBox::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case WM_KEYUP: {
        const WPARAM key = Message.WParam;
        TCustomControl::Dispatch(Message);
        if ((key == VK_SPACE || key == VK_RETURN) && Focused() && Enabled() && WantKeyUp()) {
            Invalidate();
            Click();
        }
        return;
    }
    case CM_DIALOGCHAR:
        TCustomControl::Dispatch(Message);
        if (IsCaptionAccel(WORD(Message.WParam), Caption()) && Enabled() && Visible() && Parent() &&
            Parent()->Enabled()) {
            if (CanFocus()) {
                try {
                    SetFocus();
                } catch (...) {
                    // The accelerator still clicks.
                }
            }
            Message.Result = 1;
            Click();
        } else {
            Message.Result = 0;
        }
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
    case CM_FOCUSCHANGED:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    case CM_FONTCHANGED:
    case CM_TEXTCHANGED:
        TCustomControl::Dispatch(Message);
        AdjustSize();
        Invalidate();
        return;
    default:
        TCustomControl::Dispatch(Message);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// TkivRadioButton

TkivRadioButton::TkivRadioButton(TComponent* AOwner) : TkivCheckBox(AOwner)
{
    FControlStyle |= csDoubleClicks;
}

void TkivRadioButton::DoClick()
{
    if (!Checked())
        SetChecked(true);
}

void TkivRadioButton::CheckStateChanged()
{
    if (!Checked())
        return;
    UnCheckGroup();
    if (!(ComponentState() & csLoading))
        OnClick(this);
}

void TkivRadioButton::UnCheckGroup()
{
    TWinControl* parent = Parent();
    if (!parent)
        return;
    std::vector<TControl*> siblings;
    for (int i = 0; i < parent->ControlCount(); ++i)
        siblings.push_back(parent->Controls(i));
    for (TControl* c : siblings) {
        auto* radio = dynamic_cast<TkivRadioButton*>(c);
        if (radio && radio != this && radio->GroupIndex() == FGroupIndex && radio->Parent() == parent)
            radio->SetChecked(false);
    }
}

void TkivRadioButton::Dispatch(TMessage& Message)
{
    if (Message.Msg != WM_SETFOCUS) {
        TkivCheckBox::Dispatch(Message);
        return;
    }
    TkivCheckBox::Dispatch(Message);
    // Arrow keys move the focus between the items of a radio group; the item that gets it is
    // selected.
    const HWND lost = reinterpret_cast<HWND>(Message.WParam);
    if (lost && WindowClassName(lost) == QLatin1String("TkivRadioGroupButton") && FindControl(lost) != this)
        Click();
}
