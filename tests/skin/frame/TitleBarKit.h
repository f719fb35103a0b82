// Helpers of the title-bar tests: a stand-in for the skinned form (a panel implementing the frame
// host interface on a real form whose window procedure answers the frame-inset question), the
// looks (five styles and the sample skin), the pictures a look gives the bar, and renders.
#pragma once

#include "../controls/SkinControlKit.h"
#include "framework/Menus.h"
#include "skin/frame/Kivtitlebar.h"
#include "skin/theme/Kivpublic.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QIcon>
#include <QPixmap>
#include <QTest>
#include <QTimer>
#include <memory>

namespace skintest {

// The skinned form as far as the title bar sees it: a panel filling its form, the bar's parent.
class TFrameHostPanel : public TCustomPanel, public IkivFrameHost {
public:
    explicit TFrameHostPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}
    void PaintFormBorder() override { ++BorderPaints; }
    bool IsMDIFrame() const override { return false; }
    int BorderPaints = 0;
};

// The MDI frame as far as the title bar sees it: a non-visual component that owns the bar.
class TMDIHostComponent : public TComponent, public IkivFrameHost {
public:
    explicit TMDIHostComponent(TComponent* AOwner) : TComponent(AOwner) {}
    void PaintFormBorder() override { ++BorderPaints; }
    bool IsMDIFrame() const override { return true; }
    int BorderPaints = 0;
};

// A look: a built-in style, or FromThemeFile with the sample skin.
using TTitleLook = TLook;

// How many pixels have exactly this colour.
inline int Count(const QImage& img, TColor c)
{
    int n = 0;
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x)
            n += PixelAt(img, x, y) == c;
    return n;
}

// How many pixels of Area lie within Tolerance (each channel) of Ink and, when a Background is
// given, differ from it: the letters of text drawn in Ink, whose smoothed edges shade towards
// what lies beneath.
inline int InkPixels(const QImage& img, const QImage& background, const QRect& area, TColor ink, int tolerance = 40)
{
    const QRgb want = ColorToQRgb(ink);
    int n = 0;
    for (int y = std::max(0, area.top()); y <= std::min(img.height() - 1, area.bottom()); ++y)
        for (int x = std::max(0, area.left()); x <= std::min(img.width() - 1, area.right()); ++x) {
            const QRgb got = img.pixel(x, y);
            if (!background.isNull() && background.pixel(x, y) == got)
                continue;
            n += std::abs(qRed(got) - qRed(want)) <= tolerance && std::abs(qGreen(got) - qGreen(want)) <= tolerance &&
                 std::abs(qBlue(got) - qBlue(want)) <= tolerance;
        }
    return n;
}

// Runs Step from the menu's own event loop once Menu is open, then closes the menu; for menus
// that open inside a mouse handler (the pointer's moves before it run the event loop too).
class TWhenOpen {
public:
    explicit TWhenOpen(TPopupMenu* Menu, std::function<void()> Step = {})
    {
        QObject::connect(&FTimer, &QTimer::timeout, [this, Menu, Step] {
            if (!Menu->IsTracking())
                return;
            FTimer.stop();
            ++Opened;
            if (Step)
                Step();
            Menu->CloseMenu();
        });
        FTimer.start(0);
    }
    // Waits for the next opening.
    void Again() { FTimer.start(0); }
    int Opened = 0;

private:
    QTimer FTimer;
};

// The application icon the tests install: a 16 x 16 square of one colour.
constexpr TColor IconColor = TColor(0x00345678);

