// DELPHI.INI in the Windows folder, read and written as the tests see it: through the system's profile functions,
// wide, texts in UTF-8. Shared by the Windows-side tests and the end-to-end driver.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

#include "base/WideText.h"

namespace qs::test {

// The value of key in section; nullopt when the file has no such line.
inline std::optional<std::string> DelphiIniValue(const std::string& section, const std::string& key) {
    // A default no line can hold tells a missing key from an empty value.
    static const wchar_t kMissing[] = L"\n";
    wchar_t buf[2048];
    GetPrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), kMissing, buf, 2048, L"DELPHI.INI");
    if (std::wstring_view(buf) == kMissing) return std::nullopt;
    return Narrow(buf);
}

// The same with "<missing>" for a missing line, for comparisons.
inline std::string IniValue(const std::string& section, const std::string& key) {
    return DelphiIniValue(section, key).value_or("<missing>");
}

// Writes key=value into section; false when the file cannot be written.
inline bool WriteDelphiIni(const std::string& section, const std::string& key, const std::string& value) {
    return WritePrivateProfileStringW(Widen(section).c_str(), Widen(key).c_str(), Widen(value).c_str(),
                                      L"DELPHI.INI") != FALSE;
}

}  // namespace qs::test
