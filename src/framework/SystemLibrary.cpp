#include "framework/SystemLibrary.h"

#include <string>

namespace qs {

HMODULE LoadSystemLibrary(const char* name) {
    // LOAD_LIBRARY_SEARCH_SYSTEM32 also confines the DLL's own imports to the system folder; systems without
    // it get the full path, which at least fixes the DLL itself.
    if (HMODULE m = LoadLibraryExA(name, nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return m;
    char dir[MAX_PATH];
    const UINT n = GetSystemDirectoryA(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryA((std::string(dir) + "\\" + name).c_str());
}

}  // namespace qs
