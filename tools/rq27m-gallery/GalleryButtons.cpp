// The buttons of unit Kivbutton: push, glyph, arrow, image, control and tool-bar speed buttons,
// check boxes and radio buttons, in their states.
#include "Gallery.h"

#include "framework/ExtCtrls.h"
#include "framework/Resources.h"
#include "framework/SysLocale.h"
#include "skin/controls/Kivbutton.h"
#include "skin/theme/Kivpublic.h"

#include <QApplication>
#include <memory>

namespace {

// A 16 x 16 glyph (a disc on the fuchsia mask colour) with its disabled twin on the right.
std::unique_ptr<TBitmap> TwoFrameGlyph()
{
    auto g = std::make_unique<TBitmap>(32, 16);
    TCanvas* c = g->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 32, 16));
    c->Pen()->SetColor(TColor(0x006000));
    c->Brush()->SetColor(TColor(0x00B000));
    c->Ellipse(2, 2, 14, 14);
    c->Pen()->SetColor(TColor(0x808080));
    c->Brush()->SetColor(TColor(0xC0C0C0));
    c->Ellipse(18, 2, 30, 14);
    return g;
}

std::unique_ptr<TBitmap> OneFrameGlyph()
{
    auto g = std::make_unique<TBitmap>(16, 16);
    TCanvas* c = g->Canvas();
    c->Brush()->SetColor(clFuchsia);
    c->FillRect(Rect(0, 0, 16, 16));
    c->Pen()->SetColor(TColor(0x000080));
    c->Brush()->SetColor(TColor(0x2020E0));
    c->Polygon({{3, 2}, {13, 8}, {3, 14}});
    return g;
}

// Frame Index (1 normal, 2 mouse over, 3 pressed) of the page's scroll-bar up button, as a
// picture.
std::unique_ptr<TPicture> ScrollButtonPicture(const TGalleryPage& page, int Index)
{
    TBitmap frame;
    if (page.Theme() && page.Theme()->CanUse())
        page.Theme()->GetBitmap2(SKIN2_SCROLLBARUPBUTTON, &frame, 3, Index);
    else
        GetInsideThemeBitmap(page.Style(), KIV_THEME_SCROLLBAR_BUTTON_IMAGE, &frame, 6, Index);
    auto p = std::make_unique<TPicture>();
    if (!frame.Empty())
        p->SetBitmap(&frame);
    return p;
}

// One control of a window has the keyboard focus, and other sections' samples take it too: the
// focused look is kept as a picture taken while the control had the focus, shown in its place.
void KeepFocusedLook(TWinControl* c)
{
    QWidget* before = QApplication::focusWidget();
    c->SetFocus();
    QCoreApplication::processEvents();
    TBitmap shot;
    shot.SetImage(c->Widget()->grab().toImage());
    auto* picture = new TImage(c->Owner());
    picture->SetParent(c->Parent());
    picture->SetBounds(c->Left(), c->Top(), c->Width(), c->Height());
    picture->Picture()->SetBitmap(&shot);
    c->Hide();
    // The focus goes back where it was (another sample may show it), or to the window.
    if (before && before != c->Widget())
        before->setFocus();
    else
        c->Parent()->Widget()->setFocus();
}

void HoldDown(TkivCustomButton* b)
{
    // Pressed and held, without taking the focus or repeating.
    b->SetTabStop(false);
    b->SetMouseContinuouslyDownInterval(0);
    b->Perform(CM_MOUSEENTER);
    b->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(b->Width() / 2, b->Height() / 2));
}

