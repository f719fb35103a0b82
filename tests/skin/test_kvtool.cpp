// bin/kvtool as a skin author uses it: pack, dump, unpack, check, passwords and bad input.
#include "skin/theme/Kiv2skinreader.h"
#include "skin/theme/Kiv2skinreaderCore.h"
#include "tests/skin/SkinTestKit.h"
#include "tests/testsupport/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <chrono>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

using namespace skintest;

namespace {

// Address-space limits do not mix with the sanitizers' shadow memory.
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer) || __has_feature(memory_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

struct TRun {
    int Exit = -1;  // -2: killed by a signal
    QString Out;
    QString Err;
};

std::string FileText(const std::string& path)
{
    const auto b = ReadBytes(QFile::decodeName(QByteArray::fromStdString(path)));
    return std::string(b.begin(), b.end());
}

// Runs bin/kvtool with its arguments as raw bytes (so that they need not be valid UTF-8), its
// output in files. A non-zero MemoryCap limits the child's address space.
TRun KvtoolBytes(const std::vector<std::string>& args, uint64_t MemoryCap = 0)
{
    TRun r;
    QTemporaryDir io;
    if (!io.isValid()) {
        r.Err = QStringLiteral("no temporary folder");
        return r;
    }
    const std::string exe = QFile::encodeName(QDir(testsupport::BinDir()).filePath(QStringLiteral("kvtool"))).toStdString();
    const std::string outPath = QFile::encodeName(io.filePath(QStringLiteral("out"))).toStdString();
    const std::string errPath = QFile::encodeName(io.filePath(QStringLiteral("err"))).toStdString();
    std::vector<std::string> all{exe};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);

    const pid_t pid = ::fork();
    if (pid == 0) {
        // Only async-signal-safe calls between fork and exec.
        const int in = ::open("/dev/null", O_RDONLY);
        const int out = ::open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = ::open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(err, 2) < 0)
            ::_exit(126);
        if (MemoryCap) {
            const struct rlimit limit = {rlim_t(MemoryCap), rlim_t(MemoryCap)};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        ::execv(exe.c_str(), argv.data());
        ::_exit(127);
    }
    if (pid < 0) {
        r.Err = QStringLiteral("fork failed");
        return r;
    }
    int status = 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    for (;;) {
        const pid_t w = ::waitpid(pid, &status, WNOHANG);
        if (w == pid)
            break;
        if (w < 0 && errno != EINTR)
            break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            r.Err = QStringLiteral("kvtool did not finish");
            return r;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    r.Exit = WIFEXITED(status) ? WEXITSTATUS(status) : -2;
    r.Out = QString::fromUtf8(QByteArray::fromStdString(FileText(outPath)));
    r.Err = QString::fromUtf8(QByteArray::fromStdString(FileText(errPath)));
    return r;
}

TRun Kvtool(const QStringList& args)
{
    std::vector<std::string> bytes;
    for (const QString& a : args)
        bytes.push_back(QFile::encodeName(a).toStdString());
    return KvtoolBytes(bytes);
}

std::string Bytes(const QString& s) { return QFile::encodeName(s).toStdString(); }

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

// An 8-bit RLE Windows bitmap of w x h pixels whose data is only the end-of-bitmap code: a few
// bytes that claim many pixels.
std::vector<uint8_t> RleBmp(uint32_t w, uint32_t h)
{
    std::vector<uint8_t> v(54 + 8 + 2, 0);
    v[0] = 'B';
    v[1] = 'M';
    Put32(v, 2, uint32_t(v.size()));
    Put32(v, 10, 54 + 8);
    Put32(v, 14, 40);
    Put32(v, 18, w);
    Put32(v, 22, h);
    Put16(v, 26, 1);
    Put16(v, 28, 8);
    Put32(v, 30, 1);  // BI_RLE8
    Put32(v, 34, 2);
    Put32(v, 46, 2);  // two palette entries
    v[54 + 4] = 0xFF;
    v[63] = 1;        // 00 01: end of bitmap
    return v;
}

// The names in a folder, sorted, hidden ones included.
QStringList Names(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System, QDir::Name);
}

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
         "is not a folder"},
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

