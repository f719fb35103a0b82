// The skin file container and the skin data chain, below the reader: the "SK" archive walk,
// the traditional PKWARE decryption, CRC checking and the record chain, all bounds-checked.
#include "skin/theme/Kiv2skinreaderRecords.h"
#include "skin/theme/Kiv2skinreaderZip.h"
#include "tests/skin/SkinTestKit.h"

#include <QTemporaryDir>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <unistd.h>

using namespace skintest;

namespace {

TSk2Status Extract(const std::vector<uint8_t>& file, const std::string& password, std::vector<uint8_t>* data = nullptr)
{
    TSk2MemorySource src(file.data(), file.size());
    TSk2VectorSink sink;
    const TSk2Status st = Sk2ExtractSkinData(src, password, sink);
    if (data)
        *data = sink.Data;
    return st;
}

std::vector<TKvValue> SomeValues()
{
    return {KvIntValue("SKIN2_FORMCOLOR", 0x00C0FFEE), KvFlagValue("SKIN2_BUTTONTRANS", 1),
            KvStringValue("AUTHOR", "someone"), KvBitmapValue("SKIN2_BUTTON", BmpFile(6, 2))};
}

TSk2Status Walk(const std::vector<uint8_t>& data, std::vector<TSk2Value>* values = nullptr)
{
    TSk2MemorySource src(data.data(), data.size());
    std::vector<TSk2Value> v;
    const TSk2Status st = Sk2ReadAllValues(src, v);
    if (values)
        *values = v;
    return st;
}

// A skin data file of hand-placed records: each {offset, name, kind, value offset, size, next}.
struct TRec {
    uint32_t At;
    std::string Name;
    uint8_t Kind;
    uint32_t ValueAt, Size, Next;
};
std::vector<uint8_t> HandData(size_t size, uint32_t first, const std::vector<TRec>& recs,
                              const std::vector<std::pair<uint32_t, std::vector<uint8_t>>>& values = {})
{
    std::vector<uint8_t> d(size, 0);
    Put32(d, 12, 24);
    Put32(d, 20, first);
    for (const auto& r : recs) {
        std::copy(r.Name.begin(), r.Name.end(), d.begin() + r.At);
        d[r.At + 64] = r.Kind;
        Put32(d, r.At + 65, r.ValueAt);
        Put32(d, r.At + 69, r.Size);
        Put32(d, r.At + 73, r.Next);
    }
    for (const auto& [at, bytes] : values)
        std::copy(bytes.begin(), bytes.end(), d.begin() + at);
    return d;
}

// One central-directory entry of a hand-built archive. Skin entries describe the real skin
// data at the start of the file; others are empty. Extra and Comment bytes (zeros) follow the
// name as their lengths say.
struct TCdEntry {
    std::string Name;
    bool Skin = false;
    uint32_t Signature = SK2_CENTRAL_SIGNATURE;
    uint16_t Extra = 0;
    uint16_t Comment = 0;
    bool LengthsOnly = false;  // write the extra and comment lengths but not their bytes
};

// The end record's fields; a negative value means "as built".
struct TEndFields {
    int Count = -1;
    int64_t Size = -1;
    int64_t Offset = -1;
};

// A skin archive assembled field by field: the skin entry's local header and deflated data,
// then the directory entries as given, then the end record.
std::vector<uint8_t> HandArchive(const std::vector<TCdEntry>& entries, TEndFields end = {})
{
    const auto data = KvBuildSkinData(SomeValues());
    const auto packed = KvDeflateRaw(data.data(), data.size());
    const uint32_t crc = Sk2Crc32(0, data.data(), data.size());
    std::vector<uint8_t> f(30, 0);
    f[0] = 'S';
    f[1] = 'K';
    f[2] = 3;
    f[3] = 4;
    Put16(f, 8, 8);
    Put32(f, 14, crc);
    Put32(f, 18, uint32_t(packed.size()));
    Put32(f, 22, uint32_t(data.size()));
    Put16(f, 26, 12);
    const std::string skinName = SK2_ENTRY_NAME;
    f.insert(f.end(), skinName.begin(), skinName.end());
    f.insert(f.end(), packed.begin(), packed.end());

    const size_t cdStart = f.size();
    for (const auto& e : entries) {
        const size_t at = f.size();
        f.resize(at + SK2_CENTRAL_SIZE, 0);
        Put32(f, at, e.Signature);
        if (e.Skin) {
            Put16(f, at + 10, 8);
            Put32(f, at + 16, crc);
            Put32(f, at + 20, uint32_t(packed.size()));
            Put32(f, at + 24, uint32_t(data.size()));
        }
        Put16(f, at + 28, uint16_t(e.Name.size()));
        Put16(f, at + 30, e.Extra);
        Put16(f, at + 32, e.Comment);
        f.insert(f.end(), e.Name.begin(), e.Name.end());
        if (!e.LengthsOnly)
            f.resize(f.size() + e.Extra + e.Comment, 0);
    }
    const size_t cdSize = f.size() - cdStart;
    const auto eocd = EndRecord(uint16_t(end.Count >= 0 ? end.Count : int(entries.size())),
                                uint32_t(end.Size >= 0 ? uint64_t(end.Size) : cdSize),
                                uint32_t(end.Offset >= 0 ? uint64_t(end.Offset) : cdStart));
    f.insert(f.end(), eocd.begin(), eocd.end());
    return f;
}

}  // namespace

