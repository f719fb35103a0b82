// The skinned title bar: the composed pictures of every look (sections, the stretched client
// section, the buttons at the right, the icon, the caption's place), inside the stand-in skinned
// form with its frame inset and on a plain form; caption shortening; the caption section of a
// five-section skin; hover and pressed pictures and the buttons' actions with real pointer input;
// double clicks and dragging; the system menu; refused design choices; heights; right to left.
#include "TitleBarKit.h"
#include "../controls/StyleProtocolTest.h"
#include "framework/FormReader.h"
#include "framework/SysLocale.h"
#include "skin/theme/Kivresdef.h"

#include <QScreen>
#include <set>

using namespace skintest;
using testsupport::WaitFor;

namespace skintest {
using TitleBarTypes = ::testing::Types<TkivTitleBar>;
INSTANTIATE_TYPED_TEST_SUITE_P(TitleBars, StyleProtocol, TitleBarTypes);
}  // namespace skintest

namespace {

constexpr int W = 400;  // the test form's client width, so the bars' width

// Where a look puts things on a 400-pixel bar.
struct TPlace {
    int closeX, maxX, minX, buttonTop;
    int iconX, iconY;
    int captionX, captionY;
    int height;
};

// What a look's pictures and offsets give, on a plain form and inside a skinned form whose form
// answers the inset question with 2 (so n = 1 in the buttons' arithmetic).
struct TLookPlaces {
    TPlace plain, framed;
};

TLookPlaces PlacesOf(const std::string& look)
{
    // Close: x = W - RightBtnXOffset + n - width, pulled in to W - width - 1 when it would pass
    // the edge; then each further button one width plus one pixel to the left. The icon sits 3
    // pixels into the left area, the caption 21 pixels after its start; Protein's caption is 3
    // rows below the buttons, a skin's at its caption top less 3.
    if (look == "MacOS")
        return {{382, 364, 346, 4, 3, 4, 21, 4, 23}, {382, 364, 346, 1, 3, 1, 21, 1, 20}};
    if (look == "WinXP")
        return {{378, 356, 334, 5, 3, 5, 21, 5, 29}, {378, 356, 334, 2, 3, 2, 21, 2, 26}};
    if (look == "DeepBlue")
        return {{380, 360, 340, 2, 3, 2, 21, 2, 32}, {380, 360, 340, -1, 3, -1, 21, -1, 29}};
    if (look == "Protein")
        return {{380, 360, 340, 2, 3, 2, 21, 5, 23}, {380, 360, 340, -1, 3, -1, 21, 2, 20}};
    if (look == "BlueGlass")
        return {{380, 360, 340, 6, 4, 6, 22, 6, 33}, {380, 360, 340, 3, 3, 3, 21, 3, 30}};
    // The sample skin: icon x 8, caption top 7, buttons 6 from the right at y 4, icon y 5.
    return {{373, 352, 331, 4, 8, 5, 26, 4, 26}, {375, 354, 333, 1, 6, 2, 24, 4, 23}};
}

class KivTitleBar : public TitleBarTest {};

}  // namespace

// ---------------------------------------------------------------------------------------------
// Pictures

TEST_F(KivTitleBar, SectionsOfEveryLookAreLaidOutLeftRightAndClientBetween)
{
    for (bool framed : {false, true}) {
        for (const TTitleLook& look : Looks()) {
            SCOPED_TRACE(look.name + (framed ? " in a skinned form" : " on a plain form"));
            TkivTitleBar* bar = framed ? FramedBar(look) : PlainBar(look);
            HideAllButtons(bar);
            const TPlace place = framed ? PlacesOf(look.name).framed : PlacesOf(look.name).plain;
            ASSERT_EQ(bar->Height(), place.height);
            ASSERT_EQ(bar->Width(), W);
            const QImage img = Render(bar);
            ASSERT_EQ(img.size(), QSize(W, place.height));
            const int dx = framed ? -2 : 0, dy = framed ? -3 : 0;

            const QImage left = TitlePicture(look, KIV_THEME_TITLEBAR_LEFT_IMAGE, SKIN2_TITLEBAR1);
            const QImage right = look.Skin() ? TitlePicture(look, 0, SKIN2_TITLEBAR5)
                                             : TitlePicture(look, KIV_THEME_TITLEBAR_RIGHT_IMAGE, SKIN2_TITLEBAR3);
            ASSERT_FALSE(left.isNull());
            ASSERT_FALSE(right.isNull());
            const TColor key = look.Skin() ? skin->GetColor(SKIN2_TRANSCOLOR) : TColor(0);
            const TColor back = look.Skin() ? skin->GetColor(SKIN2_FORMCOLOR) : TColor(0);
            // The left picture from x = dx, the right one ending at W - dx; where they overlap
            // the right one wins (it is drawn later).
            const int rightX = W - dx - right.width();
            // A skin's empty caption section is 5 pixels narrower than nothing: the third picture
            // then starts 5 pixels inside the first.
            const int leftEnd = left.width() - (look.Skin() ? 5 : 0);
            int bad = 0;
            for (int y = 0; y < img.height(); ++y) {
                for (int x = 0; x < W; ++x) {
                    TColor want;
                    if (x >= rightX) {
                        want = QRgbToColor(right.pixel(x - rightX, y - dy));
                        if (want == key)
                            want = back;
                    } else if (x - dx < leftEnd) {
                        want = QRgbToColor(left.pixel(x - dx, y - dy));
                    } else {
                        continue;
                    }
                    if (PixelAt(img, x, y) != want && ++bad <= 3)
                        ADD_FAILURE() << "pixel (" << x << ", " << y << ")";
                }
            }
            EXPECT_EQ(bad, 0);

            // The client section is stretched over the rest: every pixel of a row is one of the
            // client picture's pixels of that row, and the first column is its first column.
            if (!look.Skin()) {
                const QImage client = TitlePicture(look, KIV_THEME_TITLEBAR_CLIENT_IMAGE, SKIN2_TITLEBAR2);
                const int from = left.width() + dx, to = rightX;
                if (from < to) {
                    for (int y = 0; y < img.height(); ++y) {
                        std::set<TColor> row;
                        for (int cx = 0; cx < client.width(); ++cx)
                            row.insert(QRgbToColor(client.pixel(cx, y - dy)));
                        EXPECT_EQ(PixelAt(img, from, y), QRgbToColor(client.pixel(0, y - dy))) << "row " << y;
                        for (int x = from; x < to; x += 7)
                            EXPECT_TRUE(row.count(PixelAt(img, x, y))) << "(" << x << ", " << y << ")";
                    }
                } else {
                    EXPECT_TRUE(look.name == "Protein") << "only Protein's left picture spans the bar";
                }
            }

            // The raw image holds the pictures without the offsets: as wide as the bar plus twice
            // the inset, as high as the bar plus it.
            TBitmap* raw = nullptr;
            bar->GetTitleImage(-1, raw);
            ASSERT_NE(raw, nullptr);
            EXPECT_EQ(raw->Width(), W - 2 * dx);
            EXPECT_EQ(raw->Height(), place.height - dy);
            const QImage rawImg = raw->Image().convertToFormat(QImage::Format_RGB32);
            for (int y = 0; y < raw->Height(); y += 3)
                for (int x = 0; x < std::min(leftEnd, raw->Width() - right.width()); x += 5)
                    EXPECT_EQ(PixelAt(rawImg, x, y), QRgbToColor(left.pixel(x, y))) << "raw (" << x << ", " << y << ")";
            TBitmap* composed = nullptr;
            bar->GetTitleImage(-2, composed);
            ASSERT_NE(composed, nullptr);
            EXPECT_EQ(composed->Image().convertToFormat(QImage::Format_RGB32), rawImg);
            delete bar;
            delete host;
            host = nullptr;
        }
    }
}

