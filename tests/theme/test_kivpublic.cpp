// Kivpublic: exact geometry of the cutting and drawing primitives, window shapes, painting under
// transparent controls, captions and the lazily resolved system functions.
#include "ThemeTestKit.h"

#include "framework/Controls.h"
#include "framework/ExtCtrls.h"
#include "framework/Forms.h"
#include "framework/Graphics.h"
#include "platform/WinBase.h"
#include "platform/WinMessages.h"
#include "skin/theme/Kivpublic.h"

#include <QComboBox>
#include <QScrollBar>
#include <QWidget>
#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <memory>
#include <vector>

using namespace themetest;

namespace {

constexpr TColor Sentinel = TColor(0x00FAFA);  // never a coded pixel (blue byte 0)

// ---- SpitBitmap ----

struct FrameCase {
    int Count, Index, FirstColumn, Width;
};

class SpitBitmapFrames : public ::testing::TestWithParam<FrameCase> {};

TEST_P(SpitBitmapFrames, TakesTheFrameColumnsAndTheLastFrameFlushRight)
{
    const FrameCase c = GetParam();
    TBitmap strip, frame;
    MakeCoded(strip, 100, 3);
    SpitBitmap(&strip, &frame, c.Count, c.Index);
    ASSERT_EQ(frame.Width(), c.Width);
    ASSERT_EQ(frame.Height(), 3);
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < c.Width; ++x)
            ASSERT_EQ(Px(frame, x, y), Code(c.FirstColumn + x, y)) << "x=" << x << " y=" << y;
}

// A 100-pixel strip in 3 frames: 33 wide; column 66 is never used.
INSTANTIATE_TEST_SUITE_P(Strip100, SpitBitmapFrames,
                         ::testing::Values(FrameCase{3, 1, 0, 33}, FrameCase{3, 2, 33, 33}, FrameCase{3, 3, 67, 33},
                                           FrameCase{1, 1, 0, 100}, FrameCase{100, 100, 99, 1}));

TEST(SpitBitmap, SourceAndDestinationMayBeTheSameBitmap)
{
    TBitmap b;
    MakeCoded(b, 10, 2);
    SpitBitmap(&b, &b, 2, 2);
    ASSERT_EQ(b.Width(), 5);
    EXPECT_EQ(Px(b, 0, 1), Code(5, 1));
}

TEST(SpitBitmap, InvalidCountOrIndexLeavesTheDestinationAlone)
{
    TBitmap strip, frame(4, 4);
    MakeCoded(strip, 30, 2);
    Fill(frame, Sentinel);
    for (auto [count, index] : std::vector<std::pair<int, int>>{{0, 1}, {-3, 1}, {3, 0}, {3, 4}, {3, -1}}) {
        SpitBitmap(&strip, &frame, count, index);
        EXPECT_EQ(frame.Width(), 4) << count << "/" << index;
        EXPECT_EQ(Px(frame, 0, 0), Sentinel);
    }
    SpitBitmap(nullptr, &frame, 3, 1);
    SpitBitmap(&strip, nullptr, 3, 1);
}

// ---- SpitDraw ----

// What SpitDraw puts at each target pixel: the coded source pixel, the sentinel where nothing
// was drawn.
struct Piece {
    TRect Target;
    std::function<TPoint(int x, int y)> Source;
};

void Expect(TBitmap& dst, const std::vector<Piece>& pieces)
{
    std::vector<TColor> expected(size_t(dst.Width() * dst.Height()), Sentinel);
    for (const Piece& p : pieces)
        for (int y = p.Target.Top; y < p.Target.Bottom; ++y)
            for (int x = p.Target.Left; x < p.Target.Right; ++x) {
                const TPoint s = p.Source(x, y);
                expected[size_t(y * dst.Width() + x)] = Code(s.X, s.Y);
            }
    for (int y = 0; y < dst.Height(); ++y)
        for (int x = 0; x < dst.Width(); ++x) {
            const TColor want = expected[size_t(y * dst.Width() + x)];
            const TColor got = Px(dst, x, y);
            ASSERT_EQ(got, want) << "at (" << x << "," << y << "): got source (" << CodeX(got) << "," << CodeY(got)
                                 << ") want (" << CodeX(want) << "," << CodeY(want) << ")";
        }
}

TPoint Same(int x, int y) { return {x, y}; }

TEST(SpitDraw, FaceOntoItsOwnSizeUsesTheOnePixelOffsets)
{
    TBitmap face, dst(74, 21);
    MakeCoded(face, 74, 21);
    Fill(dst, Sentinel);
    SpitDraw(&face, dst.Canvas(), Rect(0, 0, 74, 21), false);
    // In drawing order; later pieces cover earlier ones.
    Expect(dst, {
        {Rect(0, 0, 37, 10), Same},                                       // top-left 37x10 from (0, 0)
        {Rect(0, 12, 37, 21), Same},                                      // bottom-left 37x9, rows 12-20 at y = 12
        {Rect(0, 10, 37, 12), [](int x, int) { return TPoint{x, 10}; }},  // left edge: row 10 into rows 10-11
        {Rect(38, 0, 74, 10), Same},                                      // top-right 36x10, columns 38-73 at x = 38
        {Rect(38, 12, 74, 21), Same},                                     // bottom-right
        {Rect(38, 10, 74, 12), [](int x, int) { return TPoint{x, 11}; }}, // right edge: row 11
        {Rect(37, 0, 38, 10), Same},                                      // top edge: column 37
        {Rect(37, 10, 38, 11), Same},                                     // centre: one pixel
        {Rect(36, 11, 38, 21), [](int, int y) { return TPoint{37, y}; }}, // bottom edge, one column to the left
    });
}

