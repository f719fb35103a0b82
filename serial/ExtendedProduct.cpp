#include "serial/ExtendedProduct.h"

#include <cmath>
#include <cstring>

namespace {

// 64 × 64 → 128-bit product as (hi, lo), portable (no __int128).
void Mul64(uint64_t a, uint64_t b, uint64_t& hi, uint64_t& lo)
{
    const uint64_t aLo = a & 0xFFFFFFFFu, aHi = a >> 32;
    const uint64_t bLo = b & 0xFFFFFFFFu, bHi = b >> 32;
    const uint64_t ll = aLo * bLo, lh = aLo * bHi, hl = aHi * bLo, hh = aHi * bHi;
    const uint64_t mid = (ll >> 32) + (lh & 0xFFFFFFFFu) + (hl & 0xFFFFFFFFu);
    lo = (mid << 32) | (ll & 0xFFFFFFFFu);
    hi = hh + (lh >> 32) + (hl >> 32) + (mid >> 32);
}

int BitLength(uint64_t v)
{
    int n = 0;
    while (v) {
        ++n;
        v >>= 1;
    }
    return n;
}

// Rounds value (an integer below 2^64) to 'keep' significant bits, nearest with ties to even.
// Returns the rounded mantissa and adds the dropped bit count to exponent.
uint64_t RoundBits(uint64_t value, int keep, int& exponent)
{
    const int len = BitLength(value);
    if (len <= keep)
        return value;
    const int drop = len - keep;
    const uint64_t half = uint64_t(1) << (drop - 1);
    const uint64_t rest = value & ((uint64_t(1) << drop) - 1);
    uint64_t m = value >> drop;
    exponent += drop;
    if (rest > half || (rest == half && (m & 1)))
        ++m;
    if (BitLength(m) > keep) {  // carried into a new top bit: the low bit is 0, so halving is exact
        m >>= 1;
        ++exponent;
    }
    return m;
}

}  // namespace

double MulExtended(double a, TExtendedConstant k)
{
    if (a == 0 || !std::isfinite(a) || k.Mantissa == 0)
        return a * std::ldexp(double(k.Mantissa), k.Exponent);  // IEEE rules for the special cases

    // a = ma × 2^ea with ma an integer of at most 53 bits.
    int ea = 0;
    const double frac = std::frexp(std::fabs(a), &ea);  // in [0.5, 1)
    const uint64_t ma = uint64_t(std::ldexp(frac, 53));
    ea -= 53;

    uint64_t hi = 0, lo = 0;
    Mul64(ma, k.Mantissa, hi, lo);
    int exponent = ea + k.Exponent;

    // Round the exact product (at most 117 bits) to 64 significant bits.
    uint64_t m64;
    if (hi == 0) {
        m64 = RoundBits(lo, 64, exponent);
    } else {
        const int len = 64 + BitLength(hi);
        const int drop = len - 64;  // 1..53
        const uint64_t keep = (hi << (64 - drop)) | (lo >> drop);
        const uint64_t rest = lo & ((uint64_t(1) << drop) - 1);
        const uint64_t half = uint64_t(1) << (drop - 1);
        m64 = keep;
        exponent += drop;
        if (rest > half || (rest == half && (m64 & 1))) {
            ++m64;
            if (m64 == 0) {  // 2^64: becomes 2^63 with one more exponent step
                m64 = uint64_t(1) << 63;
                ++exponent;
            }
        }
    }

    // Round the 64-bit value to the 53 bits of a double.
    const uint64_t m53 = RoundBits(m64, 53, exponent);
    const double magnitude = std::ldexp(double(m53), exponent);
    return a < 0 ? -magnitude : magnitude;
}

TExtendedConstant ExtendedFromDouble(double v)
{
    if (v == 0 || !std::isfinite(v))
        return {0, 0};
    int e = 0;
    const double frac = std::frexp(std::fabs(v), &e);
    const uint64_t m = uint64_t(std::ldexp(frac, 53)) << 11;
    return {m, e - 64};
}