TEST(SkinContainer, DirectoryWalkIsBoundedByTheEndRecord)
{
    const TCdEntry skin{SK2_ENTRY_NAME, true};
    const TCdEntry other{"readme.txt"};
    TCdEntry zeros{"", false, 0};
    TCdEntry wrongSig{"readme.txt", false, 0x02014B53};  // "SK\1\2"
    TCdEntry padded{"notes.txt", false, SK2_CENTRAL_SIGNATURE, 5, 3};
    TCdEntry runaway{"notes.txt", false, SK2_CENTRAL_SIGNATURE, 0xFFFF, 0, true};
    const size_t skinCd = HandArchive({}).size() - 22;  // where the directory starts

    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        TSk2Status Expect;
    };
    const std::vector<Case> cases = {
        {"the skin entry alone", HandArchive({skin}), TSk2Status::Ok},
        {"after other entries", HandArchive({other, other, skin}), TSk2Status::Ok},
        {"after an entry with an extra field and a comment", HandArchive({padded, skin}), TSk2Status::Ok},
        {"an entry count larger than needed", HandArchive({other, skin}, {3}), TSk2Status::Ok},
        {"an entry without the directory signature", HandArchive({wrongSig, skin}), TSk2Status::BadDirectory},
        {"a directory of zeros", HandArchive({zeros, zeros, zeros, skin}), TSk2Status::BadDirectory},
        {"a directory of zeros counted as 65535 entries", HandArchive({zeros, zeros, zeros}, {0xFFFF}),
         TSk2Status::BadDirectory},
        {"the count ends before the skin entry", HandArchive({other, skin}, {1}), TSk2Status::EntryMissing},
        {"no entries counted", HandArchive({skin}, {0}), TSk2Status::EntryMissing},
        {"more entries counted than the directory holds", HandArchive({other, other}, {5}), TSk2Status::BadDirectory},
        {"a directory size too small for one entry", HandArchive({skin}, {-1, 30}), TSk2Status::BadDirectory},
        {"a directory size ending inside the entry name", HandArchive({skin}, {-1, SK2_CENTRAL_SIZE + 4}),
         TSk2Status::BadDirectory},
        {"a directory size running into the end record", HandArchive({skin}, {-1, SK2_CENTRAL_SIZE + 13}),
         TSk2Status::BadDirectory},
        {"a directory size and offset wrapping around", HandArchive({skin}, {-1, 0x20, 0xFFFFFFF0}),
         TSk2Status::BadDirectory},
        {"a directory offset inside the skin data", HandArchive({skin}, {-1, -1, int64_t(skinCd) - 10}),
         TSk2Status::BadDirectory},
        {"extra field lengths running past the directory", HandArchive({runaway, skin}), TSk2Status::BadDirectory},
    };
    for (const auto& c : cases) {
        TSk2MemorySource src(c.File.data(), c.File.size());
        TSk2VectorSink sink;
        EXPECT_EQ(Sk2ExtractSkinData(src, "", sink), c.Expect) << c.Name;
        if (c.Expect == TSk2Status::Ok) {
            EXPECT_EQ(sink.Data, KvBuildSkinData(SomeValues())) << c.Name;
        }
    }
}

TEST(SkinContainer, SparseFileOfZerosWithAnEndRecordFailsAtOnce)
{
    // 2 GiB that read as zeros, "SK" in front and an end record at the back that claims a
    // directory of 65535 entries spanning the whole file. The walk must stop at the first entry
    // for want of its signature, reading a few hundred bytes, not the file.
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString path = dir.filePath(QStringLiteral("zeros.kvt"));
    const uint64_t size = uint64_t(2) << 30;
    const uint64_t endAt = size - SK2_EOCD_SIZE;
    ASSERT_TRUE(WriteSparse(path, size, {{0, {'S', 'K'}}, {endAt, EndRecord(0xFFFF, uint32_t(endAt - 4), 4)}}));

    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    TSk2FdSource file(fd);
    ASSERT_TRUE(file.Valid());
    TBudgetSource budget(file, 1u << 20);
    TSk2ZipEntry entry;
    EXPECT_EQ(Sk2FindSkinEntry(budget, entry), TSk2Status::BadDirectory);
    EXPECT_LT(budget.BytesRead(), 4096u);
    ::close(fd);
}