TEST(SpitDraw, NarrowRectangleShrinksTheCornersFromTheOuterSides)
{
    TBitmap face, dst(40, 21);
    MakeCoded(face, 74, 21);
    Fill(dst, Sentinel);
    SpitDraw(&face, dst.Canvas(), Rect(0, 0, 40, 21), false);
    // Left corners W div 2 = 20 columns, right corners W div 2 - 1 = 19 columns of the bitmap's right side.
    auto right = [](int x, int y) { return TPoint{x + 34, y}; };
    Expect(dst, {
        {Rect(0, 0, 20, 10), Same},
        {Rect(0, 12, 20, 21), Same},
        {Rect(0, 10, 20, 12), [](int x, int) { return TPoint{x, 10}; }},
        {Rect(21, 0, 40, 10), right},
        {Rect(21, 12, 40, 21), right},
        {Rect(21, 10, 40, 12), [](int x, int) { return TPoint{x + 34, 11}; }},
        {Rect(20, 0, 21, 10), [](int, int y) { return TPoint{37, y}; }},
        {Rect(20, 10, 21, 11), [](int, int) { return TPoint{37, 10}; }},
        {Rect(19, 11, 21, 21), [](int, int y) { return TPoint{37, y}; }},
    });
}

TEST(SpitDraw, WiderRectangleStretchesTheEdgesAndKeepsCornersAtTheirSize)
{
    TBitmap face, dst(100, 30);
    MakeCoded(face, 74, 21);
    Fill(dst, Sentinel);
    SpitDraw(&face, dst.Canvas(), Rect(0, 0, 100, 30), false);
    EXPECT_EQ(Px(dst, 0, 0), Code(0, 0));
    EXPECT_EQ(Px(dst, 36, 9), Code(36, 9));
    EXPECT_EQ(Px(dst, 64, 0), Code(38, 0));   // top-right at R - 36
    EXPECT_EQ(Px(dst, 99, 29), Code(73, 20)); // bottom-right at (R - 36, B - 9)
    EXPECT_EQ(Px(dst, 0, 21), Code(0, 12));   // bottom-left at B - 9
    EXPECT_EQ(Px(dst, 50, 0), Code(37, 0));   // top edge stretched from column 37
    EXPECT_EQ(Px(dst, 0, 15), Code(0, 10));   // left edge stretched from row 10
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 100; ++x)
            ASSERT_NE(Px(dst, x, y), Sentinel) << x << "," << y;
}

TEST(SpitDraw, PlacementIgnoresTheRectanglesLeftAndTop)
{
    TBitmap face, dst(100, 40);
    MakeCoded(face, 74, 21);
    Fill(dst, Sentinel);
    SpitDraw(&face, dst.Canvas(), Rect(10, 5, 84, 26), false);
    EXPECT_EQ(Px(dst, 0, 0), Code(0, 0));
    EXPECT_EQ(Px(dst, 48, 0), Code(38, 0));   // Right 84 - 36
    EXPECT_EQ(Px(dst, 0, 17), Code(0, 12));   // Bottom 26 - 9
    EXPECT_EQ(Px(dst, 83, 25), Code(73, 20));
}

TEST(SpitDraw, FuchsiaIsLeftOutOfCornersOnlyWhenTransparentButAlwaysOutOfEdges)
{
    for (bool transparent : {false, true}) {
        TBitmap face, dst(74, 21);
        MakeCoded(face, 74, 21);
        SetPx(face, 0, 0, clFuchsia);    // in the top-left corner
        SetPx(face, 37, 10, clFuchsia);  // the centre
        Fill(dst, Sentinel);
        SpitDraw(&face, dst.Canvas(), Rect(0, 0, 74, 21), transparent);
        EXPECT_EQ(Px(dst, 0, 0), transparent ? Sentinel : clFuchsia) << transparent;
        EXPECT_EQ(Px(dst, 37, 10), Sentinel) << transparent;
        EXPECT_EQ(Px(dst, 1, 0), Code(1, 0));
    }
}

TEST(SpitDraw, TinyBitmapsAndRectanglesDrawOnlyInsideTheTarget)
{
    for (int bw = 1; bw <= 4; ++bw)
        for (int bh = 1; bh <= 4; ++bh)
            for (int w = -1; w <= 5; ++w)
                for (int h = -1; h <= 5; ++h) {
                    TBitmap face, dst(8, 8);
                    MakeCoded(face, bw, bh);
                    Fill(dst, Sentinel);
                    SpitDraw(&face, dst.Canvas(), Rect(0, 0, w, h), true);
                    for (int y = 0; y < 8; ++y) {
                        for (int x = 0; x < 8; ++x) {
                            if (x >= std::max(w, 0) || y >= std::max(h, 0)) {
                                ASSERT_EQ(Px(dst, x, y), Sentinel) << bw << "x" << bh << " on " << w << "x" << h;
                            }
                        }
                    }
                }
    TBitmap empty, dst(4, 4);
    SpitDraw(&empty, dst.Canvas(), Rect(0, 0, 4, 4), false);
    SpitDraw(nullptr, dst.Canvas(), Rect(0, 0, 4, 4), false);
}

// ---- three-slice drawing ----

// A 9 x 2 strip: left cap red, middle green, right cap blue; one fuchsia pixel in each frame.
void MakeStrip(TBitmap& b)
{
    b.SetSize(9, 2);
    for (int x = 0; x < 9; ++x)
        for (int y = 0; y < 2; ++y)
            SetPx(b, x, y, x < 3 ? clRed : x < 6 ? clLime : clBlue);
    SetPx(b, 1, 1, clFuchsia);
    SetPx(b, 4, 1, clFuchsia);
    SetPx(b, 7, 1, clFuchsia);
}

