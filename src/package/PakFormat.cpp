#include "package/PakFormat.h"

#include <cstring>

#include "framework/BinFile.h"
#include "framework/Text.h"

namespace qs {

namespace {

const char* CorruptMessage(PakRole role) {
    switch (role) {
    case PakRole::Main: return "PAK file corrupt";
    case PakRole::Delphi10: return "File Delphi10.pak is corrupt";
    default: return "File Delphi20.pak is corrupt";
    }
}

// Reads a header text of length len, keeping at most kMaxPakText characters (the rest is skipped, never held).
std::string ReadHeaderText(BinFile& f, int32_t len, int64_t fileSize) {
    if (len < 0 || f.Position() + len > fileSize) throw EInOutError(EInOutError::kReadBeyondEnd);
    std::string kept(size_t(len) < kMaxPakText + 2 ? size_t(len) : kMaxPakText + 2, '\0');
    if (!kept.empty()) f.ReadExact(&kept[0], uint32_t(kept.size()));
    f.Skip(len - int32_t(kept.size()));
    return kept;
}

void SkipChecked(BinFile& f, int64_t count, int64_t fileSize) {
    if (count < 0 || f.Position() + count > fileSize) throw EInOutError(EInOutError::kReadBeyondEnd);
    f.Skip(count);
}

}  // namespace

void PakFileInput::Read(void* dst, size_t n) {
    file_.ReadExact(dst, uint32_t(n));
    left_ -= int64_t(n);
}

void PakFileInput::PastEnd(const char*) { throw EInOutError(EInOutError::kReadBeyondEnd); }

bool IsQuillostrandProduct(const std::string& productName) {
    std::string p = productName;
    if (!p.empty() && p.back() == '\n') p.resize(p.size() >= 2 ? p.size() - 2 : 0);
    return p == "Quillostrand";
}

PackageSummary ScanPackage(const std::string& path, PakRole role) {
    BinFile f;
    f.OpenRead(path);
    PackageSummary s = ScanPackage(f, role);
    f.Close();
    return s;
}

PackageSummary ScanPackage(BinFile& f, PakRole role) {
    f.Seek(0);
    const int64_t size = f.Size();
    char magic[5];
    f.ReadExact(magic, 5);
    if (std::memcmp(magic, kPakMagic, 5) != 0) throw Exception(CorruptMessage(role));
    f.Skip(2);

    PackageSummary s;
    const bool main = role == PakRole::Main;
    const int32_t l1 = f.ReadI32();
    if (main) {
        // Up to 34 bytes are kept: 32 characters plus a CR LF that the comparison drops. Anything longer is not
        // "Quillostrand" whatever it holds.
        const std::string product = ReadHeaderText(f, l1, size);
        if (size_t(l1) > product.size() || !IsQuillostrandProduct(product)) throw EWrongProduct();
        s.ProductName = "Quillostrand";
    } else {
        SkipChecked(f, l1, size);
    }
    const int32_t l2 = f.ReadI32();
    if (main) {
        s.VersionText = ReadHeaderText(f, l2, size);
        if (s.VersionText.size() > kMaxPakText) s.VersionText.resize(kMaxPakText);
    } else {
        SkipChecked(f, l2, size);
    }
    s.HasExtraName = f.ReadU8() != 0;
    s.DirPos = int32_t(f.Position());
    s.EntryCount = f.ReadI32();
    uint32_t total = 0;
    PakFileInput in(f);
    for (int32_t i = 0; i < s.EntryCount; ++i) total += uint32_t(ReadPakDirEntry(in, s.HasExtraName).unpackedSize);
    s.TotalSize = int32_t(total);
    return s;
}

bool IsPlainFileName(const std::string& name) {
    if (name.empty() || name.size() > 255 || name == "." || name == "..") return false;
    for (unsigned char c : name)
        if (c < 32 || c == 127 || c == '\\' || c == '/' || c == ':') return false;
    // Windows drops final dots and blanks: a name of nothing else would name the folder itself.
    if (name.find_first_not_of(". ") == std::string::npos) return false;
    // Device names are reserved whatever the extension: "CON", "con.txt", "LPT1.dat".
    std::string stem = AsciiUpper(name.substr(0, name.find('.')));
    while (!stem.empty() && stem.back() == ' ') stem.pop_back();
    static const char* const kDevices[] = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$", "CLOCK$"};
    for (const char* d : kDevices)
        if (stem == d) return false;
    if (stem.size() == 4 && (stem.compare(0, 3, "COM") == 0 || stem.compare(0, 3, "LPT") == 0) && stem[3] >= '1' &&
        stem[3] <= '9')
        return false;
    return true;
}

}  // namespace qs