void PushButtons(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivButton"));
    page.Add<TkivButton>(QStringLiteral("normal"), 80, 27)->SetCaption(QStringLiteral("Read All"));
    auto* hover = page.Add<TkivButton>(QStringLiteral("hover"), 80, 27);
    hover->SetCaption(QStringLiteral("Write All"));
    page.AfterShow([hover] { hover->Perform(CM_MOUSEENTER); });
    auto* pressed = page.Add<TkivButton>(QStringLiteral("pressed"), 80, 27);
    pressed->SetCaption(QStringLiteral("Open"));
    page.AfterShow([pressed] { HoldDown(pressed); });
    auto* focused = page.Add<TkivButton>(QStringLiteral("focused"), 80, 27);
    focused->SetCaption(QStringLiteral("Transmit"));
    page.AfterShow([focused] { KeepFocusedLook(focused); });
    auto* disabled = page.Add<TkivButton>(QStringLiteral("disabled"), 80, 27);
    disabled->SetCaption(QStringLiteral("Close"));
    disabled->SetEnabled(false);
    auto* sized = page.Add<TkivButton>(QStringLiteral("AutoSize"), 80, 27);
    sized->SetCaption(QStringLiteral("OK"));
    sized->SetAutoSize2(true);
    auto* wrapped = page.Add<TkivButton>(QStringLiteral("long caption"), 80, 40);
    wrapped->SetCaption(QStringLiteral("Read all the parameters"));

    page.BeginRow(QStringLiteral("TkivButton glyph"));
    auto twoFrames = TwoFrameGlyph();
    auto oneFrame = OneFrameGlyph();
    auto* left = page.Add<TkivButton>(QStringLiteral("blGlyphLeft"), 90, 27);
    left->SetCaption(QStringLiteral("Go"));
    left->SetGlyph(twoFrames.get());
    auto* leftOff = page.Add<TkivButton>(QStringLiteral("two frames, disabled"), 90, 27);
    leftOff->SetCaption(QStringLiteral("Go"));
    leftOff->SetGlyph(twoFrames.get());
    leftOff->SetEnabled(false);
    auto* right = page.Add<TkivButton>(QStringLiteral("blGlyphRight, pressed"), 90, 27);
    right->SetCaption(QStringLiteral("Next"));
    right->SetGlyph(oneFrame.get());
    right->SetLayout(blGlyphRight);
    page.AfterShow([right] { HoldDown(right); });
    auto* top = page.Add<TkivButton>(QStringLiteral("blGlyphTop"), 70, 44);
    top->SetCaption(QStringLiteral("Play"));
    top->SetGlyph(oneFrame.get());
    top->SetLayout(blGlyphTop);
    auto* bottom = page.Add<TkivButton>(QStringLiteral("blGlyphBottom"), 70, 44);
    bottom->SetCaption(QStringLiteral("Play"));
    bottom->SetGlyph(oneFrame.get());
    bottom->SetLayout(blGlyphBottom);
    auto* greyed = page.Add<TkivButton>(QStringLiteral("one frame, disabled"), 90, 27);
    greyed->SetCaption(QStringLiteral("Play"));
    greyed->SetGlyph(oneFrame.get());
    greyed->SetEnabled(false);

    page.BeginRow(QStringLiteral("TkivArrowButton"));
    page.Add<TkivArrowButton>(QStringLiteral("kivUp"), 17, 11)->SetArrow(kivUp);
    page.Add<TkivArrowButton>(QStringLiteral("kivDown"), 17, 11)->SetArrow(kivDown);
    auto* arrowHover = page.Add<TkivArrowButton>(QStringLiteral("hover"), 17, 11);
    page.AfterShow([arrowHover] { arrowHover->Perform(CM_MOUSEENTER); });
    auto* arrowDown = page.Add<TkivArrowButton>(QStringLiteral("pressed"), 17, 11);
    arrowDown->SetArrow(kivDown);
    page.AfterShow([arrowDown] { HoldDown(arrowDown); });
    auto* arrowOff = page.Add<TkivArrowButton>(QStringLiteral("disabled"), 17, 11);
    arrowOff->SetEnabled(false);
    page.Add<TkivArrowButton>(QStringLiteral("30 x 20"), 30, 20)->SetArrow(kivDown);

    page.BeginRow(QStringLiteral("TkivImageButton"));
    auto normalPic = ScrollButtonPicture(page, 1), overPic = ScrollButtonPicture(page, 2),
         downPic = ScrollButtonPicture(page, 3);
    auto imageButton = [&](const QString& state) {
        auto* b = page.Add<TkivImageButton>(state, 16, 16);
        b->SetPicNormalF(normalPic.get());
        b->SetPicMouseOnF(overPic.get());
        b->SetPicMouseDownF(downPic.get());
        b->SetAutoSize2(true);
        b->SetTransparent(true);
        return b;
    };
    imageButton(QStringLiteral("normal"));
    auto* imageHover = imageButton(QStringLiteral("hover"));
    page.AfterShow([imageHover] { imageHover->Perform(CM_MOUSEENTER); });
    auto* imagePressed = imageButton(QStringLiteral("pressed"));
    page.AfterShow([imagePressed] { HoldDown(imagePressed); });
    auto* stretched = imageButton(QStringLiteral("Stretch 40 x 24"));
    stretched->SetAutoSize2(false);
    stretched->SetBounds(stretched->Left(), stretched->Top(), 40, 24);
    stretched->SetStretch(true);

    page.BeginRow(QStringLiteral("TkivControlButton"));
    auto controlButton = [&](const QString& state, int index) {
        auto* b = page.Add<TkivControlButton>(state, 19, 19);
        b->SetThemeID(KIV_THEME_TITLEBAR_BUTTON_IMAGE);
        b->SetPicCount(18);
        b->SetPicIndex(index);
        b->SetPicTransparent(true);
        return b;
    };
    if (page.Theme()) {
        // Built-in strips only: with a skin file in use the button has no picture and no size.
        controlButton(QStringLiteral("no picture with a skin file"), 16);
    } else {
        controlButton(QStringLiteral("close"), 16);
        auto* closeHover = controlButton(QStringLiteral("close, hover"), 16);
        page.AfterShow([closeHover] { closeHover->Perform(CM_MOUSEENTER); });
        controlButton(QStringLiteral("maximize"), 7);
        controlButton(QStringLiteral("minimize"), 13);
    }

    page.BeginRow(QStringLiteral("TkivToolBarSpeedButton"));
    TBitmap strip;
    strip.LoadFromResourceName(HInstance, QStringLiteral("MDI_CONTROL_BUTTON"));
    for (int i = 1; i <= 3; ++i) {
        TBitmap glyph;
        SpitBitmap(&strip, &glyph, 3, i);
        auto* b = page.Add<TkivToolBarSpeedButton>(i == 3 ? QStringLiteral("hover") : QStringLiteral("normal"), 18, 18);
        b->SetGlyph(&glyph);
        b->SetColor(clBtnFace);
        b->SetToColor(clWhite);
        if (i == 3)
            page.AfterShow([b] { b->Perform(CM_MOUSEENTER); });
    }
}
RQ_GALLERY_SECTION(PushButtons, 10);

