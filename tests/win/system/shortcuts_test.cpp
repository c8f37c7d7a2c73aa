// TShellLink against Wine's shell link object, and the shortcuts the install makes in the folders that
// "Shell Folders" names (pointed at scratch folders for the test, then restored).
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <optional>

#include <shlobj.h>
#include <shobjidl.h>

#include "SystemTestSupport.h"
#include "base/Exceptions.h"
#include "system/SheLink.h"
#include "system/Shortcuts.h"

namespace qs::test {
namespace {

constexpr char kShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
// The shell rewrites "Shell Folders" from these whenever it looks a folder up (saving a shortcut does), so the
// test points both at its scratch folders.
constexpr char kUserShellFolders[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";
constexpr BYTE kCtrlAlt = 0x02 | 0x04;  // HOTKEYF_CONTROL | HOTKEYF_ALT of commctrl.h
constexpr const char* kFolderValues[3] = {"Desktop", "Start Menu", "Programs"};

std::string MessageOf(const std::function<void()>& f) {
    try {
        f();
    } catch (const Exception& e) {
        return e.what();
    }
    return "<no error>";
}

// The ShowCommand field of a shortcut file (offset 0x3C of its header).
uint32_t StoredShowCommand(const std::string& path) {
    const std::string bytes = ReadFileBytes(path);
    if (bytes.size() < 0x40) return 0xFFFFFFFF;
    uint32_t v;
    memcpy(&v, bytes.data() + 0x3C, 4);
    return v;
}

// The show command as the shell's own link object reports it after loading the file (Wine reports 1, the normal
// window, for every stored value; Windows gives the stored one back).
int ShellShowCmdOf(const std::string& path) {
    IShellLinkA* link = nullptr;
    IPersistFile* file = nullptr;
    int show = -1;
    if (CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                         reinterpret_cast<void**>(&link)) != S_OK)
        return show;
    if (link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)) == S_OK) {
        WCHAR wide[MAX_PATH];
        MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
        if (file->Load(wide, 0) == S_OK) link->GetShowCmd(&show);
        file->Release();
    }
    link->Release();
    return show;
}

// An install folder with a program file (so the links resolve), and three shell folders under a scratch folder;
// the user's real Shell Folders values are put back afterwards.
class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override {
        for (int i = 0; i < 3; ++i) {
            saved_[i] = ReadRaw(HKEY_CURRENT_USER, kShellFolders, kFolderValues[i]);
            savedUser_[i] = ReadRaw(HKEY_CURRENT_USER, kUserShellFolders, kFolderValues[i]);
        }
        install_ = scratch_.Path() + "Quillostrand\\";
        CreateDirectoryA(install_.c_str(), nullptr);
        WriteFileBytes(install_ + "Quilstr.exe", "MZ");
        for (int i = 0; i < 3; ++i) {
            folders_[i] = scratch_.Path() + "Shell" + std::to_string(i);
            CreateDirectoryA(folders_[i].c_str(), nullptr);
            SetSz(HKEY_CURRENT_USER, kShellFolders, kFolderValues[i], folders_[i]);
            SetSz(HKEY_CURRENT_USER, kUserShellFolders, kFolderValues[i], folders_[i]);
        }
    }
    void TearDown() override {
        for (int i = 0; i < 3; ++i) {
            Restore(kUserShellFolders, kFolderValues[i], savedUser_[i]);
            Restore(kShellFolders, kFolderValues[i], saved_[i]);
        }
    }
    static void Restore(const char* key, const char* name, const std::optional<RawValue>& value) {
        if (value)
            SetRaw(HKEY_CURRENT_USER, key, name, value->type, value->bytes);
        else
            DeleteValue(HKEY_CURRENT_USER, key, name);
    }
    std::string LinkIn(int i) const { return folders_[i] + "\\Quillostrand.lnk"; }

    // The window description's settings of the setup window's component.
    static TShellLink WindowLink() {
        TShellLink link;
        link.SetDescription("Quillostrand");
        link.SetHotKey(0);
        link.SetShowCmd(0);
        link.SetIconNumber(0);
        link.SetUpdate(true);
        return link;
    }

    // Creates the shortcuts with the window's link, as the install does, and expects no message box.
    void CreateQuietly(bool desktop, bool startMenu, bool programs) {
        TShellLink link = WindowLink();
        EXPECT_TRUE(CreateShortcuts(link, install_, desktop, startMenu, programs));
    }
    TShellLink ReadBack(int i) const {
        TShellLink back;
        back.SetPath(LinkIn(i));
        return back;
    }

    ScratchDir scratch_{"links"};
    std::string install_;
    std::string folders_[3];
    std::optional<RawValue> saved_[3], savedUser_[3];
};

