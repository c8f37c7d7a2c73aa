// Start-up (FormCreate) and the install options: what the window finds before the user sees it, and the
// handlers that keep the folder edit, folder list, drive box and space figures in step.
#include <windows.h>

#include "framework/Application.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "base/FileSys.h"
#include "base/Text.h"
#include "base/WideText.h"
#include "package/PakFormat.h"
#include "package/PakSignature.h"
#include "system/MachineDetect.h"
#include "setup/SetupMainForm.h"
#include "system/InstallRecord.h"
#include "system/SearchPath.h"
#include "package/Product.h"

namespace qs {

namespace {

// A package's own text: UTF-8 as mkpak writes it, or the system code page's bytes of a package made on Windows.
std::string PackageText(const std::string& bytes, const std::string& pakName) {
    if (IsValidUtf8(bytes)) return bytes;
    if (std::optional<std::string> text = FromAnsi(bytes)) return *text;
    throw Exception(PackageErrorText(pakName));
}

// The free-space figure is red while the drive has no more room than the install needs, and says so in words to a
// screen reader, which sees no colour.
void ShowSpaceShortage(TLabel& figure, int64_t spaceFree, int32_t spaceNeeded) {
    const bool enough = spaceFree > spaceNeeded;
    figure.SetColor(enough ? GetSysColor(COLOR_BTNFACE) : COLORREF(form::kRed));
    figure.SetDescription(enough ? "" : "Not enough disk space for the installation");
}

}  // namespace

void TSetupForm::FormCreate() {
    // The welcome page first; the busy and finished pages get their tabs only when a run reaches them.
    Pages.SetActivePage(WelcomeSheet);
    Pages.SetTabVisible(BusySheet, false);
    Pages.SetTabVisible(FinishedSheet, false);
    // Packages and the program itself may lie on write-protected media.
    SetFileModeForReading(OpenMode::ReadOnly);
    // The packages lie beside the program.
    SourceDir = ProgramPath.substr(0, ProgramPath.rfind('\\') + 1);

    QuilstrPakFound = MainPackageOpens();
    if (QuilstrPakFound) {
        ReadPackages();
        ProposeFolders();
        FindDelphiFolders();
    }
    // An earlier installation, whether or not the package was found.
    TakeInstallRecord();
    LabelSpaceNeeded.SetCaption(FormatKB(SpaceNeeded));
    ChooseMode();
}

bool TSetupForm::MainPackageOpens() {
    try {
        BinFile probe;
        probe.OpenRead(SourceDir + FactsOf(PakRole::Main).FileName);
    } catch (const EInOutError&) {
        return false;
    }
    // A signed build reads nothing of a package but its check until the check has passed.
    if (ChecksSignatures()) PackageOf(PakRole::Main).File = OpenCheckedPackage(PakRole::Main);
    return true;
}

void TSetupForm::ReadPackages() {
    const auto scan = [this](PakRole role) {
        Package& p = PackageOf(role);
        const PackageSummary s = p.File.IsOpen() ? ScanPackage(p.File, role)
                                                 : ScanPackage(SourceDir + FactsOf(role).FileName, role);
        p.DirPos = s.DirPos;
        p.ExtraName = s.HasExtraName;
        p.Size = s.TotalSize;
        return s;
    };
    InstallVersion = PackageText(scan(PakRole::Main).VersionText, FactsOf(PakRole::Main).FileName);
    LabelVersion.SetCaption(InstallVersion);

    // The program copies itself into the install folder, so its own size counts in the space needed.
    BinFile self;
    self.OpenRead(ProgramPath);
    SetupSize = int32_t(self.Size());
    self.Close();
    SpaceNeeded = PackageOf(PakRole::Main).Size + SetupSize;

    // The Delphi packages are optional: any failure, a failed signature check too, disables their option, silently.
    for (const PakRole role : kDelphiRoles) {
        try {
            if (ChecksSignatures()) PackageOf(role).File = OpenCheckedPackage(role);
            scan(role);
        } catch (const std::exception&) {
            PackageOf(role).File = BinFile();
            OptionOf(role).SetChecked(false);
            OptionOf(role).SetEnabled(false);
        }
    }
}

void TSetupForm::ProposeFolders() {
    // Under the system's program-files folder, on its drive.
    ProgramFilesDir = ReadProgramFilesDir();
    const char drive = ProgramFilesDir[0];
    bool driveChanges = AsciiLower(ComboInstallDrive.Drive()) != AsciiLower(drive);
    try {
        ComboInstallDrive.SetDrive(drive);
    } catch (const std::exception&) {
        // A value naming a drive the box does not list: the box stays where it was and
        // start-up goes on; the folder text below still shows what the system named.
        driveChanges = false;
    }
    // The drive box reports only a change of drive; the figure must never be stale, so compute it anyway.
    if (!driveChanges) ComboInstallDriveChange();
    EditInstallDir.SetText(DefaultInstallFolder(ProgramFilesDir));
    EditDelphi10.SetText(EditInstallDir.Text() + "\\Delphi10");
    EditDelphi20.SetText(EditInstallDir.Text() + "\\Delphi20");
}

void TSetupForm::FindDelphiFolders() {
    // Delphi 1.0: the library element of its search path.
    if (const auto lib = FindDelphi10LibElement(ReadDelphi10SearchPath())) {
        if (CheckDelphi10.Enabled()) CheckDelphi10.SetChecked(true);
        EditDelphi10.SetText(*lib);
    }
    // Delphi 2.0: its root folder.
    if (const auto root = ReadDelphi20RootDir()) {
        if (CheckDelphi20.Enabled()) CheckDelphi20.SetChecked(true);
        EditDelphi20.SetText(*root + "\\LIB");
    }
}

void TSetupForm::TakeInstallRecord() {
    const StartupRecord rec = ReadInstallRecordForStartup();
    OldVersion = rec.OldVersion;
    if (const auto& dir = rec.DirOf(PakRole::Main)) EditInstallDir.SetText(*dir);
    // The earlier install's Delphi folders are shown as they were, and cannot be changed.
    for (const PakRole role : kDelphiRoles) {
        const std::optional<std::string>& dir = rec.DirOf(role);
        if (!dir) continue;
        if (OptionOf(role).Enabled()) OptionOf(role).SetChecked(true);
        FolderOf(role).SetText(*dir);
        FolderOf(role).SetReadOnly(true);
    }
}

BinFile TSetupForm::OpenCheckedPackage(PakRole role) {
    // Sharing reads only: nobody can write, replace or rename the package while this program holds it.
    const std::string name = FactsOf(role).FileName;
    BinFile pak;
    pak.OpenRead(SourceDir + name);
    const SignatureCheck check = VendorKey.Check(pak, name, SignatureFileName(SourceDir + name));
    if (check != SignatureCheck::Good) throw ESignatureRefused(name, check);
    return pak;
}

void TSetupForm::ChooseMode() {
    mode_ = ChooseSetupMode(QuilstrPakFound, OldVersion, InstallVersion);
    if (mode_ == SetupMode::Refusal) {
        Application().ShowMessageBox("File Quilstr.pak not found", kSetupCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    if (OldVersion != kNoVersion) {
        LabelOldVersion.SetCaption(OldVersion);
        LabelInstallVersion.SetCaption(InstallVersion);
    }
    const ModePages pages = PagesOf(mode_);
    // The active page's tab must be visible before it is made active; hide the rest afterwards.
    Pages.SetTabVisible(pages.Active, true);
    Pages.SetActivePage(pages.Active);
    for (int p = 0; p < kPageCount; ++p) Pages.SetTabVisible(p, pages.Visible[size_t(p)]);
}

// ---- Install options

void TSetupForm::ListInstallDirChange() {
    if (Updating) return;
    Updating = true;
    EditInstallDir.SetText(ListInstallDir.Directory());
    Updating = false;
}

void TSetupForm::EditInstallDirChange() {
    if (Updating) return;
    Updating = true;
    std::string t = EditInstallDir.Text();
    // The edit may name a folder that does not exist yet: the list shows the deepest existing one on its path.
    for (;;) {
        try {
            ListInstallDir.SetDirectory(t);
            break;
        } catch (const std::exception&) {
            const size_t slash = t.rfind('\\');
            if (slash == std::string::npos) break;
            t.resize(slash);
        }
    }
    Updating = false;
}

void TSetupForm::ComboInstallDriveChange() {
    SpaceFree = 0;
    try {
        SpaceFree = DriveFreeSpace(ComboInstallDrive.Drive());
    } catch (const std::exception&) {
        SpaceFree = 0;
    }
    LabelSpaceFree.SetCaption(FormatFreeSpace(SpaceFree));
    ShowSpaceShortage(LabelSpaceFree, SpaceFree, SpaceNeeded);
}

void TSetupForm::DelphiOptionChanged(TCheckBox& check, TEdit& edit, TLabel& hint) {
    edit.SetEnabled(check.Checked());
    hint.SetVisible(check.Checked());
    SpaceNeeded = PackageOf(PakRole::Main).Size + SetupSize;
    for (const PakRole role : kDelphiRoles)
        if (OptionOf(role).Checked()) SpaceNeeded += PackageOf(role).Size;
    LabelSpaceNeeded.SetCaption(FormatKB(SpaceNeeded));
    ShowSpaceShortage(LabelSpaceFree, SpaceFree, SpaceNeeded);
}

void TSetupForm::CheckDelphi10Click() { DelphiOptionChanged(CheckDelphi10, EditDelphi10, LabelDelphi10); }
void TSetupForm::CheckDelphi20Click() { DelphiOptionChanged(CheckDelphi20, EditDelphi20, LabelDelphi20); }

}  // namespace qs
