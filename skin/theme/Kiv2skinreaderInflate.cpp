#include "skin/theme/Kiv2skinreaderInflate.h"

#include <algorithm>
#include <cstring>

namespace {

constexpr uint16_t kLenBase[29] = {3,  4,  5,  6,  7,  8,  9,  10, 11,  13,  15,  17,  19,  23, 27,
                                   31, 35, 43, 51, 59, 67, 83, 99, 115, 131, 163, 195, 227, 258};
constexpr uint8_t kLenExtra[29] = {0, 0, 0, 0, 0, 0, 0, 0, 1, 1, 1, 1, 2, 2, 2,
                                   2, 3, 3, 3, 3, 4, 4, 4, 4, 5, 5, 5, 5, 0};
constexpr uint16_t kDistBase[30] = {1,   2,   3,   4,   5,   7,    9,    13,   17,   25,   33,   49,   65,    97,    129,
                                    193, 257, 385, 513, 769, 1025, 1537, 2049, 3073, 4097, 6145, 8193, 12289, 16385, 24577};
constexpr uint8_t kDistExtra[30] = {0, 0, 0, 0, 1, 1, 2, 2, 3, 3, 4, 4, 5, 5, 6,
                                    6, 7, 7, 8, 8, 9, 9, 10, 10, 11, 11, 12, 12, 13, 13};
// Order in which a dynamic block lists the code-length code's lengths.
constexpr uint8_t kCodeLenOrder[19] = {16, 17, 18, 0, 8, 7, 9, 6, 10, 5, 11, 4, 12, 3, 13, 2, 14, 1, 15};

constexpr unsigned kMaxBits = 15;
constexpr unsigned kMaxCodeLenBits = 7;
constexpr unsigned kMaxLitCodes = 286;   // a dynamic block may declare at most this many
constexpr unsigned kMaxDistCodes = 30;
constexpr unsigned kFixedLitCodes = 288; // the fixed code also assigns 286 and 287, which are invalid
constexpr unsigned kFixedDistCodes = 32; // ... and 30 and 31
// Zero bytes the bit reader may feed past the end of the input before the stream counts as truncated.
constexpr unsigned kMaxFakeBytes = 16;
// Room past the window and its match slack for the 8-byte match copy.
constexpr size_t kCopySlack = 16;

unsigned ExtraBits(THuffmanTree::TKind kind, unsigned sym)
{
    if (kind == THuffmanTree::hkLiteralLength)
        return (sym >= 257 && sym <= 285) ? kLenExtra[sym - 257] : 0;
    if (kind == THuffmanTree::hkDistance)
        return sym < 30 ? kDistExtra[sym] : 0;
    return 0;
}

struct TFixedTrees {
    THuffmanTree Lit;
    THuffmanTree Dist;
    TFixedTrees()
    {
        uint8_t lens[kFixedLitCodes];
        std::fill(lens + 0, lens + 144, 8);
        std::fill(lens + 144, lens + 256, 9);
        std::fill(lens + 256, lens + 280, 7);
        std::fill(lens + 280, lens + 288, 8);
        Lit.Build(lens, kFixedLitCodes, kMaxBits, THuffmanTree::hkLiteralLength);
        std::fill(lens, lens + kFixedDistCodes, 5);
        Dist.Build(lens, kFixedDistCodes, kMaxBits, THuffmanTree::hkDistance);
    }
};

const TFixedTrees& FixedTrees()
{
    static const TFixedTrees trees;
    return trees;
}

// Built when the unit starts, so no decoding pays for it.
[[maybe_unused]] const TFixedTrees& gFixedAtStart = FixedTrees();

}  // namespace

const THuffmanTree& Sk2FixedLiteralTree() { return FixedTrees().Lit; }
const THuffmanTree& Sk2FixedDistanceTree() { return FixedTrees().Dist; }

