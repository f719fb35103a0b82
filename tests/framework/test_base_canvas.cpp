// TCanvas: exact pixels of fills, frames, lines and copies; device-context state; text layout.
#include "framework/Graphics.h"

#include <QFontMetrics>
#include <QPainter>
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace {

// Pixel tables: one character per pixel, looked up in a legend; '?' marks a colour not in it.
const std::map<TColor, char> Legend{{clWhite, '.'}, {clBlack, 'K'}, {clRed, 'R'}, {clBlue, 'B'},
                                    {clLime, 'G'}, {clFuchsia, 'F'}, {clYellow, 'Y'}, {clAqua, 'A'}};

std::vector<std::string> Dump(TBitmap& b)
{
    std::vector<std::string> rows;
    for (int y = 0; y < b.Height(); ++y) {
        std::string r;
        for (int x = 0; x < b.Width(); ++x) {
            auto it = Legend.find(b.Canvas()->Pixels(x, y));
            r += it == Legend.end() ? '?' : it->second;
        }
        rows.push_back(r);
    }
    return rows;
}

void Fill(TBitmap& b, TColor c)
{
    b.Canvas()->Brush()->SetColor(c);
    b.Canvas()->Brush()->SetStyle(bsSolid);
    b.Canvas()->FillRect(Rect(0, 0, b.Width(), b.Height()));
}

bool SameImage(TBitmap& a, TBitmap& b)
{
    return a.Image() == b.Image();
}

// Bounding box of pixels that differ from the background colour.
QRect InkBox(TBitmap& b, TColor background)
{
    QRect box;
    for (int y = 0; y < b.Height(); ++y)
        for (int x = 0; x < b.Width(); ++x)
            if (b.Canvas()->Pixels(x, y) != background)
                box |= QRect(x, y, 1, 1);
    return box;
}

}  // namespace

TEST(CanvasFill, FillRectCoversLeftTopInclusiveRightBottomExclusive)
{
    TBitmap b(6, 4);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(1, 1, 4, 3));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"......", ".RRR..", ".RRR..", "......"}));
}

TEST(CanvasFill, EmptyOrInvertedRectanglesDrawNothing)
{
    TBitmap b(4, 3);
    b.Canvas()->Brush()->SetColor(clRed);
    for (const TRect& r : {Rect(2, 1, 2, 3), Rect(1, 2, 3, 2), Rect(3, 0, 1, 2), Rect(0, 3, 2, 1)}) {
        b.Canvas()->FillRect(r);
        b.Canvas()->FrameRect(r);
    }
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"....", "....", "...."}));
}

TEST(CanvasFill, ClearBrushFillsNothingAndSettingAColourMakesItSolid)
{
    TBitmap b(3, 1);
    b.Canvas()->Brush()->SetStyle(bsClear);
    b.Canvas()->FillRect(Rect(0, 0, 3, 1));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"..."}));
    b.Canvas()->Brush()->SetColor(clBlue);
    EXPECT_EQ(b.Canvas()->Brush()->Style(), bsSolid);
    b.Canvas()->FillRect(Rect(0, 0, 2, 1));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"BB."}));
}

TEST(CanvasFill, FrameRectIsOnePixelInTheBrushColour)
{
    TBitmap b(7, 5);
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->Pen()->SetColor(clRed);  // the pen takes no part
    b.Canvas()->FrameRect(Rect(1, 1, 6, 5));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{".......", ".BBBBB.", ".B...B.", ".B...B.", ".BBBBB."}));
}

TEST(CanvasFill, FrameRectOfThinRectangles)
{
    TBitmap b(4, 3);
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->FrameRect(Rect(0, 0, 1, 3));  // one column
    b.Canvas()->FrameRect(Rect(2, 1, 4, 2));  // one row
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"B...", "B.BB", "B..."}));
}

TEST(CanvasFill, RectangleOutlinesWithPenAndFillsWithBrush)
{
    TBitmap b(6, 5);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->Rectangle(0, 0, 5, 4);
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"KKKKK.", "KRRRK.", "KRRRK.", "KKKKK.", "......"}));
}

TEST(CanvasFill, RectangleWithoutPenStopsOnePixelShort)
{
    TBitmap b(5, 4);
    b.Canvas()->Pen()->SetStyle(psClear);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->Rectangle(0, 0, 4, 3);
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"RRR..", "RRR..", ".....", "....."}));
}

TEST(CanvasFill, RectangleWithClearBrushKeepsTheInside)
{
    TBitmap b(5, 4);
    Fill(b, clLime);
    b.Canvas()->Brush()->SetStyle(bsClear);
    b.Canvas()->Pen()->SetColor(clBlue);
    b.Canvas()->Rectangle(Rect(0, 0, 4, 4));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"BBBBG", "BGGBG", "BGGBG", "BBBBG"}));
}

struct LineCase {
    const char* name;
    TPoint from, to;
    std::vector<std::string> expected;
};

class CanvasLine : public ::testing::TestWithParam<LineCase> {};

