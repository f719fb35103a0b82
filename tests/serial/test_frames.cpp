// Frames and the frequency arithmetic, to the last bit.
#include "serial/ExtendedProduct.h"
#include "serial/ModuleParams.h"

#include <gtest/gtest.h>

#include <cfloat>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>
#include <vector>

namespace {
std::vector<uint8_t> Bytes(const uint8_t* p, size_t n) { return std::vector<uint8_t>(p, p + n); }
}  // namespace

TEST(Frames, ReadCommandIsFixed)
{
    const std::vector<uint8_t> expected = {0xAF, 0xF2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA1, 0x0A};
    EXPECT_EQ(Bytes(kReadCommand, kModuleFrameSize), expected);
    EXPECT_EQ(FrameChecksum(kReadCommand), 0xA1);
}

TEST(Frames, WriteCommandFromTheWindowsInitialValues)
{
    ModuleParams p;
    p.frequencyMHz = 490;
    const uint8_t id[4] = {52, 117, 197, 140};
    std::memcpy(p.productId, id, 4);
    p.dataRateCode = 3;
    p.baudCode = 4;
    p.parityCode = 0;
    uint8_t frame[kModuleFrameSize];
    BuildWriteCommand(p, frame);
    const std::vector<uint8_t> expected = {0xAF, 0xF1, 0x34, 0x75, 0xC5, 0x8C, 0x26,
                                           0x48, 0x00, 0x03, 0x04, 0x00, 0x0F, 0x0A};
    EXPECT_EQ(Bytes(frame, kModuleFrameSize), expected);
}

TEST(Frames, ChecksumWrapsModulo256)
{
    ModuleParams p;
    std::memset(p.productId, 0xFF, 4);
    p.frequencyMHz = 3276.0;  // integer part 255
    p.dataRateCode = 0xFF;
    p.baudCode = 0xFF;
    p.parityCode = 0xFF;
    uint8_t frame[kModuleFrameSize];
    BuildWriteCommand(p, frame);
    unsigned sum = 0;
    for (int i = 0; i < 12; ++i)
        sum += frame[i];
    EXPECT_EQ(frame[12], uint8_t(sum % 256));
    EXPECT_EQ(frame[13], 0x0A);
}

TEST(Frequency, EncodesToTheModulesBytes)
{
    const struct {
        double mhz;
        uint8_t bytes[3];
    } cases[] = {
        {490.0, {0x26, 0x48, 0x00}},
        {433.92, {0x21, 0xE6, 0x66}},
        {400.15, {0x1F, 0x42, 0xFF}},  // a plain double product gives 1F 43 00
        {204.95, {0x10, 0x03, 0x00}},  // a double quotient gives 10 02 FF
        {0.0, {0x00, 0x00, 0x00}},
        {12.8, {0x01, 0x00, 0x00}},
        {3276.8, {0x00, 0x00, 0x00}},  // 256 units: the integer part wraps
        {3289.6, {0x01, 0x00, 0x00}},
        {-1.5 * 12.8, {0xFF, 0x80, 0x00}},  // -1.5 units: two's complement of both parts
        {-0.1171875 * 12.8, {0x00, 0xE2, 0x00}},
    };
    for (const auto& c : cases) {
        uint8_t out[3];
        EncodeFrequency(c.mhz, out);
        EXPECT_EQ(Bytes(out, 3), Bytes(c.bytes, 3)) << c.mhz;
    }
}

TEST(Frequency, NonFiniteAndHugeValuesAreDefined)
{
    for (double v : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(),
                     -std::numeric_limits<double>::infinity()}) {
        uint8_t out[3] = {1, 2, 3};
        EncodeFrequency(v, out);
        EXPECT_EQ(Bytes(out, 3), (std::vector<uint8_t>{0, 0, 0}));
    }
    uint8_t out[3];
    EncodeFrequency(1e300, out);  // integer part far beyond 64 bits: still its low byte, no overflow
    EXPECT_EQ(out[1], 0);
    EXPECT_EQ(out[2], 0);
    EncodeFrequency(-DBL_MAX, out);
    EXPECT_EQ(out[1], 0);
}

