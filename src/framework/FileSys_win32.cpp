#include "framework/FileSys.h"
#include "framework/Exceptions.h"

#include <windows.h>

namespace qs {

bool SetCurrentDir(const std::string& folder) { return SetCurrentDirectoryA(folder.c_str()) != 0; }

void CreateDir(const std::string& folder) {
    if (!CreateDirectoryA(folder.c_str(), nullptr)) throw EInOutError(int(GetLastError()));
}

bool FileExists(const std::string& name) {
    const DWORD a = GetFileAttributesA(name.c_str());
    return a != INVALID_FILE_ATTRIBUTES && !(a & FILE_ATTRIBUTE_DIRECTORY);
}

bool DeleteFileNamed(const std::string& name) { return DeleteFileA(name.c_str()) != 0; }
bool RemoveDir(const std::string& folder) { return RemoveDirectoryA(folder.c_str()) != 0; }

}  // namespace qs
