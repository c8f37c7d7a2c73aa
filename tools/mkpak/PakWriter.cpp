#include "PakWriter.h"

#include <sys/stat.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <limits>
#include <set>

#include "framework/Text.h"
#include "package/Crc32.h"
#include "package/PakFormat.h"
#include "InOrder.h"

namespace qs::pak {

namespace fs = std::filesystem;

namespace {

constexpr size_t kMaxInt32 = static_cast<size_t>(std::numeric_limits<int32_t>::max());

void PutU8(std::vector<uint8_t>& v, uint8_t x) { v.push_back(x); }
void PutU16(std::vector<uint8_t>& v, uint16_t x) {
    v.push_back(static_cast<uint8_t>(x));
    v.push_back(static_cast<uint8_t>(x >> 8));
}
void PutU32(std::vector<uint8_t>& v, uint32_t x) {
    for (int i = 0; i < 4; ++i) v.push_back(static_cast<uint8_t>(x >> (8 * i)));
}
void PutBytes(std::vector<uint8_t>& v, const std::string& s) { v.insert(v.end(), s.begin(), s.end()); }

void CheckText(const std::string& text, const char* what) {
    if (text.size() > kMaxPakText)
        throw Exception(std::string(what) + " \"" + text + "\" is longer than 32 characters");
}

// Reads little-endian fields with a bounds check on every one.
class Reader : public PakInput {
public:
    Reader(const std::vector<uint8_t>& image, const std::string& what) : v_(image), what_(what) {}
    size_t Pos() const { return pos_; }
    int64_t Remaining() const override { return int64_t(v_.size() - pos_); }
    void Read(void* dst, size_t n) override { std::memcpy(dst, Take(n, "Entry"), n); }
    [[noreturn]] void PastEnd(const char* field) override {
        Damaged(std::string(field) + " lies past the end of the file");
    }
    uint8_t U8(const char* field) { return *Take(1, field); }
    uint16_t U16(const char* field) {
        const uint8_t* p = Take(2, field);
        return static_cast<uint16_t>(p[0] | p[1] << 8);
    }
    uint32_t U32(const char* field) {
        const uint8_t* p = Take(4, field);
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    }
    std::string Text(size_t n, const char* field) {
        const uint8_t* p = Take(n, field);
        return std::string(reinterpret_cast<const char*>(p), n);
    }
    [[noreturn]] void Damaged(const std::string& why) const { throw Exception(what_ + " is damaged: " + why); }

private:
    const uint8_t* Take(size_t n, const char* field) {
        if (n > v_.size() - pos_) PastEnd(field);
        const uint8_t* p = v_.data() + pos_;
        pos_ += n;
        return p;
    }
    const std::vector<uint8_t>& v_;
    const std::string& what_;
    size_t pos_ = 0;
};

}  // namespace

std::string DosTimeText(uint32_t t) {
    char s[40];
    std::snprintf(s, sizeof s, "%04u-%02u-%02u %02u:%02u:%02u", (t >> 25) + 1980, (t >> 21) & 15, (t >> 16) & 31,
                  (t >> 11) & 31, (t >> 5) & 63, (t & 31) * 2);
    return s;
}

namespace {

// Refusals that need only the names and options; nothing is packed before these pass.
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

void CheckSize(const std::string& name, size_t size) {
    if (size > kMaxInt32) throw Exception("File \"" + name + "\" is too large for a package");
}

// Header and directory; the entries' sizes, offsets and CRCs as given (zeros to measure or reserve the room).
std::vector<uint8_t> PackageHead(const PakOptions& options, const std::vector<PakDirEntry>& dir) {
    std::vector<uint8_t> out(std::begin(kPakMagic), std::end(kPakMagic));
    PutU16(out, options.reserved);
    PutU32(out, static_cast<uint32_t>(options.product.size()));
    PutBytes(out, options.product);
    PutU32(out, static_cast<uint32_t>(options.version.size()));
    PutBytes(out, options.version);
    PutU8(out, options.extraNames ? 1 : 0);
    PutU32(out, static_cast<uint32_t>(dir.size()));
    for (const PakDirEntry& e : dir) WritePakDirEntry(out, e, options.extraNames);
    return out;
}

// One file packed: its directory entry but for the offset, and its stream.
struct PackedEntry {
    PakDirEntry dir;
    std::vector<uint8_t> stream;
};

PackedEntry Pack(const std::string& name, const std::string& extraName, uint32_t dosTime,
                 const std::vector<uint8_t>& data, const PakOptions& options) {
    CheckSize(name, data.size());
    PackedEntry p;
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

// Gives the next entry its offset; refuses a package past the format's signed 32-bit offsets.
void Place(PakDirEntry& e, size_t& offset) {
    if (offset + size_t(e.packedSize) > kMaxInt32) throw Exception("The package would be larger than 2 GB");
    e.dataOffset = static_cast<int32_t>(offset);
    offset += size_t(e.packedSize);
}

}  // namespace

std::vector<uint8_t> BuildPackage(const std::vector<PakEntry>& entries, const PakOptions& options) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const PakEntry& e : entries) names.emplace_back(e.name, e.extraName);
    CheckNames(names, options);
    for (const PakEntry& e : entries) CheckSize(e.name, e.data.size());

