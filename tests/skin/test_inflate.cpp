// The skin reader's DEFLATE decoder: Huffman tables, malformed streams built bit by bit, and
// differential decoding against zlib.
#include "skin/theme/Kiv2skinreaderInflate.h"
#include "tests/skin/SkinTestKit.h"

#include <gtest/gtest.h>
#include <random>
#include <zlib.h>

using namespace skintest;

namespace {

TSk2Status InflateBytes(const std::vector<uint8_t>& in, std::vector<uint8_t>* out = nullptr,
                        uint64_t limit = SK2_MAX_DATA_SIZE)
{
    TSk2MemoryStream src(in.data(), in.size());
    TSk2VectorSink sink;
    const TSk2Status st = Sk2Inflate(src, sink, limit);
    if (out)
        *out = sink.Data;
    return st;
}

// Literal/length lengths for a dynamic block: the given symbols get the given lengths.
std::vector<int> Lens(size_t n, std::initializer_list<std::pair<int, int>> set)
{
    std::vector<int> l(n, 0);
    for (auto [sym, len] : set)
        l[size_t(sym)] = len;
    return l;
}

// A dynamic block whose literal/length and distance lengths are spelled literally, then the
// given body writer.
std::vector<uint8_t> DynamicBlock(const std::vector<int>& lit, const std::vector<int>& dist,
                                  const std::function<void(TBitWriter&, const std::vector<uint32_t>&,
                                                           const std::vector<uint32_t>&)>& body)
{
    TBitWriter w;
    w.Header(true, 2);
    std::vector<int> all = lit;
    all.insert(all.end(), dist.begin(), dist.end());
    DynamicHeader(w, int(lit.size()), int(dist.size()), PlainClLens(), 19, Literally(all));
    body(w, CanonicalCodes(lit), CanonicalCodes(dist));
    return w.Finish();
}

}  // namespace

TEST(HuffmanTree, TableEntriesPackSymbolLengthAndExtraBits)
{
    // Lengths 2,1,3,3 for symbols 0..3: codes 10, 0, 110, 111 (RFC 1951's example).
    const uint8_t lens[4] = {2, 1, 3, 3};
    THuffmanTree t;
    ASSERT_EQ(t.Build(lens, 4, 15, THuffmanTree::hkCodeLengths), TSk2Status::Ok);
    ASSERT_EQ(t.MaxLen(), 3u);
    ASSERT_EQ(t.TableSize(), 8u);
    // Index = next 3 input bits, first bit in bit 0; code bits come most significant first.
    for (unsigned idx = 0; idx < 8; ++idx) {
        const uint32_t e = t.Table()[idx];
        unsigned expectSym, expectLen;
        if ((idx & 1) == 0) {
            expectSym = 1, expectLen = 1;            // code 0
        } else if ((idx & 2) == 0) {
            expectSym = 0, expectLen = 2;            // code 10
        } else {
            expectSym = (idx & 4) ? 3 : 2;           // 111 / 110
            expectLen = 3;
        }
        EXPECT_EQ(THuffmanTree::EntrySymbol(e), expectSym) << idx;
        EXPECT_EQ(THuffmanTree::EntryLength(e), expectLen) << idx;
        EXPECT_EQ(THuffmanTree::EntryExtra(e), 0u) << idx;
    }
}

