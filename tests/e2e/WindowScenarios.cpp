// Scenarios of what the window shows and how it behaves: focus, texts cut with a tooltip, the free-space figure
// on real drives, and one Setup.exe at a time.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>

#include "Scenarios.h"
#include "framework/GdiGuards.h"
#include "base/Text.h"
#include "Steps.h"

namespace e2e {

namespace {

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

}  // namespace

void WindowTexts(Run& run) {
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

namespace {

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

}  // namespace

void FreeSpace(Run& run) {
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

namespace {

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

// A second Setup.exe, from wherever, ends at once without a window of its own and brings what the first shows
// (its window, or its message box) to the front.
void ExpectSecondCopyYields(Run& run, const std::string& exe, HWND front, const std::string& what) {
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
    Expect(GetForegroundWindow() == front, what + ": the first copy's window was not brought to the front");
}

}  // namespace

void OneAtATime(Run& run) {
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
    ExpectSecondCopyYields(run, other + "Setup.exe", w.Handle(), "another media folder");
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
    ExpectSecondCopyYields(run, in.dir + "Setup.exe", w.Handle(), "the installed copy");
    // Started right after Quit Setup (the uninstall entry opened at once, say), while the first winds down: the
    // next copy waits for it and shows its window.
    w.Click("QuitBtn");
    auto killed = run.StartCommand(qs::test::Quote(in.dir + "Setup.exe"));
    ExpectEnds(first, "Quit Setup");
    SetupWindow::Attach(*killed, kStartMs);

    // A copy killed in the middle leaves nothing that stops the next one.
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

    // A first copy that shows a start-up message: the second brings the message to the front.
    const std::string bare = TempDir() + "qs-e2e-media-3\\";
    struct RemoveBare {
        std::string folder;
        ~RemoveBare() { RemoveTree(folder); }
    } removeBare{bare};
    LayOutMedia(bare, run.Src(),
                {{"Quilstr.pak", WithWrongMagic(paks.q10.image)}, {"Delphi10.pak", paks.d10.image},
                 {"Delphi20.pak", paks.d20.image}});
    auto refusing = run.Start(bare + "Setup.exe");
    const Box box = ExpectBox(refusing->Pid(), kCaption, "PAK file corrupt.", true, "a damaged package");
    ExpectSecondCopyYields(run, run.Media() + "Setup.exe", box.hwnd, "a start-up message");
    Answer(box, "OK");
    ExpectEnds(*refusing, "after the start-up message");
}

}  // namespace e2e