void CheckBoxes(TGalleryPage& page)
{
    int group = 0;
    auto add = [&](bool radio, const QString& state, bool checked, bool enabled) {
        TkivCheckBox* c = nullptr;
        if (radio) {
            auto* r = page.Add<TkivRadioButton>(state, 93, 17);
            r->SetGroupIndex(++group);  // each its own group, so each keeps its state
            c = r;
        } else {
            c = page.Add<TkivCheckBox>(state, 93, 17);
        }
        c->SetCaption(radio ? QStringLiteral("Odd") : QStringLiteral("HexSend"));
        c->SetChecked(checked);
        c->SetEnabled(enabled);
        return c;
    };
    for (bool radio : {false, true}) {
        page.BeginRow(radio ? QStringLiteral("TkivRadioButton") : QStringLiteral("TkivCheckBox"));
        add(radio, QStringLiteral("unchecked"), false, true);
        add(radio, QStringLiteral("checked"), true, true);
        auto* focused = add(radio, QStringLiteral("focused"), true, true);
        page.AfterShow([focused] { KeepFocusedLook(focused); });
        add(radio, QStringLiteral("disabled"), false, false);
        add(radio, QStringLiteral("checked, disabled"), true, false);
        const QString rtlState =
            SysLocale.MiddleEast ? QStringLiteral("bdRightToLeft") : QStringLiteral("bdRightToLeft, LTR locale");
        auto* rtl = add(radio, rtlState, false, true);
        rtl->SetBiDiMode(bdRightToLeft);
    }
}
RQ_GALLERY_SECTION(CheckBoxes, 60);

}  // namespace
