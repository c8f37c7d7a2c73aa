#include "PeResource.h"

#include <algorithm>

#include "base/Exceptions.h"

namespace qs::pak {

namespace {

const char kDamaged[] = "Setup.exe is not a Windows program, or it is damaged";

// The image's bytes with bounds checks: every read outside them is a damaged image.
class Image {
public:
    explicit Image(const std::vector<uint8_t>& bytes) : b_(bytes) {}
    uint32_t U16(uint64_t at) const { return uint32_t(Byte(at) | Byte(at + 1) << 8); }
    uint32_t U32(uint64_t at) const { return U16(at) | U16(at + 2) << 16; }
    void Need(uint64_t at, uint64_t size) const {
        if (at > b_.size() || b_.size() - at < size) throw Exception(kDamaged);
    }

private:
    uint32_t Byte(uint64_t at) const {
        Need(at, 1);
        return b_[size_t(at)];
    }
    const std::vector<uint8_t>& b_;
};

constexpr uint32_t kHighBit = 0x80000000u;

struct Section {
    uint32_t rva, size, fileAt;
};

// Where the resource table lies in the file, and the sections that map addresses to file offsets.
struct Layout {
    uint64_t resourcesAt = 0;  // 0: none
    std::vector<Section> sections;
    uint64_t FileAt(const Image& img, uint32_t rva, uint32_t size) const {
        for (const Section& s : sections)
            if (rva >= s.rva && rva - s.rva < s.size && s.size - (rva - s.rva) >= size) {
                img.Need(uint64_t(s.fileAt) + (rva - s.rva), size);
                return uint64_t(s.fileAt) + (rva - s.rva);
            }
        throw Exception(kDamaged);
    }
};

Layout ReadLayout(const Image& img) {
    Layout l;
    if (img.U16(0) != 0x5A4D) throw Exception(kDamaged);
    const uint64_t pe = img.U32(60);
    if (img.U32(pe) != 0x00004550) throw Exception(kDamaged);
    const uint32_t sectionCount = img.U16(pe + 6), optionalSize = img.U16(pe + 20);
    const uint64_t optional = pe + 24;
    const uint32_t magic = img.U16(optional);
    const uint64_t dirs = optional + (magic == 0x20b ? 112 : 96);
    const uint32_t dirCount = img.U32(dirs - 4);
    for (uint32_t i = 0; i < sectionCount; ++i) {
        const uint64_t s = optional + optionalSize + uint64_t(i) * 40;
        l.sections.push_back({img.U32(s + 12), std::max(img.U32(s + 8), img.U32(s + 16)), img.U32(s + 20)});
    }
    if (dirCount > 2 && img.U32(dirs + 2 * 8) != 0) l.resourcesAt = l.FileAt(img, img.U32(dirs + 2 * 8), 16);
    return l;
}

// The entry of a resource directory (at `dir`, inside the table at `base`) that matches: by number, or by name.
std::optional<uint32_t> Entry(const Image& img, uint64_t base, uint64_t dir, std::optional<uint32_t> id,
                              const std::string& name) {
    const uint32_t named = img.U16(dir + 12), numbered = img.U16(dir + 14);
    for (uint32_t i = 0; i < named + numbered; ++i) {
        const uint64_t e = dir + 16 + uint64_t(i) * 8;
        const uint32_t key = img.U32(e), target = img.U32(e + 4);
        if (!id && !name.empty() && (key & kHighBit)) {
            const uint64_t at = base + (key & ~kHighBit);
            const uint32_t length = img.U16(at);
            bool same = length == name.size();
            for (uint32_t c = 0; same && c < length; ++c) {
                uint32_t ch = img.U16(at + 2 + uint64_t(c) * 2);
                if (ch >= 'a' && ch <= 'z') ch -= 'a' - 'A';
                uint32_t want = uint8_t(name[c]);
                if (want >= 'a' && want <= 'z') want -= 'a' - 'A';
                same = ch == want;
            }
            if (same) return target;
        } else if (id && !(key & kHighBit) && key == *id) {
            return target;
        } else if (!id && name.empty()) {
            return target;  // the first: the first language
        }
    }
    return std::nullopt;
}

}  // namespace

std::optional<std::vector<uint8_t>> FindNamedResource(const std::vector<uint8_t>& bytes, uint16_t type,
                                                      const std::string& name) {
    const Image img(bytes);
    const Layout layout = ReadLayout(img);
    if (layout.resourcesAt == 0) return std::nullopt;
    const uint64_t base = layout.resourcesAt;
    // Three levels: type, name, language; the first two lead to directories, the last to a data entry.
    const auto byType = Entry(img, base, base, type, "");
    if (!byType || !(*byType & kHighBit)) return std::nullopt;
    const auto byName = Entry(img, base, base + (*byType & ~kHighBit), std::nullopt, name);
    if (!byName || !(*byName & kHighBit)) return std::nullopt;
    const auto language = Entry(img, base, base + (*byName & ~kHighBit), std::nullopt, "");
    if (!language || (*language & kHighBit)) return std::nullopt;
    const uint64_t data = base + *language;
    const uint32_t rva = img.U32(data), size = img.U32(data + 4);
    const uint64_t at = layout.FileAt(img, rva, size);
    return std::vector<uint8_t>(bytes.begin() + std::ptrdiff_t(at), bytes.begin() + std::ptrdiff_t(at + size));
}

}  // namespace qs::pak
