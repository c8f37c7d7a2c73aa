// Scenarios of the runs: a fresh install with every option, the Delphi folder clash, the update, the same version
// again, the uninstall from the installed copy and a damaged package during the install.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "Scenarios.h"
#include "Steps.h"

namespace e2e {

void FreshInstall(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    const Installed in = InstallEverything(run, paks.q10, paks.d10, paks.d20, true);
    CheckEverythingInstalled(run, in);
}

void DelphiClash(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "fresh install");

    w.SelectTab("Install");
    const long long setupSize = FileSize(run.Media() + "Setup.exe");
    auto sum = [](const Package& pak) {
        long long n = 0;
        for (const auto& f : pak.files) n += (long long)f.data.size();
        return n;
    };
    ExpectEq(w.Text("LabelSpaceNeeded"), KB(setupSize + sum(paks.q10)), "space needed without Delphi packages");
    w.SelectTab("Delphi");
    Expect(!w.Checked("CheckDelphi10") && !w.Checked("CheckDelphi20"), "no Delphi found: boxes unticked");
    Expect(!w.Enabled("EditDelphi10") && !w.Visible("LabelDelphi10"), "Delphi 1.0 folder disabled, hint hidden");
    w.SetChecked("CheckDelphi10", true);
    w.SetChecked("CheckDelphi20", true);
    Expect(w.Enabled("EditDelphi10") && w.Visible("LabelDelphi10") && w.Visible("LabelDelphi20"),
           "ticking enables the folders and shows the hints");
    // One folder, written in two letter cases.
    w.SetEditText("EditDelphi10", kInstallRoot + "\\Delphi");
    w.SetEditText("EditDelphi20", "c:\\quill test\\DELPHI");
    run.Shot(w, "delphi-same-folder");

    w.SelectTab("Install");
    ExpectEq(w.Text("LabelSpaceNeeded"), KB(setupSize + sum(paks.q10) + sum(paks.d10) + sum(paks.d20)),
             "space needed with both Delphi packages");
    w.SetEditText("EditInstallDir", kInstallDir);
    PressAndAnswerError(run, *p, w, "NowBtn2",
                        "Sorry, but you cannot install the Delphi 1.0 and 2.0 versions of the property editor in "
                        "the same directory.",
                        "clash");
    Expect(w.WaitPage(kDelphi, kUiMs), "the clash shows the Delphi page");
    // The pressed button went with its page: the keyboard starts again on the shown page's first control.
    Expect(WaitUntil([&] { return w.FocusName() == "CheckDelphi10"; }, kUiMs),
           "focus after the clash: " + w.FocusName() + ", expected CheckDelphi10");
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kDelphi, "after the clash");
    Expect(!IsFolder(kInstallRoot), "the clash must not create any folder");
    Expect(InstallTraces().empty(), "the clash must not write anything");

    const std::string d10 = kInstallRoot + "\\Delphi";
    const std::string d20 = kInstallRoot + "\\Delphi 2";
    w.SetEditText("EditDelphi20", d20);
    run.Shot(w, "delphi-corrected");
    w.SelectTab("Install");
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    run.Shot(w, "finished");
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");

    const Installed in = VersionOneWithBothEditors(paks, d10, d20);
    ExpectInstalled(run, in);
    ExpectLinks(in);
    // No IDE settings were there: DELPHI.INI gets its first Transfer entry, the Delphi 2.0 key is not created.
    ExpectEq(IniRead("Transfer", "Count"), "1", "DELPHI.INI Transfer Count");
    ExpectEq(IniRead("Transfer", "Title0"), "&Quillostrand", "DELPHI.INI Title0");
    Expect(!KeyExists(HKEY_CURRENT_USER, kTransferKey), "the Delphi 2.0 Transfer key must not be created");
}

namespace {

// A plain install of version 1.0 from the media: Desktop and Programs shortcuts, Delphi 1.0 into its proposed
// folder. For the scenarios that need an earlier installation.
Installed InstallPlain(Run& run, const Paks& paks, bool delphi10) {
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    Installed in;
    if (delphi10) {
        w.SelectTab("Delphi");
        w.SetChecked("CheckDelphi10", true);
        in.d10 = &paks.d10;
        in.d10Dir = w.Text("EditDelphi10");  // proposed at start-up, below the proposed install folder
    }
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kInstallDir);
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");
    in.dir = kInstallDir + "\\";
    in.version = "1.0";
    in.quilstr = &paks.q10;
    ExpectInstalled(run, in);
    return in;
}

}  // namespace

