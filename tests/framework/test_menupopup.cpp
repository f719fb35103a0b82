// The framework's menu windows: owner-drawn items measured and drawn by their handlers (pixels
// checked in grabs of the window), the plain look, keyboard navigation with real key events,
// the mouse, how a popup ends and what runs afterwards, and changes while a menu is open.
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/ImgList.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "platform/WinMessages.h"
#include "testsupport/MenuSupport.h"
#include "testsupport/TestSupport.h"

#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

constexpr int B = MenuWindowBorder;

TColor At(const QImage& img, int x, int y) { return QRgbToColor(img.pixel(x, y)); }

QImage Grab(QWidget* w) { return w->grab().toImage().convertToFormat(QImage::Format_RGB32); }

QWidget* Deepest()
{
    const auto windows = OpenMenuWindows();
    return windows.empty() ? nullptr : windows.back();
}

void Key(int key)
{
    if (QWidget* w = Deepest())
        QTest::keyClick(w, Qt::Key(key));
}

class MenuPopup : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!Application) {
            new TApplication;
            Application->Initialize();
        }
    }

    void SetUp() override
    {
        Application->MessageBoxHook = [this](const String& text, const String&, UINT) {
            messages.push_back(text);
            return IDOK;
        };
        owner = new TComponent(nullptr);
        menu = new TPopupMenu(owner);
    }

    void TearDown() override
    {
        delete owner;
        Application->MessageBoxHook = nullptr;
        QCoreApplication::processEvents();
    }

    TMenuItem* Add(TMenuItem* parent, const char* caption)
    {
        auto* item = new TMenuItem(owner);
        item->SetCaption(QString::fromUtf8(caption));
        parent->Add(item);
        item->OnClick = [this, item](TObject*) { clicks.push_back(item->Caption()); };
        return item;
    }

    // Pops the menu up and runs steps in it (PopupMenuWith). Returns after the posted item has run.
    void PopupWith(int x, int y, const std::function<void()>& steps)
    {
        testsupport::PopupMenuWith(menu, x, y, steps);
        clicksAfterPopup = clicks;
        QCoreApplication::processEvents();
    }

    // Draws every item through a recording handler: which item was drawn with which state.
    void RecordDrawing(TMenuItem* parent)
    {
        menu->SetOwnerDraw(true);
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* item = parent->Items(i);
            item->OnAdvancedDrawItem = [this](TObject* sender, TCanvas*, const TRect&, TOwnerDrawState state) {
                drawn.push_back({static_cast<TMenuItem*>(sender), state});
            };
            RecordDrawing(item);
        }
    }

    // The caption of the item a window draws selected now, or "" for none.
    QString SelectedIn(QWidget* w)
    {
        if (!w)
            return QStringLiteral("<no window>");
        drawn.clear();
        w->grab();
        for (auto& [item, state] : drawn)
            if (state & odSelected)
                return item->Caption();
        return QString();
    }

    TComponent* owner = nullptr;
    TPopupMenu* menu = nullptr;
    std::vector<QString> clicks;
    std::vector<QString> clicksAfterPopup;
    std::vector<std::pair<TMenuItem*, TOwnerDrawState>> drawn;
    std::vector<QString> messages;
};

}  // namespace

