// What start-up reads from the machine: the proposed parent folder, the two Delphi environments and the free
// space of a drive. Read-only; every failure means "not found".
#pragma once
#include <cstdint>
#include <optional>
#include <string>

#include "package/Product.h"

namespace qs {

// The program-files folder when the system names none.
constexpr char kFallbackProgramFilesDir[] = "C:\\Program Files\\";

// The install folder proposed below a program-files folder (which ends in "\"); no final "\".
inline std::string DefaultInstallFolder(const std::string& programFilesDir) {
    return programFilesDir + kInstallFolderName;
}

// "ProgramFilesDir" of HKLM "Software\Microsoft\Windows\CurrentVersion" with a final "\", or
// kFallbackProgramFilesDir when it is missing, unreadable (longer than 255 characters) or empty.
std::string ReadProgramFilesDir();

// "SearchPath" of section "Library" of "DELPHI.INI" in the Windows folder (empty when missing).
std::string ReadDelphi10SearchPath();

// "RootDir" of HKLM "Software\Borland\Delphi\2.0" (at most 260 characters), when it can be read.
std::optional<std::string> ReadDelphi20RootDir();

// Bytes of the root of drive (letter, either case) that this user may still fill, as a true 64-bit count;
// -1 when the platform cannot tell.
int64_t DriveFreeSpace(char drive);

}  // namespace qs
