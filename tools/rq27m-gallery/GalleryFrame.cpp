// The skinned window frame of every page, and a row showing the popup menu's items in each state.
#include "Gallery.h"

#include "framework/Menus.h"
#include "skin/frame/Kivform.h"
#include "skin/frame/Kivmainmenu.h"
#include "skin/frame/Kivpopupmenu.h"
#include "skin/frame/Kivtitlebar.h"

namespace {

TMenuItem* NewItem(TComponent* Owner, const QString& Caption, TShortCut Key = 0)
{
    auto* item = new TMenuItem(Owner);
    item->SetCaption(Caption);
    item->SetShortCut(Key);
    return item;
}

// File, Edit, View and a disabled Help menu, with shortcuts, a checked item, a radio pair, a
// default item, a separator and a sub-menu: every kind of item the skinned menus draw.
void FillMenu(TMenu* Menu, TComponent* Owner)
{
    TMenuItem* file = NewItem(Owner, QStringLiteral("&File"));
    file->Add(NewItem(Owner, QStringLiteral("&Open..."), ShortCut('O', ssCtrl)));
    TMenuItem* save = NewItem(Owner, QStringLiteral("&Save"), ShortCut('S', ssCtrl));
    save->SetDefault(true);
    file->Add(save);
    file->Add(NewItem(Owner, QStringLiteral("-")));
    TMenuItem* recent = NewItem(Owner, QStringLiteral("&Recent"));
    recent->Add(NewItem(Owner, QStringLiteral("module-a.cfg")));
    recent->Add(NewItem(Owner, QStringLiteral("module-b.cfg")));
    file->Add(recent);
    TMenuItem* print = NewItem(Owner, QStringLiteral("&Print"), ShortCut('P', ssCtrl));
    print->SetEnabled(false);
    file->Add(print);
    file->Add(NewItem(Owner, QStringLiteral("E&xit"), ShortCut(VK_F4, ssAlt)));
    Menu->Items()->Add(file);

    TMenuItem* view = NewItem(Owner, QStringLiteral("&View"));
    TMenuItem* bar = NewItem(Owner, QStringLiteral("&Status bar"));
    bar->SetChecked(true);
    view->Add(bar);
    for (const char* name : {"&Text", "&Hex"}) {
        TMenuItem* r = NewItem(Owner, QString::fromLatin1(name));
        r->SetRadioItem(true);
        r->SetGroupIndex(1);
        view->Add(r);
    }
    view->Items(1)->SetChecked(true);
    Menu->Items()->Add(view);

    TMenuItem* help = NewItem(Owner, QStringLiteral("&Help"));
    help->Add(NewItem(Owner, QStringLiteral("&About")));
    Menu->Items()->Add(help);
    TMenuItem* tools = NewItem(Owner, QStringLiteral("&Tools"));
    tools->SetEnabled(false);
    Menu->Items()->Add(tools);
}

// Draws a popup menu's items one under the other, as its menu window shows them: normal,
// selected, disabled, disabled while selected, checked, default and a separator.
class TMenuSample : public TCustomControl {
public:
    TMenuSample(TComponent* AOwner, TkivPopupMenu* Menu) : TCustomControl(AOwner), FMenu(Menu) {}

protected:
    void Paint() override
    {
        TCanvas* c = Canvas();
        c->Brush()->SetColor(FMenu->Color());
        c->FillRect(ClientRect());
        int y = 0;
        for (int i = 0; i < FMenu->Items()->Count(); ++i) {
            TMenuItem* item = FMenu->Items()->Items(i);
            int w = Width();
            int h = 0;
            FMenu->MeasureItem(item, c, w, h);
            FMenu->DrawItem(item, c, Rect(0, y, Width(), y + h), item->Tag() == 1);
            y += h;
        }
    }

private:
    TkivPopupMenu* FMenu;
};

void PopupMenus(TGalleryPage& page)
{
    page.BeginRow(QStringLiteral("TkivPopupMenu"));
    auto* menu = new TkivPopupMenu(page.Form());
    menu->SetFileTheme(page.Theme());
    menu->SetUIStyle(page.Style());
    struct Row {
        const char* caption;
        TShortCut key;
        bool selected, enabled, checked, isDefault;
    };
    const Row rows[] = {
        {"&Read All", ShortCut('R', ssCtrl), false, true, false, true},
        {"&Write All", ShortCut('W', ssCtrl), true, true, false, false},
        {"-", 0, false, true, false, false},
        {"&Hex send", 0, false, true, true, false},
        {"&Disabled", 0, false, false, false, false},
        {"Disabled, &selected", 0, true, false, false, false},
    };
    int height = 0;
    for (const Row& r : rows) {
        TMenuItem* item = NewItem(menu, QString::fromLatin1(r.caption), r.key);
        item->SetEnabled(r.enabled);
        item->SetChecked(r.checked);
        item->SetDefault(r.isDefault);
        item->SetTag(r.selected ? 1 : 0);
        menu->Items()->Add(item);
        height += item->IsLine() ? menu->SeparatorHeight() : menu->MenuItemHeight();
    }
    auto* sample = new TMenuSample(page.Form(), menu);
    page.Place(sample, QStringLiteral("items: normal, selected, separator, checked, disabled"), 230, height);
}
RQ_GALLERY_SECTION(PopupMenus, 90);

}  // namespace

void DressPageInSkinnedFrame(TGalleryPage& Page)
{
    auto* frame = new TkivForm(Page.Form());
    frame->SetParent(Page.Form());
    frame->SetFileTheme(Page.Theme());
    frame->SetUIStyle(Page.Style());

    auto* menu = new TkivMainMenu(Page.Form());
    menu->SetFileTheme(Page.Theme());
    menu->SetUIStyle(Page.Style());
    FillMenu(menu, Page.Form());
    frame->SetMenu(menu);

    // A help button and a custom button (showing the style's control-box pictures) in the title bar.
    frame->AddHelpButton();
    TkivTitleBarButtons* buttons = frame->TitleBar()->Buttons();
    TkivTitleBarButton* custom = buttons->Add();
    for (int i = 0; i < buttons->Count(); ++i) {
        TkivTitleBarButton* b = buttons->Items(i);
        if (b->ButtonType() == kivControlBox) {
            custom->PicNormal()->Assign(b->PicNormal());
            custom->PicMouseOn()->Assign(b->PicMouseOn());
            custom->PicMouseDown()->Assign(b->PicMouseDown());
            custom->SetTransparent(b->Transparent());
        }
    }
    frame->SetTitleBarDrawAppIcon(false);
    Page.SetContainer(frame, frame->GetTitleBarHeight() + frame->GetMenuBarHeight() + 8);
}
