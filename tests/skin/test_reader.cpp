// Tsk2SkinFileReader and TkivFileThemeMgr on real skin files: values of every kind, lookups,
// encryption, rejected containers and chains, the temporary file, and the manager's answers.
#include "framework/Graphics.h"
#include "framework/Strings.h"
#include "skin/theme/Kiv2define.h"
#include "skin/theme/Kiv2skinreader.h"
#include "skin/theme/Kiv2skinreaderTemp.h"
#include "skin/theme/KivthemesFileMgr.h"
#include "tests/skin/SkinTestKit.h"
#include "tests/testsupport/TestSupport.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>

using namespace skintest;

namespace {

// Skin files in one temporary folder, and TMPDIR pointed at another, fresh and empty, so that
// the reader's temporary files can be watched.
class SkinReaderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(FFiles.isValid());
        ASSERT_TRUE(FTemp.isValid());
        FOldTmp = qgetenv("TMPDIR");
        qputenv("TMPDIR", FTemp.path().toLocal8Bit());
    }
    void TearDown() override
    {
        EXPECT_TRUE(TempIsEmpty()) << "temporary files left behind";
        if (FOldTmp.isNull())
            qunsetenv("TMPDIR");
        else
            qputenv("TMPDIR", FOldTmp);
    }

    QString Write(const QString& name, const std::vector<uint8_t>& bytes)
    {
        const QString path = FFiles.filePath(name);
        EXPECT_TRUE(WriteBytes(path, bytes));
        return path;
    }
    QString WriteSkin(const QString& name, const std::vector<TKvValue>& values, const TKvArchiveOptions& o = {})
    {
        return Write(name, SkinFile(values, o));
    }
    bool TempIsEmpty() const
    {
        return QDir(FTemp.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System).isEmpty();
    }

    // Expects construction to raise the reader's exception.
    static void ExpectReadError(const QString& path, const QString& password = QString())
    {
        try {
            Tsk2SkinFileReader r(path, password);
            ADD_FAILURE() << "no exception for " << path.toStdString();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Failed to read skin file!"));
        }
    }

    QTemporaryDir FFiles;
    QTemporaryDir FTemp;
    QByteArray FOldTmp;
};

std::vector<TKvValue> FullValues()
{
    return {KvBitmapValue("SKIN2_BUTTON", BmpFile(60, 21)),
            KvBitmapValue("SKIN2_CHECKBOX", BmpFile(78, 13)),
            KvIntValue("SKIN2_FORMCOLOR", 0x00D8E4EC),
            KvIntValue("SKIN2_TITLEBARBUTTONPOSY", 5),
            KvIntValue("SKIN2_TITLEBARREGIONMINY", -1),
            KvFlagValue("SKIN2_TITLEFIVESECT", 1),
            KvFlagValue("SKIN2_BUTTONTRANS", 0),
            KvStringValue("AUTHOR", "A. Skinner"),
            KvStringValue("NOTE", "two\nlines")};
}

}  // namespace

TEST_F(SkinReaderTest, LoadsValuesOfEveryKind)
{
    Tsk2SkinFileReader r(WriteSkin("full.kvt", FullValues()), QString());
    ASSERT_TRUE(r.Loaded());
    ASSERT_NE(r.GetBitmap("SKIN2_BUTTON"), nullptr);
    EXPECT_EQ(r.GetBitmap("SKIN2_BUTTON")->Width(), 60);
    EXPECT_EQ(r.GetBitmap("SKIN2_BUTTON")->Height(), 21);
    EXPECT_EQ(r.GetBitmap("SKIN2_CHECKBOX")->Width(), 78);
    EXPECT_EQ(r.GetInteger("SKIN2_FORMCOLOR"), 0x00D8E4EC);
    EXPECT_EQ(r.GetInteger("SKIN2_TITLEBARBUTTONPOSY"), 5);
    EXPECT_EQ(r.GetInteger("SKIN2_TITLEBARREGIONMINY"), -1);
    EXPECT_TRUE(r.GetBool("SKIN2_TITLEFIVESECT"));
    EXPECT_FALSE(r.GetBool("SKIN2_BUTTONTRANS"));
    EXPECT_EQ(r.GetStr("AUTHOR"), QStringLiteral("A. Skinner"));
    EXPECT_EQ(r.GetStr("NOTE"), QStringLiteral("two\nlines"));
    // Missing names give the defaults.
    EXPECT_EQ(r.GetBitmap("SKIN2_TITLEBAR1"), nullptr);
    EXPECT_EQ(r.GetInteger("SKIN2_TRANSCOLOR"), -1);
    EXPECT_FALSE(r.GetBool("SKIN2_TITLEBTNTRANS"));
    EXPECT_EQ(r.GetStr("MISSING"), QString());
    // Lists in file order.
    EXPECT_EQ(r.BitmapList().Count(), 2);
    EXPECT_EQ(r.IntegerList().Count(), 3);
    EXPECT_EQ(r.IntegerList()[0], QStringLiteral("SKIN2_FORMCOLOR=14214380"));
}

