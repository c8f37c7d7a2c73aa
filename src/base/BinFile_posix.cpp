#include "base/BinFile.h"
#include "base/DosTime.h"
#include "base/WriteLimit.h"
#include "base/Exceptions.h"
#include "base/Text.h"

#include <cerrno>
#include <ctime>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>

namespace qs {

static std::string g_driveRoot = "/tmp/qs-drives";
void SetNativeDriveRoot(const std::string& folder) { g_driveRoot = folder; }

std::string NativePath(const std::string& path) {
    std::string p = path;
    if (p.size() >= 2 && p[1] == ':') p = g_driveRoot + "/" + AsciiUpper(p[0]) + p.substr(2);
    for (char& c : p)
        if (c == '\\') c = '/';
    return p;
}

// errno to the Win32 code whose text the user would have seen on Windows.
static int Win32CodeOf(int e) {
    switch (e) {
    case ENOENT: return 2;
    case ENOTDIR: return 3;
    case EACCES:
    case EPERM:
    case EISDIR:
    case EROFS: return 5;
    case ENOSPC: return 112;
    default: return 1000 + e;
    }
}
[[noreturn]] static void RaiseErrno() { throw EInOutError(Win32CodeOf(errno)); }

enum { kHowRead, kHowReadWrite, kHowCreate };

BinFile::~BinFile() {
    if (fd_ >= 0) ::close(fd_);
}
BinFile::BinFile(BinFile&& other) noexcept : fd_(other.fd_) { other.fd_ = -1; }
BinFile& BinFile::operator=(BinFile&& other) noexcept {
    if (this != &other) {
        if (fd_ >= 0) ::close(fd_);
        fd_ = other.fd_;
        other.fd_ = -1;
    }
    return *this;
}

void BinFile::Open(const std::string& name, int how) {
    Close();
    int flags;
    switch (how) {
    case kHowRead: flags = FileModeForReading() == OpenMode::ReadOnly ? O_RDONLY : O_RDWR; break;
    case kHowReadWrite: flags = O_RDWR; break;
    default: flags = O_WRONLY | O_CREAT | O_TRUNC; break;
    }
    const std::string native = NativePath(name);
    struct stat st;
    if (::stat(native.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) throw EInOutError(5);
    const int fd = ::open(native.c_str(), flags | O_CLOEXEC, 0644);
    if (fd < 0) RaiseErrno();
    fd_ = fd;
}

void BinFile::OpenRead(const std::string& name) { Open(name, kHowRead); }
void BinFile::OpenReadWrite(const std::string& name) { Open(name, kHowReadWrite); }
void BinFile::Create(const std::string& name) { Open(name, kHowCreate); }
bool BinFile::IsOpen() const { return fd_ >= 0; }

void BinFile::Close() {
    if (fd_ < 0) return;
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) RaiseErrno();
}

uint32_t BinFile::ReadSome(void* buf, uint32_t n) {
    if (fd_ < 0) throw EInOutError(6);
    uint32_t got = 0;
    while (got < n) {
        const ssize_t r = ::read(fd_, static_cast<char*>(buf) + got, n - got);
        if (r < 0) {
            if (errno == EINTR) continue;
            RaiseErrno();
        }
        if (r == 0) break;
        got += uint32_t(r);
    }
    return got;
}

uint32_t BinFile::WriteSome(const void* buf, uint32_t n) {
    if (fd_ < 0) throw EInOutError(6);
    n = detail::WriteLimitAllows(n);
    uint32_t put = 0;
    while (put < n) {
        const ssize_t w = ::write(fd_, static_cast<const char*>(buf) + put, n - put);
        if (w < 0) {
            if (errno == EINTR) continue;
            if (errno == ENOSPC) break;
            RaiseErrno();
        }
        put += uint32_t(w);
    }
    detail::WriteLimitSpent(put);
    return put;
}

void BinFile::Seek(int64_t pos) {
    if (fd_ < 0) throw EInOutError(6);
    if (pos < 0) throw EInOutError(131);
    if (::lseek(fd_, off_t(pos), SEEK_SET) < 0) RaiseErrno();
}

int64_t BinFile::Position() const {
    if (fd_ < 0) throw EInOutError(6);
    const off_t p = ::lseek(fd_, 0, SEEK_CUR);
    if (p < 0) RaiseErrno();
    return p;
}

int64_t BinFile::Size() const {
    if (fd_ < 0) throw EInOutError(6);
    struct stat st;
    if (::fstat(fd_, &st) != 0) RaiseErrno();
    return st.st_size;
}

bool BinFile::SetLastWriteTimeFromDos(uint32_t dos) {
    if (fd_ < 0) return false;
    const DosDateTime d = SplitDosTime(dos);
    if (d.month < 1 || d.month > 12 || d.day < 1) return false;
    const time_t when = TimeFromDosTime(dos);
    if (when == time_t(-1)) return false;
    struct timespec times[2];
    times[0].tv_sec = 0;
    times[0].tv_nsec = UTIME_OMIT;
    times[1].tv_sec = when;
    times[1].tv_nsec = 0;
    return ::futimens(fd_, times) == 0;
}

}  // namespace qs