TEST_P(CanvasLine, LineToExcludesTheEndPoint)
{
    const LineCase& c = GetParam();
    TBitmap b(5, 4);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->MoveTo(c.from.X, c.from.Y);
    b.Canvas()->LineTo(c.to.X, c.to.Y);
    EXPECT_EQ(Dump(b), c.expected);
    EXPECT_EQ(b.Canvas()->PenPos(), c.to);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanvasLine,
    ::testing::Values(LineCase{"right", {0, 1}, {4, 1}, {".....", "KKKK.", ".....", "....."}},
                      LineCase{"left", {4, 1}, {0, 1}, {".....", ".KKKK", ".....", "....."}},
                      LineCase{"down", {2, 0}, {2, 3}, {"..K..", "..K..", "..K..", "....."}},
                      LineCase{"up", {2, 3}, {2, 0}, {".....", "..K..", "..K..", "..K.."}},
                      LineCase{"diagonal", {0, 0}, {3, 3}, {"K....", ".K...", "..K..", "....."}},
                      LineCase{"antidiagonal", {3, 0}, {0, 3}, {"...K.", "..K..", ".K...", "....."}},
                      LineCase{"zero length", {1, 1}, {1, 1}, {".....", ".....", ".....", "....."}},
                      LineCase{"clipped to the bitmap", {-2, 2}, {9, 2}, {".....", ".....", "KKKKK", "....."}}),
    [](const auto& info) {
        std::string n = info.param.name;
        for (char& ch : n)
            if (ch == ' ')
                ch = '_';
        return n;
    });

TEST(CanvasLine, PolylineJoinsSegmentsAndLeavesTheLastPointOut)
{
    TBitmap b(4, 4);
    b.Canvas()->Pen()->SetColor(clBlue);
    b.Canvas()->MoveTo(3, 3);
    b.Canvas()->Polyline({{0, 0}, {3, 0}, {3, 3}});
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"BBBB", "...B", "...B", "...."}));
    EXPECT_EQ(b.Canvas()->PenPos(), (TPoint{3, 3}));  // Polyline does not move the pen position
}

TEST(CanvasLine, DottedPenLeavesGapsAloneWithClearBrushAndPaintsThemWithSolidBrush)
{
    TBitmap b(12, 2);
    b.Canvas()->Pen()->SetStyle(psDot);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->Brush()->SetStyle(bsClear);
    b.Canvas()->MoveTo(0, 0);
    b.Canvas()->LineTo(12, 0);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->MoveTo(0, 1);
    b.Canvas()->LineTo(12, 1);
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"KKK...KKK...", "KKKRRRKKKRRR"}));
}

TEST(CanvasLine, XorPenDrawnTwiceRestoresThePixels)
{
    TBitmap b(6, 3);
    Fill(b, clLime);
    b.Canvas()->SetPixels(2, 1, clRed);
    const QImage before = b.Image().copy();
    b.Canvas()->Pen()->SetMode(pmXor);
    b.Canvas()->Pen()->SetColor(clWhite);
    for (int i = 0; i < 2; ++i) {
        b.Canvas()->MoveTo(0, 1);
        b.Canvas()->LineTo(6, 1);
        if (i == 0) {
            EXPECT_EQ(b.Canvas()->Pixels(2, 1), TColor(0xFFFF00));  // red inverted is aqua
        }
    }
    EXPECT_EQ(b.Image(), before);
}

TEST(CanvasLine, NotPenInvertsWhatIsUnderneath)
{
    TBitmap b(3, 1);
    b.Canvas()->Pen()->SetMode(pmNot);
    b.Canvas()->MoveTo(0, 0);
    b.Canvas()->LineTo(2, 0);
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"KK."}));
}

TEST(CanvasShapes, EllipseFillsItsInsideAndLeavesTheCornersAlone)
{
    TBitmap b(21, 21);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->Ellipse(0, 0, 21, 21);
    EXPECT_EQ(b.Canvas()->Pixels(10, 10), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(20, 20), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(10, 0), clBlack);   // top of the outline
    EXPECT_EQ(b.Canvas()->Pixels(0, 10), clBlack);   // left
    EXPECT_EQ(b.Canvas()->Pixels(20, 10), clBlack);  // right: the box's last column
}

TEST(CanvasShapes, PolygonFillsAndOutlines)
{
    TBitmap b(12, 12);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->Brush()->SetColor(clBlue);
    b.Canvas()->Polygon({{1, 1}, {10, 1}, {10, 10}, {1, 10}});
    EXPECT_EQ(b.Canvas()->Pixels(5, 5), clBlue);
    for (const TPoint& p : {TPoint{1, 1}, TPoint{10, 1}, TPoint{10, 10}, TPoint{1, 10}, TPoint{5, 10}})
        EXPECT_EQ(b.Canvas()->Pixels(p.X, p.Y), clBlack) << p.X << "," << p.Y;
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(11, 11), clWhite);
}

TEST(CanvasShapes, ArcGoesCounterClockwiseFromStartRayToEndRay)
{
    // Box 0..40, centre 20,20. Start on the right (3 o'clock), end at the top (12 o'clock): the
    // counter-clockwise arc is the upper-right quarter only.
    TBitmap b(41, 41);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->Arc(0, 0, 41, 41, 40, 20, 20, 0);
    int quadrant[4] = {0, 0, 0, 0};  // upper-right, upper-left, lower-left, lower-right
    for (int y = 0; y < 41; ++y)
        for (int x = 0; x < 41; ++x)
            if (b.Canvas()->Pixels(x, y) == clBlack) {
                if (x > 21 && y < 19)
                    ++quadrant[0];
                else if (x < 19 && y < 19)
                    ++quadrant[1];
                else if (x < 19 && y > 21)
                    ++quadrant[2];
                else if (x > 21 && y > 21)
                    ++quadrant[3];
            }
    EXPECT_GT(quadrant[0], 10);
    EXPECT_EQ(quadrant[1], 0);
    EXPECT_EQ(quadrant[2], 0);
    EXPECT_EQ(quadrant[3], 0);
}

