// Binary files that raise EInOutError on failure. Two back ends share this contract: Win32 (CreateFileA) in the
// program and its Windows-side tests, POSIX in the native build of the package core.
//
// Names are passed as the program holds them. The POSIX back end turns "\" into "/" and puts a drive-rooted path
// ("C:\a") under a scratch root ("<root>/C/a"), so the package core's folder arithmetic runs natively and safely.
#pragma once
#include <cstdint>
#include <string>
#include <type_traits>

namespace qs {

// Bytes moved per read or write wherever the program picks the size: the decoder's buffers and file copies.
constexpr uint32_t kFileBlockSize = 32768;

enum class OpenMode { ReadOnly, ReadWrite };

// Process-wide mode for files opened for reading. Start-up sets it to ReadOnly (so packages may lie on
// write-protected media) and never changes it back.
void SetFileModeForReading(OpenMode mode);
OpenMode FileModeForReading();

class BinFile {
public:
    BinFile() = default;
    ~BinFile();
    BinFile(BinFile&& other) noexcept;
    BinFile& operator=(BinFile&& other) noexcept;
    BinFile(const BinFile&) = delete;
    BinFile& operator=(const BinFile&) = delete;

    // Opens an existing file for reading in the process-wide mode, sharing reads.
    void OpenRead(const std::string& name);
    // Opens an existing file for reading and writing.
    void OpenReadWrite(const std::string& name);
    // Creates the file, replacing an existing one, for writing.
    void Create(const std::string& name);
    bool IsOpen() const;
    void Close();  // raises on a failed close; safe to call when not open

    // Reads exactly n bytes or raises "Read beyond end of file".
    void ReadExact(void* buf, uint32_t n);
    // Reads up to n bytes; returns how many came (0 at the end of the file).
    uint32_t ReadSome(void* buf, uint32_t n);
    // Writes up to n bytes; returns how many were written (a full disk gives fewer).
    uint32_t WriteSome(const void* buf, uint32_t n);
    // Writes n bytes or raises ("Disk full" on a short write).
    void WriteExact(const void* buf, uint32_t n);

    // Little-endian fixed-size reads used by the package format.
    uint8_t ReadU8();
    int32_t ReadI32();
    uint32_t ReadU32();

    void Seek(int64_t pos);     // absolute; a negative position raises
    void Skip(int64_t count);   // relative to the current position
    int64_t Position() const;
    int64_t Size() const;

    // Sets the last-write time; returns false on failure (callers ignore it). Native handle only on Win32.
    bool SetLastWriteTimeFromDos(uint32_t dosDateTime);

private:
    void Open(const std::string& name, int how);
#ifdef _WIN32
    void* handle_ = nullptr;  // HANDLE; nullptr when closed
#else
    int fd_ = -1;
#endif
};
static_assert(!std::is_copy_constructible_v<BinFile>);

// Maps a program path ("C:\dir\f") to the path the back end uses. Identity on Win32.
std::string NativePath(const std::string& path);
// POSIX back end only: the folder that stands for the drives (default "/tmp/qs-drives").
void SetNativeDriveRoot(const std::string& folder);

}  // namespace qs
