// The tool bar: layout of its buttons, custom drawing and its draw states, and buttons made from
// a main menu's top-level items that drop their sub-menus down (real clicks, hot-switching
// between dropped menus, Left/Right, accelerators).
#include "framework/FormReader.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/Menus.h"
#include "framework/StdCtrls.h"
#include "framework/ToolBar.h"
#include "testsupport/TestSupport.h"

#include <QApplication>
#include <QPointer>
#include <QTest>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <gtest/gtest.h>
#include <map>

using testsupport::WaitFor;

namespace {

TColor At(const QImage& img, int x, int y) { return QRgbToColor(img.pixel(x, y)); }

// A bar that records the popup menus it is told of, as a skinned menu bar hooks them.
class TRecordingBar : public TToolBar {
public:
    using TToolBar::TToolBar;
    int popupInserts = 0;
    int popups = 0;

protected:
    void Notification(TComponent* AComponent, TOperation Operation) override
    {
        TToolBar::Notification(AComponent, Operation);
        auto* popup = dynamic_cast<TPopupMenu*>(AComponent);
        if (Operation == opInsert && popup && popup->Owner() == this) {
            ++popupInserts;
            popup->OnPopup = [this, popup](TObject* sender) {
                EXPECT_EQ(sender, popup);
                popup->SetAutoHotkeys(maManual);
                ++popups;
            };
        }
    }
};

class ToolBar : public ::testing::Test {
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
        form = NewForm<TForm>(Application);
        form->SetBounds(40, 40, 400, 200);
        menu = new TMainMenu(form);
        file = Item(menu->Items(), "&File");
        Item(file, "&Open");
        Item(file, "&Save");
        Item(file, "-");
        Item(file, "E&xit");
        edit = Item(menu->Items(), "&Edit");
        Item(edit, "Cu&t");
        Item(edit, "&Copy");
        view = Item(menu->Items(), "&View");
        Item(view, "&Zoom");
        view->SetEnabled(false);
        help = Item(menu->Items(), "&Help");  // no sub-items: a plain button
        bar = new TRecordingBar(form);
        bar->SetParent(form);
        bar->SetFlat(true);
        bar->SetEdgeBorders(0);
        bar->SetShowCaptions(true);
        bar->SetHeight(22);
        bar->SetWrapable(true);
        bar->SetAutoSize(true);
        // As a form's menu bar makes them: from the last item to the first, each going first.
        for (int i = menu->Items()->Count() - 1; i >= 0; --i) {
            auto* b = new TToolButton(form);
            b->SetParent(bar);
            b->SetGrouped(true);
            b->SetMenuItem(menu->Items()->Items(i));
            b->SetAutoSize(true);
        }
        bar->OnCustomDrawButton = [this](TToolBar* sender, TToolButton* b, TCustomDrawState state, bool&) {
            EXPECT_EQ(sender, bar);
            states[b->Caption()] = state;
        };
        for (int i = 0; i < bar->ButtonCount(); ++i)
            buttons[bar->Buttons(i)->Caption()] = bar->Buttons(i);
        form->Show();
    }

    void TearDown() override
    {
        delete form;
        QCoreApplication::processEvents();
    }

    TMenuItem* Item(TMenuItem* parent, const char* caption)
    {
        auto* item = new TMenuItem(form);
        item->SetCaption(QString::fromUtf8(caption));
        parent->Add(item);
        item->OnClick = [this, item](TObject*) { clicks.push_back(item->Caption()); };
        return item;
    }