TEST(CanvasShapes, ArcWithEqualStartAndEndIsAWholeEllipse)
{
    TBitmap b(21, 21);
    b.Canvas()->Pen()->SetColor(clBlack);
    b.Canvas()->Arc(0, 0, 21, 21, 20, 10, 20, 10);
    EXPECT_EQ(b.Canvas()->Pixels(10, 0), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(10, 20), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(0, 10), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(10, 10), clWhite);  // an arc does not fill
}

TEST(CanvasShapes, FocusRectIsDottedAndUndoesItself)
{
    TBitmap b(8, 6);
    const QImage before = b.Image().copy();
    b.Canvas()->DrawFocusRect(Rect(1, 1, 7, 5));
    EXPECT_EQ(b.Canvas()->Pixels(1, 1), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clWhite);
    EXPECT_EQ(b.Canvas()->Pixels(3, 1), clBlack);
    EXPECT_EQ(b.Canvas()->Pixels(3, 3), clWhite);  // inside untouched
    b.Canvas()->DrawFocusRect(Rect(1, 1, 7, 5));
    EXPECT_EQ(b.Image(), before);
}

TEST(CanvasPixels, GetAndSetWithinAndOutsideTheBitmap)
{
    TBitmap b(3, 2);
    b.Canvas()->SetPixels(2, 1, clRed);
    EXPECT_EQ(b.Canvas()->Pixels(2, 1), clRed);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), clWhite);
    for (const TPoint& p : {TPoint{-1, 0}, TPoint{3, 0}, TPoint{0, 2}, TPoint{0, -1}}) {
        b.Canvas()->SetPixels(p.X, p.Y, clRed);  // ignored
        EXPECT_EQ(b.Canvas()->Pixels(p.X, p.Y), CLR_INVALID);
    }
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"...", "..R"}));
}

TEST(CanvasPixels, SystemColoursAreResolved)
{
    TBitmap b(1, 1);
    b.Canvas()->SetPixels(0, 0, clBtnFace);
    EXPECT_EQ(b.Canvas()->Pixels(0, 0), ColorToRGB(clBtnFace));
}

TEST(CanvasPixels, DrawingAndDirectPixelAccessInterleave)
{
    TBitmap b(4, 1);
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 2, 1));
    b.Canvas()->SetPixels(3, 0, clBlue);
    b.Canvas()->Brush()->SetColor(clLime);
    b.Canvas()->FillRect(Rect(1, 0, 2, 1));
    reinterpret_cast<uint32_t*>(b.ScanLine(0))[2] = 0xFF000000u;  // black through the scan line
    b.Canvas()->FillRect(Rect(3, 0, 3, 1));                        // empty: no change
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"RGKB"}));
}

TEST(CanvasState, ViewportOriginShiftsDrawingAndPixels)
{
    TBitmap b(5, 4);
    TCanvas* c = b.Canvas();
    c->SetViewportOrigin(2, 1);
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 2, 2));
    EXPECT_EQ(c->Pixels(0, 0), clRed);  // logical (0, 0) is device (2, 1)
    c->OffsetViewportOrigin(-2, -1);
    EXPECT_EQ(Dump(b), (std::vector<std::string>{".....", "..RR.", "..RR.", "....."}));
}

TEST(CanvasState, ClipLimitsDrawingAndStaysPutWhenTheOriginMoves)
{
    TBitmap b(6, 3);
    TCanvas* c = b.Canvas();
    c->IntersectClipRect(Rect(1, 0, 4, 3));
    c->SetViewportOrigin(1, 0);  // the clip stays in device pixels
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(-1, 0, 6, 2));
    EXPECT_EQ(c->Pixels(4, 0), CLR_INVALID);  // device (5, 0) is clipped
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 3, 3));
    c->SetViewportOrigin(0, 0);
    c->ResetClip();
    EXPECT_EQ(Dump(b), (std::vector<std::string>{".BBB..", ".BBB..", "......"}));
}

TEST(CanvasState, SaveAndRestoreBracketOriginAndClip)
{
    TBitmap b(6, 2);
    TCanvas* c = b.Canvas();
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 6, 2));
    c->SaveState();
    c->SetViewportOrigin(3, 0);
    c->IntersectClipRect(Rect(0, 0, 1, 1));
    c->Brush()->SetColor(clRed);
    c->FillRect(Rect(0, 0, 3, 2));
    c->RestoreState();
    c->RestoreState();  // one too many: ignored
    c->Brush()->SetColor(clBlue);
    c->FillRect(Rect(0, 1, 1, 2));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"...R..", "B....."}));
    EXPECT_EQ(c->ClipRect(), Rect(0, 0, 6, 2));
}

