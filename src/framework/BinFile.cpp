// What both back ends of BinFile share: the process-wide read mode, the test write budget, and the operations
// built on ReadSome, WriteSome and Seek.
#include "framework/BinFile.h"
#include "framework/Exceptions.h"

namespace qs {

static OpenMode g_readMode = OpenMode::ReadWrite;
void SetFileModeForReading(OpenMode mode) { g_readMode = mode; }
OpenMode FileModeForReading() { return g_readMode; }

static int64_t g_writeBudget = -1;
void SetWriteBudgetForTesting(int64_t bytes) { g_writeBudget = bytes; }

namespace detail {
uint32_t WriteBudgetAllows(uint32_t n) { return g_writeBudget >= 0 && n > g_writeBudget ? uint32_t(g_writeBudget) : n; }
void WriteBudgetSpent(uint32_t n) {
    if (g_writeBudget >= 0) g_writeBudget -= n;
}
}  // namespace detail

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
    return uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
}

int32_t BinFile::ReadI32() { return int32_t(ReadU32()); }

void BinFile::Skip(int64_t count) { Seek(Position() + count); }

}  // namespace qs
