#include "base/BinFile.h"
#include "base/WriteLimit.h"
#include "base/Exceptions.h"
#include "base/WideText.h"

#include <windows.h>

namespace qs {

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
        access = FileModeForReading() == OpenMode::ReadOnly ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
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
    HANDLE h = CreateFileW(Widen(name).c_str(), access, share, nullptr, disposition, FILE_ATTRIBUTE_NORMAL, nullptr);
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

uint32_t BinFile::WriteSome(const void* buf, uint32_t n) {
    if (!handle_) throw EInOutError(6);
    n = detail::WriteLimitAllows(n);
    DWORD put = 0;
    if (n && !WriteFile(handle_, buf, n, &put, nullptr)) {
        const DWORD e = GetLastError();
        if (e == ERROR_DISK_FULL || e == ERROR_HANDLE_DISK_FULL) return put;
        throw EInOutError(int(e));
    }
    detail::WriteLimitSpent(put);
    return put;
}

void BinFile::Seek(int64_t pos) {
    if (!handle_) throw EInOutError(6);
    if (pos < 0) throw EInOutError(131);  // ERROR_NEGATIVE_SEEK
    LARGE_INTEGER li;
    li.QuadPart = pos;
    if (!SetFilePointerEx(handle_, li, nullptr, FILE_BEGIN)) RaiseLast();
}

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
