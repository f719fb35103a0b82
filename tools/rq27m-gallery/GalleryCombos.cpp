// The combo boxes of unit Kivcombobox in their states: normal, focused, disabled, dropped down
// (the open list, framed in the border colour, pictured under the box), csSimple (unskinned),
// and the drive and filter lists.
#include "Gallery.h"

#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"
#include "platform/WinMessages.h"
#include "skin/controls/Kivcombobox.h"
#include "skin/theme/Kivpublic.h"

#include <QCoreApplication>
#include <QImage>
#include <QWidget>

namespace {

constexpr int BoxWidth = 145;
constexpr int BoxHeight = 21;
// Room under the dropped-down box for the picture of its list (four items).
constexpr int ListRoom = 96;

void Fill(TCustomComboBox* c, std::initializer_list<const char*> items, int selected)
{
    for (const char* s : items)
        c->Items()->Add(QLatin1String(s));
    c->SetItemIndex(selected);
}

// Opens the box's list, lets the box paint (which frames the list), pictures the list window into
// Image and closes the list again: a screenshot holds one window, and only one list can be open.
void PictureOpenList(TkivComboBox* Box, TImage* Image)
{
    Box->SetDroppedDown(true);
    QCoreApplication::processEvents();
    Box->Repaint();
    tagCOMBOBOXINFO info;
    info.cbSize = COMBOBOXINFO_SIZE_DESKTOP;
    if (KIVGetComboBoxInfo(Box->Handle(), &info)) {
        if (auto* list = qobject_cast<QWidget*>(WindowReceiver(info.hwndList))) {
            TBitmap shot;
            shot.SetImage(list->grab().toImage());
            Image->Picture()->SetBitmap(&shot);
        }
    }
    Box->SetDroppedDown(false);
}

void ComboBoxes(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivComboBox"));
    auto* normal = page.Add<TkivComboBox>(QStringLiteral("normal"), BoxWidth, BoxHeight);
    normal->SetStyle(csDropDownList);
    Fill(normal, {"1200", "2400", "4800", "9600"}, 3);
    auto* focused = page.Add<TkivComboBox>(QStringLiteral("focused"), BoxWidth, BoxHeight);
    focused->SetStyle(csDropDownList);
    Fill(focused, {"NONE", "ODD", "EVEN"}, 0);
    page.AfterShow([focused] { focused->SetFocus(); });
    auto* disabled = page.Add<TkivComboBox>(QStringLiteral("disabled"), BoxWidth, BoxHeight);
    disabled->SetStyle(csDropDownList);
    Fill(disabled, {"COM1", "COM2"}, 0);
    disabled->SetEnabled(false);
    auto* editable = page.Add<TkivComboBox>(QStringLiteral("csDropDown"), BoxWidth, BoxHeight);
    Fill(editable, {"433.92", "868.30"}, 0);
    auto* simple = page.Add<TkivComboBox>(QStringLiteral("csSimple (unskinned)"), BoxWidth, 44);
    simple->SetStyle(csSimple);
    Fill(simple, {"csSimple"}, 0);

    page.BeginRow(QString());
    // The dropped-down box with its list pictured under it, on a panel of the form's colour.
    auto* holder = new TPanel(page.Form());
    holder->SetBevelOuter(bvNone);
    holder->SetParentColor(true);
    page.Place(holder, QStringLiteral("dropped down"), BoxWidth, BoxHeight + ListRoom);
    auto* dropped = new TkivComboBox(page.Form());
    dropped->SetParent(holder);
    dropped->SetBounds(0, 0, BoxWidth, BoxHeight);
    dropped->SetStyle(csDropDownList);
    Fill(dropped, {"COM1", "COM3", "COM4", "COM7"}, 1);
    page.ApplyLook(dropped);
    auto* list = new TImage(page.Form());
    list->SetParent(holder);
    list->SetBounds(0, BoxHeight, BoxWidth, ListRoom);
    page.AfterShow([dropped, list] { PictureOpenList(dropped, list); });

    auto* drives = page.Add<TkivDriveComboBox>(QStringLiteral("TkivDriveComboBox"), BoxWidth, BoxHeight);
    drives->SetDrive(QStringLiteral("/"));
    auto* filter = page.Add<TkivFilterComboBox>(QStringLiteral("TkivFilterComboBox"), BoxWidth + 20, BoxHeight);
    filter->SetFilter(QStringLiteral("Skin files (*.kvt)|*.kvt|All files (*.*)|*.*"));
    auto* colours = page.Add<TkivComboBox>(QStringLiteral("own colours"), BoxWidth, BoxHeight);
    colours->SetStyle(csDropDownList);
    Fill(colours, {"BorderColor", "ButtonColor"}, 0);
    colours->SetBorderColor(TColor(0x2020C0));
    colours->SetButtonColor(TColor(0xE0F0FF));
    colours->SetArrowColor(TColor(0x2020C0));
}

}  // namespace

RQ_GALLERY_SECTION(ComboBoxes, 40);