TEST(SpitDrawHorizontal2, CapsAtTheEndsMiddleStretchedBitmapHeightTall)
{
    TBitmap strip, dst(20, 4);
    MakeStrip(strip);
    Fill(dst, Sentinel);
    SpitDrawHorizontal2(&strip, dst.Canvas(), Rect(2, 1, 17, 4), clFuchsia, true);
    EXPECT_EQ(Px(dst, 2, 1), clRed);
    EXPECT_EQ(Px(dst, 3, 2), Sentinel);   // masked pixel of the left cap
    EXPECT_EQ(Px(dst, 5, 1), clLime);     // middle from Left + 3
    EXPECT_EQ(Px(dst, 13, 1), clLime);    // ... to Right - 3
    EXPECT_EQ(Px(dst, 14, 1), clBlue);    // right cap at Right - 3
    EXPECT_EQ(Px(dst, 15, 2), Sentinel);
    EXPECT_EQ(Px(dst, 8, 3), Sentinel);   // Bottom is not used: two rows only
    EXPECT_EQ(Px(dst, 1, 1), Sentinel);
    EXPECT_EQ(Px(dst, 17, 1), Sentinel);

    Fill(dst, Sentinel);
    SpitDrawHorizontal2(&strip, dst.Canvas(), Rect(0, 0, 12, 2), clFuchsia, false);
    EXPECT_EQ(Px(dst, 1, 1), clFuchsia);  // not transparent: drawn as it is
}

TEST(SpitDrawHorizontal2, NarrowRectangleDrawsTheLeftCapCut)
{
    TBitmap strip, dst(6, 3);
    MakeStrip(strip);
    Fill(dst, Sentinel);
    SpitDrawHorizontal2(&strip, dst.Canvas(), Rect(1, 0, 3, 3), clFuchsia, true);
    EXPECT_EQ(Px(dst, 1, 0), clRed);
    EXPECT_EQ(Px(dst, 2, 1), clWhite);    // the cut cap is a plain bitmap: masked pixels show white
    EXPECT_EQ(Px(dst, 3, 0), Sentinel);
}

TEST(SpitDrawHorizontal, MiddleFillsMaskedPixelsAndReachesTheBottom)
{
    TBitmap strip, dst(20, 5);
    MakeStrip(strip);
    Fill(dst, Sentinel);
    SpitDrawHorizontal(&strip, dst.Canvas(), Rect(0, 0, 15, 4), false, clYellow, true);
    EXPECT_EQ(Px(dst, 0, 0), clRed);
    EXPECT_EQ(Px(dst, 1, 1), Sentinel);   // cap's masked pixel left alone
    EXPECT_EQ(Px(dst, 12, 0), clBlue);
    EXPECT_EQ(Px(dst, 6, 0), clLime);
    EXPECT_EQ(Px(dst, 6, 3), clYellow);   // masked middle row stretched to Bottom shows the fill colour
    EXPECT_EQ(Px(dst, 6, 4), Sentinel);
}

TEST(SpitDrawHorizontal, CornerPixelIsTheMaskColour)
{
    TBitmap strip, dst(12, 2);
    MakeStrip(strip);
    Fill(dst, Sentinel);
    // The bottom-left pixel (0, 1) is red: every red pixel is masked.
    SpitDrawHorizontal(&strip, dst.Canvas(), Rect(0, 0, 12, 2), true, clYellow, false);
    EXPECT_EQ(Px(dst, 0, 0), Sentinel);
    EXPECT_EQ(Px(dst, 1, 1), clFuchsia);
    EXPECT_EQ(Px(dst, 11, 0), clBlue);
}

// ---- tiles, stretch ----

TEST(TileDraw, TilesStartAtTheCanvasOriginAndCoverWidthPlusOneTile)
{
    TBitmap tile, dst(20, 12);
    MakeCoded(tile, 4, 3);
    TPicture pic;
    pic.SetBitmap(&tile);
    Fill(dst, Sentinel);
    // Width 6, height 3: x = 0, 4, 8 (< 10) and y = 0, 3 (< 6).
    TileDraw(dst.Canvas(), &pic, Rect(5, 5, 11, 8));
    EXPECT_EQ(Px(dst, 0, 0), Code(0, 0));
    EXPECT_EQ(Px(dst, 5, 4), Code(1, 1));
    EXPECT_EQ(Px(dst, 11, 5), Code(3, 2));
    EXPECT_EQ(Px(dst, 12, 0), Sentinel);
    EXPECT_EQ(Px(dst, 0, 6), Sentinel);

    // A huge rectangle costs no more than the canvas.
    TBitmap dot(1, 1);
    Fill(dot, clBlue);
    TPicture small;
    small.SetBitmap(&dot);
    TileDraw(dst.Canvas(), &small, Rect(0, 0, 2000000000, 2000000000));
    EXPECT_EQ(Px(dst, 19, 11), clBlue);

    TPicture empty;
    TileDraw(dst.Canvas(), &empty, Rect(0, 0, 10, 10));
    TileDraw(dst.Canvas(), nullptr, Rect(0, 0, 10, 10));
}