    QPoint Center(const char* caption) const
    {
        const TToolButton* b = buttons.at(QString::fromUtf8(caption));
        return QPoint(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
    }

    // The states the buttons are drawn in now.
    std::map<QString, TCustomDrawState> Draw()
    {
        states.clear();
        bar->Widget()->grab();
        return states;
    }

    // Captions of the items in the open menu's top window (through the dropped popup menu).
    static std::vector<QString> OpenCaptions(TToolBar* bar)
    {
        std::vector<QString> out;
        for (int i = 0; i < bar->ComponentCount(); ++i)
            if (auto* popup = dynamic_cast<TPopupMenu*>(bar->Components(i)))
                for (int k = 0; k < popup->Items()->Count(); ++k)
                    out.push_back(popup->Items()->Items(k)->Caption());
        return out;
    }

    // Runs steps from the event loop (one after the other, each from the loop the previous left
    // running), with a watchdog that closes any menu left open.
    void Steps(std::vector<std::function<void()>> steps)
    {
        auto queue = std::make_shared<std::vector<std::function<void()>>>(std::move(steps));
        auto next = std::make_shared<std::function<void()>>();
        *next = [queue, next] {
            if (queue->empty())
                return;
            auto step = queue->front();
            queue->erase(queue->begin());
            step();
            QTimer::singleShot(0, [next] { (*next)(); });
        };
        QTimer::singleShot(0, [next] { (*next)(); });
    }

    void Watchdog(QTimer& timer)
    {
        timer.setSingleShot(true);
        QObject::connect(&timer, &QTimer::timeout, [] {
            ADD_FAILURE() << "a menu was still open";
            for (QWidget* w : OpenMenuWindows())
                QTest::keyClick(w, Qt::Key_Escape);
        });
        timer.start(5000);
    }

    static void Key(int key)
    {
        const auto windows = OpenMenuWindows();
        if (!windows.empty())
            QTest::keyClick(windows.back(), Qt::Key(key));
    }

    TForm* form = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *edit = nullptr, *view = nullptr, *help = nullptr;
    TRecordingBar* bar = nullptr;
    std::map<QString, TToolButton*> buttons;
    std::map<QString, TCustomDrawState> states;
    std::vector<QString> clicks;
};

}  // namespace

TEST_F(ToolBar, ButtonsFromAMenuLineUpInOrder)
{
    ASSERT_EQ(bar->ButtonCount(), 4);
    const char* order[] = {"&File", "&Edit", "&View", "&Help"};
    TBitmap probe(1, 1);
    probe.Canvas()->SetFont(bar->Font());
    int x = 0;
    for (int i = 0; i < 4; ++i) {
        TToolButton* b = bar->Buttons(i);
        EXPECT_EQ(b->Caption(), QString::fromUtf8(order[i]));
        EXPECT_EQ(b->Index(), i);
        EXPECT_EQ(b->Toolbar(), bar);
        EXPECT_EQ(b->Left(), x) << order[i];
        EXPECT_EQ(b->Top(), 0);
        EXPECT_EQ(b->Width(), probe.Canvas()->TextWidth(StripHotkey(b->Caption())) + 14) << "AutoSize: the caption";
        EXPECT_EQ(b->Height(), 22);
        x += b->Width();
    }
    EXPECT_FALSE(buttons["&View"]->Enabled()) << "the item's Enabled";
    EXPECT_EQ(bar->Height(), 22) << "AutoSize: one row";
    EXPECT_EQ(bar->Width(), form->ClientWidth()) << "aligned to the top";

    // Changing a button's height changes the bar's button height, and the bar follows.
    buttons["&Edit"]->SetHeight(30);
    EXPECT_EQ(bar->ButtonHeight(), 30);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(bar->Buttons(i)->Height(), 30);
    EXPECT_EQ(bar->Height(), 30);

    // Wrapping: a narrow bar puts the buttons in rows.
    bar->SetAlign(alNone);
    bar->SetWidth(buttons["&File"]->Width() + buttons["&Edit"]->Width() + buttons["&View"]->Width() - 1);
    EXPECT_EQ(buttons["&View"]->Left(), 0);
    EXPECT_EQ(buttons["&View"]->Top(), 30);
    EXPECT_EQ(bar->Height(), 60);
    bar->SetWrapable(false);
    EXPECT_EQ(buttons["&View"]->Top(), 0);
    EXPECT_EQ(bar->Height(), 30);
    buttons["&File"]->SetWrap(true);
    EXPECT_EQ(buttons["&Edit"]->Left(), 0);
    EXPECT_EQ(buttons["&Edit"]->Top(), 30);

    // A hidden button takes no room; a separator keeps its own width.
    buttons["&File"]->SetWrap(false);
    buttons["&Edit"]->SetVisible(false);
    EXPECT_EQ(buttons["&View"]->Left(), buttons["&File"]->Width());
    auto* sep = new TToolButton(form);
    sep->SetStyle(tbsSeparator);
    sep->SetLeft(10000);  // after the others
    sep->SetParent(bar);
    EXPECT_EQ(bar->Buttons(bar->ButtonCount() - 1), sep);
    EXPECT_EQ(sep->Width(), 8);
    sep->SetWidth(12);
    EXPECT_EQ(sep->Width(), 12);
    EXPECT_EQ(bar->ButtonHeight(), 30) << "a separator's width is its own";
    delete sep;
    EXPECT_EQ(bar->ButtonCount(), 4);
}

