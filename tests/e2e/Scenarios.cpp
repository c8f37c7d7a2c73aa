#include "Scenarios.h"

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "Driver.h"
#include "Machine.h"
#include "PakWriter.h"
#include "Steps.h"
#include "framework/Bitness.h"
#include "framework/GdiGuards.h"
#include "framework/Text.h"
#include "package/Crc32.h"

namespace e2e {
namespace {

std::string KB(long long bytes) { return std::to_string(bytes / 1024) + " kB"; }

long long FileSize(const std::string& path) { return (long long)ReadBytes(path).size(); }

// ---- What users see of the Install page's texts

// A version as long as the package format holds (32 characters), wider than the room beside it.
const std::string kLongVersion = "2.0.1 Professional Edition, 2026";

// Width in pixels of a one-line text in the window's font, measured here with the system's own font.
int TextWidth(const std::string& text) {
    qs::GdiObj<HFONT> font(CreateFontA(-11, 0, 0, 0, FW_NORMAL, 0, 0, 0, ANSI_CHARSET, OUT_DEFAULT_PRECIS,
                                 CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, "MS Sans Serif"));
    qs::WindowDC screen(nullptr);
    qs::ScopedSelect fontInDC(screen.Get(), font.Get());
    SIZE s{};
    GetTextExtentPoint32A(screen.Get(), text.c_str(), int(text.size()), &s);
    return s.cx;
}

// The bytes of the drive's root this user may fill, as the platform tells; -1 when it cannot.
long long FreeBytes(const std::string& root) {
    ULARGE_INTEGER available{}, total{}, free{};
    if (!GetDiskFreeSpaceExA(root.c_str(), &available, &total, &free)) return -1;
    return (long long)available.QuadPart;
}

// The label lies inside its page, is wide enough for its text and covers none of the page's other controls.
void ExpectRoomFor(const SetupWindow& w, int page, const std::string& label, bool whole) {
    RECT r;
    GetWindowRect(w.Control(label), &r);
    RECT pageRect;
    GetWindowRect(GetParent(w.Control(label)), &pageRect);
    Expect(r.left >= pageRect.left && r.right <= pageRect.right, label + " reaches out of its page");
    if (whole)
        Expect(r.right - r.left >= TextWidth(w.Text(label)),
               label + " (" + std::to_string(r.right - r.left) + " pixels) is narrower than its text \"" +
                   w.Text(label) + "\"");
    for (const auto& [name, o] : w.OtherControlRects(page, label)) {
        RECT overlap;
        Expect(!IntersectRect(&overlap, &r, &o), label + " covers " + name);
    }
}

// The free-space figure shows the drive's bytes as the platform counted them a moment apart (before and after
// reading the label: other programs write meanwhile), in whole kB, and never a wrapped or clipped count.
void ExpectFreeFigure(const std::string& shown, long long before, long long after, const std::string& what) {
    const long long lo = std::min(before, after), hi = std::max(before, after);
    if (hi / 1024 > qs::kFreeSpaceCeilingKB) {
        ExpectEq(shown, qs::FormatFreeSpace(hi), what + ": the ceiling");
        return;
    }
    const long long slack = 256ll << 20;  // what others may write on a shared disk within the seconds between
    long long kb = -1;
    Expect(std::sscanf(shown.c_str(), "%lld kB", &kb) == 1 && qs::FormatKB(kb * 1024) == shown,
           what + ": \"" + shown + "\" is not a figure in kB");
    Expect(kb >= (lo - slack) / 1024 && kb <= (hi + slack) / 1024,
           what + ": shows " + shown + ", the drive has " + KB(lo) + " to " + KB(hi));
}

// ---- The install of scenario 3 (and of 7 and the demo): every option a user can take

// Starts from the media, checks the fresh-install pages, chooses a folder with blanks, both Delphi packages and
// all three shortcuts, installs, checks the Finished page and quits.
Installed InstallEverything(Run& run, const Package& q, const Package& d10, const Package& d20, bool shots) {
    SeedIde();
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "fresh install");
    if (shots) run.Shot(w, "welcome");

    w.SelectTab("Delphi");
    Expect(w.Checked("CheckDelphi10") && w.Enabled("CheckDelphi10"), "Delphi 1.0 found: its box ticked");
    ExpectEq(w.Text("EditDelphi10"), kDelphi1Lib, "Delphi 1.0 folder from DELPHI.INI");
    Expect(w.Visible("LabelDelphi10") && w.Enabled("EditDelphi10"), "Delphi 1.0 hint shown, folder enabled");
    Expect(w.Checked("CheckDelphi20") && w.Enabled("CheckDelphi20"), "Delphi 2.0 found: its box ticked");
    ExpectEq(w.Text("EditDelphi20"), kDelphi2Lib, "Delphi 2.0 folder from RootDir");
    Expect(w.Visible("LabelDelphi20"), "Delphi 2.0 hint shown");
    if (shots) run.Shot(w, "delphi");

