// Reading and checking a package image on the packing side.
#include <cstring>

#include "PakWriter.h"
#include "base/ByteIO.h"
#include "base/WideText.h"
#include "package/Crc32.h"
#include "package/PakFormat.h"

namespace qs::pak {

namespace {

// Directory entries and header fields of an image in memory; a field past the end or out of range is damage.
class ImageInput : public PakInput, public PakHeaderChecks {
public:
    ImageInput(const std::vector<uint8_t>& image, const std::string& what)
        : what_(what), r_(image, [this](const char* field) { PastEnd(field); }) {}
    int64_t Remaining() const override { return int64_t(r_.Remaining()); }
    int64_t Position() const override { return int64_t(r_.Pos()); }
    void Read(void* dst, size_t n) override { std::memcpy(dst, r_.Take(n, "Entry"), n); }
    void Skip(int64_t n) override { r_.Take(size_t(n), "Entry"); }
    [[noreturn]] void PastEnd(const char* field) override {
        Damaged(std::string(field) + " lies past the end of the file");
    }
    // Longer texts are read as Setup.exe reads them (the first 32 bytes kept), not refused.
    void TextLength(const char* lengthField, int32_t n) override {
        if (n < 0) Damaged(std::string(lengthField) + " " + std::to_string(n));
    }
    [[noreturn]] void Damaged(const std::string& why) const { throw Exception(what_ + " is damaged: " + why); }

private:
    const std::string& what_;
    ByteReader r_;
};

}  // namespace

PakInfo ParsePackage(const std::vector<uint8_t>& image, const std::string& what) {
    if (image.size() < sizeof kPakMagic || std::memcmp(image.data(), kPakMagic, sizeof kPakMagic) != 0)
        throw Exception(what + " is not a package");
    ImageInput in(image, what);
    in.Skip(sizeof kPakMagic);
    const PakHeader h = ReadPakHeader(in, in);
    PakInfo info;
    info.reserved = h.reserved;
    info.product = std::string(Utf8Prefix(h.product, kMaxPakText));
    info.productLength = h.productLength;
    info.version = std::string(Utf8Prefix(h.version, kMaxPakText));
    info.versionLength = h.versionLength;
    info.extraNames = h.extraNames;
    info.dirPos = h.dirPos;
    const int32_t count = h.entryCount;
    for (int32_t i = 0; i < count; ++i) {
        PakDirRecord e = ReadPakDirRecord(in, info.extraNames);
        if (e.unpackedSize < 0 || e.packedSize < 0 || e.dataOffset < 0 ||
            size_t(e.dataOffset) > image.size() || size_t(e.packedSize) > image.size() - size_t(e.dataOffset))
            in.Damaged("the packed data of entry \"" + e.name + "\" lie outside the file");
        info.entries.push_back(std::move(e));
    }
    return info;
}

std::vector<uint8_t> UnpackEntry(const std::vector<uint8_t>& image, const PakDirRecord& entry) {
    const uint8_t* packed = image.data() + entry.dataOffset;
    const std::string who = "Entry \"" + entry.name + "\": ";
    if (Crc32UpdateLong(packed, size_t(entry.packedSize), 0) != entry.dataCrc)
        throw Exception(who + "CRC-32 of the packed data does not match");
    std::vector<uint8_t> data = DecodeLzh(packed, size_t(entry.packedSize));
    if (data.size() != size_t(entry.unpackedSize))
        throw Exception(who + "unpacks to " + std::to_string(data.size()) + " bytes instead of " +
                        std::to_string(entry.unpackedSize));
    if (Crc32UpdateLong(data.data(), data.size(), 0) != entry.fileCrc)
        throw Exception(who + "CRC-32 of the unpacked file does not match");
    return data;
}

}  // namespace qs::pak
