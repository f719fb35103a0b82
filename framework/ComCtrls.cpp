#include "framework/ComCtrls.h"

#include "framework/ExtCtrls.h"
#include "framework/Graphics.h"

void TStatusPanel::SetWidth(int v)
{
    if (FWidth == v)
        return;
    FWidth = v;
    Changed(true);
}

void TStatusPanel::SetText(const String& v)
{
    if (FText == v)
        return;
    FText = v;
    Changed(false);
}

void TStatusPanel::SetAlignment(TAlignment v)
{
    FAlignment = v;
    Changed(false);
}

void TStatusPanel::SetBevel(TStatusPanelBevel v)
{
    FBevel = v;
    Changed(false);
}

void TStatusPanel::SetStyle(TStatusPanelStyle v)
{
    FStyle = v;
    Changed(false);
}

TStatusPanels::TStatusPanels(TCustomStatusBar* StatusBar)
    : TCollection([](TCollection* c) -> TCollectionItem* { return new TStatusPanel(c); }, nullptr)
{
    (void)StatusBar;
}

TCustomStatusBar::TCustomStatusBar(TComponent* AOwner) : TCustomControl(AOwner), FPanels(new TStatusPanels(this))
{
    FControlStyle = csCaptureMouse | csClickEvents | csDoubleClicks | csOpaque;
    FPanels->OnUpdate = [this](TCollectionItem*) { Invalidate(); };
    SetColor(clBtnFace);
    SetBounds(0, 0, 200, 19);
    SetAlign(alBottom);
}

TCustomStatusBar::~TCustomStatusBar()
{
    FPanels->OnUpdate = nullptr;
    delete FPanels;
    FPanels = nullptr;
}

void TCustomStatusBar::SetSimplePanel(bool v)
{
    FSimplePanel = v;
    Invalidate();
}

void TCustomStatusBar::SetSimpleText(const String& v)
{
    FSimpleText = v;
    Invalidate();
}

void TCustomStatusBar::SetSizeGrip(bool v)
{
    FSizeGrip = v;
    Invalidate();
}

TRect TCustomStatusBar::PanelRect(int Index) const
{
    int x = 0;
    for (int i = 0; i < Index && i < FPanels->Count(); ++i)
        x += FPanels->Items(i)->Width();
    int right = x + (Index < FPanels->Count() ? FPanels->Items(Index)->Width() : 0);
    if (Index == FPanels->Count() - 1)
        right = std::max(right, ClientWidth());
    return Rect(x, 0, right, ClientHeight());
}

void TCustomStatusBar::DrawPanel(TStatusPanel* Panel, const TRect& R)
{
    TCanvas* c = Canvas();
    if (Panel->Style() == psOwnerDraw) {
        OnDrawPanel(this, Panel, R);
        return;
    }
    TRect r = R;
    r.Top += 2;
    r.Right -= 2;
    if (Panel->Bevel() != pbNone) {
        TRect b = r;
        Frame3D(c, b, Panel->Bevel() == pbLowered ? clBtnShadow : clBtnHighlight,
                Panel->Bevel() == pbLowered ? clBtnHighlight : clBtnShadow, 1);
    }
    TRect t = r;
    t.Left += 2;
    t.Right -= 2;
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX;
    flags |= Panel->Alignment() == taCenter ? DT_CENTER : Panel->Alignment() == taRightJustify ? DT_RIGHT : DT_LEFT;
    c->DrawText(Panel->Text(), t, flags);
}

void TCustomStatusBar::Paint()
{
    TCanvas* c = Canvas();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(ClientRect());
    if (FSimplePanel || FPanels->Count() == 0) {
        TRect r = ClientRect();
        r.Left += 2;
        c->Brush()->SetStyle(bsClear);
        c->SetFont(Font());
        c->DrawText(FSimpleText, r, DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
        return;
    }
    for (int i = 0; i < FPanels->Count(); ++i)
        DrawPanel(FPanels->Items(i), PanelRect(i));
}
