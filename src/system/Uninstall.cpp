#include "system/Uninstall.h"

#include <windows.h>
#include <shlobj.h>

#include "system/InstallRecord.h"
#include "system/Registry.h"
#include "system/ShellKeys.h"

namespace qs {

namespace {

// Deletes the last key of path with its tree; the part before the last "\" stays.
void DeleteKeyPath(HKEY root, const std::string& path) {
    const size_t cut = path.rfind('\\');
    DeleteKeyTree(root, path.substr(0, cut), path.substr(cut + 1));
}

}  // namespace

void DeleteRegistryEntries() {
    // The install record goes with the product's key above it, for the machine and for the user.
    const std::string recordKey = kRecordKey;
    const std::string productKey = recordKey.substr(0, recordKey.rfind('\\'));
    DeleteKeyPath(HKEY_LOCAL_MACHINE, productKey);
    DeleteKeyPath(HKEY_CURRENT_USER, productKey);
    DeleteShellKeys();
    // The shell forgets the file type's icon and commands at once instead of at the next logon.
    SHChangeNotify(SHCNE_ASSOCCHANGED, SHCNF_IDLIST, nullptr, nullptr);
    DeleteKeyPath(HKEY_LOCAL_MACHINE, kUninstallEntryKey);
}

}  // namespace qs
