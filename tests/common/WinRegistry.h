// Reading, seeding and deleting registry values as the program stores them; shared by the Windows-side suites and
// the end-to-end driver. Nothing here throws or asserts: results come back as values, and each caller reports
// them in its own way. An empty value name means the key's default value.
#pragma once
#include <windows.h>

#include <optional>
#include <string>

namespace qs::test {

// Keys of the install (all under HKEY_LOCAL_MACHINE).
constexpr char kRecordKey[] = "Software\\QV\\Quillostrand\\Installation";
constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillostrand";
constexpr char kAppPathsKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quilstr.exe";

struct RawValue {
    DWORD type = 0;
    std::string bytes;
};

// The value as stored (type and every byte); nothing when the key or value is missing.
std::optional<RawValue> ReadRaw(HKEY root, const std::string& key, const std::string& name);
bool KeyExists(HKEY root, const std::string& key);
// The same in a registry view of one's choice (KEY_WOW64_32KEY, KEY_WOW64_64KEY).
bool KeyExistsInView(HKEY root, const std::string& key, REGSAM view);
// A REG_SZ or REG_EXPAND_SZ value's text up to its first NUL; nothing when missing or of another type.
std::optional<std::string> ReadSz(HKEY root, const std::string& key, const std::string& name);
// A REG_DWORD value; nothing when missing, of another type or not 4 bytes long.
std::optional<DWORD> ReadDword(HKEY root, const std::string& key, const std::string& name);
// A counted text (length byte + text) as the install record stores it; nothing when missing or malformed.
std::optional<std::string> ReadCounted(HKEY root, const std::string& key, const std::string& name);

// Writers create the key when missing; false when the key cannot be made or the value not set.
bool WriteRaw(HKEY root, const std::string& key, const std::string& name, DWORD type, const std::string& bytes);
bool WriteSz(HKEY root, const std::string& key, const std::string& name, const std::string& text);  // with its NUL
bool WriteDword(HKEY root, const std::string& key, const std::string& name, DWORD value);
bool WriteCounted(HKEY root, const std::string& key, const std::string& name, const std::string& text);

// Every value (type and bytes) and sub-key below root\key as lines of text, in the registry's own order, for
// comparing what two runs left; "KEY (none)" when the key is missing.
std::string DumpRegTree(HKEY root, const std::string& key);

// Missing keys and values are fine.
void DeleteValue(HKEY root, const std::string& key, const std::string& name);
void DeleteRegTree(HKEY root, const std::string& key);  // the key with all its values and sub-keys

// Deletes the shell entries an install makes: the ".qst" file type and its class, the App Paths entry and the
// uninstall entry.
void DeleteShellEntries();

inline std::string Sz(const std::string& text) { return text + '\0'; }  // the bytes of a REG_SZ value
inline std::string CountedText(const std::string& text) { return std::string(1, char(text.size())) + text; }
inline std::string DwordBytes(DWORD v) {  // the bytes of a REG_DWORD value
    return std::string{char(v & 0xFF), char((v >> 8) & 0xFF), char((v >> 16) & 0xFF), char(v >> 24)};
}

}  // namespace qs::test
