#include "skin/controls/Kivedit.h"

#include "framework/Graphics.h"
#include "framework/SysUtils.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kivpublic.h"

#include <QApplication>
#include <algorithm>
#include <climits>

namespace {

// The look's control border colour: the skin file's, or the built-in table's of the resolved style.
TColor LookBorderColor(const TkivThemeLink& Theme)
{
    return Theme.Color(KIV_THEME_CONTROL_BORDER_COLOR, SKIN2_CONTROLBORDERCOLOR);
}

// What both skinned edits do in their constructor before taking their style: no erasing, no
// native frame, a two-pixel band for the border.
void PrepareSkinnedEdit(TCustomEdit* Edit)
{
    Edit->SetControlStyle(Edit->ControlStyle() | csOpaque);
    Edit->SetBorderStyle(bsNone);
    Edit->SetBorderWidth(2);
}

String WithoutThousands(const String& S)
{
    String out = S;
    out.remove(FormatSettings.ThousandSeparator);
    return out;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TkivEdit

TkivEdit::TkivEdit(TComponent* AOwner) : TCustomEdit(AOwner)
{
    PrepareSkinnedEdit(this);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

void TkivEdit::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    Invalidate();
}

void TkivEdit::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    FBorderColor = LookBorderColor(FTheme);
    UIStyleChanged();
    Invalidate();
}

void TkivEdit::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomEdit::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void TkivEdit::WMPaint(TMessage& Message)
{
    TCustomEdit::WMPaint(Message);
    if (Message.WParam == 0)
        DrawControlBorder(this, FBorderColor, Color(), true);
}

// ---------------------------------------------------------------------------------------------
// TkivMaskEdit

TkivMaskEdit::TkivMaskEdit(TComponent* AOwner) : TCustomMaskEdit(AOwner)
{
    PrepareSkinnedEdit(this);
    SetUIStyle(GetKIVFormStyle(AOwner));
}

void TkivMaskEdit::SetBorderColor(TColor Value)
{
    FBorderColor = Value;
    Invalidate();
}

void TkivMaskEdit::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    FBorderColor = LookBorderColor(FTheme);
    Invalidate();
}

void TkivMaskEdit::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivMaskEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomMaskEdit::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
}

void TkivMaskEdit::WMPaint(TMessage& Message)
{
    TCustomMaskEdit::WMPaint(Message);
    if (Message.WParam == 0)
        DrawControlBorder(this, FBorderColor, Color(), true);
}

// ---------------------------------------------------------------------------------------------
// TkivNumberEdit

TkivNumberEdit::TkivNumberEdit(TComponent* AOwner) : TkivEdit(AOwner)
{
    FMask = QStringLiteral("0.00");
    SetValue(0);
    FAutoSelectSigns = 2;
}

void TkivNumberEdit::CreateParams(TCreateParams& Params)
{
    TkivEdit::CreateParams(Params);
    Params.Style |= ES_RIGHT;
}

void TkivNumberEdit::SetValue(double v)
{
    FValue = v;
    SetText(FormatFloat(FMask, v));
}

void TkivNumberEdit::Change()
{
    const String text = Text();
    if (!text.isEmpty() && text != QStringLiteral("-")) {
        try {
            FValue = StrToFloat(WithoutThousands(text));
        } catch (const EConvertError&) {
            SetValue(FValue);
            throw;
        }
    }
    TkivEdit::Change();
}

void TkivNumberEdit::Dispatch(TMessage& Message)
{
    if (Message.Msg == CM_TEXTCHANGED) {
        TkivEdit::Dispatch(Message);
        Change();
        return;
    }
    TkivEdit::Dispatch(Message);
}

void TkivNumberEdit::KeyPress(char& Key)
{
    TkivEdit::KeyPress(Key);
    if (Key >= '0' && Key <= '9')
        return;
    const QChar decimal = FormatSettings.DecimalSeparator;
    if (FMask.contains(QLatin1Char('.'), Qt::CaseInsensitive) && decimal.unicode() < 128 &&
        Key == char(decimal.toLatin1()) && !Text().contains(decimal))
        return;
    if (Key == 8)
        return;
    if (FMask.contains(QLatin1Char('-')) && Key == '-' && SelStart() == 0 && !Text().contains(QLatin1Char('-')))
        return;
    Beep();
    Abort();
}

void TkivNumberEdit::DoEnter()
{
    TkivEdit::DoEnter();
    if (FAutoSelectSigns > 0 && AutoSelect()) {
        const int len = int(Text().size());
        const int start = len - FAutoSelectSigns;
        SetSelStart(start);
        SetSelLength(len - SelStart());
    }
}

void TkivNumberEdit::Click()
{
    TkivEdit::Click();
    DoEnter();
}