TEST(CanvasState, ExcludeClipRectCutsAHole)
{
    TBitmap b(5, 1);
    b.Canvas()->ExcludeClipRect(Rect(1, 0, 3, 1));
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 5, 1));
    b.Canvas()->ResetClip();
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"R..RR"}));
}

TEST(CanvasState, EmptyClipHidesEverything)
{
    TBitmap b(3, 1);
    b.Canvas()->IntersectClipRect(Rect(0, 0, 2, 1));
    b.Canvas()->IntersectClipRect(Rect(2, 0, 3, 1));  // disjoint: nothing left
    b.Canvas()->Brush()->SetColor(clRed);
    b.Canvas()->FillRect(Rect(0, 0, 3, 1));
    b.Canvas()->SetPixels(0, 0, clRed);
    EXPECT_EQ(b.Canvas()->ClipRect(), TRect());
    b.Canvas()->ResetClip();
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"..."}));
}

TEST(CanvasPainter, ThePaintersOwnClipStillApplies)
{
    QImage img(4, 1, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.setClipRect(QRect(1, 0, 2, 1));
    {
        TCanvas c(&p, img.rect());
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 4, 1));
        EXPECT_EQ(c.ClipRect(), Rect(1, 0, 3, 1));
        c.ResetClip();  // only the canvas's own clip goes
        c.FillRect(Rect(0, 0, 4, 1));
    }
    p.end();
    EXPECT_EQ(img.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(1, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(2, 0), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(3, 0), qRgb(255, 255, 255));
}

TEST(CanvasPainter, ExternalPainterDrawsThroughItsTransformAndIsRestored)
{
    QImage img(10, 6, QImage::Format_RGB32);
    img.fill(Qt::white);
    QPainter p(&img);
    p.translate(3, 2);
    {
        TCanvas c(&p, QRect(0, 0, 5, 3));
        c.Brush()->SetColor(clRed);
        c.FillRect(Rect(0, 0, 2, 1));
        c.SetViewportOrigin(1, 1);
        c.IntersectClipRect(Rect(0, 0, 1, 1));
        c.FillRect(Rect(0, 0, 4, 4));
        EXPECT_EQ(c.Pixels(0, 0), clRed);
        EXPECT_EQ(c.Pixels(1, 0), CLR_INVALID);
        EXPECT_EQ(c.ClipRect(), Rect(0, 0, 1, 1));
    }
    // The painter is handed back as it was given: translated, unclipped.
    EXPECT_EQ(p.transform(), QTransform::fromTranslate(3, 2));
    EXPECT_FALSE(p.hasClipping());
    p.end();
    EXPECT_EQ(img.pixel(3, 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(4, 2), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(5, 2), qRgb(255, 255, 255));
    EXPECT_EQ(img.pixel(4, 3), qRgb(255, 0, 0));
    EXPECT_EQ(img.pixel(5, 3), qRgb(255, 255, 255));
}

TEST(CanvasPainter, UnboundCanvasMeasuresButDoesNotDraw)
{
    TCanvas c;
    EXPECT_FALSE(c.HandleAllocated());
    EXPECT_EQ(c.Painter(), nullptr);
    c.FillRect(Rect(0, 0, 5, 5));
    c.LineTo(3, 3);
    c.TextOut(0, 0, QStringLiteral("x"));
    EXPECT_EQ(c.Pixels(0, 0), CLR_INVALID);
    EXPECT_GT(c.TextWidth(QStringLiteral("abc")), 0);
    EXPECT_EQ(c.PenPos(), (TPoint{c.TextWidth(QStringLiteral("x")), 0}));
}

TEST(CanvasPainter, CanvasBindsToPaintersOneAfterAnother)
{
    TCanvas c;
    c.Brush()->SetColor(clBlue);  // persists across bindings
    for (int i = 0; i < 2; ++i) {
        QImage img(2, 1, QImage::Format_RGB32);
        img.fill(Qt::white);
        QPainter p(&img);
        c.SetPainter(&p, img.rect());
        c.FillRect(Rect(i, 0, i + 1, 1));
        c.SetPainter(nullptr, QRect());
        p.end();
        EXPECT_EQ(img.pixel(i, 0), qRgb(0, 0, 255));
        EXPECT_EQ(img.pixel(1 - i, 0), qRgb(255, 255, 255));
    }
}

// ---- copies ----

TEST(CanvasCopy, CopyRectSameSize)
{
    TBitmap src(3, 2), dst(4, 3);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clBlue);
    src.Canvas()->SetPixels(2, 1, clLime);
    dst.Canvas()->CopyRect(Rect(1, 1, 3, 3), src.Canvas(), Rect(1, 0, 3, 2));
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"....", ".B..", "..G."}));
}

struct StretchCase {
    const char* name;
    int mode;
    TRect dest;
    std::vector<std::string> expected;
};

class CanvasStretch : public ::testing::TestWithParam<StretchCase> {};