    w.SelectTab("Install");
    ExpectEq(w.Text("EditInstallDir"), DefaultInstallDir(), "proposed install folder");
    ExpectEq(w.Text("LabelVersion"), "1.0", "version shown");
    long long need = FileSize(run.Media() + "Setup.exe");
    for (const Package* pak : {&q, &d10, &d20})
        for (const auto& f : pak->files) need += (long long)f.data.size();
    ExpectEq(w.Text("LabelSpaceNeeded"), KB(need), "space needed with both Delphi packages");
    // Plenty of room on C: in the prefix: the free-space figure keeps the button face, no red warning.
    Expect(w.LabelColor("LabelSpaceFree") == GetSysColor(COLOR_BTNFACE), "free space shown without the red warning");
    Expect(w.Checked("CheckDesktop") && !w.Checked("CheckStartMenu") && w.Checked("CheckPrograms"),
           "shortcut boxes start as Desktop and Programs");
    w.SetEditText("EditInstallDir", kInstallDir);
    ExpectEq(w.Text("EditInstallDir"), kInstallDir, "typed install folder");
    w.SetChecked("CheckStartMenu", true);
    if (shots) run.Shot(w, "install");

    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, shots);
    ExpectTabs(w, {"Finished"}, kFinished, "after the install");
    if (shots) run.Shot(w, "finished");
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");

    Installed in;
    in.dir = kInstallDir + "\\";
    in.version = "1.0";
    in.quilstr = &q;
    in.d10 = &d10;
    in.d10Dir = kDelphi1Lib;
    in.d20 = &d20;
    in.d20Dir = kDelphi2Lib;
    in.desktop = in.startMenu = in.programs = true;
    return in;
}


void CheckEverythingRemoved(const Installed& in) {
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    Expect(KeyExists(HKEY_LOCAL_MACHINE, "Software\\QV"), "the key Software\\QV itself stays");
    Expect(IsFolder(kInstallRoot), "the folder above the install folder stays");
    if (in.d10) Expect(!IsFolder(in.d10Dir) && IsFolder(kDelphi1Root), "Delphi 1.0 folder removed, its parent kept");
    if (in.d20) Expect(!IsFolder(in.d20Dir) && IsFolder(kDelphi2Root), "Delphi 2.0 folder removed, its parent kept");
    ExpectSeededIdeWithoutEntry();
    Expect(Exists(TempDir() + "DeleteMe.exe"), "DeleteMe.exe stays in the temporary folder");
}

// ---- Scenarios

void Scenario1(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), {{"Delphi10.pak", paks.d10.image}, {"Delphi20.pak", paks.d20.image}});
    auto p = run.StartFromMedia();
    const Box box = ExpectBox(p->Pid(), kCaption, "File Quilstr.pak not found", true, "no Quilstr.pak");
    Expect(box.buttons == std::vector<std::string>({"OK"}), "only OK: " + Describe(box));
    // The splash window is still up behind the start-up's message.
    bool splash = false;
    for (HWND h : TopWindows(p->Pid())) {
        RECT r;
        GetClientRect(h, &r);
        if (ClassOf(h) != "#32770" && r.right == 271 && r.bottom == 48) splash = true;
    }
    Expect(splash, "the splash window should stay on the screen while the start-up's message shows");
    run.ShotBox(box, "not-found");
    Answer(box, "OK");
    ExpectEnds(*p, "after the refusal");
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "the refusal wrote:" + traces);
    Expect(!IsFolder(DefaultInstallDir()), "the refusal made the install folder");
    Expect(!Exists(IniPath()), "the refusal wrote DELPHI.INI");
}

void Scenario2(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    struct Case {
        const char* tag;
        std::vector<uint8_t> image;
        const char* text;
        bool icon;
    };
    const Case cases[] = {
        {"wrong-magic", WithWrongMagic(paks.q10.image), "PAK file corrupt.", true},
        {"wrong-product", WithWrongProduct(paks.q10.image), "File Quilstr.pak is corrupt", false},
    };
    for (const auto& c : cases) {
        Log(std::string("  case ") + c.tag);
        LayOutMedia(run.Media(), run.Src(),
                    {{"Quilstr.pak", c.image}, {"Delphi10.pak", paks.d10.image}, {"Delphi20.pak", paks.d20.image}});
        auto p = run.StartFromMedia();
        const Box box = ExpectBox(p->Pid(), kCaption, c.text, c.icon, c.tag);
        Expect(box.buttons == std::vector<std::string>({"OK"}), std::string(c.tag) + ": only OK: " + Describe(box));
        run.ShotBox(box, c.tag);
        Answer(box, "OK");
        ExpectEnds(*p, c.tag);
        const std::string traces = InstallTraces();
        Expect(traces.empty(), std::string(c.tag) + " wrote:" + traces);
        Expect(!IsFolder(DefaultInstallDir()), std::string(c.tag) + " made the install folder");
    }
}

void Scenario3(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    const Installed in = InstallEverything(run, paks.q10, paks.d10, paks.d20, true);
    CheckEverythingInstalled(run, in);
}

