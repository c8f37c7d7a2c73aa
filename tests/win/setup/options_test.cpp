#include "SetupFixture.h"

#include <algorithm>

#include "base/Exceptions.h"
#include "base/Text.h"

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

// A drive letter that points nowhere is listed but cannot be read. Picked by the user it gives no message box: the
// box shows it, the list stays, and the free space reads 0 kB on red.
TEST_F(InstallOptions, UserPicksUnreadableDrive_NoBoxZeroKbOnRed) {
    char letter = 0;
    for (char c = 'P'; c <= 'Y' && !letter; ++c)
        if (!(GetLogicalDrives() & (1u << (c - 'A')))) letter = c;
    ASSERT_NE(letter, 0);
    const char device[3] = {letter, ':', 0};
    ASSERT_TRUE(DefineDosDeviceA(0, device, "C:\\no-such-folder-for-a-drive"));
    struct Undefine {
        const char* device;
        ~Undefine() { DefineDosDeviceA(DDD_REMOVE_DEFINITION, device, nullptr); }
    } undefine{device};

    TSetupForm& f = StartFresh();
    f.EditInstallDir.SetText("Z:\\tmp");  // a readable drive first, so that the figure has something to lose
    ASSERT_GT(RunState(f).SpaceFree(), RunState(f).SpaceNeeded());
    const std::string listBefore = f.ListInstallDir.Directory();
    const std::vector<char> drives = f.ComboInstallDrive.Drives();
    const auto at = std::find(drives.begin(), drives.end(), char(letter - 'A' + 'a'));
    ASSERT_NE(at, drives.end());
    HWND combo = f.ComboInstallDrive.Handle();
    SendMessageA(combo, CB_SETCURSEL, WPARAM(at - drives.begin()), 0);
    SendMessageA(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), LPARAM(combo));

    EXPECT_TRUE(boxes_.Boxes().empty());
    EXPECT_EQ(f.ComboInstallDrive.Drive(), char(letter - 'A' + 'a'));
    EXPECT_EQ(f.ListInstallDir.Directory(), listBefore);
    EXPECT_EQ(RunState(f).SpaceFree(), -1);
    EXPECT_EQ(f.LabelSpaceFree.Caption(), "0 kB");
    EXPECT_EQ(f.LabelSpaceFree.Color(), RGB(255, 0, 0));
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
