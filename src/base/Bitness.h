// What differs between the 32-bit build (the one shipped, which every Windows runs) and the 64-bit build of the
// same sources, in one place. Anything else that holds a pointer uses the pointer-sized Windows types (LONG_PTR,
// INT_PTR, WPARAM, LPARAM) and GetWindowLongPtrA/SetWindowLongPtrA for window data, so it fits either build.
#pragma once
#include <windows.h>

#include <cstddef>

namespace qs {

constexpr bool kIs64BitBuild = sizeof(void*) == 8;

// CreateProcessA's start-up record: its size field is the record's size, which holds pointers and handles.
constexpr size_t kStartupInfoSize = kIs64BitBuild ? 104 : 68;
static_assert(sizeof(STARTUPINFOA) == kStartupInfoSize);

// The registry view of the keys under HKEY_LOCAL_MACHINE that the program touches. On 64-bit Windows the 32-bit
// program sees the 32-bit view there (Wow6432Node), and the installed application is a 32-bit program that reads
// that view; the 64-bit build asks for the same view, so either build finds, updates and removes what the other
// installed. On 32-bit Windows the flag is ignored. The file-type keys under HKEY_CLASSES_ROOT are one key for
// both kinds of program, so they keep the default view: asked for the 32-bit one there, Wine looks in a copy the
// 32-bit program never writes. A key opened below another passes the view of its root on.
inline REGSAM RegistryViewFor(HKEY root) { return root == HKEY_LOCAL_MACHINE ? KEY_WOW64_32KEY : 0; }

}  // namespace qs
