// The RQ_27M parameter record and its 14-byte frames: the read command, the write command
// built from a record, and the decoding of a response.
#pragma once

#include <cstddef>
#include <cstdint>

struct ModuleParams {
    double frequencyMHz = 0;   // RF frequency in MHz
    uint8_t dataRateCode = 0;  // 0..6: 1200, 2400, 4800, 9600, 19200, 38400, 57600 bps
    uint8_t productId[4] = {}; // ID:1 .. ID:4
    uint8_t baudCode = 0;      // 1..7: 1200 ... 57600 (one-based)
    uint8_t parityCode = 0;    // 0 none, 1 odd, 2 even
};

constexpr size_t kModuleFrameSize = 14;
constexpr uint8_t kFrameStart = 0xAF;
constexpr uint8_t kFrameEnd = 0x0A;

// AF F2 00 00 00 00 00 00 00 00 00 00 A1 0A (byte 12 is already the checksum).
extern const uint8_t kReadCommand[kModuleFrameSize];

// The frequency as carried in a frame: units of 12.8 MHz, an 8-bit integer part and a 16-bit
// fraction in 1/65536, both truncated; a negative frequency gives the two's-complement bytes.
// NaN and infinities encode as 00 00 00.
void EncodeFrequency(double mhz, uint8_t out[3]);
// (intPart + (fracHigh × 256 + fracLow) / 65536) × 12.8; 26 48 00 gives exactly 490.
double DecodeFrequency(uint8_t intPart, uint8_t fracHigh, uint8_t fracLow);

// Sum of bytes 0..11 modulo 256.
uint8_t FrameChecksum(const uint8_t frame[kModuleFrameSize]);

// The write command AF F1 ID1..ID4 F0 F1 F2 rate baud parity checksum 0A.
void BuildWriteCommand(const ModuleParams& params, uint8_t frame[kModuleFrameSize]);

// Takes the record from bytes 2..11 of a response; bytes 1 and 12 are not examined.
void DecodeResponse(const uint8_t frame[kModuleFrameSize], ModuleParams& params);
