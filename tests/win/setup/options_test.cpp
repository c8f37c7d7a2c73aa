#include "SetupFixture.h"

#include "framework/Exceptions.h"

using namespace qs;
using namespace qs::test;

namespace {

class InstallOptions : public SetupFixture {
protected:
    TSetupForm& StartFresh() {
        WriteSizedPak("Quilstr.pak", "1.0", 20000);
        WriteSizedPak("Delphi10.pak", "x", 4096);
        WriteSizedPak("Delphi20.pak", "x", 8192);
        return Start();
    }
};

}  // namespace

TEST_F(InstallOptions, TypedFolderThatDoesNotExist_ListShowsDeepestExistingParent) {
    TSetupForm& f = StartFresh();
    ScratchDir base("opts");
    const std::string parent = base.Path().substr(0, base.Path().size() - 1);
    const std::string typed = parent + "\\Quillostrand\\Deeper";
    f.EditInstallDir.SetText(typed);
    EXPECT_EQ(AsciiLower(f.ListInstallDir.Directory()), AsciiLower(parent));
    EXPECT_EQ(f.EditInstallDir.Text(), typed);
    EXPECT_FALSE(RunState(f).Updating());
}

TEST_F(InstallOptions, TypedTextWithoutAnyEnterablePart_ListStays) {
    TSetupForm& f = StartFresh();
    const std::string before = f.ListInstallDir.Directory();
    f.EditInstallDir.SetText("nothing-here");
    EXPECT_EQ(f.ListInstallDir.Directory(), before);
    EXPECT_EQ(f.EditInstallDir.Text(), "nothing-here");
    f.EditInstallDir.SetText("");
    EXPECT_EQ(f.ListInstallDir.Directory(), before);
}

TEST_F(InstallOptions, FolderPickedInList_EditTakesExactlyThatFolder) {
    TSetupForm& f = StartFresh();
    ScratchDir base("pick");
    const std::string folder = base.Path().substr(0, base.Path().size() - 1);
    f.ListInstallDir.SetDirectory(folder);
    EXPECT_EQ(AsciiLower(f.EditInstallDir.Text()), AsciiLower(folder));
    f.ListInstallDir.SetDirectory("C:\\");
    EXPECT_EQ(f.EditInstallDir.Text(), "C:\\");
}

TEST_F(InstallOptions, FolderOnAnotherDrive_MovesDriveBoxAndFreeSpace) {
    TSetupForm& f = StartFresh();
    RunState(f).SpaceFree() = 12345;
    f.EditInstallDir.SetText("Z:\\tmp\\Quillostrand");
    EXPECT_EQ(f.ComboInstallDrive.Drive(), 'z');
    EXPECT_NE(RunState(f).SpaceFree(), 12345);  // computed anew for the new drive
    EXPECT_EQ(f.LabelSpaceFree.Caption(), FormatKB(RunState(f).SpaceFree()));
}

TEST_F(InstallOptions, DelphiOptions_EnableFolderShowHintAndChangeSpace) {
    TSetupForm& f = StartFresh();
    const int32_t base = 20000 + 3000;
    EXPECT_EQ(RunState(f).SpaceNeeded(), base);
    f.CheckDelphi10.SetChecked(true);
    EXPECT_TRUE(f.EditDelphi10.Enabled());
    EXPECT_TRUE(f.LabelDelphi10.Visible());
    EXPECT_EQ(RunState(f).SpaceNeeded(), base + 4096);
    f.CheckDelphi20.SetChecked(true);
    EXPECT_EQ(RunState(f).SpaceNeeded(), base + 4096 + 8192);
    EXPECT_EQ(f.LabelSpaceNeeded.Caption(), FormatKB(base + 4096 + 8192));
    f.CheckDelphi10.SetChecked(false);
    EXPECT_FALSE(f.EditDelphi10.Enabled());
    EXPECT_FALSE(f.LabelDelphi10.Visible());
    EXPECT_EQ(RunState(f).SpaceNeeded(), base + 8192);
}

TEST_F(InstallOptions, FreeSpaceEqualToNeeded_IsRed_AboveIsButtonFace) {
    TSetupForm& f = StartFresh();
    RunState(f).SpaceFree() = RunState(f).SpaceNeeded() + 4096;
    f.CheckDelphi10.SetChecked(true);  // needed grows by 4096: now equal
    EXPECT_EQ(f.LabelSpaceFree.Color(), RGB(255, 0, 0));
    f.CheckDelphi10.SetChecked(false);
    EXPECT_EQ(f.LabelSpaceFree.Color(), GetSysColor(COLOR_BTNFACE));
}

TEST_F(InstallOptions, QuitEndsTheProgramWithoutWriting) {
    TSetupForm& f = StartFresh();
    f.QuitBtnClick();
    EXPECT_TRUE(Application().Terminated());
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand"));
}
