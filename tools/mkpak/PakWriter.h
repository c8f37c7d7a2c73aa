// Making, reading and checking package files (the "QVPAK" format) on the packing side. Used by the mkpak tool
// and by tests that build packages at run time. Portable C++; every failure is a qs::Exception with a message
// naming the file or entry at fault.
#pragma once
#include <cstdint>
#include <ctime>
#include <functional>
#include <iosfwd>
#include <string>
#include <vector>

#include "LzhEncoder.h"
#include "base/DosTime.h"
#include "package/PakDirRecord.h"
#include "package/Product.h"

namespace qs::pak {

// One file of a package: name without folder, contents, DOS date and time (local), and the ExtraName text that
// is written only when the package has extra names.
struct FileToPack {
    std::string name;
    std::vector<uint8_t> data;
    uint32_t dosTime = 0;
    std::string extraName;
};

struct PakOptions {
    std::string product = kProductName;  // at most 32 bytes: all that Setup.exe reads
    std::string version;                   // at most 32 bytes: all that Setup.exe reads and shows
    bool extraNames = false;
    uint16_t reserved = 0;
    LzhParse parse = LzhParse::Optimal;
};

// Packs the entries into a whole package image, in the order given. Refuses (qs::Exception) a name that is not a
// plain file name, a name given twice (letter case ignored), a product or version over 32 characters, and
// sizes past the format's signed 32-bit fields.
std::vector<uint8_t> BuildPackage(const std::vector<FileToPack>& entries, const PakOptions& options);

// Writes the file at path through a temporary name beside it (path + ".part"): fill writes the whole file, which
// replaces path only when complete. On any failure the temporary is removed, path is left as it was, and the
// error propagates ("Cannot create/write/rename ..." for the file's own faults).
void WriteThroughTemporary(const std::string& path, const std::function<void(std::ostream&)>& fill);

// BuildPackage, written through a temporary name.
void WritePackageFile(const std::string& path, const std::vector<FileToPack>& entries, const PakOptions& options);

// A file to pack: where it is read from, and its name in the package.
struct PakSource {
    std::string path;
    std::string name;
};

// The package BuildPackage would make of these files (each entry's time the file's modification time, its extra
// name its name), written through a temporary name. The files are packed on up to jobs threads, each read only
// when its turn comes and dropped once written; the bytes written are the same for any jobs. The first file
// that fails, in package order, ends the run with its message, and no package is left.
void CreatePackageFile(const std::string& path, const std::vector<PakSource>& files, const PakOptions& options,
                       unsigned jobs);

struct PakInfo {
    uint16_t reserved = 0;
    // The texts as Setup.exe reads them: at most their first 32 bytes (whole UTF-8 characters); the lengths as
    // stored.
    std::string product;
    std::string version;
    int32_t productLength = 0;
    int32_t versionLength = 0;
    bool extraNames = false;
    int32_t dirPos = 0;
    std::vector<PakDirRecord> entries;
};

// Parses header and directory of a package image. Raises "<what> is not a package" on a wrong magic and
// "<what> is damaged: ..." on any field past the end or out of range. A text over 32 bytes is cut as Setup.exe
// cuts it.
PakInfo ParsePackage(const std::vector<uint8_t>& image, const std::string& what);

// Unpacks one entry of a parsed image and checks both CRC-32 values and the size; raises
// "Entry NAME: ..." on any mismatch.
std::vector<uint8_t> UnpackEntry(const std::vector<uint8_t>& image, const PakDirRecord& entry);

// The DOS date and time helpers, under the names the tool has always used.
using qs::DosTimeFromTime;
using qs::DosTimeText;
using qs::TimeFromDosTime;

// Whole files, refusing unreadable ones with "Cannot read FILE".
std::vector<uint8_t> ReadWholeFile(const std::string& path);
// The packing list of the tool, nothing read yet: each path a file, or a folder whose files (not subfolders) are
// taken sorted by name.
std::vector<PakSource> ListSources(const std::vector<std::string>& paths);
// One file as an entry named name, its time the file's modification time and its extra name its name.
FileToPack LoadEntry(const std::string& path, const std::string& name);

}  // namespace qs::pak