TEST(Frequency, DecodesExactly)
{
    EXPECT_EQ(DecodeFrequency(0x26, 0x48, 0x00), 490.0);
    EXPECT_EQ(DecodeFrequency(0x21, 0xE6, 0x66), 433.919921875);
    EXPECT_EQ(DecodeFrequency(0, 0, 0), 0.0);
    EXPECT_EQ(DecodeFrequency(1, 0, 0), 12.8);
    // The largest value the bytes can hold.
    EXPECT_NEAR(DecodeFrequency(0xFF, 0xFF, 0xFF), 3276.7998046875, 1e-9);
}

TEST(Frequency, DecodedBytesEncodeBackForTheWindowsRange)
{
    // Every frequency a module reports in the 400..500 MHz band comes back to the same bytes.
    for (unsigned units = 31; units <= 39; ++units) {
        for (unsigned frac = 0; frac < 65536; frac += 97) {
            const uint8_t in[3] = {uint8_t(units), uint8_t(frac >> 8), uint8_t(frac & 0xFF)};
            uint8_t out[3];
            EncodeFrequency(DecodeFrequency(in[0], in[1], in[2]), out);
            ASSERT_EQ(Bytes(out, 3), Bytes(in, 3)) << units << " " << frac;
        }
    }
}

TEST(ExtendedProduct, MatchesX87ExtendedPrecisionWhereAvailable)
{
#if defined(__x86_64__) || defined(__i386__)
    if (LDBL_MANT_DIG != 64)
        GTEST_SKIP() << "long double is not x87 extended here";
    const TExtendedConstant k{0x9FFFFFFFFFFFFD80ull, -67};
    const long double kl = std::ldexp((long double)0x9FFFFFFFFFFFFD80ull, -67);
    const TExtendedConstant d = ExtendedFromDouble(12.8);
    const long double dl = 12.8;
    std::mt19937_64 rng(12345);
    std::uniform_real_distribution<double> freq(-4000.0, 4000.0);
    for (int i = 0; i < 200000; ++i) {
        double f = freq(rng);
        if (i % 4 == 0)
            f = std::round(f * 100) / 100;  // two decimals, as typed
        ASSERT_EQ(MulExtended(f, k), double(f * kl)) << f;
        ASSERT_EQ(MulExtended(f, d), double(f * dl)) << f;
    }
    // Random bit patterns over a wide exponent range.
    std::uniform_int_distribution<uint64_t> bits;
    for (int i = 0; i < 200000; ++i) {
        double f = std::ldexp(double(bits(rng) >> 11), int(bits(rng) % 200) - 150);
        ASSERT_EQ(MulExtended(f, k), double(f * kl)) << f;
    }
#else
    GTEST_SKIP() << "no x87 unit to compare with";
#endif
}

TEST(ExtendedProduct, SpecialValues)
{
    const TExtendedConstant k{0x9FFFFFFFFFFFFD80ull, -67};
    EXPECT_EQ(MulExtended(0.0, k), 0.0);
    EXPECT_TRUE(std::signbit(MulExtended(-0.0, k)));
    EXPECT_TRUE(std::isnan(MulExtended(std::nan(""), k)));
    EXPECT_EQ(MulExtended(INFINITY, k), INFINITY);
    EXPECT_EQ(MulExtended(-INFINITY, k), -INFINITY);
    EXPECT_EQ(MulExtended(DBL_MAX, TExtendedConstant{0x8000000000000000ull, -61}), INFINITY);  // × 4
    EXPECT_EQ(MulExtended(-2.0, k), -0.15624999999999999);
}

TEST(Frames, DecodeResponseTakesBytesTwoToEleven)
{
    const uint8_t frame[kModuleFrameSize] = {0xAF, 0x55, 1, 2, 3, 4, 0x21, 0xE6, 0x66, 6, 7, 2, 0x99, 0x0A};
    ModuleParams p;
    DecodeResponse(frame, p);
    EXPECT_EQ(Bytes(p.productId, 4), (std::vector<uint8_t>{1, 2, 3, 4}));
    EXPECT_EQ(p.frequencyMHz, 433.919921875);
    EXPECT_EQ(p.dataRateCode, 6);
    EXPECT_EQ(p.baudCode, 7);
    EXPECT_EQ(p.parityCode, 2);
}