TEST_F(KivTitleBar, ButtonsIconAndCaptionStandWhereEveryLookPutsThem)
{
    for (bool framed : {false, true}) {
        for (const TTitleLook& look : Looks()) {
            SCOPED_TRACE(look.name + (framed ? " in a skinned form" : " on a plain form"));
            TkivTitleBar* bar = framed ? FramedBar(look) : PlainBar(look);
            const TPlace place = framed ? PlacesOf(look.name).framed : PlacesOf(look.name).plain;
            EXPECT_EQ(bar->ButtonTop(), place.buttonTop);
            EXPECT_EQ(bar->IconTop(), place.iconY);

            // The background: the same bar without buttons.
            HideAllButtons(bar);
            const QImage background = Render(bar);
            for (int i = 0; i < bar->Buttons()->Count(); ++i)
                bar->Buttons()->Items(i)->SetVisible(true);
            bar->SetCaption(QStringLiteral("RQ_27M"));
            const QImage img = Render(bar);
            EXPECT_EQ(bar->HotIndex(), -1);

            // Normal pictures: close frame 16, maximise 7, minimise 13.
            ExpectButtonAt(img, background, look, ButtonFrame(look, 16), place.closeX, place.buttonTop, "close");
            ExpectButtonAt(img, background, look, ButtonFrame(look, 7), place.maxX, place.buttonTop, "maximise");
            ExpectButtonAt(img, background, look, ButtonFrame(look, 13), place.minX, place.buttonTop, "minimise");
            // The application icon, 16 x 16, 3 pixels into the left area.
            for (int y = std::max(0, place.iconY); y < place.iconY + 16; ++y)
                for (int x = place.iconX; x < place.iconX + 16; ++x)
                    ASSERT_EQ(Hex(PixelAt(img, x, y)), Hex(IconColor)) << "icon (" << x << ", " << y << ")";
            EXPECT_NE(PixelAt(img, place.iconX - 1, std::max(0, place.iconY) + 4), IconColor);
            EXPECT_NE(PixelAt(img, place.iconX + 16, std::max(0, place.iconY) + 4), IconColor);

            // The caption: its cell at the look's place, its letters in the font's colour there.
            EXPECT_EQ(bar->DrawnCaption(), QStringLiteral("RQ_27M"));
            EXPECT_EQ(bar->CaptionPos(), (TPoint{place.captionX, place.captionY}));
            const TColor ink = look.Skin() ? skin->GetColor(SKIN2_TITLEFONTCOLOR)
                                           : (look.style == MacOS ? clBlack : clWhite);
            EXPECT_EQ(bar->Font()->Color(), ink);
            const int tw = TextWidthIn(bar, QStringLiteral("RQ_27M"));
            const QRect cell(place.captionX, std::max(0, place.captionY), tw, 14);
            EXPECT_GT(InkPixels(img, background, cell, ink), 10) << "caption letters";
            EXPECT_EQ(InkPixels(img, background, cell.translated(0, -cell.height() - 2), ink), 0)
                << "above the caption";
            for (int y = 0; y < img.height(); ++y)
                for (int x = 0; x < std::min(place.captionX, 24); ++x)
                    if (x < place.iconX || x >= place.iconX + 16 || y < place.iconY || y >= place.iconY + 16) {
                        ASSERT_EQ(PixelAt(img, x, y), PixelAt(background, x, y))
                            << "left of the caption (" << x << ", " << y << ")";
                    }
            delete bar;
            delete host;
            host = nullptr;
        }
    }
}

TEST_F(KivTitleBar, TheMainWindowsBarInItsSkinnedForm)
{
    // Protein, the form answering 2, only the control box and the close button.
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = FramedBar(protein, 2);
    delete ButtonOf(bar, kivMin);
    delete ButtonOf(bar, kivMax);
    ASSERT_EQ(bar->Buttons()->Count(), 2);
    bar->SetCaption(QStringLiteral("RQ_27M"));
    EXPECT_EQ(bar->Height(), 20);
    EXPECT_TRUE(bar->InForm());
    EXPECT_FALSE(bar->InMDIForm());
    HideAllButtons(bar);
    const QImage background = Render(bar);
    for (int i = 0; i < bar->Buttons()->Count(); ++i)
        bar->Buttons()->Items(i)->SetVisible(true);
    const QImage img = Render(bar);
    // The close button at x = width - 20, y = -1; the icon at (3, -1); the caption at (21, 2).
    ExpectButtonAt(img, background, protein, ButtonFrame(protein, 16), W - 20, -1, "close");
    for (int y = 0; y < 15; ++y)
        for (int x = 3; x < 19; ++x)
            ASSERT_EQ(PixelAt(img, x, y), IconColor) << "(" << x << ", " << y << ")";
    EXPECT_EQ(bar->CaptionPos(), (TPoint{21, 2}));
    EXPECT_EQ(bar->Font()->Color(), clWhite);
    EXPECT_EQ(bar->Font()->Name(), QStringLiteral("Tahoma"));
    EXPECT_TRUE(bar->Font()->Style() & fsBold);
    // The form gets the style's minimum size.
    EXPECT_EQ(form->Constraints()->MinWidth(), 130);
    EXPECT_EQ(form->Constraints()->MinHeight(), 50);
}

TEST_F(KivTitleBar, TheFrameInsetShiftsThePictures)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    const QImage left = TitlePicture(protein, KIV_THEME_TITLEBAR_LEFT_IMAGE, SKIN2_TITLEBAR1);
    struct Case {
        int answer;  // the form's answer to KIVM_GETFRAMEINSET
        bool mdi;    // the bar belongs to an MDI frame
        int dx;      // where the pictures start
    };
    // An answer of 0 means -3 (-4 in an MDI frame).
    const Case cases[] = {{2, false, -2}, {0, false, -3}, {5, false, -5}, {0, true, -4}};
    for (const Case& c : cases) {
        SCOPED_TRACE("answer " + std::to_string(c.answer) + (c.mdi ? " MDI" : ""));
        TkivTitleBar* bar;
        TMDIHostComponent* mdi = nullptr;
        inset = c.answer;
        if (c.mdi) {
            mdi = new TMDIHostComponent(form);
            bar = new TkivTitleBar(mdi);
            bar->SetParent(form);
            bar->SetUIStyle(Protein);
            EXPECT_TRUE(bar->InMDIForm());
        } else {
            bar = FramedBar(protein, c.answer);
        }
        EXPECT_TRUE(bar->InForm());
        EXPECT_EQ(bar->Height(), 20);
        HideAllButtons(bar);
        const QImage img = Render(bar);
        for (int y = 0; y < 20; y += 2)
            for (int x = 0; x < 60; x += 3)
                ASSERT_EQ(PixelAt(img, x, y), QRgbToColor(left.pixel(x - c.dx, y + 3))) << "(" << x << ", " << y << ")";
        TBitmap* raw = nullptr;
        bar->GetTitleImage(-1, raw);
        EXPECT_EQ(raw->Width(), W - 2 * c.dx);
        // The skinned form repaints its frame only after a caption section was drawn.
        if (!c.mdi) {
            EXPECT_EQ(host->BorderPaints, 0);
        }
        delete bar;
        delete mdi;
        delete host;
        host = nullptr;
    }
}