TEST_F(ToolBar, CustomDrawingAndThePlainLook)
{
    // OnCustomDraw gets the client rectangle after the background; OnCustomDrawButton draws a
    // button alone when it keeps the framework from drawing.
    TRect barRect;
    bar->OnCustomDraw = [&](TToolBar*, const TRect& r, bool&) { barRect = r; };
    bar->OnCustomDrawButton = [&](TToolBar* sender, TToolButton* b, TCustomDrawState state, bool& defaultDraw) {
        states[b->Caption()] = state;
        if (b->Caption() == QStringLiteral("&Edit")) {
            sender->Canvas()->Brush()->SetColor(0x00FF00);
            sender->Canvas()->FillRect(b->BoundsRect());
            EXPECT_EQ(WindowFromDC(sender->Canvas()), sender->Handle());
            defaultDraw = false;
        }
    };
    bar->SetColor(0xC0C0C0);
    QImage img = bar->Widget()->grab().toImage();
    EXPECT_EQ(barRect, bar->ClientRect());
    const TRect e = buttons["&Edit"]->BoundsRect();
    for (auto [x, y] : {std::pair{e.Left, e.Top}, {e.Right - 1, e.Bottom - 1}, {e.Left + 3, e.Top + 11}})
        EXPECT_EQ(At(img, x, y), 0x00FF00u) << "every pixel of the button is the handler's";
    const TRect f = buttons["&File"]->BoundsRect();
    EXPECT_EQ(At(img, f.Left, f.Top), 0xC0C0C0u) << "a flat button that is not hot has no frame";

    // A hot button of a flat bar is raised: light at the top left, shadow at the bottom right.
    QTest::mouseMove(bar->Widget(), Center("&File"));
    img = bar->Widget()->grab().toImage();
    EXPECT_EQ(At(img, f.Left, f.Top), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, f.Right - 1, f.Bottom - 1), ColorToRGB(clBtnShadow));

    // DefaultDraw false for the bar: no button is drawn, by the framework or the handlers.
    states.clear();
    bar->OnCustomDraw = [&](TToolBar* sender, const TRect& r, bool& defaultDraw) {
        sender->Canvas()->Brush()->SetColor(0x0000FF);
        sender->Canvas()->FillRect(r);
        defaultDraw = false;
    };
    img = bar->Widget()->grab().toImage();
    EXPECT_TRUE(states.empty());
    EXPECT_EQ(At(img, f.Left, f.Top), 0x0000FFu);
    EXPECT_EQ(At(img, e.Left + 3, e.Top + 11), 0x0000FFu);
}

TEST_F(ToolBar, EdgesLieOutsideTheClientArea)
{
    bar->OnCustomDrawButton = nullptr;
    bar->SetAutoSize(false);
    bar->SetHeight(30);
    bar->SetEdgeBorders(int(ebTop | ebBottom));
    EXPECT_EQ(bar->ClientHeight(), 30 - 4) << "a lowered outer and a raised inner edge, top and bottom";
    EXPECT_EQ(bar->ClientWidth(), bar->Width());
    const QImage img = bar->Widget()->grab().toImage();
    EXPECT_EQ(At(img, 5, 0), ColorToRGB(clBtnShadow));
    EXPECT_EQ(At(img, 5, 1), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 5, 29), ColorToRGB(clBtnHighlight));
    EXPECT_EQ(At(img, 5, 28), ColorToRGB(clBtnShadow));
    EXPECT_EQ(buttons["&File"]->ClientToScreen({0, 0}).Y, bar->ClientToScreen({0, 0}).Y);
    bar->SetEdgeInner(esNone);
    EXPECT_EQ(bar->ClientHeight(), 30 - 2);
    bar->SetAutoSize(true);
    EXPECT_EQ(bar->Height(), 22 + 2) << "AutoSize counts the edges";
}

