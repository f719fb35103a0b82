// The built-in style bitmaps as the controls load them: names, sizes, file format, and where the
// transparent colour may and may not appear.
#include "tests/resources/BitmapTable.h"

#include <QDirIterator>
#include <QFile>
#include <QImage>
#include <QSet>
#include <QtEndian>

#include <gtest/gtest.h>

using rqtest::BitmapSpec;
using rqtest::bitmapPath;
using rqtest::builtInBitmaps;

namespace {

constexpr QRgb kFuchsia = 0xFFFF00FFu;

bool isFuchsia(QRgb c)
{
    return (c & 0xFFFFFFu) == 0xFF00FFu;
}

QImage load(const QString& name)
{
    return QImage(bitmapPath(name)).convertToFormat(QImage::Format_RGB32);
}

// One frame of a strip, cut as the controls cut it (the last frame flush with the right edge).
QImage frame(const QImage& strip, int count, int index)
{
    const int fw = strip.width() / count;
    const int x = index == count ? strip.width() - fw : fw * (index - 1);
    return strip.copy(x, 0, fw, strip.height());
}

struct BmpHeader {
    quint16 bitsPerPixel = 0;
    quint32 compression = 0;
    qint32 height = 0;
    bool valid = false;
};

BmpHeader readHeader(const QString& path)
{
    BmpHeader h;
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return h;
    const QByteArray d = f.read(54);
    if (d.size() < 54 || d[0] != 'B' || d[1] != 'M')
        return h;
    const auto* p = reinterpret_cast<const uchar*>(d.constData());
    h.height = qFromLittleEndian<qint32>(p + 22);
    h.bitsPerPixel = qFromLittleEndian<quint16>(p + 28);
    h.compression = qFromLittleEndian<quint32>(p + 30);
    h.valid = qFromLittleEndian<quint32>(p + 14) == 40;
    return h;
}

class BuiltInBitmap : public ::testing::TestWithParam<BitmapSpec>
{};

} // namespace

TEST_P(BuiltInBitmap, LoadsWithItsListedSizeAsUncompressedBottomUpBmp)
{
    const BitmapSpec& spec = GetParam();
    const QImage img(bitmapPath(spec.name));
    ASSERT_FALSE(img.isNull()) << spec.name;
    EXPECT_EQ(img.width(), spec.width) << spec.name;
    EXPECT_EQ(img.height(), spec.height) << spec.name;
    EXPECT_EQ(spec.width % spec.frames, 0) << spec.name << ": frames must be of equal width";

    const BmpHeader h = readHeader(bitmapPath(spec.name));
    ASSERT_TRUE(h.valid) << spec.name;
    EXPECT_EQ(h.compression, 0u) << spec.name;
    EXPECT_EQ(h.height, spec.height) << spec.name << ": rows must be stored bottom-up";
    const bool paletted = QString::fromLatin1(spec.name).endsWith(QLatin1String("_COMBOBOX_BUTTON"));
    EXPECT_EQ(h.bitsPerPixel, paletted ? 8 : 24) << spec.name;
}

// Antialiased edges are blended against the colour behind the picture, never against the
// transparent colour: a pinkish pixel next to the key would show as a pink fringe.
TEST_P(BuiltInBitmap, HasNoPinkishMixOfTheTransparentColour)
{
    const BitmapSpec& spec = GetParam();
    const QImage img = load(spec.name);
    for (int y = 0; y < img.height(); ++y)
        for (int x = 0; x < img.width(); ++x) {
            const QRgb c = img.pixel(x, y);
            if (isFuchsia(c))
                continue;
            const bool pinkish = qRed(c) > 150 && qBlue(c) > 150 && qGreen(c) < qRed(c) / 2 && qGreen(c) < qBlue(c) / 2;
            ASSERT_FALSE(pinkish) << spec.name << " pixel (" << x << ", " << y << ") = " << std::hex << c;
        }
}

// Strips hold different pictures in their frames (states, buttons): no frame repeats another.
TEST_P(BuiltInBitmap, FramesAreDistinctPictures)
{
    const BitmapSpec& spec = GetParam();
    if (spec.frames < 2)
        GTEST_SKIP() << "single picture";
    const QImage img = load(spec.name);
    for (int a = 1; a <= spec.frames; ++a)
        for (int b = a + 1; b <= spec.frames; ++b)
            EXPECT_NE(frame(img, spec.frames, a), frame(img, spec.frames, b))
                << spec.name << ": frames " << a << " and " << b << " are identical";
}

