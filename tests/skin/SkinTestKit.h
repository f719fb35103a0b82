// Helpers of the skin tests: a DEFLATE bit writer, canonical Huffman codes, skin files in memory
// and on disk, and a fresh temporary directory.
#pragma once

#include "skin/theme/Kiv2skinreaderCore.h"
#include "tools/kvtool/KvSkinWriter.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <cerrno>
#include <cstdint>
#include <fcntl.h>
#include <ostream>
#include <unistd.h>
#include <utility>

// Statuses print as their text in test failures.
inline void PrintTo(TSk2Status s, std::ostream* os) { *os << Sk2StatusText(s); }
#include <string>
#include <vector>

namespace skintest {

// Writes a DEFLATE stream bit by bit: fields least significant bit first, Huffman codes most
// significant bit first, as RFC 1951 packs them.
class TBitWriter {
public:
    void Bits(uint32_t value, int count)
    {
        for (int i = 0; i < count; ++i)
            Bit((value >> i) & 1);
    }
    void Code(uint32_t code, int len)
    {
        for (int i = len - 1; i >= 0; --i)
            Bit((code >> i) & 1);
    }
    void Align()
    {
        while (FCount != 0)
            Bit(0);
    }
    void Byte(uint8_t b) { Bits(b, 8); }
    std::vector<uint8_t> Finish()
    {
        std::vector<uint8_t> out = FOut;
        if (FCount)
            out.push_back(FCur);
        return out;
    }

    // Block header: BFINAL then BTYPE.
    void Header(bool final, int type)
    {
        Bits(final ? 1 : 0, 1);
        Bits(uint32_t(type), 2);
    }
    // A symbol of the fixed literal/length code, and a fixed distance code.
    void FixedLit(int sym)
    {
        if (sym < 144)
            Code(0x30 + sym, 8);
        else if (sym < 256)
            Code(0x190 + (sym - 144), 9);
        else if (sym < 280)
            Code(sym - 256, 7);
        else
            Code(0xC0 + (sym - 280), 8);
    }
    void FixedDist(int code) { Code(uint32_t(code), 5); }

private:
    void Bit(int b)
    {
        FCur |= uint8_t(b << FCount);
        if (++FCount == 8) {
            FOut.push_back(FCur);
            FCur = 0;
            FCount = 0;
        }
    }
    std::vector<uint8_t> FOut;
    uint8_t FCur = 0;
    int FCount = 0;
};

// Canonical codes of RFC 1951 for the given lengths (0 = unused).
inline std::vector<uint32_t> CanonicalCodes(const std::vector<int>& lens)
{
    int blCount[16] = {};
    for (int l : lens)
        if (l)
            ++blCount[l];
    uint32_t next[17] = {};
    uint32_t code = 0;
    for (int b = 1; b <= 15; ++b) {
        code = (code + uint32_t(blCount[b - 1])) << 1;
        next[b] = code;
    }
    std::vector<uint32_t> codes(lens.size(), 0);
    for (size_t i = 0; i < lens.size(); ++i)
        if (lens[i])
            codes[i] = next[lens[i]]++;
    return codes;
}

// Writes a dynamic block header: HLIT/HDIST/HCLEN counts as stored (hlit = 257..., hdist = 1...),
// the code-length code lengths by symbol (written in the permuted order, hclen of them), and
// the code-length symbols with their extra bits.
struct TClSym {
    int Sym;
    uint32_t Extra = 0;
};
inline void DynamicHeader(TBitWriter& w, int hlit, int hdist, const std::vector<int>& clLens, int hclen,
                          const std::vector<TClSym>& seq)
{
    static const int order[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};
    w.Bits(uint32_t(hlit - 257), 5);
    w.Bits(uint32_t(hdist - 1), 5);
    w.Bits(uint32_t(hclen - 4), 4);
    for (int i = 0; i < hclen; ++i)
        w.Bits(uint32_t(clLens[order[i]]), 3);
    const auto codes = CanonicalCodes(clLens);
    for (const auto& s : seq) {
        w.Code(codes[s.Sym], clLens[s.Sym]);
        if (s.Sym == 16)
            w.Bits(s.Extra, 2);
        else if (s.Sym == 17)
            w.Bits(s.Extra, 3);
        else if (s.Sym == 18)
            w.Bits(s.Extra, 7);
    }
}

// Code-length symbols that spell out a list of lengths literally (0..15 each).
inline std::vector<TClSym> Literally(const std::vector<int>& lens)
{
    std::vector<TClSym> seq;
    for (int l : lens)
        seq.push_back({l});
    return seq;
}

// A complete code-length code covering all 19 symbols: length 4 for 0..12, 5 for 13..18
// (13/16 + 6/32 = 1).
inline std::vector<int> PlainClLens()
{
    std::vector<int> l(19, 0);
    for (int i = 0; i <= 12; ++i)
        l[i] = 4;
    for (int i = 13; i <= 18; ++i)
        l[i] = 5;
    return l;
}

// An input stream that hands out at most Chunk bytes per read, to cross every block boundary.
class TChunkedStream : public TSk2InputStream {
public:
    TChunkedStream(const std::vector<uint8_t>& data, size_t chunk) : FData(data), FChunk(chunk) {}
    long Read(uint8_t* buf, size_t n) override
    {
        size_t take = std::min({n, FChunk, FData.size() - FPos});
        std::copy(FData.begin() + long(FPos), FData.begin() + long(FPos + take), buf);
        FPos += take;
        return long(take);
    }

private:
    const std::vector<uint8_t>& FData;
    size_t FChunk;
    size_t FPos = 0;
};

// A skin file of the given values with the given archive options.
inline std::vector<uint8_t> SkinFile(const std::vector<TKvValue>& values, const TKvArchiveOptions& o = {})
{
    return KvBuildArchive(KvBuildSkinData(values), o);
}

// A 24-bit Windows bitmap file of w x h pixels of one colour (B, G, R).
inline std::vector<uint8_t> BmpFile(int w, int h, uint8_t b = 0x20, uint8_t g = 0x40, uint8_t r = 0x80)
{
    const int stride = (w * 3 + 3) & ~3;
    const uint32_t dataSize = uint32_t(stride * h);
    std::vector<uint8_t> v;
    auto p16 = [&](uint32_t x) { v.push_back(uint8_t(x)); v.push_back(uint8_t(x >> 8)); };
    auto p32 = [&](uint32_t x) { p16(x & 0xFFFF); p16(x >> 16); };
    v.push_back('B');
    v.push_back('M');
    p32(54 + dataSize);
    p32(0);
    p32(54);
    p32(40);
    p32(uint32_t(w));
    p32(uint32_t(h));
    p16(1);
    p16(24);
    p32(0);
    p32(dataSize);
    p32(2835);
    p32(2835);
    p32(0);
    p32(0);
    for (int y = 0; y < h; ++y) {
        for (int x = 0; x < w; ++x) {
            v.push_back(b);
            v.push_back(g);
            v.push_back(r);
        }
        for (int k = w * 3; k < stride; ++k)
            v.push_back(0);
    }
    return v;
}

inline bool WriteBytes(const QString& path, const std::vector<uint8_t>& bytes)
{
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    return f.write(reinterpret_cast<const char*>(bytes.data()), qint64(bytes.size())) == qint64(bytes.size());
}

inline std::vector<uint8_t> ReadBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    const QByteArray a = f.readAll();
    return std::vector<uint8_t>(a.begin(), a.end());
}

