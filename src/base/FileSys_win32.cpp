#include "base/FileSys.h"
#include "base/Exceptions.h"
#include "base/WideText.h"

#include <windows.h>

namespace qs {

bool SetCurrentDir(const std::string& folder) { return SetCurrentDirectoryW(Widen(folder).c_str()) != 0; }

void CreateDir(const std::string& folder) {
    if (!CreateDirectoryW(Widen(folder).c_str(), nullptr)) throw EInOutError(int(GetLastError()));
}

bool FileExists(const std::string& name) {
    const DWORD a = GetFileAttributesW(Widen(name).c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileNamed(const std::string& name) { return DeleteFileW(Widen(name).c_str()) != 0; }
std::string CurrentDir() {
    const DWORD size = GetCurrentDirectoryW(0, nullptr);
    if (size == 0) return "";
    std::wstring buf(size, L'\0');
    const DWORD n = GetCurrentDirectoryW(size, buf.data());
    if (n == 0 || n >= size) return "";
    buf.resize(n);
    return Narrow(buf);
}

bool RemoveDir(const std::string& folder) { return RemoveDirectoryW(Widen(folder).c_str()) != 0; }

}  // namespace qs