TEST_P(CanvasStretch, NearestPixelStretch)
{
    const StretchCase& c = GetParam();
    TBitmap src(2, 2), dst(6, 4);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clBlue);
    src.Canvas()->SetPixels(0, 1, clLime);
    src.Canvas()->SetPixels(1, 1, clBlack);
    dst.Canvas()->SetStretchBltMode(c.mode);
    dst.Canvas()->CopyRect(c.dest, src.Canvas(), Rect(0, 0, 2, 2));
    EXPECT_EQ(Dump(dst), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CanvasStretch,
    ::testing::Values(
        StretchCase{"double", COLORONCOLOR, Rect(0, 0, 4, 4), {"RRBB..", "RRBB..", "GGKK..", "GGKK.."}},
        StretchCase{"triple_width", BLACKONWHITE, Rect(0, 0, 6, 2), {"RRRBBB", "GGGKKK", "......", "......"}},
        StretchCase{"shrink", COLORONCOLOR, Rect(1, 1, 2, 2), {"......", ".K....", "......", "......"}},
        StretchCase{"mirrored", COLORONCOLOR, Rect(4, 0, 0, 2), {"BBRR..", "KKGG..", "......", "......"}},
        StretchCase{"stretched_rows", COLORONCOLOR, Rect(0, 1, 2, 4), {"......", "RB....", "GK....", "GK...."}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasCopy, HalftoneStretchBlendsAndColorOnColorDoesNot)
{
    TBitmap src(2, 1);
    src.Canvas()->SetPixels(0, 0, clBlack);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        TBitmap dst(8, 1);
        dst.Canvas()->SetStretchBltMode(mode);
        dst.Canvas()->CopyRect(Rect(0, 0, 8, 1), src.Canvas(), Rect(0, 0, 2, 1));
        int greys = 0;
        for (int x = 0; x < 8; ++x) {
            const TColor c = dst.Canvas()->Pixels(x, 0);
            if (c != clBlack && c != clWhite)
                ++greys;
        }
        if (mode == HALFTONE)
            EXPECT_GT(greys, 0);
        else
            EXPECT_EQ(greys, 0);
        EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clBlack);
        EXPECT_EQ(dst.Canvas()->Pixels(7, 0), clWhite);
    }
}

TEST(CanvasCopy, SourceOutsideTheBitmapLeavesTheDestinationAlone)
{
    TBitmap src(2, 1), dst(4, 1);
    Fill(src, clRed);
    Fill(dst, clLime);
    dst.Canvas()->CopyRect(Rect(0, 0, 4, 1), src.Canvas(), Rect(-1, 0, 3, 1));
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"GRRG"}));
}

TEST(CanvasCopy, OverlappingCopyWithinOneBitmap)
{
    TBitmap b(5, 1);
    b.Canvas()->SetPixels(0, 0, clRed);
    b.Canvas()->SetPixels(1, 0, clBlue);
    b.Canvas()->SetPixels(2, 0, clLime);
    b.Canvas()->CopyRect(Rect(1, 0, 4, 1), b.Canvas(), Rect(0, 0, 3, 1));
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"RRBG."}));
}

struct RopCase {
    const char* name;
    TCopyMode mode;
    TColor expected;
};

class CanvasCopyMode : public ::testing::TestWithParam<RopCase> {};

TEST_P(CanvasCopyMode, CombinesSourceAndDestination)
{
    // Source $00FF00F0 onto destination $000F0FFF (both as $00BBGGRR).
    const RopCase& c = GetParam();
    TBitmap src(1, 1), dst(1, 1);
    src.Canvas()->SetPixels(0, 0, TColor(0x00FF00F0));
    dst.Canvas()->SetPixels(0, 0, TColor(0x000F0FFF));
    dst.Canvas()->Brush()->SetColor(TColor(0x0000FF00));
    dst.Canvas()->SetCopyMode(c.mode);
    dst.Canvas()->CopyRect(Rect(0, 0, 1, 1), src.Canvas(), Rect(0, 0, 1, 1));
    EXPECT_EQ(dst.Canvas()->Pixels(0, 0), c.expected);
}

INSTANTIATE_TEST_SUITE_P(Modes, CanvasCopyMode,
                         ::testing::Values(RopCase{"SrcCopy", cmSrcCopy, TColor(0x00FF00F0)},
                                           RopCase{"SrcAnd", cmSrcAnd, TColor(0x000F00F0)},
                                           RopCase{"SrcPaint", cmSrcPaint, TColor(0x00FF0FFF)},
                                           RopCase{"SrcInvert", cmSrcInvert, TColor(0x00F00F0F)},
                                           RopCase{"NotSrcCopy", cmNotSrcCopy, TColor(0x0000FF0F)},
                                           RopCase{"MergeCopy", cmMergeCopy, TColor(0x00000000)},
                                           RopCase{"Whiteness", cmWhiteness, clWhite},
                                           RopCase{"Blackness", cmBlackness, clBlack},
                                           RopCase{"DstInvert", cmDstInvert, TColor(0x00F0F000)},
                                           RopCase{"PatCopy", cmPatCopy, TColor(0x0000FF00)}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(CanvasDraw, StretchDrawOfATransparentBitmapLeavesFuchsiaOut)
{
    TBitmap pic(3, 2);
    Fill(pic, clFuchsia);
    pic.Canvas()->SetPixels(1, 0, clBlue);
    pic.Canvas()->SetPixels(1, 1, clRed);
    pic.SetTransparentColor(clFuchsia);
    pic.SetTransparent(true);
    TBitmap dst(6, 4);
    Fill(dst, clLime);
    dst.Canvas()->StretchDraw(Rect(0, 0, 6, 4), &pic);
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"GGBBGG", "GGBBGG", "GGRRGG", "GGRRGG"}));
}

