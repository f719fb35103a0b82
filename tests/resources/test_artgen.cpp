// The drawing tool: it writes the same bytes on every run, and what it writes is what the
// program has compiled in.
#include "tests/resources/BitmapTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

QByteArray readAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

bool runTool(const QStringList& args, QString* output)
{
    const QString bin = qEnvironmentVariable("RQ27M_TEST_BIN");
    QProcess tool;
    tool.setProcessChannelMode(QProcess::MergedChannels);
    tool.start(QDir(bin).filePath(QStringLiteral("rq-artgen")), args);
    if (!tool.waitForFinished(120000))
        return false;
    *output = QString::fromLocal8Bit(tool.readAll());
    return tool.exitStatus() == QProcess::NormalExit && tool.exitCode() == 0;
}

} // namespace

TEST(ArtGenerator, RedrawsTheCompiledInBitmapsByteForByte)
{
    if (qEnvironmentVariableIsEmpty("RQ27M_TEST_BIN"))
        GTEST_SKIP() << "RQ27M_TEST_BIN not set";
    QTemporaryDir first, second;
    ASSERT_TRUE(first.isValid() && second.isValid());
    QString out;
    const QString catalog = QStringLiteral(RQ_ARTGEN_CATALOG);
    ASSERT_TRUE(runTool({"--catalog", catalog, "--bitmaps", first.path()}, &out)) << qPrintable(out);
    ASSERT_TRUE(runTool({"--catalog", catalog, "--bitmaps", second.path()}, &out)) << qPrintable(out);
    for (const rqtest::BitmapSpec& s : rqtest::builtInBitmaps()) {
        const QString file = QString::fromLatin1(s.name) + QStringLiteral(".bmp");
        const QByteArray a = readAll(QDir(first.path()).filePath(file));
        ASSERT_FALSE(a.isEmpty()) << s.name;
        EXPECT_EQ(a, readAll(QDir(second.path()).filePath(file))) << s.name << " differs between runs";
        EXPECT_EQ(a, readAll(rqtest::bitmapPath(QString::fromLatin1(s.name)))) << s.name << " differs from the compiled-in file";
    }
}

TEST(ArtGenerator, RefusesACatalogEntryItCannotDraw)
{
    if (qEnvironmentVariableIsEmpty("RQ27M_TEST_BIN"))
        GTEST_SKIP() << "RQ27M_TEST_BIN not set";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString catalog = dir.filePath(QStringLiteral("catalog.txt"));
    {
        QFile f(catalog);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(readAll(QStringLiteral(RQ_ARTGEN_CATALOG))).append("NOT_A_STYLE_BITMAP 4 4 1 24\n"));
    }
    QString out;
    EXPECT_FALSE(runTool({"--catalog", catalog, "--bitmaps", dir.filePath(QStringLiteral("out"))}, &out));
    EXPECT_TRUE(out.contains(QLatin1String("NOT_A_STYLE_BITMAP"))) << qPrintable(out);
}

TEST(ArtGenerator, RefusesASizeThatDoesNotMatchTheDrawing)
{
    if (qEnvironmentVariableIsEmpty("RQ27M_TEST_BIN"))
        GTEST_SKIP() << "RQ27M_TEST_BIN not set";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray text = readAll(QStringLiteral(RQ_ARTGEN_CATALOG));
    text.replace("MENU_CHECKED                  16  16", "MENU_CHECKED                  16  15");
    const QString catalog = dir.filePath(QStringLiteral("catalog.txt"));
    {
        QFile f(catalog);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(text);
    }
    QString out;
    EXPECT_FALSE(runTool({"--catalog", catalog, "--bitmaps", dir.filePath(QStringLiteral("out"))}, &out));
    EXPECT_TRUE(out.contains(QLatin1String("MENU_CHECKED"))) << qPrintable(out);
}