TEST_F(SkinReaderTest, NamesMatchWithoutCaseAndTheFirstWins)
{
    Tsk2SkinFileReader r(WriteSkin("dup.kvt", {KvIntValue("Skin2_FormColor", 1), KvIntValue("SKIN2_FORMCOLOR", 2),
                                               KvBitmapValue("skin2_button", BmpFile(3, 1)),
                                               KvBitmapValue("SKIN2_BUTTON", BmpFile(9, 1)),
                                               KvFlagValue("F", 0), KvFlagValue("f", 1)}),
                         QString());
    ASSERT_TRUE(r.Loaded());
    EXPECT_EQ(r.GetInteger("skin2_formcolor"), 1);
    EXPECT_EQ(r.GetBitmap("Skin2_Button")->Width(), 3);
    EXPECT_FALSE(r.GetBool("F"));
    EXPECT_EQ(r.IntegerList().Count(), 1);
    EXPECT_EQ(r.BitmapList().Count(), 1);
}

TEST_F(SkinReaderTest, FlagByteTwoIsTrueAndNonNumbersReadAsDefaults)
{
    // A name holding '=' puts text before the number: the value of "SKIN2_FORMCOLOR" is then
    // "abc=5", not a number.
    Tsk2SkinFileReader r(WriteSkin("odd.kvt", {KvFlagValue("SKIN2_TITLEBTNTRANS", 2), KvIntValue("SKIN2_FORMCOLOR=abc", 5),
                                               KvFlagValue("SKIN2_BUTTONTRANS=x", 1)}),
                         QString());
    ASSERT_TRUE(r.Loaded());
    EXPECT_TRUE(r.GetBool("SKIN2_TITLEBTNTRANS"));
    EXPECT_EQ(r.GetInteger("SKIN2_FORMCOLOR"), -1);
    EXPECT_FALSE(r.GetBool("SKIN2_BUTTONTRANS"));
}

TEST_F(SkinReaderTest, TwoRecordsMakeOneValue)
{
    // Header -> record 1 (next = record 2) -> record 2 (next = 0).
    std::vector<uint8_t> d(24 + 77 + 77 + 4, 0);
    Put32(d, 12, 24);
    Put32(d, 20, 24);
    const std::string n1 = "SKIN2_TITLEBARICONPOSX", n2 = "SKIN2_TITLEBARICONPOSY";
    std::copy(n1.begin(), n1.end(), d.begin() + 24);
    d[24 + 64] = 1;
    Put32(d, 24 + 65, 178);
    Put32(d, 24 + 69, 4);
    Put32(d, 24 + 73, 101);
    std::copy(n2.begin(), n2.end(), d.begin() + 101);
    d[101 + 64] = 1;
    Put32(d, 101 + 65, 178);
    Put32(d, 101 + 69, 4);
    Put32(d, 178, 42);
    Tsk2SkinFileReader r(Write("two.kvt", KvBuildArchive(d)), QString());
    ASSERT_TRUE(r.Loaded());
    EXPECT_EQ(r.GetInteger(QString::fromStdString(n1)), 42);
    EXPECT_EQ(r.GetInteger(QString::fromStdString(n2)), -1);
    EXPECT_EQ(r.IntegerList().Count(), 1);
}

TEST_F(SkinReaderTest, LowerCaseEntryName)
{
    TKvArchiveOptions o;
    o.EntryName = "skindata.sk2";
    Tsk2SkinFileReader r(WriteSkin("lower.kvt", FullValues(), o), QString());
    EXPECT_TRUE(r.Loaded());
    EXPECT_EQ(r.GetInteger("SKIN2_FORMCOLOR"), 0x00D8E4EC);
}

