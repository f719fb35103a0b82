// The push buttons' behaviour: state machine, auto-repeat, keyboard, default and cancel buttons,
// accelerators, actions, and the setters. Painting is in KivbuttonPaint.cpp, the check box and
// radio button in KivbuttonCheck.cpp.
#include "skin/controls/Kivbutton.h"

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "skin/theme/Kivpublic.h"

#include <algorithm>

bool IsCaptionAccel(WORD Key, const String& Caption)
{
    const QChar key = QChar(ushort(uint8_t(Key))).toUpper();
    for (qsizetype i = 0; i + 1 < Caption.size(); ++i) {
        if (Caption[i] != QLatin1Char('&'))
            continue;
        if (Caption[i + 1] == QLatin1Char('&')) {
            ++i;  // a literal ampersand
            continue;
        }
        return Caption[i + 1].toUpper() == key;
    }
    return false;
}

// ---------------------------------------------------------------------------------------------
// TkivCustomButton

TkivCustomButton::TkivCustomButton(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle &= ~(csDoubleClicks | csAcceptsControls);
    SetTabStop(true);
    SetParentColor(true);
    FActionLink.OnChange = [this](TBasicAction* a, bool checkDefaults) { ActionChange(a, checkDefaults); };
    FActionLink.OnFreed = [this] { Invalidate(); };
    SetUIStyle(GetKIVFormStyle(AOwner));
}

TkivCustomButton::~TkivCustomButton()
{
    Destroying();
    FRepeatTimer.reset();
    FActionLink.OnChange = nullptr;
    FActionLink.OnFreed = nullptr;
}

void TkivCustomButton::SetAutoSize2(bool Value)
{
    FAutoSize = Value;
    AutoSizeChanged();
    Invalidate();
}

void TkivCustomButton::SetCaption2(const String& Value)
{
    if (Text() != Value) {
        SetText(Value);  // CM_TEXTCHANGED does the rest
        return;
    }
    CaptionChanged();
    Invalidate();
}

void TkivCustomButton::SetDefault(bool Value)
{
    FDefault = Value;
    if (!HandleAllocated())
        return;
    if (TCustomForm* form = GetParentForm(this))
        form->Perform(CM_FOCUSCHANGED, 0, LPARAM(form->ActiveControl()));
}

void TkivCustomButton::SetTransparent(bool Value)
{
    FTransparent = Value;
    TransparentChanged();
    Invalidate();
}

void TkivCustomButton::TransparentChanged()
{
    FPicTransparent = FTransparent;
    Invalidate();
}

void TkivCustomButton::SetUIStyle(TkivUIStyle Value)
{
    FTheme.SetStyle(Value);
    UIStyleChanged();
    Invalidate();
}

void TkivCustomButton::SetFileTheme(TkivFileTheme* Value)
{
    FTheme.SetFile(Value);
    SetUIStyle(UIStyle());
}

void TkivCustomButton::SetPicTransparent(bool Value)
{
    FPicTransparent = Value;
    Invalidate();
}

void TkivCustomButton::SetFocusedRectMargin(int Value)
{
    FFocusedRectMargin = Value;
    Invalidate();
}

void TkivCustomButton::SetAction(TBasicAction* Value)
{
    if (Value == FActionLink.Action())
        return;
    if (FActionLink.Action())
        FActionLink.Action()->RemoveFreeNotification(this);
    FActionLink.SetAction(Value);
    if (Value)
        Value->FreeNotification(this);
    Invalidate();
}

void TkivCustomButton::SetEnabled(bool Value)
{
    TCustomControl::SetEnabled(Value);
    EnableChanged();
    Invalidate();
}

void TkivCustomButton::Notification(TComponent* AComponent, TOperation Operation)
{
    TCustomControl::Notification(AComponent, Operation);
    if (FTheme.Removed(AComponent, Operation))
        SetUIStyle(DeepBlue);
    if (Operation == opRemove && AComponent && AComponent == FActionLink.Action())
        FActionLink.SetAction(nullptr);
}