TEST(HuffmanTree, ExtraBitsFromFirstLengthAndDistanceSymbol)
{
    const THuffmanTree& lit = Sk2FixedLiteralTree();
    const THuffmanTree& dist = Sk2FixedDistanceTree();
    ASSERT_EQ(lit.MaxLen(), 9u);
    ASSERT_EQ(dist.MaxLen(), 5u);
    std::vector<unsigned> litExtra(288, 99), distExtra(32, 99);
    for (size_t i = 0; i < lit.TableSize(); ++i)
        litExtra[THuffmanTree::EntrySymbol(lit.Table()[i])] = THuffmanTree::EntryExtra(lit.Table()[i]);
    for (size_t i = 0; i < dist.TableSize(); ++i)
        distExtra[THuffmanTree::EntrySymbol(dist.Table()[i])] = THuffmanTree::EntryExtra(dist.Table()[i]);
    EXPECT_EQ(litExtra[65], 0u);
    EXPECT_EQ(litExtra[256], 0u);
    EXPECT_EQ(litExtra[264], 0u);
    EXPECT_EQ(litExtra[265], 1u);
    EXPECT_EQ(litExtra[284], 5u);
    EXPECT_EQ(litExtra[285], 0u);
    EXPECT_EQ(distExtra[0], 0u);
    EXPECT_EQ(distExtra[4], 1u);
    EXPECT_EQ(distExtra[29], 13u);
}

TEST(HuffmanTree, CodeSetsDeflateAllowsAndRefuses)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Lens;
        THuffmanTree::TKind Kind;
        bool Ok;
    };
    std::vector<uint8_t> eobOnly(257, 0);
    eobOnly[256] = 1;
    std::vector<uint8_t> noEob(257, 0);
    noEob[0] = noEob[1] = 1;
    const std::vector<Case> cases = {
        {"complete", {1, 2, 2}, THuffmanTree::hkDistance, true},
        {"over-subscribed", {1, 1, 1}, THuffmanTree::hkDistance, false},
        {"incomplete", {1, 2}, THuffmanTree::hkDistance, false},
        {"single distance code of length 1", {0, 0, 1}, THuffmanTree::hkDistance, true},
        {"single distance code of length 2", {0, 2}, THuffmanTree::hkDistance, false},
        {"no distance codes", {0, 0, 0}, THuffmanTree::hkDistance, true},
        {"empty code-length code", {0, 0, 0}, THuffmanTree::hkCodeLengths, false},
        {"single code-length code", {1, 0, 0}, THuffmanTree::hkCodeLengths, false},
        {"literal set of only end-of-block", eobOnly, THuffmanTree::hkLiteralLength, true},
        {"literal set without end-of-block", noEob, THuffmanTree::hkLiteralLength, false},
        {"length above the maximum", {8, 1}, THuffmanTree::hkCodeLengths, false},
    };
    for (const auto& c : cases) {
        THuffmanTree t;
        const unsigned maxAllowed = c.Kind == THuffmanTree::hkCodeLengths ? 7 : 15;
        EXPECT_EQ(t.Build(c.Lens.data(), unsigned(c.Lens.size()), maxAllowed, c.Kind) == TSk2Status::Ok, c.Ok) << c.Name;
    }
}

TEST(HuffmanTree, UnreachedEntriesAreAllOnes)
{
    const uint8_t lens[3] = {0, 1, 0};
    THuffmanTree t;
    ASSERT_EQ(t.Build(lens, 3, 15, THuffmanTree::hkDistance), TSk2Status::Ok);
    ASSERT_EQ(t.TableSize(), 2u);
    EXPECT_EQ(THuffmanTree::EntrySymbol(t.Table()[0]), 1u);
    EXPECT_EQ(t.Table()[1], THuffmanTree::EmptyEntry);

    const uint8_t none[2] = {0, 0};
    ASSERT_EQ(t.Build(none, 2, 15, THuffmanTree::hkDistance), TSk2Status::Ok);
    ASSERT_EQ(t.TableSize(), 1u);
    EXPECT_EQ(t.Table()[0], THuffmanTree::EmptyEntry);
}