TEST_F(SkinReaderTest, EncryptedSkin)
{
    TKvArchiveOptions o;
    o.Password = "kiv";
    const QString path = WriteSkin("enc.kvt", FullValues(), o);
    {
        Tsk2SkinFileReader r(path, "kiv");
        EXPECT_TRUE(r.Loaded());
        EXPECT_EQ(r.GetStr("AUTHOR"), QStringLiteral("A. Skinner"));
    }
    {
        Tsk2SkinFileReader r(path, QString());  // quietly not loaded
        EXPECT_FALSE(r.Loaded());
        EXPECT_EQ(r.GetInteger("SKIN2_FORMCOLOR"), -1);
        EXPECT_EQ(r.BitmapList().Count(), 0);
    }
    // A wrong password never loads: a quiet not-loaded reader, or (when the check byte matches by
    // chance) the read error.
    for (const char* wrong : {"KIV", "kiv2", "wrong"}) {
        try {
            Tsk2SkinFileReader r(path, QString::fromLatin1(wrong));
            EXPECT_FALSE(r.Loaded()) << wrong;
        } catch (const ESkinFileError& e) {
            EXPECT_EQ(e.Message(), QStringLiteral("Failed to read skin file!"));
        }
    }
}

TEST_F(SkinReaderTest, PasswordsAreBytes)
{
    // A String password is its UTF-8 bytes.
    TKvArchiveOptions o;
    o.Password = "p\xc3\xa4ss \xc3\x9f";
    {
        Tsk2SkinFileReader r(WriteSkin("utf8.kvt", FullValues(), o), QStringLiteral("p\u00e4ss \u00df"));
        EXPECT_TRUE(r.Loaded());
    }
    // Bytes that are not UTF-8 open a skin from an open source, as a tool hands them over; as a
    // String they would lose their bytes and never load.
    o.Password = "\xff\xfe\x80kiv";
    const auto file = SkinFile(FullValues(), o);
    {
        TSk2MemorySource source(file.data(), file.size());
        Tsk2SkinFileReader r(source, TSk2PasswordBytes{o.Password});
        ASSERT_TRUE(r.Loaded());
        EXPECT_EQ(r.GetStr("AUTHOR"), QStringLiteral("A. Skinner"));
        EXPECT_EQ(r.GetBitmap("SKIN2_CHECKBOX")->Width(), 78);
    }
    try {
        Tsk2SkinFileReader r(Write("bytes.kvt", file), QString::fromUtf8(o.Password.c_str()));
        EXPECT_FALSE(r.Loaded());
    } catch (const ESkinFileError& e) {
        EXPECT_NE(e.Reason(), TSk2Status::Ok);  // the check byte matched by chance; the data did not
    }
    // The open source takes the container's failures as the file name does.
    auto pk = file;
    pk[0] = 'P';
    TSk2MemorySource source(pk.data(), pk.size());
    try {
        Tsk2SkinFileReader r(source, TSk2PasswordBytes{o.Password});
        FAIL() << "loaded a file without the skin signature";
    } catch (const ESkinFileError& e) {
        EXPECT_EQ(e.Reason(), TSk2Status::BadMagic);
    }
}

