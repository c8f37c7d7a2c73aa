// The install and update runs and the two buttons of the Finished page.
#include <windows.h>

#include <vector>

#include "framework/Application.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "base/ScopedWin.h"
#include "base/FileSys.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "setup/FolderCheck.h"
#include "system/MachineDetect.h"
#include "setup/SetupMainForm.h"
#include "system/InstallRecord.h"
#include "system/Shortcuts.h"
#include "package/Product.h"

namespace qs {

namespace {

std::string InstallFolderFrom(const std::string& edit) {
    return IncludeTrailingBackslash(edit.empty() ? DefaultInstallFolder(kFallbackProgramFilesDir) : edit);
}

// True when both names reach one file (the program started from the install folder, in any spelling).
bool SameFile(const std::string& a, const std::string& b) {
    BY_HANDLE_FILE_INFORMATION info[2];
    const std::string* names[2] = {&a, &b};
    for (int i = 0; i < 2; ++i) {
        const ScopedFile h(CreateFileW(Widen(*names[i]).c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                       nullptr, OPEN_EXISTING, 0, nullptr));
        if (!h || !GetFileInformationByHandle(h.Get(), &info[i])) return false;
    }
    return info[0].dwVolumeSerialNumber == info[1].dwVolumeSerialNumber &&
           info[0].nFileIndexHigh == info[1].nFileIndexHigh && info[0].nFileIndexLow == info[1].nFileIndexLow;
}

// Copies the setup program for the uninstall entry. A failed copy stays silent but leaves no broken file: the
// bytes go to a temporary name beside the destination, which takes the real name only when whole. The running
// program's own file is never touched.
void CopyProgramFile(const std::string& from, const std::string& to) {
    if (SameFile(from, to)) return;
    wchar_t tempName[MAX_PATH];
    if (!GetTempFileNameW(Widen(to.substr(0, to.find_last_of("\\:") + 1)).c_str(), L"qst", 0, tempName)) return;
    const std::string temp = Narrow(tempName);
    try {
        BinFile in, out;
        in.OpenRead(from);
        out.Create(temp);
        std::vector<char> buf(kFileBlockSize);
        while (const uint32_t n = in.ReadSome(buf.data(), uint32_t(buf.size()))) out.WriteExact(buf.data(), n);
        out.Close();
        if (MoveFileExW(tempName, Widen(to).c_str(), MOVEFILE_REPLACE_EXISTING)) return;
    } catch (const std::exception&) {
        // the run goes on without a message; the temporary file goes below
    }
    DeleteFileNamed(temp);
}

}  // namespace

void TSetupForm::NowBtnClick() {
    // Both Delphi folders in one place would overwrite one editor with the other.
    if (AsciiUpper(EditDelphi10.Text()) == AsciiUpper(EditDelphi20.Text())) {
        Pages.SetActivePage(DelphiSheet);
        throw Exception(
            "Sorry, but you cannot install the Delphi 1.0 and 2.0 versions of the property editor in the same directory");
    }
    InstallPath = InstallFolderFrom(EditInstallDir.Text());
    CheckFolders();
    Pages.SetTabVisible(BusySheet, true);
    Pages.SetActivePage(BusySheet);
    Gauge.SetProgress(0);
    Gauge.SetMaxValue(SpaceNeeded);
    ExtractAndCopy();
    LabelBusy.SetCaption("Adding shortcuts");
    RepaintNow();
    CreateShortcuts();
    WriteInstallRecord();
    ShowFinishedPage();
}

void TSetupForm::UpdateBtnClick() {
    InstallPath = InstallFolderFrom(EditInstallDir.Text());
    CheckFolders();
    Pages.SetTabVisible(BusySheet, true);
    Pages.SetActivePage(BusySheet);
    Gauge.SetProgress(0);
    Gauge.SetMaxValue(SpaceNeeded);
    RepaintNow();
    ExtractAndCopy();
    WriteInstallRecord();
    ShowFinishedPage();
}

void TSetupForm::CheckFolders() {
    // Named as typed, so that the user recognises it.
    CheckUsableFolder(EditInstallDir.Text().empty() ? InstallPath : EditInstallDir.Text());
    for (const PakRole role : kDelphiRoles)
        if (OptionOf(role).Checked()) CheckUsableFolder(FolderOf(role).Text());
}

void TSetupForm::ExtractAndCopy() {
    ExtractPackage(PakRole::Main, InstallPath);
    for (const PakRole role : kDelphiRoles)
        if (OptionOf(role).Checked()) ExtractPackage(role, FolderOf(role).Text());
    LabelBusy.SetCaption("Copying Setup.exe");
    RepaintNow();
    // Always as Setup.exe, whatever the started copy was called: the uninstall entry names that file.
    CopyProgramFile(ProgramPath, InstallPath + "Setup.exe");
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
    // A failure is told, and the run goes on: the application works without its shortcuts.
    if (!qs::CreateShortcuts(ShellLink, InstallPath, CheckDesktop.Checked(), CheckStartMenu.Checked(),
                             CheckPrograms.Checked()))
        Application().ShowMessageBox(kShortcutsFailed, kSetupCaption, MB_OK);
}

void TSetupForm::WriteInstallRecord() {
    InstallRecordInput in;
    in.InstallVersion = InstallVersion;
    in.InstallPath = InstallPath;
    in.Of(PakRole::Main).Files = PackageOf(PakRole::Main).Files;
    for (const PakRole role : kDelphiRoles)
        in.Of(role) = {OptionOf(role).Checked(), FolderOf(role).Text(), PackageOf(role).Files};
    in.SpaceNeeded = SpaceNeeded;
    qs::WriteInstallRecord(in);
}

void TSetupForm::RunBtnClick() {
    // Started hidden (show command 0), as it always was; the result is not looked at.
    const std::wstring program = Widen(InstallPath + kProgramFile);
    std::wstring line = L"\"" + program + L"\"";
    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESHOWWINDOW;
    si.wShowWindow = SW_HIDE;
    PROCESS_INFORMATION pi{};
    if (CreateProcessW(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
        const ScopedKernel thread(pi.hThread);
        const ScopedKernel process(pi.hProcess);
    }
    Close();
}

void TSetupForm::HelpBtnClick() { WinHelpW(hwnd_, Widen(InstallPath + "Quilstr.hlp").c_str(), HELP_CONTENTS, 0); }

}  // namespace qs
