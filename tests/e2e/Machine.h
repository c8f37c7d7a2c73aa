// What an installation leaves on the machine, read straight from the prefix's registry, files, "DELPHI.INI"
// and shortcut files; and the clean slate every scenario starts from. Texts are UTF-8 and every call that meets a
// name is a -W call, so that names outside the ANSI code page are seen as they are.
#pragma once
#include <windows.h>

#include "WinRegistry.h"
#include "WinUtf8.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace e2e {

// ---- Files
bool Exists(const std::string& path);
bool IsFolder(const std::string& path);
std::vector<uint8_t> ReadBytes(const std::string& path);  // empty when missing
void WriteBytes(const std::string& path, const std::vector<uint8_t>& bytes);
using qs::test::utf8::RemoveTree;
void MakeFolders(const std::string& path);  // the whole chain; Failure when the last one is not there afterwards
std::string WithSlash(std::string path);    // "\" appended unless there
std::string TempDir();                      // the prefix's temporary folder, with "\"
std::string WindowsDir();                   // with "\"
using qs::test::utf8::FilesIn, qs::test::utf8::TreeBelow;
FILETIME LastWrite(const std::string& path);

// ---- Registry: the shared readers and writers (WinRegistry.h; texts through WinUtf8.h)
using qs::test::DeleteRegTree, qs::test::DumpRegTree, qs::test::KeyExists, qs::test::KeyExistsInView,
    qs::test::RawValue, qs::test::ReadCounted, qs::test::ReadDword, qs::test::ReadRaw, qs::test::utf8::ReadSz,
    qs::test::utf8::WriteSz;
// The bytes the program stores for a text in the ANSI code page (install record, DELPHI.INI); Failure when the
// text has no exact place there.
std::string AnsiBytesOf(const std::string& text);
// Names of an installed-file list (13-byte slots).
std::vector<std::string> SlotNames(const std::string& list);

// ---- DELPHI.INI
std::string IniPath();
std::string IniRead(const std::string& section, const std::string& key);  // "" when missing
void IniWrite(const std::string& section, const std::string& key, const std::string& value);

// ---- Shortcuts
std::string ShellFolder(const std::string& valueName);  // "Desktop", "Start Menu", "Programs"; with "\"
struct Link {
    std::string target, workingDir, description, arguments, iconPath;
    int iconIndex = 0, showCmd = 0;  // showCmd as the file's header stores it
    WORD hotKey = 0;
};
std::optional<Link> ReadLink(const std::string& path);
std::vector<std::string> LinkPaths();  // "Quillostrand.lnk" in the three shell folders

// ---- Keys and folders the program touches
using qs::test::kAppPathsKey, qs::test::kRecordKey, qs::test::kUninstallKey;  // HKLM
extern const char* const kDelphi2Key;   // HKLM, RootDir
extern const char* const kTransferKey;  // HKCU

// Removes everything an install or a seeded scenario leaves, so that each scenario starts from a bare machine.
void CleanMachine(const std::vector<std::string>& extraFolders);
// True when nothing of an install is on the machine (the record, shell entries, shortcuts).
std::string InstallTraces();  // empty when none; else what was found

}  // namespace e2e
