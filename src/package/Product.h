// Facts of the product that the packages, the install record, the shell entries, the setup window and the tools
// share. A leaf: it includes nothing.
#pragma once

namespace qs {

// The product: the main package's ProductName, the name in the list of programs, the shortcuts' description.
constexpr char kProductName[] = "Quillostrand";
// The application's program, in its install folder.
constexpr char kProgramFile[] = "Quilstr.exe";
// The setup window's title, and the caption of every message box the setup shows.
constexpr char kSetupCaption[] = "Quillostrand Setup";
// The folder the install proposes, under the system's program-files folder.
constexpr const char* kInstallFolderName = kProductName;
// The version the install record holds when there is no installation.
constexpr char kNoVersion[] = "None";

}  // namespace qs
