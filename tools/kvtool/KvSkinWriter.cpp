#include "tools/kvtool/KvSkinWriter.h"

#include "skin/theme/Kiv2skinreaderRecords.h"
#include "skin/theme/Kiv2skinreaderZip.h"

#include <cstring>
#include <random>
#include <stdexcept>
#include <zlib.h>

namespace {

void Put16(std::vector<uint8_t>& v, uint32_t x)
{
    v.push_back(uint8_t(x));
    v.push_back(uint8_t(x >> 8));
}

void Put32(std::vector<uint8_t>& v, uint32_t x)
{
    Put16(v, x & 0xFFFF);
    Put16(v, x >> 16);
}

void Set32(std::vector<uint8_t>& v, size_t at, uint32_t x)
{
    for (int i = 0; i < 4; ++i)
        v[at + i] = uint8_t(x >> (8 * i));
}

}  // namespace

TKvValue KvBitmapValue(const std::string& Name, std::vector<uint8_t> BmpFile)
{
    return {Name, sk2Bitmap, std::move(BmpFile)};
}

TKvValue KvIntValue(const std::string& Name, int32_t Value)
{
    std::vector<uint8_t> b;
    Put32(b, uint32_t(Value));
    return {Name, sk2Integer, b};
}

TKvValue KvFlagValue(const std::string& Name, uint8_t Value) { return {Name, sk2Flag, {Value}}; }

TKvValue KvStringValue(const std::string& Name, const std::string& Value)
{
    return {Name, sk2String, std::vector<uint8_t>(Value.begin(), Value.end())};
}

std::vector<uint8_t> KvBuildSkinData(const std::vector<TKvValue>& Values)
{
    const uint64_t records = Values.size() + 1;
    uint64_t total = SK2_HEADER_SIZE + records * SK2_RECORD_SIZE;
    for (const auto& v : Values) {
        if (v.Name.empty() || v.Name.size() > SK2_NAME_SIZE)
            throw std::invalid_argument("key \"" + v.Name + "\" must have 1 to 64 characters");
        total += v.Bytes.size();
    }
    if (total > 0xFFFFFFFFull)
        throw std::invalid_argument("skin data larger than 4 GiB");

    // Header, the records (each naming the next; the last ends the chain), then the values.
    std::vector<uint8_t> out(size_t(total), 0);
    std::memcpy(out.data(), KV_SKIN_DATA_TAG, 12);
    Set32(out, SK2_HEADER_SIZE_FIELD, SK2_HEADER_SIZE);
    Set32(out, 16, uint32_t(Values.size()));
    Set32(out, SK2_FIRST_RECORD_FIELD, SK2_HEADER_SIZE);

    size_t valueAt = SK2_HEADER_SIZE + size_t(records) * SK2_RECORD_SIZE;
    for (size_t i = 0; i < Values.size(); ++i) {
        const TKvValue& v = Values[i];
        const size_t rec = SK2_HEADER_SIZE + i * SK2_RECORD_SIZE;
        std::memcpy(out.data() + rec, v.Name.data(), v.Name.size());
        out[rec + 64] = v.Kind;
        Set32(out, rec + 65, uint32_t(valueAt));
        Set32(out, rec + 69, uint32_t(v.Bytes.size()));
        Set32(out, rec + 73, uint32_t(rec + SK2_RECORD_SIZE));
        if (!v.Bytes.empty())
            std::memcpy(out.data() + valueAt, v.Bytes.data(), v.Bytes.size());
        valueAt += v.Bytes.size();
    }
    return out;
}

std::vector<uint8_t> KvDeflateRaw(const uint8_t* Data, size_t Size, int Level, int Strategy)
{
    z_stream zs{};
    if (deflateInit2(&zs, Level, Z_DEFLATED, -15, 9, Strategy) != Z_OK)
        throw std::runtime_error("zlib: deflateInit2 failed");
    std::vector<uint8_t> out(deflateBound(&zs, uLong(Size)) + 16);
    zs.next_in = const_cast<Bytef*>(Data);
    zs.avail_in = uInt(Size);
    zs.next_out = out.data();
    zs.avail_out = uInt(out.size());
    const int rc = deflate(&zs, Z_FINISH);
    const size_t produced = zs.total_out;
    deflateEnd(&zs);
    if (rc != Z_STREAM_END)
        throw std::runtime_error("zlib: deflate failed");
    out.resize(produced);
    return out;
}