TEST(Inflate, HandBuiltStreamsOfEachBlockKind)
{
    // Stored "hi", fixed "abcabcabc" via a match, dynamic "zz", in one stream.
    TBitWriter w;
    w.Header(false, 0);
    w.Align();
    w.Bits(2, 16);
    w.Bits(0xFFFD, 16);
    w.Byte('h');
    w.Byte('i');
    w.Header(false, 1);
    for (char c : std::string("abc"))
        w.FixedLit(c);
    w.FixedLit(258);  // length 4
    w.FixedDist(2);   // distance 3
    w.FixedLit(257);  // length 3
    w.FixedDist(4);   // distance 5 or 6: 1 extra bit
    w.Bits(1, 1);     // distance 6: "bca"
    w.FixedLit(256);
    std::vector<int> lit = Lens(257, {{'z', 1}, {256, 1}});
    std::vector<int> dist = {0};
    w.Header(true, 2);
    std::vector<int> all = lit;
    all.insert(all.end(), dist.begin(), dist.end());
    DynamicHeader(w, 257, 1, PlainClLens(), 19, Literally(all));
    const auto codes = CanonicalCodes(lit);
    w.Code(codes['z'], 1);
    w.Code(codes['z'], 1);
    w.Code(codes[256], 1);
    std::vector<uint8_t> out;
    ASSERT_EQ(InflateBytes(w.Finish(), &out), TSk2Status::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "hiabcabcabcazz");
}

