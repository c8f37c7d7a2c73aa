// The code-page scenarios: Setup.exe under the ANSI code pages 1252, 1250 and 932 with names each can or cannot
// hold. The code page is the process's own, from LANG: each runs in a driver started under the LANG that gives it
// (its CTest test sets it), and Setup.exe inherits it.
#include <algorithm>
#include <optional>

#include "Scenarios.h"
#include "Steps.h"
#include "base/WideText.h"
#include "setup/SetupPages.h"

namespace e2e {
namespace {

// "Shell Folders" is what the program reads; "User Shell Folders" is where the system keeps them: Wine writes each
// of those over its "Shell Folders" value whenever a program asks the shell for that folder.
const char* const kShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\Shell Folders";
const char* const kUserShellFoldersKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Explorer\\User Shell Folders";

// A folder with Polish marks: code page 1250 holds every one of them, 1252 only "ó".
const std::string kPolishRoot = "C:\\Narzędzia Łódź";
const std::string kPolishDelphi = kPolishRoot + "\\Delphi";
const std::string kPolishInstall = "C:\\Program Files\\Narzędzia Łódź";
// The same in code page 1250, byte by byte ("ę" EA, "Ł" A3, "ó" F3, "ź" 9F): what the install record must hold.
const std::string kPolishRoot1250 = "C:\\Narz\xEA" "dzia \xA3\xF3" "d\x9F";
const std::string kPolishInstall1250 = "C:\\Program Files\\Narz\xEA" "dzia \xA3\xF3" "d\x9F";

// A folder whose cp932 bytes hold 0x5C, the backslash, as the second byte of "ソ" (83 5C); "フ" 83 74, "ト" 83 67.
const std::string kJapaneseRoot = "C:\\ソフト";
const std::string kJapaneseRoot932 = "C:\\\x83\x5C\x83\x74\x83\x67";

// What an -A call makes of text in this process's code page: the look-alike ("Ł" -> "L") of the folder the program
// must never have written to.
std::string LookAlike(const std::string& text) {
    const std::wstring wide = qs::Widen(text);
    char ansi[1024];
    const int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
    wchar_t back[1024];
    Expect(n > 0 && MultiByteToWideChar(CP_ACP, 0, ansi, -1, back, 1024) > 0, "no ANSI form of " + text);
    return qs::Narrow(back);
}

// ---- The code page

// This driver runs under the code page, and Wine can name files outside ASCII here: it needs a Unix locale that
// glibc has for the LANG (scripts/bootstrap generates them), else every such name fails.
void ExpectDriverCodePage(unsigned codePage) {
    const std::string locale = "; or the Unix locale of this LANG is missing: scripts/bootstrap generates it";
    Expect(GetACP() == codePage, "the driver runs with the ANSI code page " + std::to_string(GetACP()) + ", not " +
                                     std::to_string(codePage) + ": the LANG its CTest test sets did not reach it" +
                                     locale);
    const std::string parent = TempDir() + "qs-e2e-probe\\", name = "Łódź-Москва-ソフト";
    RemoveTree(parent);
    MakeFolders(parent);
    const bool made = CreateDirectoryW(qs::Widen(parent + name).c_str(), nullptr) != FALSE;
    const DWORD error = made ? 0 : GetLastError();
    const bool listed = TreeBelow(parent) == std::vector<std::string>{name + "\\"};
    RemoveTree(parent);
    Expect(made && listed, "Wine cannot name a file " + name + " here (error " + std::to_string(error) + ")" + locale);
}

// The started Setup.exe runs with the code page too (asked inside it once it waits for input).
void ExpectProgramCodePage(const Process& p, unsigned codePage) {
    WaitForInputIdle(p.Handle(), kStartMs);
    const auto acp = qs::test::utf8::AnsiCodePageOf(p.Handle());
    Expect(acp.has_value(), "cannot ask Setup.exe for its ANSI code page");
    Expect(*acp == codePage, "Setup.exe runs with the ANSI code page " + std::to_string(*acp) + ", not " +
                                 std::to_string(codePage));
    Log("  Setup.exe runs with the ANSI code page " + std::to_string(*acp));
}

// ---- Refusals

std::string PageName(int page) {
    return page >= 0 && size_t(page) < qs::kPageCount ? qs::setup_pages::kPages[page].caption : "none";
}

// Presses "Install now" expecting the program to refuse folder, a folder the code page cannot hold, by name: its
// box (caption, icon, the whole folder as typed, OK) before anything is written, and the window open afterwards on
// the Install page, where it was. None of notMade may exist then, nor the record or any shell entry.
void ExpectFolderRefused(Run& run, SetupWindow& w, Process& p, const std::string& folder,
                         const std::vector<std::string>& notMade, const std::string& what) {
    w.Click("NowBtn2");
    std::optional<Box> box;
    int pageAtBox = -1;
    WaitUntil(
        [&] {
            if (!p.Running() || w.ActivePage() == kFinished) return true;
            const auto boxes = FindBoxes(p.Pid());
            if (!boxes.empty() && !boxes[0].text.empty() && !boxes[0].buttons.empty()) {
                box = boxes[0];
                pageAtBox = w.ActivePage();
                return true;
            }
            return false;
        },
        kRunMs);
    Expect(p.Running(), what + ": Setup.exe ended instead of refusing " + folder);
    const auto made = [&] {
        std::string found;
        for (const auto& f : notMade)
            if (Exists(f)) found += " " + f + ";";
        return found;
    };
    Expect(box.has_value(), what + ": " + folder + " was not refused: the run reached the page " +
                                PageName(w.ActivePage()) + (made().empty() ? "" : ", and made" + made()));
    run.ShotBox(*box, "refused");
    Expect(pageAtBox != kBusy, what + ": the run had begun when " + Describe(*box) + " came");
    ExpectEq(box->caption, kCaption, what + ": box caption");
    Expect(box->hasIcon, what + ": " + Describe(*box) + " has no icon");
    Expect(box->text.find(folder) != std::string::npos, what + ": " + Describe(*box) + " does not name " + folder);
    Expect(box->buttonIds == std::vector<int>{IDOK}, what + ": only OK: " + Describe(*box));
    Log("  refused: " + Describe(*box));
    Answer(*box, "OK");
    Expect(p.Running(), what + ": Setup.exe ended after the refusal");
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kInstall, what + ": after the refusal");
    Expect(made().empty(), what + ": the refusal made" + made());
    const std::string traces = InstallTraces();  // the record among them
    Expect(traces.empty(), what + ": the refusal wrote:" + traces);
}

// Under 1252, an install folder and a Delphi folder with Polish marks: each refused by name, nothing written.
void RefuseFoldersOutsideCodePage(Run& run, const Paks& paks) {
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    auto p = run.StartFromMedia();
    ExpectProgramCodePage(*p, 1252);
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kPolishInstall);
    ExpectEq(w.Text("EditInstallDir"), kPolishInstall, "the install folder as typed");
    run.Shot(w, "install-polish");
    ExpectFolderRefused(run, w, *p, kPolishInstall, {kPolishInstall, LookAlike(kPolishInstall)}, "install folder");

