// Names of the installed product that the install, the shell entries and the setup window all use.
#pragma once

namespace qs {

// The application's program, in its install folder.
constexpr char kProgramFile[] = "Quilstr.exe";
// The setup window's title, and the caption of every message box the setup shows.
constexpr char kSetupCaption[] = "Quillostrand Setup";
// The folder the install proposes, under the system's program-files folder.
constexpr char kInstallFolderName[] = "Quillostrand";

}  // namespace qs
