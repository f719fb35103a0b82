// The skinned form's menu bar: one button per top-level item of the main menu, the bar's background
// and its buttons drawn in the menu's look (pixels per style and with the sample skin), characters
// offered to the buttons only with Alt or while one is highlighted, the menu's shortcuts, and the
// bar following the menu's changes and removal.
#include "FormKit.h"

#include "framework/StdCtrls.h"
#include "skin/frame/Kivmainmenu.h"

using namespace formtest;

namespace {

// How many pixels of Area lie within Tolerance of Ink (text drawn in Ink).
int InkIn(const QImage& img, const QRect& area, TColor ink, int tolerance = 24)
{
    const QRgb want = ColorToQRgb(ink);
    int n = 0;
    for (int y = std::max(0, area.top()); y <= std::min(img.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(img.width() - 1, area.right()); ++x) {
            const QRgb got = img.pixel(x, y);
            n += std::abs(qRed(got) - qRed(want)) <= tolerance && std::abs(qGreen(got) - qGreen(want)) <= tolerance &&
                 std::abs(qBlue(got) - qBlue(want)) <= tolerance;
        }
    return n;
}

class KivMenuBar : public FormTest {
protected:
    void SetUp() override
    {
        FormTest::SetUp();
        host = Host();
        frame = Frame(host, Protein);
        Application->SetMainForm(host);
        ShowActive(host);
        edit = new TEdit(host);
        edit->SetParent(frame);
        edit->SetBounds(20, 120, 100, 21);
        menu = MakeMenu<TkivMainMenu>();
    }

    template <class M>
    M* MakeMenu()
    {
        auto* m = new M(host);
        file = Item(m->Items(), "&File");
        Item(file, "&Open");
        save = Item(file, "&Save");
        save->SetShortCut(ShortCut('S', ssCtrl));
        editItem = Item(m->Items(), "&Edit");
        Item(editItem, "&Copy");
        view = Item(m->Items(), "&View");
        Item(view, "&Zoom");
        view->SetEnabled(false);
        help = Item(m->Items(), "&Help");
        return m;
    }
    TMenuItem* Item(TMenuItem* parent, const char* caption)
    {
        auto* item = new TMenuItem(host);
        item->SetCaption(QString::fromUtf8(caption));
        parent->Add(item);
        item->OnClick = [this, item](TObject*) { clicks.push_back(item->Caption()); };
        return item;
    }
    TToolButton* Button(const char* caption) const
    {
        TkivMenuBar* bar = frame->MenuBar();
        for (int i = 0; bar && i < bar->ButtonCount(); ++i)
            if (bar->Buttons(i)->Caption() == QString::fromUtf8(caption))
                return bar->Buttons(i);
        return nullptr;
    }
    QPoint Center(const char* caption) const
    {
        const TToolButton* b = Button(caption);
        return QPoint(b->Left() + b->Width() / 2, b->Top() + b->Height() / 2);
    }
    QImage BarShot() const
    {
        QCoreApplication::processEvents();
        return frame->MenuBar()->Widget()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    }
    static QRect RectOf(const TToolButton* b) { return QRect(b->Left(), b->Top(), b->Width(), b->Height()); }

    TForm* host = nullptr;
    TkivForm* frame = nullptr;
    TEdit* edit = nullptr;
    TMainMenu* menu = nullptr;
    TMenuItem *file = nullptr, *save = nullptr, *editItem = nullptr, *view = nullptr, *help = nullptr;
    std::vector<QString> clicks;
};

}  // namespace

TEST_F(KivMenuBar, AMenuBringsABarWithOneButtonPerTopLevelItem)
{
    EXPECT_EQ(frame->MenuBar(), nullptr);
    EXPECT_EQ(frame->MenuBarHeight(), 0);
    frame->SetMenu(menu);
    TkivMenuBar* bar = frame->MenuBar();
    ASSERT_NE(bar, nullptr);
    EXPECT_EQ(bar->KivForm(), frame);
    EXPECT_EQ(bar->Parent(), frame);
    EXPECT_EQ(static_cast<TkivMainMenu*>(menu)->MenuBarHost(), frame);
    ASSERT_EQ(bar->ButtonCount(), 4);
    const char* order[] = {"&File", "&Edit", "&View", "&Help"};
    for (int i = 0; i < 4; ++i) {
        TToolButton* b = bar->Buttons(i);
        EXPECT_EQ(b->Caption(), QString::fromUtf8(order[i]));
        EXPECT_TRUE(b->Grouped());
        EXPECT_EQ(b->MenuItem(), menu->Items()->Items(i));
        EXPECT_EQ(b->Owner(), frame);
    }
    EXPECT_FALSE(Button("&View")->Enabled());
    EXPECT_TRUE(bar->Flat());
    EXPECT_EQ(bar->EdgeBorders(), 0);
    EXPECT_TRUE(bar->ShowCaptions());
    EXPECT_EQ(bar->Color(), frame->MenuBarColor());
    // Under the title bar, across the frame.
    EXPECT_EQ(frame->TitleBar()->Top(), 0);
    EXPECT_EQ(bar->Top(), frame->TitleBar()->Height());
    EXPECT_EQ(bar->Width(), frame->Width());
    EXPECT_GT(bar->Height(), 0);
    EXPECT_EQ(frame->MenuBarHeight(), bar->Height());
    EXPECT_EQ(frame->GetMenuBarHeight(), bar->Height());
    frame->SetUIStyle(Protein);
    EXPECT_EQ(host->Constraints()->MinHeight(), bar->Height() + frame->TitleBar()->Height() + 3);

    // Beside the bar the frame's strips take the bar's colour; below it the form's.
    const int tbh = frame->GetTitleBarHeight(), h = bar->Height();
    frame->SetColor(TColor(0x00AA00));
    frame->SetMenuBarColor(TColor(0x0000AA));
    frame->SetMenuBarToColor(TColor(0x0000AA));
    frame->PaintFormBorder();
    QImage img = Shot(host);
    EXPECT_EQ(Hex(PixelAt(img, 1, tbh + 1)), Hex(TColor(0x0000AA)));
    EXPECT_EQ(Hex(PixelAt(img, host->Width() - 2, tbh + h - 1)), Hex(TColor(0x0000AA)));
    EXPECT_EQ(Hex(PixelAt(img, 1, tbh + h)), Hex(TColor(0x00AA00)));
    // Two colours: the strips run from the start colour (top) to the end colour (bottom).
    frame->SetMenuBarToColor(TColor(0xAA0000));
    frame->PaintFormBorder();
    img = Shot(host);
    EXPECT_EQ(Hex(PixelAt(img, 2, tbh)), Hex(TColor(0x0000AA)));
    EXPECT_EQ(Hex(PixelAt(img, 2, tbh + h - 1)), Hex(TColor(0xAA0000)));
    EXPECT_EQ(Hex(PixelAt(img, host->Width() - 3, tbh + h - 1)), Hex(TColor(0xAA0000)));
}

TEST_F(KivMenuBar, RemovingTheMenuDestroysTheBar)
{
    frame->SetMenu(menu);
    ASSERT_NE(frame->MenuBar(), nullptr);
    delete menu;
    menu = nullptr;
    EXPECT_EQ(frame->MenuBar(), nullptr);
    EXPECT_EQ(frame->Menu(), nullptr);
    EXPECT_EQ(frame->MenuBarHeight(), 0);

    // Setting Menu to nil does the same; a menu owned elsewhere is followed too.
    auto* other = new TkivMainMenu(nullptr);
    Item(other->Items(), "&Tools");
    frame->SetMenu(other);
    ASSERT_NE(frame->MenuBar(), nullptr);
    EXPECT_EQ(frame->MenuBar()->ButtonCount(), 1);
    frame->SetMenu(nullptr);
    EXPECT_EQ(frame->MenuBar(), nullptr);
    EXPECT_EQ(other->MenuBarHost(), nullptr) << "the menu no longer shows itself here";
    frame->SetMenu(other);
    delete other;
    EXPECT_EQ(frame->MenuBar(), nullptr);
    EXPECT_EQ(frame->Menu(), nullptr);
}

TEST_F(KivMenuBar, TheFrameGoingAwayLetsTheMenuGo)
{
    frame->SetMenu(menu);
    auto* kiv = static_cast<TkivMainMenu*>(menu);
    ASSERT_EQ(kiv->MenuBarHost(), frame);
    delete frame;
    EXPECT_EQ(kiv->MenuBarHost(), nullptr);
    kiv->MenuAdded();  // would reach the frame if it still knew it
    SUCCEED();
}

TEST_F(KivMenuBar, TheBarFollowsTheMenusChanges)
{
    frame->SetMenu(menu);
    help->SetCaption(QStringLiteral("&About"));
    EXPECT_EQ(frame->MenuBar()->Buttons(3)->Caption(), QStringLiteral("&About"));
    editItem->SetEnabled(false);
    EXPECT_FALSE(Button("&Edit")->Enabled());
    // A new top-level item: the menu asks for a new bar.
    Item(menu->Items(), "&Window");
    static_cast<TkivMainMenu*>(menu)->MenuAdded();
    ASSERT_EQ(frame->MenuBar()->ButtonCount(), 5);
    EXPECT_EQ(frame->MenuBar()->Buttons(4)->Caption(), QStringLiteral("&Window"));

    frame->SetMenuBarHeight(30);
    EXPECT_EQ(frame->MenuBar()->Height(), 30);
    frame->SetMenuBarColor(clYellow);
    EXPECT_EQ(frame->MenuBar()->Color(), clYellow);
    frame->MenuBar()->SetVisible(false);
    EXPECT_EQ(frame->MenuBarHeight(), 0) << "a hidden bar counts as none";
}

TEST_F(KivMenuBar, AnMDIChildsFrameNeverMakesABar)
{
    TForm* child = Host();
    child->SetFormStyle(fsMDIChild);
    TkivForm* childFrame = Frame(child, Protein);
    auto* m = new TkivMainMenu(child);
    Item(m->Items(), "&Child");
    childFrame->SetMenu(m);
    EXPECT_EQ(childFrame->Menu(), m);
    EXPECT_EQ(childFrame->MenuBar(), nullptr);
}

// ---- drawing ----

TEST_F(KivMenuBar, TheBarsBackgroundIsFlatOrAGradientOrMacOS)
{
    frame->SetMenu(menu);
    TkivMenuBar* bar = frame->MenuBar();
    const int x = bar->Width() - 3, h = bar->Height();
    frame->SetMenuBarColor(TColor(0x102030));
    frame->SetMenuBarToColor(TColor(0x102030));
    QImage img = BarShot();
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(Hex(PixelAt(img, x, y)), Hex(TColor(0x102030))) << "flat row " << y;

    frame->SetMenuBarToColor(TColor(0xF0E0D0));
    img = BarShot();
    EXPECT_EQ(Hex(PixelAt(img, x, 0)), Hex(TColor(0x102030)));
    EXPECT_EQ(Hex(PixelAt(img, x, h - 1)), Hex(TColor(0xF0E0D0)));
    EXPECT_EQ(PixelAt(img, x, h / 2), PixelAt(img, 5, h / 2)) << "the same along a row";
    EXPECT_NE(PixelAt(img, x, 1), PixelAt(img, x, h - 2)) << "changing down the bar";

    static_cast<TkivMainMenu*>(menu)->SetUIStyle(MacOS);
    img = BarShot();
    TBitmap strip;
    strip.LoadFromResourceName(HInstance, QStringLiteral("MACOS_MENU_BAR"));
    TBitmap ref(bar->Width(), h);
    ref.Canvas()->StretchDraw(Rect(0, 0, bar->Width(), h), &strip);
    for (int y = 0; y < h; ++y)
        EXPECT_EQ(Hex(PixelAt(img, x, y)), Hex(QRgbToColor(ref.Image().pixel(x, y)))) << "MacOS row " << y;
}

TEST_F(KivMenuBar, ButtonsAreDrawnPerStateInEveryLook)
{
    TkivFileTheme* skin = SampleSkin(host);
    ASSERT_TRUE(skin->Ready());
    frame->SetMenu(menu);
    auto* kiv = static_cast<TkivMainMenu*>(menu);
    struct Look {
        std::string name;
        TkivUIStyle style;
        TkivFileTheme* theme;
    };
    std::vector<Look> looks;
    for (TkivUIStyle s : BuiltInStyles())
        looks.push_back({StyleName(s), s, nullptr});
    looks.push_back({"sample skin", FromThemeFile, skin});
    for (const Look& look : looks) {
        SCOPED_TRACE(look.name);
        kiv->SetFileTheme(look.theme);
        kiv->SetUIStyle(look.style);
        kiv->SetUseSystemFont(true);
        const TkivThemeLink& link = kiv->Theme();
        TkivMenuBar* bar = frame->MenuBar();

        // Nothing highlighted: every Tag is 0, text in the menu font colour, grey when disabled.
        QTest::mouseMove(host->Widget(), QPoint(200, 250));
        QImage img = BarShot();
        for (int i = 0; i < bar->ButtonCount(); ++i)
            EXPECT_EQ(bar->Buttons(i)->Tag(), 0);
        const TColor ink = link.Color(KIV_THEME_MENU_FONT_COLOR, SKIN2_TOPMENUFONTCOLOR);
        EXPECT_GT(InkIn(img, RectOf(Button("&File")), ink), 3);
        EXPECT_GT(InkIn(img, RectOf(Button("&View")), TColor(0x808080), 10), 3) << "disabled: grey";
        if (ink != TColor(0x808080)) {
            EXPECT_EQ(InkIn(img, RectOf(Button("&View")), ink, 10), 0);
        }

        // The pointer over Edit: Tag 888 and the selected look.
        QTest::mouseMove(bar->Widget(), Center("&Edit"));
        img = BarShot();
        TToolButton* b = Button("&Edit");
        EXPECT_EQ(b->Tag(), KIV_MENUBAR_HOT_TAG);
        EXPECT_EQ(Button("&File")->Tag(), 0);
        const QRect r = RectOf(b);
        if (look.style == MacOS) {
            TBitmap select;
            select.LoadFromResourceName(HInstance, QStringLiteral("MACOS_MENU_SELECT"));
            TBitmap face(r.width(), r.height());
            face.Canvas()->StretchDraw(Rect(0, 0, r.width(), r.height()), &select);
            for (int y = 0; y < r.height(); ++y)
                for (int x : {0, 1, r.width() - 1})
                    EXPECT_EQ(Hex(PixelAt(img, r.left() + x, r.top() + y)), Hex(QRgbToColor(face.Image().pixel(x, y))))
                        << x << ", " << y;
            EXPECT_GT(InkIn(img, r, GetInsideThemeColor(MacOS, KIV_THEME_MENU_SELECTED_FONT_COLOR), 10), 3);
        } else {
            const TColor fill = link.Color(KIV_THEME_MENU_SELECTED_BACKGROUND_COLOR, SKIN2_TOPSELECTEDMENUCOLOR);
            const TColor border = link.Color(KIV_THEME_MENU_SELECTED_BORDER_COLOR, SKIN2_TOPSELECTEDMENUBORDERCOLOR);
            const TColor font = link.Color(KIV_THEME_MENU_SELECTED_FONT_COLOR, SKIN2_TOPSELECTEDMENUFONTCOLOR);
            EXPECT_EQ(Hex(PixelAt(img, r.left(), r.top())), Hex(border));
            EXPECT_EQ(Hex(PixelAt(img, r.right(), r.bottom())), Hex(border));
            EXPECT_EQ(Hex(PixelAt(img, r.left(), r.top() + r.height() / 2)), Hex(border));
            EXPECT_EQ(Hex(PixelAt(img, r.left() + 2, r.top() + r.height() / 2)), Hex(fill));
            EXPECT_EQ(Hex(PixelAt(img, r.right() - 2, r.top() + 1)), Hex(fill));
            if (font != fill) {
                EXPECT_GT(InkIn(img, r.adjusted(1, 1, -1, -1), font, 10), 3);
            }
        }
    }
}

TEST_F(KivMenuBar, APlainMainMenuTakesTheFormsStyleAndTheBarsFont)
{
    auto* plain = MakeMenu<TMainMenu>();
    frame->SetMenu(plain);
    frame->SetUIStyle(DeepBlue);
    ASSERT_NE(frame->MenuBar(), nullptr);
    EXPECT_EQ(frame->MenuBar()->ButtonCount(), 4);
    QTest::mouseMove(frame->MenuBar()->Widget(), Center("&File"));
    const QImage img = BarShot();
    const QRect r = RectOf(Button("&File"));
    EXPECT_EQ(Hex(PixelAt(img, r.left(), r.top())), Hex(GetInsideThemeColor(DeepBlue, KIV_THEME_MENU_SELECTED_BORDER_COLOR)));
    EXPECT_EQ(Hex(PixelAt(img, r.left() + 2, r.top() + r.height() / 2)),
              Hex(GetInsideThemeColor(DeepBlue, KIV_THEME_MENU_SELECTED_BACKGROUND_COLOR)));
}

// ---- keys ----

TEST_F(KivMenuBar, ALetterWithoutAltReachesTheBarOnlyWhileAButtonIsHighlighted)
{
    frame->SetMenu(menu);
    TkivMenuBar* bar = frame->MenuBar();
    QTest::mouseMove(host->Widget(), QPoint(200, 250));
    BarShot();
    TWhenMenuOpen when;
    EXPECT_EQ(bar->Perform(CM_DIALOGCHAR, 'e', 0), 0) << "no button highlighted: ignored";
    EXPECT_EQ(when.Opened, 0);

    // Typed into the edit: the letter is the edit's.
    edit->SetFocus();
    QTest::keyClick(edit->Widget(), Qt::Key_E);
    EXPECT_EQ(edit->Text(), QStringLiteral("e"));
    testsupport::Pump(std::chrono::milliseconds(20));
    EXPECT_EQ(when.Opened, 0);

    // With Alt the item with that accelerator drops down.
    QTest::keyClick(edit->Widget(), Qt::Key_E, Qt::AltModifier);
    ASSERT_TRUE(WaitFor([&] { return when.Opened == 1 && OpenMenuWindows().empty(); }));
    EXPECT_EQ(edit->Text(), QStringLiteral("e"));

    // A highlighted button lets a plain letter through.
    QTest::mouseMove(bar->Widget(), Center("&Help"));
    BarShot();
    ASSERT_EQ(Button("&Help")->Tag(), KIV_MENUBAR_HOT_TAG);
    when.Again();
    EXPECT_EQ(bar->Perform(CM_DIALOGCHAR, 'f', 0), 1);
    ASSERT_TRUE(WaitFor([&] { return when.Opened == 2 && OpenMenuWindows().empty(); }));
}

TEST_F(KivMenuBar, TheMenusShortcutsRunThroughTheFrame)
{
    frame->SetMenu(menu);
    edit->SetFocus();
    QTest::keyClick(edit->Widget(), Qt::Key_S, Qt::ControlModifier);
    ASSERT_TRUE(WaitFor([&] { return !clicks.empty(); }));
    EXPECT_EQ(clicks, std::vector<QString>{QStringLiteral("&Save")});
    EXPECT_EQ(edit->Text(), QString());

    // Directly: 1 when a shortcut ran, 0 for another key. (A plain key first, so that Ctrl no
    // longer counts as held.)
    QTest::keyClick(edit->Widget(), Qt::Key_Right);
    save->SetShortCut(ShortCut(VK_F1, 0));
    TMessage key{WM_KEYDOWN, VK_F1, 0, 0};
    frame->ProcessKeyPress(key);
    EXPECT_EQ(key.Result, 1);
    TMessage other{WM_KEYDOWN, VK_F12, 0, 0};
    frame->ProcessKeyPress(other);
    EXPECT_EQ(other.Result, 0);
    // Only while the host is the active form.
    TForm* elsewhere = Host();
    elsewhere->SetBounds(500, 400, 200, 150);
    ShowActive(elsewhere);
    ASSERT_TRUE(WaitFor([&] { return Screen->ActiveForm() == elsewhere; }));
    TMessage inactive{WM_KEYDOWN, VK_F1, 0, 0};
    frame->ProcessKeyPress(inactive);
    EXPECT_EQ(inactive.Result, 0);
    host->Widget()->activateWindow();
    ASSERT_TRUE(WaitFor([&] { return Screen->ActiveForm() == host; }));
    edit->SetFocus();

    // Without a menu nothing runs.
    clicks.clear();
    frame->SetMenu(nullptr);
    QTest::keyClick(edit->Widget(), Qt::Key_S, Qt::ControlModifier);
    testsupport::Pump(std::chrono::milliseconds(20));
    EXPECT_TRUE(clicks.empty());
}

TEST_F(KivMenuBar, TheDroppedMenuTakesTheMenusAutoHotkeys)
{
    menu->SetAutoHotkeys(maManual);
    frame->SetMenu(menu);
    TkivMenuBar* bar = frame->MenuBar();
    TMenuAutoFlag seen = maAutomatic;
    TWhenMenuOpen when([&] {
        for (int i = 0; i < bar->ComponentCount(); ++i)
            if (auto* popup = dynamic_cast<TPopupMenu*>(bar->Components(i)))
                seen = popup->AutoHotkeys();
    });
    bar->TrackMenu(Button("&File"));
    ASSERT_TRUE(WaitFor([&] { return when.Opened == 1 && OpenMenuWindows().empty(); }));
    EXPECT_EQ(seen, maManual);

    // The handler itself, on a popup of the bar.
    TPopupMenu popup(bar);
    EXPECT_TRUE(bool(popup.OnPopup)) << "the bar's own popups get the handler";
    popup.SetAutoHotkeys(maAutomatic);
    bar->OnMenuPopup(&popup);
    EXPECT_EQ(popup.AutoHotkeys(), maManual);
}

TEST(KivMenuBarStored, AStoredFormConnectsTheMenuAndTheFormPanel)
{
    if (!Application) {
        new TApplication;
        Application->Initialize();
    }
    RegisterKivformClasses();
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Left = 10
  Top = 10
  BorderStyle = bsSizeable
  ClientHeight = 300
  ClientWidth = 400
  object kivForm1: TkivForm
    UIStyle = DeepBlue
    Caption = 'Stored'
    FormPanel = Panel1
    Menu = MainMenu1
    MenuBarHeight = 24
    object Panel1: TPanel
      Caption = 'x'
    end
  end
  object MainMenu1: TkivMainMenu
    UIStyle = WinXP
    object File1: TMenuItem
      Caption = '&File'
      object Open1: TMenuItem
        Caption = '&Open'
      end
    end
    object Help1: TMenuItem
      Caption = '&Help'
    end
  end
end
)"),
                      QStringLiteral("stored.dfm"));
    auto* frame = dynamic_cast<TkivForm*>(f->FindComponent(QStringLiteral("kivForm1")));
    auto* menu = dynamic_cast<TkivMainMenu*>(f->FindComponent(QStringLiteral("MainMenu1")));
    auto* panel = dynamic_cast<TPanel*>(f->FindComponent(QStringLiteral("Panel1")));
    ASSERT_TRUE(frame && menu && panel);
    EXPECT_EQ(frame->Menu(), menu);
    EXPECT_EQ(menu->MenuBarHost(), frame);
    ASSERT_NE(frame->MenuBar(), nullptr);
    ASSERT_EQ(frame->MenuBar()->ButtonCount(), 2);
    EXPECT_EQ(frame->MenuBar()->Buttons(0)->Caption(), QStringLiteral("&File"));
    EXPECT_EQ(frame->MenuBar()->Buttons(1)->Caption(), QStringLiteral("&Help"));
    EXPECT_EQ(frame->FormPanel(), panel);
    EXPECT_EQ(panel->Align(), alClient);
    EXPECT_EQ(panel->Caption(), QString());
    EXPECT_EQ(f->Caption(), QStringLiteral("Stored"));
    EXPECT_EQ(f->ClientWidth(), 400);
    EXPECT_EQ(f->ClientHeight(), 300);
    delete f;
}