TEST_F(MenuPopup, OwnerDrawnItemsAreMeasuredAndDrawnByTheirHandlers)
{
    TMenuItem* a = Add(menu->Items(), "A");
    TMenuItem* b = Add(menu->Items(), "B");
    TMenuItem* hidden = Add(menu->Items(), "Hidden");
    hidden->SetVisible(false);
    menu->SetOwnerDraw(true);
    struct Look {
        int w, h;
        TColor fill;
    };
    const std::map<TMenuItem*, Look> looks{{a, {120, 24, 0x0000FF}}, {b, {80, 30, 0x00FF00}}};
    const TColor selectedFill = 0xFF0000, frame = 0x00FFFF, corner = 0xFF00FF;
    std::map<TMenuItem*, std::pair<int, int>> offered;
    std::map<TMenuItem*, TRect> rects;
    HWND drawnOn = nullptr;
    QWidget* window = nullptr;
    for (const auto& entry : looks) {
        TMenuItem* item = entry.first;
        const Look look = entry.second;
        item->OnMeasureItem = [&, look](TObject* sender, TCanvas* c, int& w, int& h) {
            offered[static_cast<TMenuItem*>(sender)] = {w, h};
            EXPECT_NE(WindowFromDC(c), nullptr) << "the measuring canvas belongs to the menu window";
            w = look.w;
            h = look.h;
        };
        item->OnDrawItem = [&, look](TObject* sender, TCanvas* c, const TRect& r, bool selected) {
            rects[static_cast<TMenuItem*>(sender)] = r;
            drawnOn = WindowFromDC(c);
            c->Brush()->SetColor(selected ? selectedFill : look.fill);
            c->FillRect(r);
            c->Brush()->SetColor(frame);
            c->FrameRect(r);
            if (sender == b)
                WithWindowDC(drawnOn, [&](TCanvas& wc) {
                    wc.Brush()->SetColor(corner);
                    wc.FillRect(Rect(0, 0, 2, 2));  // the window's own corner, outside every item
                });
        };
    }
    PopupWith(100, 100, [&] {
        ASSERT_EQ(OpenMenuWindows().size(), 1u);
        window = OpenMenuWindows()[0];
        // Offered the plain look's size first, then the handlers' sizes make the window.
        for (auto& [item, size] : offered) {
            EXPECT_GT(size.first, 0);
            EXPECT_GT(size.second, 0);
        }
        EXPECT_EQ(offered.count(hidden), 0u) << "hidden items are not measured";
        EXPECT_EQ(window->geometry(), QRect(100, 100, 120 + 2 * B, 24 + 30 + 2 * B));
        QImage img = Grab(window);
        EXPECT_EQ(rects[a], Rect(0, 0, 120, 24));
        EXPECT_EQ(rects[b], Rect(0, 24, 120, 54)) << "every item spans the menu's width";
        EXPECT_EQ(drawnOn, WindowHandleOf(window));
        TRect wr;
        ASSERT_TRUE(GetWindowRect(drawnOn, wr));
        EXPECT_EQ(wr, Bounds(100, 100, 120 + 2 * B, 54 + 2 * B));
        // The handlers' pixels, exactly where their rectangles are.
        EXPECT_EQ(At(img, B, B), frame);
        EXPECT_EQ(At(img, B + 1, B + 1), 0x0000FFu);
        EXPECT_EQ(At(img, B + 119, B + 23), frame);
        EXPECT_EQ(At(img, B + 118, B + 22), 0x0000FFu);
        EXPECT_EQ(At(img, B, B + 24), frame);
        EXPECT_EQ(At(img, B + 60, B + 39), 0x00FF00u);
        EXPECT_EQ(At(img, B + 119, B + 53), frame);
        EXPECT_EQ(At(img, 0, 0), corner);
        EXPECT_EQ(At(img, 1, 1), corner);
        // Selecting the first item redraws it selected.
        Key(Qt::Key_Down);
        img = Grab(window);
        EXPECT_EQ(At(img, B + 1, B + 1), selectedFill);
        EXPECT_EQ(At(img, B + 60, B + 39), 0x00FF00u);
        Key(Qt::Key_Escape);
    });
    EXPECT_TRUE(OpenMenuWindows().empty());
    EXPECT_TRUE(clicksAfterPopup.empty());
}

TEST_F(MenuPopup, TheAdvancedHandlerSeesTheItemsState)
{
    TMenuItem* plain = Add(menu->Items(), "&Plain");
    TMenuItem* off = Add(menu->Items(), "&Off");
    off->SetEnabled(false);
    TMenuItem* checked = Add(menu->Items(), "&Checked");
    checked->SetChecked(true);
    TMenuItem* def = Add(menu->Items(), "&Default");
    def->SetDefault(true);
    RecordDrawing(menu->Items());
    std::map<TMenuItem*, TOwnerDrawState> mouse, keys;
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        drawn.clear();
        w->grab();
        for (auto& [item, state] : drawn)
            mouse[item] = state;
        Key(Qt::Key_Down);
        drawn.clear();
        w->grab();
        for (auto& [item, state] : drawn)
            keys[item] = state;
        Key(Qt::Key_Escape);
    });
    EXPECT_EQ(mouse[plain], odNoAccel) << "opened with the mouse: accelerators hidden";
    EXPECT_EQ(mouse[off], odDisabled | odGrayed | odNoAccel);
    EXPECT_EQ(mouse[checked], odChecked | odNoAccel);
    EXPECT_EQ(mouse[def], odDefault | odNoAccel);
    EXPECT_EQ(keys[plain], odSelected) << "a key shows the accelerators";
    EXPECT_EQ(keys[off], odDisabled | odGrayed);
}

