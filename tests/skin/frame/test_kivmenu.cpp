// The shared menu drawing: hooking items, separator lines, the MacOS pieces, the system menu font,
// the check-mark list; and, run over both menu components, the look each UI style and the sample
// skin give them, items drawn into a bitmap (backgrounds, selection, separators, caption and
// shortcut, check mark, image box, right to left), measuring, and which items draw skinned.
#include "MenuKit.h"
#include "framework/FormReader.h"
#include "framework/ImgList.h"
#include "skin/frame/Kivmainmenu.h"
#include "skin/frame/Kivpopupmenu.h"

#include <map>

using namespace menutest;

namespace {

// ---- the unit's pieces ----

TEST(Kivmenu, SetItemEventReachesEverySubItem)
{
    TMenuItem root(nullptr);
    auto* a = new TMenuItem(nullptr);
    auto* b = new TMenuItem(nullptr);
    auto* b1 = new TMenuItem(nullptr);
    auto* b11 = new TMenuItem(nullptr);
    root.Add(a);
    root.Add(b);
    b->Add(b1);
    b1->Add(b11);
    std::vector<TObject*> measured, drawn;
    Menu_SetItemEvent(
        b, [&](TObject* s, TCanvas*, int&, int&) { measured.push_back(s); },
        [&](TObject* s, TCanvas*, const TRect&, bool) { drawn.push_back(s); });
    for (TMenuItem* i : {b, b1, b11}) {
        int w = 0, h = 0;
        i->MeasureItem(nullptr, w, h);
        i->DrawItem(nullptr, Rect(0, 0, 1, 1), false);
    }
    EXPECT_EQ(measured, (std::vector<TObject*>{b, b1, b11}));
    EXPECT_EQ(drawn, (std::vector<TObject*>{b, b1, b11}));
    EXPECT_FALSE(a->OnMeasureItem) << "a sibling of the hooked item is left alone";
    EXPECT_FALSE(root.OnDrawItem) << "so is its parent";
}

TEST(Kivmenu, SeparatorLineRunsBetweenBarAndEdge)
{
    struct Case {
        TRect r;
        int bar;
        bool ltr;
        int first, last;  // the line's first and last pixel (inclusive)
    } cases[] = {
        {Rect(0, 0, 100, 5), 26, true, 30, 97},
        {Rect(10, 7, 90, 12), 26, true, 40, 87},
        {Rect(10, 7, 90, 12), 0, true, 14, 87},
        {Rect(0, 0, 100, 5), 26, false, 2, 69},
        {Rect(10, 7, 90, 12), 0, false, 12, 85},
    };
    for (const Case& c : cases) {
        auto sheet = Sheet(110, 20);
        Menu_DrawLineItem(sheet->Canvas(), c.r, TColor(0x848284), c.bar, c.ltr);
        const QImage img = ImageOf(sheet.get());
        const int y = c.r.Top + 2;
        SCOPED_TRACE(testing::Message() << "bar " << c.bar << (c.ltr ? " ltr" : " rtl") << " left " << c.r.Left);
        ExpectPixels(img, {{c.first - 1, y, kSentinel},
                           {c.first, y, 0x848284},
                           {c.last, y, 0x848284},
                           {c.last + 1, y, kSentinel},
                           {c.first, y - 1, kSentinel},
                           {c.first, y + 1, kSentinel}});
    }
}

TEST(Kivmenu, MacOSPiecesStretchTheTopRowsOfTheirBitmaps)
{
    struct Case {
        const char* name;
        void (*draw)(TCanvas*, const TRect&);
        const char* res;
        int rows;
    } cases[] = {
        {"line", Menu_DrawMacOSLineItem, "MACOS_MENU_BAR", 12},
        {"selected", Menu_DrawMacOSSelectedItem, "MACOS_MENU_SELECT", 20},
        {"normal", Menu_DrawMacOSNonSelectedItem, "MACOS_MENU_BAR", 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // At the kept height every row is the bitmap's row; at twice the height each kept row
        // covers two, so the last row shows the last kept row, not the bitmap's last.
        for (int scale : {1, 2}) {
            auto sheet = Sheet(60, 2 * c.rows + 4);
            const TRect r = Rect(5, 2, 55, 2 + scale * c.rows);
            c.draw(sheet->Canvas(), r);
            const QImage img = ImageOf(sheet.get());
            std::vector<TPixel> px;
            for (int y = r.Top; y < r.Bottom; ++y)
                for (int x : {r.Left, 30, r.Right - 1})
                    px.push_back({x, y, ResourcePixel(c.res, 0, (y - r.Top) / scale)});
            px.push_back({r.Left - 1, r.Top, kSentinel});
            px.push_back({r.Right, r.Top, kSentinel});
            px.push_back({r.Left, r.Top - 1, kSentinel});
            px.push_back({r.Left, r.Bottom, kSentinel});
            ExpectPixels(img, px);
        }
    }
}

TEST(Kivmenu, BorderAndBackgroundPieces)
{
    auto sheet = Sheet(20, 20);
    Menu_DrawBackGround(sheet->Canvas(), Rect(2, 2, 12, 10), TColor(0x00FF00));
    Menu_DrawBorder(sheet->Canvas(), Rect(4, 4, 16, 14), TColor(0x0000FF));
    const QImage img = ImageOf(sheet.get());
    ExpectPixels(img, {{2, 2, 0x00FF00}, {11, 9, 0x00FF00}, {12, 9, kSentinel}, {11, 10, kSentinel},
                       {4, 4, 0x0000FF}, {15, 13, 0x0000FF}, {15, 4, 0x0000FF}, {5, 5, 0x00FF00},
                       {14, 12, kSentinel}, {16, 13, kSentinel}});
}

TEST(Kivmenu, SystemFontIsTheMenuFontInMenuTextColour)
{
    TFont f;
    f.SetName(QStringLiteral("Courier New"));
    f.SetHeight(-30);
    f.SetStyle(fsBold | fsItalic);
    f.SetCharset(2);
    Menu_GetSystemFont(&f);
    EXPECT_EQ(f.Name(), QStringLiteral("Tahoma"));
    EXPECT_EQ(f.Height(), -11);
    EXPECT_EQ(f.Style(), 0);
    EXPECT_EQ(f.Charset(), DEFAULT_CHARSET);
    EXPECT_EQ(f.Color(), clMenuText);
    Menu_GetSystemFont(nullptr);  // ignored
}

TEST(Kivmenu, CheckMarkListHoldsTheGlyphWithWhiteLeftOut)
{
    auto list = Menu_NewCheckMarkList();
    ASSERT_EQ(list->Count(), 1);
    EXPECT_EQ(list->Width(), 16);
    EXPECT_EQ(list->Height(), 16);
    TBitmap glyph;
    glyph.LoadFromResourceName(HInstance, QStringLiteral("MENU_CHECKED"));
    const QImage& cell = list->ImageAt(0);
    int ink = 0;
    for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) {
            const TColor src = QRgbToColor(glyph.Image().pixel(x, y));
            if (src == clWhite) {
                EXPECT_EQ(qAlpha(cell.pixel(x, y)), 0) << x << "," << y;
            } else {
                ++ink;
                EXPECT_EQ(QRgbToColor(cell.pixel(x, y)), src) << x << "," << y;
            }
        }
    EXPECT_GT(ink, 0) << "the glyph shows something";
}

TEST(Kivmenu, WindowBorderWithoutAWindowDrawsNothing)
{
    Menu_DrawWindowBorder(nullptr, clBlack, clWhite);
    EXPECT_EQ(WindowFromDC(Sheet(4, 4)->Canvas()), nullptr) << "a bitmap's canvas has no window";
}

// ---- both components ----

template <class M>
class MenuLook : public MenuTest {
protected:
    M* NewMenu() { return new M(form); }