class TitleBarTest : public SkinControlTest {
protected:
    static void SetUpTestSuite()
    {
        SkinControlTest::SetUpTestSuite();
        RegisterKivtitlebarClasses();
        QPixmap icon(16, 16);
        icon.fill(QColor::fromRgb(ColorToQRgb(IconColor)));
        QGuiApplication::setWindowIcon(QIcon(icon));
    }
    void SetUp() override
    {
        SkinControlTest::SetUp();
        form->Widget()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(form->Widget()));
        skin = SampleSkin(form);
        ASSERT_TRUE(skin->Ready());
        QCursor::setPos(QPoint(790, 590));
        QCoreApplication::processEvents();
        Application->MessageBoxHook = [this](const String& text, const String& caption, UINT flags) {
            messages.push_back(text);
            captions.push_back(caption);
            boxFlags.push_back(flags);
            return IDOK;
        };
        // The form answers the frame-inset question and records the messages the bar sends it.
        auto old = form->WindowProc;
        form->WindowProc = [this, old](TMessage& m) {
            if (m.Msg == KIVM_GETFRAMEINSET) {
                m.Result = inset;
                return;
            }
            if (m.Msg == WM_SYSCOMMAND || m.Msg == WM_NCLBUTTONDOWN)
                sent.push_back(m);
            old(m);
        };
    }
    void TearDown() override
    {
        Application->MessageBoxHook = nullptr;
        if (Application->MainForm() == form)
            Application->SetMainForm(nullptr);
        QCoreApplication::processEvents();
        SkinControlTest::TearDown();
    }

    std::vector<TTitleLook> Looks() const { return EveryLook(skin); }
    static void ApplyLook(TkivTitleBar* bar, const TTitleLook& look)
    {
        bar->SetFileTheme(look.theme);
        bar->SetUIStyle(look.style);
    }

    // A bar placed straight on the test form (no skinned frame).
    TkivTitleBar* PlainBar(const TTitleLook& look)
    {
        auto* bar = new TkivTitleBar(form);
        bar->SetParent(form);
        ApplyLook(bar, look);
        return bar;
    }
    // A bar inside the stand-in skinned form; the form answers the inset question with Inset.
    TkivTitleBar* FramedBar(const TTitleLook& look, int Inset = 2)
    {
        inset = Inset;
        host = new TFrameHostPanel(form);
        host->SetParent(form);
        host->SetAlign(alClient);
        auto* bar = new TkivTitleBar(host);
        bar->SetParent(host);
        ApplyLook(bar, look);
        return bar;
    }

    // Buttons by type (the first of that type), or null.
    static TkivTitleBarButton* ButtonOf(TkivTitleBar* bar, TkivTitleBarBtnType type)
    {
        for (int i = 0; i < bar->Buttons()->Count(); ++i)
            if (bar->Buttons()->Items(i)->ButtonType() == type)
                return bar->Buttons()->Items(i);
        return nullptr;
    }
    static int IndexOf(TkivTitleBar* bar, TkivTitleBarBtnType type)
    {
        TkivTitleBarButton* b = ButtonOf(bar, type);
        return b ? b->Index() : -1;
    }
    static void HideAllButtons(TkivTitleBar* bar)
    {
        for (int i = 0; i < bar->Buttons()->Count(); ++i)
            bar->Buttons()->Items(i)->SetVisible(false);
    }

    // A section picture of the look (built-in element or skin element) as pixels.
    static QImage TitlePicture(const TTitleLook& look, int element, Tsk2SkinBitmapElement skinElement)
    {
        TBitmap b;
        if (look.Skin())
            look.theme->GetBitmap2(skinElement, &b, 0, 0);
        else
            GetInsideThemeBitmap(look.style, element, &b, 0, 0);
        return b.Image().convertToFormat(QImage::Format_RGB32);
    }
    // Frame Index (1..18) of the look's title-button strip.
    static QImage ButtonFrame(const TTitleLook& look, int Index)
    {
        TBitmap b;
        if (look.Skin())
            look.theme->GetBitmap2(SKIN2_TITLEBUTTONS, &b, 18, Index);
        else
            GetInsideThemeBitmap(look.style, KIV_THEME_TITLEBAR_BUTTON_IMAGE, &b, 18, Index);
        return b.Image().convertToFormat(QImage::Format_RGB32);
    }
    static bool ButtonsTransparent(const TTitleLook& look)
    {
        return look.Skin() ? look.theme->GetBool(SKIN2_TITLEBTNTRANS)
                           : GetInsideThemeBool(look.style, KIV_THEME_TITLEBAR_BUTTON_TRANSPARENT);
    }
    // The colour left out of a transparent button picture: the skin's transparent colour, or the
    // picture's bottom-left pixel for the built-in styles.
    static TColor ButtonKey(const TTitleLook& look, const QImage& frame)
    {
        if (look.Skin())
            return look.theme->GetColor(SKIN2_TRANSCOLOR) & 0xFFFFFF;
        return QRgbToColor(frame.pixel(0, frame.height() - 1));
    }

    // Every pixel of Frame drawn at (X, Y) over Background (a render without the button), with
    // the look's transparency; pixels outside the bar are skipped.
    void ExpectButtonAt(const QImage& img, const QImage& background, const TTitleLook& look, const QImage& frame,
                        int X, int Y, const char* what)
    {
        const bool transparent = ButtonsTransparent(look);
        const TColor key = ButtonKey(look, frame);
        int checked = 0, mismatches = 0;
        for (int y = 0; y < frame.height(); ++y) {
            for (int x = 0; x < frame.width(); ++x) {
                const int bx = X + x, by = Y + y;
                if (bx < 0 || by < 0 || bx >= img.width() || by >= img.height())
                    continue;
                TColor want = QRgbToColor(frame.pixel(x, y));
                if (transparent && want == key)
                    want = PixelAt(background, bx, by);
                ++checked;
                if (PixelAt(img, bx, by) != want && ++mismatches <= 3)
                    ADD_FAILURE() << what << " pixel (" << bx << ", " << by << "): " << Hex(PixelAt(img, bx, by))
                                  << " instead of " << Hex(want);
            }
        }
        EXPECT_GT(checked, 0) << what;
        EXPECT_EQ(mismatches, 0) << what;
    }

    // Moves the pointer (no button held) to a point in the bar's coordinates.
    static void MoveTo(TkivTitleBar* bar, QPoint p) { QTest::mouseMove(bar->Widget(), p); }
    static void Press(TkivTitleBar* bar, QPoint p) { QTest::mousePress(bar->Widget(), Qt::LeftButton, {}, p); }
    static void Release(TkivTitleBar* bar, QPoint p) { QTest::mouseRelease(bar->Widget(), Qt::LeftButton, {}, p); }
    static void Click(TkivTitleBar* bar, QPoint p)
    {
        MoveTo(bar, p);
        Press(bar, p);
        Release(bar, p);
    }
    // A real double click: press, release, double-click press, release.
    static void DoubleClick(TkivTitleBar* bar, QPoint p)
    {
        MoveTo(bar, p);
        Press(bar, p);
        Release(bar, p);
        QTest::mouseDClick(bar->Widget(), Qt::LeftButton, {}, p);
        Release(bar, p);
    }
    static int TextWidthIn(TkivTitleBar* bar, const String& s)
    {
        TBitmap m(1, 1);
        m.Canvas()->SetFont(bar->Font());
        return m.Canvas()->TextWidth(s);
    }

    TkivFileTheme* skin = nullptr;
    TFrameHostPanel* host = nullptr;
    int inset = 0;
    std::vector<TMessage> sent;
    std::vector<String> messages;
    std::vector<String> captions;
    std::vector<UINT> boxFlags;
};

}  // namespace skintest