    w.SetEditText("EditInstallDir", kInstallDir);
    w.SelectTab("Delphi");
    w.SetChecked("CheckDelphi10", true);
    w.SetEditText("EditDelphi10", kPolishDelphi);
    ExpectEq(w.Text("EditDelphi10"), kPolishDelphi, "the Delphi 1.0 folder as typed");
    w.SelectTab("Install");
    ExpectFolderRefused(run, w, *p, kPolishDelphi, {kInstallRoot, kPolishRoot, LookAlike(kPolishRoot)},
                        "Delphi 1.0 folder");
    w.Click("CancelBtn3");
    ExpectEnds(*p, "No, I don't need great help files");
}

// ---- Folders of the user's outside the code page

// Points the shell folders named at new folders (made here) for a scenario; the old values come back at its end.
class ShellFoldersSwap {
public:
    explicit ShellFoldersSwap(const std::vector<std::pair<std::string, std::string>>& folders) {
        for (const auto& [name, folder] : folders) {
            MakeFolders(folder);
            for (const char* key : {kUserShellFoldersKey, kShellFoldersKey}) {
                saved_.push_back({key, name, qs::test::utf8::ReadStored(HKEY_CURRENT_USER, key, name)});
                Expect(WriteSz(HKEY_CURRENT_USER, key, name, folder), "cannot set the shell folder " + name);
            }
        }
    }
    ~ShellFoldersSwap() {
        for (const auto& s : saved_) {
            if (s.value) qs::test::utf8::WriteStored(HKEY_CURRENT_USER, s.key, s.name, *s.value);
            else qs::test::DeleteValue(HKEY_CURRENT_USER, s.key, s.name);
        }
    }
    ShellFoldersSwap(const ShellFoldersSwap&) = delete;
    ShellFoldersSwap& operator=(const ShellFoldersSwap&) = delete;

private:
    struct Saved {
        const char* key;
        std::string name;
        std::optional<RawValue> value;
    };
    std::vector<Saved> saved_;
};