TEST_F(KvtoolTest, UnpackRefusesToOverwriteUnlessForced)
{
    const QString skin = Path(QStringLiteral("a.kvt"));
    ASSERT_EQ(Kvtool({QStringLiteral("pack"), MakeFolder(QStringLiteral("src")), skin}).Exit, 0);
    const QString out = Path(QStringLiteral("out"));
    TRun r = Kvtool({QStringLiteral("unpack"), skin, out});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    const QStringList unpacked = {QStringLiteral("SKIN2_BUTTON.bmp"), QStringLiteral("SKIN2_TITLEBAR1.bmp"),
                                  QStringLiteral("values.txt")};
    EXPECT_EQ(Names(out), unpacked);

    // The author's edits survive a second unpack, which names the file in the way and --force.
    const QString values = QDir(out).filePath(QStringLiteral("values.txt"));
    const std::vector<uint8_t> mine = {'m', 'i', 'n', 'e', '\n'};
    ASSERT_TRUE(WriteBytes(values, mine));
    r = Kvtool({QStringLiteral("unpack"), skin, out});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("exists")) && r.Err.contains(QStringLiteral("--force"))) << r.Err.toStdString();
    EXPECT_EQ(ReadBytes(values), mine);

    // --force replaces them, through temporary files that do not stay behind.
    r = Kvtool({QStringLiteral("unpack"), skin, out, QStringLiteral("--force")});
    EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_NE(ReadBytes(values), mine);
    EXPECT_EQ(Names(out), unpacked);

    // Not even --force replaces a folder with a file.
    ASSERT_TRUE(QFile::remove(QDir(out).filePath(QStringLiteral("SKIN2_BUTTON.bmp"))));
    ASSERT_TRUE(QDir(out).mkdir(QStringLiteral("SKIN2_BUTTON.bmp")));
    r = Kvtool({QStringLiteral("unpack"), skin, out, QStringLiteral("--force")});
    EXPECT_EQ(r.Exit, 1);
    EXPECT_TRUE(r.Err.contains(QStringLiteral("is a folder"))) << r.Err.toStdString();
    EXPECT_TRUE(QFileInfo(QDir(out).filePath(QStringLiteral("SKIN2_BUTTON.bmp"))).isDir());
}

