// The install and update runs and the two buttons of the Finished page.
#include <windows.h>

#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "setup/SetupMainForm.h"
#include "system/InstallRecord.h"
#include "system/Shortcuts.h"

namespace qs {

namespace {

std::string InstallFolderFrom(const std::string& edit) {
    return edit.empty() ? "C:\\Program Files\\Quillostrand\\" : IncludeTrailingBackslash(edit);
}

// The file-name part of a path: the text after its last "\" or ":".
std::string FileNamePart(const std::string& path) {
    const size_t cut = path.find_last_of("\\:");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

}  // namespace

void TSetupForm::NowBtnClick() {
    // 1. Both Delphi folders in one place would overwrite one editor with the other.
    if (AsciiUpper(EditDelphi10.Text()) == AsciiUpper(EditDelphi20.Text())) {
        Pages.SetActivePage(DelphiSheet);
        throw Exception(
            "Sorry, but you cannot install the Delphi 1.0 and 2.0 versions of the property editor in the same directory");
    }
    InstallPath = InstallFolderFrom(EditInstallDir.Text());  // 2
    Pages.SetTabVisible(BusySheet, true);                   // 3
    Pages.SetActivePage(BusySheet);
    Gauge.SetProgress(0);  // 4
    Gauge.SetMaxValue(SpaceNeeded);
    ExtractAndCopy();  // 5-10
    LabelBusy.SetCaption("Adding shortcuts");  // 11
    RepaintNow();
    CreateShortcuts();
    WriteInstallRecord();  // 12
    ShowFinishedPage();    // 13
}

void TSetupForm::UpdateBtnClick() {
    Pages.SetTabVisible(BusySheet, true);
    Pages.SetActivePage(BusySheet);
    Gauge.SetProgress(0);
    Gauge.SetMaxValue(SpaceNeeded);
    RepaintNow();
    InstallPath = InstallFolderFrom(EditInstallDir.Text());
    ExtractAndCopy();
    WriteInstallRecord();
    ShowFinishedPage();
}

void TSetupForm::ExtractAndCopy() {
    ExtractPackage(Install, InstallPath);
    for (const PackageSlot slot : {Delphi10, Delphi20})
        if (OptionOf(slot).Checked()) ExtractPackage(slot, FolderOf(slot).Text());
    LabelBusy.SetCaption("Copying Setup.exe");
    RepaintNow();
    // Fails harmlessly when the program runs from the install folder itself.
    CopyFileA(ProgramPath.c_str(), (InstallPath + FileNamePart(ProgramPath)).c_str(), FALSE);
    Gauge.AddProgress(SetupSize);
}

void TSetupForm::ShowFinishedPage() {
    for (int p : {WelcomeSheet, DelphiSheet, InstallSheet, UpdateSheet, UninstallSheet, BusySheet})
        if (p != Pages.ActivePage()) Pages.SetTabVisible(p, false);
    Pages.SetTabVisible(FinishedSheet, true);
    Pages.SetActivePage(FinishedSheet);
    Pages.SetTabVisible(BusySheet, false);
}

void TSetupForm::CreateShortcuts() {
    qs::CreateShortcuts(ShellLink, InstallPath, CheckDesktop.Checked(), CheckStartMenu.Checked(),
                        CheckPrograms.Checked());
}

void TSetupForm::WriteInstallRecord() {
    InstallRecordInput in;
    in.InstallVersion = InstallVersion;
    in.InstallPath = InstallPath;
    in.InstallFiles = Packages[Install].Files;
    in.Delphi10 = CheckDelphi10.Checked();
    in.Delphi10Dir = EditDelphi10.Text();
    in.Delphi10Files = Packages[Delphi10].Files;
    in.Delphi20 = CheckDelphi20.Checked();
    in.Delphi20Dir = EditDelphi20.Text();
    in.Delphi20Files = Packages[Delphi20].Files;
    in.SpaceNeeded = SpaceNeeded;
    qs::WriteInstallRecord(in);
}

void TSetupForm::RunBtnClick() {
    WinExec((InstallPath + "Quilstr.exe").c_str(), 0);
    Close();
}

void TSetupForm::HelpBtnClick() { WinHelpA(hwnd_, (InstallPath + "Quilstr.hlp").c_str(), HELP_CONTENTS, 0); }

}  // namespace qs
