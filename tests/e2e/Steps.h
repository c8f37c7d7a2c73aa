// The steps and checks the scenarios share: a run's media, started programs and screenshots; what the window and
// its message boxes must show; what an install leaves on the machine; the IDE settings a Delphi user already has;
// the packages; the uninstall from the installed copy. Each throws Failure on the first unmet expectation.
#pragma once
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "Driver.h"
#include "Machine.h"
#include "Media.h"
#include "Scenarios.h"

namespace e2e {

// Page numbers in tab order, as the page tables have them.
enum { kWelcome, kDelphi, kInstall, kUpdate, kUninstall, kBusy, kFinished };

inline const std::string kCaption = "Quillostrand Setup";
inline const std::string kInstallRoot = "C:\\Quill Test";
inline const std::string kInstallDir = "C:\\Quill Test\\Quillostrand Help";  // as typed: blanks, no final "\"
inline const std::string kDelphi1Root = "C:\\DELPHI";
inline const std::string kDelphi1Lib = "C:\\DELPHI\\LIB";
inline const std::string kDelphi2Root = "C:\\Delphi 2.0";
inline const std::string kDelphi2Lib = "C:\\Delphi 2.0\\LIB";
inline const std::string kDoneText = "Quillostrand has been successfully uninstalled.";

constexpr DWORD kStartMs = 30000;  // Setup.exe up and showing its window
constexpr DWORD kRunMs = 120000;   // an install, update or uninstall run
constexpr DWORD kUiMs = 10000;     // the window reacting to one click

std::string Join(const std::vector<std::string>& v);  // "[a, b]"
std::string Hex(const std::string& bytes);            // "43 61 66 E9"
// Equal bytes (a text in the ANSI code page), or a Failure showing both in hex.
void ExpectBytes(const std::optional<std::string>& got, const std::string& want, const std::string& what);
std::string ShortPath(const std::string& path);       // the 8.3 form; Failure when there is none
std::string KB(long long bytes);                      // "1234 kB", as the window shows sizes
long long FileSize(const std::string& path);

// One scenario's run: where its media lie, its screenshots, and the checks it shares with the others.
class Run {
public:
    Run(const Settings& s, const std::string& tag) : settings_(s), tag_(tag) {
        media_ = TempDir() + "qs-e2e-media\\";
    }

    const Sources& Src() const { return settings_.src; }
    const std::string& Media() const { return media_; }
    void SetMedia(const std::string& m) { media_ = WithSlash(m); }
    // Variables set for every program the run starts from now on (name, value; TEMP and TMP, say).
    void SetEnvironment(std::vector<std::pair<std::string, std::string>> env) { environment_ = std::move(env); }
    // The temporary folder of the programs the run starts (with "\"): where they start, and where Setup.exe
    // puts DeleteMe.exe.
    std::string ProgramTemp() const;

    void Shot(const SetupWindow& w, const std::string& what, bool settle = true);
    void ShotRect(const RECT& r, const std::string& what);
    void ShotBox(const Box& b, const std::string& what);

    std::unique_ptr<Process> Start(const std::string& exe, const std::string& dir = "") {
        return StartCommand(qs::test::Quote(exe), dir);
    }
    // A command line taken as it stands, as the shell runs a command it finds in the registry; dir empty: the
    // programs' temporary folder.
    std::unique_ptr<Process> StartCommand(const std::string& commandLine, const std::string& dir = "");
    std::unique_ptr<Process> StartFromMedia() { return Start(media_ + "Setup.exe"); }

private:
    std::string Next(const std::string& what);
    const Settings& settings_;
    std::string tag_;
    std::string media_;
    std::vector<std::pair<std::string, std::string>> environment_;
    int shots_ = 0;
};

// ---- What a window and a box must show

void ExpectTabs(const SetupWindow& w, const std::vector<std::string>& tabs, int active, const std::string& when);
Box ExpectBox(DWORD pid, const std::string& caption, const std::string& text, bool icon, const std::string& when);
void ExpectEnds(Process& p, const std::string& when);
// Presses button, expects the window's error report (caption "Quillostrand Setup", stop icon) with text, shoots it
// as shot and answers OK.
void PressAndAnswerError(Run& run, Process& p, SetupWindow& w, const std::string& button, const std::string& text,
                         const std::string& shot);
// Presses a run's button and waits for its last page, failing with the text of any message box that comes.
void PressAndWaitPage(Run& run, SetupWindow& w, Process& p, const std::string& button, int page, bool shootBusy);

// ---- What an install leaves

struct Installed {
    std::string dir;  // with "\"
    std::string version;
    const Package* quilstr = nullptr;
    const Package* d10 = nullptr;  // null when not chosen
    std::string d10Dir;            // as the edit box held it
    const Package* d20 = nullptr;
    std::string d20Dir;
    bool desktop = true, startMenu = false, programs = true;
    std::vector<std::string> kept;  // files of an earlier version an update left in dir, listed in the record too
};

// The folder holds the package's files (with their bytes and times) and the extra names, nothing else.
void ExpectFiles(const std::string& folder, const Package& pak, const std::vector<std::string>& extra);
void ExpectShellEntries(const std::string& dir);
// The chosen shortcuts in the three shell folders, pointing at the install; the others missing.
void ExpectLinks(const Installed& in);
// Files, the install record (its texts in the ANSI code page's bytes) and the shell entries.
void ExpectInstalled(const Run& run, const Installed& in);
// ExpectInstalled, the IDE settings of SeedIde with the application's entry, the shortcuts and the registry view.
void CheckEverythingInstalled(const Run& run, const Installed& in);
// Starts from the media, checks the fresh-install pages, chooses a folder with blanks, both Delphi packages and
// all three shortcuts, installs, checks the Finished page and quits.
Installed InstallEverything(Run& run, const Package& q, const Package& d10, const Package& d20, bool shots);
// Nothing of the install is left but the folders above it, the user's IDE settings and DeleteMe.exe.
void CheckEverythingRemoved(const Installed& in);

// ---- The IDE settings a Delphi user already has

// A DELPHI.INI that finds Delphi 1.0 in kDelphi1Lib and a Delphi 2.0 registry entry in kDelphi2Root, each with
// one tool entry of the user's.
void SeedIde();
// The INI line "key=" exists (GetPrivateProfileString cannot tell an empty value from a missing key).
bool IniHasKey(const std::string& key);
void ExpectSeededIdeWithEntry(const std::string& dir);
void ExpectSeededIdeWithoutEntry();

// The default install folder is the prefix's own: "C:\Program Files (x86)\Quillostrand" in the 64-bit one.
std::string DefaultInstallDir();
void Clean();  // CleanMachine with the folders the scenarios install into

// ---- The packages of a scenario, made once per process

struct Paks {
    Package q10, q20, d10, d20;
};
const Paks& TestPaks(const Sources& src);
// Version 1.0 installed into kInstallDir with both Delphi editors in the given folders, default shortcuts.
Installed VersionOneWithBothEditors(const Paks& paks, const std::string& d10Dir, const std::string& d20Dir);

using Images = std::vector<std::pair<std::string, std::vector<uint8_t>>>;
Images AllThree(const Paks& p, const Package& main);
// A package read back from a media folder, so that the demo's packages can be checked like the test ones.
Package LoadPackage(const std::string& path, const std::string& name);

// ---- The uninstall

// Starts the installed copy through the uninstall entry's command and removes everything with it; the closing
// message must come from DeleteMe, started from the programs' temporary folder, once Setup.exe has ended.
void UninstallFromInstalledCopy(Run& run, const Installed& in, bool shots);

}  // namespace e2e