TEST_F(KvtoolTest, UnpackNeverWritesThroughLinksInTheFolder)
{
    const QString skin = Path(QStringLiteral("a.kvt"));
    ASSERT_EQ(Kvtool({QStringLiteral("pack"), MakeFolder(QStringLiteral("src")), skin}).Exit, 0);
    const QString outside = Path(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    const QString victim = QDir(outside).filePath(QStringLiteral("victim.txt"));
    const std::vector<uint8_t> victimText = {'v', 'i', 'c', 't', 'i', 'm'};
    ASSERT_TRUE(WriteBytes(victim, victimText));
    const QString planted = Path(QStringLiteral("planted"));
    ASSERT_TRUE(QDir().mkpath(planted));
    // One link at an existing file outside, one dangling link naming a file outside.
    ASSERT_EQ(::symlink(Bytes(victim).c_str(), Bytes(QDir(planted).filePath(QStringLiteral("values.txt"))).c_str()), 0);
    ASSERT_EQ(::symlink(Bytes(QDir(outside).filePath(QStringLiteral("new.bmp"))).c_str(),
                        Bytes(QDir(planted).filePath(QStringLiteral("SKIN2_BUTTON.bmp"))).c_str()),
              0);

    for (bool force : {false, true}) {
        QStringList args = {QStringLiteral("unpack"), skin, planted};
        if (force)
            args << QStringLiteral("--force");
        const TRun r = Kvtool(args);
        if (force) {
            EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
        } else {
            EXPECT_EQ(r.Exit, 1);
            EXPECT_TRUE(r.Err.contains(QStringLiteral("exists"))) << r.Err.toStdString();
        }
        EXPECT_EQ(ReadBytes(victim), victimText) << force;
        EXPECT_EQ(Names(outside), QStringList{QStringLiteral("victim.txt")}) << force;
    }
    // --force replaced the links themselves with the unpacked files.
    for (const char* name : {"values.txt", "SKIN2_BUTTON.bmp"}) {
        const QFileInfo fi(QDir(planted).filePath(QLatin1String(name)));
        EXPECT_FALSE(fi.isSymLink()) << name;
        EXPECT_TRUE(fi.isFile()) << name;
    }
}

TEST_F(KvtoolTest, PackReadsRegularFilesOnly)
{
    const QString aBitmap = Path(QStringLiteral("elsewhere.bmp"));
    ASSERT_TRUE(WriteBytes(aBitmap, BmpFile(4, 4)));
    struct Case {
        const char* Name;
        const char* File;  // in the folder, replaced by what Make puts there
        std::function<bool(const std::string&)> Make;
        const char* Message;
    };
    const std::vector<Case> cases = {
        {"a FIFO as a bitmap", "SKIN2_CHECKBOX.bmp", [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; },
         "is a FIFO"},
        {"a folder as a bitmap", "SKIN2_CHECKBOX.bmp", [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; },
         "is a folder"},
        {"a link as a bitmap", "SKIN2_CHECKBOX.bmp",
         [&](const std::string& p) { return ::symlink(Bytes(aBitmap).c_str(), p.c_str()) == 0; }, "is a symbolic link"},
        {"a FIFO as values.txt", "values.txt", [](const std::string& p) { return ::mkfifo(p.c_str(), 0600) == 0; },
         "is a FIFO"},
        {"a folder as values.txt", "values.txt", [](const std::string& p) { return ::mkdir(p.c_str(), 0700) == 0; },
         "is a folder"},
        {"a link as values.txt", "values.txt",
         [&](const std::string& p) { return ::symlink(Bytes(aBitmap).c_str(), p.c_str()) == 0; }, "is a symbolic link"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString folder = MakeFolder(QStringLiteral("src%1").arg(++n));
        const QString file = QDir(folder).filePath(QLatin1String(c.File));
        QFile::remove(file);
        ASSERT_TRUE(c.Make(Bytes(file))) << c.Name;
        const QString out = Path(QStringLiteral("out.kvt"));
        const TRun r = Kvtool({QStringLiteral("pack"), folder, out});
        EXPECT_EQ(r.Exit, 1) << c.Name;
        EXPECT_TRUE(r.Err.contains(QLatin1String(c.File)) && r.Err.contains(QLatin1String(c.Message)))
            << c.Name << ": " << r.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << c.Name;
    }
}

TEST_F(KvtoolTest, PackRefusesWhatTheReaderWouldRefuse)
{
    // Four bitmaps of 4097 x 4097 pixels (a few bytes each, RLE) pass the pixels the reader
    // decodes for one skin; the reader refuses the same values.
    std::vector<TKvValue> values;
    const char* const keys[] = {"SKIN2_BUTTON", "SKIN2_CHECKBOX", "SKIN2_RADIOBUTTON", "SKIN2_TRACKBAR"};
    for (const char* k : keys)
        values.push_back(KvBitmapValue(k, RleBmp(4097, 4097)));
    ASSERT_TRUE(WriteBytes(Path(QStringLiteral("pixels.kvt")), SkinFile(values)));
    try {
        Tsk2SkinFileReader reader(Path(QStringLiteral("pixels.kvt")), QString());
        FAIL() << "the reader took the pixels";
    } catch (const ESkinFileError& e) {
        EXPECT_EQ(e.Reason(), TSk2Status::ValuesTooLarge);
    }

    struct Case {
        const char* Name;
        std::function<void(const QString&)> Make;  // adds to a folder
        const char* Message;
    };
    const std::vector<Case> cases = {
        {"bitmaps with more pixels than a skin may hold",
         [&](const QString& f) {
             for (const char* k : keys)
                 WriteBytes(QDir(f).filePath(QLatin1String(k) + QStringLiteral(".bmp")), RleBmp(4097, 4097));
         },
         "pixels"},
        {"a bitmap larger than a skin may hold",
         [&](const QString& f) {
             // A hole: no disk space, and nothing may read it whole.
             WriteSparse(QDir(f).filePath(QStringLiteral("SKIN2_CHECKBOX.bmp")), SK2_MAX_DATA_SIZE + 1, {{0, {'B', 'M'}}});
         },
         "larger than"},
        {"values.txt larger than a skin may hold",
         [&](const QString& f) { WriteSparse(QDir(f).filePath(QStringLiteral("values.txt")), SK2_MAX_DATA_SIZE + 1, {}); },
         "larger than"},
    };
    int n = 0;
    for (const auto& c : cases) {
        const QString folder = MakeFolder(QStringLiteral("src%1").arg(++n));
        c.Make(folder);
        const QString out = Path(QStringLiteral("out.kvt"));
        const TRun r = Kvtool({QStringLiteral("pack"), folder, out});
        EXPECT_EQ(r.Exit, 1) << c.Name;
        EXPECT_TRUE(r.Err.contains(QLatin1String(c.Message))) << c.Name << ": " << r.Err.toStdString();
        EXPECT_FALSE(QFileInfo::exists(out)) << c.Name;
    }
}

TEST_F(KvtoolTest, MessagesNameTheRealProblem)
{
    const QString fifo = Path(QStringLiteral("pipe.kvt"));
    ASSERT_EQ(::mkfifo(Bytes(fifo).c_str(), 0600), 0);
    const QString folder = Path(QStringLiteral("folder.kvt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    struct Case {
        QString File;
        const char* Message;
    };
    for (const Case& c : {Case{fifo, "is a FIFO"}, Case{folder, "is a folder"}, Case{Path(QStringLiteral("none.kvt")), "no such file"}}) {
        for (const char* cmd : {"dump", "check", "unpack"}) {
            QStringList args{QString::fromLatin1(cmd), c.File};
            if (QLatin1String(cmd) == QLatin1String("unpack"))
                args << Path(QStringLiteral("never"));
            const TRun r = Kvtool(args);
            EXPECT_EQ(r.Exit, 1) << cmd << " " << c.Message;
            EXPECT_TRUE(r.Err.contains(QStringLiteral("Failed to read skin file!")) && r.Err.contains(QLatin1String(c.Message)))
                << cmd << " " << c.Message << ": " << r.Err.toStdString();
        }
    }
    EXPECT_FALSE(QFileInfo::exists(Path(QStringLiteral("never"))));
}

TEST_F(KvtoolTest, PasswordsAreBytes)
{
    const QString folder = MakeFolder(QStringLiteral("src"));
    const QString skin = Path(QStringLiteral("bytes.kvt"));
    const std::string password = "\xff\xfe sesame \x80";  // not UTF-8
    TRun r = KvtoolBytes({"pack", Bytes(folder), Bytes(skin), "--password", password});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    r = KvtoolBytes({"dump", Bytes(skin), "--password", password});
    EXPECT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(r.Out, kExpectedDump);
    // The same text with its bad bytes replaced (as a lossy conversion would) is another password.
    r = KvtoolBytes({"dump", Bytes(skin), "--password", "\xef\xbf\xbd\xef\xbf\xbd sesame \xef\xbf\xbd"});
    EXPECT_EQ(r.Exit, 2) << r.Err.toStdString();

    // A password in UTF-8 from the command line opens with the same text given to the reader.
    const QString text = QStringLiteral("p\u00e4sswort \u00df");
    r = KvtoolBytes({"pack", Bytes(folder), Bytes(skin), "--password", text.toUtf8().toStdString()});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    Tsk2SkinFileReader reader(skin, text);
    EXPECT_TRUE(reader.Loaded());
}

TEST_F(KvtoolTest, DamagedEncryptedSkinIsNotReadWhole)
{
    // An encrypted skin whose data is damaged after the password check, placed in a 2 GiB file
    // (a hole between the entry and its directory). Telling a wrong password from damage must
    // not read the file into memory: kvtool runs with 1 GiB of address space.
    TKvArchiveOptions o;
    o.Password = "pw";
    auto archive = KvBuildArchive(KvBuildSkinData({KvIntValue("SKIN2_FORMCOLOR", 1), KvStringValue("NOTE", std::string(500, 'n'))}), o);
    const size_t eocdAt = archive.size() - 22;
    const uint32_t cdAt = Sk2Le32(&archive[eocdAt + 16]);
    const std::vector<uint8_t> head(archive.begin(), archive.begin() + cdAt);
    const std::vector<uint8_t> cd(archive.begin() + cdAt, archive.begin() + long(eocdAt));
    std::vector<uint8_t> damaged = head;
    damaged[30 + 12 + 12 + 3] ^= 0x5A;  // past the local header, its name and the encryption header
    const uint64_t size = uint64_t(2) << 30;
    const uint64_t newCd = size - 22 - cd.size();
    const auto end = EndRecord(1, uint32_t(cd.size()), uint32_t(newCd));
    const QString path = Path(QStringLiteral("huge.kvt"));
    ASSERT_TRUE(WriteSparse(path, size, {{0, damaged}, {newCd, cd}, {size - 22, end}}));

    const TRun r = KvtoolBytes({"dump", Bytes(path), "--password", "pw"}, kSanitized ? 0 : uint64_t(1) << 30);
    EXPECT_EQ(r.Exit, 2) << r.Err.toStdString();
    EXPECT_TRUE(r.Err.contains(QStringLiteral("damaged"))) << r.Err.toStdString();
    EXPECT_TRUE(r.Out.isEmpty());
}

TEST_F(KvtoolTest, PackReplacesItsOutputWithoutWritingThroughALink)
{
    const QString victim = Path(QStringLiteral("victim.kvt"));
    const std::vector<uint8_t> victimText = {'k', 'e', 'e', 'p'};
    ASSERT_TRUE(WriteBytes(victim, victimText));
    const QString out = Path(QStringLiteral("out.kvt"));
    ASSERT_EQ(::symlink(Bytes(victim).c_str(), Bytes(out).c_str()), 0);
    const TRun r = Kvtool({QStringLiteral("pack"), MakeFolder(QStringLiteral("src")), out});
    ASSERT_EQ(r.Exit, 0) << r.Err.toStdString();
    EXPECT_EQ(ReadBytes(victim), victimText);
    EXPECT_FALSE(QFileInfo(out).isSymLink());
    EXPECT_EQ(Kvtool({QStringLiteral("dump"), out}).Out, kExpectedDump);
    // A folder in the output's place stays.
    const QString folder = Path(QStringLiteral("folder.kvt"));
    ASSERT_TRUE(QDir().mkpath(folder));
    const TRun f = Kvtool({QStringLiteral("pack"), MakeFolder(QStringLiteral("src2")), folder});
    EXPECT_EQ(f.Exit, 1);
    EXPECT_TRUE(f.Err.contains(QStringLiteral("is a folder"))) << f.Err.toStdString();
    EXPECT_TRUE(QFileInfo(folder).isDir());
}
