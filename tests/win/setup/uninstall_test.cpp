#include "DelphiIni.h"
#include "SetupFixture.h"

#include "base/Exceptions.h"
#include "base/Text.h"

using namespace qs;
using namespace qs::test;

namespace {

constexpr char kTransferKey[] = "Software\\Borland\\Delphi\\2.0\\Transfer";

std::string ShellFolder(const char* name) {
    return IncludeTrailingBackslash(
        ReadSz(HKEY_CURRENT_USER, "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders", name)
            .value_or(""));
}

std::string IniValue(const char* key) { return DelphiIniValue("Transfer", key).value_or("<none>"); }

class Uninstall : public SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        target_ = std::make_unique<ScratchDir>("uninst");
        DeleteRegTree(HKEY_CURRENT_USER, kTransferKey);
    }
    void TearDown() override {
        DeleteRegTree(HKEY_CURRENT_USER, kTransferKey);
        DeleteShellEntries();
        for (const char* f : {"Desktop", "Start Menu", "Programs"}) DeleteFileA((ShellFolder(f) + "Quillostrand.lnk").c_str());
        target_.reset();
        SetupFixture::TearDown();
    }
    std::string Dir() const { return target_->Path(); }

    // A real install by the install run: both Delphi packages, all three shortcuts, Transfer entries in both IDEs
    // after an entry of another tool.
    void InstallEverything() {
        WritePrivateProfileStringA("Transfer", "Count", "1", "DELPHI.INI");
        WritePrivateProfileStringA("Transfer", "Title0", "&Other", "DELPHI.INI");
        WritePrivateProfileStringA("Transfer", "Path0", "C:\\other.exe", "DELPHI.INI");
        SetSz(HKEY_CURRENT_USER, kTransferKey, "Count", "0");
        WritePak("Quilstr.pak", "1.0",
                 {PackRawEntry("Quilstr.exe", "program"), PackRawEntry("Quilstr.hlp", "help"),
                  PackRawEntry("ReadMe.txt", "r")});
        WritePak("Delphi10.pak", "1.0", {PackRawEntry("HelpCtx.dcu", "d1")});
        WritePak("Delphi20.pak", "1.0", {PackRawEntry("HelpCtx.dcu", "d2")});
        TSetupForm& f = Start();
        f.EditInstallDir.SetText(Dir() + "App");
        f.EditDelphi10.SetText(Dir() + "D10");
        f.EditDelphi20.SetText(Dir() + "D20");
        f.CheckDelphi10.SetChecked(true);
        f.CheckDelphi20.SetChecked(true);
        f.CheckStartMenu.SetChecked(true);
        f.NowBtnClick();
        ASSERT_EQ(f.Pages.ActivePage(), FinishedSheet);
        WriteFileBytes(Dir() + "App\\QUILSTR.GID", "index made by the help viewer");
        form_.reset();
        Application().ClearTerminated();
    }

    // The uninstall-only window started from the media folder (not the installed copy), answering Yes.
    TSetupForm& StartUninstall() {
        for (const char* p : {"Quilstr.pak", "Delphi10.pak", "Delphi20.pak"}) DeleteFileA((Media() + p).c_str());
        TSetupForm& f = Start();
        f.SelfRemoval = [this](const std::string& m, const std::string& c) { selfRemoval_.push_back(m + "|" + c); };
        boxes_.SetAnswer(IDYES);
        return f;
    }

    std::unique_ptr<ScratchDir> target_;
    std::vector<std::string> selfRemoval_;
};

}  // namespace

TEST_F(Uninstall, AnsweredNo_ChangesNothing) {
    InstallEverything();
    TSetupForm& f = StartUninstall();
    boxes_.SetAnswer(IDNO);
    f.UninstallBtnClick();
    ASSERT_EQ(boxes_.Boxes().size(), 1u);
    EXPECT_EQ(boxes_.Boxes()[0].text, "Are you absolutely sure you wish to uninstall Quillostrand?");
    EXPECT_EQ(boxes_.Boxes()[0].caption, "(You must have accidentically pressed that button...)");
    EXPECT_EQ(boxes_.Boxes()[0].flags, UINT(MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON1));
    EXPECT_TRUE(PathExists(Dir() + "App\\Quilstr.exe"));
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    EXPECT_EQ(f.LabelBusy2.Caption(), "");
    EXPECT_FALSE(Application().Terminated());
}