    // The item drawn in a bitmap with the menu's DrawItem.
    QImage Draw(M* m, TMenuItem* item, const TRect& r, bool selected, int w = 160, int h = 40)
    {
        auto sheet = Sheet(w, h);
        m->DrawItem(item, sheet->Canvas(), r, selected);
        return ImageOf(sheet.get());
    }

    // The background under a pixel of a normal item (no text, no glyph).
    static std::function<TColor(int, int)> NormalBackground(const TMenuColors& c, const TRect& r, bool ltr = true)
    {
        return [c, r, ltr](int x, int y) -> TColor {
            if (x < r.Left || x >= r.Right || y < r.Top || y >= r.Bottom)
                return kSentinel;
            if (c.macOS)
                return ResourcePixel("MACOS_MENU_BAR", 0, y - r.Top);
            const int barLeft = ltr ? r.Left : r.Right - c.barWidth;
            if (x >= barLeft && x < barLeft + c.barWidth)
                return GradientAt(c.bar, c.barTo, barLeft, barLeft + c.barWidth, x);
            return c.color;
        };
    }
};

using MenuTypes = ::testing::Types<TkivPopupMenu, TkivMainMenu>;
TYPED_TEST_SUITE(MenuLook, MenuTypes);

TYPED_TEST(MenuLook, StartsInTheOwnersStyleWithTheStyleValues)
{
    TypeParam* m = this->NewMenu();
    // A form without a skinned frame gives DeepBlue; the style's values win over the defaults.
    EXPECT_EQ(m->UIStyle(), DeepBlue);
    EXPECT_EQ(m->FileTheme(), nullptr);
    EXPECT_TRUE(m->OwnerDraw());
    EXPECT_EQ(m->MenuItemHeight(), 21);
    EXPECT_EQ(m->SeparatorHeight(), 5);
    EXPECT_EQ(m->BarWidth(), 26);
    EXPECT_EQ(m->BarColor(), 0xCED3D6);
    EXPECT_EQ(m->BarToColor(), 0xCED3D6);
    EXPECT_EQ(m->Color(), 0xFFFFFF);
    EXPECT_EQ(m->SeparatorColor(), 0x848284);
    EXPECT_EQ(m->SelectedBorderColor(), 0xA04A44);
    EXPECT_EQ(m->SelectedColor(), 0xA04A44);
    EXPECT_EQ(m->SelectedFontColor(), 0xFFFFFF);
    EXPECT_EQ(m->FontColor(), 0x000000);
    // Values the style does not touch keep the constructor's defaults.
    EXPECT_EQ(m->BorderColor(), 0x000000);
    EXPECT_FALSE(m->FlatMenu());
    EXPECT_EQ(m->FontName(), QStringLiteral("MS Sans Serif"));
    EXPECT_EQ(m->FontSize(), 8);
    EXPECT_EQ(m->FontCharset(), 1);
    EXPECT_TRUE(m->UseSystemFont());

    // Without an owner: DeepBlue as well.
    TypeParam loose(nullptr);
    EXPECT_EQ(loose.UIStyle(), DeepBlue);
    EXPECT_EQ(loose.SelectedColor(), 0xA04A44);
}

TYPED_TEST(MenuLook, ProteinGivesItsMenuColours)
{
    TypeParam* m = this->NewMenu();
    m->SetUIStyle(Protein);
    EXPECT_EQ(m->Color(), 0xFFFFFF);
    EXPECT_EQ(m->SelectedColor(), 0xC4302D);
    EXPECT_EQ(m->SelectedBorderColor(), 0xC4302D);
    EXPECT_EQ(m->SelectedFontColor(), 0xFFFFFF);
    EXPECT_EQ(m->BarColor(), 0xCED3D6);
    EXPECT_EQ(m->BarToColor(), 0xCED3D6);
    EXPECT_EQ(m->BarWidth(), 26);
    EXPECT_EQ(m->MenuItemHeight(), 21);
    EXPECT_EQ(m->SeparatorHeight(), 5);
    EXPECT_EQ(m->SeparatorColor(), 0x848284);
}

TYPED_TEST(MenuLook, EveryLookSetsHeightsBarAndColours)
{
    TypeParam* m = this->NewMenu();
    for (const TLook& look : this->Looks()) {
        SCOPED_TRACE(look.name);
        // Values set by the application last only until the next style change.
        m->SetBarWidth(3);
        m->SetColor(0x010203);
        m->SetSeparatorColor(0x010203);
        m->SetBarToColor(0x010203);
        this->ApplyLook(m, look);
        const bool mac = look.style == MacOS;
        EXPECT_EQ(m->MenuItemHeight(), mac ? 20 : 21);
        EXPECT_EQ(m->SeparatorHeight(), mac ? 12 : 5);
        EXPECT_EQ(m->BarWidth(), 26);
        EXPECT_EQ(m->SeparatorColor(), mac ? 0x000000 : 0x848284);
        if (look.theme) {
            TkivFileTheme* t = look.theme;
            EXPECT_EQ(m->BarColor(), t->GetColor(SKIN2_LEFTBARSTARTCOLOR));
            EXPECT_EQ(m->BarToColor(), t->GetColor(SKIN2_LEFTBARENDCOLOR));
            EXPECT_EQ(m->Color(), t->GetColor(SKIN2_MENUITEMCOLOR));
            EXPECT_EQ(m->FontColor(), t->GetColor(SKIN2_MENUITEMFONTCOLOR));
            EXPECT_EQ(m->SelectedBorderColor(), t->GetColor(SKIN2_SELECTEDMENUBORDERCOLOR));
            EXPECT_EQ(m->SelectedColor(), t->GetColor(SKIN2_SELECTEDMENUCOLOR));
            EXPECT_EQ(m->SelectedFontColor(), t->GetColor(SKIN2_SELECTEDMENUFONTCOLOR));
            EXPECT_NE(m->BarColor(), m->BarToColor()) << "the sample skin's bar is a gradient";
        } else {
            const TkivUIStyle s = look.style;
            EXPECT_EQ(m->BarColor(), GetInsideThemeColor(s, KIV_THEME_MENU_LEFTBAR_COLOR));
            EXPECT_EQ(m->BarToColor(), m->BarColor());
            EXPECT_EQ(m->Color(), GetInsideThemeColor(s, KIV_THEME_MENU_BACKGROUND_COLOR));
            EXPECT_EQ(m->FontColor(), GetInsideThemeColor(s, KIV_THEME_MENU_FONT_COLOR));
            EXPECT_EQ(m->SelectedBorderColor(), GetInsideThemeColor(s, KIV_THEME_MENU_SELECTED_BORDER_COLOR));
            EXPECT_EQ(m->SelectedColor(), GetInsideThemeColor(s, KIV_THEME_MENU_SELECTED_BACKGROUND_COLOR));
            EXPECT_EQ(m->SelectedFontColor(), GetInsideThemeColor(s, KIV_THEME_MENU_SELECTED_FONT_COLOR));
        }
    }
    // A file theme with a built-in style: the built-in table still gives the look.
    m->SetFileTheme(this->skin);
    m->SetUIStyle(WinXP);
    EXPECT_EQ(m->SelectedColor(), 0xEFD3C6);
    // FromThemeFile without a usable theme: DeepBlue's table.
    m->SetFileTheme(nullptr);
    m->SetUIStyle(FromThemeFile);
    EXPECT_EQ(m->UIStyle(), FromThemeFile);
    EXPECT_EQ(m->SelectedColor(), 0xA04A44);
    EXPECT_EQ(m->MenuItemHeight(), 21);
}

TYPED_TEST(MenuLook, PropertiesArePublishedByName)
{
    TypeParam* m = this->NewMenu();
    EXPECT_TRUE(IsHasProperty(m, QStringLiteral("UIStyle")));
    EXPECT_TRUE(IsHasProperty(m, QStringLiteral("FileTheme")));
    ASSERT_TRUE(m->setProperty("UIStyle", QVariant::fromValue(Protein)));
    EXPECT_EQ(m->SelectedColor(), 0xC4302D);
    ASSERT_TRUE(m->setProperty("FileTheme", QVariant::fromValue(this->skin)));
    ASSERT_TRUE(m->setProperty("UIStyle", QVariant::fromValue(FromThemeFile)));
    EXPECT_EQ(m->Color(), this->skin->GetColor(SKIN2_MENUITEMCOLOR));
    const std::map<const char*, QVariant> values{
        {"BarWidth", 30},          {"BarColor", 0x112233},       {"BarToColor", 0x223344},
        {"Color", 0x334455},       {"SeparatorColor", 0x445566}, {"SelectedBorderColor", 0x556677},
        {"SelectedColor", 0x667788}, {"SelectedFontColor", 0x778899}, {"FontColor", 0x8899AA},
        {"BorderColor", 0x99AABB}, {"FlatMenu", true},            {"FontName", QStringLiteral("Arial")},
        {"FontSize", 11},          {"FontCharset", 0},            {"UseSystemFont", false},
        {"MenuItemHeight", 25},    {"SeparatorHeight", 7},
    };
    for (const auto& [name, value] : values) {
        ASSERT_TRUE(m->setProperty(name, value)) << name;
        EXPECT_EQ(m->property(name), value) << name;
    }
    ASSERT_TRUE(m->setProperty("OwnerDraw", false));
    EXPECT_TRUE(m->property("OwnerDraw").toBool()) << "OwnerDraw always reads true";
    EXPECT_TRUE(m->OwnerDraw());
}

TYPED_TEST(MenuLook, RemovedFileThemeFallsBackToDeepBlue)
{
    TypeParam* m = this->NewMenu();
    m->SetFileTheme(this->skin);
    m->SetUIStyle(FromThemeFile);
    ASSERT_EQ(m->Color(), this->skin->GetColor(SKIN2_MENUITEMCOLOR));
    delete this->skin;
    this->skin = nullptr;
    EXPECT_EQ(m->FileTheme(), nullptr);
    EXPECT_EQ(m->UIStyle(), DeepBlue);
    EXPECT_EQ(m->SelectedColor(), 0xA04A44);
    EXPECT_EQ(m->Color(), 0xFFFFFF);
}

// Backgrounds of normal, selected, disabled-selected and separator items, in every look, with
// the flat border switched on (a bitmap has no menu window, so it draws nothing more).
TYPED_TEST(MenuLook, ItemBackgroundsInEveryLook)
{
    TypeParam* m = this->NewMenu();
    TMenuItem* plain = this->Item(m->Items(), "");
    TMenuItem* off = this->Item(m->Items(), "");
    off->SetEnabled(false);
    TMenuItem* line = this->Item(m->Items(), "-");
    for (const TLook& look : this->Looks()) {
        SCOPED_TRACE(look.name);
        this->ApplyLook(m, look);
        m->SetFlatMenu(true);
        const TMenuColors c = ColorsOf(m);
        const TRect r = Rect(10, 5, 10 + 120, 5 + m->MenuItemHeight());
        {
            SCOPED_TRACE("normal");
            ExpectPixels(this->Draw(m, plain, r, false), BackgroundPixels(r, c, false));
        }
        {
            SCOPED_TRACE("selected");
            ExpectPixels(this->Draw(m, plain, r, true), BackgroundPixels(r, c, true));
        }
        {
            SCOPED_TRACE("disabled, selected: the normal background");
            ExpectPixels(this->Draw(m, off, r, true), BackgroundPixels(r, c, false));
        }
        {
            SCOPED_TRACE("separator");
            const TRect s = Rect(10, 5, 130, 5 + m->SeparatorHeight());
            ExpectPixels(this->Draw(m, line, s, false), SeparatorPixels(s, c));
            ExpectPixels(this->Draw(m, line, s, true), SeparatorPixels(s, c));
        }
    }
}

TYPED_TEST(MenuLook, BarWithoutWidthLeavesTheWholeItemInColor)
{
    TypeParam* m = this->NewMenu();
    TMenuItem* plain = this->Item(m->Items(), "");
    TMenuItem* line = this->Item(m->Items(), "-");
    m->SetUIStyle(Protein);
    m->SetBarWidth(0);
    const TRect r = Rect(0, 0, 100, 21);
    ExpectPixels(this->Draw(m, plain, r, false), {{0, 0, 0xFFFFFF}, {0, 20, 0xFFFFFF}, {99, 10, 0xFFFFFF}});
    ExpectPixels(this->Draw(m, line, Rect(0, 0, 100, 5), false),
                 {{0, 2, 0xFFFFFF}, {3, 2, 0xFFFFFF}, {4, 2, 0x848284}, {97, 2, 0x848284}, {98, 2, 0xFFFFFF}});
}

// Caption at L + BarWidth + 4 and shortcut text ending 16 pixels from the right, in the font
// colour of the item's state.
TYPED_TEST(MenuLook, CaptionAndShortcutTextInEveryLook)
{
    TypeParam* m = this->NewMenu();
    TMenuItem* item = this->Item(m->Items(), "IIII");
    item->SetShortCut(ShortCut('S', ssCtrl));
    TMenuItem* off = this->Item(m->Items(), "IIII");
    off->SetEnabled(false);
    for (const TLook& look : this->Looks()) {
        SCOPED_TRACE(look.name);
        this->ApplyLook(m, look);
        const TMenuColors c = ColorsOf(m);
        const TRect r = Rect(10, 5, 210, 5 + m->MenuItemHeight());
        const QImage normal = this->Draw(m, item, r, false, 230);
        const auto bg = this->NormalBackground(c, r);
        const int mid = (r.Left + r.Right) / 2;
        const auto caption = InkColumns(normal, r.Left, mid, r.Top, r.Bottom, bg);
        ASSERT_TRUE(caption.has_value());
        EXPECT_GE(caption->first, r.Left + 26 + 4);
        EXPECT_LE(caption->first, r.Left + 26 + 4 + 2);
        const auto shortcut = InkColumns(normal, mid, r.Right, r.Top, r.Bottom, bg);
        ASSERT_TRUE(shortcut.has_value());
        EXPECT_LE(shortcut->second, r.Right - 16 - 1);
        EXPECT_GE(shortcut->second, r.Right - 16 - 3);
        EXPECT_TRUE(InkTowards(normal, r.Left + 30, r.Right, r.Top, r.Bottom, bg, c.font)) << Hex(c.font);

        const QImage selected = this->Draw(m, item, r, true, 230);
        const auto selectedBg = [&](int x, int y) -> TColor {
            if (c.macOS)
                return ResourcePixel("MACOS_MENU_SELECT", 0, y - r.Top);
            return x == r.Left || x == r.Right - 1 || y == r.Top || y == r.Bottom - 1 ? c.selectedBorder : c.selected;
        };
        EXPECT_TRUE(InkTowards(selected, r.Left + 30, r.Right, r.Top, r.Bottom, selectedBg, c.selectedFont))
            << Hex(c.selectedFont);

        const QImage grey = this->Draw(m, off, r, true, 230);
        EXPECT_TRUE(InkTowards(grey, r.Left + 30, r.Right, r.Top, r.Bottom, bg, 0x808080));
        EXPECT_EQ(InkColumns(grey, r.Left, r.Right, r.Top, r.Bottom, bg)->first, caption->first)
            << "a disabled item's caption in the same place";
    }
}

TYPED_TEST(MenuLook, CheckMarkSitsAtLeftPlusFourTopPlusThree)
{
    TypeParam* m = this->NewMenu();
    TMenuItem* on = this->Item(m->Items(), "");
    on->SetChecked(true);
    TMenuItem* off = this->Item(m->Items(), "");
    off->SetChecked(true);
    off->SetEnabled(false);
    const QImage& glyph = m->CheckMarks()->ImageAt(0);
    for (const TLook& look : this->Looks()) {
        SCOPED_TRACE(look.name);
        this->ApplyLook(m, look);
        const TMenuColors c = ColorsOf(m);
        const TRect r = Rect(10, 5, 130, 5 + m->MenuItemHeight());
        const auto bg = this->NormalBackground(c, r);
        const QImage img = this->Draw(m, on, r, false);
        const QImage grey = this->Draw(m, off, r, false);
        const int x0 = r.Left + 4, y0 = r.Top + 3;
        int wrong = 0, greyWrong = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb g = glyph.pixel(x, y);
                const bool ink = qAlpha(g) != 0;
                const TColor want = ink ? QRgbToColor(g) : bg(x0 + x, y0 + y);
                wrong += PixelAt(img, x0 + x, y0 + y) != want;
                if (ink && (g & 0xFFFFFF) != 0xFFFFFF)
                    greyWrong += PixelAt(grey, x0 + x, y0 + y) != ColorToRGB(clBtnShadow);
            }
        EXPECT_EQ(wrong, 0) << "the glyph's pixels at (L + 4, T + 3), the background where it is clear";
        EXPECT_EQ(greyWrong, 0) << "a disabled item's check mark is greyed";
        EXPECT_EQ(PixelAt(img, x0 - 1, y0 + 8), bg(x0 - 1, y0 + 8));
    }
}