void Scenario4(Run& run) {
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
    w.Click("NowBtn2");
    const Box clash = ExpectBox(p->Pid(), kCaption,
                                "Sorry, but you cannot install the Delphi 1.0 and 2.0 versions of the property "
                                "editor in the same directory.",
                                true, "Delphi folder clash");
    run.ShotBox(clash, "clash");
    Answer(clash, "OK");
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

void Scenario5(Run& run) {
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

    Installed now = old;
    now.version = "2.0";
    now.quilstr = &paks.q20;
    ExpectInstalled(run, now);
    ExpectLinks(old);
    const FILETIME desktopAfter = LastWrite(links[0]);
    Expect(ReadBytes(links[0]) == desktopBefore && CompareFileTime(&desktopTime, &desktopAfter) == 0,
           "the update must leave the Desktop shortcut untouched");
    // Each run with the Delphi 1.0 option adds an entry.
    ExpectEq(IniRead("Transfer", "Count"), "2", "DELPHI.INI entries after the update");
    ExpectEq(IniRead("Transfer", "Title1"), "&Quillostrand", "DELPHI.INI Title1 after the update");
}

void Scenario6(Run& run) {
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

void Scenario7(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    const Installed in = InstallEverything(run, paks.q10, paks.d10, paks.d20, false);
    CheckEverythingInstalled(run, in);
    UninstallFromInstalledCopy(run, in, true);
    CheckEverythingRemoved(in);
}

void Scenario8(Run& run) {
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
    w.Click("NowBtn2");
    const Box box = ExpectBox(p->Pid(), kCaption,
                              "CRC error in PAK file\rDelphi20.pak is corrupt\rPlease obtain the original "
                              "QstSetup.exe file.",
                              true, "damaged Delphi20.pak");
    run.ShotBox(box, "crc-error");
    Answer(box, "OK");
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


void Scenario10(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, MakeQuilstrPak(run.Src(), kLongVersion)));
    const long long before = FreeBytes("C:\\");
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "fresh install");

    // The keyboard has a place from the start: the Welcome page takes no focus, so its tab strip; Ctrl+Tab then
    // goes straight to the next page, which starts on its first control.
    Expect(WaitUntil([&] { return w.FocusName() == "tab strip"; }, kUiMs),
           "focus at start-up: " + w.FocusName() + ", expected the tab strip");
    w.PressKey(VK_TAB, true);
    Expect(w.WaitPage(kDelphi, kUiMs), "the first Ctrl+Tab does not show the Delphi page");
    ExpectEq(w.FocusName(), "CheckDelphi10", "focus on the Delphi page after Ctrl+Tab");
    w.PressKey(VK_TAB, true);
    Expect(w.WaitPage(kInstall, kUiMs), "Ctrl+Tab does not show the Install page");
    ExpectEq(w.FocusName(), "EditInstallDir", "focus on the Install page after Ctrl+Tab");

    // The whole 32-character version stays the label's text; what shows stops short of "Disk space available:".
    ExpectEq(w.Text("LabelVersion"), kLongVersion, "the version text");
    ExpectRoomFor(w, kInstall, "LabelVersion", false);
    RECT version;
    GetWindowRect(w.Control("LabelVersion"), &version);
    Expect(version.right - version.left < TextWidth(kLongVersion), "the long version is not cut");

    // A drive over 2 GB (the prefix's C: on the host's disk) shows its true figure.
    const std::string shown = w.Text("LabelSpaceFree");
    const long long after = FreeBytes("C:\\");
    Log("  C: has " + KB(after) + " free; the window shows " + shown);
    ExpectFreeFigure(shown, before, after, "free space of C:");
    if (std::min(before, after) > 0x7FFFFFFFll)
        Expect(shown != "2097151 kB", "the figure is stuck at the 2 GB of a 32-bit count");
    else
        Log("  SKIPPED: C: has no more than 2 GB free here, so the figure past 2 GB is not seen on it");
    Expect(w.LabelColor("LabelSpaceFree") == GetSysColor(COLOR_BTNFACE), "plenty of room shows no red warning");
    ExpectRoomFor(w, kInstall, "LabelSpaceFree", true);
    run.Shot(w, "install-long-version");

    // The whole version is a hover away.
    HWND tip = nullptr;
    const auto tipText = w.HoverTooltip("LabelVersion", kUiMs, &tip);
    Expect(tipText.has_value(), "no tooltip shows the whole version");
    ExpectEq(*tipText, kLongVersion, "the version's tooltip");
    RECT shot, tipRect, windowRect;
    GetWindowRect(w.Handle(), &windowRect);
    GetWindowRect(tip, &tipRect);
    UnionRect(&shot, &windowRect, &tipRect);
    run.ShotRect(shot, "version-tooltip");
    SetCursorPos(0, 0);

    w.Click("CancelBtn3");
    ExpectEnds(*p, "No, I don't need great help files");
    Expect(InstallTraces().empty(), "leaving wrote something");
}

// The drives the wrapper script maps into the prefix for scenario 11: letter and the kB the host's file system
// reports free, from E2E_TEST_DRIVES ("R=768,S=3221225472,..."). Empty when the script did not run.
std::vector<std::pair<char, long long>> TestDrives() {
    std::vector<std::pair<char, long long>> drives;
    char buf[256] = "";
    if (!GetEnvironmentVariableA("E2E_TEST_DRIVES", buf, sizeof buf)) return drives;
    for (const char* at = buf; *at;) {
        char letter = 0;
        long long kb = 0;
        int used = 0;
        if (std::sscanf(at, "%c=%lld%n", &letter, &kb, &used) != 2) break;
        drives.push_back({letter, kb});
        at += used;
        if (*at == ',') ++at;
    }
    return drives;
}

