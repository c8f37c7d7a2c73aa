// StartSelfRemoval and its pieces: the helper's path and command line, writing the embedded image, starting it,
// and the whole hand-over from a running program (a copy of this test program) to DeleteMe, also with folders
// named outside the system code page.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>

#include "ProcessDriver.h"
#include "WinTestSupport.h"
#include "WinUtf8.h"
#include "framework/Application.h"
#include "base/Exceptions.h"
#include "base/WideText.h"
#include "system/SelfRemoval.h"

using namespace qs;
using namespace qs::test;

namespace {

namespace fs = std::filesystem;

// Sets an environment variable for this process (and the processes it starts) and restores it afterwards. Wide,
// so that a folder or message outside the system code page reaches the started program whole.
class EnvVar {
public:
    EnvVar(const char* name, const std::string& value) : name_(Widen(name)) {
        wchar_t buf[4096];
        const DWORD n = GetEnvironmentVariableW(name_.c_str(), buf, 4096);
        if (n > 0 && n < 4096) old_ = std::wstring(buf, n);
        SetEnvironmentVariableW(name_.c_str(), Widen(value).c_str());
    }
    ~EnvVar() { SetEnvironmentVariableW(name_.c_str(), old_ ? old_->c_str() : nullptr); }
    EnvVar(const EnvVar&) = delete;
    EnvVar& operator=(const EnvVar&) = delete;

private:
    std::wstring name_;
    std::optional<std::wstring> old_;
};

std::string EnvText(const char* name) {
    wchar_t buf[4096];
    const DWORD n = GetEnvironmentVariableW(Widen(name).c_str(), buf, 4096);
    return n > 0 && n < 4096 ? Narrow(std::wstring_view(buf, n)) : "";
}

std::string TempPathW() {
    wchar_t buf[MAX_PATH + 1];
    const DWORD n = GetTempPathW(MAX_PATH + 1, buf);
    return n > 0 && n <= MAX_PATH ? Narrow(std::wstring_view(buf, n)) : "";
}

// A file or folder named in UTF-8, for the standard library's wide file calls.
fs::path Wide(const std::string& utf8) { return fs::path(Widen(utf8)); }

std::string ReadWide(const std::string& path) {
    std::ifstream f(Wide(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

// Removes a scratch folder with names the shared cleanup (-A calls) cannot reach, before that cleanup runs.
class WideCleanup {
public:
    explicit WideCleanup(const std::string& folder) : folder_(folder) {}
    ~WideCleanup() {
        std::error_code ignored;
        fs::remove_all(Wide(folder_), ignored);
    }
    WideCleanup(const WideCleanup&) = delete;
    WideCleanup& operator=(const WideCleanup&) = delete;

private:
    std::string folder_;
};

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
    const std::string reported = TempPathW();
    ASSERT_FALSE(reported.empty());
    const std::string folder = TempFolder();
    EXPECT_EQ(folder, reported);
    EXPECT_EQ(folder.back(), '\\');
    EXPECT_EQ(HelperPathFor(folder), folder + "DeleteMe.exe");
}

// A temporary folder longer than the 256-character buffer is never cut: it is read whole where the system reports
// it, or raises a file error where the system refuses such a folder.
TEST(SelfRemoval, TempFolder_LongerThan256Characters_NeverCut) {
    ScratchDir dir("selfrem");
    const std::string longDir = dir.Path() + std::string(150, 't') + "\\" + std::string(150, 'u');
    ASSERT_GT(longDir.size(), 256u);
    EnvVar tmp("TMP", longDir);
    EnvVar temp("TEMP", longDir);
    wchar_t probe[256];
    const DWORD reported = GetTempPathW(256, probe);
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
    WriteHelperFile(GetModuleHandleW(nullptr), helper);
    EXPECT_EQ(ReadFileBytes(helper), image);
}

TEST(SelfRemoval, WriteHelperFile_FailuresRaiseBeforeAnythingStarts) {
    ScratchDir dir("selfrem");
    // No such resource in the module: a clear error, and no empty helper file left behind.
    const std::string noImage = dir.Path() + "NoImage.exe";
    try {
        WriteHelperFile(GetModuleHandleW(L"kernel32.dll"), noImage);
        ADD_FAILURE() << "a module without the helper was accepted";
    } catch (const EInOutError&) {
        ADD_FAILURE() << "reported as a file error";
    } catch (const Exception& e) {
        EXPECT_EQ(e.Message(), "The DeleteMe helper is missing from this program");
    }
    EXPECT_FALSE(PathExists(noImage));
    // A folder that does not exist.
    EXPECT_THROW(WriteHelperFile(GetModuleHandleW(nullptr), dir.Path() + "missing\\DeleteMe.exe"), EInOutError);
    // A helper from an earlier uninstall still running from that file.
    const std::string helper = dir.Path() + "DeleteMe.exe";
    WriteHelperFile(GetModuleHandleW(nullptr), helper);
    Process earlier(Quote(helper));
    const auto box = WaitForBox(earlier.Pid(), 15000);
    ASSERT_TRUE(box.has_value());
    EXPECT_THROW(WriteHelperFile(GetModuleHandleW(nullptr), helper), EInOutError);
    EXPECT_EQ(AnswerBox(*box, "OK"), "");
    ASSERT_TRUE(earlier.WaitExit(10000));
    WriteHelperFile(GetModuleHandleW(nullptr), helper);  // once it has ended the file is simply overwritten
    EXPECT_EQ(ReadFileBytes(helper), ReadFileBytes(DeleteMeExe()));
}

// Its success is what StartSelfRemoval's test below sees; here the start that fails.
TEST(SelfRemoval, WriteHelperAndStart_ProgramThatCannotStart_FalseAndTheFileWritten) {
    ScratchDir dir("selfrem");
    const std::string helper = HelperPathFor(dir.Path());
    // A command line naming no program: the helper file is written, the start fails, nothing is raised.
    EXPECT_FALSE(WriteHelperAndStart(GetModuleHandleW(nullptr), helper,
                                     BuildDeleteMeCommandLine(dir.Path() + "nothing.exe", "t", "m", "c")));
    EXPECT_TRUE(PathExists(helper));
}

// A helper file that cannot be written (an earlier helper still runs from it) ends StartSelfRemoval with the
// file error before anything starts.
TEST(SelfRemoval, StartSelfRemoval_HelperFileBusy_RaisesAndKeepsRunning) {
    ScratchDir dir("selfrem");
    WriteHelperFile(GetModuleHandleW(nullptr), dir.Path() + "DeleteMe.exe");
    Process earlier(Quote(dir.Path() + "DeleteMe.exe"));
    const auto box = WaitForBox(earlier.Pid(), 15000);
    ASSERT_TRUE(box.has_value());
    {
        EnvVar tmp("TMP", dir.Path());
        EnvVar temp("TEMP", dir.Path());
        EXPECT_THROW(StartSelfRemoval("Msg", "Cap", Application().ExeName()), EInOutError);
    }
    Sleep(500);
    EXPECT_EQ(FindBoxes(0).size(), 1u) << "a helper was started after all";
    EXPECT_EQ(AnswerBox(*box, "OK"), "");
    EXPECT_TRUE(earlier.WaitExit(10000));
}

// Run only inside the copy started by the test below: hands this program's own file to DeleteMe and ends.
TEST(SelfRemovalChild, DISABLED_StartsHelperAndEnds) {
    StartSelfRemoval(EnvText("QS_SR_MESSAGE"), EnvText("QS_SR_CAPTION"), Application().ExeName());
}

// The whole hand-over: a copy of this program installed as "Setup.exe" calls StartSelfRemoval and ends; DeleteMe,
// written to the temporary folder, removes the copy and its folder (not the folder above) and shows the closing
// message. Also with a user's folders and texts outside the system code page (Polish and Cyrillic on Western cp1252
// under Wine's C.UTF-8), where any -A call on the way would substitute look-alikes and miss the files.
TEST(SelfRemoval, StartSelfRemoval_RunningProgramRemovedAfterItEnds) {
    struct HandOver {
        const char* name;
        std::string installDir, tempDir;  // under the scratch folder, without a final backslash (the system adds it)
        std::string message, caption;
    };
    const HandOver cases[] = {
        {"folders with blanks", "Program Files\\Install Dir", "Temp Dir",
         "Quillostrand has been successfully uninstalled.", "Uninstall complete"},
        {"Polish and Cyrillic names", "users\\Łukasz\\Downloads", "users\\Сергей\\Temp",
         "Quillostrand został odinstalowany — Программа удалена.", "Odinstalowanie zakończone"},
    };
    for (const HandOver& c : cases) {
        SCOPED_TRACE(c.name);
        ScratchDir dir("selfrem");
        const WideCleanup cleanup(dir.Path());
        const std::string installDir = dir.Path() + c.installDir;
        const std::string tempDir = dir.Path() + c.tempDir;
        const std::string setup = installDir + "\\Setup.exe";
        std::error_code made;
        ASSERT_TRUE(fs::create_directories(Wide(installDir), made) && fs::create_directories(Wide(tempDir), made))
            << made.message() << ": names outside ASCII need a UTF-8 Unix locale for Wine (LANG=C.UTF-8)";
        ASSERT_TRUE(fs::copy_file(Wide(Application().ExeName()), Wide(setup)));

        Process program(Launch{Quote(setup) + " --gtest_also_run_disabled_tests "
                                               "--gtest_filter=SelfRemovalChild.DISABLED_StartsHelperAndEnds",
                               "",
                               {{"TMP", tempDir}, {"TEMP", tempDir}, {"QS_SR_MESSAGE", c.message},
                                {"QS_SR_CAPTION", c.caption}}});
        ASSERT_TRUE(program.Started()) << "error " << program.StartError();
        ASSERT_TRUE(program.WaitExit(60000));
        EXPECT_EQ(program.ExitCode(), 0u) << "the copy's own check failed";

        // The closing box, found by its exact caption and text as the -W calls read them.
        std::optional<Box> box;
        WaitUntil(
            [&] {
                for (const auto& b : FindBoxes(0, utf8::WindowText))
                    if (!b.buttons.empty() && b.caption == c.caption && !b.text.empty()) box = b;
                return box.has_value();
            },
            15000);
        ASSERT_TRUE(box.has_value()) << "no closing message from the helper";
        HANDLE helper = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_INFORMATION, FALSE, box->pid);
        EXPECT_EQ(box->text, c.message);
        EXPECT_EQ(box->buttons, std::vector<std::string>{"OK"});
        EXPECT_FALSE(fs::exists(Wide(setup)));
        EXPECT_FALSE(fs::exists(Wide(installDir)));
        EXPECT_TRUE(fs::exists(Wide(installDir).parent_path())) << "a parent folder was removed";
        EXPECT_EQ(ReadWide(tempDir + "\\DeleteMe.exe"), ReadFileBytes(DeleteMeExe()));
        EXPECT_EQ(AnswerBox(*box, "OK"), "");
        ASSERT_NE(helper, nullptr);
        EXPECT_EQ(WaitForSingleObject(helper, 10000), WAIT_OBJECT_0);
        DWORD code = 1;
        GetExitCodeProcess(helper, &code);
        EXPECT_EQ(code, 0u);
        CloseHandle(helper);
    }
}
