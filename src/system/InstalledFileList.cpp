#include "system/InstalledFileList.h"

#include <algorithm>
#include <set>

#include "base/Exceptions.h"
#include "base/Text.h"
#include "package/PakFormat.h"

namespace qs {

namespace {

// The names of a list's whole slots, each as decodeName reads it (nullopt where it cannot).
std::vector<std::optional<std::string>> SlotNames(const std::vector<uint8_t>& list, const SlotNameDecoder& decodeName) {
    std::vector<std::optional<std::string>> names;
    for (size_t slot = 0; slot + kSlotSize <= list.size(); slot += kSlotSize) {
        const size_t n = std::min<size_t>(list[slot], kSlotSize - 1);
        const std::string bytes(list.begin() + ptrdiff_t(slot + 1), list.begin() + ptrdiff_t(slot + 1 + n));
        names.push_back(decodeName ? decodeName(bytes) : bytes);
    }
    return names;
}

}  // namespace

std::vector<std::string> ListedFilePaths(const std::vector<uint8_t>& list, const std::string& folder, bool helpIndex,
                                         const SlotNameDecoder& decodeName) {
    const std::string dir = IncludeTrailingBackslash(folder);
    std::vector<std::string> paths;
    for (const std::optional<std::string>& decoded : SlotNames(list, decodeName)) {
        if (!decoded || !IsPlainFileName(*decoded)) continue;
        const std::string& name = *decoded;
        paths.push_back(dir + name);
        if (!helpIndex) continue;
        const size_t dot = name.rfind('.');
        if (dot != std::string::npos && AsciiLower(name.substr(dot)) == ".hlp")
            paths.push_back(dir + name.substr(0, dot) + ".gid");
    }
    return paths;
}

std::vector<uint8_t> WithEarlierFiles(std::vector<uint8_t> list, const std::vector<uint8_t>& earlier,
                                      const SlotNameDecoder& decodeName,
                                      const std::function<bool(const std::string&)>& stillThere) {
    list.resize(list.size() / kSlotSize * kSlotSize);
    std::set<std::string> listed;
    for (const auto& name : SlotNames(list, decodeName))
        if (name) listed.insert(AsciiUpper(*name));
    const std::vector<std::optional<std::string>> names = SlotNames(earlier, decodeName);
    for (size_t i = 0; i < names.size(); ++i) {
        const std::optional<std::string>& name = names[i];
        if (!name || !IsPlainFileName(*name) || !listed.insert(AsciiUpper(*name)).second || !stillThere(*name)) continue;
        const auto slot = earlier.begin() + ptrdiff_t(i * kSlotSize);
        list.insert(list.end(), slot, slot + ptrdiff_t(kSlotSize));
    }
    return list;
}

}  // namespace qs