TEST_F(MenuPopup, KeyboardNavigation)
{
    TMenuItem* root = menu->Items();
    Add(root, "&Alpha");
    Add(root, "-");
    Add(root, "&Beta")->SetEnabled(false);
    TMenuItem* gamma = Add(root, "&Gamma");
    Add(gamma, "&One");
    Add(gamma, "&Two");
    Add(root, "&Delta");
    RecordDrawing(root);
    struct Case {
        const char* name;
        std::vector<int> keys;
        const char* chosen;    // the item that ran, or null
        size_t levels;         // windows open after the keys (when nothing was chosen)
        const char* selected;  // the item the deepest window shows selected
    } cases[] = {
        {"Down selects the first item", {Qt::Key_Down}, nullptr, 1, "&Alpha"},
        {"Down skips the separator and the disabled item", {Qt::Key_Down, Qt::Key_Down}, nullptr, 1, "&Gamma"},
        {"Down wraps around", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Down, Qt::Key_Down}, nullptr, 1, "&Alpha"},
        {"Up from nothing selects the last item", {Qt::Key_Up}, nullptr, 1, "&Delta"},
        {"Up skips back over the disabled item", {Qt::Key_Up, Qt::Key_Up, Qt::Key_Up}, nullptr, 1, "&Alpha"},
        {"End and Home", {Qt::Key_End, Qt::Key_Home}, nullptr, 1, "&Alpha"},
        {"Right opens a sub-menu on its first item", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right}, nullptr, 2, "&One"},
        {"Right on a plain item does nothing", {Qt::Key_Down, Qt::Key_Right}, nullptr, 1, "&Alpha"},
        {"Esc closes one level", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Escape}, nullptr, 1, "&Gamma"},
        {"Left closes one level", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Right, Qt::Key_Left}, nullptr, 1, "&Gamma"},
        {"Left at the top does nothing", {Qt::Key_Down, Qt::Key_Left}, nullptr, 1, "&Alpha"},
        {"Enter opens a sub-menu", {Qt::Key_Down, Qt::Key_Down, Qt::Key_Return}, nullptr, 2, "&One"},
        {"Enter runs the selected item", {Qt::Key_Down, Qt::Key_Return}, "&Alpha", 0, nullptr},
        {"Enter without a selection does nothing", {Qt::Key_Return}, nullptr, 1, ""},
        {"an accelerator runs its item", {Qt::Key_D}, "&Delta", 0, nullptr},
        {"accelerators open sub-menus and run there", {Qt::Key_G, Qt::Key_T}, "&Two", 0, nullptr},
        {"a disabled item's accelerator does nothing", {Qt::Key_B}, nullptr, 1, ""},
        {"an unknown letter does nothing", {Qt::Key_Q}, nullptr, 1, ""},
        {"Esc at the top closes the menu", {Qt::Key_Escape}, nullptr, 0, nullptr},
        {"keys after Down in a sub-menu", {Qt::Key_G, Qt::Key_Down}, nullptr, 2, "&Two"},
    };
    for (const Case& c : cases) {
        size_t levels = 0;
        QString selected;
        PopupWith(100, 100, [&] {
            for (int k : c.keys)
                Key(k);
            levels = OpenMenuWindows().size();
            if (levels)
                selected = SelectedIn(Deepest());
            while (Deepest())
                Key(Qt::Key_Escape);
        });
        EXPECT_EQ(levels, c.levels) << c.name;
        if (c.selected) {
            EXPECT_EQ(selected, QString::fromUtf8(c.selected)) << c.name;
        }
        if (c.chosen) {
            ASSERT_EQ(clicks.size(), clicksAfterPopup.size() + 1) << c.name;
            EXPECT_EQ(clicks.back(), QString::fromUtf8(c.chosen)) << c.name;
        } else {
            EXPECT_EQ(clicks.size(), clicksAfterPopup.size()) << c.name << ": nothing runs";
        }
        clicks.clear();
    }
}

