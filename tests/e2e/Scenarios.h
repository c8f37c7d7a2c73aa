// The end-to-end scenarios: each starts from a clean machine, uses Setup.exe through its window and checks what
// the window showed and what the machine holds afterwards. ScenarioList.cpp names every one; CMake makes a test
// of each row it finds there.
#pragma once
#include <stdexcept>
#include <string>
#include <vector>

#include "Media.h"

namespace e2e {

class Run;

struct Settings {
    Sources src;
    std::string shots;  // folder for the screenshots (DOS path, with "\")
};

// A scenario this build cannot run (what it needs was not built); reported as skipped, never as passed.
class Skipped : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// How CTest starts a scenario besides its name: under the LANG that gives its ANSI code page (Wine takes the
// code page from it), or inside tests/e2e/with-test-drives, which mounts real drives of chosen sizes.
enum class Wrapper { None, TestDrives };

struct Scenario {
    const char* name;  // the CTest test is e2e_<name>
    const char* title;
    void (*run)(Run&);  // throws Failure on the first unmet expectation, Skipped when the host cannot run it
    const char* lang = nullptr;
    Wrapper wrapper = Wrapper::None;
};

// Every scenario, in the order --all runs them.
const std::vector<Scenario>& AllScenarios();
const Scenario* FindScenario(const std::string& name);
// Runs one on a clean machine with the media folder of its own, and cleans up after it.
void RunScenario(const Scenario& scenario, const Settings& settings);

// The scenarios, by theme (PackageScenarios.cpp, InstallScenarios.cpp, WindowScenarios.cpp,
// CodePageScenarios.cpp, BundleScenarios.cpp).
void NoPackage(Run& run);
void DamagedPackage(Run& run);
void SignedPackages(Run& run);
void FreshInstall(Run& run);
void DelphiClash(Run& run);
void Update(Run& run);
void SameVersion(Run& run);
void UninstallInstalledCopy(Run& run);
void CrcError(Run& run);
void WindowTexts(Run& run);
void FreeSpace(Run& run);
void OneAtATime(Run& run);
void CodePage1252(Run& run);
void CodePage1250(Run& run);
void CodePage932(Run& run);
// The same bytes from the same media; damaged and cut bundles refused before anything is extracted; installs
// through the window from a downloads folder with a plain name and from one outside every code page, with the
// temporary folder outside them too; the extracted folder gone afterwards, also when Setup.exe was ended by
// force; two copies started together run one after the other; a large payload shows the progress window.
void BundleDownload(Run& run);
// The extracted folder and its files carry the administrators-only access list. Skipped where the file system
// keeps no access lists (Wine maps them to Unix permission bits).
void BundleFolderAcl(Run& run);

// Installs, updates and uninstalls with this driver's Setup.exe alone, then with otherSetup (the other Windows
// build) doing the install, then the update and uninstall; throws Failure unless the machine is the same after
// each step.
void RunCrossBuild(const std::string& otherSetup, const Settings& settings);
// The headless demo: the fresh install with every option, then the uninstall from the installed copy, on the
// packages in media; prints where things went.
void RunDemo(const std::string& media, const Settings& settings);

}  // namespace e2e
