#include "setup/SetupDetect.h"

#include <windows.h>

#include <cstdint>

namespace qs {

namespace {

// Reads a REG_SZ-like value into a buffer of maxChars + 1 bytes; fails when it does not fit.
std::optional<std::string> ReadRegText(HKEY root, const char* subKey, const char* value, DWORD maxChars) {
    HKEY key;
    if (RegOpenKeyExA(root, subKey, 0, KEY_QUERY_VALUE, &key) != ERROR_SUCCESS) return std::nullopt;
    std::string buf(maxChars + 1, '\0');
    DWORD size = maxChars + 1;
    const LONG rc = RegQueryValueExA(key, value, nullptr, nullptr, reinterpret_cast<BYTE*>(&buf[0]), &size);
    RegCloseKey(key);
    if (rc != ERROR_SUCCESS) return std::nullopt;
    buf.resize(size);
    buf.resize(std::char_traits<char>::length(buf.c_str()));  // up to the first NUL
    return buf;
}

}  // namespace

std::string ReadProgramFilesDir() {
    const auto dir = ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", 255);
    if (!dir || dir->empty()) return "C:\\Program Files\\";
    return dir->back() == '\\' ? *dir : *dir + '\\';
}

std::string ReadDelphi10SearchPath() {
    char buf[1024];
    GetPrivateProfileStringA("Library", "SearchPath", "", buf, sizeof buf, "DELPHI.INI");
    return buf;
}

std::optional<std::string> ReadDelphi20RootDir() {
    return ReadRegText(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\2.0", "RootDir", 260);
}

int32_t DriveFreeSpace(char drive) {
    const char letter = drive >= 'a' && drive <= 'z' ? char(drive - 'a' + 'A') : drive;
    const char root[4] = {letter, ':', '\\', '\0'};
    DWORD sectorsPerCluster = 0, bytesPerSector = 0, freeClusters = 0, totalClusters = 0;
    if (!GetDiskFreeSpaceA(root, &sectorsPerCluster, &bytesPerSector, &freeClusters, &totalClusters)) return -1;
    const uint64_t bytes = uint64_t(sectorsPerCluster) * bytesPerSector * freeClusters;
    return bytes > 0x7FFFFFFFull ? 0x7FFFFFFF : int32_t(bytes);
}

}  // namespace qs