TEST_F(KivTitleBar, ACaptionSectionOfTheFiveSectionSkinFitsTheCaption)
{
    TTitleLook look{"sample skin", FromThemeFile, skin};
    TkivTitleBar* bar = PlainBar(look);
    ASSERT_TRUE(bar->FiveSections());
    ASSERT_EQ(bar->Sections()->Count(), 5);
    EXPECT_TRUE(bar->Sections()->Items(1)->CapSec());
    EXPECT_EQ(bar->Sections()->Items(3)->Align(), kivClient);
    EXPECT_EQ(bar->Sections()->Items(4)->Align(), kivRight);
    // Minimum width: T1 + T3 + max(T5, 4 buttons of 20 + 6) + 16.
    EXPECT_EQ(form->Constraints()->MinWidth(), 30 + 24 + 96 + 16);
    const QImage third = TitlePicture(look, 0, SKIN2_TITLEBAR3);
    TBitmap measure(1, 1);
    measure.Canvas()->SetFont(bar->Font());

    const String longText =
        QStringLiteral("A caption far too long for the caption section of this skin, on and on and on");
    const String captions[] = {String(), QStringLiteral("RQ_27M"), QStringLiteral("Configurator of the RQ_27M"),
                               longText};
    for (const String& caption : captions) {
        SCOPED_TRACE(caption.toStdString());
        bar->SetCaption(caption);
        const QImage img = Render(bar);
        // The caption is fitted to the width less the icon area, the buttons (all four, 20 each)
        // and the next section's Width.
        const int room = W - 8 - 21 - 80 - bar->Sections()->Items(2)->Width();
        const String fitted = FormatStringWithWidth(measure.Canvas(), caption, room);
        EXPECT_EQ(bar->SectionCaption(), fitted);
        EXPECT_EQ(bar->DrawnCaption(), fitted);
        EXPECT_EQ(bar->CaptionPos(), (TPoint{26, 4}));
        // The caption picture runs for the text plus 8 - 30 + 17 pixels after the 30-pixel left
        // picture; the third picture follows it (rows above the text compared).
        const int thirdX = 30 + measure.Canvas()->TextWidth(fitted) + 8 - 30 + 17;
        for (int y = 0; y < 4; ++y)
            for (int x = 0; x < third.width(); ++x)
                ASSERT_EQ(PixelAt(img, thirdX + x, y), QRgbToColor(third.pixel(x, y)))
                    << "(" << thirdX + x << ", " << y << ")";
    }
    EXPECT_TRUE(bar->SectionCaption().endsWith(QStringLiteral("...")));

    // Hidden buttons still count in the reserved width.
    const String before = bar->SectionCaption();
    ButtonOf(bar, kivMin)->SetVisible(false);
    Render(bar);
    EXPECT_EQ(bar->SectionCaption(), before);

    // In a skinned form the bar asks the form to repaint its frame after the sections.
    delete bar;
    bar = FramedBar(look);
    bar->SetCaption(QStringLiteral("RQ_27M"));
    const int paints = host->BorderPaints;
    Render(bar);
    EXPECT_GT(host->BorderPaints, paints);
    EXPECT_EQ(bar->Height(), 23);
}

TEST_F(KivTitleBar, ALongCaptionIsShortenedFromItsEndWithDots)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    struct Case {
        int width;           // the bar's width
        bool buttons;        // close, maximise and minimise shown
        const char* caption;
    };
    const Case cases[] = {
        {W, true, "RQ_27M"},
        {W, true, ""},
        {W, true, "A very long caption that cannot possibly fit into the room left between icon and buttons"},
        {250, true, "Configurator of the RQ_27M radio module"},
        {180, true, "Configurator of the RQ_27M radio module"},
        {85, true, "Configurator"},   // nothing fits: only the dots remain
        {W, false, "A very long caption that cannot possibly fit into the room left between icon and buttons"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.width) + " " + c.caption);
        auto* f = NewForm<TForm>(Application);
        f->SetBounds(0, 0, 400, 100);
        f->Show();
        auto* bar = new TkivTitleBar(f);
        bar->SetParent(f);
        bar->SetUIStyle(Protein);
        f->Constraints()->SetMinWidth(0);
        f->SetBounds(0, 0, c.width, 100);
        ASSERT_EQ(bar->Width(), c.width);
        if (!c.buttons) {
            ButtonOf(bar, kivClose)->SetVisible(false);
            ButtonOf(bar, kivMax)->SetVisible(false);
            ButtonOf(bar, kivMin)->SetVisible(false);
        }
        const String caption = QString::fromUtf8(c.caption);
        bar->SetCaption(caption);
        Render(bar);
        // Room: from the caption's start (21) to the last button's left edge, or to the right
        // edge less one (the right offset is 0 and the plain form answers 0) without buttons.
        const int room = (c.buttons ? c.width - 60 : c.width - 1) - 21;
        const String drawn = bar->DrawnCaption();
        if (TextWidthIn(bar, caption) <= room) {
            EXPECT_EQ(drawn, caption);
        } else {
            ASSERT_TRUE(drawn.endsWith(QStringLiteral("...")));
            const String kept = drawn.chopped(3);
            EXPECT_TRUE(caption.startsWith(kept));
            EXPECT_LT(kept.size(), caption.size());
            if (!kept.isEmpty()) {
                EXPECT_LE(TextWidthIn(bar, drawn), room);
            }
            // One more character would not have fitted.
            EXPECT_GT(TextWidthIn(bar, caption.left(kept.size() + 1) + QStringLiteral("...")), room);
        }
        delete f;
    }
}

TEST_F(KivTitleBar, TheLeftAreaDecidesWhereTheCaptionStarts)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    bar->SetCaption(QStringLiteral("RQ_27M"));
    Render(bar);
    EXPECT_EQ(bar->CaptionPos().X, 21);

    // Without the icon the control box's own normal picture is drawn one row above the icon row
    // and the caption starts 5 pixels after it.
    HideAllButtons(bar);
    bar->SetCaption(String());
    const QImage background = Render(bar);
    bar->SetCaption(QStringLiteral("RQ_27M"));
    ButtonOf(bar, kivControlBox)->SetVisible(true);
    bar->SetDrawAppIcon(false);
    const QImage img = Render(bar);
    ExpectButtonAt(img, background, protein, ButtonFrame(protein, 1), 0, bar->IconTop() - 1, "control box");
    EXPECT_EQ(bar->CaptionPos().X, 19 + 5);

    // No control box and an offset that clamps to 0: the caption starts at 6.
    ButtonOf(bar, kivControlBox)->SetVisible(false);
    Render(bar);
    EXPECT_EQ(bar->CaptionPos().X, 6);
    // A left offset moves the area: l = offset - 4 - n = 30 - 4 + 1.
    bar->SetLeftBtnXOffset(30);
    Render(bar);
    EXPECT_EQ(bar->CaptionPos().X, 27);
    ButtonOf(bar, kivControlBox)->SetVisible(true);
    bar->SetDrawAppIcon(true);
    const QImage withIcon = Render(bar);
    EXPECT_EQ(bar->CaptionPos().X, 27 + 21);
    EXPECT_EQ(PixelAt(withIcon, 30, bar->IconTop() + 5), IconColor);
}