// DELPHI.INI's lines (bytes between CR LFs), and the file made of them again.
std::vector<std::string> IniLines() {
    // Our own profile calls cache the file: flushed, so that what is read and written here is the file itself.
    WritePrivateProfileStringW(nullptr, nullptr, nullptr, L"DELPHI.INI");
    const auto bytes = ReadBytes(IniPath());
    const std::string text(bytes.begin(), bytes.end());
    std::vector<std::string> lines;
    for (size_t at = 0; at < text.size();) {
        const size_t end = std::min(text.find("\r\n", at), text.size());
        lines.push_back(text.substr(at, end - at));
        at = end + 2;
    }
    return lines;
}

void WriteIniLines(const std::vector<std::string>& lines) {
    std::string text;
    for (const auto& l : lines) text += l + "\r\n";
    WriteBytes(IniPath(), std::vector<uint8_t>(text.begin(), text.end()));
}

// The lines of a section, without its head; empty when there is none.
std::vector<std::string> IniSection(const std::vector<std::string>& lines, const std::string& section) {
    std::vector<std::string> out;
    bool in = false;
    for (const auto& l : lines) {
        if (!l.empty() && l[0] == '[') in = l == "[" + section + "]";
        else if (in && !l.empty()) out.push_back(l);
    }
    return out;
}

bool Holds(const std::vector<std::string>& lines, const std::string& line) {
    return std::find(lines.begin(), lines.end(), line) != lines.end();
}

// The user's own lines in DELPHI.INI, in code page 1252 ("ü" FC, "é" E9, "€" 80): a section the program never
// reads, and a tool entry of the user's after the application's, which the uninstall moves into its place.
const std::vector<std::string> kUserSection = {"[B\xFCro]", "Caf\xE9=1", "Preis=\x80 12,50"};
const std::string kUserToolTitle = "&\xDC" "bersetzer \x80";
const std::string kUserToolPath = "C:\\TOOLS\\\xDC" "BERS.EXE";
const std::string kUserToolParams = "/\xFC";
// The same tool in the Delphi 2.0 registry entry, with characters no ANSI code page holds together.
const std::string kUserToolTitleWide = "&Übersetzer Łódź 翻訳";

void ExpectUserSectionKept(const std::string& when) {
    const auto lines = IniLines();
    const auto at = std::search(lines.begin(), lines.end(), kUserSection.begin(), kUserSection.end());
    if (at != lines.end()) return;
    std::string found;
    for (const auto& l : IniSection(lines, "B\xFCro")) found += " [" + Hex(l) + "]";
    throw Failure(when + ": the user's DELPHI.INI section [Büro] lost its bytes; it holds" +
                  (found.empty() ? " nothing (or its head changed)" : found));
}

