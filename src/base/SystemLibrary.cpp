#include "base/SystemLibrary.h"
#include "base/WideText.h"

#include <string>

namespace qs {

HMODULE LoadSystemLibrary(const char* name) {
    // LOAD_LIBRARY_SEARCH_SYSTEM32 also confines the DLL's own imports to the system folder; systems without
    // it get the full path, which at least fixes the DLL itself.
    const std::wstring wideName = Widen(name);
    if (HMODULE m = LoadLibraryExW(wideName.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) return m;
    wchar_t dir[MAX_PATH];
    const UINT n = GetSystemDirectoryW(dir, MAX_PATH);
    if (n == 0 || n >= MAX_PATH) return nullptr;
    return LoadLibraryW((std::wstring(dir) + L"\\" + wideName).c_str());
}

}  // namespace qs