INSTANTIATE_TEST_SUITE_P(All, BuiltInBitmap, ::testing::ValuesIn(builtInBitmaps()),
                         [](const ::testing::TestParamInfo<BitmapSpec>& info) { return std::string(info.param.name); });

TEST(BuiltInBitmaps, ResourceFolderHoldsExactlyTheListedBitmaps)
{
    QSet<QString> listed;
    for (const BitmapSpec& s : builtInBitmaps())
        listed.insert(QString::fromLatin1(s.name) + QStringLiteral(".bmp"));
    QSet<QString> present;
    QDirIterator it(QStringLiteral(":/bitmaps"));
    while (it.hasNext()) {
        it.next();
        present.insert(it.fileName());
    }
    EXPECT_EQ(present, listed);
}

TEST(BuiltInBitmaps, ComboBoxButtonsArePalettedEightBitPictures)
{
    for (const char* name : {"MACOS_COMBOBOX_BUTTON", "WINXP_COMBOBOX_BUTTON"}) {
        const QImage img(bitmapPath(name));
        ASSERT_FALSE(img.isNull()) << name;
        EXPECT_EQ(img.depth(), 8) << name;
        EXPECT_EQ(img.format(), QImage::Format_Indexed8) << name;
        EXPECT_GT(img.colorCount(), 1) << name;
        EXPECT_LE(img.colorCount(), 256) << name;
    }
}