TSk2Status THuffmanTree::Build(const uint8_t* Lengths, unsigned Count, unsigned MaxAllowed, TKind Kind)
{
    unsigned blCount[kMaxBits + 1] = {};
    unsigned m = 0;
    if (MaxAllowed > kMaxBits)
        MaxAllowed = kMaxBits;
    for (unsigned i = 0; i < Count; ++i) {
        unsigned len = Lengths[i];
        if (len > MaxAllowed)
            return TSk2Status::BadCodeSet;
        ++blCount[len];
        m = std::max(m, len);
    }
    blCount[0] = 0;

    // Kraft sum: left < 0 is over-subscribed, left > 0 incomplete.
    long left = 1;
    unsigned used = 0;
    for (unsigned len = 1; len <= m; ++len) {
        left = (left << 1) - long(blCount[len]);
        if (left < 0)
            return TSk2Status::BadCodeSet;
        used += blCount[len];
    }
    if (Kind == hkLiteralLength && (Count <= 256 || Lengths[256] == 0))
        return TSk2Status::BadCodeSet;
    const bool complete = left == 0;
    if (!complete) {
        const bool single = used == 1 && m == 1;
        const bool empty = used == 0;
        if (Kind == hkCodeLengths || !(single || (empty && Kind == hkDistance)))
            return TSk2Status::BadCodeSet;
    }

    FMaxLen = m;
    const size_t size = size_t(1) << m;
    if (complete)
        FTable.resize(size);
    else
        FTable.assign(size, EmptyEntry);

    unsigned nextCode[kMaxBits + 2] = {};
    unsigned code = 0;
    for (unsigned len = 1; len <= m; ++len) {
        code = (code + blCount[len - 1]) << 1;
        nextCode[len] = code;
    }
    uint32_t* table = FTable.data();
    for (unsigned sym = 0; sym < Count; ++sym) {
        const unsigned len = Lengths[sym];
        if (len == 0)
            continue;
        unsigned c = nextCode[len]++;
        unsigned rev = 0;
        for (unsigned b = 0; b < len; ++b) {
            rev = (rev << 1) | (c & 1);
            c >>= 1;
        }
        const uint32_t entry = uint32_t(sym) | (uint32_t(len) << 16) | (uint32_t(ExtraBits(Kind, sym)) << 24);
        for (size_t i = rev; i < size; i += size_t(1) << len)
            table[i] = entry;
    }
    return TSk2Status::Ok;
}

TSk2Inflater::TSk2Inflater()
    : FInBuf(new uint8_t[InputBlock]), FWindow(new uint8_t[WindowSize + MaxMatch + kCopySlack])
{
}

TSk2Inflater::~TSk2Inflater() = default;

void TSk2Inflater::Fail(TSk2Status s) { throw TAbort{s}; }

// Reads the next input block.
void TSk2Inflater::FillBlock()
{
    FInPos = FInEnd = 0;
    if (FInEof)
        return;
    long got = FIn->Read(FInBuf.get(), InputBlock);
    if (got < 0) {
        FInError = true;
        FInEof = true;
        return;
    }
    if (got == 0)
        FInEof = true;
    FInEnd = size_t(got);
}

// A 32-bit word assembled byte by byte across block boundaries; past the end of the input the
// missing bytes are zeros, counted so that consuming them is reported as truncation.
uint32_t TSk2Inflater::SlowWord()
{
    uint32_t w = 0;
    for (unsigned i = 0; i < 4; ++i) {
        if (FInPos == FInEnd)
            FillBlock();
        uint32_t b = 0;
        if (FInPos < FInEnd) {
            b = FInBuf[FInPos++];
        } else {
            if (FInError)
                Fail(TSk2Status::ReadError);
            if (++FFakeBytes > kMaxFakeBytes)
                Fail(TSk2Status::Truncated);
        }
        w |= b << (8 * i);
    }
    return w;
}

inline void TSk2Inflater::Refill()
{
    if (FBitCount < 32) {
        uint32_t w;
        if (FInEnd - FInPos >= 4) {
            w = Sk2Le32(FInBuf.get() + FInPos);
            FInPos += 4;
        } else {
            w = SlowWord();
        }
        FBitBuf |= uint64_t(w) << FBitCount;
        FBitCount += 32;
    }
}

inline uint32_t TSk2Inflater::Bits(unsigned n)
{
    Refill();
    const uint32_t v = uint32_t(FBitBuf & ((uint64_t(1) << n) - 1));
    FBitBuf >>= n;
    FBitCount -= n;
    return v;
}

inline unsigned TSk2Inflater::Decode(const THuffmanTree& t)
{
    Refill();
    const uint32_t e = t.Table()[FBitBuf & ((uint64_t(1) << t.MaxLen()) - 1)];
    if (e == THuffmanTree::EmptyEntry)
        Fail(TSk2Status::BadSymbol);
    const unsigned len = THuffmanTree::EntryLength(e);
    FBitBuf >>= len;
    FBitCount -= len;
    return THuffmanTree::EntrySymbol(e);
}

// Consuming any of the zero bytes fed past the end of the input means the stream was cut short.
void TSk2Inflater::CheckOverrun()
{
    if (uint64_t(FFakeBytes) * 8 > FBitCount)
        Fail(FInError ? TSk2Status::ReadError : TSk2Status::Truncated);
}