void Update(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    const Installed old = InstallPlain(run, paks, true);
    const auto links = LinkPaths();
    const auto desktopBefore = ReadBytes(links[0]);
    const FILETIME desktopTime = LastWrite(links[0]);
    Expect(!desktopBefore.empty(), "the first install made no Desktop shortcut");
    ExpectEq(IniRead("Transfer", "Count"), "1", "DELPHI.INI entries after the first install");
    Sleep(1100);  // so that a rewritten shortcut would carry a later time

    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q20));
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Delphi", "Update", "Uninstall"}, kUpdate, "new version");
    Expect(WaitUntil([&] { return w.FocusName() == "UpdateBtn"; }, kUiMs),
           "focus at start-up: " + w.FocusName() + ", expected UpdateBtn");
    ExpectEq(w.Text("LabelOldVersion"), "1.0", "installed version shown");
    ExpectEq(w.Text("LabelInstallVersion"), "2.0", "new version shown");
    run.Shot(w, "update");
    w.SelectTab("Delphi");
    Expect(w.Checked("CheckDelphi10") && w.ReadOnly("EditDelphi10"), "recorded Delphi 1.0 folder: ticked, read-only");
    ExpectEq(w.Text("EditDelphi10"), old.d10Dir, "recorded Delphi 1.0 folder");
    Expect(!w.Checked("CheckDelphi20"), "Delphi 2.0 was not installed: unticked");
    run.Shot(w, "update-delphi");
    w.SelectTab("Update");
    PressAndWaitPage(run, w, *p, "UpdateBtn", kFinished, true);
    ExpectTabs(w, {"Finished"}, kFinished, "after the update");
    run.Shot(w, "finished");
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");

    // Nothing is removed during an update: the sample project only 1.0 had stays, and stays in the record.
    Installed now = old;
    now.version = "2.0";
    now.quilstr = &paks.q20;
    now.kept = {"Sample.qst"};
    ExpectInstalled(run, now);
    ExpectLinks(old);
    const FILETIME desktopAfter = LastWrite(links[0]);
    Expect(ReadBytes(links[0]) == desktopBefore && CompareFileTime(&desktopTime, &desktopAfter) == 0,
           "the update must leave the Desktop shortcut untouched");
    // The earlier install's tools-menu entry is renewed in place, not joined by another.
    ExpectEq(IniRead("Transfer", "Count"), "1", "DELPHI.INI entries after the update");
    ExpectEq(IniRead("Transfer", "Title0"), "&Quillostrand", "DELPHI.INI Title0 after the update");
    Expect(!IniHasKey("Title1"), "the update added a second tools-menu entry");

    // The uninstall removes what both versions put there, and with it the install folder.
    UninstallFromInstalledCopy(run, now, false);
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    ExpectEq(IniRead("Transfer", "Count"), "0", "DELPHI.INI entries after the uninstall");
}

void SameVersion(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    const Installed in = InstallPlain(run, paks, false);

    // The same version again: only removal is offered; leaving changes nothing.
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Uninstall"}, kUninstall, "same version");
    ExpectEq(w.Text("LabelBusy2"), "", "uninstall progress line before the run");
    run.Shot(w, "uninstall-only");
    w.Click("CancelBtn4");
    ExpectEnds(*p, "No!!! That would be a desaster!");
    ExpectInstalled(run, in);

    p = run.StartFromMedia();
    w = SetupWindow::Attach(*p, kStartMs);
    w.Click("UninstallBtn");
    Box confirm = ExpectBox(p->Pid(), "(You must have accidentically pressed that button...)",
                            "Are you absolutely sure you wish to uninstall Quillostrand?", true, "confirmation");
    Answer(confirm, "&No");
    ExpectTabs(w, {"Uninstall"}, kUninstall, "after No");
    ExpectEq(w.Text("LabelBusy2"), "", "No changes nothing on the page");
    ExpectInstalled(run, in);
    ExpectLinks(in);

    // Started from the media, the run deletes the installed copy itself and says goodbye itself.
    w.Click("UninstallBtn");
    confirm = ExpectBox(p->Pid(), "(You must have accidentically pressed that button...)",
                        "Are you absolutely sure you wish to uninstall Quillostrand?", true, "confirmation");
    Answer(confirm, "&Yes");
    const Box done = ExpectBox(p->Pid(), "Uninstall complete", kDoneText, false, "end of the uninstall");
    ExpectEq(w.Text("LabelBusy2"), "Uninstall complete", "uninstall progress line at the end");
    run.Shot(w, "uninstall-complete");
    Answer(done, "OK");
    ExpectEnds(*p, "after the uninstall");
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    Expect(!IsFolder(in.dir), "the install folder stays after the uninstall");
}