TEST(SkinContainer, ExtractsTheSkinData)
{
    const auto data = KvBuildSkinData(SomeValues());
    std::vector<uint8_t> got;
    ASSERT_EQ(Extract(KvBuildArchive(data), ""), TSk2Status::Ok);
    ASSERT_EQ(Extract(KvBuildArchive(data), "", &got), TSk2Status::Ok);
    EXPECT_EQ(got, data);
    // A password is not needed, and not harmful, for an entry that is not encrypted.
    EXPECT_EQ(Extract(KvBuildArchive(data), "unused"), TSk2Status::Ok);
}

TEST(SkinContainer, ContainerProblems)
{
    const auto data = KvBuildSkinData(SomeValues());
    struct Case {
        const char* Name;
        std::vector<uint8_t> File;
        TSk2Status Expect;
    };
    std::vector<Case> cases;
    TKvArchiveOptions o;
    o.Magic = "PK";
    cases.push_back({"an ordinary ZIP archive (\"PK\")", KvBuildArchive(data, o), TSk2Status::BadMagic});
    o = {};
    o.Comment = "made by hand";
    cases.push_back({"an archive comment", KvBuildArchive(data, o), TSk2Status::NoEndRecord});
    o = {};
    o.EntryName = "SKINDATA.SK3";
    cases.push_back({"no SKINDATA.SK2 entry", KvBuildArchive(data, o), TSk2Status::EntryMissing});
    cases.push_back({"empty file", {}, TSk2Status::BadMagic});
    cases.push_back({"only the magic", {'S', 'K', 3, 4}, TSk2Status::NoEndRecord});

    auto good = KvBuildArchive(data);
    const size_t eocd = good.size() - 22;
    auto bad = good;
    Put32(bad, eocd + 16, uint32_t(good.size()));  // directory offset past the end record
    cases.push_back({"directory offset past the end record", bad, TSk2Status::BadDirectory});
    bad = good;
    const uint32_t cd = uint32_t(good[eocd + 16] | good[eocd + 17] << 8 | good[eocd + 18] << 16 | good[eocd + 19] << 24);
    Put16(bad, cd + 28, 0xFFFF);  // name length running into the end record
    cases.push_back({"entry name past the directory", bad, TSk2Status::BadDirectory});
    bad = good;
    Put32(bad, cd + 42, 0xFFFFFFF0u);  // local header offset out of the file
    cases.push_back({"local header outside the file", bad, TSk2Status::EntryOutOfFile});
    bad = good;
    Put32(bad, cd + 20, 0xFFFFFFFFu);  // compressed size larger than the file
    cases.push_back({"compressed size larger than the file", bad, TSk2Status::EntryOutOfFile});
    bad = good;
    Put16(bad, 28, 0xFFFF);  // local extra length pushes the data out of the file
    cases.push_back({"local extra field past the file", bad, TSk2Status::EntryOutOfFile});
    bad = good;
    Put32(bad, cd + 16, 0x12345678);  // CRC-32 that does not match
    cases.push_back({"CRC-32 mismatch", bad, TSk2Status::CrcMismatch});

    for (const auto& c : cases)
        EXPECT_EQ(Extract(c.File, ""), c.Expect) << c.Name;
}

TEST(SkinContainer, EntryNameInAnyCaseAndAfterOtherEntries)
{
    const auto data = KvBuildSkinData(SomeValues());
    for (const char* name : {"skindata.sk2", "SkinData.Sk2", "SKINDATA.SK2"}) {
        TKvArchiveOptions o;
        o.EntryName = name;
        o.LeadingEntries = {"readme.txt", "preview.bmp"};
        std::vector<uint8_t> got;
        EXPECT_EQ(Extract(KvBuildArchive(data, o), "", &got), TSk2Status::Ok) << name;
        EXPECT_EQ(got, data) << name;
    }
}

