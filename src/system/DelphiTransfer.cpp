#include "system/DelphiTransfer.h"

#include <windows.h>

#include <algorithm>
#include <iterator>
#include <optional>

#include "base/Exceptions.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "system/IniFile.h"
#include "system/Registry.h"
#include "system/TransferList.h"
#include "package/Product.h"

namespace qs {

namespace {

constexpr char kCount[] = "Count";

// The 8.3 form of a folder, ending in "\"; the folder itself when the system gives no short form.
std::string ShortForm(const std::string& folder) {
    wchar_t buf[261];
    const DWORD n = GetShortPathNameW(Widen(folder).c_str(), buf, DWORD(std::size(buf)));
    if (n == 0 || n >= std::size(buf)) return folder;
    return IncludeTrailingBackslash(Narrow(std::wstring_view(buf, n)));
}

// The first entry below count whose Path names the application.
template <typename ReadPath>
std::optional<long long> FindApplicationEntry(const std::set<long long>& present, long long count, ReadPath readPath) {
    for (long long n : present) {
        if (n >= count) break;
        if (NamesApplication(readPath(n))) return n;
    }
    return std::nullopt;
}

std::vector<std::string> ValueNames(const RegKey& key) {
    std::vector<std::string> names;
    std::vector<wchar_t> name(16384);
    for (DWORD i = 0;; ++i) {
        DWORD n = DWORD(name.size());
        const LONG rc = RegEnumValueW(key.Get(), i, name.data(), &n, nullptr, nullptr, nullptr, nullptr);
        if (rc == ERROR_NO_MORE_ITEMS || (rc != ERROR_SUCCESS && rc != ERROR_MORE_DATA)) break;
        if (rc == ERROR_SUCCESS) names.push_back(Narrow(std::wstring_view(name.data(), n)));
    }
    return names;
}

// A value's whole text, so that moving an entry never cuts one; empty when missing.
std::string WholeText(const RegKey& key, const std::string& name) {
    DWORD size = 0;
    if (RegQueryValueExW(key.Get(), Widen(name).c_str(), nullptr, nullptr, nullptr, &size) != ERROR_SUCCESS)
        return "";
    return ReadText(key, name, size / sizeof(wchar_t)).value_or("");
}

// The entry number for DELPHI.INI: its Count, or, when that is missing or not a number, the number of entries
// there, so that a user's own entry is never overwritten.
long long NextDelphi10Entry(const TIniFile& ini) {
    try {
        return std::max(0, StrToInt(ini.ReadString(kTransferSection, kCount, ""), IntSyntax::DecimalOrHex));
    } catch (const EConvertError&) {
        return ConsecutiveEntries(ini.ReadKeyNames(kTransferSection));
    }
}

// The entry that names the application already, below count: an earlier install's, renewed in place so that
// updates never pile entries up.
std::optional<long long> Delphi10ApplicationEntry(const TIniFile& ini, long long count) {
    return FindApplicationEntry(TransferEntryIndexes(ini.ReadKeyNames(kTransferSection)), count, [&](long long n) {
        return ini.ReadString(kTransferSection, TransferValueName("Path", n), "");
    });
}

std::optional<long long> Delphi20ApplicationEntry(const RegKey& key, long long count) {
    return FindApplicationEntry(TransferEntryIndexes(ValueNames(key)), count, [&](long long n) {
        return ReadText(key, TransferValueName("Path", n)).value_or("");
    });
}

}  // namespace

void AddDelphi10Transfer(const std::string& installPath) {
    const TIniFile ini(kDelphiIni);
    const long long n = NextDelphi10Entry(ini);
    const std::optional<long long> earlier = Delphi10ApplicationEntry(ini, n);
    const long long entry = earlier.value_or(n);
    ini.WriteString(kTransferSection, TransferValueName("Title", entry), kTransferTitle);
    const std::string folder = ShortForm(installPath);
    ini.WriteString(kTransferSection, TransferValueName("WorkingDir", entry), folder);
    ini.WriteString(kTransferSection, TransferValueName("Path", entry), folder + kProgramFile);
    ini.WriteString(kTransferSection, TransferValueName("Params", entry), "");
    if (!earlier) ini.WriteInteger(kTransferSection, kCount, n + 1);
}

void AddDelphi20Transfer(const std::string& installPath) {
    const RegKey key = RegKey::Open(HKEY_CURRENT_USER, kDelphi20TransferKey, KEY_ALL_ACCESS);
    if (!key) return;
    const std::optional<std::string> countText = ReadText(key, kCount);
    long long n = countText ? StrToInt(*countText, IntSyntax::Decimal) : ConsecutiveEntries(ValueNames(key));
    if (n < 0) n = 0;
    const std::optional<long long> earlier = Delphi20ApplicationEntry(key, n);
    const long long entry = earlier.value_or(n);
    WriteText(key, TransferValueName("Title", entry), kTransferTitle);
    WriteText(key, TransferValueName("WorkingDir", entry), installPath);
    WriteText(key, TransferValueName("Path", entry), installPath + kProgramFile);
    WriteText(key, TransferValueName("Params", entry), "");
    if (!earlier) WriteText(key, kCount, std::to_string(n + 1));
}

void RemoveDelphi10Transfer() {
    const TIniFile ini(kDelphiIni);
    const long long count = ini.ReadInteger(kTransferSection, kCount, 0);
    const std::set<long long> present = TransferEntryIndexes(ini.ReadKeyNames(kTransferSection));
    const auto match = Delphi10ApplicationEntry(ini, count);
    if (!match) return;
    for (long long j : TransferShiftTargets(present, *match, count)) {
        for (const char* field : kTransferFields)
            ini.WriteString(kTransferSection, TransferValueName(field, j),
                            ini.ReadString(kTransferSection, TransferValueName(field, j + 1), ""));
    }
    ini.WriteInteger(kTransferSection, kCount, count - 1);
}

void RemoveDelphi20Transfer() {
    const RegKey key = RegKey::Open(HKEY_CURRENT_USER, kDelphi20TransferKey, KEY_ALL_ACCESS);
    if (!key) return;
    const std::optional<std::string> countText = ReadText(key, kCount);
    if (!countText) return;  // without a readable count there are no valid entries to take out
    const long long count = StrToInt(*countText, IntSyntax::Decimal);
    const std::set<long long> present = TransferEntryIndexes(ValueNames(key));
    const auto match = Delphi20ApplicationEntry(key, count);
    if (!match) return;
    for (long long j : TransferShiftTargets(present, *match, count)) {
        for (const char* field : kTransferFields)
            WriteText(key, TransferValueName(field, j), WholeText(key, TransferValueName(field, j + 1)));
    }
    for (const char* field : kTransferFields) RegDeleteValueW(key.Get(), Widen(TransferValueName(field, count - 1)).c_str());
    WriteText(key, kCount, std::to_string(count - 1));
}

}  // namespace qs
