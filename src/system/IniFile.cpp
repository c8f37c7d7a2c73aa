#include "system/IniFile.h"

#include <windows.h>

#include <iterator>

#include "base/Exceptions.h"
#include "base/Text.h"
#include "base/WideText.h"

namespace qs {

std::string TIniFile::ReadString(const std::string& section, const std::string& key,
                                 const std::string& fallback) const {
    // The system keeps the file's own encoding (the code page's bytes for DELPHI.INI) when it writes it back.
    wchar_t buf[1024];
    const DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(fallback).c_str(), buf,
                                             DWORD(std::size(buf)), Widen(fileName_).c_str());
    return Narrow(std::wstring_view(buf, n));
}

int TIniFile::ReadInteger(const std::string& section, const std::string& key, int fallback) const {
    const std::string text = ReadString(section, key, "");
    return text.empty() ? fallback : StrToIntDef(text, fallback, IntSyntax::DecimalOrHex);
}

std::vector<std::string> TIniFile::ReadKeyNames(const std::string& section) const {
    // With no key name the call lists the section's keys, each ended by a NUL; grow until the list fits.
    std::vector<wchar_t> buf(4096);
    for (;;) {
        const DWORD n = GetPrivateProfileStringW(Widen(section).c_str(), nullptr, L"", buf.data(), DWORD(buf.size()),
                                                 Widen(fileName_).c_str());
        if (n + 2 < buf.size() || buf.size() >= (16u << 20)) {
            std::vector<std::string> names;
            for (size_t i = 0; i < n;) {
                const std::wstring_view name(buf.data() + i);
                i += name.size() + 1;
                if (!name.empty()) names.push_back(Narrow(name));
            }
            return names;
        }
        buf.resize(buf.size() * 4);
    }
}

void TIniFile::WriteString(const std::string& section, const std::string& key, const std::string& value) const {
    if (!WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                    Widen(fileName_).c_str()))
        throw EIniFileException::UnableToWrite(fileName_);
}

void TIniFile::WriteInteger(const std::string& section, const std::string& key, long long value) const {
    WriteString(section, key, std::to_string(value));
}

}  // namespace qs