TEST_F(MenuPopup, AutomaticAndManualAccelerators)
{
    TMenuItem* root = menu->Items();
    Add(root, "&Save");
    Add(root, "Search");  // S is taken: automatic E
    Add(root, "Quit");    // automatic Q
    for (TMenuAutoFlag flag : {maAutomatic, maManual}) {
        menu->SetAutoHotkeys(flag);
        for (int key : {Qt::Key_E, Qt::Key_Q}) {
            clicks.clear();
            PopupWith(100, 100, [&] {
                Key(key);
                while (Deepest())
                    Key(Qt::Key_Escape);
            });
            if (flag == maAutomatic) {
                ASSERT_EQ(clicks.size(), 1u) << key;
                EXPECT_EQ(clicks[0], key == Qt::Key_E ? QStringLiteral("Search") : QStringLiteral("Quit"));
            } else {
                EXPECT_TRUE(clicks.empty()) << "maManual invents no accelerators";
            }
        }
    }
    EXPECT_EQ(root->Items(1)->Caption(), QStringLiteral("Search")) << "captions are left as they are";
}

TEST_F(MenuPopup, ThePlainLook)
{
    TMenuItem* root = menu->Items();
    Add(root, "&Normal");
    Add(root, "&Checked")->SetChecked(true);
    TMenuItem* radio = Add(root, "&Radio");
    radio->SetRadioItem(true);
    radio->SetChecked(true);
    Add(root, "-");
    TMenuItem* sub = Add(root, "&Sub");
    Add(sub, "Inner");
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        Key(Qt::Key_Down);
        const QImage img = Grab(w);
        // Item heights are equal; find them from the window's height.
        const int itemH = (w->height() - 2 * B - 8) / 4;
        const int gutter = 20;
        auto mid = [&](int index) { return B + index * itemH + itemH / 2; };
        EXPECT_EQ(At(img, B + 1, mid(0)), ColorToRGB(clHighlight)) << "the selected item";
        EXPECT_EQ(At(img, B + 1, mid(1)), ColorToRGB(clMenu));
        // The check mark passes through (gutter/2 - 1, middle + 1); the radio dot fills its centre.
        EXPECT_EQ(At(img, B + gutter / 2 - 1, mid(1) + 1), ColorToRGB(clMenuText));
        EXPECT_EQ(At(img, B + gutter / 2, mid(2)), ColorToRGB(clMenuText));
        EXPECT_EQ(At(img, B + gutter / 2, mid(0)), ColorToRGB(clHighlight)) << "no mark on an unchecked item";
        // The separator: a shadow line over a light one across the item.
        const int sepTop = B + 3 * itemH;
        EXPECT_EQ(At(img, B + 5, sepTop + 3), ColorToRGB(clBtnShadow));
        EXPECT_EQ(At(img, B + 5, sepTop + 4), ColorToRGB(clBtnHighlight));
        // The sub-menu arrow at the right of its item.
        const int subMid = sepTop + 8 + itemH / 2;
        EXPECT_EQ(At(img, w->width() - B - 12 + 1, subMid), ColorToRGB(clMenuText));
        // The window's frame.
        EXPECT_EQ(At(img, 0, 0), ColorToRGB(clBtnFace));
        EXPECT_EQ(At(img, w->width() - 1, w->height() - 1), ColorToRGB(cl3DDkShadow));
        EXPECT_EQ(At(img, 1, 1), ColorToRGB(clBtnHighlight));
        Key(Qt::Key_Escape);
    });
}

