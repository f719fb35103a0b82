// Measures the graphics operations skinned painting is made of: decoding skin bitmaps, fills, copies,
// transparent stretches, image lists and text, plus one nine-piece button face composed the way the
// skin library composes it. Prints microseconds per operation (best of five runs) and peak memory.
//
//   build/bin/bench-skin-graphics [iterations-scale]
#include "framework/Graphics.h"
#include "framework/ImgList.h"

#include <QGuiApplication>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <sys/resource.h>

namespace {

double MicrosPerOp(int iterations, const std::function<void()>& op)
{
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        const auto t0 = std::chrono::steady_clock::now();
        for (int i = 0; i < iterations; ++i)
            op();
        const auto t1 = std::chrono::steady_clock::now();
        best = std::min(best, std::chrono::duration<double, std::micro>(t1 - t0).count() / iterations);
    }
    return best;
}

void Report(const char* what, int iterations, const std::function<void()>& op)
{
    std::printf("%-58s %10.2f us/op\n", what, MicrosPerOp(iterations, op));
}

// A strip like the built-in ones: frames of a gradient face with fuchsia corners.
void PaintStrip(TBitmap& b, int w, int h)
{
    b.SetSize(w, h);
    for (int y = 0; y < h; ++y) {
        b.Canvas()->Pen()->SetColor(RGB(40 + y * 4, 80 + y * 3, 200));
        b.Canvas()->MoveTo(0, y);
        b.Canvas()->LineTo(w, y);
    }
    b.Canvas()->SetPixels(0, 0, clFuchsia);
    b.Canvas()->SetPixels(w - 1, 0, clFuchsia);
    b.Canvas()->SetPixels(0, h - 1, clFuchsia);
    b.Canvas()->SetPixels(w - 1, h - 1, clFuchsia);
}

