// Shared by the fault suites: the setup window on real packages in a media folder, with an install folder in a
// scratch folder, and the checks that a failed run left the window usable and wrote no record.
#pragma once
#include "../setup/SetupFixture.h"
#include "base/BinFile.h"
#include "base/Exceptions.h"

#include <cstdint>
#include <string>

namespace qs::test {

// Text that the packer compresses a little, different for every seed.
inline std::string FaultContent(size_t n, uint32_t seed) {
    std::string s(n, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = char("Quillostrand help authoring \r\n"[(x >> 16) % 30]);
    }
    return s;
}

class FaultFixture : public SetupFixture {
protected:
    void SetUp() override {
        SetupFixture::SetUp();
        DrainQuit();
        target_ = std::make_unique<ScratchDir>("faults");
    }
    void TearDown() override {
        SetWriteBudgetForTesting(-1);
        DeleteShellEntries();
        target_.reset();
        SetupFixture::TearDown();
    }
    std::string Dir() const { return target_->Path(); }
    // Closes the window as the end of the program does; the next Start() is a new run of the program.
    void CloseForm() {
        form_.reset();
        DrainQuit();
    }
    // Destroying a setup window posts the quit message of the program's end: consumed here, so that it is not
    // taken for the end of the next window's run.
    static void DrainQuit() {
        Application().ProcessMessages();
        Application().ClearTerminated();
    }

    // The main package: a 70,000-byte program, a help file and a small text.
    void WriteMainPak(const std::string& version = "1.0") {
        WritePak("Quilstr.pak", version,
                 {PackRawEntry("Quilstr.exe", FaultContent(70000, 1)), PackRawEntry("Quilstr.hlp", FaultContent(5000, 2)),
                  PackRawEntry("ReadMe.txt", "Quillostrand\r\n")});
    }
    void ExpectInstalled(const std::string& folder) {
        EXPECT_EQ(ReadFileBytes(folder + "Quilstr.exe"), FaultContent(70000, 1));
        EXPECT_EQ(ReadFileBytes(folder + "Quilstr.hlp"), FaultContent(5000, 2));
        EXPECT_EQ(ReadFileBytes(folder + "ReadMe.txt"), "Quillostrand\r\n");
    }

    // The fresh-install window with its install folder in the scratch folder and no shortcuts.
    TSetupForm& StartFresh(const std::string& sub = "App") {
        TSetupForm& f = Start();
        EXPECT_EQ(f.Mode(), SetupMode::FreshInstall);
        f.EditInstallDir.SetText(Dir() + sub);
        f.CheckDesktop.SetChecked(false);
        f.CheckPrograms.SetChecked(false);
        f.CheckStartMenu.SetChecked(false);
        return f;
    }

    // Runs the install and returns the message of the error it ended with ("" when it succeeded).
    static std::string InstallError(TSetupForm& f) {
        try {
            f.NowBtnClick();
        } catch (const Exception& e) {
            return e.Message();
        }
        return "";
    }

    // A failed run leaves the window alive and answering, on the page the failed step left, the program not
    // asked to end, and no install record.
    void ExpectUsableAfterFailure(TSetupForm& f) {
        EXPECT_FALSE(Application().Terminated());
        EXPECT_TRUE(IsWindow(f.Handle()));
        DWORD_PTR r = 0;
        EXPECT_NE(SendMessageTimeoutA(f.Handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 5000, &r), 0);
        Application().ProcessMessages();
        EXPECT_TRUE(IsWindow(f.Handle()));
        EXPECT_EQ(f.Pages.ActivePage(), BusySheet);
        EXPECT_FALSE(f.Pages.TabVisible(FinishedSheet));
        EXPECT_FALSE(Application().Terminated());
        EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, kRecordKey));
    }

    std::unique_ptr<ScratchDir> target_;
};

}  // namespace qs::test