// The user's tool as Transfer entry n, after the application's one: in DELPHI.INI (Count one more) and in the
// Delphi 2.0 registry entry.
void AddUserTool(int n) {
    auto lines = IniLines();
    const auto head = std::find(lines.begin(), lines.end(), "[Transfer]");
    Expect(head != lines.end(), "DELPHI.INI has no [Transfer] section");
    auto end = std::find_if(head + 1, lines.end(), [](const std::string& l) { return !l.empty() && l[0] == '['; });
    while (end > head + 1 && (end - 1)->empty()) --end;
    const std::string k = std::to_string(n);
    std::replace(head, end, "Count=" + k, "Count=" + std::to_string(n + 1));
    lines.insert(end, {"Title" + k + "=" + kUserToolTitle, "Path" + k + "=" + kUserToolPath,
                       "WorkingDir" + k + "=C:\\TOOLS\\", "Params" + k + "=" + kUserToolParams});
    WriteIniLines(lines);
    ExpectEq(IniRead("Transfer", "Count"), std::to_string(n + 1), "DELPHI.INI Count with the user's tool");

    const auto set = [&](const std::string& name, const std::string& value) {
        Expect(WriteSz(HKEY_CURRENT_USER, kTransferKey, name, value), "cannot write the Delphi 2.0 entry " + name);
    };
    set("Title" + k, kUserToolTitleWide);
    set("Path" + k, "C:\\TOOLS\\ÜBERS.EXE");
    set("WorkingDir" + k, "C:\\TOOLS\\");
    set("Params" + k, "/ü");
    set("Count", std::to_string(n + 1));
}

// After the uninstall the user's tool is entry n, its bytes as they were, and Count says so.
void ExpectUserToolMovedTo(int n) {
    const std::string k = std::to_string(n);
    const auto transfer = IniSection(IniLines(), "Transfer");
    Expect(Holds(transfer, "Count=" + std::to_string(n + 1)), "DELPHI.INI Count after the uninstall");
    for (const auto& line : {"Title" + k + "=" + kUserToolTitle, "Path" + k + "=" + kUserToolPath,
                             "Params" + k + "=" + kUserToolParams, "WorkingDir" + k + "=C:\\TOOLS\\"}) {
        if (Holds(transfer, line)) continue;
        std::string found;
        for (const auto& l : transfer) found += "\n      " + Hex(l);
        throw Failure("DELPHI.INI after the uninstall lacks the line " + Hex(line) + "; its Transfer section:" + found);
    }
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Count"), std::to_string(n + 1),
             "Delphi 2.0 Count after the uninstall");
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Title" + k), kUserToolTitleWide, "Delphi 2.0 Title" + k);
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Path" + k), "C:\\TOOLS\\ÜBERS.EXE", "Delphi 2.0 Path" + k);
    ExpectEq(ReadSz(HKEY_CURRENT_USER, kTransferKey, "Params" + k), "/ü", "Delphi 2.0 Params" + k);
    Expect(!ReadRaw(HKEY_CURRENT_USER, kTransferKey, "Title" + std::to_string(n + 1)),
           "Delphi 2.0 Title" + std::to_string(n + 1) + " should be deleted");
}

