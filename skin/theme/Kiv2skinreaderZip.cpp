#include "skin/theme/Kiv2skinreaderZip.h"

#include "skin/theme/Kiv2skinreaderInflate.h"

#include <algorithm>
#include <cstring>

namespace {

bool NameIsSkinEntry(const uint8_t* name, size_t n)
{
    const size_t want = std::strlen(SK2_ENTRY_NAME);
    if (n != want)
        return false;
    for (size_t i = 0; i < n; ++i) {
        uint8_t c = name[i];
        if (c >= 'a' && c <= 'z')
            c = uint8_t(c - 'a' + 'A');
        if (c != uint8_t(SK2_ENTRY_NAME[i]))
            return false;
    }
    return true;
}

}  // namespace

TSk2Status Sk2FindSkinEntry(TSk2RandomSource& File, TSk2ZipEntry& Entry)
{
    const uint64_t size = File.Size();
    uint8_t magic[4];
    if (size < 4 || !File.ReadAt(0, magic, 4) || magic[0] != 'S' || magic[1] != 'K')
        return TSk2Status::BadMagic;

    // The end record fills the last 22 bytes exactly: no archive comment.
    if (size < SK2_EOCD_SIZE)
        return TSk2Status::NoEndRecord;
    const uint64_t endPos = size - SK2_EOCD_SIZE;
    uint8_t eocd[SK2_EOCD_SIZE];
    if (!File.ReadAt(endPos, eocd, sizeof eocd))
        return TSk2Status::ReadError;
    if (Sk2Le32(eocd) != SK2_EOCD_SIGNATURE || Sk2Le16(eocd + 20) != 0)
        return TSk2Status::NoEndRecord;

    // The end record bounds the walk twice: the directory lies wholly before the end record, and
    // no more entries are read than it counts. Every entry must carry the directory signature, so
    // a file of zeros fails at its first entry instead of reading as empty entries.
    const uint16_t count = Sk2Le16(eocd + 10);
    const uint64_t cdSize = Sk2Le32(eocd + 12);
    const uint64_t cdStart = Sk2Le32(eocd + 16);
    if (!Sk2RangeInside(cdStart, cdSize, endPos))
        return TSk2Status::BadDirectory;
    const uint64_t cdEnd = cdStart + cdSize;
    const size_t wantLen = std::strlen(SK2_ENTRY_NAME);
    uint64_t pos = cdStart;
    bool found = false;
    uint8_t cd[SK2_CENTRAL_SIZE];
    uint8_t name[16];
    for (unsigned i = 0; i < count; ++i) {
        if (!Sk2RangeInside(pos, SK2_CENTRAL_SIZE, cdEnd))
            return TSk2Status::BadDirectory;
        if (!File.ReadAt(pos, cd, sizeof cd))
            return TSk2Status::ReadError;
        if (Sk2Le32(cd) != SK2_CENTRAL_SIGNATURE)
            return TSk2Status::BadDirectory;
        const uint16_t nameLen = Sk2Le16(cd + 28);
        const uint64_t entryLen = SK2_CENTRAL_SIZE + uint64_t(nameLen) + Sk2Le16(cd + 30) + Sk2Le16(cd + 32);
        if (!Sk2RangeInside(pos, entryLen, cdEnd))
            return TSk2Status::BadDirectory;
        // Only a name of the right length can match; others are not even read.
        if (nameLen == wantLen) {
            if (!File.ReadAt(pos + SK2_CENTRAL_SIZE, name, nameLen))
                return TSk2Status::ReadError;
            if (NameIsSkinEntry(name, nameLen)) {
                found = true;
                break;
            }
        }
        pos += entryLen;
    }
    if (!found)
        return TSk2Status::EntryMissing;

    Entry.Flags = Sk2Le16(cd + 8);
    Entry.Method = Sk2Le16(cd + 10);
    Entry.ModTime = Sk2Le16(cd + 12);
    Entry.ModDate = Sk2Le16(cd + 14);
    Entry.Crc = Sk2Le32(cd + 16);
    Entry.CompressedSize = Sk2Le32(cd + 20);
    Entry.UncompressedSize = Sk2Le32(cd + 24);
    Entry.LocalHeaderOffset = Sk2Le32(cd + 42);

    // The local header's own name and extra lengths say where the data begins.
    uint8_t local[SK2_LOCAL_SIZE];
    if (!Sk2RangeInside(Entry.LocalHeaderOffset, SK2_LOCAL_SIZE, endPos))
        return TSk2Status::EntryOutOfFile;
    if (!File.ReadAt(Entry.LocalHeaderOffset, local, sizeof local))
        return TSk2Status::ReadError;
    Entry.DataOffset = uint64_t(Entry.LocalHeaderOffset) + SK2_LOCAL_SIZE + Sk2Le16(local + 26) + Sk2Le16(local + 28);
    if (!Sk2RangeInside(Entry.DataOffset, Entry.CompressedSize, endPos))
        return TSk2Status::EntryOutOfFile;
    return TSk2Status::Ok;
}

