// Streams: file open/create errors and share locks, memory-stream bounds, copying.
#include "framework/Streams.h"
#include "framework/SysUtils.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <cstring>
#include <limits>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}

void WriteFile(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
}

class FileStreamTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(Dir.isValid()); }
    QString Path(const char* name) const { return Dir.filePath(QString::fromUtf8(name)); }
    QTemporaryDir Dir;
};

}  // namespace

TEST_F(FileStreamTest, CreateWriteReopenRead)
{
    const QString path = Path("data.bin");
    {
        TFileStream out(path, fmCreate);
        out.WriteBuffer("hello world", 11);
        EXPECT_EQ(out.Position(), 11);
        EXPECT_EQ(out.Size(), 11);
    }
    EXPECT_EQ(FileBytes(path), "hello world");
    {
        TFileStream in(path, fmOpenRead);
        char buf[16] = {};
        EXPECT_EQ(in.Seek(6, soBeginning), 6);
        EXPECT_EQ(in.Read(buf, 16), 5);  // short read at the end
        EXPECT_EQ(QByteArray(buf, 5), "world");
        EXPECT_EQ(in.Read(buf, 16), 0);
        EXPECT_EQ(in.Seek(-5, soEnd), 6);
        EXPECT_EQ(in.Seek(1, soCurrent), 7);
        EXPECT_THROW(in.WriteBuffer("x", 1), EWriteError);  // opened for reading only
        in.SetPosition(0);
        EXPECT_THROW(in.ReadBuffer(buf, 12), EReadError);
    }
    {
        TFileStream rw(path, fmOpenReadWrite);
        rw.SetPosition(6);
        rw.WriteBuffer("WORLD!", 6);
        rw.SetSize(8);
        EXPECT_EQ(rw.Size(), 8);
    }
    EXPECT_EQ(FileBytes(path), "hello WO");
    {
        TFileStream again(path, fmCreate);  // fmCreate truncates
        EXPECT_EQ(again.Size(), 0);
    }
}

TEST_F(FileStreamTest, OpenAndCreateErrorsNameTheFullPath)
{
    try {
        TFileStream s(Path("missing.bin"), fmOpenRead);
        FAIL() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_EQ(e.Message(), QStringLiteral("Cannot open file \"%1\". No such file or directory").arg(Path("missing.bin")));
    }
    try {
        TFileStream s(Path("no/such/dir/x.bin"), fmCreate);
        FAIL() << "no exception";
    } catch (const EFCreateError& e) {
        EXPECT_EQ(e.Message(),
                  QStringLiteral("Cannot create file \"%1\". No such file or directory").arg(Path("no/such/dir/x.bin")));
    }
    // A directory is not a file.
    EXPECT_THROW(TFileStream(Dir.path(), fmOpenRead), EFOpenError);
    EXPECT_THROW(TFileStream(QString(), fmOpenRead), EFOpenError);
    // A relative name is reported expanded.
    const QString cwd = GetCurrentDir();
    ASSERT_TRUE(SetCurrentDir(Dir.path()));
    try {
        TFileStream s("rel.bin", fmOpenRead);
        ADD_FAILURE() << "no exception";
    } catch (const EFOpenError& e) {
        EXPECT_TRUE(e.Message().startsWith(QStringLiteral("Cannot open file \"%1\". ").arg(Path("rel.bin")))) << e.what();
    }
    SetCurrentDir(cwd);
}

TEST_F(FileStreamTest, ShareModesLockAgainstEachOther)
{
    const QString path = Path("shared.bin");
    WriteFile(path, "keep me");
    struct Case {
        uint16_t first;
        uint16_t second;
        bool secondOpens;
    };
    const Case cases[] = {
        {fmOpenRead | fmShareDenyWrite, fmOpenRead | fmShareDenyWrite, true},
        {fmOpenRead | fmShareDenyWrite, fmOpenReadWrite | fmShareExclusive, false},
        {fmOpenReadWrite | fmShareExclusive, fmOpenRead | fmShareDenyWrite, false},
        {fmOpenReadWrite | fmShareExclusive, fmOpenRead | fmShareDenyNone, true},
        {fmOpenRead | fmShareDenyNone, fmOpenReadWrite | fmShareExclusive, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << std::hex << c.first << " then " << c.second);
        TFileStream first(path, c.first);
        if (c.secondOpens)
            EXPECT_NO_THROW(TFileStream(path, c.second));
        else
            EXPECT_THROW(TFileStream(path, c.second), EFOpenError);
    }
    // Creating over a file that is in use fails without truncating it.
    {
        TFileStream holder(path, fmOpenRead | fmShareDenyWrite);
        EXPECT_THROW(TFileStream(path, fmCreate | fmShareExclusive), EFCreateError);
    }
    EXPECT_EQ(FileBytes(path), "keep me");
    // The lock goes with the stream.
    EXPECT_NO_THROW(TFileStream(path, fmOpenReadWrite | fmShareExclusive));
}