// Writes the first half of the window once the write position has passed its end (or, at the end
// of the stream, everything).
void TSk2Inflater::Flush(bool final)
{
    const size_t n = final ? FPos : FlushSize;
    if (FFlushed + FPos > FLimit)
        Fail(TSk2Status::OutputTooLarge);
    if (n && !FOut->Write(FWindow.get(), n))
        Fail(TSk2Status::WriteError);
    FFlushed += n;
    if (final) {
        FPos = 0;
    } else {
        std::memmove(FWindow.get(), FWindow.get() + FlushSize, FPos - FlushSize);
        FPos -= FlushSize;
    }
}

void TSk2Inflater::StoredBlock()
{
    // Skip to the byte boundary, then LEN and NLEN.
    const unsigned drop = FBitCount & 7;
    FBitBuf >>= drop;
    FBitCount -= drop;
    const uint32_t len = Bits(16);
    const uint32_t nlen = Bits(16);
    if (len != (~nlen & 0xFFFFu))
        Fail(TSk2Status::StoredLengthMismatch);
    CheckOverrun();

    uint32_t left = len;
    // Whole bytes still in the bit buffer come first; the fake ones at its top must not be used.
    while (left > 0 && FBitCount > 0) {
        if (FBitCount / 8 <= FFakeBytes)
            Fail(FInError ? TSk2Status::ReadError : TSk2Status::Truncated);
        FWindow[FPos++] = uint8_t(FBitBuf);
        FBitBuf >>= 8;
        FBitCount -= 8;
        --left;
        if (FPos >= WindowSize)
            Flush(false);
    }
    while (left > 0) {
        if (FInPos == FInEnd) {
            FillBlock();
            if (FInPos == FInEnd)
                Fail(FInError ? TSk2Status::ReadError : TSk2Status::Truncated);
        }
        size_t n = std::min<size_t>({left, FInEnd - FInPos, WindowSize - FPos});
        std::memcpy(FWindow.get() + FPos, FInBuf.get() + FInPos, n);
        FPos += n;
        FInPos += n;
        left -= uint32_t(n);
        if (FPos >= WindowSize)
            Flush(false);
    }
}

void TSk2Inflater::DynamicTrees()
{
    const unsigned hlit = Bits(5) + 257;
    const unsigned hdist = Bits(5) + 1;
    const unsigned hclen = Bits(4) + 4;
    if (hlit > kMaxLitCodes || hdist > kMaxDistCodes)
        Fail(TSk2Status::BadCodeLengths);

    uint8_t clens[19] = {};
    for (unsigned i = 0; i < hclen; ++i)
        clens[kCodeLenOrder[i]] = uint8_t(Bits(3));
    if (FCodeLen.Build(clens, 19, kMaxCodeLenBits, THuffmanTree::hkCodeLengths) != TSk2Status::Ok)
        Fail(TSk2Status::BadCodeSet);

    uint8_t lens[kMaxLitCodes + kMaxDistCodes] = {};
    const unsigned total = hlit + hdist;
    unsigned i = 0;
    while (i < total) {
        const unsigned sym = Decode(FCodeLen);
        if (sym < 16) {
            lens[i++] = uint8_t(sym);
            continue;
        }
        uint8_t value = 0;
        unsigned repeat;
        if (sym == 16) {
            if (i == 0)
                Fail(TSk2Status::BadCodeLengths);  // nothing to repeat
            value = lens[i - 1];
            repeat = 3 + Bits(2);
        } else if (sym == 17) {
            repeat = 3 + Bits(3);
        } else {
            repeat = 11 + Bits(7);
        }
        if (repeat > total - i)
            Fail(TSk2Status::BadCodeLengths);  // runs past HLIT + HDIST
        std::memset(lens + i, value, repeat);
        i += repeat;
    }
    CheckOverrun();
    if (FLit.Build(lens, hlit, kMaxBits, THuffmanTree::hkLiteralLength) != TSk2Status::Ok ||
        FDist.Build(lens + hlit, hdist, kMaxBits, THuffmanTree::hkDistance) != TSk2Status::Ok)
        Fail(TSk2Status::BadCodeSet);
}

