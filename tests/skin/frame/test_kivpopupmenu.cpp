// TkivPopupMenu: the heights MacOS fixes, the check-mark list all popup menus share, owner drawing
// switched on for the framework, and the menu popped up for real: the framework's menu window
// shows the skinned items in every look, and the flat border around them.
#include "MenuKit.h"
#include "skin/frame/Kivpopupmenu.h"
#include "testsupport/MenuSupport.h"

using namespace menutest;

namespace {

constexpr int B = MenuWindowBorder;

// The pixels of a table that are inside the menu window (the sentinel ones are not).
std::vector<TPixel> Inside(const std::vector<TPixel>& px)
{
    std::vector<TPixel> out;
    for (const TPixel& p : px)
        if (p.Color != kSentinel)
            out.push_back(p);
    return out;
}

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

class KivPopupMenu : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        menu = new TkivPopupMenu(form);
    }

    // Pops the menu up and runs steps in it (PopupMenuWith).
    void PopupWith(int x, int y, const std::function<void()>& steps)
    {
        testsupport::PopupMenuWith(menu, x, y, steps);
        QCoreApplication::processEvents();
    }

    static void Key(int key)
    {
        const auto windows = OpenMenuWindows();
        if (!windows.empty())
            QTest::keyClick(windows.back(), Qt::Key(key));
    }

    TkivPopupMenu* menu = nullptr;
};

TEST_F(KivPopupMenu, MacOSKeepsItsHeights)
{
    menu->SetUIStyle(MacOS);
    menu->SetMenuItemHeight(30);
    menu->SetSeparatorHeight(9);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    EXPECT_EQ(menu->SeparatorHeight(), 12);
    for (TkivUIStyle s : {WinXP, DeepBlue, Protein, BlueGlass}) {
        menu->SetUIStyle(s);
        menu->SetMenuItemHeight(30);
        menu->SetSeparatorHeight(9);
        EXPECT_EQ(menu->MenuItemHeight(), 30) << StyleName(s);
        EXPECT_EQ(menu->SeparatorHeight(), 9) << StyleName(s);
    }
    // The sample skin is not MacOS either.
    menu->SetFileTheme(skin);
    menu->SetUIStyle(FromThemeFile);
    menu->SetMenuItemHeight(24);
    EXPECT_EQ(menu->MenuItemHeight(), 24);
}

TEST_F(KivPopupMenu, OwnerDrawingIsOnAndTheCheckMarkListIsShared)
{
    const TMenu* base = menu;
    EXPECT_TRUE(base->OwnerDraw()) << "the framework draws every item through the menu";
    EXPECT_TRUE(base->IsOwnerDraw());
    menu->SetOwnerDraw(false);
    EXPECT_TRUE(base->OwnerDraw());
    EXPECT_EQ(menu->Images(), nullptr) << "no item images until the application gives a list";
    TkivPopupMenu other(nullptr);
    EXPECT_EQ(TkivPopupMenu::CheckMarks(), TkivPopupMenu::CheckMarks());
    ASSERT_NE(TkivPopupMenu::CheckMarks(), nullptr);
    EXPECT_EQ(TkivPopupMenu::CheckMarks()->Count(), 1);
}

