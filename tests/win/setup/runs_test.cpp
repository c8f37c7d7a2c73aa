#include "SetupFixture.h"

#include <optional>

#include "WinFolderFiles.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"
#include "base/Text.h"
#include "system/Shortcuts.h"

using namespace qs;
using namespace qs::test;

namespace {

std::string Content(size_t n, unsigned seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i) s[i] = char("Quillostrand help "[(i * seed + i / 7) % 18]);
    return s;
}

class Runs : public SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        target_ = std::make_unique<ScratchDir>("target");
    }
    void TearDown() override {
        DeleteShellEntries();
        target_.reset();
        SetupFixture::TearDown();
    }
    // Three packages with real content; the fresh-install window on them, install folder in the scratch target.
    TSetupForm& StartWithPackages(bool chooseFolders = true) {
        WritePak("Quilstr.pak", "1.0",
                 {PackRawEntry("Quilstr.exe", Content(70000, 3), 0x5A8F6000),
                  PackRawEntry("Quilstr.hlp", Content(5000, 5)), PackRawEntry("ReadMe.txt", "Quillostrand\r\n")});
        WritePak("Delphi10.pak", "1.0", {PackRawEntry("HelpCtx.dcu", Content(900, 7))});
        WritePak("Delphi20.pak", "1.0", {PackRawEntry("HelpCtx.dcu", Content(1200, 11))});
        TSetupForm& f = Start();
        if (!chooseFolders) return f;
        f.EditInstallDir.SetText(Dir() + "App");
        f.EditDelphi10.SetText(Dir() + "D10");
        f.EditDelphi20.SetText(Dir() + "D20");
        f.CheckDesktop.SetChecked(false);
        f.CheckPrograms.SetChecked(false);
        return f;
    }
    std::string Dir() const { return target_->Path(); }
    std::unique_ptr<ScratchDir> target_;
};

}  // namespace

TEST_F(Runs, Install_WritesFilesTimesCopyAndEndsOnFinishedPage) {
    TSetupForm& f = StartWithPackages();
    f.CheckDelphi10.SetChecked(true);
    f.CheckDelphi20.SetChecked(true);
    f.NowBtnClick();
    EXPECT_EQ(RunState(f).InstallPath(), Dir() + "App\\");
    EXPECT_TRUE(ReadFileBytes(Dir() + "App\\Quilstr.exe") == Content(70000, 3));
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\ReadMe.txt"), "Quillostrand\r\n");
    EXPECT_EQ(ReadFileBytes(Dir() + "D10\\HelpCtx.dcu"), Content(900, 7));
    EXPECT_EQ(ReadFileBytes(Dir() + "D20\\HelpCtx.dcu"), Content(1200, 11));
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\Setup.exe"), std::string(3000, 'S'));

    // The stored DOS time, taken as local time.
    EXPECT_EQ(LocalDosTimeOf(Dir() + "App\\Quilstr.exe"), 0x5A8F6000u);

    EXPECT_EQ(f.Gauge.MaxValue(), RunState(f).SpaceNeeded());
    EXPECT_EQ(f.Gauge.Progress(), f.Gauge.MaxValue());
    EXPECT_EQ(VisibleTabs(), std::vector<int>{FinishedSheet});
    EXPECT_EQ(f.Pages.ActivePage(), FinishedSheet);
    EXPECT_EQ(RunState(f).InstallFiles().size(), 3u * 13);
    EXPECT_EQ(RunState(f).InstallFiles()[0], 11);
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(&RunState(f).InstallFiles()[1]), 11), "QUILSTR.EXE");
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_TRUE(boxes_.Boxes().empty());
}

// A shortcut folder that cannot take the shortcut: one message, and the install still ends with its record.
TEST_F(Runs, Install_ShortcutsFail_OneMessageAndTheRunCompletes) {
    // The user's Desktop as the system keeps it and as programs read it, pointed at no folder for this test.
    struct MissingDesktop {
        const char* key;
        std::optional<RawValue> saved = ReadRaw(HKEY_CURRENT_USER, key, "Desktop");
        ~MissingDesktop() {
            if (saved) SetRaw(HKEY_CURRENT_USER, key, "Desktop", saved->type, saved->bytes);
            else DeleteValue(HKEY_CURRENT_USER, key, "Desktop");
        }
    } kept[] = {{"Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders"}, {kShellFoldersKey}};
    for (const auto& k : kept) SetSz(HKEY_CURRENT_USER, k.key, "Desktop", Dir() + "NoSuchDesktop");
    TSetupForm& f = StartWithPackages();
    f.CheckDesktop.SetChecked(true);
    f.NowBtnClick();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Error creating shortcuts");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "Quillostrand Setup");
    EXPECT_EQ(boxes_.Boxes()[0].flags, UINT(MB_OK));
    EXPECT_EQ(f.Pages.ActivePage(), FinishedSheet);
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
}

