// The uninstall run: confirm, read the file lists back, delete files, folders, registry entries, tools-menu
// entries and shortcuts, and end (through the self-removal helper when the program's own copy is running).
#include <windows.h>

#include "framework/Application.h"
#include "base/Exceptions.h"
#include "base/FileSys.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "setup/SetupMainForm.h"
#include "system/DelphiTransfer.h"
#include "system/InstallRecord.h"
#include "system/InstalledFileList.h"
#include "system/SelfRemoval.h"
#include "system/Shortcuts.h"
#include "system/Uninstall.h"

namespace qs {

void TSetupForm::UninstallBtnClick() {
    if (Application().ShowMessageBox("Are you absolutely sure you wish to uninstall Quillostrand?",
                                     "(You must have accidentically pressed that button...)",
                                     MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1) != IDYES)
        return;
    bool selfRemovalNeeded = true;
    auto step = [this](const char* text) {
        LabelBusy2.SetCaption(text);
        RepaintNow();
    };

    step("Reading uninstall information");
    const UninstallLists lists = ReadUninstallLists();

    // Only plain names are deleted, so a damaged record can never reach outside the three folders.
    step("Deleting files");
    const std::string installDir = IncludeTrailingBackslash(EditInstallDir.Text());
    for (const std::string& path : ListedFilePaths(lists.FilesOf(PakRole::Main), installDir, true, FromAnsi))
        DeleteFileNamed(path);
    if (DeleteFileNamed(installDir + "Setup.exe")) selfRemovalNeeded = false;
    for (const PakRole role : kDelphiRoles) {
        const std::vector<uint8_t>& listed = lists.FilesOf(role);
        if (listed.empty()) continue;
        for (const std::string& path : ListedFilePaths(listed, IncludeTrailingBackslash(FolderOf(role).Text()), false,
                                                       FromAnsi))
            DeleteFileNamed(path);
    }

    // Only empty folders go; each is tried whatever the lists held.
    step("Removing directory");
    // A folder that is the current folder of this process (or of the helper, which inherits it) cannot be
    // removed on Windows; leave them all.
    try {
        SetCurrentDir(TempFolder());
    } catch (const std::exception&) {
    }
    for (const PakRole role : kPakRoles) {
        try {
            RemoveDir(FolderOf(role).Text());
        } catch (const std::exception&) {
        }
    }

    step("Updating registry");
    DeleteRegistryEntries();
    RemoveDelphi10Transfer();
    RemoveDelphi20Transfer();

    step("Destroying shortcuts");
    DeleteShortcuts();

    // The program's own copy in the install folder cannot delete itself while it runs: the helper does it.
    step("Uninstall complete");
    if (selfRemovalNeeded)
        SelfRemoval("Quillostrand has been successfully uninstalled.", "Uninstall complete");
    else
        Application().ShowMessageBox("Quillostrand has been successfully uninstalled.", "Uninstall complete", MB_OK);
    Close();
}

}  // namespace qs