std::vector<uint8_t> KvBuildArchive(const std::vector<uint8_t>& SkinData, const TKvArchiveOptions& Options)
{
    const uint32_t crc = uint32_t(crc32(0, SkinData.data(), uInt(SkinData.size())));
    std::vector<uint8_t> payload = KvDeflateRaw(SkinData.data(), SkinData.size(), Options.Level, Options.Strategy);

    uint16_t flags = 0;
    if (!Options.Password.empty()) {
        flags |= SK2_FLAG_ENCRYPTED;
        if (Options.CheckByteFromTime)
            flags |= SK2_FLAG_DESCRIPTOR;
        uint8_t header[SK2_CRYPT_HEADER_SIZE];
        std::random_device rd;
        for (size_t i = 0; i + 1 < SK2_CRYPT_HEADER_SIZE; ++i)
            header[i] = uint8_t(rd());
        header[SK2_CRYPT_HEADER_SIZE - 1] = Options.CheckByteFromTime ? uint8_t(Options.ModTime >> 8) : uint8_t(crc >> 24);
        TSk2ZipCrypto crypto(Options.Password);
        crypto.Encrypt(header, sizeof header);
        crypto.Encrypt(payload.data(), payload.size());
        payload.insert(payload.begin(), header, header + sizeof header);
    } else if (Options.CheckByteFromTime) {
        flags |= SK2_FLAG_DESCRIPTOR;
    }

    struct TCentral {
        std::string Name;
        uint16_t Flags, Method;
        uint32_t Crc, CSize, USize, Offset;
    };
    std::vector<TCentral> central;
    std::vector<uint8_t> out;

    auto localHeader = [&](const std::string& name, uint16_t fl, uint16_t method, uint32_t c, uint32_t csize, uint32_t usize) {
        Put32(out, SK2_LOCAL_SIGNATURE);
        Put16(out, 20);
        Put16(out, fl);
        Put16(out, method);
        Put16(out, Options.ModTime);
        Put16(out, Options.ModDate);
        Put32(out, c);
        Put32(out, csize);
        Put32(out, usize);
        Put16(out, uint16_t(name.size()));
        Put16(out, 0);
        out.insert(out.end(), name.begin(), name.end());
    };

    for (const auto& name : Options.LeadingEntries) {
        central.push_back({name, 0, 0, 0, 0, 0, uint32_t(out.size())});
        localHeader(name, 0, 0, 0, 0, 0);
    }
    central.push_back({Options.EntryName, flags, 8, crc, uint32_t(payload.size()), uint32_t(SkinData.size()), uint32_t(out.size())});
    localHeader(Options.EntryName, flags, 8, crc, uint32_t(payload.size()), uint32_t(SkinData.size()));
    out.insert(out.end(), payload.begin(), payload.end());
    if (flags & SK2_FLAG_DESCRIPTOR) {
        Put32(out, 0x08074B50);
        Put32(out, crc);
        Put32(out, uint32_t(payload.size()));
        Put32(out, uint32_t(SkinData.size()));
    }

    const uint32_t cdStart = uint32_t(out.size());
    for (const auto& c : central) {
        Put32(out, SK2_CENTRAL_SIGNATURE);
        Put16(out, 20);  // made by: MS-DOS, 2.0
        Put16(out, 20);
        Put16(out, c.Flags);
        Put16(out, c.Method);
        Put16(out, Options.ModTime);
        Put16(out, Options.ModDate);
        Put32(out, c.Crc);
        Put32(out, c.CSize);
        Put32(out, c.USize);
        Put16(out, uint16_t(c.Name.size()));
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put16(out, 0);
        Put32(out, 0);
        Put32(out, c.Offset);
        out.insert(out.end(), c.Name.begin(), c.Name.end());
    }
    const uint32_t cdSize = uint32_t(out.size()) - cdStart;
    Put32(out, SK2_EOCD_SIGNATURE);
    Put16(out, 0);
    Put16(out, 0);
    Put16(out, uint16_t(central.size()));
    Put16(out, uint16_t(central.size()));
    Put32(out, cdSize);
    Put32(out, cdStart);
    Put16(out, uint16_t(Options.Comment.size()));
    out.insert(out.end(), Options.Comment.begin(), Options.Comment.end());

    // The archive starts with the skin file's signature in place of "PK".
    for (size_t i = 0; i < 2 && i < Options.Magic.size(); ++i)
        out[i] = uint8_t(Options.Magic[i]);
    return out;
}