TEST_F(Runs, Install_OnlyMainPackage_GaugeCountsMainAndSetupAndEndsFull) {
    TSetupForm& f = StartWithPackages();
    f.NowBtnClick();
    EXPECT_EQ(RunState(f).SpaceNeeded(), 70000 + 5000 + 14 + 3000);
    EXPECT_EQ(f.Gauge.MaxValue(), RunState(f).SpaceNeeded());
    EXPECT_EQ(f.Gauge.Progress(), RunState(f).SpaceNeeded());
    EXPECT_EQ(f.Gauge.PercentDone(), 100);
    EXPECT_FALSE(PathExists(Dir() + "D10"));
}

TEST_F(Runs, DelphiFolderClash_LetterCaseIgnoredWhateverTheTicks) {
    TSetupForm& f = StartWithPackages();
    f.EditDelphi10.SetText(Dir() + "lib");
    f.EditDelphi20.SetText(AsciiUpper(Dir() + "lib"));
    try {
        f.NowBtnClick();
        FAIL() << "clash not refused";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(),
                  "Sorry, but you cannot install the Delphi 1.0 and 2.0 versions of the property editor in the same "
                  "directory");
    }
    EXPECT_EQ(f.Pages.ActivePage(), DelphiSheet);
    EXPECT_FALSE(f.Pages.TabVisible(BusySheet));
    EXPECT_FALSE(PathExists(Dir() + "App"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));

    // A final backslash makes the texts differ: no clash.
    f.EditDelphi20.SetText(Dir() + "lib\\");
    EXPECT_NO_THROW(f.NowBtnClick());
}

TEST_F(Runs, InstallFolder_EmptyDefaultsAndBackslashRule) {
    TSetupForm& f = StartWithPackages();
    f.EditInstallDir.SetText(Dir() + "WithSlash\\");
    f.NowBtnClick();
    EXPECT_EQ(RunState(f).InstallPath(), Dir() + "WithSlash\\");
    EXPECT_TRUE(PathExists(Dir() + "WithSlash\\Quilstr.exe"));

    TSetupForm& g = StartWithPackages();
    g.EditInstallDir.SetText("");
    g.NowBtnClick();
    EXPECT_EQ(RunState(g).InstallPath(), "C:\\Program Files\\Quillostrand\\");
    EXPECT_TRUE(PathExists("C:\\Program Files\\Quillostrand\\Quilstr.exe"));
    RemoveTree("C:\\Program Files\\Quillostrand");
}

// A renamed setup program is copied as Setup.exe all the same: the uninstall entry names that file.
TEST_F(Runs, SetupCopy_AlwaysNamedSetupExeAndFailsSilentlyInPlace) {
    WriteFileBytes(Media() + "QstSetup.exe", "own copy");
    TSetupForm& f = StartWithPackages();
    f.ProgramPath = Media() + "QstSetup.exe";
    f.NowBtnClick();
    EXPECT_EQ(ReadFileBytes(Dir() + "App\\Setup.exe"), "own copy");
    EXPECT_FALSE(PathExists(Dir() + "App\\QstSetup.exe"));

    // Started from the install folder itself, named in another letter case: source and destination are one file,
    // which stays untouched, and no temporary file is made.
    TSetupForm& g = StartWithPackages();
    g.EditInstallDir.SetText(AsciiLower(Media()));
    EXPECT_NO_THROW(g.NowBtnClick());
    EXPECT_EQ(ReadFileBytes(Media() + "Setup.exe"), std::string(3000, 'S'));
    EXPECT_EQ(VisibleTabs(), std::vector<int>{FinishedSheet});
    for (const std::string& name : FilesIn(Media())) EXPECT_EQ(AsciiLower(name).find(".tmp"), std::string::npos);
}

// The drive fills up part-way through the copy: the run still ends on the Finished page without a message, and
// neither a cut copy nor its temporary file is left; an earlier whole copy stays as it was.
TEST_F(Runs, SetupCopy_DriveFillsUpDuringTheCopy_LeavesNoPartialFile) {
    const std::vector<std::string> installed = {"Quilstr.exe", "Quilstr.hlp", "ReadMe.txt"};
    for (bool earlierCopy : {false, true}) {
        SCOPED_TRACE(earlierCopy);
        const std::string folder = Dir() + (earlierCopy ? "Again\\" : "New\\");
        TSetupForm& f = StartWithPackages();
        f.EditInstallDir.SetText(folder);
        if (earlierCopy) {
            CreateDirectoryA(folder.c_str(), nullptr);
            WriteFileBytes(folder + "Setup.exe", "earlier copy");
        }
        SetWriteBudgetForTesting(RunState(f).InstallSize() + 1000);  // the packages fit, 1000 of the 3000 bytes of the copy
        EXPECT_NO_THROW(f.NowBtnClick());
        SetWriteBudgetForTesting(-1);
        EXPECT_EQ(VisibleTabs(), std::vector<int>{FinishedSheet});
        if (earlierCopy) {
            std::vector<std::string> names = installed;
            names.push_back("Setup.exe");
            EXPECT_EQ(FilesIn(folder), names);
            EXPECT_EQ(ReadFileBytes(folder + "Setup.exe"), "earlier copy");
        } else {
            EXPECT_EQ(FilesIn(folder), installed);
        }
    }
}

