// Helpers of the skinned-menu tests: the looks to run through (five styles and the sample skin),
// items drawn into a bitmap through a menu's DrawItem, the pixels a look fixes on an item, and
// where text landed.
#pragma once

#include "../controls/SkinControlKit.h"
#include "framework/Menus.h"
#include "framework/Resources.h"
#include "framework/SysLocale.h"
#include "skin/frame/Kivmenu.h"
#include "skin/theme/Kivpublic.h"

#include <QCoreApplication>
#include <cstdlib>
#include <functional>
#include <optional>

namespace menutest {

using namespace skintest;

// A look: a built-in style, or FromThemeFile with a file theme.
// What the pixel checks need to know about a menu's look.
struct TMenuColors {
    bool macOS = false;
    int barWidth = 26;
    TColor bar = 0, barTo = 0, color = 0, separator = 0, selected = 0, selectedBorder = 0;
    TColor font = 0, selectedFont = 0;
};

template <class M>
TMenuColors ColorsOf(const M* m)
{
    TMenuColors c;
    c.macOS = m->UIStyle() == MacOS;
    c.barWidth = m->BarWidth();
    c.bar = m->BarColor();
    c.barTo = m->BarToColor();
    c.color = m->Color();
    c.separator = m->SeparatorColor();
    c.selected = m->SelectedColor();
    c.selectedBorder = m->SelectedBorderColor();
    c.font = m->FontColor();
    c.selectedFont = m->SelectedFontColor();
    return c;
}

// The colour background pixels must not take: the bitmap starts in it.
constexpr TColor kSentinel = TColor(0x123456);

// One channel of DrawVerticalGradient's column x of a bar from column left to right (exclusive).
inline int GradientChannel(int from, int to, int left, int right, int x)
{
    if (x == left)
        return from;
    if (x == right - 1)
        return to;
    return from + int(double(to - from) / double(right - left) * double(x - left - 1));
}

inline TColor GradientAt(TColor from, TColor to, int left, int right, int x)
{
    const TColor f = ColorToRGB(from), t = ColorToRGB(to);
    int c[3];
    for (int k = 0; k < 3; ++k)
        c[k] = GradientChannel((f >> (8 * k)) & 0xFF, (t >> (8 * k)) & 0xFF, left, right, x);
    return TColor(c[0] | (c[1] << 8) | (c[2] << 16));
}

// A built-in bitmap's pixel.
inline TColor ResourcePixel(const char* name, int x, int y)
{
    TBitmap b;
    b.LoadFromResourceName(HInstance, QString::fromLatin1(name));
    return QRgbToColor(b.Image().pixel(x, y));
}

// The bitmap an item is drawn into: W x H in the sentinel colour.
inline std::unique_ptr<TBitmap> Sheet(int w, int h)
{
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetColor(kSentinel);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

inline QImage ImageOf(TBitmap* b) { return b->Image().convertToFormat(QImage::Format_RGB32); }

// The pixels an item's background fixes (no caption, no glyph), left to right or mirrored, and
// the sentinel just outside the item.
inline std::vector<TPixel> BackgroundPixels(const TRect& r, const TMenuColors& c, bool selected, bool ltr = true)
{
    std::vector<TPixel> px;
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    for (int y : {T, T + (B - T) / 2, B - 1}) {
        if (c.macOS) {
            const char* res = selected ? "MACOS_MENU_SELECT" : "MACOS_MENU_BAR";
            const TColor want = ResourcePixel(res, 0, y - T);
            for (int x : {L, L + 13, R - 1})
                px.push_back({x, y, want});
        } else if (selected) {
            const bool edge = y == T || y == B - 1;
            px.push_back({L, y, c.selectedBorder});
            px.push_back({R - 1, y, c.selectedBorder});
            px.push_back({L + c.barWidth / 2, y, edge ? c.selectedBorder : c.selected});
            px.push_back({R - 10, y, edge ? c.selectedBorder : c.selected});
        } else {
            const int barLeft = ltr ? L : R - c.barWidth;
            const int barRight = barLeft + c.barWidth;
            for (int x : {barLeft, barLeft + 1, barLeft + c.barWidth / 2, barRight - 1})
                px.push_back({x, y, GradientAt(c.bar, c.barTo, barLeft, barRight, x)});
            const int restLeft = ltr ? barRight : L;
            const int restRight = ltr ? R : barLeft;
            for (int x : {restLeft, restRight - 1})
                px.push_back({x, y, c.color});
        }
        px.push_back({L - 1, y, kSentinel});
        px.push_back({R, y, kSentinel});
    }
    px.push_back({L, T - 1, kSentinel});
    px.push_back({R - 1, B, kSentinel});
    return px;
}

// The pixels of a separator item (height 5 or 12).
inline std::vector<TPixel> SeparatorPixels(const TRect& r, const TMenuColors& c, bool ltr = true)
{
    std::vector<TPixel> px;
    const int L = r.Left, T = r.Top, R = r.Right, B = r.Bottom;
    if (c.macOS) {
        for (int y = T; y < B; ++y)
            for (int x : {L, L + 40, R - 1})
                px.push_back({x, y, ResourcePixel("MACOS_MENU_BAR", 0, y - T)});
    } else {
        const int y = T + 2;
        const int first = ltr ? L + c.barWidth + 4 : L + 2;
        const int last = ltr ? R - 3 : R - c.barWidth - 5;
        px.push_back({first - 1, y, c.color});
        px.push_back({first, y, c.separator});
        px.push_back({(first + last) / 2, y, c.separator});
        px.push_back({last, y, c.separator});
        px.push_back({last + 1, y, c.color});
        for (int yy : {T, T + 1, T + 3, B - 1})
            px.push_back({(first + last) / 2, yy, c.color});
        const int barLeft = ltr ? L : R - c.barWidth;
        for (int yy = T; yy < B; ++yy) {
            px.push_back({barLeft, yy, GradientAt(c.bar, c.barTo, barLeft, barLeft + c.barWidth, barLeft)});
            px.push_back({barLeft + c.barWidth - 1, yy, c.barTo});
        }
    }
    px.push_back({L - 1, T, kSentinel});
    px.push_back({R, T, kSentinel});
    px.push_back({L, B, kSentinel});
    return px;
}

// The columns (inclusive) where the image differs from the item's background in a band of rows;
// nullopt when nothing differs.
inline std::optional<std::pair<int, int>> InkColumns(const QImage& img, int x0, int x1, int y0, int y1,
                                                     const std::function<TColor(int x, int y)>& background)
{
    int first = -1, last = -1;
    for (int x = x0; x < x1; ++x)
        for (int y = y0; y < y1; ++y)
            if (PixelAt(img, x, y) != background(x, y)) {
                if (first < 0)
                    first = x;
                last = x;
                break;
            }
    if (first < 0)
        return std::nullopt;
    return std::make_pair(first, last);
}

// True when some pixel of the band has exactly that colour.
inline bool HasColour(const QImage& img, int x0, int x1, int y0, int y1, TColor colour)
{
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            if (PixelAt(img, x, y) == colour)
                return true;
    return false;
}

// Text is drawn smoothed, so few of its pixels show the font colour exactly. The pixel of the band
// that differs most from the background must lie at least halfway from the background towards
// Colour, in every channel in which the two differ (and stay near the background in the others).
inline bool InkTowards(const QImage& img, int x0, int x1, int y0, int y1,
                       const std::function<TColor(int x, int y)>& background, TColor colour)
{
    auto channel = [](TColor c, int k) { return int((ColorToRGB(c) >> (8 * k)) & 0xFF); };
    int bestX = -1, bestY = -1, best = 0;
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            const TColor p = PixelAt(img, x, y), b = background(x, y);
            int d = 0;
            for (int k = 0; k < 3; ++k)
                d += std::abs(channel(p, k) - channel(b, k));
            if (d > best) {
                best = d;
                bestX = x;
                bestY = y;
            }
        }
    if (bestX < 0)
        return false;
    const TColor p = PixelAt(img, bestX, bestY), b = background(bestX, bestY);
    for (int k = 0; k < 3; ++k) {
        const int pc = channel(p, k), bc = channel(b, k), fc = channel(colour, k);
        if (std::abs(fc - bc) < 24) {
            if (std::abs(pc - bc) > 24)
                return false;
            continue;
        }
        const double a = double(pc - bc) / double(fc - bc);
        if (a < 0.5 || a > 1.05)
            return false;
    }
    return true;
}

// The width a menu measures for an item with that caption and no shortcut, in the system menu font.
inline int MeasuredWidth(const char* caption)
{
    TBitmap probe(1, 1);
    Menu_GetSystemFont(probe.Canvas()->Font());
    return probe.Canvas()->TextWidth(QString::fromUtf8(caption)) + 26 + 40;
}

// Restores the system locale's traits after a test changed them.
struct TLocaleGuard {
    TSysLocale saved = SysLocale;
    ~TLocaleGuard() { SysLocale = saved; }
};

// A fixture with a shown form and the sample skin owned by it.
class MenuTest : public SkinControlTest {
protected:
    void SetUp() override
    {
        SkinControlTest::SetUp();
        skin = SampleSkin(form);
        ASSERT_TRUE(skin->Ready());
    }

    std::vector<TLook> Looks() const { return EveryLook(skin); }

    template <class M>
    static void ApplyLook(M* m, const TLook& look)
    {
        m->SetFileTheme(look.theme);
        m->SetUIStyle(look.style);
    }

    // An item with a caption, added to Parent.
    TMenuItem* Item(TMenuItem* parent, const char* caption, TComponent* owner = nullptr)
    {
        auto* item = new TMenuItem(owner);
        item->SetCaption(QString::fromUtf8(caption));
        parent->Add(item);
        return item;
    }

    TkivFileTheme* skin = nullptr;
};

}  // namespace menutest