TEST_F(SkinReaderTest, RejectedFilesRaiseTheReadError)
{
    TKvArchiveOptions pk;
    pk.Magic = "PK";
    TKvArchiveOptions comment;
    comment.Comment = "comment";
    TKvArchiveOptions noEntry;
    noEntry.EntryName = "OTHER.SK2";
    ExpectReadError(WriteSkin("pk.kvt", FullValues(), pk));
    ExpectReadError(WriteSkin("comment.kvt", FullValues(), comment));
    ExpectReadError(WriteSkin("noentry.kvt", FullValues(), noEntry));
    ExpectReadError(FFiles.filePath("does-not-exist.kvt"));
    ExpectReadError(Write("empty.kvt", {}));
    ExpectReadError(FFiles.path());  // a folder, not a file
    const QString fifo = FFiles.filePath("fifo.kvt");
    ASSERT_EQ(::mkfifo(fifo.toLocal8Bit().constData(), 0600), 0);
    ExpectReadError(fifo);  // fails at once instead of waiting for a writer

    // A bitmap value that is not a Windows bitmap.
    ExpectReadError(WriteSkin("badbmp.kvt", {KvBitmapValue("SKIN2_BUTTON", {'B', 'M', 1, 2, 3})}));

    // A looping chain, and a value out of the data.
    std::vector<uint8_t> d(24 + 77 + 4, 0);
    Put32(d, 12, 24);
    Put32(d, 20, 24);
    d[24] = 'A';
    d[24 + 64] = 1;
    Put32(d, 24 + 65, 101);
    Put32(d, 24 + 69, 4);
    Put32(d, 24 + 73, 24);
    ExpectReadError(Write("loop.kvt", KvBuildArchive(d)));
    Put32(d, 24 + 73, 0x10000);
    ExpectReadError(Write("far.kvt", KvBuildArchive(d)));
    Put32(d, 24 + 73, 24 + 77 + 4 - 77 + 1);
    Put32(d, 24 + 65, 0xFFFFFFFF);
    ExpectReadError(Write("value.kvt", KvBuildArchive(d)));

    // Damaged compressed data: the CRC-32 catches what the inflater does not.
    auto file = SkinFile(FullValues(), TKvArchiveOptions{});
    file[60] ^= 0x10;
    ExpectReadError(Write("damaged.kvt", file));
}

TEST_F(SkinReaderTest, ManyRecordsAndDuplicates)
{
    // 20,000 names, each stored twice: the first of each wins.
    std::vector<TKvValue> values;
    for (int i = 0; i < 20000; ++i)
        values.push_back(KvIntValue("K" + std::to_string(i), i));
    for (int i = 0; i < 20000; ++i)
        values.push_back(KvIntValue("k" + std::to_string(i), -i));
    Tsk2SkinFileReader r(WriteSkin("many.kvt", values), QString());
    ASSERT_TRUE(r.Loaded());
    EXPECT_EQ(r.IntegerList().Count(), 20000);
    EXPECT_EQ(r.GetInteger("k19999"), 19999);
}

TEST_F(SkinReaderTest, DecodedBitmapsAreBounded)
{
    // A header claiming 8192 x 8193 pixels passes the total before anything is decoded.
    auto huge = BmpFile(2, 2);
    Put32(huge, 18, 8192);
    Put32(huge, 22, 8193);
    try {
        Tsk2SkinFileReader r(WriteSkin("huge.kvt", {KvBitmapValue("SKIN2_BUTTON", huge)}), QString());
        FAIL();
    } catch (const ESkinFileError& e) {
        EXPECT_EQ(e.Reason(), TSk2Status::ValuesTooLarge);
    }
    // Every bitmap counts at least 64 x 64: 16,384 tiny ones fit, one more does not.
    std::vector<TKvValue> tiny;
    const auto one = BmpFile(1, 1);
    for (int i = 0; i <= 16384; ++i)
        tiny.push_back(KvBitmapValue("B" + std::to_string(i), one));
    try {
        Tsk2SkinFileReader r(WriteSkin("tiny.kvt", tiny), QString());
        FAIL();
    } catch (const ESkinFileError& e) {
        EXPECT_EQ(e.Reason(), TSk2Status::ValuesTooLarge);
    }
    tiny.pop_back();
    Tsk2SkinFileReader r(WriteSkin("tiny2.kvt", tiny), QString());
    EXPECT_EQ(r.BitmapList().Count(), 16384);
}

TEST_F(SkinReaderTest, ReaderFailureCarriesItsReason)
{
    TKvArchiveOptions pk;
    pk.Magic = "PK";
    try {
        Tsk2SkinFileReader r(WriteSkin("pk.kvt", FullValues(), pk), QString());
        FAIL();
    } catch (const ESkinFileError& e) {
        EXPECT_EQ(e.Reason(), TSk2Status::BadMagic);
    }
}

