// The containers of units Kivgroupbox, Kivimagepanel and Kivradiogroup: group boxes (enabled with
// a skinned child, disabled, transparent over a picture), picture panels (the main window's JPEG
// stretched, a tiled pattern, a picture drawn once, captions), the push/pop panel (expanded, its
// button under the pointer, pushed up to its bar), a check group and a radio group with a
// selection.
#include "Gallery.h"

#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"
#include "framework/Jpeg.h"
#include "framework/StdCtrls.h"
#include "framework/Strings.h"
#include "skin/controls/Kivbutton.h"
#include "skin/controls/Kivgroupbox.h"
#include "skin/controls/Kivimagepanel.h"
#include "skin/controls/Kivradiogroup.h"

#include <QCoreApplication>
#include <QCursor>
#include <QFile>
#include <QWidget>
#include <memory>

namespace {

// The main window's dialog font.
void DialogFont(TControl* c)
{
    c->Font()->SetName(QStringLiteral("MS Sans Serif"));
    c->Font()->SetHeight(-11);
}

// The main window's picture (img2, a 110 x 50 JPEG); empty when the resource is missing.
std::unique_ptr<TPicture> MainWindowPicture()
{
    auto p = std::make_unique<TPicture>();
    QFile f(QStringLiteral(":/pictures/img2.jpg"));
    if (f.open(QIODevice::ReadOnly)) {
        TJPEGImage jpeg;
        jpeg.LoadFromBytes(f.readAll());
        p->SetGraphic(&jpeg);
    }
    return p;
}

// A 16 x 16 tile: a blue and a sand quarter pattern with a dark diagonal.
std::unique_ptr<TPicture> TilePicture()
{
    TBitmap b(16, 16);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(TColor(0xC08040));
    c->FillRect(Rect(0, 0, 16, 16));
    c->Brush()->SetColor(TColor(0x80C0E0));
    c->FillRect(Rect(0, 0, 8, 8));
    c->FillRect(Rect(8, 8, 16, 16));
    c->Pen()->SetColor(TColor(0x603010));
    c->MoveTo(0, 15);
    c->LineTo(16, -1);
    auto p = std::make_unique<TPicture>();
    p->SetBitmap(&b);
    return p;
}

// A 64 x 32 gradient, sky blue at the top to pale sand at the bottom, with a darker band.
std::unique_ptr<TPicture> SkyPicture()
{
    TBitmap b(64, 32);
    for (int y = 0; y < 32; ++y) {
        const int r = 0xA0 + y * 0x50 / 32, g = 0xC8 + y * 0x28 / 32, bl = 0xF0 - y * 0x30 / 32;
        TColor c = TColor(r | (g << 8) | (bl << 16));
        if (y >= 20 && y < 24)
            c = TColor(0x90B0C0);
        for (int x = 0; x < 64; ++x)
            b.Canvas()->SetPixels(x, y, c);
    }
    auto p = std::make_unique<TPicture>();
    p->SetBitmap(&b);
    return p;
}

// A 40 x 24 badge: a green disc on white.
std::unique_ptr<TPicture> BadgePicture()
{
    TBitmap b(40, 24);
    TCanvas* c = b.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(Rect(0, 0, 40, 24));
    c->Pen()->SetColor(TColor(0x006000));
    c->Brush()->SetColor(TColor(0x30B030));
    c->Ellipse(8, 2, 32, 22);
    auto p = std::make_unique<TPicture>();
    p->SetBitmap(&b);
    return p;
}

void FillItems(TkivCheckGroup* g, std::initializer_list<const char*> items)
{
    TStringList lines;
    for (const char* s : items)
        lines.Add(QLatin1String(s));
    g->SetItems(&lines);
}

// The button under the pointer shows only while the pointer is there: its look is pictured with
// the pointer on it, the pointer goes back, and the picture stands in for the panel.
void KeepHotLook(TkivPanel* p)
{
    const QPoint before = QCursor::pos();
    const TRect r = p->ButtonRect();
    const TPoint at = p->ClientToScreen(::Point(r.Left + 6, r.Top + 6));
    QCursor::setPos(at.X, at.Y);
    QCoreApplication::processEvents();
    TBitmap shot;
    shot.SetImage(p->Widget()->grab().toImage());
    QCursor::setPos(before);
    QCoreApplication::processEvents();
    auto* picture = new TImage(p->Owner());
    picture->SetParent(p->Parent());
    picture->SetBounds(p->Left(), p->Top(), p->Width(), p->RealHeight());
    picture->Picture()->SetBitmap(&shot);
    p->Hide();
}

void GroupBoxes(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivGroupBox"));
    auto addBox = [&](const QString& state, const char* caption) {
        auto* g = new TkivGroupBox(page.Form());
        DialogFont(g);
        g->SetCaption(QLatin1String(caption));
        page.Place(g, state, 150, 80);
        return g;
    };
    // A skinned child takes the box's look (the box passes it on).
    auto* usart = addBox(QStringLiteral("enabled, with a child"), "Usart");
    auto* child = new TkivCheckBox(page.Form());
    child->SetParent(usart);
    child->SetBounds(10, 24, 93, 17);
    DialogFont(child);
    child->SetCaption(QStringLiteral("HexSend"));
    child->SetChecked(true);
    auto* label = new TLabel(page.Form());
    label->SetParent(usart);
    label->SetBounds(12, 50, 80, 16);
    label->SetCaption(QStringLiteral("BaudRate"));
    page.ApplyLook(usart);

    addBox(QStringLiteral("disabled"), "RF_frequency")->SetEnabled(false);
    addBox(QStringLiteral("no caption"), "");

    // Transparent, over a stretched picture.
    auto* back = page.Add<TkivImagePanel>(QStringLiteral("Transparent, on a picture"), 150, 80);
    auto sky = SkyPicture();
    back->SetPicture(sky.get());
    back->SetDrawStyle(kivStretch);
    auto* clear = new TkivGroupBox(page.Form());
    clear->SetParent(back);
    clear->SetBounds(8, 6, 134, 66);
    DialogFont(clear);
    clear->SetCaption(QStringLiteral("Serial Port Config"));
    clear->SetTransparent(true);
    page.ApplyLook(clear);
}
RQ_GALLERY_SECTION(GroupBoxes, 80);

void ImagePanels(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivImagePanel"));
    auto photo = MainWindowPicture();
    auto* stretched = page.Add<TkivImagePanel>(QStringLiteral("kivStretch 135 x 61"), 135, 61);
    stretched->SetColor(clRed);
    stretched->SetDrawStyle(kivStretch);
    stretched->SetPicture(photo.get());

    auto tile = TilePicture();
    auto* tiled = page.Add<TkivImagePanel>(QStringLiteral("kivTile"), 100, 61);
    tiled->SetDrawStyle(kivTile);
    tiled->SetPicture(tile.get());

    auto badge = BadgePicture();
    auto* once = page.Add<TkivImagePanel>(QStringLiteral("kivNormal, Color around"), 100, 61);
    once->SetColor(TColor(0xD0E8F0));
    once->SetPicture(badge.get());

    auto sky = SkyPicture();
    auto* captioned = page.Add<TkivImagePanel>(QStringLiteral("caption, taCenter"), 135, 61);
    captioned->SetDrawStyle(kivStretch);
    captioned->SetPicture(sky.get());
    captioned->Font()->SetColor(TColor(0x602000));
    captioned->Font()->SetStyle(fsBold);
    captioned->SetCaption(QStringLiteral("RQ_27M"));

    auto* placed = page.Add<TkivImagePanel>(QStringLiteral("caption at (6, 4), no picture"), 120, 61);
    placed->SetColor(TColor(0x404040));
    placed->Font()->SetColor(TColor(0x40E0FF));
    placed->SetCaption(QStringLiteral("CaptionPos"));
    placed->SetCaptionPosX(6);
    placed->SetCaptionPosY(4);
}
RQ_GALLERY_SECTION(ImagePanels, 81);

void PushPanels(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivPanel"));
    auto addPanel = [&] {
        auto* p = new TkivPanel(page.Form());
        p->SetCaption(QStringLiteral("Side channel"));
        p->SetHeight2(90);
        page.ApplyLook(p);
        return p;
    };
    auto* expanded = addPanel();
    page.Place(expanded, QStringLiteral("expanded, child alTop"), 150, 90);
    auto* inner = new TkivCheckBox(page.Form());
    inner->SetParent(expanded);
    inner->SetAlign(alTop);
    inner->SetCaption(QStringLiteral("Aligned alTop"));
    page.ApplyLook(inner);

    auto* hot = addPanel();
    page.Place(hot, QStringLiteral("button under the pointer"), 150, 90);
    page.AfterShow([hot] { KeepHotLook(hot); });

    // Pushed before it is placed, so it is placed at its bar's height.
    auto* pushed = addPanel();
    pushed->Push();
    page.Place(pushed, QStringLiteral("pushed"), 150, pushed->RealHeight());

    auto* plain = addPanel();
    plain->SetShowButton(false);
    page.Place(plain, QStringLiteral("ShowButton off"), 150, 90);
}
RQ_GALLERY_SECTION(PushPanels, 82);

void Groups(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivCheckGroup"));
    auto* checks = new TkivCheckGroup(page.Form());
    DialogFont(checks);
    checks->SetCaption(QStringLiteral("Options"));
    checks->SetColumns(2);
    page.Place(checks, QStringLiteral("2 columns, one item disabled"), 185, 90);
    FillItems(checks, {"HexSend", "HexShow", "Echo", "Time", "CR/LF"});
    checks->SetChecked(0, true);
    checks->SetChecked(3, true);
    checks->SetItemEnabled(4, false);
    page.ApplyLook(checks);

    page.BeginRow(QStringLiteral("TkivRadioGroup"));
    auto* parity = new TkivRadioGroup(page.Form());
    DialogFont(parity);
    parity->SetCaption(QStringLiteral("Parity"));
    parity->SetColumns(2);
    page.Place(parity, QStringLiteral("ItemIndex 2"), 185, 90);
    FillItems(parity, {"NO", "ODD", "EVEN", "MARK", "SPACE"});
    parity->SetItemIndex(2);
    page.ApplyLook(parity);

    auto* rate = new TkivRadioGroup(page.Form());
    DialogFont(rate);
    rate->SetCaption(QStringLiteral("RF_Datarate"));
    page.Place(rate, QStringLiteral("1 column, no selection"), 120, 90);
    FillItems(rate, {"1200", "2400", "4800"});
    page.ApplyLook(rate);
}
RQ_GALLERY_SECTION(Groups, 83);

}  // namespace
