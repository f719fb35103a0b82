// The skin reader's DEFLATE decoder (RFC 1951): THuffmanTree full lookup tables and the inflater.
#pragma once

#include "framework/System.h"
#include "skin/theme/Kiv2skinreaderCore.h"

#include <memory>
#include <vector>

// Decoding table of one Huffman code: 2^MaxLen 32-bit entries, indexed by the next MaxLen input
// bits (least significant first). An entry packs the symbol (bits 0-15), the code length
// (bits 16-23) and the number of extra bits that follow the code (bits 24-31); entries no code
// reaches are all ones.
class THuffmanTree : public TObject {
public:
    enum TKind {
        hkCodeLengths,    // the code-length code of a dynamic block; must be complete
        hkLiteralLength,  // literal/length code; needs an end-of-block code (256)
        hkDistance,       // distance code; may be empty or a single code of length 1
    };

    static constexpr uint32_t EmptyEntry = 0xFFFFFFFFu;

    // Builds the table from count code lengths (0 = symbol unused), none longer than MaxAllowed.
    // Returns BadCodeSet for an over-subscribed set, or an incomplete one DEFLATE does not allow
    // (the only incomplete sets allowed are a single code of length 1, and no code at all for
    // distances), or a literal/length set without an end-of-block code.
    TSk2Status Build(const uint8_t* Lengths, unsigned Count, unsigned MaxAllowed, TKind Kind);

    unsigned MaxLen() const { return FMaxLen; }
    const uint32_t* Table() const { return FTable.data(); }
    size_t TableSize() const { return FTable.size(); }

    static unsigned EntrySymbol(uint32_t e) { return e & 0xFFFFu; }
    static unsigned EntryLength(uint32_t e) { return (e >> 16) & 0xFFu; }
    static unsigned EntryExtra(uint32_t e) { return e >> 24; }

    String ClassName() const override { return QStringLiteral("THuffmanTree"); }

private:
    unsigned FMaxLen = 0;
    std::vector<uint32_t> FTable;
};

// Inflates one DEFLATE stream. Input is read in blocks of up to 16384 bytes and taken least
// significant bit first from 32-bit little-endian words; output goes through a 65,536-byte window
// (plus room for one match) and is written 32,768 bytes at a time. Reusable; not thread-safe.
class TSk2Inflater {
public:
    TSk2Inflater();
    ~TSk2Inflater();
    TSk2Inflater(const TSk2Inflater&) = delete;
    TSk2Inflater& operator=(const TSk2Inflater&) = delete;

    // Inflates the whole stream from In to Out. Fails on any malformed stream, on a stream that
    // ends early, when the output would pass Limit bytes, and on read or write errors.
    TSk2Status Run(TSk2InputStream& In, TSk2OutputSink& Out, uint64_t Limit = SK2_MAX_DATA_SIZE);

    // Bytes written by the last Run.
    uint64_t TotalOut() const { return FFlushed; }

    static constexpr size_t InputBlock = 16384;
    static constexpr size_t WindowSize = 65536;
    static constexpr size_t FlushSize = 32768;
    static constexpr size_t MaxMatch = 258;

private:
    struct TAbort {
        TSk2Status Status;
    };

    void Fail(TSk2Status s);
    void FillBlock();
    uint32_t SlowWord();
    void Refill();
    uint32_t Bits(unsigned n);
    unsigned Decode(const THuffmanTree& t);
    void CheckOverrun();
    void Flush(bool final);
    void StoredBlock();
    void DynamicTrees();
    void HuffmanBlock(const THuffmanTree& lit, const THuffmanTree& dist);

    TSk2InputStream* FIn = nullptr;
    TSk2OutputSink* FOut = nullptr;
    uint64_t FLimit = 0;

    std::unique_ptr<uint8_t[]> FInBuf;
    size_t FInPos = 0;
    size_t FInEnd = 0;
    bool FInEof = false;
    bool FInError = false;
    unsigned FFakeBytes = 0;  // zero bytes fed to the bit buffer past the end of the input

    uint64_t FBitBuf = 0;
    unsigned FBitCount = 0;

    std::unique_ptr<uint8_t[]> FWindow;
    size_t FPos = 0;
    uint64_t FFlushed = 0;

    THuffmanTree FLit;
    THuffmanTree FDist;
    THuffmanTree FCodeLen;
};

// The fixed-code tables (literal/length and distance), built once when the unit starts.
const THuffmanTree& Sk2FixedLiteralTree();
const THuffmanTree& Sk2FixedDistanceTree();

// Convenience: inflates In into Out with a fresh inflater.
TSk2Status Sk2Inflate(TSk2InputStream& In, TSk2OutputSink& Out, uint64_t Limit = SK2_MAX_DATA_SIZE);
