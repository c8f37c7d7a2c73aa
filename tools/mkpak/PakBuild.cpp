#include "PakBuild.h"

#include <iterator>
#include <ostream>
#include <set>

#include "base/ByteIO.h"
#include "base/Text.h"
#include "package/Crc32.h"
#include "package/PakFormat.h"

namespace qs::pak {

namespace {

void CheckText(const std::string& text, const char* what) {
    if (text.size() > kMaxPakText)
        throw Exception(std::string(what) + " \"" + text + "\" is longer than 32 bytes, all that Setup.exe reads");
}

void CheckSize(const std::string& name, size_t size) {
    if (size > kMaxInt32) throw Exception("File \"" + name + "\" is too large for a package");
}

}  // namespace

void CheckNames(const std::vector<std::pair<std::string, std::string>>& names, const PakOptions& options) {
    CheckText(options.product, "Product name");
    CheckText(options.version, "Version");
    std::set<std::string> seen;
    for (const auto& [name, extraName] : names) {
        if (!IsPlainFileName(name))
            throw Exception("\"" + name + "\" is not a plain file name (no folders, devices or control characters)");
        if (!seen.insert(AsciiUpper(name)).second) throw Exception("File name \"" + name + "\" is given twice");
        if (options.extraNames && extraName.size() > 255)
            throw Exception("Extra name of \"" + name + "\" is longer than 255 characters");
    }
    if (names.size() > kMaxInt32) throw Exception("Too many files for a package");
}

std::vector<uint8_t> PackageHead(const PakOptions& options, const std::vector<PakDirRecord>& dir) {
    std::vector<uint8_t> out(std::begin(kPakMagic), std::end(kPakMagic));
    ByteWriter w(out);
    w.U16(options.reserved);
    w.U32(static_cast<uint32_t>(options.product.size()));
    w.Text(options.product);
    w.U32(static_cast<uint32_t>(options.version.size()));
    w.Text(options.version);
    w.U8(options.extraNames ? 1 : 0);
    w.U32(static_cast<uint32_t>(dir.size()));
    for (const PakDirRecord& e : dir) WritePakDirRecord(out, e, options.extraNames);
    return out;
}

PackedFile Pack(const std::string& name, const std::string& extraName, uint32_t dosTime,
                 const std::vector<uint8_t>& data, const PakOptions& options) {
    CheckSize(name, data.size());
    PackedFile p;
    LzhEncodeOptions lzh;
    lzh.parse = options.parse;
    try {
        p.stream = EncodeLzh(data, lzh);
    } catch (const Exception& x) {
        throw Exception("File \"" + name + "\": " + x.Message());
    }
    if (p.stream.size() > kMaxInt32) throw Exception("The package would be larger than 2 GB");
    p.dir.name = name;
    p.dir.extraName = options.extraNames ? extraName : std::string();
    p.dir.dosTime = dosTime;
    p.dir.unpackedSize = static_cast<int32_t>(data.size());
    p.dir.packedSize = static_cast<int32_t>(p.stream.size());
    p.dir.fileCrc = Crc32UpdateLong(data.data(), data.size(), 0);
    p.dir.dataCrc = Crc32UpdateLong(p.stream.data(), p.stream.size(), 0);
    return p;
}

void Place(PakDirRecord& e, size_t& offset) {
    if (offset + size_t(e.packedSize) > kMaxInt32) throw Exception("The package would be larger than 2 GB");
    e.dataOffset = static_cast<int32_t>(offset);
    offset += size_t(e.packedSize);
}

std::vector<uint8_t> BuildPackage(const std::vector<FileToPack>& entries, const PakOptions& options) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const FileToPack& e : entries) names.emplace_back(e.name, e.extraName);
    CheckNames(names, options);
    for (const FileToPack& e : entries) CheckSize(e.name, e.data.size());

    std::vector<PakDirRecord> dir;
    std::vector<std::vector<uint8_t>> streams;
    for (const FileToPack& e : entries) {
        PackedFile p = Pack(e.name, e.extraName, e.dosTime, e.data, options);
        dir.push_back(std::move(p.dir));
        streams.push_back(std::move(p.stream));
    }
    size_t offset = PackageHead(options, dir).size();
    for (PakDirRecord& e : dir) Place(e, offset);
    std::vector<uint8_t> out = PackageHead(options, dir);
    for (const std::vector<uint8_t>& s : streams) out.insert(out.end(), s.begin(), s.end());
    return out;
}

void WritePackageFile(const std::string& path, const std::vector<FileToPack>& entries, const PakOptions& options) {
    const std::vector<uint8_t> image = BuildPackage(entries, options);
    WriteThroughTemporary(path, [&](std::ostream& f) {
        f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    });
}

}  // namespace qs::pak