TEST(SkinContainer, Encryption)
{
    const auto data = KvBuildSkinData(SomeValues());
    for (bool timeCheck : {false, true}) {
        TKvArchiveOptions o;
        o.Password = "s3cret";
        o.CheckByteFromTime = timeCheck;
        const auto file = KvBuildArchive(data, o);
        std::vector<uint8_t> got;
        EXPECT_EQ(Extract(file, "s3cret", &got), TSk2Status::Ok) << timeCheck;
        EXPECT_EQ(got, data);
        EXPECT_EQ(Extract(file, ""), TSk2Status::PasswordEmpty) << timeCheck;
        // A wrong password fails the check byte, or (1 in 256) the inflater or the CRC.
        for (const char* wrong : {"S3cret", "s3cret ", "x", "password"}) {
            const TSk2Status st = Extract(file, wrong);
            EXPECT_NE(st, TSk2Status::Ok) << wrong;
        }
    }
}

TEST(SkinContainer, WrongPasswordPassingTheCheckByteIsCaught)
{
    // Search a password whose check byte matches by chance; the data must then fail to inflate or
    // fail its CRC, never load.
    const auto data = KvBuildSkinData(SomeValues());
    TKvArchiveOptions o;
    o.Password = "right";
    const auto file = KvBuildArchive(data, o);
    int passedCheck = 0;
    for (int i = 0; i < 4000 && passedCheck < 5; ++i) {
        const std::string pw = "wrong" + std::to_string(i);
        const TSk2Status st = Extract(file, pw);
        ASSERT_NE(st, TSk2Status::Ok) << pw;
        if (st != TSk2Status::PasswordWrong)
            ++passedCheck;
    }
    EXPECT_GT(passedCheck, 0);
}

TEST(SkinContainer, EncryptedEntryTooShortForItsHeader)
{
    TKvArchiveOptions o;
    o.Password = "pw";
    auto file = KvBuildArchive(KvBuildSkinData(SomeValues()), o);
    const size_t eocd = file.size() - 22;
    const uint32_t cd = uint32_t(file[eocd + 16] | file[eocd + 17] << 8);
    Put32(file, cd + 20, 5);
    EXPECT_EQ(Extract(file, "pw"), TSk2Status::Truncated);
}

TEST(SkinContainer, ZipCryptoRoundTrip)
{
    std::vector<uint8_t> plain(3000);
    for (size_t i = 0; i < plain.size(); ++i)
        plain[i] = uint8_t(i * 7);
    auto buf = plain;
    TSk2ZipCrypto enc("key");
    enc.Encrypt(buf.data(), buf.size());
    EXPECT_NE(buf, plain);
    // Decrypting through the 1024-byte block stream gives the plain bytes back.
    TSk2MemoryStream raw(buf.data(), buf.size());
    TSk2ZipCrypto dec("key");
    TSk2DecryptStream s(raw, dec);
    std::vector<uint8_t> out(plain.size() + 10);
    size_t got = 0;
    for (long n; (n = s.Read(out.data() + got, 700)) > 0;)
        got += size_t(n);
    out.resize(got);
    EXPECT_EQ(out, plain);
}

TEST(SkinData, ChainOfValuesInFileOrder)
{
    std::vector<TSk2Value> v;
    ASSERT_EQ(Walk(KvBuildSkinData(SomeValues()), &v), TSk2Status::Ok);
    ASSERT_EQ(v.size(), 4u);
    EXPECT_EQ(v[0].Name, "SKIN2_FORMCOLOR");
    EXPECT_EQ(v[0].Kind, sk2Integer);
    EXPECT_EQ(Sk2Le32(v[0].Bytes.data()), 0x00C0FFEEu);
    EXPECT_EQ(v[1].Kind, sk2Flag);
    EXPECT_EQ(v[2].Bytes, std::vector<uint8_t>({'s', 'o', 'm', 'e', 'o', 'n', 'e'}));
    EXPECT_EQ(v[3].Bytes, BmpFile(6, 2));
}

TEST(SkinData, TwoRecordsMakeOneValue)
{
    // header -> record 1 (next = record 2) -> record 2 (next = 0): one value, record 1's.
    const auto d = HandData(24 + 77 + 77 + 8, 24,
                            {{24, "FIRST", sk2Integer, 178, 4, 101}, {101, "SECOND", sk2Integer, 182, 4, 0}},
                            {{178, {7, 0, 0, 0}}, {182, {9, 0, 0, 0}}});
    std::vector<TSk2Value> v;
    ASSERT_EQ(Walk(d, &v), TSk2Status::Ok);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].Name, "FIRST");
    EXPECT_EQ(v[0].Bytes[0], 7);
}

TEST(SkinData, NameFillsAllSixtyFourBytes)
{
    const std::string name(64, 'N');
    const auto d = HandData(24 + 77 + 77 + 1, 24, {{24, name, sk2Flag, 178, 1, 101}, {101, "", 0, 0, 0, 0}},
                            {{178, {2}}});
    std::vector<TSk2Value> v;
    ASSERT_EQ(Walk(d, &v), TSk2Status::Ok);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].Name, name);
}

