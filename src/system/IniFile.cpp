#include "system/IniFile.h"

#include <windows.h>

#include "framework/Exceptions.h"
#include "framework/Text.h"

namespace qs {

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    char buf[1024];
    const DWORD n = GetPrivateProfileStringA(section.c_str(), key.c_str(), fallback.c_str(), buf, sizeof buf,
                                             fileName_.c_str());
    return std::string(buf, n);
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    const std::string text = ReadString(section, key, "");
    return text.empty() ? fallback : StrToIntDef(text, fallback, IntSyntax::DecimalOrHex);
}

std::vector<std::string> TIniFile::ReadKeyNames(const std::string& section) const {
    // With no key name the call lists the section's keys, each ended by a NUL; grow until the list fits.
    std::vector<char> buf(4096);
    for (;;) {
        const DWORD n = GetPrivateProfileStringA(section.c_str(), nullptr, "", buf.data(), DWORD(buf.size()),
                                                 fileName_.c_str());
        if (n + 2 < buf.size() || buf.size() >= (16u << 20)) {
            std::vector<std::string> names;
            for (size_t i = 0; i < n;) {
                std::string name(buf.data() + i);
                i += name.size() + 1;
                if (!name.empty()) names.push_back(name);
            }
            return names;
        }
        buf.resize(buf.size() * 4);
    }
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    if (!WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        throw EIniFileException::UnableToWrite(fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, long long value) const {
    WriteString(section, key, std::to_string(value));
}

}  // namespace qs