TYPED_TEST(MenuLook, CheckedItemWithImageShowsItOnAFramedBox)
{
    TypeParam* m = this->NewMenu();
    TImageList images(16, 16);
    TBitmap pic(16, 16);
    pic.Canvas()->Brush()->SetColor(0x00C000);
    pic.Canvas()->FillRect(Rect(0, 0, 16, 16));
    pic.Canvas()->Brush()->SetColor(clFuchsia);
    pic.Canvas()->FillRect(Rect(0, 0, 4, 4));  // a clear corner
    images.AddMasked(&pic, clFuchsia);
    m->SetImages(&images);
    TMenuItem* item = this->Item(m->Items(), "");
    item->SetImageIndex(0);
    item->SetChecked(true);
    TMenuItem* unchecked = this->Item(m->Items(), "");
    unchecked->SetImageIndex(0);
    TMenuItem* beyond = this->Item(m->Items(), "");
    beyond->SetImageIndex(1);  // past the list's end: no image, the check mark
    beyond->SetChecked(true);
    for (const TLook& look : this->Looks()) {
        SCOPED_TRACE(look.name);
        this->ApplyLook(m, look);
        const TMenuColors c = ColorsOf(m);
        const TRect r = Rect(10, 5, 130, 5 + m->MenuItemHeight());
        const int x = r.Left + 4, T = r.Top;
        ExpectPixels(this->Draw(m, item, r, false),
                     {{x - 2, T + 1, 0x000000}, {x + 16, T + 1, 0x000000}, {x - 2, T + 19, 0x000000},
                      {x + 16, T + 19, 0x000000}, {x - 1, T + 2, c.selected}, {x + 15, T + 2, c.selected},
                      {x - 1, T + 18, c.selected}, {x, T + 3, c.selected}, {x + 3, T + 6, c.selected},
                      {x + 4, T + 3, 0x00C000}, {x + 15, T + 18, 0x00C000}, {x, T + 7, 0x00C000}});
        const auto bg = this->NormalBackground(c, r);
        ExpectPixels(this->Draw(m, unchecked, r, false),
                     {{x - 2, T + 1, bg(x - 2, T + 1)}, {x, T + 3, bg(x, T + 3)}, {x + 4, T + 3, 0x00C000}});
        const QImage checkOnly = this->Draw(m, beyond, r, false);
        EXPECT_EQ(PixelAt(checkOnly, x - 2, T + 1), bg(x - 2, T + 1)) << "no box without an image";
        EXPECT_FALSE(HasColour(checkOnly, r.Left, r.Right, r.Top, r.Bottom, 0x00C000));
    }
}