TEST_F(KivTitleBar, AButtonIsDrawnOnlyWithAllThreePicturesAndIntervalsSpreadTheButtons)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    HideAllButtons(bar);
    const QImage background = Render(bar);
    ButtonOf(bar, kivClose)->SetVisible(true);
    ButtonOf(bar, kivMin)->SetVisible(true);
    TkivTitleBarButton* min = ButtonOf(bar, kivMin);
    // A minimise button without its pressed picture is not drawn and takes no place.
    auto pressed = std::make_unique<TPicture>();
    pressed->Assign(min->PicMouseDown());
    min->PicMouseDown()->SetGraphic(nullptr);
    EXPECT_FALSE(min->HasPictures());
    QImage img = Render(bar);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 300; x < 380; ++x)
            ASSERT_EQ(PixelAt(img, x, y), PixelAt(background, x, y));
    min->SetPicMouseDown(pressed.get());
    EXPECT_TRUE(min->HasPictures());
    // ButtonInterval widens the gaps between the buttons (not after the close button).
    bar->SetButtonInterval(5);
    img = Render(bar);
    ExpectButtonAt(img, background, protein, ButtonFrame(protein, 16), 380, 2, "close");
    ExpectButtonAt(img, background, protein, ButtonFrame(protein, 13), 380 - 19 - 5 - 1, 2, "minimise");
}

// ---------------------------------------------------------------------------------------------
// Pointer

TEST_F(KivTitleBar, HoverAndPressedPicturesFollowThePointerInEveryLook)
{
    for (const TTitleLook& look : Looks()) {
        SCOPED_TRACE(look.name);
        TkivTitleBar* bar = PlainBar(look);
        const TPlace place = PlacesOf(look.name).plain;
        HideAllButtons(bar);
        const QImage background = Render(bar);
        for (int i = 0; i < bar->Buttons()->Count(); ++i)
            bar->Buttons()->Items(i)->SetVisible(true);
        const int bw = ButtonFrame(look, 16).width();
        const QPoint onMax(place.maxX + bw / 2, place.buttonTop + 5);

        MoveTo(bar, onMax);
        QImage img = Render(bar);
        EXPECT_EQ(bar->HotIndex(), IndexOf(bar, kivMax));
        ExpectButtonAt(img, background, look, ButtonFrame(look, 8), place.maxX, place.buttonTop, "max hover");
        ExpectButtonAt(img, background, look, ButtonFrame(look, 16), place.closeX, place.buttonTop, "close normal");

        // The press shows the pressed picture and does not move the form.
        bool refused = false;
        bar->OnMaxClick = [&](TObject*, bool& allow) {
            allow = false;
            refused = true;
        };
        Press(bar, onMax);
        EXPECT_TRUE(bar->Pressed());
        img = Render(bar);
        ExpectButtonAt(img, background, look, ButtonFrame(look, 9), place.maxX, place.buttonTop, "max pressed");
        Release(bar, onMax);
        EXPECT_TRUE(refused);
        EXPECT_FALSE(bar->Pressed());
        EXPECT_EQ(form->WindowState(), wsNormal);

        // The pointer leaving the bar clears the hover look.
        QCursor::setPos(QPoint(790, 590));
        QCoreApplication::processEvents();
        img = Render(bar);
        EXPECT_EQ(bar->HotIndex(), -1);
        ExpectButtonAt(img, background, look, ButtonFrame(look, 7), place.maxX, place.buttonTop, "max normal");
        delete bar;
    }
}

TEST_F(KivTitleBar, ReleasingAButtonDoesWhatItsTypeSays)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    // Protein on a plain form: close, maximise, minimise and further buttons 20 pixels apart from
    // width - 20 leftwards (the bar's width changes while the form is maximised).
    auto slot = [bar](int k) { return QPoint(bar->Width() - 20 * (k + 1) + 9, 8); };
    const int close = 0, max = 1, min = 2;

    // Maximise toggles the state; the maximise button then shows the restore pictures.
    int asked = 0;
    bar->OnMaxClick = [&](TObject* sender, bool&) {
        EXPECT_EQ(sender, bar);
        ++asked;
    };
    Click(bar, slot(max));
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    EXPECT_EQ(ButtonOf(bar, kivMax)->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32),
              ButtonFrame(protein, 10));
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isMaximized(); }));
    QCoreApplication::processEvents();
    Click(bar, slot(max));
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(form->WindowState(), wsNormal);
    EXPECT_EQ(ButtonOf(bar, kivMax)->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32),
              ButtonFrame(protein, 7));
    ASSERT_TRUE(WaitFor([&] { return !form->Widget()->isMaximized() && bar->Width() == W; }));

    // Minimise asks OnMinClick, which may refuse; a form that is not the main form changes its
    // WindowState, the main form is sent SC_MINIMIZE.
    bool allowMin = false;
    bar->OnMinClick = [&](TObject*, bool& allow) { allow = allowMin; };
    Click(bar, slot(min));
    EXPECT_EQ(form->WindowState(), wsNormal);
    allowMin = true;
    sent.clear();
    Click(bar, slot(min));
    EXPECT_EQ(form->WindowState(), wsMinimized);
    EXPECT_TRUE(sent.empty());
    form->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !form->Widget()->isMinimized(); }));
    Application->SetMainForm(form);
    Click(bar, slot(min));
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Msg, UINT(WM_SYSCOMMAND));
    EXPECT_EQ(sent[0].WParam, WPARAM(SC_MINIMIZE));
    EXPECT_EQ(form->WindowState(), wsMinimized);
    Application->SetMainForm(nullptr);
    form->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !form->Widget()->isMinimized(); }));

    // Help and custom buttons fire their events with their index.
    bar->AddHelpBtn();
    TkivTitleBarButton* help = ButtonOf(bar, kivHelp);
    ASSERT_NE(help, nullptr);
    EXPECT_EQ(help->UIStyle(), Protein);
    EXPECT_EQ(help->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32), ButtonFrame(protein, 4));
    TkivTitleBarButton* custom = bar->Buttons()->Add();
    EXPECT_EQ(custom->ButtonType(), kivCustom);
    EXPECT_FALSE(custom->HasPictures());
    custom->SetPicNormal(ButtonOf(bar, kivClose)->PicNormal());
    custom->SetPicMouseOn(ButtonOf(bar, kivClose)->PicMouseOn());
    custom->SetPicMouseDown(ButtonOf(bar, kivClose)->PicMouseDown());
    std::vector<std::pair<std::string, int>> events;
    bar->OnHelpBtnClick = [&](TObject*, int i) { events.push_back({"help", i}); };
    bar->OnCustomBtnsClick = [&](TObject*, int i) { events.push_back({"custom", i}); };
    Click(bar, slot(3));
    Click(bar, slot(4));
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (std::pair<std::string, int>{"help", help->Index()}));
    EXPECT_EQ(events[1], (std::pair<std::string, int>{"custom", custom->Index()}));
    EXPECT_TRUE(form->Visible());

    // A press on a button that is released elsewhere does nothing.
    MoveTo(bar, slot(close));
    Press(bar, slot(close));
    QCursor::setPos(bar->Widget()->mapToGlobal(QPoint(200, 8)));
    QTest::mouseMove(bar->Widget(), QPoint(200, 8));
    Release(bar, QPoint(200, 8));
    EXPECT_TRUE(form->Visible());

    // Close closes the form, through its close query.
    bool mayClose = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) { canClose = mayClose; };
    Click(bar, slot(close));
    EXPECT_TRUE(form->Visible());
    mayClose = true;
    Click(bar, slot(close));
    EXPECT_FALSE(form->Visible());
}

