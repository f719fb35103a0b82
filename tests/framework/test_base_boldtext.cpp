// Bold text is bold whatever the font: a family without a bold face whose glyphs the toolkit
// cannot thicken (the classic dialog fonts) is struck twice, one pixel apart.
#include "framework/Graphics.h"

#include <QFileInfo>
#include <QFontDatabase>
#include <gtest/gtest.h>

namespace {

int Ink(TBitmap& b)
{
    int n = 0;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            n += b.Canvas()->Pixels(x, y) != clWhite;
    return n;
}

// The text drawn black on white by each of the canvas's text calls.
int InkOf(const String& family, int height, bool bold, int call)
{
    TBitmap b(120, 30);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 120, 30));
    c->Brush()->SetStyle(bsClear);
    c->Font()->SetName(family);
    c->Font()->SetHeight(height);
    c->Font()->SetColor(clBlack);
    c->Font()->SetStyle(bold ? fsBold : 0);
    TRect r = Rect(0, 0, 120, 30);
    switch (call) {
    case 0: c->TextOut(2, 2, QStringLiteral("Transmit")); break;
    case 1: c->TextRect(r, 2, 2, QStringLiteral("Transmit")); break;
    default: c->DrawText(QStringLiteral("Transmit"), r, DT_SINGLELINE); break;
    }
    return Ink(b);
}

}  // namespace

TEST(BoldText, BoldCaptionsCarryMoreInkThanRegularOnesInEveryFont)
{
    // The application registers the classic dialog fonts where the system has them.
    for (const char* f : {"/usr/share/wine/fonts/ms_sans_serif.ttf", "/usr/share/wine/fonts/tahoma.ttf"})
        if (QFileInfo::exists(QString::fromLatin1(f)))
            QFontDatabase::addApplicationFont(QString::fromLatin1(f));
    for (const char* family : {"MS Sans Serif", "Tahoma", "DejaVu Sans"}) {
        for (int call = 0; call < 3; ++call) {
            SCOPED_TRACE(std::string(family) + " call " + std::to_string(call));
            const int regular = InkOf(QString::fromLatin1(family), -11, false, call);
            const int bold = InkOf(QString::fromLatin1(family), -11, true, call);
            EXPECT_GT(regular, 0);
            EXPECT_GT(bold, regular + 8);
        }
    }
}
