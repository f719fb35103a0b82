// TkivMainMenu: the heights MacOS fixes, its own check-mark list and the images it draws, the link
// to the frame that shows it (a recording stand-in for the skinned form), and a drop-down of the
// menu opened from a tool bar for real, drawn in the menu's look.
#include "MenuKit.h"
#include "framework/ToolBar.h"
#include "skin/frame/Kivmainmenu.h"

#include <QTimer>

using namespace menutest;

namespace {

constexpr int B = MenuWindowBorder;

// The skinned form frame as the menu sees it: every request is written down.
class TRecordingHost : public IkivMenuBarHost {
public:
    void UpdateMenu() override { calls.push_back("UpdateMenu"); }
    void UpdateTopMenu() override { calls.push_back("UpdateTopMenu"); }
    void RepaintMenuBar() override { calls.push_back("RepaintMenuBar"); }
    std::vector<std::string> Take()
    {
        std::vector<std::string> out;
        out.swap(calls);
        return out;
    }
    std::vector<std::string> calls;
};

using Calls = std::vector<std::string>;

class KivMainMenu : public MenuTest {
protected:
    void SetUp() override
    {
        MenuTest::SetUp();
        menu = new TkivMainMenu(form);
    }
    TkivMainMenu* menu = nullptr;
};

TEST_F(KivMainMenu, MacOSTakesItemHeightsButKeepsSeparatorHeight)
{
    menu->SetUIStyle(MacOS);
    EXPECT_EQ(menu->MenuItemHeight(), 20);
    menu->SetMenuItemHeight(30);
    menu->SetSeparatorHeight(9);
    EXPECT_EQ(menu->MenuItemHeight(), 30);
    EXPECT_EQ(menu->SeparatorHeight(), 12);
    menu->SetUIStyle(BlueGlass);
    EXPECT_EQ(menu->MenuItemHeight(), 21) << "a style change sets the style's height again";
    menu->SetSeparatorHeight(9);
    EXPECT_EQ(menu->SeparatorHeight(), 9);
}

TEST_F(KivMainMenu, FrameworkSeesTheCheckMarkListWhenTheApplicationGivesNone)
{
    const TMenu* base = menu;
    ASSERT_NE(menu->CheckMarks(), nullptr);
    EXPECT_EQ(menu->CheckMarks()->Count(), 1);
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(base->Images(), menu->CheckMarks());
    EXPECT_TRUE(base->IsOwnerDraw());
    TkivMainMenu other(nullptr);
    EXPECT_NE(other.CheckMarks(), menu->CheckMarks()) << "each main menu owns its list";

    TImageList images(16, 16);
    menu->SetImages(&images);
    EXPECT_EQ(menu->Images(), &images);
    EXPECT_EQ(base->Images(), &images);
    menu->SetImages(nullptr);
    EXPECT_EQ(menu->Images(), nullptr);
    EXPECT_EQ(base->Images(), menu->CheckMarks());
}

TEST_F(KivMainMenu, ItemImagesComeOnlyFromTheApplicationsList)
{
    TMenuItem* item = Item(menu->Items(), "");
    item->SetImageIndex(0);  // the check-mark list has an image 0, which is not an item image
    menu->SetUIStyle(Protein);
    auto sheet = Sheet(100, 21);
    menu->DrawItem(item, sheet->Canvas(), Rect(0, 0, 100, 21), false);
    const QImage plain = ImageOf(sheet.get());
    int changed = 0;
    for (int y = 0; y < 21; ++y)
        for (int x = 0; x < 26; ++x)
            changed += PixelAt(plain, x, y) != 0xCED3D6;
    EXPECT_EQ(changed, 0) << "no image drawn from the check-mark list";

    TImageList images(16, 16);
    TBitmap pic(16, 16);
    pic.Canvas()->Brush()->SetColor(0x00C000);
    pic.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images.AddMasked(&pic, clFuchsia);
    menu->SetImages(&images);
    menu->DrawItem(item, sheet->Canvas(), Rect(0, 0, 100, 21), false);
    ExpectPixels(ImageOf(sheet.get()), {{4, 3, 0x00C000}, {19, 18, 0x00C000}, {3, 3, 0xCED3D6}});
    menu->SetImages(nullptr);
}

TEST_F(KivMainMenu, TellsItsFrameWhatChanged)
{
    TRecordingHost host;
    TMenuItem* file = Item(menu->Items(), "&File");
    Item(file, "&Open");

    // Attached: the frame builds its bar, takes the captions and repaints.
    menu->SetMenuBarHost(&host);
    EXPECT_EQ(menu->MenuBarHost(), &host);
    EXPECT_EQ(host.Take(), (Calls{"UpdateMenu", "UpdateTopMenu", "RepaintMenuBar"}));

    struct Case {
        const char* what;
        std::function<void()> change;
        Calls calls;
    } cases[] = {
        {"caption", [&] { file->SetCaption(QStringLiteral("&Files")); }, {"UpdateTopMenu"}},
        {"enabled", [&] { file->SetEnabled(false); }, {"UpdateTopMenu"}},
        {"item added", [&] { Item(menu->Items(), "&Edit"); }, {"UpdateTopMenu"}},
        {"MenuAdded", [&] { menu->MenuAdded(); }, {"UpdateMenu"}},
        {"UseSystemFont", [&] { menu->SetUseSystemFont(false); }, {"RepaintMenuBar"}},
        {"UIStyle", [&] { menu->SetUIStyle(WinXP); }, {"RepaintMenuBar"}},
        {"FileTheme", [&] { menu->SetFileTheme(skin); }, {"RepaintMenuBar"}},
        {"colour", [&] { menu->SetColor(0x123456); }, {}},
        {"loaded",
         [&] {
             menu->SetComponentStateBits(csLoading);
             menu->Loaded();
         },
         {"UpdateTopMenu", "UpdateMenu"}},
        {"designing",
         [&] {
             menu->SetComponentStateBits(csDesigning);
             file->SetCaption(QStringLiteral("&File"));
             menu->ClearComponentStateBits(csDesigning);
         },
         {"UpdateTopMenu", "UpdateMenu"}},
        {"designing while loading",
         [&] {
             menu->SetComponentStateBits(csDesigning | csLoading);
             file->SetCaption(QStringLiteral("&Fil"));
             menu->ClearComponentStateBits(csDesigning | csLoading);
         },
         {"UpdateTopMenu"}},
    };
    for (const Case& c : cases) {
        c.change();
        EXPECT_EQ(host.Take(), c.calls) << c.what;
    }

    // Detached: nothing more reaches the frame.
    menu->SetMenuBarHost(nullptr);
    file->SetCaption(QStringLiteral("x"));
    menu->MenuAdded();
    menu->SetUseSystemFont(true);
    EXPECT_TRUE(host.Take().empty());
}

TEST_F(KivMainMenu, OnlyAFormOwnerHearsAboutItemChanges)
{
    TRecordingHost host;
    TComponent module(nullptr);
    auto* loose = new TkivMainMenu(&module);
    TMenuItem* item = Item(loose->Items(), "&File");
    loose->SetMenuBarHost(&host);
    host.Take();
    item->SetCaption(QStringLiteral("&Files"));
    EXPECT_TRUE(host.Take().empty()) << "the menu's owner is not a form";
    loose->MenuAdded();
    EXPECT_EQ(host.Take(), (Calls{"UpdateMenu"}));
    delete loose;
}

// The drop-down of a top-level item, opened from a tool bar as the skinned form's menu bar does,
// is the framework's menu window with the items the menu draws.
TEST_F(KivMainMenu, DropsDownFromAToolBarInTheMenusLook)
{
    TMenuItem* file = Item(menu->Items(), "&File", form);
    Item(file, "", form);
    Item(file, "-", form);
    Item(file, "", form)->SetChecked(true);
    Item(file, "A caption wide enough for any window", form);
    const int width = MeasuredWidth("A caption wide enough for any window");
    auto* bar = new TToolBar(form);
    bar->SetParent(form);
    bar->SetFlat(true);
    bar->SetShowCaptions(true);
    bar->SetAutoSize(true);
    auto* button = new TToolButton(form);
    button->SetParent(bar);
    button->SetGrouped(true);
    button->SetMenuItem(file);
    button->SetAutoSize(true);
    const QImage& glyph = menu->CheckMarks()->ImageAt(0);
    for (const TLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        ApplyLook(menu, look);
        const TMenuColors c = ColorsOf(menu);
        const int ih = menu->MenuItemHeight(), sh = menu->SeparatorHeight();
        QTimer watchdog;
        watchdog.setSingleShot(true);
        QObject::connect(&watchdog, &QTimer::timeout, [] {
            ADD_FAILURE() << "the menu was still open";
            for (QWidget* w : OpenMenuWindows())
                QTest::keyClick(w, Qt::Key_Escape);
        });
        watchdog.start(5000);
        QTimer::singleShot(0, [&] {
            ASSERT_EQ(OpenMenuWindows().size(), 1u);
            QWidget* w = OpenMenuWindows()[0];
            EXPECT_EQ(w->size(), QSize(width + 2 * B, 3 * ih + sh + 2 * B));
            const TRect r0 = Rect(B, B, B + width, B + ih);
            const TRect rs = Rect(B, r0.Bottom, B + width, r0.Bottom + sh);
            const TRect r2 = Rect(B, rs.Bottom, B + width, rs.Bottom + ih);
            QTest::keyClick(w, Qt::Key_Down);
            const QImage img = w->grab().toImage().convertToFormat(QImage::Format_RGB32);
            for (const TPixel& p : BackgroundPixels(r0, c, true)) {
                if (p.Color != kSentinel) {
                    EXPECT_EQ(Hex(PixelAt(img, p.X, p.Y)), Hex(p.Color)) << "selected (" << p.X << ", " << p.Y << ")";
                }
            }
            for (const TPixel& p : SeparatorPixels(rs, c)) {
                if (p.Color != kSentinel) {
                    EXPECT_EQ(Hex(PixelAt(img, p.X, p.Y)), Hex(p.Color)) << "separator (" << p.X << ", " << p.Y << ")";
                }
            }
            int wrong = 0;
            for (int y = 0; y < 16; ++y)
                for (int x = 0; x < 16; ++x)
                    if (qAlpha(glyph.pixel(x, y)))
                        wrong += PixelAt(img, r2.Left + 4 + x, r2.Top + 3 + y) != QRgbToColor(glyph.pixel(x, y));
            EXPECT_EQ(wrong, 0) << "the check mark of the menu's own list";
            QTest::keyClick(w, Qt::Key_Escape);
        });
        EXPECT_TRUE(bar->TrackMenu(button));
        EXPECT_TRUE(OpenMenuWindows().empty());
        EXPECT_EQ(file->Count(), 4) << "the items are back under their top-level item";
    }
}

}  // namespace
