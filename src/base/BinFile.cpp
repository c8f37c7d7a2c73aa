// What both back ends of BinFile share: the process-wide read mode and the operations built on ReadSome,
// WriteSome and Seek.
#include "base/BinFile.h"
#include "base/ByteIO.h"
#include "base/Exceptions.h"

namespace qs {

static OpenMode g_readMode = OpenMode::ReadWrite;
void SetFileModeForReading(OpenMode mode) { g_readMode = mode; }
OpenMode FileModeForReading() { return g_readMode; }

void BinFile::ReadExact(void* buf, uint32_t n) {
    if (ReadSome(buf, n) != n) throw EInOutError(EInOutError::kReadBeyondEnd);
}

void BinFile::WriteExact(const void* buf, uint32_t n) {
    if (WriteSome(buf, n) != n) throw EInOutError(EInOutError::kDiskFull);
}

uint8_t BinFile::ReadU8() {
    uint8_t v;
    ReadExact(&v, 1);
    return v;
}

uint32_t BinFile::ReadU32() {
    uint8_t b[4];
    ReadExact(b, 4);
    return LoadLE32(b);
}

int32_t BinFile::ReadI32() { return int32_t(ReadU32()); }

void BinFile::Skip(int64_t count) { Seek(Position() + count); }

}  // namespace qs
