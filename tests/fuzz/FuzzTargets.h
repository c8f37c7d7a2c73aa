// The bodies of the fuzz targets, shared by the libFuzzer programs (tests/fuzz/*_fuzz.cpp) and the host
// regression tests (tests/host/fuzz_regressions_test.cpp), so a saved input runs through exactly the same code
// and the same checks in both.
//
// Each body takes one input and returns normally when every check holds. A broken check calls QS_FUZZ_FAIL,
// which the includer defines: the fuzz programs print and abort, the regression tests throw.
#pragma once
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "../common/CmdLineModel.h"
#include "../common/MiniPe.h"
#include "deleteme/CmdLine.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "package/Crc32.h"
#include "package/Extract.h"
#include "package/LZH_OP.h"
#include "package/LzhMemory.h"
#include "package/PakFormat.h"
#include "package/PakSignature.h"
#include "stub/BundleFormat.h"
#include "system/InstalledFileList.h"
#include "system/SearchPath.h"

#ifndef QS_FUZZ_FAIL
#error "define QS_FUZZ_FAIL(what) before including FuzzTargets.h"
#endif
#define QS_FUZZ_CHECK(cond)                                                      \
    do {                                                                         \
        if (!(cond)) QS_FUZZ_FAIL("check failed: " #cond " (line " QS_FUZZ_STR(__LINE__) ")"); \
    } while (0)
#define QS_FUZZ_STR2(x) #x
#define QS_FUZZ_STR(x) QS_FUZZ_STR2(x)

namespace qs::fuzz {

// Inputs above this are refused by every target: time and memory stay bounded whatever the fuzzer tries.
constexpr size_t kMaxInput = 1 << 20;

// A private folder per process, standing for the drives of the package core ("C:\x" -> <root>/drives/C/x).
class Scratch {
public:
    Scratch() {
        // Memory-backed when the machine has it: one file is written per input.
        struct stat shm;
        const bool haveShm = ::stat("/dev/shm", &shm) == 0 && S_ISDIR(shm.st_mode) && ::access("/dev/shm", W_OK) == 0;
        base_ = std::string(haveShm ? "/dev/shm" : "/tmp") + "/qs-fuzz-" + std::to_string(getpid());
        ::mkdir(base_.c_str(), 0700);
        ::mkdir((base_ + "/drives").c_str(), 0700);
        ::mkdir((base_ + "/drives/C").c_str(), 0700);
        ::mkdir((base_ + "/drives/C/media").c_str(), 0700);
        SetNativeDriveRoot(base_ + "/drives");
    }
    ~Scratch() {
        EmptyNative(base_);
        ::rmdir(base_.c_str());
    }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    const std::string& Base() const { return base_; }
    std::string Native(const std::string& rel) const { return base_ + "/drives/C/" + rel; }

    void WriteFile(const std::string& rel, const uint8_t* data, size_t size) const {
        std::ofstream(Native(rel), std::ios::binary | std::ios::trunc)
            .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    }

    // Every path below the base, relative to it ("drives/C/media/x.pak"), folders ending in "/".
    std::vector<std::string> Walk() const {
        std::vector<std::string> out;
        WalkInto(base_, "", out);
        return out;
    }

    // Removes everything below folder (relative to the base); the folder itself stays.
    void Empty(const std::string& rel) const { EmptyNative(base_ + "/" + rel); }
    void RemoveTree(const std::string& rel) const {
        EmptyNative(base_ + "/" + rel);
        ::rmdir((base_ + "/" + rel).c_str());
    }

private:
    // Calls fn(name, full path, is a folder) for every entry of dir but "." and "..", links not followed.
    template <class Fn>
    static void ForEachEntry(const std::string& dir, Fn fn) {
        DIR* d = ::opendir(dir.c_str());
        if (!d) return;
        while (dirent* e = ::readdir(d)) {
            const std::string name = e->d_name;
            if (name == "." || name == "..") continue;
            const std::string full = dir + "/" + name;
            struct stat st;
            if (::lstat(full.c_str(), &st) == 0) fn(name, full, S_ISDIR(st.st_mode));
        }
        ::closedir(d);
    }
    static void WalkInto(const std::string& dir, const std::string& rel, std::vector<std::string>& out) {
        ForEachEntry(dir, [&](const std::string& name, const std::string& full, bool folder) {
            out.push_back(rel + name + (folder ? "/" : ""));
            if (folder) WalkInto(full, rel + name + "/", out);
        });
    }
    static void EmptyNative(const std::string& dir) {
        ForEachEntry(dir, [](const std::string&, const std::string& full, bool folder) {
            if (folder) {
                EmptyNative(full);
                ::rmdir(full.c_str());
            } else {
                ::unlink(full.c_str());
            }
        });
    }
    std::string base_;
};

inline Scratch& TheScratch() {
    static Scratch s;
    SetNativeDriveRoot(s.Base() + "/drives");  // again each time: a test program may have moved it meanwhile
    return s;
}

// ---- header scan ---------------------------------------------------------------------------------------------
// The first byte picks the role, the rest is the package file. A scan either raises one of its documented
// errors or returns a summary that fits inside the file.
inline void PakScanOne(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return;
    const PakRole role = data[0] % 3 == 0 ? PakRole::Main : data[0] % 3 == 1 ? PakRole::Delphi10 : PakRole::Delphi20;
    Scratch& s = TheScratch();
    s.WriteFile("media/scan.pak", data + 1, size - 1);
    try {
        const PackageSummary sum = ScanPackage("C:\\media\\scan.pak", role);
        const int64_t fileSize = int64_t(size - 1);
        QS_FUZZ_CHECK(sum.DirPos >= 16 && sum.DirPos + 4 <= fileSize);
        QS_FUZZ_CHECK(sum.VersionText.size() <= kMaxPakText);
        QS_FUZZ_CHECK(sum.ProductName.size() <= kMaxPakText);
        if (role == PakRole::Main) QS_FUZZ_CHECK(sum.ProductName == "Quillostrand");
        // Each entry takes at least 25 bytes of the file: a count that fits none of them cannot have scanned.
        if (sum.EntryCount > 0) QS_FUZZ_CHECK(int64_t(sum.EntryCount) * 25 <= fileSize - sum.DirPos - 4);
        if (sum.EntryCount <= 0) QS_FUZZ_CHECK(sum.TotalSize == 0);
    } catch (const EWrongProduct&) {
        QS_FUZZ_CHECK(role == PakRole::Main);
    } catch (const EInOutError&) {
    } catch (const Exception& e) {
        const std::string m = e.Message();
        QS_FUZZ_CHECK(m == "PAK file corrupt" || m == "File Delphi10.pak is corrupt" ||
                      m == "File Delphi20.pak is corrupt");
    }
}

// ---- decoder -------------------------------------------------------------------------------------------------
// Buffer sizes from one byte each: the small sizes 16..215 often, the large ones too.
inline uint16_t BufSizeFrom(uint8_t b) {
    static const uint16_t kLarge[] = {4096, 32767, 32768, 1000, 4097, 60, 61, 59};
    return b < 200 ? uint16_t(16 + b) : kLarge[b % 8];
}

struct DecodeResult {
    uint64_t length = 0;
    uint32_t crc = 0;
    bool threw = false;
};

// One run of the decoder over stream. chunk > 0 makes the source deliver at most chunk bytes a call (a short read
// is not the end); failAfterPuts > 0 makes the sink raise on that call.
inline DecodeResult DecodeOnce(TLZHCompressor& d, const uint8_t* stream, size_t size, uint16_t readSize,
                               uint16_t writeSize, size_t chunk, int failAfterPuts) {
    d.SetReadBufSize(readSize);
    d.SetWriteBufSize(writeSize);
    DecodeResult r;
    MemorySource source(stream, size, chunk);
    int puts = 0;
    bool lastPutShort = false;
    d.OnGetBytes = [&](TLZHCompressor&, void* dta, uint16_t n, uint16_t& got) {
        QS_FUZZ_CHECK(n >= 1 && n <= d.ReadBufSize());
        got = source.Take(dta, n);
    };
    d.OnPutBytes = [&](TLZHCompressor&, const void* dta, uint16_t n, uint16_t& put) {
        // Full blocks while more output follows; only the final hand-over may be shorter.
        QS_FUZZ_CHECK(!lastPutShort);
        QS_FUZZ_CHECK(n <= d.WriteBufSize());
        if (n < d.WriteBufSize()) lastPutShort = true;
        ++puts;
        if (failAfterPuts > 0 && puts == failAfterPuts) throw EInOutError(EInOutError::kDiskFull);
        r.length += n;
        r.crc = Crc32UpdateLong(dta, n, r.crc);
        put = n;
    };
    try {
        d.Decompress();
    } catch (const EInOutError&) {
        // Only the sink's own error may come out, and only from the final hand-over.
        QS_FUZZ_CHECK(failAfterPuts > 0 && puts == failAfterPuts);
        r.threw = true;
    }
    QS_FUZZ_CHECK(d.Finished());
    return r;
}

// Input: read-size byte, write-size byte, mode byte, then the stream. The result must not depend on buffer sizes
// or on how the source cuts its deliveries, and a run ended by a failing sink must leave the component ready:
// the next run on the same component gives the same result as a fresh one.
inline void LzhDecodeOne(const uint8_t* data, size_t size) {
    if (size < 3 || size > kMaxInput) return;
    const uint16_t rs = BufSizeFrom(data[0]);
    const uint16_t ws = BufSizeFrom(data[1]);
    const uint8_t mode = data[2];
    const uint8_t* stream = data + 3;
    const size_t n = size - 3;

    TLZHCompressor reference;
    const DecodeResult want = DecodeOnce(reference, stream, n, 32768, 32768, 0, 0);
    QS_FUZZ_CHECK(!want.threw);

    TLZHCompressor d;
    const size_t chunk = (mode & 1) ? size_t(1 + (mode >> 4)) : 0;
    const DecodeResult got = DecodeOnce(d, stream, n, rs, ws, chunk, 0);
    QS_FUZZ_CHECK(got.length == want.length);
    QS_FUZZ_CHECK(got.crc == want.crc);

    if (mode & 2) {
        // A sink failing on its first call; then the same component decodes again as if new.
        DecodeOnce(d, stream, n, rs, ws, 0, 1);
        const DecodeResult again = DecodeOnce(d, stream, n, rs, ws, 0, 0);
        QS_FUZZ_CHECK(again.length == want.length);
        QS_FUZZ_CHECK(again.crc == want.crc);
    }
}

// ---- extraction ----------------------------------------------------------------------------------------------
// Counts what the window would show, and stops a run whose output grows past a bound (a hostile directory can
// point thousands of entries at the same packed data).
class CountingProgress : public ExtractProgress {
public:
    void SetBusyText(const std::string& text) override {
        ++texts;
        QS_FUZZ_CHECK(text == "Creating directory structure..." ||
                      (text.rfind("Decompressing ", 0) == 0 && text.size() >= 17 &&
                       text.compare(text.size() - 3, 3, "...") == 0));
    }
    void AdvanceProgress(uint32_t bytes) override {
        written += bytes;
        if (written > kMaxOutput) throw EInOutError(EInOutError::kDiskFull);
    }
    static constexpr uint64_t kMaxOutput = 64u << 20;
    uint64_t written = 0;
    int texts = 0;
};

// Input: one flag byte (bit 0: HasExtraName as the scan saw it; bit 1: scan as the main package), then the
// package file. The package is scanned as start-up does and, when the scan passes, extracted into C:\dest\sub\.
// Afterwards nothing may exist below the scratch folder but the package, the folder chain and files directly in
// the destination; the installed-file list has one well-formed slot per entry.
inline void ExtractOne(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return;
    Scratch& s = TheScratch();
    s.RemoveTree("drives/C/dest");
    s.WriteFile("media/Delphi10.pak", data + 1, size - 1);

    PackageSummary sum;
    try {
        sum = ScanPackage("C:\\media\\Delphi10.pak", (data[0] & 2) ? PakRole::Main : PakRole::Delphi10);
    } catch (const Exception&) {
        return;  // start-up would not offer this package
    }

    CountingProgress progress;
    TPackageExtractor x(progress);
    TLZHCompressor decoder;
    decoder.SetReadBufSize(32768);
    decoder.SetWriteBufSize(32768);
    x.Attach(decoder);
    std::vector<uint8_t> list;
    bool ok = false;
    try {
        list = x.ExtractPackage(decoder, "C:\\media\\", "Delphi10.pak", "C:\\dest\\sub", sum.DirPos,
                                (data[0] & 1) != 0 || sum.HasExtraName);
        ok = true;
    } catch (const EInOutError&) {
    } catch (const Exception& e) {
        const std::string m = e.Message();
        QS_FUZZ_CHECK(m == PackageErrorText("Delphi10.pak") || m == kDestinationErrorText);
    }

    if (ok) {
        QS_FUZZ_CHECK(list.size() % kSlotSize == 0);
        QS_FUZZ_CHECK(list.size() / kSlotSize == size_t(std::max(sum.EntryCount, 0)));
        for (size_t i = 0; i < list.size(); i += kSlotSize) {
            QS_FUZZ_CHECK(list[i] <= 12);
            for (size_t k = 1; k <= list[i]; ++k) QS_FUZZ_CHECK(!(list[i + k] >= 'a' && list[i + k] <= 'z'));
        }
    }

    static const std::set<std::string> kFixed = {"drives/",       "drives/C/",        "drives/C/media/",
                                                 "drives/C/media/Delphi10.pak",       "drives/C/media/scan.pak",
                                                 "drives/C/dest/", "drives/C/dest/sub/"};
    const std::string inDest = "drives/C/dest/sub/";
    for (const std::string& p : s.Walk()) {
        if (kFixed.count(p)) continue;
        // Only plain files directly in the destination folder.
        const bool direct = p.compare(0, inDest.size(), inDest) == 0 &&
                            p.find('/', inDest.size()) == std::string::npos && p.size() > inDest.size();
        if (!direct) {
            std::fprintf(stderr, "written outside the destination: %s\n", p.c_str());
            QS_FUZZ_FAIL("extraction wrote outside its destination folder");
        }
    }
    if (ok && sum.EntryCount > 0) QS_FUZZ_CHECK(progress.texts >= 2);
}

// ---- installed-file list -------------------------------------------------------------------------------------
// Input: a flag byte (bit 0: help index, bits 1-2: which folder), then the list block.
inline void FileListOne(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return;
    static const char* const kFolders[] = {"C:\\Program Files\\Quillostrand", "C:\\Program Files\\Quillostrand\\",
                                           "D:\\", "C:\\DELPHI\\LIB"};
    const std::string folder = kFolders[(data[0] >> 1) & 3];
    const std::string dir = folder.back() == '\\' ? folder : folder + "\\";
    const std::vector<uint8_t> list(data + 1, data + size);
    const std::vector<std::string> paths = ListedFilePaths(list, folder, (data[0] & 1) != 0);
    // Never more than a name per slot, and its ".gid" companion.
    QS_FUZZ_CHECK(paths.size() <= 2 * (list.size() / 13));
    for (const std::string& p : paths) {
        QS_FUZZ_CHECK(p.compare(0, dir.size(), dir) == 0);
        const std::string name = p.substr(dir.size());
        QS_FUZZ_CHECK(!name.empty());
        QS_FUZZ_CHECK(name.find_first_of("\\/:") == std::string::npos);
        QS_FUZZ_CHECK(name != "." && name != "..");
        QS_FUZZ_CHECK(name.size() <= 12);
        QS_FUZZ_CHECK(IsPlainFileName(name));
    }
}

// ---- DeleteMe's command line ---------------------------------------------------------------------------------
// The splitter reads 16-bit units. Each input byte is one unit: ASCII as itself, a byte b from 0x80 up as
// (b << 8) | (b & 0x7F), a unit outside ASCII whose low byte is an ASCII one (a blank, a quote, 0) or a surrogate,
// so that a splitter looking at low bytes only is caught.
inline void CmdLineOne(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return;
    const size_t maxArgs = data[0] % 8;
    // The command line ends at its first NUL, as a C string does.
    std::u16string line;
    for (size_t i = 1; i < size && data[i] != 0; ++i)
        line += data[i] < 0x80 ? char16_t(data[i]) : char16_t((data[i] << 8) | (data[i] & 0x7F));
    const auto textOf = [](const QsChar* p) {
        std::u16string t;
        while (*p != 0) t += char16_t(*p++);
        return t;
    };

    // Exactly the room the contract asks for, so that any overrun is seen by the address checker.
    std::vector<QsChar> text(line.begin(), line.end());
    text.push_back(0);
    std::vector<QsChar> buf(line.size() + 1, QsChar(0x55));
    std::vector<const QsChar*> args(maxArgs + 1, nullptr);
    const size_t count = QsSplitArgs(text.data(), buf.data(), args.data(), maxArgs);

    const std::vector<std::u16string> model = test::ModelSplit(line);
    const size_t want = model.empty() ? 0 : model.size() - 1;
    QS_FUZZ_CHECK(count == want);
    for (size_t k = 0; k < std::min(count, maxArgs); ++k) {
        QS_FUZZ_CHECK(args[k] >= buf.data() && args[k] < buf.data() + buf.size());
        QS_FUZZ_CHECK(textOf(args[k]) == model[k + 1]);
    }
    QS_FUZZ_CHECK(args[maxArgs] == nullptr);

    // Element by element, as DeleteMe's first reading does.
    const QsChar* pos = text.data();
    std::vector<QsChar> one(line.size() + 1);
    for (size_t k = 0; k <= model.size(); ++k) {
        const size_t len = QsNextArg(&pos, one.data());
        QS_FUZZ_CHECK(pos >= text.data() && pos <= text.data() + line.size());
        if (k == model.size()) {
            QS_FUZZ_CHECK(len == 0);
            break;
        }
        QS_FUZZ_CHECK(textOf(one.data()) == model[k] && len == model[k].size());
    }
}

// ---- DELPHI.INI search path ----------------------------------------------------------------------------------
inline void SearchPathOne(const uint8_t* data, size_t size) {
    if (size > kMaxInput) return;
    const std::string path(reinterpret_cast<const char*>(data), size);
    const std::optional<std::string> lib = FindDelphi10LibElement(path);
    const std::string upper = AsciiUpper(path);
    if (!lib) {
        // Nothing only when no element ends in "\LIB" before a ";" and the path does not end in one.
        QS_FUZZ_CHECK(upper.find("\\LIB;") == std::string::npos);
        return;
    }
    QS_FUZZ_CHECK(path.find(*lib) != std::string::npos);
    QS_FUZZ_CHECK(lib->size() >= 4);
    QS_FUZZ_CHECK(AsciiUpper(lib->substr(lib->size() - 4)) == "\\LIB");
    QS_FUZZ_CHECK(lib->find(';') == std::string::npos);
    // A whole element: it starts the path or follows a ";", and ends it or precedes one.
    bool whole = false;
    for (size_t at = path.find(*lib); at != std::string::npos; at = path.find(*lib, at + 1)) {
        const size_t end = at + lib->size();
        if ((at == 0 || path[at - 1] == ';') && (end == path.size() || path[end] == ';')) whole = true;
    }
    QS_FUZZ_CHECK(whole);
}

// ---- signature file ------------------------------------------------------------------------------------------
// The first byte picks the key's modulus length (and, as 255, a missing file), the rest is the .sig file. The
// reader never raises, and hands out bytes only for a file exactly as long as the modulus.
inline void SigFileOne(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return;
    static const size_t kModulus[] = {384, 512, 256, 1};
    const size_t modulus = kModulus[data[0] % 4];
    Scratch& s = TheScratch();
    s.WriteFile("media/Quilstr.sig", data + 1, size - 1);
    if (data[0] == 255) std::remove(s.Native("media/Quilstr.sig").c_str());
    const size_t fileSize = size - 1;
    SignatureFile sig;
    try {
        sig = ReadSignatureFile("C:\\media\\Quilstr.sig", modulus);
    } catch (...) {
        QS_FUZZ_FAIL("the signature reader raised");
    }
    using F = SignatureFileFault;
    if (data[0] == 255) {
        QS_FUZZ_CHECK(sig.fault == F::Missing);
    } else if (fileSize == 0) {
        QS_FUZZ_CHECK(sig.fault == F::Empty);
    } else if (int64_t(fileSize) > kMaxSignatureFile) {
        QS_FUZZ_CHECK(sig.fault == F::TooLarge);
    } else if (fileSize != modulus) {
        QS_FUZZ_CHECK(sig.fault == F::WrongSize);
    } else {
        QS_FUZZ_CHECK(sig.fault == F::None && sig.bytes.size() == modulus &&
                      std::equal(sig.bytes.begin(), sig.bytes.end(), data + 1));
    }
    if (sig.fault != F::None) QS_FUZZ_CHECK(sig.bytes.empty());
}

// ---- QstSetup.exe's payload ------------------------------------------------------------------------------------
// The input follows a minimal Windows program, as a payload follows the stub; the first byte's low bit appends a
// certificate table as a signing tool does (its padding and size from the other bits). Whatever the reader accepts
// lies inside the image, back to back up to the directory, under plain names given once, Setup.exe among them.
inline void BundleOne(const uint8_t* data, size_t size) {
    if (size < 1 || size > kMaxInput) return;
    std::vector<uint8_t> image = qs::test::MiniPe(512);
    image.insert(image.end(), data + 1, data + size);
    if (data[0] & 1) qs::test::AppendCertificateTable(image, data[0] >> 5, 8 + ((data[0] >> 1) & 15));
    QsbBundle b;
    const QsbResult r = QsbRead(image.data(), image.size(), &b);
    QS_FUZZ_CHECK(r == QSB_OK || r == QSB_NO_PAYLOAD || r == QSB_DAMAGED);
    if (r != QSB_OK) return;
    QS_FUZZ_CHECK(b.end <= image.size() && b.end >= QSB_TRAILER_SIZE);
    QS_FUZZ_CHECK(b.directoryOffset + b.directorySize + QSB_TRAILER_SIZE <= b.end);
    QS_FUZZ_CHECK(b.fileCount >= 1 && b.fileCount <= QSB_MAX_FILES);
    uint64_t at = b.payloadOffset;
    bool setup = false;
    for (uint32_t i = 0; i < b.fileCount; ++i) {
        const QsbFile& f = b.files[i];
        QS_FUZZ_CHECK(f.offset == at && f.size <= b.directoryOffset - at);
        at += f.size;
        const size_t len = std::strlen(f.name);
        QS_FUZZ_CHECK(QsbPlainName(reinterpret_cast<const uint8_t*>(f.name), len));
        for (uint32_t j = 0; j < i; ++j) QS_FUZZ_CHECK(!QsbSameName(b.files[j].name, f.name));
        setup = setup || QsbSameName(f.name, QSB_SETUP_NAME);
    }
    QS_FUZZ_CHECK(at == b.directoryOffset && setup);
    QsbBundle again;
    QS_FUZZ_CHECK(QsbRead(image.data(), image.size(), &again) == QSB_OK && std::memcmp(&again, &b, sizeof b) == 0);
}

// Every target: its name (the program fuzz_<name>, the folders corpus/<name> and regressions/<name>), its check,
// and the longest input the fuzzer makes. The one list: tests/fuzz/CMakeLists.txt, scripts/fuzz and the host
// tests read these rows, one a line.
struct Target {
    const char* name;
    void (*check)(const uint8_t*, size_t);
    size_t maxLen;
};
inline constexpr Target kTargets[] = {
    {"pak_scan", PakScanOne, 4096},
    {"lzh_decode", LzhDecodeOne, 16384},
    {"extract", ExtractOne, 16384},
    {"file_list", FileListOne, 4096},
    {"cmdline", CmdLineOne, 4096},
    {"search_path", SearchPathOne, 4096},
    {"sig_file", SigFileOne, 70000},  // past the 64 KB limit of a signature file
    {"bundle", BundleOne, 4096},
};

}  // namespace qs::fuzz
