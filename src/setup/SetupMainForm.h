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
#include "setup/SetupMode.h"
#include "system/SheLink.h"

namespace qs {

// The pages in tab order.
enum SetupPage {
    WelcomeSheet,
    DelphiSheet,
    InstallSheet,
    UpdateSheet,
    UninstallSheet,
    BusySheet,
    FinishedSheet,
    kPageCount
};


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

    // ---- Controls (bound by the layout code when the window is created)
    TPageControl Pages;
    // Welcome
    TLabel Label1, Label2, Label3, Label4, Label20, Label21, Label28, Label9;
    // Delphi
    TLabel Label6, Label5, Label7, Label10, Label8, LabelDelphi10, LabelDelphi20;
    TCheckBox CheckDelphi10, CheckDelphi20;
    TEdit EditDelphi10, EditDelphi20;
    // Install
    TLabel Label11, Label12, Label22, Label23, LabelSpaceNeeded, LabelSpaceFree, Label13, LabelVersion;
    TEdit EditInstallDir;
    TDirectoryListBox ListInstallDir;
    TDriveComboBox ComboInstallDrive;
    TCheckBox CheckDesktop, CheckStartMenu, CheckPrograms;
    TBitBtn NowBtn2, CancelBtn3;
    // Update
    TLabel Label24, Label25, Label26, Label27, LabelOldVersion, LabelInstallVersion;
    TBitBtn UpdateBtn, CancelBtn2;
    // Uninstall
    TLabel Label16, Label17, LabelBusy2;
    TBitBtn UninstallBtn, CancelBtn4;
    // Busy
    TLabel LabelInstalling, LabelBusy, Label15;
    TGauge Gauge;
    // Finished
    TLabel Label14;
    TBitBtn RunBtn, HelpBtn, QuitBtn;

    // ---- Handlers
    void FormCreate();
    void ListInstallDirChange();
    void EditInstallDirChange();
    void ComboInstallDriveChange();
    void CheckDelphi10Click();
    void CheckDelphi20Click();
    void QuitBtnClick();
    void NowBtnClick();
    void UpdateBtnClick();
    void RunBtnClick();
    void HelpBtnClick();
    void UninstallBtnClick();

    // ---- Set before Create()
    // The running program's full path; tests point it at a scratch copy.
    std::string ProgramPath;
    // How the uninstall ends when the program's own copy could not be deleted (tests record the call instead of
    // letting the helper delete the test program).
    std::function<void(const std::string& Message, const std::string& Caption)> SelfRemoval;

private:
    friend class SetupFormTestAccess;  // tests read and set the run state below

    // What the program knows of one package it installs: the main package or a Delphi property editor.
    struct Package {
        int32_t Size = 0;             // the unpacked size of all its files
        int32_t DirPos = 0;           // where its directory starts
        bool ExtraName = false;       // its entries carry an extra name
        std::vector<uint8_t> Files;   // the installed-file list, once extracted
    };
    enum PackageSlot { Install, Delphi10, Delphi20, kPackageSlots };
    static const char* const kPakNames[kPackageSlots];

    // ExtractProgress
    void SetBusyText(const std::string& text) override;
    void AdvanceProgress(uint32_t bytesWritten) override;

    void ChooseMode();
    void DelphiOptionChanged(TCheckBox& check, TEdit& edit, TLabel& hint);
    // A Delphi package's option and the folder edit of any package.
    TCheckBox& OptionOf(PackageSlot delphi) { return delphi == Delphi10 ? CheckDelphi10 : CheckDelphi20; }
    TEdit& FolderOf(PackageSlot slot) {
        return slot == Install ? EditInstallDir : slot == Delphi10 ? EditDelphi10 : EditDelphi20;
    }
    void ExtractAndCopy();    // the part the install and update runs share
    // Unpacks the package in slot (sourced from SourceDir) into destDir and keeps its installed-file list.
    void ExtractPackage(PackageSlot slot, const std::string& destDir);
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
    std::string OldVersion = "None";
    Package Packages[kPackageSlots];
    int32_t SetupSize = 0;
    int32_t SpaceNeeded = 0, SpaceFree = 0;
    std::string ProgramFilesDir;
    std::string InstallPath;
    bool Updating = false;
    bool QuilstrPakFound = false;

    HWND hwnd_ = nullptr;
    SetupMode mode_ = SetupMode::Refusal;
    TPackageExtractor extractor_{*this};
};

}  // namespace qs
