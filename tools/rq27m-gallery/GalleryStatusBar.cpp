// The status bar of unit Kivstatusbar: the main window's three panels, a simple panel, the size
// grip the skin draws on a sizeable form (the gallery's windows are sizeable) and without it,
// disabled.
#include "Gallery.h"

#include "skin/controls/Kivstatusbar.h"

namespace {

constexpr int BarWidth = 360;
constexpr int BarHeight = 19;

TkivStatusBar* AddBar(TGalleryPage& page, const QString& state)
{
    auto* bar = new TkivStatusBar(page.Form());
    bar->SetAlign(alNone);
    page.Place(bar, state, BarWidth, BarHeight);
    for (int w : {120, 160, 60})
        bar->Panels()->Add()->SetWidth(w);
    return bar;
}

void SetTexts(TkivStatusBar* bar, const char* a, const char* b, const char* c)
{
    bar->Panels()->Items(0)->SetText(QLatin1String(a));
    bar->Panels()->Items(1)->SetText(QLatin1String(b));
    bar->Panels()->Items(2)->SetText(QLatin1String(c));
}

void StatusBars(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivStatusBar"));
    SetTexts(AddBar(page, QStringLiteral("panels, size grip")), "COM3 is open", "Successful", "12:00:00");
    auto* simple = AddBar(page, QStringLiteral("SimplePanel"));
    simple->SetSimplePanel(true);
    simple->SetSimpleText(QStringLiteral("Reading all parameters..."));

    page.BeginRow(QString());
    auto* noGrip = AddBar(page, QStringLiteral("SizeGrip off"));
    noGrip->SetSizeGrip(false);
    SetTexts(noGrip, "COM3 is closed", "Error:TimeOut!", "12:00:03");
    auto* disabled = AddBar(page, QStringLiteral("disabled"));
    disabled->SetEnabled(false);
    SetTexts(disabled, "COM1 is open", "......", "12:00:05");
}

}  // namespace

RQ_GALLERY_SECTION(StatusBars, 70);
