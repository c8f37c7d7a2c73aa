// File-system helpers the package core needs beyond BinFile, with the same two back ends.
#pragma once
#include <string>

namespace qs {

// True when the folder can be made the current folder of the process (which it then is).
bool SetCurrentDir(const std::string& folder);
// The process's current folder; "" when it cannot be read.
std::string CurrentDir();
// Creates one folder; raises EInOutError on failure.
void CreateDir(const std::string& folder);
bool FileExists(const std::string& name);
bool DeleteFileNamed(const std::string& name);
bool RemoveDir(const std::string& folder);

}  // namespace qs
