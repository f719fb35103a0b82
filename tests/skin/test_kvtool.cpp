// bin/kvtool as a skin author uses it: pack, dump, unpack, check, passwords and bad input.
#include "tests/skin/SkinTestKit.h"
#include "tests/testsupport/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace skintest;

namespace {

struct TRun {
    int Exit = -1;
    QString Out;
    QString Err;
};

TRun Kvtool(const QStringList& args)
{
    QProcess p;
    p.setProgram(QDir(testsupport::BinDir()).filePath(QStringLiteral("kvtool")));
    p.setArguments(args);
    p.start();
    TRun r;
    if (!p.waitForFinished(30000)) {
        p.kill();
        p.waitForFinished();
        r.Err = QStringLiteral("kvtool did not finish");
        return r;
    }
    r.Exit = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -2;
    r.Out = QString::fromUtf8(p.readAllStandardOutput());
    r.Err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

class KvtoolTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FDir.isValid());
        ASSERT_TRUE(QFileInfo(QDir(testsupport::BinDir()).filePath(QStringLiteral("kvtool"))).isExecutable())
            << "build the kvtool target first";
    }
    QString Path(const QString& name) const { return FDir.filePath(name); }

    // A source folder with two bitmaps and values of every kind.
    QString MakeFolder(const QString& name)
    {
        const QString folder = Path(name);
        QDir().mkpath(folder);
        WriteBytes(QDir(folder).filePath(QStringLiteral("SKIN2_BUTTON.bmp")), BmpFile(60, 21));
        WriteBytes(QDir(folder).filePath(QStringLiteral("SKIN2_TITLEBAR1.bmp")), BmpFile(30, 26, 1, 2, 3));
        const std::string values =
            "# a comment\n"
            "; another\n"
            "\n"
            "SKIN2_FORMCOLOR = $00DFE6E9\n"
            "SKIN2_TRANSCOLOR = clFuchsia   # the transparent colour\n"
            "SKIN2_TITLEBARICONPOSX = 8\n"
            "SKIN2_TITLEBARREGIONMINY = -1\n"
            "SKIN2_TITLEFIVESECT = true\n"
            "SKIN2_BUTTONTRANS = false\n"
            "SKIN2_TITLEBTNTRANS = 2\n"
            "AUTHOR = \"A \\\"quoted\\\" name\\twith tab\"\n";
        WriteBytes(QDir(folder).filePath(QStringLiteral("values.txt")), std::vector<uint8_t>(values.begin(), values.end()));
        return folder;
    }

    QTemporaryDir FDir;
};

const QString kExpectedDump = QStringLiteral(
    "SKIN2_TITLEBAR1\tbitmap\t30x26\n"
    "SKIN2_BUTTON\tbitmap\t60x21\n"
    "SKIN2_FORMCOLOR\tint\t14673641\n"
    "SKIN2_TRANSCOLOR\tint\t16711935\n"
    "SKIN2_TITLEBARICONPOSX\tint\t8\n"
    "SKIN2_TITLEBARREGIONMINY\tint\t-1\n"
    "SKIN2_TITLEFIVESECT\tbool\t1\n"
    "SKIN2_BUTTONTRANS\tbool\t0\n"
    "SKIN2_TITLEBTNTRANS\tbool\t1\n"
    "AUTHOR\tstring\tA \"quoted\" name\\twith tab\n");

}  // namespace

TEST_F(KvtoolTest, PackDumpUnpackRoundTrip)
{
    const QString folder = MakeFolder(QStringLiteral("src"));
    const QString skin = Path(QStringLiteral("a.kvt"));
    TRun r = Kvtool({QStringLiteral("pack"), folder, skin});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();

    r = Kvtool({QStringLiteral("dump"), skin});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, kExpectedDump);

    const QString out = Path(QStringLiteral("out"));
    r = Kvtool({QStringLiteral("unpack"), skin, out});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("SKIN2_BUTTON.bmp"))));
    EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("values.txt"))));

    // Packing the unpacked folder stores the same values (bitmaps first in key-table order).
    const QString again = Path(QStringLiteral("b.kvt"));
    r = Kvtool({QStringLiteral("pack"), out, again});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    r = Kvtool({QStringLiteral("dump"), again});
    ASSERT_EQ(r.Exit, 0);
    EXPECT_EQ(r.Out, kExpectedDump);
}

