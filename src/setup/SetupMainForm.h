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

    // ---- Non-visual components
    TLZHCompressor LZHCompressor;
    TShellLink ShellLink;

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
    void LZHCompressorGetBytes(TLZHCompressor& Sender, void* DTA, uint16_t NBytes, uint16_t& Bytes_Got);
    void LZHCompressorPutBytes(TLZHCompressor& Sender, const void* DTA, uint16_t NBytes, uint16_t& Bytes_Put);

    // Unpacks one package (sourced from SourceDir) into destDir; returns its installed-file list.
    std::vector<uint8_t> ExtractPackage(const std::string& pakName, const std::string& destDir, int32_t dirPos,
                                        bool hasExtraName);
    void CreateShortcuts();
    void WriteInstallRecord();

    // Repaints the whole window at once, without processing other messages.
    void RepaintNow();

    // ---- State (see the start-up, the runs and the extraction)
    // The running program's full path; tests point it at a scratch copy before Create().
    std::string ProgramPath;
    // How the uninstall ends when the program's own copy could not be deleted (tests record the call instead of
    // letting the helper delete the test program).
    std::function<void(const std::string& Message, const std::string& Caption)> SelfRemoval;
    std::string SourceDir;
    std::string InstallVersion;
    std::string OldVersion = "None";
    int32_t InstallSize = 0, Delphi10Size = 0, Delphi20Size = 0;
    int32_t SetupSize = 0;
    int32_t SpaceNeeded = 0, SpaceFree = 0;
    int32_t InstallDirPos = 0, Delphi10DirPos = 0, Delphi20DirPos = 0;
    bool InstallExtraName = false, Delphi10ExtraName = false, Delphi20ExtraName = false;
    std::string ProgramFilesDir;
    std::string InstallPath;
    std::vector<uint8_t> InstallFiles, Delphi10Files, Delphi20Files;
    int32_t InstallFilesSize = 0, Delphi10FilesSize = 0, Delphi20FilesSize = 0;
    bool Updating = false;
    bool QuilstrPakFound = false;

private:
    // ExtractProgress
    void SetBusyText(const std::string& text) override;
    void AdvanceProgress(uint32_t bytesWritten) override;

    void ChooseMode();
    void ExtractAndCopy();    // steps shared by the install and update runs
    void ShowFinishedPage();

    HWND hwnd_ = nullptr;
    SetupMode mode_ = SetupMode::Refusal;
    TPackageExtractor extractor_{*this};
};

}  // namespace qs