TEST(Inflate, MalformedStreamsFail)
{
    struct Case {
        const char* Name;
        std::vector<uint8_t> Stream;
        TSk2Status Expect;
    };
    std::vector<Case> cases;
    auto add = [&](const char* name, std::vector<uint8_t> s, TSk2Status st) { cases.push_back({name, std::move(s), st}); };

    add("empty input", {}, TSk2Status::Truncated);
    {
        TBitWriter w;
        w.Header(true, 3);
        add("block type 3", w.Finish(), TSk2Status::BadBlockType);
    }
    {
        TBitWriter w;
        w.Header(true, 0);
        w.Align();
        w.Bits(5, 16);
        w.Bits(5, 16);
        add("stored LEN and NLEN disagree", w.Finish(), TSk2Status::StoredLengthMismatch);
    }
    {
        TBitWriter w;
        w.Header(true, 0);
        w.Align();
        w.Bits(10, 16);
        w.Bits(~10u & 0xFFFF, 16);
        for (int i = 0; i < 5; ++i)
            w.Byte('x');
        add("stored block cut short", w.Finish(), TSk2Status::Truncated);
    }
    for (int sym : {286, 287}) {
        TBitWriter w;
        w.Header(true, 1);
        w.FixedLit(sym);
        add(sym == 286 ? "fixed symbol 286" : "fixed symbol 287", w.Finish(), TSk2Status::BadSymbol);
    }
    for (int d : {30, 31}) {
        TBitWriter w;
        w.Header(true, 1);
        w.FixedLit('a');
        w.FixedLit(257);
        w.FixedDist(d);
        w.FixedLit(256);
        add(d == 30 ? "distance code 30" : "distance code 31", w.Finish(), TSk2Status::BadSymbol);
    }
    {
        TBitWriter w;
        w.Header(true, 1);
        w.FixedLit('a');
        w.FixedLit(257);
        w.FixedDist(1);  // distance 2, one byte decoded
        w.FixedLit(256);
        add("distance beyond the output", w.Finish(), TSk2Status::BadDistance);
    }
    {
        TBitWriter w;
        w.Header(true, 1);
        w.FixedLit(257);
        w.FixedDist(0);
        add("match before any output", w.Finish(), TSk2Status::BadDistance);
    }
    {
        TBitWriter w;
        w.Header(true, 1);
        for (int i = 0; i < 40; ++i)
            w.FixedLit('q');
        add("no end of block", w.Finish(), TSk2Status::Truncated);
    }
    {
        TBitWriter w;
        w.Header(false, 1);
        w.FixedLit(256);
        add("no final block", w.Finish(), TSk2Status::Truncated);
    }
    {
        TBitWriter w;
        w.Header(true, 2);
        w.Bits(30, 5);  // HLIT 287
        w.Bits(0, 5);
        w.Bits(15, 4);
        add("more than 286 literal/length codes", w.Finish(), TSk2Status::BadCodeLengths);
    }
    {
        TBitWriter w;
        w.Header(true, 2);
        w.Bits(0, 5);
        w.Bits(30, 5);  // HDIST 31
        w.Bits(15, 4);
        add("more than 30 distance codes", w.Finish(), TSk2Status::BadCodeLengths);
    }
    {
        TBitWriter w;
        w.Header(true, 2);
        std::vector<int> cl(19, 0);
        cl[0] = cl[1] = cl[2] = 1;
        DynamicHeader(w, 257, 1, cl, 19, {});
        add("over-subscribed code-length code", w.Finish(), TSk2Status::BadCodeSet);
    }
    {
        TBitWriter w;
        w.Header(true, 2);
        std::vector<int> cl(19, 0);
        cl[1] = 1;
        DynamicHeader(w, 257, 1, cl, 19, {});
        add("incomplete code-length code", w.Finish(), TSk2Status::BadCodeSet);
    }
    {
        TBitWriter w;
        w.Header(true, 2);
        DynamicHeader(w, 257, 1, PlainClLens(), 19, {{16, 0}});
        add("repeat with no previous length", w.Finish(), TSk2Status::BadCodeLengths);
    }
    {
        TBitWriter w;
        w.Header(true, 2);
        // 257 + 1 lengths: 1, then 138 + 118 zeros = 257, then a zero-repeat of 3 runs past 258.
        DynamicHeader(w, 257, 1, PlainClLens(), 19, {{1}, {18, 127}, {18, 107}, {17, 0}});
        add("repeat past HLIT + HDIST", w.Finish(), TSk2Status::BadCodeLengths);
    }
    add("literal/length code without end-of-block",
        DynamicBlock(Lens(257, {{'a', 1}, {'b', 1}}), {1, 1}, [](TBitWriter&, auto&, auto&) {}), TSk2Status::BadCodeSet);
    add("over-subscribed literal/length code",
        DynamicBlock(Lens(257, {{'a', 1}, {'b', 1}, {256, 1}}), {1, 1}, [](TBitWriter&, auto&, auto&) {}),
        TSk2Status::BadCodeSet);
    add("incomplete literal/length code",
        DynamicBlock(Lens(257, {{'a', 2}, {256, 2}}), {1, 1}, [](TBitWriter&, auto&, auto&) {}), TSk2Status::BadCodeSet);
    add("over-subscribed distance code",
        DynamicBlock(Lens(257, {{'a', 1}, {256, 1}}), {1, 1, 1}, [](TBitWriter&, auto&, auto&) {}), TSk2Status::BadCodeSet);
    add("incomplete distance code",
        DynamicBlock(Lens(257, {{'a', 1}, {256, 1}}), {1, 2}, [](TBitWriter&, auto&, auto&) {}), TSk2Status::BadCodeSet);
    add("match with no distance codes",
        DynamicBlock(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), {0},
                     [](TBitWriter& w, auto& lc, auto&) {
                         w.Code(lc['a'], 1);
                         w.Code(lc[257], 2);
                         w.Bits(0, 8);
                     }),
        TSk2Status::BadSymbol);
    add("unreached code of a single-code distance set",
        DynamicBlock(Lens(258, {{'a', 1}, {256, 2}, {257, 2}}), {0, 1},
                     [](TBitWriter& w, auto& lc, auto&) {
                         w.Code(lc['a'], 1);
                         w.Code(lc[257], 2);
                         w.Code(1, 1);  // the code no distance symbol owns
                         w.Bits(0, 8);
                     }),
        TSk2Status::BadSymbol);
    {
        TBitWriter w;
        w.Header(true, 2);
        w.Bits(0, 5);
        w.Bits(0, 5);
        add("dynamic header cut short", w.Finish(), TSk2Status::Truncated);
    }

    for (const auto& c : cases) {
        EXPECT_EQ(InflateBytes(c.Stream), c.Expect) << c.Name;
        // The same stream read one byte at a time must fail the same way.
        TChunkedStream src(c.Stream, 1);
        TSk2VectorSink sink;
        EXPECT_EQ(Sk2Inflate(src, sink), c.Expect) << c.Name << " (byte by byte)";
    }
}