void Scenario11(Run& run) {
    const auto drives = TestDrives();
    if (drives.size() < 3)
        throw Skipped("no test drives: run through tests/e2e/with-test-drives, which mounts them (needs root)");
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    w.SelectTab("Install");
    long long need = 0;
    Expect(std::sscanf(w.Text("LabelSpaceNeeded").c_str(), "%lld", &need) == 1, "no space needed shown");
    for (const auto& [letter, kb] : drives) {
        const std::string root = std::string(1, letter) + ":\\";
        const std::string tag = kb < need ? "nearly-full" : kb > qs::kFreeSpaceCeilingKB ? "over-ceiling" : "huge";
        Log("  drive " + root + " (" + tag + "): the host counts " + std::to_string(kb) + " kB free");
        // Typed as a user types a folder on another drive: the list, the drive box and the figure follow.
        w.SetEditText("EditInstallDir", root + "Quillostrand");
        const std::string expected = qs::FormatFreeSpace(kb * 1024);
        Expect(w.WaitText("LabelSpaceFree", expected, kUiMs),
               root + ": shows " + w.Text("LabelSpaceFree") + ", expected " + expected);
        const bool red = kb <= need;
        const COLORREF colour = red ? RGB(255, 0, 0) : GetSysColor(COLOR_BTNFACE);
        Expect(WaitUntil([&] { return w.LabelColor("LabelSpaceFree") == colour; }, kUiMs),
               root + (red ? ": no room for the install, but no red warning" : ": plenty of room shown red"));
        ExpectRoomFor(w, kInstall, "LabelSpaceFree", true);
        run.Shot(w, "free-space-" + tag);
    }
    w.Click("CancelBtn3");
    ExpectEnds(*p, "No, I don't need great help files");
    Expect(InstallTraces().empty(), "leaving wrote something");
}

// Every top-level window the process shows while it lives, watched until it ends (up to ms).
std::vector<std::string> WindowsShownUntilEnd(Process& p, DWORD ms) {
    std::vector<std::string> seen;
    WaitUntil(
        [&] {
            for (HWND h : TopWindows(p.Pid())) {
                const std::string what = ClassOf(h) + " \"" + WindowText(h) + "\"";
                if (std::find(seen.begin(), seen.end(), what) == seen.end()) seen.push_back(what);
            }
            return !p.Running();
        },
        ms);
    return seen;
}

// A second Setup.exe, from wherever, ends at once without a window of its own and brings the first to the front.
void ExpectSecondCopyYields(Run& run, const std::string& exe, const SetupWindow& first, const std::string& what) {
    // Another program in front first, so that bringing the first window forward is seen.
    struct Other {
        HWND hwnd = CreateWindowExA(0, "STATIC", "another program", WS_POPUP | WS_VISIBLE | WS_BORDER, 0, 0, 200, 60,
                                    nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
        ~Other() { DestroyWindow(hwnd); }
    } other;
    SetForegroundWindow(other.hwnd);
    Expect(GetForegroundWindow() == other.hwnd, what + ": cannot put another window in front");
    auto second = run.Start(exe);
    const auto shown = WindowsShownUntilEnd(*second, kStartMs);
    Expect(!second->Running(), what + ": the second Setup.exe did not end");
    Expect(second->ExitCode() == 0, what + ": the second Setup.exe ended with code " +
                                        std::to_string(second->ExitCode()));
    Expect(shown.empty(), what + ": the second Setup.exe showed " + Join(shown));
    Expect(GetForegroundWindow() == first.Handle(), what + ": the first window was not brought to the front");
}

void Scenario12(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));

    // Two copies started at once: one window stays, the other copy ends.
    auto a = run.StartFromMedia();
    auto b = run.StartFromMedia();
    Expect(WaitUntil([&] { return !a->Running() || !b->Running(); }, kStartMs), "both copies keep running");
    Process& first = a->Running() ? *a : *b;
    Process& second = a->Running() ? *b : *a;
    Expect(second.ExitCode() == 0, "the second copy ended with code " + std::to_string(second.ExitCode()));
    SetupWindow w = SetupWindow::Attach(first, kStartMs);
    Expect(TopWindows(second.Pid()).empty(), "the second copy left a window");

    // From another media folder, while the first waits for the user.
    const std::string other = TempDir() + "qs-e2e-media-2\\";
    struct Remove {
        std::string folder;
        ~Remove() { RemoveTree(folder); }
    } removeOther{other};
    LayOutMedia(other, run.Src(), AllThree(paks, paks.q20));
    ExpectSecondCopyYields(run, other + "Setup.exe", w, "another media folder");
    run.Shot(w, "first-window-in-front");

    // The one window installs; the record is whole and of its version alone.
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kInstallDir);
    PressAndWaitPage(run, w, first, "NowBtn2", kFinished, false);
    Expect(WaitUntil([&] { return w.FocusName() == "RunBtn"; }, kUiMs),
           "focus on the Finished page after the run: " + w.FocusName());
    Installed in;
    in.dir = kInstallDir + "\\";
    in.version = "1.0";
    in.quilstr = &paks.q10;
    ExpectInstalled(run, in);

    // The installed copy too.
    ExpectSecondCopyYields(run, in.dir + "Setup.exe", w, "the installed copy");
    w.Click("QuitBtn");
    ExpectEnds(first, "Quit Setup");

    // A copy killed in the middle leaves nothing that stops the next one.
    auto killed = run.StartCommand(qs::test::Quote(in.dir + "Setup.exe"));
    SetupWindow::Attach(*killed, kStartMs);
    killed->Kill();
    Log("  killed the running copy");
    auto next = run.StartCommand(qs::test::Quote(in.dir + "Setup.exe"));
    SetupWindow after = SetupWindow::Attach(*next, kStartMs);
    ExpectTabs(after, {"Uninstall"}, kUninstall, "the next copy after a killed one");
    Expect(WaitUntil([&] { return after.FocusName() == "UninstallBtn"; }, kUiMs),
           "focus at start-up of the uninstall-only window: " + after.FocusName());
    after.Click("CancelBtn4");
    ExpectEnds(*next, "No!!! That would be a desaster!");
    ExpectInstalled(run, in);
}