TEST(ResizeImage, StretchesTheWholeBitmapAndLeavesHalftoneSet)
{
    TBitmap src(2, 2), dst(8, 8);
    Fill(src, clRed);
    Fill(dst, Sentinel);
    ResizeImage(&src, dst.Canvas(), Rect(2, 2, 6, 6));
    EXPECT_EQ(Px(dst, 2, 2), clRed);
    EXPECT_EQ(Px(dst, 5, 5), clRed);
    EXPECT_EQ(Px(dst, 6, 6), Sentinel);
    EXPECT_EQ(dst.Canvas()->StretchBltMode(), HALFTONE);
}

// ---- gradients ----

// Rows 0..9 from black to white: row 0 black, row 9 white, row k (1..8) trunc(25.5 * (k - 1)).
const int GradientRows[10] = {0, 0, 25, 51, 76, 102, 127, 153, 178, 255};

TEST(DrawHorizontalGradient, RowsFromBlackToWhite)
{
    TBitmap dst(5, 10);
    Fill(dst, Sentinel);
    dst.Canvas()->Pen()->SetColor(clRed);
    dst.Canvas()->Pen()->SetWidth(3);
    DrawHorizontalGradient(dst.Canvas(), Rect(0, 0, 4, 10), clBlack, clWhite);
    for (int y = 0; y < 10; ++y) {
        const int v = GradientRows[y];
        for (int x = 0; x < 4; ++x)
            ASSERT_EQ(Px(dst, x, y), TColor(v | v << 8 | v << 16)) << "row " << y;
        ASSERT_EQ(Px(dst, 4, y), Sentinel) << "Right is exclusive";
    }
    EXPECT_EQ(dst.Canvas()->Pen()->Color(), clRed);
    EXPECT_EQ(dst.Canvas()->Pen()->Width(), 3);
}

TEST(DrawVerticalGradient, ColumnsFromBlackToWhite)
{
    TBitmap dst(10, 3);
    Fill(dst, Sentinel);
    DrawVerticalGradient(dst.Canvas(), Rect(0, 0, 10, 2), clBlack, clWhite);
    for (int x = 0; x < 10; ++x) {
        const int v = GradientRows[x];
        EXPECT_EQ(Px(dst, x, 0), TColor(v | v << 8 | v << 16)) << "column " << x;
        EXPECT_EQ(Px(dst, x, 1), TColor(v | v << 8 | v << 16));
        EXPECT_EQ(Px(dst, x, 2), Sentinel);
    }
}