namespace {

// Pictures drawn without their transparent colour left out: fuchsia in them would be visible.
const char* const kOpaquePictures[] = {
    // push buttons of styles whose buttons are drawn opaque
    "WINXP_BUTTON", "DEEPBLUE_BUTTON", "PROTEIN_BUTTON",
    // check boxes are drawn opaque in every style
    "MACOS_CHECKBOX", "WINXP_CHECKBOX", "DEEPBLUE_CHECKBOX", "PROTEIN_CHECKBOX", "BLUEGLASS_CHECKBOX",
    // title buttons of styles whose title buttons are drawn opaque
    "MACOS_TITLEBTN", "WINXP_TITLEBTN", "DEEPBLUE_TITLEBTN",
    // title sections are composed opaque into the title bar and the window frame
    "MACOS_TITLE_LEFT", "WINXP_TITLE_LEFT", "DEEPBLUE_TITLE_LEFT", "PROTEIN_TITLE_LEFT", "BLUEGLASS_TITLE_LEFT",
    "MACOS_TITLE_CLIENT", "WINXP_TITLE_CLIENT", "DEEPBLUE_TITLE_CLIENT", "PROTEIN_TITLE_CLIENT", "BLUEGLASS_TITLE_CLIENT",
    "MACOS_TITLE_RIGHT", "WINXP_TITLE_RIGHT", "DEEPBLUE_TITLE_RIGHT", "PROTEIN_TITLE_RIGHT", "BLUEGLASS_TITLE_RIGHT",
    // stretched fills and bars
    "MACOS_PROGRESSBAR", "WINXP_PROGRESSBAR", "DEEPBLUE_PROGRESSBAR", "PROTEIN_PROGRESSBAR", "BLUEGLASS_PROGRESSBAR",
    "MACOS_SIDECHENNEL_BAR", "WINXP_SIDECHENNEL_BAR", "DEEPBLUE_SIDECHENNEL_BAR", "PROTEIN_SIDECHENNEL_BAR",
    "BLUEGLASS_SIDECHENNEL_BAR", "MACOS_MENU_BAR", "MACOS_MENU_SELECT",
    // scroll-bar buttons and thumb pieces, vertical track-bar sliders
    "MACOS_SCROLLBAR_BUTTON", "WINXP_SCROLLBAR_BUTTON", "DEEPBLUE_SCROLLBAR_BUTTON", "PROTEIN_SCROLLBAR_BUTTON",
    "BLUEGLASS_SCROLLBAR_BUTTON", "MACOS_SCROLLBAR_TRACK", "WINXP_SCROLLBAR_TRACK", "DEEPBLUE_SCROLLBAR_TRACK",
    "PROTEIN_SCROLLBAR_TRACK", "BLUEGLASS_SCROLLBAR_TRACK", "MACOS_TRACKBAR_SLIDER_V", "WINXP_TRACKBAR_SLIDER_V",
    "DEEPBLUE_TRACKBAR_SLIDER_V", "PROTEIN_TRACKBAR_SLIDER_V", "BLUEGLASS_TRACKBAR_SLIDER_V",
    // tiled backgrounds, menu check (masked with white), combo buttons, panel button, popup picture
    "MACOS_FORM_BACKGROUND", "PROTEIN_FORM_BACKGROUND", "MENU_CHECKED", "MACOS_COMBOBOX_BUTTON",
    "WINXP_COMBOBOX_BUTTON", "PANEL_BUTTON", "MSNPOPFORM",
};

struct KeyedPixel {
    const char* name;
    int frames;
    int x, y; // inside every frame; negative counts from the right or bottom edge (-1 = last)
    const char* why;
    bool filled = true; // the shape covers the middle of the frame (outlines and glyphs do not)
};

// Fuchsia that is a fixed part of a design: the picture is drawn with it left out.
const KeyedPixel kKeyedPixels[] = {
    {"MACOS_BUTTON", 3, 0, 0, "rounded pill corners"},
    {"MACOS_BUTTON", 3, -1, -1, "rounded pill corners"},
    {"BLUEGLASS_BUTTON", 3, 0, 0, "rounded corners"},
    {"BLUEGLASS_BUTTON", 3, -1, -1, "rounded corners"},
    {"PROTEIN_TITLEBTN", 18, 0, 0, "rounded title buttons over the caption band", false},
    {"PROTEIN_TITLEBTN", 18, -1, -1, "rounded title buttons over the caption band", false},
    {"BLUEGLASS_TITLEBTN", 18, 0, 0, "glass orbs"},
    {"BLUEGLASS_TITLEBTN", 18, -1, 0, "glass orbs"},
    {"BLUEGLASS_TITLEBTN", 18, 0, -1, "glass orbs"},
    // radio buttons are drawn with the bottom-left pixel as their transparent colour
    {"MACOS_RADIOBUTTON", 4, 0, -1, "round outline"},
    {"WINXP_RADIOBUTTON", 4, 0, -1, "round outline"},
    {"DEEPBLUE_RADIOBUTTON", 4, 0, -1, "round outline"},
    {"PROTEIN_RADIOBUTTON", 4, 0, -1, "round outline"},
    {"BLUEGLASS_RADIOBUTTON", 4, 0, -1, "round outline"},
    // horizontal sliders are drawn transparent with their bottom-left pixel as key
    {"MACOS_TRACKBAR_SLIDER", 1, 0, -1, "pointer tip"},
    {"WINXP_TRACKBAR_SLIDER", 1, 0, -1, "pointer tip"},
    {"DEEPBLUE_TRACKBAR_SLIDER", 1, 0, -1, "pointer tip"},
    {"PROTEIN_TRACKBAR_SLIDER", 1, 0, -1, "pointer tip"},
    {"BLUEGLASS_TRACKBAR_SLIDER", 1, 0, -1, "pointer tip"},
    // groove ends are rounded; the three-slice draw masks with the corner pixel or with fuchsia
    {"MACOS_TRACKBAR_BAR", 1, 0, 0, "rounded groove end"},
    {"WINXP_TRACKBAR_BAR", 1, 0, 0, "rounded groove end"},
    {"DEEPBLUE_TRACKBAR_BAR", 1, 0, -1, "rounded groove end"},
    {"PROTEIN_TRACKBAR_BAR", 1, -1, 0, "rounded groove end"},
    {"BLUEGLASS_TRACKBAR_BAR", 1, -1, -1, "rounded groove end"},
    // MDI control glyphs are loaded transparent: only the glyph shows on the button
    {"MDI_CONTROL_BUTTON", 3, 0, -1, "glyph background", false},
    {"MDI_CONTROL_BUTTON", 3, 0, 0, "glyph background", false},
};

} // namespace

TEST(BuiltInBitmaps, OpaquePicturesContainNoTransparentColour)
{
    for (const char* name : kOpaquePictures) {
        const QImage img = load(name);
        ASSERT_FALSE(img.isNull()) << name;
        int keyed = 0;
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                keyed += isFuchsia(img.pixel(x, y));
        EXPECT_EQ(keyed, 0) << name << " is drawn opaque, fuchsia would show";
    }
}

