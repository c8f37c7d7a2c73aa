#include "package/PakFormat.h"

#include <algorithm>
#include <cstring>

#include "base/BinFile.h"
#include "base/ByteIO.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "package/Product.h"

namespace qs {

namespace {

// Checks of the setup program: a main package must name "Quillostrand" (compared as start-up does).
class StartupChecks : public PakHeaderChecks {
public:
    explicit StartupChecks(PakRole role) : role_(role) {}
    void Product(const std::string& kept, int32_t length) override {
        // Up to 34 bytes are kept: 32 characters plus a CR LF that the comparison drops. Anything longer is not
        // "Quillostrand" whatever it holds.
        if (role_ == PakRole::Main && (size_t(length) > kept.size() || !IsQuillostrandProduct(kept)))
            throw EWrongProduct();
    }

private:
    PakRole role_;
};

int32_t ReadI32(PakInput& in, const char* field) {
    uint8_t b[4];
    in.ReadField(b, sizeof b, field);
    return int32_t(LoadLE32(b));
}

// A header text of the given stored length, kept to at most kMaxPakText + 2 characters.
std::string ReadHeaderText(PakInput& in, int32_t length, const char* field) {
    if (length < 0 || length > in.Remaining()) in.PastEnd(field);
    std::string kept(std::min<size_t>(size_t(length), kMaxPakText + 2), '\0');
    if (!kept.empty()) in.Read(&kept[0], kept.size());
    in.Skip(length - int64_t(kept.size()));
    return kept;
}

}  // namespace

void PakFileInput::Read(void* dst, size_t n) {
    file_.ReadExact(dst, uint32_t(n));
    left_ -= int64_t(n);
}

void PakFileInput::Skip(int64_t n) {
    file_.Skip(n);
    left_ -= n;
}

void PakFileInput::PastEnd(const char*) { throw EInOutError(EInOutError::kReadBeyondEnd); }

bool IsQuillostrandProduct(const std::string& productName) {
    std::string p = productName;
    if (!p.empty() && p.back() == '\n') p.resize(p.size() >= 2 ? p.size() - 2 : 0);
    return p == kProductName;
}

PakHeader ReadPakHeader(PakInput& in, PakHeaderChecks& checks) {
    PakHeader h;
    uint8_t reserved[2];
    in.ReadField(reserved, sizeof reserved, "Reserved");
    h.reserved = LoadLE16(reserved);
    h.productLength = ReadI32(in, "ProductName length");
    checks.TextLength("ProductName length", h.productLength);
    h.product = ReadHeaderText(in, h.productLength, "ProductName");
    checks.Product(h.product, h.productLength);
    h.versionLength = ReadI32(in, "VersionText length");
    checks.TextLength("VersionText length", h.versionLength);
    h.version = ReadHeaderText(in, h.versionLength, "VersionText");
    uint8_t extra = 0;
    in.ReadField(&extra, 1, "HasExtraName");
    h.extraNames = extra != 0;
    h.dirPos = int32_t(in.Position());
    h.entryCount = ReadI32(in, "EntryCount");
    return h;
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
    char magic[5];
    f.ReadExact(magic, 5);
    if (std::memcmp(magic, kPakMagic, 5) != 0) throw Exception(FactsOf(role).CorruptText);

    PakFileInput in(f);
    StartupChecks checks(role);
    const PakHeader h = ReadPakHeader(in, checks);
    PackageSummary s;
    if (role == PakRole::Main) {
        s.ProductName = kProductName;
        s.VersionText = std::string(Utf8Prefix(h.version, kMaxPakText));
    }
    s.HasExtraName = h.extraNames;
    s.DirPos = h.dirPos;
    s.EntryCount = h.entryCount;
    uint32_t total = 0;
    for (int32_t i = 0; i < s.EntryCount; ++i) total += uint32_t(ReadPakDirRecord(in, s.HasExtraName).unpackedSize);
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
