// TSetupForm: the setup window, its controls and components, and the state of a run. Its creation runs the
// start-up (FormCreate); every button runs one handler to its end on the program's single thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "framework/Controls.h"
#include "package/Extract.h"
#include "package/LZH_OP.h"
#include "package/Packages.h"
#include "package/Product.h"
#include "package/VendorKey.h"
#include "setup/SetupMode.h"
#include "setup/SetupPages.h"
#include "system/SheLink.h"

namespace qs {

class TSetupForm : private ExtractProgress {
public:
    TSetupForm();
    ~TSetupForm() override;
    TSetupForm(const TSetupForm&) = delete;
    TSetupForm& operator=(const TSetupForm&) = delete;

    // Creates the window and its controls from the page tables, then runs FormCreate. When start-up refused
    // (Mode() == Refusal) the application has been asked to end. Errors of start-up are shown and end it too.
    void Create();
    // The layout alone: the window and every control from the page tables, without the start-up (SetupLayout.cpp;
    // Create() calls it, tests call it to look at the window as loaded).
    void CreateWindowAndControls();
    void Show();
    void Close();  // closes the window; it is the main window, so the program ends
    HWND Handle() const { return hwnd_; }
    SetupMode Mode() const { return mode_; }

private:
    ViewNames views_;  // before the control members, which register in it as they are constructed

public:
    // ---- Controls the code uses (bound by the layout code when the window is created). The other rows of the
    // page tables get views the layout keeps; a control needs a member here only once code touches it.
    TPageControl Pages;
    // Delphi
    Named<TCheckBox> CheckDelphi10{views_, "CheckDelphi10"}, CheckDelphi20{views_, "CheckDelphi20"};
    Named<TEdit> EditDelphi10{views_, "EditDelphi10"}, EditDelphi20{views_, "EditDelphi20"};
    Named<TLabel> LabelDelphi10{views_, "LabelDelphi10"}, LabelDelphi20{views_, "LabelDelphi20"};
    // Install
    Named<TEdit> EditInstallDir{views_, "EditInstallDir"};
    Named<TDirectoryListBox> ListInstallDir{views_, "ListInstallDir"};
    Named<TDriveComboBox> ComboInstallDrive{views_, "ComboInstallDrive"};
    Named<TCheckBox> CheckDesktop{views_, "CheckDesktop"}, CheckStartMenu{views_, "CheckStartMenu"},
        CheckPrograms{views_, "CheckPrograms"};
    Named<TLabel> LabelSpaceNeeded{views_, "LabelSpaceNeeded"}, LabelSpaceFree{views_, "LabelSpaceFree"},
        LabelVersion{views_, "LabelVersion"};
    // Update
    Named<TLabel> LabelOldVersion{views_, "LabelOldVersion"}, LabelInstallVersion{views_, "LabelInstallVersion"};
    // Uninstall
    Named<TLabel> LabelBusy2{views_, "LabelBusy2"};
    // Busy
    Named<TLabel> LabelBusy{views_, "LabelBusy"};
    Named<TGauge> Gauge{views_, "Gauge"};

    // ---- Handlers: the events the page tables bind, one member function each (QS_SETUP_HANDLERS, SetupPages.h)
#define QS_DECLARE_HANDLER(name) void name();
    QS_SETUP_HANDLERS(QS_DECLARE_HANDLER)
#undef QS_DECLARE_HANDLER

    // ---- Set before Create()
    // The running program's full path; tests point it at a scratch copy.
    std::string ProgramPath;
    // How the uninstall ends when the program's own copy could not be deleted (tests record the call instead of
    // letting the helper delete the test program).
    std::function<void(const std::string& Message, const std::string& Caption)> SelfRemoval;
    // The key packages must be signed with. Create() takes the program's own (none in an unsigned build) unless a
    // test has set one.
    TVendorKey VendorKey;

private:
    friend class SetupFormTestAccess;  // tests read and set the run state below

    // What the program knows of one package it installs: the main package or a Delphi property editor.
    struct Package {
        int32_t Size = 0;             // the unpacked size of all its files
        int32_t DirPos = 0;           // where its directory starts
        bool ExtraName = false;       // its entries carry an extra name
        std::vector<uint8_t> Files;   // the installed-file list, once extracted
        BinFile File;                 // a signed build: the checked package, open until the program ends
    };

    // The start-up, run by Create(), and its stretches.
    void FormCreate();
    bool MainPackageOpens();  // a signed build also checks it, raising ESignatureRefused when that fails
    void ReadPackages();      // sizes, version and directories; disables the Delphi options that cannot be read
    void ProposeFolders();
    void FindDelphiFolders();  // ticks the option of each Delphi the machine has, with its folder
    void TakeInstallRecord();  // the earlier installation's version and folders

    // ExtractProgress
    void SetBusyText(const std::string& text) override;
    void AdvanceProgress(uint32_t bytesWritten) override;

    void ChooseMode();
    // A signed build's start on a package: opens it, writing denied to others, and checks its signature. Raises
    // ESignatureRefused when the check fails, EInOutError when the file cannot be read.
    BinFile OpenCheckedPackage(PakRole role);
    bool ChecksSignatures() const { return VendorKey.GetState() != TVendorKey::State::None; }
    void DelphiOptionChanged(TCheckBox& check, TEdit& edit, TLabel& hint);
    // A Delphi package's option and the folder edit of any package.
    TCheckBox& OptionOf(PakRole delphi) { return delphi == PakRole::Delphi10 ? CheckDelphi10 : CheckDelphi20; }
    TEdit& FolderOf(PakRole role) {
        TEdit* const edits[kPackageCount] = {&EditInstallDir, &EditDelphi10, &EditDelphi20};
        return *edits[IndexOf(role)];
    }
    Package& PackageOf(PakRole role) { return Packages[IndexOf(role)]; }
    void ExtractAndCopy();    // the part the install and update runs share
    void CheckFolders();      // refuses an install or chosen Delphi folder that cannot be used, before anything is written
    // Unpacks the package (sourced from SourceDir) into destDir and keeps its installed-file list.
    void ExtractPackage(PakRole role, const std::string& destDir);
    void CreateShortcuts();
    void WriteInstallRecord();
    void ShowFinishedPage();
    // Repaints the whole window at once, without processing other messages.
    void RepaintNow();

    // ---- Non-visual components
    TLZHCompressor LZHCompressor;
    TShellLink ShellLink;

    // ---- State of a run (see the start-up, the runs and the extraction)
    std::string SourceDir;
    std::string InstallVersion;
    std::string OldVersion = kNoVersion;
    Package Packages[kPackageCount];
    int32_t SetupSize = 0;
    int32_t SpaceNeeded = 0;
    int64_t SpaceFree = 0;  // a true count: drives hold far more than 2 GB
    std::string ProgramFilesDir;
    std::string InstallPath;
    bool Updating = false;
    bool QuilstrPakFound = false;

    HWND hwnd_ = nullptr;
    SetupMode mode_ = SetupMode::Refusal;
    TPackageExtractor extractor_{*this};
};

}  // namespace qs