TEST_F(KvtoolTest, Passwords)
{
    const QString folder = MakeFolder(QStringLiteral("src"));
    for (const QStringList& extra : {QStringList(), QStringList{QStringLiteral("--time-check")}}) {
        const QString skin = Path(QStringLiteral("enc.kvt"));
        TRun r = Kvtool(QStringList{QStringLiteral("pack"), folder, skin, QStringLiteral("--password"), QStringLiteral("open sesame")} + extra);
        ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();

        r = Kvtool({QStringLiteral("dump"), skin, QStringLiteral("--password"), QStringLiteral("open sesame")});
        EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
        EXPECT_EQ(r.Out, kExpectedDump);

        r = Kvtool({QStringLiteral("dump"), skin});
        EXPECT_EQ(r.Exit, 2);
        EXPECT_TRUE(r.Out.isEmpty());
        EXPECT_TRUE(r.Err.contains(QStringLiteral("--password"))) << r.Err.toStdString();

        for (const char* wrong : {"open", "Open sesame", "x"}) {
            r = Kvtool({QStringLiteral("dump"), skin, QStringLiteral("--password=") + QLatin1String(wrong)});
            EXPECT_EQ(r.Exit, 2) << wrong << ": " << r.Err.toStdString();
            EXPECT_TRUE(r.Out.isEmpty());
        }
    }
}

TEST_F(KvtoolTest, ReadFailures)
{
    TKvArchiveOptions pk;
    pk.Magic = "PK";
    const QString zip = Path(QStringLiteral("zip.kvt"));
    WriteBytes(zip, SkinFile({KvIntValue("SKIN2_FORMCOLOR", 1)}, pk));
    for (const QString& file : {zip, Path(QStringLiteral("missing.kvt"))}) {
        for (const char* cmd : {"dump", "check", "unpack"}) {
            QStringList args{QString::fromLatin1(cmd), file};
            if (QLatin1String(cmd) == QLatin1String("unpack"))
                args << Path(QStringLiteral("never"));
            const TRun r = Kvtool(args);
            EXPECT_EQ(r.Exit, 1) << cmd;
            EXPECT_TRUE(r.Err.contains(QStringLiteral("Failed to read skin file!"))) << r.Err.toStdString();
            EXPECT_TRUE(r.Out.isEmpty());
        }
    }
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("never"))));
}

TEST_F(KvtoolTest, BadArguments)
{
    const QList<QStringList> cases = {
        {},
        {QStringLiteral("frobnicate")},
        {QStringLiteral("pack"), QStringLiteral("only-one")},
        {QStringLiteral("dump")},
        {QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("b")},
        {QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("--bogus")},
        {QStringLiteral("dump"), QStringLiteral("a"), QStringLiteral("--password")},
        {QStringLiteral("pack"), QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("--level"), QStringLiteral("12")},
    };
    for (const auto& args : cases) {
        const TRun r = Kvtool(args);
        EXPECT_EQ(r.Exit, 64) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_FALSE(r.Err.isEmpty());
    }
    const TRun help = Kvtool({QStringLiteral("--help")});
    EXPECT_EQ(help.Exit, 0);
    EXPECT_TRUE(help.Out.contains(QStringLiteral("Usage: kvtool")));
    EXPECT_TRUE(help.Out.contains(QStringLiteral("values.txt")));
}