TEST_F(ToolBar, HotButtonUnderThePointer)
{
    QTest::mouseMove(bar->Widget(), Center("&Edit"));
    auto s = Draw();
    EXPECT_EQ(s["&Edit"], cdsHot);
    EXPECT_EQ(s["&File"], 0u);
    EXPECT_EQ(s["&View"], cdsDisabled);
    EXPECT_EQ(bar->HotButton(), buttons["&Edit"]);
    QTest::mouseMove(bar->Widget(), Center("&View"));
    s = Draw();
    EXPECT_EQ(s["&View"], cdsDisabled) << "a disabled button is never hot";
    EXPECT_EQ(s["&Edit"], 0u);
    QTest::mouseMove(bar->Widget(), Center("&Help"));
    EXPECT_EQ(Draw()["&Help"], cdsHot);
    QTest::mouseMove(form->Widget(), QPoint(300, 150));  // off the bar
    EXPECT_EQ(Draw()["&Help"], 0u);
    EXPECT_EQ(bar->HotButton(), nullptr);
    bar->SetFlat(false);
    QTest::mouseMove(bar->Widget(), Center("&Edit"));
    EXPECT_EQ(Draw()["&Edit"], 0u) << "only flat bars track the pointer";

    // A plain button is selected while held down over it and clicked on release.
    QTest::mousePress(bar->Widget(), Qt::LeftButton, {}, Center("&Help"));
    EXPECT_EQ(Draw()["&Help"], cdsSelected);
    QTest::mouseRelease(bar->Widget(), Qt::LeftButton, {}, Center("&Help"));
    EXPECT_EQ(Draw()["&Help"], 0u);
    EXPECT_EQ(clicks, std::vector<QString>{QStringLiteral("&Help")}) << "the item without sub-items runs";
}

TEST_F(ToolBar, ARealClickDropsTheSubMenuBelowTheButton)
{
    QTimer watchdog;
    Watchdog(watchdog);
    std::map<QString, TCustomDrawState> during;
    QRect menuRect;
    std::vector<QString> shown;
    Steps({[&] {
        ASSERT_EQ(OpenMenuWindows().size(), 1u);
        menuRect = OpenMenuWindows()[0]->geometry();
        shown = OpenCaptions(bar);
        EXPECT_EQ(file->Count(), 0) << "the sub-items are in the bar's popup while it is open";
        during = Draw();
        EXPECT_EQ(bar->DroppedButton(), buttons["&File"]);
        Key(Qt::Key_Down);
        Key(Qt::Key_Down);
        Key(Qt::Key_Return);  // Save
    }});
    QTest::mouseClick(bar->Widget(), Qt::LeftButton, {}, Center("&File"));
    const TPoint corner = bar->ClientToScreen({buttons["&File"]->Left(), buttons["&File"]->Top() + 22});
    EXPECT_EQ(menuRect.topLeft(), QPoint(corner.X, corner.Y));
    EXPECT_EQ(shown, (std::vector<QString>{"&Open", "&Save", "-", "E&xit"}));
    EXPECT_TRUE(during["&File"] & cdsSelected) << "selected while dropped";
    EXPECT_EQ(during["&Edit"], 0u);
    EXPECT_EQ(bar->popupInserts, 1) << "the bar's Notification saw its popup menu";
    EXPECT_EQ(bar->popups, 1) << "and its OnPopup ran";
    ASSERT_EQ(file->Count(), 4) << "the sub-items are back, in order";
    EXPECT_EQ(file->Items(0)->Caption(), QStringLiteral("&Open"));
    EXPECT_EQ(file->Items(3)->Caption(), QStringLiteral("E&xit"));
    EXPECT_EQ(file->Items(0)->GetParentMenu(), menu);
    EXPECT_TRUE(OpenCaptions(bar).empty()) << "the popup is gone";
    ASSERT_TRUE(WaitFor([&] { return clicks.size() == 2; }));
    EXPECT_EQ(clicks, (std::vector<QString>{"&File", "&Save"})) << "the top item as it dropped, the choice after";
    EXPECT_EQ(bar->DroppedButton(), nullptr);
    EXPECT_FALSE(Draw()["&File"] & cdsSelected);
}

