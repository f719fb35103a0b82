// The edit boxes of unit Kivedit: plain, masked, number and spin edits in their states.
#include "Gallery.h"

#include "skin/controls/Kivedit.h"

namespace {

void Edits(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivEdit"));
    auto* normal = page.Add<TkivEdit>(QStringLiteral("normal"), 121, 21);
    normal->SetText(QStringLiteral("Hello, RQ_27M"));
    auto* focused = page.Add<TkivEdit>(QStringLiteral("focused, selected"), 121, 21);
    focused->SetText(QStringLiteral("AF AF 01 0A"));
    page.AfterShow([focused] {
        focused->SetFocus();
        focused->SelectAll();
    });
    auto* coloured = page.Add<TkivEdit>(QStringLiteral("Color clSkyBlue"), 121, 21);
    coloured->SetColor(clSkyBlue);
    coloured->SetText(QStringLiteral("received data"));
    auto* readOnly = page.Add<TkivEdit>(QStringLiteral("read-only"), 121, 21);
    readOnly->SetReadOnly(true);
    readOnly->SetText(QStringLiteral("read only"));
    auto* disabled = page.Add<TkivEdit>(QStringLiteral("disabled"), 121, 21);
    disabled->SetText(QStringLiteral("disabled"));
    disabled->SetEnabled(false);

    page.BeginRow(QStringLiteral("TkivMaskEdit"));
    auto* empty = page.Add<TkivMaskEdit>(QStringLiteral("empty"), 121, 21);
    empty->SetEditMask(QStringLiteral("(000) 000-0000;1;_"));
    auto* filled = page.Add<TkivMaskEdit>(QStringLiteral("filled"), 121, 21);
    filled->SetEditMask(QStringLiteral("(000) 000-0000;1;_"));
    filled->SetText(QStringLiteral("(555) 123-4567"));
    auto* partly = page.Add<TkivMaskEdit>(QStringLiteral("!>L0-00;0;*"), 121, 21);
    partly->SetEditMask(QStringLiteral("!>L0-00;0;*"));
    partly->SetText(QStringLiteral("b4"));
    auto* maskOff = page.Add<TkivMaskEdit>(QStringLiteral("disabled"), 121, 21);
    maskOff->SetEditMask(QStringLiteral("00:00;1;_"));
    maskOff->SetText(QStringLiteral("12:30"));
    maskOff->SetEnabled(false);

    page.BeginRow(QStringLiteral("TkivNumberEdit"));
    auto* frequency = page.Add<TkivNumberEdit>(QStringLiteral("Mask 0.00"), 51, 19);
    frequency->SetColor(clSkyBlue);
    frequency->SetValue(490);
    auto* id = page.Add<TkivNumberEdit>(QStringLiteral("Mask 0"), 41, 19);
    id->SetColor(clGradientActiveCaption);
    id->SetMask(QStringLiteral("0"));
    id->SetValue(52);
    auto* negative = page.Add<TkivNumberEdit>(QStringLiteral("negative"), 71, 19);
    negative->SetMask(QStringLiteral("#,##0.00;-#,##0.00"));
    negative->SetValue(-1234.5);
    auto* numberOff = page.Add<TkivNumberEdit>(QStringLiteral("disabled"), 51, 19);
    numberOff->SetValue(433.92);
    numberOff->SetEnabled(false);

    page.BeginRow(QStringLiteral("TkivSpinEdit"));
    auto* spin = page.Add<TkivSpinEdit>(QStringLiteral("normal"), 80, 25);
    spin->SetMinValue(0);
    spin->SetMaxValue(100);
    spin->SetValue(42);
    auto* hover = page.Add<TkivSpinEdit>(QStringLiteral("up arrow hover"), 80, 25);
    hover->SetValue(7);
    page.AfterShow([hover] { hover->Button()->UpButton()->Perform(CM_MOUSEENTER); });
    auto* pressed = page.Add<TkivSpinEdit>(QStringLiteral("down arrow pressed"), 80, 25);
    pressed->SetValue(8);
    page.AfterShow([pressed] {
        // Held without repeating, so the value stays as shown.
        TkivArrowButton* down = pressed->Button()->DownButton();
        down->SetMouseContinuouslyDownInterval(0);
        down->Perform(CM_MOUSEENTER);
        down->Perform(WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(down->Width() / 2, down->Height() / 2));
    });
    auto* tall = page.Add<TkivSpinEdit>(QStringLiteral("80 x 31"), 80, 31);
    tall->SetValue(-3);
    auto* spinOff = page.Add<TkivSpinEdit>(QStringLiteral("disabled"), 80, 25);
    spinOff->SetValue(5);
    spinOff->SetEnabled(false);
    page.Add<TkivSpinButtons>(QStringLiteral("TkivSpinButtons"), 20, 25);
}

}  // namespace

RQ_GALLERY_SECTION(Edits, 30);
