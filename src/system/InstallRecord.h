// The install record (HKEY_LOCAL_MACHINE "Software\QV\Quillostrand\Installation"), the shell entries
// (ShellKeys.h), and the uninstall entry: written at the end of an install or update run, read
// by start-up and by the uninstall run.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "package/Packages.h"
#include "package/Product.h"
#include "system/InstalledFileList.h"

namespace qs {

constexpr char kRecordKey[] = "Software\\QV\\Quillostrand\\Installation";
constexpr char kUninstallEntryKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillostrand";

// One package's part of the record.
struct PackageRecord {
    bool Chosen = false;         // a Delphi package: its option as ticked (the main package is always installed)
    std::string Dir;             // a Delphi package: its folder text as left
    std::vector<uint8_t> Files;  // the installed-file list, 13 bytes a file
};

struct InstallRecordInput {
    std::string InstallVersion;  // at most 32 characters
    std::string InstallPath;     // the run's install folder, ending in "\"
    // By package; of the main package only Files counts: its folder is InstallPath.
    PackageRecord Packages[kPackageCount];
    int32_t SpaceNeeded = 0;     // bytes, for the programs list's size

    PackageRecord& Of(PakRole role) { return Packages[IndexOf(role)]; }
    const PackageRecord& Of(PakRole role) const { return Packages[IndexOf(role)]; }
};

// Writes, in order: the record (Version, InstallDir, the main list; each Delphi folder and list only when its
// option is ticked, so unticked ones keep an earlier run's values), the shell keys, the Delphi Transfer
// entries, and the uninstall entry. Registry writes are not checked. Errors of the Transfer step (an unwritable
// DELPHI.INI, a Delphi 2.0 Count that is not a number) end it there, before the uninstall entry.
void WriteInstallRecord(const InstallRecordInput& in);

// What start-up learns from the record about an earlier installation.
struct StartupRecord {
    std::string OldVersion = kNoVersion;  // "None": no usable earlier installation
    // The recorded folders by package: the install folder with "\", only when it still holds Quilstr.exe; the Delphi
    // folders as stored.
    std::optional<std::string> Dirs[kPackageCount];

    const std::optional<std::string>& DirOf(PakRole role) const { return Dirs[IndexOf(role)]; }
};
// The earlier-installation detection: Version (at most 32 characters; "None" or unreadable: no installation),
// then InstallDir (a stale or unreadable folder makes OldVersion "None"), then the two Delphi folders, which are
// read whenever a version was found, even for a stale record.
StartupRecord ReadInstallRecordForStartup();

// The installed-file lists as the uninstall run reads them back.
struct UninstallLists {
    // By package. A list shorter than its recorded size, or missing, holds the bytes there are; a Delphi list
    // without its size value is empty.
    std::vector<uint8_t> Files[kPackageCount];

    const std::vector<uint8_t>& FilesOf(PakRole role) const { return Files[IndexOf(role)]; }
};
// Raises Exception "Cannot uninstall!\rUninstall data has been removed from the registry." when the record or its
// InstallFilesSize cannot be read.
UninstallLists ReadUninstallLists();

}  // namespace qs
