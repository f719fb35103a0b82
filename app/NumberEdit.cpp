#include "app/NumberEdit.h"

#include "framework/SysUtils.h"

TNumberEdit::TNumberEdit(TComponent* AOwner) : TCustomEdit(AOwner)
{
    SetValue(0);
}

void TNumberEdit::CreateParams(TCreateParams& Params)
{
    TCustomEdit::CreateParams(Params);
    Params.Style |= ES_RIGHT;
}

String TNumberEdit::WithoutThousands(const String& s)
{
    String out = s;
    out.remove(FormatSettings.ThousandSeparator);
    return out;
}

void TNumberEdit::SetValue(double v)
{
    FValue = v;
    SetText(FormatFloat(FMask, v));
}

void TNumberEdit::Change()
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
    TCustomEdit::Change();
}

void TNumberEdit::KeyPress(char& Key)
{
    TCustomEdit::KeyPress(Key);
    if (Key == 0)
        return;
    if (Key >= '0' && Key <= '9')
        return;
    const char decimal = char(FormatSettings.DecimalSeparator.toLatin1());
    if (FMask.contains(QLatin1Char('.'), Qt::CaseInsensitive) && Key == decimal &&
        !Text().contains(FormatSettings.DecimalSeparator))
        return;
    if (Key == 8)
        return;
    if (FMask.contains(QLatin1Char('-')) && Key == '-' && SelStart() == 0 && !Text().contains(QLatin1Char('-')))
        return;
    Beep();
    Abort();
}

void TNumberEdit::DoEnter()
{
    TCustomEdit::DoEnter();
    if (FAutoSelectSigns > 0 && AutoSelect()) {
        const int len = int(Text().size());
        const int start = std::max(0, len - FAutoSelectSigns);
        SetSelStart(start);
        SetSelLength(len - start);
    }
}

void TNumberEdit::Click()
{
    TCustomEdit::Click();
    DoEnter();
}

void TNumberEdit::DoExit()
{
    TCustomEdit::DoExit();
    if (Text().isEmpty() || Text() == QStringLiteral("-"))
        SetText(QStringLiteral("0"));
    SetValue(StrToFloat(WithoutThousands(Text())));
}
