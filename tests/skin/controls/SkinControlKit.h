// Helpers of the skinned-control tests: a shown form to place controls on, the five built-in
// styles, the sample skin as a file theme, renders of a control as pixels, and pixel tables.
#pragma once

#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "skin/controls/Kivcontrols.h"
#include "skin/theme/Kivmgr.h"
#include "testsupport/TestSupport.h"

#include <QFileInfo>
#include <QImage>
#include <QTest>
#include <QWidget>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace skintest {

// The built-in styles, in the order of the enumeration.
inline const std::vector<TkivUIStyle>& BuiltInStyles()
{
    static const std::vector<TkivUIStyle> styles = {MacOS, WinXP, DeepBlue, Protein, BlueGlass};
    return styles;
}

// A look a component is tried in: a built-in style, or the sample skin (theme set).
struct TLook {
    std::string name;
    TkivUIStyle style;
    TkivFileTheme* theme;
    bool Skin() const { return theme != nullptr; }
};

std::string StyleName(TkivUIStyle s);

// The five built-in styles, then the sample skin given.
inline std::vector<TLook> EveryLook(TkivFileTheme* skin)
{
    std::vector<TLook> looks;
    for (TkivUIStyle s : BuiltInStyles())
        looks.push_back({StyleName(s), s, nullptr});
    looks.push_back({"sample skin", FromThemeFile, skin});
    return looks;
}

inline std::string StyleName(TkivUIStyle s)
{
    switch (s) {
    case FromThemeFile: return "FromThemeFile";
    case MacOS: return "MacOS";
    case WinXP: return "WinXP";
    case DeepBlue: return "DeepBlue";
    case Protein: return "Protein";
    case BlueGlass: return "BlueGlass";
    }
    return "style" + std::to_string(int(s));
}

// The sample skin shipped with the program.
inline QString SampleSkinPath()
{
    return QFileInfo(testsupport::DataDir() + QStringLiteral("/../../resources/skins/Verdigris.kvt")).absoluteFilePath();
}

// A file theme owned by Owner with the sample skin loaded (Ready).
inline TkivFileTheme* SampleSkin(TComponent* Owner)
{
    auto* t = new TkivFileTheme(Owner);
    t->SetName(QStringLiteral("SampleSkin"));
    t->SetThemeFile(SampleSkinPath());
    return t;
}

// What a control shows: its widget rendered, as 32-bit RGB pixels.
inline QImage Render(TControl* c)
{
    QWidget* w = c ? c->Widget() : nullptr;
    if (!w)
        return {};
    return w->grab().toImage().convertToFormat(QImage::Format_RGB32);
}

inline TColor PixelAt(const QImage& img, int x, int y)
{
    if (x < 0 || y < 0 || x >= img.width() || y >= img.height())
        return TColor(-1);
    return QRgbToColor(img.pixel(x, y));
}

inline std::string Hex(TColor c)
{
    char buf[16];
    std::snprintf(buf, sizeof buf, "$%06X", unsigned(c) & 0xFFFFFF);
    return buf;
}

// One expected pixel of a golden table.
struct TPixel {
    int X, Y;
    TColor Color;
};

// Every pixel of the table as expected; failures name the pixel.
inline void ExpectPixels(const QImage& img, const std::vector<TPixel>& pixels)
{
    for (const TPixel& p : pixels) {
        const TColor got = PixelAt(img, p.X, p.Y);
        EXPECT_EQ(Hex(got), Hex(p.Color)) << "pixel (" << p.X << ", " << p.Y << ")";
    }
}

// A fixture with the framework's application, a shown 400 x 300 form and the controls' classes
// registered.
class SkinControlTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
        RegisterSkinControlClasses();
    }
    void SetUp() override
    {
        form = NewForm<TForm>(Application);
        form->SetBounds(0, 0, 400, 300);
        form->SetColor(TColor(0x00C0FFEE));
        form->Show();
    }
    void TearDown() override { delete form; }

    template <class T>
    T* Place(int x, int y, int w, int h)
    {
        auto* c = new T(form);
        c->SetParent(form);
        c->SetBounds(x, y, w, h);
        return c;
    }
    TForm* form = nullptr;
};

}  // namespace skintest
