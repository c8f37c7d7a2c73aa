#include "package/PakDirRecord.h"

#include "base/ByteIO.h"

namespace qs {

namespace {

// The fixed part's fields in stored order, four bytes each.
constexpr const char* kFixedFields[kPakFixedPartSize / 4] = {"FileTime",   "UnpackedSize", "DataOffset",
                                                             "PackedSize", "FileCRC",      "DataCRC"};

std::string ReadName(PakInput& in, const char* lengthField, const char* field) {
    uint8_t n = 0;
    in.ReadField(&n, 1, lengthField);
    std::string s(n, '\0');
    in.ReadField(&s[0], n, field);
    return s;
}

}  // namespace

PakDirRecord ReadPakDirRecord(PakInput& in, bool hasExtraName) {
    PakDirRecord e;
    e.name = ReadName(in, "FileName length", "FileName");
    if (hasExtraName) e.extraName = ReadName(in, "ExtraName length", "ExtraName");
    // The fixed part comes in one read; a cut one names the first field that does not fit.
    const int64_t left = in.Remaining();
    if (left < kPakFixedPartSize) in.PastEnd(kFixedFields[left < 0 ? 0 : left / 4]);
    uint8_t fixed[kPakFixedPartSize];
    in.Read(fixed, sizeof fixed);
    ByteReader r(fixed, sizeof fixed);
    e.dosTime = r.U32(kFixedFields[0]);
    e.unpackedSize = r.I32(kFixedFields[1]);
    e.dataOffset = r.I32(kFixedFields[2]);
    e.packedSize = r.I32(kFixedFields[3]);
    e.fileCrc = r.U32(kFixedFields[4]);
    e.dataCrc = r.U32(kFixedFields[5]);
    return e;
}

void WritePakDirRecord(std::vector<uint8_t>& out, const PakDirRecord& e, bool hasExtraName) {
    ByteWriter w(out);
    w.ShortText(e.name);
    if (hasExtraName) w.ShortText(e.extraName);
    w.U32(e.dosTime);
    w.I32(e.unpackedSize);
    w.I32(e.dataOffset);
    w.I32(e.packedSize);
    w.U32(e.fileCrc);
    w.U32(e.dataCrc);
}

}  // namespace qs
