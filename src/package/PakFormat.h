// The package file format as the setup program reads it: header scan and the file-name safety rule.
//
// Layout (little-endian): "QVPAK", 2 reserved bytes, int32 L1 + ProductName, int32 L2 + VersionText,
// HasExtraName byte, int32 EntryCount (its offset is the directory position), then EntryCount entries laid
// out as PakDirRecord.h says.
#pragma once
#include <cstdint>
#include <string>

#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "package/Packages.h"
#include "package/PakDirRecord.h"

namespace qs {

constexpr char kPakMagic[5] = {'Q', 'V', 'P', 'A', 'K'};
constexpr size_t kMaxPakText = 32;  // ProductName and VersionText hold at most 32 characters


// What start-up keeps of a package.
struct PackageSummary {
    int32_t DirPos = 0;           // offset of EntryCount
    bool HasExtraName = false;
    int32_t TotalSize = 0;        // sum of UnpackedSize, signed 32-bit (wraps as the format's counts do)
    int32_t EntryCount = 0;
    std::string ProductName;      // main package only: as compared (a final CR LF dropped), at most 32 characters
    std::string VersionText;      // main package only: as stored, cut to 32 characters
};

// Thrown for a main package whose ProductName is not "Quillostrand": start-up shows
// "File Quilstr.pak is corrupt" without an icon and ends.
class EWrongProduct : public Exception {
public:
    EWrongProduct() : Exception("File Quilstr.pak is corrupt") {}
};

// The header after the magic, as stored. Texts are kept to at most kMaxPakText + 2 characters (the rest is
// passed over, never held); their stored lengths are kept beside them.
struct PakHeader {
    uint16_t reserved = 0;
    int32_t productLength = 0;
    std::string product;
    int32_t versionLength = 0;
    std::string version;
    bool extraNames = false;
    int32_t dirPos = 0;  // offset of EntryCount
    int32_t entryCount = 0;
};

// What a reader of the header refuses beyond a field past the end; each check raises the reader's own error.
class PakHeaderChecks {
public:
    virtual ~PakHeaderChecks() = default;
    // A text's stored length, before the text is read.
    virtual void TextLength(const char* lengthField, int32_t length) { (void)lengthField, (void)length; }
    // The product name as kept, before anything after it is read.
    virtual void Product(const std::string& kept, int32_t length) { (void)kept, (void)length; }
};

// Reads the header from in, positioned just after the magic. A field past the end (a negative text length
// included) goes to in.PastEnd with the field's name: "Reserved", "ProductName length", "ProductName",
// "VersionText length", "VersionText", "HasExtraName", "EntryCount".
PakHeader ReadPakHeader(PakInput& in, PakHeaderChecks& checks);

// Scans the header and directory of the package file at path. For PakRole::Main checks the product name.
// Raises: Exception "PAK file corrupt" (main) / "File Delphi10.pak is corrupt" / "File Delphi20.pak is corrupt"
// on a wrong magic; EWrongProduct; EInOutError for a file too short or unreadable ("Read beyond end of file").
PackageSummary ScanPackage(const std::string& path, PakRole role);
// The same scan of a package already open (read from its start; the file stays open, its position anywhere).
PackageSummary ScanPackage(BinFile& f, PakRole role);

// Directory entries read straight from a package file, from its current position on. A field past the end
// raises EInOutError "Read beyond end of file", as every short read of a package does.
class PakFileInput : public PakInput {
public:
    explicit PakFileInput(BinFile& file) : file_(file), left_(file.Size() - file.Position()) {}
    int64_t Remaining() const override { return left_; }
    int64_t Position() const override { return file_.Position(); }
    void Read(void* dst, size_t n) override;
    void Skip(int64_t n) override;
    [[noreturn]] void PastEnd(const char* field) override;

private:
    BinFile& file_;
    int64_t left_;
};

// The comparison of start-up: drop the last two bytes when the last is LF, then compare with "Quillostrand".
bool IsQuillostrandProduct(const std::string& productName);

// A plain file name: not empty, at most 255 characters, no "\", "/" or ":", not "." or "..", no control
// characters, and not a device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an extension,
// letter case ignored). Only such names are ever written or deleted by the program.
bool IsPlainFileName(const std::string& name);

}  // namespace qs