// Under 1252: media, shell folders and the temporary folder named with characters the code page lacks; the
// user's DELPHI.INI lines in the code page's bytes. Install with everything, uninstall from the installed copy.
void InstallFromUserFolders(Run& run, const Paks& paks) {
    const std::string user = "C:\\users\\Łukasz\\";
    const std::string temp = user + "Временные файлы\\";
    const std::string desktop = user + "Pulpit";
    // What an -A call makes of the user's folder, "C:\users\Lukasz\": a look-alike of the Desktop waits there.
    const std::string lookAlike = LookAlike(user);
    const std::string lookAlikeDesktop = LookAlike(desktop);
    Expect(lookAlike != user && lookAlike.find('?') == std::string::npos,
           "no look-alike of " + user + " in code page 1252: " + lookAlike);
    const std::vector<std::pair<std::string, std::string>> shellFolders = {
        {"Desktop", desktop}, {"Start Menu", user + "「开始」菜单"}, {"Programs", user + "Главное меню\\Программы"}};
    const ShellFoldersSwap swap(shellFolders);
    MakeFolders(lookAlikeDesktop);
    MakeFolders(temp);
    const std::vector<std::string> lookAlikeTree = TreeBelow(lookAlike);

    SeedIde();
    auto lines = IniLines();
    lines.push_back("");
    lines.insert(lines.end(), kUserSection.begin(), kUserSection.end());
    WriteIniLines(lines);
    ExpectUserSectionKept("DELPHI.INI as seeded");

    run.SetMedia(user + "Downloads");
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    run.SetEnvironment({{"TEMP", temp}, {"TMP", temp}});
    auto p = run.StartFromMedia();
    ExpectProgramCodePage(*p, 1252);
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Welcome", "Delphi", "Install"}, kWelcome, "fresh install from " + run.Media());
    w.SelectTab("Delphi");
    Expect(w.Checked("CheckDelphi10") && w.Checked("CheckDelphi20"), "both Delphi versions found: their boxes ticked");
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", kInstallDir);
    w.SetChecked("CheckStartMenu", true);
    run.Shot(w, "install");
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    run.Shot(w, "finished");
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");

    Installed in = VersionOneWithBothEditors(paks, kDelphi1Lib, kDelphi2Lib);
    in.startMenu = true;
    // The shortcuts are looked for where the shell folders still point: nothing set them back meanwhile.
    for (const auto& [name, folder] : shellFolders)
        ExpectEq(ShellFolder(name), folder + "\\", "the shell folder " + name + " after the install");
    CheckEverythingInstalled(run, in);
    for (const auto& l : LinkPaths()) Log("  shortcut " + l);
    Expect(TreeBelow(lookAlike) == lookAlikeTree,
           "the look-alike " + lookAlike + " now holds " + Join(TreeBelow(lookAlike)));
    ExpectUserSectionKept("after the install");

    AddUserTool(2);
    UninstallFromInstalledCopy(run, in, true);
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    Expect(Exists(temp + "DeleteMe.exe"), "DeleteMe.exe stays in the temporary folder " + temp);
    Expect(TreeBelow(lookAlike) == lookAlikeTree,
           "after the uninstall the look-alike " + lookAlike + " holds " + Join(TreeBelow(lookAlike)));
    ExpectUserSectionKept("after the uninstall");
    ExpectUserToolMovedTo(1);
}

void Under1252(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    RefuseFoldersOutsideCodePage(run, paks);
    Clean();
    InstallFromUserFolders(run, paks);
}

// ---- Folders the code page holds, with bytes that trip byte-wise path handling

// Installs 1.0 under the code page into dir with the Delphi 1.0 editor in d10, both typed as a user types them,
// and checks the install, with the record holding the folders in the code page's bytes (dirBytes, d10Bytes).
Installed InstallTyped(Run& run, unsigned codePage, const std::string& dir, const std::string& d10,
                       const std::string& dirBytes, const std::string& d10Bytes) {
    const Paks& paks = TestPaks(run.Src());
    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q10));
    auto p = run.StartFromMedia();
    ExpectProgramCodePage(*p, codePage);
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    w.SelectTab("Delphi");
    w.SetChecked("CheckDelphi10", true);
    w.SetEditText("EditDelphi10", d10);
    w.SelectTab("Install");
    w.SetEditText("EditInstallDir", dir);
    ExpectEq(w.Text("EditInstallDir"), dir, "the install folder as typed");
    run.Shot(w, "install");
    PressAndWaitPage(run, w, *p, "NowBtn2", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");

    Installed in;
    in.dir = dir + "\\";
    in.version = "1.0";
    in.quilstr = &paks.q10;
    in.d10 = &paks.d10;
    in.d10Dir = d10;
    ExpectInstalled(run, in);
    const std::string cp = " in code page " + std::to_string(codePage);
    ExpectBytes(ReadCounted(HKEY_LOCAL_MACHINE, kRecordKey, "InstallDir"), dirBytes, "record: InstallDir" + cp);
    ExpectBytes(ReadCounted(HKEY_LOCAL_MACHINE, kRecordKey, "Delphi10Dir"), d10Bytes, "record: Delphi10Dir" + cp);
    ExpectLinks(in);
    return in;
}