TYPED_TEST(MenuLook, RightToLeftMirrorsTheItem)
{
    TLocaleGuard guard;
    SysLocale.MiddleEast = true;
    TypeParam* m = this->NewMenu();
    m->SetBiDiMode(bdRightToLeft);
    TMenuItem* plain = this->Item(m->Items(), "");
    TMenuItem* item = this->Item(m->Items(), "IIII");
    item->SetShortCut(ShortCut('S', ssCtrl));
    TMenuItem* line = this->Item(m->Items(), "-");
    TMenuItem* checked = this->Item(m->Items(), "");
    checked->SetChecked(true);
    const QImage& glyph = m->CheckMarks()->ImageAt(0);
    const TRect r = Rect(10, 5, 210, 26);
    const TRect s = Rect(10, 5, 210, 10);
    for (const TLook& look : this->Looks()) {
        if (look.style == MacOS)
            continue;  // the MacOS pieces have no side
        SCOPED_TRACE(look.name);
        this->ApplyLook(m, look);
        const TMenuColors c = ColorsOf(m);
        const auto bg = this->NormalBackground(c, r, false);
        ExpectPixels(this->Draw(m, plain, r, false, 230), BackgroundPixels(r, c, false, false));
        ExpectPixels(this->Draw(m, plain, r, true, 230), BackgroundPixels(r, c, true, false));
        ExpectPixels(this->Draw(m, line, s, false, 230), SeparatorPixels(s, c, false));

        // The check mark at (R - 20, T + 3).
        const QImage check = this->Draw(m, checked, r, false, 230);
        int wrong = 0;
        for (int y = 0; y < 16; ++y)
            for (int x = 0; x < 16; ++x) {
                const QRgb g = glyph.pixel(x, y);
                const int px = r.Right - 20 + x, py = r.Top + 3 + y;
                wrong += PixelAt(check, px, py) != (qAlpha(g) ? QRgbToColor(g) : bg(px, py));
            }
        EXPECT_EQ(wrong, 0);

        // The caption right-aligned before the bar, the shortcut left-aligned 16 pixels in.
        const QImage img = this->Draw(m, item, r, false, 230);
        const int mid = (r.Left + r.Right) / 2;
        const auto caption = InkColumns(img, mid, r.Right, r.Top, r.Bottom, bg);
        ASSERT_TRUE(caption.has_value());
        EXPECT_LE(caption->second, r.Right - 26 - 4 - 1);
        EXPECT_GE(caption->second, r.Right - 26 - 4 - 3);
        const auto shortcut = InkColumns(img, r.Left, mid, r.Top, r.Bottom, bg);
        ASSERT_TRUE(shortcut.has_value());
        EXPECT_GE(shortcut->first, r.Left + 16);
        EXPECT_LE(shortcut->first, r.Left + 16 + 2);
    }
    // A right-to-left menu on a system that is not Middle-East stays left to right.
    SysLocale.MiddleEast = false;
    m->SetUIStyle(Protein);
    ExpectPixels(this->Draw(m, line, s, false, 230), SeparatorPixels(s, ColorsOf(m), true));
    ExpectPixels(this->Draw(m, plain, r, false, 230), BackgroundPixels(r, ColorsOf(m), false, true));
}