TEST_F(Uninstall, AfterRealInstall_RemovesEverythingTheInstallMade) {
    InstallEverything();
    ASSERT_TRUE(PathExists(ShellFolder("Desktop") + "Quillostrand.lnk"));
    TSetupForm& f = StartUninstall();
    ASSERT_EQ(f.Mode(), SetupMode::UninstallOnly);
    EXPECT_EQ(f.EditInstallDir.Text(), Dir() + "App\\");
    f.UninstallBtnClick();

    for (const char* gone : {"App\\Quilstr.exe", "App\\Quilstr.hlp", "App\\QUILSTR.GID", "App\\ReadMe.txt",
                             "App\\Setup.exe", "D10\\HelpCtx.dcu", "D20\\HelpCtx.dcu", "App", "D10", "D20"})
        EXPECT_FALSE(PathExists(Dir() + gone)) << gone;
    EXPECT_TRUE(PathExists(Dir()));  // folders above the install folder stay
    for (const char* key : {"Software\\QV\\Quillostrand", "Software\\Microsoft\\Windows\\CurrentVersion\\App Paths\\Quilstr.exe",
                            "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Quillostrand"})
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, key)) << key;
    EXPECT_TRUE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, ".qst"));
    EXPECT_FALSE(KeyExists(HKEY_CLASSES_ROOT, "QuillostrandProject"));
    // Both tools menus closed up: the other tool's entry stays.
    EXPECT_EQ(IniValue("Count"), "1");
    EXPECT_EQ(IniValue("Path0"), "C:\\other.exe");
    EXPECT_NE(IniValue("Path1"), "<none>");  // the old last entry's keys stay beyond Count in the file
    ASSERT_TRUE(KeyExists(HKEY_CURRENT_USER, kTransferKey));
    EXPECT_EQ(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Count").value_or("<missing>"), "0");
    EXPECT_FALSE(ReadRaw(HKEY_CURRENT_USER, kTransferKey, "Path0"));
    for (const char* folder : {"Desktop", "Start Menu", "Programs"})
        EXPECT_FALSE(PathExists(ShellFolder(folder) + "Quillostrand.lnk")) << folder;

    EXPECT_EQ(f.LabelBusy2.Caption(), "Uninstall complete");
    ASSERT_EQ(boxes_.Boxes().size(), 2u);
    EXPECT_EQ(boxes_.Boxes()[1].text, "Quillostrand has been successfully uninstalled.");
    EXPECT_EQ(boxes_.Boxes()[1].caption, "Uninstall complete");
    EXPECT_EQ(boxes_.Boxes()[1].flags, UINT(MB_OK));
    EXPECT_TRUE(selfRemoval_.empty());
    EXPECT_TRUE(Application().Terminated());
}

TEST_F(Uninstall, RecordMissing_CannotUninstallTwiceAndNothingChanged) {
    InstallEverything();
    TSetupForm& f = StartUninstall();
    DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
    for (int attempt = 0; attempt < 2; ++attempt) {
        try {
            f.UninstallBtnClick();
            FAIL();
        } catch (const Exception& e) {
            EXPECT_EQ(e.Message(), "Cannot uninstall!\rUninstall data has been removed from the registry.");
        }
        EXPECT_EQ(f.LabelBusy2.Caption(), "Reading uninstall information");
        EXPECT_TRUE(PathExists(Dir() + "App\\Quilstr.exe"));
        EXPECT_TRUE(KeyExists(HKEY_CLASSES_ROOT, ".qst"));
    }
    // Pressed by the user, the error report shows it, with its full stop appended like any other.
    SendMessageA(ViewNamed<TBitBtn>(f, "UninstallBtn").Handle(), BM_CLICK, 0, 0);
    ASSERT_FALSE(boxes_.Boxes().empty());
    const auto& box = boxes_.Boxes().back();
    EXPECT_EQ(box.text, "Cannot uninstall!\rUninstall data has been removed from the registry..");
    EXPECT_EQ(box.caption, "Quillostrand Setup");
    EXPECT_EQ(box.flags & MB_ICONMASK, UINT(MB_ICONSTOP));
    EXPECT_TRUE(PathExists(Dir() + "App\\Quilstr.exe"));
}

TEST_F(Uninstall, OwnCopyMissing_HandsTheEndToTheHelper) {
    InstallEverything();
    DeleteFileA((Dir() + "App\\Setup.exe").c_str());
    TSetupForm& f = StartUninstall();
    f.UninstallBtnClick();
    ASSERT_EQ(selfRemoval_.size(), 1u);
    EXPECT_EQ(selfRemoval_[0], "Quillostrand has been successfully uninstalled.|Uninstall complete");
    EXPECT_EQ(boxes_.Boxes().size(), 1u);  // only the confirmation: the helper shows the closing message
}

TEST_F(Uninstall, DelphiFoldersBelowInstallFolder_InstallFolderStays) {
    WritePak("Quilstr.pak", "1.0", {PackRawEntry("Quilstr.exe", "program")});
    WritePak("Delphi10.pak", "1.0", {PackRawEntry("HelpCtx.dcu", "d1")});
    TSetupForm& f = Start();
    f.EditInstallDir.SetText(Dir() + "App");
    f.EditDelphi10.SetText(Dir() + "App\\D10");
    f.CheckDelphi10.SetChecked(true);
    f.CheckDesktop.SetChecked(false);
    f.CheckPrograms.SetChecked(false);
    f.NowBtnClick();
    form_.reset();
    Application().ClearTerminated();
    TSetupForm& u = StartUninstall();
    u.UninstallBtnClick();
    EXPECT_FALSE(PathExists(Dir() + "App\\D10"));
    EXPECT_TRUE(PathExists(Dir() + "App"));
}
