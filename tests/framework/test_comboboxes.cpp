// Combo boxes: the list opened and closed by real clicks and keys and by CB_SHOWDROPDOWN, with
// OnDropDown and OnCloseUp once each; the geometry GetComboBoxInfo reports from the Qt combo box;
// drawings kept on the list window (DrawOnWindow).
#include "framework/ComboBoxInfo.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "framework/StdCtrls.h"
#include "framework/SysLocale.h"
#include "framework/WindowOverlay.h"
#include "platform/WinMessages.h"
#include "platform/WinUser.h"
#include "testsupport/TestSupport.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using testsupport::WaitFor;

namespace {

class ComboBoxes : public ::testing::Test {
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
        form->SetBounds(0, 0, 300, 200);
        combo = new TComboBox(form);
        combo->SetParent(form);
        combo->SetBounds(10, 10, 145, 21);
        combo->SetStyle(csDropDownList);
        for (const char* s : {"1200", "2400", "4800", "9600"})
            combo->Items()->Add(QLatin1String(s));
        combo->SetItemIndex(0);
        combo->OnDropDown = [this](TObject*) {
            ++dropDowns;
            droppedWhenDropDown = combo->DroppedDown();
        };
        combo->OnCloseUp = [this](TObject*) { ++closeUps; };
        form->Show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(form->Widget()));
    }
    void TearDown() override { delete form; }

    QComboBox* Qt() const { return qobject_cast<QComboBox*>(combo->Widget()); }
    QWidget* ListWindow() const { return Qt()->view()->window(); }
    bool ListShown() const { return ListWindow()->isVisible(); }

    TForm* form = nullptr;
    TComboBox* combo = nullptr;
    int dropDowns = 0;
    int closeUps = 0;
    bool droppedWhenDropDown = true;
};

}  // namespace

TEST_F(ComboBoxes, AClickOpensTheListAndPickingAnItemClosesIt)
{
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    QTest::mouseClick(combo->Widget(), ::Qt::LeftButton, {}, QPoint(60, 10));
    ASSERT_TRUE(WaitFor([&] { return ListShown(); }));
    EXPECT_EQ(dropDowns, 1);
    EXPECT_FALSE(droppedWhenDropDown) << "OnDropDown comes before the list shows";
    EXPECT_TRUE(combo->DroppedDown());
    EXPECT_EQ(combo->Perform(CB_GETDROPPEDSTATE), 1);
    EXPECT_EQ(closeUps, 0);

    // Two down, Enter (the list ignores a click that comes right after the one that opened it).
    QAbstractItemView* view = Qt()->view();
    QTest::keyClick(view, ::Qt::Key_Down);
    QTest::keyClick(view, ::Qt::Key_Down);
    QTest::keyClick(view, ::Qt::Key_Return);
    ASSERT_TRUE(WaitFor([&] { return !ListShown(); }));
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(dropDowns, 1);
    EXPECT_FALSE(combo->DroppedDown());
    EXPECT_EQ(combo->Perform(CB_GETDROPPEDSTATE), 0);
    EXPECT_EQ(combo->ItemIndex(), 2);
    EXPECT_EQ(combo->Text(), QStringLiteral("4800"));
    EXPECT_EQ(changes, 1);
}

TEST_F(ComboBoxes, EscapeClosesTheListWithoutAChange)
{
    int changes = 0;
    combo->OnChange = [&](TObject*) { ++changes; };
    QTest::mouseClick(combo->Widget(), ::Qt::LeftButton, {}, QPoint(60, 10));
    ASSERT_TRUE(WaitFor([&] { return ListShown(); }));
    QTest::keyClick(Qt()->view(), ::Qt::Key_Escape);
    ASSERT_TRUE(WaitFor([&] { return !ListShown(); }));
    EXPECT_EQ(dropDowns, 1);
    EXPECT_EQ(closeUps, 1);
    EXPECT_EQ(changes, 0);
    EXPECT_EQ(combo->ItemIndex(), 0);
}

