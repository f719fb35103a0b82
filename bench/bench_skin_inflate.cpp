// Inflate throughput of the skin reader's decoder against zlib on the same streams.
// Data: about 4 MB, half text-like (words with a skewed frequency), half bitmap-like (24-bit
// rows with gradients, flat areas, shapes and noise), built from a fixed seed and deflated by
// zlib at levels 1, 6 and 9. The two decoders take turns inflating each stream; the best of the
// runs, in thread CPU time (so that other processes on the machine disturb it less), is reported
// in MB/s of output (1 MB = 10^6 bytes), with the ratio ours / zlib.
#include "skin/theme/Kiv2skinreaderInflate.h"

#include <zlib.h>

#include <algorithm>
#include <ctime>
#include <cstdio>
#include <cstring>
#include <random>
#include <vector>

namespace {

std::vector<uint8_t> TextLike(size_t n, std::mt19937& rng)
{
    static const char* words[] = {"the ",    "skin ",   "of ",     "a ",       "window ", "frame ",  "title ",
                                  "button ", "colour ", "bitmap ", "draws ",   "and ",    "with ",   "border ",
                                  "to ",     "is ",     "when ",   "pixels ",  "menu ",   "style ",  "file ",
                                  "reader ", "value ",  "key ",    "record ",  "chain ",  "offset ", "size ",
                                  ".\n",     ", ",      "SKIN2_",  "TkivForm "};
    const size_t count = sizeof words / sizeof *words;
    std::vector<uint8_t> d;
    d.reserve(n);
    std::geometric_distribution<int> pick(0.12);
    while (d.size() < n) {
        const char* w = words[size_t(pick(rng)) % count];
        for (; *w && d.size() < n; ++w)
            d.push_back(uint8_t(*w));
    }
    return d;
}

std::vector<uint8_t> BitmapLike(size_t n, std::mt19937& rng)
{
    std::vector<uint8_t> d;
    d.reserve(n);
    while (d.size() + 3 <= n) {
        const int w = 64 + int(rng() % 400), h = 16 + int(rng() % 120);
        const int kind = int(rng() % 3);
        for (int y = 0; y < h && d.size() < n; ++y) {
            for (int x = 0; x < w && d.size() + 3 <= n; ++x) {
                uint8_t b, g, r;
                if (kind == 0) {  // vertical gradient
                    b = uint8_t(80 + y * 2), g = uint8_t(40 + y), r = uint8_t(20 + y / 2);
                } else if (kind == 1) {  // flat panel with a frame and transparent corners
                    const bool edge = x < 2 || y < 2 || x >= w - 2 || y >= h - 2;
                    const bool corner = (x < 3 || x >= w - 3) && (y < 3 || y >= h - 3);
                    if (corner)
                        b = 255, g = 0, r = 255;
                    else if (edge)
                        b = 60, g = 50, r = 40;
                    else
                        b = 230, g = 225, r = 220;
                } else {  // photo-like noise on a gradient
                    b = uint8_t(x + int(rng() % 16)), g = uint8_t(y * 3 + int(rng() % 16)), r = uint8_t((x ^ y) + int(rng() % 8));
                }
                d.push_back(b);
                d.push_back(g);
                d.push_back(r);
            }
        }
    }
    d.resize(n, 0);
    return d;
}

std::vector<uint8_t> Deflate(const std::vector<uint8_t>& in, int level)
{
    z_stream zs{};
    deflateInit2(&zs, level, Z_DEFLATED, -15, 9, Z_DEFAULT_STRATEGY);
    std::vector<uint8_t> out(deflateBound(&zs, uLong(in.size())));
    zs.next_in = const_cast<Bytef*>(in.data());
    zs.avail_in = uInt(in.size());
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    deflate(&zs, Z_FINISH);
    out.resize(zs.total_out);
    deflateEnd(&zs);
    return out;
}

// Our decoder writing into a preallocated buffer.
struct TBufferSink : TSk2OutputSink {
    uint8_t* Dst;
    size_t Pos = 0;
    bool Write(const uint8_t* p, size_t n) override
    {
        std::memcpy(Dst + Pos, p, n);
        Pos += n;
        return true;
    }
};

// CPU time of this thread in seconds.
double CpuNow()
{
    timespec ts;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) + double(ts.tv_nsec) * 1e-9;
}

}  // namespace

int main()
{
    std::mt19937 rng(12345);
    std::vector<uint8_t> data = TextLike(2'000'000, rng);
    const std::vector<uint8_t> bmp = BitmapLike(2'000'000, rng);
    data.insert(data.end(), bmp.begin(), bmp.end());
    std::vector<uint8_t> out(data.size());
    const int repeats = 25;

    std::printf("data: %zu bytes (text-like and bitmap-like halves)\n", data.size());
    std::printf("%-6s %10s %12s %12s %7s\n", "level", "deflated", "ours MB/s", "zlib MB/s", "ratio");
    for (int level : {1, 6, 9}) {
        const std::vector<uint8_t> stream = Deflate(data, level);
        double bestOurs = 1e9, bestZlib = 1e9;
        TSk2Inflater inflater;
        for (int r = 0; r < repeats; ++r) {
            double t0 = CpuNow();
            TSk2MemoryStream src(stream.data(), stream.size());
            TBufferSink sink;
            sink.Dst = out.data();
            const TSk2Status st = inflater.Run(src, sink);
            double t1 = CpuNow();
            if (st != TSk2Status::Ok || sink.Pos != data.size() || std::memcmp(out.data(), data.data(), data.size()) != 0) {
                std::fprintf(stderr, "our inflater failed: %s\n", Sk2StatusText(st));
                return 1;
            }
            bestOurs = std::min(bestOurs, t1 - t0);

            t0 = CpuNow();
            z_stream zs{};
            inflateInit2(&zs, -15);
            zs.next_in = const_cast<Bytef*>(stream.data());
            zs.avail_in = uInt(stream.size());
            zs.next_out = out.data();
            zs.avail_out = uInt(out.size());
            const int rc = inflate(&zs, Z_FINISH);
            inflateEnd(&zs);
            t1 = CpuNow();
            if (rc != Z_STREAM_END) {
                std::fprintf(stderr, "zlib failed\n");
                return 1;
            }
            bestZlib = std::min(bestZlib, t1 - t0);
        }
        const double ours = double(data.size()) / bestOurs / 1e6;
        const double zlib = double(data.size()) / bestZlib / 1e6;
        std::printf("%-6d %10zu %12.1f %12.1f %7.2f\n", level, stream.size(), ours, zlib, ours / zlib);
    }
    return 0;
}
