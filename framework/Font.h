// TFont: the framework's font description, mapped onto QFont for drawing.
#pragma once

#include "framework/Colors.h"
#include "framework/System.h"

#include <QFont>

enum TFontStyle : uint8_t { fsBold = 1, fsItalic = 2, fsUnderline = 4, fsStrikeOut = 8 };
using TFontStyles = uint8_t;  // set of TFontStyle bits

enum TFontPitch { fpDefault, fpVariable, fpFixed };

constexpr int DEFAULT_CHARSET = 1;

class TFont : public TPersistent {
public:
    TFont();

    String Name() const { return FName; }
    void SetName(const String& v);
    // Negative: character height in pixels; positive: cell height in pixels.
    int Height() const { return FHeight; }
    void SetHeight(int v);
    // Points at 96 pixels per inch.
    int Size() const;
    void SetSize(int points);
    TColor Color() const { return FColor; }
    void SetColor(TColor v);
    TFontStyles Style() const { return FStyle; }
    void SetStyle(TFontStyles v);
    int Charset() const { return FCharset; }
    void SetCharset(int v);
    TFontPitch Pitch() const { return FPitch; }
    void SetPitch(TFontPitch v);

    // Fired after any change.
    TNotifyEvent OnChange;

    void Assign(const TPersistent* Source) override;
    String ClassName() const override { return QStringLiteral("TFont"); }

    QFont ToQFont() const;
    bool operator==(const TFont& o) const;

    static constexpr int PixelsPerInch = 96;

private:
    void Changed();

    String FName;
    int FHeight;
    TColor FColor;
    TFontStyles FStyle = 0;
    int FCharset = DEFAULT_CHARSET;
    TFontPitch FPitch = fpDefault;
};