TEST_F(ComboBoxes, ShowDropDownMessageAndDroppedDownOpenAndCloseOnce)
{
    struct Step {
        const char* what;
        std::function<void()> act;
        bool shown;
        int dropDowns, closeUps;
    };
    const Step steps[] = {
        {"CB_SHOWDROPDOWN 1", [&] { EXPECT_EQ(combo->Perform(CB_SHOWDROPDOWN, 1), 1); }, true, 1, 0},
        {"CB_SHOWDROPDOWN 1 again", [&] { combo->Perform(CB_SHOWDROPDOWN, 1); }, true, 1, 0},
        {"CB_SHOWDROPDOWN 0", [&] { combo->Perform(CB_SHOWDROPDOWN, 0); }, false, 1, 1},
        {"DroppedDown false again", [&] { combo->SetDroppedDown(false); }, false, 1, 1},
        {"DroppedDown true", [&] { combo->SetDroppedDown(true); }, true, 2, 1},
        {"sent through the handle", [&] { SendMessageA(combo->Handle(), CB_SHOWDROPDOWN, 0, 0); }, false, 2, 2},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        s.act();
        ASSERT_TRUE(WaitFor([&] { return ListShown() == s.shown; }));
        EXPECT_EQ(combo->DroppedDown(), s.shown);
        EXPECT_EQ(SendMessageA(combo->Handle(), CB_GETDROPPEDSTATE, 0, 0), s.shown ? 1 : 0);
        EXPECT_EQ(dropDowns, s.dropDowns);
        EXPECT_EQ(closeUps, s.closeUps);
    }
}

TEST_F(ComboBoxes, GeometryComesFromTheStyleWithTheButtonInsideTheFrame)
{
    const HWND h = combo->Handle();
    tagCOMBOBOXINFO info;
    info.cbSize = COMBOBOXINFO_SIZE_DESKTOP;
    ASSERT_TRUE(GetComboBoxInfo(h, &info));

    QStyleOptionComboBox opt;
    opt.initFrom(Qt());
    opt.frame = Qt()->hasFrame();
    opt.subControls = QStyle::SC_All;
    QStyle* style = Qt()->style();
    const QRect arrow = style->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxArrow, Qt());
    const int fw = style->pixelMetric(QStyle::PM_ComboBoxFrameWidth, &opt, Qt());
    const QRect inner = QRect(0, 0, 145, 21).adjusted(fw, fw, -fw, -fw);
    const QRect expected = arrow & inner;
    ASSERT_FALSE(expected.isEmpty());
    EXPECT_EQ(info.rcButton, Rect(expected.left(), expected.top(), expected.right() + 1, expected.bottom() + 1));
    EXPECT_GE(info.rcButton.Top, fw);
    EXPECT_LE(info.rcButton.Bottom, 21 - fw);
    EXPECT_LE(info.rcButton.Right, 145 - fw);
    EXPECT_GT(info.rcButton.Left, 100) << "the button is at the right";
    EXPECT_LE(info.rcItem.Right, info.rcButton.Left + 1);
    EXPECT_EQ(info.stateButton, 0u);
    EXPECT_EQ(info.hwndCombo, h);
    EXPECT_EQ(info.hwndItem, h) << "a list-only box has no edit window";
    EXPECT_EQ(WindowReceiver(info.hwndList), ListWindow());

    combo->SetDroppedDown(true);
    ASSERT_TRUE(WaitFor([&] { return ListShown(); }));
    ASSERT_TRUE(GetComboBoxInfo(h, &info));
    EXPECT_EQ(info.stateButton, STATE_SYSTEM_PRESSED);
    combo->SetDroppedDown(false);

    combo->SetStyle(csDropDown);
    ASSERT_TRUE(GetComboBoxInfo(h, &info));
    EXPECT_EQ(WindowReceiver(info.hwndItem), Qt()->lineEdit());
}

