// Framework-free core of the skin reader: status codes, byte sources and sinks, the one bounds
// check every length and offset from a skin file passes, and CRC-32.
// The container walk, the decryption, the inflater and the record chain build on these
// (Kiv2skinreaderZip.h, Kiv2skinreaderInflate.h, Kiv2skinreaderRecords.h).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Outcome of a step of reading a skin file. Everything but Ok and the two password statuses
// makes the reader raise "Failed to read skin file!".
enum class TSk2Status : uint8_t {
    Ok,
    // Skin file and container
    FileMissing,
    ReadError,
    BadMagic,
    NoEndRecord,
    BadDirectory,
    EntryMissing,
    EntryOutOfFile,
    // Password
    PasswordEmpty,
    PasswordWrong,
    // DEFLATE stream
    BadBlockType,
    BadCodeLengths,
    BadCodeSet,
    BadSymbol,
    BadDistance,
    StoredLengthMismatch,
    Truncated,
    OutputTooLarge,
    CrcMismatch,
    WriteError,
    // Skin data file
    BadHeader,
    RecordOutOfFile,
    ValueOutOfFile,
    ChainLoop,
    RecordOverlap,
    ValuesTooLarge,
    BadBitmap,
};

// Short English description of a status, for tools and diagnostics.
const char* Sk2StatusText(TSk2Status s);

// True for the statuses that mean "password problem" (quiet not-loaded reader).
inline bool Sk2IsPasswordProblem(TSk2Status s)
{
    return s == TSk2Status::PasswordEmpty || s == TSk2Status::PasswordWrong;
}

// Largest skin data file the reader inflates, and largest total of bitmap and string values it loads.
constexpr uint64_t SK2_MAX_DATA_SIZE = 64ull * 1024 * 1024;

// The one safety check: [offset, offset + length) lies inside [0, limit). No overflow for any input.
inline bool Sk2RangeInside(uint64_t offset, uint64_t length, uint64_t limit)
{
    return offset <= limit && length <= limit - offset;
}

// Little-endian loads from a byte buffer the caller has bounds-checked.
inline uint16_t Sk2Le16(const uint8_t* p) { return uint16_t(p[0] | (p[1] << 8)); }
inline uint32_t Sk2Le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

// CRC-32 (the ZIP polynomial), continued from crc; start with 0.
uint32_t Sk2Crc32(uint32_t crc, const uint8_t* data, size_t n);

// One raw step of the CRC-32 register (no pre- or post-inversion), as the ZIP encryption keys use it.
uint32_t Sk2Crc32Byte(uint32_t reg, uint8_t b);

// Random-access input of known size.
class TSk2RandomSource {
public:
    virtual ~TSk2RandomSource() = default;
    virtual uint64_t Size() const = 0;
    // Reads exactly n bytes at offset; false when the range is outside Size() or reading fails.
    virtual bool ReadAt(uint64_t offset, void* buf, size_t n) = 0;
};

// Sequential input of the inflater.
class TSk2InputStream {
public:
    virtual ~TSk2InputStream() = default;
    // Reads up to n bytes; returns the count (0 at the end), or -1 on a read error.
    virtual long Read(uint8_t* buf, size_t n) = 0;
};

// Output of the inflater.
class TSk2OutputSink {
public:
    virtual ~TSk2OutputSink() = default;
    // Takes n bytes; false when they cannot be stored.
    virtual bool Write(const uint8_t* data, size_t n) = 0;
};

// A byte range in memory.
class TSk2MemorySource : public TSk2RandomSource {
public:
    TSk2MemorySource(const void* data, size_t size) : FData(static_cast<const uint8_t*>(data)), FSize(size) {}
    uint64_t Size() const override { return FSize; }
    bool ReadAt(uint64_t offset, void* buf, size_t n) override;

private:
    const uint8_t* FData;
    size_t FSize;
};

// An open file descriptor, read with pread; the size is taken once at construction.
class TSk2FdSource : public TSk2RandomSource {
public:
    explicit TSk2FdSource(int fd);
    bool Valid() const { return FValid; }
    uint64_t Size() const override { return FSize; }
    bool ReadAt(uint64_t offset, void* buf, size_t n) override;

private:
    int FFd;
    uint64_t FSize = 0;
    bool FValid = false;
};

// Sequential reading of [start, start + length) of a random source.
class TSk2RangeStream : public TSk2InputStream {
public:
    TSk2RangeStream(TSk2RandomSource& src, uint64_t start, uint64_t length) : FSrc(src), FPos(start), FLeft(length) {}
    long Read(uint8_t* buf, size_t n) override;

private:
    TSk2RandomSource& FSrc;
    uint64_t FPos;
    uint64_t FLeft;
};

// Sequential reading of a memory buffer.
class TSk2MemoryStream : public TSk2InputStream {
public:
    TSk2MemoryStream(const void* data, size_t size) : FData(static_cast<const uint8_t*>(data)), FLeft(size) {}
    long Read(uint8_t* buf, size_t n) override;

private:
    const uint8_t* FData;
    size_t FLeft;
};

// Output appended to a vector.
class TSk2VectorSink : public TSk2OutputSink {
public:
    bool Write(const uint8_t* data, size_t n) override;
    std::vector<uint8_t> Data;
};

// Output written to a file descriptor.
class TSk2FdSink : public TSk2OutputSink {
public:
    explicit TSk2FdSink(int fd) : FFd(fd) {}
    bool Write(const uint8_t* data, size_t n) override;

private:
    int FFd;
};

// Passes output on while counting it and keeping its CRC-32.
class TSk2CrcSink : public TSk2OutputSink {
public:
    explicit TSk2CrcSink(TSk2OutputSink& next) : FNext(next) {}
    bool Write(const uint8_t* data, size_t n) override;
    uint32_t Crc() const { return FCrc; }
    uint64_t Count() const { return FCount; }

private:
    TSk2OutputSink& FNext;
    uint32_t FCrc = 0;
    uint64_t FCount = 0;
};