// ---- Signed packages: the keyed Setup.exe of the tests and the packages mkpak signed for it at build time

// The signed media's files by name, read from the folder the build made (Quilstr, Delphi10 and Delphi20 with
// their .sig files, and "Other.sig": Quilstr.pak signed with a stranger's key).
std::map<std::string, std::vector<uint8_t>> SignedFiles(const Sources& src) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const char* name : {"Quilstr.pak", "Quilstr.sig", "Delphi10.pak", "Delphi10.sig", "Delphi20.pak",
                             "Delphi20.sig", "Other.sig"}) {
        files[name] = ReadBytes(WithSlash(src.signedMedia) + name);
        Expect(!files[name].empty(), "the build made no " + WithSlash(src.signedMedia) + name);
    }
    return files;
}

void LayOutKeyedMedia(Run& run, const Images& files) {
    LayOutMedia(run.Media(), run.Src(), files);
    Expect(CopyFileA(run.Src().keyedSetupExe.c_str(), (run.Media() + "Setup.exe").c_str(), FALSE) != FALSE,
           "cannot copy the keyed Setup.exe into the media folder");
}

BOOL CALLBACK TakeLanguage(HMODULE, LPCSTR, LPCSTR, WORD language, LONG_PTR found) {
    *reinterpret_cast<WORD*>(found) = language;
    return FALSE;
}

// Overwrites the program's key resource with bytes that are no key, in the language the build gave it.
void DamageKeyResource(const std::string& exe) {
    WORD language = 0xFFFF;
    if (HMODULE m = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        EnumResourceLanguagesA(m, MAKEINTRESOURCEA(10), "PAKKEY", TakeLanguage, reinterpret_cast<LONG_PTR>(&language));
        FreeLibrary(m);
    }
    Expect(language != 0xFFFF, exe + " carries no key resource");
    HANDLE update = BeginUpdateResourceA(exe.c_str(), FALSE);
    Expect(update != nullptr, "cannot open " + exe + " for a resource update");
    char garbage[64] = "not a key";
    const BOOL put = UpdateResourceA(update, MAKEINTRESOURCEA(10), "PAKKEY", language, garbage, sizeof garbage);
    Expect(EndUpdateResourceA(update, !put) && put, "cannot damage the key resource of " + exe);
}

// Starts Setup.exe from the media and expects it to refuse with text before anything is written.
void ExpectRefused(Run& run, const std::string& text, const std::string& when, const std::string& shot = "") {
    auto p = run.StartFromMedia();
    const Box box = ExpectBox(p->Pid(), kCaption, text, true, when);
    Expect(box.buttons == std::vector<std::string>({"OK"}), when + ": only OK: " + Describe(box));
    if (!shot.empty()) run.ShotBox(box, shot);
    Answer(box, "OK");
    ExpectEnds(*p, when);
    const std::string traces = InstallTraces();
    Expect(traces.empty(), when + ": the refusal wrote:" + traces);
    Expect(!IsFolder(DefaultInstallDir()) && !IsFolder(kInstallRoot), when + ": the refusal made a folder");
}

