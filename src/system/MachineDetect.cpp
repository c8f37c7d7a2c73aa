#include "system/MachineDetect.h"

#include <windows.h>

#include <cstdint>

#include "base/Text.h"
#include "system/DelphiTransfer.h"
#include "system/IniFile.h"
#include "system/Registry.h"

namespace qs {

namespace {

// A text value of the key, read into maxChars + 1 bytes; nothing when the key or value is missing or too long.
std::optional<std::string> ReadRegText(HKEY root, const char* subKey, const char* value, size_t maxChars) {
    return ReadText(RegKey::Open(root, subKey, KEY_QUERY_VALUE), value, maxChars);
}

}  // namespace

std::string ReadProgramFilesDir() {
    const auto dir = ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", 255);
    if (!dir || dir->empty()) return kFallbackProgramFilesDir;
    return IncludeTrailingBackslash(*dir);
}

std::string ReadDelphi10SearchPath() {
    return TIniFile(kDelphiIni).ReadString("Library", "SearchPath", "");
}

std::optional<std::string> ReadDelphi20RootDir() {
    return ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\2.0", "RootDir", 260);
}

int64_t DriveFreeSpace(char drive) {
    const wchar_t root[4] = {wchar_t(AsciiUpper(drive)), L':', L'\\', 0};
    // The caller's share (quotas included), which the older cluster-count call cannot give beyond 2 GB.
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExW(root, &available, &total, &free)) return -1;
    return available.QuadPart > uint64_t(INT64_MAX) ? INT64_MAX : int64_t(available.QuadPart);
}

}  // namespace qs