TEST_F(KvtoolTest, PackRefusesBadSources)
{
    struct Case {
        const char* Name;
        std::function<QString()> Make;  // returns the folder
        const char* Message;
    };
    const std::vector<Case> cases = {
        {"missing folder", [&] { return Path(QStringLiteral("nothing")); }, "no such folder"},
        {"a file, not a folder",
         [&] {
             WriteBytes(Path(QStringLiteral("plain")), {1});
             return Path(QStringLiteral("plain"));
         },
         "not a readable folder"},
        {"a bitmap that is not one",
         [&] {
             const QString f = MakeFolder(QStringLiteral("badbmp"));
             WriteBytes(QDir(f).filePath(QStringLiteral("SKIN2_CHECKBOX.bmp")), {'B', 'M', 0, 0});
             return f;
         },
         "not a Windows bitmap"},
        {"values.txt with an unknown escape",
         [&] {
             const QString f = MakeFolder(QStringLiteral("esc"));
             const std::string v = "AUTHOR = \"a\\qb\"\n";
             WriteBytes(QDir(f).filePath(QStringLiteral("values.txt")), std::vector<uint8_t>(v.begin(), v.end()));
             return f;
         },
         "line 1:"},
        {"a flag key given text",
         [&] {
             const QString f = MakeFolder(QStringLiteral("flag"));
             const std::string v = "\nSKIN2_BUTTONTRANS = \"yes\"\n";
             WriteBytes(QDir(f).filePath(QStringLiteral("values.txt")), std::vector<uint8_t>(v.begin(), v.end()));
             return f;
         },
         "line 2:"},
        {"a key twice",
         [&] {
             const QString f = MakeFolder(QStringLiteral("twice"));
             const std::string v = "SKIN2_FORMCOLOR = 1\nSKIN2_FORMCOLOR = 2\n";
             WriteBytes(QDir(f).filePath(QStringLiteral("values.txt")), std::vector<uint8_t>(v.begin(), v.end()));
             return f;
         },
         "appears twice"},
        {"a colour out of range",
         [&] {
             const QString f = MakeFolder(QStringLiteral("range"));
             const std::string v = "SKIN2_FORMCOLOR = $100000000\n";
             WriteBytes(QDir(f).filePath(QStringLiteral("values.txt")), std::vector<uint8_t>(v.begin(), v.end()));
             return f;
         },
         "is a colour"},
    };
    for (const auto& c : cases) {
        const QString folder = c.Make();
        const QString out = Path(QStringLiteral("out.kvt"));
        const TRun r = Kvtool({QStringLiteral("pack"), folder, out});
        EXPECT_EQ(r.Exit, 1) << c.Name;
        EXPECT_TRUE(r.Err.contains(QLatin1String(c.Message))) << c.Name << ": " << r.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << c.Name;
    }
    // An output path that cannot be written.
    const TRun r = Kvtool({QStringLiteral("pack"), MakeFolder(QStringLiteral("ok")), Path(QStringLiteral("no/such/dir/x.kvt"))});
    EXPECT_EQ(r.Exit, 1);
}

TEST_F(KvtoolTest, UnpackKeepsUnsafeNamesInsideTheFolder)
{
    const QString skin = Path(QStringLiteral("evil.kvt"));
    WriteBytes(skin, SkinFile({KvBitmapValue("../escaped", BmpFile(2, 2)), KvBitmapValue("/tmp/abs", BmpFile(2, 2)),
                               KvBitmapValue("SKIN2_BUTTON", BmpFile(3, 3)), KvIntValue("bad key\nX", 5)}));
    const QString out = Path(QStringLiteral("inside/out"));
    const TRun r = Kvtool({QStringLiteral("unpack"), skin, out});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains(QStringLiteral("skipped")));
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("inside/escaped.bmp"))));
    EXPECT_TRUE(QFileInfo::exists(QDir(out).filePath(QStringLiteral("SKIN2_BUTTON.bmp"))));
    EXPECT_EQ(QDir(out).entryList(QDir::Files).size(), 2);  // the button and values.txt
}

TEST_F(KvtoolTest, CheckListsMissingKeys)
{
    const QString skin = Path(QStringLiteral("partial.kvt"));
    WriteBytes(skin, SkinFile({KvBitmapValue("SKIN2_BUTTON", BmpFile(61, 21)), KvIntValue("SKIN2_FORMCOLOR", 1)}));
    const TRun r = Kvtool({QStringLiteral("check"), skin});
    EXPECT_EQ(r.Exit, 3);
    EXPECT_TRUE(r.Out.contains(QStringLiteral("missing\tSKIN2_TITLEBUTTONS\n")));
    EXPECT_TRUE(r.Out.contains(QStringLiteral("missing\tSKIN2_TRANSCOLOR\n")));
    EXPECT_TRUE(r.Out.contains(QStringLiteral("optional\tSKIN2_TABCONTROLCOLOR\n")));
    EXPECT_FALSE(r.Out.contains(QStringLiteral("SKIN2_FORMCOLOR")));
    EXPECT_TRUE(r.Out.contains(QStringLiteral("warning\tSKIN2_BUTTON: width 61 is not a multiple of its 3 frames")));
}