TEST_F(KivTitleBar, DoubleClicksMaximiseRestoreOrClose)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    // A click on the control box opens the system menu; it is closed again at once.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [bar] {
        if (bar->SystemMenu()->IsTracking())
            bar->SystemMenu()->CloseMenu();
    });
    closer.start(0);

    const QPoint empty(200, 10);
    DoubleClick(bar, empty);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isMaximized(); }));
    DoubleClick(bar, empty);
    EXPECT_EQ(form->WindowState(), wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !form->Widget()->isMaximized() && bar->Width() == W; }));

    // Without a visible maximise button nothing happens.
    ButtonOf(bar, kivMax)->SetVisible(false);
    DoubleClick(bar, empty);
    EXPECT_EQ(form->WindowState(), wsNormal);
    // Two maximise buttons: only the first visible one acts (toggling once).
    ButtonOf(bar, kivMax)->SetVisible(true);
    TkivTitleBarButton* second = bar->Buttons()->Add();
    second->SetUIStyle(Protein);
    second->SetButtonType(kivMax);
    int asked = 0;
    bar->OnMaxClick = [&](TObject*, bool&) { ++asked; };
    DoubleClick(bar, empty);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isMaximized(); }));
    form->SetWindowState(wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !form->Widget()->isMaximized() && bar->Width() == W; }));

    // A double click on the control box (the icon) closes the form.
    DoubleClick(bar, QPoint(8, 8));
    EXPECT_FALSE(form->Visible());
}

TEST_F(KivTitleBar, DraggingTheBarMovesTheFormUnlessItIsMaximised)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    const QPoint empty(200, 10);
    const int left = form->Left(), top = form->Top();
    MoveTo(bar, empty);
    Press(bar, empty);
    ASSERT_EQ(sent.size(), 1u);
    EXPECT_EQ(sent[0].Msg, UINT(WM_NCLBUTTONDOWN));
    EXPECT_EQ(LRESULT(sent[0].WParam), HTCAPTION);
    const QPoint global = bar->Widget()->mapToGlobal(empty);
    EXPECT_EQ(GET_X_LPARAM(sent[0].LParam), global.x());
    EXPECT_EQ(GET_Y_LPARAM(sent[0].LParam), global.y());
    EXPECT_FALSE(bar->Pressed());
    QTest::mouseMove(bar->Widget(), empty + QPoint(30, 20));
    Release(bar, empty + QPoint(30, 20));
    EXPECT_EQ(form->Left(), left + 30);
    EXPECT_EQ(form->Top(), top + 20);

    // A press on a button does not drag.
    sent.clear();
    const QPoint onClose(W - 20 + 9, 8);
    MoveTo(bar, onClose);
    bool closing = false;
    form->OnCloseQuery = [&](TObject*, bool& canClose) {
        closing = true;
        canClose = false;
    };
    Press(bar, onClose);
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(bar->Pressed());
    Release(bar, onClose);
    EXPECT_TRUE(closing);

    // Maximised: the press only shows the pressed look.
    form->SetWindowState(wsMaximized);
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isMaximized(); }));
    sent.clear();
    MoveTo(bar, empty);
    Press(bar, empty);
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(bar->Pressed());
    Release(bar, empty);
    EXPECT_FALSE(bar->Pressed());
    form->SetWindowState(wsNormal);
}

TEST_F(KivTitleBar, NonClientMouseMessagesGoToTheForm)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    std::vector<UINT> got;
    auto old = form->WindowProc;
    form->WindowProc = [&, old](TMessage& m) {
        if (m.Msg == WM_NCMOUSEMOVE || m.Msg == WM_NCLBUTTONUP) {
            got.push_back(m.Msg);
            m.Result = 77;
            return;
        }
        old(m);
    };
    EXPECT_EQ(bar->Perform(WM_NCMOUSEMOVE, HTCAPTION, 0), 77);
    EXPECT_EQ(bar->Perform(WM_NCLBUTTONUP, HTCAPTION, 0), 77);
    EXPECT_EQ(got, (std::vector<UINT>{WM_NCMOUSEMOVE, WM_NCLBUTTONUP}));
    EXPECT_EQ(bar->Perform(WM_ERASEBKGND, 0, 0), 1);
}

// ---------------------------------------------------------------------------------------------
// Menus

TEST_F(KivTitleBar, TheSystemMenuEnablesTheItemsOfTheVisibleButtons)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = FramedBar(protein);
    TkivTitleBarPopupMenu* menu = bar->SystemMenu();
    ASSERT_NE(menu, nullptr);
    ASSERT_EQ(menu->Items()->Count(), 4);
    EXPECT_EQ(menu->Items()->Items(0)->Caption(), QStringLiteral("Mi&nimize"));
    EXPECT_EQ(menu->Items()->Items(1)->Caption(), QStringLiteral("Ma&ximize/Restore"));
    EXPECT_TRUE(menu->Items()->Items(2)->IsLine());
    EXPECT_EQ(menu->Items()->Items(3)->Caption(), QStringLiteral("&Close"));
    EXPECT_EQ(menu->AutoHotkeys(), maManual);
    EXPECT_EQ(menu->UIStyle(), Protein);

    struct Case {
        bool min, max, close;
    };
    for (const Case& c : {Case{true, true, true}, Case{false, false, true}, Case{true, false, false}}) {
        ButtonOf(bar, kivMin)->SetVisible(c.min);
        ButtonOf(bar, kivMax)->SetVisible(c.max);
        ButtonOf(bar, kivClose)->SetVisible(c.close);
        // Clicking the control box (the icon) opens the menu at the bar's bottom-left corner.
        bool seen = false;
        TWhenOpen open(menu, [&] {
            seen = !OpenMenuWindows().empty();
            EXPECT_EQ(menu->MinimizeItem()->Enabled(), c.min);
            EXPECT_EQ(menu->MaximizeItem()->Enabled(), c.max);
            EXPECT_EQ(menu->CloseItem()->Enabled(), c.close);
        });
        Click(bar, QPoint(8, 5));
        EXPECT_TRUE(seen);
        const TPoint corner = bar->ClientToScreen(TPoint{0, bar->Height()});
        EXPECT_EQ(menu->PopupPoint(), corner);
        EXPECT_FALSE(bar->Pressed());
    }

    // The main window's menu: only "&Close".
    delete ButtonOf(bar, kivMin);
    delete ButtonOf(bar, kivMax);
    ButtonOf(bar, kivClose)->SetVisible(true);
    TWhenOpen open(menu, [&] {
        EXPECT_FALSE(menu->MinimizeItem()->Enabled());
        EXPECT_FALSE(menu->MaximizeItem()->Enabled());
        EXPECT_TRUE(menu->CloseItem()->Enabled());
    });
    menu->Popup(100, 100);
    EXPECT_EQ(open.Opened, 1);
    // Its items do what the buttons do.
    menu->CloseItem()->Click();
    EXPECT_FALSE(form->Visible());
}