void TSk2Inflater::HuffmanBlock(const THuffmanTree& lit, const THuffmanTree& dist)
{
    const uint32_t* litTable = lit.Table();
    const uint64_t litMask = (uint64_t(1) << lit.MaxLen()) - 1;
    const uint32_t* distTable = dist.Table();
    const uint64_t distMask = (uint64_t(1) << dist.MaxLen()) - 1;
    uint8_t* const win = FWindow.get();

    for (;;) {
        if (FPos >= WindowSize)
            Flush(false);
        Refill();
        uint32_t e = litTable[FBitBuf & litMask];
        if (e == THuffmanTree::EmptyEntry)
            Fail(TSk2Status::BadSymbol);
        unsigned n = THuffmanTree::EntryLength(e);
        FBitBuf >>= n;
        FBitCount -= n;
        unsigned sym = THuffmanTree::EntrySymbol(e);
        if (sym < 256) {
            win[FPos++] = uint8_t(sym);
            // A second literal from the same refill when enough bits are left.
            if (FBitCount >= kMaxBits) {
                e = litTable[FBitBuf & litMask];
                if (e != THuffmanTree::EmptyEntry && THuffmanTree::EntrySymbol(e) < 256) {
                    n = THuffmanTree::EntryLength(e);
                    FBitBuf >>= n;
                    FBitCount -= n;
                    win[FPos++] = uint8_t(THuffmanTree::EntrySymbol(e));
                }
            }
            continue;
        }
        if (sym == 256)
            break;
        if (sym > 285)
            Fail(TSk2Status::BadSymbol);
        // Length: base plus extra bits (at most 5; at least 17 bits are left after a 15-bit code).
        n = THuffmanTree::EntryExtra(e);
        const unsigned length = kLenBase[sym - 257] + unsigned(FBitBuf & ((uint64_t(1) << n) - 1));
        FBitBuf >>= n;
        FBitCount -= n;

        Refill();
        e = distTable[FBitBuf & distMask];
        if (e == THuffmanTree::EmptyEntry)
            Fail(TSk2Status::BadSymbol);
        n = THuffmanTree::EntryLength(e);
        FBitBuf >>= n;
        FBitCount -= n;
        sym = THuffmanTree::EntrySymbol(e);
        if (sym > 29)
            Fail(TSk2Status::BadSymbol);
        n = THuffmanTree::EntryExtra(e);
        const unsigned distance = kDistBase[sym] + unsigned(FBitBuf & ((uint64_t(1) << n) - 1));
        FBitBuf >>= n;
        FBitCount -= n;
        if (distance > FFlushed + FPos)
            Fail(TSk2Status::BadDistance);

        // The window keeps at least 32,768 bytes behind the write position once it has flushed,
        // so the source lies inside it; FPos < 65,536 here, so the match fits the slack.
        uint8_t* dst = win + FPos;
        const uint8_t* src = dst - distance;
        if (distance >= 8) {
            uint8_t* const end = dst + length;
            do {
                std::memcpy(dst, src, 8);
                dst += 8;
                src += 8;
            } while (dst < end);
        } else if (distance == 1) {
            std::memset(dst, *src, length);
        } else {
            for (unsigned k = 0; k < length; ++k)
                dst[k] = src[k];
        }
        FPos += length;
    }
}

TSk2Status TSk2Inflater::Run(TSk2InputStream& In, TSk2OutputSink& Out, uint64_t Limit)
{
    FIn = &In;
    FOut = &Out;
    FLimit = Limit;
    FInPos = FInEnd = 0;
    FInEof = FInError = false;
    FFakeBytes = 0;
    FBitBuf = 0;
    FBitCount = 0;
    FPos = 0;
    FFlushed = 0;
    try {
        bool last = false;
        while (!last) {
            last = Bits(1) != 0;
            const unsigned type = Bits(2);
            switch (type) {
            case 0:
                StoredBlock();
                break;
            case 1:
                HuffmanBlock(Sk2FixedLiteralTree(), Sk2FixedDistanceTree());
                break;
            case 2:
                DynamicTrees();
                HuffmanBlock(FLit, FDist);
                break;
            default:
                Fail(TSk2Status::BadBlockType);
            }
            CheckOverrun();
        }
        Flush(true);
    } catch (const TAbort& a) {
        // A stream that only looks malformed because it ran into the zero bytes fed past its end
        // was cut short.
        const bool dataError = a.Status != TSk2Status::OutputTooLarge && a.Status != TSk2Status::WriteError &&
                               a.Status != TSk2Status::ReadError;
        if (dataError && uint64_t(FFakeBytes) * 8 > FBitCount)
            return FInError ? TSk2Status::ReadError : TSk2Status::Truncated;
        return a.Status;
    }
    return TSk2Status::Ok;
}

TSk2Status Sk2Inflate(TSk2InputStream& In, TSk2OutputSink& Out, uint64_t Limit)
{
    TSk2Inflater inflater;
    return inflater.Run(In, Out, Limit);
}