TEST(BuiltInBitmaps, TransparentColourSitsWhereTheDesignLeavesThePictureOut)
{
    for (const KeyedPixel& k : kKeyedPixels) {
        const QImage img = load(k.name);
        ASSERT_FALSE(img.isNull()) << k.name;
        for (int i = 1; i <= k.frames; ++i) {
            const QImage f = frame(img, k.frames, i);
            const int x = k.x < 0 ? f.width() + k.x : k.x;
            const int y = k.y < 0 ? f.height() + k.y : k.y;
            EXPECT_EQ(f.pixel(x, y), kFuchsia) << k.name << " frame " << i << " (" << x << ", " << y << "): " << k.why;
        }
    }
}

// Rounded or round pictures keep their middle opaque: the key colour is only at the edges.
TEST(BuiltInBitmaps, KeyedPicturesStayOpaqueInTheMiddleOfEveryFrame)
{
    for (const KeyedPixel& k : kKeyedPixels) {
        if (!k.filled)
            continue;
        const QImage img = load(k.name);
        for (int i = 1; i <= k.frames; ++i) {
            const QImage f = frame(img, k.frames, i);
            EXPECT_FALSE(isFuchsia(f.pixel(f.width() / 2, f.height() / 2))) << k.name << " frame " << i;
        }
    }
}

// The check-box and radio-button frames are: checked, unchecked, checked disabled, unchecked
// disabled. Disabled frames are paler than their enabled counterparts.
TEST(BuiltInBitmaps, DisabledCheckFramesArePalerThanEnabledOnes)
{
    auto meanLightness = [](const QImage& f) {
        qint64 sum = 0, n = 0;
        for (int y = 0; y < f.height(); ++y)
            for (int x = 0; x < f.width(); ++x) {
                const QRgb c = f.pixel(x, y);
                if (isFuchsia(c))
                    continue;
                sum += qGray(c);
                ++n;
            }
        return n ? double(sum) / double(n) : 0.0;
    };
    for (const char* style : {"MACOS", "WINXP", "DEEPBLUE", "PROTEIN", "BLUEGLASS"}) {
        for (const char* kind : {"_CHECKBOX", "_RADIOBUTTON"}) {
            const QString name = QString::fromLatin1(style) + QLatin1String(kind);
            const QImage img = load(name);
            ASSERT_FALSE(img.isNull()) << qPrintable(name);
            EXPECT_GT(meanLightness(frame(img, 4, 3)), meanLightness(frame(img, 4, 1))) << qPrintable(name) << " checked";
            EXPECT_GT(meanLightness(frame(img, 4, 4)), meanLightness(frame(img, 4, 2))) << qPrintable(name) << " unchecked";
        }
    }
}

// The title-bar sections are cut from one band: the client section continues the left section
// and the right section continues the client, row by row, so the seams do not show.
TEST(BuiltInBitmaps, TitleSectionsMeetWithoutVisibleSeams)
{
    auto close = [](QRgb a, QRgb b) {
        return std::abs(qRed(a) - qRed(b)) <= 24 && std::abs(qGreen(a) - qGreen(b)) <= 24 && std::abs(qBlue(a) - qBlue(b)) <= 24;
    };
    for (const char* style : {"MACOS", "WINXP", "DEEPBLUE", "PROTEIN", "BLUEGLASS"}) {
        const QImage left = load(QString::fromLatin1(style) + QLatin1String("_TITLE_LEFT"));
        const QImage client = load(QString::fromLatin1(style) + QLatin1String("_TITLE_CLIENT"));
        const QImage right = load(QString::fromLatin1(style) + QLatin1String("_TITLE_RIGHT"));
        ASSERT_EQ(left.height(), client.height()) << style;
        ASSERT_EQ(right.height(), client.height()) << style;
        for (int y = 0; y < client.height(); ++y) {
            EXPECT_TRUE(close(left.pixel(left.width() - 1, y), client.pixel(0, y))) << style << " left/client row " << y;
            EXPECT_TRUE(close(client.pixel(client.width() - 1, y), right.pixel(0, y))) << style << " client/right row " << y;
        }
    }
}