TEST_F(KivTitleBar, TheSystemMenusItemsMinimiseMaximiseAndClose)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    TkivTitleBarPopupMenu* menu = bar->SystemMenu();
    int asked = 0;
    bar->OnMaxClick = [&](TObject*, bool&) { ++asked; };
    menu->MaximizeItem()->Click();
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(form->WindowState(), wsMaximized);
    ASSERT_TRUE(WaitFor([&] { return form->Widget()->isMaximized(); }));
    menu->MaximizeItem()->Click();
    EXPECT_EQ(form->WindowState(), wsNormal);
    ASSERT_TRUE(WaitFor([&] { return !form->Widget()->isMaximized(); }));
    bool minAsked = false;
    bar->OnMinClick = [&](TObject*, bool& allow) {
        minAsked = true;
        allow = false;
    };
    menu->MinimizeItem()->Click();
    EXPECT_TRUE(minAsked);
    EXPECT_EQ(form->WindowState(), wsNormal);
    bar->OnMinClick = nullptr;
    menu->MinimizeItem()->Click();
    EXPECT_EQ(form->WindowState(), wsMinimized);
}

TEST_F(KivTitleBar, AControlBoxWithItsOwnMenuOpensThatMenu)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    auto* own = new TPopupMenu(form);
    auto* item = new TMenuItem(form);
    item->SetCaption(QStringLiteral("Own"));
    own->Items()->Add(item);
    ButtonOf(bar, kivControlBox)->SetControlBoxMenu(own);
    bool systemShown = false;
    bar->SystemMenu()->OnPopup = [&](TObject*) { systemShown = true; };
    TWhenOpen ownOpen(own);
    Click(bar, QPoint(8, 5));
    EXPECT_EQ(ownOpen.Opened, 1);
    EXPECT_FALSE(systemShown);
    EXPECT_EQ(own->PopupPoint(), bar->ClientToScreen(TPoint{0, bar->Height()}));
    // The menu going away leaves the button without one: the system menu opens again.
    delete own;
    EXPECT_EQ(ButtonOf(bar, kivControlBox)->ControlBoxMenu(), nullptr);
    TWhenOpen systemOpen(bar->SystemMenu());
    Click(bar, QPoint(8, 5));
    EXPECT_TRUE(systemShown);
    EXPECT_EQ(systemOpen.Opened, 1);
}

TEST_F(KivTitleBar, RightToLeftReadingPlacesTheCaptionBeforeTheButtonsAndMenusFurtherRight)
{
    const TSysLocale saved = SysLocale;
    SysLocale.MiddleEast = true;
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    bar->SetBiDiMode(bdRightToLeft);
    bar->SetCaption(QStringLiteral("RQ_27M"));
    Render(bar);
    const int tw = TextWidthIn(bar, QStringLiteral("RQ_27M"));
    // The right cursor stops at the minimise button (340): the caption ends 10 pixels before it.
    EXPECT_EQ(bar->CaptionPos(), (TPoint{340 - tw - 10, 5}));
    // The system menu opens 176 pixels further right.
    TWhenOpen open(bar->SystemMenu());
    Click(bar, QPoint(8, 5));
    EXPECT_EQ(open.Opened, 1);
    const TPoint corner = bar->ClientToScreen(TPoint{0, bar->Height()});
    EXPECT_EQ(bar->SystemMenu()->PopupPoint(), (TPoint{corner.X + 176, corner.Y}));
    // Left to right on a locale that is not Middle-Eastern.
    SysLocale.MiddleEast = false;
    Render(bar);
    EXPECT_EQ(bar->CaptionPos().X, 21);
    SysLocale = saved;
}

// ---------------------------------------------------------------------------------------------
// Properties and design choices

TEST_F(KivTitleBar, ASecondControlBoxOrClientSectionIsRefusedWithABox)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    TkivTitleBarButton* close = ButtonOf(bar, kivClose);
    const QImage closePicture = close->PicNormal()->Bitmap()->Image();
    close->SetButtonType(kivControlBox);
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], QStringLiteral("Sorry, only one button's ButtonType property can be \"kivControlBox\""));
    EXPECT_EQ(captions[0], QStringLiteral("Error"));
    EXPECT_EQ(boxFlags[0] & 0x0F, UINT(MB_OK));
    EXPECT_EQ(boxFlags[0] & 0xF0, UINT(MB_ICONERROR));
    EXPECT_EQ(close->ButtonType(), kivClose);
    EXPECT_EQ(close->PicNormal()->Bitmap()->Image(), closePicture);
    // Once the control box is gone another button may become one.
    delete ButtonOf(bar, kivControlBox);
    close->SetButtonType(kivControlBox);
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(close->ButtonType(), kivControlBox);
    EXPECT_EQ(close->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32), ButtonFrame(protein, 1));

    messages.clear();
    TkivTitleBarSections* sections = bar->Sections();
    ASSERT_EQ(sections->Count(), 3);
    TkivTitleBarSection* client = sections->Items(2);
    EXPECT_EQ(client->Align(), kivClient);
    EXPECT_TRUE(client->Stretch());
    client->SetStretch(false);
    EXPECT_TRUE(client->Stretch());
    sections->Items(0)->SetAlign(kivClient);
    client->SetAlign(kivClient);  // the section itself counts
    ASSERT_EQ(messages.size(), 2u);
    for (const String& m : messages)
        EXPECT_EQ(m, QStringLiteral("Sorry, only one section's Align property can be \"kivClient\""));
    EXPECT_EQ(sections->Items(0)->Align(), kivLeft);
    EXPECT_FALSE(sections->Items(0)->Stretch());
    client->SetAlign(kivLeft);
    sections->Items(0)->SetAlign(kivClient);
    EXPECT_EQ(messages.size(), 2u);
    EXPECT_TRUE(sections->Items(0)->Stretch());
}