TEST_F(SkinReaderTest, SparseFileOfZerosWithAnEndRecordFailsAtOnce)
{
    // 2 GiB of zeros (a hole: no disk space) between "SK" and an end record claiming a directory
    // of 65535 entries over the whole file. The first entry lacks its signature: a clean failure,
    // at once, from the file theme's manager too.
    const QString path = FFiles.filePath(QStringLiteral("zeros.kvt"));
    const uint64_t size = uint64_t(2) << 30;
    const uint64_t endAt = size - 22;
    ASSERT_TRUE(WriteSparse(path, size, {{0, {'S', 'K'}}, {endAt, EndRecord(0xFFFF, uint32_t(endAt - 4), 4)}}));
    try {
        Tsk2SkinFileReader r(path, QString());
        FAIL() << "loaded a file of zeros";
    } catch (const ESkinFileError& e) {
        EXPECT_EQ(e.Reason(), TSk2Status::BadDirectory);
    }
    TkivFileThemeMgr mgr;
    EXPECT_FALSE(mgr.LoadFromFile(path, QString()));
}

TEST_F(SkinReaderTest, SettersAndTransparency)
{
    Tsk2SkinFileReader r(WriteSkin("set.kvt", FullValues()), QString());
    r.SetInteger("SKIN2_FORMCOLOR", 7);
    r.SetInteger("NEWINT", -3);
    r.SetBool("SKIN2_BUTTONTRANS", true);
    r.SetBool("NEWFLAG", false);
    EXPECT_EQ(r.GetInteger("skin2_formcolor"), 7);
    EXPECT_EQ(r.GetInteger("NEWINT"), -3);
    EXPECT_TRUE(r.GetBool("SKIN2_BUTTONTRANS"));
    EXPECT_EQ(r.BoolList().Values("NEWFLAG"), QStringLiteral("0"));

    TBitmap other(5, 4);
    r.SetBitmap("SKIN2_BUTTON", &other);
    EXPECT_EQ(r.GetBitmap("SKIN2_BUTTON")->Width(), 5);
    r.SetBitmap("SKIN2_TITLEBAR1", &other);  // missing: nothing
    EXPECT_EQ(r.GetBitmap("SKIN2_TITLEBAR1"), nullptr);

    r.ProcessTransparentColor(clFuchsia);
    for (const char* k : {"SKIN2_BUTTON", "SKIN2_CHECKBOX"}) {
        TBitmap* b = r.GetBitmap(k);
        EXPECT_TRUE(b->Transparent()) << k;
        EXPECT_EQ(b->TransparentMode(), tmFixed) << k;
        EXPECT_EQ(b->TransparentColor(), clFuchsia) << k;
    }
}

TEST_F(SkinReaderTest, TemporaryFileIsPrivateExclusiveAndRemoved)
{
    const QString path = Kiv2sys::GetTempPath() + QStringLiteral("probe");
    EXPECT_TRUE(Kiv2sys::GetTempPath().startsWith(FTemp.path()));
    EXPECT_TRUE(Kiv2sys::GetTempPath().endsWith(QLatin1Char('/')));
    {
        TSk2TempFile t;
        ASSERT_TRUE(t.Create(path));
        struct stat st;
        ASSERT_EQ(::stat(path.toLocal8Bit().constData(), &st), 0);
        EXPECT_EQ(st.st_mode & 0777, 0600u);
        TSk2TempFile again;
        EXPECT_FALSE(again.Create(path));  // exists: never opened
    }
    EXPECT_FALSE(QFileInfo::exists(path));

    // A link planted under the name is not followed.
    const QString target = FFiles.filePath("target");
    ASSERT_EQ(::symlink(target.toLocal8Bit().constData(), path.toLocal8Bit().constData()), 0);
    {
        TSk2TempFile t;
        EXPECT_FALSE(t.Create(path));
    }
    EXPECT_FALSE(QFileInfo::exists(target));
    ::unlink(path.toLocal8Bit().constData());
}

TEST_F(SkinReaderTest, GuidNames)
{
    const QString a = Kiv2sys::GUIDToString(Kiv2sys::CoCreateGuid());
    const QString b = Kiv2sys::GUIDToString(Kiv2sys::CoCreateGuid());
    EXPECT_NE(a, b);
    EXPECT_TRUE(QRegularExpression(QStringLiteral("^\\{[0-9A-F]{8}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{4}-[0-9A-F]{12}\\}$"))
                    .match(a)
                    .hasMatch())
        << a.toStdString();
}

