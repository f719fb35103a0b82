// Writing skin files: the skin data file (header, record chain, values) and the "SK" archive that
// holds it deflated as "SKINDATA.SK2", optionally with the traditional PKWARE encryption.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One value to store: its key, kind (TSk2ValueKind) and bytes as they go into the file.
struct TKvValue {
    std::string Name;
    uint8_t Kind = 0;
    std::vector<uint8_t> Bytes;
};

TKvValue KvBitmapValue(const std::string& Name, std::vector<uint8_t> BmpFile);
TKvValue KvIntValue(const std::string& Name, int32_t Value);
TKvValue KvFlagValue(const std::string& Name, uint8_t Value);
TKvValue KvStringValue(const std::string& Name, const std::string& Value);

// The skin data file: a 24-byte header, n + 1 records of 77 bytes (the last ends the chain), then
// the values, in the given order. Raises std::invalid_argument for a name longer than 64 bytes,
// an empty name, or data that would pass 4 GiB.
std::vector<uint8_t> KvBuildSkinData(const std::vector<TKvValue>& Values);

// Byte 0-11 of a skin data header as kvtool writes it (the reader does not interpret them).
inline constexpr const char* KV_SKIN_DATA_TAG = "KIV2SKINDATA";

struct TKvArchiveOptions {
    std::string Password;            // empty: not encrypted
    bool CheckByteFromTime = false;  // general-purpose flag bit 3: the password check byte is the time's high byte
    uint16_t ModTime = 0x6000;       // 12:00:00
    uint16_t ModDate = 0x5821;       // 2024-01-01
    int Level = 9;                   // zlib compression level 0-9
    int Strategy = 0;                // zlib strategy (Z_DEFAULT_STRATEGY, Z_FILTERED, Z_HUFFMAN_ONLY, Z_RLE, Z_FIXED)

    // For producing unusual archives (test fixtures); a skin file has the defaults.
    std::string EntryName = "SKINDATA.SK2";
    std::string Comment;                       // archive comment
    std::string Magic = "SK";                  // the first two bytes
    std::vector<std::string> LeadingEntries;   // names of empty stored entries placed before the skin entry
};

// Raw DEFLATE (RFC 1951) with zlib.
std::vector<uint8_t> KvDeflateRaw(const uint8_t* Data, size_t Size, int Level = 9, int Strategy = 0);

// The skin file holding SkinData. Raises std::runtime_error when zlib fails.
std::vector<uint8_t> KvBuildArchive(const std::vector<uint8_t>& SkinData, const TKvArchiveOptions& Options = {});