TEST_F(KivTitleBar, ConstructionDefaults)
{
    auto* bar = new TkivTitleBar(form);
    EXPECT_FALSE(bar->ControlStyle() & csAcceptsControls);
    EXPECT_TRUE(bar->ParentBiDiMode());
    EXPECT_EQ(bar->Align(), alTop);
    EXPECT_FALSE(bar->Custom());
    EXPECT_EQ(bar->UIStyle(), DeepBlue);
    EXPECT_TRUE(bar->AutoSize());
    EXPECT_EQ(bar->Height(), 32);
    ASSERT_EQ(bar->Buttons()->Count(), 4);
    const TkivTitleBarBtnType order[] = {kivControlBox, kivClose, kivMax, kivMin};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(bar->Buttons()->Items(i)->ButtonType(), order[i]);
        EXPECT_EQ(bar->Buttons()->Items(i)->UIStyle(), DeepBlue);
        EXPECT_TRUE(bar->Buttons()->Items(i)->HasPictures());
    }
    EXPECT_EQ(bar->Sections()->Count(), 3);
    EXPECT_EQ(bar->ButtonInterval(), 0);
    EXPECT_TRUE(bar->Caption().isEmpty());
    EXPECT_TRUE(bar->FormActive());
    EXPECT_EQ(bar->HotIndex(), -1);
    EXPECT_TRUE(bar->DrawAppIcon());
    EXPECT_EQ(bar->RoundCorner(), 0);
    EXPECT_EQ(bar->RoundCornerBottom(), 0);
    EXPECT_EQ(bar->InactiveCaptionColor(), clInactiveCaption);
    EXPECT_EQ(bar->BackgroundColor(), TColor(0));
    EXPECT_EQ(bar->TransparentColor(), TColor(0));
    EXPECT_FALSE(bar->InForm());
    EXPECT_TRUE(bar->CanPaint());
    // A lone button and section.
    TkivTitleBarButtons buttons(nullptr);
    TkivTitleBarButton* b = buttons.Add();
    EXPECT_EQ(b->UIStyle(), DeepBlue);
    EXPECT_EQ(b->ButtonType(), kivCustom);
    EXPECT_EQ(b->Top(), 2);
    EXPECT_FALSE(b->Transparent());
    EXPECT_TRUE(b->Visible());
    EXPECT_FALSE(b->HasPictures());
    TkivTitleBarSections sections(nullptr);
    TkivTitleBarSection* s = sections.Add();
    EXPECT_EQ(s->Width(), 10);
    EXPECT_EQ(s->Align(), kivLeft);
    EXPECT_FALSE(s->AutoSize());
    EXPECT_FALSE(s->Stretch());
    EXPECT_FALSE(s->CapSec());
    delete bar;
}

TEST_F(KivTitleBar, HeightsFollowTheFirstSection)
{
    for (bool framed : {false, true}) {
        for (const TTitleLook& look : Looks()) {
            SCOPED_TRACE(look.name + (framed ? " in a skinned form" : ""));
            TkivTitleBar* bar = framed ? FramedBar(look) : PlainBar(look);
            const TPlace place = framed ? PlacesOf(look.name).framed : PlacesOf(look.name).plain;
            EXPECT_EQ(bar->Height(), place.height);
            bar->SetHeight(5);
            bar->SetAutoSize(false);
            EXPECT_EQ(bar->Height(), 5);
            bar->SetAutoSize(true);
            EXPECT_EQ(bar->Height(), place.height);
            delete bar;
            delete host;
            host = nullptr;
        }
    }
    // Without sections AutoSize turns itself off.
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    bar->Sections()->Clear();
    bar->SetAutoSize(true);
    EXPECT_FALSE(bar->AutoSize());
    EXPECT_FALSE(bar->CanPaint());
    TBitmap* out = reinterpret_cast<TBitmap*>(0x1);
    bar->GetTitleImage(0, out);
    EXPECT_EQ(out, reinterpret_cast<TBitmap*>(0x1));
}

TEST_F(KivTitleBar, StyleValuesAndTheSkinsMinimumWidth)
{
    struct Case {
        TkivUIStyle style;
        int minWidth, roundCorner, left, right;
    };
    const Case cases[] = {{MacOS, 130, 0, 3, -2},
                          {WinXP, 150, 13, 2, -2},
                          {DeepBlue, 130, 0, 0, 0},
                          {Protein, 130, 0, 0, 0},
                          {BlueGlass, 270, 11, 4, -3}};
    TTitleLook start{"DeepBlue", DeepBlue, nullptr};
    TkivTitleBar* bar = PlainBar(start);
    for (const Case& c : cases) {
        SCOPED_TRACE(StyleName(c.style));
        bar->SetRoundCornerBottom(5);
        bar->SetUIStyle(c.style);
        EXPECT_EQ(form->Constraints()->MinWidth(), c.minWidth);
        EXPECT_EQ(form->Constraints()->MinHeight(), 50);
        EXPECT_EQ(bar->RoundCorner(), c.roundCorner);
        EXPECT_EQ(bar->RoundCornerBottom(), 0);
        EXPECT_EQ(bar->LeftBtnXOffset(), c.left);
        EXPECT_EQ(bar->RightBtnXOffset(), c.right);
        for (int i = 0; i < bar->Buttons()->Count(); ++i)
            EXPECT_EQ(bar->Buttons()->Items(i)->UIStyle(), c.style);
        EXPECT_EQ(bar->SystemMenu()->UIStyle(), c.style);
    }
    // A skin without five sections: T1 + max(T3, buttons); here through the sample skin's values.
    bar->SetFileTheme(skin);
    bar->SetUIStyle(FromThemeFile);
    EXPECT_EQ(bar->BackgroundColor(), skin->GetColor(SKIN2_FORMCOLOR));
    EXPECT_EQ(bar->TransparentColor(), skin->GetColor(SKIN2_TRANSCOLOR));
    EXPECT_EQ(bar->CaptionTop(), 7);
    EXPECT_EQ(bar->LeftBtnXOffset(), 8);
    EXPECT_EQ(bar->RightBtnXOffset(), 6);
    EXPECT_EQ(bar->SystemMenu()->FileTheme(), skin);
    EXPECT_EQ(bar->SystemMenu()->UIStyle(), FromThemeFile);
    for (int i = 0; i < bar->Buttons()->Count(); ++i) {
        EXPECT_EQ(bar->Buttons()->Items(i)->UIStyle(), FromThemeFile);
        EXPECT_TRUE(bar->Buttons()->Items(i)->Transparent());
        EXPECT_EQ(bar->Buttons()->Items(i)->Top(), 4);
    }
}

TEST_F(KivTitleBar, TheCaptionColourFollowsTheStyleButNotAFileThemeAlone)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    EXPECT_EQ(bar->Font()->Color(), clWhite);
    bar->SetUIStyle(MacOS);
    EXPECT_EQ(bar->Font()->Color(), clBlack);
    bar->SetUIStyle(FromThemeFile);  // no theme: DeepBlue
    EXPECT_EQ(bar->Font()->Color(), clWhite);
    // Setting the theme rebuilds the look from the skin but keeps the caption colour ...
    bar->SetFileTheme(skin);
    EXPECT_EQ(bar->Sections()->Count(), 5);
    EXPECT_EQ(bar->Font()->Color(), clWhite);
    // ... until the style is applied.
    bar->SetUIStyle(FromThemeFile);
    EXPECT_EQ(bar->Font()->Color(), skin->GetColor(SKIN2_TITLEFONTCOLOR));
    // A Protein bar with a ready theme still draws Protein.
    bar->SetUIStyle(Protein);
    EXPECT_EQ(bar->Sections()->Count(), 3);
    EXPECT_EQ(bar->Font()->Color(), clWhite);

    // Inactive: the caption in InactiveCaptionColor.
    bar->SetCaption(QStringLiteral("RQ_27M"));
    bar->SetInactiveCaptionColor(TColor(0x0000C0));
    QImage img = Render(bar);
    const QRect cell(21, 5, TextWidthIn(bar, QStringLiteral("RQ_27M")), 13);
    EXPECT_EQ(InkPixels(img, QImage(), cell, TColor(0x0000C0)), 0);
    EXPECT_GT(InkPixels(img, QImage(), cell, clWhite), 10);
    bar->SetActive(false);
    EXPECT_FALSE(bar->FormActive());
    img = Render(bar);
    EXPECT_GT(InkPixels(img, QImage(), cell, TColor(0x0000C0)), 10);
    EXPECT_EQ(InkPixels(img, QImage(), cell, clWhite), 0);
    EXPECT_EQ(bar->Font()->Color(), clWhite) << "the published font keeps its colour";
}

