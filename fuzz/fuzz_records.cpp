// Fuzz target: a skin data file ("SKINDATA.SK2") alone: header, record chain, value extents.
#include "skin/theme/Kiv2skinreaderRecords.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSk2MemorySource src(data, size);
    std::vector<TSk2Value> values;
    if (Sk2ReadAllValues(src, values) == TSk2Status::Ok) {
        for (const auto& v : values)
            if (v.Kind > sk2String || v.Name.size() > SK2_NAME_SIZE)
                __builtin_trap();
    }
    return 0;
}
