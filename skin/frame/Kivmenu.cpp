#include "skin/frame/Kivmenu.h"

#include "framework/Font.h"
#include "framework/Graphics.h"
#include "framework/Resources.h"
#include "framework/SysLocale.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kivpublic.h"

#include <QVariant>
#include <algorithm>

namespace {

// The dynamic property that names the component whose handlers an item draws with.
constexpr const char* kHookProperty = "kivMenuHook";

quintptr HookOf(const TMenuItem* Item)
{
    const QVariant v = Item->property(kHookProperty);
    return v.isValid() ? v.value<quintptr>() : 0;
}

// A built-in picture cut to its top Rows rows, stretched over Rect.
void DrawMacOSPiece(TCanvas* Canvas, const TRect& Rect, const char* ResName, int Rows)
{
    if (!Canvas)
        return;
    TBitmap bmp;
    bmp.LoadFromResourceName(HInstance, QString::fromLatin1(ResName));
    bmp.SetHeight(Rows);
    Canvas->StretchDraw(Rect, &bmp);
}

// The left bar (right to left: the right bar) of an item.
void DrawBar(const TkivMenuLook& Look, TCanvas* Canvas, const TRect& R, bool LeftToRight)
{
    const TRect bar = LeftToRight ? Rect(R.Left, R.Top, R.Left + Look.BarWidth, R.Bottom)
                                  : Rect(R.Right - Look.BarWidth, R.Top, R.Right, R.Bottom);
    if (Look.BarColor == Look.BarToColor)
        Menu_DrawBackGround(Canvas, bar, Look.BarColor);
    else
        DrawVerticalGradient(Canvas, bar, Look.BarColor, Look.BarToColor);
}

// The bar when there is one, and the rest of the item filled with Color.
void DrawPlainBackground(const TkivMenuLook& Look, TCanvas* Canvas, const TRect& R, bool LeftToRight)
{
    if (Look.BarWidth > 0)
        DrawBar(Look, Canvas, R, LeftToRight);
    const TRect rest = LeftToRight ? Rect(R.Left + Look.BarWidth, R.Top, R.Right, R.Bottom)
                                   : Rect(R.Left, R.Top, R.Right - Look.BarWidth, R.Bottom);
    Menu_DrawBackGround(Canvas, rest, Look.Color);
}

bool HasImage(const TMenuItem* Item, const TCustomImageList* Images)
{
    return Images && Item->ImageIndex() != -1 && Item->ImageIndex() < Images->Count();
}

}  // namespace

void Menu_SetItemEvent(TMenuItem* Item, const TMenuMeasureItemEvent& MeasureHandler,
                       const TMenuDrawItemEvent& DrawHandler)
{
    if (!Item)
        return;
    Item->OnMeasureItem = MeasureHandler;
    Item->OnDrawItem = DrawHandler;
    for (int i = 0; i < Item->Count(); ++i)
        Menu_SetItemEvent(Item->Items(i), MeasureHandler, DrawHandler);
}

void Menu_DrawBorder(TCanvas* Canvas, const TRect& Rect, TColor Color)
{
    if (!Canvas)
        return;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->FrameRect(Rect);
}

void Menu_DrawBackGround(TCanvas* Canvas, const TRect& Rect, TColor Color)
{
    if (!Canvas)
        return;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Color);
    Canvas->FillRect(Rect);
}

void Menu_DrawLineItem(TCanvas* Canvas, const TRect& Rect, TColor Color, int BarWidth, bool LeftToRight)
{
    if (!Canvas)
        return;
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(Color);
    const int y = Rect.Top + 2;
    if (LeftToRight) {
        Canvas->MoveTo(Rect.Left + BarWidth + 4, y);
        Canvas->LineTo(Rect.Right - 2, y);
    } else {
        Canvas->MoveTo(Rect.Left + 2, y);
        Canvas->LineTo(Rect.Right - BarWidth - 4, y);
    }
}

void Menu_DrawMacOSLineItem(TCanvas* Canvas, const TRect& Rect) { DrawMacOSPiece(Canvas, Rect, "MACOS_MENU_BAR", 12); }

void Menu_DrawMacOSSelectedItem(TCanvas* Canvas, const TRect& Rect)
{
    DrawMacOSPiece(Canvas, Rect, "MACOS_MENU_SELECT", 20);
}

void Menu_DrawMacOSNonSelectedItem(TCanvas* Canvas, const TRect& Rect)
{
    DrawMacOSPiece(Canvas, Rect, "MACOS_MENU_BAR", 20);
}

