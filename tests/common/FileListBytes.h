// Installed-file lists built byte by byte for tests: one 13-byte slot per file, a length byte and up to 12
// characters of the name. Portable: shared by the host tests and the Windows-side suites.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qs::test {

// One slot: lengthByte (the name's length when negative), then the name cut to 12 characters, the rest fill.
inline std::string ListSlot(const std::string& name, int lengthByte = -1, char fill = '\0') {
    std::string s(13, fill);
    s[0] = char(lengthByte >= 0 ? lengthByte : int(name.size()));
    s.replace(1, name.size() < 12 ? name.size() : 12, name, 0, 12);
    return s;
}

// The slots of names in order, each with its name's length.
inline std::vector<uint8_t> FileList(const std::vector<std::string>& names, char fill = '\0') {
    std::vector<uint8_t> list;
    for (const auto& n : names) {
        const std::string s = ListSlot(n, -1, fill);
        list.insert(list.end(), s.begin(), s.end());
    }
    return list;
}

}  // namespace qs::test