TEST_F(Runs, CrcErrorInThirdPackage_FirstTwoStayNoRecordBusyPageStays) {
    TSetupForm& f = StartWithPackages();
    RawPakEntry bad = PackRawEntry("HelpCtx.dcu", Content(1200, 11));
    bad.FileCRC ^= 1;
    WritePak("Delphi20.pak", "1.0", {bad});
    f.CheckDelphi10.SetChecked(true);
    f.CheckDelphi20.SetChecked(true);
    try {
        f.NowBtnClick();
        FAIL();
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "CRC error in destination file.\rTry installing again");
    }
    EXPECT_TRUE(PathExists(Dir() + "App\\Quilstr.exe"));
    EXPECT_TRUE(PathExists(Dir() + "D10\\HelpCtx.dcu"));
    EXPECT_FALSE(PathExists(Dir() + "App\\Setup.exe"));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_EQ(f.Pages.ActivePage(), BusySheet);
    EXPECT_TRUE(f.Pages.TabVisible(InstallSheet));
    EXPECT_TRUE(f.Pages.TabVisible(WelcomeSheet));
}

TEST_F(Runs, Update_BusyPageFirstNoClashCheckNoShortcutsAndNewRecord) {
    ScratchDir installed("upd");
    WriteFileBytes(installed.Path() + "Quilstr.exe", "old");
    SeedRecord("0.9", installed.Path());
    TSetupForm& f = StartWithPackages(false);
    ASSERT_EQ(f.Mode(), SetupMode::Update);
    EXPECT_EQ(f.EditInstallDir.Text(), installed.Path());
    f.EditDelphi10.SetText("same");
    f.EditDelphi20.SetText("SAME");
    f.CheckDesktop.SetChecked(true);
    f.UpdateBtnClick();
    EXPECT_EQ(RunState(f).InstallPath(), installed.Path());
    EXPECT_TRUE(ReadFileBytes(installed.Path() + "Quilstr.exe") == Content(70000, 3));
    EXPECT_EQ(f.LabelBusy.Caption(), "Copying Setup.exe");
    EXPECT_EQ(VisibleTabs(), std::vector<int>{FinishedSheet});
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Runs, Update_FailingExtractionLeavesBusyPageActive) {
    ScratchDir installed("upd2");
    WriteFileBytes(installed.Path() + "Quilstr.exe", "old");
    SeedRecord("0.9", installed.Path());
    TSetupForm& f = StartWithPackages(false);
    DeleteFileA((Media() + "Quilstr.pak").c_str());
    try {
        f.UpdateBtnClick();
        FAIL();
    } catch (const EInOutError& e) {
        EXPECT_EQ(e.Message(), "File not found");
    }
    EXPECT_EQ(f.Pages.ActivePage(), BusySheet);
    EXPECT_EQ(RunState(f).InstallPath(), installed.Path());
}

TEST_F(Runs, RunWithApplicationMissing_EndsWithoutMessage) {
    TSetupForm& f = StartWithPackages();
    RunState(f).InstallPath() = Dir() + "nowhere\\";
    f.RunBtnClick();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_TRUE(boxes_.Boxes().empty());
}

TEST_F(Runs, Install_UnusableFolderIsRefusedByNameBeforeAnythingIsWritten) {
    const std::string polish = "Narz\xC4\x99" "dzia \xC5\x81\xC3\xB3" "d\xC5\xBA";  // outside code page 1252
    struct Case {
        std::string installDir, delphi10Dir, why;
    } cases[] = {
        {Dir() + polish, Dir() + "D10", "code page (1252)"},
        {Dir() + "App", Dir() + polish, "code page (1252)"},
        {Dir() + "A<pp", Dir() + "D10", "does not allow"},
        {Dir() + "App.", Dir() + "D10", "does not allow"},
        {"Q:\\Quillostrand", Dir() + "D10", "Drive Q: does not exist"},
    };
    for (const Case& c : cases) {
        TSetupForm& f = StartWithPackages();
        f.EditInstallDir.SetText(c.installDir);
        f.CheckDelphi10.SetChecked(true);
        f.EditDelphi10.SetText(c.delphi10Dir);
        f.Pages.SetActivePage(InstallSheet);
        const std::string refused = c.installDir == Dir() + "App" ? c.delphi10Dir : c.installDir;
        try {
            f.NowBtnClick();
            ADD_FAILURE() << refused << " was taken";
        } catch (const Exception& e) {
            EXPECT_NE(e.Message().find("\"" + refused + "\""), std::string::npos) << e.Message();
            EXPECT_NE(e.Message().find(c.why), std::string::npos) << e.Message();
        }
        EXPECT_EQ(f.Pages.ActivePage(), InstallSheet) << refused;
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey)) << refused;
        EXPECT_EQ(GetFileAttributesA((Dir() + "App").c_str()), INVALID_FILE_ATTRIBUTES) << refused;
        EXPECT_EQ(GetFileAttributesA((Dir() + "D10").c_str()), INVALID_FILE_ATTRIBUTES) << refused;
        form_.reset();
    }
}
