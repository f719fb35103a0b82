// The skin data file ("SKINDATA.SK2"): a 24-byte header and a chain of 77-byte named records
// pointing at their values. Walking the chain with every offset and size checked.
#pragma once

#include "skin/theme/Kiv2skinreaderCore.h"

#include <functional>
#include <string>
#include <vector>

constexpr size_t SK2_HEADER_SIZE = 24;
constexpr size_t SK2_HEADER_SIZE_FIELD = 12;   // offset of the header-size field
constexpr size_t SK2_FIRST_RECORD_FIELD = 20;  // offset of the first record's file offset
constexpr size_t SK2_RECORD_SIZE = 77;
constexpr size_t SK2_NAME_SIZE = 64;

// Value kinds of a record.
enum TSk2ValueKind : uint8_t {
    sk2Bitmap = 0,   // a complete Windows bitmap file
    sk2Integer = 1,  // signed 32-bit integer (colours hold a TColor)
    sk2Flag = 2,     // one byte, 0 false, else true
    sk2String = 3,   // characters, no terminator
};

// One record of the chain (not the end record).
struct TSk2Record {
    std::string Name;         // up to the first zero byte or 64 bytes
    uint8_t Kind = 0;
    uint32_t ValueOffset = 0;
    uint32_t ValueSize = 0;
    uint32_t Next = 0;
    uint64_t Offset = 0;      // where the record itself lies
};

// Bytes a record's value occupies in the file: ValueSize for bitmaps and strings, 4 for an
// integer, 1 for a flag, 0 for an unknown kind (its value is not read).
uint64_t Sk2ValueExtent(const TSk2Record& r);

// Called for each record of the chain in order; any status but Ok stops the walk with it.
using TSk2RecordVisitor = std::function<TSk2Status(const TSk2Record&)>;

// Walks the record chain of a skin data file. Before a record is visited its 77 bytes and, for
// the known kinds, its value's extent (even an empty one) are checked to lie inside the data.
// A chain that comes back to a record fails (ChainLoop), and so do records that overlap
// (RecordOverlap); bitmap and string values may add up to at most 64 MiB (ValuesTooLarge).
// The end record (next offset 0) must lie inside the data too; it is not visited.
TSk2Status Sk2WalkRecords(TSk2RandomSource& Data, const TSk2RecordVisitor& Visit);

// Reads a visited record's value bytes (its extent, see Sk2ValueExtent).
bool Sk2ReadValue(TSk2RandomSource& Data, const TSk2Record& r, std::vector<uint8_t>& Bytes);

// Pixels the decoded bitmaps of one skin may hold in all. Each bitmap is charged the width x
// height its header claims, and at least SK2_MIN_BITMAP_CHARGE, so the number of bitmaps is
// bounded too. The charge is taken before a bitmap is decoded.
constexpr int64_t SK2_MAX_SKIN_PIXELS = int64_t(1) << 26;
constexpr int64_t SK2_MIN_BITMAP_CHARGE = 64 * 64;

// Width x height as a Windows bitmap file's header gives them, or -1 when there is no header to
// read (decoding then rejects the value).
int64_t Sk2BitmapPixels(const uint8_t* Bmp, size_t Size);

// The pixel total of one skin's bitmaps, as the reader keeps it and as tools that write skins
// check it: whatever a tool accepts, the reader takes.
class TSk2PixelBudget {
public:
    // Charges a bitmap value; false once the total passes SK2_MAX_SKIN_PIXELS.
    bool Charge(const uint8_t* Bmp, size_t Size);
    int64_t Used() const { return FUsed; }

private:
    int64_t FUsed = 0;
};

// A parsed value, for tools and tests that want the whole chain at once.
struct TSk2Value {
    std::string Name;
    uint8_t Kind = 0;
    std::vector<uint8_t> Bytes;
};

// Walks the chain and collects every record with a known kind, in file order, duplicates included.
TSk2Status Sk2ReadAllValues(TSk2RandomSource& Data, std::vector<TSk2Value>& Values);