    std::vector<PakDirEntry> dir;
    std::vector<std::vector<uint8_t>> streams;
    for (const PakEntry& e : entries) {
        PackedEntry p = Pack(e.name, e.extraName, e.dosTime, e.data, options);
        dir.push_back(std::move(p.dir));
        streams.push_back(std::move(p.stream));
    }
    size_t offset = PackageHead(options, dir).size();
    for (PakDirEntry& e : dir) Place(e, offset);
    std::vector<uint8_t> out = PackageHead(options, dir);
    for (const std::vector<uint8_t>& s : streams) out.insert(out.end(), s.begin(), s.end());
    return out;
}

void WriteThroughTemporary(const std::string& path, const std::function<void(std::ostream&)>& fill) {
    const std::string temp = path + ".part";
    std::error_code ec;
    try {
        std::ofstream f(temp, std::ios::binary | std::ios::trunc);
        if (!f) throw Exception("Cannot create " + temp);
        fill(f);
        f.close();
        if (!f) throw Exception("Cannot write " + temp);
    } catch (...) {
        fs::remove(temp, ec);
        throw;
    }
    fs::rename(temp, path, ec);
    if (ec) {
        const std::string why = ec.message();
        fs::remove(temp, ec);
        throw Exception("Cannot rename " + temp + " to " + path + ": " + why);
    }
}

void WritePackageFile(const std::string& path, const std::vector<PakEntry>& entries, const PakOptions& options) {
    const std::vector<uint8_t> image = BuildPackage(entries, options);
    WriteThroughTemporary(path, [&](std::ostream& f) {
        f.write(reinterpret_cast<const char*>(image.data()), static_cast<std::streamsize>(image.size()));
    });
}

void CreatePackageFile(const std::string& path, const std::vector<PakSource>& files, const PakOptions& options,
                       unsigned jobs) {
    std::vector<std::pair<std::string, std::string>> names;
    for (const PakSource& f : files) names.emplace_back(f.name, f.name);
    CheckNames(names, options);

    // The directory goes before the streams but is known only after them: its room is kept, and it is written
    // there at the end.
    std::vector<PakDirEntry> dir(files.size());
    for (size_t i = 0; i < files.size(); ++i) dir[i].name = dir[i].extraName = files[i].name;
    const std::vector<uint8_t> room = PackageHead(options, dir);
    WriteThroughTemporary(path, [&](std::ostream& out) {
        out.write(reinterpret_cast<const char*>(room.data()), static_cast<std::streamsize>(room.size()));
        size_t offset = room.size();
        RunInOrder<PackedEntry>(
            files.size(), jobs,
            [&](size_t i) {
                const PakEntry e = LoadEntry(files[i].path, files[i].name);
                return Pack(e.name, e.extraName, e.dosTime, e.data, options);
            },
            [&](size_t i, PackedEntry p) {
                dir[i] = std::move(p.dir);
                Place(dir[i], offset);
                out.write(reinterpret_cast<const char*>(p.stream.data()),
                          static_cast<std::streamsize>(p.stream.size()));
                if (!out) throw Exception("Cannot write " + path + ".part");  // a full disk stops the run at once
            },
            [](const PackedEntry& p) { return p.stream.size(); });
        const std::vector<uint8_t> head = PackageHead(options, dir);
        out.seekp(0);
        out.write(reinterpret_cast<const char*>(head.data()), static_cast<std::streamsize>(head.size()));
    });
}

PakInfo ParsePackage(const std::vector<uint8_t>& image, const std::string& what) {
    if (image.size() < sizeof kPakMagic || std::memcmp(image.data(), kPakMagic, sizeof kPakMagic) != 0)
        throw Exception(what + " is not a package");
    Reader r(image, what);
    r.Text(sizeof kPakMagic, "Magic");
    PakInfo info;
    info.reserved = r.U16("Reserved");
    const int32_t l1 = static_cast<int32_t>(r.U32("ProductName length"));
    if (l1 < 0 || size_t(l1) > kMaxPakText) r.Damaged("ProductName length " + std::to_string(l1));
    info.product = r.Text(size_t(l1), "ProductName");
    const int32_t l2 = static_cast<int32_t>(r.U32("VersionText length"));
    if (l2 < 0 || size_t(l2) > kMaxPakText) r.Damaged("VersionText length " + std::to_string(l2));
    info.version = r.Text(size_t(l2), "VersionText");
    info.extraNames = r.U8("HasExtraName") != 0;
    info.dirPos = static_cast<int32_t>(r.Pos());
    const int32_t count = static_cast<int32_t>(r.U32("EntryCount"));
    for (int32_t i = 0; i < count; ++i) {
        PakDirEntry e = ReadPakDirEntry(r, info.extraNames);
        if (e.unpackedSize < 0 || e.packedSize < 0 || e.dataOffset < 0 ||
            size_t(e.dataOffset) > image.size() || size_t(e.packedSize) > image.size() - size_t(e.dataOffset))
            r.Damaged("the packed data of entry \"" + e.name + "\" lie outside the file");
        info.entries.push_back(std::move(e));
    }
    return info;
}