void Menu_DrawWindowBorder(HWND Window, TColor OuterColor, TColor LineColor)
{
    TRect wr;
    if (!Window || !GetWindowRect(Window, wr))
        return;
    // Window coordinates: the window's top-left corner is (0, 0).
    const int WL = 0, WT = 0, WR = wr.Width(), WB = wr.Height();
    WithWindowDC(Window, [&](TCanvas& c) {
        Menu_DrawBorder(&c, Rect(WL, WT + 1, WR - 1, WB - 1), OuterColor);
        Menu_DrawBorder(&c, Rect(WL + 1, WT + 2, WR - 2, WB - 2), clWhite);
        c.Pen()->SetStyle(psSolid);
        c.Pen()->SetWidth(1);
        c.Pen()->SetMode(pmCopy);
        c.Pen()->SetColor(LineColor);
        c.Polyline({{WL, WB - 1}, {WR - 1, WB - 1}, {WR - 1, WT}, {WR, WT}, {WL, WT}});
    });
}

void Menu_GetSystemFont(TFont* Font)
{
    if (!Font)
        return;
    Font->SetName(QStringLiteral("Tahoma"));
    Font->SetHeight(-11);
    Font->SetStyle(0);
    Font->SetCharset(DEFAULT_CHARSET);
    Font->SetColor(clMenuText);
}

std::unique_ptr<TCustomImageList> Menu_NewCheckMarkList()
{
    TBitmap bmp;
    bmp.LoadFromResourceName(HInstance, QStringLiteral("MENU_CHECKED"));
    bmp.SetTransparent(true);
    auto list = std::make_unique<TCustomImageList>(16, 16);
    list->AddMasked(&bmp, clWhite);
    return list;
}

void Menu_ApplyUIStyle(TkivMenuLook& Look, const TkivThemeLink& Theme)
{
    const bool macOS = Theme.Style() == MacOS;
    Look.MenuItemHeight = macOS ? 20 : 21;
    Look.SeparatorHeight = macOS ? 12 : 5;
    Look.BarWidth = 26;
    Look.SeparatorColor = macOS ? TColor(0x000000) : TColor(0x848284);
    if (Theme.UsingFile()) {
        TkivFileTheme* f = Theme.File();
        Look.BarColor = f->GetColor(SKIN2_LEFTBARSTARTCOLOR);
        Look.BarToColor = f->GetColor(SKIN2_LEFTBARENDCOLOR);
        Look.Color = f->GetColor(SKIN2_MENUITEMCOLOR);
        Look.FontColor = f->GetColor(SKIN2_MENUITEMFONTCOLOR);
        Look.SelectedBorderColor = f->GetColor(SKIN2_SELECTEDMENUBORDERCOLOR);
        Look.SelectedColor = f->GetColor(SKIN2_SELECTEDMENUCOLOR);
        Look.SelectedFontColor = f->GetColor(SKIN2_SELECTEDMENUFONTCOLOR);
        return;
    }
    const TkivUIStyle s = Theme.Effective();
    Look.BarColor = GetInsideThemeColor(s, KIV_THEME_MENU_LEFTBAR_COLOR);
    Look.BarToColor = Look.BarColor;
    Look.Color = GetInsideThemeColor(s, KIV_THEME_MENU_BACKGROUND_COLOR);
    Look.FontColor = GetInsideThemeColor(s, KIV_THEME_MENU_FONT_COLOR);
    Look.SelectedBorderColor = GetInsideThemeColor(s, KIV_THEME_MENU_SELECTED_BORDER_COLOR);
    Look.SelectedColor = GetInsideThemeColor(s, KIV_THEME_MENU_SELECTED_BACKGROUND_COLOR);
    Look.SelectedFontColor = GetInsideThemeColor(s, KIV_THEME_MENU_SELECTED_FONT_COLOR);
}

void Menu_SelectItemFont(const TkivMenuLook& Look, TMenuItem* Item, TCanvas* Canvas)
{
    if (!Canvas)
        return;
    TFont* f = Canvas->Font();
    if (Look.UseSystemFont) {
        Menu_GetSystemFont(f);
    } else {
        f->SetName(Look.FontName);
        f->SetSize(Look.FontSize);
        f->SetCharset(Look.FontCharset);
    }
    f->SetStyle(Item && Item->Default() ? TFontStyles(fsBold) : TFontStyles(0));
}

void Menu_MeasureItem(const TkivMenuLook& Look, TMenuItem* Item, TCanvas* Canvas, int& Width, int& Height)
{
    if (!Item || !Canvas)
        return;
    Menu_SelectItemFont(Look, Item, Canvas);
    const String caption = Item->Caption();
    if (Item->IsLine())
        Height = Look.SeparatorHeight;
    else
        Height = std::max(Canvas->TextHeight(caption), Look.MenuItemHeight);
    Width = Canvas->TextWidth(caption) + Canvas->TextWidth(ShortCutToText(Item->ShortCut())) + Look.BarWidth + 40;
}

bool Menu_IsLeftToRight(const TMenu* Menu)
{
    return !(Menu && Menu->BiDiMode() != bdLeftToRight && SysLocale.MiddleEast);
}

