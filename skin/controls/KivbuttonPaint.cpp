// Painting of the push buttons: the off-screen skeleton, the state pictures, captions, glyphs,
// focus marks and triangles.
#include "skin/controls/Kivbutton.h"

#include "framework/Controls.h"
#include "framework/Graphics.h"
#include "framework/ImgList.h"
#include "skin/theme/Kivpublic.h"

namespace {

// The control whose parent is painted under a transparent control: the parent itself when it is
// a tab sheet or a skinned toolbar (their own background shows through), else the control.
TControl* TransparencyReference(TControl* Control)
{
    TWinControl* parent = Control->Parent();
    if (parent && (parent->InheritsFrom("TTabSheet") || parent->InheritsFrom("TkivToolBar")))
        return parent;
    return Control;
}

// Draws Text centred in R as a word-wrapped block.
void DrawCentred(TCanvas* Canvas, const String& Text, const TRect& R)
{
    TRect measured = R;
    Canvas->DrawText(Text, measured, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    const int dx = (R.Width() - measured.Width()) / 2;
    const int dy = (R.Height() - measured.Height()) / 2;
    TRect placed{measured.Left + dx, measured.Top + dy, measured.Right + dx, measured.Bottom + dy};
    Canvas->DrawText(Text, placed, DT_EXPANDTABS | DT_WORDBREAK);
}

TColor TopLeftPixel(TBitmap* Bitmap)
{
    return QRgbToColor(Bitmap->Image().pixel(0, 0));
}

// The bitmap of a picture, or an exception when the picture holds something else.
TBitmap* PictureBitmap(TPicture* Picture)
{
    auto* b = dynamic_cast<TBitmap*>(Picture->Graphic());
    if (!b)
        throw EConvertError(QStringLiteral("Cannot assign a %1 to a TBitmap").arg(Picture->Graphic()->ClassName()));
    return b;
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// TkivCustomButton

void TkivCustomButton::Paint()
{
    // 1-2. The state picture; a picture that cannot be had becomes an empty 74 x 21 one.
    auto picture = std::make_unique<TBitmap>();
    try {
        if (!Enabled())
            PaintButtonDisabled(picture.get());
        else if (FMouseDown)
            PaintButtonMouseDown(picture.get());
        else if (FMouseOver)
            PaintButtonMouseOn(picture.get());
        else
            PaintButtonNormal(picture.get());
    } catch (const std::exception&) {
        picture = std::make_unique<TBitmap>(74, 21);
    }
    picture->SetTransparent(FPicTransparent);

    // 3-4. The off-screen bitmap and its background.
    TBitmap offscreen;
    offscreen.SetPixelFormat(pfDevice);
    offscreen.SetSize(Width(), Height());
    TCanvas* canvas = offscreen.Canvas();
    if (!FTransparent) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
    } else if (Parent()) {
        DoTrans(canvas, TransparencyReference(this));
    }

    // 5-8. Picture, focus mark, caption.
    PaintPic(canvas, picture.get());
    picture.reset();
    if (Focused() && TabStop())
        PaintFocus(canvas);
    canvas->SetFont(Font());
    Canvas()->SetFont(Font());
    if (!Caption().trimmed().isEmpty())
        PaintText(canvas, Caption());

    // 9. One copy to the screen.
    Canvas()->Draw(0, 0, &offscreen);
}

void TkivCustomButton::PaintButton(int FrameIndex, TBitmap* Bitmap)
{
    FTheme.Bitmap(KIV_THEME_BUTTON_IMAGE, SKIN2_BUTTON, Bitmap, 3, FrameIndex);
}

void TkivCustomButton::PaintButtonNormal(TBitmap* Bitmap) { PaintButton(1, Bitmap); }
void TkivCustomButton::PaintButtonMouseOn(TBitmap* Bitmap) { PaintButton(2, Bitmap); }
void TkivCustomButton::PaintButtonMouseDown(TBitmap* Bitmap) { PaintButton(3, Bitmap); }
void TkivCustomButton::PaintButtonDisabled(TBitmap* Bitmap) { PaintButton(1, Bitmap); }

void TkivCustomButton::PaintPic(TCanvas* Canvas, TBitmap* Bitmap)
{
    if (Bitmap->Empty())
        return;
    TCustomImageList list(Bitmap->Width(), Bitmap->Height());
    if (FPicTransparent)
        list.AddMasked(Bitmap, TopLeftPixel(Bitmap));
    else
        list.Add(Bitmap, nullptr);
    list.Draw(Canvas, 0, 0, 0, Enabled());
}

void TkivCustomButton::PaintText(TCanvas* Canvas, const String& Caption)
{
    Canvas->Brush()->SetStyle(bsClear);
    const TRect client = ClientRect();
    Canvas->SetFont(Font());
    if (FBoldCaption)
        Canvas->Font()->SetStyle(Canvas->Font()->Style() | fsBold);
    const TRect shifted{client.Left + 1, client.Top + 1, client.Right + 1, client.Bottom + 1};
    if (!Enabled()) {
        // Engraved: white one pixel right and down, grey on top.
        Canvas->Font()->SetColor(TColor(0xFFFFFF));
        DrawCentred(Canvas, Caption, shifted);
        Canvas->Font()->SetColor(TColor(0x808080));
        DrawCentred(Canvas, Caption, client);
    } else if (FMouseDown) {
        DrawCentred(Canvas, Caption, shifted);
    } else {
        DrawCentred(Canvas, Caption, client);
    }
    FBoldCaption = false;
}

void TkivCustomButton::PaintFocus(TCanvas* Canvas)
{
    const int m = FFocusedRectMargin;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->DrawFocusRect(Rect(m, m, ClientWidth() - m, ClientHeight() - m));
}

// ---------------------------------------------------------------------------------------------
// TkivButton

void TkivButton::PaintPic(TCanvas* Canvas, TBitmap* Bitmap)
{
    Canvas->SetFont(Font());
    SpitDraw(Bitmap, Canvas, ClientRect(), PicTransparent());
    if (FGlyph->Empty())
        return;

    const String caption = Caption();
    const int tw = Canvas->TextWidth(caption);
    const int th = Canvas->TextHeight(caption);
    int gw = FGlyph->Width();
    const int gh = FGlyph->Height();
    const bool twoFrames = gw == 2 * gh;
    if (twoFrames)
        gw = gh;
    const int W = Width(), H = Height(), S = FSpacing;
    int gx = 0, gy = 0;
    switch (FLayout) {
    case blGlyphLeft:
        gx = (W - (tw + gw + S)) / 2;
        gy = (H - gh) / 2;
        FTextPos = {gx + gw + S, (H - th) / 2};
        break;
    case blGlyphRight:
        gx = (W + tw + S - gw) / 2;
        gy = (H - gh) / 2;
        FTextPos = {gx - tw - S, (H - th) / 2};
        break;
    case blGlyphTop:
        gx = (W - gw) / 2;
        gy = (H - (th + gh + S)) / 2;
        FTextPos = {(W - tw) / 2, gy + gh + S};
        break;
    case blGlyphBottom:
        gx = (W - gw) / 2;
        gy = (H + th + S - gh) / 2;
        FTextPos = {(W - tw) / 2, gy - th - S};
        break;
    }
    if (FMouseDown) {
        ++gx;
        ++gy;
    }
    TCustomImageList list(gw, gh);
    list.AddMasked(FGlyph.get(), TopLeftPixel(FGlyph.get()));
    if (twoFrames)
        list.Draw(Canvas, gx, gy, Enabled() ? 0 : 1, true);
    else
        list.Draw(Canvas, gx, gy, 0, Enabled());
}

void TkivButton::PaintText(TCanvas* Canvas, const String& Caption)
{
    if (FGlyph->Empty()) {
        TkivCustomButton::PaintText(Canvas, Caption);
        return;
    }
    Canvas->Brush()->SetStyle(bsClear);
    Canvas->SetFont(Font());
    if (Enabled() && FMouseDown)
        FTextPos = {FTextPos.X + 1, FTextPos.Y + 1};
    if (!Enabled()) {
        Canvas->Font()->SetColor(TColor(0xFFFFFF));
        TRect engraved{FTextPos.X + 1, FTextPos.Y + 1, Width(), Height()};
        Canvas->DrawText(Caption, engraved, DT_SINGLELINE);
        Canvas->Font()->SetColor(TColor(0x808080));
    }
    TRect r{FTextPos.X, FTextPos.Y, Width(), Height()};
    Canvas->DrawText(Caption, r, DT_SINGLELINE);
}

void TkivButton::PaintFocus(TCanvas* Canvas)
{
    // Glossy styles mark the focus with a bold caption instead of a dotted frame.
    if (UIStyle() == MacOS || UIStyle() == BlueGlass)
        FBoldCaption = true;
    else
        TkivCustomButton::PaintFocus(Canvas);
}

// ---------------------------------------------------------------------------------------------
// TkivImageButton

void TkivImageButton::AssignPicture(TBitmap* Bitmap, TPicture* Preferred)
{
    TPicture* source = Preferred->Graphic() ? Preferred : FPicNormal->Graphic() ? FPicNormal.get() : nullptr;
    if (source)
        Bitmap->Assign(PictureBitmap(source));
}

void TkivImageButton::PaintButtonNormal(TBitmap* Bitmap)
{
    if (FPicNormal->Graphic())
        Bitmap->Assign(PictureBitmap(FPicNormal.get()));
}

void TkivImageButton::PaintButtonMouseOn(TBitmap* Bitmap) { AssignPicture(Bitmap, FPicMouseOn.get()); }
void TkivImageButton::PaintButtonMouseDown(TBitmap* Bitmap) { AssignPicture(Bitmap, FPicMouseDown.get()); }
void TkivImageButton::PaintButtonDisabled(TBitmap* Bitmap) { AssignPicture(Bitmap, FPicDisabled.get()); }

void TkivImageButton::PaintPic(TCanvas* Canvas, TBitmap* Bitmap)
{
    if (Bitmap->Width() <= 0 || Bitmap->Height() <= 0)
        return;
    Bitmap->SetTransparentColor(TopLeftPixel(Bitmap));
    if (FStretch)
        Canvas->StretchDraw(Rect(0, 0, Width(), Height()), Bitmap);
    else
        Canvas->Draw(0, 0, Bitmap);
}

void TkivImageButton::PaintFocus(TCanvas* Canvas)
{
    if (FDrawFocused)
        TkivCustomButton::PaintFocus(Canvas);
}

// ---------------------------------------------------------------------------------------------
// TkivControlButton

void TkivControlButton::ThemeFrame(int FrameIndex, TBitmap* Bitmap)
{
    if (FTheme.UsingFile())
        return;
    GetInsideThemeBitmap(FTheme.Effective(), FThemeID, Bitmap, FPicCount, FrameIndex);
}

void TkivControlButton::PaintButtonNormal(TBitmap* Bitmap)
{
    ThemeFrame(FPicIndex, Bitmap);
    SetBounds(Left(), Top(), Bitmap->Width(), Bitmap->Height());
}

void TkivControlButton::PaintButtonMouseOn(TBitmap* Bitmap) { ThemeFrame(FPicIndex + 1, Bitmap); }
void TkivControlButton::PaintButtonMouseDown(TBitmap* Bitmap) { ThemeFrame(FPicIndex, Bitmap); }
void TkivControlButton::PaintButtonDisabled(TBitmap* Bitmap) { ThemeFrame(FPicIndex, Bitmap); }

void TkivControlButton::PaintPic(TCanvas* Canvas, TBitmap* Bitmap)
{
    if (Bitmap->Width() <= 0 || Bitmap->Height() <= 0)
        return;
    Bitmap->SetTransparentColor(TopLeftPixel(Bitmap));
    Canvas->Draw(0, 0, Bitmap);
    SetBounds(Left(), Top(), Bitmap->Width(), Bitmap->Height());
}

// ---------------------------------------------------------------------------------------------
// TkivArrowButton

void TkivArrowButton::PaintPic(TCanvas* Canvas, TBitmap* Bitmap)
{
    SpitDraw(Bitmap, Canvas, ClientRect(), PicTransparent());
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(clBlack);
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetColor(clBlack);
    const int cx = (Width() - 6) / 2;
    const int cy = (Height() - 3) / 2;
    if (FArrow == kivUp)
        Canvas->Polygon({{cx, cy + 3}, {cx + 3, cy}, {cx + 6, cy + 3}});
    else
        Canvas->Polygon({{cx, cy}, {cx + 3, cy + 3}, {cx + 6, cy}});
}

// ---------------------------------------------------------------------------------------------
// TkivToolBarSpeedButton

void TkivToolBarSpeedButton::Paint()
{
    FGlyph->SetTransparent(true);
    TBitmap offscreen;
    offscreen.SetSize(Width(), Height());
    TCanvas* canvas = offscreen.Canvas();
    if (Color() == FToColor) {
        canvas->Brush()->SetStyle(bsSolid);
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ClientRect());
    } else {
        DrawHorizontalGradient(canvas, ClientRect(), Color(), FToColor);
    }
    if (!FGlyph->Empty()) {
        if (FMouseOver) {
            canvas->Brush()->SetStyle(bsSolid);
            canvas->Brush()->SetColor(clBlack);
            canvas->FrameRect(ClientRect());
        }
        canvas->Draw(1, 1, FGlyph.get());
    }
    Canvas()->Draw(0, 0, &offscreen);
}
