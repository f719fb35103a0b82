// Regions: the pixels each region call covers, exactly; handles that are unknown, deleted or
// handed over are refused instead of read.
#include "framework/Regions.h"

#include <QRect>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {

QRegion Pixels(HRGN r)
{
    QRegion p;
    EXPECT_TRUE(RegionPixels(r, p));
    return p;
}

// The region row by row, one string per row of the bounding box of (0, 0)-(w, h): '#' covered.
std::vector<std::string> Rows(const QRegion& r, int w, int h)
{
    std::vector<std::string> rows;
    for (int y = 0; y < h; ++y) {
        std::string row;
        for (int x = 0; x < w; ++x)
            row += r.contains(QPoint(x, y)) ? '#' : '.';
        rows.push_back(row);
    }
    return rows;
}

// A row of width w covered from `inset` to w - inset.
std::string CoveredRow(int w, int inset)
{
    std::string row(size_t(w), '.');
    for (int x = inset; x < w - inset; ++x)
        row[size_t(x)] = '#';
    return row;
}

}  // namespace

TEST(Regions, RectangleCoversRightAndBottomExclusive)
{
    HRGN r = CreateRectRgn(2, 3, 6, 5);
    EXPECT_EQ(Pixels(r), QRegion(QRect(2, 3, 4, 2)));
    HRGN swapped = CreateRectRgn(6, 5, 2, 3);
    EXPECT_EQ(Pixels(swapped), QRegion(QRect(2, 3, 4, 2))) << "corners in any order";
    HRGN empty = CreateRectRgn(4, 4, 4, 9);
    EXPECT_TRUE(Pixels(empty).isEmpty());
    for (HRGN h : {r, swapped, empty})
        EXPECT_TRUE(DeleteObject(h));
}

// Each case: the call, then the inset of every covered row from the left and the right edge of
// the covered width (the rectangle without its last column and row).
struct RoundCase {
    const char* name;
    int l, t, r, b, ew, eh;
    int width, height;  // covered
    std::vector<int> insets;
};

class RoundRect : public ::testing::TestWithParam<RoundCase> {};

TEST_P(RoundRect, CoversTheDesktopsPixels)
{
    const RoundCase& c = GetParam();
    HRGN h = CreateRoundRectRgn(c.l, c.t, c.r, c.b, c.ew, c.eh);
    const QRegion got = Pixels(h).translated(-std::min(c.l, c.r), -std::min(c.t, c.b));
    std::vector<std::string> want;
    for (int inset : c.insets)
        want.push_back(CoveredRow(c.width, inset));
    ASSERT_EQ(int(want.size()), c.height);
    const std::vector<std::string> rows = Rows(got, c.width, c.height);
    EXPECT_EQ(rows, want);
    EXPECT_EQ(got.boundingRect(), QRect(0, 0, c.width, c.height)) << "nothing beyond the covered box";
    EXPECT_TRUE(DeleteObject(h));
}

std::vector<int> Corners(std::vector<int> top, int height)
{
    // Rows of a symmetric round rectangle: the top corner's insets, full rows, then the same
    // insets mirrored at the bottom.
    std::vector<int> rows(size_t(height), 0);
    for (size_t i = 0; i < top.size(); ++i) {
        rows[i] = top[i];
        rows[size_t(height) - 1 - i] = top[i];
    }
    return rows;
}

INSTANTIATE_TEST_SUITE_P(
    Table, RoundRect,
    ::testing::Values(
        // The BlueGlass radius: an 11 x 11 ellipse cuts 3, 2, 1 pixels from the corner rows.
        RoundCase{"Radius11", 0, 0, 41, 31, 11, 11, 40, 30, Corners({3, 2, 1}, 30)},
        RoundCase{"Radius11Offset", 7, 5, 48, 36, 11, 11, 40, 30, Corners({3, 2, 1}, 30)},
        RoundCase{"Radius11SwappedCorners", 48, 36, 7, 5, 11, 11, 40, 30, Corners({3, 2, 1}, 30)},
        RoundCase{"Radius11NegativeEllipse", 0, 0, 41, 31, -11, -11, 40, 30, Corners({3, 2, 1}, 30)},
        // The ellipse is held to the covered size: 10 x 10 here.
        RoundCase{"EllipseAsLargeAsTheBox", 0, 0, 11, 11, 11, 11, 10, 10, Corners({3, 2, 1}, 10)},
        RoundCase{"EllipseLargerThanTheBox", 0, 0, 11, 11, 40, 40, 10, 10, Corners({3, 2, 1}, 10)},
        RoundCase{"Ellipse3", 0, 0, 11, 9, 3, 3, 10, 8, Corners({1}, 8)},
        RoundCase{"Ellipse5", 0, 0, 13, 13, 5, 5, 12, 12, Corners({1}, 12)},
        RoundCase{"FlatEllipse", 0, 0, 41, 11, 20, 3, 40, 10, Corners({3}, 10)},
        // Ellipses narrower or lower than 2 pixels leave a rectangle (still one pixel smaller).
        RoundCase{"NoEllipse", 2, 3, 12, 13, 0, 0, 9, 9, Corners({}, 9)},
        RoundCase{"OnePixelEllipse", 2, 3, 12, 13, 1, 6, 9, 9, Corners({}, 9)}),
    [](const ::testing::TestParamInfo<RoundCase>& i) { return std::string(i.param.name); });

