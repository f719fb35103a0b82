#include "framework/ExtCtrls.h"

#include "framework/Graphics.h"

TTimer::TTimer(TComponent* AOwner) : TComponent(AOwner)
{
    QObject::connect(&FTimer, &QTimer::timeout, this, [this] {
        try {
            Timer();
        } catch (...) {
            HandleCallbackException();
        }
    });
    UpdateTimer();
}

TTimer::~TTimer()
{
    FTimer.stop();
}

void TTimer::SetInterval(int v)
{
    if (FInterval == v)
        return;
    FInterval = v;
    UpdateTimer();
}

void TTimer::SetEnabled(bool v)
{
    if (FEnabled == v)
        return;
    FEnabled = v;
    UpdateTimer();
}

void TTimer::UpdateTimer()
{
    FTimer.stop();
    if (FEnabled && FInterval > 0)
        FTimer.start(FInterval);
}

void TTimer::Timer() { OnTimer(this); }

void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, int Width)
{
    Rect.Bottom -= 1;
    Rect.Right -= 1;
    for (int i = 0; i < Width; ++i) {
        Canvas->Pen()->SetColor(TopColor);
        Canvas->Pen()->SetWidth(1);
        Canvas->Pen()->SetStyle(psSolid);
        Canvas->Polyline({{Rect.Left, Rect.Bottom}, {Rect.Left, Rect.Top}, {Rect.Right, Rect.Top}});
        Canvas->Pen()->SetColor(BottomColor);
        Canvas->Polyline({{Rect.Right, Rect.Top}, {Rect.Right, Rect.Bottom}, {Rect.Left - 1, Rect.Bottom}});
        Rect.Left += 1;
        Rect.Top += 1;
        Rect.Right -= 1;
        Rect.Bottom -= 1;
    }
    Rect.Bottom += 1;
    Rect.Right += 1;
}

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner)
{
    FControlStyle |= csReplicatable;
    SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape v)
{
    if (FShape == v)
        return;
    FShape = v;
    Invalidate();
}

void TBevel::SetStyle(TBevelStyle v)
{
    if (FStyle == v)
        return;
    FStyle = v;
    Invalidate();
}

void TBevel::Paint()
{
    TCanvas* c = Canvas();
    TColor color1 = FStyle == bsLowered ? clBtnShadow : clBtnHighlight;
    TColor color2 = FStyle == bsLowered ? clBtnHighlight : clBtnShadow;
    c->Pen()->SetWidth(1);
    c->Pen()->SetStyle(psSolid);
    auto line = [&](TColor color, int x1, int y1, int x2, int y2) {
        c->Pen()->SetColor(color);
        c->MoveTo(x1, y1);
        c->LineTo(x2, y2);
    };
    const int w = Width(), h = Height();
    switch (FShape) {
    case bsBox: {
        TRect r = ClientRect();
        Frame3D(c, r, color1, color2, 1);
        break;
    }
    case bsFrame: {
        TRect r = Rect(1, 1, w, h);
        Frame3D(c, r, color2, color2, 1);
        r = Rect(0, 0, w - 1, h - 1);
        Frame3D(c, r, color1, color1, 1);
        break;
    }
    case bsTopLine:
        line(color1, 0, 0, w, 0);
        line(color2, 0, 1, w, 1);
        break;
    case bsBottomLine:
        line(color1, 0, h - 2, w, h - 2);
        line(color2, 0, h - 1, w, h - 1);
        break;
    case bsLeftLine:
        line(color1, 0, 0, 0, h);
        line(color2, 1, 0, 1, h);
        break;
    case bsRightLine:
        line(color1, w - 2, 0, w - 2, h);
        line(color2, w - 1, 0, w - 1, h);
        break;
    case bsSpacer:
        break;
    }
}

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner)
{
    FControlStyle = csAcceptsControls | csCaptureMouse | csClickEvents | csSetCaption | csOpaque | csDoubleClicks |
                    csReplicatable;
    SetBounds(0, 0, 185, 41);
    SetColor(clBtnFace);
}

