// DeleteMe.exe as a real process under Wine: the leftover message, waiting on a file another program holds,
// quoting, the argument count rules, long arguments, and giving up on a file that can never be deleted.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <optional>

#include "ProcessDriver.h"
#include "WinTestSupport.h"

using namespace qs::test;

namespace {

const char kLeftoverText[] = "DeleteMe.exe is a leftover from an uninstall program.\rYou can safely delete it.";

void MakeDir(const std::string& path) { ASSERT_TRUE(CreateDirectoryA(path.c_str(), nullptr)) << path; }

// Waits up to ms for path to disappear; returns the milliseconds it took, or ms when it stayed.
DWORD WaitGone(const std::string& path, DWORD ms) {
    const DWORD start = GetTickCount();
    while (PathExists(path)) {
        if (GetTickCount() - start >= ms) return ms;
        Sleep(10);
    }
    return GetTickCount() - start;
}

void ExpectPlainBox(const Box& box, const std::string& text, const std::string& caption) {
    EXPECT_EQ(box.caption, caption);
    EXPECT_EQ(box.text, text);
    EXPECT_EQ(box.buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(box.hasIcon);
}

// Answers the box and checks that the helper then ends with exit code 0.
void AnswerAndExpectExitZero(Process& helper, const Box& box) {
    EXPECT_EQ(AnswerBox(box, "OK"), "");
    ASSERT_TRUE(helper.WaitExit(10000));
    EXPECT_EQ(helper.ExitCode(), 0u);
}

}  // namespace

TEST(DeleteMe, NoArguments_ShowsLeftoverMessageAndEnds) {
    const std::string exe = Quote(DeleteMeExe());
    // Empty quoted arguments are dropped, so these count as no arguments too.
    for (const std::string& line : {exe, exe + " \"\"", exe + "\t\"\"  \"\"\"\" "}) {
        SCOPED_TRACE(line);
        Process helper(line);
        ASSERT_TRUE(helper.Started()) << "error " << helper.StartError();
        const auto box = WaitForBox(helper.Pid(), 15000);
        ASSERT_TRUE(box.has_value()) << "no leftover message";
        ExpectPlainBox(*box, kLeftoverText, "DeleteMe");
        EXPECT_TRUE(helper.Running()) << "ends only when the box is answered";
        AnswerAndExpectExitZero(helper, *box);
    }
}

// The uninstall's real case: the file is the image of a program that still runs (here a copy of DeleteMe itself,
// waiting on its leftover message). DeleteMe waits, deletes the file right after that program ends, removes the
// folder and shows the closing message.
TEST(DeleteMe, FileOfRunningProgram_DeletedRightAfterItEndsThenFolderRemoved) {
    ScratchDir dir("delme");
    const std::string programFiles = dir.Path() + "Program Files\\";
    const std::string installDir = programFiles + "Quill ostrand\\";
    const std::string setup = installDir + "Setup.exe";
    const std::string tempDir = dir.Path() + "Temp Dir\\";
    const std::string helperPath = tempDir + "DeleteMe.exe";
    MakeDir(programFiles);
    MakeDir(installDir);
    MakeDir(tempDir);
    ASSERT_TRUE(CopyFileA(DeleteMeExe().c_str(), setup.c_str(), FALSE));
    ASSERT_TRUE(CopyFileA(DeleteMeExe().c_str(), helperPath.c_str(), FALSE));

    Process running(Quote(setup));
    const auto runningBox = WaitForBox(running.Pid(), 15000);
    ASSERT_TRUE(runningBox.has_value());

    Process helper(Quote(helperPath) + " " + Quote(setup) + " " + Quote("Quillostrand has been successfully uninstalled.") +
                   " " + Quote("Uninstall complete"));
    ASSERT_TRUE(helper.Started()) << "error " << helper.StartError();
    Sleep(1500);
    EXPECT_TRUE(helper.Running()) << "gave up while the program still ran";
    EXPECT_TRUE(PathExists(setup)) << "a running program's file was deleted";
    EXPECT_TRUE(FindBoxes(helper.Pid()).empty()) << "message shown before the file was gone";

    EXPECT_EQ(AnswerBox(*runningBox, "OK"), "");
    ASSERT_TRUE(running.WaitExit(10000));
    const DWORD ms = WaitGone(setup, 5000);
    std::printf("file deleted %lu ms after its program ended\n", static_cast<unsigned long>(ms));
    EXPECT_LT(ms, 1000u) << "not deleted right after the program ended";

    const auto box = WaitForBox(helper.Pid(), 10000);
    ASSERT_TRUE(box.has_value());
    ExpectPlainBox(*box, "Quillostrand has been successfully uninstalled.", "Uninstall complete");
    EXPECT_FALSE(PathExists(installDir)) << "emptied folder not removed";
    EXPECT_TRUE(PathExists(programFiles)) << "a parent folder was removed";
    EXPECT_TRUE(PathExists(helperPath)) << "the helper never deletes itself";
    AnswerAndExpectExitZero(helper, *box);
}

// The real build does not give up within seconds: a file held open by this process is removed once released.
TEST(DeleteMe, FileHeldOpenByAnotherProcess_DeletedWhenReleased) {
    ScratchDir dir("delme");
    const std::string folder = dir.Path() + "held here\\";
    const std::string file = folder + "Setup.exe";
    MakeDir(folder);
    WriteFileBytes(file, "payload");
    FileHold hold(file);
    ASSERT_TRUE(hold.Held());

    Process helper(Quote(DeleteMeExe()) + " " + Quote(file) + " " + Quote("Done.") + " " + Quote("Closing"));
    ASSERT_TRUE(helper.Started()) << "error " << helper.StartError();
    Sleep(2500);  // longer than the test build's bound
    EXPECT_TRUE(helper.Running());
    EXPECT_TRUE(PathExists(file));
    EXPECT_TRUE(FindBoxes(helper.Pid()).empty());

    hold.Release();
    EXPECT_LT(WaitGone(file, 5000), 1000u);
    const auto box = WaitForBox(helper.Pid(), 10000);
    ASSERT_TRUE(box.has_value());
    ExpectPlainBox(*box, "Done.", "Closing");
    EXPECT_FALSE(PathExists(folder));
    AnswerAndExpectExitZero(helper, *box);
}

namespace {

struct OutcomeCase {
    const char* name;
    // Builds the case under root (ends in "\"); returns the arguments after the helper's own path and sets what
    // the run should leave.
    std::function<std::string(const std::string& root)> arrange;
    std::string fileGone, folderGone, folderStays;  // relative to root; empty: not checked
    bool boxExpected;
    std::string text, caption;
    bool runInRoot = false;  // start the helper with root as its current folder
};

}  // namespace

TEST(DeleteMe, FilesFoldersAndMessages_TableOfArgumentShapes) {
    const std::string longText = std::string(300, 'm') + " end";
    const std::vector<OutcomeCase> cases = {
        {"three arguments: file, folder and message",
         [](const std::string& r) {
             CreateDirectoryA((r + "Quill ostrand").c_str(), nullptr);
             WriteFileBytes(r + "Quill ostrand\\Setup.exe", "x");
             return Quote(r + "Quill ostrand\\Setup.exe") + " " + Quote("All gone.") + " " + Quote("Uninstall complete");
         },
         "Quill ostrand\\Setup.exe", "Quill ostrand", "", true, "All gone.", "Uninstall complete"},
        {"folder still holding files stays, message still shown",
         [](const std::string& r) {
             CreateDirectoryA((r + "kept dir").c_str(), nullptr);
             WriteFileBytes(r + "kept dir\\Setup.exe", "x");
             WriteFileBytes(r + "kept dir\\user data.qst", "keep");
             return Quote(r + "kept dir\\Setup.exe") + " " + Quote("Msg") + " " + Quote("Cap");
         },
         "kept dir\\Setup.exe", "", "kept dir\\user data.qst", true, "Msg", "Cap"},
        {"missing file: folder still removed, message still shown",
         [](const std::string& r) {
             CreateDirectoryA((r + "empty dir").c_str(), nullptr);
             return Quote(r + "empty dir\\Setup.exe") + " " + Quote("Msg") + " " + Quote("Cap");
         },
         "", "empty dir", "", true, "Msg", "Cap"},
        {"empty quoted message dropped: two arguments, no message",
         [](const std::string& r) {
             CreateDirectoryA((r + "d").c_str(), nullptr);
             WriteFileBytes(r + "d\\Setup.exe", "x");
             return Quote(r + "d\\Setup.exe") + " \"\" " + Quote("Uninstall complete");
         },
         "d\\Setup.exe", "d", "", false},
        {"one argument: no message",
         [](const std::string& r) {
             CreateDirectoryA((r + "d").c_str(), nullptr);
             WriteFileBytes(r + "d\\Setup.exe", "x");
             return Quote(r + "d\\Setup.exe");
         },
         "d\\Setup.exe", "d", "", false},
        {"two arguments: no message",
         [](const std::string& r) {
             CreateDirectoryA((r + "d").c_str(), nullptr);
             WriteFileBytes(r + "d\\Setup.exe", "x");
             return Quote(r + "d\\Setup.exe") + " " + Quote("Msg");
         },
         "d\\Setup.exe", "d", "", false},
        {"four arguments: no message",
         [](const std::string& r) {
             CreateDirectoryA((r + "d").c_str(), nullptr);
             WriteFileBytes(r + "d\\Setup.exe", "x");
             return Quote(r + "d\\Setup.exe") + " " + Quote("Msg") + " " + Quote("Cap") + " extra";
         },
         "d\\Setup.exe", "d", "", false},
        {"unquoted arguments and tabs",
         [](const std::string& r) {
             CreateDirectoryA((r + "plain").c_str(), nullptr);
             WriteFileBytes(r + "plain\\Setup.exe", "x");
             return r + "plain\\Setup.exe\tMsg \t Cap";
         },
         "plain\\Setup.exe", "plain", "", true, "Msg", "Cap"},
        {"name without folder: deleted in the current folder, which stays",
         [](const std::string& r) {
             WriteFileBytes(r + "Setup.exe", "x");
             return Quote("Setup.exe") + " " + Quote("Msg") + " " + Quote("Cap");
         },
         "Setup.exe", "", ".", true, "Msg", "Cap", true},
        {"message over 256 characters shown whole",
         [longText](const std::string& r) {
             CreateDirectoryA((r + "d").c_str(), nullptr);
             WriteFileBytes(r + "d\\Setup.exe", "x");
             return Quote(r + "d\\Setup.exe") + " " + Quote(longText) + " " + Quote("Cap");
         },
         "d\\Setup.exe", "d", "", true, longText, "Cap"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir("delme");
        const std::string args = c.arrange(dir.Path());
        Process helper(Quote(DeleteMeTestExe()) + " " + args, c.runInRoot ? dir.Path() : "");
        ASSERT_TRUE(helper.Started()) << "error " << helper.StartError();
        if (c.boxExpected) {
            const auto box = WaitForBox(helper.Pid(), 15000);
            ASSERT_TRUE(box.has_value()) << "no closing message";
            ExpectPlainBox(*box, c.text, c.caption);
            AnswerAndExpectExitZero(helper, *box);
        } else {
            std::vector<Box> seen;
            ASSERT_TRUE(RunToEnd(helper, 15000, &seen));
            EXPECT_TRUE(seen.empty()) << "a message was shown: " << seen.front().text;
            EXPECT_EQ(helper.ExitCode(), 0u);
        }
        if (!c.fileGone.empty()) {
            EXPECT_FALSE(PathExists(dir.Path() + c.fileGone)) << c.fileGone;
        }
        if (!c.folderGone.empty()) {
            EXPECT_FALSE(PathExists(dir.Path() + c.folderGone)) << c.folderGone;
        }
        if (!c.folderStays.empty()) {
            EXPECT_TRUE(PathExists(dir.Path() + c.folderStays)) << c.folderStays;
        }
    }
}

// A path longer than 256 characters is taken whole: a cut path would name no file and leave this one behind.
TEST(DeleteMe, PathOver256Characters_TakenWhole) {
    ScratchDir dir("delme");
    const std::string folder = dir.Path() + "long dir\\";
    MakeDir(folder);
    const size_t nameLen = 258 - folder.size();
    ASSERT_GT(nameLen, 12u);
    const std::string file = folder + std::string(nameLen - 4, 'n') + ".exe";
    ASSERT_EQ(file.size(), 258u);
    WriteFileBytes(file, "x");
    ASSERT_TRUE(PathExists(file)) << "this system does not take a path of that length";

    Process helper(Quote(DeleteMeTestExe()) + " " + Quote(file) + " " + Quote("Long gone.") + " " + Quote("Cap"));
    const auto box = WaitForBox(helper.Pid(), 15000);
    ASSERT_TRUE(box.has_value());
    ExpectPlainBox(*box, "Long gone.", "Cap");
    EXPECT_FALSE(PathExists(file));
    EXPECT_FALSE(PathExists(folder));
    AnswerAndExpectExitZero(helper, *box);
}

// A file that exists but can never be deleted: the test build gives up after its 1.5 s bound, still shows the
// message and ends with 0; the file stays.
TEST(DeleteMe, FileThatCanNeverBeDeleted_GivesUpAfterBoundAndStillShowsMessage) {
    struct Blocker {
        const char* name;
        bool readOnly;
    };
    for (const Blocker b : {Blocker{"held open without delete sharing", false}, Blocker{"read-only file", true}}) {
        SCOPED_TRACE(b.name);
        ScratchDir dir("delme");
        const std::string folder = dir.Path() + "stuck dir\\";
        const std::string file = folder + "Setup.exe";
        MakeDir(folder);
        WriteFileBytes(file, "x");
        std::optional<FileHold> hold;
        if (b.readOnly)
            ASSERT_TRUE(SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_READONLY));
        else
            ASSERT_TRUE(hold.emplace(file).Held());

        const DWORD start = GetTickCount();
        Process helper(Quote(DeleteMeTestExe()) + " " + Quote(file) + " " + Quote("Given up.") + " " + Quote("Cap"));
        const auto box = WaitForBox(helper.Pid(), 20000);
        const DWORD ms = GetTickCount() - start;
        ASSERT_TRUE(box.has_value()) << "never gave up";
        std::printf("%s: gave up after %lu ms\n", b.name, static_cast<unsigned long>(ms));
        EXPECT_GE(ms, 1500u) << "gave up before its bound";
        ExpectPlainBox(*box, "Given up.", "Cap");
        EXPECT_TRUE(PathExists(file));
        EXPECT_TRUE(PathExists(folder));
        AnswerAndExpectExitZero(helper, *box);
        SetFileAttributesA(file.c_str(), FILE_ATTRIBUTE_NORMAL);
    }
}
