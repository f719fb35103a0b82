// The skin file container: a ZIP archive that starts with "SK", holding the deflated (optionally
// password-protected) entry "SKINDATA.SK2". Finding the entry, the traditional PKWARE
// decryption, and extracting the entry's data.
#pragma once

#include "skin/theme/Kiv2skinreaderCore.h"

#include <string>

// Name of the entry that holds the skin data (matched without regard to letter case).
inline constexpr const char* SK2_ENTRY_NAME = "SKINDATA.SK2";

constexpr uint32_t SK2_EOCD_SIGNATURE = 0x06054B50;   // "PK\5\6"
constexpr uint32_t SK2_CENTRAL_SIGNATURE = 0x02014B50; // "PK\1\2"
constexpr uint32_t SK2_LOCAL_SIGNATURE = 0x04034B50;   // "PK\3\4"
constexpr size_t SK2_EOCD_SIZE = 22;
constexpr size_t SK2_CENTRAL_SIZE = 46;
constexpr size_t SK2_LOCAL_SIZE = 30;
constexpr size_t SK2_CRYPT_HEADER_SIZE = 12;

constexpr uint16_t SK2_FLAG_ENCRYPTED = 0x0001;
constexpr uint16_t SK2_FLAG_DESCRIPTOR = 0x0008;  // password check byte from the modification time

// The skin data entry as the central directory describes it, with where its data starts.
struct TSk2ZipEntry {
    uint16_t Flags = 0;
    uint16_t Method = 0;
    uint16_t ModTime = 0;
    uint16_t ModDate = 0;
    uint32_t Crc = 0;
    uint32_t CompressedSize = 0;
    uint32_t UncompressedSize = 0;
    uint32_t LocalHeaderOffset = 0;
    uint64_t DataOffset = 0;  // first byte after the local header (the encryption header, if any)
};

// Checks the "SK" signature and the end record in the last 22 bytes, walks the central directory
// to the entry "SKINDATA.SK2" and locates its data. Every size and offset is checked against
// the file.
// Decisions: the walk reads at most as many entries as the end record counts, each wholly inside
// the directory the end record places before itself, and each must begin with the directory
// signature (BadDirectory otherwise); a count that ends before the skin entry is EntryMissing.
// A damaged or hostile file thus costs at most 65535 small reads, whatever its size.
TSk2Status Sk2FindSkinEntry(TSk2RandomSource& File, TSk2ZipEntry& Entry);

// The three keys of the traditional PKWARE encryption.
class TSk2ZipCrypto {
public:
    // Sets the published initial keys and feeds them the password bytes.
    explicit TSk2ZipCrypto(const std::string& Password);
    uint8_t Decrypt(uint8_t c);
    uint8_t Encrypt(uint8_t p);
    void Decrypt(uint8_t* data, size_t n);
    void Encrypt(uint8_t* data, size_t n);

private:
    uint8_t StreamByte() const;
    void Update(uint8_t plain);
    uint32_t FKeys[3];
};

// Decrypts another stream, reading it in blocks of 1024 bytes.
class TSk2DecryptStream : public TSk2InputStream {
public:
    TSk2DecryptStream(TSk2InputStream& In, TSk2ZipCrypto& Crypto) : FIn(In), FCrypto(Crypto) {}
    long Read(uint8_t* buf, size_t n) override;

    static constexpr size_t BlockSize = 1024;

private:
    TSk2InputStream& FIn;
    TSk2ZipCrypto& FCrypto;
    uint8_t FBuf[BlockSize];
    size_t FPos = 0;
    size_t FEnd = 0;
};

// Extracts "SKINDATA.SK2" of a skin file into Out: finds the entry, checks the password when
// the entry is encrypted (PasswordEmpty, PasswordWrong), inflates it (at most Limit bytes) and
// checks its CRC-32 against the directory's.
TSk2Status Sk2ExtractSkinData(TSk2RandomSource& File, const std::string& Password, TSk2OutputSink& Out,
                              uint64_t Limit = SK2_MAX_DATA_SIZE);
