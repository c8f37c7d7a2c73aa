// The application's entry in the tools ("Transfer") menus of Delphi 1.0 (section "Transfer" of DELPHI.INI in the
// Windows folder) and Delphi 2.0 (HKEY_CURRENT_USER "Software\Borland\Delphi\2.0\Transfer"). An entry n is the
// values Title<n>, Path<n>, WorkingDir<n> and Params<n>; "Count" says how many entries are valid.
#pragma once
#include <string>

namespace qs {

constexpr char kDelphiIni[] = "DELPHI.INI";
constexpr char kTransferSection[] = "Transfer";
constexpr char kDelphi20TransferKey[] = "Software\\Borland\\Delphi\\2.0\\Transfer";
constexpr char kTransferTitle[] = "&Quillostrand";

// Writes the application's entry to DELPHI.INI with the short (8.3) form of installPath (the long form when the
// system gives none): over the first entry below Count whose Path names Quilstr.exe (an earlier install's, so
// that updates never pile entries up), otherwise as entry Count, raising Count by one. Count is decimal, or hexadecimal after "0x"; a negative one counts as 0. Without
// a readable Count the entry goes after the consecutive entries Path0, Path1, ... that are there. installPath ends
// in "\".
// Raises EIniFileException "Unable to write to DELPHI.INI" when the file cannot be written.
void AddDelphi10Transfer(const std::string& installPath);

// The same for the Delphi 2.0 key with the long form of installPath, only when that key exists and opens
// with full access (it is never created). Without a readable Count the entry goes after the consecutive entries
// Path0, Path1, ... that are there; a Count that is not a decimal number (hexadecimal included) raises
// EConvertError "'<text>' is not a valid integer value" before anything is written.
void AddDelphi20Transfer(const std::string& installPath);

// Remove the first entry whose Path, lower-cased, contains "quilstr.exe"; later entries move down one place and
// Count drops by one. DELPHI.INI keeps the former last entry's keys beyond Count; the registry loses them.
// No match, no file, no key, or no readable Delphi 2.0 Count: nothing changes.
// Raise EIniFileException on a failed INI write; EConvertError for a Delphi 2.0 Count that is not a number.
void RemoveDelphi10Transfer();
void RemoveDelphi20Transfer();

}  // namespace qs