void Scenario9(Run& run) {
    if (run.Src().signedMedia.empty()) throw Skipped("the build made no signed packages (no host mkpak)");
    const auto f = SignedFiles(run.Src());
    const std::string notSigned = "File Quilstr.pak is not signed";
    const std::string changed = "File Quilstr.pak has been changed since it was signed";
    const auto withMain = [&](const std::vector<uint8_t>& pak, const std::vector<uint8_t>& sig) {
        Images files = {{"Quilstr.pak", pak}, {"Delphi10.pak", f.at("Delphi10.pak")},
                        {"Delphi10.sig", f.at("Delphi10.sig")}};
        if (!sig.empty()) files.push_back({"Quilstr.sig", sig});
        return files;
    };

    // Refusals of the main package: each comes before the window and before anything is written.
    std::vector<uint8_t> oneByte = f.at("Quilstr.pak");
    oneByte[oneByte.size() / 2] ^= 0x01;
    const std::vector<uint8_t> sig = f.at("Quilstr.sig");
    const struct {
        const char* what;
        Images files;
        const std::string& text;
    } refusals[] = {
        {"one changed byte", withMain(oneByte, sig), changed},
        {"signature by another key", withMain(f.at("Quilstr.pak"), f.at("Other.sig")), changed},
        {"signature of another package", withMain(f.at("Quilstr.pak"), f.at("Delphi10.sig")), changed},
        {"no signature", withMain(f.at("Quilstr.pak"), {}), notSigned},
        {"empty signature", withMain(f.at("Quilstr.pak"), {}), notSigned},
        {"cut signature", withMain(f.at("Quilstr.pak"), std::vector<uint8_t>(sig.begin(), sig.end() - 1)), notSigned},
        {"signature file over 64 KB", withMain(f.at("Quilstr.pak"), std::vector<uint8_t>(65 * 1024, 'A')), notSigned},
    };
    for (const auto& r : refusals) {
        Log(std::string("  -- ") + r.what);
        LayOutKeyedMedia(run, r.files);
        if (std::string(r.what) == "empty signature") WriteBytes(run.Media() + "Quilstr.sig", {});
        ExpectRefused(run, r.text, r.what, &r == &refusals[0] ? "changed" : "");
    }

    // A damaged key inside the program refuses every package; it never falls back to checking nothing.
    {
        Log("  -- damaged key resource");
        LayOutKeyedMedia(run, withMain(f.at("Quilstr.pak"), sig));
        DamageKeyResource(run.Media() + "Setup.exe");
        ExpectRefused(run, notSigned, "damaged key resource");
    }

    // Signed media: the window opens. A Delphi package whose check fails is treated as missing: a signed
    // Delphi10.pak renamed to Delphi20.pak (with its signature) does not pass for Delphi20.pak.
    Log("  -- signed media");
    LayOutKeyedMedia(run, {{"Quilstr.pak", f.at("Quilstr.pak")}, {"Quilstr.sig", sig},
                           {"Delphi10.pak", f.at("Delphi10.pak")}, {"Delphi10.sig", f.at("Delphi10.sig")},
                           {"Delphi20.pak", f.at("Delphi10.pak")}, {"Delphi20.sig", f.at("Delphi10.sig")}});
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "signed media");
    w.SelectTab("Delphi");
    Expect(w.Enabled("CheckDelphi10"), "signed Delphi10.pak: its option is offered");
    Expect(!w.Enabled("CheckDelphi20") && !w.Checked("CheckDelphi20"),
           "Delphi10.pak renamed to Delphi20.pak: the Delphi 2.0 option unticked and disabled");
    run.Shot(w, "signed-delphi");

    // While the window is open the checked packages cannot be replaced, grown, cut or renamed.
    const std::string pak = run.Media() + "Quilstr.pak";
    HANDLE h = CreateFileA(pak.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0,
                           nullptr);
    const DWORD writeError = h == INVALID_HANDLE_VALUE ? GetLastError() : 0;
    if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    Expect(writeError == ERROR_SHARING_VIOLATION, "Quilstr.pak could be opened for writing while Setup.exe checks it");
    WriteBytes(run.Media() + "Other.pak", oneByte);
    Expect(!MoveFileExA((run.Media() + "Other.pak").c_str(), pak.c_str(), MOVEFILE_REPLACE_EXISTING),
           "Quilstr.pak could be replaced while Setup.exe holds it");
    Expect(!MoveFileA(pak.c_str(), (run.Media() + "Moved.pak").c_str()), "Quilstr.pak could be renamed");
    Expect(!MoveFileA((run.Media() + "Delphi10.pak").c_str(), (run.Media() + "Moved.pak").c_str()),
           "Delphi10.pak could be renamed while Setup.exe holds it");

    // The install takes the checked bytes.
    w.SetChecked("CheckDelphi10", true);
    const std::string d10Dir = w.Text("EditDelphi10");
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kInstallDir);
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");
    const Package q = LoadPackage(pak, "Quilstr.pak");
    const Package d10 = LoadPackage(run.Media() + "Delphi10.pak", "Delphi10.pak");
    Installed in;
    in.dir = kInstallDir + "\\";
    in.version = "1.0";
    in.quilstr = &q;
    in.d10 = &d10;
    in.d10Dir = d10Dir;
    ExpectInstalled(run, in);

    // The installed copy started alone: uninstall only, with no package and no signature to read.
    auto copy = run.Start(in.dir + "Setup.exe");
    SetupWindow u = SetupWindow::Attach(*copy, kStartMs);
    ExpectTabs(u, {"Uninstall"}, kUninstall, "keyed copy started alone");
    u.Click("CancelBtn4");
    ExpectEnds(*copy, "No!!! That would be a desaster!");
}

// ---- The two builds interchangeable

