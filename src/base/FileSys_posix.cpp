#include "base/FileSys.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"

#include <cerrno>
#include <sys/stat.h>
#include <unistd.h>

namespace qs {

bool SetCurrentDir(const std::string& folder) { return ::chdir(NativePath(folder).c_str()) == 0; }

void CreateDir(const std::string& folder) {
    if (::mkdir(NativePath(folder).c_str(), 0755) != 0) throw EInOutError(errno == EEXIST ? 183 : errno == ENOENT ? 3 : 5);
}

bool FileExists(const std::string& name) {
    struct stat st;
    return ::stat(NativePath(name).c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

bool DeleteFileNamed(const std::string& name) { return ::unlink(NativePath(name).c_str()) == 0; }
std::string CurrentDir() {
    char buf[4096];
    return ::getcwd(buf, sizeof buf) ? std::string(buf) : std::string();
}

bool RemoveDir(const std::string& folder) { return ::rmdir(NativePath(folder).c_str()) == 0; }

}  // namespace qs
