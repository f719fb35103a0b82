#include "skin/theme/Kiv2skinreaderRecords.h"

#include <algorithm>
#include <cstring>

uint64_t Sk2ValueExtent(const TSk2Record& r)
{
    switch (r.Kind) {
    case sk2Bitmap:
    case sk2String:
        return r.ValueSize;
    case sk2Integer:
        return 4;
    case sk2Flag:
        return 1;
    default:
        return 0;
    }
}

TSk2Status Sk2WalkRecords(TSk2RandomSource& Data, const TSk2RecordVisitor& Visit)
{
    const uint64_t size = Data.Size();
    uint8_t header[SK2_HEADER_SIZE];
    if (!Sk2RangeInside(0, SK2_HEADER_SIZE, size) || !Data.ReadAt(0, header, sizeof header))
        return TSk2Status::BadHeader;
    const uint32_t headerSize = Sk2Le32(header + SK2_HEADER_SIZE_FIELD);
    if (headerSize < SK2_HEADER_SIZE || headerSize > size)
        return TSk2Status::BadHeader;

    // One bit per byte: every record claims its 77 bytes. A record met again means the chain
    // loops; records may not overlap either, which also bounds their number by the data size.
    std::vector<bool> taken(size, false);
    std::vector<bool> starts(size, false);
    uint64_t valueBytes = 0;
    uint64_t offset = Sk2Le32(header + SK2_FIRST_RECORD_FIELD);
    uint8_t raw[SK2_RECORD_SIZE];
    TSk2Record rec;
    for (;;) {
        if (!Sk2RangeInside(offset, SK2_RECORD_SIZE, size))
            return TSk2Status::RecordOutOfFile;
        if (starts[offset])
            return TSk2Status::ChainLoop;
        starts[offset] = true;
        for (uint64_t i = offset; i < offset + SK2_RECORD_SIZE; ++i) {
            if (taken[i])
                return TSk2Status::RecordOverlap;
            taken[i] = true;
        }
        if (!Data.ReadAt(offset, raw, sizeof raw))
            return TSk2Status::ReadError;
        rec.Next = Sk2Le32(raw + 73);
        if (rec.Next == 0)
            return TSk2Status::Ok;  // the end record: its name, kind and value are not used

        const void* zero = std::memchr(raw, 0, SK2_NAME_SIZE);
        const size_t nameLen = zero ? size_t(static_cast<const uint8_t*>(zero) - raw) : SK2_NAME_SIZE;
        rec.Name.assign(reinterpret_cast<const char*>(raw), nameLen);
        rec.Kind = raw[64];
        rec.ValueOffset = Sk2Le32(raw + 65);
        rec.ValueSize = Sk2Le32(raw + 69);
        rec.Offset = offset;

        // Values of the known kinds must lie inside the data, empty ones included; values of
        // other kinds are never read.
        const uint64_t extent = Sk2ValueExtent(rec);
        if (rec.Kind <= sk2String && !Sk2RangeInside(rec.ValueOffset, extent, size))
            return TSk2Status::ValueOutOfFile;
        if (rec.Kind == sk2Bitmap || rec.Kind == sk2String) {
            valueBytes += extent;
            if (valueBytes > SK2_MAX_DATA_SIZE)
                return TSk2Status::ValuesTooLarge;
        }
        const TSk2Status st = Visit(rec);
        if (st != TSk2Status::Ok)
            return st;
        offset = rec.Next;
    }
}

bool Sk2ReadValue(TSk2RandomSource& Data, const TSk2Record& r, std::vector<uint8_t>& Bytes)
{
    const uint64_t extent = Sk2ValueExtent(r);
    if (!Sk2RangeInside(r.ValueOffset, extent, Data.Size()))
        return false;
    Bytes.resize(size_t(extent));
    return Data.ReadAt(r.ValueOffset, Bytes.data(), Bytes.size());
}

TSk2Status Sk2ReadAllValues(TSk2RandomSource& Data, std::vector<TSk2Value>& Values)
{
    Values.clear();
    return Sk2WalkRecords(Data, [&](const TSk2Record& r) {
        if (r.Kind > sk2String)
            return TSk2Status::Ok;
        TSk2Value v;
        v.Name = r.Name;
        v.Kind = r.Kind;
        if (!Sk2ReadValue(Data, r, v.Bytes))
            return TSk2Status::ReadError;
        Values.push_back(std::move(v));
        return TSk2Status::Ok;
    });
}

int64_t Sk2BitmapPixels(const uint8_t* Bmp, size_t Size)
{
    if (Size < 26 || Bmp[0] != 'B' || Bmp[1] != 'M')
        return -1;
    if (Sk2Le32(Bmp + 14) == 12)  // BITMAPCOREHEADER: 16-bit sizes
        return int64_t(Sk2Le16(Bmp + 18)) * Sk2Le16(Bmp + 20);
    const int64_t w = int32_t(Sk2Le32(Bmp + 18));
    const int64_t h = int32_t(Sk2Le32(Bmp + 22));
    return (w < 0 ? -w : w) * (h < 0 ? -h : h);
}

bool TSk2PixelBudget::Charge(const uint8_t* Bmp, size_t Size)
{
    // Each charge is at most 2^62, so the sum of two cannot overflow; past the limit it stays put.
    if (FUsed > SK2_MAX_SKIN_PIXELS)
        return false;
    FUsed += std::max(Sk2BitmapPixels(Bmp, Size), SK2_MIN_BITMAP_CHARGE);
    return FUsed <= SK2_MAX_SKIN_PIXELS;
}