TEST(DrawHorizontalGradient, EdgeCases)
{
    TBitmap dst(3, 4);
    Fill(dst, Sentinel);
    DrawHorizontalGradient(dst.Canvas(), Rect(0, 2, 3, 2), clBlack, clWhite);  // empty
    DrawHorizontalGradient(dst.Canvas(), Rect(0, 3, 3, 1), clBlack, clWhite);  // inverted
    EXPECT_EQ(Px(dst, 0, 1), Sentinel);
    EXPECT_EQ(Px(dst, 0, 2), Sentinel);
    DrawHorizontalGradient(dst.Canvas(), Rect(0, 1, 3, 2), clRed, clBlue);     // one row ends in the to colour
    EXPECT_EQ(Px(dst, 0, 1), clBlue);
    // System colours are converted before interpolating.
    Fill(dst, Sentinel);
    DrawHorizontalGradient(dst.Canvas(), Rect(0, 0, 3, 4), clBtnFace, clBtnFace);
    EXPECT_EQ(Px(dst, 1, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(Px(dst, 1, 2), ColorToRGB(clBtnFace));
    // A huge rectangle draws its visible rows only, with the colours of their positions.
    Fill(dst, Sentinel);
    DrawHorizontalGradient(dst.Canvas(), Rect(-5, -1000000000, 1000000000, 1000000000), clBlack, clWhite);
    const int mid = int(std::trunc(255.0 / 2e9 * (1e9 - 1)));
    EXPECT_EQ(Px(dst, 2, 0), TColor(mid | mid << 8 | mid << 16));
    DrawVerticalGradient(dst.Canvas(), Rect(0, 0, 2000000000, 4), clWhite, clBlack);
    EXPECT_EQ(Px(dst, 0, 3), clWhite);
    EXPECT_EQ(Px(dst, 2, 3), clWhite) << "trunc(-255 / 2e9 * 1) is 0";
}

// A rectangle whose far side lies before its near one: the loop draws its first line in the from
// colour and the line before the far side in the to colour, with nothing between (the interpolated
// lines run from near + 1 up to far - 2). Lines run across as LineTo draws them: from the near
// edge, the far edge left out, in whichever direction.
TEST(DrawGradient, FarSideBeforeNearSideDrawsTheLoopsTwoLines)
{
    struct Case {
        const char* name;
        bool horizontal;
        TRect rect;
        // Expected bitmap, row by row: '.' untouched, 'f' from colour, 't' to colour.
        std::vector<const char*> rows;
    };
    const Case cases[] = {
        {"rows bottom above top", true, Rect(0, 3, 3, 1), {"ttt.", "....", "....", "fff.", "...."}},
        {"rows one above", true, Rect(1, 2, 3, 1), {".tt.", "....", ".ff.", "....", "...."}},
        {"rows right before left", true, Rect(3, 0, 0, 2), {".fff", ".ttt", "....", "....", "...."}},
        {"columns right before left", false, Rect(3, 0, 1, 2), {"t..f", "t..f", "....", "....", "...."}},
        {"columns bottom above top", false, Rect(0, 3, 2, 0), {"....", "ft..", "ft..", "ft..", "...."}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TBitmap dst(4, 5);
        Fill(dst, Sentinel);
        if (c.horizontal)
            DrawHorizontalGradient(dst.Canvas(), c.rect, clRed, clBlue);
        else
            DrawVerticalGradient(dst.Canvas(), c.rect, clRed, clBlue);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 4; ++x) {
                const char want = c.rows[size_t(y)][x];
                const TColor expected = want == 'f' ? clRed : want == 't' ? clBlue : Sentinel;
                EXPECT_EQ(Px(dst, x, y), expected) << "pixel " << x << ", " << y;
            }
    }
}

// ---- rotations and recolouring ----

struct RotationCase {
    const char* Name;
    void (*Rotate)(TBitmap*);
    bool Swaps;
    // Where old (x, y) of a w x h bitmap goes.
    TPoint (*To)(int x, int y, int w, int h);
};

class Rotations : public ::testing::TestWithParam<RotationCase> {};

TEST_P(Rotations, MovesEveryPixel)
{
    const RotationCase c = GetParam();
    const int w = 5, h = 3;
    TBitmap b;
    MakeCoded(b, w, h);
    c.Rotate(&b);
    ASSERT_EQ(b.Width(), c.Swaps ? h : w);
    ASSERT_EQ(b.Height(), c.Swaps ? w : h);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const TPoint to = c.To(x, y, w, h);
            ASSERT_EQ(Px(b, to.X, to.Y), Code(x, y)) << c.Name << " old (" << x << "," << y << ")";
        }
}

INSTANTIATE_TEST_SUITE_P(
    Table, Rotations,
    ::testing::Values(
        RotationCase{"RoundPicture", &RoundPicture, true, [](int x, int y, int w, int) { return TPoint{y, w - 1 - x}; }},
        RotationCase{"RoundPicture2", &RoundPicture2, false,
                     [](int x, int y, int w, int h) { return TPoint{w - 1 - x, h - 1 - y}; }},
        RotationCase{"RoundPicture3", &RoundPicture3, true, [](int x, int y, int, int h) { return TPoint{h - 1 - y, x}; }}),
    [](const auto& info) { return std::string(info.param.Name); });

TEST(ScanColor, ReplacesOnlyTheOldColourAndSets24Bits)
{
    TBitmap b(3, 2);
    Fill(b, clRed);
    SetPx(b, 1, 1, clFuchsia);
    ScanColor(&b, clRed, clBtnFace);
    EXPECT_EQ(b.PixelFormat(), pf24bit);
    EXPECT_EQ(Px(b, 0, 0), ColorToRGB(clBtnFace));
    EXPECT_EQ(Px(b, 2, 1), ColorToRGB(clBtnFace));
    EXPECT_EQ(Px(b, 1, 1), clFuchsia);
}

// ---- windows ----

TEST(SetBitmapWindow, RunsOfOpaquePixelsWithoutTheLastColumn)
{
    QWidget parent;
    QWidget w(&parent);
    w.resize(10, 4);
    const HWND h = RegisterWindowReceiver(&w);
    TBitmap shape(10, 4);
    Fill(shape, clRed);
    SetBitmapWindow(h, &shape, clFuchsia);
    EXPECT_EQ(w.mask(), QRegion(0, 0, 9, 4)) << "no transparent pixels: one pixel narrower";

    SetPx(shape, 3, 1, clFuchsia);
    SetPx(shape, 0, 2, clFuchsia);
    SetBitmapWindow(h, &shape, clFuchsia);
    QRegion want(0, 0, 9, 4);
    want -= QRegion(3, 1, 1, 1);
    want -= QRegion(0, 2, 1, 1);
    EXPECT_EQ(w.mask(), want);

    Fill(shape, clFuchsia);
    SetBitmapWindow(h, &shape, clFuchsia);
    EXPECT_FALSE(w.mask().isEmpty());
    EXPECT_FALSE(w.mask().intersects(QRect(0, 0, 10, 4))) << "nothing opaque: nothing shows";

    SetBitmapWindow(nullptr, &shape, clFuchsia);
    SetBitmapWindow(h, nullptr, clFuchsia);
    UnregisterWindowReceiver(h);
}

// A custom-painted parent: its background erase fills with the colour it records; its paint puts
// red on the left half of its client area and blue on the right.
class TPaintedParent : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    std::vector<UINT> Seen;

protected:
    void WMEraseBkgnd(TMessage& m) override
    {
        Seen.push_back(WM_ERASEBKGND);
        auto* c = reinterpret_cast<TCanvas*>(m.WParam);
        c->Brush()->SetColor(clYellow);
        c->FillRect(Rect(0, 0, ClientWidth(), ClientHeight()));
        m.Result = 1;
    }
    void Paint() override
    {
        Seen.push_back(WM_PAINT);
        Canvas()->Brush()->SetColor(clRed);
        Canvas()->FillRect(Rect(0, 0, ClientWidth() / 2, ClientHeight() / 2));
        Canvas()->Brush()->SetColor(clBlue);
        Canvas()->FillRect(Rect(ClientWidth() / 2, 0, ClientWidth(), ClientHeight() / 2));
    }
};

