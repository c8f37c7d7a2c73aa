// StartSelfRemoval and its pieces: the helper's path and command line, writing the embedded image, starting it,
// and the whole hand-over from a running program (a copy of this test program) to DeleteMe.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>

#include "ProcessDriver.h"
#include "WinTestSupport.h"
#include "framework/Application.h"
#include "framework/Exceptions.h"
#include "system/SelfRemoval.h"

using namespace qs;
using namespace qs::test;

namespace {

// Sets an environment variable for this process (and the processes it starts) and restores it afterwards.
class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : name_(name) {
        char buf[4096];
        const DWORD n = GetEnvironmentVariableA(name, buf, sizeof buf);
        if (n > 0 && n < sizeof buf) old_ = std::string(buf, n);
        SetEnvironmentVariableA(name, value.c_str());
    }
    ~EnvVar() { SetEnvironmentVariableA(name_, old_ ? old_->c_str() : nullptr); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    const char* name_;
    std::optional<std::string> old_;
};

std::string EnvText(const char* name) {
    const char* v = std::getenv(name);
    return v ? v : "";
}

}  // namespace

TEST(SelfRemoval, HelperPathFor_OneBackslashBeforeTheName) {
    const struct {
        const char* folder;
        const char* path;
    } cases[] = {
        {"C:\\users\\me\\Temp\\", "C:\\users\\me\\Temp\\DeleteMe.exe"},
        {"C:\\users\\me\\Temp", "C:\\users\\me\\Temp\\DeleteMe.exe"},
        {"C:\\", "C:\\DeleteMe.exe"},
        {"D:\\Temp Dir", "D:\\Temp Dir\\DeleteMe.exe"},
    };
    for (const auto& c : cases) EXPECT_EQ(HelperPathFor(c.folder), c.path) << c.folder;
}

TEST(SelfRemoval, CommandLine_FourQuotedElementsSingleBlanks) {
    EXPECT_EQ(BuildDeleteMeCommandLine("C:\\T\\DeleteMe.exe", "C:\\Program Files\\Quillostrand\\Setup.exe",
                                       "Quillostrand has been successfully uninstalled.", "Uninstall complete"),
              "\"C:\\T\\DeleteMe.exe\" \"C:\\Program Files\\Quillostrand\\Setup.exe\" "
              "\"Quillostrand has been successfully uninstalled.\" \"Uninstall complete\"");
    // An empty message stays "" (the helper then drops it and shows nothing).
    EXPECT_EQ(BuildDeleteMeCommandLine("h", "t", "", "c"), "\"h\" \"t\" \"\" \"c\"");
    // Quotes inside an element would split it; they are left out.
    EXPECT_EQ(BuildDeleteMeCommandLine("h", "t", "Say \"hi there\"", "\"c\""), "\"h\" \"t\" \"Say hi there\" \"c\"");
}

TEST(SelfRemoval, TempFolder_AsTheSystemReportsIt) {
    char buf[MAX_PATH + 1];
    const DWORD n = GetTempPathA(sizeof buf, buf);
    ASSERT_GT(n, 0u);
    const std::string folder = TempFolder();
    EXPECT_EQ(folder, std::string(buf, n));
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(HelperPathFor(folder), folder + "DeleteMe.exe");
}

// A temporary folder longer than the 256-byte buffer is never cut: it is read whole where the system reports it
// (Windows), or raises a file error where the system refuses such a folder (Wine's ANSI functions stop at 260).
TEST(SelfRemoval, TempFolder_LongerThan256Characters_NeverCut) {
    ScratchDir dir("selfrem");
    const std::string longDir = dir.Path() + std::string(150, 't') + "\\" + std::string(150, 'u');
    ASSERT_GT(longDir.size(), 256u);
    EnvVar tmp("TMP", longDir);
    EnvVar temp("TEMP", longDir);
    char probe[256];
    const DWORD reported = GetTempPathA(sizeof probe, probe);
    try {
        const std::string folder = TempFolder();
        EXPECT_EQ(folder, longDir + "\\") << "system reported " << reported;
    } catch (const EInOutError& e) {
        std::printf("long temporary folder refused by the system: %s\n", e.what());
        EXPECT_EQ(reported, 0u) << "the system reported a folder, yet it was refused";
    }
}

TEST(SelfRemoval, WriteHelperFile_WritesTheEmbeddedImageByteForByte) {
    ScratchDir dir("selfrem");
    const std::string helper = dir.Path() + "DeleteMe.exe";
    const std::string image = ReadFileBytes(DeleteMeExe());
    ASSERT_GT(image.size(), 1000u);
    EXPECT_LT(image.size(), 16384u) << "DeleteMe.exe outgrew 16 KB";
    WriteFileBytes(helper, std::string(100000, 'z'));  // an older, bigger file of that name is replaced
    WriteHelperFile(GetModuleHandleA(nullptr), helper);
    EXPECT_EQ(ReadFileBytes(helper), image);
}