TEST_F(ComboBoxes, DrawingsOnTheListWindowGoOverItsPaintUntilItHides)
{
    combo->SetDroppedDown(true);
    ASSERT_TRUE(WaitFor([&] { return ListShown(); }));
    QWidget* list = ListWindow();
    const HWND lh = RegisterWindowReceiver(list);
    const QSize size = list->size();
    auto corner = [&] { return list->grab().toImage().pixelColor(0, 0); };
    auto bottomRight = [&] { return list->grab().toImage().pixelColor(size.width() - 1, size.height() - 1); };
    const QColor before = corner();

    QObject owner, other;
    auto frame = [&](TColor c) {
        return [c](TCanvas& canvas, const TRect& whole) {
            canvas.Brush()->SetColor(c);
            canvas.FrameRect(whole);
        };
    };
    ASSERT_TRUE(DrawOnWindow(lh, &owner, frame(clRed)));
    EXPECT_TRUE(HasDrawingOnWindow(lh, &owner));
    EXPECT_EQ(corner(), QColor(255, 0, 0));
    EXPECT_EQ(bottomRight(), QColor(255, 0, 0));
    // The same owner's next drawing replaces its first.
    ASSERT_TRUE(DrawOnWindow(lh, &owner, frame(clLime)));
    EXPECT_EQ(corner(), QColor(0, 255, 0));
    // A second owner draws too; removing it leaves the first.
    ASSERT_TRUE(DrawOnWindow(lh, &other, frame(clBlue)));
    EXPECT_EQ(corner(), QColor(0, 0, 255));
    ASSERT_TRUE(DrawOnWindow(lh, &other, nullptr));
    EXPECT_FALSE(HasDrawingOnWindow(lh, &other));
    EXPECT_EQ(corner(), QColor(0, 255, 0));

    // Hiding the window wipes it.
    combo->SetDroppedDown(false);
    ASSERT_TRUE(WaitFor([&] { return !ListShown(); }));
    EXPECT_FALSE(HasDrawingOnWindow(lh, &owner));
    combo->SetDroppedDown(true);
    ASSERT_TRUE(WaitFor([&] { return ListShown(); }));
    EXPECT_EQ(corner(), before);

    // An owner that goes takes its drawing with it.
    {
        QObject shortLived;
        ASSERT_TRUE(DrawOnWindow(lh, &shortLived, frame(clRed)));
        EXPECT_EQ(corner(), QColor(255, 0, 0));
    }
    EXPECT_EQ(corner(), before);

    EXPECT_FALSE(DrawOnWindow(lh, nullptr, frame(clRed)));
    EXPECT_FALSE(DrawOnWindow(reinterpret_cast<HWND>(intptr_t(0x7FFFFFF0)), &owner, frame(clRed)));
    combo->SetDroppedDown(false);
}

// As on the desktop: a focused list-only box shows its text selected (highlight behind it); a
// disabled box shows its text in the grey of disabled text.
TEST_F(ComboBoxes, FocusedListOnlyBoxShowsItsTextSelectedAndDisabledTextIsGrey)
{
    auto count = [&](const QColor& c) {
        const QImage img = Qt()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        int n = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                n += QColor(img.pixel(x, y)) == c;
        return n;
    };
    const QColor highlight = ToQColor(ColorToRGB(clHighlight));
    const QColor grey = ToQColor(ColorToRGB(clGrayText));
    auto* other = new TEdit(form);
    other->SetParent(form);
    other->SetBounds(10, 100, 100, 21);
    other->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return other->Focused(); }));
    EXPECT_LT(count(highlight), 10) << "not focused: no selection shown";

    combo->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return combo->Focused(); }));
    EXPECT_GT(count(highlight), 100) << "focused: the text on the highlight";
    combo->SetStyle(csDropDown);
    EXPECT_LT(count(highlight), 10) << "an editable box shows its edit's own selection";
    combo->SetStyle(csDropDownList);

    other->SetFocus();
    ASSERT_TRUE(WaitFor([&] { return other->Focused(); }));
    EXPECT_EQ(count(grey), 0);
    combo->SetEnabled(false);
    EXPECT_GT(count(grey), 10) << "disabled text";
    combo->Font()->SetColor(clNavy);
    EXPECT_GT(count(grey), 10) << "a new font colour leaves disabled text grey";
}

// A right-to-left box on a system whose language is written right to left has its button on the
// left, as the desktop's combo box does; elsewhere the button stays on the right.
TEST_F(ComboBoxes, RightToLeftOnARightToLeftSystemPutsTheButtonOnTheLeft)
{
    const TSysLocale saved = SysLocale;
    struct Case {
        TBiDiMode mode;
        bool middleEast;
        bool buttonLeft;
    };
    for (const Case& c : {Case{bdRightToLeft, true, true}, Case{bdRightToLeft, false, false},
                          Case{bdLeftToRight, true, false}, Case{bdRightToLeft, true, true}}) {
        SCOPED_TRACE(std::to_string(int(c.mode)) + (c.middleEast ? " middle east" : ""));
        SysLocale.MiddleEast = c.middleEast;
        combo->SetBiDiMode(bdLeftToRight);
        combo->SetBiDiMode(c.mode);
        tagCOMBOBOXINFO info;
        ASSERT_TRUE(GetComboBoxInfo(combo->Handle(), &info));
        if (c.buttonLeft) {
            EXPECT_LT(info.rcButton.Right, 40);
            EXPECT_GE(info.rcItem.Left, info.rcButton.Right - 1);
        } else {
            EXPECT_GT(info.rcButton.Left, 100);
        }
    }
    SysLocale = saved;
}