TEST(DoTrans, PaintsTheParentUnderTheChildClippedToTheParent)
{
    TPaintedParent parent(nullptr);
    parent.SetBounds(0, 0, 100, 50);
    auto* child = new TPanel(&parent);
    child->SetParent(&parent);
    child->SetBounds(45, 20, 10, 40);  // reaches 10 rows past the parent's bottom

    TBitmap under(10, 40);
    Fill(under, Sentinel);
    DoTrans(under.Canvas(), child);
    EXPECT_EQ(parent.Seen, (std::vector<UINT>{WM_ERASEBKGND, WM_PAINT}));
    EXPECT_EQ(Px(under, 0, 0), clRed);      // parent (45, 20)
    EXPECT_EQ(Px(under, 4, 4), clRed);      // parent (49, 24)
    EXPECT_EQ(Px(under, 5, 4), clBlue);     // parent (50, 24)
    EXPECT_EQ(Px(under, 0, 5), clYellow);   // parent (45, 25): erased, not painted
    EXPECT_EQ(Px(under, 0, 29), clYellow);  // parent row 49
    EXPECT_EQ(Px(under, 0, 30), Sentinel);  // parent row 50: outside its client area
    // The canvas's state is back: drawing at (0, 0) lands at (0, 0) without a clip.
    under.Canvas()->Brush()->SetColor(clLime);
    under.Canvas()->FillRect(Rect(0, 39, 1, 40));
    EXPECT_EQ(Px(under, 0, 39), clLime);

    TPanel orphan(nullptr);
    DoTrans(under.Canvas(), &orphan);  // no parent: nothing
}

TEST(SetWinControlTransparent, DropsOpaqueAndTheWidgetsOwnBackground)
{
    TForm form(nullptr);
    auto* panel = new TPanel(&form);
    panel->SetParent(&form);
    panel->SetControlStyle(panel->ControlStyle() | csOpaque);
    form.Show();
    ASSERT_NE(panel->Widget(), nullptr);
    panel->Widget()->setAutoFillBackground(true);
    SetWinControlTransparent(panel);
    EXPECT_FALSE(panel->ControlStyle() & csOpaque);
    EXPECT_FALSE(panel->Widget()->autoFillBackground());
    EXPECT_TRUE(panel->Widget()->testAttribute(Qt::WA_NoSystemBackground));
    EXPECT_FALSE(panel->Widget()->testAttribute(Qt::WA_OpaquePaintEvent));
}

// A control that frames its window while painting.
class TBorderedControl : public TCustomControl {
public:
    using TCustomControl::TCustomControl;
    bool Inner = true;

protected:
    void Paint() override
    {
        Canvas()->Brush()->SetColor(clWhite);
        Canvas()->FillRect(ClientRect());
        DrawControlBorder(this, clBtnFace, clBlue, Inner);
    }
};

TEST(DrawControlBorder, FramesTheWholeWindowAndOptionallyTheInnerRectangle)
{
    TForm form(nullptr);
    auto* c = new TBorderedControl(&form);
    c->SetParent(&form);
    c->SetBounds(0, 0, 12, 8);
    form.Show();
    for (bool inner : {true, false}) {
        c->Inner = inner;
        const QImage img = c->Widget()->grab().toImage();
        ASSERT_EQ(img.width(), 12);
        EXPECT_EQ(QRgbToColor(img.pixel(0, 0)), ColorToRGB(clBtnFace));
        EXPECT_EQ(QRgbToColor(img.pixel(11, 7)), ColorToRGB(clBtnFace));
        EXPECT_EQ(QRgbToColor(img.pixel(1, 1)), inner ? clBlue : clWhite);
        EXPECT_EQ(QRgbToColor(img.pixel(10, 6)), inner ? clBlue : clWhite);
        EXPECT_EQ(QRgbToColor(img.pixel(2, 2)), clWhite);
    }
}

TEST(InRect, InclusiveOnAllFourSides)
{
    const TRect r = Rect(10, 20, 30, 40);
    struct {
        int X, Y;
        bool In;
    } cases[] = {{10, 20, true}, {30, 40, true}, {30, 20, true}, {10, 40, true}, {20, 30, true},
                 {9, 20, false}, {31, 30, false}, {20, 19, false}, {20, 41, false}};
    for (auto c : cases) {
        EXPECT_EQ(InRect(c.X, c.Y, r), c.In) << c.X << "," << c.Y;
        EXPECT_EQ(InRect(Point(c.X, c.Y), r), c.In);
    }
}

TEST(PlaceControl, MovesAndSizes)
{
    TPanel p(nullptr);
    PlaceControl(&p, Point(3, 4));
    EXPECT_EQ(p.BoundsRect(), Bounds(3, 4, p.Width(), p.Height()));
    PlaceControl(&p, Rect(5, 6, 25, 16));
    EXPECT_EQ(p.BoundsRect(), Rect(5, 6, 25, 16));
}

// An MDI frame that names its active child when asked.
class TMdiFrame : public TForm {
public:
    using TForm::TForm;
    HWND ActiveChild = nullptr;

protected:
    void Dispatch(TMessage& m) override
    {
        if (m.Msg == WM_MDIGETACTIVE) {
            m.Result = LRESULT(ActiveChild);
            return;
        }
        TForm::Dispatch(m);
    }
};

TEST(FormHasFocus, DecidedByTheMainFormAndTheApplication)
{
    TForm loose(nullptr);
    ASSERT_EQ(Application, nullptr);
    EXPECT_FALSE(FormHasFocus(&loose)) << "no application: the form's own Active";
    EXPECT_FALSE(FormHasFocus(nullptr));

    TApplication app;
    TMdiFrame main(nullptr);
    app.SetMainForm(&main);
    TForm child(nullptr);
    ASSERT_FALSE(app.Active());
    EXPECT_FALSE(FormHasFocus(&child)) << "inactive application";
    EXPECT_FALSE(FormHasFocus(&main));
    main.SetFormStyle(fsMDIForm);
    EXPECT_TRUE(FormHasFocus(&main)) << "an MDI frame always draws as focused";
    EXPECT_FALSE(FormHasFocus(&child));
    app.SetMainForm(nullptr);
}

