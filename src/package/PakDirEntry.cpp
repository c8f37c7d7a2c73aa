#include "package/PakDirEntry.h"

namespace qs {

namespace {

// The fixed part's fields in stored order, four bytes each.
constexpr const char* kFixedFields[kPakFixedPartSize / 4] = {"FileTime",   "UnpackedSize", "DataOffset",
                                                             "PackedSize", "FileCRC",      "DataCRC"};

void ReadChecked(PakInput& in, void* dst, size_t n, const char* field) {
    if (in.Remaining() < int64_t(n)) in.PastEnd(field);
    if (n) in.Read(dst, n);
}

std::string ReadName(PakInput& in, const char* lengthField, const char* field) {
    uint8_t n = 0;
    ReadChecked(in, &n, 1, lengthField);
    std::string s(n, '\0');
    ReadChecked(in, &s[0], n, field);
    return s;
}

uint32_t U32At(const uint8_t* p) {
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

void PutU32(std::vector<uint8_t>& out, uint32_t x) {
    for (int i = 0; i < 4; ++i) out.push_back(uint8_t(x >> (8 * i)));
}

void PutName(std::vector<uint8_t>& out, const std::string& s) {
    out.push_back(uint8_t(s.size()));
    out.insert(out.end(), s.begin(), s.end());
}

}  // namespace

PakDirEntry ReadPakDirEntry(PakInput& in, bool hasExtraName) {
    PakDirEntry e;
    e.name = ReadName(in, "FileName length", "FileName");
    if (hasExtraName) e.extraName = ReadName(in, "ExtraName length", "ExtraName");
    // The fixed part comes in one read; a cut one names the first field that does not fit.
    const int64_t left = in.Remaining();
    if (left < kPakFixedPartSize) in.PastEnd(kFixedFields[left < 0 ? 0 : left / 4]);
    uint8_t fixed[kPakFixedPartSize];
    in.Read(fixed, sizeof fixed);
    e.dosTime = U32At(fixed);
    e.unpackedSize = int32_t(U32At(fixed + 4));
    e.dataOffset = int32_t(U32At(fixed + 8));
    e.packedSize = int32_t(U32At(fixed + 12));
    e.fileCrc = U32At(fixed + 16);
    e.dataCrc = U32At(fixed + 20);
    return e;
}

void WritePakDirEntry(std::vector<uint8_t>& out, const PakDirEntry& e, bool hasExtraName) {
    PutName(out, e.name);
    if (hasExtraName) PutName(out, e.extraName);
    PutU32(out, e.dosTime);
    PutU32(out, uint32_t(e.unpackedSize));
    PutU32(out, uint32_t(e.dataOffset));
    PutU32(out, uint32_t(e.packedSize));
    PutU32(out, e.fileCrc);
    PutU32(out, e.dataCrc);
}

}  // namespace qs