TEST(CanvasDraw, TransparentDrawAtOwnSizeAndAutomaticColourFromBottomLeft)
{
    TBitmap pic(2, 2);
    pic.Canvas()->SetPixels(0, 0, clRed);
    pic.Canvas()->SetPixels(1, 0, clYellow);
    pic.Canvas()->SetPixels(0, 1, clYellow);  // bottom-left decides in tmAuto
    pic.SetTransparent(true);
    EXPECT_EQ(pic.TransparentMode(), tmAuto);
    TBitmap dst(4, 3);
    Fill(dst, clLime);
    dst.Canvas()->Draw(1, 1, &pic);
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"GGGG", "GRGG", "GG.G"}));
}

TEST(CanvasDraw, OpaqueDrawCopiesEveryPixelAndHonoursCopyMode)
{
    TBitmap pic(2, 1);
    pic.Canvas()->SetPixels(0, 0, clFuchsia);
    TBitmap dst(3, 1);
    Fill(dst, clLime);
    dst.Canvas()->Draw(0, 0, &pic);
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"F.G"}));
    dst.Canvas()->SetCopyMode(cmSrcAnd);
    dst.Canvas()->Draw(1, 0, &pic);  // fuchsia AND white, white AND lime
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"FFG"}));
}

TEST(CanvasDraw, DrawingABitmapOntoItself)
{
    TBitmap b(4, 1);
    b.Canvas()->SetPixels(0, 0, clRed);
    b.Canvas()->StretchDraw(Rect(0, 0, 8, 1), &b);
    EXPECT_EQ(Dump(b), (std::vector<std::string>{"RR.."}));
}

TEST(CanvasDraw, NullAndEmptyGraphicsAreIgnored)
{
    TBitmap dst(2, 2), empty;
    dst.Canvas()->Draw(0, 0, nullptr);
    dst.Canvas()->StretchDraw(Rect(0, 0, 2, 2), &empty);
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"..", ".."}));
}

TEST(CanvasDraw, BrushCopyReplacesOneColourWithTheBrush)
{
    TBitmap pic(2, 1), dst(2, 1);
    pic.Canvas()->SetPixels(0, 0, clFuchsia);
    pic.Canvas()->SetPixels(1, 0, clBlue);
    dst.Canvas()->Brush()->SetColor(clYellow);
    dst.Canvas()->BrushCopy(Rect(0, 0, 2, 1), &pic, Rect(0, 0, 2, 1), clFuchsia);
    EXPECT_EQ(Dump(dst), (std::vector<std::string>{"YB"}));
}

// ---- text ----

class CanvasText : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (TBitmap* b : {&a, &b}) {
            b->SetSize(160, 40);
            b->Canvas()->Font()->SetHeight(-14);
            b->Canvas()->Font()->SetColor(clBlack);
            b->Canvas()->Brush()->SetStyle(bsClear);
        }
    }
    TBitmap a, b;
};

TEST_F(CanvasText, TextOutWithClearBrushOnlyInks)
{
    Fill(a, clLime);
    a.Canvas()->Brush()->SetStyle(bsClear);
    a.Canvas()->TextOut(5, 5, QStringLiteral("Hello"));
    const QRect ink = InkBox(a, clLime);
    ASSERT_FALSE(ink.isEmpty());
    EXPECT_GE(ink.left(), 5);
    EXPECT_GE(ink.top(), 5);
    EXPECT_LE(ink.right(), 5 + a.Canvas()->TextWidth(QStringLiteral("Hello")));
    EXPECT_LE(ink.bottom(), 5 + a.Canvas()->TextHeight(QStringLiteral("Hello")));
    EXPECT_EQ(a.Canvas()->Pixels(5, 5), clLime);  // the cell's corner is background
    EXPECT_EQ(a.Canvas()->PenPos(), (TPoint{5 + a.Canvas()->TextWidth(QStringLiteral("Hello")), 5}));
}

TEST_F(CanvasText, TextOutWithSolidBrushFillsTheCell)
{
    a.Canvas()->Brush()->SetColor(clYellow);
    a.Canvas()->TextOut(5, 5, QStringLiteral("Hi"));
    const TSize ext = a.Canvas()->TextExtent(QStringLiteral("Hi"));
    EXPECT_EQ(InkBox(a, clWhite), QRect(5, 5, ext.cx, ext.cy));
    EXPECT_EQ(a.Canvas()->Pixels(5, 5), clYellow);
    EXPECT_EQ(a.Canvas()->Pixels(5 + ext.cx - 1, 5 + ext.cy - 1), clYellow);
}

TEST_F(CanvasText, TextIsDrawnInTheFontColour)
{
    a.Canvas()->Font()->SetColor(clBlue);
    a.Canvas()->Font()->SetStyle(fsBold);
    a.Canvas()->Font()->SetHeight(-30);
    a.Canvas()->TextOut(2, 2, QStringLiteral("IIII"));
    int exact = 0;
    for (int y = 0; y < a.Height(); ++y)
        for (int x = 0; x < a.Width(); ++x)
            if (a.Canvas()->Pixels(x, y) == clBlue)
                ++exact;
    EXPECT_GT(exact, 20);
}

