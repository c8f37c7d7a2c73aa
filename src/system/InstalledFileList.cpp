#include "system/InstalledFileList.h"

#include <algorithm>

#include "framework/Exceptions.h"
#include "framework/Text.h"
#include "package/PakFormat.h"

namespace qs {

std::vector<std::string> ListedFilePaths(const std::vector<uint8_t>& list, const std::string& folder, bool helpIndex,
                                         const SlotNameDecoder& decodeName) {
    const std::string dir = IncludeTrailingBackslash(folder);
    std::vector<std::string> paths;
    for (size_t slot = 0; slot + kSlotSize <= list.size(); slot += kSlotSize) {
        const size_t n = std::min<size_t>(list[slot], kSlotSize - 1);
        const std::string bytes(list.begin() + ptrdiff_t(slot + 1), list.begin() + ptrdiff_t(slot + 1 + n));
        const std::optional<std::string> decoded = decodeName ? decodeName(bytes) : bytes;
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

}  // namespace qs