void TkivNumberEdit::DoExit()
{
    TkivEdit::DoExit();
    if (Text().isEmpty() || Text() == QStringLiteral("-"))
        SetText(QStringLiteral("0"));
    SetValue(StrToFloat(WithoutThousands(Text())));
}

// ---------------------------------------------------------------------------------------------
// TkivSpinButtons

TkivSpinButtons::TkivSpinButtons(TComponent* AOwner) : TWinControl(AOwner)
{
    SetControlStyle((ControlStyle() & ~(csAcceptsControls | csSetCaption)) | csFramed | csOpaque);
    FUpButton = CreateButton(kivUp);
    FDownButton = CreateButton(kivDown);
    SetBounds(Left(), Top(), 20, 25);
}

TkivArrowButton* TkivSpinButtons::CreateButton(TkivArrowButtonType Arrow)
{
    auto* b = new TkivArrowButton(this);
    b->SetParent(this);
    b->SetArrow(Arrow);
    b->SetTabStop(false);
    b->SetMouseContinuouslyDownInterval(400);
    b->SetVisible(true);
    b->SetEnabled(true);
    b->OnClick = [this](TObject* s) { BtnClick(s); };
    b->OnMouseContinuouslyDown = [this](TObject* s) { BtnClick(s); };
    return b;
}

void TkivSpinButtons::BtnClick(TObject* Sender)
{
    if (Sender == FUpButton)
        OnUpClick(this);
    else if (Sender == FDownButton)
        OnDownClick(this);
}

TkivFileTheme* TkivSpinButtons::FileTheme() const { return FUpButton ? FUpButton->FileTheme() : nullptr; }

void TkivSpinButtons::SetFileTheme(TkivFileTheme* Value)
{
    if (FUpButton)
        FUpButton->SetFileTheme(Value);
    if (FDownButton)
        FDownButton->SetFileTheme(Value);
}

TkivUIStyle TkivSpinButtons::UIStyle() const { return FUpButton ? FUpButton->UIStyle() : DeepBlue; }

void TkivSpinButtons::SetUIStyle(TkivUIStyle Value)
{
    if (FUpButton)
        FUpButton->SetUIStyle(Value);
    if (FDownButton)
        FDownButton->SetUIStyle(Value);
}

void TkivSpinButtons::AdjustSize(int& W, int& H)
{
    if (!FUpButton || !FDownButton || (ComponentState() & csLoading))
        return;
    W = std::max(W, 15);
    const int upHeight = H / 2 + 1;
    FUpButton->SetBounds(0, 0, W, upHeight);
    FDownButton->SetBounds(0, upHeight - 1, W, H - upHeight + 1);
}

void TkivSpinButtons::SetBounds(int ALeft, int ATop, int AWidth, int AHeight)
{
    int w = AWidth, h = AHeight;
    AdjustSize(w, h);
    TWinControl::SetBounds(ALeft, ATop, w, h);
}

void TkivSpinButtons::Loaded()
{
    TWinControl::Loaded();
    int w = Width(), h = Height();
    AdjustSize(w, h);
    if (w != Width() || h != Height())
        TWinControl::SetBounds(Left(), Top(), w, h);
}

void TkivSpinButtons::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Key == VK_UP && FUpButton)
        FUpButton->Click();
    else if (Key == VK_DOWN && FDownButton)
        FDownButton->Click();
    TWinControl::KeyDown(Key, Shift);
}

void TkivSpinButtons::Dispatch(TMessage& Message)
{
    if (Message.Msg == WM_SIZE) {
        TWinControl::Dispatch(Message);
        int w = Width(), h = Height();
        AdjustSize(w, h);
        if (w != Width() || h != Height())
            TWinControl::SetBounds(Left(), Top(), w, h);
        Message.Result = 0;
        return;
    }
    TWinControl::Dispatch(Message);
}

void TkivSpinButtons::WMEraseBkgnd(TMessage& Message)
{
    // The window's erase fills with its colour even though the control is opaque: the buttons
    // cover its own window, and a transparent button asks for this background behind it.
    if (auto* canvas = reinterpret_cast<TCanvas*>(Message.WParam)) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
    }
    Message.Result = 1;
}

void TkivSpinButtons::Notification(TComponent* AComponent, TOperation Operation)
{
    TWinControl::Notification(AComponent, Operation);
    if (Operation != opRemove)
        return;
    if (AComponent == FUpButton)
        FUpButton = nullptr;
    else if (AComponent == FDownButton)
        FDownButton = nullptr;
}

// ---------------------------------------------------------------------------------------------
// TkivSpinEdit

