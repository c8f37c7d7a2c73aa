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
#include "system/ProductNames.h"

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
        probe.OpenRead(SourceDir + kPakNames[Install]);
    } catch (const EInOutError&) {
        return false;
    }
    // A signed build reads nothing of a package but its check until the check has passed.
    if (ChecksSignatures()) Packages[Install].File = OpenCheckedPackage(Install);
    return true;
}

void TSetupForm::ReadPackages() {
    const auto scan = [this](PackageSlot slot, PakRole role) {
        const PackageSummary s = Packages[slot].File.IsOpen() ? ScanPackage(Packages[slot].File, role)
                                                              : ScanPackage(SourceDir + kPakNames[slot], role);
        Packages[slot].DirPos = s.DirPos;
        Packages[slot].ExtraName = s.HasExtraName;
        Packages[slot].Size = s.TotalSize;
        return s;
    };
    InstallVersion = PackageText(scan(Install, PakRole::Main).VersionText, kPakNames[Install]);
    LabelVersion.SetCaption(InstallVersion);

    // The program copies itself into the install folder, so its own size counts in the space needed.
    BinFile self;
    self.OpenRead(ProgramPath);
    SetupSize = int32_t(self.Size());
    self.Close();
    SpaceNeeded = Packages[Install].Size + SetupSize;

    // The Delphi packages are optional: any failure, a failed signature check too, disables their option, silently.
    for (const PackageSlot slot : {Delphi10, Delphi20}) {
        try {
            if (ChecksSignatures()) Packages[slot].File = OpenCheckedPackage(slot);
            scan(slot, slot == Delphi10 ? PakRole::Delphi10 : PakRole::Delphi20);
        } catch (const std::exception&) {
            Packages[slot].File = BinFile();
            OptionOf(slot).SetChecked(false);
            OptionOf(slot).SetEnabled(false);
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
    if (rec.InstallDir) EditInstallDir.SetText(*rec.InstallDir);
    // The earlier install's Delphi folders are shown as they were, and cannot be changed.
    for (const PackageSlot slot : {Delphi10, Delphi20}) {
        const std::optional<std::string>& dir = slot == Delphi10 ? rec.Delphi10Dir : rec.Delphi20Dir;
        if (!dir) continue;
        if (OptionOf(slot).Enabled()) OptionOf(slot).SetChecked(true);
        FolderOf(slot).SetText(*dir);
        FolderOf(slot).SetReadOnly(true);
    }
}

BinFile TSetupForm::OpenCheckedPackage(PackageSlot slot) {
    // Sharing reads only: nobody can write, replace or rename the package while this program holds it.
    BinFile pak;
    pak.OpenRead(SourceDir + kPakNames[slot]);
    const SignatureCheck check =
        VendorKey.Check(pak, kPakNames[slot], SignatureFileName(SourceDir + kPakNames[slot]));
    if (check != SignatureCheck::Good) throw ESignatureRefused(kPakNames[slot], check);
    return pak;
}

void TSetupForm::ChooseMode() {
    mode_ = ChooseSetupMode(QuilstrPakFound, OldVersion, InstallVersion);
    if (mode_ == SetupMode::Refusal) {
        Application().ShowMessageBox("File Quilstr.pak not found", kSetupCaption, MB_OK | MB_ICONSTOP);
        return;
    }
    if (OldVersion != "None") {
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
    SpaceNeeded = Packages[Install].Size + SetupSize;
    for (const PackageSlot slot : {Delphi10, Delphi20})
        if (OptionOf(slot).Checked()) SpaceNeeded += Packages[slot].Size;
    LabelSpaceNeeded.SetCaption(FormatKB(SpaceNeeded));
    ShowSpaceShortage(LabelSpaceFree, SpaceFree, SpaceNeeded);
}

void TSetupForm::CheckDelphi10Click() { DelphiOptionChanged(CheckDelphi10, EditDelphi10, LabelDelphi10); }
void TSetupForm::CheckDelphi20Click() { DelphiOptionChanged(CheckDelphi20, EditDelphi20, LabelDelphi20); }

}  // namespace qs
