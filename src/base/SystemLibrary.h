// Loading system DLLs that are not on the system's protected list, from the system folder only.
#pragma once
#include <windows.h>

namespace qs {

// The DLL from the system folder, never from the program's folder (a downloads folder may hold a planted copy).
// nullptr when it cannot be loaded. The module stays loaded for the life of the process.
HMODULE LoadSystemLibrary(const char* name);

// A function of such a DLL, or nullptr.
template <typename Fn>
Fn SystemFunction(const char* dll, const char* function) {
    const HMODULE module = LoadSystemLibrary(dll);
    return module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, function))) : nullptr;
}

}  // namespace qs
