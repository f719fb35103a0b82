// TNumberEdit: an edit box that holds a floating-point Value, shows it through a FormatFloat mask
// and accepts only numeric keys. The main window's frequency and product-ID boxes use it.
#pragma once

#include "framework/StdCtrls.h"

class TNumberEdit : public TCustomEdit {
    Q_OBJECT
    Q_PROPERTY(QString Mask READ Mask WRITE SetMask)
    Q_PROPERTY(double Value READ Value WRITE SetValue)
    Q_PROPERTY(int AutoSelectSigns READ AutoSelectSigns WRITE SetAutoSelectSigns)

public:
    explicit TNumberEdit(TComponent* AOwner);

    String Mask() const { return FMask; }
    void SetMask(const String& v) { FMask = v; }
    // The number last parsed from or written to the text.
    double Value() const { return FValue; }
    // Stores v and shows it formatted by Mask.
    void SetValue(double v);
    int AutoSelectSigns() const { return FAutoSelectSigns; }
    void SetAutoSelectSigns(int v) { FAutoSelectSigns = v; }

protected:
    void CreateParams(TCreateParams& Params) override;
    // Parses the text into Value; a text that is not a number goes back to the last good value
    // and the conversion error is raised.
    void Change() override;
    void KeyPress(char& Key) override;
    void DoEnter() override;
    void DoExit() override;
    void Click() override;

private:
    static String WithoutThousands(const String& s);
    String FMask = QStringLiteral("0.00");
    double FValue = 0;
    int FAutoSelectSigns = 2;
};
