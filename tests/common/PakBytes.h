// Builds package files byte by byte for tests, so that every field can be set or damaged on purpose.
// Packed streams are given as they are; use the packing library to make real ones.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "base/ByteIO.h"
#include "package/Crc32.h"

namespace qs::test {

struct RawPakEntry {
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
    std::vector<uint8_t> b;
    ByteWriter(b).U32(v);
    out.append(b.begin(), b.end());
}

// Header + directory + data, in that order. entryCountOverride replaces EntryCount when >= -2^31 is wanted.
inline std::string BuildPak(const std::string& product, const std::string& version, bool extraNames,
                            const std::vector<RawPakEntry>& entries, bool overrideCount = false,
                            int32_t entryCount = 0) {
    std::vector<uint8_t> out;
    ByteWriter w(out);
    w.Text("QVPAK");
    w.U16(0);
    w.U32(uint32_t(product.size()));
    w.Text(product);
    w.U32(uint32_t(version.size()));
    w.Text(version);
    w.U8(extraNames ? 1 : 0);
    w.I32(overrideCount ? entryCount : int32_t(entries.size()));
    size_t dirSize = 0;
    for (const auto& e : entries) dirSize += 1 + e.FileName.size() + (extraNames ? 1 + e.ExtraName.size() : 0) + 24;
    uint32_t offset = uint32_t(out.size() + dirSize);
    for (const auto& e : entries) {
        w.ShortText(e.FileName);
        if (extraNames) w.ShortText(e.ExtraName);
        w.U32(e.FileTime);
        w.I32(e.UnpackedSize);
        w.I32(e.OverrideOffset ? e.DataOffset : int32_t(offset));
        w.I32(e.OverridePackedSize ? e.PackedSize : int32_t(e.Packed.size()));
        w.U32(e.FileCRC);
        w.U32(e.OverrideDataCRC ? e.DataCRC : Crc32UpdateLong(e.Packed.data(), e.Packed.size(), 0));
        offset += uint32_t(e.Packed.size());
    }
    for (const auto& e : entries) w.Text(e.Packed);
    return std::string(out.begin(), out.end());
}

}  // namespace qs::test
