// A media folder with a stand-in Setup.exe and packages, the install record seeded in Wine's registry, and a
// real TSetupForm created from it in-process, its message boxes answered by a recorder.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>

#include "PakBytes.h"
#include "SetupFormAccess.h"
#include "WinTestSupport.h"
#include "WriteBudget.h"
#include "framework/Application.h"
#include "setup/SetupMainForm.h"
#include "system/SheLink.h"

namespace qs::test {

// Shortcuts need COM on this thread, as the program entry provides it.
inline qs::ComInitializer g_comForSetupTests;

// The install record as a previous run leaves it: counted texts, the folders only when given.
inline void SeedRecord(const std::string& version, const std::string& installDir,
                       const std::string& delphi10Dir = "", const std::string& delphi20Dir = "") {
    const auto put = [](const char* name, const std::string& text) {
        EXPECT_TRUE(WriteCounted(HKEY_LOCAL_MACHINE, kRecordKey, name, text)) << name;
    };
    put("Version", version);
    if (!installDir.empty()) put("InstallDir", installDir);
    if (!delphi10Dir.empty()) put("Delphi10Dir", delphi10Dir);
    if (!delphi20Dir.empty()) put("Delphi20Dir", delphi20Dir);
}

class SetupFixture : public ::testing::Test {
protected:
    void SetUp() override {
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\2.0");
        DeleteFileA(WindowsIni().c_str());
        media_ = std::make_unique<ScratchDir>("media");
        WriteFileBytes(Media() + "Setup.exe", std::string(3000, 'S'));
        Application().ClearTerminated();
        Application().SetTitle("Quillostrand Setup");  // as the program entry sets it
    }
    void TearDown() override {
        form_.reset();
        Application().ClearTerminated();
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\QV\\Quillostrand");
        DeleteRegTree(HKEY_LOCAL_MACHINE, "Software\\Borland\\Delphi\\2.0");
        DeleteFileA(WindowsIni().c_str());
        media_.reset();
    }

    static std::string WindowsIni() {
        char win[MAX_PATH];
        GetWindowsDirectoryA(win, MAX_PATH);
        return std::string(win) + "\\DELPHI.INI";
    }
    std::string Media() const { return media_->Path(); }

    void WritePak(const char* name, const std::string& version, std::vector<RawPakEntry> entries = {},
                  const std::string& product = "Quillostrand") {
        WriteFileBytes(Media() + name, BuildPak(product, version, false, entries));
    }
    // A package whose files total `bytes` (the files are empty streams: enough for start-up).
    void WriteSizedPak(const char* name, const std::string& version, int32_t bytes) {
        RawPakEntry e;
        e.FileName = "Sized.bin";
        e.UnpackedSize = bytes;
        e.Packed = "\x80";
        WritePak(name, version, {e});
    }

    TSetupForm& Start() {
        form_ = std::make_unique<TSetupForm>();
        form_->ProgramPath = Media() + "Setup.exe";
        form_->Create();
        return *form_;
    }

    std::vector<int> VisibleTabs() const {
        std::vector<int> v;
        for (int p = 0; p < kPageCount; ++p)
            if (form_->Pages.TabVisible(p)) v.push_back(p);
        return v;
    }

    MessageBoxRecorder boxes_;
    std::unique_ptr<ScratchDir> media_;
    std::unique_ptr<TSetupForm> form_;
};

}  // namespace qs::test