TEST_F(ToolBar, HotSwitchingBetweenDroppedMenus)
{
    QTimer watchdog;
    Watchdog(watchdog);
    std::vector<QString> first, second, third;
    TToolButton *droppedSecond = nullptr, *droppedThird = nullptr;
    Steps({
        [&] {
            first = OpenCaptions(bar);
            // The pointer moves onto Edit while File's menu is down (the button is still held).
            QTest::mouseMove(bar->Widget(), Center("&Edit"));
        },
        [&] {
            droppedSecond = bar->DroppedButton();
            second = OpenCaptions(bar);
            EXPECT_EQ(file->Count(), 4) << "File's items went back when its menu closed";
            // The disabled View and the plain Help are passed over.
            QTest::mouseMove(bar->Widget(), Center("&View"));
            QTest::mouseMove(bar->Widget(), Center("&Help"));
            EXPECT_EQ(bar->DroppedButton(), buttons["&Edit"]);
            Key(Qt::Key_Right);  // past View and Help, round to File
        },
        [&] {
            droppedThird = bar->DroppedButton();
            third = OpenCaptions(bar);
            Key(Qt::Key_Left);  // round back to Edit
        },
        [&] {
            EXPECT_EQ(bar->DroppedButton(), buttons["&Edit"]);
            Key(Qt::Key_Return);  // opened from the keyboard: its first item is selected
        },
    });
    QTest::mouseClick(bar->Widget(), Qt::LeftButton, {}, Center("&File"));
    EXPECT_EQ(first, (std::vector<QString>{"&Open", "&Save", "-", "E&xit"}));
    EXPECT_EQ(droppedSecond, buttons["&Edit"]);
    EXPECT_EQ(second, (std::vector<QString>{"Cu&t", "&Copy"}));
    EXPECT_EQ(droppedThird, buttons["&File"]);
    EXPECT_EQ(third, first);
    EXPECT_EQ(bar->popupInserts, 4);
    EXPECT_EQ(file->Count(), 4);
    EXPECT_EQ(edit->Count(), 2);
    EXPECT_EQ(bar->DroppedButton(), nullptr);
    ASSERT_TRUE(WaitFor([&] { return clicks.size() == 5; }));
    // Each top item ran as its menu dropped; then the choice.
    EXPECT_EQ(clicks, (std::vector<QString>{"&File", "&Edit", "&File", "&Edit", "Cu&t"}));
}

TEST_F(ToolBar, ThePointerSwitchesMenusThroughTheMenuWindow)
{
    // Dropped without a held button: the pointer's moves reach the open menu window, which
    // hands those outside every menu window to the bar.
    QTest::mouseMove(form->Widget(), QPoint(300, 150));  // the pointer starts off the bar
    QTimer watchdog;
    Watchdog(watchdog);
    TToolButton* switched = nullptr;
    Steps({
        [&] {
            ASSERT_NE(QApplication::activePopupWidget(), nullptr);
            QTest::mouseMove(bar->Widget(), Center("&Edit"));
        },
        [&] {
            switched = bar->DroppedButton();
            EXPECT_TRUE(Draw()["&Edit"] & cdsSelected);
            // Resting on the dropped button's own menu changes nothing.
            QTest::mouseMove(OpenMenuWindows().at(0), QPoint(10, 10));
            EXPECT_EQ(bar->DroppedButton(), buttons["&Edit"]);
            QTest::mouseClick(OpenMenuWindows().at(0), Qt::LeftButton, {}, QPoint(-50, -50));  // a click outside
        },
    });
    EXPECT_TRUE(bar->TrackMenu(buttons["&File"]));
    EXPECT_EQ(switched, buttons["&Edit"]);
    EXPECT_EQ(bar->DroppedButton(), nullptr);
    EXPECT_FALSE(bar->TrackMenu(buttons["&Help"])) << "Help has no menu";
    EXPECT_FALSE(bar->TrackMenu(buttons["&View"])) << "View is disabled";
}