TEST_F(SkinReaderTest, NoTemporaryFileLeftOnAnyOutcome)
{
    TKvArchiveOptions o;
    o.Password = "pw";
    const QString good = WriteSkin("good.kvt", FullValues());
    const QString enc = WriteSkin("enc.kvt", FullValues(), o);
    auto file = SkinFile(FullValues(), TKvArchiveOptions{});
    file[file.size() / 3] ^= 0x55;
    const QString bad = Write("bad.kvt", file);
    { Tsk2SkinFileReader r(good, QString()); EXPECT_TRUE(r.Loaded()); }
    EXPECT_TRUE(TempIsEmpty());
    { Tsk2SkinFileReader r(enc, QString()); EXPECT_FALSE(r.Loaded()); }
    EXPECT_TRUE(TempIsEmpty());
    ExpectReadError(bad);
    EXPECT_TRUE(TempIsEmpty());
}

TEST_F(SkinReaderTest, ManagerAnswers)
{
    TkivFileThemeMgr m;
    EXPECT_EQ(m.GetColor(SKIN2_FORMCOLOR), 0);
    EXPECT_EQ(m.GetInt(SKIN2_TITLEBARBUTTONPOSY), 0);
    EXPECT_FALSE(m.GetBool(SKIN2_TITLEFIVESECT));
    EXPECT_EQ(m.GetBitmap(SKIN2_BUTTON), nullptr);

    const QString path = WriteSkin("m.kvt", FullValues());
    ASSERT_TRUE(m.LoadFromFile(path, QString()));
    EXPECT_EQ(m.GetColor(SKIN2_FORMCOLOR), 0x00D8E4EC);
    EXPECT_EQ(m.GetColor(SKIN2_TRANSCOLOR), -1);  // absent from the file
    EXPECT_EQ(m.GetInt(SKIN2_TITLEBARBUTTONPOSY), 5);
    EXPECT_EQ(m.GetInt(SKIN2_TITLEBARBUTTONPOSX), -1);
    EXPECT_TRUE(m.GetBool(SKIN2_TITLEFIVESECT));
    EXPECT_FALSE(m.GetBool(SKIN2_BUTTONTRANS));
    ASSERT_NE(m.GetBitmap(SKIN2_CHECKBOX), nullptr);
    EXPECT_EQ(m.GetBitmap(SKIN2_CHECKBOX)->Width(), 78);
    EXPECT_EQ(m.GetBitmap(SKIN2_TITLEBAR1), nullptr);
    // Ordinals outside an enumeration give the defaults.
    EXPECT_EQ(m.GetColor(Tsk2SkinColorElement(99)), -1);
    EXPECT_EQ(m.GetBitmap(Tsk2SkinBitmapElement(-1)), nullptr);

    // A missing file keeps the skin in effect.
    EXPECT_FALSE(m.LoadFromFile(FFiles.filePath("missing.kvt"), QString()));
    EXPECT_EQ(m.GetColor(SKIN2_FORMCOLOR), 0x00D8E4EC);

    // A corrupt file that exists drops it.
    TKvArchiveOptions pk;
    pk.Magic = "PK";
    EXPECT_FALSE(m.LoadFromFile(WriteSkin("pk.kvt", FullValues(), pk), QString()));
    EXPECT_EQ(m.Reader(), nullptr);
    EXPECT_EQ(m.GetColor(SKIN2_FORMCOLOR), 0);

    // A password problem: false, no skin, no exception.
    TKvArchiveOptions enc;
    enc.Password = "pw";
    const QString encPath = WriteSkin("enc.kvt", FullValues(), enc);
    EXPECT_FALSE(m.LoadFromFile(encPath, QString()));
    EXPECT_EQ(m.Reader(), nullptr);
    EXPECT_FALSE(m.LoadFromFile(encPath, "wrong-password"));
    EXPECT_TRUE(m.LoadFromFile(encPath, "pw"));
    EXPECT_EQ(m.GetInt(SKIN2_TITLEBARBUTTONPOSY), 5);
}

