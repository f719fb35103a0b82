// Image lists: cutting strips into images, masks, drawing enabled and disabled.
#include "framework/ImgList.h"

#include <gtest/gtest.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

namespace {

const std::map<TColor, char> Legend{{clWhite, '.'}, {clBlack, 'K'}, {clRed, 'R'}, {clBlue, 'B'},
                                    {clLime, 'G'}, {clFuchsia, 'F'}, {clYellow, 'Y'}};

std::vector<std::string> Dump(TBitmap& b)
{
    std::vector<std::string> rows;
    for (int y = 0; y < b.Height(); ++y) {
        std::string r;
        for (int x = 0; x < b.Width(); ++x) {
            const TColor c = b.Canvas()->Pixels(x, y);
            auto it = Legend.find(c);
            r += it != Legend.end() ? it->second : '?';
        }
        rows.push_back(r);
    }
    return rows;
}

// A bitmap painted from a pixel table (same legend).
std::unique_ptr<TBitmap> Paint(const std::vector<std::string>& rows)
{
    auto b = std::make_unique<TBitmap>(int(rows.front().size()), int(rows.size()));
    for (int y = 0; y < b->Height(); ++y)
        for (int x = 0; x < b->Width(); ++x)
            for (const auto& [color, ch] : Legend)
                if (ch == rows[y][x])
                    b->Canvas()->SetPixels(x, y, color);
    return b;
}

std::unique_ptr<TBitmap> Filled(int w, int h, TColor c)
{
    auto b = std::make_unique<TBitmap>(w, h);
    b->Canvas()->Brush()->SetColor(c);
    b->Canvas()->FillRect(Rect(0, 0, w, h));
    return b;
}

}  // namespace

TEST(ImageList, AddMaskedLeavesMaskedPixelsUntouched)
{
    TImageList list(3, 2);
    auto strip = Paint({"FRFBBF", "RRFFBB"});
    EXPECT_EQ(list.AddMasked(strip.get(), clFuchsia), 0);
    EXPECT_EQ(list.Count(), 2);
    auto dst = Filled(8, 3, clLime);
    list.Draw(dst->Canvas(), 1, 1, 0);
    list.Draw(dst->Canvas(), 5, 0, 1);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"GGGGGBBG", "GGRGGGBB", "GRRGGGGG"}));
}

TEST(ImageList, AddWithAMaskBitmapWhoseWhitePixelsAreTransparent)
{
    TImageList list(2, 2);
    auto image = Paint({"RB", "YK"});
    auto mask = Paint({".K", "K."});
    EXPECT_EQ(list.Add(image.get(), mask.get()), 0);
    auto dst = Filled(2, 2, clLime);
    list.Draw(dst->Canvas(), 0, 0, 0);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"GB", "YG"}));
    EXPECT_EQ(list.Add(image.get(), nullptr), 1);  // no mask: every pixel drawn
    list.Draw(dst->Canvas(), 0, 0, 1);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"RB", "YK"}));
}

TEST(ImageList, UnmaskedListDrawsTheMaskColourToo)
{
    TImageList list(2, 1);
    list.SetMasked(false);
    auto image = Paint({"FR"});
    list.AddMasked(image.get(), clFuchsia);
    auto dst = Filled(2, 1, clLime);
    list.Draw(dst->Canvas(), 0, 0, 0);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"FR"}));
}

TEST(ImageList, StripsAreCutByTheListWidth)
{
    TImageList list(3, 1);
    auto narrow = Paint({"RR"});
    EXPECT_EQ(list.Add(narrow.get(), nullptr), -1);  // narrower than one image
    auto wide = Paint({"RRRBBBG"});          // two images; the last column is dropped
    EXPECT_EQ(list.Add(wide.get(), nullptr), 0);
    EXPECT_EQ(list.Count(), 2);
    EXPECT_EQ(list.Add(nullptr, nullptr), -1);
    TBitmap empty;
    EXPECT_EQ(list.AddMasked(&empty, clFuchsia), -1);
}

TEST(ImageList, ShortImagesLeaveTheRestOfTheCellTransparent)
{
    TImageList list(2, 3);
    auto image = Paint({"RB"});
    list.Add(image.get(), nullptr);
    auto dst = Filled(2, 3, clLime);
    list.Draw(dst->Canvas(), 0, 0, 0);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"RB", "GG", "GG"}));
}

TEST(ImageList, DisabledImagesAreEmbossed)
{
    TImageList list(3, 2);
    auto image = Paint({"K.F", "FRF"});
    list.AddMasked(image.get(), clFuchsia);
    auto dst = Filled(4, 3, clLime);
    list.Draw(dst->Canvas(), 0, 0, 0, false);
    // Ink is every visible non-white pixel: highlight one pixel down-right, shadow over it.
    const TColor hl = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
    const std::vector<std::vector<TColor>> expected{
        {sh, clLime, clLime, clLime}, {clLime, sh, clLime, clLime}, {clLime, clLime, hl, clLime}};
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 4; ++x)
            EXPECT_EQ(dst->Canvas()->Pixels(x, y), expected[y][x]) << x << "," << y;
}

TEST(ImageList, BackgroundColourFillsUnderMaskedPixels)
{
    TImageList list(2, 1);
    list.SetBkColor(clYellow);
    auto image = Paint({"FR"});
    list.AddMasked(image.get(), clFuchsia);
    auto dst = Filled(2, 1, clLime);
    list.Draw(dst->Canvas(), 0, 0, 0);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"YR"}));
}

TEST(ImageList, GetBitmapDrawsOntoAWhiteBitmapOfTheImageSize)
{
    TImageList list(2, 2);
    auto image = Paint({"FR", "BF"});
    list.AddMasked(image.get(), clFuchsia);
    TBitmap out;
    list.GetBitmap(0, &out);
    EXPECT_EQ(Dump(out), (std::vector<std::string>{".R", "B."}));
    list.GetBitmap(0, nullptr);
}

TEST(ImageList, DeleteClearAndResize)
{
    TImageList list(1, 1);
    auto strip = Paint({"RGB"});
    list.Add(strip.get(), nullptr);
    int changes = 0;
    list.OnChange = [&](TObject*) { ++changes; };
    list.Delete(1);
    EXPECT_EQ(list.Count(), 2);
    auto dst = std::make_unique<TBitmap>(1, 1);
    list.Draw(dst->Canvas(), 0, 0, 1);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"B"}));
    EXPECT_THROW(list.Delete(2), EInvalidOperation);
    EXPECT_THROW(list.Delete(-2), EInvalidOperation);
    list.Draw(dst->Canvas(), 0, 0, 7);  // out of range: nothing
    list.Draw(dst->Canvas(), 0, 0, -1);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"B"}));
    list.Delete(-1);
    EXPECT_EQ(list.Count(), 0);
    list.Add(strip.get(), nullptr);
    list.SetSize(2, 2);
    EXPECT_EQ(list.Count(), 0);
    EXPECT_EQ(changes, 4);
}

TEST(ImageList, AssignCopiesImagesAndSettings)
{
    TImageList a(1, 1), b;
    auto strip = Paint({"RF"});
    a.AddMasked(strip.get(), clFuchsia);
    b.Assign(&a);
    EXPECT_EQ(b.Width(), 1);
    EXPECT_EQ(b.Count(), 2);
    auto dst = Filled(1, 1, clLime);
    b.Draw(dst->Canvas(), 0, 0, 1);
    EXPECT_EQ(Dump(*dst), (std::vector<std::string>{"G"}));
}
