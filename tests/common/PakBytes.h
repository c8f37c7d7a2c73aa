// Builds package files byte by byte for tests, so that every field can be set or damaged on purpose.
// Packed streams are given as they are; use the packing library to make real ones.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "package/Crc32.h"

namespace qs::test {

struct PakEntrySpec {
    std::string FileName;
    std::string ExtraName;
    uint32_t FileTime = 0x5A8F6000;  // 2025-04-15 12:00:00
    int32_t UnpackedSize = 0;
    std::string Packed;              // the LZH stream ("\x80" decodes to nothing)
    uint32_t FileCRC = 0;            // CRC-32 of the unpacked bytes (0 for an empty file)
    // Overrides for damage; when unset the builder computes them.
    bool OverrideOffset = false;
    int32_t DataOffset = 0;
    bool OverridePackedSize = false;
    int32_t PackedSize = 0;
    bool OverrideDataCRC = false;
    uint32_t DataCRC = 0;
};

inline void PutI32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i) out += char((v >> (8 * i)) & 0xFF);
}

// Header + directory + data, in that order. entryCountOverride replaces EntryCount when >= -2^31 is wanted.
inline std::string BuildPak(const std::string& product, const std::string& version, bool extraNames,
                            const std::vector<PakEntrySpec>& entries, bool overrideCount = false,
                            int32_t entryCount = 0) {
    std::string head = "QVPAK";
    head += std::string(2, '\0');
    PutI32(head, uint32_t(product.size()));
    head += product;
    PutI32(head, uint32_t(version.size()));
    head += version;
    head += char(extraNames ? 1 : 0);
    PutI32(head, uint32_t(overrideCount ? entryCount : int32_t(entries.size())));
    size_t dirSize = 0;
    for (const auto& e : entries) dirSize += 1 + e.FileName.size() + (extraNames ? 1 + e.ExtraName.size() : 0) + 24;
    std::string dir, data;
    uint32_t offset = uint32_t(head.size() + dirSize);
    for (const auto& e : entries) {
        dir += char(e.FileName.size());
        dir += e.FileName;
        if (extraNames) {
            dir += char(e.ExtraName.size());
            dir += e.ExtraName;
        }
        PutI32(dir, e.FileTime);
        PutI32(dir, uint32_t(e.UnpackedSize));
        PutI32(dir, uint32_t(e.OverrideOffset ? e.DataOffset : int32_t(offset)));
        PutI32(dir, uint32_t(e.OverridePackedSize ? e.PackedSize : int32_t(e.Packed.size())));
        PutI32(dir, e.FileCRC);
        PutI32(dir, e.OverrideDataCRC ? e.DataCRC : Crc32UpdateLong(e.Packed.data(), e.Packed.size(), 0));
        data += e.Packed;
        offset += uint32_t(e.Packed.size());
    }
    return head + dir + data;
}

}  // namespace qs::test