// Under 1250 the Polish folders install: the record holds their cp1250 bytes; the uninstall removes them.
void Under1250(Run& run) {
    const Installed in = InstallTyped(run, 1250, kPolishInstall, kPolishDelphi, kPolishInstall1250 + "\\",
                                      kPolishRoot1250 + "\\Delphi");
    const std::string shortDir = ShortPath(in.dir);
    ExpectEq(IniRead("Transfer", "Count"), "1", "DELPHI.INI Transfer Count");
    ExpectEq(IniRead("Transfer", "Path0"), shortDir + "Quilstr.exe", "DELPHI.INI Path0 (short form)");

    UninstallFromInstalledCopy(run, in, true);
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    Expect(!IsFolder(kPolishDelphi) && IsFolder(kPolishRoot), "the Delphi 1.0 folder removed, its parent kept");
    Expect(IsFolder("C:\\Program Files"), "the folder above the install folder stays");
    ExpectEq(IniRead("Transfer", "Count"), "0", "DELPHI.INI Transfer Count after the uninstall");
}

// Under 932 a folder whose bytes hold 0x5C inside a character installs, is found and updated, and goes whole.
void Under932(Run& run) {
    const Paks& paks = TestPaks(run.Src());
    const std::string d10 = kJapaneseRoot + "\\Delphi";
    Installed in = InstallTyped(run, 932, kJapaneseRoot + "\\Quillostrand", d10,
                                kJapaneseRoot932 + "\\Quillostrand\\", kJapaneseRoot932 + "\\Delphi");

    LayOutMedia(run.Media(), run.Src(), AllThree(paks, paks.q20));
    auto p = run.StartFromMedia();
    SetupWindow w = SetupWindow::Attach(*p, kStartMs);
    ExpectTabs(w, {"Delphi", "Update", "Uninstall"}, kUpdate, "the installed version found");
    ExpectEq(w.Text("LabelOldVersion"), "1.0", "installed version shown");
    w.SelectTab("Delphi");
    ExpectEq(w.Text("EditDelphi10"), d10, "recorded Delphi 1.0 folder");
    w.SelectTab("Update");
    run.Shot(w, "update");
    PressAndWaitPage(run, w, *p, "UpdateBtn", kFinished, false);
    w.Click("QuitBtn");
    ExpectEnds(*p, "Quit Setup");
    in.version = "2.0";
    in.quilstr = &paks.q20;
    in.kept = {"Sample.qst"};
    ExpectInstalled(run, in);
    ExpectLinks(in);

    UninstallFromInstalledCopy(run, in, true);
    const std::string traces = InstallTraces();
    Expect(traces.empty(), "left after the uninstall:" + traces);
    Expect(!IsFolder(d10) && IsFolder(kJapaneseRoot), "the Delphi 1.0 folder removed, its parent kept");
}

// Everything the scenarios make besides an install (the user's folders and their look-alikes) goes before and
// after, also when the scenario fails.
void UnderCodePage(Run& run, unsigned codePage, void (*body)(Run&)) {
    ExpectDriverCodePage(codePage);
    const std::vector<std::string> folders = {"C:\\users\\Łukasz", LookAlike("C:\\users\\Łukasz"), kPolishRoot,
                                              LookAlike(kPolishRoot), kPolishInstall, LookAlike(kPolishInstall),
                                              kJapaneseRoot};
    struct Cleanup {
        const std::vector<std::string>& folders;
        ~Cleanup() {
            for (const auto& f : folders) RemoveTree(f);
        }
    } cleanup{folders};
    for (const auto& f : folders) RemoveTree(f);
    body(run);
}

}  // namespace

void CodePage1252(Run& run) { UnderCodePage(run, 1252, Under1252); }
void CodePage1250(Run& run) { UnderCodePage(run, 1250, Under1250); }
void CodePage932(Run& run) { UnderCodePage(run, 932, Under932); }

}  // namespace e2e
