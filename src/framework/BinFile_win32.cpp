#include "framework/BinFile.h"
#include "framework/Exceptions.h"

#include <windows.h>

namespace qs {

static OpenMode g_readMode = OpenMode::ReadWrite;
void SetFileModeForReading(OpenMode mode) { g_readMode = mode; }
OpenMode FileModeForReading() { return g_readMode; }

std::string NativePath(const std::string& path) { return path; }

[[noreturn]] static void RaiseLast() { throw EInOutError(int(GetLastError())); }

enum { kHowRead, kHowReadWrite, kHowCreate };

BinFile::~BinFile() {
    if (handle_) CloseHandle(handle_);
}
BinFile::BinFile(BinFile&& other) noexcept : handle_(other.handle_) { other.handle_ = nullptr; }
BinFile& BinFile::operator=(BinFile&& other) noexcept {
    if (this != &other) {
        if (handle_) CloseHandle(handle_);
        handle_ = other.handle_;
        other.handle_ = nullptr;
    }
    return *this;
}

void BinFile::Open(const std::string& name, int how) {
    Close();
    DWORD access, share, disposition;
    switch (how) {
    case kHowRead:
        access = g_readMode == OpenMode::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
        share = FILE_SHARE_READ;
        disposition = OPEN_EXISTING;
        break;
    case kHowReadWrite:
        access = GENERIC_READ | GENERIC_WRITE;
        share = 0;
        disposition = OPEN_EXISTING;
        break;
    default:
        access = GENERIC_WRITE;
        share = 0;
        disposition = CREATE_ALWAYS;
        break;
    }
    HANDLE h = CreateFileA(name.c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) RaiseLast();
    handle_ = h;
}

void BinFile::OpenRead(const std::string& name) { Open(name, kHowRead); }
void BinFile::OpenReadWrite(const std::string& name) { Open(name, kHowReadWrite); }
void BinFile::Create(const std::string& name) { Open(name, kHowCreate); }
bool BinFile::IsOpen() const { return handle_ != nullptr; }

void BinFile::Close() {
    if (!handle_) return;
    HANDLE h = handle_;
    handle_ = nullptr;
    if (!CloseHandle(h)) RaiseLast();
}

uint32_t BinFile::ReadSome(void* buf, uint32_t n) {
    if (!handle_) throw EInOutError(6);  // ERROR_INVALID_HANDLE: "I/O error 6", as for a closed file
    DWORD got = 0;
    if (n && !ReadFile(handle_, buf, n, &got, nullptr)) RaiseLast();
    return got;
}

void BinFile::ReadExact(void* buf, uint32_t n) {
    if (ReadSome(buf, n) != n) throw EInOutError(EInOutError::kReadBeyondEnd);
}

static int64_t g_writeBudget = -1;
void SetWriteBudgetForTesting(int64_t bytes) { g_writeBudget = bytes; }

uint32_t BinFile::WriteSome(const void* buf, uint32_t n) {
    if (!handle_) throw EInOutError(6);
    if (g_writeBudget >= 0 && n > g_writeBudget) n = uint32_t(g_writeBudget);
    DWORD put = 0;
    if (n && !WriteFile(handle_, buf, n, &put, nullptr)) {
        const DWORD e = GetLastError();
        if (e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL) return put;
        throw EInOutError(int(e));
    }
    if (g_writeBudget >= 0) g_writeBudget -= put;
    return put;
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

void BinFile::Seek(int64_t pos) {
    if (!handle_) throw EInOutError(6);
    if (pos < 0) throw EInOutError(131);  // ERROR_NEGATIVE_SEEK
    LARGE_INTEGER li;
    li.QuadPart = pos;
    if (!SetFilePointerEx(handle_, li, nullptr, FILE_BEGIN)) RaiseLast();
}

void BinFile::Skip(int64_t count) { Seek(Position() + count); }

int64_t BinFile::Position() const {
    if (!handle_) throw EInOutError(6);
    LARGE_INTEGER zero{}, now{};
    if (!SetFilePointerEx(handle_, zero, &now, FILE_CURRENT)) RaiseLast();
    return now.QuadPart;
}

int64_t BinFile::Size() const {
    if (!handle_) throw EInOutError(6);
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(handle_, &size)) RaiseLast();
    return size.QuadPart;
}

bool BinFile::SetLastWriteTimeFromDos(uint32_t dosDateTime) {
    if (!handle_) return false;
    FILETIME local, utc;
    if (!DosDateTimeToFileTime(WORD(dosDateTime >> 16), WORD(dosDateTime & 0xFFFF), &local)) return false;
    if (!LocalFileTimeToFileTime(&local, &utc)) return false;
    return SetFileTime(handle_, nullptr, nullptr, &utc) != 0;
}

}  // namespace qs
