// The title bar's painting: the sections (with the raw and composed title images the skinned frame
// paints from), the caption buttons, the icon or control box, and the caption.
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "skin/frame/Kivtitlebar.h"
#include "skin/theme/Kivpublic.h"

#include <QApplication>
#include <QIcon>
#include <QStyle>

namespace {

constexpr TColor NoKey = TColor(-1);

// Draws a picture at (X, Y) at its own size, as the picture says (its own Transparent).
void DrawPicture(TCanvas* Canvas, int X, int Y, TPicture* Picture)
{
    if (TGraphic* g = Picture->Graphic())
        Canvas->Draw(X, Y, g);
}

// Stretches a picture over Rect, as the picture says.
void StretchPicture(TCanvas* Canvas, const TRect& R, TPicture* Picture)
{
    if (TGraphic* g = Picture->Graphic())
        Canvas->StretchDraw(R, g);
}

// Copies the picture's pixels into Target at (0, 0), leaving nothing out (Target keeps its own
// size and transparency settings).
void CopyPixels(TBitmap* Target, TPicture* Picture)
{
    TGraphic* g = Picture->Graphic();
    if (!g || g->Empty())
        return;
    if (auto* b = dynamic_cast<TBitmap*>(g)) {
        const QImage& img = b->Image();
        Target->Canvas()->StretchBltImage(Rect(0, 0, img.width(), img.height()), img, img.rect(), SRCCOPY, NoKey);
        return;
    }
    const bool was = g->Transparent();
    g->SetTransparent(false);
    g->Draw(Target->Canvas(), Rect(0, 0, g->Width(), g->Height()));
    g->SetTransparent(was);
}

}  // namespace

