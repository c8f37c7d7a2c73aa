// One entry of a package's directory, and its one reader and one writer. The scan at start-up, the extraction
// and the packing tool all go through these, so the layout of an entry is written down here only.
//
// Layout (little-endian): FileName (length byte + text), ExtraName (length byte + text, only in a package with
// extra names), then the fixed part of 24 bytes: FileTime (DOS), UnpackedSize, DataOffset, PackedSize, FileCRC,
// DataCRC.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace qs {

constexpr int kPakFixedPartSize = 24;

struct PakDirRecord {
    std::string name;       // FileName
    std::string extraName;  // ExtraName; empty in a package without extra names
    uint32_t dosTime = 0;   // FileTime
    int32_t unpackedSize = 0;
    int32_t dataOffset = 0;
    int32_t packedSize = 0;
    uint32_t fileCrc = 0;  // FileCRC: CRC-32 of the unpacked file
    uint32_t dataCrc = 0;  // DataCRC: CRC-32 of the packed data
};

// Where entries are read from: a package file (the setup program) or a package image in memory (the tool).
// The reader asks Remaining() before every field, so a field past the end never reads as zero.
class PakInput {
public:
    virtual ~PakInput() = default;
    virtual int64_t Remaining() const = 0;
    // Offset of the next byte from the start of the package.
    virtual int64_t Position() const = 0;
    // Reads n bytes that Remaining() has shown to be there.
    virtual void Read(void* dst, size_t n) = 0;
    // Passes over n bytes that Remaining() has shown to be there.
    virtual void Skip(int64_t n) = 0;
    // Raises the input's own error for the named field lying past the end.
    [[noreturn]] virtual void PastEnd(const char* field) = 0;

    // Reads the n bytes of the named field, or raises PastEnd when they are not all there.
    void ReadField(void* dst, size_t n, const char* field) {
        if (Remaining() < int64_t(n)) PastEnd(field);
        if (n) Read(dst, n);
    }
};

// Reads one entry at the input's position. Field names given to PastEnd: "FileName length", "FileName",
// "ExtraName length", "ExtraName", "FileTime", "UnpackedSize", "DataOffset", "PackedSize", "FileCRC", "DataCRC".
// The values come as stored: each caller checks them against its own rules.
PakDirRecord ReadPakDirRecord(PakInput& in, bool hasExtraName);

// Appends the entry as stored. Names over 255 characters are the caller's to refuse.
void WritePakDirRecord(std::vector<uint8_t>& out, const PakDirRecord& entry, bool hasExtraName);

}  // namespace qs