TEST_F(ToolBar, AcceleratorsDropMenus)
{
    QTimer watchdog;
    Watchdog(watchdog);
    struct Case {
        const char* name;
        char ch;
        bool showCaptions;
        LRESULT result;
        const char* dropped;  // the button whose menu dropped, or null
        std::vector<QString> clicks;
    } cases[] = {
        {"a menu button's letter drops its menu, first item selected", 'e', true, 1, "&Edit", {"&Edit", "Cu&t"}},
        {"upper case too", 'F', true, 1, "&File", {"&File", "&Open"}},
        {"a plain button is clicked", 'h', true, 1, nullptr, {"&Help"}},
        {"a disabled button's letter does nothing", 'v', true, 0, nullptr, {}},
        {"an unknown letter does nothing", 'q', true, 0, nullptr, {}},
        {"without captions nothing", 'e', false, 0, nullptr, {}},
    };
    for (const Case& c : cases) {
        clicks.clear();
        bar->SetShowCaptions(c.showCaptions);
        TToolButton* dropped = nullptr;
        if (c.dropped)
            Steps({[&] {
                dropped = bar->DroppedButton();
                Key(Qt::Key_Return);
            }});
        const LRESULT r = bar->Perform(CM_DIALOGCHAR, WPARAM(uint8_t(c.ch)), KEYDATA_ALTDOWN);
        EXPECT_EQ(r, c.result) << c.name;
        if (c.dropped) {
            EXPECT_EQ(dropped, buttons[QString::fromUtf8(c.dropped)]) << c.name;
        }
        ASSERT_TRUE(WaitFor([&] { return clicks.size() >= c.clicks.size(); }, std::chrono::milliseconds(500))) << c.name;
        EXPECT_EQ(clicks, c.clicks) << c.name;
    }

    // Alt with a letter typed in a control of the form reaches the bar as a dialog character.
    bar->SetShowCaptions(true);
    auto* box = new TEdit(form);
    box->SetParent(form);
    box->SetTop(100);
    form->BringToFrontWindow();
    box->SetFocus();
    clicks.clear();
    TToolButton* dropped = nullptr;
    Steps({[&] {
        dropped = bar->DroppedButton();
        Key(Qt::Key_Escape);
    }});
    QTest::keyClick(box->Widget(), Qt::Key_E, Qt::AltModifier);
    EXPECT_EQ(dropped, buttons["&Edit"]);
    EXPECT_EQ(box->Text(), QString()) << "the character was not typed";
}

TEST_F(ToolBar, ADropdownMenuButtonAndTheBarGoingAway)
{
    TPopupMenu extra(form);
    auto* one = new TMenuItem(form);
    one->SetCaption(QStringLiteral("&One"));
    one->OnClick = [this](TObject*) { clicks.push_back(QStringLiteral("&One")); };
    extra.Items()->Add(one);
    auto* drop = new TToolButton(form);
    drop->SetLeft(10000);
    drop->SetParent(bar);
    drop->SetCaption(QStringLiteral("&More"));
    drop->SetDropdownMenu(&extra);
    EXPECT_TRUE(drop->HasMenu());
    QTimer watchdog;
    Watchdog(watchdog);
    Steps({[&] {
        EXPECT_EQ(bar->DroppedButton(), drop);
        Key(Qt::Key_O);
    }});
    EXPECT_TRUE(drop->CheckMenuDropdown());
    ASSERT_TRUE(WaitFor([&] { return !clicks.empty(); }));
    EXPECT_EQ(clicks.back(), QStringLiteral("&One"));
    EXPECT_EQ(extra.Items()->Count(), 1) << "a dropdown menu keeps its items";

    // The bar freed while File's menu is down: the items go back to File first.
    Steps({[&] { delete bar; }});
    EXPECT_TRUE(bar->TrackMenu(buttons["&File"]));
    bar = nullptr;
    EXPECT_TRUE(OpenMenuWindows().empty());
    ASSERT_EQ(file->Count(), 4);
    EXPECT_EQ(file->Items(1)->Caption(), QStringLiteral("&Save"));
    EXPECT_EQ(file->Items(1)->GetParentMenu(), menu);
}