// Nine pieces: corners through masked image lists, edges and centre stretched and drawn transparent.
void NinePiece(TBitmap& face, TCanvas* dst, int W, int H)
{
    const int bw = face.Width(), bh = face.Height(), hw = bw / 2, hh = bh / 2;
    auto corner = [&](TRect src, int x, int y) {
        TBitmap piece(src.Width(), src.Height());
        piece.Canvas()->CopyRect(Rect(0, 0, src.Width(), src.Height()), face.Canvas(), src);
        TImageList list(src.Width(), src.Height());
        list.AddMasked(&piece, clFuchsia);
        list.Draw(dst, x, y, 0);
    };
    auto edge = [&](TRect src, TRect to) {
        if (to.Width() <= 0 || to.Height() <= 0)
            return;
        TBitmap piece(to.Width(), to.Height());
        piece.Canvas()->CopyRect(Rect(0, 0, to.Width(), to.Height()), face.Canvas(), src);
        piece.SetTransparent(true);
        piece.SetTransparentColor(clFuchsia);
        dst->StretchDraw(to, &piece);
    };
    corner(Rect(0, 0, hw, hh), 0, 0);
    corner(Rect(0, bh - hh + 1, hw, bh), 0, H - (hh - 1));
    corner(Rect(bw - hw + 1, 0, bw, hh), W - (hw - 1), 0);
    corner(Rect(bw - hw + 1, bh - hh + 1, bw, bh), W - (hw - 1), H - (hh - 1));
    edge(Rect(0, hh, hw, bh - hh + 1), Rect(0, hh, hw, H - hh + 1));
    edge(Rect(bw - hw + 1, hh, bw, bh - hh + 1), Rect(W - hw + 1, hh, W, H - hh + 1));
    edge(Rect(hw, 0, bw - hw + 1, hh), Rect(hw, 0, W - hw + 1, hh));
    edge(Rect(hw, bh - hh, bw - hw + 1, bh), Rect(hw, H - hh, W - hw + 1, H));
    edge(Rect(hw, hh, bw - hw + 1, bh - hh), Rect(hw, hh, W - hw + 1, H - hh));
}

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const int scale = argc > 1 ? std::max(1, std::atoi(argv[1])) : 1;

    TBitmap strip;
    PaintStrip(strip, 342, 19);  // a title-button strip: 18 frames of 19 x 19
    const QByteArray strip24 = strip.SaveToBytes();
    TBitmap big;
    PaintStrip(big, 441, 23);
    big.SetPixelFormat(pf32bit);
    const QByteArray big32 = big.SaveToBytes();

    Report("decode BMP 342x19, 24 bits", 2000 * scale, [&] {
        TBitmap b;
        b.LoadFromMemory(strip24.constData(), size_t(strip24.size()));
    });
    Report("decode BMP 441x23, 32 bits", 2000 * scale, [&] {
        TBitmap b;
        b.LoadFromMemory(big32.constData(), size_t(big32.size()));
    });
    Report("encode BMP 342x19, 24 bits", 2000 * scale, [&] { (void)strip.SaveToBytes(); });

    TBitmap target(400, 300);
    TCanvas* c = target.Canvas();
    Report("FillRect 400x300", 2000 * scale, [&] {
        c->Brush()->SetColor(clBtnFace);
        c->FillRect(Rect(0, 0, 400, 300));
    });
    Report("LineTo 100 px, pen width 1", 20000 * scale, [&] {
        c->MoveTo(0, 10);
        c->LineTo(100, 37);
    });
    TBitmap frame(19, 19);
    frame.Canvas()->CopyRect(Rect(0, 0, 19, 19), strip.Canvas(), Rect(0, 0, 19, 19));
    Report("CopyRect 19x19 same size", 20000 * scale,
           [&] { c->CopyRect(Rect(5, 5, 24, 24), frame.Canvas(), Rect(0, 0, 19, 19)); });
    Report("CopyRect 19x19 -> 190x57 nearest", 5000 * scale,
           [&] { c->CopyRect(Rect(0, 0, 190, 57), frame.Canvas(), Rect(0, 0, 19, 19)); });
    c->SetStretchBltMode(HALFTONE);
    Report("CopyRect 19x19 -> 190x57 HALFTONE", 2000 * scale,
           [&] { c->CopyRect(Rect(0, 0, 190, 57), frame.Canvas(), Rect(0, 0, 19, 19)); });
    c->SetStretchBltMode(COLORONCOLOR);
    frame.SetTransparent(true);
    frame.SetTransparentColor(clFuchsia);
    Report("Draw 19x19 transparent", 20000 * scale, [&] { c->Draw(40, 40, &frame); });
    Report("StretchDraw 19x19 -> 190x57 transparent", 5000 * scale,
           [&] { c->StretchDraw(Rect(0, 0, 190, 57), &frame); });
    TImageList list(19, 19);
    list.AddMasked(&strip, clFuchsia);
    Report("ImageList AddMasked 18 frames of 19x19", 2000 * scale, [&] {
        TImageList l(19, 19);
        l.AddMasked(&strip, clFuchsia);
    });
    Report("ImageList Draw 19x19", 20000 * scale, [&] { list.Draw(c, 60, 60, 17); });
    Report("ImageList Draw 19x19 disabled", 5000 * scale, [&] { list.Draw(c, 60, 60, 17, false); });

    c->Font()->SetName(QStringLiteral("Tahoma"));
    c->Font()->SetHeight(-11);
    c->Brush()->SetStyle(bsClear);
    Report("TextOut \"Read All\"", 5000 * scale, [&] { c->TextOut(10, 10, QStringLiteral("Read All")); });
    Report("TextWidth \"Read All\"", 20000 * scale, [&] { (void)c->TextWidth(QStringLiteral("Read All")); });
    Report("DrawText centred single line in 74x21", 5000 * scale, [&] {
        TRect r = Rect(0, 0, 74, 21);
        c->DrawText(QStringLiteral("Read All"), r, DT_SINGLELINE | DT_CENTER | DT_VCENTER);
    });
    Report("DrawText CALCRECT + word break (button caption)", 5000 * scale, [&] {
        TRect r = Rect(0, 0, 74, 21);
        c->DrawText(QStringLiteral("Write All"), r, DT_CALCRECT | DT_EXPANDTABS | DT_WORDBREAK);
    });
    Report("Pixels read 19x19 (361 calls)", 2000 * scale, [&] {
        TColor acc = 0;
        for (int y = 0; y < 19; ++y)
            for (int x = 0; x < 19; ++x)
                acc ^= frame.Canvas()->Pixels(x, y);
        (void)acc;
    });

    TBitmap face;
    face.SetSize(74, 21);
    face.Canvas()->CopyRect(Rect(0, 0, 74, 21), strip.Canvas(), Rect(0, 0, 74, 19));
    Report("nine-piece button face 74x21 -> 120x30, off-screen + copy", 2000 * scale, [&] {
        TBitmap off(120, 30);
        NinePiece(face, off.Canvas(), 120, 30);
        c->Draw(0, 100, &off);
    });

    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    std::printf("%-58s %10ld KiB\n", "peak resident memory", ru.ru_maxrss);
    return 0;
}