TEST_F(KivTitleBar, CustomKeepsTheUsersSectionsAndButtons)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* bar = PlainBar(protein);
    const QImage left = bar->Sections()->Items(0)->Picture()->Bitmap()->Image();
    form->SetWindowState(wsMaximized);
    bar->SetCustom(true);
    bar->SetUIStyle(MacOS);
    EXPECT_EQ(bar->UIStyle(), MacOS);
    EXPECT_EQ(bar->Sections()->Items(0)->Picture()->Bitmap()->Image(), left);
    EXPECT_EQ(ButtonOf(bar, kivClose)->UIStyle(), Protein);
    // The maximise button keeps its pictures too.
    bar->ProcessMaxBtn();
    EXPECT_EQ(ButtonOf(bar, kivMax)->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32),
              ButtonFrame(protein, 7));
    bar->SetCustom(false);
    bar->ProcessMaxBtn();
    EXPECT_EQ(ButtonOf(bar, kivMax)->PicNormal()->Bitmap()->Image().convertToFormat(QImage::Format_RGB32),
              ButtonFrame(protein, 10));
    form->SetWindowState(wsNormal);
}

TEST_F(KivTitleBar, CollectionsAssignItemByItem)
{
    TTitleLook protein{"Protein", Protein, nullptr};
    TkivTitleBar* a = PlainBar(protein);
    TkivTitleBar* b = PlainBar({"MacOS", MacOS, nullptr});
    auto* menu = new TPopupMenu(form);
    ButtonOf(a, kivControlBox)->SetControlBoxMenu(menu);
    ButtonOf(a, kivClose)->SetTop(7);
    ButtonOf(a, kivMin)->SetVisible(false);
    a->Sections()->Items(1)->SetCapSec(true);
    b->SetButtons(a->Buttons());
    b->SetSections(a->Sections());
    EXPECT_TRUE(messages.empty());
    ASSERT_EQ(b->Buttons()->Count(), 4);
    for (int i = 0; i < 4; ++i) {
        TkivTitleBarButton* s = a->Buttons()->Items(i);
        TkivTitleBarButton* d = b->Buttons()->Items(i);
        EXPECT_EQ(d->ButtonType(), s->ButtonType());
        EXPECT_EQ(d->UIStyle(), Protein);
        EXPECT_EQ(d->Visible(), s->Visible());
        EXPECT_EQ(d->Top(), s->Top());
        EXPECT_EQ(d->Transparent(), s->Transparent());
        EXPECT_EQ(d->ControlBoxMenu(), s->ControlBoxMenu());
        EXPECT_EQ(d->PicNormal()->Bitmap()->Image(), s->PicNormal()->Bitmap()->Image());
        EXPECT_EQ(d->PicMouseDown()->Bitmap()->Image(), s->PicMouseDown()->Bitmap()->Image());
    }
    ASSERT_EQ(b->Sections()->Count(), 3);
    EXPECT_EQ(b->Sections()->Items(2)->Align(), kivClient);
    EXPECT_EQ(b->Sections()->Items(0)->Width(), 441);
    EXPECT_FALSE(b->Sections()->Items(1)->CapSec()) << "CapSec is not copied";
}

TEST_F(KivTitleBar, DeletingTheFileThemeFallsBackToDeepBlue)
{
    TTitleLook look{"sample skin", FromThemeFile, skin};
    TkivTitleBar* bar = PlainBar(look);
    ASSERT_EQ(bar->Sections()->Count(), 5);
    delete skin;
    skin = nullptr;
    EXPECT_EQ(bar->FileTheme(), nullptr);
    EXPECT_EQ(bar->UIStyle(), DeepBlue);
    EXPECT_EQ(bar->Sections()->Count(), 3);
    EXPECT_EQ(bar->Height(), 32);
}

TEST_F(KivTitleBar, AStoredFormSetsTheBarsCollections)
{
    auto* f = NewForm<TForm>(Application);
    ReadComponentText(f, QByteArray(R"(object F: TForm
  Left = 0
  Top = 0
  Width = 410
  Height = 313
  object bar: TkivTitleBar
    Custom = True
    UIStyle = Protein
    Sections = <
      item
        AutoSize = True
        Picture.Data = file 'TitleLeft.bmp'
      end
      item
        AutoSize = True
        Align = kivRight
        Picture.Data = file 'TitleRight.bmp'
      end
      item
        Align = kivClient
        Stretch = True
        Picture.Data = file 'TitleClient.bmp'
      end>
    Buttons = <
      item
        UIStyle = Protein
        ButtonType = kivControlBox
        Transparent = True
        Top = 2
        Visible = True
        PicNormal.Data = file 'BtnControlBox_Normal.bmp'
        PicMouseOn.Data = file 'BtnControlBox_Over.bmp'
        PicMouseDown.Data = file 'BtnControlBox_Down.bmp'
      end
      item
        UIStyle = Protein
        ButtonType = kivClose
        Transparent = True
        Top = 2
        Visible = True
        PicNormal.Data = file 'BtnClose_Normal.bmp'
        PicMouseOn.Data = file 'BtnClose_Over.bmp'
        PicMouseDown.Data = file 'BtnClose_Down.bmp'
      end>
    ButtonInterval = 2
    Caption = 'RQ_27M'
    FormActive = True
    LeftBtnXOffset = 1
    RightBtnXOffset = 3
    DrawAppIcon = False
    RoundCorner = 4
    RoundCornerBottom = 2
    InactiveCaptionColor = clRed
  end
end
)"),
                      QStringLiteral("titlebar.dfm"));
    auto* bar = dynamic_cast<TkivTitleBar*>(f->FindComponent(QStringLiteral("bar")));
    ASSERT_NE(bar, nullptr);
    EXPECT_TRUE(messages.empty());
    EXPECT_TRUE(bar->Custom());
    ASSERT_EQ(bar->Sections()->Count(), 3);
    EXPECT_EQ(bar->Sections()->Items(0)->Width(), 441);
    EXPECT_EQ(bar->Sections()->Items(1)->Align(), kivRight);
    EXPECT_EQ(bar->Sections()->Items(2)->Align(), kivClient);
    ASSERT_EQ(bar->Buttons()->Count(), 2);
    EXPECT_EQ(bar->Buttons()->Items(0)->ButtonType(), kivControlBox);
    EXPECT_EQ(bar->Buttons()->Items(1)->ButtonType(), kivClose);
    EXPECT_TRUE(bar->Buttons()->Items(1)->HasPictures());
    EXPECT_EQ(bar->ButtonInterval(), 2);
    EXPECT_EQ(bar->Caption(), QStringLiteral("RQ_27M"));
    EXPECT_EQ(bar->LeftBtnXOffset(), 1);
    EXPECT_EQ(bar->RightBtnXOffset(), 3);
    EXPECT_FALSE(bar->DrawAppIcon());
    EXPECT_EQ(bar->RoundCorner(), 4);
    EXPECT_EQ(bar->RoundCornerBottom(), 2);
    EXPECT_EQ(bar->InactiveCaptionColor(), clRed);
    delete f;
}