// The real thing: the framework's menu window, measured and drawn through the menu.
TEST_F(KivPopupMenu, PopsUpWithSkinnedItemsInEveryLook)
{
    Item(menu->Items(), "");
    Item(menu->Items(), "-");
    TMenuItem* checked = Item(menu->Items(), "");
    checked->SetChecked(true);
    TMenuItem* off = Item(menu->Items(), "");
    off->SetEnabled(false);
    // The widest item gives every item its width (the separator measures its "-" as a caption);
    // its own pixels are not looked at.
    Item(menu->Items(), "A caption wide enough for any window");
    const int width = MeasuredWidth("A caption wide enough for any window");
    const QImage& glyph = TkivPopupMenu::CheckMarks()->ImageAt(0);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        ApplyLook(menu, look);
        const TMenuColors c = ColorsOf(menu);
        const int ih = menu->MenuItemHeight(), sh = menu->SeparatorHeight();
        PopupWith(100, 100, [&] {
            ASSERT_EQ(OpenMenuWindows().size(), 1u);
            QWidget* w = OpenMenuWindows()[0];
            EXPECT_EQ(w->size(), QSize(width + 2 * B, 4 * ih + sh + 2 * B));
            QImage img = Grab(w);
            const TRect r0 = Rect(B, B, B + width, B + ih);
            const TRect rs = Rect(B, r0.Bottom, B + width, r0.Bottom + sh);
            const TRect r2 = Rect(B, rs.Bottom, B + width, rs.Bottom + ih);
            const TRect r3 = Rect(B, r2.Bottom, B + width, r2.Bottom + ih);
            ExpectPixels(img, Inside(BackgroundPixels(r0, c, false)));
            ExpectPixels(img, Inside(SeparatorPixels(rs, c)));
            ExpectPixels(img, Inside(BackgroundPixels(r3, c, false)));
            int wrong = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (qAlpha(glyph.pixel(x, y)))
                        wrong += PixelAt(img, r2.Left + 4 + x, r2.Top + 3 + y) != QRgbToColor(glyph.pixel(x, y));
            EXPECT_EQ(wrong, 0) << "the check mark at (L + 4, T + 3) of the third item";
            // Selecting the first item redraws it in the selection look.
            Key(Qt::Key_Down);
            img = Grab(w);
            ExpectPixels(img, Inside(BackgroundPixels(r0, c, true)));
            ExpectPixels(img, Inside(BackgroundPixels(r3, c, false)));
            Key(Qt::Key_Escape);
        });
        EXPECT_TRUE(OpenMenuWindows().empty());
    }
}

// FlatMenu: the window gets a flat border: the outer frame one row down in black, a white frame
// inside it, and the line colour along the top, the right and the bottom.
TEST_F(KivPopupMenu, FlatMenuDrawsTheWindowsBorder)
{
    Item(menu->Items(), "");
    Item(menu->Items(), "");
    menu->SetFlatMenu(true);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        ApplyLook(menu, look);
        const TColor line = look.theme ? look.theme->GetColor(SKIN2_FORMCOLOR)
                                       : GetInsideThemeColor(look.style, KIV_THEME_FORM_BACKGROUND_COLOR);
        PopupWith(100, 100, [&] {
            ASSERT_EQ(OpenMenuWindows().size(), 1u);
            QWidget* w = OpenMenuWindows()[0];
            const int W = w->width(), H = w->height();
            const QImage img = Grab(w);
            ExpectPixels(img, {
                                  // the line: top row from x = 1, the right column, the bottom row
                                  {1, 0, line},
                                  {W / 2, 0, line},
                                  {W - 1, 0, line},
                                  {W - 1, H / 2, line},
                                  {W - 1, H - 1, line},
                                  {0, H - 1, line},
                                  {W / 2, H - 1, line},
                                  // the outer frame (0, 1, W - 1, H - 1)
                                  {0, 1, 0x000000},
                                  {W / 2, 1, 0x000000},
                                  {W - 2, 1, 0x000000},
                                  {0, H / 2, 0x000000},
                                  {W - 2, H / 2, 0x000000},
                                  {W / 2, H - 2, 0x000000},
                                  // the white frame (1, 2, W - 2, H - 2)
                                  {1, 2, 0xFFFFFF},
                                  {W / 2, 2, 0xFFFFFF},
                                  {W - 3, 2, 0xFFFFFF},
                                  {1, H / 2, 0xFFFFFF},
                                  {W - 3, H / 2, 0xFFFFFF},
                                  {W / 2, H - 3, 0xFFFFFF},
                              });
            Key(Qt::Key_Escape);
        });
    }
}

TEST_F(KivPopupMenu, ItemImagesComeFromTheApplicationsList)
{
    TImageList images(16, 16);
    TBitmap pic(16, 16);
    pic.Canvas()->Brush()->SetColor(0x00C000);
    pic.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images.AddMasked(&pic, clFuchsia);
    TMenuItem* item = Item(menu->Items(), "");
    item->SetImageIndex(0);
    menu->SetUIStyle(Protein);
    auto sheet = Sheet(100, 21);
    menu->DrawItem(item, sheet->Canvas(), Rect(0, 0, 100, 21), false);
    EXPECT_EQ(PixelAt(ImageOf(sheet.get()), 4 + 8, 3 + 8), 0xCED3D6) << "no list: no image";
    menu->SetImages(&images);
    menu->DrawItem(item, sheet->Canvas(), Rect(0, 0, 100, 21), false);
    ExpectPixels(ImageOf(sheet.get()), {{4, 3, 0x00C000}, {19, 18, 0x00C000}, {3, 3, 0xCED3D6}, {20, 18, 0xCED3D6}});
    menu->SetImages(nullptr);
}

}  // namespace