TYPED_TEST(MenuLook, MeasuresCaptionShortcutBarAndForty)
{
    TypeParam* m = this->NewMenu();
    TMenuItem* item = this->Item(m->Items(), "&Open file");
    item->SetShortCut(ShortCut('O', ssCtrl));
    TMenuItem* bare = this->Item(m->Items(), "Wide caption only");
    TMenuItem* line = this->Item(m->Items(), "-");
    TMenuItem* def = this->Item(m->Items(), "Wide caption only");
    def->SetDefault(true);
    TBitmap probe(1, 1);
    TCanvas* pc = probe.Canvas();
    Menu_GetSystemFont(pc->Font());
    const int captionWidth = pc->TextWidth(item->Caption());
    const int shortcutWidth = pc->TextWidth(QStringLiteral("Ctrl+O"));
    const int bareWidth = pc->TextWidth(bare->Caption());
    pc->Font()->SetStyle(fsBold);
    const int boldWidth = pc->TextWidth(def->Caption());
    for (const TLook& look : this->Looks()) {
        SCOPED_TRACE(look.name);
        this->ApplyLook(m, look);
        TBitmap canvasOwner(1, 1);
        TCanvas* c = canvasOwner.Canvas();
        int w = 1, h = 1;
        m->MeasureItem(item, c, w, h);
        EXPECT_EQ(w, captionWidth + shortcutWidth + 26 + 40);
        EXPECT_EQ(h, m->MenuItemHeight());
        m->MeasureItem(bare, c, w, h);
        EXPECT_EQ(w, bareWidth + 26 + 40);
        m->MeasureItem(def, c, w, h);
        EXPECT_EQ(w, boldWidth + 26 + 40) << "the default item is measured bold";
        m->MeasureItem(line, c, w, h);
        EXPECT_EQ(h, m->SeparatorHeight());
    }
    // A large font of the menu's own: the item grows to the text's height and width.
    m->SetUIStyle(Protein);
    m->SetUseSystemFont(false);
    m->SetFontName(QStringLiteral("Arial"));
    m->SetFontSize(30);
    TBitmap big(1, 1);
    big.Canvas()->Font()->SetName(QStringLiteral("Arial"));
    big.Canvas()->Font()->SetSize(30);
    const int textHeight = big.Canvas()->TextHeight(bare->Caption());
    ASSERT_GT(textHeight, 21);
    TBitmap canvasOwner(1, 1);
    int w = 0, h = 0;
    m->MeasureItem(bare, canvasOwner.Canvas(), w, h);
    EXPECT_EQ(h, textHeight);
    EXPECT_EQ(w, big.Canvas()->TextWidth(bare->Caption()) + 26 + 40);
}

