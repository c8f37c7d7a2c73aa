// The shortcut "Quillostrand.lnk" to the installed application in the user's desktop, Start menu and Programs
// folders, as the per-user "Shell Folders" key names them.
#pragma once
#include <string>

#include "system/SheLink.h"

namespace qs {

constexpr char kShellFoldersKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
constexpr char kShortcutName[] = "Quillostrand.lnk";

// What the install run tells the user when CreateShortcuts fails.
constexpr char kShortcutsFailed[] = "Error creating shortcuts";

// Sets the link's Target and IconLocation to installPath + "Quilstr.exe" and its WorkingDir to installPath (its
// other properties are used as they are), then writes the shortcut into each ticked folder, in the order Desktop,
// Start Menu, Programs. A folder whose value is missing, too long or empty is skipped. Never raises: the first
// error ends the walk and gives false; the shortcuts written before it stay.
bool CreateShortcuts(TShellLink& link, const std::string& installPath, bool desktop, bool startMenu, bool programs);

// Deletes "Quillostrand.lnk" from all three folders, whatever was chosen at install time; failures are ignored.
void DeleteShortcuts();

}  // namespace qs