void TkivCustomButton::ActionChange(TBasicAction* Sender, bool CheckDefaults)
{
    if (auto* a = dynamic_cast<TCustomAction*>(Sender)) {
        if (!CheckDefaults || Text().isEmpty())
            SetText(a->Caption());
        if (!CheckDefaults || Enabled())
            SetEnabled(a->Enabled());
        if (!CheckDefaults || Hint().isEmpty())
            SetHint(a->Hint());
        if (!CheckDefaults || Visible())
            SetVisible(a->Visible());
    }
    SetCaption2(Text());
}

void TkivCustomButton::AutoSizeChanged()
{
    if (!FAutoSize)
        return;
    // The strip of the style value itself: FromThemeFile has no table and so no picture.
    TBitmap strip;
    try {
        GetInsideThemeBitmap(UIStyle(), KIV_THEME_BUTTON_IMAGE, &strip, 0, 0);
    } catch (const EResNotFound&) {
        strip.SetSize(0, 0);
    }
    const int h = strip.Height() > 0 ? strip.Height() : 21;
    const int w = strip.Width() > 0 ? strip.Width() : 74;
    SetHeight(h);
    SetWidth(w / 3);
}

void TkivCustomButton::InitPeer()
{
    TCustomControl::InitPeer();
    FDefaultActive = FDefault;
}

void TkivCustomButton::OnTimer(TObject*)
{
    OnMouseContinuouslyDown(this);
}

void TkivCustomButton::Click()
{
    if (FMouseDown) {
        FRepeatTimer.reset();
        FMouseDown = false;
    }
    if (TCustomForm* form = GetParentForm(this))
        form->SetModalResult(FModalResult);
    Invalidate();
    // The framework's click: the button's own handler, or else its action. Either may free the
    // button, so nothing follows.
    if (TControl::OnClick)
        TCustomControl::Click();
    else if (FActionLink.Action())
        FActionLink.Execute();
}

void TkivCustomButton::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y)
{
    if (Button == mbLeft) {
        FMouseDown = true;
        if (!FRepeatTimer) {
            FRepeatTimer = std::make_unique<TTimer>(nullptr);
            FRepeatTimer->OnTimer = [this](TObject* Sender) { OnTimer(Sender); };
            FRepeatTimer->SetInterval(std::max(FMouseContinuouslyDownInterval, 0));
            FRepeatTimer->SetEnabled(true);
        }
        if (TabStop() && CanFocus() && Enabled() && Visible()) {
            try {
                SetFocus();
            } catch (...) {
                // A control that cannot take the focus still takes the press.
            }
        }
        Invalidate();
    }
    TCustomControl::MouseDown(Button, Shift, X, Y);
}

void TkivCustomButton::MouseMove(TShiftState Shift, int X, int Y)
{
    if (X < 0 || Y < 0 || X > Width() || Y > Height()) {
        // Off the button: the pressed look ends now; the repeat ends with the mouse-leave.
        if (FMouseOver || FMouseDown) {
            FMouseOver = false;
            FMouseDown = false;
            Invalidate();
        }
    }
    TCustomControl::MouseMove(Shift, X, Y);
}

void TkivCustomButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;  // the paint covers every pixel
        return;
    case KIVKITMSGCANPROCESSKEY:
        Message.Result = 1;
        return;
    case CM_MOUSEENTER:
        TCustomControl::Dispatch(Message);
        if (!(ComponentState() & csDesigning)) {
            FMouseOver = true;
            Invalidate();
            OnMouseEnter(this);
        }
        return;
    case CM_MOUSELEAVE:
        TCustomControl::Dispatch(Message);
        FMouseOver = false;
        FMouseDown = false;
        FRepeatTimer.reset();
        Invalidate();
        OnMouseExit(this);
        return;
    case CM_CANCELMODE:
        TCustomControl::Dispatch(Message);
        FMouseOver = false;
        FMouseDown = false;
        FRepeatTimer.reset();
        Invalidate();
        return;
    case WM_KEYDOWN:
        if ((Message.WParam == VK_SPACE || Message.WParam == VK_RETURN) && Focused() && Enabled()) {
            FMouseDown = true;
            Invalidate();
        }
        TCustomControl::Dispatch(Message);
        return;
    case WM_KEYUP:
        if ((Message.WParam == VK_SPACE || Message.WParam == VK_RETURN) && Focused() && FMouseDown && Enabled()) {
            FMouseDown = false;
            Invalidate();
            Click();
            return;
        }
        TCustomControl::Dispatch(Message);
        return;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
        TCustomControl::Dispatch(Message);
        Invalidate();
        return;
    case CM_FOCUSCHANGED: {
        auto* focused = reinterpret_cast<TWinControl*>(Message.LParam);
        if (auto* button = dynamic_cast<TkivButton*>(focused))
            FDefaultActive = button == this;
        else
            FDefaultActive = FDefault;
        Invalidate();
        TCustomControl::Dispatch(Message);
        return;
    }
    case CM_FONTCHANGED:
        Canvas()->SetFont(Font());
        Invalidate();
        TCustomControl::Dispatch(Message);
        return;
    case CM_TEXTCHANGED:
        TCustomControl::Dispatch(Message);
        CaptionChanged();
        Invalidate();
        return;
    case CM_DIALOGKEY: {
        const TShiftState mods = KeyDataToShiftState(Message.LParam) & (ssShift | ssCtrl | ssAlt);
        const bool enter = Message.WParam == VK_RETURN && FDefaultActive;
        const bool escape = Message.WParam == VK_ESCAPE && FCancel;
        if ((enter || escape) && mods == 0 && CanFocus()) {
            Message.Result = 1;
            Click();
            return;
        }
        TCustomControl::Dispatch(Message);
        return;
    }
    case CM_DIALOGCHAR: {
        TCustomControl::Dispatch(Message);
        const bool alt = KeyDataToShiftState(Message.LParam) & ssAlt;
        if (IsCaptionAccel(WORD(Message.WParam), Caption()) &&
            (alt || SendMessageA(GetFocus(), KIVKITMSGCANPROCESSKEY, 0, 0) == 1) && Parent() && Parent()->Enabled() &&
            Enabled() && Visible()) {
            Message.Result = 1;
            Click();
        } else {
            Message.Result = 0;
        }
        return;
    }
    default:
        TCustomControl::Dispatch(Message);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// TkivButton

TkivButton::TkivButton(TComponent* AOwner) : TkivCustomButton(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    SetUIStyle(GetKIVFormStyle(AOwner));
    SetBounds(Left(), Top(), 80, 27);
}

TkivButton::~TkivButton() { Destroying(); }

void TkivButton::SetGlyph(TBitmap* Value)
{
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph = std::make_unique<TBitmap>();
    Invalidate();
}

void TkivButton::SetLayout(TButtonLayout Value)
{
    FLayout = Value;
    Invalidate();
}

void TkivButton::SetSpacing(int Value)
{
    FSpacing = Value;
    Invalidate();
}

void TkivButton::UIStyleChanged()
{
    if (FTheme.UsingFile()) {
        SetTransparent(FTheme.File()->GetBool(SKIN2_BUTTONTRANS));
        Font()->SetColor(FTheme.File()->GetColor(SKIN2_BUTTONFONTCOLOR));
    } else {
        SetTransparent(GetInsideThemeBool(FTheme.Effective(), KIV_THEME_BUTTON_TRANSPARENT));
        Font()->SetColor(TColor(0));
    }
}