TEST_F(ShortcutsTest, WriteLinkThenReadLink_GivesEveryPropertyBack) {
    TShellLink out;
    out.SetTarget(install_ + "Quilstr.exe");
    out.SetWorkingDir(install_);
    out.SetDescription("Quillostrand");
    out.SetArguments("/C project.qst");
    out.SetIconLocation(install_ + "Quilstr.exe");
    out.SetIconNumber(2);
    out.SetHotKey(MAKEWORD('Q', kCtrlAlt));
    out.SetShowCmd(SW_SHOWMINNOACTIVE);
    const std::string file = folders_[0] + "\\Round.lnk";
    out.WriteLink(file);

    TShellLink in;
    in.SetPath(file);
    EXPECT_EQ(in.Path(), file);
    EXPECT_EQ(in.Target(), install_ + "Quilstr.exe");
    EXPECT_EQ(in.WorkingDir(), install_);
    EXPECT_EQ(in.Description(), "Quillostrand");
    EXPECT_EQ(in.Arguments(), "/C project.qst");
    EXPECT_EQ(in.IconLocation(), install_ + "Quilstr.exe");
    EXPECT_EQ(in.IconNumber(), 2);
    EXPECT_EQ(in.HotKey(), MAKEWORD('Q', kCtrlAlt));
    EXPECT_EQ(StoredShowCommand(file), uint32_t(SW_SHOWMINNOACTIVE));
    EXPECT_EQ(in.ShowCmd(), ShellShowCmdOf(file));
}

TEST_F(ShortcutsTest, CreateShortcuts_AllTicked_WritesTheInstallShortcutIntoEachFolder) {
    MessageBoxRecorder boxes;
    TShellLink link = WindowLink();
    CreateShortcuts(link, install_, true, true, true);
    EXPECT_TRUE(boxes.Boxes().empty());
    for (int i = 0; i < 3; ++i) {
        TShellLink back;
        back.SetPath(LinkIn(i));
        EXPECT_EQ(back.Path(), LinkIn(i));
        EXPECT_EQ(back.Target(), install_ + "Quilstr.exe");
        EXPECT_EQ(back.IconLocation(), install_ + "Quilstr.exe");
        EXPECT_EQ(back.IconNumber(), 0);
        EXPECT_EQ(back.WorkingDir(), install_);  // with its trailing backslash
        EXPECT_EQ(back.Description(), "Quillostrand");
        EXPECT_EQ(back.Arguments(), "");
        EXPECT_EQ(back.HotKey(), 0);
        EXPECT_EQ(StoredShowCommand(LinkIn(i)), 0u);
        EXPECT_EQ(back.ShowCmd(), ShellShowCmdOf(LinkIn(i)));
    }
    EXPECT_EQ(link.Target(), install_ + "Quilstr.exe");
    EXPECT_EQ(link.WorkingDir(), install_);
}

TEST_F(ShortcutsTest, CreateShortcuts_OnlyTickedFolders_GetAShortcut) {
    MessageBoxRecorder boxes;
    TShellLink link = WindowLink();
    CreateShortcuts(link, install_, true, false, true);
    EXPECT_TRUE(PathExists(LinkIn(0)));
    EXPECT_FALSE(PathExists(LinkIn(1)));
    EXPECT_TRUE(PathExists(LinkIn(2)));
    CreateShortcuts(link, install_, false, false, false);  // nothing ticked: nothing written, no message
    EXPECT_FALSE(PathExists(LinkIn(1)));
    EXPECT_TRUE(boxes.Boxes().empty());
}

TEST_F(ShortcutsTest, CreateShortcuts_NothingTicked_WritesNothing) {
    CreateQuietly(false, false, false);
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(PathExists(LinkIn(i)));
}

TEST_F(ShortcutsTest, CreateShortcuts_MissingOrEmptyValues_SkippedWithoutMessage) {
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    SetSz(HKEY_CURRENT_USER, kShellFolders, "Start Menu", "");
    CreateQuietly(true, true, true);
    EXPECT_FALSE(PathExists(LinkIn(0)));
    EXPECT_FALSE(PathExists(LinkIn(1)));
    EXPECT_FALSE(PathExists("\\Quillostrand.lnk"));  // an empty folder never means the drive's root
    EXPECT_TRUE(PathExists(LinkIn(2)));
}

TEST_F(ShortcutsTest, CreateShortcuts_ValueWithFinalBackslash_GetsNoSecondOne) {
    SetSz(HKEY_CURRENT_USER, kShellFolders, "Programs", folders_[2] + "\\");
    SetSz(HKEY_CURRENT_USER, kShellFolders, "Desktop", folders_[0] + "\\");
    CreateQuietly(true, false, true);
    EXPECT_EQ(ReadBack(2).Path(), LinkIn(2));
    EXPECT_TRUE(PathExists(LinkIn(0)));
}

TEST_F(ShortcutsTest, CreateShortcuts_ExistingShortcut_IsOverwritten) {
    WriteFileBytes(LinkIn(0), "not a shortcut at all");
    CreateQuietly(true, false, false);
    EXPECT_EQ(ReadBack(0).Target(), install_ + "Quilstr.exe");
}