TEST_F(ToolBar, ABarReadFromAStoredForm)
{
    auto* stored = NewForm<TForm>(Application);
    ReadComponentText(stored, QByteArray(R"(object F: TForm
  object ToolBar1: TToolBar
    Flat = True
    ShowCaptions = True
    EdgeBorders = [ebTop, ebBottom]
    EdgeInner = esNone
    ButtonHeight = 25
    object ToolButton2: TToolButton
      Left = 40
      Caption = 'Two'
      Style = tbsCheck
    end
    object ToolButton1: TToolButton
      Left = 0
      MenuItem = Top1
      Grouped = True
    end
    object ToolButton3: TToolButton
      Left = 90
      Width = 6
      Style = tbsDivider
    end
  end
  object MainMenu1: TMainMenu
    object Top1: TMenuItem
      Caption = '&Top'
    end
  end
end
)"),
                      QStringLiteral("toolbar.dfm"));
    auto* tb = dynamic_cast<TToolBar*>(stored->FindComponent(QStringLiteral("ToolBar1")));
    ASSERT_NE(tb, nullptr);
    EXPECT_TRUE(tb->Flat());
    EXPECT_EQ(tb->EdgeBorders(), int(ebTop | ebBottom));
    EXPECT_EQ(tb->EdgeInner(), esNone);
    ASSERT_EQ(tb->ButtonCount(), 3);
    EXPECT_EQ(tb->Buttons(0)->Name(), QStringLiteral("ToolButton1")) << "stored buttons in order of position";
    EXPECT_EQ(tb->Buttons(0)->Caption(), QStringLiteral("&Top")) << "the menu item's caption";
    EXPECT_EQ(tb->Buttons(1)->Style(), tbsCheck);
    EXPECT_EQ(tb->Buttons(2)->Width(), 6);
    EXPECT_EQ(tb->Buttons(1)->Left(), tb->ButtonWidth());
    EXPECT_EQ(tb->Buttons(1)->Height(), 25);
    tb->Buttons(1)->Click();
    EXPECT_TRUE(tb->Buttons(1)->Down()) << "a check button toggles";
    tb->Buttons(1)->Click();
    EXPECT_FALSE(tb->Buttons(1)->Down());
    delete stored;
}

TEST_F(ToolBar, GroupedCheckButtonsActAsOneChoice)
{
    std::vector<TToolButton*> checks;
    for (int i = 0; i < 4; ++i) {
        auto* b = new TToolButton(form);
        b->SetLeft(10000 + i);  // after the menu buttons, in this order
        b->SetParent(bar);
        b->SetStyle(tbsCheck);
        b->SetCaption(QStringLiteral("C%1").arg(i));
        b->SetGrouped(i < 3);  // the fourth stands alone
        checks.push_back(b);
    }
    checks[3]->SetDown(true);
    checks[1]->Click();
    EXPECT_TRUE(checks[1]->Down());
    checks[0]->Click();
    EXPECT_TRUE(checks[0]->Down());
    EXPECT_FALSE(checks[1]->Down()) << "one of the group at a time";
    checks[0]->Click();
    EXPECT_TRUE(checks[0]->Down()) << "a grouped check button stays down";
    EXPECT_TRUE(checks[3]->Down()) << "a button outside the group is left alone";
    checks[3]->Click();
    EXPECT_FALSE(checks[3]->Down()) << "an ungrouped check button toggles";
    const auto drawn = Draw();
    EXPECT_EQ(drawn.at(QStringLiteral("C0")), cdsChecked) << "a down button is drawn checked";
    EXPECT_EQ(drawn.at(QStringLiteral("C1")), 0u);
}