// A sparse file of the given size (the holes read as zeros and take no disk space) with the
// given pieces written at their offsets.
inline bool WriteSparse(const QString& path, uint64_t size, const std::vector<std::pair<uint64_t, std::vector<uint8_t>>>& pieces)
{
    const int fd = ::open(QFile::encodeName(path).constData(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0)
        return false;
    bool ok = ::ftruncate(fd, off_t(size)) == 0;
    for (const auto& [at, bytes] : pieces)
        ok = ok && ::pwrite(fd, bytes.data(), bytes.size(), off_t(at)) == ssize_t(bytes.size());
    return ::close(fd) == 0 && ok;
}

// An end-of-central-directory record: entry count, directory size and offset, no comment.
inline std::vector<uint8_t> EndRecord(uint16_t entries, uint32_t cdSize, uint32_t cdOffset)
{
    std::vector<uint8_t> e(22, 0);
    const uint8_t sig[4] = {0x50, 0x4B, 0x05, 0x06};
    std::copy(sig, sig + 4, e.begin());
    for (int i = 0; i < 2; ++i) {
        e[8 + i] = uint8_t(entries >> (8 * i));
        e[10 + i] = uint8_t(entries >> (8 * i));
    }
    for (int i = 0; i < 4; ++i) {
        e[12 + i] = uint8_t(cdSize >> (8 * i));
        e[16 + i] = uint8_t(cdOffset >> (8 * i));
    }
    return e;
}

// A random source that counts what is read and refuses to read more than a budget, so that a
// walk that reads far more than it should ends at once with a read error.
class TBudgetSource : public TSk2RandomSource {
public:
    TBudgetSource(TSk2RandomSource& inner, uint64_t budget) : FInner(inner), FBudget(budget) {}
    uint64_t Size() const override { return FInner.Size(); }
    bool ReadAt(uint64_t offset, void* buf, size_t n) override
    {
        FRead += n;
        if (FRead > FBudget)
            return false;
        return FInner.ReadAt(offset, buf, n);
    }
    uint64_t BytesRead() const { return FRead; }

private:
    TSk2RandomSource& FInner;
    uint64_t FBudget;
    uint64_t FRead = 0;
};

// Little-endian patching of byte buffers.
inline void Put32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (8 * i));
}
inline void Put16(std::vector<uint8_t>& v, size_t at, uint16_t x)
{
    v[at] = uint8_t(x);
    v[at + 1] = uint8_t(x >> 8);
}

}  // namespace skintest