// Items present when the menu is loaded, items joining the owner, and items added to the menu
// at run time all draw through the menu; a menu that goes takes its handlers with it.
TYPED_TEST(MenuLook, ItemsDrawSkinnedFromTheirInsertion)
{
    auto* m = new TypeParam(this->form);
    TMenuItem* early = this->Item(m->Items(), "Early");
    TMenuItem* sub = this->Item(early, "Sub");
    // As the form reader leaves them: items in place, hooks not yet set.
    early->OnMeasureItem = nullptr;
    early->OnDrawItem = nullptr;
    sub->OnMeasureItem = nullptr;
    sub->OnDrawItem = nullptr;
    m->SetComponentStateBits(csLoading);
    m->Loaded();
    EXPECT_TRUE(early->OnMeasureItem);
    EXPECT_TRUE(sub->OnDrawItem);

    // An item that joins the menu's owner is hooked at once, before it is in any menu.
    auto* owned = new TMenuItem(this->form);
    EXPECT_TRUE(owned->OnMeasureItem);
    EXPECT_TRUE(owned->OnDrawItem);
    m->Items()->Add(owned);

    // An item without an owner, added while the menu is in use.
    auto* late = new TMenuItem(nullptr);
    auto* lateSub = new TMenuItem(nullptr);
    late->Add(lateSub);
    early->Add(late);
    EXPECT_TRUE(late->OnDrawItem);
    EXPECT_TRUE(lateSub->OnDrawItem);

    // The handlers are the menu's: they draw its look.
    m->SetUIStyle(Protein);
    auto sheet = Sheet(100, 21);
    late->DrawItem(sheet->Canvas(), Rect(0, 0, 100, 21), true);
    EXPECT_EQ(PixelAt(ImageOf(sheet.get()), 50, 10), 0xC4302D);

    // An item hooked through the owner but never put into this menu outlives it: the menu takes
    // its handlers off as it goes.
    auto* stray = new TMenuItem(this->form);
    ASSERT_TRUE(stray->OnDrawItem);
    delete m;
    EXPECT_FALSE(stray->OnDrawItem);
    EXPECT_FALSE(stray->OnMeasureItem);
    stray->DrawItem(sheet->Canvas(), Rect(0, 0, 10, 10), false);  // nothing to call
    delete stray;
}