// Every file below folder (recursively) as "path size crc" lines; the program's own copy by name only, as each
// build's copy differs (the steps check that it is the program that ran).
void ListFiles(const std::string& folder, const std::string& shown, std::string& out) {
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    std::vector<std::string> names;
    do {
        const std::string name = fd.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    std::sort(names.begin(), names.end());
    for (const auto& name : names) {
        const std::string path = folder + "\\" + name;
        if (IsFolder(path)) {
            out += shown + "\\" + name + "\\\n";
            ListFiles(path, shown + "\\" + name, out);
        } else if (qs::AsciiUpper(name) == "SETUP.EXE") {
            out += shown + "\\" + name + " (the program that ran)\n";
        } else {
            const auto bytes = ReadBytes(path);
            char line[64];
            std::snprintf(line, sizeof line, " %zu %08X\n", bytes.size(),
                          unsigned(qs::Crc32UpdateLong(bytes.data(), bytes.size(), 0xFFFFFFFFu)));
            out += shown + "\\" + name + line;
        }
    }
}

long long BytesBelow(const std::string& folder) {
    long long total = 0;
    WIN32_FIND_DATAA fd;
    HANDLE h = FindFirstFileA((folder + "\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        const std::string name = fd.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + "\\" + name;
        total += IsFolder(path) ? BytesBelow(path) : FileSize(path);
    } while (FindNextFileA(h, &fd));
    FindClose(h);
    return total;
}

// What the install, update and uninstall leave, as text: every registry value below the keys they write,
// DELPHI.INI, the shortcuts and the files below the install and Delphi folders. The uninstall entry's size figure
// counts the program's own copy, so it is given as its difference from the files on disk.
std::string MachineState() {
    std::string reg;
    for (const char* key : {"Software\\QV", kUninstallKey, kAppPathsKey}) reg += DumpRegTree(HKEY_LOCAL_MACHINE, key);
    for (const char* key : {".qst", "QuillostrandProject"}) reg += DumpRegTree(HKEY_CLASSES_ROOT, key);
    reg += DumpRegTree(HKEY_CURRENT_USER, kTransferKey);
    std::string state;
    size_t from = 0;
    for (size_t to; (to = reg.find('\n', from)) != std::string::npos; from = to + 1) {
        const std::string line = reg.substr(from, to - from);
        if (line.find("[EstimatedSize]") == std::string::npos) {
            state += line + "\n";
            continue;
        }
        const long long onDisk = BytesBelow(kInstallRoot) + BytesBelow(kDelphi1Root) + BytesBelow(kDelphi2Root);
        const long long figure = ReadDword(HKEY_LOCAL_MACHINE, kUninstallKey, "EstimatedSize").value_or(0);
        state += "EstimatedSize minus the kB on disk: " + std::to_string(figure - onDisk / 1024) + "\n";
    }
    const auto ini = ReadBytes(IniPath());
    state += "DELPHI.INI:\n" + std::string(ini.begin(), ini.end()) + "\n";
    for (const auto& path : LinkPaths()) {
        const auto link = ReadLink(path);
        state += path;
        state += link ? " -> " + link->target + " in " + link->workingDir + ", " + link->description + ", " +
                            link->iconPath + "," + std::to_string(link->iconIndex) + "\n"
                      : " (none)\n";
    }
    for (const std::string& folder : {kInstallRoot, kDelphi1Root, kDelphi2Root}) ListFiles(folder, folder, state);
    return state;
}

struct States {
    std::string installed, updated, removed;
};

// Version 1.0 with everything installed by firstSetup, updated to 2.0 by secondSetup, and removed by the copy the
// update left (the uninstall entry's command); what the machine holds after each step.
States InstallUpdateRemove(const Settings& settings, const std::string& firstSetup, const std::string& secondSetup,
                           const std::string& tag) {
    Log("  install with " + firstSetup + ", update and uninstall with " + secondSetup);
    Clean();
    Settings one = settings, two = settings;
    one.src.setupExe = firstSetup;
    two.src.setupExe = secondSetup;
    Run first(one, tag + "-first"), second(two, tag + "-second");
    const Paks& paks = TestPaks(settings.src);
    States states;

    LayOutMedia(first.Media(), one.src, AllThree(paks, paks.q10));
    Installed in = InstallEverything(first, paks.q10, paks.d10, paks.d20, false);
    CheckEverythingInstalled(first, in);
    states.installed = MachineState();

    LayOutMedia(second.Media(), two.src, AllThree(paks, paks.q20));
    auto p = second.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Delphi", "Update", "Uninstall"}, kUpdate, "the installed version found");
    ExpectEq(w.Text("LabelOldVersion"), "1.0", "installed version shown");
    PressAndWaitPage(second, w, *p, "UpdateBtn", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");
    in.version = "2.0";
    in.quilstr = &paks.q20;
    ExpectInstalled(second, in);
    ExpectLinks(in);
    states.updated = MachineState();

    UninstallFromInstalledCopy(second, in, false);
    // What stays (the IDE's own entries, of which the update added one more) is compared with the same steps alone.
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    states.removed = MachineState();
    return states;
}

// The first line where got and want part, side by side.
void ExpectSameState(const std::string& got, const std::string& want, const std::string& when) {
    if (got == want) return;
    size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at]) ++at;
    const size_t begin = at == 0 ? 0 : got.rfind('\n', at - 1) + 1;  // npos + 1 is 0: the first line
    const auto lineOf = [begin](const std::string& s) { return s.substr(begin, s.find('\n', begin) - begin); };
    throw Failure(when + ": the machine differs from the same steps with one build alone:\n    got:  " + lineOf(got) +
                  "\n    want: " + lineOf(want));
}

}  // namespace