TEST(MemoryStream, ReadsStayInBounds)
{
    TMemoryStream m;
    m.WriteBuffer("abcdef", 6);
    EXPECT_EQ(m.Size(), 6);
    EXPECT_EQ(m.Position(), 6);
    char buf[8];
    std::memset(buf, '#', sizeof buf);
    EXPECT_EQ(m.Read(buf, 8), 0);
    m.SetPosition(4);
    EXPECT_EQ(m.Read(buf, 8), 2);
    EXPECT_EQ(QByteArray(buf, 3), "ef#");
    m.SetPosition(100);  // beyond the end: reads nothing
    EXPECT_EQ(m.Position(), 100);
    EXPECT_EQ(m.Read(buf, 8), 0);
    EXPECT_EQ(m.Seek(-1, soBeginning), -1);  // refused, position kept
    EXPECT_EQ(m.Position(), 100);
    EXPECT_EQ(m.Read(buf, -5), 0);
    EXPECT_EQ(m.Seek(std::numeric_limits<int64_t>::max(), soCurrent), -1);
    m.SetPosition(0);
    EXPECT_THROW(m.ReadBuffer(buf, 7), EReadError);
}

TEST(MemoryStream, WritesGrowSetSizeAndClear)
{
    TMemoryStream m;
    m.SetPosition(4);
    m.WriteBuffer("xy", 2);  // the gap is zero-filled
    EXPECT_EQ(QByteArray(static_cast<const char*>(m.Memory()), int(m.Size())), QByteArray("\0\0\0\0xy", 6));
    m.SetSize(3);
    EXPECT_EQ(m.Size(), 3);
    EXPECT_EQ(m.Position(), 3);  // a position past the new end moves to it
    m.SetSize(5);
    EXPECT_EQ(QByteArray(static_cast<const char*>(m.Memory()), 5), QByteArray(5, '\0'));
    EXPECT_THROW(m.SetSize(-1), EStreamError);
    m.SetPosition(std::numeric_limits<int64_t>::max() - 1);
    EXPECT_THROW(m.Write("abc", 3), EStreamError);  // position + count overflows
    EXPECT_EQ(m.Size(), 5);
    m.Clear();
    EXPECT_EQ(m.Size(), 0);
    EXPECT_EQ(m.Position(), 0);
    // Many small writes.
    for (int i = 0; i < 100000; ++i)
        m.WriteBuffer(&i, sizeof i);
    EXPECT_EQ(m.Size(), int64_t(100000 * sizeof(int)));
    int last = 0;
    m.Seek(-int64_t(sizeof last), soEnd);
    m.ReadBuffer(&last, sizeof last);
    EXPECT_EQ(last, 99999);
}

TEST(MemoryStream, FilesAndStreams)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath("m.bin");
    TMemoryStream m;
    m.WriteBytes(QByteArray("\x00\x01\xFF payload", 11));
    m.SetPosition(3);
    m.SaveToFile(path);  // the whole content, whatever the position
    EXPECT_EQ(FileBytes(path), QByteArray("\x00\x01\xFF payload", 11));
    TMemoryStream back;
    back.LoadFromFile(path);
    EXPECT_EQ(back.Size(), 11);
    EXPECT_EQ(std::memcmp(back.Memory(), m.Memory(), 11), 0);
    EXPECT_THROW(back.LoadFromFile(dir.filePath("absent")), EFOpenError);
    EXPECT_EQ(back.Size(), 11);
    TMemoryStream copy;
    m.SetPosition(5);
    copy.LoadFromStream(&m);  // reads the source from its beginning
    EXPECT_EQ(copy.Size(), 11);
}

TEST(StreamCopy, CopyFromCountAndWhole)
{
    TBytesStream source(QByteArray("0123456789"));
    TMemoryStream dest;
    source.SetPosition(2);
    EXPECT_EQ(dest.CopyFrom(&source, 3), 3);
    EXPECT_EQ(source.Position(), 5);
    EXPECT_EQ(dest.CopyFrom(&source, 0), 10);  // 0: the whole source from its start
    TBytesStream check;
    check.CopyFrom(&dest, 0);
    EXPECT_EQ(check.Bytes(), "2340123456789");
    source.SetPosition(8);
    EXPECT_THROW(dest.CopyFrom(&source, 5), EReadError);  // the source runs short

    // Larger than the copy buffer, between files.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QByteArray big(300000, '\0');
    for (int i = 0; i < big.size(); ++i)
        big[i] = char(i * 7);
    WriteFile(dir.filePath("big"), big);
    {
        TFileStream in(dir.filePath("big"), fmOpenRead);
        TFileStream out(dir.filePath("copy"), fmCreate);
        EXPECT_EQ(out.CopyFrom(&in, 0), big.size());
    }
    EXPECT_EQ(FileBytes(dir.filePath("copy")), big);
}

TEST(StringStream, TextRoundTrip)
{
    TStringStream s(QStringLiteral("Grüße"));
    EXPECT_EQ(s.Size(), 7);
    EXPECT_EQ(s.Position(), 0);
    EXPECT_EQ(s.ReadString(100), QStringLiteral("Grüße"));
    s.WriteString(QStringLiteral(" 频率"));
    EXPECT_EQ(s.DataString(), QStringLiteral("Grüße 频率"));
    EXPECT_EQ(s.ReadString(10), QString());
}