TEST(GetWorkAreaRect, ThePrimaryScreensWorkAreaWithoutAMainForm)
{
    const TRect r = GetWorkAreaRect();
    EXPECT_GT(r.Width(), 0);
    EXPECT_GT(r.Height(), 0);
}

// ---- text and system information ----

TEST(FormatStringWithWidth, ShortestCandidateReachingTheWidth)
{
    TBitmap b(10, 10);
    TCanvas* c = b.Canvas();
    c->Font()->SetName(QStringLiteral("Tahoma"));
    c->Font()->SetHeight(-32);
    const String text = QStringLiteral("Hello World");
    EXPECT_EQ(FormatStringWithWidth(c, text, c->TextWidth(text)), text) << "fits exactly";
    EXPECT_EQ(FormatStringWithWidth(c, text, 1000), text);
    EXPECT_EQ(FormatStringWithWidth(c, text, 1), QStringLiteral("H...")) << "first candidate already reaches";
    const int w = c->TextWidth(QStringLiteral("Hello..."));
    EXPECT_EQ(FormatStringWithWidth(c, text, w), QStringLiteral("Hello..."));
    EXPECT_EQ(FormatStringWithWidth(c, text, w - 1), QStringLiteral("Hello..."));
    EXPECT_EQ(FormatStringWithWidth(c, QStringLiteral("W"), 0), QStringLiteral("W")) << "one character: no candidate";
    // A last character wider than "..." plus one pixel: no candidate reaches one pixel less than
    // the text, so the whole text comes back.
    c->Font()->SetHeight(-100);
    String wideChar;
    for (const char* ch : {"W", "M", "@", "\xC3\x86", "\xE4\xB8\xAD", "\xE2\x96\x88"})
        if (c->TextWidth(QString::fromUtf8(ch)) >= c->TextWidth(QStringLiteral("...")) + 2) {
            wideChar = QString::fromUtf8(ch);
            break;
        }
    ASSERT_FALSE(wideChar.isEmpty()) << "no character wider than \"...\" in the test font";
    const String wide = QStringLiteral("ab") + wideChar;
    EXPECT_EQ(FormatStringWithWidth(c, wide, c->TextWidth(wide) - 1), wide);
    EXPECT_EQ(FormatStringWithWidth(nullptr, text, 1), text);
}

TEST(SystemInformation, FixedAnswers)
{
    EXPECT_EQ(GetLocaleButtonCaption(mbAll), QStringLiteral("All"));
    EXPECT_EQ(GetLocaleButtonCaption(mbNoToAll), QStringLiteral("No to All"));
    EXPECT_EQ(GetLocaleButtonCaption(mbYesToAll), QStringLiteral("Yes to All"));
    for (int b = mbYes; b <= mbHelp; ++b)
        EXPECT_FALSE(GetLocaleButtonCaption(TMsgDlgBtn(b)).isEmpty()) << b;
    EXPECT_TRUE(IsWinXP());
    EXPECT_FALSE(IsWinVista());
    EXPECT_EQ(PCharToStr(nullptr), String());
    EXPECT_EQ(PCharToStr(""), String());
    EXPECT_EQ(PCharToStr("abc"), QStringLiteral("abc"));
    TFont f;
    GetCaptionFont(&f);
    EXPECT_TRUE(f.Style() & fsBold);
    GetCaptionFont(nullptr);
    EXPECT_FALSE(g_KivkitConverting);
}

TEST(IsHasProperty, PublishedPropertiesOnly)
{
    TPanel p(nullptr);
    EXPECT_TRUE(IsHasProperty(&p, QStringLiteral("Caption")));
    EXPECT_FALSE(IsHasProperty(&p, QStringLiteral("UIStyle")));
    EXPECT_FALSE(IsHasProperty(nullptr, QStringLiteral("Caption")));
}

// ---- lazily resolved functions ----

int ResolverCalls = 0;
void* MissingResolver(const char*)
{
    ++ResolverCalls;
    return nullptr;
}
bool Answer(int v) { return v == 7; }
void* FoundResolver(const char*)
{
    ++ResolverCalls;
    return reinterpret_cast<void*>(&Answer);
}

TEST(LazyProc, ResolvesOnceAndRemembersAMissingFunction)
{
    ResolverCalls = 0;
    TkivLazyProc<bool(int)> missing("Nope", &MissingResolver);
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_EQ(missing.Get(), nullptr);
    EXPECT_TRUE(missing.Missing());
    EXPECT_EQ(ResolverCalls, 1);

    ResolverCalls = 0;
    TkivLazyProc<bool(int)> found("Answer", &FoundResolver);
    ASSERT_NE(found.Get(), nullptr);
    EXPECT_TRUE(found.Get()(7));
    EXPECT_FALSE(found.Missing());
    EXPECT_EQ(ResolverCalls, 1);

    EXPECT_NE(KivSystemProcAddress("AnimateWindow"), nullptr);
    EXPECT_EQ(KivSystemProcAddress("GetWindowDC"), nullptr);
    EXPECT_EQ(KivSystemProcAddress(nullptr), nullptr);
}

TEST(KIVGetComboBoxInfo, ArrowOnTheRightEditFieldLeftOfIt)
{
    QComboBox combo;
    combo.addItems({QStringLiteral("a"), QStringLiteral("b")});
    combo.resize(120, 22);
    const HWND h = RegisterWindowReceiver(&combo);
    tagCOMBOBOXINFO info;
    ASSERT_TRUE(KIVGetComboBoxInfo(h, &info));
    EXPECT_GT(info.rcButton.Width(), 0);
    EXPECT_EQ(info.rcButton.Right <= 120, true);
    EXPECT_GT(info.rcButton.Left, 60);
    EXPECT_LE(info.rcItem.Right, info.rcButton.Left + 1);
    EXPECT_EQ(info.stateButton, 0u);
    EXPECT_EQ(info.hwndCombo, h);
    EXPECT_EQ(info.hwndItem, h) << "a list-only box is its own item window";
    EXPECT_NE(info.hwndList, nullptr);

    EXPECT_FALSE(KIVGetComboBoxInfo(h, nullptr));
    QWidget plain;
    EXPECT_FALSE(KIVGetComboBoxInfo(RegisterWindowReceiver(&plain), &info));
    UnregisterWindowReceiver(h);
}