TEST_F(CanvasText, MeasuresGrowWithTheText)
{
    TCanvas* c = a.Canvas();
    EXPECT_EQ(c->TextWidth(QString()), 0);
    EXPECT_GT(c->TextWidth(QStringLiteral("WWWW")), c->TextWidth(QStringLiteral("W")));
    EXPECT_EQ(c->TextHeight(QStringLiteral("x")), c->TextHeight(QStringLiteral("Xgj")));
    c->Font()->SetHeight(-28);
    EXPECT_GT(c->TextHeight(QStringLiteral("x")), 20);
}

struct AlignCase {
    const char* name;
    UINT flags;
};

class CanvasDrawTextAlign : public CanvasText, public ::testing::WithParamInterface<AlignCase> {};

TEST_P(CanvasDrawTextAlign, MatchesTextOutAtTheComputedPosition)
{
    const QString text = QStringLiteral("Apply");
    TRect r = Rect(10, 4, 150, 36);
    const UINT f = GetParam().flags;
    const int tw = a.Canvas()->TextWidth(text), th = a.Canvas()->TextHeight(text);
    int x = r.Left, y = r.Top;
    if (f & DT_CENTER)
        x = (r.Left + r.Right - tw) / 2;
    if (f & DT_RIGHT)
        x = r.Right - tw;
    if (f & DT_VCENTER)
        y = (r.Top + r.Bottom - th) / 2;
    if (f & DT_BOTTOM)
        y = r.Bottom - th;
    a.Canvas()->TextOut(x, y, text);
    const int h = b.Canvas()->DrawText(text, r, f);
    EXPECT_TRUE(SameImage(a, b));
    EXPECT_EQ(r, Rect(10, 4, 150, 36));  // not measuring: the rectangle is left alone
    EXPECT_EQ(h, (f & (DT_VCENTER | DT_BOTTOM)) ? y - 4 + th : th);
}

