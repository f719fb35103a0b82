// Fuzz target: a whole skin file, from its bytes to the record chain, as the reader takes it:
// container walk, password check and decryption (an empty password, then "kiv", the fixtures' password), inflating with
// the 64 MiB limit lowered to keep runs fast, CRC-32, and the record chain of the data. The
// chain is walked even when the CRC does not match, so that mutated files reach it too.
#include "skin/theme/Kiv2skinreaderRecords.h"
#include "skin/theme/Kiv2skinreaderZip.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    TSk2MemorySource file(data, size);
    TSk2VectorSink sink;
    TSk2Status st = Sk2ExtractSkinData(file, std::string(), sink, 4u << 20);
    if (st == TSk2Status::PasswordEmpty) {
        sink.Data.clear();
        st = Sk2ExtractSkinData(file, "kiv", sink, 4u << 20);
    }
    if (st != TSk2Status::Ok && st != TSk2Status::CrcMismatch)
        return 0;
    TSk2MemorySource skinData(sink.Data.data(), sink.Data.size());
    std::vector<uint8_t> value;
    size_t total = 0;
    Sk2WalkRecords(skinData, [&](const TSk2Record& r) {
        if (r.Kind <= sk2String && !Sk2ReadValue(skinData, r, value))
            __builtin_trap();  // the walk checked the value's extent
        total += value.size();
        return TSk2Status::Ok;
    });
    return 0;
}
