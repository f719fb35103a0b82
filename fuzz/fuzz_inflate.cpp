// Fuzz target: the DEFLATE decoder on raw streams, read in odd-sized pieces, checked against
// zlib: both accept the same streams with the same output (unless ours stops at its output
// limit), and both reject the same streams.
#include "skin/theme/Kiv2skinreaderInflate.h"

#include <zlib.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

constexpr size_t kLimit = 1u << 20;

// Hands out the input a few bytes at a time, the count taken from the input's first byte.
class TPieces : public TSk2InputStream {
public:
    TPieces(const uint8_t* d, size_t n, size_t piece) : FData(d), FLeft(n), FPiece(piece) {}
    long Read(uint8_t* buf, size_t n) override
    {
        size_t take = std::min({n, FLeft, FPiece});
        std::memcpy(buf, FData, take);
        FData += take;
        FLeft -= take;
        return long(take);
    }

private:
    const uint8_t* FData;
    size_t FLeft;
    size_t FPiece;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1)
        return 0;
    const size_t piece = data[0] < 128 ? 16384 : 1 + data[0] % 61;
    ++data;
    --size;

    TPieces in(data, size, piece);
    TSk2VectorSink ours;
    const TSk2Status st = Sk2Inflate(in, ours, kLimit);

    static std::vector<uint8_t> ref(kLimit + 1);
    z_stream zs{};
    if (inflateInit2(&zs, -15) != Z_OK)
        return 0;
    zs.next_in = const_cast<Bytef*>(data);
    zs.avail_in = uInt(size);
    zs.next_out = ref.data();
    zs.avail_out = uInt(ref.size());
    const int rc = inflate(&zs, Z_FINISH);
    const size_t refSize = zs.total_out;
    inflateEnd(&zs);

    if (st == TSk2Status::OutputTooLarge || refSize > kLimit)
        return 0;
    const bool zlibOk = rc == Z_STREAM_END;
    if (zlibOk != (st == TSk2Status::Ok))
        __builtin_trap();
    if (zlibOk && (ours.Data.size() != refSize || (refSize && std::memcmp(ours.Data.data(), ref.data(), refSize) != 0)))
        __builtin_trap();
    return 0;
}