TSk2ZipCrypto::TSk2ZipCrypto(const std::string& Password)
{
    FKeys[0] = 0x12345678u;
    FKeys[1] = 0x23456789u;
    FKeys[2] = 0x34567890u;
    for (unsigned char c : Password)
        Update(c);
}

inline uint8_t TSk2ZipCrypto::StreamByte() const
{
    const uint32_t t = (FKeys[2] | 2u) & 0xFFFFu;
    return uint8_t((t * (t ^ 1u)) >> 8);
}

inline void TSk2ZipCrypto::Update(uint8_t plain)
{
    FKeys[0] = Sk2Crc32Byte(FKeys[0], plain);
    FKeys[1] = (FKeys[1] + (FKeys[0] & 0xFFu)) * 134775813u + 1u;
    FKeys[2] = Sk2Crc32Byte(FKeys[2], uint8_t(FKeys[1] >> 24));
}

uint8_t TSk2ZipCrypto::Decrypt(uint8_t c)
{
    const uint8_t p = c ^ StreamByte();
    Update(p);
    return p;
}

uint8_t TSk2ZipCrypto::Encrypt(uint8_t p)
{
    const uint8_t c = p ^ StreamByte();
    Update(p);
    return c;
}

void TSk2ZipCrypto::Decrypt(uint8_t* data, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        data[i] = Decrypt(data[i]);
}

void TSk2ZipCrypto::Encrypt(uint8_t* data, size_t n)
{
    for (size_t i = 0; i < n; ++i)
        data[i] = Encrypt(data[i]);
}

long TSk2DecryptStream::Read(uint8_t* buf, size_t n)
{
    size_t done = 0;
    while (done < n) {
        if (FPos == FEnd) {
            const long got = FIn.Read(FBuf, BlockSize);
            if (got < 0)
                return -1;
            if (got == 0)
                break;
            FCrypto.Decrypt(FBuf, size_t(got));
            FPos = 0;
            FEnd = size_t(got);
        }
        const size_t take = std::min(n - done, FEnd - FPos);
        std::memcpy(buf + done, FBuf + FPos, take);
        FPos += take;
        done += take;
    }
    return long(done);
}

TSk2Status Sk2ExtractSkinData(TSk2RandomSource& File, const std::string& Password, TSk2OutputSink& Out, uint64_t Limit)
{
    TSk2ZipEntry entry;
    TSk2Status st = Sk2FindSkinEntry(File, entry);
    if (st != TSk2Status::Ok)
        return st;

    TSk2CrcSink crcOut(Out);
    TSk2Inflater inflater;
    if (entry.Flags & SK2_FLAG_ENCRYPTED) {
        if (Password.empty())
            return TSk2Status::PasswordEmpty;
        if (entry.CompressedSize < SK2_CRYPT_HEADER_SIZE)
            return TSk2Status::Truncated;
        TSk2ZipCrypto crypto(Password);
        uint8_t header[SK2_CRYPT_HEADER_SIZE];
        if (!File.ReadAt(entry.DataOffset, header, sizeof header))
            return TSk2Status::ReadError;
        crypto.Decrypt(header, sizeof header);
        const uint8_t check = (entry.Flags & SK2_FLAG_DESCRIPTOR) ? uint8_t(entry.ModTime >> 8) : uint8_t(entry.Crc >> 24);
        if (header[SK2_CRYPT_HEADER_SIZE - 1] != check)
            return TSk2Status::PasswordWrong;
        TSk2RangeStream raw(File, entry.DataOffset + SK2_CRYPT_HEADER_SIZE, entry.CompressedSize - SK2_CRYPT_HEADER_SIZE);
        TSk2DecryptStream plain(raw, crypto);
        st = inflater.Run(plain, crcOut, Limit);
    } else {
        TSk2RangeStream raw(File, entry.DataOffset, entry.CompressedSize);
        st = inflater.Run(raw, crcOut, Limit);
    }
    if (st != TSk2Status::Ok)
        return st;
    // Catches damaged data, and a wrong password whose check byte matched by chance. Past the
    // check byte nothing tells a wrong password from damage, so both are a read failure, as when
    // the inflater is the one to notice.
    if (crcOut.Crc() != entry.Crc)
        return TSk2Status::CrcMismatch;
    return TSk2Status::Ok;
}