TEST(Regions, RoundRectanglesAreMirrorSymmetricConvexAndFullInTheMiddle)
{
    for (int w = 3; w <= 40; w += 3)
        for (int h = 3; h <= 30; h += 4)
            for (int e : {2, 3, 4, 7, 11, 16, 23}) {
                SCOPED_TRACE(testing::Message() << w << " x " << h << ", ellipse " << e);
                HRGN rgn = CreateRoundRectRgn(0, 0, w + 1, h + 1, e, e + (w % 3));
                const QRegion p = Pixels(rgn);
                ASSERT_TRUE(DeleteObject(rgn));
                EXPECT_TRUE(QRect(0, 0, w, h).contains(p.boundingRect()));
                const std::vector<std::string> rows = Rows(p, w, h);
                int prevInset = w;
                for (int y = 0; y < h; ++y) {
                    const std::string& row = rows[size_t(y)];
                    const size_t first = row.find('#');
                    ASSERT_NE(first, std::string::npos) << "row " << y << " is empty";
                    const size_t last = row.rfind('#');
                    EXPECT_EQ(int(first), w - 1 - int(last)) << "row " << y << " is not centred";
                    EXPECT_EQ(row.substr(first, last - first + 1), std::string(last - first + 1, '#'));
                    EXPECT_EQ(row, rows[size_t(h - 1 - y)]) << "rows " << y << " and " << h - 1 - y;
                    if (y <= h / 2) {
                        EXPECT_LE(int(first), prevInset) << "the corner widens towards the middle";
                        prevInset = int(first);
                    }
                }
                EXPECT_EQ(rows[size_t(h / 2)], std::string(size_t(w), '#'));
            }
}

struct CombineCase {
    const char* name;
    int mode;
    QRegion want;
    int kind;
};

TEST(Regions, CombineTable)
{
    const QRect a(0, 0, 10, 10), b(5, 5, 10, 10);
    const CombineCase cases[] = {
        {"or", RGN_OR, QRegion(a).united(QRegion(b)), COMPLEXREGION},
        {"and", RGN_AND, QRegion(QRect(5, 5, 5, 5)), SIMPLEREGION},
        {"diff", RGN_DIFF, QRegion(a).subtracted(QRegion(b)), COMPLEXREGION},
        {"xor", RGN_XOR, QRegion(a).xored(QRegion(b)), COMPLEXREGION},
        {"copy", RGN_COPY, QRegion(a), SIMPLEREGION},
    };
    for (const CombineCase& c : cases) {
        SCOPED_TRACE(c.name);
        HRGN s1 = CreateRectRgn(0, 0, 10, 10), s2 = CreateRectRgn(5, 5, 15, 15), dest = CreateRectRgn(0, 0, 0, 0);
        EXPECT_EQ(CombineRgn(dest, s1, s2, c.mode), c.kind);
        EXPECT_EQ(Pixels(dest), c.want);
        EXPECT_EQ(Pixels(s1), QRegion(a)) << "the sources stay";
        // The destination may be a source.
        EXPECT_EQ(CombineRgn(s1, s1, s2, c.mode), c.kind);
        EXPECT_EQ(Pixels(s1), c.want);
        for (HRGN h : {s1, s2, dest})
            DeleteObject(h);
    }
    HRGN x = CreateRectRgn(0, 0, 4, 4), y = CreateRectRgn(10, 10, 12, 12), d = CreateRectRgn(0, 0, 1, 1);
    EXPECT_EQ(CombineRgn(d, x, y, RGN_AND), NULLREGION);
    EXPECT_TRUE(Pixels(d).isEmpty());
    EXPECT_EQ(CombineRgn(d, x, y, 99), RGN_ERROR) << "unknown mode";
    for (HRGN h : {x, y, d})
        DeleteObject(h);
}

TEST(Regions, UnknownDeletedAndHandedOverHandlesAreRefused)
{
    HRGN a = CreateRectRgn(0, 0, 4, 4), b = CreateRectRgn(0, 0, 2, 2);
    ASSERT_TRUE(DeleteObject(b));
    EXPECT_FALSE(DeleteObject(b)) << "twice";
    EXPECT_EQ(CombineRgn(a, a, b, RGN_OR), RGN_ERROR) << "a deleted source";
    EXPECT_EQ(CombineRgn(b, a, a, RGN_OR), RGN_ERROR) << "a deleted destination";
    EXPECT_EQ(Pixels(a), QRegion(QRect(0, 0, 4, 4))) << "a failed combination leaves the regions alone";
    HRGN madeUp = reinterpret_cast<HRGN>(uintptr_t(0x7777));
    QRegion p;
    EXPECT_FALSE(RegionPixels(madeUp, p));
    EXPECT_FALSE(DeleteObject(madeUp));
    EXPECT_FALSE(DeleteObject(nullptr));

    QRegion taken;
    ASSERT_TRUE(TakeRegion(a, taken));
    EXPECT_EQ(taken, QRegion(QRect(0, 0, 4, 4)));
    EXPECT_FALSE(DeleteObject(a)) << "a region handed over belongs to its taker";
    EXPECT_FALSE(TakeRegion(a, taken));
}