void UninstallInstalledCopy(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    const Installed in = InstallEverything(run, paks.q10, paks.d10, paks.d20, false);
    CheckEverythingInstalled(run, in);
    UninstallFromInstalledCopy(run, in, true);
    CheckEverythingRemoved(in);
}

void CrcError(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    const auto damaged = WithDamagedData(paks.d20.image, 0);
    LayOutMedia(run.Media(), run.Src(),
                {{"Quilstr.pak", paks.q10.image}, {"Delphi10.pak", paks.d10.image}, {"Delphi20.pak", damaged}});
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    w.SelectTab("Delphi");
    w.SetChecked("CheckDelphi10", true);
    w.SetChecked("CheckDelphi20", true);
    const std::string d10 = w.Text("EditDelphi10"), d20 = w.Text("EditDelphi20");
    ExpectEq(d10, DefaultInstallDir() + "\\Delphi10", "proposed Delphi 1.0 folder");
    ExpectEq(d20, DefaultInstallDir() + "\\Delphi20", "proposed Delphi 2.0 folder");
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kInstallDir);
    PressAndAnswerError(run, *p, w, "NowBtn2",
                        "CRC error in PAK file\rDelphi20.pak is corrupt\rPlease obtain the original QstSetup.exe file.",
                        "crc-error");
    Expect(w.ActivePage() == kBusy, "after the error the busy page stays");
    ExpectTabs(w, {"Welcome", "Delphi", "Install", "Installing..."}, kBusy, "after the CRC error");
    run.Shot(w, "busy-after-error");
    // What was written stays; nothing after the failed step was done.
    ExpectFiles(kInstallDir, paks.q10, {});
    ExpectFiles(d10, paks.d10, {});
    Expect(!KeyExists(HKEY_LOCAL_MACHINE, kRecordKey), "no install record after the CRC error");
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "after the CRC error:" + traces);

    // The user fetches a good copy and presses the button again.
    WriteBytes(run.Media() + "Delphi20.pak", paks.d20.image);
    w.SelectTab("Install");
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    run.Shot(w, "finished");
    const Installed in = VersionOneWithBothEditors(paks, d10, d20);
    ExpectInstalled(run, in);
    ExpectLinks(in);

    // Read Online Help hands the installed help file to the help program and leaves the Finished page as it
    // was, ready for another press. Wine's help program cannot read the stand-in file and says so in a box of
    // its own that names the file it was given.
    const std::string helpFile = in.dir + "Quilstr.hlp";
    DWORD helpPid = 0;
    for (int press = 1; press <= 2; ++press) {
        const std::string when = "Read Online Help, press " + std::to_string(press);
        w.Click("HelpBtn");
        const auto help = WaitForBox(0, kUiMs);
        Expect(help.has_value(), when + ": the help program did not show up");
        Expect(help->pid != p->Pid(), when + ": a box of Setup.exe itself: " + Describe(*help));
        Expect(help->text.find(helpFile) != std::string::npos, when + ": " + Describe(*help) + " is not about " + helpFile);
        helpPid = help->pid;
        Answer(*help, "OK");
        Expect(WaitUntil(
                   [&] {
                       DWORD_PTR ignored;
                       return SendMessageTimeoutA(w.Handle(), WM_NULL, 0, 0, SMTO_ABORTIFHUNG, 200, &ignored) != 0;
                   },
                   kUiMs),
               when + ": Setup.exe does not answer afterwards");
        Expect(p->Running() && w.ActivePage() == kFinished, when + ": the Finished page did not stay");
    }
    // The help program stays running for the next request; it is not part of what comes next.
    if (HANDLE h = OpenProcess(PROCESS_TERMINATE, FALSE, helpPid)) {
        TerminateProcess(h, 0);
        CloseHandle(h);
    }

    // Run Quillostrand: the installed application starts (its stand-in greets with a box) and Setup.exe ends.
    w.Click("RunBtn");
    ExpectEnds(*p, "Run Quillostrand");
    const auto hello = WaitForBox(0, kStartMs);
    Expect(hello.has_value(), "the installed application did not start");
    ExpectEq(hello->caption, "Quillostrand", "the application's greeting");
    Answer(*hello, "OK");
}

}  // namespace e2e