TYPED_TEST(MenuLook, TheLastMenuAnItemJoinsDrawsIt)
{
    auto* a = new TypeParam(this->form);
    auto* b = new TypeParam(this->form);
    a->SetUIStyle(Protein);
    b->SetUIStyle(WinXP);
    // Created on the form both menus hear of it; put into A, it draws as A.
    auto* item = new TMenuItem(this->form);
    a->Items()->Add(item);
    auto sheet = Sheet(100, 21);
    item->DrawItem(sheet->Canvas(), Rect(0, 0, 100, 21), true);
    EXPECT_EQ(PixelAt(ImageOf(sheet.get()), 50, 10), 0xC4302D);
    delete b;
    EXPECT_TRUE(item->OnDrawItem) << "B's going leaves A's handlers alone";
    item->DrawItem(sheet->Canvas(), Rect(0, 0, 100, 21), true);
    EXPECT_EQ(PixelAt(ImageOf(sheet.get()), 50, 10), 0xC4302D);
}

TYPED_TEST(MenuLook, LoadsFromAStoredFormWithItsItemsDrawnSkinned)
{
    RegisterKivpopupmenuClasses();
    RegisterKivmainmenuClasses();
    auto* f = NewForm<TForm>(Application);
    const QByteArray cls = TypeParam::staticMetaObject.className();
    ReadComponentText(f,
                      "object F: TForm\n"
                      "  object Menu1: " + cls + "\n"
                      "    UIStyle = Protein\n"
                      "    FlatMenu = True\n"
                      "    MenuItemHeight = 24\n"
                      "    BarColor = clRed\n"
                      "    object File1: TMenuItem\n"
                      "      Caption = '&File'\n"
                      "      object Open1: TMenuItem\n"
                      "        Caption = '&Open'\n"
                      "      end\n"
                      "    end\n"
                      "  end\n"
                      "end\n",
                      QStringLiteral("menus.dfm"));
    auto* m = dynamic_cast<TypeParam*>(f->FindComponent(QStringLiteral("Menu1")));
    auto* open = dynamic_cast<TMenuItem*>(f->FindComponent(QStringLiteral("Open1")));
    ASSERT_NE(m, nullptr);
    ASSERT_NE(open, nullptr);
    EXPECT_EQ(m->UIStyle(), Protein);
    EXPECT_TRUE(m->FlatMenu());
    EXPECT_EQ(m->MenuItemHeight(), 24);
    EXPECT_EQ(m->BarColor(), clRed);
    EXPECT_EQ(m->SelectedColor(), 0xC4302D);
    EXPECT_EQ(open->GetParentMenu(), m);
    auto sheet = Sheet(100, 24);
    open->DrawItem(sheet->Canvas(), Rect(0, 0, 100, 24), false);
    EXPECT_EQ(PixelAt(ImageOf(sheet.get()), 0, 10), clRed);
    EXPECT_EQ(PixelAt(ImageOf(sheet.get()), 27, 2), 0xFFFFFF);
    delete f;
}

}  // namespace
