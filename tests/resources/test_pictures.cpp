// The pictures stored with the main window's definition: its Protein title sections and title
// buttons, and the product picture of its image panel.
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

struct StoredPicture {
    const char* file;
    int width;
    int height;
    int bitsPerPixel;
};

const StoredPicture kPictures[] = {
    {"TitleLeft.bmp", 441, 23, 24},          {"TitleClient.bmp", 1, 23, 24},
    {"TitleRight.bmp", 1, 23, 24},           {"BtnControlBox_Normal.bmp", 19, 19, 32},
    {"BtnControlBox_Over.bmp", 19, 19, 32},  {"BtnControlBox_Down.bmp", 19, 19, 32},
    {"BtnClose_Normal.bmp", 19, 19, 32},     {"BtnClose_Over.bmp", 19, 19, 32},
    {"BtnClose_Down.bmp", 19, 19, 32},
};

QString picturePath(const char* file)
{
    return QStringLiteral(":/pictures/%1").arg(QLatin1String(file));
}

int bmpBitsPerPixel(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return -1;
    const QByteArray d = f.read(30);
    if (d.size() < 30 || !d.startsWith("BM"))
        return -1;
    return qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(d.constData()) + 28);
}

QImage rgb(const QString& path)
{
    return QImage(path).convertToFormat(QImage::Format_RGB32);
}

} // namespace

TEST(MainWindowPictures, StoredBitmapsHaveTheirSizesAndDepths)
{
    for (const StoredPicture& p : kPictures) {
        const QImage img(picturePath(p.file));
        ASSERT_FALSE(img.isNull()) << p.file;
        EXPECT_EQ(img.size(), QSize(p.width, p.height)) << p.file;
        EXPECT_EQ(bmpBitsPerPixel(picturePath(p.file)), p.bitsPerPixel) << p.file;
    }
}

TEST(MainWindowPictures, ProductPictureIsA110By50Jpeg)
{
    QFile f(QStringLiteral(":/pictures/img2.jpg"));
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    const QByteArray data = f.readAll();
    ASSERT_GE(data.size(), 4);
    EXPECT_EQ(uchar(data[0]), 0xFF);
    EXPECT_EQ(uchar(data[1]), 0xD8); // JPEG start of image
    EXPECT_EQ(uchar(data[data.size() - 2]), 0xFF);
    EXPECT_EQ(uchar(data[data.size() - 1]), 0xD9); // end of image
    QImageReader reader(QStringLiteral(":/pictures/img2.jpg"));
    EXPECT_EQ(reader.size(), QSize(110, 50));
}

// The window's stored title matches the Protein style it is drawn in: the sections are the
// style's sections and the buttons its control-box (frames 1-3) and close (frames 16-18) frames.
TEST(MainWindowPictures, TitlePicturesMatchTheProteinStyle)
{
    EXPECT_EQ(rgb(picturePath("TitleLeft.bmp")), rgb(QStringLiteral(":/bitmaps/PROTEIN_TITLE_LEFT.bmp")));
    EXPECT_EQ(rgb(picturePath("TitleClient.bmp")), rgb(QStringLiteral(":/bitmaps/PROTEIN_TITLE_CLIENT.bmp")));
    EXPECT_EQ(rgb(picturePath("TitleRight.bmp")), rgb(QStringLiteral(":/bitmaps/PROTEIN_TITLE_RIGHT.bmp")));
    const QImage strip = rgb(QStringLiteral(":/bitmaps/PROTEIN_TITLEBTN.bmp"));
    ASSERT_EQ(strip.width(), 342);
    const char* states[3] = {"Normal", "Over", "Down"};
    for (int s = 0; s < 3; ++s) {
        const QString box = QStringLiteral(":/pictures/BtnControlBox_%1.bmp").arg(QLatin1String(states[s]));
        const QString close = QStringLiteral(":/pictures/BtnClose_%1.bmp").arg(QLatin1String(states[s]));
        EXPECT_EQ(rgb(box), strip.copy(19 * s, 0, 19, 19)) << states[s];
        EXPECT_EQ(rgb(close), strip.copy(19 * (15 + s), 0, 19, 19)) << states[s];
    }
}

// The caption "RQ_27M" is drawn in white over the left section from row 5 (the bar's row 2 under
// the three frame rows) to about row 18: the band must be dark enough there for white text.
TEST(MainWindowPictures, CaptionBandIsDarkEnoughForWhiteText)
{
    const QImage left = rgb(picturePath("TitleLeft.bmp"));
    for (int x = 21; x < left.width(); x += 20)
        for (int y = 5; y <= 18; ++y)
            EXPECT_LT(qGray(left.pixel(x, y)), 128) << "(" << x << ", " << y << ")";
}
