#include "system/Uninstall.h"

#include <windows.h>
#include <shlobj.h>

#include "system/Registry.h"

namespace qs {

void DeleteRegistryEntries() {
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\QV", "Quillostrand");
    DeleteKeyTree(HKEY_CURRENT_USER, "Software\\QV", "Quillostrand");
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths", "Quilstr.exe");
    // An empty parent opens HKEY_CLASSES_ROOT itself.
    DeleteKeyTree(HKEY_CLASSES_ROOT, "", ".qst");
    DeleteKeyTree(HKEY_CLASSES_ROOT, "", "QuillostrandProject");
    // The shell forgets the file type's icon and commands at once instead of at the next logon.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    DeleteKeyTree(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall", "Quillostrand");
}

}  // namespace qs