TkivSpinEdit::TkivSpinEdit(TComponent* AOwner) : TkivEdit(AOwner)
{
    FButton = new TkivSpinButtons(this);
    FButton->SetBounds(0, 0, 15, 20);
    FButton->SetVisible(true);
    FButton->SetParent(this);
    FButton->OnUpClick = [this](TObject* s) { UpClick(s); };
    FButton->OnDownClick = [this](TObject* s) { DownClick(s); };
    SetText(QStringLiteral("0"));
    FIncrement = 1;
    FEditorEnabled = true;
    UIStyleChanged();
}

void TkivSpinEdit::CreateParams(TCreateParams& Params)
{
    TkivEdit::CreateParams(Params);
    Params.Style |= ES_MULTILINE | WS_CLIPCHILDREN;
}

void TkivSpinEdit::InitPeer()
{
    TkivEdit::InitPeer();
    SetEditRect();
}

void TkivSpinEdit::SetEditRect()
{
    if (!FButton)
        return;
    TRect r = Rect(0, 0, ClientWidth() - FButton->Width() - 2, ClientHeight() + 1);
    Perform(EM_SETRECTNP, 0, LPARAM(&r));
}

int TkivSpinEdit::Value() const
{
    int v = 0;
    return TryStrToInt(Text(), v) ? v : FMinValue;
}

int TkivSpinEdit::CheckValue(int v) const
{
    if (FMaxValue != FMinValue)
        return std::clamp(v, std::min(FMinValue, FMaxValue), std::max(FMinValue, FMaxValue));
    return v;
}

void TkivSpinEdit::SetValue(int v) { SetText(IntToStr(CheckValue(v))); }

int TkivSpinEdit::Stepped(int64_t Delta) const
{
    const int64_t v = int64_t(Value()) + Delta;
    return int(std::clamp<int64_t>(v, INT_MIN, INT_MAX));
}

void TkivSpinEdit::UpClick(TObject*)
{
    if (ReadOnly())
        MessageBeep(0);
    else
        SetValue(Stepped(FIncrement));
}

void TkivSpinEdit::DownClick(TObject*)
{
    if (ReadOnly())
        MessageBeep(0);
    else
        SetValue(Stepped(-int64_t(FIncrement)));
}

void TkivSpinEdit::UIStyleChanged()
{
    if (!FButton)
        return;
    FButton->SetFileTheme(FileTheme());
    FButton->SetUIStyle(UIStyle());
}

bool TkivSpinEdit::IsValidChar(char Key) const
{
    const auto k = uint8_t(Key);
    bool ok = Key == '-' || (Key >= '0' && Key <= '9') || (k < 32 && k != 13);
    if (ok && !FEditorEnabled && (k >= 32 || k == 8 || k == 46))
        ok = false;
    return ok;
}

void TkivSpinEdit::KeyDown(WORD& Key, TShiftState Shift)
{
    if (Key == VK_UP)
        UpClick(this);
    else if (Key == VK_DOWN)
        DownClick(this);
    TkivEdit::KeyDown(Key, Shift);
}

void TkivSpinEdit::KeyPress(char& Key)
{
    if (!IsValidChar(Key)) {
        Key = 0;
        MessageBeep(0);
    }
    if (Key != 0)
        TkivEdit::KeyPress(Key);
}

void TkivSpinEdit::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case CM_ENTER:
        if (AutoSelect() && !(QApplication::mouseButtons() & Qt::LeftButton))
            SelectAll();
        TkivEdit::Dispatch(Message);
        return;
    case CM_EXIT: {
        TkivEdit::Dispatch(Message);
        const int v = Value();
        if (CheckValue(v) != v)
            SetValue(v);
        return;
    }
    case WM_CUT:
    case WM_PASTE:
        if (FEditorEnabled && !ReadOnly())
            TkivEdit::Dispatch(Message);
        return;
    case WM_SIZE:
        TkivEdit::Dispatch(Message);
        if (Height() < 0) {
            SetHeight(0);
        } else if (FButton) {
            FButton->SetBounds(Width() - FButton->Width() - 4, 0, FButton->Width(), Height() - 4);
            SetEditRect();
        }
        return;
    default:
        TkivEdit::Dispatch(Message);
        return;
    }
}

void TkivSpinEdit::Notification(TComponent* AComponent, TOperation Operation)
{
    TkivEdit::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FButton)
        FButton = nullptr;
}

// ---------------------------------------------------------------------------------------------

void RegisterKiveditClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterClass<TkivEdit>("TkivEdit");
    RegisterClass<TkivMaskEdit>("TkivMaskEdit");
    RegisterClass<TkivNumberEdit>("TkivNumberEdit");
    RegisterClass<TkivSpinButtons>("TkivSpinButtons");
    RegisterClass<TkivSpinEdit>("TkivSpinEdit");
}