void TkivButton::ActionChange(TBasicAction* Sender, bool CheckDefaults)
{
    TkivCustomButton::ActionChange(Sender, CheckDefaults);
    auto* a = dynamic_cast<TCustomAction*>(Sender);
    if (!a || !FGlyph->Empty() || !a->ActionList())
        return;
    TCustomImageList* images = a->ActionList()->Images();
    if (!images || a->ImageIndex() < 0 || a->ImageIndex() >= images->Count())
        return;
    images->GetBitmap(a->ImageIndex(), FGlyph.get());
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TkivImageButton

TkivImageButton::TkivImageButton(TComponent* AOwner)
    : TkivCustomButton(AOwner), FPicNormal(std::make_unique<TPicture>()), FPicMouseOn(std::make_unique<TPicture>()),
      FPicMouseDown(std::make_unique<TPicture>()), FPicDisabled(std::make_unique<TPicture>())
{
}

TkivImageButton::~TkivImageButton() { Destroying(); }

void TkivImageButton::SetPicture(std::unique_ptr<TPicture>& Field, TPicture* Value)
{
    Field->Assign(Value);
    AutoSizeChanged();
    Invalidate();
}

void TkivImageButton::SetPicNormalF(TPicture* Value) { SetPicture(FPicNormal, Value); }
void TkivImageButton::SetPicMouseOnF(TPicture* Value) { SetPicture(FPicMouseOn, Value); }
void TkivImageButton::SetPicMouseDownF(TPicture* Value) { SetPicture(FPicMouseDown, Value); }
void TkivImageButton::SetPicDisabledF(TPicture* Value) { SetPicture(FPicDisabled, Value); }

void TkivImageButton::SetStretch(bool Value)
{
    FStretch = Value;
    Invalidate();
}

void TkivImageButton::SetDrawFocused(bool Value)
{
    FDrawFocused = Value;
    Invalidate();
}

void TkivImageButton::AutoSizeChanged()
{
    if (Parent() && AutoSize() && FPicNormal->Graphic())
        SetBounds(Left(), Top(), FPicNormal->Width(), FPicNormal->Height());
}

// ---------------------------------------------------------------------------------------------
// TkivControlButton

TkivControlButton::TkivControlButton(TComponent* AOwner) : TkivCustomButton(AOwner)
{
    SetTabStop(false);
    SetUIStyle(DeepBlue);
    SetFileTheme(nullptr);
}

void TkivControlButton::SetPicIndex(int Value)
{
    FPicIndex = Value;
    Invalidate();
}

void TkivControlButton::SetPicCount(int Value)
{
    FPicCount = Value;
    Invalidate();
}

void TkivControlButton::SetThemeID(int Value)
{
    FThemeID = Value;
    Invalidate();
}

// ---------------------------------------------------------------------------------------------
// TkivArrowButton

TkivArrowButton::TkivArrowButton(TComponent* AOwner) : TkivCustomButton(AOwner)
{
    SetUIStyle(GetKIVFormStyle(AOwner));
}

void TkivArrowButton::SetArrow(TkivArrowButtonType Value)
{
    FArrow = Value;
    Invalidate();
}

void TkivArrowButton::UIStyleChanged()
{
    SetTransparent(FTheme.Bool(KIV_THEME_BUTTON_TRANSPARENT, SKIN2_BUTTONTRANS));
}

// ---------------------------------------------------------------------------------------------
// TkivToolBarSpeedButton

TkivToolBarSpeedButton::TkivToolBarSpeedButton(TComponent* AOwner)
    : TCustomPanel(AOwner), FGlyph(std::make_unique<TBitmap>())
{
    SetColor(clBtnFace);
    SetBounds(Left(), Top(), 18, 18);
}

TkivToolBarSpeedButton::~TkivToolBarSpeedButton() { Destroying(); }

void TkivToolBarSpeedButton::SetGlyph(TBitmap* Value)
{
    if (Value)
        FGlyph->Assign(Value);
    else
        FGlyph = std::make_unique<TBitmap>();
}

void TkivToolBarSpeedButton::SetToColor(TColor Value)
{
    FToColor = Value;
    Invalidate();
}

void TkivToolBarSpeedButton::Dispatch(TMessage& Message)
{
    switch (Message.Msg) {
    case WM_ERASEBKGND:
        Message.Result = 1;
        return;
    case CM_MOUSEENTER:
        TCustomPanel::Dispatch(Message);
        FMouseOver = true;
        Invalidate();
        return;
    case CM_MOUSELEAVE:
        TCustomPanel::Dispatch(Message);
        FMouseOver = false;
        Invalidate();
        return;
    default:
        TCustomPanel::Dispatch(Message);
        return;
    }
}

// ---------------------------------------------------------------------------------------------
// Registration

void RegisterKivbuttonClasses()
{
    static bool done = false;
    if (done)
        return;
    done = true;
    RegisterActionClasses();
    RegisterClass<TkivButton>("TkivButton");
    RegisterClass<TkivImageButton>("TkivImageButton");
    RegisterClass<TkivControlButton>("TkivControlButton");
    RegisterClass<TkivArrowButton>("TkivArrowButton");
    RegisterClass<TkivToolBarSpeedButton>("TkivToolBarSpeedButton");
    RegisterClass<TkivCheckBox>("TkivCheckBox");
    RegisterClass<TkivRadioButton>("TkivRadioButton");
}
