#include "skin/theme/Kiv2skinreaderCore.h"

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

const char* Sk2StatusText(TSk2Status s)
{
    switch (s) {
    case TSk2Status::Ok: return "ok";
    case TSk2Status::FileMissing: return "skin file not found";
    case TSk2Status::ReadError: return "read error";
    case TSk2Status::BadMagic: return "not a skin file (no \"SK\" signature)";
    case TSk2Status::NoEndRecord: return "no end-of-central-directory record in the last 22 bytes";
    case TSk2Status::BadDirectory: return "central directory damaged or outside the file";
    case TSk2Status::EntryMissing: return "no entry SKINDATA.SK2";
    case TSk2Status::EntryOutOfFile: return "entry data outside the file";
    case TSk2Status::PasswordEmpty: return "the entry is encrypted and no password was given";
    case TSk2Status::PasswordWrong: return "wrong password";
    case TSk2Status::BadBlockType: return "invalid DEFLATE block type";
    case TSk2Status::BadCodeLengths: return "invalid code lengths in a dynamic block";
    case TSk2Status::BadCodeSet: return "invalid Huffman code set";
    case TSk2Status::BadSymbol: return "invalid symbol in the compressed data";
    case TSk2Status::BadDistance: return "match distance beyond the data decoded so far";
    case TSk2Status::StoredLengthMismatch: return "stored block LEN and NLEN disagree";
    case TSk2Status::Truncated: return "compressed data truncated";
    case TSk2Status::OutputTooLarge: return "skin data larger than 64 MiB";
    case TSk2Status::CrcMismatch: return "CRC-32 of the skin data does not match";
    case TSk2Status::WriteError: return "cannot write the temporary file";
    case TSk2Status::BadHeader: return "invalid skin data header";
    case TSk2Status::RecordOutOfFile: return "record outside the skin data";
    case TSk2Status::ValueOutOfFile: return "value outside the skin data";
    case TSk2Status::ChainLoop: return "record chain loops";
    case TSk2Status::RecordOverlap: return "records overlap";
    case TSk2Status::ValuesTooLarge: return "values too large in total";
    case TSk2Status::BadBitmap: return "a bitmap value is not a valid Windows bitmap";
    }
    return "unknown status";
}

namespace {

// Slicing-by-8 tables for the reflected polynomial 0xEDB88320.
struct TCrcTables {
    std::array<std::array<uint32_t, 256>, 8> T{};
    TCrcTables()
    {
        for (uint32_t i = 0; i < 256; ++i) {
            uint32_t c = i;
            for (int k = 0; k < 8; ++k)
                c = (c & 1) ? (c >> 1) ^ 0xEDB88320u : c >> 1;
            T[0][i] = c;
        }
        for (uint32_t i = 0; i < 256; ++i)
            for (int s = 1; s < 8; ++s)
                T[s][i] = (T[s - 1][i] >> 8) ^ T[0][T[s - 1][i] & 0xFF];
    }
};

const TCrcTables& CrcTables()
{
    static const TCrcTables t;
    return t;
}

}  // namespace

uint32_t Sk2Crc32(uint32_t crc, const uint8_t* p, size_t n)
{
    const auto& T = CrcTables().T;
    crc = ~crc;
    while (n >= 8) {
        uint32_t lo = crc ^ Sk2Le32(p);
        uint32_t hi = Sk2Le32(p + 4);
        crc = T[7][lo & 0xFF] ^ T[6][(lo >> 8) & 0xFF] ^ T[5][(lo >> 16) & 0xFF] ^ T[4][lo >> 24] ^
              T[3][hi & 0xFF] ^ T[2][(hi >> 8) & 0xFF] ^ T[1][(hi >> 16) & 0xFF] ^ T[0][hi >> 24];
        p += 8;
        n -= 8;
    }
    while (n--)
        crc = (crc >> 8) ^ T[0][(crc ^ *p++) & 0xFF];
    return ~crc;
}

uint32_t Sk2Crc32Byte(uint32_t reg, uint8_t b)
{
    return (reg >> 8) ^ CrcTables().T[0][(reg ^ b) & 0xFF];
}

bool TSk2MemorySource::ReadAt(uint64_t offset, void* buf, size_t n)
{
    if (!Sk2RangeInside(offset, n, FSize))
        return false;
    if (n)
        std::memcpy(buf, FData + offset, n);
    return true;
}

TSk2FdSource::TSk2FdSource(int fd) : FFd(fd)
{
    struct stat st;
    if (fd >= 0 && ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && st.st_size >= 0) {
        FSize = uint64_t(st.st_size);
        FValid = true;
    }
}

bool TSk2FdSource::ReadAt(uint64_t offset, void* buf, size_t n)
{
    if (!FValid || !Sk2RangeInside(offset, n, FSize))
        return false;
    auto* out = static_cast<uint8_t*>(buf);
    while (n > 0) {
        ssize_t r = ::pread(FFd, out, n, off_t(offset));
        if (r < 0 && errno == EINTR)
            continue;
        if (r <= 0)
            return false;  // error, or the file shrank under us
        out += r;
        offset += uint64_t(r);
        n -= size_t(r);
    }
    return true;
}

long TSk2RangeStream::Read(uint8_t* buf, size_t n)
{
    size_t take = FLeft < n ? size_t(FLeft) : n;
    if (take == 0)
        return 0;
    if (!FSrc.ReadAt(FPos, buf, take))
        return -1;
    FPos += take;
    FLeft -= take;
    return long(take);
}

long TSk2MemoryStream::Read(uint8_t* buf, size_t n)
{
    size_t take = FLeft < n ? FLeft : n;
    if (take)
        std::memcpy(buf, FData, take);
    FData += take;
    FLeft -= take;
    return long(take);
}

bool TSk2VectorSink::Write(const uint8_t* data, size_t n)
{
    Data.insert(Data.end(), data, data + n);
    return true;
}

bool TSk2FdSink::Write(const uint8_t* data, size_t n)
{
    while (n > 0) {
        ssize_t w = ::write(FFd, data, n);
        if (w < 0 && errno == EINTR)
            continue;
        if (w <= 0)
            return false;
        data += w;
        n -= size_t(w);
    }
    return true;
}

bool TSk2CrcSink::Write(const uint8_t* data, size_t n)
{
    FCrc = Sk2Crc32(FCrc, data, n);
    FCount += n;
    return FNext.Write(data, n);
}