std::vector<uint8_t> UnpackEntry(const std::vector<uint8_t>& image, const PakDirEntry& entry) {
    const uint8_t* packed = image.data() + entry.dataOffset;
    const std::string who = "Entry \"" + entry.name + "\": ";
    if (Crc32UpdateLong(packed, size_t(entry.packedSize), 0) != entry.dataCrc)
        throw Exception(who + "CRC-32 of the packed data does not match");
    std::vector<uint8_t> data = DecodeLzh(packed, size_t(entry.packedSize));
    if (data.size() != size_t(entry.unpackedSize))
        throw Exception(who + "unpacks to " + std::to_string(data.size()) + " bytes instead of " +
                        std::to_string(entry.unpackedSize));
    if (Crc32UpdateLong(data.data(), data.size(), 0) != entry.fileCrc)
        throw Exception(who + "CRC-32 of the unpacked file does not match");
    return data;
}

uint32_t DosTimeFromTime(std::time_t t) {
    std::tm tm{};
#ifdef _WIN32
    if (localtime_s(&tm, &t) != 0) return (0u << 25) | (1u << 21) | (1u << 16);
#else
    if (!localtime_r(&t, &tm)) return (0u << 25) | (1u << 21) | (1u << 16);
#endif
    const int year = tm.tm_year + 1900;
    if (year < 1980) return (1u << 21) | (1u << 16);
    if (year > 2107) return (127u << 25) | (12u << 21) | (31u << 16) | (23u << 11) | (59u << 5) | 29u;
    return uint32_t(year - 1980) << 25 | uint32_t(tm.tm_mon + 1) << 21 | uint32_t(tm.tm_mday) << 16 |
           uint32_t(tm.tm_hour) << 11 | uint32_t(tm.tm_min) << 5 | uint32_t(tm.tm_sec / 2);
}

std::time_t TimeFromDosTime(uint32_t d) {
    std::tm tm{};
    tm.tm_year = int(d >> 25) + 80;
    tm.tm_mon = int((d >> 21) & 15) - 1;
    tm.tm_mday = int((d >> 16) & 31);
    tm.tm_hour = int((d >> 11) & 31);
    tm.tm_min = int((d >> 5) & 63);
    tm.tm_sec = int(d & 31) * 2;
    tm.tm_isdst = -1;
    return std::mktime(&tm);
}

std::vector<uint8_t> ReadWholeFile(const std::string& path) {
    std::ifstream f(path, std::ios::binary);
    if (!f) throw Exception("Cannot read " + path);
    std::vector<uint8_t> data;
    f.seekg(0, std::ios::end);
    const std::streamoff size = f.tellg();
    if (size < 0) throw Exception("Cannot read " + path);
    f.seekg(0, std::ios::beg);
    data.resize(static_cast<size_t>(size));
    if (size > 0) f.read(reinterpret_cast<char*>(data.data()), size);
    if (!f) throw Exception("Cannot read " + path);
    return data;
}

PakEntry LoadEntry(const std::string& path, const std::string& name) {
    PakEntry e;
    e.name = name;
    e.extraName = name;
    e.data = ReadWholeFile(path);
    struct stat st {};
    if (stat(path.c_str(), &st) != 0) throw Exception("Cannot read " + path);
    e.dosTime = DosTimeFromTime(st.st_mtime);
    return e;
}

std::vector<PakSource> ListSources(const std::vector<std::string>& paths) {
    std::vector<PakSource> sources;
    const auto add = [&](const fs::path& p) { sources.push_back({p.string(), p.filename().string()}); };
    for (const std::string& arg : paths) {
        const fs::path p(arg);
        std::error_code ec;
        if (fs::is_directory(p, ec)) {
            std::vector<fs::path> files;
            for (fs::directory_iterator it(p, ec), end; !ec && it != end; it.increment(ec)) {
                if (it->is_directory(ec))
                    throw Exception("Folder " + arg + " holds the folder " + it->path().filename().string() +
                                    "; packages have no folders");
                files.push_back(it->path());
            }
            if (ec) throw Exception("Cannot read the folder " + arg + ": " + ec.message());
            std::sort(files.begin(), files.end(),
                      [](const fs::path& a, const fs::path& b) { return a.filename() < b.filename(); });
            for (const fs::path& f : files) add(f);
        } else {
            add(p);
        }
    }
    return sources;
}

}  // namespace qs::pak