TEST_F(MenuPopup, ItemImagesComeFromTheMenusListGreyedWhenDisabled)
{
    TImageList images(16, 16);
    TBitmap red(16, 16);
    red.Canvas()->Brush()->SetColor(0x0000FF);
    red.Canvas()->FillRect(Rect(0, 0, 16, 16));
    images.Add(&red, nullptr);
    menu->SetImages(&images);
    TMenuItem* on = Add(menu->Items(), "On");
    on->SetImageIndex(0);
    TMenuItem* off = Add(menu->Items(), "Off");
    off->SetImageIndex(0);
    off->SetEnabled(false);
    TMenuItem* beyond = Add(menu->Items(), "Beyond");
    beyond->SetImageIndex(5);
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        const QImage img = Grab(w);
        const int itemH = (w->height() - 2 * B) / 3;
        const int gutter = 16 + 8;
        const int x = B + (gutter - 16) / 2 + 8;
        auto mid = [&](int index) { return B + index * itemH + itemH / 2; };
        EXPECT_EQ(At(img, x, mid(0)), 0x0000FFu) << "the image";
        EXPECT_NE(At(img, x, mid(1)), 0x0000FFu) << "greyed when disabled";
        EXPECT_EQ(At(img, x, mid(2)), ColorToRGB(clMenu)) << "an index beyond the list draws nothing";
        Key(Qt::Key_Escape);
    });
}

TEST_F(MenuPopup, TheMouse)
{
    TMenuItem* root = menu->Items();
    Add(root, "&Alpha");
    Add(root, "-");
    Add(root, "&Off")->SetEnabled(false);
    TMenuItem* gamma = Add(root, "&Gamma");
    Add(gamma, "&One");
    Add(gamma, "&Two");
    RecordDrawing(root);
    // Item rectangles from the drawing: the handlers record them.
    std::map<QString, TRect> rects;
    std::function<void(TMenuItem*)> hook = [&](TMenuItem* parent) {
        for (int i = 0; i < parent->Count(); ++i) {
            TMenuItem* item = parent->Items(i);
            item->OnDrawItem = [&rects, item](TObject*, TCanvas*, const TRect& r, bool) { rects[item->Caption()] = r; };
            hook(item);
        }
    };
    hook(root);
    auto pos = [&](const char* caption) {
        const TRect r = rects[QString::fromUtf8(caption)];
        return QPoint(B + (r.Left + r.Right) / 2, B + (r.Top + r.Bottom) / 2);
    };

    // Hovering selects, a sub-menu opens after resting on its item (running the item's OnClick),
    // and a click runs an item of the sub-menu.
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        w->grab();
        QTest::mouseMove(w, pos("&Alpha"));
        EXPECT_EQ(SelectedIn(w), QStringLiteral("&Alpha"));
        QTest::mouseMove(w, pos("&Off"));
        EXPECT_EQ(SelectedIn(w), QStringLiteral("&Off")) << "the pointer selects disabled items too";
        QTest::mouseMove(w, pos("&Gamma"));
        ASSERT_TRUE(WaitFor([] { return OpenMenuWindows().size() == 2; }, std::chrono::seconds(2)));
        EXPECT_EQ(clicks, std::vector<QString>{QStringLiteral("&Gamma")}) << "OnClick as the sub-menu opens";
        QWidget* sub = Deepest();
        sub->grab();
        EXPECT_EQ(sub->x(), w->geometry().right() + 1 - B) << "the sub-menu opens at the right";
        QTest::mouseClick(sub, Qt::LeftButton, {}, pos("&Two"));
    });
    EXPECT_EQ(clicks.back(), QStringLiteral("&Two"));
    EXPECT_EQ(clicks.size(), clicksAfterPopup.size() + 1) << "the chosen item runs after Popup returned";

    // Clicks on a disabled item and on a separator leave the menu open; a click outside closes it.
    clicks.clear();
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        // A release without a press in the menu ends the press that opened it: nothing runs.
        QTest::mouseRelease(w, Qt::LeftButton, {}, pos("&Alpha"));
        EXPECT_EQ(OpenMenuWindows().size(), 1u);
        QTest::mouseClick(w, Qt::LeftButton, {}, pos("&Off"));
        EXPECT_EQ(OpenMenuWindows().size(), 1u);
        QTest::mouseClick(w, Qt::LeftButton, {}, pos("-"));
        EXPECT_EQ(OpenMenuWindows().size(), 1u);
        QTest::mouseClick(w, Qt::LeftButton, {}, QPoint(-30, -30));
        EXPECT_TRUE(OpenMenuWindows().empty());
    });
    EXPECT_TRUE(clicks.empty());

    // TrackButton tbLeftButton: the right button chooses nothing.
    menu->SetTrackButton(tbLeftButton);
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        QTest::mouseClick(w, Qt::RightButton, {}, pos("&Alpha"));
        EXPECT_EQ(OpenMenuWindows().size(), 1u);
        QTest::mouseClick(w, Qt::LeftButton, {}, pos("&Alpha"));
    });
    EXPECT_EQ(clicks, std::vector<QString>{QStringLiteral("&Alpha")});
}