TEST(Inflate, LegalUnusualCodeSets)
{
    std::vector<uint8_t> out;
    // Only an end-of-block code (a single code of length 1) and no distance codes.
    ASSERT_EQ(InflateBytes(DynamicBlock(Lens(257, {{256, 1}}), {0},
                                        [](TBitWriter& w, auto& lc, auto&) { w.Code(lc[256], 1); }),
                           &out),
              TSk2Status::Ok);
    EXPECT_TRUE(out.empty());

    // No distance codes and no match.
    ASSERT_EQ(InflateBytes(DynamicBlock(Lens(257, {{'k', 1}, {256, 1}}), {0},
                                        [](TBitWriter& w, auto& lc, auto&) {
                                            w.Code(lc['k'], 1);
                                            w.Code(lc[256], 1);
                                        }),
                           &out),
              TSk2Status::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "k");

    // A single distance code of length 1, used by a match.
    ASSERT_EQ(InflateBytes(DynamicBlock(Lens(258, {{'m', 1}, {256, 2}, {257, 2}}), {1},
                                        [](TBitWriter& w, auto& lc, auto&) {
                                            w.Code(lc['m'], 1);
                                            w.Code(lc[257], 2);  // length 3
                                            w.Code(0, 1);        // distance 1
                                            w.Code(lc[256], 2);
                                        }),
                           &out),
              TSk2Status::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), "mmmm");
}

TEST(Inflate, OutputLimit)
{
    std::vector<uint8_t> zeros(200000, 0);
    const auto stream = KvDeflateRaw(zeros.data(), zeros.size());
    EXPECT_EQ(InflateBytes(stream, nullptr, 100000), TSk2Status::OutputTooLarge);
    EXPECT_EQ(InflateBytes(stream, nullptr, 200000), TSk2Status::Ok);

    // The default limit: 64 MiB inflate, one byte more does not.
    std::vector<uint8_t> big(SK2_MAX_DATA_SIZE + 1, 'a');
    const auto bigStream = KvDeflateRaw(big.data(), big.size(), 1);
    big.clear();
    big.shrink_to_fit();
    struct TCountSink : TSk2OutputSink {
        uint64_t N = 0;
        bool Write(const uint8_t*, size_t n) override { N += n; return true; }
    } sink;
    TSk2MemoryStream src(bigStream.data(), bigStream.size());
    EXPECT_EQ(Sk2Inflate(src, sink), TSk2Status::OutputTooLarge);
    EXPECT_LE(sink.N, SK2_MAX_DATA_SIZE);
}