TEST(SkinData, UnknownKindsAreSkipped)
{
    const auto d = HandData(24 + 77 * 3 + 4, 24,
                            {{24, "ODD", 9, 0xFFFFFFF0u, 0xFFFFFFF0u, 101}, {101, "N", sk2Integer, 255, 4, 178},
                             {178, "", 0, 0, 0, 0}},
                            {{255, {1, 0, 0, 0}}});
    std::vector<TSk2Value> v;
    ASSERT_EQ(Walk(d, &v), TSk2Status::Ok);
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].Name, "N");
}

TEST(SkinData, MalformedChainsFail)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Data;
        TSk2Status Expect;
    };
    std::vector<Case> cases = {
        {"shorter than a header", std::vector<uint8_t>(10, 0), TSk2Status::BadHeader},
        {"record looping to itself", HandData(24 + 77 + 4, 24, {{24, "A", sk2Integer, 101, 4, 24}}), TSk2Status::ChainLoop},
        {"two records looping", HandData(24 + 154 + 4, 24, {{24, "A", sk2Integer, 178, 4, 101}, {101, "B", sk2Integer, 178, 4, 24}}),
         TSk2Status::ChainLoop},
        {"records overlapping", HandData(24 + 154 + 4, 24, {{24, "A", sk2Integer, 178, 4, 60}, {60, "B", sk2Integer, 178, 4, 0}}),
         TSk2Status::RecordOverlap},
        {"first record outside the data", HandData(24 + 77, 1000, {}), TSk2Status::RecordOutOfFile},
        {"first record running past the end", HandData(24 + 77, 30, {}), TSk2Status::RecordOutOfFile},
        {"next record outside the data", HandData(24 + 77 + 4, 24, {{24, "A", sk2Integer, 101, 4, 0x7FFFFFFF}}),
         TSk2Status::RecordOutOfFile},
        {"end record cut short", HandData(24 + 77 + 40, 24, {{24, "A", sk2Integer, 101, 4, 105}}),
         TSk2Status::RecordOutOfFile},
        {"integer value outside the data", HandData(24 + 154, 24, {{24, "A", sk2Integer, 176, 4, 101}}),
         TSk2Status::ValueOutOfFile},
        {"flag value outside the data", HandData(24 + 154, 24, {{24, "A", sk2Flag, 178, 1, 101}}), TSk2Status::ValueOutOfFile},
        {"string size past the end", HandData(24 + 154 + 10, 24, {{24, "A", sk2String, 178, 11, 101}}),
         TSk2Status::ValueOutOfFile},
        {"empty bitmap placed past the end", HandData(24 + 154, 24, {{24, "A", sk2Bitmap, 0xB3FFFF67u, 0, 101}}),
         TSk2Status::ValueOutOfFile},
        {"bitmap offset and size wrapping around", HandData(24 + 154 + 10, 24, {{24, "A", sk2Bitmap, 0xFFFFFFF0u, 0x20, 101}}),
         TSk2Status::ValueOutOfFile},
    };
    // Header size field smaller than a header, or larger than the data.
    auto h = KvBuildSkinData(SomeValues());
    Put32(h, 12, 23);
    cases.push_back({"header size below 24", h, TSk2Status::BadHeader});
    Put32(h, 12, uint32_t(h.size() + 1));
    cases.push_back({"header size past the data", h, TSk2Status::BadHeader});

    for (const auto& c : cases)
        EXPECT_EQ(Walk(c.Data), c.Expect) << c.Name;
}

TEST(SkinData, ValuesAddUpToAtMost64MiB)
{
    // 80 records all pointing at the same 1 MiB string: 80 MiB of values from a 1 MiB file.
    const uint32_t n = 80, valueSize = 1u << 20;
    const uint32_t valueAt = 24 + 77 * (n + 1);
    std::vector<TRec> recs;
    for (uint32_t i = 0; i < n; ++i)
        recs.push_back({24 + 77 * i, "S" + std::to_string(i), sk2String, valueAt, valueSize, 24 + 77 * (i + 1)});
    const auto d = HandData(valueAt + valueSize, 24, recs);
    TSk2MemorySource src(d.data(), d.size());
    int visited = 0;
    EXPECT_EQ(Sk2WalkRecords(src, [&](const TSk2Record&) { ++visited; return TSk2Status::Ok; }), TSk2Status::ValuesTooLarge);
    EXPECT_EQ(visited, 64);
}