void TkivTitleBar::DrawAppIconAt(TCanvas* Canvas, int X, int Y)
{
    QIcon icon = QGuiApplication::windowIcon();
    if (icon.isNull() && qApp && QApplication::style())
        icon = QApplication::style()->standardIcon(QStyle::SP_TitleBarMenuButton);
    if (icon.isNull())
        return;
    QImage image = icon.pixmap(QSize(16, 16), 1.0).toImage();
    if (image.isNull())
        return;
    if (image.size() != QSize(16, 16))
        image = image.scaled(16, 16, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    Canvas->DrawAlphaImage(X, Y, image.convertToFormat(QImage::Format_ARGB32_Premultiplied));
}

void TkivTitleBar::Paint()
{
    TBitmap bitmap(std::max(0, Width()), std::max(0, Height()));
    bitmap.SetPixelFormat(pf24bit);
    TCanvas* c = bitmap.Canvas();
    c->Brush()->SetStyle(bsClear);
    c->SetFont(Font());
    DrawSectionsTo(&bitmap);
    DrawButtons(&bitmap);
    if (Canvas()->HandleAllocated())
        Canvas()->Draw(0, 0, &bitmap);
}

void TkivTitleBar::DrawSectionsTo(TBitmap* Bitmap)
{
    if (!HostForm())
        return;
    TCanvas* canvas = Bitmap->Canvas();

    // Insets: the title pictures are laid out in the skinned frame's window coordinates.
    int dx = 0, dy = 0;
    if (InForm()) {
        const int n = FrameInset();
        dx = n != 0 ? -n : (OwnerHost() ? -4 : -3);
        dy = -3;
    }

    // Width reserved for the buttons before a caption section, hidden ones included.
    int reserved = 0;
    for (int i = 0; i < FButtons->Count(); ++i)
        reserved += FButtons->Items(i)->PicNormal()->Width() + FButtonInterval;

    const int width = Bitmap->Width();
    FRawImage->SetSize(width - 2 * dx, Bitmap->Height() - dy);
    FComposedImage->SetSize(width - 2 * dx, Bitmap->Height() - dy);
    {
        TCanvas* cc = FComposedImage->Canvas();
        cc->Brush()->SetStyle(bsSolid);
        cc->Brush()->SetColor(FBackgroundColor);
        cc->FillRect(Rect(0, 0, FComposedImage->Width(), FComposedImage->Height()));
    }
    TCanvas* raw = FRawImage->Canvas();

    int lx = dx;
    int rx = width - dx;
    int lw = 0;
    TkivTitleBarSection* client = nullptr;
    bool captionSection = false;

    for (int i = 0; i < FSections->Count(); ++i) {
        TkivTitleBarSection* s = FSections->Items(i);
        TPicture* pic = s->Picture();
        const int pw = pic->Width(), ph = pic->Height();
        if (s->CapSec()) {
            const int nw = i + 1 < FSections->Count() ? FSections->Items(i + 1)->Width() : 0;
            FSectionCaption = FormatStringWithWidth(canvas, Caption(), width - FLeftBtnXOffset - 21 - reserved - nw);
            const int w = canvas->TextWidth(FSectionCaption) + FLeftBtnXOffset - lw + 17;
            StretchPicture(canvas, Rect(lx, dy, lx + w, dy + ph), pic);
            StretchPicture(raw, Rect(lx - dx, 0, lx + w - dx, ph), pic);
            lx += w;
            captionSection = true;
            continue;
        }
        switch (s->Align()) {
        case kivLeft:
            DrawPicture(canvas, lx, dy, pic);
            DrawPicture(raw, lx - dx, 0, pic);
            lx += pw;
            lw = pw;
            break;
        case kivRight: {
            // Pixels of the transparent colour show the background colour.
            TBitmap source(pw, ph);
            source.SetPixelFormat(pf24bit);
            CopyPixels(&source, pic);
            source.SetTransparentColor(FTransparentColor);
            source.SetTransparent(true);
            TBitmap shown(pw, ph);
            shown.SetPixelFormat(pf24bit);
            shown.Canvas()->Brush()->SetStyle(bsSolid);
            shown.Canvas()->Brush()->SetColor(FBackgroundColor);
            shown.Canvas()->FillRect(Rect(0, 0, pw, ph));
            shown.Canvas()->Draw(0, 0, &source);
            canvas->Draw(rx - pw, dy, &shown);
            DrawPicture(raw, rx - dx - pw, 0, pic);
            rx -= pw;
            break;
        }
        case kivClient:
            client = s;
            break;
        }
    }

    if (client && rx > lx) {
        TPicture* pic = client->Picture();
        StretchPicture(canvas, Rect(lx, dy, rx, dy + pic->Height()), pic);
        StretchPicture(raw, Rect(lx - dx, 0, rx - dx, pic->Height()), pic);
    }

    FComposedImage->Canvas()->Draw(0, 0, FRawImage.get());

    if (!captionSection)
        FSectionCaption.clear();
    else if (IkivFrameHost* host = ParentHost())
        host->PaintFormBorder();
}

void TkivTitleBar::DrawButtons(TBitmap* Bitmap)
{
    TCustomForm* form = HostForm();
    if (!form)
        return;
    TCanvas* canvas = Bitmap->Canvas();
    const int width = Bitmap->Width();
    const int n = FrameInset() - 1;
    int x = width - FRightBtnXOffset + n;
    int controlBox = -1;

    TBitmap scratch;
    if (UIStyle() == FromThemeFile) {
        scratch.SetPixelFormat(pf24bit);
        scratch.SetTransparentColor(FTransparentColor);
    }

    const TPoint p = ScreenToClient(GetCursorPos());
    FHotIndex = -1;
    const bool designing = ComponentState() & csDesigning;

    // The picture of a button's state into the scratch bitmap.
    auto take = [&](TkivTitleBarButton* b, bool hot) {
        TPicture* normal = b->PicNormal();
        scratch.SetSize(normal->Width(), normal->Height());
        scratch.SetTransparent(b->Transparent());
        CopyPixels(&scratch, hot ? (FPressed ? b->PicMouseDown() : b->PicMouseOn()) : normal);
    };

    for (int i = 0; i < FButtons->Count(); ++i) {
        TkivTitleBarButton* b = FButtons->Items(i);
        if (!b->Visible() || !b->HasPictures())
            continue;
        if (b->ButtonType() == kivControlBox) {
            controlBox = i;
            continue;
        }
        const int bw = b->PicNormal()->Width(), bh = b->PicNormal()->Height();
        x -= b->ButtonType() == kivClose ? bw : bw + FButtonInterval + 1;
        if (x + bw + 1 > width)
            x = width - bw - 1;
        const bool hot = InRect(p, Rect(x, FButtonTop, x + bw, FButtonTop + bh));
        if (hot) {
            FHotIndex = i;
            if (designing && FPressed && b->ButtonType() == kivClose && InForm())
                form->Hide();
        }
        take(b, hot);
        canvas->Draw(x, FButtonTop, &scratch);
    }

    int l = std::max(0, FLeftBtnXOffset - 4 - n);
    if (controlBox >= 0) {
        TkivTitleBarButton* b = FButtons->Items(controlBox);
        const int bw = b->PicNormal()->Width(), bh = b->PicNormal()->Height();
        const bool hot = InRect(p, Rect(l, FIconTop, l + bw, FIconTop + bh));
        if (FDrawAppIcon) {
            if (hot)
                FHotIndex = controlBox;
            DrawAppIconAt(canvas, l + 3, FIconTop);
            l += 21;
        } else {
            if (hot)
                FHotIndex = controlBox;
            take(b, hot);
            canvas->Draw(l, FIconTop - 1, &scratch);
            l += bw + 5;
        }
    }
    if (l == 0)
        l = 6;

    if (!FFormActive)
        canvas->Font()->SetColor(FInactiveCaptionColor);

    String text = FSectionCaption;
    if (text.isEmpty()) {
        text = Caption();
        if (!text.isEmpty() && canvas->TextWidth(text) > x - l) {
            const String dots = QStringLiteral("...");
            while (!text.isEmpty() && canvas->TextWidth(text + dots) > x - l)
                text.chop(1);
            text += dots;
        }
    }

    int y;
    if (FTheme.UsingFile())
        y = FCaptionTop - 3;
    else
        y = FTheme.Effective() == Protein ? FButtonTop + 3 : FButtonTop;
    const int tx = RightToLeftReading() ? x - canvas->TextWidth(text) - 10 : l;
    canvas->Brush()->SetStyle(bsClear);
    canvas->TextOut(tx, y, text);
    FDrawnCaption = text;
    FCaptionPos = TPoint{tx, y};
}