// The combo boxes pass the size the structure has on the original 32-bit platform (52); the
// native size is accepted too, any other size is refused as the system refuses it.
TEST(KIVGetComboBoxInfo, AcceptsTheSizeTheCallersPassAndTheNativeOne)
{
    QComboBox combo;
    combo.resize(120, 22);
    const HWND h = RegisterWindowReceiver(&combo);
    struct Case {
        DWORD size;
        bool accepted;
    };
    const Case cases[] = {
        {52, true}, {DWORD(sizeof(tagCOMBOBOXINFO)), true}, {0, false}, {3, false},
        {40, false}, {51, false}, {53, false}, {DWORD(sizeof(tagCOMBOBOXINFO)) + 4, false},
    };
    for (const Case& c : cases) {
        tagCOMBOBOXINFO info;
        info.cbSize = c.size;
        SetLastError(0);
        EXPECT_EQ(KIVGetComboBoxInfo(h, &info), c.accepted) << "size " << c.size;
        if (c.accepted) {
            EXPECT_EQ(info.hwndCombo, h) << "size " << c.size;
            EXPECT_GT(info.rcButton.Width(), 0) << "size " << c.size;
            EXPECT_EQ(info.cbSize, c.size) << "the size field is left as the caller set it";
        } else {
            EXPECT_EQ(GetLastError(), DWORD(ERROR_INVALID_PARAMETER)) << "size " << c.size;
            EXPECT_EQ(info.hwndCombo, nullptr) << "size " << c.size;
        }
    }
    EXPECT_EQ(COMBOBOXINFO_SIZE_DESKTOP, 52u);
    UnregisterWindowReceiver(h);
}

TEST(KIVGetScrollBarInfo, ThumbAndArrowsOfAScrollBar)
{
    QScrollBar bar(Qt::Vertical);
    bar.setRange(0, 100);
    bar.setPageStep(20);
    bar.resize(16, 200);
    const HWND h = RegisterWindowReceiver(&bar);
    tagSCROLLBARINFO info;
    ASSERT_TRUE(KIVGetScrollBarInfo(h, OBJID_CLIENT, &info));
    EXPECT_EQ(info.rcScrollBar.Height(), 200);
    EXPECT_LT(info.xyThumbTop, info.xyThumbBottom);
    EXPECT_LE(info.xyThumbBottom, 200);
    EXPECT_TRUE(info.rgstate[0] & STATE_SYSTEM_INVISIBLE) << "never shown";
    EXPECT_FALSE(KIVGetScrollBarInfo(h, OBJID_VSCROLL, &info)) << "a bar has no bars of its own";
    info.cbSize = 0;
    EXPECT_FALSE(KIVGetScrollBarInfo(h, OBJID_CLIENT, &info));
    UnregisterWindowReceiver(h);
}

TEST(KIVAnimateWindow, ShowsAndHidesAndRefusesTheStateItIsIn)
{
    QWidget parent;
    QWidget w(&parent);
    w.hide();
    w.resize(40, 30);
    const HWND h = RegisterWindowReceiver(&w);
    EXPECT_TRUE(KIVAnimateWindow(h, 0, AW_SLIDE | AW_VER_NEGATIVE));
    EXPECT_FALSE(w.isHidden());
    EXPECT_FALSE(KIVAnimateWindow(h, 0, AW_SLIDE)) << "already shown";
    EXPECT_TRUE(KIVAnimateWindow(h, 30, AW_HIDE | AW_SLIDE | AW_HOR_POSITIVE));
    EXPECT_TRUE(w.isHidden());
    EXPECT_TRUE(w.mask().isEmpty()) << "the mask used while animating is gone";
    EXPECT_FALSE(KIVAnimateWindow(h, 0, AW_HIDE)) << "already hidden";
    UnregisterWindowReceiver(h);
    EXPECT_FALSE(KIVAnimateWindow(h, 0, 0)) << "unknown handle";
}

TEST(KIVAnimateWindow, BlendsATopLevelWindowBackToFullOpacity)
{
    QWidget w;
    w.resize(40, 30);
    const HWND h = RegisterWindowReceiver(&w);
    EXPECT_TRUE(KIVAnimateWindow(h, 20, AW_BLEND));
    EXPECT_TRUE(w.isVisible());
    EXPECT_DOUBLE_EQ(w.windowOpacity(), 1.0);
    UnregisterWindowReceiver(h);
}

TEST(KIVAnimateWindow, KeepsAShapeGivenBefore)
{
    QWidget parent;
    QWidget w(&parent);
    w.hide();
    w.resize(10, 4);
    const HWND h = RegisterWindowReceiver(&w);
    TBitmap shape(10, 4);
    Fill(shape, clRed);
    SetBitmapWindow(h, &shape, clFuchsia);
    const QRegion before = w.mask();
    EXPECT_TRUE(KIVAnimateWindow(h, 20, AW_CENTER));
    EXPECT_EQ(w.mask(), before);
    UnregisterWindowReceiver(h);
}

}  // namespace
