// Products formed the way an x87 unit with 64-bit precision forms them, with integer arithmetic only:
// the exact product of a double and a constant with a 64-bit mantissa is rounded to 64 significant
// bits (nearest, ties to even), and that value is rounded again to a double (nearest, ties to even).
// The frame arithmetic needs these exact bytes on every platform, whatever long double is there.
#pragma once

#include <cstdint>

// A constant held as mantissa × 2^exponent; the mantissa's top bit is set (64 significant bits).
struct TExtendedConstant {
    uint64_t Mantissa;
    int Exponent;
};

// a × k with the double rounding described above. Zero, infinities and NaN follow IEEE rules.
// A result below the smallest normal double is rounded a third time by ldexp (never reached by frames).
double MulExtended(double a, TExtendedConstant k);

// The double nearest v, held with a 64-bit mantissa (exact: its low 11 bits are zero).
TExtendedConstant ExtendedFromDouble(double v);