void TCustomPanel::SetBevelOuter(TPanelBevel v)
{
    FBevelOuter = v;
    Invalidate();
}

void TCustomPanel::SetBevelInner(TPanelBevel v)
{
    FBevelInner = v;
    Invalidate();
}

void TCustomPanel::SetBevelWidth(int v)
{
    FBevelWidth = std::max(1, v);
    Invalidate();
}

void TCustomPanel::SetAlignment(TAlignment v)
{
    FAlignment = v;
    Invalidate();
}

void TCustomPanel::Paint()
{
    TCanvas* c = Canvas();
    TRect r = ClientRect();
    c->Brush()->SetColor(Color());
    c->Brush()->SetStyle(bsSolid);
    c->FillRect(r);
    auto bevel = [&](TPanelBevel b) {
        if (b == bvNone)
            return;
        const TColor top = b == bvLowered ? clBtnShadow : clBtnHighlight;
        const TColor bottom = b == bvLowered ? clBtnHighlight : clBtnShadow;
        Frame3D(c, r, top, bottom, FBevelWidth);
    };
    bevel(FBevelOuter);
    bevel(FBevelInner);
    const String text = Caption();
    if (!text.isEmpty()) {
        c->SetFont(Font());
        c->Brush()->SetStyle(bsClear);
        UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS;
        flags |= FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER;
        c->DrawText(text, r, flags);
    }
}

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner), FPicture(new TPicture)
{
    FControlStyle |= csReplicatable;
    FPicture->OnChange = [this](TObject*) { PictureChanged(); };
    SetBounds(0, 0, 105, 105);
}

TImage::~TImage()
{
    FPicture->OnChange = nullptr;
    delete FPicture;
}

void TImage::SetPicture(const TPicture* v) { FPicture->Assign(v); }

void TImage::SetStretch(bool v)
{
    FStretch = v;
    Invalidate();
}

void TImage::SetCenter(bool v)
{
    FCenter = v;
    Invalidate();
}

void TImage::SetProportional(bool v)
{
    FProportional = v;
    Invalidate();
}

void TImage::SetTransparent(bool v)
{
    FTransparent = v;
    if (FPicture->Graphic())
        FPicture->Graphic()->SetTransparent(v);
    Invalidate();
}

void TImage::SetAutoSize(bool v)
{
    FAutoSize = v;
    PictureChanged();
}

void TImage::PictureChanged()
{
    if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
        SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
    if (FPicture->Graphic() && FTransparent)
        FPicture->Graphic()->SetTransparent(true);
    Invalidate();
}

TRect TImage::DestRect() const
{
    const int pw = FPicture->Width(), ph = FPicture->Height();
    const int cw = ClientWidth(), ch = ClientHeight();
    int w = pw, h = ph;
    if (FStretch || (FProportional && (pw > cw || ph > ch))) {
        if (FProportional && pw > 0 && ph > 0) {
            if (double(cw) / pw < double(ch) / ph) {
                w = cw;
                h = int(double(ph) * cw / pw);
            } else {
                h = ch;
                w = int(double(pw) * ch / ph);
            }
        } else {
            w = cw;
            h = ch;
        }
    }
    TRect r = Rect(0, 0, w, h);
    if (FCenter) {
        r.Left = (cw - w) / 2;
        r.Top = (ch - h) / 2;
        r.Right = r.Left + w;
        r.Bottom = r.Top + h;
    }
    return r;
}

void TImage::Paint()
{
    if (!FPicture->Graphic())
        return;
    const TRect r = DestRect();
    if (r.Width() == FPicture->Width() && r.Height() == FPicture->Height())
        Canvas()->Draw(r.Left, r.Top, FPicture->Graphic());
    else
        Canvas()->StretchDraw(r, FPicture->Graphic());
}