TEST_F(MenuPopup, PopupEventsPlacementAndClosing)
{
    Add(menu->Items(), "Item");
    std::vector<std::string> order;
    menu->OnPopup = [&](TObject* sender) {
        EXPECT_EQ(sender, menu);
        EXPECT_TRUE(OpenMenuWindows().empty()) << "OnPopup runs before the menu shows";
        order.push_back("popup");
    };
    menu->OnClose = [&](TObject*) { order.push_back("close"); };
    PopupWith(120, 110, [&] {
        order.push_back("open");
        EXPECT_TRUE(menu->IsTracking());
        EXPECT_EQ(menu->PopupPoint(), (TPoint{120, 110}));
        menu->CloseMenu();
    });
    EXPECT_EQ(order, (std::vector<std::string>{"popup", "open", "close"}));
    EXPECT_FALSE(menu->IsTracking());

    // The component the menu was popped up for is forgotten when it goes away.
    auto* target = new TComponent(nullptr);
    menu->SetPopupComponent(target);
    EXPECT_EQ(menu->PopupComponent(), target);
    delete target;
    EXPECT_EQ(menu->PopupComponent(), nullptr);

    // Alignment places the given corner; a menu that does not fit opens to the other side.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    struct Case {
        TPopupAlignment align;
        int x, y;
        std::function<void(const QRect&)> check;
    } cases[] = {
        {paLeft, 200, 150, [](const QRect& g) { EXPECT_EQ(g.topLeft(), QPoint(200, 150)); }},
        {paRight, 200, 150, [](const QRect& g) { EXPECT_EQ(g.right() + 1, 200); }},
        {paCenter, 200, 150, [](const QRect& g) { EXPECT_LE(std::abs(g.center().x() - 200), 1); }},
        {paLeft, screen.right() - 2, screen.bottom() - 2,
         [screen](const QRect& g) {
             EXPECT_EQ(g.right() + 1, screen.right() - 2) << "flipped to the left of the point";
             EXPECT_EQ(g.bottom() + 1, screen.bottom() - 2) << "and above it";
         }},
    };
    for (const Case& c : cases) {
        menu->SetAlignment(c.align);
        QRect g;
        PopupWith(c.x, c.y, [&] {
            ASSERT_NE(Deepest(), nullptr);
            g = Deepest()->geometry();
            Key(Qt::Key_Escape);
        });
        c.check(g);
    }

    // One menu at a time: another Popup while this one is open returns at once, firing nothing.
    TPopupMenu other(owner);
    Add(other.Items(), "Other");
    int otherPopups = 0;
    other.OnPopup = [&](TObject*) { ++otherPopups; };
    menu->SetAlignment(paLeft);
    PopupWith(100, 100, [&] {
        other.Popup(10, 10);
        EXPECT_EQ(otherPopups, 0);
        EXPECT_EQ(OpenMenuWindows().size(), 1u);
        Key(Qt::Key_Escape);
    });

    // An empty menu (or one with only hidden items) shows nothing and returns.
    TPopupMenu empty(owner);
    Add(empty.Items(), "Hidden")->SetVisible(false);
    empty.Popup(100, 100);
    EXPECT_TRUE(OpenMenuWindows().empty());
}