// Skin files written earlier (tests/data/skin) keep loading: plain, encrypted with the CRC check
// byte, and encrypted with the time check byte (flag bit 3).
TEST_F(SkinReaderTest, CommittedFixturesStillLoad)
{
    const QDir data(testsupport::DataDir() + QStringLiteral("/skin"));
    struct Case {
        const char* File;
        const char* Password;
    };
    for (const Case& c : {Case{"plain.kvt", ""}, Case{"encrypted.kvt", "kiv"}, Case{"timecheck.kvt", "kiv"}}) {
        const QString path = data.filePath(QLatin1String(c.File));
        ASSERT_TRUE(QFileInfo::exists(path)) << path.toStdString();
        Tsk2SkinFileReader r(path, QLatin1String(c.Password));
        ASSERT_TRUE(r.Loaded()) << c.File;
        EXPECT_EQ(r.GetInteger("SKIN2_FORMCOLOR"), 0x00DFE6E9) << c.File;
        EXPECT_EQ(r.GetInteger("SKIN2_TRANSCOLOR"), 0x00FF00FF) << c.File;
        EXPECT_EQ(r.GetInteger("SKIN2_TITLEBARBUTTONPOSX"), 6) << c.File;
        EXPECT_EQ(r.GetInteger("SKIN2_TITLEBARREGIONMINY"), -1) << c.File;
        EXPECT_TRUE(r.GetBool("SKIN2_TITLEFIVESECT")) << c.File;
        EXPECT_FALSE(r.GetBool("SKIN2_BUTTONTRANS")) << c.File;
        EXPECT_TRUE(r.GetBool("SKIN2_TITLEBTNTRANS")) << c.File;  // stored as byte 2
        EXPECT_EQ(r.BoolList().Values("SKIN2_TITLEBTNTRANS"), QStringLiteral("2")) << c.File;
        EXPECT_EQ(r.GetStr("NOTE"), QStringLiteral("fixture \"skin\"\nsecond line")) << c.File;
        ASSERT_NE(r.GetBitmap("SKIN2_BUTTON"), nullptr) << c.File;
        EXPECT_EQ(r.GetBitmap("SKIN2_BUTTON")->Width(), 12) << c.File;
        EXPECT_EQ(r.GetBitmap("SKIN2_CHECKBOX")->Width(), 24) << c.File;
        EXPECT_EQ(r.GetBitmap("SKIN2_CHECKBOX")->Height(), 4) << c.File;
        if (*c.Password) {
            Tsk2SkinFileReader none(path, QString());
            EXPECT_FALSE(none.Loaded()) << c.File;
        }
    }
}

TEST(Kiv2define, KeyTableOrderAndNames)
{
    EXPECT_STREQ(SK2_KEY_TABLE[0], "SKIN2_TRANSCOLOR");
    EXPECT_STREQ(SK2_KEY_TABLE[31], "SKIN2_SIDECHANNELBORDERCOLOR");
    EXPECT_STREQ(SK2_KEY_TABLE[32], "SKIN2_TITLEBAR1");
    EXPECT_STREQ(SK2_KEY_TABLE[65], "SKIN2_SCROLLBUTTON");
    EXPECT_STREQ(SK2_KEY_TABLE[66], "SKIN2_TITLEBARICONPOSX");
    EXPECT_STREQ(SK2_KEY_TABLE[75], "SKIN2_TITLEFIVESECT");
    EXPECT_STREQ(SK2_KEY_TABLE[83], "SKIN2_TABCONTROLTRANS");
    EXPECT_STREQ(Sk2ColorName(SKIN2_SCROLLBARCOLOR), "SKIN2_SCROLLBARCOLOR");
    EXPECT_STREQ(Sk2BitmapName(SKIN2_TRACKBARVSLIDER), "SKIN2_TRACKBARVSLIDER");
    EXPECT_STREQ(Sk2IntName(SKIN2_BOTTOMREGIONMINY), "SKIN2_BOTTOMREGIONMINY");
    EXPECT_STREQ(Sk2BoolName(SKIN2_RADIOBUTTONTRANS), "SKIN2_RADIOBUTTONTRANS");
    EXPECT_EQ(Sk2ColorName(Tsk2SkinColorElement(32)), nullptr);
    int ord = 0;
    EXPECT_EQ(Sk2KeyKind("SKIN2_TITLEBUTTONS", &ord), TSk2KeyKind::Bitmap);
    EXPECT_EQ(ord, SKIN2_TITLEBUTTONS);
    EXPECT_EQ(Sk2KeyKind("SKIN2_NOTHING", &ord), TSk2KeyKind::Unknown);
    EXPECT_EQ(ord, -1);
    std::set<std::string> unique(SK2_KEY_TABLE, SK2_KEY_TABLE + SK2_KEY_COUNT);
    EXPECT_EQ(unique.size(), size_t(SK2_KEY_COUNT));
}