TEST_F(ShortcutsTest, CreateShortcuts_MissingDesktopFolder_FailsAndWritesNoFurtherShortcuts) {
    SetSz(HKEY_CURRENT_USER, kShellFolders, "Desktop", scratch_.Path() + "NoSuchDesktop");
    SetSz(HKEY_CURRENT_USER, kUserShellFolders, "Desktop", scratch_.Path() + "NoSuchDesktop");
    TShellLink link = WindowLink();
    EXPECT_FALSE(CreateShortcuts(link, install_, true, true, true));  // returns normally
    EXPECT_FALSE(PathExists(LinkIn(1)));
    EXPECT_FALSE(PathExists(LinkIn(2)));
}

TEST_F(ShortcutsTest, CreateShortcuts_LaterFolderFails_EarlierShortcutsStay) {
    SetSz(HKEY_CURRENT_USER, kShellFolders, "Start Menu", scratch_.Path() + "Gone");
    SetSz(HKEY_CURRENT_USER, kUserShellFolders, "Start Menu", scratch_.Path() + "Gone");
    TShellLink link = WindowLink();
    EXPECT_FALSE(CreateShortcuts(link, install_, true, true, true));
    EXPECT_TRUE(PathExists(LinkIn(0)));
    EXPECT_FALSE(PathExists(LinkIn(2)));
}

TEST_F(ShortcutsTest, DeleteShortcuts_RemovesFromAllThreeFoldersWhateverWasChosen) {
    TShellLink link = WindowLink();
    CreateShortcuts(link, install_, true, false, true);
    WriteFileBytes(folders_[0] + "\\Other.lnk", "keep");
    DeleteShortcuts();
    for (int i = 0; i < 3; ++i) EXPECT_FALSE(PathExists(LinkIn(i))) << LinkIn(i);
    EXPECT_TRUE(PathExists(folders_[0] + "\\Other.lnk"));
    DeleteValue(HKEY_CURRENT_USER, kShellFolders, "Desktop");
    DeleteShortcuts();  // nothing there, a value missing: passes over quietly
}

TEST_F(ShortcutsTest, WriteLink_Failures_RaiseTheirMessages) {
    TShellLink link = WindowLink();
    link.SetTarget(install_ + "Quilstr.exe");
    EXPECT_EQ(MessageOf([&] { link.WriteLink(scratch_.Path() + "NoSuchFolder\\Quillostrand.lnk"); }), "Error in save");
    EXPECT_EQ(MessageOf([&] { link.WriteLink(folders_[0] + "\\" + std::string(250, 'n') + ".lnk"); }),
              "Error in save");
    link.SetDescription(std::string(255, 'd'));
    EXPECT_EQ(MessageOf([&] { link.WriteLink(LinkIn(0)); }), "Error in save");
    EXPECT_FALSE(PathExists(LinkIn(0)));
    link.SetDescription(std::string(254, 'd'));
    EXPECT_EQ(MessageOf([&] { link.WriteLink(LinkIn(0)); }), "<no error>");
}

TEST_F(ShortcutsTest, SetPath_EmptyMissingOrNotALink_LeavesPropertiesAndPath) {
    TShellLink link = WindowLink();
    link.SetTarget(install_ + "Quilstr.exe");
    link.WriteLink(LinkIn(0));
    link.SetPath(LinkIn(0));
    link.SetDescription("changed");

    link.SetPath("");
    EXPECT_EQ(link.Path(), LinkIn(0));
    EXPECT_EQ(link.Description(), "changed");

    EXPECT_EQ(MessageOf([&] { link.SetPath(folders_[1] + "\\Missing.lnk"); }), "File not found (or not link)");
    WriteFileBytes(folders_[1] + "\\Junk.lnk", "junk");
    EXPECT_EQ(MessageOf([&] { link.SetPath(folders_[1] + "\\Junk.lnk"); }), "File not found (or not link)");
    EXPECT_EQ(link.Path(), LinkIn(0));
    EXPECT_EQ(link.Description(), "changed");
}

TEST_F(ShortcutsTest, SetUpdate_AnyValue_RereadsPathAndStaysTrue) {
    TShellLink link;
    EXPECT_FALSE(link.Update());
    link.SetUpdate(false);  // Path still empty: reads nothing
    EXPECT_TRUE(link.Update());
    EXPECT_EQ(link.Target(), "");

    link.SetTarget(install_ + "Quilstr.exe");
    link.SetDescription("On disk");
    link.WriteLink(LinkIn(0));
    link.SetPath(LinkIn(0));
    link.SetDescription("In memory");
    link.SetTarget("elsewhere");
    link.SetUpdate(false);
    EXPECT_TRUE(link.Update());
    EXPECT_EQ(link.Description(), "On disk");
    EXPECT_EQ(link.Target(), install_ + "Quilstr.exe");
}

}  // namespace
}  // namespace qs::test