INSTANTIATE_TEST_SUITE_P(Flags, CanvasDrawTextAlign,
                         ::testing::Values(AlignCase{"LeftTop", DT_SINGLELINE},
                                           AlignCase{"CenterVCenter", DT_SINGLELINE | DT_CENTER | DT_VCENTER},
                                           AlignCase{"RightBottom", DT_SINGLELINE | DT_RIGHT | DT_BOTTOM},
                                           AlignCase{"CenterMultiLineFlags", DT_CENTER | DT_WORDBREAK}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(CanvasText, CalcRectMeasuresWithoutDrawing)
{
    const QString text = QStringLiteral("Measure me");
    TRect r = Rect(3, 7, 500, 500);
    const int h = a.Canvas()->DrawText(text, r, DT_SINGLELINE | DT_CALCRECT | DT_CENTER);
    EXPECT_EQ(r, Rect(3, 7, 3 + a.Canvas()->TextWidth(text), 7 + a.Canvas()->TextHeight(text)));
    EXPECT_EQ(h, a.Canvas()->TextHeight(text));
    EXPECT_TRUE(InkBox(a, clWhite).isEmpty());
}

TEST_F(CanvasText, AmpersandMarksAnAcceleratorUnlessNoPrefix)
{
    TRect r = Rect(0, 0, 160, 40);
    b.Canvas()->DrawText(QStringLiteral("&File"), r, DT_SINGLELINE | DT_HIDEPREFIX);
    a.Canvas()->TextOut(0, 0, QStringLiteral("File"));
    EXPECT_TRUE(SameImage(a, b)) << "the mark itself is not drawn";

    TBitmap underlined(160, 40);
    underlined.Canvas()->Font()->Assign(a.Canvas()->Font());
    underlined.Canvas()->Brush()->SetStyle(bsClear);
    underlined.Canvas()->DrawText(QStringLiteral("&File"), r, DT_SINGLELINE);
    const QRect extra = InkBox(underlined, clWhite) | InkBox(a, clWhite);
    EXPECT_FALSE(SameImage(a, underlined)) << "an underline is added";
    EXPECT_LE(extra.left(), a.Canvas()->TextWidth(QStringLiteral("F")));

    for (TBitmap* bm : {&a, &b})
        Fill(*bm, clWhite);
    a.Canvas()->TextOut(0, 0, QStringLiteral("A&B"));
    b.Canvas()->DrawText(QStringLiteral("A&B"), r, DT_SINGLELINE | DT_NOPREFIX);
    EXPECT_TRUE(SameImage(a, b));

    for (TBitmap* bm : {&a, &b})
        Fill(*bm, clWhite);
    a.Canvas()->TextOut(0, 0, QStringLiteral("A&B"));
    b.Canvas()->DrawText(QStringLiteral("A&&B"), r, DT_SINGLELINE);
    EXPECT_TRUE(SameImage(a, b)) << "&& shows one ampersand";
}

TEST_F(CanvasText, WordBreakWrapsAtSpacesAndKeepsLongWordsWhole)
{
    TCanvas* c = a.Canvas();
    const int lh = c->TextHeight(QStringLiteral("x"));
    const int wordW = c->TextWidth(QStringLiteral("wide"));
    const int pairW = c->TextWidth(QStringLiteral("wide wide"));

    TRect r = Rect(0, 0, pairW, 1000);
    EXPECT_EQ(c->DrawText(QStringLiteral("wide wide wide"), r, DT_WORDBREAK | DT_CALCRECT), 2 * lh);
    EXPECT_EQ(r.Right, pairW);

    r = Rect(0, 0, wordW, 1000);
    EXPECT_EQ(c->DrawText(QStringLiteral("wide wide wide"), r, DT_WORDBREAK | DT_CALCRECT), 3 * lh);

    r = Rect(0, 0, 5, 1000);  // narrower than any word: each word on its own line, wider than the rect
    EXPECT_EQ(c->DrawText(QStringLiteral("wide wide"), r, DT_WORDBREAK | DT_CALCRECT), 2 * lh);
    EXPECT_EQ(r.Right, wordW);

    r = Rect(0, 0, 1000, 1000);
    EXPECT_EQ(c->DrawText(QStringLiteral("one\ntwo\r\nthree"), r, DT_CALCRECT), 3 * lh);
    r = Rect(0, 0, 1000, 1000);
    EXPECT_EQ(c->DrawText(QStringLiteral("one\ntwo"), r, DT_SINGLELINE | DT_CALCRECT), lh);
    r = Rect(0, 0, 1000, 1000);
    EXPECT_EQ(c->DrawText(QString(), r, DT_CALCRECT), 0);
    EXPECT_EQ(r, Rect(0, 0, 0, 0));
}

TEST_F(CanvasText, EndEllipsisFitsTheText)
{
    TCanvas* c = a.Canvas();
    const QString text = QStringLiteral("A rather long caption for a small box");
    const int full = c->TextWidth(text);
    TRect r = Rect(0, 0, full / 2, 40);
    c->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_LE(r.Right, full / 2);
    EXPECT_GE(r.Right, c->TextWidth(QStringLiteral("...")));
    r = Rect(0, 0, full + 10, 40);
    c->DrawText(text, r, DT_SINGLELINE | DT_END_ELLIPSIS | DT_CALCRECT);
    EXPECT_EQ(r.Right, full);  // fits: unchanged
}

TEST_F(CanvasText, ExpandTabsAdvancesToTabStops)
{
    TCanvas* c = a.Canvas();
    const int tab = 8 * QFontMetrics(c->Font()->ToQFont()).averageCharWidth();
    TRect r = Rect(0, 0, 1000, 40);
    c->DrawText(QStringLiteral("a\tb"), r, DT_SINGLELINE | DT_EXPANDTABS | DT_CALCRECT);
    EXPECT_EQ(r.Right, tab + c->TextWidth(QStringLiteral("b")));
}

TEST_F(CanvasText, DrawTextClipsToTheRectangleUnlessNoClip)
{
    const QString text = QStringLiteral("Clipped text");
    TRect r = Rect(10, 10, 30, 30);
    a.Canvas()->DrawText(text, r, DT_SINGLELINE);
    EXPECT_TRUE(QRect(10, 10, 20, 20).contains(InkBox(a, clWhite)));
    r = Rect(10, 10, 30, 30);
    b.Canvas()->DrawText(text, r, DT_SINGLELINE | DT_NOCLIP);
    EXPECT_GT(InkBox(b, clWhite).right(), 30);
}

TEST_F(CanvasText, TextRectClipsAndFillsWithANonClearBrush)
{
    a.Canvas()->Brush()->SetColor(clYellow);
    a.Canvas()->TextRect(Rect(10, 10, 20, 30), 10, 10, QStringLiteral("Long text"));
    EXPECT_EQ(InkBox(a, clWhite), QRect(10, 10, 10, 20));
    EXPECT_EQ(a.Canvas()->Pixels(19, 29), clYellow);
}

TEST(CanvasEvents, BitmapCanvasDrawingNotifiesTheBitmap)
{
    TBitmap b(2, 2);
    int changes = 0;
    b.OnChange = [&](TObject*) { ++changes; };
    b.Canvas()->FillRect(Rect(0, 0, 1, 1));
    b.Canvas()->SetPixels(1, 1, clRed);
    EXPECT_EQ(changes, 2);
    EXPECT_TRUE(b.Modified());
}

// A huge destination rectangle is worked out only where the canvas can show it.
TEST(CanvasStretch, HugeDestinationCostsOnlyTheVisiblePart)
{
    TBitmap src;
    src.SetSize(2, 2);
    src.Canvas()->SetPixels(0, 0, clRed);
    src.Canvas()->SetPixels(1, 0, clLime);
    src.Canvas()->SetPixels(0, 1, clBlue);
    src.Canvas()->SetPixels(1, 1, clWhite);
    TBitmap dst;
    dst.SetSize(10, 10);
    for (int mode : {COLORONCOLOR, HALFTONE}) {
        dst.Canvas()->SetStretchBltMode(mode);
        // 40000 x 40000 pixels would need gigabytes if stretched whole.
        dst.Canvas()->CopyRect(Rect(0, 0, 40000, 40000), src.Canvas(), Rect(0, 0, 2, 2));
        EXPECT_EQ(dst.Canvas()->Pixels(0, 0), clRed) << mode;
        EXPECT_EQ(dst.Canvas()->Pixels(9, 9), clRed) << mode;
        dst.Canvas()->CopyRect(Rect(-39990, -39990, 10, 10), src.Canvas(), Rect(0, 0, 2, 2));
        EXPECT_EQ(dst.Canvas()->Pixels(5, 5), clWhite) << mode;
    }
}
