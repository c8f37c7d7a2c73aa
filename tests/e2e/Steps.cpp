#include "Steps.h"

#include <algorithm>
#include <cstdio>

#include "PakWriter.h"
#include "WinFolderFiles.h"
#include "base/Bitness.h"
#include "base/Text.h"
#include "base/WideText.h"

namespace e2e {

std::string Join(const std::vector<std::string>& v) {
    std::string s;
    for (const auto& x : v) s += (s.empty() ? "" : ", ") + x;
    return "[" + s + "]";
}

std::string KB(long long bytes) { return std::to_string(bytes / 1024) + " kB"; }

long long FileSize(const std::string& path) { return (long long)ReadBytes(path).size(); }

std::string Hex(const std::string& bytes) {
    std::string out;
    char b[4];
    for (unsigned char c : bytes) {
        std::snprintf(b, sizeof b, "%02X ", c);
        out += b;
    }
    return out.empty() ? "(none)" : out.substr(0, out.size() - 1);
}

void ExpectBytes(const std::optional<std::string>& got, const std::string& want, const std::string& what) {
    Expect(got.has_value(), what + ": missing");
    if (*got != want) throw Failure(what + ": bytes " + Hex(*got) + ", expected " + Hex(want));
}

std::string ShortPath(const std::string& path) {
    wchar_t buf[MAX_PATH];
    const DWORD n = GetShortPathNameW(qs::Widen(path).c_str(), buf, MAX_PATH);
    Expect(n > 0 && n < MAX_PATH, "no short name for " + path);
    return qs::Narrow(buf);
}

// ---- Run

std::string Run::ProgramTemp() const {
    // GetTempPath's order: TMP, then TEMP.
    for (const char* name : {"TMP", "TEMP"})
        for (const auto& [n, value] : environment_)
            if (n == name) return WithSlash(value);
    return TempDir();
}

void Run::Shot(const SetupWindow& w, const std::string& what, bool settle) {
    const std::string path = Next(what);
    w.Screenshot(path, settle);
    Log("  screenshot " + path);
}

void Run::ShotRect(const RECT& r, const std::string& what) {
    Sleep(150);
    const std::string path = Next(what);
    ScreenshotRect(r, path);
    Log("  screenshot " + path);
}

void Run::ShotBox(const Box& b, const std::string& what) {
    RECT r;
    if (!GetWindowRect(b.hwnd, &r)) return;
    Sleep(150);
    const std::string path = Next(what);
    ScreenshotRect(r, path);
    Log("  screenshot " + path);
}

std::unique_ptr<Process> Run::StartCommand(const std::string& commandLine, const std::string& dir) {
    Log("  start " + commandLine);
    auto p = std::make_unique<Process>(Launch{commandLine, dir.empty() ? ProgramTemp() : dir, environment_});
    Expect(p->Started(), "cannot start " + commandLine + " (error " + std::to_string(p->StartError()) + ")");
    return p;
}

std::string Run::Next(const std::string& what) {
    char num[8];
    std::snprintf(num, sizeof num, "%02d", ++shots_);
    return settings_.shots + tag_ + "-" + num + "-" + what + ".png";
}

// ---- What a window and a box must show

void ExpectTabs(const SetupWindow& w, const std::vector<std::string>& tabs, int active, const std::string& when) {
    const auto got = w.Tabs();
    Expect(got == tabs, when + ": visible tabs " + Join(got) + ", expected " + Join(tabs));
    Expect(w.ActivePage() == active, when + ": page " + std::to_string(w.ActivePage()) + " shown, expected " +
                                         std::to_string(active));
}

Box ExpectBox(DWORD pid, const std::string& caption, const std::string& text, bool icon, const std::string& when) {
    const auto box = WaitForBox(pid, kRunMs);
    Expect(box.has_value(), when + ": no message box appeared");
    ExpectEq(box->caption, caption, when + ": box caption");
    ExpectEq(box->text, text, when + ": box text");
    Expect(box->hasIcon == icon, when + ": " + Describe(*box) + (icon ? " should" : " should not") + " have an icon");
    return *box;
}

void ExpectEnds(Process& p, const std::string& when) {
    Expect(p.WaitExit(kUiMs), when + ": Setup.exe did not end");
    Log("  Setup.exe ended");
    Expect(p.ExitCode() == 0, when + ": Setup.exe ended with code " + std::to_string(p.ExitCode()));
}

void PressAndAnswerError(Run& run, Process& p, SetupWindow& w, const std::string& button, const std::string& text,
                         const std::string& shot) {
    w.Click(button);
    const Box box = ExpectBox(p.Pid(), kCaption, text, true, shot);
    run.ShotBox(box, shot);
    Answer(box, "OK");
}

void PressAndWaitPage(Run& run, SetupWindow& w, Process& p, const std::string& button, int page,
                      bool shootBusy) {
    w.Click(button);
    bool shotBusy = false, shotGauge = false;
    std::optional<Box> box;
    const bool reached = WaitUntil(
        [&] {
            if (w.ActivePage() == page) return true;
            if (!p.Running()) return true;
            const auto boxes = FindBoxes(p.Pid());
            if (!boxes.empty() && !boxes[0].text.empty()) {
                box = boxes[0];
                return true;
            }
            // The busy page as soon as it shows, and again with the gauge a good way into the big file of the
            // test packages (a quarter filled at least). The program paints during the run; no settling here.
            if (shootBusy && w.ActivePage() == kBusy) {
                if (!shotBusy) {
                    run.Shot(w, "busy", false);
                    shotBusy = true;
                } else if (!shotGauge && w.Text("LabelBusy").rfind("Decompressing Samples.lib", 0) == 0 &&
                           w.GaugeFill() >= 0.25) {
                    run.Shot(w, "busy-gauge", false);
                    shotGauge = true;
                }
            }
            return false;
        },
        kRunMs);
    if (box) throw Failure("pressing " + button + " brought " + Describe(*box));
    Expect(p.Running(), "Setup.exe ended while running " + button);
    Expect(reached, "pressing " + button + " did not lead to page " + std::to_string(page));
    if (shootBusy && !shotGauge) Log("  (no screenshot of the gauge half-way: the packages are too small)");
}

// ---- What an install leaves

void ExpectFiles(const std::string& folder, const Package& pak, const std::vector<std::string>& extra) {
    std::vector<std::string> want = extra;
    for (const auto& f : pak.files) want.push_back(f.name);
    std::sort(want.begin(), want.end());
    const auto got = FilesIn(folder);
    Expect(got == want, folder + " holds " + Join(got) + ", expected " + Join(want));
    for (const auto& f : pak.files) {
        const std::string path = WithSlash(folder) + f.name;
        Expect(ReadBytes(path) == f.data, path + " differs from the packed file");
        const uint32_t dosTime = qs::test::LocalDosTimeOf(path);
        Expect(dosTime == f.dosTime, path + " carries the time " + qs::pak::DosTimeText(dosTime) + ", not " +
                                         qs::pak::DosTimeText(f.dosTime));
    }
}

std::vector<std::string> SlotsOf(const Package& pak) {
    std::vector<std::string> names;
    for (const auto& f : pak.files) names.push_back(qs::AsciiUpper(f.name).substr(0, 12));
    return names;
}

void ExpectList(const char* sizeName, const char* listName, const Package& pak,
                const std::vector<std::string>& kept = {}) {
    std::vector<std::string> want = SlotsOf(pak);
    for (const auto& name : kept) want.push_back(qs::AsciiUpper(name));
    const auto size = ReadDword(HKEY_LOCAL_MACHINE, kRecordKey, sizeName);
    Expect(size && *size == want.size() * 13, std::string("record: ") + sizeName);
    const auto list = ReadRaw(HKEY_LOCAL_MACHINE, kRecordKey, listName);
    Expect(list && list->type == REG_BINARY && list->bytes.size() == *size, std::string("record: ") + listName);
    Expect(SlotNames(list->bytes) == want, std::string("record: ") + listName + " holds " +
                                               Join(SlotNames(list->bytes)) + ", expected " + Join(want));
}

void ExpectShellEntries(const std::string& dir) {
    ExpectEq(ReadSz(HKEY_CLASSES_ROOT, ".qst", ""), "QuillostrandProject", ".qst file type");
    ExpectEq(ReadSz(HKEY_CLASSES_ROOT, "QuillostrandProject", ""), "Quillostrand Project", "file type name");
    ExpectEq(ReadSz(HKEY_CLASSES_ROOT, "QuillostrandProject\\DefaultIcon", ""), dir + "Quilstr.exe,0", "file icon");
    ExpectEq(ReadSz(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell", ""), "Open", "default command");
    ExpectEq(ReadSz(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Open\\Command", ""),
             "\"" + dir + "Quilstr.exe\" \"%1\"", "Open command");
    ExpectEq(ReadSz(HKEY_CLASSES_ROOT, "QuillostrandProject\\Shell\\Compile\\Command", ""),
             "\"" + dir + "Quilstr.exe\" \"%1\" /C", "Compile command");
    ExpectEq(ReadSz(HKEY_LOCAL_MACHINE, kAppPathsKey, ""), dir + "Quilstr.exe", "App Paths");
    ExpectEq(ReadSz(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayName"), "Quillostrand", "uninstall entry name");
    ExpectEq(ReadSz(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + dir + "Setup.exe\"",
             "uninstall command");
}

void ExpectLinks(const Installed& in) {
    const bool chosen[3] = {in.desktop, in.startMenu, in.programs};
    const auto paths = LinkPaths();
    for (int i = 0; i < 3; ++i) {
        const auto link = ReadLink(paths[i]);
        Expect(link.has_value() == chosen[i], paths[i] + (chosen[i] ? " is missing" : " should not exist"));
        if (!link) continue;
        ExpectEq(link->target, in.dir + "Quilstr.exe", paths[i] + " target");
        ExpectEq(link->workingDir, in.dir, paths[i] + " working folder");
        ExpectEq(link->description, "Quillostrand", paths[i] + " description");
        ExpectEq(link->iconPath, in.dir + "Quilstr.exe", paths[i] + " icon file");
        Expect(link->iconIndex == 0 && link->arguments.empty() && link->hotKey == 0,
               paths[i] + ": icon index 0, no arguments, no hot key");
        Expect(link->showCmd == 0, paths[i] + ": show command " + std::to_string(link->showCmd) + ", expected 0");
    }
}

void ExpectInstalled(const Run& run, const Installed& in) {
    std::vector<std::string> extra = in.kept;
    extra.push_back("Setup.exe");
    ExpectFiles(in.dir, *in.quilstr, extra);
    Expect(ReadBytes(in.dir + "Setup.exe") == ReadBytes(run.Media() + "Setup.exe"),
           "the installed Setup.exe is not a copy of the one on the media");
    if (in.d10) ExpectFiles(in.d10Dir, *in.d10, {});
    if (in.d20) ExpectFiles(in.d20Dir, *in.d20, {});

    const auto version = ReadCounted(HKEY_LOCAL_MACHINE, kRecordKey, "Version");
    Expect(version.has_value(), "no install record (Version)");
    ExpectEq(*version, in.version, "record: Version");
    ExpectBytes(ReadCounted(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir"), AnsiBytesOf(in.dir),
                "record: InstallDir " + in.dir);
    ExpectList("InstallFilesSize", "InstallFiles", *in.quilstr, in.kept);
    if (in.d10) {
        ExpectBytes(ReadCounted(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir"), AnsiBytesOf(in.d10Dir),
                    "record: Delphi10Dir " + in.d10Dir);
        ExpectList("Delphi10FilesSize", "Delphi10Files", *in.d10);
    }
    if (in.d20) {
        ExpectBytes(ReadCounted(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi20Dir"), AnsiBytesOf(in.d20Dir),
                    "record: Delphi20Dir " + in.d20Dir);
        ExpectList("Delphi20FilesSize", "Delphi20Files", *in.d20);
    }
    ExpectShellEntries(in.dir);
}

// ---- The IDE settings a Delphi user already has

void SeedIde() {
    IniWrite("Library", "SearchPath", "C:\\TOOLS\\UNITS;C:\\DELPHI\\LIB;C:\\DELPHI\\BIN");
    IniWrite("Transfer", "Count", "1");
    IniWrite("Transfer", "Title0", "&Grep");
    IniWrite("Transfer", "Path0", "C:\\TOOLS\\GREP.EXE");
    IniWrite("Transfer", "WorkingDir0", "C:\\TOOLS\\");
    IniWrite("Transfer", "Params0", "-n");
    const auto seed = [](HKEY root, const char* key, const char* name, const std::string& value) {
        Expect(WriteSz(root, key, name, value), std::string("cannot write ") + key + "\\" + name);
    };
    seed(HKEY_LOCAL_MACHINE, kDelphi2Key, "RootDir", kDelphi2Root);
    seed(HKEY_CURRENT_USER, kTransferKey, "Count", "1");
    seed(HKEY_CURRENT_USER, kTransferKey, "Title0", "&Resource Workshop");
    seed(HKEY_CURRENT_USER, kTransferKey, "Path0", "C:\\Delphi 2.0\\BIN\\WORKSHOP.EXE");
    seed(HKEY_CURRENT_USER, kTransferKey, "WorkingDir0", "C:\\Delphi 2.0\\BIN\\");
    seed(HKEY_CURRENT_USER, kTransferKey, "Params0", "");
}

bool IniHasKey(const std::string& key) {
    const auto bytes = ReadBytes(IniPath());
    const std::string text(bytes.begin(), bytes.end());
    return text.find("\n" + key + "=") != std::string::npos || text.find("\r" + key + "=") != std::string::npos;
}

void ExpectSeededIdeWithEntry(const std::string& dir) {
    ExpectEq(IniRead("Library", "SearchPath"), "C:\\TOOLS\\UNITS;C:\\DELPHI\\LIB;C:\\DELPHI\\BIN",
             "DELPHI.INI search path (must stay)");
    ExpectEq(IniRead("Transfer", "Count"), "2", "DELPHI.INI Transfer Count");
    ExpectEq(IniRead("Transfer", "Title0"), "&Grep", "DELPHI.INI Title0 (must stay)");
    ExpectEq(IniRead("Transfer", "Title1"), "&Quillostrand", "DELPHI.INI Title1");
    const std::string shortDir = ShortPath(dir);
    ExpectEq(IniRead("Transfer", "WorkingDir1"), shortDir, "DELPHI.INI WorkingDir1 (short form)");
    ExpectEq(IniRead("Transfer", "Path1"), shortDir + "Quilstr.exe", "DELPHI.INI Path1");
    Expect(IniHasKey("Params1") && IniRead("Transfer", "Params1").empty(), "DELPHI.INI Params1 written empty");

    ExpectEq(ReadSz(HKEY_LOCAL_MACHINE, kDelphi2Key, "RootDir"), kDelphi2Root, "Delphi 2.0 RootDir (must stay)");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Count"), "2", "Delphi 2.0 Transfer Count");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Title0"), "&Resource Workshop", "Delphi 2.0 Title0");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Title1"), "&Quillostrand", "Delphi 2.0 Title1");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "WorkingDir1"), dir, "Delphi 2.0 WorkingDir1");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Path1"), dir + "Quilstr.exe", "Delphi 2.0 Path1");
    const auto params = ReadRaw(HKEY_CURRENT_USER, kTransferKey, "Params1");
    Expect(params && params->type == REG_SZ && params->bytes.size() == 1, "Delphi 2.0 Params1: an empty REG_SZ");
}

void ExpectSeededIdeWithoutEntry() {
    ExpectEq(IniRead("Transfer", "Count"), "1", "DELPHI.INI Transfer Count after the uninstall");
    ExpectEq(IniRead("Transfer", "Title0"), "&Grep", "DELPHI.INI Title0 after the uninstall");
    ExpectEq(IniRead("Library", "SearchPath"), "C:\\TOOLS\\UNITS;C:\\DELPHI\\LIB;C:\\DELPHI\\BIN",
             "DELPHI.INI search path after the uninstall");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Count"), "1", "Delphi 2.0 Transfer Count after the uninstall");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Title0"), "&Resource Workshop", "Delphi 2.0 Title0 kept");
    Expect(!ReadRaw(HKEY_CURRENT_USER, kTransferKey, "Title1"), "Delphi 2.0 Title1 should be deleted");
    Expect(!ReadRaw(HKEY_CURRENT_USER, kTransferKey, "Path1"), "Delphi 2.0 Path1 should be deleted");
}

std::string DefaultInstallDir() {
    std::string pf =
        ReadSz(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir").value_or("");
    if (pf.empty()) pf = "C:\\Program Files";
    return WithSlash(pf) + "Quillostrand";
}

void Clean() { CleanMachine({kInstallRoot, kDelphi1Root, kDelphi2Root, DefaultInstallDir()}); }

// ---- The packages of a scenario, made once per process

Installed VersionOneWithBothEditors(const Paks& paks, const std::string& d10Dir, const std::string& d20Dir) {
    Installed in;
    in.dir = kInstallDir + "\\";
    in.version = "1.0";
    in.quilstr = &paks.q10;
    in.d10 = &paks.d10;
    in.d10Dir = d10Dir;
    in.d20 = &paks.d20;
    in.d20Dir = d20Dir;
    return in;
}

const Paks& TestPaks(const Sources& src) {
    static Paks p = [&] {
        const DWORD t0 = GetTickCount();
        Paks made{MakeQuilstrPak(src, "1.0"), MakeQuilstrPak(src, "2.0"), MakeDelphiPak(src, 10),
                  MakeDelphiPak(src, 20)};
        Log("  packages made in " + std::to_string(GetTickCount() - t0) + " ms");
        return made;
    }();
    return p;
}

Images AllThree(const Paks& p, const Package& main) {
    return {{"Quilstr.pak", main.image}, {"Delphi10.pak", p.d10.image}, {"Delphi20.pak", p.d20.image}};
}

Package LoadPackage(const std::string& path, const std::string& name) {
    Package p;
    p.fileName = name;
    p.image = ReadBytes(path);
    try {
        const auto info = qs::pak::ParsePackage(p.image, name);
        for (const auto& e : info.entries) p.files.push_back({e.name, qs::pak::UnpackEntry(p.image, e), e.dosTime});
    } catch (const std::exception& e) {
        throw Failure(std::string("cannot read ") + path + ": " + e.what());
    }
    return p;
}

void CheckEverythingInstalled(const Run& run, const Installed& in) {
    ExpectInstalled(run, in);
    ExpectSeededIdeWithEntry(in.dir);
    ExpectLinks(in);
    // The 64-bit build writes where the 32-bit one does: the 32-bit registry view, nothing in the 64-bit one.
    // (App Paths is one key that both views share.)
    if (qs::kIs64BitBuild)
        for (const char* key : {kRecordKey, kUninstallKey})
            Expect(KeyExistsInView(HKEY_LOCAL_MACHINE, key, KEY_WOW64_32KEY) &&
                       !KeyExistsInView(HKEY_LOCAL_MACHINE, key, KEY_WOW64_64KEY),
                   std::string("HKEY_LOCAL_MACHINE\\") + key + " is not in the 32-bit registry view alone");
}

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

void UninstallFromInstalledCopy(Run& run, const Installed& in, bool shots) {
    const std::string command = ReadSz(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString").value_or("");
    ExpectEq(command, "\"" + in.dir + "Setup.exe\"", "uninstall command");
    auto p = run.StartCommand(command);
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Uninstall"}, kUninstall, "installed copy started alone");
    ExpectEq(w.Text("EditInstallDir"), in.dir, "recorded install folder");
    if (shots) run.Shot(w, "uninstall");

    w.Click("UninstallBtn");
    const Box confirm = ExpectBox(p->Pid(), "(You must have accidentically pressed that button...)",
                                  "Are you absolutely sure you wish to uninstall Quillostrand?", true, "confirmation");
    Expect(confirm.buttonIds == std::vector<int>({IDYES, IDNO}), "confirmation buttons: " + Describe(confirm));
    if (shots) run.ShotBox(confirm, "confirm");
    Answer(confirm, "&Yes");

    Expect(p->WaitExit(kRunMs), "Setup.exe did not end after the uninstall");
    const auto box = WaitForBox(0, kRunMs);
    Expect(box.has_value(), "no closing message after Setup.exe ended");
    ExpectEq(box->caption, "Uninstall complete", "closing message caption");
    ExpectEq(box->text, kDoneText, "closing message");
    Expect(!box->hasIcon, "the closing message has no icon");
    Expect(box->pid != p->Pid(), "the closing message must come from the helper, not from Setup.exe");
    HANDLE helper = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, FALSE, box->pid);
    Expect(helper != nullptr, "cannot open the process of the closing message");
    ExpectEq(qs::AsciiUpper(qs::test::utf8::ImagePath(box->pid)), qs::AsciiUpper(run.ProgramTemp() + "DeleteMe.exe"),
             "the process showing the closing message");
    // By the time it speaks, the helper has removed the running copy and its folder.
    Expect(!Exists(in.dir + "Setup.exe"), "the installed Setup.exe is still there");
    Expect(!IsFolder(in.dir), "the install folder is still there");
    if (shots) run.ShotBox(*box, "deleteme");
    Answer(*box, "OK");
    Expect(WaitForSingleObject(helper, kUiMs) == WAIT_OBJECT_0, "DeleteMe did not end after its message");
    CloseHandle(helper);
}

}  // namespace e2e