TEST(SelfRemoval, WriteHelperFile_FailuresRaiseBeforeAnythingStarts) {
    ScratchDir dir("selfrem");
    // No such resource in the module: a clear error, and no empty helper file left behind.
    const std::string noImage = dir.Path() + "NoImage.exe";
    try {
        WriteHelperFile(GetModuleHandleA("kernel32.dll"), noImage);
        ADD_FAILURE() << "a module without the helper was accepted";
    } catch (const EInOutError&) {
        ADD_FAILURE() << "reported as a file error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The DeleteMe helper is missing from this program");
    }
    EXPECT_FALSE(PathExists(noImage));
    // A folder that does not exist.
    EXPECT_THROW(WriteHelperFile(GetModuleHandleA(nullptr), dir.Path() + "missing\\DeleteMe.exe"), EInOutError);
    // A helper from an earlier uninstall still running from that file.
    const std::string helper = dir.Path() + "DeleteMe.exe";
    WriteHelperFile(GetModuleHandleA(nullptr), helper);
    Process earlier(Quote(helper));
    const auto box = WaitForBox(earlier.Pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_THROW(WriteHelperFile(GetModuleHandleA(nullptr), helper), EInOutError);
    EXPECT_EQ(AnswerBox(*box, "OK"), "");
    ASSERT_TRUE(earlier.WaitExit(10000));
    WriteHelperFile(GetModuleHandleA(nullptr), helper);  // once it has ended the file is simply overwritten
    EXPECT_EQ(ReadFileBytes(helper), ReadFileBytes(DeleteMeExe()));
}

// Its success is what StartSelfRemoval's test below sees; here the start that fails.
TEST(SelfRemoval, WriteHelperAndStart_ProgramThatCannotStart_FalseAndTheFileWritten) {
    ScratchDir dir("selfrem");
    const std::string helper = HelperPathFor(dir.Path());
    // A command line naming no program: the helper file is written, the start fails, nothing is raised.
    EXPECT_FALSE(WriteHelperAndStart(GetModuleHandleA(nullptr), helper,
                                     BuildDeleteMeCommandLine(dir.Path() + "nothing.exe", "t", "m", "c")));
    EXPECT_TRUE(PathExists(helper));
}

// A helper file that cannot be written (an earlier helper still runs from it) ends StartSelfRemoval with the
// file error before anything starts; the application is not asked to end.
TEST(SelfRemoval, StartSelfRemoval_HelperFileBusy_RaisesAndKeepsRunning) {
    ScratchDir dir("selfrem");
    WriteHelperFile(GetModuleHandleA(nullptr), dir.Path() + "DeleteMe.exe");
    Process earlier(Quote(dir.Path() + "DeleteMe.exe"));
    const auto box = WaitForBox(earlier.Pid(), 15000);
    ASSERT_TRUE(box.has_value());
    {
        EnvVar tmp("TMP", dir.Path());
        EnvVar temp("TEMP", dir.Path());
        EXPECT_THROW(StartSelfRemoval("Msg", "Cap"), EInOutError);
    }
    EXPECT_FALSE(Application().Terminated());
    Sleep(500);
    EXPECT_EQ(FindBoxes(0).size(), 1u) << "a helper was started after all";
    EXPECT_EQ(AnswerBox(*box, "OK"), "");
    EXPECT_TRUE(earlier.WaitExit(10000));
}

// Run only inside the copy started by the test below: hands this program's own file to DeleteMe and ends.
TEST(SelfRemovalChild, DISABLED_StartsHelperAndEnds) {
    StartSelfRemoval(EnvText("QS_SR_MESSAGE"), EnvText("QS_SR_CAPTION"));
    EXPECT_TRUE(Application().Terminated());
}

// The whole hand-over: a copy of this program installed as "Setup.exe" in a folder with a blank calls
// StartSelfRemoval and ends; DeleteMe, written to the temporary folder, removes the copy and its folder and shows
// the closing message.
TEST(SelfRemoval, StartSelfRemoval_RunningProgramRemovedAfterItEnds) {
    ScratchDir dir("selfrem");
    const std::string installDir = dir.Path() + "Install Dir\\";
    const std::string tempDir = dir.Path() + "Temp Dir";  // the system adds the final backslash
    const std::string setup = installDir + "Setup.exe";
    ASSERT_TRUE(CreateDirectoryA(installDir.c_str(), nullptr));
    ASSERT_TRUE(CreateDirectoryA(tempDir.c_str(), nullptr));
    ASSERT_TRUE(CopyFileA(Application().ExeName().c_str(), setup.c_str(), FALSE));

    std::optional<Process> program;
    {
        EnvVar tmp("TMP", tempDir);
        EnvVar temp("TEMP", tempDir);
        EnvVar msg("QS_SR_MESSAGE", "Quillostrand has been successfully uninstalled.");
        EnvVar cap("QS_SR_CAPTION", "Uninstall complete");
        program.emplace(Quote(setup) +
                        " --gtest_also_run_disabled_tests --gtest_filter=SelfRemovalChild.DISABLED_StartsHelperAndEnds");
    }
    ASSERT_TRUE(program->Started());
    ASSERT_TRUE(program->WaitExit(60000));
    EXPECT_EQ(program->ExitCode(), 0u) << "the copy's own check failed";

    std::optional<Box> box;
    const DWORD start = GetTickCount();
    while (!box && GetTickCount() - start < 15000) {
        for (const auto& b : FindBoxes(0))
            if (b.caption == "Uninstall complete" && !b.buttons.empty()) box = b;
        Sleep(20);
    }
    ASSERT_TRUE(box.has_value()) << "no closing message from the helper";
    HANDLE helper = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, box->pid);
    EXPECT_EQ(box->text, "Quillostrand has been successfully uninstalled.");
    EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
    EXPECT_FALSE(PathExists(setup));
    EXPECT_FALSE(PathExists(installDir));
    EXPECT_EQ(ReadFileBytes(tempDir + "\\DeleteMe.exe"), ReadFileBytes(DeleteMeExe()));
    EXPECT_EQ(AnswerBox(*box, "OK"), "");
    ASSERT_NE(helper, nullptr);
    EXPECT_EQ(WaitForSingleObject(helper, 10000), WAIT_OBJECT_0);
    DWORD code = 1;
    GetExitCodeProcess(helper, &code);
    EXPECT_EQ(code, 0u);
    CloseHandle(helper);
}
