#include "system/Shortcuts.h"

#include <windows.h>

#include <optional>

#include "base/Exceptions.h"
#include "base/FileSys.h"
#include "base/Text.h"
#include "system/Registry.h"
#include "package/Product.h"

namespace qs {

namespace {

constexpr const char* kFolderValues[3] = {"Desktop", "Start Menu", "Programs"};

// The shortcut's path in the folder a Shell Folders value names; nothing when the value cannot be read into
// 261 bytes or is empty (an empty folder would put the shortcut into the current drive's root).
std::optional<std::string> ShortcutIn(const RegKey& key, const char* valueName) {
    const std::optional<std::string> folder = ReadText(key, valueName);
    if (!folder || folder->empty()) return std::nullopt;
    return IncludeTrailingBackslash(*folder) + kShortcutName;
}

}  // namespace

bool CreateShortcuts(TShellLink& link, const std::string& installPath, bool desktop, bool startMenu,
                     bool programs) {
    try {
        const std::string folder = IncludeTrailingBackslash(installPath);
        link.SetIconLocation(folder + kProgramFile);
        link.SetTarget(folder + kProgramFile);
        link.SetWorkingDir(folder);
        const RegKey key = RegKey::Open(HKEY_CURRENT_USER, kShellFoldersKey, KEY_READ);
        const bool chosen[3] = {desktop, startMenu, programs};
        for (int i = 0; i < 3; ++i) {
            const std::optional<std::string> path = ShortcutIn(key, kFolderValues[i]);
            if (path && chosen[i]) link.WriteLink(*path);
        }
        return true;
    } catch (...) {
        return false;
    }
}

void DeleteShortcuts() {
    const RegKey key = RegKey::Open(HKEY_CURRENT_USER, kShellFoldersKey, KEY_ALL_ACCESS);
    for (const char* valueName : kFolderValues) {
        if (const std::optional<std::string> path = ShortcutIn(key, valueName)) DeleteFileNamed(*path);
    }
}

}  // namespace qs
