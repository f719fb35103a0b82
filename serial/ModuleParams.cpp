#include "serial/ModuleParams.h"

#include "serial/ExtendedProduct.h"

#include <cmath>
#include <cstring>

namespace {

// 1 / 12.8 as the 64-bit-mantissa reciprocal of the double nearest 12.8:
// 0x9FFFFFFFFFFFFD80 × 2^-67, just below 0.078125. Multiplying by it (rather than dividing
// by 12.8 or multiplying by 0.078125) gives the module's bytes for every frequency.
constexpr TExtendedConstant kInverse12_8{0x9FFFFFFFFFFFFD80ull, -67};

// The double nearest 12.8 (0x40299999 9999999A) with a 64-bit mantissa.
constexpr TExtendedConstant k12_8{0xCCCCCCCCCCCCD000ull, -60};

// Low 8 bits of the integer v (a finite double holding an integer), in two's complement.
uint8_t LowByte(double v)
{
    double r = std::fmod(v, 256.0);  // exact
    if (r < 0)
        r += 256.0;
    return uint8_t(unsigned(r));
}

}  // namespace

const uint8_t kReadCommand[kModuleFrameSize] = {0xAF, 0xF2, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0xA1, 0x0A};

void EncodeFrequency(double mhz, uint8_t out[3])
{
    out[0] = out[1] = out[2] = 0;
    const double x = MulExtended(mhz, kInverse12_8);
    if (!std::isfinite(x))
        return;
    const double whole = std::trunc(x);
    // x - whole is exact and lies in (-1, 1); scaling by 65536 is exact too.
    const double scaled = std::trunc((x - whole) * 65536.0);
    const int32_t c = int32_t(scaled);  // within (-65536, 65536)
    const uint32_t bits = uint32_t(c);  // two's complement
    out[0] = LowByte(whole);
    out[1] = uint8_t((bits >> 8) & 0xFF);
    out[2] = uint8_t(bits & 0xFF);
}

double DecodeFrequency(uint8_t intPart, uint8_t fracHigh, uint8_t fracLow)
{
    const double units = double(intPart) + double(unsigned(fracHigh) * 256u + fracLow) / 65536.0;  // exact
    return MulExtended(units, k12_8);
}

uint8_t FrameChecksum(const uint8_t frame[kModuleFrameSize])
{
    unsigned sum = 0;
    for (size_t i = 0; i < 12; ++i)
        sum += frame[i];
    return uint8_t(sum & 0xFF);
}

void BuildWriteCommand(const ModuleParams& params, uint8_t frame[kModuleFrameSize])
{
    std::memset(frame, 0, kModuleFrameSize);
    frame[0] = kFrameStart;
    frame[1] = 0xF1;
    std::memcpy(frame + 2, params.productId, 4);
    EncodeFrequency(params.frequencyMHz, frame + 6);
    frame[9] = params.dataRateCode;
    frame[10] = params.baudCode;
    frame[11] = params.parityCode;
    frame[12] = FrameChecksum(frame);
    frame[13] = kFrameEnd;
}

void DecodeResponse(const uint8_t frame[kModuleFrameSize], ModuleParams& params)
{
    std::memcpy(params.productId, frame + 2, 4);
    params.frequencyMHz = DecodeFrequency(frame[6], frame[7], frame[8]);
    params.dataRateCode = frame[9];
    params.baudCode = frame[10];
    params.parityCode = frame[11];
}
