// Helpers of the Kivbutton tests: the looks to run through (five styles and the sample skin), real
// pointer moves, focus, and the pixels the style's button strip fixes on a button of any size.
#pragma once

#include "SkinControlKit.h"
#include "skin/controls/Kivbutton.h"
#include "skin/theme/Kivpublic.h"

#include <QCoreApplication>
#include <QCursor>
#include <QTest>
#include <algorithm>
#include <memory>

namespace skintest {

// A look: a built-in style, or FromThemeFile with a file theme.
class ButtonTest : public SkinControlTest {
protected:
    void SetUp() override
    {
        SkinControlTest::SetUp();
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
        skin = SampleSkin(form);
        ASSERT_TRUE(skin->Ready());
        // The pointer starts away from the form, so no control begins under it.
        QCursor::setPos(QPoint(700, 550));
        QCoreApplication::processEvents();
    }

    std::vector<TLook> Looks() const { return EveryLook(skin); }
    static void ApplyLook(TControl* c, const TLook& look)
    {
        c->setProperty("FileTheme", QVariant::fromValue(look.theme));
        c->setProperty("UIStyle", QVariant::fromValue(look.style));
    }
    // Moves the pointer (no button held) to a point in the control's coordinates.
    static void MoveTo(TControl* c, QPoint p) { QTest::mouseMove(c->Widget(), p); }
    static QPoint Centre(TControl* c) { return QPoint(c->Width() / 2, c->Height() / 2); }
    static void Focus(TWinControl* c)
    {
        c->SetFocus();
        ASSERT_TRUE(testsupport::WaitFor([c] { return c->Focused(); }));
    }

    TkivFileTheme* skin = nullptr;
};

// Frame Index of the look's three-frame button strip.
inline std::unique_ptr<TBitmap> ButtonFrame(const TLook& look, int Index)
{
    auto b = std::make_unique<TBitmap>();
    if (look.style == FromThemeFile && look.theme && look.theme->CanUse())
        look.theme->GetBitmap2(SKIN2_BUTTON, b.get(), 3, Index);
    else
        GetInsideThemeBitmap(look.style == FromThemeFile ? DeepBlue : look.style, KIV_THEME_BUTTON_IMAGE, b.get(), 3,
                             Index);
    return b;
}

inline bool ButtonTransparent(const TLook& look)
{
    if (look.style == FromThemeFile && look.theme && look.theme->CanUse())
        return look.theme->GetBool(SKIN2_BUTTONTRANS);
    return GetInsideThemeBool(look.style == FromThemeFile ? DeepBlue : look.style, KIV_THEME_BUTTON_TRANSPARENT);
}

// The pixels of a W x H nine-slice drawing of Frame that come from its four corners, which are
// copied unscaled: top-left min(hw, W/2) x min(hh, H/2) from (0, 0); top-right min(hw - 1,
// W/2 - 1) wide, bottom ones min(hh - 1, H/2 - 1) high, taken from the picture's outer sides.
// The bottom-left corner's last column is covered by the bottom edge and is left out. Fuchsia
// shows Background when the drawing is transparent. With Limit > 0 only pixels less than Limit
// from the outer corner in both directions.
inline std::vector<TPixel> SpitDrawCornerPixels(TBitmap* Frame, int W, int H, bool Transparent, TColor Background,
                                                int Limit = 0)
{
    std::vector<TPixel> px;
    const int bw = Frame->Width(), bh = Frame->Height();
    if (bw < 2 || bh < 2)
        return px;
    const int hw = bw / 2, hh = bh / 2;
    const int leftW = std::min(hw, W / 2), topH = std::min(hh, H / 2);
    const int rightW = std::max(0, std::min(hw - 1, W / 2 - 1)), bottomH = std::max(0, std::min(hh - 1, H / 2 - 1));
    const QImage& src = Frame->Image();
    auto add = [&](int x, int y, int sx, int sy, int dx, int dy) {
        if (Limit > 0 && (dx >= Limit || dy >= Limit))
            return;
        TColor c = QRgbToColor(src.pixel(sx, sy));
        if (Transparent && c == clFuchsia)
            c = ColorToRGB(Background);
        px.push_back({x, y, c});
    };
    for (int y = 0; y < topH; ++y) {
        for (int x = 0; x < leftW; ++x)
            add(x, y, x, y, x, y);
        for (int d = 0; d < rightW; ++d)
            add(W - 1 - d, y, bw - 1 - d, y, d, y);
    }
    for (int d = 0; d < bottomH; ++d) {
        for (int x = 0; x + 1 < leftW; ++x)
            add(x, H - 1 - d, x, bh - 1 - d, x, d);
        for (int e = 0; e < rightW; ++e)
            add(W - 1 - e, H - 1 - d, bw - 1 - e, bh - 1 - d, e, d);
    }
    return px;
}

// The pixels not on the dotted focus rectangle M pixels inside a W x H control.
inline std::vector<TPixel> OffFocusRect(const std::vector<TPixel>& px, int W, int H, int M)
{
    std::vector<TPixel> out;
    for (const TPixel& p : px) {
        const bool onX = (p.X == M || p.X == W - M - 1) && p.Y >= M && p.Y <= H - M - 1;
        const bool onY = (p.Y == M || p.Y == H - M - 1) && p.X >= M && p.X <= W - M - 1;
        if (!onX && !onY)
            out.push_back(p);
    }
    return out;
}

// Which frame (1..3) of the look's button strip the rendered button shows in its corners (off the
// focus rectangle FocusMargin pixels in); 0 when none matches, -1 when more than one does.
inline int ShownFrame(const QImage& img, const TLook& look, int FocusMargin = 2, TColor Background = TColor(0x00C0FFEE))
{
    int found = 0;
    for (int f = 1; f <= 3; ++f) {
        auto frame = ButtonFrame(look, f);
        const auto corners =
            SpitDrawCornerPixels(frame.get(), img.width(), img.height(), ButtonTransparent(look), Background);
        const auto px = OffFocusRect(corners, img.width(), img.height(), FocusMargin);
        const bool match =
            std::all_of(px.begin(), px.end(), [&](const TPixel& p) { return PixelAt(img, p.X, p.Y) == p.Color; });
        if (match)
            found = found == 0 ? f : -1;
    }
    return found;
}

// How many pixels have exactly this colour.
inline int Count(const QImage& img, TColor c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += PixelAt(img, x, y) == c;
    return n;
}

// The bounding box of the pixels of exactly this colour (within Area when given).
inline QRect Bounds(const QImage& img, TColor c, QRect Area = QRect())
{
    if (Area.isNull())
        Area = img.rect();
    Area &= img.rect();
    QRect r;
    for (int y = Area.top(); y <= Area.bottom(); ++y)
        for (int x = Area.left(); x <= Area.right(); ++x)
            if (PixelAt(img, x, y) == c)
                r |= QRect(x, y, 1, 1);
    return r;
}

}  // namespace skintest