TEST(Inflate, TrailingBytesAfterTheFinalBlockAreIgnored)
{
    const std::string text = "trailing data test, trailing data test";
    auto stream = KvDeflateRaw(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    stream.insert(stream.end(), {0xDE, 0xAD, 0xBE, 0xEF, 0x01});
    std::vector<uint8_t> out;
    ASSERT_EQ(InflateBytes(stream, &out), TSk2Status::Ok);
    EXPECT_EQ(std::string(out.begin(), out.end()), text);
}

TEST(Inflate, TruncatedZlibStreamsFail)
{
    std::mt19937 rng(7);
    std::vector<uint8_t> data(100000);
    for (auto& b : data)
        b = uint8_t("abcdefgh"[rng() % 8]);
    const auto stream = KvDeflateRaw(data.data(), data.size());
    for (size_t cut : {size_t(1), size_t(2), stream.size() / 3, stream.size() / 2, stream.size() - 2, stream.size() - 1}) {
        std::vector<uint8_t> part(stream.begin(), stream.begin() + long(cut));
        EXPECT_EQ(InflateBytes(part), TSk2Status::Truncated) << "cut at " << cut << " of " << stream.size();
    }
}

// Data of several kinds, from a fixed seed.
std::vector<uint8_t> MakeData(int kind, size_t n, std::mt19937& rng)
{
    std::vector<uint8_t> d(n);
    switch (kind) {
    case 0:  // random bytes
        for (auto& b : d)
            b = uint8_t(rng());
        break;
    case 1: {  // words, like text
        static const char* words[] = {"skin ", "bitmap ", "title ", "frame ", "button ", "colour ", "\n", "SKIN2_"};
        size_t i = 0;
        while (i < n) {
            const char* w = words[rng() % 8];
            for (; *w && i < n; ++w)
                d[i++] = uint8_t(*w);
        }
        break;
    }
    case 2:  // runs
        for (size_t i = 0; i < n;) {
            const uint8_t v = uint8_t(rng() % 4);
            size_t len = 1 + rng() % 300;
            for (; len && i < n; --len)
                d[i++] = v;
        }
        break;
    default:  // bitmap-like rows: gradients with noise
        for (size_t i = 0; i < n; ++i)
            d[i] = uint8_t((i % 96) * 2 + (rng() % 3));
        break;
    }
    return d;
}

TEST(Inflate, MatchesZlibOnRandomDataOfAllBlockKinds)
{
    std::mt19937 rng(20240601);
    const size_t sizes[] = {0, 1, 2, 100, 65535, 65536, 65537, 131072 + 17, 300000};
    const int levels[] = {0, 1, 6, 9};
    const int strategies[] = {Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED};
    int runs = 0;
    for (size_t n : sizes) {
        for (int kind = 0; kind < 4; ++kind) {
            const auto data = MakeData(kind, n, rng);
            for (int level : levels) {
                for (int strategy : strategies) {
                    if (level == 0 && strategy != Z_DEFAULT_STRATEGY)
                        continue;
                    const auto stream = KvDeflateRaw(data.data(), data.size(), level, strategy);
                    // zlib's own decoder agrees on the stream.
                    std::vector<uint8_t> ref(n + 1);
                    z_stream zs{};
                    inflateInit2(&zs, -15);
                    zs.next_in = const_cast<Bytef*>(stream.data());
                    zs.avail_in = uInt(stream.size());
                    zs.next_out = ref.data();
                    zs.avail_out = uInt(ref.size());
                    ASSERT_EQ(inflate(&zs, Z_FINISH), Z_STREAM_END);
                    ref.resize(zs.total_out);
                    inflateEnd(&zs);

                    std::vector<uint8_t> out;
                    ASSERT_EQ(InflateBytes(stream, &out), TSk2Status::Ok)
                        << "n=" << n << " kind=" << kind << " level=" << level << " strategy=" << strategy;
                    ASSERT_EQ(out, ref) << "n=" << n << " kind=" << kind << " level=" << level << " strategy=" << strategy;
                    ++runs;
                }
            }
            // Odd input chunks cross the decoder's block and word boundaries.
            const auto stream = KvDeflateRaw(data.data(), data.size(), 6);
            TChunkedStream src(stream, 1 + rng() % 13);
            TSk2VectorSink sink;
            ASSERT_EQ(Sk2Inflate(src, sink), TSk2Status::Ok);
            ASSERT_EQ(sink.Data, data);
        }
    }
    EXPECT_GT(runs, 0);
}

TEST(Inflate, ReadErrorsAreReported)
{
    struct TFailing : TSk2InputStream {
        long Read(uint8_t*, size_t) override { return -1; }
    } src;
    TSk2VectorSink sink;
    EXPECT_EQ(Sk2Inflate(src, sink), TSk2Status::ReadError);

    struct TRefusing : TSk2OutputSink {
        bool Write(const uint8_t*, size_t) override { return false; }
    } refuse;
    const std::string text = "x";
    const auto stream = KvDeflateRaw(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    TSk2MemoryStream in(stream.data(), stream.size());
    EXPECT_EQ(Sk2Inflate(in, refuse), TSk2Status::WriteError);
}