TEST_F(MenuPopup, TheChosenItemRunsAfterPopupReturns)
{
    TMenuItem* item = Add(menu->Items(), "&Go");
    item->SetAutoCheck(true);
    bool checkedInClick = false;
    item->OnClick = [&](TObject*) {
        checkedInClick = item->Checked();
        EXPECT_TRUE(OpenMenuWindows().empty()) << "the menu has closed";
        clicks.push_back(item->Caption());
    };
    QTimer::singleShot(0, [] { Key(Qt::Key_G); });
    menu->Popup(100, 100);
    EXPECT_TRUE(clicks.empty()) << "nothing has run when Popup returns";
    EXPECT_FALSE(item->Checked());
    ASSERT_TRUE(WaitFor([&] { return !clicks.empty(); }));
    EXPECT_TRUE(checkedInClick) << "AutoCheck before OnClick";
    EXPECT_TRUE(item->Checked());

    // An item freed before its turn does not run.
    clicks.clear();
    QTimer::singleShot(0, [] { Key(Qt::Key_G); });
    menu->Popup(100, 100);
    delete item;
    QCoreApplication::processEvents();
    EXPECT_TRUE(clicks.empty());
}

TEST_F(MenuPopup, ChangesWhileTheMenuIsOpen)
{
    TMenuItem* root = menu->Items();
    Add(root, "&Alpha");
    TMenuItem* gamma = Add(root, "&Gamma");
    Add(gamma, "&One");
    PopupWith(100, 100, [&] {
        QWidget* w = Deepest();
        ASSERT_NE(w, nullptr);
        const int h = w->height();
        Add(root, "A&dded");
        ASSERT_TRUE(WaitFor([&] { return w->height() > h; })) << "the window grows with a new item";
        Key(Qt::Key_G);
        ASSERT_EQ(OpenMenuWindows().size(), 2u);
        delete gamma;  // the item whose sub-menu is open
        ASSERT_TRUE(WaitFor([] { return OpenMenuWindows().size() == 1; }));
        EXPECT_EQ(SelectedIn(Deepest()), QString());
        Key(Qt::Key_D);
    });
    EXPECT_EQ(clicks.back(), QStringLiteral("A&dded"));
}

TEST_F(MenuPopup, FreeingTheMenuWhileItIsOpen)
{
    Add(menu->Items(), "&Alpha");
    QPointer<TPopupMenu> guard(menu);
    QTimer::singleShot(0, [this] { delete menu; });
    menu->Popup(100, 100);
    EXPECT_TRUE(guard.isNull());
    EXPECT_TRUE(OpenMenuWindows().empty());
    menu = nullptr;
}

TEST_F(MenuPopup, AHandlerErrorIsReportedAndTheMenuCarriesOn)
{
    TMenuItem* bad = Add(menu->Items(), "&Bad");
    Add(menu->Items(), "&Good");
    menu->SetOwnerDraw(true);
    bad->OnDrawItem = [](TObject*, TCanvas*, const TRect&, bool) { throw Exception(QStringLiteral("Cannot draw")); };
    PopupWith(100, 100, [&] {
        ASSERT_NE(Deepest(), nullptr);
        Deepest()->grab();
        Key(Qt::Key_G);
    });
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], QStringLiteral("Cannot draw."));
    EXPECT_EQ(clicks.back(), QStringLiteral("&Good"));
}

TEST_F(MenuPopup, TheFocusedControlKeepsTheFocus)
{
    auto* form = NewForm<TForm>(Application);
    form->SetBounds(300, 300, 200, 100);
    auto* edit = new TEdit(form);
    edit->SetParent(form);
    int enters = 0, exits = 0;
    form->Show();
    form->BringToFrontWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
    edit->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return edit->Focused(); }));
    edit->OnEnter = [&](TObject*) { ++enters; };
    edit->OnExit = [&](TObject*) { ++exits; };

    Add(menu->Items(), "&Alpha");
    PopupWith(100, 100, [&] { Key(Qt::Key_Escape); });
    QCoreApplication::processEvents();
    EXPECT_EQ(exits, 0) << "opening a menu is no reason to validate and leave the edit";
    EXPECT_EQ(enters, 0);
    EXPECT_TRUE(edit->Focused());
    delete form;
}
