// Reading and checking a package image on the packing side.
#include <cstring>

#include "PakWriter.h"
#include "framework/ByteIO.h"
#include "package/Crc32.h"
#include "package/PakFormat.h"

namespace qs::pak {

namespace {

// Directory entries and header fields of an image in memory; a field past the end or out of range is damage.
class ImageInput : public PakInput {
public:
    ImageInput(const std::vector<uint8_t>& image, const std::string& what)
        : what_(what), r_(image, [this](const char* field) { PastEnd(field); }) {}
    ByteReader& Fields() { return r_; }
    int64_t Remaining() const override { return int64_t(r_.Remaining()); }
    void Read(void* dst, size_t n) override { std::memcpy(dst, r_.Take(n, "Entry"), n); }
    [[noreturn]] void PastEnd(const char* field) override {
        Damaged(std::string(field) + " lies past the end of the file");
    }
    [[noreturn]] void Damaged(const std::string& why) const { throw Exception(what_ + " is damaged: " + why); }

private:
    const std::string& what_;
    ByteReader r_;
};

std::string HeaderText(ImageInput& in, const char* lengthField, const char* field) {
    const int32_t n = in.Fields().I32(lengthField);
    if (n < 0 || size_t(n) > kMaxPakText) in.Damaged(std::string(lengthField) + " " + std::to_string(n));
    return in.Fields().Text(size_t(n), field);
}

}  // namespace

PakInfo ParsePackage(const std::vector<uint8_t>& image, const std::string& what) {
    if (image.size() < sizeof kPakMagic || std::memcmp(image.data(), kPakMagic, sizeof kPakMagic) != 0)
        throw Exception(what + " is not a package");
    ImageInput in(image, what);
    ByteReader& r = in.Fields();
    r.Take(sizeof kPakMagic, "Magic");
    PakInfo info;
    info.reserved = r.U16("Reserved");
    info.product = HeaderText(in, "ProductName length", "ProductName");
    info.version = HeaderText(in, "VersionText length", "VersionText");
    info.extraNames = r.U8("HasExtraName") != 0;
    info.dirPos = static_cast<int32_t>(r.Pos());
    const int32_t count = r.I32("EntryCount");
    for (int32_t i = 0; i < count; ++i) {
        PakDirEntry e = ReadPakDirEntry(in, info.extraNames);
        if (e.unpackedSize < 0 || e.packedSize < 0 || e.dataOffset < 0 ||
            size_t(e.dataOffset) > image.size() || size_t(e.packedSize) > image.size() - size_t(e.dataOffset))
            in.Damaged("the packed data of entry \"" + e.name + "\" lie outside the file");
        info.entries.push_back(std::move(e));
    }
    return info;
}

std::vector<uint8_t> UnpackEntry(const std::vector<uint8_t>& image, const PakDirEntry& entry) {
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