const char* ScenarioTitle(int n) {
    static const char* const kTitles[] = {
        "refusal without Quilstr.pak",
        "damaged Quilstr.pak (magic, product name)",
        "fresh install: folder with blanks, both Delphi packages, all shortcuts, seeded IDE settings",
        "Delphi folder clash corrected, then the install",
        "new package version: update",
        "same version: uninstall only",
        "uninstall from the installed Setup.exe, finished by DeleteMe",
        "CRC error during the install, then a good package over it",
        "signed packages: refusals of the keyed Setup.exe, then an install from signed media",
        "what users see: focus from the start, a long version cut with its tooltip, a free-space figure past 2 GB",
        "free space of a nearly full drive, a 3 TB drive and one past the figure's ceiling",
        "one Setup.exe at a time: two at once, another media folder, the installed copy, after a killed one",
    };
    return n >= 1 && n <= kScenarioCount ? kTitles[n - 1] : "?";
}

void RunScenario(int n, const Settings& settings) {
    Run run(settings, "s" + std::to_string(n));
    Clean();
    struct Cleanup {
        std::string media;
        ~Cleanup() {
            Clean();
            RemoveTree(media);
        }
    } cleanup{run.Media()};
    switch (n) {
    case 1: Scenario1(run); break;
    case 2: Scenario2(run); break;
    case 3: Scenario3(run); break;
    case 4: Scenario4(run); break;
    case 5: Scenario5(run); break;
    case 6: Scenario6(run); break;
    case 7: Scenario7(run); break;
    case 8: Scenario8(run); break;
    case 9: Scenario9(run); break;
    case 10: Scenario10(run); break;
    case 11: Scenario11(run); break;
    case 12: Scenario12(run); break;
    default: throw Failure("no scenario " + std::to_string(n));
    }
}

void RunCrossBuild(const std::string& otherSetup, const Settings& settings) {
    struct Cleanup {
        ~Cleanup() { Clean(); }
    } cleanup;
    const std::string own = settings.src.setupExe;
    const States alone = InstallUpdateRemove(settings, own, own, "x1");
    const States there = InstallUpdateRemove(settings, otherSetup, own, "x2");
    const States back = InstallUpdateRemove(settings, own, otherSetup, "x3");
    Log("  each step's registry values, DELPHI.INI, shortcuts and files compared: " +
        std::to_string(std::count(alone.installed.begin(), alone.installed.end(), '\n')) + " lines after the install");
    for (const auto& [states, name] : {std::pair{&there, "installed by the other build"},
                                       std::pair{&back, "updated and removed by the other build"}}) {
        ExpectSameState(states->installed, alone.installed, std::string(name) + ", after the install");
        ExpectSameState(states->updated, alone.updated, std::string(name) + ", after the update");
        ExpectSameState(states->removed, alone.removed, std::string(name) + ", after the uninstall");
    }
}

namespace {

void RunAndEcho(const std::string& commandLine) {
    std::fflush(stdout);
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    STARTUPINFOA si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
    si.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
    si.hStdError = GetStdHandle(STD_ERROR_HANDLE);
    PROCESS_INFORMATION pi{};
    if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
        Log("  (cannot run " + commandLine + ")");
        return;
    }
    WaitForSingleObject(pi.hProcess, 30000);
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
}

}  // namespace

void RunDemo(const std::string& media, const Settings& settings) {
    Run run(settings, "demo");
    run.SetMedia(media);
    Clean();
    const Package q = LoadPackage(run.Media() + "Quilstr.pak", "Quilstr.pak");
    const Package d10 = LoadPackage(run.Media() + "Delphi10.pak", "Delphi10.pak");
    const Package d20 = LoadPackage(run.Media() + "Delphi20.pak", "Delphi20.pak");
    Log("demo: installing from " + run.Media());
    Installed in = InstallEverything(run, q, d10, d20, true);
    in.quilstr = &q;
    CheckEverythingInstalled(run, in);

    Log("");
    Log("demo: Quillostrand was installed into " + in.dir);
    for (const auto& f : FilesIn(in.dir)) Log("  " + in.dir + f);
    Log("demo: Delphi 1.0 editor in " + in.d10Dir + ", Delphi 2.0 editor in " + in.d20Dir);
    Log("demo: the install record:");
    RunAndEcho("reg.exe query \"HKLM\\Software\\QV\\Quillostrand\\Installation\"");
    Log("demo: the uninstall entry:");
    RunAndEcho("reg.exe query \"HKLM\\" + std::string(kUninstallKey) + "\"");
    Log("demo: shortcuts:");
    for (const auto& l : LinkPaths()) {
        const auto link = ReadLink(l);
        if (link) Log("  " + l + " -> " + link->target);
    }
    Log("");
    Log("demo: removing it again with the installed Setup.exe");
    UninstallFromInstalledCopy(run, in, true);
    CheckEverythingRemoved(in);
    Log("demo: uninstalled; nothing of it is left");
    Clean();
}

}  // namespace e2e