void Menu_DrawItem(const TkivMenuLook& Look, const TkivMenuDrawContext& Context, TMenuItem* Item, TCanvas* Canvas,
                   const TRect& Rect, bool Selected)
{
    if (!Item || !Canvas || !Context.Theme)
        return;
    const TkivThemeLink& theme = *Context.Theme;
    const bool ltr = Context.LeftToRight;
    const bool macOS = theme.Style() == MacOS;
    const TRect R = Rect;

    // 1. The menu window's flat border, once per item drawn.
    if (Look.FlatMenu) {
        if (HWND window = WindowFromDC(Canvas))
            Menu_DrawWindowBorder(window, clBlack, theme.Color(KIV_THEME_FORM_BACKGROUND_COLOR, SKIN2_FORMCOLOR));
    }

    // 2. Separators.
    if (Item->IsLine()) {
        if (macOS) {
            Menu_DrawMacOSLineItem(Canvas, R);
        } else {
            DrawPlainBackground(Look, Canvas, R, ltr);
            Menu_DrawLineItem(Canvas, R, Look.SeparatorColor, Look.BarWidth, ltr);
        }
        return;
    }

    // 3. Background: the selection look needs an enabled item.
    const bool enabled = Item->Enabled();
    if (Selected && enabled) {
        if (macOS) {
            Menu_DrawMacOSSelectedItem(Canvas, R);
        } else {
            Menu_DrawBackGround(Canvas, R, Look.SelectedColor);
            Menu_DrawBorder(Canvas, R, Look.SelectedBorderColor);
        }
    } else if (macOS) {
        Menu_DrawMacOSNonSelectedItem(Canvas, R);
    } else {
        DrawPlainBackground(Look, Canvas, R, ltr);
    }

    // 5. Font.
    Menu_SelectItemFont(Look, Item, Canvas);
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->Font()->SetColor(!enabled ? TColor(0x808080) : Selected ? Look.SelectedFontColor : Look.FontColor);

    // 6, 7. Caption and shortcut text.
    const String caption = Item->Caption();
    const String shortcut = ShortCutToText(Item->ShortCut());
    if (ltr) {
        TRect cr = ::Rect(R.Left + Look.BarWidth + 4, R.Top, R.Right, R.Bottom);
        Canvas->DrawText(caption, cr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        if (!shortcut.isEmpty()) {
            TRect sr = ::Rect(R.Right - Canvas->TextWidth(shortcut) - 16, R.Top, R.Right, R.Bottom);
            Canvas->DrawText(shortcut, sr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        }
    } else {
        TRect cr = ::Rect(R.Left, R.Top, R.Right - Look.BarWidth - 4, R.Bottom);
        Canvas->DrawText(caption, cr, DT_SINGLELINE | DT_VCENTER | DT_RIGHT);
        if (!shortcut.isEmpty()) {
            TRect sr = ::Rect(R.Left + 16, R.Top, R.Left + 16 + Canvas->TextWidth(shortcut), R.Bottom);
            Canvas->DrawText(shortcut, sr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
        }
    }

    // 8 - 10. Check mark or the box behind the image, then the image.
    const int x = ltr ? R.Left + 4 : R.Right - 20;
    const bool image = HasImage(Item, Context.Images);
    if (Item->Checked()) {
        if (image) {
            Menu_DrawBorder(Canvas, ::Rect(x - 2, R.Top + 1, x + 17, R.Top + 20), clBlack);
            Menu_DrawBackGround(Canvas, ::Rect(x - 1, R.Top + 2, x + 16, R.Top + 19), Look.SelectedColor);
        } else if (Context.CheckMarks) {
            Context.CheckMarks->Draw(Canvas, x, R.Top + 3, 0, enabled);
        }
    }
    if (image)
        Context.Images->Draw(Canvas, x, R.Top + 3, Item->ImageIndex(), enabled);
}

// ----- TkivMenuHooks ---------------------------------------------------------------------------

TkivMenuHooks::TkivMenuHooks(QObject* Menu, TMenuMeasureItemEvent Measure, TMenuDrawItemEvent Draw)
    : FMenu(Menu), FMeasure(std::move(Measure)), FDraw(std::move(Draw))
{
}

TkivMenuHooks::~TkivMenuHooks()
{
    for (const QPointer<TMenuItem>& item : FItems) {
        if (!item || !IsHooked(item))
            continue;
        item->OnMeasureItem = nullptr;
        item->OnDrawItem = nullptr;
        item->setProperty(kHookProperty, QVariant());
    }
}

void TkivMenuHooks::Hook(TMenuItem* Item)
{
    if (!Item)
        return;
    Menu_SetItemEvent(Item, FMeasure, FDraw);
    Remember(Item);
}

bool TkivMenuHooks::IsHooked(const TMenuItem* Item) const
{
    return Item && HookOf(Item) == quintptr(FMenu);
}

void TkivMenuHooks::Remember(TMenuItem* Item)
{
    if (!IsHooked(Item)) {
        Item->setProperty(kHookProperty, QVariant::fromValue(quintptr(FMenu)));
        FItems.emplace_back(Item);
    }
    for (int i = 0; i < Item->Count(); ++i)
        Remember(Item->Items(i));
}
